#include "instance.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "events.h"
#include "persistence.h"

namespace {

// Shared by every start in the folder: the owner window of the first, 0 until it stands.
volatile std::uint32_t* publishedOwner;

// The folder's file by its full path, case folded, as a name short enough for the object
// namespace (64-bit FNV-1a; two folders that collide only share one program).
void FolderObjectName(char* name, std::size_t size) {
  std::string path = SettingsFilePath();
  CharUpperA(&path[0]);
  std::uint64_t hash = 14695981039346656037ull;
  for (char c : path) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  std::snprintf(name, size, "Local\\Tackpad-%016llx", static_cast<unsigned long long>(hash));
}

// The running program may still be starting: its window is awaited for a few seconds.
void AskRunningProgram() {
  for (int tries = 0; tries < 50; ++tries) {
    auto owner = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(*publishedOwner));
    if (owner && IsWindow(owner)) {
      DWORD process = 0;
      GetWindowThreadProcessId(owner, &process);
      AllowSetForegroundWindow(process);  // this start came from the person, so it may pass that on
      PostMessageA(owner, BringNotesMessage, 0, 0);
      return;
    }
    Sleep(100);
  }
}

}  // namespace

bool FirstInFolder() {
  char name[64];
  FolderObjectName(name, sizeof name);
  // Left open for the life of the process: its end is what frees the folder.
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(std::uint32_t), name);
  if (!mapping) return true;  // nothing to share through: run as before
  bool first = GetLastError() != ERROR_ALREADY_EXISTS;
  publishedOwner = static_cast<volatile std::uint32_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
  if (!first && publishedOwner) AskRunningProgram();
  return first;
}

void PublishOwnerWindow(HWND owner) {
  // Window handles keep to 32 bits, so 32- and 64-bit builds find each other.
  if (publishedOwner) *publishedOwner = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(owner));
}
