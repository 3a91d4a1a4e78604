#include "serverlink/CUtil.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/Uuid.h"
#include "serverlink/WideText.h"

namespace {

template <typename Char>
std::basic_string<Char> Replace(std::basic_string_view<Char> text,
                                std::basic_string_view<Char> from,
                                std::basic_string_view<Char> to) {
  if (from.empty()) return std::basic_string<Char>(text);
  std::basic_string<Char> out;
  size_t at = 0;
  for (size_t hit = text.find(from); hit != text.npos; hit = text.find(from, at)) {
    out.append(text.substr(at, hit - at));
    out.append(to);
    at = hit + from.size();
  }
  out.append(text.substr(at));
  return out;
}

}  // namespace

std::string CUtil::__replace(std::string_view text, std::string_view from, std::string_view to) {
  return Replace<char>(text, from, to);
}

std::wstring CUtil::__replaceW(std::wstring_view text, std::wstring_view from,
                               std::wstring_view to) {
  return Replace<wchar_t>(text, from, to);
}

std::string CUtil::narrow(std::wstring_view text) {
  return WideToUtf8(text);
}

std::string CUtil::GenerateRandomID() {
  return CreateUUIDString();
}

std::vector<std::wstring_view> CUtil::Split(std::wstring_view text, std::wstring_view separators) {
  std::vector<std::wstring_view> pieces;
  size_t at = 0;
  for (;;) {
    size_t hit = separators.empty() ? std::wstring_view::npos : text.find_first_of(separators, at);
    if (hit == std::wstring_view::npos) {
      pieces.push_back(text.substr(at));
      return pieces;
    }
    pieces.push_back(text.substr(at, hit - at));
    at = hit + 1;
  }
}

std::optional<std::wstring> CUtil::findLineWithKey(std::wstring_view key, std::wstring_view text,
                                                   std::wstring_view separators) {
  for (std::wstring_view piece : Split(text, separators)) {
    if (piece.find(key) != std::wstring_view::npos) return std::wstring(piece);
  }
  return std::nullopt;
}

wchar_t** CUtil::AllocMemory(size_t count, size_t width) {
  auto** array = static_cast<wchar_t**>(std::calloc(count == 0 ? 1 : count, sizeof(wchar_t*)));
  if (array == nullptr) return nullptr;
  for (size_t i = 0; i < count; ++i) {
    array[i] = static_cast<wchar_t*>(std::calloc(width + 1, sizeof(wchar_t)));
    if (array[i] == nullptr) {
      deallocTwoDimenArray(array, i);
      return nullptr;
    }
  }
  return array;
}

void CUtil::deallocTwoDimenArray(wchar_t** array, size_t count) {
  if (array == nullptr) return;
  for (size_t i = 0; i < count; ++i) std::free(array[i]);
  std::free(array);
}

void CUtil::deallocateArrayOfStrings(wchar_t** array, size_t count) {
  deallocTwoDimenArray(array, count);
}

wchar_t** CUtil::tockenizeWstring(size_t& count, std::wstring_view text,
                                  std::wstring_view separators) {
  std::vector<std::wstring_view> pieces = Split(text, separators);
  count = 0;
  auto** array = static_cast<wchar_t**>(std::calloc(pieces.size(), sizeof(wchar_t*)));
  if (array == nullptr) return nullptr;
  for (size_t i = 0; i < pieces.size(); ++i) {
    array[i] = static_cast<wchar_t*>(std::calloc(pieces[i].size() + 1, sizeof(wchar_t)));
    if (array[i] == nullptr) {
      deallocateArrayOfStrings(array, i);
      return nullptr;
    }
    if (!pieces[i].empty()) std::wmemcpy(array[i], pieces[i].data(), pieces[i].size());
  }
  count = pieces.size();
  return array;
}

int CUtil::wtoi(std::wstring_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t' || text[i] == L'\n' ||
                             text[i] == L'\r' || text[i] == L'\v' || text[i] == L'\f'))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  long long value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = value * 10 + (text[i] - L'0');
    if (value > static_cast<long long>(INT_MAX) + 1) break;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::optional<std::wstring> CUtil::readFileWithWcharContent(const char* path) {
  if (path == nullptr) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
  if (!text.empty()) std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
  return text;
}

