#include "system_library.h"

#include <cstring>

#include "text.h"

namespace {

bool searchRestricted;

// In front of a control whose class is a Unicode one even when made by the ANSI call (the common
// controls' are): what it is sent then passes through the code page, as for an ANSI control.
LRESULT CALLBACK NarrowingProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  auto classProcedure = reinterpret_cast<WNDPROC>(GetClassLongPtrA(control, GCLP_WNDPROC));
  return CallWindowProcA(classProcedure, control, message, wParam, lParam);
}

}  // namespace

void RestrictLibrarySearch() {
  // Looked up, not imported: a static import would keep the exe from starting on a Windows 7
  // without the update.
  using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);
  auto setDirectories =
      LookupCall<SetDefaultDllDirectoriesCall>(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
  searchRestricted = setDirectories && setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const char* name) {
  // Without the update the flag fails with ERROR_INVALID_PARAMETER, so the full path serves;
  // the altered search path looks for the library's own imports beside it, not beside the exe.
  if (searchRestricted) return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  char path[MAX_PATH];
  return SystemFilePath(name, path, MAX_PATH) ? LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH) : nullptr;
}

bool SystemFilePath(const char* name, char* path, UINT size) {
  UINT length = GetSystemDirectoryA(path, size);
  if (length == 0 || length + 1 + std::strlen(name) >= size) return false;
  path[length] = '\\';
  std::strcpy(path + length + 1, name);
  return true;
}

// The code page is the process's for good: asked once, not on every message a control is passed.
bool Utf8Process() {
  static const bool utf8 = ActiveCodePage() == CP_UTF8;
  return utf8;
}

HWND CreateSystemControl(DWORD extendedStyle, const char* className, const char* text, DWORD style, int x, int y,
                         int width, int height, HWND parent, INT_PTR id) {
  auto menu = reinterpret_cast<HMENU>(id);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  HWND control;
  if (Utf8Process()) {
    wchar_t wideName[32] = {};
    for (int i = 0; className[i] && i < 31; ++i) wideName[i] = static_cast<unsigned char>(className[i]);
    control = CreateWindowExW(extendedStyle, wideName, nullptr, style, x, y, width, height, parent, menu, instance,
                              nullptr);
  } else {
    control = CreateWindowExA(extendedStyle, className, nullptr, style, x, y, width, height, parent, menu, instance,
                              nullptr);
    if (control && IsWindowUnicode(control)) {
      SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NarrowingProcedure));
    }
  }
  if (control && text) SetWindowTextA(control, text);
  return control;
}
