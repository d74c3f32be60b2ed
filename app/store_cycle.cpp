#include "store_cycle.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <utility>

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

// Joins what the file refused to what waits. An earlier write of a key written again, and anything
// before its group's removal, is needless: what waits stays one entry per key however long the
// file is held. One pass from the end, as a refused "Hide All" of thousands of notes must not stall.
void Wait(const std::vector<Write>& refused) {
  waiting.insert(waiting.end(), refused.begin(), refused.end());
  std::set<std::string> removed;
  std::set<std::pair<std::string, std::string>> written;
  std::vector<Write> kept;
  for (auto write = waiting.rbegin(); write != waiting.rend(); ++write) {
    const bool removal = write->key.empty();
    const bool needless = removed.count(write->group) || (!removal && !written.insert({write->group, write->key}).second);
    if (removal) removed.insert(write->group);
    if (!needless) kept.push_back(std::move(*write));
  }
  waiting.assign(std::make_move_iterator(kept.rbegin()), std::make_move_iterator(kept.rend()));
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

void StoreKey(const char* key, std::int32_t value) {
  cycle.push_back({cycleGroup, key, std::to_string(value)});
  WriteKeyLong(key, value);
}

void StoreRemoval(const std::string& name) {
  cycle.push_back({name, "", ""});
  RemoveGroup(name.c_str());
}

bool EndStore() {
  const bool stored = CloseSettings();
  if (stored) waiting.clear();
  else Wait(cycle);
  cycle.clear();
  ReportStore(stored, SettingsWriteFailure());
  ReportDailyCopy(DailyCopyFailure());
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