bool CUtil::GetNodeDataFromXMLData(std::wstring_view xml, std::wstring_view openTag,
                                   std::wstring_view closeTag, std::wstring& out) {
  out.clear();
  size_t open = xml.find(openTag);
  if (open == std::wstring_view::npos || openTag.empty()) return false;
  size_t from = open + openTag.size();
  size_t close = xml.find(closeTag, from);
  if (close == std::wstring_view::npos || closeTag.empty()) return false;
  out.assign(xml.substr(from, close - from));
  return true;
}

bool CUtil::GetNextLineFromXMLData(size_t position, std::wstring_view xml, std::wstring& line,
                                   size_t& next) {
  line.clear();
  if (position >= xml.size()) {
    next = xml.size();
    return false;
  }
  size_t end = xml.find(L'\n', position);
  if (end == std::wstring_view::npos) end = xml.size();
  std::wstring_view piece = xml.substr(position, end - position);
  if (!piece.empty() && piece.back() == L'\r') piece.remove_suffix(1);
  line.assign(piece);
  next = end < xml.size() ? end + 1 : xml.size();
  return true;
}

bool CUtil::GetValueFromXMLData(std::wstring_view line, std::wstring_view attribute,
                                std::wstring& value) {
  value.clear();
  if (attribute.empty()) return false;
  std::wstring needle(attribute);
  needle += L"=\"";
  // The attribute must start a word, so that "key" does not match "mykey".
  for (size_t hit = line.find(needle); hit != std::wstring_view::npos;
       hit = line.find(needle, hit + 1)) {
    if (hit > 0 && line[hit - 1] != L' ' && line[hit - 1] != L'\t') continue;
    size_t from = hit + needle.size();
    size_t close = line.find(L'"', from);
    if (close == std::wstring_view::npos) return false;
    value.assign(line.substr(from, close - from));
    return true;
  }
  return false;
}

bool CUtil::GetKeyFromXMLData(std::wstring_view line, std::wstring_view attribute,
                              std::wstring& key) {
  return GetValueFromXMLData(line, attribute, key);
}

namespace {

// One DMT block: the part between the tags, each "<QZVPPD" line a pair of two
// attributes. `kind` names the block in the log lines.
bool ReadDMTBlock(std::wstring_view category, const wchar_t* openTag, const wchar_t* closeTag,
                  const char* kind, const wchar_t* valueAttribute, const SDMAllocator& alloc,
                  SDMKeyValueList** out) {
  if (out != nullptr) *out = nullptr;
  std::wstring block;
  if (!CUtil::GetNodeDataFromXMLData(category, openTag, closeTag, block)) return false;
  SDMLog("DMT %s data =%s\n", kind, WideToUtf8(block).c_str());
  SDMPairs pairs;
  std::wstring line;
  size_t at = 0;
  size_t next = 0;
  while (CUtil::GetNextLineFromXMLData(at, block, line, next)) {
    at = next;
    if (line.find(L"<QZVPPD") == std::wstring::npos) continue;
    SDMLog("DMT Line data =%s\n", WideToUtf8(line).c_str());
    std::wstring key;
    std::wstring value;
    CUtil::GetKeyFromXMLData(line, L"key", key);
    CUtil::GetValueFromXMLData(line, valueAttribute, value);
    int i = static_cast<int>(pairs.size());
    SDMLog("DMT %s Key%d =%s\n", kind, i, WideToUtf8(key).c_str());
    SDMLog("DMT %s Value%d =%s\n", kind, i, WideToUtf8(value).c_str());
    pairs.emplace_back(std::move(key), std::move(value));
  }
  return SDMAllocKeyValueList(alloc, pairs, out);
}

}  // namespace

bool CUtil::GetControlKeyValFromDMTXmlData(std::wstring_view category, const SDMAllocator& alloc,
                                           SDMKeyValueList** out) {
  return ReadDMTBlock(category, L"<Controls>", L"</Controls>", "Control", L"default", alloc, out);
}

bool CUtil::GetLockedKeyValFromDMTXmlData(std::wstring_view category, const SDMAllocator& alloc,
                                          SDMKeyValueList** out) {
  return ReadDMTBlock(category, L"<Lock>", L"</Lock>", "Locked", L"value", alloc, out);
}

bool CUtil::GetHiddenKeyValFromDMTXmlData(std::wstring_view category, const SDMAllocator& alloc,
                                          SDMKeyValueList** out) {
  return ReadDMTBlock(category, L"<Show>", L"</Show>", "Hidden", L"value", alloc, out);
}
