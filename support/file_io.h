#pragma once
#include <cstddef>
#include <cstdint>

// The one door of the portable modules to files: Win32 calls with the settings file's
// exact access and share flags on Windows, their POSIX equivalents elsewhere.
using FileHandle = void*;  // null: none

// Why a file could not be written, in the terms a person is told.
enum class FileFailure {
  None,
  ReadOnly,           // the file is marked read-only, or the medium is
  HeldByAnother,      // another program has it open and shares it with no writer
  FolderNotWritable,  // its folder takes no new file
  FolderGone,         // its folder is not there: moved, renamed, removed, or its drive let go
  DiskFull,           // no room for a second copy beside the first
  NoMemory,
  Unread,             // the file could not be read whole: a read failed or came short, or it is too large
  Appeared,           // a file appeared where a new one was to be made
  NotFound,           // an open only: there is no such file
  Other,
};
// The failure of the last call here that failed, from the system's own error.
FileFailure LastFileFailure();

// OPEN_EXISTING, share FILE_SHARE_READ; read and write, or read only.
FileHandle OpenExistingFile(const char* name, bool forWriting);
bool ReadFromFile(FileHandle file, void* into, std::uint32_t count, std::uint32_t* got);
bool SeekFile(FileHandle file, std::uint32_t position);
// The whole size (GetFileSize, both halves); -1 when it cannot be told.
std::int64_t SizeOfFile(FileHandle file);
void CloseFile(FileHandle file);

// Puts `bytes` in the place of a file in one step, so that whatever fails, the power included,
// the file holds either its old content or the new one whole. With `held` (the file as opened
// for writing, closed here just before the swap) the file it really is gets replaced, a symbolic
// link resolved first; without, `name` is made, and a file that appeared there meanwhile stays.
FileFailure ReplaceFileContent(const char* name, FileHandle held, const void* bytes, std::uint32_t length);
// The new content goes first under a name of its own beside the file, "<file>.<8 hex digits>.tmp";
// a replace that succeeds removes what earlier ones of that file left of those.
// A replace cut short by a crash, or whose documented recovery failed, can leave the file under
// its backup name "<file>.old" alone: puts it back where nothing stands under the file's name.
void FinishInterruptedReplace(const char* name);
// Whether `name` is a temporary name of a replace of the file named by its first `fileLength` characters.
bool IsReplaceLeftover(const char* name, std::size_t fileLength);
// Windows: refusals that may pass (another program holding the file, a deletion still pending)
// are tried again for about a quarter of a second; not at all once told false (the session ends).
void WaitForHolders(bool wait);
// Gives a file another name in one step, never over a file there; false when it could not.
bool MoveFileTo(const char* from, const char* to);

// Makes a folder; None when one is there, made now or before.
FileFailure MakeFolder(const char* path);
// Calls `each` with the name of every file and folder in a folder; false when it cannot be listed.
bool ForEachName(const char* folder, void (*each)(const char* name, void* context), void* context);
bool RemoveFile(const char* path);
#ifdef _WIN32
// Adds `bytes` at the end of a file, made when missing, and puts them on the disk itself; a write
// that fails is taken back, so the file keeps what it held.
FileFailure AppendToFile(const char* name, const void* bytes, std::uint32_t length);
#endif

// FindFirstFileA: 0 when nothing matches, else 1 with the size and whether it is a directory.
int FindFileEntry(const char* path, std::int64_t* size, bool* directory);
// GetDriveTypeA of a root such as "C:\"; natively there are no drives (1, no root directory).
unsigned DriveTypeOf(const char* root);

// Test hooks: faults the next file operations meet. Reset with FileFaults{}.
struct FileFaults {
  std::uint32_t shortReadBy = 0;  // a read delivers this many bytes fewer than asked
  bool failRead = false;          // a read fails outright
  std::uint32_t failReplaceWith = 0;  // Windows: ReplaceFileW fails with this error, leaving what it documents
  bool refuseMoveBack = false;        // Windows: a file under its backup name cannot be moved back
  std::uint32_t delayMs = 0;          // Windows: each file call waits this long first, as on a slow share
};
extern FileFaults fileFaults;

#ifndef _WIN32
// Test hook: each step that changes what a disk holds, reported as it is made, so a test can
// rebuild what a power cut after any of them would leave, or refuse the step as a full disk does
// (return false). Steps on an open file name it by its descriptor.
struct DiskStep {
  enum Kind { Create, Write, Flush, Rename, Link, Unlink, FlushFolder } kind;
  int descriptor;
  const char* name;  // Create, Rename, Link, Unlink, FlushFolder
  const char* to;    // Rename, Link
  std::uint64_t at;  // Write: where
  const void* bytes;
  std::uint32_t length;
};
extern bool (*onDiskStep)(const DiskStep& step);
#endif
