// Tackpad: the entry, the tray icon and the main loop.
#include <windows.h>
#include <shellapi.h>

#include "commands.h"
#include "events.h"
#include "loading.h"
#include "menus.h"
#include "note.h"
#include "note_rules.h"
#include "persistence.h"
#include "settings_store.h"
#include "startup.h"
#include "tray.h"
#include "window_layer.h"

namespace {

// The icon of the program's own file, else one of the shell's.
HICON ProgramIcon() {
  char path[1024];
  HINSTANCE instance = GetModuleHandleA(nullptr);
  GetModuleFileNameA(nullptr, path, sizeof path);
  HICON icon = ExtractIconA(instance, path, 0);
  // 1 means the file is no program or icon file at all.
  if (reinterpret_cast<UINT_PTR>(icon) > 1) return icon;
  UINT length = GetSystemDirectoryA(path, sizeof path);
  if (length == 0 || length + sizeof "\\shell32.dll" > sizeof path) return nullptr;
  lstrcatA(path, "\\shell32.dll");
  return ExtractIconA(instance, path, 2);
}

// Runs until "Exit" or until any window of the program is asked to close.
void MainLoop() {
  for (;;) {
    std::int32_t kind = WaitEvent();
    std::int32_t item = static_cast<std::int32_t>(LastItem());
    ObjectNumber window = LastWindow();
    switch (kind) {
      case TrayEvent:
        if (LastSubtype() == TrayRightClick) ShowMenuAtCursor(TrayMenu, WindowHandle(OwnerWindow));
        if (LastSubtype() == TrayLeftDoubleClick) AskForNewNote();
        break;
      case WM_LBUTTONDOWN:
        // The platform's own move loop drags the note as if by a caption.
        if (IsLiveNote(window)) SendMessageA(WindowHandle(window), WM_NCLBUTTONDOWN, HTCAPTION, 0);
        break;
      case WM_RBUTTONDOWN:
        if (IsLiveNote(window)) ShowMenuAtCursor(window, WindowHandle(window));
        break;
      case MenuEvent:
        if (!RunMenuCommand(item, window)) return;
        break;
      case CloseEvent:
        return;
      default:
        break;
    }
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  StartLayers();
  TrayIconAdd(TrayIcon, WindowHandle(OwnerWindow), ProgramIcon());
  TrayIconSetTip(TrayIcon, "Tackpad");
  if (ProbeFileSize(SettingsFile) != -1) LoadNotes();
  MainLoop();
  EndLayers();
  ExitProcess(0);
}
