#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "note_text.h"

namespace {

TEST(NoteTextTest, TextTravelsOnOneLineAndOnlyLowerCaseBackslashNComesBackAsALineBreak) {
  struct Case { std::string (*convert)(const char*); const char *text, *result; };
  const Case cases[] = {
      {EncodeNoteText, "ab\r\ncd", "ab\\ncd"}, {EncodeNoteText, "a\tb", "a b"}, {EncodeNoteText, "a\rb\nc", "a\\nb\\nc"},
      {EncodeNoteText, "a\n\rb", "a\\n\\nb"}, {EncodeNoteText, "a\r\r\nb", "a\\n\\nb"}, {EncodeNoteText, "end\r\n", "end\\n"},
      {EncodeNoteText, "c:\\new", "c:\\new"}, {EncodeNoteText, nullptr, ""}, {DecodeNoteText, "ab\\ncd", "ab\r\ncd"},
      {DecodeNoteText, "ab\\Ncd", "ab\\Ncd"}, {DecodeNoteText, "\\n\\n", "\r\n\r\n"}, {DecodeNoteText, "a\\\\nb", "a\\\r\nb"},
      {DecodeNoteText, nullptr, ""}};
  for (const Case& c : cases) EXPECT_EQ(c.convert(c.text), c.result) << (c.text ? c.text : "(none)");
}

TEST(NoteTextTest, CleanTitleFitsAGroupLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"  Shopping\t ", "Shopping"}, {"[a] b]", "[a) b)"}, {"a\x01" "b\rc\nd\x7f" "e\x1f" "f", "a b c d e f"},
      {"\x02Inside\x03", "Inside"}, {"Caf\xE9 \x80", "Caf\xE9 \x80"}, {" \t\x05 ", ""}, {nullptr, ""}};
  for (const auto& [title, clean] : cases) EXPECT_EQ(CleanNoteTitle(title), clean) << (title ? title : "(none)");
}

TEST(NoteTextTest, FreeTitleTakesTheFirstFreeNumberIgnoringAsciiCase) {
  struct Case { const char* title; std::vector<std::string> taken; const char* free; };
  const Case cases[] = {{"Work", {}, "Work"}, {"Work", {"Play", "Work list", "Wor"}, "Work"}, {"Work", {"work"}, "Work (2)"},
                        {"Work", {"WORK", "work (2)", "Work (4)"}, "Work (3)"}, {"\xE9t\xE9", {"\xC9T\xC9"}, "\xE9t\xE9"}};
  for (const Case& c : cases) EXPECT_EQ(FreeNoteTitle(c.title, c.taken), c.free) << c.title;
}

}  // namespace
