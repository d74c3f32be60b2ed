#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "file_io.h"
#include "store_names.h"

// "Deleted notes.ini": each deleted note's group as the notes file held it, appended after a line
// "; Deleted YYYY-MM-DD HH:MM:SS". One title can be there many times, so an entry is known by its
// place, its time and its bytes.
struct BinEntry {
  std::uint32_t place;  // where its bytes begin in the bin
  std::string stamp;    // when it was deleted; empty for bytes before the first dated line
  std::string bytes;    // its dating line, its group's lines and the blank line after them
  std::string copy;     // the sync tool's copy of the notes file it stands in, never changed; empty: the bin
};

// The entries in file order. A bin damaged anywhere still gives every entry, cut short or not.
std::vector<BinEntry> BinEntries(const std::string& bin);
// Whether a file's name is one a sync tool gives a copy of "Settings.ini" made for a conflict:
// "Settings (conflicted copy ...).ini", "Settings-LAPTOP.ini", "Settings.sync-conflict-....ini".
bool IsConflictCopyName(const char* name);
// The names of those copies in a folder; none where it cannot be listed.
std::vector<std::string> ConflictCopies(const char* folder);
// Each group of such a copy as an entry of its own, from its header to the next; its stamp names the copy.
std::vector<BinEntry> CopyEntries(const std::string& file, const std::string& copy);
// A file whole (the bin, a copy, the notes file); NotFound where there is none.
FileFailure ReadBin(const char* path, std::string& bin);

// An entry's group read as the store reads a plain file.
struct BinNote {
  std::string title;  // the group's name; empty where the entry names none
  std::string values[NoteKeyCount];
  bool present[NoteKeyCount];
  bool onlyNoteKeys;  // nothing but its header, blank lines and the note's keys: nothing stays behind
};
// False where the store could not read the entry (memory).
bool ReadBinNote(const BinEntry& entry, BinNote& note);

// Takes the entry out of the bin by a safe replace, the rest byte for byte. NotFound where the bin
// no longer holds it at its place.
FileFailure TakeOutOfBin(const char* path, const BinEntry& entry);
