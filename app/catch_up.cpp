#include "catch_up.h"

#include <string>
#include <vector>

#include "commands.h"
#include "display_scale.h"
#include "fonts.h"
#include "gadgets.h"
#include "loading.h"
#include "menus.h"
#include "note.h"
#include "note_rules.h"
#include "outside_change.h"
#include "persistence.h"
#include "settings_store.h"
#include "store_cycle.h"
#include "store_status.h"
#include "window_layer.h"

namespace {

unsigned ChangedHere(std::int32_t number) {
  const LiveNote* note = FindLiveNote(number);
  return (note ? note->changed : 0) | (NoteTextChanged(number) ? TextChange : 0u) |
         (WindowMovedSinceMark(number) ? PlaceChange : 0u) | (TextSizeStepped(number) ? FontChange : 0u);
}

bool Takes(unsigned take, NoteKey key) { return (take & (1u << key)) != 0; }

void TakeColours(ObjectNumber note, const Note& read, unsigned take) {
  if (Takes(take, FrontColorKey)) {
    ApplyGadgetColour(TitleStripOf(note), FrontColour, read.frontColor);
    ApplyGadgetColour(EditAreaOf(note), FrontColour, read.frontColor);
  }
  if (Takes(take, BkgColorKey)) {
    SetWindowBackground(note, read.bkgColor);
    ApplyGadgetColour(TitleStripOf(note), BackColour, read.bkgColor);
    ApplyGadgetColour(EditAreaOf(note), BackColour, read.bkgColor);
  }
}

void TakeStates(ObjectNumber note, const Note& read, unsigned take) {
  if (Takes(take, HiddenKey)) SetWindowHidden(note, read.hidden == 1 ? 1 : 0);
  if (Takes(take, OnTopKey)) {
    SetWindowTopmost(note, read.onTop == 1 ? 1 : 0);
    SetItemChecked(note, OnTopItem, read.onTop == 1 ? 1 : 0);
  }
  if (Takes(take, AlphaKey)) {
    SetWindowOpacity(note, read.alpha == 1 ? TranslucentAlpha : 255);
    SetItemChecked(note, TransparentItem, read.alpha == 1 ? 1 : 0);
  }
  if (Takes(take, SizeKey)) SetNoteSize(note, read.size);
  if (Takes(take, RollupKey)) SetItemChecked(note, RollUpItem, read.rollup == 1 ? 1 : 0);
  if (Takes(take, SizeKey) || Takes(take, RollupKey)) {
    const bool rolled = IsItemChecked(note, RollUpItem);
    PlaceWindow(note, IgnoreValue, IgnoreValue, IgnoreValue, rolled ? NoteScaled(note, RolledUpHeight) : WindowInnerWidth(note));
  }
}

// Each key changed only elsewhere goes to the window, as loading would show it; the record learns
// that the file holds it.
void TakeKeys(ObjectNumber note, const StoredNote& read, unsigned take) {
  if (Takes(take, XPosKey) || Takes(take, YPosKey)) {
    PlaceWindow(note, PhysicalCoordinate(read.note.xPos), PhysicalCoordinate(read.note.yPos), IgnoreValue, IgnoreValue);
    BringNoteIntoReach(note);
    MarkWindowPlace(note);
  }
  TakeColours(note, read.note, take);
  if (Takes(take, FontKey) || Takes(take, FontSizeKey)) {
    ApplyGadgetFont(EditAreaOf(note), MakePlainFont(note, read.note.font.c_str(), read.note.fontSize, WindowScale(note)));
  }
  TakeStates(note, read.note, take);
  if (Takes(take, TextKey) || Takes(take, TextMarkKey)) {
    PutGadgetText(EditAreaOf(note), read.note.text.c_str());
    MarkNoteTextStored(note);
  }
  LiveNote* record = FindLiveNote(note);
  for (int key = 0; key < NoteKeyCount; ++key) {
    if (record && Takes(take, NoteKey(key))) record->stored[key] = read.group.values[key];
  }
  TellLiveNoteChanged(note);
}

// The other computer's text beside the note's own, under the title "New note..." would pick; both
// stored in one cycle.
void KeepBothTexts(ObjectNumber note, StoredNote read) {
  const std::string title = NoteTitle(note);
  FreeTitleFrom(title, read.group.name);
  read.note.title = read.group.name;
  read.group.values[TitleKey] = read.group.name;
  BuildStoredNote(read);
  StoreBothTexts(note, read.group);
  TellNotice("A note was changed in two places", title + " was changed here and on another computer: both are kept.");
}

// A note whose group is gone goes to the bin as it was last read here, then closes.
void PutAwayGone(const std::vector<ObjectNumber>& gone, const std::string& before) {
  std::vector<std::string> groups(gone.size());
  OpenSettingsImage(before);
  for (std::size_t at = 0; at < gone.size(); ++at) StoredGroupText(NoteTitle(gone[at]).c_str(), groups[at]);
  DiscardSettings();
  for (std::size_t at = 0; at < gone.size(); ++at) {
    if (!groups[at].empty() && KeepInBin(groups[at], " (removed elsewhere)") != FileFailure::None) continue;
    CloseNote(gone[at]);
  }
}

bool catchingUp;

void Apply(const std::vector<StoredNote>& read, bool whole, bool inStore, const std::string& before) {
  std::vector<ReadGroup> groups;
  for (const StoredNote& note : read) groups.push_back(note.group);
  const FileCatchUp plan = CompareWithFile(groups, ChangedHere);
  std::vector<ObjectNumber> gone, kept;
  for (const NoteCatchUp& change : plan.notes) {
    if (change.group < 0) {
      // Inside a cycle, the command under way may be the note's own: it stays, stored whole.
      if (!whole) continue;
      (ChangedHere(change.number) || inStore ? kept : gone).push_back(change.number);
      continue;
    }
    TakeKeys(change.number, read[change.group], change.take);
    if (change.bothTexts) KeepBothTexts(change.number, read[change.group]);
  }
  for (int added : plan.added) BuildStoredNote(read[added]);
  PutAwayGone(gone, before);
  StoreNotesWhole(kept);
}

}  // namespace

bool CatchUpWithFile(bool inStore) {
  if (catchingUp) return true;
  catchingUp = true;
  const std::string* image = SettingsImage();
  const std::string before = image ? *image : std::string();
  std::vector<StoredNote> read;
  bool whole = false;
  const FileFailure unread = ReadFileNotes(read, whole);
  if (unread == FileFailure::None && read.empty() && !LiveNotes().empty()) {
    // Emptied or damaged elsewhere (or half synced): the notes here are its only copy.
    const std::vector<std::int32_t> live = LiveNotes();
    StoreNotesWhole(std::vector<ObjectNumber>(live.begin(), live.end()));
    TellNotice("Settings.ini was emptied elsewhere", "It held none of your notes: the notes here were saved in it again.");
  } else if (unread == FileFailure::None) {
    Apply(read, whole, inStore, before);
  }
  catchingUp = false;
  return unread == FileFailure::None;
}
