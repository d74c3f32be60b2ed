#include "note_bin.h"

#include <cstring>

#include "memory.h"
#include "note_text.h"
#include "settings_store.h"
#include "text.h"

namespace {

constexpr char DatedLine[] = "; Deleted ";
constexpr std::size_t DatedLength = sizeof DatedLine - 1;

bool DatedAt(const char* bytes, std::size_t size, std::size_t at) {
  return size - at >= DatedLength && std::memcmp(bytes + at, DatedLine, DatedLength) == 0;
}

std::size_t NextLine(const std::string& text, std::size_t at) {
  const std::size_t end = text.find('\n', at);
  return end == std::string::npos ? text.size() : end + 1;
}

std::string LineAt(const std::string& text, std::size_t at) {
  std::string line = text.substr(at, NextLine(text, at) - at);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

bool IsNoteKeyLine(const std::string& line) {
  const std::size_t equals = line.find('=');
  if (equals == std::string::npos) return false;
  const std::string name = Trimmed(line.substr(0, equals));
  for (const char* key : NoteKeyNames) {
    if (name.size() == std::strlen(key) && CompareNoCase(name.c_str(), key, name.size()) == 0) return true;
  }
  return false;
}

// A second group, a comment or a key of another program would stay behind in no file.
bool HoldsOnlyNoteKeys(const std::string& group) {
  int headers = 0;
  for (std::size_t at = 0; at < group.size(); at = NextLine(group, at)) {
    const std::string line = Trimmed(LineAt(group, at));
    if (line.empty()) continue;
    if (line[0] == '[') ++headers;
    else if (!IsNoteKeyLine(line)) return false;
  }
  return headers <= 1;
}

// The entry still stands at its place, whole and alone: from the start of a line to the next dated
// line or the end.
bool StandsAt(const char* bytes, std::size_t size, const BinEntry& entry) {
  const std::size_t place = entry.place, end = place + entry.bytes.size();
  if (end < place || end > size || std::memcmp(bytes + place, entry.bytes.data(), entry.bytes.size()) != 0) return false;
  return (place == 0 || bytes[place - 1] == '\n') && (end == size || DatedAt(bytes, size, end));
}

// The open file whole into `into` (AllocateBytes, one byte more than `size`).
FileFailure ReadOpenFile(FileHandle file, char** into, std::uint32_t* size) {
  const std::int64_t length = SizeOfFile(file);
  if (length < 0 || length >= INT32_MAX) return FileFailure::Unread;
  *into = static_cast<char*>(AllocateBytes(static_cast<std::size_t>(length) + 1));
  if (!*into) return FileFailure::NoMemory;
  std::uint32_t got = 0;
  if (!ReadFromFile(file, *into, static_cast<std::uint32_t>(length), &got) || got != length) return FileFailure::Unread;
  *size = got;
  return FileFailure::None;
}

}  // namespace

std::vector<BinEntry> BinEntries(const std::string& bin) {
  std::vector<std::size_t> starts;
  for (std::size_t at = 0; at < bin.size(); at = NextLine(bin, at)) {
    if (DatedAt(bin.data(), bin.size(), at)) starts.push_back(at);
  }
  // Bytes before the first dated line (a bin begun by hand, or by an older program) are an entry too.
  const std::size_t first = starts.empty() ? bin.size() : starts.front();
  if (bin.find_first_not_of(" \t\r\n") < first) starts.insert(starts.begin(), 0);
  std::vector<BinEntry> entries;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : bin.size();
    const bool dated = DatedAt(bin.data(), bin.size(), starts[i]);
    entries.push_back({static_cast<std::uint32_t>(starts[i]),
                       dated ? Trimmed(LineAt(bin, starts[i]).substr(DatedLength)) : std::string(),
                       bin.substr(starts[i], end - starts[i]), std::string()});
  }
  return entries;
}

bool IsConflictCopyName(const char* name) {
  const std::size_t length = std::strlen(name);
  return length > 12 && CompareNoCase(name, "Settings", 8) == 0 && CompareNoCase(name + length - 4, ".ini", 4) == 0;
}

std::vector<std::string> ConflictCopies(const char* folder) {
  std::vector<std::string> copies;
  ForEachName(folder, [](const char* name, void* found) {
    if (IsConflictCopyName(name)) static_cast<std::vector<std::string>*>(found)->push_back(name);
  }, &copies);
  return copies;
}

std::vector<BinEntry> CopyEntries(const std::string& file, const std::string& copy) {
  std::vector<std::size_t> starts;
  for (std::size_t at = 0; at < file.size(); at = NextLine(file, at)) {
    const std::size_t first = file.find_first_not_of(" \t", at);
    if (first < NextLine(file, at) && file[first] == '[') starts.push_back(at);
  }
  std::vector<BinEntry> entries;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : file.size();
    entries.push_back({static_cast<std::uint32_t>(starts[i]), "in " + copy, file.substr(starts[i], end - starts[i]), copy});
  }
  return entries;
}

FileFailure ReadBin(const char* path, std::string& bin) {
  FileHandle file = OpenExistingFile(path, false);
  if (!file) return LastFileFailure();
  char* bytes = nullptr;
  std::uint32_t size = 0;
  const FileFailure failure = ReadOpenFile(file, &bytes, &size);
  CloseFile(file);
  if (failure == FileFailure::None) bin.assign(bytes, size);
  ReleaseBytes(bytes);
  return failure;
}

bool ReadBinNote(const BinEntry& entry, BinNote& note) {
  const bool dated = DatedAt(entry.bytes.data(), entry.bytes.size(), 0);
  const std::string group = dated ? entry.bytes.substr(NextLine(entry.bytes, 0)) : entry.bytes;
  note = BinNote{};
  note.onlyNoteKeys = HoldsOnlyNoteKeys(group);
  OpenSettingsFrom(BinFile, {"", group.data(), static_cast<std::uint32_t>(group.size())});
  bool read = SettingsIncomplete() == FileFailure::None && StartGroups();
  while (read && note.title.empty() && NextGroup()) note.title = CurrentGroupName();
  if (read && !note.title.empty() && SelectGroup(note.title.c_str())) {
    for (int key = 0; key < NoteKeyCount; ++key) {
      // A line end is one thing no stored value holds: it tells a missing key from an empty one.
      note.values[key] = ReadKeyString(KeyName(NoteKey(key)), "\n");
      note.present[key] = note.values[key] != "\n";
      if (!note.present[key]) note.values[key].clear();
    }
  }
  read = read && !SettingsReadFailed();
  DiscardSettings();
  return read;
}

FileFailure TakeOutOfBin(const char* path, const BinEntry& entry) {
  FileHandle file = OpenExistingFile(path, true);
  if (!file) return LastFileFailure();
  char* bytes = nullptr;
  std::uint32_t size = 0;
  FileFailure failure = ReadOpenFile(file, &bytes, &size);
  if (failure == FileFailure::None && !StandsAt(bytes, size, entry)) failure = FileFailure::NotFound;
  if (failure != FileFailure::None) {
    CloseFile(file);
    ReleaseBytes(bytes);
    return failure;
  }
  const std::size_t end = entry.place + entry.bytes.size();
  std::memmove(bytes + entry.place, bytes + end, size - end);
  failure = ReplaceFileContent(path, file, bytes, static_cast<std::uint32_t>(size - entry.bytes.size()));
  ReleaseBytes(bytes);
  return failure;
}
