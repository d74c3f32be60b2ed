#pragma once
#include <windows.h>

#include <string>

// One program per "Settings.ini": two on one file would each overwrite the other's notes.
// True for the start that may run on the file of the current folder. A later start asks the
// running program to show its notes and gets false; it must then end, touching nothing. A start
// while that program ends waits for the end first.
bool FirstInFolder();
// Tells later starts which window to ask.
void PublishOwnerWindow(HWND owner);
// Set once the program leaves its loop to end, cleared when it carries on after all.
void AnnounceEnding(bool ending);

// What every start on one file shares, under the name FolderObjectName gives.
struct RunningProgram {
  LONG process;  // the id of the program that claimed the file
  LONG window;   // its owner window once it stands, as 32 bits (either build reads it)
  LONG ending;
};
// The shared object's name for the file `settingsPath` names: by the final path of the folder
// holding the file really written, so that every name of it (a link, a junction, a short name, a
// substituted or mapped drive) leads to the same object.
std::string FolderObjectName(const char* settingsPath);
