#include "store_cycle.h"

#include <algorithm>

#include "autosave.h"
#include "persistence.h"
#include "settings_store.h"
#include "store_status.h"

namespace {

// A key written into a group, or (no key) the group's removal.
struct Write {
  std::string group, key, value;
};

std::vector<Write> waiting, cycle;
std::string cycleGroup;

void Apply(const Write& write) {
  if (write.key.empty()) return RemoveGroup(write.group.c_str());
  SelectGroup(write.group.c_str());
  WriteKeyString(write.key.c_str(), write.value.c_str());
}

// A later write of the same key, or the group's removal, makes an earlier write of it needless;
// so what waits stays one entry per key however long the file is held.
void Wait(const Write& write) {
  const bool removal = write.key.empty();
  auto needless = [&](const Write& earlier) {
    return earlier.group == write.group && !earlier.key.empty() && (removal || earlier.key == write.key);
  };
  // Only behind the group's last removal: a write before it must still be removed.
  auto from = std::find_if(waiting.rbegin(), waiting.rend(), [&](const Write& w) {
    return w.group == write.group && w.key.empty();
  }).base();
  waiting.erase(std::remove_if(from, waiting.end(), needless), waiting.end());
  waiting.push_back(write);
}

void OpenWithWaitingWrites() {
  OpenSettings(SettingsFile);
  for (const Write& write : waiting) Apply(write);
}

}  // namespace

void BeginStore() {
  cycle.clear();
  cycleGroup.clear();
  OpenWithWaitingWrites();
}

void StoreGroup(const std::string& name) {
  cycleGroup = name;
  SelectGroup(name.c_str());
}

void StoreKey(const char* key, const std::string& value) {
  cycle.push_back({cycleGroup, key, value});
  WriteKeyString(key, value.c_str());
}

void StoreKey(const char* key, std::int32_t value) { StoreKey(key, std::to_string(value)); }

void StoreRemoval(const std::string& name) {
  cycle.push_back({name, "", ""});
  RemoveGroup(name.c_str());
}

bool EndStore() {
  const bool stored = CloseSettings();
  if (stored) waiting.clear();
  else for (const Write& write : cycle) Wait(write);
  cycle.clear();
  ReportStore(stored, SettingsWriteFailure());
  if (!stored) RetryStoreLater();
  return stored;
}

bool StoreWaitingWrites() {
  if (waiting.empty()) return true;
  BeginStore();
  return EndStore();
}

bool WritesWaiting() { return !waiting.empty(); }

std::string WaitingChanges() {
  std::vector<std::string> named;
  for (const Write& write : waiting) {
    std::string name = "\"" + write.group + "\"" + (write.key.empty() ? " (deleted)" : "");
    if (std::find(named.begin(), named.end(), name) == named.end()) named.push_back(name);
  }
  std::string list;
  for (const std::string& name : named) list += (list.empty() ? "" : ", ") + name;
  return list;
}

FileFailure CopyWithWaitingWrites(const char* name) {
  OpenWithWaitingWrites();
  FileFailure failure = CopySettingsTo(name);
  DiscardSettings();
  return failure;
}
