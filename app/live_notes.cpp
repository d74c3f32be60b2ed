#include "live_notes.h"

#include <algorithm>
#include <map>
#include <new>

#include "note_rules.h"
#include "text.h"

std::int32_t NoteCounter;

namespace {

// Group names as the store compares them.
struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const {
    return CompareNoCase(a.c_str(), b.c_str(), std::max(a.size(), b.size()) + 1) < 0;
  }
};

std::map<std::int32_t, LiveNote> table;
std::multimap<std::string, std::int32_t, NoCaseLess> byGroup;
std::string image;
bool imageKnown, fileSeen;

template <typename Change>
void ForEachOfGroup(const std::string& group, Change change) {
  auto [from, to] = byGroup.equal_range(group);
  for (auto at = from; at != to; ++at) change(table.at(at->second));
}

void (*liveNotesWatcher)(std::int32_t number);

}  // namespace

std::int32_t TakeNoteNumber() { return NoteCounter = NextNoteNumber(NoteCounter); }

void CountNotesFromOne() { NoteCounter = -1; }

std::vector<std::int32_t> LiveNotes() {
  std::vector<std::int32_t> numbers;
  for (const auto& entry : table) numbers.push_back(entry.first);
  return numbers;
}

std::vector<std::string> LiveNoteTitles() {
  std::vector<std::string> titles;
  for (const auto& entry : table) titles.push_back(entry.second.title);
  return titles;
}

LiveNote* FindLiveNote(std::int32_t number) {
  auto found = table.find(number);
  return found == table.end() ? nullptr : &found->second;
}

bool TextSizeStepped(std::int32_t number) {
  const LiveNote* note = FindLiveNote(number);
  return note && note->textSizeStepped;
}

LiveNote& AddLiveNote(std::int32_t number, const std::string& title) {
  RemoveLiveNote(number);
  byGroup.emplace(title, number);
  TellLiveNoteChanged(number);
  return table[number] = LiveNote{number, title, {}, 0, false};
}

void RemoveLiveNote(std::int32_t number) {
  LiveNote* note = FindLiveNote(number);
  if (!note) return;
  auto [from, to] = byGroup.equal_range(note->title);
  for (auto at = from; at != to; ++at) {
    if (at->second == number) {
      byGroup.erase(at);
      break;
    }
  }
  table.erase(number);
  TellLiveNoteChanged(number);
}

void SetLiveNotesWatcher(void (*watcher)(std::int32_t number)) { liveNotesWatcher = watcher; }

void TellLiveNoteChanged(std::int32_t number) {
  if (liveNotesWatcher) liveNotesWatcher(number);
}

void RenameLiveNote(std::int32_t number, const std::string& title) {
  const LiveNote* note = FindLiveNote(number);
  if (!note) return;
  LiveNote kept = *note;
  kept.title = title;
  AddLiveNote(number, title) = kept;
}

void NoteKeyStored(const std::string& group, NoteKey key, const std::string& value) {
  ForEachOfGroup(group, [&](LiveNote& note) {
    note.stored[key] = value;
    note.changed &= ~ChangeOf(key);
    if (key == FontSizeKey) note.textSizeStepped = false;
  });
}

void NoteKeyRefused(const std::string& group, NoteKey key) {
  ForEachOfGroup(group, [&](LiveNote& note) { note.changed |= ChangeOf(key); });
}

void KeepSettingsImage(const SettingsBytes& file) {
  fileSeen = true;
  try {
    image.assign(file.mark).append(file.bytes, file.length);
    imageKnown = true;
  } catch (const std::bad_alloc&) {
    image = std::string();
    imageKnown = false;
  }
}

const std::string* SettingsImage() { return imageKnown ? &image : nullptr; }

bool SettingsFileSeen() { return fileSeen; }
