#pragma once
#include <windows.h>

#include <cstdint>

#include "object_table.h"

// Style bits, shared with the font requester; other bits are ignored.
enum : std::int32_t {
  FontStyleUnderline = 0x4,
  FontStyleStrikeOut = 0x8,
  FontStyleHighQuality = 0x10,
  FontStyleBold = 0x100,
  FontStyleItalic = 0x200
};

void StartFonts();
void EndFonts();
// pointSize at the screen's vertical resolution. Returns 0 on failure.
HFONT MakeFont(ObjectNumber number, const char* faceName, std::int32_t pointSize, std::int32_t style);
HFONT MakePlainFont(ObjectNumber number, const char* faceName, std::int32_t pointSize);
void DiscardFont(ObjectNumber number);
