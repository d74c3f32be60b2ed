#pragma once

// "Settings.ini" as another program left it reaches the live notes: each key changed only there
// goes to its note's window, a group new there builds its note, a note whose group is gone there
// goes to the bin and closes (one with changes here not yet stored stays, stored whole; so does
// every one inside a cycle, whose command may be its own), and a text changed on both sides is
// kept twice. Writes nothing else to the file. False when the file could not be read whole: it is
// to be tried again.
bool CatchUpWithFile(bool inStore);
