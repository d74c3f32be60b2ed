// Opens arbitrary bytes as the settings file, reads every group's name against a conversion of
// its own, selects a group, removes one (its lines as the bin keeps them must read back as it)
// and writes a text as the input's last bytes choose. Read
// back, the document must be what a model of the commands makes of it, the text as written
// less its blanks at both ends, and a second write-back must give the same bytes. The same
// commands with one allocation failing must leave the file with the same new bytes or its old ones.
#include <clocale>
#include <cstdint>
#include <cwchar>
#include <cstdlib>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "memory.h"
#include "settings_internal.h"

namespace {

const char* const fileName = "fuzz-Settings.ini";
bool utf8Caller;

std::string GetFile() {
  std::ifstream in(fileName, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PutFile(const std::uint8_t* data, std::size_t size) {
  std::ofstream(fileName, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

std::string Widened(const std::string& latin1) {
  std::string out;
  for (unsigned char c : latin1) {
    if (c < 0x80) out += static_cast<char>(c);
    else out += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
  }
  return out;
}

// Strict UTF-8, by the C library's decoder, read as Latin-1: 0 when it all fits, 1 when it holds a
// character beyond U+00FF, -1 when it is no UTF-8.
int Decoded(const std::string& utf8, std::string& out) {
  std::mbstate_t state{};
  int form = 0;
  out.clear();
  for (std::size_t i = 0, n; i < utf8.size(); i += n ? n : 1) {
    wchar_t c = 0;
    n = std::mbrtowc(&c, &utf8[i], utf8.size() - i, &state);
    if (n > utf8.size() || c > 0x10FFFF) return -1;  // the library's no-UTF-8 results are huge
    form = c > 0xFF ? 1 : form;
    out += static_cast<char>(c);
  }
  return form;
}

bool Utf8File() { return settingsStore.encoding == Utf8Encoding; }

// A stored text as the caller must read it, zero bytes as blanks; false when the caller's code page
// cannot hold it.
bool Expected(std::string stored, std::string& out) {
  for (char& c : stored) c = c ? c : ' ';
  std::string narrow;
  const int form = Decoded(stored, narrow);
  if (utf8Caller) out = form < 0 ? Widened(stored) : stored;
  else out = Utf8File() ? narrow : stored;
  return utf8Caller || !Utf8File() || form == 0;
}

std::string Stored(const std::string& text) { return Utf8File() && !utf8Caller ? Widened(text) : text; }

std::string Folded(std::string name) {
  for (char& c : name) c = c == 0 ? ' ' : (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  return name;
}

struct Line {
  EntryKind kind;
  std::string text, value;
  bool operator==(const Line& o) const { return std::tie(kind, text, value) == std::tie(o.kind, o.text, o.value); }
};

std::vector<Line> Document(const EntryList& entries = settingsStore.entries) {
  std::vector<Line> lines;
  for (EntryIndex i = FirstEntry(entries); i != noEntry; i = NextEntry(entries, i)) {
    const SettingsEntry& e = EntryAt(entries, i);
    lines.push_back({e.kind, std::string(e.text, e.textLength), std::string(e.value, e.valueLength)});
  }
  return lines;
}

// The first group of a name in its stored form; else, for a UTF-8 caller, the first in the legacy
// code page (natively Latin-1) that reads as it. lines.size() when none.
std::size_t GroupOf(const std::vector<Line>& lines, const std::string& name) {
  for (std::size_t pass = 0; pass < 2; ++pass) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      std::string ignored;
      if (lines[i].kind == GroupEntry &&
          (pass == 0 ? Folded(lines[i].text) == Folded(Stored(name))
                     : utf8Caller && Decoded(lines[i].text, ignored) < 0 && Folded(Widened(lines[i].text)) == Folded(name)))
        return i;
    }
  }
  return lines.size();
}

std::size_t BodyEnd(const std::vector<Line>& lines, std::size_t from) {
  while (from < lines.size() && lines[from].kind != GroupEntry) ++from;
  return from;
}

// What selecting a group, removing one (the selected one too: then the top level is current) and
// writing one key makes of the document.
std::vector<Line> Model(std::vector<Line> lines, const std::string& removed, const std::string& written,
                        const std::string& key, const std::string& value) {
  const std::size_t top = std::string::npos, gone = GroupOf(lines, removed);
  std::size_t group = written.empty() ? top : GroupOf(lines, written);  // lines.size(): still to be made
  if (gone < lines.size()) {
    const std::size_t end = BodyEnd(lines, gone + 1);
    lines.erase(lines.begin() + gone, lines.begin() + end);
    group = group == gone ? top : group != top && group > gone ? group - (end - gone) : group;
  }
  if (group == lines.size()) lines.push_back({GroupEntry, Stored(written), ""});
  const std::size_t start = group == top ? 0 : group + 1, end = BodyEnd(lines, start);
  std::size_t at = start;
  while (at < end && !(lines[at].kind == KeyEntry && Folded(lines[at].text) == Folded(key))) ++at;
  const std::size_t blanks = value.find_first_not_of(" \t");  // the reader skips them
  const Line line{KeyEntry, key, value.substr(blanks == std::string::npos ? value.size() : blanks)};
  if (at < end) lines[at] = line;
  else lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(end), line);
  return lines;
}

bool Commands(const std::string& removed, const std::string& written, const char* key, const std::string& text) {
  SelectGroup(written.c_str());
  RemoveGroup(removed.c_str());
  WriteKeyString(key, "");  // the room for the text then grows
  WriteKeyString(key, text.c_str());
  return CloseSettings();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool started =  // storage kept between runs
      (InitSettingsStore(), std::setlocale(LC_CTYPE, "C.UTF-8"), std::atexit(EndSettingsStore) == 0);
  PutFile(data, size);
  utf8Caller = size & 1;
  callerCodePage = utf8Caller ? 65001 : 1252;
  OpenSettings(fileName);
  std::vector<std::string> names{utf8Caller ? "Fuzz \xC3\xA9" : "Fuzz \xE9"};
  const std::vector<Line> before = Document();
  bool unread = false;
  std::size_t at = 0;
  for (StartGroups(); NextGroup(); ++at) {
    while (before[at].kind != GroupEntry) ++at;
    std::string expected;
    const bool readable = Expected(before[at].text, expected);
    unread = unread || !readable;
    const std::string name = CurrentGroupName();  // read as a conversion of the fuzzer's own reads it
    if (SettingsReadFailed() != unread || name != (readable ? expected : "")) std::abort();
    names.push_back(name);
  }
  const std::uint8_t choice = size > 0 ? data[size - 1] : 0, extra = size > 1 ? data[size - 2] : 0;
  const std::string removed = choice & 1 ? names[choice % names.size()] : "none";
  const std::string written = names[(choice >> 1) % names.size()];
  const char* key = choice & 2 ? "Text" : "XPos";
  std::string kept;  // what the bin keeps of the group to be removed, read as a file, is that group
  EntryList read;
  if (StoredGroupText(removed.c_str(), kept) == FileFailure::None && StartEntryList(read) &&
      CutIntoEntries(read, kept.data(), static_cast<std::uint32_t>(kept.size()))) {
    const std::size_t gone = GroupOf(before, removed), end = gone < before.size() ? BodyEnd(before, gone + 1) : gone;
    if (!(Document(read) == std::vector<Line>(before.begin() + gone, before.begin() + end))) std::abort();
  }
  EndEntryList(read);
  std::string core = "<";  // the input's last bytes as a note's text: one line, no zero bytes
  for (std::size_t i = size > 12 ? size - 12 : 0; i < size; ++i) core += data[i] > 13 ? static_cast<char>(data[i]) : ' ';
  core += ">";
  if (utf8Caller) core = Widened(core);  // a UTF-8 program hands in nothing else
  const std::string pad = std::string(extra & 1 ? " " : "") + (extra & 2 ? "\t" : "");
  const std::string text = pad + core + pad;
  if (SelectGroup(written.c_str()) == 0 && ReadKeyString(key, "-") != "-") std::abort();  // a missing group holds nothing
  const std::vector<Line> model = Model(before, removed, written, key, Stored(text));
  if (!started || !Commands(removed, written, key, text)) std::abort();
  const std::string first = GetFile();

  OpenSettings(fileName);
  if (!(Document() == model)) std::abort();  // an entry was lost, moved, changed or put in the wrong group
  const std::size_t selected = GroupOf(before, written);  // when removed, the text went to the top level
  SelectGroup(selected < before.size() && selected == GroupOf(before, removed) ? "" : written.c_str());
  if (ReadKeyString(key, "") != core) std::abort();
  WriteKeyString(key, text.c_str());
  if (!CloseSettings() || GetFile() != first) std::abort();  // the layout is a fixed point

  if (extra & 4) {  // the same commands with one allocation failing
    PutFile(data, size);
    FailAllocationsAfter(extra >> 3, 1);
    OpenSettings(fileName);
    const bool closed = Commands(removed, written, key, text);
    FailAllocationsAfter(-1);
    if (GetFile() != (closed ? first : std::string(reinterpret_cast<const char*>(data), size))) std::abort();
  }
  return 0;
}
