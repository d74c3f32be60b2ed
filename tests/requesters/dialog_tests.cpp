#include "dialogs.h"

#include <cstring>
#include <vector>

#include "driver.h"

namespace {

using DialogTest = RequesterTest;

constexpr int RedField = 706, GreenField = 707, BlueField = 708;
constexpr int CustomColourArea = 721, AddCustomColour = 712;
constexpr int FaceList = 0x470, StyleList = 0x471, SizeList = 0x472, ColourList = 0x473;
constexpr int UnderlineBox = 0x411;

void Click(HWND dialog, int control) { SendMessageA(GetDlgItem(dialog, control), BM_CLICK, 0, 0); }

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

void Choose(HWND dialog, int list, const char* item) {
  HWND combo = GetDlgItem(dialog, list);
  const LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(item));
  SendMessageA(combo, CB_SETCURSEL, index, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

int CALLBACK CollectTrueType(const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM faces) {
  if ((type & TRUETYPE_FONTTYPE) && font->lfFaceName[0] != '@') {
    reinterpret_cast<std::vector<std::string>*>(faces)->push_back(font->lfFaceName);
  }
  return 1;
}

std::vector<std::string> TrueTypeFaces() {
  std::vector<std::string> faces;
  LOGFONTA all{};
  all.lfCharSet = DEFAULT_CHARSET;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExA(screen, &all, CollectTrueType, reinterpret_cast<LPARAM>(&faces), 0);
  ReleaseDC(nullptr, screen);
  return faces;
}

void Confirm(HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); }
void Cancel(HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }

TEST_F(DialogTest, ColourDialogReturnsTheChosenColourOrMinusOne) {
  std::string whileOpen;
  HWND owner = nullptr;
  DialogDriver preselected("#32770", [&](HWND dialog) {
    whileOpen = EnabledPattern();
    owner = Owner(dialog);
    Confirm(dialog);
  });
  EXPECT_EQ(RequestColour(0x123456), 0x123456);
  EXPECT_TRUE(preselected.Finish());
  EXPECT_EQ(CustomColours()[0], 0x123456u);
  EXPECT_EQ(owner, foreground);
  EXPECT_EQ(whileOpen, "0010");
  EXPECT_EQ(EnabledPattern(), "1110");

  DialogDriver typed("#32770", [](HWND dialog) {
    TypeColour(dialog, "10", "20", "30");
    Confirm(dialog);
  });
  EXPECT_EQ(RequestColour(-1), 0x1E140A);
  EXPECT_TRUE(typed.Finish());
  EXPECT_EQ(CustomColours()[0], 0u);

  DialogDriver cancelled("#32770", Cancel);
  EXPECT_EQ(RequestColour(0x00FF00), -1);
  EXPECT_TRUE(cancelled.Finish());
  EXPECT_EQ(EnabledPattern(), "1110");
}

TEST_F(DialogTest, ColourDialogOffersTheCustomColoursOfEarlierCalls) {
  // Two additions: the first lands in slot 0, which every call overwrites.
  DialogDriver define("#32770", [](HWND dialog) {
    TypeColour(dialog, "1", "2", "3");
    Click(dialog, AddCustomColour);
    TypeColour(dialog, "40", "50", "60");
    Click(dialog, AddCustomColour);
    Confirm(dialog);
  });
  EXPECT_EQ(RequestColour(-1), 0x3C3228);
  EXPECT_TRUE(define.Finish());
  int slot = 1;
  while (slot < 16 && CustomColours()[slot] != 0x3C3228) ++slot;
  ASSERT_LT(slot, 16);

  DialogDriver reuse("#32770", [&](HWND dialog) {
    PickCustomColour(dialog, slot);
    Confirm(dialog);
  });
  EXPECT_EQ(RequestColour(0x0000FF), 0x3C3228);
  EXPECT_TRUE(reuse.Finish());
  EXPECT_EQ(CustomColours()[0], 0x0000FFu);
}

TEST_F(DialogTest, FontDialogReturnsTheChosenFontOrZero) {
  const std::vector<std::string> faces = TrueTypeFaces();
  ASSERT_GE(faces.size(), 2u);
  std::string whileOpen;
  DialogDriver preselected("#32770", [&](HWND dialog) {
    whileOpen = EnabledPattern();
    Confirm(dialog);
  });
  EXPECT_EQ(RequestFont(faces[0].c_str(), 12, CF_EFFECTS, -1), 1);
  EXPECT_TRUE(preselected.Finish());
  EXPECT_EQ(whileOpen, "0010");
  EXPECT_EQ(FontChoiceName(), faces[0]);
  EXPECT_EQ(FontChoiceSize(), 12);
  EXPECT_EQ(FontChoiceStyle(), 0);

  DialogDriver chosen("#32770", [&](HWND dialog) {
    Choose(dialog, FaceList, faces[1].c_str());
    Choose(dialog, StyleList, "Bold Italic");
    Click(dialog, UnderlineBox);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, SizeList)), TRUE);
    if (WaitUntil([&] { return GetForegroundWindow() == dialog; })) TypeText("10.5");
    WaitUntil([&] {
      char size[16] = {};
      GetDlgItemTextA(dialog, SizeList, size, sizeof size);
      return std::string(size) == "10.5";
    });
    Confirm(dialog);
  });
  EXPECT_EQ(RequestFont("", 0, CF_EFFECTS, -1), 1);
  EXPECT_TRUE(chosen.Finish());
  EXPECT_EQ(FontChoiceName(), faces[1]);
  EXPECT_EQ(FontChoiceSize(), 10);
  EXPECT_EQ(FontChoiceStyle(), 0x304);

  char colour[32] = {};
  DialogDriver cancelled("#32770", [&](HWND dialog) {
    GetDlgItemTextA(dialog, ColourList, colour, sizeof colour);
    Cancel(dialog);
  });
  EXPECT_EQ(RequestFont(faces[0].c_str(), 12, CF_EFFECTS, 0x0000FF), 0);
  EXPECT_TRUE(cancelled.Finish());
  EXPECT_STREQ(colour, "Red");
  EXPECT_EQ(EnabledPattern(), "1110");
}

