#include "loading.h"

#include <string>

#include "menus.h"
#include "note.h"
#include "note_rules.h"
#include "note_text.h"
#include "persistence.h"
#include "random.h"
#include "settings_store.h"
#include "window_layer.h"

namespace {

// "FontStyle" takes no part: a loaded note's font is built from face and size alone. False when
// a key could not be read as stored.
bool ReadNote(const std::string& groupName, Note& note) {
  note.xPos = ReadKeyLong("XPos", 0);
  note.yPos = ReadKeyLong("YPos", 0);
  note.size = ReadKeyLong("Size", 0);
  note.title = ShownNoteTitle(groupName, ReadKeyString("Title", ""));
  const std::string text = ReadKeyString("Text", "");
  note.text = DecodeNoteText(text.c_str(), ReadKeyString(TextMarkKey, "").c_str());
  note.font = ReadKeyString("Font", "");
  note.fontSize = ReadKeyLong("FontSize", 0);
  note.frontColor = ReadKeyLong("FrontColor", 0);
  note.bkgColor = ReadKeyLong("BkgColor", 0);
  note.hidden = ReadKeyLong("Hidden", 0);
  note.onTop = ReadKeyLong("OnTop", 0);
  note.alpha = ReadKeyLong("Alpha", 0);
  note.rollup = ReadKeyLong("Rollup", 0);
  return !SettingsReadFailed() && (!note.text.empty() || text.empty());  // a decoding that ran out of memory
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
  NoteCounter = 1;
  // Selecting a group moves the walk's place, so every name is collected first.
  CollectGroupNames();
  TextListRewind(GroupNameList);
  while (TextListAdvance(GroupNameList)) {
    std::string name = TextListCurrent(GroupNameList);
    // A note not read whole is left out: built from defaults, its commands would overwrite it.
    SelectGroup(name.c_str());
    if (!ReadNote(name, workingNote)) continue;
    BuildNoteWindow(workingNote, NoteCounter, false);
    ApplyStoredStates(workingNote, NoteCounter);
    BringNoteIntoReach(NoteCounter);
    NoteCounter = NextNoteNumber(NoteCounter);
    PauseFor(100);
  }
  CloseSettings();
}
