#pragma once
#include <cstdint>

// The document's lines in file order: a doubly linked list whose nodes live in fixed
// chunks, so a large file costs one allocation per few hundred lines, not per line.
enum EntryKind : std::uint8_t { GroupEntry = 1, CommentEntry = 2, KeyEntry = 3 };
enum EntryOwnership : std::uint8_t { OwnsText = 1, OwnsValue = 2 };

using EntryIndex = std::uint32_t;  // 0 is the list's anchor, never an entry

struct SettingsEntry {
  const char* text;  // group name, comment text or key; never terminated inside the file buffer
  const char* value; // a key's value
  std::uint32_t textLength;
  std::uint32_t valueLength;
  std::uint32_t valueRoom;  // bytes an owned value can hold, terminator excluded
  EntryIndex previous;
  EntryIndex next;
  EntryKind kind;
  std::uint8_t owned;
};

// A growable row of chunk pointers; kept in the failable allocator, so no growth can throw.
struct ChunkRow {
  SettingsEntry** at = nullptr;
  std::uint32_t count = 0;
  std::uint32_t room = 0;
};

struct EntryList {
  ChunkRow chunks;
  EntryIndex freeEntries = 0;  // released entries, chained through `next`
  EntryIndex used = 0;         // entries handed out from the chunks so far
  std::uint32_t count = 0;
};

constexpr EntryIndex noEntry = 0;

bool StartEntryList(EntryList& list);
void EndEntryList(EntryList& list);
// The walks over a whole document go through these, so they are inline.
constexpr std::uint32_t entryChunkShift = 8;
inline SettingsEntry& EntryAt(const EntryList& list, EntryIndex index) {
  return list.chunks.at[index >> entryChunkShift][index & ((1u << entryChunkShift) - 1)];
}
inline EntryIndex FirstEntry(const EntryList& list) { return list.chunks.count == 0 ? noEntry : EntryAt(list, 0).next; }
inline EntryIndex NextEntry(const EntryList& list, EntryIndex index) { return EntryAt(list, index).next; }
inline EntryIndex LastEntry(const EntryList& list) { return list.chunks.count == 0 ? noEntry : EntryAt(list, 0).previous; }
// A zeroed entry linked in behind `after` (noEntry: at the front); noEntry when memory runs out.
EntryIndex InsertEntry(EntryList& list, EntryIndex after, EntryKind kind);
// Unlinks the entry and releases what it owns.
void RemoveEntry(EntryList& list, EntryIndex index);
// Gives back the storage kept from closed documents.
void ReleaseSpareEntries();
