#pragma once
#include <windows.h>

// Display scales as dots per inch: 96 is 100 %. Every measure of the program's own windows is
// designed at 96 and scaled to the monitor each window is on.
constexpr UINT BaseDpi = 96;

// The scale of the monitor a window is on: Windows 10's own answer, else the monitor's
// (Windows 8.1), else the screen's (Windows 7).
UINT WindowDpi(HWND window);
// The scale the system started at, fixed for the process's life.
UINT SystemDpi();

// A length designed at 96 dpi, at `dpi`; and a length at `dpi` as designed.
int ScaledTo(int length, UINT dpi);
int UnscaledFrom(int length, UINT dpi);

// The coordinates a program unaware of scales sees, which is what the notes file holds:
// physical pixels times 96 over the system's scale.
int UnawareCoordinate(int physical);
int PhysicalCoordinate(int unaware);

// The frame of a window of this style around `client`, at `dpi`.
void AdjustFrameForDpi(RECT* client, DWORD style, DWORD extendedStyle, UINT dpi);

// A system metric at `dpi` (where the system cannot tell, at its own scale).
int SystemMetricAt(int index, UINT dpi);
