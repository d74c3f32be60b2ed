#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

// Polls until `condition` holds; false when it still does not after `milliseconds`.
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds = 10000);

// Real key input, as from the keyboard: it goes to the foreground window's focus.
void PressKey(BYTE key);
void TypeText(const char* text);  // lower-case letters, digits, space and '.'

// Drives one dialog of this process from a second thread while the test's own thread sits
// in the requester. A dialog that the action leaves open is closed, so that a fault fails
// the test instead of hanging it.
class DialogDriver {
 public:
  DialogDriver(const char* className, std::function<void(HWND)> action);
  ~DialogDriver();
  // True when the dialog appeared and the action closed it.
  bool Finish();

 private:
  void Drive(std::function<void(HWND)> action);
  std::string className_;
  bool closedByAction_ = false;
  std::thread thread_;
};

// Top-level windows of the test's thread in the four states a requester must tell apart;
// `foreground` is made the foreground window.
class RequesterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  // '1' for each enabled window, in the order foreground, other, hidden, disabled.
  static std::string EnabledPattern();
  static HWND Owner(HWND dialog) { return GetWindow(dialog, GW_OWNER); }

  static HWND foreground;
  static HWND other;
  static HWND hidden;
  static HWND disabled;
};

// While alive, a window of another process is the foreground window.
class ForeignForeground {
 public:
  ForeignForeground();
  ~ForeignForeground();
  bool Active() const;

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};
