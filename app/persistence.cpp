#include "persistence.h"

#include "note_rules.h"
#include "note_text.h"
#include "settings_store.h"
#include "text.h"
#include "window_layer.h"

TextList GroupNameList;

namespace {

// Opens the file, selects the note's group and writes where the note stands; with
// `writeSize`, also its edge length. The caller adds its own keys and closes.
void StoreNotePlacement(ObjectNumber note, bool writeSize, std::int32_t size) {
  OpenSettings(SettingsFile);
  std::int32_t left = WindowLeft(note);
  std::int32_t top = WindowTop(note);
  SelectGroup(NoteTitle(note).c_str());
  WriteKeyLong("XPos", left);
  WriteKeyLong("YPos", top);
  if (writeSize) WriteKeyLong("Size", size);
}

void StoreMeasuredPlacement(ObjectNumber note) {
  StoreNotePlacement(note, true, WindowInnerWidth(note));
}

void StoreNoteKey(ObjectNumber note, const char* key, std::int32_t value) {
  StoreMeasuredPlacement(note);
  WriteKeyLong(key, value);
  CloseSettings();
}

// The style goes in as decimal text, as a new note's "768" does.
void WriteStyleText(std::int32_t style) {
  std::size_t mark = ScratchMark();
  WriteKeyString("FontStyle", NumberText(style));
  ScratchRewind(mark);
}

void StoreFixedSize(ObjectNumber note, std::int32_t size) {
  StoreNotePlacement(note, true, size);
  CloseSettings();
}

}  // namespace

void CollectGroupNames() {
  TextListEmpty(GroupNameList);
  if (!StartGroups()) return;
  while (NextGroup()) {
    std::string name = CurrentGroupName();
    if (!name.empty() && TextListInsert(GroupNameList)) TextListCurrent(GroupNameList) = name;
  }
}

std::vector<std::string> StoredGroupNames() {
  OpenSettings(SettingsFile);
  CollectGroupNames();
  CloseSettings();
  std::vector<std::string> names;
  TextListRewind(GroupNameList);
  while (TextListAdvance(GroupNameList)) names.push_back(TextListCurrent(GroupNameList));
  return names;
}

void StoreHidden(ObjectNumber note, std::int32_t hidden) { StoreNoteKey(note, "Hidden", hidden); }
void StoreBkgColor(ObjectNumber note, std::int32_t colour) { StoreNoteKey(note, "BkgColor", colour); }
void StoreFrontColor(ObjectNumber note, std::int32_t colour) { StoreNoteKey(note, "FrontColor", colour); }
void StoreAlpha(ObjectNumber note, std::int32_t alpha) { StoreNoteKey(note, "Alpha", alpha); }
void StoreOnTop(ObjectNumber note, std::int32_t onTop) { StoreNoteKey(note, "OnTop", onTop); }
void StoreSizeSmall(ObjectNumber note) { StoreFixedSize(note, SmallSize); }
void StoreSizeNormal(ObjectNumber note) { StoreFixedSize(note, NormalSize); }
void StoreSizeLarge(ObjectNumber note) { StoreFixedSize(note, LargeSize); }

void StoreRollup(ObjectNumber note, std::int32_t rollup) {
  // Rolled up, the window is no square: its stored size stays as it was.
  StoreNotePlacement(note, false, 0);
  WriteKeyLong("Rollup", rollup);
  CloseSettings();
}

void StoreFont(ObjectNumber note, const char* face, std::int32_t pointSize, std::int32_t style) {
  StoreMeasuredPlacement(note);
  WriteKeyString("Font", face);
  WriteKeyLong("FontSize", pointSize);
  WriteStyleText(style);
  CloseSettings();
}

void StoreTitleAndText(ObjectNumber note) {
  StoreMeasuredPlacement(note);
  WriteKeyString("Title", NoteTitle(note).c_str());
  WriteKeyString("Text", EncodeNoteText(NoteText(note).c_str()).c_str());
  CloseSettings();
}

void DeleteNoteGroup(ObjectNumber note) {
  OpenSettings(SettingsFile);
  RemoveGroup(NoteTitle(note).c_str());
  CloseSettings();
}

void StoreHiddenForAll(std::int32_t hidden) {
  OpenSettings(SettingsFile);
  CollectGroupNames();
  TextListRewind(GroupNameList);
  while (TextListAdvance(GroupNameList)) {
    SelectGroup(TextListCurrent(GroupNameList).c_str());
    WriteKeyLong("Hidden", hidden);
  }
  CloseSettings();
}

void StoreNewNote(const Note& note) {
  OpenSettings(SettingsFile);
  SelectGroup(note.title.c_str());
  WriteKeyLong("XPos", note.xPos);
  WriteKeyLong("YPos", note.yPos);
  WriteKeyLong("Size", note.size);
  WriteKeyString("Title", note.title.c_str());
  WriteKeyString("Text", note.text.c_str());
  WriteKeyString("Font", note.font.c_str());
  WriteKeyLong("FontSize", note.fontSize);
  WriteStyleText(note.fontStyle);
  WriteKeyLong("FrontColor", note.frontColor);
  WriteKeyLong("BkgColor", note.bkgColor);
  WriteKeyLong("Hidden", note.hidden);
  WriteKeyLong("OnTop", note.onTop);
  WriteKeyLong("Alpha", note.alpha);
  WriteKeyLong("Rollup", note.rollup);
  CloseSettings();
}
