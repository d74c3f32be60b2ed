#include "ui_fixture.h"

#include <richedit.h>

#include <string>

#include "events.h"
#include "fonts.h"
#include "gadgets.h"
#include "text.h"
#include "windows.h"

namespace {

std::string TextOf(ObjectNumber number) {
  std::size_t mark = ScratchMark();
  std::string text = FetchGadgetText(number);
  EXPECT_EQ(ScratchMark(), mark + text.size()) << "the fill position stands on the terminating zero";
  ScratchRewind(mark);
  return text;
}

CHARFORMATA EditorFormat(HWND editor) {
  CHARFORMATA format{};
  format.cbSize = sizeof format;
  SendMessageA(editor, EM_SETSEL, 0, 0);
  SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  return format;
}

COLORREF EditorTextColour(HWND editor) { return EditorFormat(editor).crTextColor; }

class GadgetTest : public LayerTest {
 protected:
  void SetUp() override {
    note = OpenNote(61);
    editor = GadgetHandle(60);
    strip = GadgetHandle(63);
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(strip, nullptr);
  }
  // What the note window answers when the title strip asks for its colours.
  HBRUSH StripColours(HDC dc) {
    return reinterpret_cast<HBRUSH>(
        SendMessageA(note, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(strip)));
  }
  HWND note = nullptr, editor = nullptr, strip = nullptr;
};

TEST_F(GadgetTest, ControlsCarryTheirNumbersAndStyles) {
  EXPECT_EQ(GetParent(editor), note);
  EXPECT_EQ(GetWindowLongPtrA(editor, GWLP_ID), 60);
  EXPECT_EQ(GetWindowLongPtrA(strip, GWLP_ID), 63);
  char className[32];
  GetClassNameA(editor, className, sizeof className);
  EXPECT_STREQ(className, "RichEdit20A");
  // Scroll bars come and go with the text, so their bits are not looked at.
  EXPECT_EQ(GetWindowLongPtrA(editor, GWL_STYLE) & 0x500111C4, 0x500111C4);
  EXPECT_TRUE(GetWindowLongPtrA(editor, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(GetWindowLongPtrA(strip, GWL_STYLE) & (SS_NOTIFY | SS_CENTER), SS_CENTER);
  EXPECT_EQ(TextOf(63), "Title");
}

TEST_F(GadgetTest, AppendedLinesFollowTheEmptyFirstLineRule) {
  InsertGadgetLine(60, -1, "abc");
  EXPECT_EQ(TextOf(60), "abc");
  InsertGadgetLine(60, -1, "def");
  EXPECT_EQ(TextOf(60), "abc\r\ndef");
  InsertGadgetLine(60, 0, "top");
  EXPECT_EQ(TextOf(60), "top\r\nabc\r\ndef");
  InsertGadgetLine(60, 40, "end");  // no such line: appended
  EXPECT_EQ(TextOf(60), "top\r\nabc\r\ndef\r\nend");

  PutGadgetText(60, "");
  EXPECT_EQ(TextOf(60), "");
  InsertGadgetLine(60, -1, "");
  EXPECT_EQ(TextOf(60), "");
  InsertGadgetLine(60, -1, "x");
  EXPECT_EQ(TextOf(60), "\r\nx");
  InsertGadgetLine(60, -1, "y");
  EXPECT_EQ(TextOf(60), "\r\nx\r\ny");

  PutGadgetText(60, nullptr);  // clearing forgets the owed empty line
  InsertGadgetLine(60, -1, "");
  PutGadgetText(60, "a");
  InsertGadgetLine(60, -1, "b");
  EXPECT_EQ(TextOf(60), "a\r\nb");
}

TEST_F(GadgetTest, EditorHoldsALongTextWhole) {
  // Windows cuts text set or inserted beyond the limit; Wine's rich edit only cuts typing,
  // so the raised limit itself is checked as well as the round trip.
  EXPECT_GE(SendMessageA(editor, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE);
  std::string longText(100000, 'q');
  longText.replace(50000, 2, "\r\n");
  PutGadgetText(60, longText.c_str());
  EXPECT_EQ(TextOf(60), longText);
  PutGadgetText(60, "");
  InsertGadgetLine(60, -1, longText.c_str());  // inserted text meets the limit too
  EXPECT_EQ(TextOf(60).size(), longText.size());
}

TEST_F(GadgetTest, TextOfMissingGadgetIsEmpty) {
  EXPECT_EQ(TextOf(4242), "");
  PutGadgetText(4242, "ignored");
  InsertGadgetLine(63, -1, "not for a text gadget");
  EXPECT_EQ(TextOf(63), "Title");
  PutGadgetText(63, nullptr);
  EXPECT_EQ(TextOf(63), "");
}

TEST_F(GadgetTest, TitleStripColoursAnswerTheParent) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(reinterpret_cast<LRESULT>(StripColours(dc)), DefWindowProcA(note, WM_CTLCOLORSTATIC,
                                                                        reinterpret_cast<WPARAM>(dc),
                                                                        reinterpret_cast<LPARAM>(strip)));
  ApplyGadgetColour(63, FrontColour, 0x000000FF);
  EXPECT_EQ(StripColours(dc), GetSysColorBrush(COLOR_BTNFACE));
  EXPECT_EQ(GetTextColor(dc), 0x000000FFu);
  EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE));

  ApplyGadgetColour(63, BackColour, 0x00445566);
  HBRUSH brush = StripColours(dc);
  EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
  EXPECT_EQ(GetBkColor(dc), 0x00445566u);
  LOGBRUSH described{};
  GetObjectA(brush, sizeof described, &described);
  EXPECT_EQ(described.lbColor, 0x00445566u);

  ApplyGadgetColour(63, BackColour, -1);  // the only user let go: the brush is gone
  EXPECT_EQ(GetObjectType(brush), 0u);
  DeleteDC(dc);
}

TEST_F(GadgetTest, StripsOfOneColourShareABrushUntilTheLastWindowGoes) {
  HWND other = OpenNote(65, 300, 100);
  HWND otherStrip = GadgetHandle(67);
  ApplyGadgetColour(63, BackColour, 0x00123456);
  ApplyGadgetColour(67, BackColour, 0x00123456);
  HDC dc = CreateCompatibleDC(nullptr);
  HBRUSH shared = StripColours(dc);
  EXPECT_EQ(reinterpret_cast<HBRUSH>(SendMessageA(other, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                  reinterpret_cast<LPARAM>(otherStrip))),
            shared);
  DeleteDC(dc);
  RemoveWindow(65);
  EXPECT_EQ(GadgetHandle(67), nullptr);
  EXPECT_EQ(GadgetHandle(64), nullptr);
  EXPECT_EQ(GetObjectType(shared), static_cast<DWORD>(OBJ_BRUSH));
  RemoveWindow(61);
  EXPECT_EQ(GetObjectType(shared), 0u);
}

TEST_F(GadgetTest, EditorColoursSurviveAFontChange) {
  InsertGadgetLine(60, -1, "coloured");
  ApplyGadgetColour(60, FrontColour, 0x00203040);
  ApplyGadgetColour(60, BackColour, 0x00F0F0F0);
  EXPECT_EQ(EditorTextColour(editor), 0x00203040u);
  HFONT font = MakePlainFont(60, "Arial", 14);
  ApplyGadgetFont(60, font);
  EXPECT_STREQ(EditorFormat(editor).szFaceName, "Arial");
  EXPECT_EQ(EditorTextColour(editor), 0x00203040u);
  ApplyGadgetFont(60, reinterpret_cast<HFONT>(static_cast<INT_PTR>(-1)));
  EXPECT_EQ(EditorTextColour(editor), 0x00203040u);
  DiscardFont(60);
}

TEST_F(GadgetTest, FontsGoToOneGadgetOrToThoseMadeLater) {
  HFONT font = MakeFont(61, "Tahoma", 9, FontStyleBold);
  ApplyGadgetFont(63, font);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(strip, WM_GETFONT, 0, 0)), font);
  ApplyGadgetFont(AnyNumber, font);
  HWND later = NewTextGadget(69, 0, 100, 50, 16, "later", 0);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(later, WM_GETFONT, 0, 0)), font);
  ApplyGadgetFont(AnyNumber, reinterpret_cast<HFONT>(static_cast<INT_PTR>(-1)));
  DiscardFont(61);
}

