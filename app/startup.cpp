#include "startup.h"

#include <windows.h>
#include <commctrl.h>

#include "commands.h"
#include "daily_copy.h"
#include "events.h"
#include "fonts.h"
#include "gadgets.h"
#include "menus.h"
#include "note.h"
#include "note_rules.h"
#include "persistence.h"
#include "settings_store.h"
#include "text.h"
#include "tray.h"
#include "window_layer.h"

namespace {

void BuildTrayMenu() {
  NewPopupMenu(TrayMenu);
  AddMenuItem(NewNoteItem, "New note...");
  AddMenuSeparator();
  AddMenuItem(ShowAllItem, "Show All Notes");
  AddMenuItem(HideAllItem, "Hide All Notes");
  AddMenuItem(AllNotesItem, "All Notes...");
  AddMenuSeparator();
  AddMenuItem(AboutItem, "About...");
  AddMenuSeparator();
  AddMenuItem(ExitItem, "Exit");
}

}  // namespace

void StartLayers() {
  StartTextHelpers();
  StartFonts();
  StartWindowLayer();
  StartGadgets();
  StartMenus();
  InitSettingsStore();
  SetSettingsHooks({KeepSettingsImage, KeepDailyCopy});
  InitCommonControls();
  StartTray();
  TextListNew(GroupNameList);
  SetScaleChangeHandler(RescaleNote);
  // Its title names the program where Windows lists what holds up a shutdown.
  NewWindow(OwnerWindow, 0, 0, 0, 0, "Tackpad", WindowInvisible, nullptr);
  BuildTrayMenu();
}

void EndLayers() {
  EndTray();
  EndSettingsStore();
  EndWindowLayer();
  EndFonts();
  EndTextHelpers();
}
