#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// The platform's colour dialog; returns the chosen 0x00BBGGRR colour, or -1 when cancelled.
// -1 as the initial colour preselects black.
std::int32_t RequestColour(std::int32_t initialColour);

// The platform's font dialog, preselecting the face (cut to 31 bytes; null or empty: none)
// and size (0: none); colour -1 means black. Returns 1 when a font was chosen, else 0.
int RequestFont(const char* faceName, std::int32_t pointSize, std::uint32_t extraFlags,
                std::int32_t colour);
// The choice of the last RequestFont that returned 1.
std::string FontChoiceName();
std::int32_t FontChoiceSize();
// 0x4 underline, 0x8 strike-out, 0x100 bold, 0x200 italic.
std::int32_t FontChoiceStyle();

// MessageBoxA owned by this process's foreground window; returns the button that closed it.
int ShowMessage(const char* caption, const char* text, std::uint32_t flags);
