// Every requester, answered from a second thread while the test's thread sits in it: its owner,
// the program's windows it disables while it runs and enables after, its result.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "dialogs.h"
#include "driver.h"
#include "input_requester.h"
#include "memory.h"

namespace {

// The four states a requester must tell apart; the foreground window is to be the owner.
HWND foreground, other, hidden, disabled;

std::string Enabled() {
  std::string pattern;
  for (HWND window : {foreground, other, hidden, disabled}) pattern += IsWindowEnabled(window) ? '1' : '0';
  return pattern;
}

// Runs `request` on this thread while another finds its dialog once it is whole and answers it.
std::string RunAnswered(const char* dialogClass, const std::function<std::string()>& request,
                        const std::function<bool(HWND)>& answer) {
  // Made once: under Wine with no window manager, destroying an active window takes seconds.
  int x = 50;
  for (HWND* window : {&other, &hidden, &disabled, &foreground}) {
    if (!*window) *window = CreateWindowExA(0, "Static", "test", WS_POPUP, x += 100, 50, 80, 80, 0, 0, 0, 0);
  }
  for (HWND window : {foreground, other, disabled}) ShowWindow(window, SW_SHOWNA);
  for (HWND window : {foreground, other, hidden, disabled}) EnableWindow(window, window != disabled);
  // Wine may hand the activation to another window as it catches up with the X server.
  EXPECT_TRUE(WaitUntil([] {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    return GetForegroundWindow() == foreground || (SetForegroundWindow(foreground), false);
  }));
  HWND owner = nullptr;
  std::string whileOpen;
  std::atomic<bool> answered{false};
  std::thread driver([&] {
    HWND dialog = nullptr;
    if (WaitUntil([&] {
          dialog = WaitForWindow(GetCurrentProcessId(), dialogClass, 0);
          return dialog && IsWindowVisible(dialog) && ChildOf(dialog, "Button");
        })) {
      owner = GetWindow(dialog, GW_OWNER);
      whileOpen = Enabled();
      answered = answer(dialog);
    }
  });
  const std::string result = request();
  driver.join();
  EXPECT_TRUE(answered);
  EXPECT_EQ(owner, foreground);
  EXPECT_EQ(whileOpen, "0010");
  EXPECT_EQ(Enabled(), "1110");
  return result;
}

std::function<bool(HWND)> Button(int id) {
  return [=](HWND dialog) { return CloseDialog(dialog, id); };
}

std::string Title() { return RequestText("Title", "Please insert your title note:", ""); }
std::string Colour(COLORREF start) { return std::to_string(RequestColour(start)); }
std::string Message() { return std::to_string(ShowMessage("Tackpad", "Keep?", MB_YESNO)); }

std::string Font() {
  if (!RequestFont("", 0, CF_EFFECTS, -1)) return "none";
  return std::to_string(FontChoiceSize()) + " " + std::to_string(FontChoiceStyle()) + " " + FontChoiceName();
}

std::atomic<bool> refused{false};

void CALLBACK RefuseAllocations(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  FailAllocationsAfter(0);
  refused = true;
}

// Memory refused from inside the dialog's loop, once the records of the disabled windows exist.
std::string TitleWithoutMemory() {
  SetTimer(nullptr, 0, 1, RefuseAllocations);
  const std::string text = RequestText("Title", "Prompt", "lost");
  FailAllocationsAfter(-1);
  return text;
}

bool EnterOnceRefused(HWND requester) {
  if (WaitUntil([] { return refused.load(); })) PressKey(ChildOf(requester, "Edit"), VK_RETURN);
  return WaitUntil([&] { return !IsWindow(requester); });
}

TEST(Requesters, EachIsModalToTheProgramAndGivesItsResultForOkAndForCancel) {
  const DWORD thread = GetCurrentThreadId();
  std::string face;
  const struct {
    const char *name, *dialogClass;
    std::function<std::string()> request;
    std::function<bool(HWND)> answer;
    std::function<std::string()> result;  // after the answer
  } cases[] = {
      {"title", "InputRequester", Title, [](HWND d) { return AnswerTitle(d, "my note"); }, [] { return "my note"; }},
      {"title without memory", "InputRequester", TitleWithoutMemory, EnterOnceRefused, [] { return ""; }},
      {"colour", "#32770", [] { return Colour(-1); }, [](HWND d) { return AnswerColour(d, RGB(10, 20, 30)); },
       [] { return "1971210"; }},
      {"colour cancelled", "#32770", [] { return Colour(0x123456); }, Button(IDCANCEL), [] { return "-1"; }},
      {"font", "#32770", Font, [&](HWND d) { return !(face = AnswerFont(d, L"Bold Italic", L"12")).empty(); },
       [&] { return "12 772 " + face; }},
      {"message yes", "#32770", Message, Button(IDYES), [] { return "6"; }},
      // Last: a quit closes the dialog and stays queued for the program's own loop.
      {"title quit", "InputRequester", Title, [&](HWND) { return PostThreadMessageA(thread, WM_QUIT, 7, 0) != 0; },
       [] { return ""; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string result = RunAnswered(c.dialogClass, c.request, c.answer);
    EXPECT_EQ(result, c.result());
  }
  MSG message{};
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
}

}  // namespace
