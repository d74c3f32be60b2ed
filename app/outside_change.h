#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "store_names.h"

// A group of "Settings.ini" as read now: its name and each key's value as stored (empty: absent).
struct ReadGroup {
  std::string name;
  std::string values[NoteKeyCount];
};

// What a live note must take from a file another program changed.
struct NoteCatchUp {
  std::int32_t number;
  int group;       // its group among those read; -1 where it is gone
  unsigned take;   // bit 1 << key for each key changed only there: the note takes the file's value
  bool bothTexts;  // its text changed here (not yet stored) and there: the file's becomes a note of its own
};
struct FileCatchUp {
  std::vector<NoteCatchUp> notes;  // only those with something to take or a group gone
  std::vector<int> added;          // groups no live note has
};

// The file as read now against what the live notes know of it (each key as last read or written
// here), group by group matched by title as loading matches them. `here` gives a note's NoteChange
// bits not yet stored: a key changed here keeps the value made here.
FileCatchUp CompareWithFile(const std::vector<ReadGroup>& groups, unsigned (*here)(std::int32_t number));
