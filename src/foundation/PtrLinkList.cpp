#include "foundation/PtrLinkList.h"

#include <cstdio>

PtrLinkList::PtrLinkList(LinkElement_Dual* first) {
  if (first) add(first);
}

PtrLinkList::~PtrLinkList() {
  if (!ownsElements_) return;
  LinkElement_Dual* at = first_;
  while (at) {
    LinkElement_Dual* next = at->next_;
    delete at;  // the list owns its elements by contract
    at = next;
  }
}

void PtrLinkList::dumpEntireList(char* title) {
  std::fprintf(stderr, "PtrLinkList %s: %u element(s)\n", title ? title : "", count_);
  uint32_t n = 0;
  for (LinkElement_Dual* at = first_; at; at = at->next_, ++n)
    std::fprintf(stderr, "  [%u] %p prev %p next %p\n", n, static_cast<void*>(at),
                 static_cast<void*>(at->prev_), static_cast<void*>(at->next_));
}

bool PtrLinkList::add(LinkElement_Dual* element) {
  if (!element) return false;
  element->next_ = nullptr;
  element->prev_ = last_;
  if (last_) {
    last_->next_ = element;
  } else {
    first_ = element;
    iterator_ = LinkElementDualIterator(first_);
  }
  last_ = element;
  ++count_;
  return true;
}

LinkElement_Dual* PtrLinkList::index(unsigned short i) const {
  if (i >= count_) return nullptr;
  LinkElement_Dual* at = first_;
  for (unsigned short k = 0; k < i && at; ++k) at = at->next_;
  return at;
}
