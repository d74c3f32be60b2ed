#include "new_note_key.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "note_text.h"
#include "scoped_win32.h"
#include "store_status.h"

namespace {

// Held while this program has the key: a second start on another folder then knows who does.
constexpr char HolderName[] = "Tackpad new note key";

UINT ModifierNamed(const std::string& word) {
  if (SameName(word, "Ctrl") || SameName(word, "Control")) return MOD_CONTROL;
  if (SameName(word, "Shift")) return MOD_SHIFT;
  if (SameName(word, "Alt")) return MOD_ALT;
  if (SameName(word, "Win") || SameName(word, "Windows")) return MOD_WIN;
  return 0;
}

UINT FunctionKeyNamed(const std::string& word) {
  const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
  if (word.size() < 2 || word.size() > 3 || std::toupper(static_cast<unsigned char>(word[0])) != 'F' ||
      word[1] == '0' || !std::all_of(word.begin() + 1, word.end(), digit)) {
    return 0;
  }
  const int number = std::atoi(word.c_str() + 1);
  return number <= 24 ? VK_F1 + number - 1 : 0;
}

UINT KeyNamed(const std::string& word) {
  if (word.size() == 1 && std::isalnum(static_cast<unsigned char>(word[0]))) {
    return static_cast<UINT>(std::toupper(static_cast<unsigned char>(word[0])));
  }
  const struct { const char* name; UINT key; } named[] = {
      {"Insert", VK_INSERT}, {"Delete", VK_DELETE}, {"Home", VK_HOME}, {"End", VK_END},
      {"PageUp", VK_PRIOR},  {"PageDown", VK_NEXT}, {"Pause", VK_PAUSE}, {"Space", VK_SPACE}};
  for (const auto& one : named) {
    if (SameName(word, one.name)) return one.key;
  }
  return 0;
}

// The value as stored into `value`, which keeps what it holds where there is none. One that is no
// text short enough to be a key's name comes as "\x01", which names none.
void ReadStoredValue(std::string& value) {
  char data[64];
  DWORD size = sizeof data;
  const LONG read =
      RegGetValueA(HKEY_CURRENT_USER, NewNoteKeyPlace, NewNoteKeyValue, RRF_RT_REG_SZ, nullptr, data, &size);
  if (read == ERROR_SUCCESS) value = data;
  else if (read == ERROR_UNSUPPORTED_TYPE || read == ERROR_MORE_DATA) value = "\x01";
}

bool HeldByAnotherTackpad() {
  ScopedHandle holder(OpenMutexA(SYNCHRONIZE, FALSE, HolderName));
  return holder;
}

}  // namespace

bool ReadKeyCombination(const std::string& text, KeyCombination& combination) {
  combination = KeyCombination{0, 0};
  const std::string whole = Trimmed(text);
  if (whole.empty() || SameName(whole, "None")) return true;
  std::size_t from = 0;
  for (;;) {
    const std::size_t plus = whole.find('+', from);
    const std::string word = Trimmed(whole.substr(from, plus == std::string::npos ? std::string::npos : plus - from));
    if (plus == std::string::npos) {
      const UINT function = FunctionKeyNamed(word);
      combination.key = function ? function : KeyNamed(word);
      const bool guarded = function || (combination.modifiers & (MOD_CONTROL | MOD_ALT | MOD_WIN));
      return combination.key && guarded;
    }
    const UINT modifier = ModifierNamed(word);
    if (!modifier || (combination.modifiers & modifier)) return false;
    combination.modifiers |= modifier;
    from = plus + 1;
  }
}

void RegisterNewNoteKey(HWND window) {
  if (HeldByAnotherTackpad()) return;
  std::string value = DefaultNewNoteKey, told;
  ReadStoredValue(value);
  KeyCombination combination{};
  if (!ReadKeyCombination(value, combination)) {
    const std::string shown = value.size() > 40 || value[0] == '\x01' ? "The value" : "\"" + value + "\"";
    told = shown + " of \"New note key\" under HKEY_CURRENT_USER\\Software\\Tackpad names no key: " +
           DefaultNewNoteKey + " is used. ";
    ReadKeyCombination(value = DefaultNewNoteKey, combination);
  }
  if (!combination.key) return;
  if (RegisterHotKey(window, NewNoteHotKey, combination.modifiers | MOD_NOREPEAT, combination.key)) {
    CreateMutexA(nullptr, FALSE, HolderName);  // held until the program ends
  } else {
    told += "Another program uses " + Trimmed(value) + ": it does not make a new note. Double-click the icon instead.";
  }
  if (!told.empty()) TellNotice("Tackpad's key for a new note", told);
}
