#include "serverlink/QZVUnisorPrinterPList.h"

#include <wctype.h>

#include <locale.h>
#include <algorithm>
#include <charconv>
#include <cstring>

#include "platform/Log.h"
#include "serverlink/QueuePreferencesChannel.h"

namespace {

std::u32string Folded(const std::string& utf8) {
  static locale_t utf8Locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  std::u32string text = CFString::FromUTF8(utf8).UTF32();
  for (char32_t& c : text) {
    if (c < 0x80) {
      if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
    } else if (utf8Locale) {
      c = static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), utf8Locale));
    }
  }
  return text;
}

bool IsBool(const PlistValue& v) {
  return v.Kind() == PlistKind::Bool;
}

bool IsText(const PlistValue& v, std::string_view text) {
  const std::string* s = v.AsString();
  return s && *s == text;
}

// "<id>:<count>" exactly, both decimal, the count not negative.
bool ParseHeader(const PlistValue& v, int* id, long* count) {
  const std::string* s = v.AsString();
  if (!s) return false;
  size_t colon = s->find(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == s->size()) return false;
  const char* begin = s->data();
  const char* end = begin + s->size();
  auto a = std::from_chars(begin, begin + colon, *id);
  if (a.ec != std::errc() || a.ptr != begin + colon) return false;
  auto b = std::from_chars(begin + colon + 1, end, *count);
  return b.ec == std::errc() && b.ptr == end && *count >= 0;
}

// A line out of a slot: at most 1023 bytes, as UTF-8 text.
std::string SlotLine(const char* slot) {
  size_t length = strnlen(slot, kUnisorLineSlot - 1);
  return CFString::FromUTF8(std::string_view(slot, length)).UTF8();
}

}  // namespace

QZVUnisorPrinterPList::QZVUnisorPrinterPList()
    : PropertyListFile(kUnisorPrinterPListName, true, kCFPropertyListMutableContainersAndLeaves,
                       PreferencesChannelInUse()) {
  if (const PlistValue::Array* items = PropertyList().AsArray()) {
    array_ = *items;
  } else if (!PropertyList().IsNone()) {
    myNSLogC("QZVUnisorPrinterPList: the stored list is not an array; read as no data");
    MarkStoredListUnusable();
  }
}

long QZVUnisorPrinterPList::Exists(const CFString& name, bool& found) const {
  found = false;
  if (name.IsNull()) return -1;
  const std::u32string wanted = Folded(name.UTF8());
  // A record starts with its name, then the address (not a boolean) and the
  // two-way flag (a boolean). Asking for the flag as well keeps a data line or
  // the tail of a cut record that happens to equal the name from being taken
  // for a record.
  for (size_t i = 0; i + 2 < array_.size(); ++i) {
    const std::string* text = array_[i].AsString();
    if (!text || IsBool(array_[i + 1]) || !IsBool(array_[i + 2])) continue;
    if (Folded(*text) == wanted) {
      found = true;
      return static_cast<long>(i);
    }
  }
  return -1;
}

bool QZVUnisorPrinterPList::Find(const CFString& name) const {
  bool found = false;
  Exists(name, found);
  return found;
}

bool QZVUnisorPrinterPList::Add(const CFString& name, const CFString& address, bool enabled) {
  if (name.IsNull() || address.IsNull()) return false;
  // A NUL has no place in a stored text; such a record could not be found again.
  if (name.Units().find(u'\0') != std::u16string::npos ||
      address.Units().find(u'\0') != std::u16string::npos) {
    return false;
  }
  bool found = false;
  long at = Exists(name, found);
  changed_ = true;
  if (!found) {
    array_.push_back(PlistValue::String(name.UTF8()));
    array_.push_back(PlistValue::String(address.UTF8()));
    array_.push_back(PlistValue::Bool(enabled));
    array_.push_back(PlistValue::String(kUnisorRecordVersion));
    array_.push_back(PlistValue::String(kUnisorDataEnd));
    return true;
  }
  const size_t i = static_cast<size_t>(at);
  array_[i + 1] = PlistValue::String(address.UTF8());
  array_[i + 2] = PlistValue::Bool(enabled);
  const size_t version = i + 3;
  const bool hasVersion = version < array_.size();
  if (hasVersion && IsText(array_[version], kUnisorRecordVersion)) return true;
  auto pos = [this](size_t index) { return array_.begin() + static_cast<long>(index); };
  if (hasVersion && IsText(array_[version], "1")) {
    // Version 1: a line count and that many lines follow; they go.
    long count = 0;
    if (version + 1 < array_.size()) {
      if (const std::string* n = array_[version + 1].AsString()) count = CFSTR(*n).IntValue();
    }
    size_t drop = count > 0 ? static_cast<size_t>(count) + 1 : 1;
    drop = std::min(drop, array_.size() - version - 1);
    array_.erase(pos(version + 1), pos(version + 1 + drop));
    array_[version] = PlistValue::String(kUnisorRecordVersion);
    array_.insert(pos(version + 1), PlistValue::String(kUnisorDataEnd));
  } else if (hasVersion && IsText(array_[version], "0")) {
    array_[version] = PlistValue::String(kUnisorRecordVersion);
    array_.insert(pos(version + 1), PlistValue::String(kUnisorDataEnd));
  } else {
    // No version (a cut record): the version and the end marker go in.
    const size_t where = std::min(version, array_.size());
    array_.insert(pos(where), PlistValue::String(kUnisorDataEnd));
    array_.insert(pos(where), PlistValue::String(kUnisorRecordVersion));
  }
  return true;
}

