#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "memory.h"
#include "settings_internal.h"
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
unsigned char Folded(char c) { return c == 0 ? ' ' : FoldAscii(c); }

bool SameName(const char* a, std::uint32_t aLength, const std::string& b) {
  if (aLength != b.size()) return false;
  for (std::uint32_t i = 0; i < aLength; ++i) {
    if (Folded(a[i]) != Folded(b[i])) return false;
  }
  return true;
}

// Takes a text built at `mark` in the scratch area into `out`; false when it could not be built
// (null) or copied.
bool TakeFromScratch(const char* built, std::size_t mark, std::string& out) {
  const bool taken = built && SizeText(out, ScratchMark() - mark);
  if (taken) std::memcpy(&out[0], built, out.size());
  ScratchRewind(mark);
  return taken;
}

// No line of the file is longer than this: its length is a positive 32-bit number everywhere.
constexpr std::size_t longestLine = INT32_MAX;
constexpr std::size_t keyLineExtra = 5;  // " = " and the line end

// A caller's text in the document's encoding; false when there is no memory for it or it is
// longer than any line may be.
bool Stored(const char* text, std::string& out) {
  const char* plain = text ? text : "";
  const std::size_t length = std::strlen(plain);
  if (length > longestLine - keyLineExtra) return false;
  if (Utf8Mode() && !Utf8Caller()) {
    const std::size_t mark = ScratchMark();
    return TakeFromScratch(ToUtf8(callerCodePage, plain, length), mark, out) && out.size() <= longestLine - keyLineExtra;
  }
  if (!SizeText(out, length)) return false;
  std::memcpy(&out[0], plain, length);
  return true;
}

// A stored text as the caller reads it, zero bytes as blanks. A UTF-8 caller gets UTF-8, read from
// the legacy code page where it is none (bytes that are no UTF-8 were written by an ANSI program or
// by hand); any other caller gets a UTF-8 file's texts in its own code page. False when memory runs
// out or the caller's code page cannot hold the text: `out` is then no reading of it.
bool HandedOut(const char* text, std::uint32_t length, std::string& out) {
  if (length > INT32_MAX || !SizeText(out, length)) return false;
  for (std::uint32_t i = 0; i < length; ++i) out[i] = text[i] ? text[i] : ' ';
  const std::size_t mark = ScratchMark();
  if (Utf8Caller()) {
    if (IsUtf8(out.data(), out.size())) return true;
    return TakeFromScratch(ToUtf8(LegacyCodePage(), out.data(), out.size()), mark, out);
  }
  return !Utf8Mode() || TakeFromScratch(FromUtf8(callerCodePage, out.data(), out.size()), mark, out);
}

void FailRead() { settingsStore.readFailed = true; }

// The group a name (in the document's encoding) stands for: the first whose stored bytes match it,
// ASCII letters folded; only where none does, for a UTF-8 caller, the first written in the legacy
// code page that reads as it. False, with nothing decided, when a legacy name could not be read.
bool FindGroup(const std::string& name, EntryIndex& found) {
  found = noEntry;
  for (EntryIndex i = FirstEntry(settingsStore.entries); i != noEntry; i = Next(i)) {
    const SettingsEntry& e = Entry(i);
    if (e.kind == GroupEntry && SameName(e.text, e.textLength, name)) {
      found = i;
      return true;
    }
  }
  // Legacy bytes never read as ASCII alone, so an ASCII name is compared as stored only.
  if (!Utf8Caller() || std::none_of(name.begin(), name.end(), [](char c) { return c & 0x80; })) return true;
  std::string read;
  for (EntryIndex i = FirstEntry(settingsStore.entries); i != noEntry; i = Next(i)) {
    const SettingsEntry& e = Entry(i);
    if (e.kind != GroupEntry || IsUtf8(e.text, e.textLength)) continue;
    if (!HandedOut(e.text, e.textLength, read)) return false;
    if (SameName(read.data(), static_cast<std::uint32_t>(read.size()), name)) {
      found = i;
      return true;
    }
  }
  return true;
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
  if (length > longestLine) return RefuseWriteBack();
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
  std::string name;
  if (!HandedOut(e.text, e.textLength, name)) {
    FailRead();
    name.clear();
  }
  return name;
}

