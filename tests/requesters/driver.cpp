#include "driver.h"

#include <cstring>

namespace {

const char* const TestWindowClass = "RequesterTestWindow";

struct Search {
  const char* className;
  HWND found;
};

BOOL CALLBACK MatchVisibleOfProcess(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  char name[64] = {};
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  GetClassNameA(window, name, sizeof name);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  if (std::strcmp(name, search->className) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindVisibleDialog(const char* className) {
  Search search{className, nullptr};
  EnumWindows(MatchVisibleOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND MakeTestWindow(int x) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = TestWindowClass;
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, TestWindowClass, "test", WS_POPUP, x, 50, 80, 80, nullptr,
                         nullptr, GetModuleHandleA(nullptr), nullptr);
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

}  // namespace

HWND RequesterTest::foreground = nullptr;
HWND RequesterTest::other = nullptr;
HWND RequesterTest::hidden = nullptr;
HWND RequesterTest::disabled = nullptr;

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > milliseconds) return false;
    Sleep(10);
  }
  return true;
}

void PressKey(BYTE key) {
  keybd_event(key, 0, 0, 0);
  keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
}

void TypeText(const char* text) {
  for (; *text; ++text) PressKey(LOBYTE(VkKeyScanA(*text)));
}

DialogDriver::DialogDriver(const char* className, std::function<void(HWND)> action)
    : className_(className), thread_([this, action] { Drive(action); }) {}

DialogDriver::~DialogDriver() {
  if (thread_.joinable()) thread_.join();
}

void DialogDriver::Drive(std::function<void(HWND)> action) {
  HWND dialog = nullptr;
  // Ready once its buttons exist: the input requester is visible before its controls are.
  if (!WaitUntil([&] {
        dialog = FindVisibleDialog(className_.c_str());
        return dialog && FindWindowExA(dialog, nullptr, "Button", nullptr);
      })) {
    return;
  }
  action(dialog);
  closedByAction_ = WaitUntil([&] { return !IsWindow(dialog); });
  if (closedByAction_) return;
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

bool DialogDriver::Finish() {
  if (thread_.joinable()) thread_.join();
  return closedByAction_;
}

// Made once and kept: under Wine without a window manager, destroying an activated window
// waits seconds for a withdrawal that never comes.
void RequesterTest::SetUpTestSuite() {
  if (foreground) return;
  other = MakeTestWindow(50);
  hidden = MakeTestWindow(150);
  disabled = MakeTestWindow(250);
  foreground = MakeTestWindow(350);
}

void RequesterTest::SetUp() {
  for (HWND window : {foreground, other, disabled}) ShowWindow(window, SW_SHOWNA);
  ShowWindow(hidden, SW_HIDE);
  for (HWND window : {foreground, other, hidden}) EnableWindow(window, TRUE);
  EnableWindow(disabled, FALSE);
  // Wine may hand the activation to another window as it catches up with the X server.
  ASSERT_TRUE(WaitUntil([&] {
    PumpMessages();
    if (GetForegroundWindow() == foreground) return true;
    SetForegroundWindow(foreground);
    return false;
  }));
}

std::string RequesterTest::EnabledPattern() {
  std::string pattern;
  for (HWND window : {foreground, other, hidden, disabled}) {
    pattern += IsWindowEnabled(window) ? '1' : '0';
  }
  return pattern;
}

ForeignForeground::ForeignForeground() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string helper(path, length);
  helper = helper.substr(0, helper.find_last_of("\\/") + 1) + "foreign_window.exe";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(helper.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process_)) {
    return;
  }
  WaitUntil([&] {
    window_ = FindWindowA("RequesterTestForeign", nullptr);
    return window_ && GetForegroundWindow() == window_;
  });
}

ForeignForeground::~ForeignForeground() {
  if (!process_.hProcess) return;
  if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(process_.hProcess, 1);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

bool ForeignForeground::Active() const {
  return window_ && GetForegroundWindow() == window_;
}
