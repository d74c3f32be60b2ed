#pragma once
#include <cstdint>

// The one door of the portable modules to files: Win32 calls with the settings file's
// exact access and share flags on Windows, their POSIX equivalents elsewhere.
using FileHandle = void*;  // null: none

// OPEN_EXISTING, share FILE_SHARE_READ; read and write, or read only.
FileHandle OpenExistingFile(const char* name, bool forWriting);
// OPEN_ALWAYS, read and write, share FILE_SHARE_READ; *existed tells whether it was there before.
FileHandle OpenOrCreateFile(const char* name, bool* existed);
bool ReadFromFile(FileHandle file, void* into, std::uint32_t count, std::uint32_t* got);
bool WriteToFile(FileHandle file, const void* from, std::uint32_t count, std::uint32_t* put);
bool SeekFile(FileHandle file, std::uint32_t position);
bool EndFileHere(FileHandle file);
// The whole size (GetFileSize, both halves); -1 when it cannot be told.
std::int64_t SizeOfFile(FileHandle file);
// Puts what was written on the disk itself (FlushFileBuffers), so a power cut cannot take it.
bool FlushFile(FileHandle file);
void CloseFile(FileHandle file);

// FindFirstFileA: 0 when nothing matches, else 1 with the size and whether it is a directory.
int FindFileEntry(const char* path, std::int64_t* size, bool* directory);
// GetDriveTypeA of a root such as "C:\"; natively there are no drives (1, no root directory).
unsigned DriveTypeOf(const char* root);

// Test hook: faults the next file operations meet. Reset with FileFaults{}.
struct FileFaults {
  std::uint32_t shortReadBy = 0;    // a read delivers this many bytes fewer than asked
  bool failRead = false;            // a read fails outright
  std::int64_t failWriteAfter = -1; // the next write stores this many bytes, then fails (once)
  bool failEndOfFile = false;       // SetEndOfFile fails
};
extern FileFaults fileFaults;
