#pragma once
#include <windows.h>

#include <cstdint>

#include "note_bin.h"
#include "object_table.h"

// The items of the tray menu, as they come back in menu events.
enum TrayMenuItem : std::int32_t {
  NewNoteItem = 100, ShowAllItem = 200, HideAllItem = 300, AllNotesItem = 350, AboutItem = 400, ExitItem = 500
};

// Runs the command of a menu item chosen for `window` ("All Notes..." is the main loop's). False
// when the program is to end.
bool RunMenuCommand(std::int32_t item, ObjectNumber window);
// `wanted`, or where a note of the file or a live one has it, a free title made from it. A title
// already in use would make two notes share one group: where the file's names could not all be
// had, why (the title is then free of those known).
FileFailure FreeTitleFrom(const std::string& wanted, std::string& free);
// Asks for a title and creates a note under it, unless the answer leaves no title.
void AskForNewNote();
// The platform's own move loop, which returns at its end: a drag (WM_NCLBUTTONDOWN, HTCAPTION) or
// the keyboard's (WM_SYSCOMMAND, SC_MOVE: arrows, then Enter, or Escape to put it back). A note
// moved is stored as at a drop.
void MoveNoteByHand(ObjectNumber note, UINT message, WPARAM how);
// The note's text `steps` sizes larger or smaller (DefaultTextSize: a new note's size), shown at
// once and stored at the next pause; at either end of the sizes nothing changes.
void ChangeTextSize(ObjectNumber note, std::int32_t steps);
// The note's menu below its title strip, for the keyboard.
void ShowNoteMenuAtNote(ObjectNumber note);
// The note shown if hidden (stored as shown), brought to the front with the caret in its text.
void OpenNote(ObjectNumber note);
// The bin's entry put back into the notes file (under a free title where its own is taken) and
// shown, then taken out of the bin; the note's number, or 0 where it could not be (the person is
// told, and nothing stored is lost).
ObjectNumber RestoreFromBin(const BinEntry& entry);
// A second start on the same file: "Show All Notes", then the notes raised, the last one active.
void BringNotesForward();
