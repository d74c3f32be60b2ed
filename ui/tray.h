#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdint>

#include "object_table.h"

// Numbered notification-area icons; clicks and keys reach the owning window as TrayEvents.
void StartTray();
void EndTray();
// Non-zero on success (with AnyNumber: the name of the icon), 0 when refused.
std::intptr_t TrayIconAdd(ObjectNumber number, HWND window, HICON icon);
// What the shell's fields hold, in UTF-16 units with the terminator: a tip, a balloon's title and text.
constexpr std::size_t TipRoom = 128, BalloonTitleRoom = 64, BalloonTextRoom = 256;

// The first 127 characters of the text (UTF-16 units); returns the shell's answer.
int TrayIconSetTip(ObjectNumber number, const char* text);
// A balloon from the icon: 63 characters of title, 255 of text, `icon` one of the NIIF_ values.
int TrayIconBalloon(ObjectNumber number, const char* title, const char* text, DWORD icon);
// The icon drawn anew, at the size the notification area now asks for.
int TrayIconSetImage(ObjectNumber number, HICON icon);
// The keyboard's focus handed back to the notification area, as after a menu opened from it.
int TrayIconFocus(ObjectNumber number);
void TrayIconRemove(ObjectNumber number);
// A text in the process's code page into a field of `room` UTF-16 units, cut at a character's
// boundary where it is longer.
void CopyTrayText(wchar_t* field, std::size_t room, const char* text);
