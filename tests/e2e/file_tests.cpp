// Files as the program finds them: loaded as stored, never rewritten without a command, and
// nothing they hold lost, however odd, unreadable or unwritable they are.
#include <algorithm>
#include <functional>
#include <random>

#include "fixture.h"

namespace {

using Files = E2eTest;

// 1 "A": shown, not on top; 3 "B": hidden; 5 "C": translucent, rolled up, on top.
std::string ThreeNotes() {
  std::vector<std::string> lines = GroupLines("A", 40, 50, 258, "one\\ntwo", 255, 65280, 0, 0, 0, 0);
  for (const auto& group : {GroupLines("B", 300, 60, 128, "hidden", 0, 8252912, 1, 1, 0, 0),
                            GroupLines("C", 600, 400, 388, "tall", 0, 16777215, 0, 1, 1, 1)}) {
    lines.insert(lines.end(), group.begin(), group.end());
  }
  return CrLfLines(lines);
}

TEST_F(Files, GroupsBecomeNotesOneThreeFiveWithTheirStoredStatesAndCheckMarks) {
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(ThreeNotes(), 5));
  for (int absent : {2, 4, 6, 7}) EXPECT_EQ(Note(absent), nullptr) << absent;
  struct Shown {
    int note;
    RECT place;
    bool visible, topmost;
    int alpha;
    const char *title, *text;
  };
  for (const Shown& s : {Shown{1, {40, 50, 298, 308}, true, false, 255, "A", "one\r\ntwo"},
                         Shown{3, {300, 60, 428, 188}, false, true, 255, "B", "hidden"},
                         Shown{5, {600, 400, 988, 424}, true, true, 144, "C", "tall"}}) {
    SCOPED_TRACE(s.note);
    HWND note = Note(s.note);
    RECT place = Outer(note);
    EXPECT_EQ(std::vector<long>({place.left, place.top, place.right, place.bottom}),
              std::vector<long>({s.place.left, s.place.top, s.place.right, s.place.bottom}));
    EXPECT_EQ(IsWindowVisible(note) != 0, s.visible);
    EXPECT_EQ(Topmost(note), s.topmost);
    EXPECT_EQ(Alpha(note), s.alpha);
    EXPECT_EQ(TextOf(TitleStrip(s.note)), s.title);
    EXPECT_EQ(TextOf(EditArea(s.note)), s.text);
  }
  EXPECT_EQ(File(), ThreeNotes());
  // The stored states are the check marks that the commands turn over.
  std::string expected = WithKey(ThreeNotes(), "C", "Rollup", "0");
  EXPECT_EQ(Command(5, RollUpItem), expected);
  expected = WithKey(expected, "C", "Alpha", "0");
  EXPECT_EQ(Command(5, TransparentItem), expected);
  expected = WithKey(expected, "C", "OnTop", "0");
  EXPECT_EQ(Command(5, OnTopItem), expected);
  EXPECT_EQ(Command(1, OnTopItem), WithKey(expected, "A", "OnTop", "1"));
}

TEST_F(Files, AHandEditedFileStaysByteForByteUntilACommandWritesItInShape) {
  const std::string handEdited = "  ; list\n[Shopping]   \nxpos=100\n   YPos   =  50   \n\n[Work]\nText=a\\nb\n";
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(handEdited, 3));
  // Neither group has a "Title": the title strips show the group names.
  EXPECT_EQ(TextOf(TitleStrip(1)), "Shopping");
  EXPECT_EQ(TextOf(TitleStrip(3)), "Work");
  EXPECT_EQ(TextOf(EditArea(3)), "a\r\nb");
  EXPECT_EQ(Outer(Note(1)).left, 100);
  EXPECT_EQ(Outer(Note(1)).top, 50);
  ASSERT_NO_FATAL_FAILURE(Barrier());
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

struct BadFile {
  const char* name;
  std::string bytes;
  std::string kept;  // what the file begins with after a new note; none: it cannot change
  bool writable;
  std::function<void(const Place&)> prepare;
};

// Read-only, and immutable on the host, since Wine running as root writes read-only files.
void MakeReadOnly(const Place& dir) {
  SetFileAttributesA(InPlace(dir, "Settings.ini").c_str(), FILE_ATTRIBUTE_READONLY);
  RunOnHost("chattr +i '" + dir.unix + "/Settings.ini'");
}

