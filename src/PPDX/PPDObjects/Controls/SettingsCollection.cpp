#include "PPDX/PPDObjects/Controls/SettingsCollection.h"

SettingsItem* OpaqueCollection::Find(uint32_t tag, int32_t id) {
  auto it = index_.find(Key(tag, id));
  return it == index_.end() ? nullptr : &items_[it->second];
}

const SettingsItem* OpaqueCollection::Find(uint32_t tag, int32_t id) const {
  auto it = index_.find(Key(tag, id));
  return it == index_.end() ? nullptr : &items_[it->second];
}

SettingsItem* OpaqueCollection::Append(SettingsItem item) {
  if (!index_.emplace(Key(item.tag, item.id), items_.size()).second) return nullptr;
  items_.push_back(std::move(item));
  return &items_.back();
}

bool OpaqueCollection::Erase(uint32_t tag, int32_t id) {
  auto it = index_.find(Key(tag, id));
  if (it == index_.end()) return false;
  size_t at = it->second;
  index_.erase(it);
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(at));
  // Later items moved one place forward.
  for (auto& entry : index_)
    if (entry.second > at) --entry.second;
  return true;
}

void OpaqueCollection::Clear() {
  items_.clear();
  index_.clear();
}

const SettingsItem* OpaqueCollection::AtPosition(int64_t position) const {
  if (position < 1 || static_cast<uint64_t>(position) > items_.size()) return nullptr;
  return &items_[static_cast<size_t>(position - 1)];
}
