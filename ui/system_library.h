#pragma once
#include <windows.h>

// Libraries loaded while the program runs come from the system folder alone: a library of the
// same name lying beside Tackpad.exe (a download folder, a USB stick) must never run.

// Called first thing: every later load by bare name searches the system folder only, where
// Windows can (Windows 8 and later, Windows 7 with KB2533623).
void RestrictLibrarySearch();
// A system library by its file name, never from the program's own folder.
HMODULE LoadSystemLibrary(const char* name);
// The full path of a file of the system folder; false when it does not fit `size` bytes.
bool SystemFilePath(const char* name, char* path, UINT size);
