#include "store_cycle.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <utility>
#include <vector>

#include "daily_copy.h"
#include "live_notes.h"
#include "settings_store.h"
#include "store_status.h"

namespace {

// A key written into a group, or (key NoteKeyCount) the group's removal.
struct Write {
  std::string group;
  NoteKey key;
  std::string value;
  bool IsRemoval() const { return key == NoteKeyCount; }
};

std::vector<Write> waitingWrites, cycle;
std::string cycleGroup;
void (*refusalHandler)();

void Apply(const Write& write) {
  if (write.IsRemoval()) return RemoveGroup(write.group.c_str());
  SelectGroup(write.group.c_str());
  WriteKeyString(KeyName(write.key), write.value.c_str());
}

// Joins what the file refused to what waits. An earlier write of a key written again, and anything
// before its group's removal, is needless: what waits stays one entry per key however long the
// file is held. One pass from the end, as a refused "Hide All" of thousands of notes must not stall.
void JoinRefused(const std::vector<Write>& refused) {
  waitingWrites.insert(waitingWrites.end(), refused.begin(), refused.end());
  std::set<std::string> removed;
  std::set<std::pair<std::string, NoteKey>> written;
  std::vector<Write> kept;
  for (auto write = waitingWrites.rbegin(); write != waitingWrites.rend(); ++write) {
    const bool removal = write->IsRemoval();
    const bool needless = removed.count(write->group) || (!removal && !written.insert({write->group, write->key}).second);
    if (removal) removed.insert(write->group);
    if (!needless) kept.push_back(std::move(*write));
  }
  waitingWrites.assign(std::make_move_iterator(kept.rbegin()), std::make_move_iterator(kept.rend()));
}

// What the file now holds, or what it refused, as the live notes see it.
void TellLiveNotes(const std::vector<Write>& writes, bool stored) {
  for (const Write& write : writes) {
    if (write.IsRemoval()) continue;
    if (stored) NoteKeyStored(write.group, write.key, write.value);
    else NoteKeyRefused(write.group, write.key);
  }
}

void OpenWithWaitingWrites() {
  OpenSettings(SettingsFile);
  for (const Write& write : waitingWrites) Apply(write);
}

}  // namespace

void BeginStore() {
  cycle.clear();
  cycleGroup.clear();
  OpenWithWaitingWrites();
}

void CycleSelectGroup(const std::string& name) {
  cycleGroup = name;
  SelectGroup(name.c_str());
}

void CycleWriteKey(NoteKey key, const std::string& value) {
  cycle.push_back({cycleGroup, key, value});
  WriteKeyString(KeyName(key), value.c_str());
}

void CycleWriteKey(NoteKey key, std::int32_t value) {
  cycle.push_back({cycleGroup, key, std::to_string(value)});
  WriteKeyLong(KeyName(key), value);
}

void CycleRemoveGroup(const std::string& name) {
  cycle.push_back({name, NoteKeyCount, ""});
  RemoveGroup(name.c_str());
}

bool EndStore() {
  const bool stored = CloseSettings();
  if (stored) TellLiveNotes(waitingWrites, true);  // refused, it was told so when it was
  TellLiveNotes(cycle, stored);
  if (stored) waitingWrites.clear();
  else JoinRefused(cycle);
  cycle.clear();
  ReportStore(stored, SettingsWriteFailure());
  ReportDailyCopy(DailyCopyFailure());
  if (!stored && refusalHandler) refusalHandler();
  return stored;
}

void SetStoreRefusalHandler(void (*handler)()) { refusalHandler = handler; }

bool StoreWaitingWrites() {
  if (waitingWrites.empty()) return true;
  BeginStore();
  return EndStore();
}

bool WritesWaiting() { return !waitingWrites.empty(); }

std::string WaitingChanges() {
  std::vector<std::string> named;
  for (const Write& write : waitingWrites) {
    std::string name = "\"" + write.group + "\"" + (write.IsRemoval() ? " (deleted)" : "");
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
