#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "memory.h"
#include "text.h"

namespace {

// Copies a scratch result out and rewinds, as every caller does.
std::string Take(std::size_t mark, const char* result) {
  std::string copy = result;
  ScratchRewind(mark);
  return copy;
}

std::string Replace(const char* source, const char* search, const char* replacement, bool ignoreCase = false,
                    long start = 1) {
  std::size_t mark = ScratchMark();
  return Take(mark, ReplaceAll(source, search, replacement, ignoreCase, start));
}

class TextHelpers : public ::testing::Test {
 protected:
  void SetUp() override { StartTextHelpers(); }
  void TearDown() override { EndTextHelpers(); }
};

TEST_F(TextHelpers, ScratchGrowsByTheRuleAndKeepsWhatWasBuilt) {
  EXPECT_EQ(Scratch().capacity, 16u);
  std::size_t mark = ScratchMark();
  ScratchAppend(mark, "0123456789");  // fill 10 + 0 < 12: no growth yet
  EXPECT_EQ(Scratch().capacity, 16u);
  ScratchAppend(mark, "ab");          // 10 + 2 >= 16 - 4: grows to 10 + 2 + 16384
  EXPECT_EQ(Scratch().capacity, 10u + 2 + 16384);
  EXPECT_STREQ(ScratchTextAt(mark), "0123456789ab");
  EXPECT_EQ(Scratch().fill, 12u);
  ScratchRewind(mark);
  EXPECT_EQ(Scratch().fill, 0u);
}

TEST_F(TextHelpers, ArgumentsInsideTheAreaSurviveItsMove) {
  std::size_t mark = ScratchMark();
  const char* first = ScratchAppend(mark, "abc");
  std::size_t second = ScratchMark();
  // The source lies in the area, which must grow (and may move) to hold the result.
  std::string big(20000, 'x');
  std::string result = Take(second, ReplaceAll(first, "b", big.c_str()));
  EXPECT_EQ(result, "a" + big + "c");
  EXPECT_STREQ(ScratchTextAt(mark), "abc");
  std::size_t third = ScratchMark();
  EXPECT_EQ(Take(third, ScratchAppend(third, ScratchTextAt(mark))), "abc");
}

TEST_F(TextHelpers, ReplaceAllScansLeftToRightWithoutRescanning) {
  EXPECT_EQ(Replace("a\r\nb\r\n", "\r\n", "\\n"), "a\\nb\\n");
  EXPECT_EQ(Replace("no break", "\r\n", "\\n"), "no break");
  EXPECT_EQ(Replace("x\\ny\r\n", "\\n", "\r\n"), "x\r\ny\r\n");  // CR LF already there stays
  EXPECT_EQ(Replace("aaa", "aa", "b"), "ba");
  EXPECT_EQ(Replace("abc", "", "zz"), "abc");
  EXPECT_EQ(Replace(nullptr, "a", "b"), "");
  EXPECT_EQ(Replace("abc", "b", nullptr), "ac");
  EXPECT_EQ(Replace("a\tb", "\t", " "), "a b");
  EXPECT_EQ(Replace("ab", "b", "bbbb"), "abbbb");
}

TEST_F(TextHelpers, ReplaceAllFoldsCaseAndStartsWhereAsked) {
  EXPECT_EQ(Replace("aXbxc", "x", "-", true), "a-b-c");
  EXPECT_EQ(Replace("aXbxc", "x", "-", false), "aXb-c");
  EXPECT_EQ(Replace("xxxx", "x", "y", false, 3), "xxyy");
  EXPECT_EQ(Replace("xxxx", "x", "y", false, 0), "yyyy");
  EXPECT_EQ(Replace("xx", "x", "y", false, 3), "xx");
  EXPECT_EQ(Replace("\xC9t\xE9", "\xE9", "e", true), "\xC9te");  // only ASCII letters fold
}

TEST_F(TextHelpers, NumbersBlanksAndOrdering) {
  auto number = [](std::int32_t v) {
    std::size_t mark = ScratchMark();
    return Take(mark, NumberText(v));
  };
  EXPECT_EQ(number(0), "0");
  EXPECT_EQ(number(-1), "-1");
  EXPECT_EQ(number(2147483647), "2147483647");
  EXPECT_EQ(number(INT32_MIN), "-2147483648");
  EXPECT_EQ(number(768), "768");
  std::size_t mark = ScratchMark();
  EXPECT_EQ(Take(mark, BlankText(-5)), "");
  EXPECT_EQ(Take(mark, BlankText(1024)), std::string(1024, ' '));
  EXPECT_FALSE(TextGreater("", ""));
  EXPECT_FALSE(TextGreater(nullptr, ""));
  EXPECT_TRUE(TextGreater("a", ""));
  EXPECT_TRUE(TextGreater("\xE9", "z"));  // bytes compare unsigned
  EXPECT_FALSE(TextGreater("ab", "abc"));
}

TEST_F(TextHelpers, OutOfMemoryGivesTheEmptyResultAndKeepsTheArea) {
  std::size_t mark = ScratchMark();
  ScratchAppend(mark, "keep");
  FailAllocationsAfter(0);
  std::string big(20000, 'y');
  std::size_t second = ScratchMark();
  const char* result = ScratchAppend(second, big.c_str());
  FailAllocationsAfter(-1);
  EXPECT_STREQ(result, "");
  EXPECT_STREQ(ScratchTextAt(mark), "keep");
}

std::string FromUtf8(const std::string& in, int* status, std::int32_t capacity = 64, std::int32_t* consumed = nullptr) {
  std::uint8_t out[64];
  std::int32_t count = static_cast<std::int32_t>(in.size());
  *status = Utf8ToLatin1(out, &capacity, reinterpret_cast<const std::uint8_t*>(in.data()), &count);
  if (consumed) *consumed = count;
  return std::string(reinterpret_cast<char*>(out), static_cast<std::size_t>(capacity));
}

TEST(Utf8Converters, DecodeUpToByteValuesAndReportWhatWasConsumed) {
  int status;
  std::int32_t consumed;
  EXPECT_EQ(FromUtf8("\xC3\xA9", &status), "\xE9");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(FromUtf8("a\xE2\x82\xAC", &status, 64, &consumed), "a");
  EXPECT_EQ(status, -2);
  EXPECT_EQ(consumed, 1);
  EXPECT_EQ(FromUtf8("ab\xC3", &status, 64, &consumed), "ab");  // cut short: not consumed
  EXPECT_EQ(status, 0);
  EXPECT_EQ(consumed, 2);
  EXPECT_EQ(FromUtf8("\x80", &status), "");
  EXPECT_EQ(status, -2);
  EXPECT_EQ(FromUtf8("\xF8\x80", &status), "");
  EXPECT_EQ(status, -2);
  EXPECT_EQ(FromUtf8("\xC3\x41", &status), "");
  EXPECT_EQ(status, -2);
  EXPECT_EQ(FromUtf8("\xC1\x81", &status), "A");  // overlong forms pass
  EXPECT_EQ(FromUtf8("abc", &status, 2, &consumed), "ab");  // full output stops cleanly
  EXPECT_EQ(consumed, 2);
  EXPECT_EQ(status, 0);
}

TEST(Utf8Converters, EncodeNeedsRoomForTheWholeCharacter) {
  std::uint8_t out[8];
  const std::uint8_t in[] = {0x41, 0xE9, 0xFF};
  std::int32_t capacity = 8, count = 3;
  EXPECT_EQ(Latin1ToUtf8(out, &capacity, in, &count), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), capacity), "A\xC3\xA9\xC3\xBF");
  capacity = 2;
  count = 3;
  Latin1ToUtf8(out, &capacity, in, &count);
  EXPECT_EQ(capacity, 1);  // the second character needs two bytes and only one is left
  EXPECT_EQ(count, 1);
}

}  // namespace
