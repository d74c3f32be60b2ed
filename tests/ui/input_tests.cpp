// Real input through the platform: keys from keybd_event, the mouse from xdotool.
#include <richedit.h>

#include <string>
#include <thread>

#include "events.h"
#include "gadgets.h"
#include "menus.h"
#include "ui_fixture.h"
#include "window_layer.h"

namespace {

void PressKey(BYTE key, bool shift = false) {
  if (shift) keybd_event(VK_SHIFT, 0, 0, 0);
  keybd_event(key, 0, 0, 0);
  keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
  if (shift) keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
}

// Keys typed into the menu loop from a timer; after enough ticks the menu is closed regardless.
const BYTE* menuKeys;
int menuTick;

void CALLBACK TypeIntoMenu(HWND, UINT, UINT_PTR, DWORD) {
  int tick = menuTick++;
  if (menuKeys[tick]) PressKey(menuKeys[tick]);
  else if (tick > 40) EndMenu();
}

void ShowTrayLikeMenuTyping(HWND owner, const BYTE* keys) {
  NewPopupMenu(0);
  AddMenuItem(100, "New note...");
  AddMenuSeparator();
  AddMenuItem(200, "Show All Notes");
  AddMenuItem(300, "Hide All Notes");
  TakeReadyEvents();
  menuKeys = keys;
  menuTick = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 100, TypeIntoMenu);
  ShowMenuAt(0, owner, 300, 300);
  KillTimer(nullptr, timer);
  DiscardMenu(0);
}

bool CursorAt(int x, int y) {
  POINT cursor{};
  GetCursorPos(&cursor);
  return cursor.x == x && cursor.y == y;
}

void BringForward(HWND window, HWND focus) {
  SetForegroundWindow(window);
  SetFocus(focus);
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == focus && GetForegroundWindow() == window; }, 3000));
}

using InputTest = LayerTest;

TEST_F(InputTest, MenuItemChosenWithKeysComesBackForTheOwner) {
  HWND owner = OpenWindow(1000, 0, 0, 0, 0, WindowInvisible);
  static const BYTE downDownReturn[] = {0, VK_DOWN, VK_DOWN, VK_RETURN, 0};
  ShowTrayLikeMenuTyping(owner, downDownReturn);
  SeenEvent chosen{};
  ASSERT_TRUE(AwaitEvent(MenuEvent, &chosen, 3000));
  EXPECT_EQ(chosen.item, 200);
  EXPECT_EQ(chosen.window, 1000);

  static const BYTE downEscape[] = {0, VK_DOWN, VK_ESCAPE, 0};
  ShowTrayLikeMenuTyping(owner, downEscape);
  EXPECT_FALSE(AwaitEvent(MenuEvent, nullptr, 300));  // closed without a choice
}

TEST_F(InputTest, TabTypesIntoAWritableEditorAndMovesFocusElsewhere) {
  HWND note = OpenNote(93, 258, true);
  HWND writable = GadgetHandle(92);
  HWND readOnly = NewEditorGadget(96, 0, 200, 100, 40);
  SendMessageA(readOnly, EM_SETOPTIONS, ECOOP_OR, ECO_READONLY);
  auto button = [&](int x, DWORD tabStop) {
    return CreateWindowExA(0, "Button", "b", WS_CHILD | WS_VISIBLE | tabStop, x, 200, 30, 20, note, nullptr,
                           nullptr, nullptr);
  };
  HWND first = button(110, WS_TABSTOP);
  button(150, 0);  // no tab stop: skipped
  HWND last = button(190, WS_TABSTOP);
  TakeReadyEvents();

  BringForward(note, writable);
  PressKey(VK_TAB);
  ASSERT_TRUE(PumpUntil([] { return GadgetText(92) == "\t"; }, 3000));
  PressKey(VK_TAB, true);  // Shift+Tab is navigation even in an editor: round to the last stop
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == last; }, 3000));
  BringForward(note, first);
  PressKey(VK_TAB);  // buttons say nothing on focus changes, so the key itself comes back raw
  EXPECT_TRUE(AwaitEvent(WM_KEYDOWN, nullptr, 3000));
  EXPECT_EQ(GetFocus(), last);
  PressKey(VK_TAB);
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == writable; }, 3000));
  BringForward(note, readOnly);
  PressKey(VK_TAB);
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == first; }, 3000));
  EXPECT_EQ(GadgetText(92), "\t");
  EXPECT_EQ(GadgetText(96), "");
}

TEST_F(InputTest, LeftPressAndCaptionDragMoveTheNote) {
  OpenNote(97, 128, true);
  TakeReadyEvents();
  RunXdotool("mousemove 260 210");  // over the title strip, which lets presses through
  ASSERT_TRUE(WaitFor([] { return CursorAt(260, 210); }, 5000));
  RunXdotool("mousedown 1");
  SeenEvent press{};
  ASSERT_TRUE(AwaitEvent(WM_LBUTTONDOWN, &press, 5000));
  EXPECT_EQ(press.window, 97);

  std::thread hand([] {
    RunXdotool("mousemove 330 250");
    WaitFor([] { return CursorAt(330, 250); }, 5000);
    WaitFor([] { return WindowLeft(97) == 270; }, 1500);  // drawn live, or only on release
    RunXdotool("mouseup 1");
  });
  SendMessageA(WindowHandle(97), WM_NCLBUTTONDOWN, HTCAPTION, 0);  // the platform's move loop
  hand.join();
  EXPECT_TRUE(PumpUntil([] { return WindowLeft(97) == 270 && WindowTop(97) == 240; }, 3000))
      << WindowLeft(97) << "," << WindowTop(97);
}

}  // namespace
