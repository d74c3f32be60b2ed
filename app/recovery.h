#pragma once

// When the program must end without asking (the session ends, the installer replaces it) and the
// file still refuses what waits, the whole file as it should be goes into a recovery file beside
// it, else in %LOCALAPPDATA%\Tackpad; a second time makes a second file, none is ever deleted.
// False when no recovery file could be made either.
bool KeepWaitingWritesInRecoveryFile();
// At start: says once where the last recovery file made for this folder's notes is.
void TellOfRecoveryFile();
