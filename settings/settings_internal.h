#pragma once
// The store's own record and the operations beneath its interface; tests reach in through here.
#include <cstdint>
#include <string>

#include "entry_list.h"
#include "file_io.h"
#include "settings_store.h"

struct SettingsStore {
  FileHandle fileHandle;
  std::string fileName;
  bool hasFileName;
  bool modified;
  bool readFailed;            // see SettingsReadFailed
  char* textBuffer;           // the file's bytes behind any byte-order mark, never altered
  std::uint32_t textLength;
  FileFailure refusal;        // why what was read may not be written back; None: it may
  std::int32_t encoding;      // 0, or 65001 when the file began with a UTF-8 byte-order mark
  EntryList entries;
  EntryIndex currentGroup;    // noEntry: the top level
  std::string pendingGroupName;  // empty while pending: the selection found no memory
  bool hasPendingGroup;
};

extern SettingsStore settingsStore;
// The code page of the texts callers hand in and get back: the process's ANSI code page, taken
// at start.
extern std::uint32_t callerCodePage;

constexpr std::int32_t Utf8Encoding = 65001;

// The key entry in the current group, or null (also when memory runs out: then a read failed).
const SettingsEntry* FindKeyValue(const char* key);
// Room for a value of `length` bytes under `key` in the current group, terminator included;
// null, with the write-back refused, when it cannot be had.
char* PrepareKeyValue(const char* key, std::uint32_t length);
// Sizes a text; false, never an exception, when memory runs out.
bool SizeText(std::string& text, std::size_t size);
// Cuts a buffer into entries; false when a line found no room.
bool CutIntoEntries(EntryList& entries, const char* data, std::uint32_t length);
extern SettingsHooks settingsHooks;
// The file's bytes as the open read them.
SettingsBytes AsRead(const SettingsStore& s);
// An entry's line in the one layout the store writes, its line end included.
std::size_t LineLength(const SettingsEntry& e);
char* PutLine(char* at, const SettingsEntry& e);
