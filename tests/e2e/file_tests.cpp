// Files as the program finds them: loaded as stored, never rewritten without a command, and
// nothing they hold lost, however odd they are.
#include <algorithm>
#include <random>

#include "fixture.h"

namespace {

using Files = E2eTest;

// Random bytes, NULs and line ends included, but no "[": no group comes of them.
std::string Garbage() {
  std::mt19937 random(7);
  std::string bytes(4096, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  std::replace(bytes.begin(), bytes.end(), '[', ']');
  return bytes;
}

// Files the store cannot own (a directory, read-only, held by another) are the settings tests'.
TEST_F(Files, OddFilesLoadAndAreNeverRewrittenWithoutACommandNorLoseWhatTheyHold) {
  const std::string line(10 * 1024 * 1024, 'x');
  struct OddFile {
    const char* name;
    std::string bytes;
    std::string kept;  // what the file begins with after a new note
  };
  const OddFile cases[] = {
      {"garbage", Garbage(), ""},
      {"byte-order mark alone", "\xEF\xBB\xBF", "\xEF\xBB\xBF\r\n"},
      {"ten megabyte line", line, line + " = \r\n"},  // a line without "=" is a key with an empty value
  };
  for (const OddFile& c : cases) {
    SCOPED_TRACE(c.name);
    dir = FreshDirectory(std::string("e2e.OddFiles.") + c.name);
    WriteBytes(InPlace(dir, "Settings.ini"), c.bytes);
    ASSERT_NO_FATAL_FAILURE(Start(0));
    EXPECT_EQ(File(), c.bytes);
    NewNote("Fresh");
    PostCommand(app.owner, HideAllItem);
    ASSERT_NO_FATAL_FAILURE(Barrier());
    const std::string after = File();
    EXPECT_EQ(after.compare(0, c.kept.size(), c.kept), 0);
    const std::size_t fresh = after.find("[Fresh]\r\n");
    ASSERT_NE(fresh, std::string::npos);
    EXPECT_EQ(std::count(after.begin() + static_cast<std::ptrdiff_t>(fresh), after.end(), '\n'), 15);
    ASSERT_NO_FATAL_FAILURE(Exit());
    EXPECT_EQ(File(), after);
  }
}

}  // namespace
