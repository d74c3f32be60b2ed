// The window layer under Wine: what a user would miss and the end-to-end suite cannot see.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

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
};

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

// Creating an edit area drains the queue: a command drained so must not come back later; nor may
// a kind made inside a nested loop that no one took stand in for the next press. A WM_NOTIFY
// without its record, which any process can send, is no crash.
TEST_F(LayerTest, NeitherDrainedCommandsNorLeftoverKindsHideAPressAndANotifyWithoutARecordIsIgnored) {
  HWND window = NewWindow(41, 10, 10, 50, 50, "", Hidden, nullptr);
  while (NextEvent(0)) continue;
  PostMessageA(window, WM_COMMAND, 9, 0);
  DrainMessages();
  PostMessageA(window, TrayRelayMessage, 1, WM_RBUTTONUP);
  MSG message;  // a nested loop, as a menu or a dialog runs: the event layer takes nothing
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  PostMessageA(window, WM_LBUTTONDOWN, 0, 0);
  EXPECT_EQ(NextEvent(0), static_cast<std::int32_t>(WM_LBUTTONDOWN));
  SendMessageA(window, WM_NOTIFY, 0, 0);
}

}  // namespace
