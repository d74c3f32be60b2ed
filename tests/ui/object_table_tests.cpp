#include <gtest/gtest.h>

#include <vector>

#include "memory.h"
#include "object_table.h"

namespace {

struct Entry {
  void* handle;  // non-zero while in use, as in every table of the layer
  int value;
};

std::vector<ObjectNumber> hookCalls;
ObjectTable* hookedTable = nullptr;

// Behaves like the layer's hooks: destroys the object that has the number, if any.
void RemoveOnReuse(ObjectNumber number) {
  hookCalls.push_back(number);
  if (FindEntry(hookedTable, number)) ReleaseEntry(hookedTable, number);
}

class ObjectTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hookCalls.clear();
    table = hookedTable = CreateObjectTable(sizeof(Entry), 16, RemoveOnReuse);
    ASSERT_NE(table, nullptr);
  }
  void TearDown() override {
    FailAllocationsAfter(-1);
    DestroyObjectTable(table);
  }
  Entry* Claim(ObjectNumber number, int value) {
    auto* entry = static_cast<Entry*>(ClaimEntry(table, number));
    if (entry) *entry = Entry{entry, value};
    return entry;
  }
  std::vector<int> Walk(bool releaseEach = false) {
    std::vector<int> values;
    StartWalk(table);
    ObjectNumber number = 0;
    while (auto* entry = static_cast<Entry*>(NextInWalk(table, &number))) {
      values.push_back(entry->value);
      if (releaseEach) ReleaseEntry(table, number);
    }
    return values;
  }
  ObjectTable* table = nullptr;
};

ObjectNumber NameOf(Entry* entry) { return reinterpret_cast<ObjectNumber>(entry); }

TEST_F(ObjectTableTest, GrowsPastTheLargestNumberAndFindsOnlyEntriesInUse) {
  Claim(3, 30);
  ClaimEntry(table, 4);  // claimed but never given a handle: stays free
  ASSERT_NE(Claim(1000, 7), nullptr);
  EXPECT_EQ(table->capacity, 1016);
  for (ObjectNumber n = 0; n < 1000; ++n) {
    if (n == 3) continue;
    ASSERT_EQ(FindEntry(table, n), nullptr) << n;
  }
  EXPECT_EQ(static_cast<Entry*>(FindEntry(table, 3))->value, 30);
  EXPECT_EQ(static_cast<Entry*>(FindEntry(table, 1000))->value, 7);
  EXPECT_EQ(FindEntry(table, 5000), nullptr);
  ReleaseEntry(table, 3);
  ReleaseEntry(table, 123456);  // nothing there: nothing happens
  EXPECT_EQ(FindEntry(table, 3), nullptr);
}

TEST_F(ObjectTableTest, ReuseHookReplacesTheOldObjectButNotForAnyNumber) {
  Claim(5, 1);
  Entry* second = Claim(5, 2);
  EXPECT_EQ(hookCalls, (std::vector<ObjectNumber>{5, 5}));
  EXPECT_EQ(FindEntry(table, 5), second);
  Claim(AnyNumber, 3);
  EXPECT_EQ(hookCalls.size(), 2u);
  EXPECT_EQ(Walk(), (std::vector<int>{2, 3}));
}

TEST_F(ObjectTableTest, WalkGoesByNumberThenOldestListedFirstAndSurvivesReleases) {
  Entry* listed = Claim(AnyNumber, 100);
  Claim(3, 3);
  Entry* middle = Claim(AnyNumber, 101);
  Claim(1, 1);
  Claim(AnyNumber, 102);
  EXPECT_EQ(FindEntry(table, NameOf(listed)), listed);
  EXPECT_EQ(table->capacity, 16);
  EXPECT_EQ(Walk(), (std::vector<int>{1, 3, 100, 101, 102}));

  StartWalk(table);
  ObjectNumber number = 0;
  for (int i = 0; i < 3; ++i) NextInWalk(table, &number);
  ReleaseEntry(table, NameOf(middle));  // the cursor stood on it
  EXPECT_EQ(static_cast<Entry*>(NextInWalk(table, &number))->value, 102);
  EXPECT_EQ(FindEntry(table, NameOf(middle)), nullptr);
  ReleaseEntry(table, NameOf(middle));  // a second release finds nothing to free

  EXPECT_EQ(Walk(true), (std::vector<int>{1, 3, 100, 102}));
  EXPECT_TRUE(Walk().empty());
  EXPECT_EQ(table->listHead, nullptr);
}

TEST_F(ObjectTableTest, RefusedMemoryOrOversizedNumbersLeaveTheTableAsItWas) {
  Claim(2, 2);
  FailAllocationsAfter(0);
  EXPECT_EQ(ClaimEntry(table, 500), nullptr);
  EXPECT_EQ(ClaimEntry(table, AnyNumber), nullptr);
  FailAllocationsAfter(-1);
  EXPECT_EQ(ClaimEntry(table, ObjectNumber{INT32_MAX}), nullptr);
  EXPECT_EQ(table->capacity, 16);
  EXPECT_EQ(hookCalls.size(), 1u);  // a refused claim calls no hook
  EXPECT_EQ(Walk(), (std::vector<int>{2}));
}

}  // namespace
