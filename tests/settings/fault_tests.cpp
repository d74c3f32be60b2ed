#include <gtest/gtest.h>

#include <filesystem>

#include "file_fixture.h"
#include "file_io.h"
#include "memory.h"
#include "settings_store.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

using Faults = SettingsFileTest;

const std::string oldFile = "; kept\n[Shopping]\nXPos=100\nText=milk\\neggs\n[Work]\nXPos=5\n";

// One command cycle: select a group, write a short or a long value, close.
bool Cycle(const char* file, std::size_t valueLength) {
  OpenSettings(file);
  SelectGroup("Shopping");
  WriteKeyString("Text", std::string(valueLength, 'v').c_str());
  return CloseSettings();
}

std::string ExpectedAfterCycle(std::size_t valueLength) {
  return "; kept\r\n[Shopping]\r\nXPos = 100\r\nText = " + std::string(valueLength, 'v') +
         "\r\n[Work]\r\nXPos = 5\r\n";
}

TEST_F(Faults, ReadsThatComeShortNeverWriteBack) {
  for (int fault = 0; fault < 2; ++fault) {
    Put(oldFile);
    if (fault == 0) fileFaults.shortReadBy = 10;
    else fileFaults.failRead = true;
    EXPECT_FALSE(Cycle(File(), 3));
    fileFaults = FileFaults{};
    EXPECT_EQ(Get(), oldFile);
  }
}

TEST_F(Faults, AFailedWriteLeavesTheOldBytesWhetherTheFileGrowsOrShrinks) {
  for (std::size_t valueLength : {std::size_t{1}, std::size_t{500}}) {
    const std::size_t newLength = ExpectedAfterCycle(valueLength).size();
    for (std::int64_t after : {std::int64_t{0}, std::int64_t{1}, std::int64_t{20}, std::int64_t(newLength - 1)}) {
      Put(oldFile);
      fileFaults.failWriteAfter = after;
      EXPECT_FALSE(Cycle(File(), valueLength)) << valueLength << " after " << after;
      EXPECT_EQ(Get(), oldFile) << valueLength << " after " << after;
    }
    Put(oldFile);
    fileFaults.failEndOfFile = true;
    EXPECT_FALSE(Cycle(File(), valueLength));
    fileFaults = FileFaults{};
    EXPECT_EQ(Get(), oldFile);
    EXPECT_TRUE(Cycle(File(), valueLength));
    EXPECT_EQ(Get(), ExpectedAfterCycle(valueLength));
  }
}

TEST_F(Faults, RunningOutOfMemoryAnywhereLeavesOldOrNewBytes) {
  bool completed = false;
  for (long n = 0; !completed && n < 200; ++n) {
    Put(oldFile);
    FailAllocationsAfter(n);
    bool written = Cycle(File(), 40);
    completed = written && Get() == ExpectedAfterCycle(40);
    FailAllocationsAfter(-1);
    const std::string now = Get();
    EXPECT_TRUE(now == oldFile || now == ExpectedAfterCycle(40)) << "failing allocation " << n << ":\n" << now;
  }
  EXPECT_TRUE(completed);
}

TEST_F(Faults, AFileThatCannotBeOpenedIsNeverReplaced) {
  // A directory of that name: both opens fail, and the write-back must not touch it.
  std::filesystem::create_directory(file_);
  EXPECT_EQ(ProbeFileSize(File()), -2);
  EXPECT_EQ(OpenSettings(File()), 0);
  SelectGroup("g");
  WriteKeyLong("k", 1);
  EXPECT_FALSE(CloseSettings());
  EXPECT_TRUE(std::filesystem::is_directory(file_));
}

TEST_F(Faults, AFileTooLargeForThirtyOneBitsIsNeverWritten) {
  Put("[g]\nk=1\n");
  std::filesystem::resize_file(file_, 0x90000000ull);
  OpenSettings(File());
  SelectGroup("g");
  WriteKeyLong("k", 2);
  EXPECT_FALSE(CloseSettings());
  EXPECT_EQ(std::filesystem::file_size(file_), 0x90000000ull);
  std::filesystem::resize_file(file_, 8);
  EXPECT_EQ(Get(), "[g]\nk=1\n");
}

#ifdef _WIN32

TEST_F(Faults, AFileHeldByAnotherHandleKeepsItsContent) {
  Put(oldFile);
  HANDLE holder = CreateFileA(File(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(OpenSettings(File()), 0);
  SelectGroup("Shopping");
  EXPECT_EQ(ReadKeyLong("XPos", -1), -1);  // nothing could be read
  WriteKeyLong("XPos", 1);
  EXPECT_FALSE(CloseSettings());
  CloseHandle(holder);
  EXPECT_EQ(Get(), oldFile);
}

TEST_F(Faults, WhileOpenTheFileMayBeReadButNotWrittenByOthers) {
  Put(oldFile);
  OpenSettings(File());
  HANDLE reader = CreateFileA(File(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE writer = CreateFileA(File(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
}

// Opened for reading only: read as usual, but the write-back fails and the file is kept.
void ExpectWriteBackRefused(const char* file) {
  EXPECT_EQ(OpenSettings(file), 1);
  SelectGroup("Shopping");
  EXPECT_EQ(ReadKeyLong("XPos", -1), 100);
  WriteKeyString("Text", std::string(300, 'z').c_str());
  EXPECT_FALSE(CloseSettings());
}

TEST_F(Faults, AFileOthersHoldForReadingIsReadButNeverChanged) {
  Put(oldFile);
  HANDLE reader = CreateFileA(File(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  ExpectWriteBackRefused(File());
  CloseHandle(reader);
  EXPECT_EQ(Get(), oldFile);
}

TEST_F(Faults, AReadOnlyFileIsReadButNeverChanged) {
  Put(oldFile);
  ASSERT_TRUE(SetFileAttributesA(File(), FILE_ATTRIBUTE_READONLY));
  HANDLE probe = CreateFileA(File(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
    SetFileAttributesA(File(), FILE_ATTRIBUTE_NORMAL);
    GTEST_SKIP() << "this platform lets the user write read-only files (Wine run as root does)";
  }
  ExpectWriteBackRefused(File());
  SetFileAttributesA(File(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Get(), oldFile);
}

#endif

}  // namespace
