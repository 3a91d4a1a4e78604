// A doubly linked list of untyped pointers between two sentinel nodes. The
// list owns its nodes, never the data they point to.
#pragma once

#include <cstdint>

class PNode {
 public:
  explicit PNode(const void* data = nullptr, PNode* prev = nullptr, PNode* next = nullptr)
      : data(const_cast<void*>(data)), prev(prev), next(next) {}
  PNode(const PNode&) = delete;
  PNode& operator=(const PNode&) = delete;
  // Clears the links; the data is not the node's to free.
  virtual ~PNode();

  void* data;
  PNode* prev;
  PNode* next;
};

class PointerListItr {
 public:
  explicit PointerListItr(PNode* node = nullptr) : node_(node) {}

  // The node's data; null for a null position (and for the sentinels).
  void* operator*() const { return node_ ? node_->data : nullptr; }
  PointerListItr& operator++() {
    if (node_) node_ = node_->next;
    return *this;
  }
  PointerListItr& operator--() {
    if (node_) node_ = node_->prev;
    return *this;
  }
  PointerListItr operator++(int) {
    PointerListItr was = *this;
    ++*this;
    return was;
  }
  PointerListItr operator--(int) {
    PointerListItr was = *this;
    --*this;
    return was;
  }
  bool operator==(const PointerListItr& other) const { return node_ == other.node_; }
  PNode* Node() const { return node_; }

 private:
  PNode* node_;
};

class ConstPointerListItr {
 public:
  explicit ConstPointerListItr(const PNode* node = nullptr) : node_(node) {}
  ConstPointerListItr(const PointerListItr& other) : node_(other.Node()) {}  // NOLINT

  const void* operator*() const { return node_ ? node_->data : nullptr; }
  ConstPointerListItr& operator++() {
    if (node_) node_ = node_->next;
    return *this;
  }
  ConstPointerListItr& operator--() {
    if (node_) node_ = node_->prev;
    return *this;
  }
  ConstPointerListItr operator++(int) {
    ConstPointerListItr was = *this;
    ++*this;
    return was;
  }
  ConstPointerListItr operator--(int) {
    ConstPointerListItr was = *this;
    --*this;
    return was;
  }
  bool operator==(const ConstPointerListItr& other) const { return node_ == other.node_; }
  const PNode* Node() const { return node_; }

 private:
  const PNode* node_;
};

class PointerList {
 public:
  PointerList();
  // Copies the pointers in order (the data is shared, not copied).
  PointerList(const PointerList& other);
  PointerList& operator=(const PointerList& other);
  ~PointerList();

  bool Empty() const { return count_ == 0; }
  uint64_t Size() const { return count_; }

  // The first real node, or End() when empty.
  PointerListItr Begin() { return PointerListItr(head_.next); }
  PointerListItr End() { return PointerListItr(&tail_); }
  ConstPointerListItr Begin() const { return ConstPointerListItr(head_.next); }
  ConstPointerListItr End() const { return ConstPointerListItr(&tail_); }

  // Data of the first / last node; null when empty.
  void* Front() const { return count_ ? head_.next->data : nullptr; }
  void* Back() const { return count_ ? tail_.prev->data : nullptr; }

  // These return false when no node could be allocated.
  bool PushFront(const void* data);
  bool PushBack(const void* data);
  // Inserts before a position of this list and returns the new node's position.
  // A null position means End(); End() is returned when allocation fails.
  PointerListItr InsertBefore(PointerListItr at, const void* data);

  // Unlinks and frees a node and returns the position after it. A null
  // position erases nothing and yields Begin(); End() (or the head sentinel)
  // erases nothing and yields End().
  PointerListItr Erase(PointerListItr at);
  // Erases [first, last) and returns last; stops at End() if last is not reached.
  PointerListItr Erase(PointerListItr first, PointerListItr last);

  void PopFront();  // no effect when empty
  void PopBack();   // no effect when empty
  void MakeEmpty();
  // Moves every node of other to the end of this list without allocating;
  // other is left empty.
  void Splice(PointerList& other);

 private:
  bool IsSentinel(const PNode* node) const { return node == &head_ || node == &tail_; }

  uint64_t count_ = 0;
  PNode head_;
  PNode tail_;
};
