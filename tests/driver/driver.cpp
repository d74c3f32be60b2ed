#include "driver.h"

#include <colordlg.h>
#include <dlgs.h>
#include <oleacc.h>

#include <algorithm>

namespace {

std::string WindowsSpelling(std::string unixPath) {
  std::replace(unixPath.begin(), unixPath.end(), '/', '\\');
  return "Z:" + unixPath;
}

bool Spawn(std::string line, const char* folder, PROCESS_INFORMATION& process) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &process) != 0;
}

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result = nullptr) {
  return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 5000, result) != 0;
}

bool Gone(HWND window) { return WaitUntil([&] { return !IsWindow(window); }); }

void Choose(HWND dialog, int id, const wchar_t* label) {
  HWND box = GetDlgItem(dialog, id);
  SendMessageTimeoutW(box, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(label), SMTO_NORMAL,
                      5000, nullptr);
  Send(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

std::string Narrow(const std::wstring& text, UINT page) {
  std::string out(text.size() * 3, '\0');
  out.resize(WideCharToMultiByte(page, 0, text.data(), static_cast<int>(text.size()), &out[0],
                                 static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return condition();
    Sleep(10);
  }
  return true;
}

Place FreshDirectory(const std::string& name) {
  Place place{WindowsSpelling(DRIVER_WORK "/" + name), DRIVER_WORK "/" + name};
  RunOnHost("rm -rf '" + place.unix + "' && mkdir -p '" + place.unix + "'");
  return place;
}

std::string InPlace(const Place& place, const char* name) { return place.windows + "\\" + name; }

bool ReadBytes(const std::string& path, std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return true;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD put = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  CloseHandle(file);
}

std::string CrLfLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// Nothing to wait on for a host program: the script leaves its status in a file.
bool RunOnHost(const std::string& command, int timeoutMs) {
  static int commands = 0;
  const std::string name =
      DRIVER_WORK "/host-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++commands);
  const std::string mark = name + ".status";
  CreateDirectoryA(WindowsSpelling(DRIVER_WORK).c_str(), nullptr);
  // Wine hands out the same process numbers again: a status left by an earlier run goes first.
  DeleteFileA(WindowsSpelling(mark).c_str());
  WriteBytes(WindowsSpelling(name + ".sh"),
             "(" + command + ")\necho $? > " + mark + ".new; mv " + mark + ".new " + mark + "\n");
  PROCESS_INFORMATION process{};
  if (!Spawn("/bin/sh " + name + ".sh", nullptr, process)) return false;
  // Wine gives a host program no process handle and leaves stale bytes in the thread handle,
  // often a live handle of ours (such as a started Tackpad's): closing it would orphan that one.
  if (process.hProcess) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  std::string status;
  return WaitUntil([&] { return ReadBytes(WindowsSpelling(mark), status); }, timeoutMs) && status.rfind("0", 0) == 0;
}

std::vector<HWND> ProcessWindows(DWORD process, const char* className) {
  std::vector<HWND> found;
  for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, className, nullptr));) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == process) found.push_back(window);
  }
  return found;
}

HWND WaitForWindow(DWORD process, const char* className, int timeoutMs) {
  std::vector<HWND> windows;
  WaitUntil([&] { return !(windows = ProcessWindows(process, className)).empty(); }, timeoutMs);
  return windows.empty() ? nullptr : windows.front();
}

HWND ChildOf(HWND parent, const char* className) { return FindWindowExA(parent, nullptr, className, nullptr); }

RECT Outer(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

std::string TextOf(HWND window, UINT page) {
  DWORD_PTR length = 0, got = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length)) return "";
  std::wstring text(length + 1, L'\0');
  SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]), SMTO_NORMAL, 5000, &got);
  text.resize(std::min(got, length));
  return Narrow(text, page);
}

void PostCommand(HWND window, int item) { PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(item), 0); }

void TypeText(HWND control, const std::string& text) {
  std::wstring units(text.size(), L'\0');
  units.resize(MultiByteToWideChar(CP_UTF8, 0, text.data(), text.size(), &units[0], units.size()));
  for (wchar_t unit : units) PostMessageW(control, WM_CHAR, unit, 1);
}

