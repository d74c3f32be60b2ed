#include "file_watch.h"

#include <cstring>
#include <string>
#include <vector>

#include "catch_up.h"
#include "events.h"
#include "file_io.h"
#include "live_notes.h"
#include "note_bin.h"
#include "persistence.h"
#include "scoped_win32.h"
#include "store_cycle.h"
#include "store_names.h"
#include "store_status.h"
#include "text.h"
#include "wide_text.h"

namespace {

constexpr UINT_PTR SettleTimer = 4, PollTimer = 5;
constexpr UINT SettleMs = 500, PollMs = 30000;

HWND timerWindow;
HANDLE change = INVALID_HANDLE_VALUE;
bool watching, toldGone;

// What the folder's listing says of the file; cheap, and enough where no notification comes.
struct Stamp {
  bool present;
  ULONGLONG size, written;
  bool operator==(const Stamp& other) const {
    return present == other.present && size == other.size && written == other.written;
  }
};
Stamp seen;     // when the file was last compared with what the program read or wrote
Stamp pending;  // when it began to settle

Stamp StampNow() {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(SettingsFile, GetFileExInfoStandard, &data)) return Stamp{false, 0, 0};
  return Stamp{true, (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
               (ULONGLONG(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime};
}

// A sync tool may keep the other computer's time and the size may not change: only the bytes tell.
bool SameAsLastSeen() {
  const std::string* image = SettingsImage();
  std::string bytes;
  return image && ReadBin(SettingsFile, bytes) == FileFailure::None && bytes == *image;
}

void CALLBACK SettleTimeUp(HWND, UINT, UINT_PTR, DWORD) {
  KillTimer(timerWindow, SettleTimer);
  QueueEvent(FileSettledEvent, timerWindow);  // taken in by the main loop, never inside a command
}

void Settle() {
  pending = StampNow();
  SetTimer(timerWindow, SettleTimer, SettleMs, SettleTimeUp);
}

void TellFileGone() {
  if (toldGone || !SettingsFileSeen() || LiveNotes().empty()) return;
  toldGone = true;
  TellNotice("Settings.ini was removed",
             "Another program removed Settings.ini: your notes stay here and are saved in it again at the next change.",
             true);
}

constexpr char ToldCopiesKey[] = "Software\\Tackpad\\Conflict copies told";

// Each copy is told once, across starts: its full path is remembered.
bool FirstTimeSeen(const std::string& path) {
  ScopedKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, ToldCopiesKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                      key.Receive(), nullptr)) {
    return false;
  }
  const std::wstring name = Widened(path.c_str());
  if (RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) return false;
  const DWORD told = 1;
  RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&told), sizeof told);
  return true;
}

void TellConflictCopies() {
  const std::vector<std::string> copies = ConflictCopies(".");
  const std::string path = SettingsFilePath(), folder = path.substr(0, path.size() - std::strlen(SettingsFile));
  for (const std::string& copy : copies) {
    if (!FirstTimeSeen(folder + copy)) continue;
    TellNotice("A sync tool kept another copy of your notes",
               copy + " is beside Settings.ini: a sync tool made it for notes changed in two places. \"All "
                      "Notes...\" lists its notes that differ from yours.",
               true);
  }
}

void WatchFolder() {
  if (change == INVALID_HANDLE_VALUE) {
    change = FindFirstChangeNotificationA(".", FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                                                         FILE_NOTIFY_CHANGE_SIZE);
  }
  WatchHandle(change == INVALID_HANDLE_VALUE ? nullptr : change, FileChangeEvent);
}

// A watch on a folder that went (renamed, removed, a share let go) sees nothing of one made in its
// place; where the folder is not there yet, the next store or look tries again.
void RenewWatch() {
  WatchHandle(nullptr, FileChangeEvent);
  if (change != INVALID_HANDLE_VALUE) FindCloseChangeNotification(change);
  change = INVALID_HANDLE_VALUE;
  WatchFolder();
}

void TakeInChange(bool inStore) {
  if (StoresHeld()) return;  // the notes are not loaded yet: the load's retry reads the file
  const Stamp now = StampNow();
  if (!now.present) {
    seen = now;
    RenewWatch();
    return TellFileGone();
  }
  toldGone = false;
  if (SameAsLastSeen()) {
    seen = now;
    return;
  }
  if (!CatchUpWithFile(inStore)) return Settle();  // held or cut short: waited for, never taken in part
  seen = StampNow();
}

void BeforeStore() {
  if (!watching) return;
  if (change == INVALID_HANDLE_VALUE) WatchFolder();
  if (!(StampNow() == seen)) TakeInChange(true);
}

void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD) {
  if (!watching) return;
  if (change == INVALID_HANDLE_VALUE) WatchFolder();  // a folder that came back, a share reconnected
  TellConflictCopies();
  if (!(StampNow() == seen)) Settle();
}

}  // namespace

void StartWatchingFile(HWND owner) {
  timerWindow = owner;
  seen = StampNow();
  watching = true;
  WatchFolder();
  SetTimer(owner, PollTimer, PollMs, Poll);
  SetBeforeStoreHandler(BeforeStore);
  TellConflictCopies();
}

void StopWatchingFile() {
  watching = false;
  WatchHandle(nullptr, FileChangeEvent);
}

void FileChanged() {
  if (!watching) return;
  if (FindNextChangeNotification(change)) {
    WatchFolder();
  } else {
    RenewWatch();  // the folder went
  }
  Settle();
}

void FileSettled() {
  if (!watching) return;
  const Stamp now = StampNow();
  if (!(now == pending)) return Settle();
  TellConflictCopies();
  TakeInChange(false);
}
