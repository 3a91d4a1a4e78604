// The tree the Quick Access pane draws: the groups of the feature model and
// the shortcut table, each in fixed-size slots.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/CFString.h"

constexpr int kMaxTreeGroups = 30;
constexpr int kMaxShortcuts = 99;
// A keyword field holds up to 72 characters and a NUL.
constexpr size_t kShortcutKeywordSize = 73;

struct ShortcutEntry {
  CFString name;  // the control's user-visible name
  char keyword[kShortcutKeywordSize] = {};
  // The keyword, cut to the field; false when it had to be cut.
  bool SetKeyword(const char* text);
};

struct TreeGroupEntry {
  CFString name;
  char keyword[kShortcutKeywordSize] = {};
  int32_t count = 0;
};

struct PPDTree {
  std::array<std::unique_ptr<TreeGroupEntry>, kMaxTreeGroups> groups;
  int32_t groupCount = 0;
  std::array<std::unique_ptr<ShortcutEntry>, kMaxShortcuts> shortcuts;
  int32_t shortcutCount = 0;

  // Appends a shortcut; false when the table is full.
  bool AddShortcut(const CFString& name, const char* keyword);
  void ClearShortcuts();
  // Appends a group with its count at 0; false when the table is full.
  bool AddGroup(const CFString& name, const char* keyword);
  void ClearGroups();
  // Both tables emptied.
  void Clear();
};
