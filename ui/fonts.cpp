#include "fonts.h"

#include "wide_text.h"

namespace {

// The point size is kept: a height scaled from the last height would drift.
struct FontEntry {
  HFONT font;
  std::int32_t pointSize;
};

ObjectTable* fontTable;

FontEntry* EntryOf(ObjectNumber number) {
  return fontTable ? static_cast<FontEntry*>(FindEntry(fontTable, number)) : nullptr;
}

// 0 keeps the face's own height.
LONG HeightAt(std::int32_t pointSize, UINT dpi) { return -MulDiv(pointSize, static_cast<int>(dpi), 72); }

// Through the wide call: GDI's ANSI calls read a face name in the system's code page, so one beyond
// ASCII stored in UTF-8 would name no font.
HFONT CreateStyledFont(const char* faceName, std::int32_t pointSize, std::int32_t style, UINT dpi) {
  std::wstring face = Widened(faceName);
  if (face.size() >= LF_FACESIZE) face.resize(LF_FACESIZE - 1);
  return CreateFontW(HeightAt(pointSize, dpi), 0, 0, 0, (style & FontStyleBold) ? FW_BOLD : FW_NORMAL,
                     (style & FontStyleItalic) != 0, (style & FontStyleUnderline) != 0,
                     (style & FontStyleStrikeOut) != 0, DEFAULT_CHARSET, 0, 0,
                     (style & FontStyleHighQuality) ? PROOF_QUALITY : DEFAULT_QUALITY, 0, face.c_str());
}

}  // namespace

void StartFonts() { fontTable = CreateObjectTable(sizeof(FontEntry), 16, DiscardFont); }

void EndFonts() {
  StartWalk(fontTable);
  ObjectNumber number = 0;
  while (NextInWalk(fontTable, &number)) DiscardFont(number);
}

HFONT MakeFont(ObjectNumber number, const char* faceName, std::int32_t pointSize, std::int32_t style, UINT dpi) {
  auto* entry = static_cast<FontEntry*>(ClaimEntry(fontTable, number));
  if (!entry) return nullptr;
  bool listed = number == AnyNumber;
  HFONT font = CreateStyledFont(faceName, pointSize, style, dpi);
  if (!font) {
    if (listed) ReleaseEntry(fontTable, reinterpret_cast<ObjectNumber>(entry));
    return nullptr;
  }
  *entry = FontEntry{font, pointSize};
  return listed ? reinterpret_cast<HFONT>(entry) : font;
}

HFONT MakePlainFont(ObjectNumber number, const char* faceName, std::int32_t pointSize, UINT dpi) {
  return MakeFont(number, faceName, pointSize, 0, dpi);
}

HFONT ResizeFont(ObjectNumber number, std::int32_t pointSize, UINT dpi) {
  FontEntry* entry = EntryOf(number);
  LOGFONTW description;
  if (!entry || !GetObjectW(entry->font, sizeof description, &description)) return nullptr;
  description.lfHeight = HeightAt(pointSize, dpi);
  HFONT font = CreateFontIndirectW(&description);
  if (!font) return nullptr;
  DeleteObject(entry->font);
  *entry = FontEntry{font, pointSize};
  return font;
}

HFONT RescaleFont(ObjectNumber number, UINT dpi) {
  const FontEntry* entry = EntryOf(number);
  return entry ? ResizeFont(number, entry->pointSize, dpi) : nullptr;
}

std::int32_t FontPointSize(ObjectNumber number) {
  const FontEntry* entry = EntryOf(number);
  return entry ? entry->pointSize : -1;
}

void DiscardFont(ObjectNumber number) {
  FontEntry* entry = EntryOf(number);
  if (!entry) return;
  DeleteObject(entry->font);
  ReleaseEntry(fontTable, number);
}
