#include "outside_change.h"

#include "live_notes.h"
#include "note_text.h"

namespace {

// As the store hands a value out: without its blanks at either end.
std::string AsRead(const std::string& value) {
  const std::size_t first = value.find_first_not_of(" \t");
  return first == std::string::npos ? std::string() : value.substr(first, value.find_last_not_of(" \t") - first + 1);
}

int UnmatchedGroup(const std::vector<ReadGroup>& groups, std::vector<bool>& matched, const std::string& title) {
  for (std::size_t at = 0; at < groups.size(); ++at) {
    if (matched[at] || !SameName(groups[at].name, title)) continue;
    matched[at] = true;
    return static_cast<int>(at);
  }
  return -1;
}

}  // namespace

FileCatchUp CompareWithFile(const std::vector<ReadGroup>& groups, unsigned (*here)(std::int32_t number)) {
  FileCatchUp result;
  std::vector<bool> matched(groups.size());
  for (std::int32_t number : LiveNotes()) {
    const LiveNote& note = *FindLiveNote(number);
    NoteCatchUp change{number, UnmatchedGroup(groups, matched, note.title), 0, false};
    if (change.group < 0) {
      result.notes.push_back(change);
      continue;
    }
    const unsigned mine = here(number);
    for (int key = 0; key < NoteKeyCount; ++key) {
      if (AsRead(note.stored[key]) == groups[change.group].values[key]) continue;
      if (!(mine & ChangeOf(NoteKey(key)))) change.take |= 1u << key;
      else if (key == TextKey || key == TextMarkKey) change.bothTexts = true;
    }
    if (change.take || change.bothTexts) result.notes.push_back(change);
  }
  for (std::size_t at = 0; at < groups.size(); ++at) {
    if (!matched[at]) result.added.push_back(static_cast<int>(at));
  }
  return result;
}
