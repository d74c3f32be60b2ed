// Real keyboard and mouse input through the platform: keys from keybd_event, the mouse from xdotool.
#include "ui_fixture.h"

#include <richedit.h>

#include <atomic>
#include <string>
#include <thread>

#include "events.h"
#include "gadgets.h"
#include "menus.h"
#include "text.h"
#include "windows.h"

namespace {

void PressKey(BYTE key, bool shift = false) {
  if (shift) keybd_event(VK_SHIFT, 0, 0, 0);
  keybd_event(key, 0, 0, 0);
  keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
  if (shift) keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
}

// Keys typed into a menu loop from a timer; after enough ticks the menu is closed regardless.
const BYTE* menuKeys;
int menuTick;

void CALLBACK TypeIntoMenu(HWND, UINT, UINT_PTR, DWORD) {
  int tick = menuTick++;
  if (menuKeys[tick]) PressKey(menuKeys[tick]);
  else if (tick > 40) EndMenu();
}

void ShowMenuTyping(ObjectNumber menu, HWND window, const BYTE* keys) {
  menuKeys = keys;
  menuTick = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 100, TypeIntoMenu);
  ShowMenuAt(menu, window, 300, 300);
  KillTimer(nullptr, timer);
}

void BuildTrayLikeMenu(ObjectNumber number) {
  NewPopupMenu(number);
  AddMenuItem(100, "New note...");
  AddMenuSeparator();
  AddMenuItem(200, "Show All Notes");
  AddMenuItem(300, "Hide All Notes");
}

bool CursorAt(int x, int y) {
  POINT cursor{};
  GetCursorPos(&cursor);
  return cursor.x == x && cursor.y == y;
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
    Sleep(10);
  }
  return true;
}

void MoveMouseTo(int x, int y) {
  char arguments[64];
  std::snprintf(arguments, sizeof arguments, "mousemove %d %d", x, y);
  RunXdotool(arguments);
  ASSERT_TRUE(WaitFor([&] { return CursorAt(x, y); }, 5000));
}

std::string EditorText(ObjectNumber number) {
  std::size_t mark = ScratchMark();
  std::string text = FetchGadgetText(number);
  ScratchRewind(mark);
  return text;
}

void BringForward(HWND window, HWND focus) {
  SetForegroundWindow(window);
  SetFocus(focus);
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == focus && GetForegroundWindow() == window; }, 3000));
}

// The key's own message comes back raw, once the accelerator has handled it.
bool AwaitKeyEvent(int timeoutMs) { return AwaitEvent(WM_KEYDOWN, nullptr, timeoutMs); }

using InputTest = LayerTest;

TEST_F(InputTest, MenuItemChosenWithKeysComesBackForTheOwner) {
  HWND owner = OpenWindow(1000, 0, 0, 0, 0, WindowInvisible);
  BuildTrayLikeMenu(0);
  TakeReadyEvents();
  static const BYTE downDownReturn[] = {0, VK_DOWN, VK_DOWN, VK_RETURN, 0};
  ShowMenuTyping(0, owner, downDownReturn);
  SeenEvent chosen{};
  ASSERT_TRUE(AwaitEvent(MenuEvent, &chosen, 3000));
  EXPECT_EQ(chosen.item, 200);
  EXPECT_EQ(chosen.window, 1000);
  DiscardMenu(0);
}

TEST_F(InputTest, MenuClosedWithoutAChoiceMakesNoEvent) {
  HWND owner = OpenWindow(1000, 0, 0, 0, 0, WindowInvisible);
  BuildTrayLikeMenu(0);
  TakeReadyEvents();
  static const BYTE downEscape[] = {0, VK_DOWN, VK_ESCAPE, 0};
  ShowMenuTyping(0, owner, downEscape);
  EXPECT_FALSE(AwaitEvent(MenuEvent, nullptr, 300));
  DiscardMenu(0);
}

