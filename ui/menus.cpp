#include "menus.h"

#include <cstddef>

namespace {

constexpr int MaximumDepth = 64;
// The item record without its trailing bitmap field, the version every platform accepts.
constexpr UINT ItemInfoSize = offsetof(MENUITEMINFOA, hbmpItem);
#ifndef _WIN64
static_assert(ItemInfoSize == 44, "the 32-bit item record has 44 bytes");
#endif

struct MenuBuildState {
  HMENU currentMenu;  // the menu or open submenu that receives the next items
  HMENU parentStack[MaximumDepth];
  std::int32_t depth;
};

ObjectTable* menuTable;
MenuBuildState buildState;

HMENU MenuOf(ObjectNumber number) {
  auto* entry = menuTable ? static_cast<HMENU*>(FindEntry(menuTable, number)) : nullptr;
  return entry ? *entry : nullptr;
}

bool ReadItemState(HMENU menu, std::int32_t identifier, MENUITEMINFOA* item) {
  *item = MENUITEMINFOA{};
  item->cbSize = ItemInfoSize;
  item->fMask = MIIM_STATE;
  return menu && GetMenuItemInfoA(menu, static_cast<UINT>(identifier), FALSE, item);
}

}  // namespace

void StartMenus() {
  menuTable = CreateObjectTable(sizeof(HMENU), 16, DiscardMenu);
  buildState = MenuBuildState{};
}

HMENU NewPopupMenu(ObjectNumber number) {
  auto* entry = static_cast<HMENU*>(ClaimEntry(menuTable, number));
  if (!entry) return nullptr;
  HMENU menu = CreatePopupMenu();
  if (!menu) {
    ReleaseEntry(menuTable, number == AnyNumber ? reinterpret_cast<ObjectNumber>(entry) : number);
    return nullptr;
  }
  *entry = menu;
  buildState.currentMenu = menu;
  buildState.depth = 0;
  return number == AnyNumber ? reinterpret_cast<HMENU>(entry) : menu;
}

void AddMenuItem(std::int32_t identifier, const char* label) {
  AppendMenuA(buildState.currentMenu, MF_STRING, static_cast<UINT_PTR>(identifier), label ? label : "");
}

void AddMenuSeparator() {
  AppendMenuA(buildState.currentMenu, MF_SEPARATOR, static_cast<UINT_PTR>(-1), nullptr);
}

void BeginSubmenu(const char* label) {
  if (!buildState.currentMenu || buildState.depth == MaximumDepth) return;
  HMENU submenu = CreateMenu();
  if (!submenu) return;
  if (!AppendMenuA(buildState.currentMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), label ? label : "")) {
    DestroyMenu(submenu);
    return;
  }
  buildState.parentStack[buildState.depth++] = buildState.currentMenu;
  buildState.currentMenu = submenu;
}

void EndSubmenu() {
  if (buildState.depth > 0) buildState.currentMenu = buildState.parentStack[--buildState.depth];
}

void SetItemChecked(ObjectNumber number, std::int32_t identifier, int on) {
  HMENU menu = MenuOf(number);
  MENUITEMINFOA item;
  if (!ReadItemState(menu, identifier, &item)) return;
  item.fState = on ? (item.fState | MFS_CHECKED) : (item.fState & ~static_cast<UINT>(MFS_CHECKED));
  SetMenuItemInfoA(menu, static_cast<UINT>(identifier), FALSE, &item);
}

int IsItemChecked(ObjectNumber number, std::int32_t identifier) {
  MENUITEMINFOA item;
  return ReadItemState(MenuOf(number), identifier, &item) && (item.fState & MFS_CHECKED) ? 1 : 0;
}

bool ShowMenuAtCursor(ObjectNumber number, HWND window) {
  POINT cursor{};
  GetCursorPos(&cursor);
  return ShowMenuAt(number, window, cursor.x - 1, cursor.y - 1);
}

bool ShowMenuAt(ObjectNumber number, HWND window, int x, int y) {
  HMENU menu = MenuOf(number);
  if (!menu) return false;
  SetForegroundWindow(window);
  const auto chosen = static_cast<WORD>(TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, window, nullptr));
  if (chosen) PostMessageA(window, WM_COMMAND, chosen, 0);
  // Lets the menu of a window in the background close at a click elsewhere and open again.
  PostMessageA(window, WM_NULL, 0, 0);
  return chosen != 0;
}

void DiscardMenu(ObjectNumber number) {
  HMENU menu = MenuOf(number);
  if (!menu) return;
  DestroyMenu(menu);
  ReleaseEntry(menuTable, number);
}
