// Files as the program finds them: loaded as stored, never rewritten without a command, and
// nothing they hold lost, however odd, unreadable or unwritable they are.
#include <algorithm>
#include <functional>
#include <random>

#include "fixture.h"

namespace {

using Files = E2eTest;

TEST_F(Files, AHandEditedFileStaysByteForByteUntilACommandWritesItInShape) {
  const std::string handEdited = "  ; list\n[Shopping]   \nxpos=100\n   YPos   =  50   \n\n[Work]\nText=a\\nb\n";
  ASSERT_NO_FATAL_FAILURE(Launch(handEdited.c_str(), 3));
  // Neither group has a "Title": the title strips show the group names.
  EXPECT_EQ(TextOf(TitleStrip(1)), "Shopping");
  EXPECT_EQ(TextOf(TitleStrip(3)), "Work");
  EXPECT_EQ(TextOf(EditArea(3)), "a\r\nb");
  EXPECT_EQ(Outer(Note(1)).left, 100);
  EXPECT_EQ(Outer(Note(1)).top, 50);
  EXPECT_EQ(File(), handEdited);
  EXPECT_EQ(Command(1, HideNoteItem), CrLfLines({"; list", "[Shopping]", "XPos = 100", "YPos = 50", "Size = 0",
                                                  "Hidden = 1", "[Work]", "Text = a\\nb"}));
}

// Random bytes, NULs and line ends included, but no "[": no group comes of them.
std::string Garbage() {
  std::mt19937 random(7);
  std::string bytes(4096, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  std::replace(bytes.begin(), bytes.end(), '[', ']');
  return bytes;
}

TEST_F(Files, BadFilesLoadAndAreNeverRewrittenWithoutACommandNorLoseWhatTheyHold) {
  const std::string one = CrLfLines(GroupLines("Kept", 30, 30, 128, "x", 0, 8252912, 0, 0, 0, 0));
  const std::string nul("[A]\r\nText = a\0b\r\nSize = 128\r\n", 29);
  const std::string odd = "top = level\r\n; note\r\n[Twice]\r\nSize=128\r\n[twice]\r\n[]\r\nlonely\r\n"
                          "[Spaced] name ]\rXPos=7\r\n\xEF\xBB\xBF[Caf\xC3\xA9]\r\nText = tab\there\r\n";
  const std::string line(10 * 1024 * 1024, 'x');
  HANDLE held = INVALID_HANDLE_VALUE;
  struct BadFile {
    const char* name;
    std::string bytes;  // NoFile: a directory of that name
    std::string kept;   // what the file begins with after a new note; none: it cannot change
    std::function<void(const std::string& path)> prepare;
  };
  // The immutable file comes last, where TearDown makes it mutable again whatever failed.
  const BadFile cases[] = {
      {"garbage", Garbage(), "", nullptr},
      {"nul bytes", nul, nul, nullptr},
      {"byte-order mark alone", "\xEF\xBB\xBF", "\xEF\xBB\xBF\r\n", nullptr},
      {"odd lines", odd, "top = level\r\n; note\r\n[Twice]\r\nSize = 128\r\n", nullptr},
      // A line without "=" is a key with an empty value.
      {"ten megabyte line", line, line + " = \r\n", nullptr},
      {"directory", NoFile, "", [](const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }},
      {"held by another program", one, "",
       [&](const std::string& path) {
         held = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
       }},
      // Wine running as root writes read-only files: the host makes it immutable.
      {"read-only", one, "",
       [this](const std::string& path) {
         SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
         RunOnHost("chattr +i '" + dir.unix + "/Settings.ini'");
       }},
  };
  for (const BadFile& c : cases) {
    SCOPED_TRACE(c.name);
    dir = FreshDirectory(std::string("e2e.BadFiles.") + c.name);
    const std::string path = InPlace(dir, "Settings.ini");
    const bool writable = !c.prepare;
    if (c.bytes != NoFile) WriteBytes(path, c.bytes);
    if (c.prepare) c.prepare(path);
    ASSERT_NO_FATAL_FAILURE(Start(0, writable));
    EXPECT_EQ(File(), held == INVALID_HANDLE_VALUE ? c.bytes : NoFile);
    NewNote("Fresh");
    PostCommand(app.owner, HideAllItem);
    ASSERT_NO_FATAL_FAILURE(Barrier());
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    held = INVALID_HANDLE_VALUE;
    std::string after = File();
    std::size_t fresh = after.find("[Fresh]\r\n");
    if (writable) {
      EXPECT_EQ(after.compare(0, c.kept.size(), c.kept), 0);
      ASSERT_NE(fresh, std::string::npos);
      EXPECT_EQ(std::count(after.begin() + static_cast<std::ptrdiff_t>(fresh), after.end(), '\n'), 15);
    } else {
      EXPECT_EQ(after, c.bytes);
    }
    ASSERT_NO_FATAL_FAILURE(Exit());
    EXPECT_EQ(File(), after);
    DWORD kind = GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY;
    EXPECT_EQ(kind, c.bytes == NoFile ? FILE_ATTRIBUTE_DIRECTORY : 0u);
  }
}

TEST_F(Files, AKillBetweenCommandsLeavesACompleteFileThatLoads) {
  const std::string file = CrLfLines(GroupLines("Steady", 30, 30, 258, "x", 0, 8252912, 0, 1, 0, 0));
  ASSERT_NO_FATAL_FAILURE(Launch(file.c_str(), 1));
  for (int round = 0; round < 2; ++round) {
    std::string before = File();
    for (int i = 0; i < 30; ++i) PostCommand(Note(1), i % 2 ? OnTopItem : TransparentItem);
    ASSERT_TRUE(WaitUntil([&] { return File() != before; }));
    ASSERT_TRUE(Kill());
    std::string after = File();
    EXPECT_EQ(std::count(after.begin(), after.end(), '\n'), 15) << after;
    EXPECT_EQ(after.substr(0, 60), file.substr(0, 60));
    ASSERT_NO_FATAL_FAILURE(Start(1));
  }
}

}  // namespace
