#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "memory.h"
#include "settings_store.h"
#include "text.h"

namespace {

bool IsOpen() { return settingsStore.fileHandle || settingsStore.hasFileName; }
bool Utf8Mode() { return settingsStore.encoding == Utf8Encoding; }
// The caller's texts are UTF-8 themselves: nothing is narrowed or widened on the way.
bool Utf8Caller() { return callerCodePage == Utf8Encoding; }
SettingsEntry& Entry(EntryIndex index) { return EntryAt(settingsStore.entries, index); }
EntryIndex Next(EntryIndex index) { return NextEntry(settingsStore.entries, index); }

// A command that could not store all it asked for is not written at all: the file keeps its
// old state rather than a part of the new one.
void RefuseWriteBack() {
  settingsStore.refusal = FileFailure::NoMemory;
  settingsStore.modified = true;  // so the close reports the loss
}

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

// A caller's text in the document's encoding; false when there is no memory for it.
bool Stored(const char* text, std::string& out) {
  const char* plain = text ? text : "";
  std::size_t length = std::strlen(plain);
  const bool widen = Utf8Mode() && !Utf8Caller();
  if (length > INT32_MAX / 2 || !SizeText(out, widen ? length * 2 : length)) return false;
  if (!widen) {
    std::memcpy(&out[0], plain, length);
    return true;
  }
  auto room = static_cast<std::int32_t>(length * 2), count = static_cast<std::int32_t>(length);
  Latin1ToUtf8(reinterpret_cast<std::uint8_t*>(&out[0]), &room, reinterpret_cast<const std::uint8_t*>(plain), &count);
  out.resize(static_cast<std::size_t>(room));
  return true;
}

// Bytes that are no UTF-8 were written by an ANSI program (or by hand) in the legacy code page.
std::string FromLegacy(const std::string& text) {
  std::size_t mark = ScratchMark();
  std::string out;
  const char* converted = LegacyToUtf8(text.data(), text.size());
  if (converted && SizeText(out, ScratchMark() - mark)) std::memcpy(&out[0], converted, out.size());
  ScratchRewind(mark);
  return out;
}

// A stored text as the caller reads it: zero bytes as blanks. A UTF-8 caller gets UTF-8, read
// from the legacy code page where it is none; any other caller gets UTF-8 files taken back to one
// byte per character (the empty text when it holds what one byte cannot). Memory running out
// gives the empty text.
std::string HandedOut(const char* text, std::uint32_t length) {
  std::string out;
  if (length > INT32_MAX || !SizeText(out, length)) return out;
  for (std::uint32_t i = 0; i < length; ++i) out[i] = text[i] ? text[i] : ' ';
  if (Utf8Caller()) return IsUtf8(out.data(), out.size()) ? out : FromLegacy(out);
  if (!Utf8Mode()) return out;
  // Decoding in place is safe: no character is written ahead of the bytes it came from.
  auto* bytes = reinterpret_cast<std::uint8_t*>(&out[0]);
  std::int32_t room = static_cast<std::int32_t>(length), count = room;
  out.resize(Utf8ToLatin1(bytes, &room, bytes, &count) == 0 ? static_cast<std::size_t>(room) : 0);
  return out;
}

// A group written by an ANSI program is found by the name a UTF-8 caller reads it as.
bool LegacyNameIs(const SettingsEntry& group, const std::string& name) {
  if (IsUtf8(group.text, group.textLength)) return false;
  const std::string read = HandedOut(group.text, group.textLength);
  return SameName(read.data(), static_cast<std::uint32_t>(read.size()), name);
}

EntryIndex FindGroup(const std::string& name) {
  // Legacy bytes never read as ASCII alone, so an ASCII name is compared as stored only.
  const bool legacyToo = Utf8Caller() && std::any_of(name.begin(), name.end(), [](char c) { return c & 0x80; });
  for (EntryIndex i = FirstEntry(settingsStore.entries); i != noEntry; i = Next(i)) {
    const SettingsEntry& e = Entry(i);
    if (e.kind != GroupEntry) continue;
    if (SameName(e.text, e.textLength, name) || (legacyToo && LegacyNameIs(e, name))) return i;
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

}  // namespace

bool SizeText(std::string& text, std::size_t size) {
  try {
    text.resize(size);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

namespace {

char* OwnedCopy(const std::string& text) {
  char* copy = static_cast<char*>(AllocateBytes(text.size() + 1));
  if (copy) std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

// Creates the group that a failed SelectGroup left pending, at the very end of the document.
bool CreatePendingGroup() {
  SettingsStore& s = settingsStore;
  if (!s.hasPendingGroup) return true;
  if (s.pendingGroupName.empty()) return false;  // a selection that found no memory
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

void StoreValue(const char* key, const char* value, std::size_t length) {
  if (length >= UINT32_MAX) return RefuseWriteBack();
  char* room = PrepareKeyValue(key, static_cast<std::uint32_t>(length));
  if (!room) return;
  std::memcpy(room, value, length);
  room[length] = 0;
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
  std::string wanted;
  // Without memory for the name, no group is selected: reads find nothing and writes go nowhere.
  EntryIndex group = Stored(name, wanted) ? FindGroup(wanted) : noEntry;
  s.hasPendingGroup = group == noEntry;
  s.pendingGroupName.swap(wanted);
  if (group == noEntry) return 0;
  s.currentGroup = group;
  s.pendingGroupName.clear();
  return 1;
}

const SettingsEntry* FindKeyValue(const char* key) {
  std::string stored;
  if (!IsOpen() || settingsStore.hasPendingGroup || !Stored(key, stored)) return nullptr;
  EntryIndex found = FindKey(stored, nullptr);
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
  std::string value;
  if (!e) {
    const char* text = fallback ? fallback : "";
    if (SizeText(value, std::strlen(text))) std::memcpy(&value[0], text, value.size());
    return value;
  }
  value = HandedOut(e->value, e->valueLength);
  value.erase(value.find_last_not_of(" \t") + 1);  // npos + 1 is 0: all blank
  value.erase(0, value.find_first_not_of(" \t"));
  return value;
}

char* PrepareKeyValue(const char* key, std::uint32_t length) {
  if (!IsOpen()) return nullptr;
  std::string stored;
  char* room = nullptr;
  if (length != UINT32_MAX && Stored(key, stored) && CreatePendingGroup()) {
    // A new key goes behind the group's last entry; at the top level that is the anchor
    // when the top level is empty, so the key lands at the front.
    EntryIndex last = noEntry;
    EntryIndex found = FindKey(stored, &last);
    room = found != noEntry ? ReuseKeyEntry(Entry(found), stored, length) : NewKeyEntry(stored, length, last);
  }
  if (!room) RefuseWriteBack();
  else settingsStore.modified = true;
  return room;
}

void WriteKeyLong(const char* key, std::int32_t value) {
  std::size_t mark = ScratchMark();
  const char* digits = NumberText(value);
  // A number has at least one digit: an empty text means the scratch area had no room.
  if (*digits) StoreValue(key, digits, std::strlen(digits));
  else RefuseWriteBack();
  ScratchRewind(mark);
}

void WriteKeyString(const char* key, const char* value) {
  std::string stored;
  if (Stored(value, stored)) StoreValue(key, stored.data(), stored.size());
  else RefuseWriteBack();
}

void RemoveGroup(const char* name) {
  SettingsStore& s = settingsStore;
  if (!IsOpen() || !name) return;
  // Converted as SelectGroup does, so names with bytes from 0x80 up are found in UTF-8 files too.
  std::string stored;
  if (!Stored(name, stored)) return RefuseWriteBack();
  EntryIndex group = FindGroup(stored);
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
