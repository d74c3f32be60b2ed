#include "persistence.h"

#include "display_scale.h"
#include "fonts.h"
#include "local_time.h"
#include "note_rules.h"
#include "note_text.h"
#include "settings_store.h"
#include "store_cycle.h"
#include "store_names.h"
#include "store_status.h"
#include "wide_text.h"
#include "window_layer.h"

TextList GroupNameList;

namespace {

// Selects the note's group in the open cycle and writes where the note stands; with `writeSize`,
// also its edge length. Both as a program unaware of scales would see them.
void WriteNotePlacement(ObjectNumber note, const std::string& title, bool writeSize, std::int32_t size) {
  CycleSelectGroup(title);
  CycleWriteKey(XPosKey, UnawareCoordinate(WindowLeft(note)));
  CycleWriteKey(YPosKey, UnawareCoordinate(WindowTop(note)));
  if (writeSize) CycleWriteKey(SizeKey, size);
}

// Opens the file and writes the note's placement; the caller adds its own keys and ends
// with FinishNoteCycle. A note with no title opens nothing, so no key lands in another group.
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

void StoreNoteKey(ObjectNumber note, NoteKey key, std::int32_t value) {
  StoreMeasuredPlacement(note);
  CycleWriteKey(key, value);
  FinishNoteCycle(note);
}

void StoreFixedSize(ObjectNumber note, std::int32_t size) {
  StoreNotePlacement(note, true, size);
  FinishNoteCycle(note);
}

// What "Save note" writes: the title and the text as the file holds it.
struct TextToStore {
  std::string title;
  StoredNoteText encoded;
};

// Taken before the file is opened; false when it could not be had (no title, no text area, no
// memory), so that an empty text is never written over a stored one. Encoding never empties a text.
bool FetchTextToStore(ObjectNumber note, TextToStore& out) {
  std::string text;
  out.title = NoteTitle(note);
  if (out.title.empty() || !NoteText(note, text)) return false;
  out.encoded = EncodeNoteText(text.c_str());
  return !out.encoded.text.empty() || text.empty();
}

void WriteTextToStore(ObjectNumber note, const TextToStore& what) {
  WriteNotePlacement(note, what.title, true, NoteSize(note));
  CycleWriteKey(TitleKey, what.title);
  CycleWriteKey(TextKey, what.encoded.text);
  // A mark left by an escaped text could come to name this one: it is emptied, not left stale.
  if (!what.encoded.mark.empty() || !ReadKeyString(KeyName(TextMarkKey), "").empty() || SettingsReadFailed()) {
    CycleWriteKey(TextMarkKey, what.encoded.mark);
  }
}

// A size stepped from the keyboard or the wheel, into the group selected; the face and style go with
// it as the file holds them, unless a write of them that the file refused waits (it carries them).
void WriteWaitingTextSize(ObjectNumber note) {
  const LiveNote* record = FindLiveNote(note);
  if (!record || !record->textSizeStepped) return;
  CycleWriteKey(FontSizeKey, FontPointSize(note));
  if (record->changed & FontChange) return;
  for (NoteKey key : {FontKey, FontStyleKey}) {
    if (!record->stored[key].empty()) CycleWriteKey(key, record->stored[key]);
  }
}

// The file took the note's place and text.
void MarkNoteStored(ObjectNumber note) {
  MarkWindowPlace(note);
  MarkNoteTextStored(note);
}

// Every key of the note: those stored as last read (but those changed here, which wait) and what
// the window shows.
void WriteWholeNote(ObjectNumber note) {
  const LiveNote* record = FindLiveNote(note);
  TextToStore what;
  if (!record || !FetchTextToStore(note, what)) return;
  CycleSelectGroup(record->title);
  for (int key = 0; key < NoteKeyCount; ++key) {
    if (!record->stored[key].empty() && !(record->changed & ChangeOf(NoteKey(key)))) {
      CycleWriteKey(NoteKey(key), record->stored[key]);
    }
  }
  WriteTextToStore(note, what);
  WriteWaitingTextSize(note);
}

}  // namespace

FileFailure KeepInBin(const std::string& group, const char* why) {
  const std::string entry = (ProbeFileSize(BinFile) > 0 ? "\r\n; Deleted " : "; Deleted ") +
                            std::string(LocalNow().text) + why + "\r\n" + group;
  return AppendToFile(BinFile, entry.data(), static_cast<std::uint32_t>(entry.size()));
}

void StoreNotesWhole(const std::vector<ObjectNumber>& notes) {
  if (notes.empty()) return;
  BeginStore();
  for (ObjectNumber note : notes) WriteWholeNote(note);
  if (!EndStore()) return;
  for (ObjectNumber note : notes) MarkNoteStored(note);
}

void StoreBothTexts(ObjectNumber note, const ReadGroup& copy) {
  TextToStore what;
  const bool typed = FetchTextToStore(note, what);
  BeginStore();
  CycleSelectGroup(copy.name);
  for (int key = 0; key < NoteKeyCount; ++key) {
    if (!copy.values[key].empty() || key == TextKey) CycleWriteKey(NoteKey(key), key == TitleKey ? copy.name : copy.values[key]);
  }
  if (typed) WriteTextToStore(note, what);
  if (EndStore() && typed) MarkNoteStored(note);
}

