#include "tray.h"

#include <cstring>

#include "events.h"

#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V2_SIZE == 488, "the record with balloons has 488 bytes");
#endif

namespace {

ObjectTable* trayTable;

HWND OwnerOf(ObjectNumber number) {
  auto* entry = trayTable ? static_cast<HWND*>(FindEntry(trayTable, number)) : nullptr;
  return entry ? *entry : nullptr;
}

// The record every shell call starts from: the version with balloons, which every shell since
// Windows 2000 takes.
NOTIFYICONDATAA TrayIconData(HWND window, ObjectNumber number, UINT flags, const char* tip) {
  NOTIFYICONDATAA data;
  std::memset(&data, 0, sizeof data);
  data.cbSize = NOTIFYICONDATAA_V2_SIZE;
  data.hWnd = window;
  data.uID = static_cast<UINT>(number);
  data.uFlags = flags;
  if (flags & NIF_MESSAGE) data.uCallbackMessage = TrayCallbackMessage;
  if (tip) std::strncpy(data.szTip, tip, sizeof data.szTip - 1);
  return data;
}

}  // namespace

void StartTray() { trayTable = CreateObjectTable(sizeof(HWND), 16, TrayIconRemove); }

void EndTray() {
  StartWalk(trayTable);
  ObjectNumber number = 0;
  while (NextInWalk(trayTable, &number)) TrayIconRemove(number);
}

std::intptr_t TrayIconAdd(ObjectNumber number, HWND window, HICON icon) {
  if (!icon || !window) return 0;
  auto* entry = static_cast<HWND*>(ClaimEntry(trayTable, number));
  if (!entry) return 0;
  bool listed = number == AnyNumber;
  if (listed) number = reinterpret_cast<ObjectNumber>(entry);
  NOTIFYICONDATAA data = TrayIconData(window, number, NIF_MESSAGE | NIF_ICON | NIF_TIP, "");
  data.hIcon = icon;
  if (!Shell_NotifyIconA(NIM_ADD, &data)) {
    ReleaseEntry(trayTable, number);
    return 0;
  }
  *entry = window;
  return listed ? number : 1;
}

int TrayIconSetTip(ObjectNumber number, const char* text) {
  HWND window = OwnerOf(number);
  if (!text || !window) return 0;
  NOTIFYICONDATAA data = TrayIconData(window, number, NIF_TIP, text);
  data.uCallbackMessage = TrayCallbackMessage;
  return Shell_NotifyIconA(NIM_MODIFY, &data);
}

int TrayIconBalloon(ObjectNumber number, const char* title, const char* text, DWORD icon) {
  HWND window = OwnerOf(number);
  if (!window) return 0;
  NOTIFYICONDATAA data = TrayIconData(window, number, NIF_INFO, nullptr);
  std::strncpy(data.szInfoTitle, title, sizeof data.szInfoTitle - 1);
  std::strncpy(data.szInfo, text, sizeof data.szInfo - 1);
  data.dwInfoFlags = icon;
  return Shell_NotifyIconA(NIM_MODIFY, &data);
}

void TrayIconRemove(ObjectNumber number) {
  HWND window = OwnerOf(number);
  if (!window) return;
  NOTIFYICONDATAA data = TrayIconData(window, number, 0, nullptr);
  Shell_NotifyIconA(NIM_DELETE, &data);
  ReleaseEntry(trayTable, number);
}
