#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "object_table.h"

// The values of one note while it is built from its group or created, as the file holds them.
// Once the window stands, the note's live state is held by its window objects, not by a record.
struct Note {
  std::int32_t xPos;
  std::int32_t yPos;
  std::int32_t size;
  std::string title;
  std::string text;
  std::string font;
  std::int32_t fontSize;
  std::int32_t fontStyle;
  std::int32_t frontColor;
  std::int32_t bkgColor;
  std::int32_t hidden;
  std::int32_t onTop;
  std::int32_t alpha;
  std::int32_t rollup;
};

extern Note workingNote;
// Every note number handed out so far is at most this; numbers are never reused in a run.
extern std::int32_t NoteCounter;

// The items of a note's menu, as they come back in menu events.
enum NoteMenuItem : std::int32_t {
  HideNoteItem = 1, RollUpItem, BackgroundColorItem, TextColorItem, TextFontItem, SaveNoteItem,
  SmallItem, NormalItem, LargeItem, CutItem, CopyItem, PasteItem, SelectAllItem,
  TransparentItem, OnTopItem, DeleteNoteItem
};

constexpr ObjectNumber TitleStripOf(ObjectNumber note) { return note + 2; }
constexpr ObjectNumber EditAreaOf(ObjectNumber note) { return note - 1; }
// The note's own fonts: its text's is numbered as the note, its title's, made for the note's
// scale, next (notes have odd numbers).
constexpr ObjectNumber TitleFontOf(ObjectNumber note) { return note + 1; }

void BuildNoteWindow(const Note& note, ObjectNumber number, bool showAtOnce);
// A length of the note's design (96 dpi) at the scale of the note's monitor.
int NoteScaled(ObjectNumber note, int length);
// The note's edge as "Size" stores it, whatever the scale.
std::int32_t NoteSize(ObjectNumber note);
// The note made a square of `size` (as stored), its title strip and edit area laid out anew.
void SetNoteSize(ObjectNumber note, std::int32_t size);
// Lays out a note that took a new scale, its fonts made anew for it.
void RescaleNote(ObjectNumber note);
// A new note titled by workingNote.title, with the default values, shown, topmost and stored.
void CreateNote();

// Makes the window layered and gives it this opacity (255: opaque); it stays layered.
void SetNoteAlpha(ObjectNumber note, std::uint8_t alpha);
// The title strip's current text, which names the note's group; empty only when it could
// not be fetched (no memory), as no note has an empty title.
std::string NoteTitle(ObjectNumber note);
// The edit area's current text, lines separated by CR LF; false when it could not be fetched
// or the note has no edit area (its control could not be made).
bool NoteText(ObjectNumber note, std::string& text);
// Whether the text was changed since the note was built or its text last stored.
bool NoteTextChanged(ObjectNumber note);
void MarkNoteTextStored(ObjectNumber note);
// A note whose title strip lies on no monitor's work area (a monitor gone, a resolution
// lowered, a hand-edited place) moves into the nearest one, keeping its size. The file keeps
// the stored place until a command on the note, so a monitor that comes back finds it there.
void BringNoteIntoReach(ObjectNumber note);
// True for the number of a note whose window stands.
bool IsLiveNote(ObjectNumber number);
// The numbers of all notes on screen or hidden, in order.
std::vector<ObjectNumber> LiveNotes();
// The titles of all notes on screen or hidden.
std::vector<std::string> LiveNoteTitles();
