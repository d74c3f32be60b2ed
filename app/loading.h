#pragma once
#include <string>

#include <vector>

#include "file_io.h"
#include "note.h"
#include "object_table.h"
#include "outside_change.h"

// Turns every group of the settings file into a note window, numbered 1, 3, 5, ... in file
// order, one every tenth of a second. Reads the file and never rewrites it. False when the file
// could not be read whole: the person is told, no store reaches the file, and the load is tried
// again every five seconds until it can be read.
bool LoadNotes();
// The note of the group `title` as the file holds it now, built as loading builds one; 0 where the
// group could not be read whole or no window could be made.
ObjectNumber LoadNoteGroup(const std::string& title);
// A note as the file holds it, and its group: each key's value as stored.
struct StoredNote {
  Note note;
  ReadGroup group;
};
// Every group of the file as it is now that could be read whole, the file closed before any window
// is built; `whole` false where a group was left out (or the file could not be read: why).
FileFailure ReadFileNotes(std::vector<StoredNote>& notes, bool& whole);
// Its window under the next number, shown as stored, its record knowing what the file holds; 0
// without a window.
ObjectNumber BuildStoredNote(const StoredNote& read);