std::string SettingsFilePath() {
  wchar_t path[MAX_PATH * 4];
  const DWORD length = GetFullPathNameW(Widened(SettingsFile).c_str(), ARRAYSIZE(path), path, nullptr);
  return length && length < ARRAYSIZE(path) ? PathInCodePage(std::wstring(path, length)) : std::string();
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

FileFailure StoredGroupNames(std::vector<std::string>& names) {
  OpenSettings(SettingsFile);
  const FileFailure incomplete = SettingsIncomplete();
  const bool whole = CollectGroupNames();
  CloseSettings();
  TextListRewind(GroupNameList);
  while (TextListAdvance(GroupNameList)) names.push_back(TextListCurrent(GroupNameList));
  return incomplete != FileFailure::None ? incomplete : whole ? FileFailure::None : FileFailure::Unread;
}

void StoreHidden(ObjectNumber note, std::int32_t hidden) { StoreNoteKey(note, HiddenKey, hidden); }
void StoreBkgColor(ObjectNumber note, std::int32_t colour) { StoreNoteKey(note, BkgColorKey, colour); }
void StoreFrontColor(ObjectNumber note, std::int32_t colour) { StoreNoteKey(note, FrontColorKey, colour); }
void StoreAlpha(ObjectNumber note, std::int32_t alpha) { StoreNoteKey(note, AlphaKey, alpha); }
void StoreOnTop(ObjectNumber note, std::int32_t onTop) { StoreNoteKey(note, OnTopKey, onTop); }
void StoreSizeSmall(ObjectNumber note) { StoreFixedSize(note, SmallSize); }
void StoreSizeNormal(ObjectNumber note) { StoreFixedSize(note, NormalSize); }
void StoreSizeLarge(ObjectNumber note) { StoreFixedSize(note, LargeSize); }

void StoreRollup(ObjectNumber note, std::int32_t rollup) {
  // Rolled up, the window is no square: its stored size stays as it was.
  StoreNotePlacement(note, false, 0);
  CycleWriteKey(RollupKey, rollup);
  FinishNoteCycle(note);
}

void StoreFont(ObjectNumber note, const char* face, std::int32_t pointSize, std::int32_t style) {
  StoreMeasuredPlacement(note);
  CycleWriteKey(FontKey, face);
  CycleWriteKey(FontSizeKey, pointSize);
  CycleWriteKey(FontStyleKey, style);
  FinishNoteCycle(note);
}

void StoreTitleAndText(ObjectNumber note) {
  TextToStore what;
  if (!FetchTextToStore(note, what)) return;
  BeginStore();
  WriteTextToStore(note, what);
  if (EndStore()) MarkNoteStored(note);
}

bool StoreChangedNotes() {
  std::vector<ObjectNumber> changed, stored;
  for (ObjectNumber note : LiveNotes()) {
    if (NoteTextChanged(note) || WindowMovedSinceMark(note) || TextSizeStepped(note)) changed.push_back(note);
  }
  if (changed.empty()) return StoreWaitingWrites();
  bool whole = true;
  BeginStore();
  for (ObjectNumber note : changed) {
    TextToStore what;
    const bool typed = NoteTextChanged(note);
    if (typed ? !FetchTextToStore(note, what) : (what.title = NoteTitle(note)).empty()) {
      whole = false;
      continue;
    }
    if (typed) WriteTextToStore(note, what);
    else WriteNotePlacement(note, what.title, false, 0);
    WriteWaitingTextSize(note);
    stored.push_back(note);
  }
  if (!EndStore()) return false;
  for (ObjectNumber note : stored) MarkNoteStored(note);
  return whole;
}

bool DeleteNoteGroup(ObjectNumber note) {
  const std::string title = NoteTitle(note);
  BeginStore();
  TextToStore what;
  // Typing the pause has not stored yet goes into the bin with the rest.
  if (NoteTextChanged(note) && FetchTextToStore(note, what)) WriteTextToStore(note, what);
  std::string group;
  const char* failed = SettingsFile;
  FileFailure why = title.empty() ? FileFailure::NoMemory : CycleGroupText(title, group);
  if (why == FileFailure::None && !group.empty()) {
    failed = BinFile;
    why = KeepInBin(group, "");
  }
  if (why != FileFailure::None) {
    DiscardSettings();
    TellNoteNotDeleted(why, failed);
    return false;
  }
  CycleRemoveGroup(title);
  EndStore();
  return true;
}

void StoreHiddenForAll(std::int32_t hidden) {
  BeginStore();
  CollectGroupNames();
  TextListRewind(GroupNameList);
  while (TextListAdvance(GroupNameList)) {
    CycleSelectGroup(TextListCurrent(GroupNameList));
    CycleWriteKey(HiddenKey, hidden);
  }
  EndStore();
}

void StoreNewNote(const Note& note) {
  BeginStore();
  CycleSelectGroup(note.title);
  CycleWriteKey(XPosKey, note.xPos);
  CycleWriteKey(YPosKey, note.yPos);
  CycleWriteKey(SizeKey, note.size);
  CycleWriteKey(TitleKey, note.title);
  CycleWriteKey(TextKey, note.text);
  CycleWriteKey(FontKey, note.font);
  CycleWriteKey(FontSizeKey, note.fontSize);
  CycleWriteKey(FontStyleKey, note.fontStyle);
  CycleWriteKey(FrontColorKey, note.frontColor);
  CycleWriteKey(BkgColorKey, note.bkgColor);
  CycleWriteKey(HiddenKey, note.hidden);
  CycleWriteKey(OnTopKey, note.onTop);
  CycleWriteKey(AlphaKey, note.alpha);
  CycleWriteKey(RollupKey, note.rollup);
  EndStore();
}
