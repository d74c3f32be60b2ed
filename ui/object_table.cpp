#include "object_table.h"

#include <cstdint>
#include <cstring>

#include "memory.h"

struct ObjectNode {
  ObjectNode* older;
  ObjectNode* newer;
};

namespace {

unsigned char* EntryOf(ObjectNode* node) { return reinterpret_cast<unsigned char*>(node + 1); }

unsigned char* SlotAt(ObjectTable* table, ObjectNumber index) {
  return table->slots + static_cast<std::size_t>(index) * static_cast<std::size_t>(table->entrySize);
}

bool InUse(const void* entry) {
  void* handle;
  std::memcpy(&handle, entry, sizeof handle);
  return handle != nullptr;
}

bool InTable(const ObjectTable* table, ObjectNumber number) {
  return number >= 0 && number < table->capacity;
}

ObjectNode* ListedNode(ObjectTable* table, ObjectNumber handle) {
  for (ObjectNode* node = table->listHead; node; node = node->older) {
    if (reinterpret_cast<ObjectNumber>(EntryOf(node)) == handle) return node;
  }
  return nullptr;
}

void* ClaimListedEntry(ObjectTable* table) {
  auto* node = static_cast<ObjectNode*>(AllocateBytes(sizeof(ObjectNode) + table->entrySize));
  if (!node) return nullptr;
  std::memset(node, 0, sizeof(ObjectNode) + table->entrySize);
  node->older = table->listHead;
  if (table->listHead) table->listHead->newer = node;
  table->listHead = node;
  return EntryOf(node);
}

bool GrowTo(ObjectTable* table, ObjectNumber number) {
  if (number > INT32_MAX - table->growthStep) return false;
  std::size_t capacity = static_cast<std::size_t>(number) + table->growthStep;
  if (capacity > SIZE_MAX / table->entrySize) return false;
  void* grown = ResizeBytes(table->slots, capacity * table->entrySize);
  if (!grown) return false;
  std::size_t oldBytes = static_cast<std::size_t>(table->capacity) * table->entrySize;
  std::memset(static_cast<unsigned char*>(grown) + oldBytes, 0, capacity * table->entrySize - oldBytes);
  table->slots = static_cast<unsigned char*>(grown);
  table->capacity = static_cast<std::int32_t>(capacity);
  return true;
}

void UnlinkNode(ObjectTable* table, ObjectNode* node) {
  if (node->newer) node->newer->older = node->older;
  else table->listHead = node->older;
  if (node->older) node->older->newer = node->newer;
  if (table->walkNode == node) table->walkNode = node->newer;
}

}  // namespace

ObjectTable* CreateObjectTable(std::int32_t entrySize, std::int32_t growthStep, ReuseHook reuseHook) {
  if (entrySize < static_cast<std::int32_t>(sizeof(void*)) || growthStep < 1) return nullptr;
  auto* table = static_cast<ObjectTable*>(AllocateBytes(sizeof(ObjectTable)));
  if (!table) return nullptr;
  *table = ObjectTable{entrySize, growthStep, 0, nullptr, reuseHook, 0, nullptr, nullptr};
  if (!GrowTo(table, 0)) {
    ReleaseBytes(table);
    return nullptr;
  }
  return table;
}

void* ClaimEntry(ObjectTable* table, ObjectNumber number) {
  if (number == AnyNumber) return ClaimListedEntry(table);
  if (number < 0) return nullptr;
  if (number >= table->capacity && !GrowTo(table, number)) return nullptr;
  if (table->reuseHook) table->reuseHook(number);
  return SlotAt(table, number);
}

void* FindEntry(ObjectTable* table, ObjectNumber number) {
  if (InTable(table, number)) {
    unsigned char* entry = SlotAt(table, number);
    return InUse(entry) ? entry : nullptr;
  }
  ObjectNode* node = ListedNode(table, number);
  return node && InUse(EntryOf(node)) ? EntryOf(node) : nullptr;
}

void ReleaseEntry(ObjectTable* table, ObjectNumber number) {
  if (InTable(table, number)) {
    std::memset(SlotAt(table, number), 0, table->entrySize);
    return;
  }
  ObjectNode* node = ListedNode(table, number);
  if (!node) return;
  UnlinkNode(table, node);
  ReleaseBytes(node);
}

void StartWalk(ObjectTable* table) {
  table->walkIndex = 0;
  ObjectNode* oldest = table->listHead;
  while (oldest && oldest->older) oldest = oldest->older;
  table->walkNode = oldest;
}

void* NextInWalk(ObjectTable* table, ObjectNumber* number) {
  while (table->walkIndex < table->capacity) {
    ObjectNumber index = table->walkIndex++;
    if (InUse(SlotAt(table, index))) {
      *number = index;
      return SlotAt(table, index);
    }
  }
  while (ObjectNode* node = table->walkNode) {
    table->walkNode = node->newer;
    if (InUse(EntryOf(node))) {
      *number = reinterpret_cast<ObjectNumber>(EntryOf(node));
      return EntryOf(node);
    }
  }
  return nullptr;
}
