#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "note_rules.h"
#include "note_text.h"

namespace {

TEST(NoteTextTest, EncodingPutsEveryLineBreakOnOneLineAndTabsAsBlanks) {
  EXPECT_EQ(EncodeNoteText("ab\r\ncd"), "ab\\ncd");
  EXPECT_EQ(EncodeNoteText("a\tb"), "a b");
  // Lone CRs and LFs, in either order, each become a break of their own.
  EXPECT_EQ(EncodeNoteText("a\rb\nc"), "a\\nb\\nc");
  EXPECT_EQ(EncodeNoteText("a\n\rb"), "a\\n\\nb");
  EXPECT_EQ(EncodeNoteText("a\r\r\nb"), "a\\n\\nb");
  EXPECT_EQ(EncodeNoteText("end\r\n"), "end\\n");
  // Backslashes are not escaped: the rule is not reversible for them.
  EXPECT_EQ(EncodeNoteText("c:\\new"), "c:\\new");
  EXPECT_EQ(EncodeNoteText(nullptr), "");
  EXPECT_EQ(EncodeNoteText("").size(), 0u);
}

TEST(NoteTextTest, DecodingTurnsOnlyLowerCaseBackslashNIntoCrLf) {
  EXPECT_EQ(DecodeNoteText("ab\\ncd"), "ab\r\ncd");
  EXPECT_EQ(DecodeNoteText("ab\\Ncd"), "ab\\Ncd");
  EXPECT_EQ(DecodeNoteText("a b"), "a b");
  EXPECT_EQ(DecodeNoteText("\\n\\n"), "\r\n\r\n");
  EXPECT_EQ(DecodeNoteText(EncodeNoteText("one\r\ntwo\rthree\nfour\r\n").c_str()),
            "one\r\ntwo\r\nthree\r\nfour\r\n");
}

TEST(NoteTextTest, CleanTitleTrimsAndReplacesWhatWouldBreakTheGroupLine) {
  EXPECT_EQ(CleanNoteTitle("  Shopping\t "), "Shopping");
  EXPECT_EQ(CleanNoteTitle("[a] b]"), "[a) b)");
  EXPECT_EQ(CleanNoteTitle("a\x01"
                           "b\rc\nd\x7f"
                           "e"),
            "a b c d e");
  EXPECT_EQ(CleanNoteTitle("\x02Inside\x03"), "Inside");
  EXPECT_EQ(CleanNoteTitle("Caf\xE9 \x80"), "Caf\xE9 \x80");
  EXPECT_EQ(CleanNoteTitle(" \t\x05 "), "");
  EXPECT_EQ(CleanNoteTitle(""), "");
  EXPECT_EQ(CleanNoteTitle(nullptr), "");
}

TEST(NoteTextTest, FreeTitleAppendsTheFirstFreeNumberIgnoringCase) {
  EXPECT_EQ(FreeNoteTitle("Shopping", {}), "Shopping");
  EXPECT_EQ(FreeNoteTitle("Shopping", {"Work", "Shopping list"}), "Shopping");
  EXPECT_EQ(FreeNoteTitle("Shopping", {"shopping"}), "Shopping (2)");
  EXPECT_EQ(FreeNoteTitle("Shopping", {"SHOPPING", "shopping (2)", "Shopping (4)"}), "Shopping (3)");
  // Only ASCII letters fold: a Latin-1 letter in another case is another name.
  EXPECT_EQ(FreeNoteTitle("\xE9t\xE9", {"\xC9T\xC9"}), "\xE9t\xE9");
}

TEST(NoteTextTest, ShownTitleIsTheGroupNameUnlessTheStoredTitleMatchesItButForCase) {
  EXPECT_EQ(ShownNoteTitle("Work", "Work"), "Work");
  EXPECT_EQ(ShownNoteTitle("Work", "WORK"), "WORK");
  EXPECT_EQ(ShownNoteTitle("Work", ""), "Work");
  EXPECT_EQ(ShownNoteTitle("Work", "Play"), "Work");
  EXPECT_EQ(ShownNoteTitle("Work", "Work "), "Work");
}

TEST(NoteTextTest, AboutTextHasItsLinesInPlaceAndIsTheSameEveryTime) {
  std::string about = AboutText();
  ASSERT_FALSE(about.empty());
  EXPECT_EQ(about.back(), '\n');
  std::vector<std::string> lines;
  std::istringstream in(about);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], "Tackpad v1.1");
  for (int empty : {1, 4, 6}) EXPECT_EQ(lines[empty], "") << "line " << empty;
  for (int credit : {2, 3, 5}) EXPECT_FALSE(lines[credit].empty()) << "line " << credit;
  EXPECT_EQ(about.find('\r'), std::string::npos);
  EXPECT_EQ(AboutText(), about);
}

TEST(NoteRulesTest, EditHeightFillsTheSquareBelowTheTitleStrip) {
  EXPECT_EQ(EditHeightFor(SmallSize), 103);
  EXPECT_EQ(EditHeightFor(NormalSize), 233);
  EXPECT_EQ(EditHeightFor(LargeSize), 363);
  EXPECT_EQ(EditHeightFor(300), 275);
  EXPECT_EQ(EditHeightFor(0), 0);
  EXPECT_EQ(EditHeightFor(10), 0);
}

TEST(NoteRulesTest, NoteNumbersNeverReachTheOwnerWindowAndAreNeverReused) {
  for (std::int32_t start : {0, 1}) {  // no file, or a loaded one
    std::set<std::int32_t> seen;
    std::int32_t number = start;
    for (int i = 0; i < 700; ++i) {
      number = NextNoteNumber(number);
      EXPECT_NE(number, OwnerWindow);
      EXPECT_TRUE(CanBeNote(number));
      EXPECT_TRUE(seen.insert(number).second) << number;
    }
  }
  EXPECT_EQ(NextNoteNumber(0), 2);
  EXPECT_EQ(NextNoteNumber(996), 998);
  EXPECT_EQ(NextNoteNumber(998), 1002);
  EXPECT_EQ(NextNoteNumber(999), 1001);
  EXPECT_FALSE(CanBeNote(OwnerWindow));
  EXPECT_FALSE(CanBeNote(0));
}

}  // namespace
