#include "fonts.h"

namespace {

ObjectTable* fontTable;

HFONT FontOf(ObjectNumber number) {
  auto* entry = fontTable ? static_cast<HFONT*>(FindEntry(fontTable, number)) : nullptr;
  return entry ? *entry : nullptr;
}

HFONT CreateStyledFont(const char* faceName, std::int32_t pointSize, std::int32_t style) {
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  if (!screen) return nullptr;
  int height = -MulDiv(pointSize, GetDeviceCaps(screen, LOGPIXELSY), 72);
  HFONT font = CreateFontA(height, 0, 0, 0, (style & FontStyleBold) ? FW_BOLD : FW_NORMAL,
                           (style & FontStyleItalic) != 0, (style & FontStyleUnderline) != 0,
                           (style & FontStyleStrikeOut) != 0, DEFAULT_CHARSET, 0, 0,
                           (style & FontStyleHighQuality) ? PROOF_QUALITY : DEFAULT_QUALITY, 0,
                           faceName ? faceName : "");
  DeleteDC(screen);
  return font;
}

}  // namespace

void StartFonts() { fontTable = CreateObjectTable(sizeof(HFONT), 16, DiscardFont); }

void EndFonts() {
  StartWalk(fontTable);
  ObjectNumber number = 0;
  while (NextInWalk(fontTable, &number)) DiscardFont(number);
}

HFONT MakeFont(ObjectNumber number, const char* faceName, std::int32_t pointSize, std::int32_t style) {
  auto* entry = static_cast<HFONT*>(ClaimEntry(fontTable, number));
  if (!entry) return nullptr;
  bool listed = number == AnyNumber;
  HFONT font = CreateStyledFont(faceName, pointSize, style);
  if (!font) {
    if (listed) ReleaseEntry(fontTable, reinterpret_cast<ObjectNumber>(entry));
    return nullptr;
  }
  *entry = font;
  return listed ? reinterpret_cast<HFONT>(entry) : font;
}

HFONT MakePlainFont(ObjectNumber number, const char* faceName, std::int32_t pointSize) {
  return MakeFont(number, faceName, pointSize, 0);
}

void DiscardFont(ObjectNumber number) {
  HFONT font = FontOf(number);
  if (!font) return;
  DeleteObject(font);
  ReleaseEntry(fontTable, number);
}
