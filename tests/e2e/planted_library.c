// A library that shows when it runs: it leaves an empty file named after itself plus ".ran".
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  char path[MAX_PATH + 8];
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    lstrcpyA(path + GetModuleFileNameA(self, path, MAX_PATH), ".ran");
    CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
  }
  return TRUE;
}
