#pragma once

// Turns every group of the settings file into a note window, numbered 1, 3, 5, ... in file
// order, one every tenth of a second. Reads the file and never rewrites it. False when the file
// could not be read whole: the person is told, no store reaches the file, and the load is tried
// again every five seconds until it can be read.
bool LoadNotes();
