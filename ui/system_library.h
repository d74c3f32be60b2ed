#pragma once
#include <windows.h>

// Libraries loaded while the program runs come from the system folder alone: a library of the
// same name lying beside Tackpad.exe (a download folder, a USB stick) must never run.

// Called first thing: every later load by bare name searches the system folder only, where
// Windows can (Windows 8 and later, Windows 7 with KB2533623).
void RestrictLibrarySearch();
// A system library by its file name, never from the program's own folder.
HMODULE LoadSystemLibrary(const char* name);
// A call of `library` looked up by name (null where the library or the call is missing): calls
// newer than Windows 7, and libraries only some sessions need, are never imported.
template <typename Call>
Call LookupCall(HMODULE library, const char* name) {
  return library ? reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}
// The full path of a file of the system folder; false when it does not fit `size` bytes.
bool SystemFilePath(const char* name, char* path, UINT size);

// Whether the process's ANSI code page is UTF-8 (the manifest's setting, honoured from Windows 10
// version 1903). Only then are the system's Unicode controls used: elsewhere the ANSI calls would
// store a character such a control shows whole as something else, while an ANSI control shows it
// at once as it will be stored.
bool Utf8Process();
// A child control of a system class (an ASCII name), Unicode or ANSI as Utf8Process says; its
// text, when given, goes through the ANSI call.
HWND CreateSystemControl(DWORD extendedStyle, const char* className, const char* text, DWORD style, int x, int y,
                         int width, int height, HWND parent, INT_PTR id);
