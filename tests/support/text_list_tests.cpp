#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text_list.h"

namespace {

std::vector<std::string> Walk(TextList& list) {
  std::vector<std::string> names;
  TextListRewind(list);
  while (TextListAdvance(list)) names.push_back(TextListCurrent(list));
  return names;
}

void Append(TextList& list, const char* text) {
  ASSERT_NE(TextListInsert(list), nullptr);
  TextListCurrent(list) = text;
}

TEST(TextListTest, InsertAppendsBehindTheCurrentAndRewindInsertsAtTheHead) {
  TextList list;
  TextListNew(list);
  EXPECT_EQ(TextListAdvance(list), nullptr);
  EXPECT_EQ(TextListAdvance(list), nullptr);
  Append(list, "A");
  Append(list, "B");
  EXPECT_EQ(Walk(list), (std::vector<std::string>{"A", "B"}));
  // At the end Advance yields none and B stays current: the next insert appends.
  EXPECT_EQ(TextListCurrent(list), "B");
  Append(list, "C");
  TextListRewind(list);
  Append(list, "head");
  EXPECT_EQ(Walk(list), (std::vector<std::string>{"head", "A", "B", "C"}));
  EXPECT_EQ(list.header->count, 4);
  TextListDispose(list);
  EXPECT_EQ(list.header, nullptr);
}

TEST(TextListTest, RemovingMovesTheCursorAsEachCaseSays) {
  TextList list;
  TextListNew(list);
  for (const char* t : {"a", "b", "c", "d"}) Append(list, t);
  TextListRewind(list);
  TextListAdvance(list);
  TextListAdvance(list);  // on b
  TextListRemoveCurrent(list);
  EXPECT_EQ(TextListCurrent(list), "a");  // middle: previous becomes current
  EXPECT_EQ(list.header->index, 1);
  TextListRewind(list);
  TextListAdvance(list);  // on a, the first
  TextListRemoveCurrent(list);
  EXPECT_EQ(list.current, nullptr);
  EXPECT_EQ(list.header->index, 0);
  TextListAdvance(list);
  TextListAdvance(list);  // on d, the last
  TextListRemoveCurrent(list);
  EXPECT_EQ(TextListCurrent(list), "c");
  EXPECT_EQ(list.header->last, list.current);
  TextListRemoveCurrent(list);  // the only one
  EXPECT_EQ(list.header->first, nullptr);
  EXPECT_EQ(list.header->last, nullptr);
  EXPECT_EQ(list.header->count, 0);
  TextListDispose(list);
}

TEST(TextListTest, EmptyLeavesAReusableList) {
  TextList list;
  TextListNew(list);
  for (const char* t : {"x", "y", "z"}) Append(list, t);
  TextListEmpty(list);
  EXPECT_EQ(list.header->count, 0);
  EXPECT_EQ(list.header->index, 0);
  EXPECT_EQ(list.current, nullptr);
  Append(list, "again");
  EXPECT_EQ(Walk(list), (std::vector<std::string>{"again"}));
  TextListNew(list);  // a new list over an old one disposes of it first
  EXPECT_EQ(list.header->count, 0);
  TextListDispose(list);
}

}  // namespace
