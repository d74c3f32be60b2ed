#include "text_list.h"

#include <new>

void TextListNew(TextList& list) {
  TextListDispose(list);
  list.header = new (std::nothrow) TextListHeader{nullptr, nullptr, sizeof(TextListElement), 0, 0};
  list.current = nullptr;
}

TextListElement* TextListInsert(TextList& list) {
  TextListHeader* h = list.header;
  if (!h) return nullptr;
  TextListElement* element = new (std::nothrow) TextListElement{nullptr, nullptr, std::string()};
  if (!element) return nullptr;
  TextListElement* after = list.current;
  element->previous = after;
  element->next = after ? after->next : h->first;
  if (element->next) element->next->previous = element;
  else h->last = element;
  if (after) after->next = element;
  else h->first = element;
  list.current = element;
  ++h->count;
  ++h->index;
  return element;
}

std::string& TextListCurrent(TextList& list) {
  static std::string none;
  if (!list.current) {
    none.clear();
    return none;
  }
  return list.current->text;
}

void TextListRewind(TextList& list) {
  list.current = nullptr;
  if (list.header) list.header->index = 0;
}

TextListElement* TextListAdvance(TextList& list) {
  TextListHeader* h = list.header;
  if (!h) return nullptr;
  TextListElement* next = list.current ? list.current->next : h->first;
  if (!next) return nullptr;
  list.current = next;
  ++h->index;
  return next;
}

void TextListRemoveCurrent(TextList& list, bool keepFollowing) {
  TextListHeader* h = list.header;
  TextListElement* element = list.current;
  if (!h || !element) return;
  --h->count;
  --h->index;
  if (!element->previous && !element->next) {
    h->first = h->last = nullptr;
    list.current = nullptr;
  } else if (!element->previous) {
    h->first = element->next;
    h->first->previous = nullptr;
    list.current = nullptr;
    if (keepFollowing) {
      list.current = h->first;
      ++h->index;
    }
  } else if (!element->next) {
    h->last = element->previous;
    h->last->next = nullptr;
    list.current = h->last;
  } else {
    element->previous->next = element->next;
    element->next->previous = element->previous;
    list.current = element->previous;
  }
  delete element;
}

void TextListEmpty(TextList& list) {
  TextListRewind(list);
  while (TextListAdvance(list)) TextListRemoveCurrent(list);
}

void TextListDispose(TextList& list) {
  if (!list.header) return;
  TextListEmpty(list);
  delete list.header;
  list.header = nullptr;
  list.current = nullptr;
}
