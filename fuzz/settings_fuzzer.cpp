// Opens arbitrary bytes as the settings file, removes a group and writes a text as the input's last bytes
// choose. Read back, every other entry must be unchanged and in order, the text as written, and a
// second write-back must give the same bytes.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "settings_store.h"
#include "text.h"

namespace {

const char* const fileName = "fuzz-Settings.ini";

std::string GetFile() {
  std::ifstream in(fileName, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool utf8Caller;

std::string Widened(const std::string& text) {
  std::string out(text.size() * 2, '\0');
  std::int32_t room = static_cast<std::int32_t>(out.size()), count = static_cast<std::int32_t>(text.size());
  Latin1ToUtf8(reinterpret_cast<std::uint8_t*>(&out[0]), &room, reinterpret_cast<const std::uint8_t*>(text.data()), &count);
  return out.substr(0, static_cast<std::size_t>(room));
}

// A caller's name as stored in the file.
std::string Stored(const std::string& name) {
  return settingsStore.encoding == Utf8Encoding && !utf8Caller ? Widened(name) : name;
}

// A stored name as the store compares it: ASCII letters folded, zero bytes as blanks.
std::string Folded(std::string name) {
  for (char& c : name) c = c == 0 ? ' ' : (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  return name;
}

// Whether a stored group name is the caller's: as stored or, for a UTF-8 caller, as read from
// bytes that are no UTF-8 (natively, the legacy code page is Latin-1).
bool Names(const std::string& stored, const std::string& name) {
  const std::string folded = Folded(stored);
  return folded == Folded(Stored(name)) ||
         (utf8Caller && !IsUtf8(folded.data(), folded.size()) && Folded(Widened(folded)) == Folded(name));
}

// Every entry in order, leaving out the groups of either name (and the top level when written to).
std::vector<std::string> Entries(const std::string& removed, const std::string& written) {
  std::vector<std::string> lines;
  bool skipping = written.empty();
  const EntryList& list = settingsStore.entries;
  for (EntryIndex i = FirstEntry(list); i != noEntry; i = NextEntry(list, i)) {
    const SettingsEntry& e = EntryAt(list, i);
    std::string text(e.text, e.textLength);
    if (e.kind == GroupEntry) skipping = Names(text, removed) || Names(text, written);
    if (!skipping) lines.push_back(static_cast<char>('0' + e.kind) + text + '\x01' + std::string(e.value, e.valueLength));
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool started = (InitSettingsStore(), std::atexit(EndSettingsStore) == 0);  // storage kept between runs
  std::ofstream(fileName, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  utf8Caller = size & 1;
  callerCodePage = utf8Caller ? 65001 : 1252;
  OpenSettings(fileName);
  std::vector<std::string> names{utf8Caller ? "Fuzz \xC3\xA9" : "Fuzz \xE9"};
  for (StartGroups(); NextGroup();) names.push_back(CurrentGroupName());
  const std::uint8_t choice = size > 0 ? data[size - 1] : 0;
  const std::string removed = choice & 1 ? names[choice % names.size()] : "none";
  const std::string written = names[(choice >> 1) % names.size()];
  const char* key = choice & 2 ? "Text" : "XPos";
  std::string text = "<";  // the input's last bytes as a note's text: one line, no zero bytes
  for (std::size_t i = size > 12 ? size - 12 : 0; i < size; ++i) text += data[i] > 13 ? static_cast<char>(data[i]) : ' ';
  text += ">";
  if (utf8Caller) text = Widened(text);  // a UTF-8 program hands in nothing else
  const std::vector<std::string> kept = Entries(removed, written);
  RemoveGroup(removed.c_str());
  SelectGroup(written.c_str());
  WriteKeyString(key, text.c_str());
  if (!started || !CloseSettings()) std::abort();
  const std::string first = GetFile();

  OpenSettings(fileName);
  if (Entries(removed, written) != kept) std::abort();  // an entry was lost, moved or changed
  SelectGroup(written.c_str());
  if (ReadKeyString(key, "") != text) std::abort();
  WriteKeyString(key, text.c_str());
  if (!CloseSettings() || GetFile() != first) std::abort();  // the layout is a fixed point
  return 0;
}
