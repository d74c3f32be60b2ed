#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "settings_store.h"
#include "store_names.h"

// What changed here that the file does not hold yet, by the keys that would store it.
enum NoteChange : unsigned { TextChange = 1, PlaceChange = 2, SizeChange = 4, StatesChange = 8, FontChange = 16 };
constexpr unsigned ChangeOf(NoteKey key) {
  return key == XPosKey || key == YPosKey ? PlaceChange
         : key == SizeKey                 ? SizeChange
         : key == TitleKey || key == TextKey || key == TextMarkKey ? TextChange
         : key == FontKey || key == FontSizeKey || key == FontStyleKey ? FontChange
                                                                   : StatesChange;
}

// A note whose window stands. Its window shows it; this is what the program knows of it.
struct LiveNote {
  std::int32_t number;
  std::string title;  // the name of its group, as the program's code page has it
  std::string stored[NoteKeyCount];  // each key's value as the file held it when last read or written
  unsigned changed;  // NoteChange bits
  bool textSizeStepped;  // from the keyboard or the wheel, since the file last took its "FontSize"
};

// The last note number handed out; 0 before the first.
extern std::int32_t NoteCounter;
// The number of a note about to be built, for every builder: never one handed out before in the run.
std::int32_t TakeNoteNumber();
// Loading numbers the file's notes 1, 3, 5, ... in file order: the count starts there.
void CountNotesFromOne();

// The numbers of all live notes, in order, and their titles.
std::vector<std::int32_t> LiveNotes();
std::vector<std::string> LiveNoteTitles();
LiveNote* FindLiveNote(std::int32_t number);
// Whether the note's text size was stepped and waits to be stored.
bool TextSizeStepped(std::int32_t number);
// The record of a note just built under `number`, with nothing stored yet; one of that number goes.
LiveNote& AddLiveNote(std::int32_t number, const std::string& title);
void RemoveLiveNote(std::int32_t number);
// The note of that number goes to the group named `title`, keeping what it knows.
void RenameLiveNote(std::int32_t number, const std::string& title);
// Whoever lists the notes follows them: the watcher runs for a note added, removed or renamed
// here, and for one whose text or shown state changed where its callers tell it.
void SetLiveNotesWatcher(void (*watcher)(std::int32_t number));
void TellLiveNoteChanged(std::int32_t number);
// The file took `value` under `key` in the group named `group` (ASCII case aside), or refused it:
// every note of that group has it stored, or changed here.
void NoteKeyStored(const std::string& group, NoteKey key, const std::string& value);
void NoteKeyRefused(const std::string& group, NoteKey key);

// The store's hook for the whole file as last read or written.
void KeepSettingsImage(const SettingsBytes& file);
// Its bytes, so that comments, key order, unknown keys, legacy names and a byte-order mark are
// never lost where the file must be made again from memory; null before any, or when memory
// ran out for the last.
const std::string* SettingsImage();
// Whether the file was read whole or written in this run.
bool SettingsFileSeen();
