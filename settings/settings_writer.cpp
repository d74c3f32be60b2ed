#include <cstring>

#include "memory.h"
#include "settings_store.h"

namespace {

const char byteOrderMark[] = "\xEF\xBB\xBF";

std::size_t LineLength(const SettingsEntry& e) {
  switch (e.kind) {
    case GroupEntry: return e.textLength + 4;
    case CommentEntry: return e.textLength + 4;
    default: return e.textLength + e.valueLength + 5;
  }
}

char* Put(char* at, const char* text, std::size_t length) {
  std::memcpy(at, text, length);
  return at + length;
}

// A plain file whose first line begins with the mark's bytes (they stood behind blanks)
// would read back as UTF-8: an empty first line keeps them where they were.
bool FirstLineLooksLikeMark(const SettingsStore& s) {
  EntryIndex first = FirstEntry(s.entries);
  if (s.encoding == Utf8Encoding || first == noEntry) return false;
  const SettingsEntry& e = EntryAt(s.entries, first);
  return e.kind == KeyEntry && e.textLength >= 3 && std::memcmp(e.text, byteOrderMark, 3) == 0;
}

// The whole document in its normalised layout; null when there is no memory for it.
char* Compose(const SettingsStore& s, std::size_t* length) {
  bool utf8 = s.encoding == Utf8Encoding;
  bool guard = FirstLineLooksLikeMark(s);
  std::size_t total = utf8 ? 5 : guard ? 2 : 0;
  for (EntryIndex i = FirstEntry(s.entries); i != noEntry; i = NextEntry(s.entries, i)) total += LineLength(EntryAt(s.entries, i));
  *length = total;
  char* out = static_cast<char*>(AllocateBytes(total));
  if (!out) return nullptr;
  char* at = out;
  if (utf8) at = Put(at, "\xEF\xBB\xBF\r\n", 5);
  if (guard) at = Put(at, "\r\n", 2);
  for (EntryIndex i = FirstEntry(s.entries); i != noEntry; i = NextEntry(s.entries, i)) {
    const SettingsEntry& e = EntryAt(s.entries, i);
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
    at = Put(at, "\r\n", 2);
  }
  return out;
}

bool WriteAt(FileHandle file, std::uint32_t position, const char* bytes, std::uint32_t length) {
  std::uint32_t put = 0;
  return SeekFile(file, position) && WriteToFile(file, bytes, length, &put) && put == length;
}

// Puts the file's old bytes back after a write that did not complete.
void RestoreOldContent(const SettingsStore& s) {
  std::uint32_t start = 0;
  if (s.encoding == Utf8Encoding) {
    WriteAt(s.fileHandle, 0, byteOrderMark, 3);
    start = 3;
  }
  if (s.textLength) WriteAt(s.fileHandle, start, s.textBuffer, s.textLength);
  if (SeekFile(s.fileHandle, static_cast<std::uint32_t>(s.fileSize))) EndFileHere(s.fileHandle);
}

// Old content or new after any failure the process survives: grow the file first (giving up
// untouched when the disk refuses), write everything at once, cut only behind a complete
// write, then flush. A crash in the middle of the write itself can still leave a mix.
bool ReplaceContent(const SettingsStore& s, const char* bytes, std::size_t length) {
  FileHandle file = s.fileHandle;
  if (length > UINT32_MAX) return false;
  std::uint32_t newLength = static_cast<std::uint32_t>(length);
  if (length > static_cast<std::uint64_t>(s.fileSize)) {
    if (!SeekFile(file, newLength) || !EndFileHere(file)) {
      if (SeekFile(file, static_cast<std::uint32_t>(s.fileSize))) EndFileHere(file);
      return false;
    }
  }
  if (WriteAt(file, 0, bytes, newLength) && SeekFile(file, newLength) && EndFileHere(file)) return FlushFile(file);
  RestoreOldContent(s);
  return false;
}

bool WriteBack(SettingsStore& s) {
  if (!s.modified) return true;
  if (!s.readWhole) return false;
  if (!s.fileHandle) {
    if (!s.hasFileName) return false;
    bool existed = false;
    s.fileHandle = OpenOrCreateFile(s.fileName.c_str(), &existed);
    if (!s.fileHandle) return false;
    // A file that is there but could not be read at open must not be replaced by a
    // document holding only what was written since.
    if (existed) return false;
  }
  std::size_t length = 0;
  char* bytes = Compose(s, &length);
  if (!bytes) return false;
  bool done = ReplaceContent(s, bytes, length);
  ReleaseBytes(bytes);
  return done;
}

}  // namespace

bool CloseSettings() {
  SettingsStore& s = settingsStore;
  bool done = WriteBack(s);
  CloseFile(s.fileHandle);
  ReleaseBytes(s.textBuffer);
  EndEntryList(s.entries);
  s = SettingsStore{};
  return done;
}
