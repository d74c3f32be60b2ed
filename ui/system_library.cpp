#include "system_library.h"

#include <cstring>

namespace {

bool searchRestricted;

}  // namespace

void RestrictLibrarySearch() {
  // Looked up, not imported: a static import would keep the exe from starting on a Windows 7
  // without the update.
  using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);
  auto setDirectories = reinterpret_cast<SetDefaultDllDirectoriesCall>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
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