TEST_F(GadgetTest, ReusedNumberDestroysTheOldControl) {
  HWND replacement = NewTextGadget(63, 0, 4, 128, 16, "Second", 1);
  EXPECT_FALSE(IsWindow(strip));
  EXPECT_EQ(GadgetHandle(63), replacement);
  EXPECT_EQ(TextOf(63), "Second");
  DestroyWindow(replacement);
  EXPECT_EQ(GadgetHandle(63), nullptr);
}

TEST_F(GadgetTest, PlaceGadgetKeepsIgnoredValues) {
  PlaceGadget(60, IgnoreValue, IgnoreValue, 100, IgnoreValue);
  RECT frame;
  GetWindowRect(editor, &frame);
  MapWindowPoints(nullptr, note, reinterpret_cast<POINT*>(&frame), 2);
  EXPECT_EQ(frame.left, 0);
  EXPECT_EQ(frame.top, 25);
  EXPECT_EQ(frame.right - frame.left, 100);
  EXPECT_EQ(frame.bottom - frame.top, 103);
}

TEST_F(GadgetTest, AnyNumberGadgetIsNamedByTheReturnedHandle) {
  HWND named = NewTextGadget(AnyNumber, 0, 100, 60, 16, "listed", 0);
  auto number = reinterpret_cast<ObjectNumber>(named);
  HWND native = GadgetHandle(number);
  ASSERT_NE(native, nullptr);
  EXPECT_EQ(TextOf(number), "listed");
  RemoveWindow(61);  // the window takes the listed gadget with it, once
  EXPECT_EQ(GadgetHandle(number), nullptr);
}

TEST_F(GadgetTest, GadgetsDestroyedBeforeTheirWindowAreReleasedOnce) {
  ApplyGadgetColour(63, BackColour, 0x00ABCDEF);
  HDC dc = CreateCompatibleDC(nullptr);
  HBRUSH brush = StripColours(dc);
  DeleteDC(dc);
  ASSERT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
  DestroyWindow(strip);
  DestroyWindow(editor);
  EXPECT_EQ(GadgetHandle(63), nullptr);
  EXPECT_EQ(GadgetHandle(60), nullptr);
  EXPECT_EQ(GetObjectType(brush), 0u);
  RemoveWindow(61);
  EXPECT_EQ(WindowHandle(61), nullptr);
}

}  // namespace
