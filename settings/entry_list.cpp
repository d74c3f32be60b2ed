#include "entry_list.h"

#include <cstring>

#include "memory.h"

namespace {
constexpr std::uint32_t chunkShift = 8;
constexpr std::uint32_t chunkSize = 1u << chunkShift;

// Chunks of closed documents, kept for the next open: the file is opened and parsed again
// for every command, and fresh memory costs a page fault per page on every open.
std::vector<SettingsEntry*> spareChunks;

SettingsEntry* NewChunk() {
  if (spareChunks.empty()) return static_cast<SettingsEntry*>(AllocateBytes(sizeof(SettingsEntry) * chunkSize));
  SettingsEntry* chunk = spareChunks.back();
  spareChunks.pop_back();
  return chunk;
}

void ReleaseOwned(SettingsEntry& entry) {
  if (entry.owned & OwnsText) ReleaseBytes(const_cast<char*>(entry.text));
  if (entry.owned & OwnsValue) ReleaseBytes(const_cast<char*>(entry.value));
  entry.owned = 0;
}

EntryIndex TakeEntry(EntryList& list) {
  if (list.freeEntries != noEntry) {
    EntryIndex index = list.freeEntries;
    list.freeEntries = EntryAt(list, index).next;
    return index;
  }
  if ((list.used >> chunkShift) >= list.chunks.size()) {
    SettingsEntry* chunk = NewChunk();
    if (!chunk) return noEntry;
    list.chunks.push_back(chunk);
  }
  return list.used++;
}
}  // namespace

void ReleaseSpareEntries() {
  for (SettingsEntry* chunk : spareChunks) ReleaseBytes(chunk);
  spareChunks.clear();
  spareChunks.shrink_to_fit();
}

SettingsEntry& EntryAt(const EntryList& list, EntryIndex index) {
  return list.chunks[index >> chunkShift][index & (chunkSize - 1)];
}

bool StartEntryList(EntryList& list) {
  list = EntryList{};
  TakeEntry(list);  // the anchor, index 0
  if (list.chunks.empty()) return false;
  SettingsEntry& anchor = EntryAt(list, 0);
  std::memset(&anchor, 0, sizeof anchor);
  return true;
}

void EndEntryList(EntryList& list) {
  if (!list.chunks.empty()) {
    for (EntryIndex i = FirstEntry(list); i != noEntry; i = NextEntry(list, i)) ReleaseOwned(EntryAt(list, i));
  }
  spareChunks.insert(spareChunks.end(), list.chunks.begin(), list.chunks.end());
  list = EntryList{};
}

EntryIndex FirstEntry(const EntryList& list) { return list.chunks.empty() ? noEntry : EntryAt(list, 0).next; }
EntryIndex NextEntry(const EntryList& list, EntryIndex index) { return EntryAt(list, index).next; }
EntryIndex LastEntry(const EntryList& list) { return list.chunks.empty() ? noEntry : EntryAt(list, 0).previous; }

EntryIndex InsertEntry(EntryList& list, EntryIndex after, EntryKind kind) {
  if (list.chunks.empty()) return noEntry;
  EntryIndex index = TakeEntry(list);
  if (index == noEntry) return noEntry;
  SettingsEntry& entry = EntryAt(list, index);
  std::memset(&entry, 0, sizeof entry);
  entry.kind = kind;
  entry.text = entry.value = "";
  SettingsEntry& before = EntryAt(list, after);
  entry.previous = after;
  entry.next = before.next;
  EntryAt(list, before.next).previous = index;
  before.next = index;
  ++list.count;
  return index;
}

void RemoveEntry(EntryList& list, EntryIndex index) {
  SettingsEntry& entry = EntryAt(list, index);
  ReleaseOwned(entry);
  EntryAt(list, entry.previous).next = entry.next;
  EntryAt(list, entry.next).previous = entry.previous;
  entry.next = list.freeEntries;
  list.freeEntries = index;
  --list.count;
}
