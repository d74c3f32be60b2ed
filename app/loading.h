#pragma once

// Turns every group of the settings file into a note window, numbered 1, 3, 5, ... in file
// order, one every tenth of a second. Reads the file and never rewrites it.
void LoadNotes();
