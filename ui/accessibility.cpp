#include "accessibility.h"

#include <oleacc.h>

#include <new>
#include <string>

#include "system_library.h"

namespace {

using CreateStandard = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using ResultFrom = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using StartCom = HRESULT(WINAPI*)(void*, DWORD);
using AllocateString = BSTR(WINAPI*)(const OLECHAR*, UINT);

// Loaded from the system folder when first asked for: a library of its name beside the program
// must never run, and most sessions have no assistive tool to ask, so no start pays for them.
struct AccessibilityCalls {
  CreateStandard createStandard;
  ResultFrom resultFrom;
  AllocateString allocateString;
};

const AccessibilityCalls& Calls() {
  static const AccessibilityCalls calls = [] {
    const auto startCom = LookupCall<StartCom>(LoadSystemLibrary("ole32.dll"), "CoInitializeEx");
    if (!startCom || FAILED(startCom(nullptr, COINIT_APARTMENTTHREADED))) return AccessibilityCalls{};
    HMODULE oleacc = LoadSystemLibrary("oleacc.dll");
    return AccessibilityCalls{LookupCall<CreateStandard>(oleacc, "CreateStdAccessibleObject"),
                              LookupCall<ResultFrom>(oleacc, "LresultFromObject"),
                              LookupCall<AllocateString>(LoadSystemLibrary("oleaut32.dll"), "SysAllocStringLen")};
  }();
  return calls;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The system's own object for the control, with its name taken from the label before it and its
// role editable text; everything else is the system's.
class LabelledEditor final : public IAccessible {
 public:
  LabelledEditor(HWND control, IAccessible* standard) : control_(control), standard_(standard) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (!object) return E_POINTER;
    if (id == IID_IUnknown || id == IID_IDispatch || id == __uuidof(IAccessible)) {
      *object = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    return standard_->QueryInterface(id, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
      standard_->Release();
      delete this;
    }
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!IsSelf(child)) return standard_->get_accName(child, name);
    if (!name) return E_POINTER;
    HWND label = GetWindow(control_, GW_HWNDPREV);
    const int length = label ? GetWindowTextLengthW(label) : 0;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(label ? static_cast<std::size_t>(GetWindowTextW(label, &text[0], length + 1)) : 0);
    *name = Calls().allocateString(text.data(), static_cast<UINT>(text.size()));
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!IsSelf(child)) return standard_->get_accRole(child, role);
    if (!role) return E_POINTER;
    role->vt = VT_I4;
    role->lVal = ROLE_SYSTEM_TEXT;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return standard_->GetTypeInfoCount(count); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT at, LCID locale, ITypeInfo** info) override {
    return standard_->GetTypeInfo(at, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override {
    return standard_->GetIDsOfNames(id, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT* wrong) override {
    return standard_->Invoke(member, id, locale, flags, parameters, result, exception, wrong);
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return standard_->get_accChildCount(count); }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return standard_->get_accChild(child, object);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override { return standard_->get_accValue(child, value); }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return standard_->get_accDescription(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override { return standard_->get_accState(child, state); }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return standard_->get_accHelp(child, help); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    return standard_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
    return standard_->get_accKeyboardShortcut(child, keys);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return standard_->get_accFocus(child); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override { return standard_->get_accSelection(children); }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return standard_->get_accDefaultAction(child, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long how, VARIANT child) override { return standard_->accSelect(how, child); }
  HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height, VARIANT child) override {
    return standard_->accLocation(x, y, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return standard_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override { return standard_->accHitTest(x, y, child); }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return standard_->accDoDefaultAction(child); }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override { return standard_->put_accName(child, name); }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override { return standard_->put_accValue(child, value); }

 private:
  LONG references_ = 1;
  HWND control_;
  IAccessible* standard_;
};

}  // namespace

LRESULT AnswerLabelledEditor(HWND control, WPARAM wParam, LPARAM lParam) {
  if (static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
  const AccessibilityCalls& calls = Calls();
  if (!calls.createStandard || !calls.resultFrom || !calls.allocateString) return 0;
  IAccessible* standard = nullptr;
  if (FAILED(calls.createStandard(control, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard)))) {
    return 0;
  }
  auto* editor = new (std::nothrow) LabelledEditor(control, standard);
  if (!editor) {
    standard->Release();
    return 0;
  }
  const LRESULT result = calls.resultFrom(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(editor));
  editor->Release();  // the result holds its own reference
  return result;
}
