#pragma once
#include <windows.h>

#include <cstdint>

#include "object_table.h"

// Numbered popup menus, built item by item; a chosen item comes back as a MenuEvent.
void StartMenus();
// The new menu is the one that the following items go into.
HMENU NewPopupMenu(ObjectNumber number);
void AddMenuItem(std::int32_t identifier, const char* label);
void AddMenuSeparator();
// At most 64 submenus stay open; a deeper one is refused.
void BeginSubmenu(const char* label);
void EndSubmenu();
// Identifiers are found inside submenus too.
void SetItemChecked(ObjectNumber number, std::int32_t identifier, int on);
int IsItemChecked(ObjectNumber number, std::int32_t identifier);
// Returns when the menu closes, true when an item was chosen; the choice arrives later as a
// command for `window`.
bool ShowMenuAtCursor(ObjectNumber number, HWND window);
bool ShowMenuAt(ObjectNumber number, HWND window, int x, int y);
void DiscardMenu(ObjectNumber number);
