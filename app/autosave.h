#pragma once
#include <windows.h>

// What is typed into a note reaches the file at the first pause of two seconds, and at least every
// half minute while typing goes on; a store the file refused is tried again after the longest
// wait, or at an earlier pause. `timerWindow` carries the timer.
void StartAutosave(HWND timerWindow);
// A change that, as typing, reaches the file at the next pause (a text's size stepped).
void StoreAtNextPause();
