#include "file_io.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "memory.h"

#ifdef _WIN32
#include <windows.h>

#include <cstdio>
#else
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <ctime>
#include <unistd.h>
#endif

FileFaults fileFaults;

namespace {

FileFailure lastFailure = FileFailure::None;

FileFailure Failed(FileFailure failure) {
  lastFailure = failure;
  return failure;
}

// Cuts a request down as the injected faults say; false when it must fail at once.
bool ShapeRead(std::uint32_t& count) {
  if (fileFaults.failRead) return false;
  count = count > fileFaults.shortReadBy ? count - fileFaults.shortReadBy : 0;
  return true;
}

// A path with the two names of the replace beside it: "<path>.<8 hex digits>.tmp", a name of its
// own for the new content while it is written (never one a scanner or a sync client still holds
// from an earlier replace), and "<path>.old" for the old one while it is swapped out.
template <typename Char>
struct ReplacePaths {
  static constexpr std::size_t suffix = 14;  // ".1A2B3C4D.tmp" and the terminator
  Char* target = nullptr;
  Char* temp = nullptr;
  Char* backup = nullptr;
  ReplacePaths() = default;
  ReplacePaths(const ReplacePaths&) = delete;
  ~ReplacePaths() { ReleaseBytes(target); }
  // Room for a path of `length` characters and its two neighbours; false when there is no memory.
  bool Reserve(std::size_t length) {
    target = static_cast<Char*>(AllocateBytes(3 * (length + suffix) * sizeof(Char)));
    if (!target) return false;
    temp = target + length + suffix;
    backup = temp + length + suffix;
    return true;
  }
  void NameBackup(const Char* oldSuffix) {
    using Traits = std::char_traits<Char>;
    const std::size_t length = Traits::length(target);
    Traits::copy(Traits::copy(backup, target, length) + length, oldSuffix, 5);
  }
  // The temporary name tagged `tag`; with `tag` 0, the pattern that finds every one ("?" for each digit).
  void NameTemporary(std::uint32_t tag) {
    using Traits = std::char_traits<Char>;
    const std::size_t length = Traits::length(target);
    Char* at = Traits::copy(temp, target, length) + length;
    *at++ = '.';
    for (int shift = 28; shift >= 0; shift -= 4) *at++ = tag ? "0123456789ABCDEF"[(tag >> shift) & 15] : '?';
    for (const char* tail = ".tmp"; *tail;) *at++ = *tail++;
    *at = 0;
  }
};

// Whether `name` is "<file>.<8 hex digits>.tmp" for the file named `file` (`length` characters)
// in the same folder, the names compared by `same`.
template <typename Char>
bool HasLeftoverTail(const Char* name, std::size_t length) {
  if (std::char_traits<Char>::length(name) != length + 13 || name[length] != '.') return false;
  for (std::size_t at = length + 1; at < length + 9; ++at) {
    const Char c = name[at];
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))) return false;
  }
  const Char* tail = name + length + 9;
  return tail[0] == '.' && tail[1] == 't' && tail[2] == 'm' && tail[3] == 'p';
}
template <typename Char, typename Same>
bool IsLeftoverOf(const Char* name, const Char* file, std::size_t length, Same same) {
  return HasLeftoverTail(name, length) && same(name, file, length);
}

// The file name in a path.
template <typename Char>
Char* NameIn(Char* path) {
  Char* name = path;
  for (Char* at = path; *at; ++at) {
#ifdef _WIN32
    if (*at == '\\') name = at + 1;
#endif
    if (*at == '/') name = at + 1;
  }
  return name;
}

// A new tag for each temporary name, unlike any other process's.
std::uint32_t NextTag(std::uint32_t seed) {
  static std::uint32_t state = seed;
  do state = state * 1664525u + 1013904223u;
  while (!state);
  return state;
}

bool waitForHolders = true;
constexpr std::uint32_t HeldWaitMs = 250;

// A temporary file that could not be made: its folder is gone or takes no new file.
FileFailure FolderFailure(FileFailure failure) {
  if (failure == FileFailure::NotFound) return FileFailure::FolderGone;
  return failure == FileFailure::ReadOnly ? FileFailure::FolderNotWritable : failure;
}

}  // namespace

FileFailure LastFileFailure() { return lastFailure; }

void WaitForHolders(bool wait) { waitForHolders = wait; }

bool IsReplaceLeftover(const char* name, std::size_t fileLength) { return HasLeftoverTail(name, fileLength); }

