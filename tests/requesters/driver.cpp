#include "driver.h"

#include "modality.h"

namespace {

HWND MakeTestWindow(int x) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "RequesterTestWindow";
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, windowClass.lpszClassName, "test", WS_POPUP, x, 50, 80, 80, nullptr,
                         nullptr, GetModuleHandleA(nullptr), nullptr);
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

bool NoRecordOfThisThread() {
  for (const SuspendedWindow* record = SuspendedWindowList(); record; record = record->next) {
    if (record->thread == GetCurrentThreadId()) return false;
  }
  return true;
}

}  // namespace

HWND RequesterTest::foreground, RequesterTest::other, RequesterTest::hidden, RequesterTest::disabled;

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

// Wine may hand the activation to another window as it catches up with the X server, and
// gives it to the next window rather than the owner when the input requester goes.
bool BringToForeground(HWND window) {
  return WaitUntil([&] {
    PumpMessages();
    if (GetForegroundWindow() == window) return true;
    SetForegroundWindow(window);
    return false;
  });
}

bool IsForeground(HWND window) {
  return WaitUntil([&] { return GetForegroundWindow() == window; });
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
  for (HWND window : {foreground, other, hidden}) EnableWindow(window, TRUE);
  EnableWindow(disabled, FALSE);
  ASSERT_TRUE(BringToForeground(foreground));
}

std::string EnabledPattern() {
  std::string pattern;
  for (HWND window : {RequesterTest::foreground, RequesterTest::other, RequesterTest::hidden,
                      RequesterTest::disabled}) {
    pattern += IsWindowEnabled(window) ? '1' : '0';
  }
  return pattern;
}

DialogDriver::DialogDriver(const char* className, DialogAction action)
    : className_(className), thread_([this, action] { Drive(action); }) {}

DialogDriver::~DialogDriver() {
  if (thread_.joinable()) thread_.join();
}

void DialogDriver::Drive(const DialogAction& action) {
  HWND dialog = nullptr;
  // Ready once its buttons exist: the input requester is visible before its controls are.
  if (!WaitUntil([&] {
        dialog = FindWindowA(className_.c_str(), nullptr);
        return dialog && IsWindowVisible(dialog) && FindWindowExA(dialog, nullptr, "Button", nullptr);
      })) {
    return;
  }
  enabledWhileOpen_ = EnabledPattern();
  owner_ = GetWindow(dialog, GW_OWNER);
  action(dialog);
  closedByAction_ = WaitUntil([&] { return !IsWindow(dialog); });
  if (closedByAction_) return;
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

void DialogDriver::ExpectModalRun(HWND owner) {
  thread_.join();
  EXPECT_TRUE(closedByAction_);
  EXPECT_EQ(owner_, owner);
  EXPECT_EQ(enabledWhileOpen_, "0010");
  EXPECT_EQ(EnabledPattern(), "1110");
  EXPECT_TRUE(NoRecordOfThisThread());
}

ForeignForeground::ForeignForeground() {
  char path[MAX_PATH];
  std::string helper(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  helper = helper.substr(0, helper.find_last_of("\\/") + 1) + "foreign_window.exe";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(helper.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process_)) {
    return;
  }
  WaitUntil([&] {
    window_ = FindWindowA("RequesterTestForeign", nullptr);
    return Active();
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
