#include <cstdlib>
#include <cstring>

#include "memory.h"
#include "settings_store.h"
#include "text.h"

namespace {

bool IsOpen() { return settingsStore.fileHandle || settingsStore.hasFileName; }
bool Utf8Mode() { return settingsStore.encoding == Utf8Encoding; }
SettingsEntry& Entry(EntryIndex index) { return EntryAt(settingsStore.entries, index); }
EntryIndex Next(EntryIndex index) { return NextEntry(settingsStore.entries, index); }

// ASCII letters folded, a zero byte read as the blank it stands for, every other byte exact.
unsigned char Folded(char c) {
  unsigned char x = static_cast<unsigned char>(c);
  if (static_cast<unsigned>(x - 'A') < 26u) return static_cast<unsigned char>(x + 32);
  return x == 0 ? ' ' : x;
}

bool SameName(const char* a, std::uint32_t aLength, const std::string& b) {
  if (aLength != b.size()) return false;
  for (std::uint32_t i = 0; i < aLength; ++i) {
    if (Folded(a[i]) != Folded(b[i])) return false;
  }
  return true;
}

// A caller's text in the document's encoding.
std::string Stored(const char* text) {
  std::string plain = text ? text : "";
  if (!Utf8Mode() || plain.empty()) return plain;
  std::string converted(plain.size() * 2, '\0');
  std::int32_t room = static_cast<std::int32_t>(converted.size());
  std::int32_t count = static_cast<std::int32_t>(plain.size());
  Latin1ToUtf8(reinterpret_cast<std::uint8_t*>(&converted[0]), &room,
               reinterpret_cast<const std::uint8_t*>(plain.data()), &count);
  converted.resize(static_cast<std::size_t>(room));
  return converted;
}

// A stored text as the caller reads it: zero bytes as blanks, UTF-8 taken back to one byte
// per character (the empty text when it holds what one byte cannot).
std::string HandedOut(const char* text, std::uint32_t length) {
  std::string out(text, length);
  for (char& c : out) {
    if (c == 0) c = ' ';
  }
  if (!Utf8Mode() || out.empty()) return out;
  std::string plain(out.size(), '\0');
  std::int32_t room = static_cast<std::int32_t>(plain.size());
  std::int32_t count = static_cast<std::int32_t>(out.size());
  if (Utf8ToLatin1(reinterpret_cast<std::uint8_t*>(&plain[0]), &room,
                   reinterpret_cast<const std::uint8_t*>(out.data()), &count) != 0) {
    return std::string();
  }
  plain.resize(static_cast<std::size_t>(room));
  return plain;
}

EntryIndex FindGroup(const std::string& name) {
  for (EntryIndex i = FirstEntry(settingsStore.entries); i != noEntry; i = Next(i)) {
    const SettingsEntry& e = Entry(i);
    if (e.kind == GroupEntry && SameName(e.text, e.textLength, name)) return i;
  }
  return noEntry;
}

// The key entry in the current group, or noEntry; `last` gets the group's last entry.
EntryIndex FindKey(const std::string& key, EntryIndex* last) {
  EntryIndex group = settingsStore.currentGroup;
  EntryIndex end = group;
  for (EntryIndex i = group == noEntry ? FirstEntry(settingsStore.entries) : Next(group); i != noEntry; i = Next(i)) {
    const SettingsEntry& e = Entry(i);
    if (e.kind == GroupEntry) break;
    end = i;
    if (e.kind == KeyEntry && SameName(e.text, e.textLength, key)) return i;
  }
  if (last) *last = end;
  return noEntry;
}

char* OwnedCopy(const std::string& text) {
  char* copy = static_cast<char*>(AllocateBytes(text.size() + 1));
  if (copy) std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

// Creates the group that a failed SelectGroup left pending, at the very end of the document.
bool CreatePendingGroup() {
  SettingsStore& s = settingsStore;
  if (!s.hasPendingGroup) return true;
  char* name = OwnedCopy(s.pendingGroupName);
  if (!name) return false;
  EntryIndex index = InsertEntry(s.entries, LastEntry(s.entries), GroupEntry);
  if (index == noEntry) {
    ReleaseBytes(name);
    return false;
  }
  SettingsEntry& e = Entry(index);
  e.text = name;
  e.textLength = static_cast<std::uint32_t>(s.pendingGroupName.size());
  e.owned |= OwnsText;
  s.currentGroup = index;
  s.hasPendingGroup = false;
  s.pendingGroupName.clear();
  return true;
}

// Gives the found key the caller's spelling and room for `length` value bytes.
char* ReuseKeyEntry(SettingsEntry& e, const std::string& key, std::uint32_t length) {
  if (std::memcmp(e.text, key.data(), key.size()) != 0) {
    char* spelled = OwnedCopy(key);
    if (!spelled) return nullptr;
    if (e.owned & OwnsText) ReleaseBytes(const_cast<char*>(e.text));
    e.text = spelled;
    e.owned |= OwnsText;
  }
  // Values inside the file buffer are never written over: that buffer is what a failed
  // write-back restores.
  if (!(e.owned & OwnsValue) || e.valueRoom < length) {
    char* room = static_cast<char*>(AllocateBytes(length + 1));
    if (!room) return nullptr;
    if (e.owned & OwnsValue) ReleaseBytes(const_cast<char*>(e.value));
    e.value = room;
    e.valueRoom = length;
    e.owned |= OwnsValue;
  }
  e.valueLength = length;
  return const_cast<char*>(e.value);
}

char* NewKeyEntry(const std::string& key, std::uint32_t length, EntryIndex after) {
  char* keyCopy = OwnedCopy(key);
  char* room = static_cast<char*>(AllocateBytes(length + 1));
  EntryIndex index = keyCopy && room ? InsertEntry(settingsStore.entries, after, KeyEntry) : noEntry;
  if (index == noEntry) {
    ReleaseBytes(keyCopy);
    ReleaseBytes(room);
    return nullptr;
  }
  SettingsEntry& e = Entry(index);
  e.text = keyCopy;
  e.textLength = static_cast<std::uint32_t>(key.size());
  e.value = room;
  e.valueRoom = e.valueLength = length;
  e.owned = OwnsText | OwnsValue;
  return room;
}

void StoreValue(const char* key, const std::string& value) {
  char* room = PrepareKeyValue(key, static_cast<std::uint32_t>(value.size()));
  if (room) std::memcpy(room, value.c_str(), value.size() + 1);
}

}  // namespace

int StartGroups() {
  if (!IsOpen()) return 0;
  settingsStore.currentGroup = noEntry;
  settingsStore.hasPendingGroup = false;
  settingsStore.pendingGroupName.clear();
  return 1;
}

int NextGroup() {
  if (!IsOpen()) return 0;
  EntryIndex from = settingsStore.currentGroup;
  for (EntryIndex i = from == noEntry ? FirstEntry(settingsStore.entries) : Next(from); i != noEntry; i = Next(i)) {
    if (Entry(i).kind == GroupEntry) {
      settingsStore.currentGroup = i;
      return 1;
    }
  }
  return 0;
}

std::string CurrentGroupName() {
  if (settingsStore.currentGroup == noEntry) return std::string();
  const SettingsEntry& e = Entry(settingsStore.currentGroup);
  return HandedOut(e.text, e.textLength);
}

int SelectGroup(const char* name) {
  SettingsStore& s = settingsStore;
  if (!IsOpen()) {
    s.hasPendingGroup = false;
    s.pendingGroupName.clear();
    return 0;
  }
  if (!name || !*name) {
    s.currentGroup = noEntry;
    s.hasPendingGroup = false;
    s.pendingGroupName.clear();
    return 1;
  }
  std::string wanted = Stored(name);
  EntryIndex group = FindGroup(wanted);
  if (group != noEntry) {
    s.currentGroup = group;
    s.hasPendingGroup = false;
    s.pendingGroupName.clear();
    return 1;
  }
  s.pendingGroupName = wanted;
  s.hasPendingGroup = true;
  return 0;
}

const SettingsEntry* FindKeyValue(const char* key) {
  if (!IsOpen() || settingsStore.hasPendingGroup) return nullptr;
  EntryIndex found = FindKey(Stored(key), nullptr);
  return found == noEntry ? nullptr : &Entry(found);
}

std::int32_t ReadKeyLong(const char* key, std::int32_t fallback) {
  const SettingsEntry* e = FindKeyValue(key);
  if (!e) return fallback;
  // As atoi reads it, but a number beyond 32 bits stops at the limit instead of wrapping.
  const char* at = e->value;
  const char* end = e->value + e->valueLength;
  while (at < end && (*at == ' ' || (*at >= '\t' && *at <= '\r'))) ++at;
  bool negative = false;
  if (at < end && (*at == '-' || *at == '+')) negative = *at++ == '-';
  std::int64_t magnitude = 0;
  const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT32_MIN) : INT32_MAX;
  for (; at < end && *at >= '0' && *at <= '9'; ++at) {
    magnitude = magnitude * 10 + (*at - '0');
    if (magnitude > limit) magnitude = limit;
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::string ReadKeyString(const char* key, const char* fallback) {
  const SettingsEntry* e = FindKeyValue(key);
  if (!e) return fallback ? fallback : "";
  std::string value = HandedOut(e->value, e->valueLength);
  std::size_t first = value.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  std::size_t last = value.find_last_not_of(" \t");
  return value.substr(first, last - first + 1);
}

char* PrepareKeyValue(const char* key, std::uint32_t length) {
  if (!IsOpen()) return nullptr;
  std::string stored = Stored(key);
  if (!CreatePendingGroup()) return nullptr;
  // A new key goes behind the group's last entry; at the top level that is the anchor
  // when the top level is empty, so the key lands at the front.
  EntryIndex last = noEntry;
  EntryIndex found = FindKey(stored, &last);
  char* room = found != noEntry ? ReuseKeyEntry(Entry(found), stored, length) : NewKeyEntry(stored, length, last);
  if (!room) return nullptr;
  settingsStore.modified = true;
  return room;
}

void WriteKeyLong(const char* key, std::int32_t value) {
  std::size_t mark = ScratchMark();
  std::string digits = NumberText(value);
  ScratchRewind(mark);
  StoreValue(key, digits);
}

void WriteKeyString(const char* key, const char* value) { StoreValue(key, Stored(value)); }

void RemoveGroup(const char* name) {
  SettingsStore& s = settingsStore;
  if (!IsOpen() || !name) return;
  // Converted as SelectGroup does, so names with bytes from 0x80 up are found in UTF-8 files too.
  EntryIndex group = FindGroup(Stored(name));
  if (group == noEntry) return;
  s.modified = true;
  if (s.currentGroup == group) s.currentGroup = noEntry;
  EntryIndex i = group;
  do {
    EntryIndex next = Next(i);
    RemoveEntry(s.entries, i);
    i = next;
  } while (i != noEntry && Entry(i).kind != GroupEntry);
}
