#pragma once

// The "All Notes" window: every live note listed, searched and opened, and the bin's entries
// restored. One at most; a second request brings it to the front. Its close box, Alt+F4 and
// Escape close it alone. Its place and size are kept for the session.
void OpenAllNotes();
void CloseAllNotes();
// What a person asked of the window (open, delete, restore), run from the main loop: a note
// being built dispatches the queue, and a dialog runs a loop of its own.
void RunAllNotesRequests();
