#include "ui_fixture.h"

#include "fonts.h"

namespace {

LOGFONTA Describe(HFONT font) {
  LOGFONTA described{};
  EXPECT_EQ(GetObjectA(font, sizeof described, &described), static_cast<int>(sizeof described));
  return described;
}

TEST(FontTest, HeightFollowsTheScreenResolution) {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  HFONT font = MakeFont(80, "Tahoma", 9, FontStyleBold);
  ASSERT_NE(font, nullptr);
  LOGFONTA described = Describe(font);
  EXPECT_EQ(described.lfHeight, -MulDiv(9, dpi, 72));
  if (dpi == 96) {
    EXPECT_EQ(described.lfHeight, -12);
  }
  EXPECT_EQ(described.lfWeight, FW_BOLD);
  EXPECT_STREQ(described.lfFaceName, "Tahoma");
  DiscardFont(80);
}

TEST(FontTest, StyleBitsChooseTheLook) {
  LOGFONTA boldItalic = Describe(MakeFont(81, "Arial", 12, 0x300));
  EXPECT_EQ(boldItalic.lfWeight, FW_BOLD);
  EXPECT_TRUE(boldItalic.lfItalic);
  EXPECT_FALSE(boldItalic.lfUnderline);
  EXPECT_FALSE(boldItalic.lfStrikeOut);
  EXPECT_EQ(boldItalic.lfQuality, DEFAULT_QUALITY);

  LOGFONTA underlined = Describe(MakeFont(82, "Arial", 12, 0x14 | 0x1000));  // unknown bits ignored
  EXPECT_EQ(underlined.lfWeight, FW_NORMAL);
  EXPECT_FALSE(underlined.lfItalic);
  EXPECT_TRUE(underlined.lfUnderline);
  EXPECT_EQ(underlined.lfQuality, PROOF_QUALITY);

  HFONT plain = MakePlainFont(83, "Comic Sans MS", 14);
  EXPECT_EQ(Describe(plain).lfWeight, FW_NORMAL);
  HFONT struck = MakeFont(84, "Arial", 12, FontStyleStrikeOut);
  EXPECT_TRUE(Describe(struck).lfStrikeOut);
  EndFonts();  // deletes every font of the table
  EXPECT_EQ(GetObjectType(plain), 0u);
  EXPECT_EQ(GetObjectType(struck), 0u);
}

TEST(FontTest, SameNumberDeletesTheEarlierFont) {
  HFONT first = MakePlainFont(85, "Arial", 10);
  HFONT second = MakePlainFont(85, "Arial", 11);
  EXPECT_EQ(GetObjectType(first), 0u);
  EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_FONT));
  DiscardFont(85);
  EXPECT_EQ(GetObjectType(second), 0u);
  DiscardFont(85);  // nothing left: nothing happens
}

}  // namespace