TEST_F(Files, BadFilesLoadAndAreNeverRewrittenWithoutACommandNorLoseWhatTheyHold) {
  const std::string one = CrLfLines(GroupLines("Kept", 30, 30, 128, "x", 0, 8252912, 0, 0, 0, 0));
  const std::string nul("[A]\r\nText = a\0b\r\nSize = 128\r\n", 29);
  const std::string odd = "top = level\r\n; note\r\n[Twice]\r\nSize=128\r\n[twice]\r\n[]\r\nlonely\r\n"
                          "[Spaced] name ]\rXPos=7\r\n\xEF\xBB\xBF[Caf\xC3\xA9]\r\nText = tab\there\r\n";
  const std::string line(10 * 1024 * 1024, 'x');
  HANDLE held = INVALID_HANDLE_VALUE;
  const BadFile cases[] = {
      {"garbage", Garbage(), "", true, nullptr},
      {"nul bytes", nul, nul, true, nullptr},
      {"byte-order mark alone", "\xEF\xBB\xBF", "\xEF\xBB\xBF\r\n", true, nullptr},
      {"odd lines", odd, "top = level\r\n; note\r\n[Twice]\r\nSize = 128\r\n", true, nullptr},
      // A line without "=" is a key with an empty value.
      {"ten megabyte line", line, line + " = \r\n", true, nullptr},
      {"directory", "", "", false,
       [](const Place& dir) { CreateDirectoryA(InPlace(dir, "Settings.ini").c_str(), nullptr); }},
      {"read-only", one, "", false, MakeReadOnly},
      {"held by another program", one, "", false,
       [&](const Place& dir) {
         held = CreateFileA(InPlace(dir, "Settings.ini").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
       }},
  };
  for (const BadFile& c : cases) {
    SCOPED_TRACE(c.name);
    dir = FreshDirectory(std::string("e2e.BadFiles.") + c.name);
    if (!c.bytes.empty()) WriteBytes(InPlace(dir, "Settings.ini"), c.bytes);
    if (c.prepare) c.prepare(dir);
    ASSERT_NO_FATAL_FAILURE(Relaunch());
    EXPECT_TRUE(!c.writable || WaitForLoad());
    ASSERT_NO_FATAL_FAILURE(Barrier());
    if (held == INVALID_HANDLE_VALUE) EXPECT_EQ(File(), c.bytes);
    PostCommand(app.owner, NewNoteItem);
    EXPECT_TRUE(AnswerTitle(Dialog("InputRequester"), "Fresh"));
    PostCommand(app.owner, HideAllItem);
    ASSERT_NO_FATAL_FAILURE(Barrier());
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    held = INVALID_HANDLE_VALUE;
    std::string after = File();
    std::size_t fresh = after.find("[Fresh]\r\n");
    if (c.writable) {
      EXPECT_EQ(after.compare(0, c.kept.size(), c.kept), 0);
      ASSERT_NE(fresh, std::string::npos);
      EXPECT_EQ(std::count(after.begin() + static_cast<std::ptrdiff_t>(fresh), after.end(), '\n'), 15);
    } else {
      EXPECT_EQ(after, c.bytes);
    }
    ASSERT_NO_FATAL_FAILURE(Exit());
    EXPECT_EQ(File(), after);
    DWORD kind = GetFileAttributesA(InPlace(dir, "Settings.ini").c_str()) & FILE_ATTRIBUTE_DIRECTORY;
    EXPECT_EQ(kind, c.bytes.empty() ? FILE_ATTRIBUTE_DIRECTORY : 0u);
    if (!c.writable) RunOnHost("chattr -i '" + dir.unix + "/Settings.ini'");
  }
}

TEST_F(Files, AKillBetweenCommandsLeavesACompleteFileThatLoads) {
  const std::string file = CrLfLines(GroupLines("Steady", 30, 30, 258, "x", 0, 8252912, 0, 1, 0, 0));
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(file, 1));
  for (int round = 0; round < 2; ++round) {
    std::string before = File();
    for (int i = 0; i < 30; ++i) PostCommand(Note(1), i % 2 ? OnTopItem : TransparentItem);
    ASSERT_TRUE(WaitUntil([&] { return File() != before; }));
    ASSERT_TRUE(KillApp(app));
    std::string after = File();
    EXPECT_EQ(std::count(after.begin(), after.end(), '\n'), 15) << after;
    EXPECT_EQ(after.substr(0, 60), file.substr(0, 60));
    ASSERT_NO_FATAL_FAILURE(Relaunch());
    ASSERT_TRUE(WaitUntil([&] { return Note(1) != nullptr; }) && WaitForLoad());
  }
}

}  // namespace
