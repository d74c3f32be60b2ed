#pragma once
#include <cstdint>

// Every window, gadget, menu, tray icon and font is named by a number its creator picks.
// AnyNumber lets the table place the object; its name is then the entry's address.
using ObjectNumber = std::intptr_t;
constexpr ObjectNumber AnyNumber = -1;

// Called before an entry is handed out for a number: destroys whatever had that number.
using ReuseHook = void (*)(ObjectNumber);

struct ObjectNode;  // a listed AnyNumber object: links, then one entry

struct ObjectTable {
  std::int32_t entrySize;
  std::int32_t growthStep;
  std::int32_t capacity;
  ObjectNode* listHead;  // newest
  ReuseHook reuseHook;
  std::int32_t walkIndex;
  ObjectNode* walkNode;
  unsigned char* slots;
};

// Every entry begins with the native handle of its object; a zero handle means free.
// Tables live as long as the process.
ObjectTable* CreateObjectTable(std::int32_t entrySize, std::int32_t growthStep, ReuseHook reuseHook);

// Null when the table cannot grow or a node cannot be had.
void* ClaimEntry(ObjectTable* table, ObjectNumber number);
void* FindEntry(ObjectTable* table, ObjectNumber number);
void ReleaseEntry(ObjectTable* table, ObjectNumber number);

// Ascending numbers, then AnyNumber objects oldest first. The cursor is already past the
// object returned, so the caller may release it before asking for the next.
void StartWalk(ObjectTable* table);
void* NextInWalk(ObjectTable* table, ObjectNumber* number);  // null at the end
