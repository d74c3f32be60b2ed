#pragma once
#include <windows.h>

// One program per "Settings.ini": two in one folder would each overwrite the other's notes.
// True for the first start in the current folder. A later start asks the running program to
// bring its notes forward and gets false; it must then end, touching nothing.
bool FirstInFolder();
// Tells later starts in this folder which window to ask.
void PublishOwnerWindow(HWND owner);