#ifdef _WIN32

namespace {

// Each file call first waits as long as a test asks, as on a share that answers slowly.
void Delay() {
  if (fileFaults.delayMs) Sleep(fileFaults.delayMs);
}

FileFailure FailureOf(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return FileFailure::ReadOnly;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_DELETE_PENDING:
    case ERROR_UNABLE_TO_REMOVE_REPLACED: return FileFailure::HeldByAnother;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return FileFailure::DiskFull;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return FileFailure::NoMemory;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return FileFailure::Appeared;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return FileFailure::NotFound;
    default: return FileFailure::Other;
  }
}

DWORD AttributesOf(const char* path) { return GetFileAttributesA(path); }
DWORD AttributesOf(const wchar_t* path) { return GetFileAttributesW(path); }

// A refusal that passes: another program has the file open for a moment (a virus scanner, the
// indexer, a sync client), or it was deleted but is still held (delete-pending, told as access
// denied on Windows 7 and 8.1). Denied on a file marked read-only, it never passes.
template <typename Char>
bool MayPass(DWORD error, const Char* path) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_DELETE_PENDING:
    case ERROR_UNABLE_TO_REMOVE_REPLACED: return true;
    case ERROR_ACCESS_DENIED: {
      const DWORD attributes = AttributesOf(path);
      return attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY);
    }
    default: return false;
  }
}

// Tries again while the refusal may pass, with a pause doubling from 10 ms, for about a quarter of
// a second in all (the one thread waits meanwhile), and not at all at the session's end; the last
// error tells why it gave up.
template <typename Char, typename Attempt>
bool WhileHeldForAMoment(const Char* path, Attempt attempt) {
  const DWORD start = GetTickCount();
  for (DWORD pause = 10;; pause *= 2) {
    if (attempt()) return true;
    const DWORD error = GetLastError(), waited = GetTickCount() - start;
    if (!waitForHolders || waited >= HeldWaitMs || !MayPass(error, path)) {
      SetLastError(error);
      return false;
    }
    Sleep(std::min<DWORD>(pause, HeldWaitMs - waited));
  }
}

FileHandle FromWin32(HANDLE h) {
  if (h == INVALID_HANDLE_VALUE) Failed(FailureOf(GetLastError()));
  return h == INVALID_HANDLE_VALUE ? nullptr : h;
}

using WidePaths = ReplacePaths<wchar_t>;

// The paths of the file really written: the held file's own (links resolved), else the name's,
// as where a file system cannot tell a handle's path (some network redirectors).
FileFailure FindPaths(const char* name, HANDLE held, WidePaths& paths) {
  wchar_t wide[MAX_PATH];
  if (!MultiByteToWideChar(CP_ACP, 0, name, -1, wide, MAX_PATH)) return Failed(FileFailure::Other);
  DWORD length = held ? GetFinalPathNameByHandleW(held, nullptr, 0, 0) : 0;
  if (!length) held = nullptr;
  if (!length) length = GetFullPathNameW(wide, 0, nullptr, nullptr);
  if (!length) return Failed(FailureOf(GetLastError()));
  if (!paths.Reserve(length)) return Failed(FileFailure::NoMemory);
  DWORD got = held ? GetFinalPathNameByHandleW(held, paths.target, length, 0)
                   : GetFullPathNameW(wide, length, paths.target, nullptr);
  if (!got || got >= length) return Failed(FileFailure::Other);
  paths.NameBackup(L".old");
  return FileFailure::None;
}

bool Exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

// Writes where the file stands (at its end with `end`, which gets where that was) and puts it on
// the disk itself; false with the reason in `error`, a write cut short with none a full disk.
bool WriteThrough(HANDLE file, const void* bytes, std::uint32_t length, DWORD& error, LARGE_INTEGER* end = nullptr) {
  Delay();
  DWORD put = 0;
  const bool placed = !end || SetFilePointerEx(file, LARGE_INTEGER{}, end, FILE_END);
  if (!placed || !WriteFile(file, bytes, length, &put, nullptr) || put != length) {
    error = put < length && GetLastError() == NO_ERROR ? ERROR_DISK_FULL : GetLastError();
    return false;
  }
  const bool flushed = FlushFileBuffers(file) != 0;
  error = flushed ? NO_ERROR : GetLastError();
  return flushed;
}

