#include "daily_copy.h"

#include <cstdio>
#include <cstring>

#include "local_time.h"
#include "memory.h"

namespace {

constexpr unsigned keptCopies = 14;
#ifdef _WIN32
constexpr char separator = '\\';
bool IsSeparator(char c) { return c == '\\' || c == '/'; }
#else
constexpr char separator = '/';
bool IsSeparator(char c) { return c == '/'; }
#endif

// The folder "Backups" beside a file, and its copy of that file for one day: "Settings.ini" is
// kept as "Backups\Settings-2026-12-09.ini".
struct DailyCopy {
  char folder[1024];
  char path[1024 + 256];
  const char* stem;
  std::size_t stemLength;
  const char* extension;
};

// False when the path is too long for any file system call.
bool NameCopy(DailyCopy& c, const char* file, const char* date) {
  const char* name = file;
  for (const char* at = file; *at; ++at) {
    if (IsSeparator(*at)) name = at + 1;
  }
  const char* dot = std::strrchr(name, '.');
  c.stem = name;
  c.extension = dot ? dot : name + std::strlen(name);
  c.stemLength = static_cast<std::size_t>(c.extension - name);
  const int folder = std::snprintf(c.folder, sizeof c.folder, "%.*sBackups", static_cast<int>(name - file), file);
  const int path = std::snprintf(c.path, sizeof c.path, "%s%c%.*s-%s%s", c.folder, separator,
                                 static_cast<int>(c.stemLength), c.stem, date, c.extension);
  return folder < static_cast<int>(sizeof c.folder) && path < static_cast<int>(sizeof c.path);
}

// "<stem>-YYYY-MM-DD<extension>", as NameCopy makes them; a person's own files there are never touched.
bool IsCopyName(const DailyCopy& c, const char* name) {
  const std::size_t extension = std::strlen(c.extension);
  if (std::strlen(name) != c.stemLength + 11 + extension || std::memcmp(name, c.stem, c.stemLength) != 0 ||
      std::strcmp(name + c.stemLength + 11, c.extension) != 0) {
    return false;
  }
  const char* date = name + c.stemLength;
  for (int i = 0; i < 11; ++i) {
    const bool dash = i == 0 || i == 5 || i == 8;
    if (dash ? date[i] != '-' : date[i] < '0' || date[i] > '9') return false;
  }
  return true;
}

// A copy's leftover of an interrupted replace: "<copy name>.<8 hex digits>.tmp".
bool IsCopyLeftover(const DailyCopy& c, const char* name) {
  const std::size_t length = std::strlen(name);
  char copy[256];
  if (length < 13 || !IsReplaceLeftover(name, length - 13)) return false;
  std::snprintf(copy, sizeof copy, "%.*s", static_cast<int>(length - 13), name);
  return IsCopyName(c, copy);
}

struct Oldest {
  const DailyCopy* copy;
  unsigned count;
  char name[256];  // the oldest but the day's own; empty: none
};

// Removes the oldest copies until the newest `keptCopies` are left; never the day's own, whatever
// a clock set back has left beside it.
void RemoveOldCopies(const DailyCopy& c) {
  for (;;) {
    Oldest oldest{&c, 0, ""};
    const bool listed = ForEachName(c.folder, [](const char* name, void* context) {
      Oldest& o = *static_cast<Oldest*>(context);
      if (!IsCopyName(*o.copy, name)) return;
      ++o.count;
      const bool own = std::strcmp(name, std::strrchr(o.copy->path, separator) + 1) == 0;
      if (!own && (!*o.name || std::strcmp(name, o.name) < 0)) std::snprintf(o.name, sizeof o.name, "%s", name);
    }, &oldest);
    char path[sizeof c.folder + sizeof oldest.name + 1];
    if (!listed || oldest.count <= keptCopies || !*oldest.name) return;
    std::snprintf(path, sizeof path, "%s%c%s", c.folder, separator, oldest.name);
    if (!RemoveFile(path)) return;
  }
}

void RemoveCopyLeftovers(const DailyCopy& c) {
  ForEachName(c.folder, [](const char* name, void* context) {
    const DailyCopy& copy = *static_cast<const DailyCopy*>(context);
    char path[sizeof copy.folder + 256 + 1];
    if (!IsCopyLeftover(copy, name)) return;
    std::snprintf(path, sizeof path, "%s%c%s", copy.folder, separator, name);
    RemoveFile(path);
  }, const_cast<DailyCopy*>(&c));
}

// The file as it was read, byte-order mark and all. What is read is never longer than 2^31 - 1
// bytes, so the mark always fits beside it.
FileFailure WriteCopy(const SettingsBytes& asRead, const char* path) {
  const std::size_t mark = std::strlen(asRead.mark);
  if (!mark) return ReplaceFileContent(path, nullptr, asRead.bytes, asRead.length);
  char* bytes = static_cast<char*>(AllocateBytes(mark + asRead.length));
  if (!bytes) return FileFailure::NoMemory;
  std::memcpy(bytes, asRead.mark, mark);
  std::memcpy(bytes + mark, asRead.bytes, asRead.length);
  const FileFailure failure = ReplaceFileContent(path, nullptr, bytes, static_cast<std::uint32_t>(mark + asRead.length));
  ReleaseBytes(bytes);
  return failure;
}

FileFailure copyFailure = FileFailure::None;
bool copiesSkipped;

}  // namespace

void SkipDailyCopies(bool skip) { copiesSkipped = skip; }

void KeepDailyCopy(const char* fileName, const SettingsBytes& asRead) {
  if (copiesSkipped) return;
  LocalStamp now = LocalNow();
  now.text[10] = 0;  // the date alone
  DailyCopy c;
  if (!NameCopy(c, fileName, now.text)) {
    copyFailure = FileFailure::Other;
    return;
  }
  copyFailure = FileFailure::None;
  if (ProbeFileSize(c.path) != -1) return;  // the day's copy is made
  copyFailure = MakeFolder(c.folder);
  if (copyFailure == FileFailure::None) copyFailure = WriteCopy(asRead, c.path);
  if (copyFailure != FileFailure::None) return;
  RemoveOldCopies(c);
  RemoveCopyLeftovers(c);
}

FileFailure DailyCopyFailure() { return copyFailure; }

bool KeepStrayBackup(const char* fileName) {
  char stray[1024];
  if (std::snprintf(stray, sizeof stray, "%s.old", fileName) >= static_cast<int>(sizeof stray)) return false;
  if (ProbeFileSize(stray) < 0) return true;
  LocalStamp now = LocalNow();
  for (char& c : now.text) c = c == ':' ? '-' : c;  // no colon in a file name
  DailyCopy c;
  if (!NameCopy(c, fileName, "") || MakeFolder(c.folder) != FileFailure::None) return false;
  char kept[sizeof c.path];
  std::snprintf(kept, sizeof kept, "%s%c%.*s.old %s%s", c.folder, separator, static_cast<int>(c.stemLength), c.stem,
                now.text, c.extension);
  return MoveFileTo(stray, kept);
}
