#include "persistence.h"

#include "display_scale.h"
#include "local_time.h"
#include "note_rules.h"
#include "note_text.h"
#include "settings_store.h"
#include "store_cycle.h"
#include "store_status.h"
#include "window_layer.h"

TextList GroupNameList;

namespace {

// Selects the note's group in the open document and writes where the note stands; with
// `writeSize`, also its edge length. Both as a program unaware of scales would see them.
void WriteNotePlacement(ObjectNumber note, const std::string& title, bool writeSize, std::int32_t size) {
  StoreGroup(title);
  StoreKey("XPos", UnawareCoordinate(WindowLeft(note)));
  StoreKey("YPos", UnawareCoordinate(WindowTop(note)));
  if (writeSize) StoreKey("Size", size);
}

// Opens the file and writes the note's placement; the caller adds its own keys and ends
// with FinishNoteCycle. A title that could not be fetched opens nothing, so no key lands
// in another group.
void StoreNotePlacement(ObjectNumber note, bool writeSize, std::int32_t size) {
  std::string title = NoteTitle(note);
  if (title.empty()) return;
  BeginStore();
  WriteNotePlacement(note, title, writeSize, size);
}

void FinishNoteCycle(ObjectNumber note) {
  if (EndStore()) MarkWindowPlace(note);
}

void StoreMeasuredPlacement(ObjectNumber note) {
  StoreNotePlacement(note, true, NoteSize(note));
}

void StoreNoteKey(ObjectNumber note, const char* key, std::int32_t value) {
  StoreMeasuredPlacement(note);
  StoreKey(key, value);
  FinishNoteCycle(note);
}

void StoreFixedSize(ObjectNumber note, std::int32_t size) {
  StoreNotePlacement(note, true, size);
  FinishNoteCycle(note);
}

// The text as the file holds it; false when it could not be had (no text area, no memory), so
// that an empty text is never written over a stored one. Encoding never empties a text.
bool EncodedNoteText(ObjectNumber note, StoredNoteText& encoded) {
  std::string text;
  if (!NoteText(note, text)) return false;
  encoded = EncodeNoteText(text.c_str());
  return !encoded.text.empty() || text.empty();
}

// What "Save note" writes, into the open document.
void WriteTitleAndText(ObjectNumber note, const std::string& title, const StoredNoteText& encoded) {
  WriteNotePlacement(note, title, true, NoteSize(note));
  StoreKey("Title", title);
  StoreKey("Text", encoded.text);
  // A mark left by an escaped text could come to name this one: it is emptied, not left stale.
  if (!encoded.mark.empty() || !ReadKeyString(TextMarkKey, "").empty() || SettingsReadFailed()) {
    StoreKey(TextMarkKey, encoded.mark);
  }
}

// Appends the group's lines to the bin, after a comment that dates them; each entry after a blank
// line, so one cut short by a power cut never runs into the next.
FileFailure KeepInBin(const std::string& group) {
  const std::string entry = (ProbeFileSize(BinFile) > 0 ? "\r\n; Deleted " : "; Deleted ") +
                            std::string(LocalNow().text) + "\r\n" + group;
  return AppendToFile(BinFile, entry.data(), static_cast<std::uint32_t>(entry.size()));
}

}  // namespace

std::string SettingsFilePath() {
  char path[MAX_PATH * 4];
  DWORD length = GetFullPathNameA(SettingsFile, sizeof path, path, nullptr);
  return length && length < sizeof path ? std::string(path, length) : std::string();
}

bool CollectGroupNames() {
  TextListEmpty(GroupNameList);
  if (!StartGroups()) return true;
  bool whole = true;
  while (NextGroup()) {
    std::string name = CurrentGroupName();
    if (name.empty()) continue;
    if (TextListInsert(GroupNameList)) TextListCurrent(GroupNameList) = name;
    else whole = false;
  }
  return whole && !SettingsReadFailed();
}

