#include <cstring>

#include "memory.h"
#include "settings_internal.h"
#include "text.h"

SettingsStore settingsStore;
std::uint32_t callerCodePage;
SettingsHooks settingsHooks;

void SetSettingsHooks(const SettingsHooks& hooks) { settingsHooks = hooks; }

SettingsBytes AsRead(const SettingsStore& s) {
  return {s.encoding == Utf8Encoding ? "\xEF\xBB\xBF" : "", s.textBuffer ? s.textBuffer : "", s.textLength};
}

namespace {

// Byte classes of the line scanner. A zero byte counts as a blank so nothing behind it is lost.
enum : std::uint8_t { Plain = 0, Blank = 1, LineEnd = 2, Equals = 4 };

struct ByteClasses {
  std::uint8_t of[256] = {};
  ByteClasses() {
    of[std::uint8_t{' '}] = of[std::uint8_t{'\t'}] = of[0] = Blank;
    of[std::uint8_t{'\r'}] = of[std::uint8_t{'\n'}] = LineEnd;
    of[std::uint8_t{'='}] = Equals;
  }
};
const ByteClasses classes;

bool IsBlank(char c) { return classes.of[static_cast<std::uint8_t>(c)] == Blank; }

bool AppendEntry(EntryList& entries, EntryKind kind, const char* text, const char* textEnd,
                 const char* value = nullptr, const char* valueEnd = nullptr) {
  EntryIndex index = InsertEntry(entries, LastEntry(entries), kind);
  if (index == noEntry) return false;
  SettingsEntry& entry = EntryAt(entries, index);
  entry.text = text;
  entry.textLength = static_cast<std::uint32_t>(textEnd - text);
  if (value) {
    entry.value = value;
    entry.valueLength = static_cast<std::uint32_t>(valueEnd - value);
  }
  return true;
}

// A key line: key up to the first "=" less its trailing blanks; value behind it less its leading ones.
bool CutKeyLine(EntryList& entries, const char* line, const char* equals, const char* lineEnd) {
  const char* keyEnd = equals ? equals : lineEnd;
  while (keyEnd > line && IsBlank(keyEnd[-1])) --keyEnd;
  const char* value = equals ? equals + 1 : lineEnd;
  while (value < lineEnd && IsBlank(*value)) ++value;
  return AppendEntry(entries, KeyEntry, line, keyEnd, value, lineEnd);
}

}  // namespace

bool CutIntoEntries(EntryList& entries, const char* data, std::uint32_t length) {
  bool whole = true;
  const char* at = data;
  const char* end = data + length;
  while (at < end) {
    std::uint8_t kind = classes.of[static_cast<std::uint8_t>(*at)];
    if (kind & (LineEnd | Blank)) {  // separators and leading blanks
      ++at;
      continue;
    }
    const char* line = at;
    const char* equals = nullptr;
    while (at < end) {
      std::uint8_t c = classes.of[static_cast<std::uint8_t>(*at)];
      if (c & (LineEnd | Equals)) {
        if (c == LineEnd) break;
        if (!equals) equals = at;
      }
      ++at;
    }
    if (*line == ';') {
      const char* text = line + 1;
      if (text < at && *text == ' ') ++text;
      whole = AppendEntry(entries, CommentEntry, text, at) && whole;
    } else if (*line == '[') {
      const char* close = static_cast<const char*>(std::memchr(line + 1, ']', static_cast<std::size_t>(at - line - 1)));
      whole = AppendEntry(entries, GroupEntry, line + 1, close ? close : at) && whole;
    } else {
      whole = CutKeyLine(entries, line, equals, at) && whole;
    }
  }
  return whole;
}

void InitSettingsStore() {
  settingsStore = SettingsStore{};
  callerCodePage = ActiveCodePage();
}

void EndSettingsStore() {
  CloseSettings();
  ReleaseSpareEntries();
}

