#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "memory.h"
#include "object_table.h"

namespace {

struct Entry {  // as in every table of the layer, a non-zero handle first marks it in use
  void* handle;
  int value;
};

std::vector<ObjectNumber> hooked;
ObjectTable* tables[8];  // never freed, like the layer's own
ObjectTable* current = nullptr;

// Like the layer's hooks: destroys whatever has the number.
void RemoveOnReuse(ObjectNumber number) {
  hooked.push_back(number);
  ReleaseEntry(current, number);
}

void NewTable(int at) {
  hooked.clear();
  current = tables[at] = CreateObjectTable(sizeof(Entry), 16, RemoveOnReuse);
}

Entry* Claim(ObjectNumber number, int value, bool givesHandle = true) {
  auto* entry = static_cast<Entry*>(ClaimEntry(current, number));
  if (entry && givesHandle) *entry = Entry{entry, value};
  return entry;
}

// The values in walk order; each entry is found again under the number the walk gives.
std::vector<int> Walk() {
  std::vector<int> values;
  StartWalk(current);
  ObjectNumber number = 0;
  while (auto* entry = static_cast<Entry*>(NextInWalk(current, &number))) {
    EXPECT_EQ(FindEntry(current, number), entry);
    values.push_back(entry->value);
  }
  return values;
}

TEST(ObjectTableTest, ClaimsGrowReplaceAndWalkInOrder) {
  const ObjectNumber any = AnyNumber;
  const struct {
    const char* rule;
    std::vector<ObjectNumber> numbers;  // claimed in order, with values 1, 2, 3...
    bool lastGetsNoHandle;              // as when its platform object fails to come into being
    long allocations;                   // that succeed before all fail; -1: no limit
    std::vector<int> walk;
    int capacity;
    std::vector<ObjectNumber> hooked;
  } cases[] = {
      {"growing to a number leaves the rest free", {3, 1000, 7, 4}, true, -1, {1, 3, 2}, 1016, {3, 1000, 7, 4}},
      {"a numbered claim replaces the holder", {5, 5, any}, false, -1, {2, 3}, 16, {5, 5}},
      {"numbers ascending, then listed oldest first", {any, 3, any, 1, any}, false, -1, {4, 2, 1, 3, 5}, 16, {3, 1}},
      {"refusals change nothing", {2, 500, any, INT32_MAX, -5}, false, 0, {1}, 16, {2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rule);
    NewTable(&c - cases);
    FailAllocationsAfter(c.allocations);
    for (std::size_t at = 0; at < c.numbers.size(); ++at) {
      Claim(c.numbers[at], static_cast<int>(at) + 1, !c.lastGetsNoHandle || at + 1 < c.numbers.size());
    }
    FailAllocationsAfter(-1);
    EXPECT_EQ(Walk(), c.walk);
    EXPECT_EQ(current->capacity, c.capacity);
    EXPECT_EQ(hooked, c.hooked);
    // The capacity itself lies one past the slots: found nowhere, and released without a write.
    for (ObjectNumber free : {ObjectNumber{0}, ObjectNumber{4}, ObjectNumber{999}, ObjectNumber{c.capacity}}) {
      EXPECT_EQ(FindEntry(current, free), nullptr) << free;
      ReleaseEntry(current, free);
    }
  }
}

}  // namespace
