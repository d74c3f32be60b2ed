#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Polls until `condition` holds; false when it still fails after `timeoutMs`.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

// A folder in its Windows and its Unix spelling.
struct Place {
  std::string windows;
  std::string unix;
};
// An empty folder of that name under the test programs' work folder.
Place FreshDirectory(const std::string& name);
std::string InPlace(const Place& place, const char* name);
// Reads while a program may hold the file open; false when there is no such file.
bool ReadBytes(const std::string& path, std::string& bytes);
void WriteBytes(const std::string& path, const std::string& bytes);
std::string CrLfLines(const std::vector<std::string>& lines);
// A shell command on the host, waited for; true when it ended with status 0.
bool RunOnHost(const std::string& command, int timeoutMs = 15000);

// Top-level windows of one process, of one class (any class when null).
std::vector<HWND> ProcessWindows(DWORD process, const char* className);
HWND WaitForWindow(DWORD process, const char* className, int timeoutMs = 10000);
HWND ChildOf(HWND parent, const char* className);
RECT Outer(HWND window);
std::string TextOf(HWND window, UINT page = CP_UTF8);  // in UTF-8 unless another code page is asked for
// The process's popup menu on screen, waited for; its top left corner in `at`.
HWND MenuShown(DWORD process, POINT* at = nullptr);
// What accessibility tools read of a window (OBJID_CLIENT): its name in UTF-8, its role.
std::string AccessibleName(HWND window, long* role = nullptr);

// Input as the platform posts it: a chosen menu item, characters (UTF-8; a WM_CHAR per UTF-16 unit), a key.
void PostCommand(HWND window, int item);
void TypeText(HWND control, const std::string& text);
void PressKey(HWND control, WPARAM key);

// Each answers an open dialog and returns once it is gone.
// The title requester: `title` typed and Enter, or Escape when null.
bool AnswerTitle(HWND requester, const char* title);
bool AnswerColour(HWND dialog, COLORREF colour);
// The face named (else the first listed), a style and a size by their labels, underlined; returns the
// face in UTF-8 ("" on failure).
std::string AnswerFont(HWND dialog, const wchar_t* style, const wchar_t* size, const wchar_t* face = nullptr);
bool CloseDialog(HWND dialog, int button);

// On a bare X server a window left to the window manager takes seconds to hide or go.
void LeaveWindowsUnmanaged(const char* program);
// The display scale programs started from now on see (the prefix keeps it: set 96 again).
void SetDisplayScale(int dpi);

struct RunningApp {
  PROCESS_INFORMATION process{};
  HWND owner = nullptr;  // the window that "Exit" is posted to
  Place place;
};
// Starts `exe` (with `arguments`) in `place` and waits for its window of class `ownerClass` (null: no wait).
bool StartApp(const char* exe, const Place& place, const char* ownerClass, RunningApp& app, const char* arguments = "");
// A round trip through the program's message loop.
bool Ping(const RunningApp& app, int timeoutMs = 10000);
// Waits for the program to end by itself; false when it still runs after `timeoutMs`.
bool WaitForExit(RunningApp& app, DWORD* exitCode, int timeoutMs = 10000);
// Posts `exitItem` until the program ends; true when it ended so.
bool ExitApp(RunningApp& app, int exitItem, DWORD* exitCode);
