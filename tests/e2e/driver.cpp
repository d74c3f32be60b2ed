#include "driver.h"

#include <algorithm>

namespace {

std::string WindowsSpelling(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// Empties a directory, read-only files and one level of subdirectories included.
void EmptyDirectory(const std::string& directory) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = directory + "\\" + name;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      EmptyDirectory(path);
      RemoveDirectoryA(path.c_str());
    } else {
      DeleteFileA(path.c_str());
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

struct WindowSearch {
  DWORD process;
  const char* className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->process && ClassOf(window) == search->className) search->found.push_back(window);
  return TRUE;
}

int hostCommands = 0;

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return condition();
    Sleep(20);
  }
}

Place FreshDirectory(const std::string& name) {
  Place place{WindowsSpelling(std::string(E2E_WORK) + "/" + name), std::string(E2E_WORK) + "/" + name};
  CreateDirectoryA(WindowsSpelling(E2E_WORK).c_str(), nullptr);
  CreateDirectoryA(place.windows.c_str(), nullptr);
  EmptyDirectory(place.windows);
  return place;
}

Place ScreenshotDirectory() {
  CreateDirectoryA(WindowsSpelling(E2E_SHOTS).c_str(), nullptr);
  return Place{WindowsSpelling(E2E_SHOTS), E2E_SHOTS};
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

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// A host program started from here cannot be waited for, so the script leaves a mark.
bool RunOnHost(const std::string& command, int timeoutMs) {
  Place work = FreshDirectory("host");
  std::string name = "command" + std::to_string(++hostCommands);
  std::string mark = work.unix + "/" + name + ".done";
  WriteBytes(InPlace(work, (name + ".sh").c_str()), command + "\necho $? > " + mark + "\n");
  std::string line = "/bin/sh " + work.unix + "/" + name + ".sh";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return false;
  }
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);
  std::string status;
  std::string markPath = WindowsSpelling(mark);
  bool ended = WaitUntil([&] { return ReadBytes(markPath, status) && !status.empty(); }, timeoutMs);
  return ended && status.rfind("0", 0) == 0;
}

HWND TrayIconWindow() {
  HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
  return tray ? FindWindowExA(tray, nullptr, "__winex11_tray_icon", nullptr) : nullptr;
}

