#pragma once
#include <cstdint>

// Font style bits: reported by the font requester, understood by font making, stored under
// "FontStyle" as decimal text. Other bits are ignored.
enum : std::int32_t {
  FontStyleUnderline = 0x4,
  FontStyleStrikeOut = 0x8,
  FontStyleHighQuality = 0x10,
  FontStyleBold = 0x100,
  FontStyleItalic = 0x200
};
