#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "live_notes.h"
#include "object_table.h"

// The values of one note while it is built from its group or created. Once the window stands,
// the window shows the note and its record in the live-note table holds what the program knows.
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

// The items of a note's menu, as they come back in menu events.
enum NoteMenuItem : std::int32_t {
  HideNoteItem = 1, RollUpItem, BackgroundColorItem, TextColorItem, TextFontItem, SaveNoteItem,
  SmallItem, NormalItem, LargeItem, CutItem, CopyItem, PasteItem, SelectAllItem,
  TransparentItem, OnTopItem, DeleteNoteItem, MoveNoteItem
};

constexpr ObjectNumber TitleStripOf(ObjectNumber note) { return note + 2; }
constexpr ObjectNumber EditAreaOf(ObjectNumber note) { return note - 1; }
// The note's own fonts: its text's is numbered as the note, its title's, made for the note's
// scale, next (notes are two numbers apart).
constexpr ObjectNumber TitleFontOf(ObjectNumber note) { return note + 1; }

// The note's window and its record in the live-note table; null when no window could be made.
LiveNote* BuildNoteWindow(const Note& note, ObjectNumber number, bool showAtOnce);
// A length of the note's design (96 dpi) at the scale of the note's monitor.
int NoteScaled(ObjectNumber note, int length);
// The note's edge as "Size" stores it, whatever the scale.
std::int32_t NoteSize(ObjectNumber note);
// The note made a square of `size` (as stored), its title strip and edit area laid out anew.
void SetNoteSize(ObjectNumber note, std::int32_t size);
// Lays out a note that took a new scale, its fonts made anew for it.
void RescaleNote(ObjectNumber note);
// The values of a new note titled `title`: the defaults, at a random place.
Note NewNoteValues(const std::string& title);
// A new note built from `note` under the next number, shown and topmost, with nothing stored yet.
ObjectNumber CreateNote(const Note& note);

// The name of the note's group, which its title strip shows; empty for a number that is no note.
std::string NoteTitle(ObjectNumber note);
// The note takes another group name, and its title strip shows it.
void RetitleNote(ObjectNumber note, const std::string& title);
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
// The note's window, record, menu and fonts gone; its group is the caller's.
void CloseNote(ObjectNumber note);
// True for the number of a note whose window stands.
bool IsLiveNote(ObjectNumber number);