int SelectGroup(const char* name) {
  SettingsStore& s = settingsStore;
  s.readFailed = false;
  s.hasPendingGroup = false;
  s.pendingGroupName.clear();
  if (!IsOpen()) return 0;
  if (!name || !*name) {
    s.currentGroup = noEntry;
    return 1;
  }
  std::string wanted;
  EntryIndex group = noEntry;
  if (!Stored(name, wanted) || !FindGroup(wanted, group)) {
    // Which group the name stands for is unknown: reads find nothing and writes go nowhere.
    FailRead();
    s.hasPendingGroup = true;
    return 0;
  }
  if (group != noEntry) {
    s.currentGroup = group;
    return 1;
  }
  s.hasPendingGroup = true;
  s.pendingGroupName.swap(wanted);
  return 0;
}

const SettingsEntry* FindKeyValue(const char* key) {
  std::string stored;
  if (!IsOpen() || settingsStore.hasPendingGroup) return nullptr;
  if (!Stored(key, stored)) {
    FailRead();
    return nullptr;
  }
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
    else FailRead();
    return value;
  }
  if (!HandedOut(e->value, e->valueLength, value)) {
    FailRead();
    value.clear();
    return value;
  }
  value.erase(value.find_last_not_of(" \t") + 1);  // npos + 1 is 0: all blank
  value.erase(0, value.find_first_not_of(" \t"));
  return value;
}

char* PrepareKeyValue(const char* key, std::uint32_t length) {
  if (!IsOpen()) return nullptr;
  std::string stored;
  char* room = nullptr;
  if (Stored(key, stored) && length <= longestLine - keyLineExtra - stored.size() && CreatePendingGroup()) {
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
  EntryIndex group = noEntry;
  if (!Stored(name, stored) || !FindGroup(stored, group)) return RefuseWriteBack();
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

namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// An entry's line as the file holds it, its line end (if any) included: the entry must be one
// the reading made and no write has changed since.
bool LineAsRead(const SettingsEntry& e, const char*& start, const char*& end) {
  const SettingsStore& s = settingsStore;
  if (e.owned || !s.textBuffer) return false;
  const char* limit = s.textBuffer + s.textLength;
  for (start = e.text; start > s.textBuffer && !IsLineEnd(start[-1]);) --start;
  for (end = e.kind == KeyEntry ? e.value + e.valueLength : e.text + e.textLength; end < limit && !IsLineEnd(*end);) ++end;
  if (end < limit) end += *end == '\r' && end + 1 < limit && end[1] == '\n' ? 2 : 1;
  return true;
}

// Puts an entry's line of the group text at `at` (null: only measures); the last line of a file
// gets the line end it lacks.
std::size_t PutGroupLine(const SettingsEntry& e, char* at) {
  const char *start, *end;
  if (!LineAsRead(e, start, end)) return at ? static_cast<std::size_t>(PutLine(at, e) - at) : LineLength(e);
  const std::size_t length = static_cast<std::size_t>(end - start);
  const bool ended = length && IsLineEnd(end[-1]);
  if (at) std::memcpy(at, start, length);
  if (at && !ended) std::memcpy(at + length, "\r\n", 2);
  return length + (ended ? 0 : 2);
}

}  // namespace

FileFailure SettingsIncomplete() {
  const SettingsStore& s = settingsStore;
  // Nothing read at all, or not all of it, or a change that waits could not be made.
  const bool partial = s.refusal == FileFailure::Unread || s.refusal == FileFailure::NoMemory;
  return (!s.fileHandle && s.refusal != FileFailure::None) || partial ? s.refusal : FileFailure::None;
}

FileFailure StoredGroupText(const char* name, std::string& out) {
  out.clear();
  if (FileFailure why = SettingsIncomplete(); why != FileFailure::None) return why;
  std::string stored;
  EntryIndex group = noEntry;
  if (!IsOpen() || !name || !Stored(name, stored) || !FindGroup(stored, group)) return FileFailure::NoMemory;
  auto lines = [group](char* at) {  // null: only measured
    std::size_t length = 0;
    for (EntryIndex i = group; i != noEntry && (i == group || Entry(i).kind != GroupEntry); i = Next(i)) {
      length += PutGroupLine(Entry(i), at ? at + length : nullptr);
    }
    return length;
  };
  if (!SizeText(out, lines(nullptr))) return FileFailure::NoMemory;
  if (!out.empty()) lines(&out[0]);
  return FileFailure::None;
}

bool SettingsReadFailed() { return settingsStore.readFailed; }
