#pragma once
#include <windows.h>

#include <cstdint>

#include "font_style.h"
#include "object_table.h"

void StartFonts();
void EndFonts();
// pointSize at the screen's vertical resolution. Returns 0 on failure.
HFONT MakeFont(ObjectNumber number, const char* faceName, std::int32_t pointSize, std::int32_t style);
HFONT MakePlainFont(ObjectNumber number, const char* faceName, std::int32_t pointSize);
void DiscardFont(ObjectNumber number);
