#include <cstring>

#include "memory.h"
#include "settings_internal.h"

namespace {

const char byteOrderMark[] = "\xEF\xBB\xBF";

char* Put(char* at, const char* text, std::size_t length) {
  std::memcpy(at, text, length);
  return at + length;
}

}  // namespace

// No stored text is longer than 2^31 - 1 bytes, so a line's length never wraps a size_t.
std::size_t LineLength(const SettingsEntry& e) {
  const std::size_t text = e.textLength;
  return e.kind == KeyEntry ? text + e.valueLength + 5 : text + 4;
}

char* PutLine(char* at, const SettingsEntry& e) {
  if (e.kind == GroupEntry) {
    *at++ = '[';
    at = Put(at, e.text, e.textLength);
    *at++ = ']';
  } else if (e.kind == CommentEntry) {
    at = Put(at, "; ", 2);
    at = Put(at, e.text, e.textLength);
  } else {
    at = Put(at, e.text, e.textLength);
    at = Put(at, " = ", 3);
    at = Put(at, e.value, e.valueLength);
  }
  return Put(at, "\r\n", 2);
}

namespace {

// A plain file whose first line begins with the mark's bytes (they stood behind blanks)
// would read back as UTF-8: an empty first line keeps them where they were.
bool FirstLineLooksLikeMark(const SettingsStore& s) {
  EntryIndex first = FirstEntry(s.entries);
  if (s.encoding == Utf8Encoding || first == noEntry) return false;
  const SettingsEntry& e = EntryAt(s.entries, first);
  return e.kind == KeyEntry && e.textLength >= 3 && std::memcmp(e.text, byteOrderMark, 3) == 0;
}

// The whole document in its normalised layout, under a comment line unless `comment` is empty;
// null when there is no memory for it.
char* Compose(const SettingsStore& s, std::size_t* length, const char* comment = "") {
  bool utf8 = s.encoding == Utf8Encoding;
  bool guard = FirstLineLooksLikeMark(s);
  const std::size_t commentLength = std::strlen(comment);
  std::size_t total = (utf8 ? 5 : guard ? 2 : 0) + (commentLength ? commentLength + 4 : 0);
  for (EntryIndex i = FirstEntry(s.entries); i != noEntry; i = NextEntry(s.entries, i)) {
    const std::size_t line = LineLength(EntryAt(s.entries, i));
    if (line > SIZE_MAX - total) return nullptr;  // more than a 32-bit process can hold
    total += line;
  }
  *length = total;
  char* out = static_cast<char*>(AllocateBytes(total));
  if (!out) return nullptr;
  char* at = out;
  if (utf8) at = Put(at, "\xEF\xBB\xBF\r\n", 5);
  if (guard) at = Put(at, "\r\n", 2);
  if (commentLength) at = Put(Put(Put(at, "; ", 2), comment, commentLength), "\r\n", 2);
  for (EntryIndex i = FirstEntry(s.entries); i != noEntry; i = NextEntry(s.entries, i)) {
    at = PutLine(at, EntryAt(s.entries, i));
  }
  return out;
}

FileFailure WriteBack(SettingsStore& s) {
  if (!s.modified) return FileFailure::None;
  if (s.refusal != FileFailure::None) return s.refusal;
  if (!s.hasFileName) return FileFailure::NoMemory;
  if (s.fileHandle && settingsHooks.beforeReplace) settingsHooks.beforeReplace(s.fileName.c_str(), AsRead(s));
  std::size_t length = 0;
  char* bytes = Compose(s, &length);
  if (!bytes) return FileFailure::NoMemory;
  FileFailure failure = FileFailure::NoMemory;
  if (length <= UINT32_MAX) {
    failure = ReplaceFileContent(s.fileName.c_str(), s.fileHandle, bytes, static_cast<std::uint32_t>(length));
    s.fileHandle = nullptr;  // closed by the replace, whatever came of it
    if (failure == FileFailure::None && settingsHooks.fileImage) {
      settingsHooks.fileImage({"", bytes, static_cast<std::uint32_t>(length)});
    }
  }
  ReleaseBytes(bytes);
  return failure;
}

FileFailure writeFailure = FileFailure::None;

void Release(SettingsStore& s) {
  CloseFile(s.fileHandle);
  ReleaseBytes(s.textBuffer);
  EndEntryList(s.entries);
  s = SettingsStore{};
}

}  // namespace

bool CloseSettings() {
  writeFailure = WriteBack(settingsStore);
  Release(settingsStore);
  return writeFailure == FileFailure::None;
}

void DiscardSettings() { Release(settingsStore); }

FileFailure CopySettingsTo(const char* name, const char* comment) {
  std::size_t length = 0;
  char* bytes = Compose(settingsStore, &length, comment);
  if (!bytes) return FileFailure::NoMemory;
  FileFailure failure = FileFailure::NoMemory;
  if (length <= UINT32_MAX) failure = ReplaceFileContent(name, nullptr, bytes, static_cast<std::uint32_t>(length));
  ReleaseBytes(bytes);
  return failure;
}

FileFailure SettingsWriteFailure() { return writeFailure; }
