#pragma once
#include <cstdint>

#include "object_table.h"

// The items of the tray menu, as they come back in menu events.
enum TrayMenuItem : std::int32_t {
  NewNoteItem = 100, ShowAllItem = 200, HideAllItem = 300, AboutItem = 400, ExitItem = 500
};

// Runs the command of a menu item chosen for `window`. False when the program is to end.
bool RunMenuCommand(std::int32_t item, ObjectNumber window);
// Asks for a title and creates a note under it, unless the answer leaves no title.
void AskForNewNote();
// The note's menu below its title strip, for the keyboard.
void ShowNoteMenuAtNote(ObjectNumber note);
// A second start on the same file: "Show All Notes", then the notes raised, the last one active.
void BringNotesForward();
