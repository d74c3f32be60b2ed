#pragma once
#include <windows.h>

// A window that a requester disabled, with the thread that did it.
struct SuspendedWindow {
  SuspendedWindow* next;
  SuspendedWindow* previous;
  DWORD thread;
  HWND window;
};

// The foreground window when it belongs to this process, else null; every requester's owner.
HWND ProcessForegroundWindow();

// Disables the calling thread's visible, enabled top-level windows except the foreground
// one (the requester deals with that) and records each of them.
void SuspendThreadWindows();
// Enables again, and forgets, every window the calling thread recorded.
void ResumeThreadWindows();