bool StoredGroupNames(std::vector<std::string>& names) {
  OpenSettings(SettingsFile);
  const bool whole = CollectGroupNames();
  CloseSettings();
  TextListRewind(GroupNameList);
  while (TextListAdvance(GroupNameList)) names.push_back(TextListCurrent(GroupNameList));
  return whole;
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
  StoreKey("Rollup", rollup);
  FinishNoteCycle(note);
}

void StoreFont(ObjectNumber note, const char* face, std::int32_t pointSize, std::int32_t style) {
  StoreMeasuredPlacement(note);
  StoreKey("Font", face);
  StoreKey("FontSize", pointSize);
  StoreKey("FontStyle", style);
  FinishNoteCycle(note);
}

void StoreTitleAndText(ObjectNumber note) {
  std::string title = NoteTitle(note);
  StoredNoteText encoded;
  if (title.empty() || !EncodedNoteText(note, encoded)) return;
  BeginStore();
  WriteTitleAndText(note, title, encoded);
  if (!EndStore()) return;
  MarkWindowPlace(note);
  MarkNoteTextStored(note);
}

bool StoreChangedNotes() {
  std::vector<ObjectNumber> changed, stored;
  for (ObjectNumber note : LiveNotes()) {
    if (NoteTextChanged(note) || WindowMovedSinceMark(note)) changed.push_back(note);
  }
  if (changed.empty()) return StoreWaitingWrites();
  bool whole = true;
  BeginStore();
  for (ObjectNumber note : changed) {
    bool typed = NoteTextChanged(note);
    std::string title = NoteTitle(note);
    StoredNoteText encoded;
    if (title.empty() || (typed && !EncodedNoteText(note, encoded))) {
      whole = false;
      continue;
    }
    if (typed) WriteTitleAndText(note, title, encoded);
    else WriteNotePlacement(note, title, false, 0);
    stored.push_back(note);
  }
  if (!EndStore()) return false;
  for (ObjectNumber note : stored) {
    MarkWindowPlace(note);
    MarkNoteTextStored(note);
  }
  return whole;
}

bool DeleteNoteGroup(ObjectNumber note) {
  const std::string title = NoteTitle(note);
  BeginStore();
  StoredNoteText encoded;
  // Typing the pause has not stored yet goes into the bin with the rest.
  if (!title.empty() && NoteTextChanged(note) && EncodedNoteText(note, encoded)) WriteTitleAndText(note, title, encoded);
  std::string group;
  const char* failed = SettingsFile;
  FileFailure why = title.empty() ? FileFailure::NoMemory : StoredGroupText(title.c_str(), group);
  if (why == FileFailure::None && !group.empty()) {
    failed = BinFile;
    why = KeepInBin(group);
  }
  if (why != FileFailure::None) {
    DiscardSettings();
    TellNoteNotDeleted(why, failed);
    return false;
  }
  StoreRemoval(title);
  EndStore();
  return true;
}

void StoreHiddenForAll(std::int32_t hidden) {
  BeginStore();
  CollectGroupNames();
  TextListRewind(GroupNameList);
  while (TextListAdvance(GroupNameList)) {
    StoreGroup(TextListCurrent(GroupNameList));
    StoreKey("Hidden", hidden);
  }
  EndStore();
}

void StoreNewNote(const Note& note) {
  BeginStore();
  StoreGroup(note.title);
  StoreKey("XPos", note.xPos);
  StoreKey("YPos", note.yPos);
  StoreKey("Size", note.size);
  StoreKey("Title", note.title);
  StoreKey("Text", note.text);
  StoreKey("Font", note.font);
  StoreKey("FontSize", note.fontSize);
  StoreKey("FontStyle", note.fontStyle);
  StoreKey("FrontColor", note.frontColor);
  StoreKey("BkgColor", note.bkgColor);
  StoreKey("Hidden", note.hidden);
  StoreKey("OnTop", note.onTop);
  StoreKey("Alpha", note.alpha);
  StoreKey("Rollup", note.rollup);
  EndStore();
}
