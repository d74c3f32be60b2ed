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

class Requesters : public ::testing::Test {
 protected:
  // Made once: under Wine with no window manager, destroying an active window takes seconds.
  static void SetUpTestSuite() {
    if (foreground) return;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "RequesterTestWindow";
    RegisterClassA(&windowClass);
    for (HWND* window : {&other, &hidden, &disabled, &foreground}) {
      *window = CreateWindowExA(0, windowClass.lpszClassName, "test", WS_POPUP, 50 + 100 * (window - &other), 50,
                                80, 80, nullptr, nullptr, nullptr, nullptr);
    }
  }
  // The four states a requester must tell apart; the foreground window is to be the owner.
  // Wine may hand the activation to another window as it catches up with the X server.
  static bool Prepare() {
    for (HWND window : {foreground, other, disabled}) ShowWindow(window, SW_SHOWNA);
    for (HWND window : {foreground, other, hidden, disabled}) EnableWindow(window, window != disabled);
    return WaitUntil([] {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
      return GetForegroundWindow() == foreground || (SetForegroundWindow(foreground), false);
    });
  }
  static std::string Enabled() {
    std::string pattern;
    for (HWND window : {foreground, other, hidden, disabled}) pattern += IsWindowEnabled(window) ? '1' : '0';
    return pattern;
  }

  // Runs `request` on this thread while another finds its dialog once it is whole and answers it.
  std::string Run(const char* dialogClass, const std::function<std::string()>& request,
                  const std::function<bool(HWND)>& answer) {
    EXPECT_TRUE(Prepare());
    HWND owner = nullptr;
    std::string whileOpen;
    bool answered = false;
    std::thread driver([&] {
      HWND dialog = nullptr;
      if (!WaitUntil([&] {
            dialog = WaitForWindow(GetCurrentProcessId(), dialogClass, 0);
            return dialog && IsWindowVisible(dialog) && ChildOf(dialog, "Button");
          })) {
        return;
      }
      owner = GetWindow(dialog, GW_OWNER);
      whileOpen = Enabled();
      answered = answer(dialog);
    });
    std::string result = request();
    driver.join();
    EXPECT_TRUE(answered);
    EXPECT_EQ(owner, foreground);
    EXPECT_EQ(whileOpen, "0010");
    EXPECT_EQ(Enabled(), "1110");
    return result;
  }

  static HWND foreground, other, hidden, disabled;
};

HWND Requesters::foreground, Requesters::other, Requesters::hidden, Requesters::disabled;

std::function<bool(HWND)> Button(int id) {
  return [=](HWND dialog) { return CloseDialog(dialog, id); };
}

std::string Title() { return RequestText("Title", "Please insert your title note:", ""); }

TEST_F(Requesters, EachIsModalToTheProgramAndGivesItsResultForOkAndForCancel) {
  std::string face;
  const auto font = [&] {
    const int chosen = RequestFont("", 0, CF_EFFECTS, -1);
    return std::to_string(chosen) + (chosen ? " " + std::to_string(FontChoiceSize()) + " " +
                                                  std::to_string(FontChoiceStyle()) + " " + FontChoiceName()
                                            : "");
  };
  struct Case {
    const char *name, *dialogClass;
    std::function<std::string()> request;
    std::function<bool(HWND)> answer;
    std::function<std::string()> result;
  };
  const Case cases[] = {
      {"title", "InputRequester", Title, [](HWND d) { return AnswerTitle(d, "my note"); }, [] { return "my note"; }},
      {"title cancelled", "InputRequester", Title, [](HWND d) { return AnswerTitle(d, nullptr); }, [] { return ""; }},
      {"title closed", "InputRequester", Title, [](HWND d) { return PostMessageA(d, WM_CLOSE, 0, 0) != 0; },
       [] { return ""; }},
      {"colour", "#32770", [] { return std::to_string(RequestColour(-1)); },
       [](HWND d) { return AnswerColour(d, RGB(10, 20, 30)); }, [] { return "1971210"; }},
      {"colour cancelled", "#32770", [] { return std::to_string(RequestColour(0x123456)); }, Button(IDCANCEL),
       [] { return "-1"; }},
      {"font", "#32770", font, [&](HWND d) { return !(face = AnswerFont(d, L"Bold Italic", L"12", true)).empty(); },
       [&] { return "1 12 772 " + face; }},
      {"font cancelled", "#32770", font, Button(IDCANCEL), [] { return "0"; }},
      {"message yes", "#32770", [] { return std::to_string(ShowMessage("Tackpad", "Keep?", MB_YESNO)); },
       Button(IDYES), [] { return "6"; }},
      {"message no", "#32770", [] { return std::to_string(ShowMessage("Tackpad", "Keep?", MB_YESNO)); },
       Button(IDNO), [] { return "7"; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string result = Run(c.dialogClass, c.request, c.answer);
    EXPECT_EQ(result, c.result());
  }
}

std::atomic<bool> refused{false};

void CALLBACK RefuseAllocations(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  FailAllocationsAfter(0);
  refused = true;
}

TEST_F(Requesters, TheTitleRequesterSurvivesAQuitMessageAndNoMemory) {
  // A quit closes the dialog and stays queued for the program's own loop.
  const DWORD thread = GetCurrentThreadId();
  EXPECT_EQ(Run("InputRequester", Title, [&](HWND) { return PostThreadMessageA(thread, WM_QUIT, 7, 0) != 0; }), "");
  MSG message{};
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
  // Refused from inside the dialog's loop, once the records of the disabled windows exist.
  const std::string text = Run("InputRequester", [] {
    SetTimer(nullptr, 0, 1, RefuseAllocations);
    return RequestText("Title", "Prompt", "lost");
  }, [](HWND d) {
    if (WaitUntil([] { return refused.load(); })) PressKey(ChildOf(d, "Edit"), VK_RETURN);
    return WaitUntil([&] { return !IsWindow(d); });
  });
  FailAllocationsAfter(-1);
  EXPECT_EQ(text, "");
}

TEST(FontDescription, CutsALongFaceNameAt31Bytes) {
  const std::string face(40, 'x');
  EXPECT_EQ(std::string(FontDescription(face.c_str(), 0).lfFaceName), face.substr(0, 31));
}

}  // namespace
