#include "loading.h"

#include <string>

#include "delay.h"
#include "menus.h"
#include "note.h"
#include "note_rules.h"
#include "note_text.h"
#include "persistence.h"
#include "settings_store.h"
#include "store_names.h"
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

// What the selected group holds, as the record of its note keeps it.
void KeepStoredValues(LiveNote& record) {
  for (int key = 0; key < NoteKeyCount; ++key) {
    record.stored[key] = ReadKeyString(KeyName(static_cast<NoteKey>(key)), "");
  }
}

void ApplyStoredStates(const Note& note, ObjectNumber number) {
  SetWindowHidden(number, note.hidden == 1 ? 1 : 0);
  SetWindowTopmost(number, note.onTop == 1 ? 1 : 0);
  if (note.alpha == 1) {
    SetNoteAlpha(number, TranslucentAlpha);
    SetItemChecked(number, TransparentItem, 1);
  }
  if (note.rollup == 1) {
    PlaceWindow(number, IgnoreValue, IgnoreValue, IgnoreValue, NoteScaled(number, RolledUpHeight));
    SetItemChecked(number, RollUpItem, 1);
  }
}

}  // namespace

void LoadNotes() {
  OpenSettings(SettingsFile);
  CountNotesFromOne();
  // Selecting a group moves the walk's place, so every name is collected first.
  CollectGroupNames();
  TextListRewind(GroupNameList);
  while (TextListAdvance(GroupNameList)) {
    std::string name = TextListCurrent(GroupNameList);
    // A note not read whole is left out: built from defaults, its commands would overwrite it.
    SelectGroup(name.c_str());
    Note note;
    if (!ReadNote(name, note)) continue;
    const ObjectNumber number = TakeNoteNumber();
    if (LiveNote* record = BuildNoteWindow(note, number, false)) KeepStoredValues(*record);
    ApplyStoredStates(note, number);
    BringNoteIntoReach(number);
    PauseFor(100);
  }
  // The number after the last loaded note is passed over, as it always was: a new note after two
  // loaded ones is note 7.
  TakeNoteNumber();
  CloseSettings();
}