bool HostMouse(int x, int y, const std::string& actions) {
  return RunOnHost("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " " + actions);
}

bool HostKeys(const std::string& keys) { return RunOnHost("xdotool key --delay 50 " + keys); }

POINT CentreOf(HWND window) {
  RECT rect = OuterRect(window);
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

std::vector<HWND> ProcessWindows(DWORD process, const char* className) {
  WindowSearch search{process, className, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND ProcessWindow(DWORD process, const char* className) {
  std::vector<HWND> windows = ProcessWindows(process, className);
  return windows.empty() ? nullptr : windows.front();
}

HWND WaitForProcessWindow(DWORD process, const char* className, int timeoutMs) {
  HWND window = nullptr;
  WaitUntil([&] { return (window = ProcessWindow(process, className)) != nullptr; }, timeoutMs);
  return window;
}

HWND ChildOfClass(HWND parent, const char* className) { return FindWindowExA(parent, nullptr, className, nullptr); }

std::string ClassOf(HWND window) {
  char name[256] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return "";
  std::string text(length + 1, '\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG, 5000,
                      &got);
  text.resize(std::min<std::size_t>(got, length));
  return text;
}

RECT OuterRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

SIZE InnerSize(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

bool IsTopmost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

int AlphaOf(HWND window) {
  if (!(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED)) return 255;
  BYTE alpha = 255;
  DWORD flags = 0;
  if (!GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) || !(flags & LWA_ALPHA)) return 255;
  return alpha;
}

void SetClipboardText(const std::string& text) {
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (block) {
    std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<char*>(GlobalLock(block)));
    GlobalUnlock(block);
    if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
  }
  CloseClipboard();
}

std::string ClipboardText() {
  if (!OpenClipboard(nullptr)) return "";
  std::string text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* chars = static_cast<const char*>(GlobalLock(data))) text = chars;
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

// On an X server without a window manager, Wine waits 2 s for a withdrawal notice that never
// comes each time a managed window is hidden or destroyed; unmanaged windows spare every
// dialog and hidden note that wait.
void LeaveWindowsUnmanaged(const char* program) {
  std::string path = std::string("Software\\Wine\\AppDefaults\\") + program + "\\X11 Driver";
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return;
  }
  RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
  RegCloseKey(key);
}

bool StartApp(const Place& directory, RunningApp& app) {
  static bool prepared = false;
  if (!prepared) LeaveWindowsUnmanaged("Tackpad.exe");
  prepared = true;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::string line = std::string("\"") + E2E_EXE + "\"";
  if (!CreateProcessA(E2E_EXE, &line[0], nullptr, nullptr, FALSE, 0, nullptr, directory.windows.c_str(), &startup,
                      &app.process)) {
    return false;
  }
  app.owner = WaitForProcessWindow(app.process.dwProcessId, "WindowClass_1000", 20000);
  return app.owner != nullptr;
}

bool AnswerColourDialog(HWND dialog, int red, int green, int blue) {
  const int fields[] = {706, 707, 708};  // the dialog's red, green and blue edit fields
  const int values[] = {red, green, blue};
  for (int i = 0; i < 3; ++i) {
    std::string digits = std::to_string(values[i]);
    SendMessageTimeoutA(GetDlgItem(dialog, fields[i]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(digits.c_str()),
                        SMTO_NORMAL, 5000, nullptr);
  }
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  return WaitUntil([&] { return !IsWindow(dialog); });
}

namespace {

void Choose(HWND dialog, int id, const wchar_t* label) {
  HWND box = GetDlgItem(dialog, id);
  SendMessageTimeoutW(box, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(label), SMTO_NORMAL,
                      5000, nullptr);
  SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box), SMTO_NORMAL,
                      5000, nullptr);
}

}  // namespace

std::string AnswerFontDialog(HWND dialog, const wchar_t* style, const wchar_t* size, bool underline) {
  const int faces = 1136, styles = 1137, sizes = 1138, underlineBox = 1041;
  std::wstring face(LF_FACESIZE, L'\0');
  DWORD_PTR length = 0;
  WaitUntil([&] {
    return SendMessageTimeoutW(GetDlgItem(dialog, faces), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(&face[0]),
                               SMTO_NORMAL, 5000, &length) &&
           static_cast<LRESULT>(length) > 0 && length < LF_FACESIZE;
  });
  face.resize(length < LF_FACESIZE ? length : 0);
  Choose(dialog, faces, face.c_str());
  Choose(dialog, styles, style);
  Choose(dialog, sizes, size);
  if (underline) {
    HWND check = GetDlgItem(dialog, underlineBox);
    SendMessageTimeoutW(check, BM_SETCHECK, BST_CHECKED, 0, SMTO_NORMAL, 5000, nullptr);
    SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(underlineBox, BN_CLICKED), reinterpret_cast<LPARAM>(check),
                        SMTO_NORMAL, 5000, nullptr);
  }
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  if (!WaitUntil([&] { return !IsWindow(dialog); })) return "";
  return std::string(face.begin(), face.end());
}

bool AppRunning(const RunningApp& app) {
  return app.process.hProcess && WaitForSingleObject(app.process.hProcess, 0) == WAIT_TIMEOUT;
}

bool Ping(const RunningApp& app, int timeoutMs) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(app.owner, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(timeoutMs), &result) != 0;
}

bool WaitForExit(RunningApp& app, DWORD* exitCode, int timeoutMs) {
  if (!app.process.hProcess) return false;
  if (WaitForSingleObject(app.process.hProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return false;
  GetExitCodeProcess(app.process.hProcess, exitCode);
  CloseHandle(app.process.hProcess);
  CloseHandle(app.process.hThread);
  app = RunningApp{};
  return true;
}

bool ExitApp(RunningApp& app, DWORD* exitCode) {
  for (int attempt = 0; attempt < 10 && app.process.hProcess; ++attempt) {
    PostMenuItem(app.owner, 500);
    if (WaitForExit(app, exitCode, 2000)) return true;
  }
  return false;
}

void KillApp(RunningApp& app) {
  if (!app.process.hProcess) return;
  TerminateProcess(app.process.hProcess, 1);
  DWORD code = 0;
  WaitForExit(app, &code, 10000);
}

void PostMenuItem(HWND window, int item) { PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(item), 0); }

void SendTrayClick(const RunningApp& app, UINT mouseMessage) {
  PostMessageA(app.owner, 12501, 1, static_cast<LPARAM>(mouseMessage));
}

void TypeText(HWND control, const std::string& text) {
  for (char c : text) PostMessageA(control, WM_CHAR, static_cast<unsigned char>(c), 1);
}

void PressKey(HWND control, WPARAM key) {
  PostMessageA(control, WM_KEYDOWN, key, 1);
  PostMessageA(control, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}
