#include "loading.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "delay.h"
#include "menus.h"
#include "note.h"
#include "note_rules.h"
#include "note_text.h"
#include "persistence.h"
#include "settings_store.h"
#include "store_cycle.h"
#include "store_names.h"
#include "store_status.h"
#include "window_layer.h"

namespace {

// "FontStyle" takes no part: a loaded note's font is built from face and size alone. False when
// a key could not be read as stored.
bool ReadNote(const std::string& groupName, Note& note) {
  note.xPos = ReadKeyLong(KeyName(XPosKey), 0);
  note.yPos = ReadKeyLong(KeyName(YPosKey), 0);
  note.size = ReadKeyLong(KeyName(SizeKey), 0);
  note.title = ShownNoteTitle(groupName, ReadKeyString(KeyName(TitleKey), ""));
  const std::string text = ReadKeyString(KeyName(TextKey), "");
  note.text = DecodeNoteText(text.c_str(), ReadKeyString(KeyName(TextMarkKey), "").c_str());
  note.font = ReadKeyString(KeyName(FontKey), "");
  note.fontSize = ReadKeyLong(KeyName(FontSizeKey), 0);
  note.frontColor = ReadKeyLong(KeyName(FrontColorKey), 0);
  note.bkgColor = ReadKeyLong(KeyName(BkgColorKey), 0);
  note.hidden = ReadKeyLong(KeyName(HiddenKey), 0);
  note.onTop = ReadKeyLong(KeyName(OnTopKey), 0);
  note.alpha = ReadKeyLong(KeyName(AlphaKey), 0);
  note.rollup = ReadKeyLong(KeyName(RollupKey), 0);
  return !SettingsReadFailed() && (!note.text.empty() || text.empty());  // a decoding that ran out of memory
}

void ApplyStoredStates(const Note& note, ObjectNumber number) {
  SetWindowHidden(number, note.hidden == 1 ? 1 : 0);
  SetWindowTopmost(number, note.onTop == 1 ? 1 : 0);
  if (note.alpha == 1) {
    SetWindowOpacity(number, TranslucentAlpha);
    SetItemChecked(number, TransparentItem, 1);
  }
  if (note.rollup == 1) {
    PlaceWindow(number, IgnoreValue, IgnoreValue, IgnoreValue, NoteScaled(number, RolledUpHeight));
    SetItemChecked(number, RollUpItem, 1);
  }
}

// The selected group: false where it could not be read as stored.
bool ReadStoredNote(const std::string& name, StoredNote& read) {
  if (!ReadNote(name, read.note)) return false;
  read.group.name = name;
  for (int key = 0; key < NoteKeyCount; ++key) read.group.values[key] = ReadKeyString(KeyName(NoteKey(key)), "");
  return !SettingsReadFailed();
}

// Every note of the open document, and every group's name. A note not read whole is left out:
// built from defaults, its commands would overwrite it.
void ReadEveryNote(std::vector<StoredNote>& notes, std::vector<std::string>& names) {
  // Selecting a group moves the walk's place, so every name is collected first.
  CollectGroupNames();
  TextListRewind(GroupNameList);
  while (TextListAdvance(GroupNameList)) {
    const std::string name = TextListCurrent(GroupNameList);
    names.push_back(name);
    SelectGroup(name.c_str());
    StoredNote read;
    if (ReadStoredNote(name, read)) notes.push_back(std::move(read));
  }
}

}  // namespace

ObjectNumber BuildStoredNote(const StoredNote& read) {
  const ObjectNumber number = TakeNoteNumber();
  LiveNote* record = BuildNoteWindow(read.note, number, false);
  if (record) std::copy(std::begin(read.group.values), std::end(read.group.values), std::begin(record->stored));
  ApplyStoredStates(read.note, number);
  BringNoteIntoReach(number);
  return record ? number : 0;
}

FileFailure ReadFileNotes(std::vector<StoredNote>& notes, bool& whole) {
  OpenSettings(SettingsFile);
  const FileFailure unread = SettingsIncomplete();
  std::vector<std::string> names;
  if (unread == FileFailure::None) ReadEveryNote(notes, names);
  DiscardSettings();
  whole = unread == FileFailure::None && names.size() == notes.size();
  return unread;
}

namespace {

// The whole file read and closed before any window is built, so that nothing a window's making
// dispatches (an end request, a store) meets it open. False, told, when it could not be read
// whole: until it can, no store may reach it.
bool ReadStoredNotes(std::vector<StoredNote>& notes, std::vector<std::string>& names) {
  OpenSettings(SettingsFile);
  const FileFailure unread = SettingsIncomplete();
  if (unread == FileFailure::None) ReadEveryNote(notes, names);
  CloseSettings();
  HoldStores(unread);
  if (unread != FileFailure::None) TellNotesNotLoaded(unread);
  return unread == FileFailure::None;
}

// A note made before the notes could be loaded knew no stored title: where it shares one with a
// stored note, it and what waits for it take a free title instead, before anything is written.
void FreeTitlesTakenMeanwhile(const std::vector<std::string>& stored) {
  for (ObjectNumber number : LiveNotes()) {
    const std::string title = NoteTitle(number);
    if (std::none_of(stored.begin(), stored.end(), [&](const std::string& name) { return SameName(name, title); })) {
      continue;
    }
    std::vector<std::string> taken = LiveNoteTitles();
    taken.insert(taken.end(), stored.begin(), stored.end());
    const std::string free = FreeNoteTitle(title, taken);
    RetitleNote(number, free);
    RenameWaitingGroup(title, free);
  }
}

// One window every tenth of a second, numbered on from the last number handed out.
void BuildStoredNotes(const std::vector<StoredNote>& notes) {
  for (const StoredNote& read : notes) {
    BuildStoredNote(read);
    PauseFor(100);
  }
  // The number after the last loaded note is passed over, as it always was: a new note after two
  // loaded ones is note 7.
  TakeNoteNumber();
}

constexpr UINT_PTR LoadRetryTimer = 3;
constexpr UINT LoadRetryMs = 5000;

void CALLBACK RetryLoad(HWND owner, UINT, UINT_PTR, DWORD) {
  std::vector<StoredNote> notes;
  std::vector<std::string> names;
  if (!ReadStoredNotes(notes, names)) return;
  KillTimer(owner, LoadRetryTimer);  // before any window's making can dispatch the timer again
  FreeTitlesTakenMeanwhile(names);
  ReportStore(true, FileFailure::None);  // what was told of the file is over
  BuildStoredNotes(notes);
  StoreWaitingWrites();
}

}  // namespace

ObjectNumber LoadNoteGroup(const std::string& title) {
  OpenSettings(SettingsFile);
  StoredNote read;
  const bool whole = SettingsIncomplete() == FileFailure::None && SelectGroup(title.c_str()) && ReadStoredNote(title, read);
  CloseSettings();
  return whole ? BuildStoredNote(read) : 0;
}

bool LoadNotes() {
  CountNotesFromOne();
  std::vector<StoredNote> notes;
  std::vector<std::string> names;
  if (!ReadStoredNotes(notes, names)) {
    SetTimer(WindowHandle(OwnerWindow), LoadRetryTimer, LoadRetryMs, RetryLoad);
    return false;
  }
  BuildStoredNotes(notes);
  return true;
}
