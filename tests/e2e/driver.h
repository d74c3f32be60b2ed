#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Drives the real Tackpad.exe from outside, as a user and the file see it: a fresh directory
// per test, the program started there, its windows found by class, commands posted as menus
// post them, dialogs answered, "Settings.ini" read byte for byte.

// Polls until `condition` holds; false when `timeoutMs` passed first.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

// A directory in its Windows and its Unix spelling.
struct Place {
  std::string windows;
  std::string unix;
};
// An empty directory of that name under the suite's work folder.
Place FreshDirectory(const std::string& name);
Place ScreenshotDirectory();
std::string InPlace(const Place& place, const char* name);

// Reads while the program may hold the file open; false when there is no such file.
bool ReadBytes(const std::string& path, std::string& bytes);
void WriteBytes(const std::string& path, const std::string& bytes);
// Lines joined by CR LF, each one ended by it.
std::string CrLfLines(const std::vector<std::string>& lines);
std::vector<std::string> SplitCrLf(const std::string& text);

// Runs a shell command on the host (xdotool, import) and waits for it to end.
bool RunOnHost(const std::string& command, int timeoutMs = 15000);

// The icon in Wine's own tray window (shown where the desktop has no tray); null when none.
HWND TrayIconWindow();
// Real input through the X server: a mouse action at a screen point, or keys.
bool HostMouse(int x, int y, const std::string& actions);
bool HostKeys(const std::string& keys);
POINT CentreOf(HWND window);

// The windows of one process.
std::vector<HWND> ProcessWindows(DWORD process, const char* className);
HWND ProcessWindow(DWORD process, const char* className);
HWND WaitForProcessWindow(DWORD process, const char* className, int timeoutMs = 10000);
HWND ChildOfClass(HWND parent, const char* className);
std::string ClassOf(HWND window);
// The text of a window of another process (WM_GETTEXT, marshalled by the platform).
std::string TextOf(HWND window);
RECT OuterRect(HWND window);
SIZE InnerSize(HWND window);
bool IsTopmost(HWND window);
// 255 when the window is not translucent.
int AlphaOf(HWND window);

// Puts text on the clipboard, or reads it back ("" when there is none).
void SetClipboardText(const std::string& text);
std::string ClipboardText();

// The platform's colour dialog answered by its red, green and blue fields; true once it closed.
bool AnswerColourDialog(HWND dialog, int red, int green, int blue);
// The platform's font dialog answered with the first face it lists, a style and a size by
// their labels, and underline; returns the face, or "" when the dialog did not close.
std::string AnswerFontDialog(HWND dialog, const wchar_t* style, const wchar_t* size, bool underline);

struct RunningApp {
  PROCESS_INFORMATION process{};
  HWND owner = nullptr;
};

// Wine leaves the windows of a program started after this to itself rather than to a window
// manager (for that program only).
void LeaveWindowsUnmanaged(const char* program);
bool StartApp(const Place& directory, RunningApp& app);
bool AppRunning(const RunningApp& app);
// A round trip through the program's message loop: true once it takes messages again.
bool Ping(const RunningApp& app, int timeoutMs = 10000);
// Posts "Exit" (again, should the program not have been taking events yet) until it ends.
bool ExitApp(RunningApp& app, DWORD* exitCode);
bool WaitForExit(RunningApp& app, DWORD* exitCode, int timeoutMs = 10000);
void KillApp(RunningApp& app);

// A menu item as the platform posts it for a chosen item.
void PostMenuItem(HWND window, int item);
// The tray icon's callback, as the shell sends it to the owner window.
void SendTrayClick(const RunningApp& app, UINT mouseMessage);
void TypeText(HWND control, const std::string& text);
void PressKey(HWND control, WPARAM key);
