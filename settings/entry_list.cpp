#include "entry_list.h"

#include <cstring>

#include "memory.h"

namespace {
constexpr std::uint32_t chunkShift = entryChunkShift;
constexpr std::uint32_t chunkSize = 1u << chunkShift;

// Chunks of closed documents, kept for the next open: the file is opened and parsed again
// for every command, and fresh memory costs a page fault per page on every open.
ChunkRow spareChunks;

bool Push(ChunkRow& row, SettingsEntry* chunk) {
  if (row.count == row.room) {
    std::uint32_t room = row.room ? row.room * 2 : 8;
    auto* grown = static_cast<SettingsEntry**>(ResizeBytes(row.at, room * sizeof(SettingsEntry*)));
    if (!grown) return false;
    row.at = grown;
    row.room = room;
  }
  row.at[row.count++] = chunk;
  return true;
}

SettingsEntry* NewChunk() {
  if (spareChunks.count == 0) return static_cast<SettingsEntry*>(AllocateBytes(sizeof(SettingsEntry) * chunkSize));
  return spareChunks.at[--spareChunks.count];
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
  if ((list.used >> chunkShift) >= list.chunks.count) {
    SettingsEntry* chunk = NewChunk();
    if (!chunk) return noEntry;
    if (!Push(list.chunks, chunk)) {
      ReleaseBytes(chunk);
      return noEntry;
    }
  }
  return list.used++;
}
}  // namespace

void ReleaseSpareEntries() {
  for (std::uint32_t i = 0; i < spareChunks.count; ++i) ReleaseBytes(spareChunks.at[i]);
  ReleaseBytes(spareChunks.at);
  spareChunks = ChunkRow{};
}

bool StartEntryList(EntryList& list) {
  list = EntryList{};
  TakeEntry(list);  // the anchor, index 0
  if (list.chunks.count == 0) return false;
  SettingsEntry& anchor = EntryAt(list, 0);
  std::memset(&anchor, 0, sizeof anchor);
  return true;
}

void EndEntryList(EntryList& list) {
  if (list.chunks.count) {
    for (EntryIndex i = FirstEntry(list); i != noEntry; i = NextEntry(list, i)) ReleaseOwned(EntryAt(list, i));
  }
  for (std::uint32_t i = 0; i < list.chunks.count; ++i) {
    if (!Push(spareChunks, list.chunks.at[i])) ReleaseBytes(list.chunks.at[i]);
  }
  ReleaseBytes(list.chunks.at);
  list = EntryList{};
}

EntryIndex InsertEntry(EntryList& list, EntryIndex after, EntryKind kind) {
  if (list.chunks.count == 0) return noEntry;
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
