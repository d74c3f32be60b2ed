#include "instance.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "events.h"
#include "note_rules.h"
#include "scoped_win32.h"
#include "store_names.h"

namespace {

// A program that ends may take seconds; one still there after this may be asking whether to end.
constexpr DWORD EndingWaitMs = 30000;

HANDLE recordLock;  // held only while the record is read or changed
RunningProgram* record;

// Every field is checked before it is believed: the holder of an abandoned lock died mid-change.
struct LockedRecord : HeldMutex {
  LockedRecord() : HeldMutex(recordLock, 2000) {}
};

// Opened for its name only: no access to its data, so a program holding the file is no obstacle.
HANDLE OpenForName(const std::wstring& path) {
  return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Both calls measure first and then fill; empty when either fails.
template <typename Call>
std::wstring Measured(Call call) {
  DWORD length = call(nullptr, 0);
  std::wstring text(length, L'\0');
  DWORD got = length ? call(&text[0], length) : 0;
  text.resize(got < length ? got : 0);
  return text;
}

// The folder holding the file really written (a linked file resolved) by its final path; where
// there is no file yet, the folder itself; where the system tells no final path (some network
// redirectors), the folder's full path.
std::wstring FolderPath(const char* settingsPath) {
  wchar_t name[MAX_PATH];
  if (!MultiByteToWideChar(CP_ACP, 0, settingsPath, -1, name, MAX_PATH)) return std::wstring();
  const std::wstring full = Measured([&](wchar_t* into, DWORD size) { return GetFullPathNameW(name, size, into, nullptr); });
  std::wstring folder = full.substr(0, full.find_last_of(L'\\') + 1);
  HANDLE file = OpenForName(full);
  const bool isFile = file != INVALID_HANDLE_VALUE;
  ScopedHandle opened(isFile ? file : OpenForName(folder));
  if (opened) {
    std::wstring final = Measured([&](wchar_t* into, DWORD size) { return GetFinalPathNameByHandleW(opened, into, size, 0); });
    if (!final.empty()) folder = isFile ? final.substr(0, final.find_last_of(L'\\') + 1) : final;
  }
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();  // a root ends in one, a folder not
  if (!folder.empty()) CharUpperBuffW(&folder[0], static_cast<DWORD>(folder.size()));
  return folder;
}

bool Alive(LONG id) {
  ScopedHandle process(OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id)));
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;  // there, but not ours to open
  return WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

// The record's window when it is the owner window of the program the record names: a handle
// outlives its window and is then reused by any other.
HWND OwnerWindowOf(const RunningProgram& running) {
  HWND window = static_cast<HWND>(LongToHandle(running.window));
  DWORD process = 0;
  char className[32] = "";
  if (!running.window || !GetWindowThreadProcessId(window, &process) || process != static_cast<DWORD>(running.process)) {
    return nullptr;
  }
  GetClassNameA(window, className, sizeof className);
  return className == "WindowClass_" + std::to_string(OwnerWindow) ? window : nullptr;
}

enum class Holder { None, Answering, StartingOrEnding };

// No program holds the file unless the record names a live one whose window, once published, is its own.
Holder HolderOf(const RunningProgram& running, HWND& owner) {
  owner = OwnerWindowOf(running);
  if (!running.process || !Alive(running.process) || (running.window && !owner)) return Holder::None;
  return owner && !running.ending ? Holder::Answering : Holder::StartingOrEnding;
}

// Shows the running program's notes: a start is never one that seems to do nothing.
void HandOver(HWND owner) {
  DWORD process = 0;
  GetWindowThreadProcessId(owner, &process);
  // This start came from the person, so it may pass the foreground on: right before the request,
  // after any wait, as the system takes the right away at the person's next input.
  AllowSetForegroundWindow(process);
  PostMessageA(owner, BringNotesMessage, 0, 0);
}

// Changes this program's own record; once another start has claimed the file, nothing.
void SetOwnField(LONG RunningProgram::*field, LONG value) {
  if (!record) return;
  LockedRecord locked;
  if (record->process == static_cast<LONG>(GetCurrentProcessId())) record->*field = value;
}

}  // namespace

std::string FolderObjectName(const char* settingsPath) {
  std::uint64_t hash = 14695981039346656037ull;  // 64-bit FNV-1a: folders that collide only share one program
  for (wchar_t unit : FolderPath(settingsPath)) hash = (hash ^ unit) * 1099511628211ull;
  char name[40];
  std::snprintf(name, sizeof name, "Local\\Tackpad-%016llx", static_cast<unsigned long long>(hash));
  return name;
}

bool FirstInFolder() {
  const std::string name = FolderObjectName(SettingsFile);
  recordLock = CreateMutexA(nullptr, FALSE, (name + "-lock").c_str());
  // Left open for the life of the process, so that later starts find the record.
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(RunningProgram), name.c_str());
  record = mapping ? static_cast<RunningProgram*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0)) : nullptr;
  if (!record) return true;  // nothing to share through: run as before
  const DWORD start = GetTickCount();
  for (;;) {
    HWND owner = nullptr;
    const bool late = GetTickCount() - start >= EndingWaitMs;
    bool handOver = false;
    {
      LockedRecord locked;
      Holder holder = HolderOf(*record, owner);
      if (holder == Holder::None || (late && !owner)) {
        *record = RunningProgram{static_cast<LONG>(GetCurrentProcessId()), 0, 0};
        return true;
      }
      handOver = late || holder == Holder::Answering;
    }
    if (handOver) {
      HandOver(owner);
      return false;
    }
    Sleep(50);  // a starting program publishes its window at once; an ending one is awaited
  }
}

void PublishOwnerWindow(HWND owner) { SetOwnField(&RunningProgram::window, HandleToLong(owner)); }
void AnnounceEnding(bool ending) { SetOwnField(&RunningProgram::ending, ending); }
