#include "recovery.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "daily_copy.h"
#include "file_io.h"

#include "local_time.h"
#include "persistence.h"
#include "scoped_win32.h"
#include "settings_store.h"
#include "store_cycle.h"
#include "store_status.h"
#include "wide_text.h"

namespace {

// Which recovery file to name at the next start, one value per notes file, named by its path; and
// the notes whose changes no recovery file could keep.
constexpr char RecoveryRegistryKey[] = "Software\\Tackpad\\Recovery files";
constexpr char LostRegistryKey[] = "Software\\Tackpad\\Lost changes";

// Windows ends a program with no visible window about five seconds after the session's end; what
// is kept is kept inside two, and a first try longer than one is a folder that answers too slowly.
constexpr DWORD SlowFirstTryMs = 1000;

// "Tackpad notes not saved 2026-12-09 14-30-12.ini", numbered on when that name is taken.
bool WriteRecoveryInto(const std::string& folder, std::string& written) {
  LocalStamp now = LocalNow();
  std::replace(now.text, now.text + sizeof now.text, ':', '-');  // no colon in a file name
  const std::string stamp = now.text;
  for (int copy = 1; copy <= 20; ++copy) {
    std::string name = folder + "Tackpad notes not saved " + stamp;
    if (copy > 1) name += " (" + std::to_string(copy) + ")";
    name += ".ini";
    if (CopyWithWaitingWrites(name.c_str()) == FileFailure::None) {
      written = name;
      return true;
    }
    if (ProbeFileSize(name.c_str()) == -1) return false;  // the name was free: the folder refused
  }
  return false;
}

// Through the wide calls: the value's name is a path, its data a path or titles, in any script.
void Remember(const char* keyName, const std::string& settings, const std::string& value) {
  ScopedKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, keyName, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Receive(), nullptr)) return;
  const std::wstring data = Widened(value.c_str());
  RegSetValueExW(key, Widened(settings.c_str()).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

// The value remembered for this folder's notes under `keyName`, taken out; empty when none.
std::string TakeRemembered(const char* keyName, const std::string& settings) {
  ScopedKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyName, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.Receive())) return "";
  const std::wstring name = Widened(settings.c_str());
  wchar_t value[MAX_PATH * 4];
  DWORD size = sizeof value - sizeof(wchar_t), type = 0;
  if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value), &size) || type != REG_SZ) {
    return "";
  }
  value[size / sizeof(wchar_t)] = L'\0';
  RegDeleteValueW(key, name.c_str());
  return Narrowed(value);
}

// A folder on another computer: a UNC path, or a drive letter mapped to a share.
bool IsRemote(const std::string& folder) {
  if (folder.compare(0, 2, "\\\\") == 0) return true;
  return folder.size() >= 3 && folder[1] == ':' && GetDriveTypeA(folder.substr(0, 3).c_str()) == DRIVE_REMOTE;
}

std::string Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(name, value, ARRAYSIZE(value));
  return length && length < ARRAYSIZE(value) ? PathInCodePage(value) : "";
}

// Where recovery files go, in order: beside the notes unless that folder is far or slow, then the
// user's own folder on this computer, then the temporary one.
std::vector<std::string> RecoveryFolders(const std::string& beside, bool slow) {
  std::vector<std::string> folders;
  if (!beside.empty() && !slow && !IsRemote(beside)) folders.push_back(beside);
  const std::string local = Environment(L"LOCALAPPDATA");
  if (!local.empty()) {
    CreateDirectoryA((local + "\\Tackpad").c_str(), nullptr);
    folders.push_back(local + "\\Tackpad\\");
  }
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(ARRAYSIZE(temp), temp);
  const std::string tempFolder = length && length < ARRAYSIZE(temp) ? PathInCodePage(temp) : "";
  if (!tempFolder.empty()) folders.push_back(tempFolder);
  return folders;
}

}  // namespace

bool KeepWaitingWritesInRecoveryFile(bool slowFolder) {
  if (!WritesWaiting()) return true;
  const std::string settings = SettingsFilePath();
  const std::string beside = settings.substr(0, settings.rfind('\\') + 1);
  std::string written;
  for (const std::string& folder : RecoveryFolders(beside, slowFolder)) {
    if (!WriteRecoveryInto(folder, written)) continue;
    Remember(RecoveryRegistryKey, settings, written);
    return true;
  }
  Remember(LostRegistryKey, settings, WaitingChanges());
  return false;
}

void KeepNotesAtSessionEnd() {
  WaitForHolders(false);  // one try each: a holder is not waited out, and no copy of the day is made
  SkipDailyCopies(true);
  const DWORD start = GetTickCount();
  if (!StoreChangedNotes()) KeepWaitingWritesInRecoveryFile(GetTickCount() - start > SlowFirstTryMs);
  SkipDailyCopies(false);
  WaitForHolders(true);
}

void TellOfRecoveryFile() {
  const std::string settings = SettingsFilePath();
  const std::string recovery = TakeRemembered(RecoveryRegistryKey, settings);
  if (!recovery.empty()) TellRecoveryFile(recovery);
  const std::string lost = TakeRemembered(LostRegistryKey, settings);
  if (!lost.empty()) TellChangesLost(lost);
}