TEST(FontDescription, PreselectsTheFaceCutTo31BytesAndTheHeightOfThePointSize) {
  const LOGFONTA none = FontDescription("", 0);
  const LOGFONTA zero{};
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
  std::string whileOpen, caption;
  HWND owner = nullptr;
  DialogDriver driver("#32770", [&](HWND dialog) {
    whileOpen = EnabledPattern();
    owner = Owner(dialog);
    char text[64] = {};
    GetWindowTextA(dialog, text, sizeof text);
    caption = text;
    Click(dialog, IDNO);
  });
  EXPECT_EQ(ShowMessage("Tackpad", "Keep it?", MB_YESNO), IDNO);
  EXPECT_TRUE(driver.Finish());
  EXPECT_EQ(caption, "Tackpad");
  EXPECT_EQ(owner, foreground);
  EXPECT_EQ(whileOpen, "0010");
  EXPECT_EQ(EnabledPattern(), "1110");
}

TEST_F(DialogTest, MessageBoxHasNoOwnerWhenAnotherProcessIsInFront) {
  ForeignForeground foreign;
  ASSERT_TRUE(foreign.Active());
  std::string whileOpen;
  HWND owner = foreground;
  DialogDriver driver("#32770", [&](HWND dialog) {
    whileOpen = EnabledPattern();
    owner = Owner(dialog);
    Click(dialog, IDOK);
  });
  EXPECT_EQ(ShowMessage("Tackpad", "About", MB_ICONINFORMATION), IDOK);
  EXPECT_TRUE(driver.Finish());
  EXPECT_EQ(owner, nullptr);
  EXPECT_EQ(whileOpen, "0010");
  EXPECT_EQ(EnabledPattern(), "1110");
}

}  // namespace
