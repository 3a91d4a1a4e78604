#include "panel/PPDTree.h"

#include <algorithm>
#include <cstring>

bool ShortcutEntry::SetKeyword(const char* text) {
  const size_t length = text ? std::strlen(text) : 0;
  const size_t kept = std::min(length, kShortcutKeywordSize - 1);
  if (kept) std::memcpy(keyword, text, kept);
  keyword[kept] = 0;
  return kept == length;
}

bool PPDTree::AddShortcut(const CFString& name, const char* keyword) {
  if (shortcutCount < 0 || shortcutCount >= kMaxShortcuts) return false;
  auto entry = std::make_unique<ShortcutEntry>();
  entry->name = name;
  entry->SetKeyword(keyword);
  shortcuts[static_cast<size_t>(shortcutCount++)] = std::move(entry);
  return true;
}

void PPDTree::ClearShortcuts() {
  for (auto& entry : shortcuts) entry.reset();
  shortcutCount = 0;
}

bool PPDTree::AddGroup(const CFString& name, const char* keyword) {
  if (groupCount < 0 || groupCount >= kMaxTreeGroups) return false;
  auto entry = std::make_unique<TreeGroupEntry>();
  entry->name = name;
  const size_t length = keyword ? std::strlen(keyword) : 0;
  const size_t kept = std::min(length, kShortcutKeywordSize - 1);
  if (kept) std::memcpy(entry->keyword, keyword, kept);
  entry->keyword[kept] = 0;
  groups[static_cast<size_t>(groupCount++)] = std::move(entry);
  return true;
}

void PPDTree::ClearGroups() {
  for (auto& entry : groups) entry.reset();
  groupCount = 0;
}

void PPDTree::Clear() {
  ClearGroups();
  ClearShortcuts();
}
