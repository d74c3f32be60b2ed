#include "input_requester.h"

#include <atomic>

#include "driver.h"
#include "memory.h"
#include "modality.h"

namespace {

using InputRequesterTest = RequesterTest;

HWND Field(HWND dialog) { return FindWindowExA(dialog, nullptr, "Edit", nullptr); }

std::string TextOf(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

bool ReadyForKeys(HWND dialog) {
  return WaitUntil([&] { return GetForegroundWindow() == dialog; });
}

bool NoRecordOfThisThread() {
  for (const SuspendedWindow* record = SuspendedWindowList(); record; record = record->next) {
    if (record->thread == GetCurrentThreadId()) return false;
  }
  return true;
}

bool ClassRegistered() {
  WNDCLASSA windowClass;
  return GetClassInfoA(GetModuleHandleA(nullptr), "InputRequester", &windowClass) != 0;
}

TEST_F(InputRequesterTest, ReturnsTheTextConfirmedByEnterOrOk) {
  std::string seen;
  DialogDriver typed("InputRequester", [&](HWND dialog) {
    seen = TextOf(dialog) + "|" + TextOf(FindWindowExA(dialog, nullptr, "Static", nullptr)) +
           "|" + TextOf(Field(dialog));
    if (!ReadyForKeys(dialog)) return;
    TypeText("my note");
    PressKey(VK_RETURN);
  });
  EXPECT_EQ(RequestText("Title", "Please insert your title note:", nullptr), "my note");
  EXPECT_TRUE(typed.Finish());
  EXPECT_EQ(seen, "Title|Please insert your title note:|");

  DWORD start = 1, end = 1;
  bool focusOnField = false, keptFocus = false;
  DialogDriver clicked("InputRequester", [&](HWND dialog) {
    HWND field = Field(dialog);
    SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    focusOnField = FocusOf(dialog) == field;
    if (!ReadyForKeys(dialog)) return;
    // Tab is no dialog key here: what is typed after it still lands in the field.
    PressKey(VK_TAB);
    TypeText("d");
    keptFocus = WaitUntil([&] { return TextOf(field).back() == 'd' && FocusOf(dialog) == field; });
    SendMessageA(GetDlgItem(dialog, 1000), BM_CLICK, 0, 0);
  });
  const std::string text = RequestText("Title", "Prompt", "abc");
  EXPECT_TRUE(clicked.Finish());
  EXPECT_EQ(start, 3u);
  EXPECT_EQ(end, 3u);
  EXPECT_TRUE(focusOnField);
  EXPECT_TRUE(keptFocus);
  EXPECT_EQ(text.substr(0, 3), "abc");
  EXPECT_EQ(text.back(), 'd');
}

TEST_F(InputRequesterTest, EscapeCloseAndAnEmptyFieldGiveTheEmptyText) {
  DialogDriver escape("InputRequester", [](HWND dialog) {
    if (ReadyForKeys(dialog)) PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(RequestText("Title", "Prompt", "kept"), "");
  EXPECT_TRUE(escape.Finish());

  DialogDriver close("InputRequester", [](HWND dialog) { SendMessageA(dialog, WM_CLOSE, 0, 0); });
  EXPECT_EQ(RequestText("Title", "Prompt", "kept"), "");
  EXPECT_TRUE(close.Finish());

  DialogDriver empty("InputRequester", [](HWND dialog) {
    if (ReadyForKeys(dialog)) PressKey(VK_RETURN);
  });
  EXPECT_EQ(RequestText(nullptr, nullptr, nullptr), "");
  EXPECT_TRUE(empty.Finish());
}

TEST_F(InputRequesterTest, DisablesTheProgramWindowsOnlyWhileOpen) {
  std::string whileOpen;
  HWND owner = nullptr;
  DialogDriver driver("InputRequester", [&](HWND dialog) {
    whileOpen = EnabledPattern();
    owner = Owner(dialog);
    SendMessageA(dialog, WM_CLOSE, 0, 0);
  });
  RequestText("Title", "Prompt", nullptr);
  EXPECT_TRUE(driver.Finish());
  EXPECT_EQ(whileOpen, "0010");
  EXPECT_EQ(owner, foreground);
  EXPECT_EQ(EnabledPattern(), "1110");
  EXPECT_TRUE(NoRecordOfThisThread());
  EXPECT_FALSE(ClassRegistered());
}

TEST_F(InputRequesterTest, ForeignForegroundLeavesTheDialogWithoutOwner) {
  ForeignForeground foreign;
  ASSERT_TRUE(foreign.Active());
  std::string whileOpen;
  HWND owner = foreground;
  DialogDriver driver("InputRequester", [&](HWND dialog) {
    whileOpen = EnabledPattern();
    owner = Owner(dialog);
    SendMessageA(dialog, WM_CLOSE, 0, 0);
  });
  RequestText("Title", "Prompt", nullptr);
  EXPECT_TRUE(driver.Finish());
  EXPECT_EQ(owner, nullptr);
  EXPECT_EQ(whileOpen, "0010");
  EXPECT_EQ(EnabledPattern(), "1110");
}

TEST_F(InputRequesterTest, QuitMessageClosesTheDialogAndStaysQueued) {
  const DWORD testThread = GetCurrentThreadId();
  HWND seenDialog = nullptr;
  DialogDriver driver("InputRequester", [&](HWND dialog) {
    seenDialog = dialog;
    PostThreadMessageA(testThread, WM_QUIT, 7, 0);
  });
  EXPECT_EQ(RequestText("Title", "Prompt", "typed"), "");
  EXPECT_TRUE(driver.Finish());
  EXPECT_FALSE(IsWindow(seenDialog));
  EXPECT_EQ(EnabledPattern(), "1110");
  EXPECT_TRUE(NoRecordOfThisThread());
  EXPECT_FALSE(ClassRegistered());
  MSG message{};
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
}

std::atomic<bool> allocationsRefused{false};

void CALLBACK RefuseAllocations(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  FailAllocationsAfter(0);
  allocationsRefused = true;
}

TEST_F(InputRequesterTest, ConfirmedTextWithoutMemoryGivesTheEmptyText) {
  allocationsRefused = false;
  DialogDriver driver("InputRequester", [](HWND dialog) {
    if (WaitUntil([] { return allocationsRefused.load(); }) && ReadyForKeys(dialog)) {
      PressKey(VK_RETURN);
    }
  });
  // Refused from inside the dialog's loop, so the records of the disabled windows exist.
  SetTimer(nullptr, 0, 1, RefuseAllocations);
  const std::string text = RequestText("Title", "Prompt", "lost");
  FailAllocationsAfter(-1);
  EXPECT_TRUE(driver.Finish());
  EXPECT_EQ(text, "");
  EXPECT_EQ(EnabledPattern(), "1110");
}

}  // namespace
