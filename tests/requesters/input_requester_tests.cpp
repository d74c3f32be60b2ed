#include "input_requester.h"

#include <atomic>

#include "dialogs.h"
#include "driver.h"
#include "memory.h"

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

DialogAction Press(BYTE key) {
  return [key](HWND dialog) {
    if (IsForeground(dialog)) PressKey(key);
  };
}

std::string Request(DialogAction action, const char* defaultText = nullptr) {
  return RunDialog("InputRequester", std::move(action),
                   [&] { return RequestText("Title", "Please insert your title note:", defaultText); },
                   RequesterTest::foreground);
}

bool ClassRegistered() {
  WNDCLASSA windowClass;
  return GetClassInfoA(GetModuleHandleA(nullptr), "InputRequester", &windowClass) != 0;
}

TEST_F(InputRequesterTest, ReturnsTheTextConfirmedByEnterOrOk) {
  std::string captions;
  EXPECT_EQ(Request([&](HWND dialog) {
              captions = TextOf(dialog) + "|" + TextOf(FindWindowExA(dialog, nullptr, "Static", nullptr));
              if (!IsForeground(dialog)) return;
              TypeText("my note");
              PressKey(VK_RETURN);
            }),
            "my note");
  EXPECT_EQ(captions, "Title|Please insert your title note:");
  EXPECT_FALSE(ClassRegistered());

  DWORD start = 0, end = 0;
  bool focusOnField = false, keptFocus = false;
  const std::string text = Request(
      [&](HWND dialog) {
        HWND field = Field(dialog);
        SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        focusOnField = FocusOf(dialog) == field;
        if (!IsForeground(dialog)) return;
        // Tab is no dialog key here: what is typed after it still lands in the field.
        PressKey(VK_TAB);
        TypeText("d");
        keptFocus = WaitUntil([&] { return TextOf(field).back() == 'd' && FocusOf(dialog) == field; });
        SendMessageA(GetDlgItem(dialog, 1000), BM_CLICK, 0, 0);
      },
      "abc");
  EXPECT_TRUE(focusOnField && keptFocus);
  EXPECT_EQ(start, 3u);
  EXPECT_EQ(end, 3u);
  // A single-line field may take the tab as a character; either way the focus stayed.
  EXPECT_TRUE(text == "abcd" || text == "abc\td") << text;
}

TEST_F(InputRequesterTest, EscapeCloseAndAnEmptyFieldGiveTheEmptyText) {
  EXPECT_EQ(Request(Press(VK_ESCAPE), "kept"), "");
  EXPECT_EQ(Request([](HWND dialog) { SendMessageA(dialog, WM_CLOSE, 0, 0); }, "kept"), "");
  EXPECT_EQ(Request(Press(VK_RETURN)), "");
}

TEST_F(InputRequesterTest, ForeignForegroundLeavesRequestersWithoutOwner) {
  ForeignForeground foreign;
  ASSERT_TRUE(foreign.Active());
  RunDialog("InputRequester", [](HWND dialog) { SendMessageA(dialog, WM_CLOSE, 0, 0); },
            [] { return RequestText("Title", "Prompt", nullptr); }, nullptr);
  const int button = RunDialog("#32770", [](HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); },
                               [] { return ShowMessage("Tackpad", "About", MB_ICONINFORMATION); }, nullptr);
  EXPECT_EQ(button, IDOK);
}

TEST_F(InputRequesterTest, QuitMessageClosesTheDialogAndStaysQueued) {
  const DWORD testThread = GetCurrentThreadId();
  EXPECT_EQ(Request([&](HWND) { PostThreadMessageA(testThread, WM_QUIT, 7, 0); }, "typed"), "");
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
  const auto confirm = [](HWND dialog) {
    if (WaitUntil([] { return allocationsRefused.load(); })) Press(VK_RETURN)(dialog);
  };
  const std::string text = RunDialog("InputRequester", confirm, [] {
    // Refused from inside the dialog's loop, once the records of the disabled windows exist.
    SetTimer(nullptr, 0, 1, RefuseAllocations);
    return RequestText("Title", "Prompt", "lost");
  }, foreground);
  FailAllocationsAfter(-1);
  EXPECT_EQ(text, "");
}

}  // namespace
