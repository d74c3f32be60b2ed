#pragma once
#include <windows.h>

#include <string>

// The key that asks for a new note from anywhere, as a double-click on the tray icon does:
// Ctrl+Shift+F11, unless the person names another, or "None", in the value "New note key" under
// HKEY_CURRENT_USER\Software\Tackpad.
constexpr char NewNoteKeyPlace[] = "Software\\Tackpad";
constexpr char NewNoteKeyValue[] = "New note key";
constexpr char DefaultNewNoteKey[] = "Ctrl+Shift+F11";
// The identifier WM_HOTKEY brings.
constexpr int NewNoteHotKey = 1;

// RegisterHotKey's modifiers and virtual key; key 0 for none.
struct KeyCombination {
  UINT modifiers;
  UINT key;
};
// "Ctrl+Shift+F11", "alt + win + n", "None" or empty (none); false for a text that names no key,
// or one that would take a letter or digit from every program (those need Ctrl, Alt or Win).
bool ReadKeyCombination(const std::string& text, KeyCombination& combination);
// The key registered for `window`. A damaged value means the default; a key another program holds
// is left. Either is told in one balloon, unless another Tackpad holds the key (it has told).
void RegisterNewNoteKey(HWND window);
