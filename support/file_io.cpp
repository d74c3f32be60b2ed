#include "file_io.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

FileFaults fileFaults;

// Cuts a request down as the injected faults say; false when it must fail at once.
static bool ShapeRead(std::uint32_t& count) {
  if (fileFaults.failRead) return false;
  count = count > fileFaults.shortReadBy ? count - fileFaults.shortReadBy : 0;
  return true;
}

static bool ShapeWrite(std::uint32_t& count, bool& failAfter) {
  failAfter = false;
  if (fileFaults.failWriteAfter < 0) return true;
  if (static_cast<std::int64_t>(count) > fileFaults.failWriteAfter) {
    count = static_cast<std::uint32_t>(fileFaults.failWriteAfter);
    failAfter = true;
    fileFaults.failWriteAfter = -1;  // one failure, as a disk hiccup
  }
  return true;
}

#ifdef _WIN32

static FileHandle FromWin32(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : h; }

FileHandle OpenExistingFile(const char* name, bool forWriting) {
  DWORD access = forWriting ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ;
  return FromWin32(CreateFileA(name, access, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
}

FileHandle OpenOrCreateFile(const char* name, bool* existed) {
  HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  *existed = h != INVALID_HANDLE_VALUE && GetLastError() == ERROR_ALREADY_EXISTS;
  return FromWin32(h);
}

bool ReadFromFile(FileHandle file, void* into, std::uint32_t count, std::uint32_t* got) {
  *got = 0;
  if (!ShapeRead(count)) return false;
  DWORD done = 0;
  BOOL ok = ReadFile(static_cast<HANDLE>(file), into, count, &done, nullptr);
  *got = done;
  return ok != 0;
}

bool WriteToFile(FileHandle file, const void* from, std::uint32_t count, std::uint32_t* put) {
  bool failAfter;
  ShapeWrite(count, failAfter);
  DWORD done = 0;
  BOOL ok = WriteFile(static_cast<HANDLE>(file), from, count, &done, nullptr);
  *put = done;
  return ok != 0 && !failAfter;
}

bool SeekFile(FileHandle file, std::uint32_t position) {
  return SetFilePointer(static_cast<HANDLE>(file), static_cast<LONG>(position), nullptr, FILE_BEGIN) !=
         INVALID_SET_FILE_POINTER;
}

bool EndFileHere(FileHandle file) {
  if (fileFaults.failEndOfFile) return false;
  return SetEndOfFile(static_cast<HANDLE>(file)) != 0;
}

std::int64_t SizeOfFile(FileHandle file) {
  DWORD high = 0;
  DWORD low = GetFileSize(static_cast<HANDLE>(file), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return -1;
  return (static_cast<std::int64_t>(high) << 32) | low;
}

bool FlushFile(FileHandle file) { return FlushFileBuffers(static_cast<HANDLE>(file)) != 0; }

void CloseFile(FileHandle file) {
  if (file) CloseHandle(static_cast<HANDLE>(file));
}

int FindFileEntry(const char* path, std::int64_t* size, bool* directory) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  *directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  *size = (static_cast<std::int64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  FindClose(search);
  return 1;
}

unsigned DriveTypeOf(const char* root) { return GetDriveTypeA(root); }

#else

// A descriptor is kept as its value plus one, so descriptor 0 is not mistaken for none.
static int Descriptor(FileHandle file) { return static_cast<int>(reinterpret_cast<intptr_t>(file)) - 1; }
static FileHandle FromDescriptor(int fd) { return fd < 0 ? nullptr : reinterpret_cast<FileHandle>(static_cast<intptr_t>(fd) + 1); }

static int OpenRegular(const char* name, int flags) {
  int fd = open(name, flags | O_CLOEXEC, 0644);
  struct stat st;
  if (fd >= 0 && (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))) {
    close(fd);
    return -1;
  }
  return fd;
}

FileHandle OpenExistingFile(const char* name, bool forWriting) {
  return FromDescriptor(OpenRegular(name, forWriting ? O_RDWR : O_RDONLY));
}

FileHandle OpenOrCreateFile(const char* name, bool* existed) {
  int fd = OpenRegular(name, O_RDWR | O_CREAT | O_EXCL);
  *existed = fd < 0 && errno == EEXIST;
  if (*existed) fd = OpenRegular(name, O_RDWR);
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

bool WriteToFile(FileHandle file, const void* from, std::uint32_t count, std::uint32_t* put) {
  bool failAfter;
  ShapeWrite(count, failAfter);
  *put = 0;
  const char* at = static_cast<const char*>(from);
  while (*put < count) {
    ssize_t n = write(Descriptor(file), at + *put, count - *put);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    *put += static_cast<std::uint32_t>(n);
  }
  return !failAfter;
}

bool SeekFile(FileHandle file, std::uint32_t position) {
  return lseek(Descriptor(file), static_cast<off_t>(position), SEEK_SET) >= 0;
}

bool EndFileHere(FileHandle file) {
  if (fileFaults.failEndOfFile) return false;
  int fd = Descriptor(file);
  off_t here = lseek(fd, 0, SEEK_CUR);
  if (here < 0 || ftruncate(fd, here) != 0) return false;
  // Make growth real now, as SetEndOfFile does, so a later write cannot run out of disk.
  if (here == 0) return true;
  int result = posix_fallocate(fd, 0, here);
  return result == 0 || result == EOPNOTSUPP || result == EINVAL;
}

std::int64_t SizeOfFile(FileHandle file) {
  struct stat st;
  if (fstat(Descriptor(file), &st) != 0) return -1;
  return st.st_size;
}

bool FlushFile(FileHandle file) { return fsync(Descriptor(file)) == 0; }

void CloseFile(FileHandle file) {
  if (file) close(Descriptor(file));
}

int FindFileEntry(const char* path, std::int64_t* size, bool* directory) {
  struct stat st;
  if (stat(path, &st) != 0) return 0;
  *directory = S_ISDIR(st.st_mode);
  *size = st.st_size;
  return 1;
}

unsigned DriveTypeOf(const char*) { return 1; }

#endif