void PressKey(HWND control, WPARAM key) {
  PostMessageA(control, WM_KEYDOWN, key, 1);
  PostMessageA(control, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

bool AnswerTitle(HWND requester, const char* title) {
  HWND field = nullptr;
  if (!WaitUntil([&] { return (field = ChildOf(requester, "Edit")) != nullptr; })) return false;
  const std::string text = title ? title : "";
  // The field takes no control characters from the keyboard; such a title is put in whole.
  if (std::any_of(text.begin(), text.end(), [](unsigned char c) { return c < ' ' || c == 0x7F; })) {
    Send(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title));
  } else {
    TypeText(field, text);
  }
  if (!WaitUntil([&] { return TextOf(field) == text; })) return false;
  PressKey(field, title ? VK_RETURN : VK_ESCAPE);
  return Gone(requester);
}

bool AnswerColour(HWND dialog, COLORREF colour) {
  const int fields[] = {COLOR_RED, COLOR_GREEN, COLOR_BLUE};
  const int values[] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
  // Not before the dialog stands: its start fills the fields with the colour it began with.
  if (!WaitUntil([&] { return IsWindowVisible(dialog); })) return false;
  for (int i = 0; i < 3; ++i)
    Send(GetDlgItem(dialog, fields[i]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(std::to_string(values[i]).c_str()));
  return CloseDialog(dialog, IDOK);
}

std::string AnswerFont(HWND dialog, const wchar_t* style, const wchar_t* size, const wchar_t* named) {
  const int faces = cmb1, styles = cmb2, sizes = cmb3, underlineBox = chx2;
  std::wstring face(LF_FACESIZE, L'\0');
  DWORD_PTR length = 0;
  WaitUntil([&] {
    return SendMessageTimeoutW(GetDlgItem(dialog, faces), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(&face[0]),
                               SMTO_NORMAL, 5000, &length) &&
           static_cast<LRESULT>(length) > 0 && length < LF_FACESIZE;
  });
  face.resize(length < LF_FACESIZE ? length : 0);
  if (named) face = named;
  Choose(dialog, faces, face.c_str());
  Choose(dialog, styles, style);
  Choose(dialog, sizes, size);
  HWND box = GetDlgItem(dialog, underlineBox);
  Send(box, BM_SETCHECK, BST_CHECKED, 0);
  Send(dialog, WM_COMMAND, MAKEWPARAM(underlineBox, BN_CLICKED), reinterpret_cast<LPARAM>(box));
  return CloseDialog(dialog, IDOK) ? Narrow(face, CP_UTF8) : "";
}

bool CloseDialog(HWND dialog, int button) {
  PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(button), 0);
  return Gone(dialog);
}

void LeaveWindowsUnmanaged(const char* program) {
  const std::string path = std::string("Software\\Wine\\AppDefaults\\") + program + "\\X11 Driver";
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr)) return;
  RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
  RegCloseKey(key);
}

void SetDisplayScale(int dpi) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr)) {
    return;
  }
  const DWORD value = static_cast<DWORD>(dpi);
  RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

bool StartApp(const char* exe, const Place& place, const char* ownerClass, RunningApp& app, const char* arguments) {
  app.place = place;
  if (!Spawn(std::string("\"") + exe + "\"" + arguments, place.windows.c_str(), app.process)) return false;
  if (!ownerClass) return true;
  app.owner = WaitForWindow(app.process.dwProcessId, ownerClass, 20000);
  return app.owner != nullptr;
}

bool Ping(const RunningApp& app, int timeoutMs) {
  return SendMessageTimeoutA(app.owner, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(timeoutMs), nullptr) != 0;
}

bool WaitForExit(RunningApp& app, DWORD* exitCode, int timeoutMs) {
  if (!app.process.hProcess) return false;
  if (WaitForSingleObject(app.process.hProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return false;
  GetExitCodeProcess(app.process.hProcess, exitCode);
  CloseHandle(app.process.hProcess);
  CloseHandle(app.process.hThread);
  app.process = PROCESS_INFORMATION{};
  return true;
}

bool ExitApp(RunningApp& app, int exitItem, DWORD* exitCode) {
  // Posted again, should the program not have been taking events yet.
  for (int attempt = 0; attempt < 5 && app.process.hProcess; ++attempt) {
    PostCommand(app.owner, exitItem);
    if (WaitForExit(app, exitCode, 2000)) return true;
  }
  return false;
}

std::string AccessibleName(HWND window, long* role) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // once per thread is enough; again does no harm
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&object)))) {
    return "(no accessible object)";
  }
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  std::string named = "(no name)";
  if (object->get_accName(self, &name) == S_OK && name) {
    named.assign(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, name, -1, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, name, -1, &named[0], static_cast<int>(named.size()), nullptr, nullptr);
    named.pop_back();
    SysFreeString(name);
  }
  VARIANT kind;
  VariantInit(&kind);
  if (role) *role = object->get_accRole(self, &kind) == S_OK && kind.vt == VT_I4 ? kind.lVal : -1;
  object->Release();
  return named;
}

HWND MenuShown(DWORD process, POINT* at) {
  HWND menu = nullptr;
  WaitUntil([&] { return IsWindowVisible(menu = WaitForWindow(process, "#32768", 0)); });
  const RECT outer = Outer(menu);
  if (at) *at = POINT{outer.left, outer.top};
  return IsWindowVisible(menu) ? menu : nullptr;
}
