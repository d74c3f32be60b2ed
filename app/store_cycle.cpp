#include "store_cycle.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <utility>
#include <vector>

#include "daily_copy.h"
#include "live_notes.h"
#include "note_text.h"
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
void (*beforeStoreHandler)();
FileFailure heldFor = FileFailure::None, lastFailure = FileFailure::None;

void Apply(const Write& write) {
  if (write.IsRemoval()) return RemoveGroup(write.group.c_str());
  SelectGroup(write.group.c_str());
  WriteKeyString(KeyName(write.key), write.value.c_str());
}

// Joins what the file refused to what waits. An earlier write of a key written again, and a key
// written before its group's removal, is needless: what waits stays one entry per key however long
// the file is held. A removal never is: each removes one group of the name, and the file may hold
// two. One pass from the end, as a refused "Hide All" of thousands of notes must not stall.
void JoinRefused(const std::vector<Write>& refused) {
  waitingWrites.insert(waitingWrites.end(), refused.begin(), refused.end());
  std::set<std::string> removed;
  std::set<std::pair<std::string, NoteKey>> written;
  std::vector<Write> kept;
  for (auto write = waitingWrites.rbegin(); write != waitingWrites.rend(); ++write) {
    const bool removal = write->IsRemoval();
    const bool needless = !removal && (removed.count(write->group) || !written.insert({write->group, write->key}).second);
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

// The file as the program last saw it, opened as a document to be made as a new file: its image,
// else (memory ran out for that) the live notes as the file last held them. True for the image.
bool OpenAsLastSeen() {
  if (const std::string* image = SettingsImage()) {
    OpenSettingsImage(*image);
    return true;
  }
  OpenSettings(SettingsFile);
  for (std::int32_t number : LiveNotes()) {
    const LiveNote& note = *FindLiveNote(number);
    SelectGroup(note.title.c_str());
    for (int key = 0; key < NoteKeyCount; ++key) {  // a key never stored stays out, a note never stored too
      if (!note.stored[key].empty()) WriteKeyString(KeyName(NoteKey(key)), note.stored[key].c_str());
    }
  }
  return false;
}

bool rewriting;  // the cycle makes a file that went missing again

// A file gone while notes are live (a swap whose recovery failed, a sync client, a person) is never
// replaced by one holding only this cycle: its backup goes back where one stands, else the cycle
// starts from the file as last seen.
void OpenTheFile() {
  rewriting = heldFor == FileFailure::None && SettingsFileSeen() && !LiveNotes().empty() &&
              ProbeFileSize(SettingsFile) == -1;
  if (rewriting) FinishInterruptedReplace(SettingsFile);
  if (rewriting && ProbeFileSize(SettingsFile) == -1) OpenAsLastSeen();
  else if (heldFor != FileFailure::None) OpenSettingsFrom(SettingsFile, {"", "", 0});  // held: reads nothing
  else OpenSettings(SettingsFile);
}

void OpenWithWaitingWrites() {
  OpenTheFile();
  for (const Write& write : waitingWrites) Apply(write);
}

}  // namespace

void OpenSettingsImage(const std::string& image) {
  constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";
  const bool marked = image.compare(0, 3, ByteOrderMark) == 0;
  const std::size_t from = marked ? 3 : 0;
  OpenSettingsFrom(SettingsFile, {marked ? ByteOrderMark : "", image.data() + from,
                                  static_cast<std::uint32_t>(image.size() - from)});
}

void BeginStore() {
  if (beforeStoreHandler) beforeStoreHandler();
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
  bool stored = false;
  if (heldFor == FileFailure::None) stored = CloseSettings();
  else DiscardSettings();
  lastFailure = stored ? FileFailure::None : heldFor != FileFailure::None ? heldFor : SettingsWriteFailure();
  if (stored) TellLiveNotes(waitingWrites, true);  // refused, it was told so when it was
  TellLiveNotes(cycle, stored);
  if (stored) waitingWrites.clear();
  else JoinRefused(cycle);
  cycle.clear();
  ReportStore(stored, lastFailure);
  if (stored) ReportDailyCopy(DailyCopyFailure());  // "your notes are saved" only when they were
  if (stored && rewriting) TellFileWrittenAgain();
  if (stored) KeepStrayBackup(SettingsFile);
  rewriting = false;
  if (!stored && refusalHandler) refusalHandler();
  return stored;
}

FileFailure StoreFailure() { return lastFailure; }

void SetStoreRefusalHandler(void (*handler)()) { refusalHandler = handler; }

void SetBeforeStoreHandler(void (*handler)()) { beforeStoreHandler = handler; }

void HoldStores(FileFailure why) { heldFor = why; }

bool StoresHeld() { return heldFor != FileFailure::None; }

FileFailure CycleGroupText(const std::string& name, std::string& out) {
  if (heldFor == FileFailure::None) return StoredGroupText(name.c_str(), out);
  out.clear();
  return heldFor;
}

void RenameWaitingGroup(const std::string& from, const std::string& to) {
  for (Write& write : waitingWrites) {
    if (!SameName(write.group, from)) continue;
    write.group = to;
    if (write.key == TitleKey) write.value = to;
  }
}

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
  const char* holds = OpenAsLastSeen()
                          ? "Every note as Settings.ini last held it, with the changes it could not take. Put this "
                            "file in the place of Settings.ini to keep them."
                          : "The notes that were open, as Settings.ini last held them, with the changes it could not "
                            "take; its comments and keys Tackpad does not know are not in it.";
  for (const Write& write : waitingWrites) Apply(write);
  FileFailure failure = CopySettingsTo(name, holds);
  DiscardSettings();
  return failure;
}