CFString QZVUnisorPrinterPList::CopyAddress(const CFString& name) const {
  bool found = false;
  long at = Exists(name, found);
  if (!found) return CFString();
  const std::string* address = array_[static_cast<size_t>(at) + 1].AsString();
  return address ? CFString::FromUTF8(*address) : CFString();
}

bool QZVUnisorPrinterPList::getIPEnabled(const CFString& name) const {
  bool found = false;
  long at = Exists(name, found);
  size_t flag = static_cast<size_t>(at) + 2;
  return found && flag < array_.size() && array_[flag].GetBool(false);
}

bool QZVUnisorPrinterPList::setIPEnabled(const CFString& name, bool enabled) {
  bool found = false;
  long at = Exists(name, found);
  size_t flag = static_cast<size_t>(at) + 2;
  if (!found || flag >= array_.size()) return false;
  array_[flag] = PlistValue::Bool(enabled);
  changed_ = true;
  return true;
}

// Blocks are walked by their headers' line counts, so a block identifier is
// matched exactly (block 1 is not block 11) and a line that looks like a
// header is never taken for one.
long QZVUnisorPrinterPList::FindBlock(size_t record, int blockId, long* lineCount) const {
  size_t i = record + 4;
  while (i < array_.size() && !IsText(array_[i], kUnisorDataEnd)) {
    int id = 0;
    long count = 0;
    if (!ParseHeader(array_[i], &id, &count)) return -1;
    if (id == blockId) {
      *lineCount = count;
      return static_cast<long>(i);
    }
    if (static_cast<size_t>(count) >= array_.size() - i) return -1;
    i += static_cast<size_t>(count) + 1;
  }
  return -1;
}

bool QZVUnisorPrinterPList::AddDataBlob(const CFString& name, int lineCount, int blockId,
                                        const char* lines) {
  if (lineCount < 0 || (lineCount > 0 && !lines)) return false;
  std::vector<std::string> texts;
  texts.reserve(static_cast<size_t>(lineCount));
  for (int n = 0; n < lineCount; ++n) texts.push_back(SlotLine(lines + n * kUnisorLineSlot));
  return AddDataBlob(name, blockId, texts);
}

bool QZVUnisorPrinterPList::AddDataBlob(const CFString& name, int blockId,
                                        const std::vector<std::string>& lines) {
  bool found = false;
  long at = Exists(name, found);
  if (!found) return false;
  const size_t record = static_cast<size_t>(at);
  if (record + 3 >= array_.size() || !IsText(array_[record + 3], kUnisorRecordVersion)) {
    return false;
  }
  long oldCount = 0;
  long old = FindBlock(record, blockId, &oldCount);
  if (old >= 0) {
    auto first = array_.begin() + old;
    array_.erase(first, first + oldCount + 1);
  }
  PlistValue::Array block;
  block.reserve(lines.size() + 1);
  block.push_back(PlistValue::String(std::to_string(blockId) + ":" + std::to_string(lines.size())));
  for (const std::string& line : lines) {
    block.push_back(PlistValue::String(SlotLine(line.c_str())));
  }
  array_.insert(array_.begin() + static_cast<long>(record) + 4, block.begin(), block.end());
  changed_ = true;
  return true;
}

bool QZVUnisorPrinterPList::GetDataBlob(const CFString& name, int blockId,
                                        std::vector<std::string>& lines) const {
  bool found = false;
  long at = Exists(name, found);
  if (!found) return false;
  const size_t record = static_cast<size_t>(at);
  if (record + 3 >= array_.size() || !IsText(array_[record + 3], kUnisorRecordVersion)) {
    return false;
  }
  long count = 0;
  long header = FindBlock(record, blockId, &count);
  if (header < 0) return false;
  std::vector<std::string> block;
  for (long n = 1; n <= count; ++n) {
    size_t i = static_cast<size_t>(header + n);
    if (i >= array_.size() || IsText(array_[i], kUnisorDataEnd)) return false;
    const std::string* line = array_[i].AsString();
    if (!line) return false;
    block.push_back(*line);
  }
  lines.insert(lines.end(), block.begin(), block.end());
  return true;
}

bool QZVUnisorPrinterPList::Save() {
  bool saved = PropertyListFile::Save(PlistValue::MakeArray(array_));
  if (saved) changed_ = false;
  return saved;
}
