// The window layer under Wine: what a user would miss and the end-to-end suite cannot see.
#include <gtest/gtest.h>
#include <richedit.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "driver.h"
#include "events.h"
#include "fonts.h"
#include "gadgets.h"
#include "menus.h"
#include "text.h"
#include "window_layer.h"

namespace {

constexpr std::uint32_t Hidden = 0x90000000u, Shown = 0x80000000u;  // note windows

class LayerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { StartTextHelpers(), StartFonts(), StartWindowLayer(), StartGadgets(), StartMenus(); }
  void TearDown() override {
    EndWindowLayer();
    while (NextEvent(0)) continue;
  }
  // A note: title strip `number` + 2 and edit area `number` - 1.
  static HWND OpenNote(ObjectNumber number, std::uint32_t flags = Hidden, HWND owner = nullptr) {
    HWND window = SetGadgetHost(NewWindow(number, 200, 200, 258, 258, "", flags, owner));
    NewTextGadget(number + 2, 0, 4, 258, 16, "Title", 1);
    NewEditorGadget(number - 1, 0, 25, 258, 233);
    return window;
  }
  static std::string GadgetText(ObjectNumber number) {
    std::size_t mark = ScratchMark();
    std::string text = FetchGadgetText(number);
    EXPECT_EQ(ScratchMark(), mark + text.size()) << "the fill position stands on the terminating zero";
    ScratchRewind(mark);
    return text;
  }
};

