// The collection behind a Settings store: items keyed by (tag, id), each with
// attribute bits and a block of bytes, kept in the order they were added so
// that positions (1-based) walk them the same way every time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

struct SettingsItem {
  uint32_t tag = 0;
  int32_t id = 0;
  uint32_t attributes = 0;
  std::vector<uint8_t> data;
};

struct OpaqueCollection {
  // Null when no item has this key.
  SettingsItem* Find(uint32_t tag, int32_t id);
  const SettingsItem* Find(uint32_t tag, int32_t id) const;
  // Appends a new item at the end; null (nothing added) when the key is taken.
  SettingsItem* Append(SettingsItem item);
  // Removes the item with this key; false when there is none.
  bool Erase(uint32_t tag, int32_t id);
  void Clear();

  size_t Count() const { return items_.size(); }
  // 1-based position; null outside 1..Count().
  const SettingsItem* AtPosition(int64_t position) const;
  const std::vector<SettingsItem>& Items() const { return items_; }

 private:
  static uint64_t Key(uint32_t tag, int32_t id) {
    return (uint64_t{tag} << 32) | static_cast<uint32_t>(id);
  }

  std::vector<SettingsItem> items_;
  std::unordered_map<uint64_t, size_t> index_;  // key -> offset in items_
};

using Collection = OpaqueCollection*;
