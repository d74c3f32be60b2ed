#pragma once
#include <cstdint>

// Fixed numbers and measures of a note, and how note numbers are handed out.
// The program's own windows and controls take numbers from a range no note ever takes.
constexpr std::int32_t ReservedFirst = 1000, ReservedLast = 1019;
constexpr std::int32_t OwnerWindow = 1000;
constexpr std::int32_t AllNotesWindow = 1001;  // its controls take the numbers after it
constexpr std::int32_t TrayMenu = 0;
constexpr std::int32_t TrayIcon = 1;

// Measures at 96 dpi, scaled to the note's monitor; "Size" stores them unscaled.
constexpr std::int32_t SmallSize = 128;
constexpr std::int32_t NormalSize = 258;
constexpr std::int32_t LargeSize = 388;
constexpr std::int32_t TitleStripTop = 4;
constexpr std::int32_t TitleStripHeight = 16;
constexpr std::int32_t EditAreaTop = 25;
constexpr std::int32_t RolledUpHeight = 24;
constexpr std::int32_t TranslucentAlpha = 144;
// Pixels of a title strip that must lie on a work area for a person to drag the note.
constexpr std::int32_t ReachableGrip = 16;

// A note's text sizes in points: a new note's, and the steps from the keyboard and the wheel, those
// of the font dialog's list. From a size between or beyond them, the next one in the direction asked;
// past either end, none.
constexpr std::int32_t NewNoteTextSize = 14;
constexpr std::int32_t TextSizeSteps[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
constexpr std::int32_t SteppedTextSize(std::int32_t size, bool larger) {
  std::int32_t smaller = size;  // the list rises
  for (std::int32_t step : TextSizeSteps) {
    if (larger && step > size) return step;
    if (step < size) smaller = step;
  }
  return larger ? size : smaller;
}

// Note numbers step by two (a note's fonts take its number and the next). A note's objects take
// its number, the one before and the two after; the reserved range is passed over whole, the
// step's parity kept, since an object made under a number in use replaces the one that had it.
constexpr std::int32_t NextNoteNumber(std::int32_t number) {
  const std::int32_t next = number + 2;
  return next + 2 >= ReservedFirst && next - 1 <= ReservedLast ? next + ((ReservedLast + 3 - next) & ~1) : next;
}
