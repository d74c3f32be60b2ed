#include "dialogs.h"

#include <cstring>

#include "driver.h"

namespace {

using DialogTest = RequesterTest;

constexpr int RedField = 706, GreenField = 707, BlueField = 708;
constexpr int CustomColourArea = 721, AddCustomColour = 712;
constexpr int FaceList = 0x470, StyleList = 0x471, SizeList = 0x472, ColourList = 0x473;
constexpr int UnderlineBox = 0x411;

void Click(HWND dialog, int control) { SendMessageA(GetDlgItem(dialog, control), BM_CLICK, 0, 0); }
void Confirm(HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); }
void Cancel(HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }

void TypeColour(HWND dialog, const char* red, const char* green, const char* blue) {
  SetDlgItemTextA(dialog, RedField, red);
  SetDlgItemTextA(dialog, GreenField, green);
  SetDlgItemTextA(dialog, BlueField, blue);
}

// Clicks custom colour box `slot`: two rows of eight.
void PickCustomColour(HWND dialog, int slot) {
  RECT area;
  GetWindowRect(GetDlgItem(dialog, CustomColourArea), &area);
  POINT point{area.left + (area.right - area.left) * (2 * (slot % 8) + 1) / 16,
              area.top + (area.bottom - area.top) * (2 * (slot / 8) + 1) / 4};
  ScreenToClient(dialog, &point);
  SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
  SendMessageA(dialog, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
}

std::string Choose(HWND dialog, int list, int index) {
  HWND combo = GetDlgItem(dialog, list);
  SendMessageA(combo, CB_SETCURSEL, index, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  char item[LF_FACESIZE] = {};
  GetWindowTextA(combo, item, sizeof item);
  return item;
}

std::int32_t Colour(DialogAction action, std::int32_t initial) {
  return RunDialog("#32770", std::move(action), [&] { return RequestColour(initial); },
                   RequesterTest::foreground);
}

int Font(DialogAction action, const char* face, std::int32_t size, std::int32_t colour) {
  return RunDialog("#32770", std::move(action),
                   [&] { return RequestFont(face, size, CF_EFFECTS, colour); }, RequesterTest::foreground);
}

TEST_F(DialogTest, ColourDialogReturnsTheChosenColourOrMinusOne) {
  EXPECT_EQ(Colour(Confirm, 0x123456), 0x123456);
  EXPECT_EQ(CustomColours()[0], 0x123456u);
  const auto typed = [](HWND dialog) {
    TypeColour(dialog, "10", "20", "30");
    Confirm(dialog);
  };
  EXPECT_EQ(Colour(typed, -1), 0x1E140A);
  EXPECT_EQ(CustomColours()[0], 0u);
  EXPECT_EQ(Colour(Cancel, 0x00FF00), -1);
}

TEST_F(DialogTest, ColourDialogOffersTheCustomColoursOfEarlierCalls) {
  // Two additions: the first may land in slot 0, which every call overwrites.
  const auto define = [](HWND dialog) {
    TypeColour(dialog, "1", "2", "3");
    Click(dialog, AddCustomColour);
    TypeColour(dialog, "40", "50", "60");
    Click(dialog, AddCustomColour);
    Confirm(dialog);
  };
  EXPECT_EQ(Colour(define, -1), 0x3C3228);
  int slot = 1;
  while (slot < 16 && CustomColours()[slot] != 0x3C3228) ++slot;
  ASSERT_LT(slot, 16);
  const auto reuse = [&](HWND dialog) {
    PickCustomColour(dialog, slot);
    Confirm(dialog);
  };
  EXPECT_EQ(Colour(reuse, 0x0000FF), 0x3C3228);
  EXPECT_EQ(CustomColours()[0], 0x0000FFu);
}

TEST_F(DialogTest, FontDialogReturnsTheChosenFontOrZero) {
  std::string face;
  const auto choose = [&](HWND dialog) {
    face = Choose(dialog, FaceList, 1);
    EXPECT_EQ(Choose(dialog, StyleList, 3), "Bold Italic");
    Click(dialog, UnderlineBox);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, SizeList)), TRUE);
    if (IsForeground(dialog)) TypeText("10.5");
    WaitUntil([&] {
      char size[16] = {};
      return GetDlgItemTextA(dialog, SizeList, size, sizeof size) && std::string(size) == "10.5";
    });
    Confirm(dialog);
  };
  EXPECT_EQ(Font(choose, "", 0, -1), 1);
  EXPECT_EQ(FontChoiceName(), face);
  EXPECT_EQ(FontChoiceSize(), 10);
  EXPECT_EQ(FontChoiceStyle(), 0x304);

  EXPECT_EQ(Font(Confirm, face.c_str(), 12, -1), 1);
  EXPECT_EQ(FontChoiceName(), face);
  EXPECT_EQ(FontChoiceSize(), 12);
  EXPECT_EQ(FontChoiceStyle(), 0);

  char colour[32] = {};
  const auto cancel = [&](HWND dialog) {
    GetDlgItemTextA(dialog, ColourList, colour, sizeof colour);
    Cancel(dialog);
  };
  EXPECT_EQ(Font(cancel, face.c_str(), 12, 0x0000FF), 0);
  EXPECT_STREQ(colour, "Red");
}

TEST(FontDescription, PreselectsTheFaceCutTo31BytesAndTheHeightOfThePointSize) {
  const LOGFONTA none = FontDescription("", 0), zero{};
  EXPECT_EQ(std::memcmp(&none, &zero, sizeof zero), 0);
  const std::string longFace(40, 'x');
  EXPECT_EQ(std::string(FontDescription(longFace.c_str(), 0).lfFaceName), longFace.substr(0, 31));
  HDC screen = GetDC(nullptr);
  const int dotsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (dotsPerInch != 96) GTEST_SKIP() << "display at " << dotsPerInch << " dots per inch";
  EXPECT_EQ(FontDescription("", 11).lfHeight, -15);
  EXPECT_EQ(FontDescription("", 12).lfHeight, -16);
  EXPECT_EQ(FontDescription("", 10).lfHeight, -13);
}

TEST_F(DialogTest, MessageBoxReturnsItsButton) {
  std::string caption(16, '\0');
  const auto no = [&](HWND box) {
    caption.resize(GetWindowTextA(box, &caption[0], 16));
    Click(box, IDNO);
  };
  EXPECT_EQ(RunDialog("#32770", no, [] { return ShowMessage("Tackpad", "Keep it?", MB_YESNO); },
                      foreground),
            IDNO);
  EXPECT_EQ(caption, "Tackpad");
}

}  // namespace
