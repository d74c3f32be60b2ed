// Opens arbitrary bytes as the settings file, walks it, writes one key, closes, reopens:
// every line must come back in order, and a second write-back must give the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings_store.h"
#include "text.h"

namespace {

const char* const fileName = "fuzz-Settings.ini";

void PutFile(const std::string& bytes) {
  FILE* f = std::fopen(fileName, "wb");
  if (!f) std::abort();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::string GetFile() {
  std::string bytes;
  FILE* f = std::fopen(fileName, "rb");
  if (!f) std::abort();
  char chunk[4096];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
  std::fclose(f);
  return bytes;
}

std::vector<std::string> Lines() {
  std::vector<std::string> lines;
  const EntryList& list = settingsStore.entries;
  for (EntryIndex i = FirstEntry(list); i != noEntry; i = NextEntry(list, i)) {
    const SettingsEntry& e = EntryAt(list, i);
    std::string line(1, static_cast<char>('0' + e.kind));
    line.append(e.text, e.textLength);
    line += '\x01';
    line.append(e.value, e.valueLength);
    lines.push_back(line);
  }
  return lines;
}

// Walks every group and reads keys in it; returns the name of the middle group.
std::string WalkGroups() {
  std::vector<std::string> names;
  StartGroups();
  while (NextGroup()) {
    names.push_back(CurrentGroupName());
    ReadKeyString("Text", "");
    ReadKeyLong("XPos", 0);
  }
  return names.empty() ? "Fuzz" : names[names.size() / 2];
}

void WriteOneKey(const std::string& group) {
  SelectGroup(group.c_str());
  WriteKeyLong("XPos", 120);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool started = false;
  if (!started) {
    StartTextHelpers();
    InitSettingsStore();
    std::atexit(EndSettingsStore);  // the store keeps entry storage between opens
    started = true;
  }
  PutFile(std::string(reinterpret_cast<const char*>(data), size));
  OpenSettings(fileName);
  const std::string group = WalkGroups();
  WriteOneKey(group);
  std::vector<std::string> before = Lines();
  if (!CloseSettings()) std::abort();
  std::string first = GetFile();

  OpenSettings(fileName);
  if (Lines() != before) std::abort();  // something was lost, reordered or changed
  WalkGroups();
  WriteOneKey(group);
  if (!CloseSettings()) std::abort();
  if (GetFile() != first) std::abort();  // the layout must be a fixed point
  return 0;
}
