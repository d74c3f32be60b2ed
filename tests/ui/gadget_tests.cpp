#include <richedit.h>

#include <string>

#include "events.h"
#include "fonts.h"
#include "gadgets.h"
#include "ui_fixture.h"
#include "window_layer.h"

namespace {

CHARFORMATA EditorFormat(HWND editor) {
  CHARFORMATA format{};
  format.cbSize = sizeof format;
  SendMessageA(editor, EM_SETSEL, 0, 0);
  SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  return format;
}

class GadgetTest : public LayerTest {
 protected:
  void SetUp() override {
    note = OpenNote(61);
    editor = GadgetHandle(60);
    strip = GadgetHandle(63);
    ASSERT_TRUE(editor && strip);
  }
  // What the note answers when the title strip asks for its colours.
  HBRUSH StripColours(HDC dc, HWND window = nullptr, HWND control = nullptr) {
    return reinterpret_cast<HBRUSH>(SendMessageA(window ? window : note, WM_CTLCOLORSTATIC,
                                                 reinterpret_cast<WPARAM>(dc),
                                                 reinterpret_cast<LPARAM>(control ? control : strip)));
  }
  HWND note = nullptr, editor = nullptr, strip = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);  // stands in for the strip's while painting
  ~GadgetTest() override { DeleteDC(dc); }
};

TEST_F(GadgetTest, TextsComeBackWholeAndEmptyWhenThereIsNone) {
  EXPECT_EQ(GadgetText(63), "Title");
  PutGadgetText(63, nullptr);
  EXPECT_EQ(GadgetText(63), "");
  EXPECT_EQ(GadgetText(4242), "");
  // Windows cuts text set or inserted beyond the limit; Wine's rich edit only cuts typing,
  // so the raised limit is checked as well as the round trip.
  EXPECT_GE(SendMessageA(editor, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE);
  std::string longText(100000, 'q');
  longText.replace(50000, 2, "\r\n");
  PutGadgetText(60, longText.c_str());
  EXPECT_EQ(GadgetText(60), longText);
}

TEST_F(GadgetTest, AppendedLinesFollowTheEmptyFirstLineRule) {
  InsertGadgetLine(60, -1, "abc");
  EXPECT_EQ(GadgetText(60), "abc");
  InsertGadgetLine(60, -1, "def");
  InsertGadgetLine(60, 0, "top");
  InsertGadgetLine(60, 40, "end");  // no such line: appended
  EXPECT_EQ(GadgetText(60), "top\r\nabc\r\ndef\r\nend");

  PutGadgetText(60, "");
  EXPECT_EQ(GadgetText(60), "");
  InsertGadgetLine(60, -1, "");
  EXPECT_EQ(GadgetText(60), "");
  InsertGadgetLine(60, -1, "x");
  InsertGadgetLine(60, -1, "y");
  EXPECT_EQ(GadgetText(60), "\r\nx\r\ny");

  InsertGadgetLine(60, -1, nullptr);
  PutGadgetText(60, "a");  // setting the text forgets the owed empty line
  InsertGadgetLine(60, -1, "b");
  EXPECT_EQ(GadgetText(60), "a\r\nb");
}

TEST_F(GadgetTest, TitleStripColoursAnswerTheParent) {
  ApplyGadgetColour(63, FrontColour, 0x000000FF);
  EXPECT_EQ(StripColours(dc), GetSysColorBrush(COLOR_BTNFACE));
  EXPECT_EQ(GetTextColor(dc), 0x000000FFu);
  EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE));

  ApplyGadgetColour(63, BackColour, 0x00445566);
  HBRUSH brush = StripColours(dc);
  LOGBRUSH described{};
  ASSERT_EQ(GetObjectA(brush, sizeof described, &described), static_cast<int>(sizeof described));
  EXPECT_EQ(described.lbColor, 0x00445566u);
  EXPECT_EQ(GetBkColor(dc), 0x00445566u);
  ApplyGadgetColour(63, BackColour, -1);  // its only user let go: the brush is gone
  EXPECT_EQ(GetObjectType(brush), 0u);
}

TEST_F(GadgetTest, StripsOfOneColourShareABrushUntilTheLastGoes) {
  HWND other = OpenNote(65);
  ApplyGadgetColour(63, BackColour, 0x00123456);
  ApplyGadgetColour(67, BackColour, 0x00123456);
  HBRUSH shared = StripColours(dc);
  EXPECT_EQ(StripColours(dc, other, GadgetHandle(67)), shared);
  RemoveWindow(65);
  EXPECT_EQ(GadgetHandle(67), nullptr);
  EXPECT_EQ(GadgetHandle(64), nullptr);
  EXPECT_EQ(GetObjectType(shared), static_cast<DWORD>(OBJ_BRUSH));
  DestroyWindow(strip);  // a gadget dying before its window lets go of its brush once
  EXPECT_EQ(GadgetHandle(63), nullptr);
  EXPECT_EQ(GetObjectType(shared), 0u);
  RemoveWindow(61);
  EXPECT_EQ(WindowHandle(61), nullptr);
}

TEST_F(GadgetTest, EditorTextColourSurvivesAFontChange) {
  InsertGadgetLine(60, -1, "coloured");
  ApplyGadgetColour(60, FrontColour, 0x00203040);
  ApplyGadgetColour(60, BackColour, 0x00F0F0F0);
  ApplyGadgetFont(60, MakePlainFont(60, "Arial", 14));
  EXPECT_STREQ(EditorFormat(editor).szFaceName, "Arial");
  EXPECT_EQ(EditorFormat(editor).crTextColor, 0x00203040u);
  ApplyGadgetFont(60, reinterpret_cast<HFONT>(static_cast<INT_PTR>(-1)));
  EXPECT_EQ(EditorFormat(editor).crTextColor, 0x00203040u);
  DiscardFont(60);
}

TEST_F(GadgetTest, ReusedNumbersAndPlacing) {
  HWND replacement = NewTextGadget(63, 0, 4, 128, 16, "Second", 1);
  EXPECT_FALSE(IsWindow(strip));
  EXPECT_EQ(GadgetHandle(63), replacement);

  PlaceGadget(60, IgnoreValue, IgnoreValue, 100, IgnoreValue);
  RECT frame;
  GetWindowRect(editor, &frame);
  MapWindowPoints(nullptr, note, reinterpret_cast<POINT*>(&frame), 2);
  EXPECT_EQ(frame.left, 0);
  EXPECT_EQ(frame.top, 25);
  EXPECT_EQ(frame.right - frame.left, 100);
  EXPECT_EQ(frame.bottom - frame.top, 103);

  auto listed = reinterpret_cast<ObjectNumber>(NewTextGadget(AnyNumber, 0, 100, 60, 16, "listed", 0));
  EXPECT_EQ(GadgetText(listed), "listed");
  RemoveWindow(61);  // takes the listed gadget along, once
  EXPECT_EQ(GadgetHandle(listed), nullptr);
}

}  // namespace
