#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdint>

#include "object_table.h"

// Numbered notification-area icons; clicks reach the owning window as TrayEvents.
void StartTray();
void EndTray();
// Non-zero on success (with AnyNumber: the name of the icon), 0 when refused.
std::intptr_t TrayIconAdd(ObjectNumber number, HWND window, HICON icon);
// The first 127 bytes of the text; returns the shell's answer.
int TrayIconSetTip(ObjectNumber number, const char* text);
// A balloon from the icon: 63 bytes of title, 255 of text, `icon` one of the NIIF_ values.
int TrayIconBalloon(ObjectNumber number, const char* title, const char* text, DWORD icon);
void TrayIconRemove(ObjectNumber number);