// A temporary name not taken yet, made: one someone holds is passed over for the next, so there
// is nothing to wait out; a refusal of a fresh name is the folder's.
HANDLE MakeTemporary(WidePaths& paths) {
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int tries = 0; tries < 8 && file == INVALID_HANDLE_VALUE; ++tries) {
    paths.NameTemporary(NextTag(GetTickCount() ^ (GetCurrentProcessId() << 16)));
    file = CreateFileW(paths.temp, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return file;
}

// The new content, whole and on the disk itself, under a temporary name of its own.
FileFailure WriteTemporary(WidePaths& paths, const void* bytes, std::uint32_t length) {
  Delay();
  HANDLE file = MakeTemporary(paths);
  if (file == INVALID_HANDLE_VALUE) return Failed(FolderFailure(FailureOf(GetLastError())));
  DWORD error = NO_ERROR;
  const bool flushed = WriteThrough(file, bytes, length, error);
  CloseHandle(file);
  if (flushed) return FileFailure::None;
  DeleteFileW(paths.temp);
  return Failed(FailureOf(error));
}

// The leftovers of replaces of this file that a crash or a held name kept from being removed.
void RemoveLeftovers(WidePaths& paths) {
  paths.NameTemporary(0);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(paths.temp, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  const wchar_t* file = NameIn(paths.target);
  wchar_t* name = NameIn(paths.temp);
  const std::size_t length = std::char_traits<wchar_t>::length(file);
  auto same = [](const wchar_t* a, const wchar_t* b, std::size_t n) { return _wcsnicmp(a, b, n) == 0; };
  do {
    if (!IsLeftoverOf(found.cFileName, file, length, same)) continue;
    std::char_traits<wchar_t>::copy(name, found.cFileName, length + 14);
    DeleteFileW(paths.temp);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

// ReplaceFileW, or the failure a test injects, leaving what that failure is documented to leave.
BOOL Swap(const WidePaths& paths, const wchar_t* backup) {
  Delay();
  if (DWORD injected = fileFaults.failReplaceWith) {
    if (injected == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) MoveFileW(paths.target, paths.backup);
    SetLastError(injected);
    return FALSE;
  }
  return ReplaceFileW(paths.target, paths.temp, backup, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
}

// The file back from its backup name, as the documented recovery from a swap cut short.
void MoveBack(const WidePaths& paths) {
  if (!fileFaults.refuseMoveBack) MoveFileExW(paths.backup, paths.target, MOVEFILE_WRITE_THROUGH);
}

// The swap of an existing file. A backup someone left (a crash, a swap whose move back failed) is
// never overwritten: that swap goes without one.
FileFailure SwapIn(const WidePaths& paths) {
  const bool ownBackup = !Exists(paths.backup);
  const wchar_t* backup = ownBackup ? paths.backup : nullptr;
  DWORD error = WhileHeldForAMoment(paths.target, [&] { return Swap(paths, backup) != FALSE; }) ? NO_ERROR : GetLastError();
  if (error != NO_ERROR) {
    // Where the file went to its backup name and no further, it comes back.
    if (ownBackup && !Exists(paths.target)) MoveBack(paths);
    DeleteFileW(paths.temp);
  }
  if (ownBackup && Exists(paths.target)) DeleteFileW(paths.backup);
  if (error == NO_ERROR) return FileFailure::None;
  // Denied on a file not marked read-only (it was just opened for writing): someone holds it.
  const DWORD attributes = GetFileAttributesW(paths.target);
  const bool held = error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY);
  return Failed(held ? FileFailure::HeldByAnother : FailureOf(error));
}

}  // namespace

FileHandle OpenExistingFile(const char* name, bool forWriting) {
  Delay();
  DWORD access = forWriting ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ;
  HANDLE opened = INVALID_HANDLE_VALUE;
  auto open = [&] {
    opened = CreateFileA(name, access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return opened != INVALID_HANDLE_VALUE;
  };
  // Reading is the store's fallback once writing was refused: the moment has been waited out.
  if (forWriting) WhileHeldForAMoment(name, open);
  else open();
  FileHandle file = FromWin32(opened);
  DWORD attributes = file ? 0 : GetFileAttributesA(name);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) Failed(FileFailure::Other);
  return file;
}

bool ReadFromFile(FileHandle file, void* into, std::uint32_t count, std::uint32_t* got) {
  Delay();
  *got = 0;
  if (!ShapeRead(count)) return false;
  DWORD done = 0;
  BOOL ok = ReadFile(static_cast<HANDLE>(file), into, count, &done, nullptr);
  *got = done;
  return ok != 0;
}

bool SeekFile(FileHandle file, std::uint32_t position) {
  return SetFilePointer(static_cast<HANDLE>(file), static_cast<LONG>(position), nullptr, FILE_BEGIN) !=
         INVALID_SET_FILE_POINTER;
}

std::int64_t SizeOfFile(FileHandle file) {
  DWORD high = 0;
  DWORD low = GetFileSize(static_cast<HANDLE>(file), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return -1;
  return (static_cast<std::int64_t>(high) << 32) | low;
}

void CloseFile(FileHandle file) {
  if (file) CloseHandle(static_cast<HANDLE>(file));
}

FileFailure ReplaceFileContent(const char* name, FileHandle held, const void* bytes, std::uint32_t length) {
  HANDLE file = static_cast<HANDLE>(held);
  WidePaths paths;
  FileFailure failure = FindPaths(name, file, paths);
  if (failure == FileFailure::None) failure = WriteTemporary(paths, bytes, length);
  CloseFile(held);  // others may come in from here: the swap is one step
  if (failure == FileFailure::None && file) failure = SwapIn(paths);
  // A new file: one that appeared since the open was never read, so it is never replaced.
  if (failure == FileFailure::None && !file && !MoveFileExW(paths.temp, paths.target, MOVEFILE_WRITE_THROUGH)) {
    failure = Failed(FailureOf(GetLastError()));
    DeleteFileW(paths.temp);
  }
  if (failure == FileFailure::None) RemoveLeftovers(paths);
  return failure;
}

void FinishInterruptedReplace(const char* name) {
  WidePaths paths;
  if (FindPaths(name, nullptr, paths) == FileFailure::None && !Exists(paths.target) && GetLastError() == ERROR_FILE_NOT_FOUND)
    MoveBack(paths);
}

bool MoveFileTo(const char* from, const char* to) {
  Delay();
  return MoveFileExA(from, to, MOVEFILE_WRITE_THROUGH) != 0;
}

int FindFileEntry(const char* path, std::int64_t* size, bool* directory) {
  Delay();
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  *directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  *size = (static_cast<std::int64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  FindClose(search);
  return 1;
}

unsigned DriveTypeOf(const char* root) { return GetDriveTypeA(root); }

FileFailure MakeFolder(const char* path) {
  Delay();
  if (CreateDirectoryA(path, nullptr)) return FileFailure::None;
  const DWORD error = GetLastError(), attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return FileFailure::None;
  return Failed(error == ERROR_ALREADY_EXISTS ? FileFailure::Other : FolderFailure(FailureOf(error)));
}

bool ForEachName(const char* folder, void (*each)(const char* name, void* context), void* context) {
  Delay();
  char pattern[MAX_PATH];
  if (std::snprintf(pattern, sizeof pattern, "%s\\*", folder) >= static_cast<int>(sizeof pattern)) return false;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    if (std::strcmp(found.cFileName, ".") && std::strcmp(found.cFileName, "..")) each(found.cFileName, context);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return true;
}

bool RemoveFile(const char* path) {
  Delay();
  return DeleteFileA(path) != 0;
}

FileFailure AppendToFile(const char* name, const void* bytes, std::uint32_t length) {
  Delay();
  const bool existed = GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
  HANDLE file = INVALID_HANDLE_VALUE;
  WhileHeldForAMoment(name, [&] {
    file = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file != INVALID_HANDLE_VALUE;
  });
  if (file == INVALID_HANDLE_VALUE) {
    const FileFailure failure = FailureOf(GetLastError());
    return Failed(existed ? failure : FolderFailure(failure));
  }
  LARGE_INTEGER end{};
  DWORD error = NO_ERROR;
  const bool flushed = WriteThrough(file, bytes, length, error, &end);
  if (!flushed) {  // what part of it came is taken back
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
  }
  CloseHandle(file);
  return flushed ? FileFailure::None : Failed(FailureOf(error));
}
#else

bool (*onDiskStep)(const DiskStep& step);

namespace {

FileFailure FailureOf(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS: return FileFailure::ReadOnly;
    case EBUSY:
    case ETXTBSY: return FileFailure::HeldByAnother;
    case ENOSPC:
    case EDQUOT: return FileFailure::DiskFull;
    case ENOMEM: return FileFailure::NoMemory;
    case EEXIST: return FileFailure::Appeared;
    case ENOENT:
    case ENOTDIR: return FileFailure::NotFound;
    default: return FileFailure::Other;
  }
}

// Tells the test hook of a step; false when it refuses it, as a full disk would.
bool Step(DiskStep::Kind kind, int descriptor, const char* name = nullptr, const char* to = nullptr,
          std::uint64_t at = 0, const void* bytes = nullptr, std::uint32_t length = 0) {
  if (!onDiskStep || onDiskStep(DiskStep{kind, descriptor, name, to, at, bytes, length})) return true;
  errno = ENOSPC;
  return false;
}

// A descriptor is kept as its value plus one, so descriptor 0 is not mistaken for none.
int Descriptor(FileHandle file) { return static_cast<int>(reinterpret_cast<intptr_t>(file)) - 1; }
FileHandle FromDescriptor(int fd) {
  if (fd < 0) Failed(FailureOf(errno));
  return fd < 0 ? nullptr : reinterpret_cast<FileHandle>(static_cast<intptr_t>(fd) + 1);
}

using Paths = ReplacePaths<char>;

FileFailure FindPaths(const char* name, bool resolve, Paths& paths) {
  char* real = resolve ? realpath(name, nullptr) : nullptr;
  if (resolve && !real) return Failed(FailureOf(errno));
  const char* path = resolve ? real : name;
  bool reserved = paths.Reserve(std::strlen(path));
  if (reserved) std::strcpy(paths.target, path);
  std::free(real);
  if (!reserved) return Failed(FileFailure::NoMemory);
  paths.NameBackup(".old");
  return FileFailure::None;
}

bool Unlink(const char* path) { return Step(DiskStep::Unlink, -1, path) && unlink(path) == 0; }

bool WriteAll(int fd, const void* bytes, std::uint32_t length) {
  const char* from = static_cast<const char*>(bytes);
  for (std::uint32_t put = 0; put < length;) {
    if (!Step(DiskStep::Write, fd, nullptr, nullptr, put, from + put, length - put)) return false;
    ssize_t n = write(fd, from + put, length - put);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    put += static_cast<std::uint32_t>(n);
  }
  return true;
}

// A temporary name not taken yet, made.
int MakeTemporary(Paths& paths, mode_t mode) {
  int fd = -1;
  for (int tries = 0; tries < 8 && fd < 0; ++tries) {
    paths.NameTemporary(NextTag(static_cast<std::uint32_t>(getpid()) << 16 ^ static_cast<std::uint32_t>(time(nullptr))));
    fd = open(paths.temp, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0 && errno != EEXIST) break;
  }
  return fd;
}

// The new content, whole and on the disk itself, under a temporary name of its own.
FileFailure WriteTemporary(Paths& paths, const struct stat* like, const void* bytes, std::uint32_t length) {
  int fd = MakeTemporary(paths, like ? like->st_mode & 07777 : 0644);
  if (fd < 0) return Failed(FolderFailure(FailureOf(errno)));
  if (!Step(DiskStep::Create, fd, paths.temp)) {  // the disk never had it
    close(fd);
    unlink(paths.temp);
    return Failed(FileFailure::DiskFull);
  }
  bool done = (!like || fchmod(fd, like->st_mode & 07777) == 0) && WriteAll(fd, bytes, length) &&
              Step(DiskStep::Flush, fd) && fsync(fd) == 0;
  int error = errno;
  close(fd);
  if (done) return FileFailure::None;
  Unlink(paths.temp);
  return Failed(FailureOf(error));
}

// The leftovers of replaces of this file that a crash kept from being removed.
void RemoveLeftovers(Paths& paths) {
  char* name = NameIn(paths.temp);
  const char* file = NameIn(paths.target);
  const std::size_t length = std::strlen(file);
  *name = 0;  // the folder alone
  DIR* listing = opendir(name == paths.temp ? "." : paths.temp);
  if (!listing) return;
  auto same = [](const char* a, const char* b, std::size_t n) { return std::strncmp(a, b, n) == 0; };
  while (const dirent* entry = readdir(listing)) {
    if (!IsLeftoverOf(entry->d_name, file, length, same)) continue;
    std::memcpy(name, entry->d_name, length + 14);
    Unlink(paths.temp);
    *name = 0;
  }
  closedir(listing);
}

// Makes the folder's names durable. Were the swap lost at a power cut for want of this, the
// old file would still be whole, so a failure here counts for nothing.
void FlushFolderOf(const char* path) {
  const char* slash = std::strrchr(path, '/');
  char folder[PATH_MAX] = ".";
  if (slash && static_cast<std::size_t>(slash - path) < sizeof folder) {
    std::memcpy(folder, path, static_cast<std::size_t>(slash - path));
    folder[slash == path ? 1 : slash - path] = 0;
  }
  int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  if (Step(DiskStep::FlushFolder, -1, folder)) fsync(fd);
  close(fd);
}

}  // namespace

FileHandle OpenExistingFile(const char* name, bool forWriting) {
  int fd = open(name, (forWriting ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  struct stat st;
  if (fd >= 0 && (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))) {
    close(fd);
    fd = -1;
    errno = EISDIR;
  }
  return FromDescriptor(fd);
}

bool ReadFromFile(FileHandle file, void* into, std::uint32_t count, std::uint32_t* got) {
  *got = 0;
  if (!ShapeRead(count)) return false;
  char* at = static_cast<char*>(into);
  while (*got < count) {
    ssize_t n = read(Descriptor(file), at + *got, count - *got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    *got += static_cast<std::uint32_t>(n);
  }
  return true;
}

bool SeekFile(FileHandle file, std::uint32_t position) {
  return lseek(Descriptor(file), static_cast<off_t>(position), SEEK_SET) >= 0;
}

std::int64_t SizeOfFile(FileHandle file) {
  struct stat st;
  if (fstat(Descriptor(file), &st) != 0) return -1;
  return st.st_size;
}

void CloseFile(FileHandle file) {
  if (file) close(Descriptor(file));
}

FileFailure ReplaceFileContent(const char* name, FileHandle held, const void* bytes, std::uint32_t length) {
  Paths paths;
  struct stat old {};
  FileFailure failure = FindPaths(name, held != nullptr, paths);
  if (failure == FileFailure::None && held && fstat(Descriptor(held), &old) != 0) failure = Failed(FailureOf(errno));
  // Windows refuses to replace a read-only file; a rename would not.
  if (failure == FileFailure::None && held && !(old.st_mode & 0222)) failure = Failed(FileFailure::ReadOnly);
  if (failure == FileFailure::None) failure = WriteTemporary(paths, held ? &old : nullptr, bytes, length);
  CloseFile(held);
  if (failure != FileFailure::None) return failure;
  // A new file is linked in, so one that appeared since the open (never read) is never replaced.
  bool placed = held ? Step(DiskStep::Rename, -1, paths.temp, paths.target) && rename(paths.temp, paths.target) == 0
                     : Step(DiskStep::Link, -1, paths.temp, paths.target) && link(paths.temp, paths.target) == 0;
  int error = errno;
  if (!held || !placed) Unlink(paths.temp);  // a leftover is removed by the next write
  if (!placed) return Failed(FailureOf(error));
  FlushFolderOf(paths.target);
  RemoveLeftovers(paths);
  return FileFailure::None;
}

// The native replace never leaves its file under another name.
void FinishInterruptedReplace(const char*) {}

bool MoveFileTo(const char* from, const char* to) {
  // Linked first, so that a file there already is never replaced.
  if (!Step(DiskStep::Link, -1, from, to) || link(from, to) != 0) return false;
  Unlink(from);
  return true;
}

int FindFileEntry(const char* path, std::int64_t* size, bool* directory) {
  struct stat st;
  if (stat(path, &st) != 0) return 0;
  *directory = S_ISDIR(st.st_mode);
  *size = st.st_size;
  return 1;
}

unsigned DriveTypeOf(const char*) { return 1; }

FileFailure MakeFolder(const char* path) {
  struct stat st;
  if (mkdir(path, 0777) == 0) {
    FlushFolderOf(path);
    return FileFailure::None;
  }
  if (errno == EEXIST) return stat(path, &st) == 0 && S_ISDIR(st.st_mode) ? FileFailure::None : Failed(FileFailure::Other);
  return Failed(FolderFailure(FailureOf(errno)));
}

bool ForEachName(const char* folder, void (*each)(const char* name, void* context), void* context) {
  DIR* listing = opendir(folder);
  if (!listing) return false;
  while (const dirent* entry = readdir(listing)) {
    if (std::strcmp(entry->d_name, ".") && std::strcmp(entry->d_name, "..")) each(entry->d_name, context);
  }
  closedir(listing);
  return true;
}

bool RemoveFile(const char* path) { return Unlink(path); }

#endif
