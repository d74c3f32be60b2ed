#pragma once
#include <string>

#include "object_table.h"

// Turns every group of the settings file into a note window, numbered 1, 3, 5, ... in file
// order, one every tenth of a second. Reads the file and never rewrites it. False when the file
// could not be read whole: the person is told, no store reaches the file, and the load is tried
// again every five seconds until it can be read.
bool LoadNotes();
// The note of the group `title` as the file holds it now, built as loading builds one; 0 where the
// group could not be read whole or no window could be made.
ObjectNumber LoadNoteGroup(const std::string& title);