TEST_F(InputTest, SubmenuItemChosenWithKeys) {
  HWND note = OpenNote(91, 200, 200, 128, true);
  NewPopupMenu(91);
  AddMenuItem(1, "Hide note");
  BeginSubmenu("Edit note");
  AddMenuItem(4, "Text Color");
  AddMenuItem(5, "Text Font");
  EndSubmenu();
  TakeReadyEvents();
  static const BYTE intoSubmenu[] = {0, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN, 0};
  ShowMenuTyping(91, note, intoSubmenu);
  SeenEvent chosen{};
  ASSERT_TRUE(AwaitEvent(MenuEvent, &chosen, 3000));
  EXPECT_EQ(chosen.item, 5);
  EXPECT_EQ(chosen.window, 91);
  DiscardMenu(91);
}

TEST_F(InputTest, TabTypesIntoAWritableEditorOnly) {
  HWND note = OpenNote(93, 200, 200, 258, true);
  HWND writable = GadgetHandle(92);
  SetGadgetHost(note);
  HWND readOnly = NewEditorGadget(96, 0, 200, 100, 40);
  SendMessageA(readOnly, EM_SETOPTIONS, ECOOP_OR, ECO_READONLY);
  TakeReadyEvents();

  BringForward(note, writable);
  PressKey(VK_TAB);
  ASSERT_TRUE(PumpUntil([] { return EditorText(92).find('\t') != std::string::npos; }, 3000));
  EXPECT_EQ(GetFocus(), writable);

  PressKey(VK_TAB, true);  // Shift+Tab is navigation even in an editor
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == readOnly; }, 3000));
  PressKey(VK_TAB);  // from the read-only editor, the last candidate, round to the first
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == writable; }, 3000));
  EXPECT_EQ(EditorText(92), "\t");
  EXPECT_EQ(EditorText(96), "");
}

TEST_F(InputTest, TabMovesFocusAmongTabStopsAndComesBackRaw) {
  HWND window = OpenWindow(98, 200, 200, 200, 100, 0x80000000u);
  auto button = [&](int x, DWORD extra) {
    return CreateWindowExA(0, "Button", "b", WS_CHILD | WS_VISIBLE | extra, x, 10, 40, 20, window, nullptr,
                           nullptr, nullptr);
  };
  HWND first = button(10, WS_TABSTOP);
  button(60, 0);  // no tab stop: skipped
  HWND third = button(110, WS_TABSTOP);
  TakeReadyEvents();

  BringForward(window, first);
  PressKey(VK_TAB);
  EXPECT_TRUE(AwaitKeyEvent(3000));
  EXPECT_EQ(GetFocus(), third);
  PressKey(VK_TAB);
  EXPECT_TRUE(AwaitKeyEvent(3000));
  EXPECT_EQ(GetFocus(), first);
  PressKey(VK_TAB, true);
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == third; }, 3000));
}

TEST_F(InputTest, LeftPressAndCaptionDragMoveTheNote) {
  HWND note = OpenNote(97, 200, 200, 128, true);
  SetForegroundWindow(note);
  TakeReadyEvents();
  MoveMouseTo(260, 210);  // over the title strip, which lets presses through
  RunXdotool("mousedown 1");
  SeenEvent press{};
  ASSERT_TRUE(AwaitEvent(WM_LBUTTONDOWN, &press, 5000));
  EXPECT_EQ(press.window, 97);

  HANDLE dragging = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> cursorArrived{false};
  std::thread hand([&] {
    WaitForSingleObject(dragging, 5000);
    RunXdotool("mousemove 330 250");
    cursorArrived = WaitFor([] { return CursorAt(330, 250); }, 5000);
    WaitFor([&] { return WindowLeft(97) == 270; }, 1500);  // drawn live, or only on release
    RunXdotool("mouseup 1");
  });
  SetEvent(dragging);
  SendMessageA(WindowHandle(97), WM_NCLBUTTONDOWN, HTCAPTION, 0);  // the platform's move loop
  hand.join();
  CloseHandle(dragging);
  EXPECT_TRUE(cursorArrived);
  EXPECT_TRUE(PumpUntil([] { return WindowLeft(97) == 270 && WindowTop(97) == 240; }, 3000))
      << WindowLeft(97) << "," << WindowTop(97);
}

}  // namespace
