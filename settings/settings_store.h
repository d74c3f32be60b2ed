#pragma once
#include <cstdint>
#include <string>

#include "file_io.h"

// The process's one INI document: read whole at open, worked on through groups and keys,
// written back whole at close when anything changed. Texts go in and come out in the process's
// ANSI code page. No operation throws; memory running out is a failed call, never a guess.

void InitSettingsStore();
// Closes any open document (as CloseSettings) and gives back the storage kept between documents.
void EndSettingsStore();

// Opens the document, always closing the one before. 1: the file was read (for reading and
// writing, or for reading only: then nothing is written back). 0: no file was read; the document
// is open and empty, and what is written to it creates the file at the close, unless a file there
// could not be opened (then nothing is written back). Either way the other operations work on it.
int OpenSettings(const char* fileName);
// A file's bytes as read or written: `mark` (a UTF-8 byte-order mark, or empty) and then `bytes`.
struct SettingsBytes {
  const char* mark;
  const char* bytes;
  std::uint32_t length;
};
// Opens a document from a file's bytes held in memory, as if read from `fileName`, which the close
// then makes as a new file whether or not anything changed (a file that appeared there meanwhile
// stays, and the close fails).
void OpenSettingsFrom(const char* fileName, const SettingsBytes& file);
// A path's size in bytes; -2 for a folder or a drive; -1 when there is nothing there.
std::int64_t ProbeFileSize(const char* path);

// The walk over the groups in file order: StartGroups (1 when a document is open, else 0), then
// NextGroup until it gives 0, taking CurrentGroupName after each 1.
int StartGroups();
int NextGroup();
// The current group's name; the empty text at the top level. A read that fails gives the empty
// text and is told by SettingsReadFailed.
std::string CurrentGroupName();
// 1: the group of that name was found (the first whose stored form matches, ASCII letters folded;
// else the first written in the legacy code page that reads as it), or the name is empty or absent
// (the top level). 0: there is no such group; reads find nothing and the first write creates it
// at the end of the document. Also 0 when the name could not be looked up (memory): then
// SettingsReadFailed is true, reads find nothing and every write is refused.
int SelectGroup(const char* name);
// A key's value in the current group, read as atoi does but held to 32 bits; `fallback` when the
// key is missing or the read fails.
std::int32_t ReadKeyLong(const char* key, std::int32_t fallback);
// A key's value in the current group without its blanks at either end; a copy of `fallback` (absent:
// empty) when the key is missing. A read that fails (memory, or a character this process's code
// page lacks) gives the empty text and is told by SettingsReadFailed.
std::string ReadKeyString(const char* key, const char* fallback);
// True when a read since the last OpenSettings or SelectGroup could not hand out what is stored:
// its result is not the stored text and must not be written back anywhere.
bool SettingsReadFailed();
// Write a key in the current group (the first of its name, ASCII letters folded; else a new key at
// the group's end), creating a pending group first. A write that cannot be made whole (memory, a
// text longer than 2^31 - 1 bytes) refuses the whole write-back: the close then fails.
void WriteKeyLong(const char* key, std::int32_t value);
void WriteKeyString(const char* key, const char* value);
// Removes the group found as SelectGroup finds it, with its keys and comments; no match: nothing.
// A name that could not be looked up refuses the whole write-back.
void RemoveGroup(const char* name);
// The group found as RemoveGroup finds it: each of its lines (its header, keys and comments) as
// the file holds it, its own line end included, or as it is written where this document changed
// it. The empty text when there is no such group. Else why it cannot be had: the file was not
// read whole, or memory ran out.
FileFailure StoredGroupText(const char* name, std::string& out);
// Why the open document does not hold the whole file: it could not be read (whole), or memory ran
// out. None when it does, also when there was no file to read.
FileFailure SettingsIncomplete();
// True when the document needed no write-back or was written back whole; else the file is as
// it was, and SettingsWriteFailure says why.
bool CloseSettings();
FileFailure SettingsWriteFailure();
// Closes the document without writing anything back.
void DiscardSettings();
// The open document as it would be written, under a first comment line `comment` (none: empty),
// made as a new file `name`; an existing file stays.
FileFailure CopySettingsTo(const char* name, const char* comment = "");

// What the store hands its caller; either may be null.
struct SettingsHooks {
  // A file read whole at the open, and a write-back the file took: the file as it now stands.
  void (*fileImage)(const SettingsBytes& file);
  // A write-back about to replace a file that was read: the file as read, before the new one is
  // composed; what the hook does with it (a copy of its own) stops nothing.
  void (*beforeReplace)(const char* fileName, const SettingsBytes& asRead);
};
void SetSettingsHooks(const SettingsHooks& hooks);
