#include "modality.h"

#include "memory.h"

namespace {

SuspendedWindow* suspendedHead = nullptr;

void Unlink(SuspendedWindow* record) {
  if (record->previous) {
    record->previous->next = record->next;
  } else {
    suspendedHead = record->next;
  }
  if (record->next) record->next->previous = record->previous;
  ReleaseBytes(record);
}

BOOL CALLBACK SuspendIfOurs(HWND window, LPARAM) {
  const DWORD thread = GetCurrentThreadId();
  if (GetWindowThreadProcessId(window, nullptr) != thread) return TRUE;
  if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
  if (window == GetForegroundWindow()) return TRUE;
  // A window without a record could never be enabled again, so it is left alone.
  auto* record = static_cast<SuspendedWindow*>(AllocateBytes(sizeof(SuspendedWindow)));
  if (!record) return TRUE;
  *record = SuspendedWindow{suspendedHead, nullptr, thread, window};
  if (suspendedHead) suspendedHead->previous = record;
  suspendedHead = record;
  EnableWindow(window, FALSE);
  return TRUE;
}

}  // namespace

HWND ProcessForegroundWindow() {
  HWND foreground = GetForegroundWindow();
  if (!foreground) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(foreground, &process);
  return process == GetCurrentProcessId() ? foreground : nullptr;
}

void SuspendThreadWindows() { EnumWindows(SuspendIfOurs, 0); }

void ResumeThreadWindows() {
  const DWORD thread = GetCurrentThreadId();
  SuspendedWindow* record = suspendedHead;
  while (record) {
    SuspendedWindow* following = record->next;
    if (record->thread == thread) {
      EnableWindow(record->window, TRUE);
      Unlink(record);
    }
    record = following;
  }
}
