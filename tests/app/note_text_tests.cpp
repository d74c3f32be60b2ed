#include <gtest/gtest.h>

#include "note_rules.h"
#include "note_text.h"

namespace {

TEST(NoteText, ATextComesBackAsTypedAndOnlyABackslashBeforeNIsStoredEscaped) {
  // What an older copy shows of the stored text, where it differs from what comes back.
  const struct { const char *typed, *stored; bool marked; const char *back, *olderCopyShows; } cases[] = {
      {"two\r\nlines\ttab", "two\\nlines tab", false, "two\r\nlines tab", nullptr},
      {"lone\rCR\nLF", "lone\\nCR\\nLF", false, "lone\r\nCR\r\nLF", nullptr},
      {"\\\\server\\share \\N \\x", "\\\\server\\share \\N \\x", false, "\\\\server\\share \\N \\x", nullptr},
      {"ends in \\\r\nnext \\", "ends in \\\\nnext \\", false, "ends in \\\r\nnext \\", nullptr},
      {"Path: C:\\new\\notes\\todo.txt", "Path: C:\\\\new\\\\notes\\\\todo.txt", true, "Path: C:\\new\\notes\\todo.txt",
       "Path: C:\\\r\new\\\r\notes\\\\todo.txt"},
      {"^\\d+\\n$\r\n\\\\n", "^\\\\d+\\\\n$\\n\\\\\\\\n", true, "^\\d+\\n$\r\n\\\\n", "^\\\\d+\\\r\n$\r\n\\\\\\\r\n"},
      {"  \\n  ", "  \\\\n  ", true, "\\n", "\\\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    const StoredNoteText stored = EncodeNoteText(c.typed);
    EXPECT_EQ(stored.text, c.stored);
    EXPECT_EQ(!stored.mark.empty(), c.marked);
    std::string read = stored.text;  // as the file hands it back, without blanks at the ends
    read.erase(read.find_last_not_of(' ') + 1).erase(0, read.find_first_not_of(' '));
    EXPECT_EQ(DecodeNoteText(read.c_str(), stored.mark.c_str()), c.back);
    EXPECT_EQ(DecodeNoteText(read.c_str(), ""), c.olderCopyShows ? c.olderCopyShows : c.back);
  }
}

// From a size between the font dialog's sizes or beyond them, a step goes to the next one listed.
TEST(NoteText, ATextSizeBetweenOrBeyondTheListedOnesStepsToTheNextOneListed) {
  const struct { std::int32_t from; bool larger; std::int32_t to; } steps[] = {
      {13, true, 14}, {13, false, 12}, {0, true, 8}, {100, false, 72}, {72, true, 72}, {8, false, 8}, {36, false, 28}};
  for (const auto& step : steps) EXPECT_EQ(SteppedTextSize(step.from, step.larger), step.to) << step.from;
}

}  // namespace
