#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "memory.h"
#include "random.h"
#include "text.h"
#include "text_list.h"

namespace {

TEST(TextHelpers, ResultsOutgrowTheAreaWhileReadingFromIt) {
  EndTextHelpers();  // the next result starts a fresh area of 16 bytes
  std::size_t mark = ScratchMark();
  ScratchAppend(mark, "0123456789");
  EXPECT_STREQ(ScratchAppend(mark, ScratchTextAt(mark)), "01234567890123456789");
  std::size_t second = ScratchMark();
  std::string big(20000, 'x');
  FailAllocationsAfter(0);  // no room to grow: the empty result, and nothing below it lost
  EXPECT_STREQ(ScratchAppend(second, big.c_str()), "");
  FailAllocationsAfter(-1);
  EXPECT_EQ(std::string(ReplaceAll(ScratchTextAt(mark), "5", big.c_str())), "01234" + big + "678901234" + big + "6789");
  ScratchRewind(second);  // the result copied out, as every caller does
  EXPECT_STREQ(ScratchTextAt(mark), "01234567890123456789");
  if (sizeof(std::size_t) == 4) {  // a worst case beyond 32 bits is refused, not wrapped into a small area
    std::string megabyte(1 << 20, 'a'), growth(4097, 'b');
    EXPECT_STREQ(ReplaceAll(megabyte.c_str(), "a", growth.c_str()), "");
  }
}

TEST(TextHelpers, ReplaceAll) {
  struct Case { const char *source, *search, *with; bool ignoreCase; long start; const char* result; };
  const Case cases[] = {
      {"aaa", "aa", "b", false, 1, "ba"}, {"ab", "b", "bbbb", false, 1, "abbbb"},  // never rescans
      {"abc", "", "zz", false, 1, "abc"}, {"abc", "", "zz", false, 3, "abc"}, {nullptr, "a", "b", false, 1, ""},
      {"abc", "b", nullptr, false, 1, "ac"}, {"aZbzc", "z", "-", true, 1, "a-b-c"},
      {"aZbzc", "z", "-", false, 1, "aZb-c"}, {"\xC9t\xE9", "\xE9", "e", true, 1, "\xC9te"},  // only ASCII folds
      {"xxxx", "x", "y", false, 3, "xxyy"}, {"xxxx", "x", "y", false, 0, "yyyy"}, {"xx", "x", "y", false, 3, "xx"},
      {"xx", "x", "y", false, 5, "xx"}, {"A@[z", "a@[Z", "-", true, 1, "-"}};  // A and Z fold, @ and [ do not
  for (const Case& c : cases)
    EXPECT_EQ(std::string(ReplaceAll(c.source, c.search, c.with, c.ignoreCase, c.start)), c.result)
        << (c.source ? c.source : "(none)") << " / " << c.search << " from " << c.start;
}

TEST(Utf8Converters, StopWhereACharacterDoesNotFitOrCannotBeOneByte) {
  struct Case { bool decode; std::string input; std::int32_t room; std::string output; int status; std::int32_t consumed; };
  const Case cases[] = {
      {true, "\xC3\xA9", 16, "\xE9", 0, 2}, {true, "\xC3\xBF", 16, "\xFF", 0, 2}, {true, "\xC4\x80", 16, "", -2, 0},
      {true, "a\xE2\x82\xAC", 16, "a", -2, 1}, {true, "\xE0\x83\xA9", 16, "", -2, 0},  // overlong forms never decode
      {true, "\xF0\x80\x83\xA9", 16, "", -2, 0}, {true, "p\xC1\x9D", 16, "p", -2, 1}, {true, "\xC0\x80", 16, "", -2, 0}, {true, "ab\xC3", 16, "ab", 0, 2}, {true, "\xE2\x82", 16, "", 0, 0},
      {true, "\x80", 16, "", -2, 0}, {true, "\xF8\x80", 16, "", -2, 0}, {true, "\xC3\x41", 16, "", -2, 0},
      {true, "\xC3\xC3", 16, "", -2, 0}, {true, "abc", 2, "ab", 0, 2}, {true, "a\xC3\xA9", 1, "a", 0, 1},
      {true, {"\x7F\0", 2}, 16, {"\x7F\0", 2}, 0, 2},  // both ends of the one-byte range
      {false, "A\x7F\x80\xE9\xFF", 16, "A\x7F\xC2\x80\xC3\xA9\xC3\xBF", 0, 5},
      {false, "A\x7F\x80\xE9\xFF", 3, "A\x7F", 0, 2}, {false, "A\x7F\x80\xE9\xFF", 4, "A\x7F\xC2\x80", 0, 3}};
  for (const Case& c : cases) {
    std::uint8_t out[16];
    std::int32_t room = c.room, count = static_cast<std::int32_t>(c.input.size());
    const auto* in = reinterpret_cast<const std::uint8_t*>(c.input.data());
    int status = c.decode ? Utf8ToLatin1(out, &room, in, &count) : Latin1ToUtf8(out, &room, in, &count);
    EXPECT_EQ(std::make_tuple(std::string(reinterpret_cast<char*>(out), room), status, count),
              std::make_tuple(c.output, c.status, c.consumed)) << c.input << " into " << c.room;
  }
  for (auto [text, valid] : {std::pair<std::string, bool>{"\xF4\x8F\xBF\xBF \xE2\x9C\x93", true}, {"\xC0\xAE", false},
                             {"\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF\xF0\x90\x80\x80", true},
                             {"\xBF\x80", false}, {"\xC1\xBF", false}, {"\xE0\x9F\xBF", false}, {"\xF0\x8F\xBF\xBF", false},
                             {"\xED\xA0\x80", false}, {"\xED\xBF\xBF", false}, {"\xF4\x90\x80\x80", false}, {"ab\xE2\x82", false}})
    EXPECT_EQ(IsUtf8(text.data(), text.size()), valid) << text;
}

// Runs the operations (i insert, r rewind, a advance, x remove, k remove keeping the following,
// e empty, n new) and tells the texts, the current one, the index, the count and the last one.
std::string AfterOperations(const std::string& operations) {
  TextList list;
  TextListNew(list);
  char label = 'A';
  for (char op : operations) {
    if (op == 'i' && TextListInsert(list)) TextListCurrent(list) = std::string(1, label++);
    if (op == 'r') TextListRewind(list);
    if (op == 'a') TextListAdvance(list);
    if (op == 'x' || op == 'k') TextListRemoveCurrent(list, op == 'k');
    if (op == 'e') TextListEmpty(list);
    if (op == 'n') TextListNew(list);
  }
  std::string state;
  for (TextListElement* e = list.header->first; e; e = e->next) state += e->text;
  state += " " + TextListCurrent(list) + " " + std::to_string(list.header->index) + " " +
           std::to_string(list.header->count) + " " + (list.header->last ? list.header->last->text : "-");
  TextListDispose(list);
  return state;
}

TEST(TextListTest, CursorRules) {
  const std::pair<const char*, const char*> cases[] = {
      {"aa", "  0 0 -"}, {"iii", "ABC C 3 3 C"},
      {"iiiraaaai", "ABCD D 4 4 D"},  // at the end C stays current, so the insert appends
      {"iiri", "CAB C 1 3 B"},        // after a rewind: at the head
      {"iiiraax", "AC A 1 2 C"}, {"iiirax", "BC  0 2 C"}, {"iiirak", "BC B 1 2 C"}, {"iiix", "AB B 2 2 B"},
      {"ixi", "B B 1 1 B"}, {"iirx", "AB  0 2 B"}, {"iiiei", "D D 1 1 D"}, {"iin", "  0 0 -"}};
  for (const auto& [operations, state] : cases) EXPECT_EQ(AfterOperations(operations), state) << operations;
}

// A new note's place: both ends of the range and nothing beyond.
TEST(RandomTest, RangeEnds) {
  std::set<std::int32_t> seen;
  for (int i = 0; i < 20000; ++i) seen.insert(RandomUpTo(800));
  EXPECT_EQ(std::make_pair(*seen.begin(), *seen.rbegin()), std::make_pair(0, 800));
}

}  // namespace
