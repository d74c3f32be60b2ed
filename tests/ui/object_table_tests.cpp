#include <gtest/gtest.h>

#include <vector>

#include "memory.h"
#include "object_table.h"

namespace {

struct Entry {
  void* handle;
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
  ObjectNumber Handle(Entry* entry) { return reinterpret_cast<ObjectNumber>(entry); }

  std::vector<int> WalkValues(bool releaseEach = false) {
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

TEST_F(ObjectTableTest, GrowsPastTheLargestNumberAndKeepsEntries) {
  EXPECT_EQ(table->capacity, 16);
  Claim(3, 30);
  ASSERT_NE(Claim(1000, 7), nullptr);
  EXPECT_EQ(table->capacity, 1016);
  for (ObjectNumber n = 0; n < 1000; ++n) {
    if (n == 3) continue;
    EXPECT_EQ(FindEntry(table, n), nullptr) << n;
  }
  ASSERT_NE(FindEntry(table, 3), nullptr);
  EXPECT_EQ(static_cast<Entry*>(FindEntry(table, 3))->value, 30);
  EXPECT_EQ(static_cast<Entry*>(FindEntry(table, 1000))->value, 7);
  EXPECT_EQ(FindEntry(table, 1015), nullptr);
  EXPECT_EQ(FindEntry(table, 5000), nullptr);
}

TEST_F(ObjectTableTest, FindsOnlyEntriesInUse) {
  EXPECT_EQ(FindEntry(table, 4), nullptr);
  ClaimEntry(table, 4);  // claimed, but no handle stored: still free
  EXPECT_EQ(FindEntry(table, 4), nullptr);
  Claim(4, 1);
  EXPECT_NE(FindEntry(table, 4), nullptr);
  ReleaseEntry(table, 4);
  EXPECT_EQ(FindEntry(table, 4), nullptr);
  ReleaseEntry(table, 9);  // never claimed: nothing happens
  ReleaseEntry(table, 123456);
  EXPECT_EQ(table->capacity, 16);
}

TEST_F(ObjectTableTest, ReuseHookReplacesTheOldObjectButNotForAnyNumber) {
  Claim(5, 1);
  Entry* second = Claim(5, 2);
  EXPECT_EQ(hookCalls, (std::vector<ObjectNumber>{5, 5}));
  EXPECT_EQ(FindEntry(table, 5), second);
  EXPECT_EQ(WalkValues(), (std::vector<int>{2}));
  Claim(AnyNumber, 3);
  EXPECT_EQ(hookCalls.size(), 2u);
}

TEST_F(ObjectTableTest, AnyNumberObjectsAreNamedByTheirEntryAddress) {
  Entry* first = Claim(AnyNumber, 1);
  Entry* second = Claim(AnyNumber, 2);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(FindEntry(table, Handle(first)), first);
  EXPECT_EQ(FindEntry(table, Handle(second)), second);
  EXPECT_EQ(table->capacity, 16);

  ReleaseEntry(table, Handle(first));
  EXPECT_EQ(FindEntry(table, Handle(first)), nullptr);
  EXPECT_EQ(FindEntry(table, Handle(second)), second);
  ReleaseEntry(table, Handle(first));  // a second release finds nothing to free
  EXPECT_EQ(WalkValues(), (std::vector<int>{2}));
}

TEST_F(ObjectTableTest, WalkVisitsNumbersAscendingThenListedOldestFirst) {
  Claim(AnyNumber, 100);
  Claim(3, 3);
  Claim(AnyNumber, 101);
  Claim(1, 1);
  Claim(AnyNumber, 102);
  Claim(20, 20);
  EXPECT_EQ(WalkValues(), (std::vector<int>{1, 3, 20, 100, 101, 102}));
}

TEST_F(ObjectTableTest, ReleasingDuringTheWalkEmptiesTheTable) {
  Claim(3, 3);
  Claim(1, 1);
  Claim(AnyNumber, 100);
  Claim(AnyNumber, 101);
  EXPECT_EQ(WalkValues(true), (std::vector<int>{1, 3, 100, 101}));
  EXPECT_TRUE(WalkValues().empty());
  EXPECT_EQ(table->listHead, nullptr);
}

TEST_F(ObjectTableTest, ReleasingAnUnvisitedListedObjectSkipsItInTheWalk) {
  Entry* a = Claim(AnyNumber, 100);
  Entry* b = Claim(AnyNumber, 101);
  Claim(AnyNumber, 102);
  StartWalk(table);
  ObjectNumber number = 0;
  ASSERT_EQ(NextInWalk(table, &number), a);
  ReleaseEntry(table, Handle(b));  // the cursor stood on it
  auto* next = static_cast<Entry*>(NextInWalk(table, &number));
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->value, 102);
  EXPECT_EQ(NextInWalk(table, &number), nullptr);
}

TEST_F(ObjectTableTest, RefusedMemoryLeavesTheTableAsItWas) {
  Claim(2, 2);
  FailAllocationsAfter(0);
  EXPECT_EQ(ClaimEntry(table, 500), nullptr);
  EXPECT_EQ(ClaimEntry(table, AnyNumber), nullptr);
  FailAllocationsAfter(-1);
  EXPECT_EQ(table->capacity, 16);
  EXPECT_EQ(WalkValues(), (std::vector<int>{2}));
  EXPECT_EQ(hookCalls.size(), 1u);  // the refused claim called no hook
}

TEST_F(ObjectTableTest, NumbersTooLargeForATableAreRefused) {
  EXPECT_EQ(ClaimEntry(table, ObjectNumber{INT32_MAX}), nullptr);
  EXPECT_EQ(ClaimEntry(table, -5), nullptr);
  EXPECT_EQ(table->capacity, 16);
}

}  // namespace
