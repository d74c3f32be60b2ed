#include "recovery.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "local_time.h"
#include "persistence.h"
#include "scoped_win32.h"
#include "settings_store.h"
#include "store_cycle.h"
#include "store_status.h"

namespace {

// Which recovery file to name at the next start, one value per notes file, named by its path.
constexpr char RecoveryRegistryKey[] = "Software\\Tackpad\\Recovery files";

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

void RememberRecoveryFile(const std::string& settings, const std::string& recovery) {
  ScopedKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, RecoveryRegistryKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Receive(),
                      nullptr)) {
    return;
  }
  RegSetValueExA(key, settings.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(recovery.c_str()),
                 static_cast<DWORD>(recovery.size() + 1));
}

}  // namespace

bool KeepWaitingWritesInRecoveryFile() {
  if (!WritesWaiting()) return true;
  const std::string settings = SettingsFilePath();
  const std::string folder = settings.substr(0, settings.rfind('\\') + 1);
  std::string written;
  if (folder.empty() || !WriteRecoveryInto(folder, written)) {
    char local[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", local, sizeof local);
    if (!length || length >= sizeof local) return false;
    const std::string own = std::string(local) + "\\Tackpad";
    CreateDirectoryA(own.c_str(), nullptr);
    if (!WriteRecoveryInto(own + "\\", written)) return false;
  }
  RememberRecoveryFile(settings, written);
  return true;
}

void TellOfRecoveryFile() {
  ScopedKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, RecoveryRegistryKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.Receive())) return;
  const std::string settings = SettingsFilePath();
  char path[MAX_PATH * 4];
  DWORD size = sizeof path - 1, type = 0;
  if (!RegQueryValueExA(key, settings.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(path), &size) &&
      type == REG_SZ) {
    path[size] = 0;
    TellRecoveryFile(path);
    RegDeleteValueA(key, settings.c_str());
  }
}
