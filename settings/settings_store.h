#pragma once
#include <cstdint>
#include <string>

#include "entry_list.h"
#include "file_io.h"

// The process's one INI document: read whole at open, worked on through groups and keys,
// written back whole at close when anything changed.
struct SettingsStore {
  FileHandle fileHandle;
  std::string fileName;
  bool hasFileName;
  bool modified;
  char* textBuffer;           // the file's bytes behind any byte-order mark, never altered
  std::uint32_t textLength;
  FileFailure refusal;        // why what was read may not be written back; None: it may
  std::int32_t encoding;      // 0, or 65001 when the file began with a UTF-8 byte-order mark
  EntryList entries;
  EntryIndex currentGroup;    // noEntry: the top level
  std::string pendingGroupName;
  bool hasPendingGroup;
};

extern SettingsStore settingsStore;
// The code page of the texts callers hand in and get back: the process's ANSI code page, taken
// at start.
extern std::uint32_t callerCodePage;

constexpr std::int32_t Utf8Encoding = 65001;

void InitSettingsStore();
void EndSettingsStore();
int OpenSettings(const char* fileName);
std::int64_t ProbeFileSize(const char* path);

int StartGroups();
int NextGroup();
std::string CurrentGroupName();
int SelectGroup(const char* name);
std::int32_t ReadKeyLong(const char* key, std::int32_t fallback);
std::string ReadKeyString(const char* key, const char* fallback);
void WriteKeyLong(const char* key, std::int32_t value);
void WriteKeyString(const char* key, const char* value);
void RemoveGroup(const char* name);
// True when the document needed no write-back or was written back whole; else the file is as
// it was, and SettingsWriteFailure says why.
bool CloseSettings();
FileFailure SettingsWriteFailure();

// The key handling beneath the reads and writes.
const SettingsEntry* FindKeyValue(const char* key);
char* PrepareKeyValue(const char* key, std::uint32_t length);

// Internal to the store. Sizes a text; false, never an exception, when memory runs out.
bool SizeText(std::string& text, std::size_t size);
// The reader cuts a buffer into entries; false when a line found no room.
bool CutIntoEntries(EntryList& entries, const char* data, std::uint32_t length);