// Appending lines is never done by the program itself, only offered by the layer.
TEST_F(LayerTest, TheEditAreaHoldsAWholeLongTextAndAnAppendedEmptyFirstLineShowsOnlyOnceASecondLineFollows) {
  OpenNote(61);
  // Windows cuts a text set beyond the limit; Wine's rich edit only cuts typing, hence both checks.
  EXPECT_GE(SendMessageA(GadgetHandle(60), EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE);
  std::string text(100000, 'q');
  text.replace(50000, 2, "\r\n");
  PutGadgetText(60, text.c_str());
  EXPECT_EQ(GadgetText(60), text);
  InsertGadgetLine(60, -1, "");
  PutGadgetText(60, "a");  // setting the text forgets the owed empty line
  InsertGadgetLine(60, -1, "b");
  EXPECT_EQ(GadgetText(60), "a\r\nb");
  PutGadgetText(60, nullptr);
  for (const char* line : {"", "x", "y"}) InsertGadgetLine(60, -1, line);
  EXPECT_EQ(GadgetText(60), "\r\nx\r\ny");
}

TEST_F(LayerTest, WindowsGadgetsAndBrushesAreFreedOnceHoweverTheyEnd) {
  OpenNote(21);
  OpenNote(25);
  ApplyGadgetColour(23, BackColour, 0x00123456);
  ApplyGadgetColour(27, BackColour, 0x00123456);
  HBRUSH shared = AcquireBrush(0x00123456);  // the cache's, shared by both strips
  ReleaseBrush(shared);
  SetWindowBackground(21, 0x007DEDF0);
  WindowRecord parts = *FindWindowRecord(21);
  DestroyWindow(GadgetHandle(23));  // a gadget dying before its window lets go of its brush
  RemoveWindow(21);
  RemoveWindow(21);  // a second removal finds nothing
  EXPECT_EQ(GetObjectType(shared), static_cast<DWORD>(OBJ_BRUSH)) << "note 25 still uses it";
  EXPECT_EQ(GetObjectType(parts.backgroundBrush), 0u);
  EXPECT_EQ(CopyAcceleratorTableA(parts.acceleratorTable, nullptr, 0), 0);
  EXPECT_EQ(GadgetHandle(20), nullptr);

  // Destroyed with its owner, not through the layer: the records go all the same.
  HWND owner = NewWindow(30, 0, 0, 0, 0, "", WindowInvisible, nullptr);
  OpenNote(25, Hidden, owner);  // replaces the note 25 above, and its use of the brush
  EXPECT_EQ(GetObjectType(shared), 0u);
  SetWindowBackground(25, 0x00112233);
  parts = *FindWindowRecord(25);
  DestroyWindow(owner);
  EXPECT_EQ(WindowHandle(25), nullptr);
  EXPECT_EQ(GadgetHandle(24), nullptr);
  EXPECT_EQ(GetObjectType(parts.backgroundBrush), 0u);
  EXPECT_NE(NewWindow(25, 0, 0, 50, 50, "", Hidden, nullptr), nullptr);
}

TEST_F(LayerTest, MenusNestAtMost64DeepAndAreFreedOnceWhenReplacedOrDiscarded) {
  HMENU menu = NewPopupMenu(73);
  for (int level = 0; level < 65; ++level) BeginSubmenu("deeper");  // the 65th is refused
  AddMenuItem(9, "deepest");
  HMENU at = menu;
  for (int level = 0; level < 64; ++level) at = GetSubMenu(at, 0);
  EXPECT_EQ(GetMenuItemID(at, 0), 9u);
  HMENU replacement = NewPopupMenu(73);
  EXPECT_FALSE(IsMenu(menu) || IsMenu(at));
  DiscardMenu(73);
  DiscardMenu(73);
  EXPECT_FALSE(IsMenu(replacement));
}

TEST_F(LayerTest, DeferredEventsComeFirstOnlyRepeatsInARowCoalesceAndDrainedCommandsVanish) {
  HWND a = NewWindow(41, 10, 10, 50, 50, "", Hidden, nullptr), b = NewWindow(42, 70, 10, 50, 50, "", Hidden, nullptr);
  while (NextEvent(0)) continue;
  PostMessageA(a, WM_APP, 0, 0);
  HDC dc = GetDC(a);
  for (HWND window : {a, a, b, a}) SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  ReleaseDC(a, dc);
  std::vector<ObjectNumber> repaints;
  while (NextEvent(0) == RepaintEvent) repaints.push_back(LastWindow());
  EXPECT_EQ(repaints, (std::vector<ObjectNumber>{41, 42, 41}));  // then WM_APP, which came earlier

  PostMessageA(a, WM_COMMAND, 9, 0);
  DrainMessages();  // as creating an edit area does
  PostMessageA(a, WM_APP, 0, 0);
  EXPECT_EQ(NextEvent(0), static_cast<std::int32_t>(WM_APP));
}

void HitKey(BYTE key, bool shift = false) {
  if (shift) keybd_event(VK_SHIFT, 0, 0, 0);
  keybd_event(key, 0, 0, 0);
  keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
  if (shift) keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
}

bool PumpUntil(const std::function<bool()>& done) {
  return WaitUntil([&] { return done() || (NextEvent(20), false); }, 5000);
}

// Tab is text in a writable edit area and otherwise moves the focus among tab stops, wrapping.
TEST_F(LayerTest, RealTabKeysTypeIntoAWritableEditAreaAndOtherwiseMoveTheFocus) {
  HWND note = OpenNote(93, Shown);
  HWND writable = GadgetHandle(92), readOnly = NewEditorGadget(96, 0, 200, 100, 40);
  SendMessageA(readOnly, EM_SETOPTIONS, ECOOP_OR, ECO_READONLY);
  HWND button = CreateWindowExA(0, "Button", "b", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 110, 200, 30, 20, note,
                                nullptr, nullptr, nullptr);
  CreateWindowExA(0, "Button", "n", WS_CHILD | WS_VISIBLE, 150, 200, 30, 20, note, nullptr, nullptr, nullptr);
  SetForegroundWindow(note);
  SetFocus(writable);
  ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == note; }));
  HitKey(VK_TAB);
  ASSERT_TRUE(PumpUntil([] { return GadgetText(92) == "\t"; }));
  HitKey(VK_TAB, true);  // Shift+Tab navigates even from an edit area: round to the last stop
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == button; }));
  HitKey(VK_TAB);  // past the end, skipping the button without a tab stop
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == writable; }));
  SetFocus(readOnly);
  HitKey(VK_TAB);
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == button; }));
  EXPECT_EQ(GadgetText(92), "\t");
  EXPECT_EQ(GadgetText(96), "");
}

}  // namespace
