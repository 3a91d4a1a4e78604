// An intrusive doubly linked list: each element carries its own links. The
// list owns its elements and destroys them through their virtual destructor.
#pragma once

#include <cstdint>

class PtrLinkList;

class LinkElement_Dual {
 public:
  LinkElement_Dual() = default;
  LinkElement_Dual(const LinkElement_Dual&) = delete;
  LinkElement_Dual& operator=(const LinkElement_Dual&) = delete;
  virtual ~LinkElement_Dual() = default;

  LinkElement_Dual* Next() const { return next_; }
  LinkElement_Dual* Prev() const { return prev_; }

 private:
  friend class PtrLinkList;
  LinkElement_Dual* next_ = nullptr;
  LinkElement_Dual* prev_ = nullptr;
};

class LinkElementDualIterator {
 public:
  explicit LinkElementDualIterator(LinkElement_Dual* at = nullptr) : at_(at) {}

  LinkElement_Dual* operator*() const { return at_; }
  LinkElement_Dual* Get() const { return at_; }
  // Stepping off either end leaves the iterator at null, where it stays.
  LinkElementDualIterator& operator++() {
    if (at_) at_ = at_->Next();
    return *this;
  }
  LinkElementDualIterator& operator--() {
    if (at_) at_ = at_->Prev();
    return *this;
  }
  LinkElementDualIterator operator++(int) {
    LinkElementDualIterator was = *this;
    ++*this;
    return was;
  }
  LinkElementDualIterator operator--(int) {
    LinkElementDualIterator was = *this;
    --*this;
    return was;
  }
  bool operator==(const LinkElementDualIterator& other) const { return at_ == other.at_; }

 private:
  LinkElement_Dual* at_;
};

class PtrLinkList {
 public:
  // Takes over first when given (its links are reset).
  explicit PtrLinkList(LinkElement_Dual* first = nullptr);
  PtrLinkList(const PtrLinkList&) = delete;
  PtrLinkList& operator=(const PtrLinkList&) = delete;
  virtual ~PtrLinkList();
  // Debugging aid: one line per element on the standard error stream.
  virtual void dumpEntireList(char* title);

  // Appends and takes over the element; false, and nothing done, for null.
  bool add(LinkElement_Dual* element);
  // The i-th element from 0; null when i is not below the count.
  LinkElement_Dual* index(unsigned short i) const;

  uint32_t Count() const { return count_; }
  LinkElement_Dual* First() const { return first_; }
  LinkElement_Dual* Last() const { return last_; }
  bool OwnsElements() const { return ownsElements_; }
  // The list's own iterator, placed on the first element.
  LinkElementDualIterator& Iterator() { return iterator_; }

 private:
  LinkElement_Dual* first_ = nullptr;
  LinkElement_Dual* last_ = nullptr;
  uint32_t count_ = 0;
  bool ownsElements_ = true;
  LinkElementDualIterator iterator_;
};
