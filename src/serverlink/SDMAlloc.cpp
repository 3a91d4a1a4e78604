#include "serverlink/SDMAlloc.h"

#include <cstdarg>
#include <cstring>

#include "serverlink/WideText.h"

namespace {
bool gLogToStderr = true;
}  // namespace

void SetSDMLogToStderr(bool on) {
  gLogToStderr = on;
}

void SDMLog(const char* format, ...) {
  if (!gLogToStderr) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
}

int32_t SDMAllocator::Allocate(void** out, size_t size) const {
  if (out == nullptr || fn == nullptr) return kSDMInvalidArgument;
  *out = nullptr;
  void* block = nullptr;
  int32_t rc = fn(context, &block, size == 0 ? 1 : size);
  if (rc != kSDMSuccess) return rc;
  if (block == nullptr) return kSDMNoData;
  std::memset(block, 0, size == 0 ? 1 : size);
  *out = block;
  return kSDMSuccess;
}

bool AllocAndAssignValue(const SDMAllocator& alloc, wchar_t** out, std::wstring_view text) {
  if (out == nullptr) return false;
  wchar_t* block = nullptr;
  if (alloc.AllocateArray(&block, text.size() + 1) != kSDMSuccess) return false;
  if (!text.empty()) std::wmemcpy(block, text.data(), text.size());
  block[text.size()] = L'\0';
  *out = block;
  return true;
}

bool SDMAllocKeyValueList(const SDMAllocator& alloc, const SDMPairs& pairs, SDMKeyValueList** out) {
  if (out == nullptr) return false;
  *out = nullptr;
  SDMKeyValueList* list = nullptr;
  if (alloc.AllocateArray(&list, 1) != kSDMSuccess) return false;
  if (!pairs.empty()) {
    if (alloc.AllocateArray(&list->items, pairs.size()) != kSDMSuccess) return false;
    for (size_t i = 0; i < pairs.size(); ++i) {
      if (!AllocAndAssignValue(alloc, &list->items[i].key, pairs[i].first)) return false;
      if (!AllocAndAssignValue(alloc, &list->items[i].value, pairs[i].second)) return false;
      list->count = i + 1;
    }
  }
  *out = list;
  return true;
}

std::pair<std::wstring_view, std::wstring_view> SplitKeyValue(std::wstring_view line) {
  size_t eq = line.find(L'=');
  if (eq == std::wstring_view::npos) return {line, {}};
  return {line.substr(0, eq), line.substr(eq + 1)};
}

bool SDMAllocKeyValueListFromKeyValueSetWChar(const std::vector<std::wstring_view>& lines,
                                              const SDMAllocator& alloc, size_t n,
                                              SDMKeyValueList** out) {
  if (lines.size() < n) return false;
  SDMPairs pairs;
  pairs.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    auto [key, value] = SplitKeyValue(lines[i]);
    pairs.emplace_back(std::wstring(key), std::wstring(value));
  }
  return SDMAllocKeyValueList(alloc, pairs, out);
}

bool SDMAllocKeyValueListFromKeyValueSet(std::FILE* file, const SDMAllocator& alloc, size_t n,
                                         SDMKeyValueList** out) {
  if (file == nullptr) return false;
  std::vector<std::wstring> owned;
  for (size_t i = 0; i < n; ++i) {
    std::string line;
    int c;
    bool any = false;
    while ((c = std::fgetc(file)) != EOF) {
      any = true;
      if (c == '\n') break;
      if (c == '\r') {
        int next = std::fgetc(file);
        if (next != '\n' && next != EOF) std::ungetc(next, file);
        break;
      }
      line.push_back(static_cast<char>(c));
    }
    if (!any) return false;
    owned.push_back(Utf8ToWide(line));
  }
  std::vector<std::wstring_view> lines(owned.begin(), owned.end());
  return SDMAllocKeyValueListFromKeyValueSetWChar(lines, alloc, n, out);
}

void PrintSDMKeyValueList(const SDMKeyValueList* list) {
  if (list == nullptr || list->items == nullptr) return;
  for (uint64_t i = 0; i < list->count; ++i) {
    const SDMKeyValue& kv = list->items[i];
    std::string key = kv.key ? WideToUtf8(kv.key) : std::string();
    std::string value = kv.value ? WideToUtf8(kv.value) : std::string();
    SDMLog("PrintSDMKeyValueList szKey%d =%s\n", static_cast<int>(i), key.c_str());
    SDMLog("PrintSDMKeyValueList szValue%d =%s\n", static_cast<int>(i), value.c_str());
  }
}

HeapSDMList::HeapSDMList(SDMPairs pairs) : pairs_(std::move(pairs)) {}

void HeapSDMList::Add(std::wstring key, std::wstring value) {
  pairs_.emplace_back(std::move(key), std::move(value));
}

const SDMKeyValueList* HeapSDMList::Get() {
  items_.clear();
  items_.reserve(pairs_.size());
  for (auto& [key, value] : pairs_) items_.push_back(SDMKeyValue{key.data(), value.data()});
  list_.count = items_.size();
  list_.items = items_.empty() ? nullptr : items_.data();
  return &list_;
}

SDMPairs ReadSDMPairs(const SDMKeyValueList* list, size_t limit, size_t textLimit) {
  SDMPairs pairs;
  if (list == nullptr || list->items == nullptr) return pairs;
  uint64_t n = list->count < limit ? list->count : limit;
  pairs.reserve(static_cast<size_t>(n));
  for (uint64_t i = 0; i < n; ++i) {
    const SDMKeyValue& kv = list->items[i];
    pairs.emplace_back(std::wstring(kv.key ? kv.key : L"", BoundedWcslen(kv.key, textLimit)),
                       std::wstring(kv.value ? kv.value : L"", BoundedWcslen(kv.value, textLimit)));
  }
  return pairs;
}
