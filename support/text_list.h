#pragma once
#include <cstdint>
#include <string>

// A doubly linked list of texts with a cursor; the program keeps its group names in one.
struct TextListElement {
  TextListElement* next;
  TextListElement* previous;
  std::string text;
};

struct TextListHeader {
  TextListElement* first;
  TextListElement* last;
  std::int32_t elementSize;
  std::int32_t count;
  std::int32_t index;
};

struct TextList {
  TextListHeader* header = nullptr;
  TextListElement* current = nullptr;
};

void TextListNew(TextList& list);
// Null when the element cannot be allocated; the list is then unchanged.
TextListElement* TextListInsert(TextList& list);
std::string& TextListCurrent(TextList& list);
void TextListRewind(TextList& list);
TextListElement* TextListAdvance(TextList& list);
void TextListRemoveCurrent(TextList& list, bool keepFollowing = false);
void TextListEmpty(TextList& list);
void TextListDispose(TextList& list);
