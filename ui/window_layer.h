#pragma once
#include <windows.h>

#include <cstdint>

#include "object_table.h"

constexpr int IgnoreValue = -65535;  // a coordinate or size that keeps its current value

// NewWindow flags: the platform style, except for these.
constexpr std::uint32_t WindowScreenCentred = 1, WindowParentCentred = 2, WindowInvisible = 0x10000000,
                        WindowMaximized = 0x01000000;

struct WindowRecord {
  HWND handle;
  std::int32_t acceleratorCount;
  ACCEL* accelerators;
  HACCEL acceleratorTable;
  std::int32_t backgroundColour;  // -1: the class background
  HBRUSH backgroundBrush;
  POINT markedPlace;  // where the window stood when created or last marked, or moved by no person since
  bool inMoveLoop;    // the person moves it (a drag, or the keyboard's move)
  bool personMoved;   // since the mark
  UINT dpi;           // the scale its contents are laid out for
  HWND focus;         // the child that had the keyboard focus when the window was last deactivated
  int opacity;        // as asked for, 255 opaque; -1: not layered
};

void StartWindowLayer();
void EndWindowLayer();

// Width and height are the client size. Returns 0 on failure.
HWND NewWindow(ObjectNumber number, int x, int y, int width, int height, const char* title,
               std::uint32_t flags, HWND parent);
void RemoveWindow(ObjectNumber number);
HWND WindowHandle(ObjectNumber number);
void SetWindowHidden(ObjectNumber number, int hidden);
void SetWindowTopmost(ObjectNumber number, int on);
void PlaceWindow(ObjectNumber number, int x, int y, int width, int height);
void SetWindowBackground(ObjectNumber number, std::int32_t colour);
// Makes the window layered and gives it this opacity (255: opaque); it stays layered. A
// high-contrast theme shows it opaque.
void SetWindowOpacity(ObjectNumber number, std::uint8_t opacity);
int WindowLeft(ObjectNumber number);
int WindowTop(ObjectNumber number);
int WindowInnerWidth(ObjectNumber number);
// The scale of the monitor the window was made on or last moved to (96 when there is no window).
UINT WindowScale(ObjectNumber number);
// Notes where the window stands now; whether the person moved it elsewhere since. A move no person
// made (Windows' own on a display change, the program's) takes the mark along, unless the person
// moved the window first.
void MarkWindowPlace(ObjectNumber number);
bool WindowMovedSinceMark(ObjectNumber number);
// For the event layer: the system's colours changed; the window shows them (or its own) again.
void ShowWindowColours(const WindowRecord& record);
// For the event layer: the person's move loop began or ended; the window was moved, in it or not.
void NoteMoveLoop(WindowRecord& record, ObjectNumber number, bool began);
void NoteWindowMoved(WindowRecord& record, ObjectNumber number);

// For the event layer: the number of the layer window that is or contains `handle`
// (-1 when none does), the record of a number, and the record of exactly this window.
ObjectNumber WindowNumberOf(HWND handle);
WindowRecord* FindWindowRecord(ObjectNumber number);
WindowRecord* RecordOfWindow(HWND handle);
// A window of the layer dying without RemoveWindow (its owner was destroyed) lets go here.
void ForgetDestroyedWindow(HWND handle);
