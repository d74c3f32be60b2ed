#pragma once
#include <windows.h>

// Notices "Settings.ini" changed by another program: a change notification on its folder, waited
// on beside the message queue, and where a folder gives none, its size and last-write time
// compared before every store cycle and every 30 seconds. What it finds is taken in once the file
// has stood unchanged for half a second and its content differs from what the program last read
// or wrote (its own writes are never another's). Starts once the notes are loaded.
void StartWatchingFile(HWND owner);
// The session ends: nothing more is taken in.
void StopWatchingFile();
// The main loop's: FileChangeEvent and FileSettledEvent.
void FileChanged();
void FileSettled();
