#include "foundation/PointerList.h"

#include <new>

PNode::~PNode() {
  prev = nullptr;
  next = nullptr;
}

PointerList::PointerList() {
  head_.next = &tail_;
  tail_.prev = &head_;
}

PointerList::PointerList(const PointerList& other) : PointerList() {
  for (ConstPointerListItr it = other.Begin(); it != other.End(); ++it) PushBack(*it);
}

PointerList& PointerList::operator=(const PointerList& other) {
  if (this == &other) return *this;
  MakeEmpty();
  for (ConstPointerListItr it = other.Begin(); it != other.End(); ++it) PushBack(*it);
  return *this;
}

PointerList::~PointerList() {
  MakeEmpty();
}

bool PointerList::PushFront(const void* data) {
  return InsertBefore(Begin(), data) != End();
}

bool PointerList::PushBack(const void* data) {
  return InsertBefore(End(), data) != End();
}

PointerListItr PointerList::InsertBefore(PointerListItr at, const void* data) {
  PNode* before = at.Node();
  if (!before) before = &tail_;
  if (before == &head_) before = head_.next;  // nothing can precede the head
  PNode* node = new (std::nothrow) PNode(data, before->prev, before);
  if (!node) return End();
  before->prev->next = node;
  before->prev = node;
  ++count_;
  return PointerListItr(node);
}

PointerListItr PointerList::Erase(PointerListItr at) {
  PNode* node = at.Node();
  if (!node) return Begin();
  if (IsSentinel(node)) return End();
  PNode* after = node->next;
  node->prev->next = after;
  after->prev = node->prev;
  delete node;  // nodes belong to the list
  --count_;
  return PointerListItr(after);
}

PointerListItr PointerList::Erase(PointerListItr first, PointerListItr last) {
  if (!first.Node()) return last;  // a null position erases nothing
  while (first != last && first != End() && first.Node() != &head_) first = Erase(first);
  return last;
}

void PointerList::PopFront() {
  if (count_) Erase(Begin());
}

void PointerList::PopBack() {
  if (count_) Erase(PointerListItr(tail_.prev));
}

void PointerList::MakeEmpty() {
  while (count_) PopFront();
}

void PointerList::Splice(PointerList& other) {
  if (&other == this || other.count_ == 0) return;
  PNode* first = other.head_.next;
  PNode* last = other.tail_.prev;
  first->prev = tail_.prev;
  tail_.prev->next = first;
  last->next = &tail_;
  tail_.prev = last;
  count_ += other.count_;
  other.head_.next = &other.tail_;
  other.tail_.prev = &other.head_;
  other.count_ = 0;
}
