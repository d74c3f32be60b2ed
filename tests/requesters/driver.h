#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

// Polls until `condition` holds; false when it still does not after `milliseconds`.
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds = 10000);

// Real key input: it goes to the focus of the foreground window.
void PressKey(BYTE key);
void TypeText(const char* text);  // lower-case letters, digits, space and '.'
bool IsForeground(HWND window);   // waits for it, bounded
bool BringToForeground(HWND window);

// Top-level windows of the test's thread in the four states a requester must tell apart;
// each test starts with `foreground` as the foreground window.
class RequesterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;

 public:
  static HWND foreground, other, hidden, disabled;
};

// '1' for each enabled window, in the order foreground, other, hidden, disabled.
std::string EnabledPattern();

using DialogAction = std::function<void(HWND dialog)>;

// Works one dialog of this process from a second thread while the test's thread sits in
// the requester. A dialog that the action leaves open is closed, so that a fault fails the
// test instead of hanging it.
class DialogDriver {
 public:
  DialogDriver(const char* className, DialogAction action);
  ~DialogDriver();
  // Checks the modality every requester owes: owned by `owner`, the program's windows
  // disabled while it is open, all enabled and forgotten after.
  void ExpectModalRun(HWND owner);

 private:
  void Drive(const DialogAction& action);
  std::string className_;
  bool closedByAction_ = false;
  std::string enabledWhileOpen_;
  HWND owner_ = nullptr;
  std::thread thread_;
};

// `owner` (when given) is made the foreground window first.
template <typename Request>
auto RunDialog(const char* className, DialogAction action, Request request, HWND owner) {
  EXPECT_TRUE(!owner || BringToForeground(owner));
  DialogDriver driver(className, std::move(action));
  auto result = request();
  driver.ExpectModalRun(owner);
  return result;
}

// While alive, a window of another process is the foreground window.
class ForeignForeground {
 public:
  ForeignForeground();
  ~ForeignForeground();
  bool Active() const { return window_ && GetForegroundWindow() == window_; }

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};
