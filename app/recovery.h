#pragma once

// When the program must end without asking (the session ends, the installer replaces it) and the
// file still refuses what waits, the whole file as it should be goes into a recovery file beside
// it; for a folder on another computer or one that answered too slowly (`slowFolder`), in
// %LOCALAPPDATA%\Tackpad first; where those fail, in %TEMP%. A second time makes a second file,
// none is ever deleted. False when no recovery file could be made: the next start says what was lost.
bool KeepWaitingWritesInRecoveryFile(bool slowFolder = false);
// The session ends: the changes get one store with nothing waited out, then a recovery file,
// all inside about two seconds.
void KeepNotesAtSessionEnd();
// At start: says once where the last recovery file made for this folder's notes is, or that the
// last end could keep nothing.
void TellOfRecoveryFile();
