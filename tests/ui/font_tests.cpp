#include "fonts.h"
#include "ui_fixture.h"

namespace {

LOGFONTA Describe(HFONT font) {
  LOGFONTA described{};
  EXPECT_EQ(GetObjectA(font, sizeof described, &described), static_cast<int>(sizeof described));
  return described;
}

TEST(FontTest, HeightFollowsTheScreenAndStyleBitsTheLook) {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  LOGFONTA title = Describe(MakeFont(80, "Tahoma", 9, FontStyleBold));
  EXPECT_EQ(title.lfHeight, dpi == 96 ? -12 : -MulDiv(9, dpi, 72));
  EXPECT_EQ(title.lfWeight, FW_BOLD);
  EXPECT_STREQ(title.lfFaceName, "Tahoma");

  LOGFONTA boldItalic = Describe(MakeFont(81, "Arial", 12, 0x300));
  EXPECT_EQ(boldItalic.lfWeight, FW_BOLD);
  EXPECT_TRUE(boldItalic.lfItalic);
  EXPECT_FALSE(boldItalic.lfUnderline || boldItalic.lfStrikeOut);
  EXPECT_EQ(boldItalic.lfQuality, DEFAULT_QUALITY);

  LOGFONTA underlined = Describe(MakeFont(82, "Arial", 12, 0x14 | 0x1000));  // unknown bits ignored
  EXPECT_EQ(underlined.lfWeight, FW_NORMAL);
  EXPECT_TRUE(underlined.lfUnderline && !underlined.lfItalic);
  EXPECT_EQ(underlined.lfQuality, PROOF_QUALITY);
  EXPECT_TRUE(Describe(MakeFont(83, "Arial", 12, FontStyleStrikeOut)).lfStrikeOut);
}

TEST(FontTest, SameNumberDeletesTheEarlierFontAndEndFontsAll) {
  HFONT first = MakePlainFont(85, "Arial", 10);
  HFONT second = MakePlainFont(85, "Arial", 11);
  EXPECT_EQ(GetObjectType(first), 0u);
  EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_FONT));
  HFONT other = MakePlainFont(86, "Arial", 10);
  DiscardFont(85);
  DiscardFont(85);  // nothing left: nothing happens
  EXPECT_EQ(GetObjectType(second), 0u);
  EndFonts();
  EXPECT_EQ(GetObjectType(other), 0u);
}

}  // namespace
