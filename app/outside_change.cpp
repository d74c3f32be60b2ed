#include "outside_change.h"

#include "live_notes.h"
#include "note_text.h"

namespace {

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
      if (Trimmed(note.stored[key]) == groups[change.group].values[key]) continue;
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
