#include "autosave.h"

#include <algorithm>

#include "events.h"
#include "live_notes.h"
#include "persistence.h"
#include "store_cycle.h"

namespace {

constexpr UINT_PTR AutosaveTimer = 2;
constexpr DWORD PauseMs = 2000, LongestWaitMs = 30000;

HWND timerWindow;
bool storeDue;
DWORD firstChange;  // of those not yet stored

void CALLBACK StoreAtPause(HWND, UINT, UINT_PTR, DWORD) {
  KillTimer(timerWindow, AutosaveTimer);
  storeDue = false;
  StoreChangedNotes();  // what the file refuses asks for its own retry
}

// The list of notes shows the change at once.
void TextChanged(ObjectNumber window) {
  TellLiveNoteChanged(static_cast<std::int32_t>(window));
  StoreAtNextPause();
}

void RetryStoreLater() {
  if (storeDue) return;  // a store already comes sooner
  storeDue = true;
  firstChange = GetTickCount();
  SetTimer(timerWindow, AutosaveTimer, LongestWaitMs, StoreAtPause);
}

}  // namespace

// Each change puts the store off by a pause, but never beyond the longest wait since the first.
void StoreAtNextPause() {
  DWORD now = GetTickCount();
  if (!storeDue) firstChange = now;
  storeDue = true;
  DWORD waited = now - firstChange;  // unsigned: right across the tick count's wrap
  SetTimer(timerWindow, AutosaveTimer, std::min(PauseMs, LongestWaitMs - std::min(waited, LongestWaitMs)), StoreAtPause);
}

void StartAutosave(HWND window) {
  timerWindow = window;
  SetTextChangeHandler(TextChanged);
  SetStoreRefusalHandler(RetryStoreLater);
}
