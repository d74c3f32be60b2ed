// Files the program cannot make sense of, cannot read or cannot write: it starts, keeps
// running, and never loses what the file held.
#include <random>

#include "fixture.h"

namespace {

using BadFiles = TackpadTest;

std::vector<std::string> NewNoteLines(const std::string& file, const std::string& title) {
  std::vector<std::string> lines = SplitCrLf(file);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == "[" + title + "]") return std::vector<std::string>(lines.begin() + static_cast<long>(i), lines.end());
  }
  return {};
}

// Random bytes, NULs and line ends included; without "[", so no group (and no note) comes of it.
std::string Garbage(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) {
    do c = static_cast<char>(random() & 0xFF);
    while (c == '[');
  }
  return bytes;
}

TEST_F(BadFiles, GarbageNulBytesAndAByteOrderMarkAloneLoadAndKeepTheirBytes) {
  struct Case {
    const char* name;
    std::string file;
    int lastNote;           // 0: the file holds no group
    std::string keptAhead;  // what the file must still begin with after a new note
  };
  const std::string nul("[A]\r\nText = a\0b\r\nSize = 128\r\n", 29);
  const std::string garbage = Garbage(4096, 7);
  const std::vector<Case> cases = {
      {"nul", nul, 1, nul},
      {"mark only", "\xEF\xBB\xBF", 0, "\xEF\xBB\xBF\r\n"},
      {"garbage", garbage, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NO_FATAL_FAILURE(c.lastNote ? LaunchAndWaitFor(c.file, c.lastNote) : Launch(c.file));
    ASSERT_NO_FATAL_FAILURE(Barrier());
    ASSERT_NO_FATAL_FAILURE(Exit());
    EXPECT_EQ(File(), c.file);

    ASSERT_NO_FATAL_FAILURE(c.lastNote ? LaunchAndWaitFor(c.file, c.lastNote) : Launch(c.file));
    std::string after = NewNoteTitled("Fresh");
    EXPECT_EQ(after.compare(0, c.keptAhead.size(), c.keptAhead), 0);
    EXPECT_EQ(NewNoteLines(after, "Fresh").size(), 15u);
    EXPECT_TRUE(AppRunning(app));
    ASSERT_NO_FATAL_FAILURE(Exit());
  }
}

TEST_F(BadFiles, ATenMegabyteLineIsKeptWhole) {
  std::string line(10 * 1024 * 1024, 'x');
  ASSERT_NO_FATAL_FAILURE(Launch(line));
  ASSERT_NO_FATAL_FAILURE(Barrier());
  std::string after = NewNoteTitled("Big");
  // A line without "=" is a key with an empty value: it gains " = " and nothing else.
  EXPECT_EQ(after.size(), line.size() + 5 + CrLfLines(NewNoteLines(after, "Big")).size());
  EXPECT_EQ(after.compare(0, line.size() + 5, line + " = \r\n"), 0);
  ASSERT_NO_FATAL_FAILURE(Exit());
}

TEST_F(BadFiles, ADirectoryNamedLikeTheFileLoadsNothingAndStaysADirectory) {
  dir = FreshDirectory("BadFiles.Directory");
  ASSERT_TRUE(CreateDirectoryA(SettingsPath().c_str(), nullptr));
  ASSERT_NO_FATAL_FAILURE(Relaunch());
  ASSERT_NO_FATAL_FAILURE(Barrier());
  PostMenuItem(app.owner, NewNote);
  ASSERT_NO_FATAL_FAILURE(AnswerTitle("Nowhere"));
  ASSERT_NO_FATAL_FAILURE(WaitForNewNote(3));
  ASSERT_NO_FATAL_FAILURE(Barrier());
  EXPECT_NE(GetFileAttributesA(SettingsPath().c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  ASSERT_NO_FATAL_FAILURE(Exit());
}

// Read-only, and immutable on the host: Wine running as root would write it all the same.
class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const Place& place) : unixPath_(place.unix + "/Settings.ini") {
    SetFileAttributesA(InPlace(place, "Settings.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    RunOnHost("chattr +i '" + unixPath_ + "'");
  }
  ~ReadOnlyFile() { RunOnHost("chattr -i '" + unixPath_ + "'"); }

 private:
  std::string unixPath_;
};

bool Writable(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

TEST_F(BadFiles, AReadOnlyFileLoadsAndIsNeverChanged) {
  std::string file = CrLfLines(GroupLines("Kept", 30, 30, 128, "x", 0, 8252912, 0, 0, 0, 0));
  dir = FreshDirectory("BadFiles.ReadOnly");
  WriteBytes(SettingsPath(), file);
  ReadOnlyFile readOnly(dir);
  if (Writable(SettingsPath())) GTEST_SKIP() << "the file cannot be made read-only here";
  ASSERT_NO_FATAL_FAILURE(Relaunch());
  ASSERT_TRUE(WaitUntil([&] { return Note(1) && IsWindowVisible(Note(1)); }));
  ASSERT_TRUE(Ping(app));
  PostMenuItem(Note(1), Large);
  PostMenuItem(app.owner, HideAll);
  ASSERT_NO_FATAL_FAILURE(Barrier());
  EXPECT_FALSE(IsWindowVisible(Note(1)));
  EXPECT_EQ(InnerSize(Note(1)).cx, 388);
  EXPECT_EQ(File(), file);
  ASSERT_NO_FATAL_FAILURE(Exit());
  EXPECT_EQ(File(), file);
}

TEST_F(BadFiles, AFileHeldOpenByAnotherProgramIsNeverReplaced) {
  std::string file = CrLfLines(GroupLines("Held", 30, 30, 128, "x", 0, 8252912, 0, 0, 0, 0));
  dir = FreshDirectory("BadFiles.Held");
  WriteBytes(SettingsPath(), file);
  HANDLE held = CreateFileA(SettingsPath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ASSERT_NO_FATAL_FAILURE(Relaunch());
  ASSERT_NO_FATAL_FAILURE(Barrier());
  PostMenuItem(app.owner, NewNote);
  ASSERT_NO_FATAL_FAILURE(AnswerTitle("Elsewhere"));
  ASSERT_NO_FATAL_FAILURE(WaitForNewNote(3));
  PostMenuItem(app.owner, HideAll);
  ASSERT_NO_FATAL_FAILURE(Barrier());
  CloseHandle(held);
  EXPECT_EQ(File(), file);
  EXPECT_TRUE(AppRunning(app));
  ASSERT_NO_FATAL_FAILURE(Exit());
  EXPECT_EQ(File(), file);
}

TEST_F(BadFiles, KillingTheProgramBetweenCommandsLeavesACompleteLoadableFile) {
  std::string file = CrLfLines(GroupLines("Steady", 30, 30, 258, "x", 0, 8252912, 0, 1, 0, 0));
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(file, 1));
  for (int round = 0; round < 3; ++round) {
    std::string before = File();
    for (int i = 0; i < 30; ++i) PostMenuItem(Note(1), i % 2 ? OnTop : Transparent);
    ASSERT_TRUE(WaitUntil([&] { return File() != before; }));
    KillApp(app);
    std::string after = File();
    std::vector<std::string> lines = SplitCrLf(after);
    ASSERT_EQ(lines.size(), 15u) << after;
    EXPECT_EQ(after.substr(after.size() - 2), "\r\n");
    EXPECT_EQ(ValueIn(after, "Steady", "Rollup"), "0");
    ASSERT_NO_FATAL_FAILURE(Relaunch());
    ASSERT_TRUE(WaitUntil([&] { return Note(1) && IsWindowVisible(Note(1)); }));
    ASSERT_TRUE(Ping(app));
  }
}

}  // namespace
