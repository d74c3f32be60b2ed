#include "tray.h"

#include <cstring>

#include "events.h"
#include "wide_text.h"

static_assert(sizeof(NOTIFYICONDATAW::szTip) == TipRoom * sizeof(wchar_t) &&
                  sizeof(NOTIFYICONDATAW::szInfoTitle) == BalloonTitleRoom * sizeof(wchar_t) &&
                  sizeof(NOTIFYICONDATAW::szInfo) == BalloonTextRoom * sizeof(wchar_t),
              "the shell's fields");
#ifndef _WIN64
static_assert(sizeof(NOTIFYICONDATAW) == 956, "the record of Windows Vista and later");
#endif

namespace {

ObjectTable* trayTable;

HWND OwnerOf(ObjectNumber number) {
  auto* entry = trayTable ? static_cast<HWND*>(FindEntry(trayTable, number)) : nullptr;
  return entry ? *entry : nullptr;
}

// The record every shell call starts from: Windows Vista's, whose version 4 of the callback gives
// the keyboard's requests with the icon's place. Wide, so that no text is cut inside a character.
NOTIFYICONDATAW TrayIconData(HWND window, ObjectNumber number, UINT flags, const char* tip) {
  NOTIFYICONDATAW data;
  std::memset(&data, 0, sizeof data);
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = static_cast<UINT>(number);
  data.uFlags = flags;
  if (flags & NIF_MESSAGE) data.uCallbackMessage = TrayCallbackMessage;
  if (tip) CopyTrayText(data.szTip, ARRAYSIZE(data.szTip), tip);
  return data;
}

}  // namespace

void CopyTrayText(wchar_t* field, std::size_t room, const char* text) {
  const std::wstring wide = Widened(text);
  std::size_t length = wide.size() < room ? wide.size() : room - 1;
  if (length < wide.size() && length && IS_HIGH_SURROGATE(wide[length - 1])) --length;
  wide.copy(field, length);
  field[length] = L'\0';
}

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
  NOTIFYICONDATAW data = TrayIconData(window, number, NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP, "");
  data.hIcon = icon;
  if (!Shell_NotifyIconW(NIM_ADD, &data)) {
    ReleaseEntry(trayTable, number);
    return 0;
  }
  *entry = window;
  // Asked at every add: a shell started anew knows nothing of the last one's.
  data.uVersion = NOTIFYICON_VERSION_4;
  Shell_NotifyIconW(NIM_SETVERSION, &data);
  return listed ? number : 1;
}

int TrayIconSetTip(ObjectNumber number, const char* text) {
  HWND window = OwnerOf(number);
  if (!text || !window) return 0;
  // Version 4 shows the standard tip only when asked to.
  NOTIFYICONDATAW data = TrayIconData(window, number, NIF_TIP | NIF_SHOWTIP, text);
  data.uCallbackMessage = TrayCallbackMessage;
  return Shell_NotifyIconW(NIM_MODIFY, &data);
}

int TrayIconBalloon(ObjectNumber number, const char* title, const char* text, DWORD icon) {
  HWND window = OwnerOf(number);
  if (!window) return 0;
  NOTIFYICONDATAW data = TrayIconData(window, number, NIF_INFO, nullptr);
  CopyTrayText(data.szInfoTitle, ARRAYSIZE(data.szInfoTitle), title);
  CopyTrayText(data.szInfo, ARRAYSIZE(data.szInfo), text);
  data.dwInfoFlags = icon;
  return Shell_NotifyIconW(NIM_MODIFY, &data);
}

int TrayIconSetImage(ObjectNumber number, HICON icon) {
  HWND window = OwnerOf(number);
  if (!icon || !window) return 0;
  NOTIFYICONDATAW data = TrayIconData(window, number, NIF_ICON, nullptr);
  data.hIcon = icon;
  return Shell_NotifyIconW(NIM_MODIFY, &data);
}

int TrayIconFocus(ObjectNumber number) {
  HWND window = OwnerOf(number);
  if (!window) return 0;
  NOTIFYICONDATAW data = TrayIconData(window, number, 0, nullptr);
  return Shell_NotifyIconW(NIM_SETFOCUS, &data);
}

void TrayIconRemove(ObjectNumber number) {
  HWND window = OwnerOf(number);
  if (!window) return;
  NOTIFYICONDATAW data = TrayIconData(window, number, 0, nullptr);
  Shell_NotifyIconW(NIM_DELETE, &data);
  ReleaseEntry(trayTable, number);
}
