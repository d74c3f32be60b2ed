#include "events.h"
#include "gadgets.h"
#include "ui_fixture.h"
#include "window_layer.h"

namespace {

using EventTest = LayerTest;

TEST_F(EventTest, DeferredEventsComeFirstAndOnlyRepeatsInARowCoalesce) {
  HWND a = OpenWindow(41, 10, 10, 50, 50, 0x90000000u);
  HWND b = OpenWindow(42, 70, 10, 50, 50, 0x90000000u);
  TakeReadyEvents();
  PostMessageA(a, TrayRelayMessage, 7, WM_LBUTTONUP);  // leaves item 7 behind
  ASSERT_EQ(NextEvent(0), TrayEvent);
  PostMessageA(a, WM_APP, 0, 0);
  SendMessageA(a, WM_MOVE, 0, 0);
  EXPECT_EQ(NextEvent(0), MoveEvent);
  EXPECT_EQ(LastWindow(), 41);
  EXPECT_EQ(LastSubtype(), -1);
  EXPECT_EQ(LastItem(), 7);
  EXPECT_EQ(NextEvent(0), static_cast<std::int32_t>(WM_APP));
  EXPECT_EQ(NextEvent(0), 0);
  EXPECT_EQ(NextEvent(50), 0);

  HDC dc = GetDC(a);
  for (HWND window : {a, a, b, a}) SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  ReleaseDC(a, dc);
  std::vector<SeenEvent> events = TakeReadyEvents();
  ASSERT_EQ(events.size(), 3u);  // A A B A: the first two were one
  for (const SeenEvent& event : events) EXPECT_EQ(event.kind, RepaintEvent);
  EXPECT_EQ(events[0].window, 41);
  EXPECT_EQ(events[1].window, 42);
  EXPECT_EQ(events[2].window, 41);
}

TEST_F(EventTest, MinimisingMakesNoSizeEventButRestoringDoes) {
  HWND window = OpenWindow(47, 10, 10, 120, 80, WS_OVERLAPPEDWINDOW);
  TakeReadyEvents();
  ShowWindow(window, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(window));
  EXPECT_FALSE(HasEvent(TakeReadyEvents(), SizeEvent, 47));
  ShowWindow(window, SW_RESTORE);
  EXPECT_TRUE(HasEvent(TakeReadyEvents(), SizeEvent, 47));
}

TEST_F(EventTest, TrayCallbacksAreRelayedThroughTheQueue) {
  HWND owner = OpenWindow(1000, 0, 0, 0, 0, WindowInvisible);
  TakeReadyEvents();
  const LPARAM clicks[] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK};
  for (std::int32_t subtype = 0; subtype < 4; ++subtype) {
    SendMessageA(owner, TrayCallbackMessage, 1, clicks[subtype]);  // as the shell does
    ASSERT_EQ(NextEvent(0), TrayEvent);
    EXPECT_EQ(LastSubtype(), subtype);
    EXPECT_EQ(LastItem(), 1);
    EXPECT_EQ(LastWindow(), 1000);
  }
  SendMessageA(owner, TrayCallbackMessage, 1, WM_MOUSEMOVE);
  EXPECT_EQ(NextEvent(0), static_cast<std::int32_t>(TrayRelayMessage));
  PostMessageA(owner, TrayCallbackMessage, 1, WM_RBUTTONUP);  // the callback itself queued
  EXPECT_EQ(NextEvent(0), static_cast<std::int32_t>(TrayCallbackMessage));
  EXPECT_EQ(NextEvent(0), TrayEvent);
  EXPECT_EQ(LastSubtype(), TrayRightClick);
}

TEST_F(EventTest, CommandsBecomeMenuAndGadgetEventsUnlessDrained) {
  HWND window = OpenWindow(49, 10, 10, 120, 80, 0x90000000u);
  SetGadgetHost(window);
  HWND strip = NewTextGadget(51, 0, 0, 120, 16, "t", 1);
  TakeReadyEvents();
  PostMessageA(window, WM_COMMAND, 6, 0);
  EXPECT_EQ(NextEvent(0), MenuEvent);
  EXPECT_EQ(LastItem(), 6);
  EXPECT_EQ(LastWindow(), 49);
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(7, 1), 0);  // an accelerator that is not Tab
  EXPECT_EQ(NextEvent(0), MenuEvent);
  EXPECT_EQ(LastItem(), 7);
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(51, STN_CLICKED), reinterpret_cast<LPARAM>(strip));
  EXPECT_EQ(NextEvent(0), GadgetEvent);
  EXPECT_EQ(LastGadget(), 51);
  EXPECT_EQ(LastSubtype(), STN_CLICKED);

  PostMessageA(window, WM_COMMAND, 9, 0);
  DrainMessages();
  PostMessageA(window, WM_APP, 0, 0);  // the drained command must not be reported with it
  EXPECT_EQ(NextEvent(0), static_cast<std::int32_t>(WM_APP));
}

}  // namespace
