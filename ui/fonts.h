#pragma once
#include <windows.h>

#include <cstdint>

#include "font_style.h"
#include "object_table.h"

void StartFonts();
void EndFonts();
// pointSize at a display scale of `dpi` dots per inch. Returns 0 on failure.
HFONT MakeFont(ObjectNumber number, const char* faceName, std::int32_t pointSize, std::int32_t style, UINT dpi);
HFONT MakePlainFont(ObjectNumber number, const char* faceName, std::int32_t pointSize, UINT dpi);
// Font `number` made anew, the same in all but its height, for another scale; the old one is
// deleted. Returns 0, keeping the old one, when the new one cannot be made.
HFONT RescaleFont(ObjectNumber number, UINT dpi);
// Likewise at another point size, the face and style kept.
HFONT ResizeFont(ObjectNumber number, std::int32_t pointSize, UINT dpi);
// The point size font `number` was made at; -1 where there is no such font.
std::int32_t FontPointSize(ObjectNumber number);
void DiscardFont(ObjectNumber number);