namespace {

// Reads what follows the byte-order mark; a short or failed read leaves the document
// with what came but marked as not to be written back. True when the file was read whole.
bool ReadWholeFile(SettingsStore& s) {
  std::int64_t size = SizeOfFile(s.fileHandle);
  if (size < 0 || size > INT32_MAX) {
    s.refusal = FileFailure::Unread;
    return false;
  }
  if (size >= 3) {
    unsigned char mark[3];
    std::uint32_t got = 0;
    bool ok = ReadFromFile(s.fileHandle, mark, 3, &got);
    if (ok && got == 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF) {
      s.encoding = Utf8Encoding;
      size -= 3;
    } else if (!SeekFile(s.fileHandle, 0)) {
      s.refusal = FileFailure::Unread;
      return false;
    }
  }
  if (size == 0) return true;
  s.textBuffer = static_cast<char*>(AllocateBytes(static_cast<std::size_t>(size) + 2));
  if (!s.textBuffer) {
    s.refusal = FileFailure::NoMemory;
    return false;
  }
  std::uint32_t got = 0;
  bool ok = ReadFromFile(s.fileHandle, s.textBuffer, static_cast<std::uint32_t>(size), &got);
  if (!ok || got != size) s.refusal = FileFailure::Unread;
  s.textLength = got;
  s.textBuffer[got] = s.textBuffer[got + 1] = 0;
  return ok && got == size;
}

}  // namespace

namespace {

// An empty document for the file `name`, the one before closed.
SettingsStore& StartDocument(const char* name) {
  CloseSettings();
  SettingsStore& s = settingsStore;
  // No room for even an empty document: never write.
  if (!StartEntryList(s.entries)) s.refusal = FileFailure::NoMemory;
  s.hasFileName = SizeText(s.fileName, std::strlen(name));
  if (s.hasFileName) std::memcpy(&s.fileName[0], name, s.fileName.size());
  return s;
}

// A line that found no room is missing from the document: never write that back.
void CutText(SettingsStore& s) {
  if (s.textBuffer && !CutIntoEntries(s.entries, s.textBuffer, s.textLength)) s.refusal = FileFailure::NoMemory;
}

}  // namespace

int OpenSettings(const char* fileName) {
  const char* name = fileName ? fileName : "";
  SettingsStore& s = StartDocument(name);
  s.fileHandle = OpenExistingFile(name, true);
  if (!s.fileHandle) {
    FileFailure why = LastFileFailure();
    // Read-only, or shared by another with no writer: read it, but never write it back; and a
    // file there that cannot be read is never replaced by what is written since.
    s.fileHandle = OpenExistingFile(name, false);
    if (s.fileHandle || why != FileFailure::NotFound) s.refusal = why;
  }
  if (!s.fileHandle) return 0;
  if (ReadWholeFile(s) && settingsHooks.fileImage) settingsHooks.fileImage(AsRead(s));
  CutText(s);
  return 1;
}

void OpenSettingsFrom(const char* fileName, const SettingsBytes& file) {
  SettingsStore& s = StartDocument(fileName);
  s.modified = true;
  s.encoding = *file.mark ? Utf8Encoding : 0;
  s.textBuffer = static_cast<char*>(AllocateBytes(std::size_t{file.length} + 2));
  if (!s.textBuffer) {
    s.refusal = FileFailure::NoMemory;
    return;
  }
  if (file.length) std::memcpy(s.textBuffer, file.bytes, file.length);
  s.textLength = file.length;
  s.textBuffer[file.length] = s.textBuffer[file.length + 1] = 0;
  CutText(s);
}

std::int64_t ProbeFileSize(const char* path) {
  if (!path || !*path) return -1;
  char copy[261];
  std::strncpy(copy, path, 260);
  copy[260] = 0;
  std::size_t length = std::strlen(copy);
  if ((length == 2 || length == 3) && copy[1] == ':') {
    if (length == 2) {
      copy[2] = '\\';
      copy[3] = 0;
    }
    return DriveTypeOf(copy) > 1 ? -2 : -1;
  }
  if (length > 0 && copy[length - 1] == '\\') copy[length - 1] = 0;
  std::int64_t size = 0;
  bool directory = false;
  if (!FindFileEntry(copy, &size, &directory)) return -1;
  return directory ? -2 : size;
}
