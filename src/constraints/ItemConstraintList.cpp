#include "constraints/ItemConstraintList.h"

#include <algorithm>

ItemConstraintList::~ItemConstraintList() = default;

ItemConstraintList ItemConstraintList::operator+(const ItemConstraintList& other) const {
  ItemConstraintList sum(*this);
  sum += other;
  return sum;
}

ItemConstraintList& ItemConstraintList::operator+=(const ItemConstraintList& other) {
  if (&other == this) {
    const std::vector<KVPair> copy(pairs_);
    pairs_.insert(pairs_.end(), copy.begin(), copy.end());
  } else {
    pairs_.insert(pairs_.end(), other.pairs_.begin(), other.pairs_.end());
  }
  return *this;
}

std::unique_ptr<KVPair> ItemConstraintList::operator[](long index) const {
  if (index < 0 || static_cast<size_t>(index) >= pairs_.size()) return nullptr;
  return std::make_unique<KVPair>(pairs_[static_cast<size_t>(index)]);
}

bool ItemConstraintList::Contains(const KVPair& pair) const {
  return std::find(pairs_.begin(), pairs_.end(), pair) != pairs_.end();
}
