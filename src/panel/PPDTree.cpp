#include "panel/PPDTree.h"

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
