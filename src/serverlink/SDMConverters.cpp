#include "serverlink/SDMConverters.h"

#include <cstdio>

#include "serverlink/CUtil.h"
#include "serverlink/WideText.h"

namespace {

constexpr size_t kMaxServerPairs = 30;
constexpr size_t kMaxServerText = 255;
constexpr size_t kTrayFields = 9;
constexpr size_t kTonerFields = 5;

bool IsBlank(std::wstring_view line) {
  return line.find_first_not_of(L" \t") == std::wstring_view::npos;
}

std::vector<std::wstring_view> NonBlankLines(std::wstring_view text) {
  std::vector<std::wstring_view> lines;
  for (std::wstring_view line : SectionLines(text))
    if (!IsBlank(line)) lines.push_back(line);
  return lines;
}

// A count read after the "=" of a line; -1 when there is none or it is negative.
long CountAfterEquals(std::wstring_view line) {
  size_t eq = line.find(L'=');
  if (eq == std::wstring_view::npos) return -1;
  std::wstring_view digits = line.substr(eq + 1);
  size_t first = digits.find_first_not_of(L" \t");
  if (first == std::wstring_view::npos || digits[first] < L'0' || digits[first] > L'9') return -1;
  return CUtil::wtoi(digits);
}

// The line holding `key` whose text before its first ":" answers for it.
std::optional<std::wstring_view> LookUpServerLine(std::wstring_view text, std::wstring_view key) {
  if (key.empty()) return std::nullopt;
  for (std::wstring_view line : SectionLines(text)) {
    if (line.find(key) == std::wstring_view::npos) continue;
    std::wstring colonKey = L":" + std::wstring(key);
    if (line.find(colonKey) == std::wstring_view::npos) return std::nullopt;
    return line.substr(0, line.find(L':'));
  }
  return std::nullopt;
}

bool KeyValueSection(std::wstring_view text, const SDMAllocator& alloc, SDMKeyValueList** out,
                     const wchar_t* emptyValue = nullptr) {
  if (out == nullptr) return false;
  *out = nullptr;
  std::vector<std::wstring_view> lines = NonBlankLines(text);
  if (lines.empty()) return false;
  if (emptyValue == nullptr)
    return SDMAllocKeyValueListFromKeyValueSetWChar(lines, alloc, lines.size(), out);
  SDMPairs pairs;
  for (std::wstring_view line : lines) {
    auto [key, value] = SplitKeyValue(line);
    pairs.emplace_back(std::wstring(key), value.empty() ? emptyValue : std::wstring(value));
  }
  return SDMAllocKeyValueList(alloc, pairs, out);
}

// The fields of one "@"-separated piece: the first up to the first "@", each
// further one after the next "@" up to the one after it (or the piece's end).
// Missing or empty fields are nullopt.
std::vector<std::optional<std::wstring_view>> PieceFields(std::wstring_view piece, size_t n) {
  std::vector<std::optional<std::wstring_view>> fields(n);
  size_t at = 0;
  for (size_t f = 0; f < n; ++f) {
    if (f > 0) {
      size_t at_sign = piece.find(L'@', at);
      if (at_sign == std::wstring_view::npos) break;
      at = at_sign + 1;
    }
    size_t end = piece.find(L'@', at);
    std::wstring_view field =
        piece.substr(at, end == std::wstring_view::npos ? piece.npos : end - at);
    if (!field.empty()) fields[f] = field;
    if (end == std::wstring_view::npos) break;  // no further "@": the rest are missing
    at = end;
  }
  return fields;
}

// Parses "<n>:<piece>:..." into n pieces; false when n is no count or there
// are fewer pieces than it announces.
bool CountedPieces(std::wstring_view text, std::vector<std::wstring_view>& pieces) {
  std::vector<std::wstring_view> all = CUtil::Split(text, L":");
  if (all.empty() || IsBlank(all[0])) return false;
  std::wstring_view count = all[0];
  size_t first = count.find_first_not_of(L" \t\r\n");
  if (first == std::wstring_view::npos || count[first] < L'0' || count[first] > L'9') return false;
  int n = CUtil::wtoi(count);
  if (n < 0 || static_cast<size_t>(n) > all.size() - 1) return false;
  pieces.assign(all.begin() + 1, all.begin() + 1 + n);
  for (std::wstring_view& piece : pieces) {
    while (!piece.empty() && (piece.back() == L'\n' || piece.back() == L'\r'))
      piece.remove_suffix(1);
    while (!piece.empty() && (piece.front() == L'\n' || piece.front() == L'\r'))
      piece.remove_prefix(1);
  }
  return true;
}

}  // namespace

std::vector<std::wstring_view> SectionLines(std::wstring_view text) {
  std::vector<std::wstring_view> lines;
  if (text.empty()) return lines;
  for (std::wstring_view line : CUtil::Split(text, L"\n")) {
    if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
    lines.push_back(line);
  }
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

bool GetServerInfoToSDM(std::wstring_view text, const SDMAllocator& alloc, int item,
                        wchar_t** out) {
  static const wchar_t* const kKeys[] = {
      L"ServerName", L"ServerVersion", nullptr,      nullptr,     nullptr,   L"DiskAvailable",
      L"DiskTotal",  L"MemAvailable",  nullptr,      nullptr,     nullptr,   L"ProductFamily",
      L"ServerOS",   L"PCLSupport",    L"PSSupport", L"Tintvane", L"MemSize"};
  if (item < 0 || item > 16 || kKeys[item] == nullptr || text.empty()) return false;
  std::optional<std::wstring_view> answer = LookUpServerLine(text, kKeys[item]);
  return answer && AllocAndAssignValue(alloc, out, *answer);
}

bool IsServerFeatureSupportedToSDM(std::wstring_view text, std::wstring_view feature) {
  return LookUpServerLine(text, feature).has_value();
}

bool GetServerFeatureValueToSDM(std::wstring_view text, const SDMAllocator& alloc,
                                std::wstring_view feature, wchar_t** out) {
  std::optional<std::wstring_view> answer = LookUpServerLine(text, feature);
  return answer && AllocAndAssignValue(alloc, out, *answer);
}

bool GetServerPairsToSDM(std::wstring_view text, const SDMAllocator& alloc, SDMKeyValueList** out) {
  if (out == nullptr) return false;
  *out = nullptr;
  SDMPairs pairs;
  for (std::wstring_view line : SectionLines(text)) {
    if (pairs.size() == kMaxServerPairs) break;
    size_t colon = line.find(L':');
    if (colon == std::wstring_view::npos) continue;
    pairs.emplace_back(std::wstring(line.substr(0, std::min(colon, kMaxServerText))),
                       std::wstring(line.substr(colon + 1, kMaxServerText)));
  }
  if (pairs.empty()) return false;
  return SDMAllocKeyValueList(alloc, pairs, out);
}

bool GetTrayInfoToSDM(std::wstring_view text, const SDMAllocator& alloc, SDMTrayList** out) {
  if (out == nullptr) return false;
  *out = nullptr;
  std::vector<std::wstring_view> pieces;
  if (!CountedPieces(text, pieces)) return false;
  SDMTrayList* list = nullptr;
  if (alloc.AllocateArray(&list, 1) != kSDMSuccess) return false;
  if (!pieces.empty() && alloc.AllocateArray(&list->trays, pieces.size()) != kSDMSuccess)
    return false;
  for (size_t t = 0; t < pieces.size(); ++t) {
    SDMTrayInfo& tray = list->trays[t];
    wchar_t** slots[kTrayFields] = {&tray.name,        &tray.mediaSize,  &tray.mediaType,
                                    &tray.mediaWeight, &tray.mediaColor, &tray.levelPercent,
                                    &tray.capacity,    &tray.status,     &tray.catalog};
    // The media type, weight, colour and catalog may be empty.
    constexpr bool kMayBeEmpty[kTrayFields] = {false, false, true,  true, true,
                                               false, false, false, true};
    auto fields = PieceFields(pieces[t], kTrayFields);
    for (size_t f = 0; f < kTrayFields; ++f) {
      std::wstring_view value = fields[f] ? *fields[f] : L"N/A";
      if (kMayBeEmpty[f] && value == L"EMPTY") value = {};
      if (!AllocAndAssignValue(alloc, slots[f], value)) return false;
    }
    list->count = t + 1;
  }
  *out = list;
  return true;
}

bool GetTonerInfoToSDM(std::wstring_view text, const SDMAllocator& alloc, SDMTonerList** out) {
  if (out == nullptr) return false;
  *out = nullptr;
  std::vector<std::wstring_view> pieces;
  if (!CountedPieces(text, pieces)) return false;
  SDMTonerList* list = nullptr;
  if (alloc.AllocateArray(&list, 1) != kSDMSuccess) return false;
  if (!pieces.empty() && alloc.AllocateArray(&list->toners, pieces.size()) != kSDMSuccess)
    return false;
  for (size_t t = 0; t < pieces.size(); ++t) {
    SDMTonerInfo& toner = list->toners[t];
    wchar_t** slots[kTonerFields] = {&toner.color, &toner.levelPercent, &toner.capacity,
                                     &toner.status, &toner.partNumber};
    auto fields = PieceFields(pieces[t], kTonerFields);
    for (size_t f = 0; f < kTonerFields; ++f) {
      if (!AllocAndAssignValue(alloc, slots[f], fields[f] ? *fields[f] : L"NULL")) return false;
    }
    list->count = t + 1;
  }
  *out = list;
  return true;
}

bool GetServerPresetNamesListToSDM(std::wstring_view text, const SDMAllocator& alloc,
                                   SDMStringList** out) {
  if (out == nullptr) return false;
  *out = nullptr;
  std::vector<std::wstring_view> names = NonBlankLines(text);
  if (names.empty()) return false;
  SDMStringList* list = nullptr;
  if (alloc.AllocateArray(&list, 1) != kSDMSuccess) return false;
  if (alloc.AllocateArray(&list->items, names.size()) != kSDMSuccess) return false;
  for (size_t i = 0; i < names.size(); ++i) {
    if (!AllocAndAssignValue(alloc, &list->items[i], names[i])) return false;
    list->count = i + 1;
  }
  *out = list;
  return true;
}

bool GetServerPresetDataByNameToSDM(std::wstring_view text, const SDMAllocator& alloc,
                                    std::wstring_view name, SDMKeyValueList** job,
                                    SDMKeyValueList** impose, SDMKeyValueList** preset) {
  if (job == nullptr || impose == nullptr || preset == nullptr) return false;
  *job = *impose = *preset = nullptr;
  std::vector<std::wstring_view> lines = SectionLines(text);
  size_t at = 0;
  while (at < lines.size() && lines[at] != name) ++at;
  if (at == lines.size()) return false;
  ++at;
  struct Group {
    const wchar_t* marker;
    SDMKeyValueList** out;
    bool taken = false;
  } groups[] = {{L"JPKeyValues", job}, {L"ImposeKeyValues", impose}, {L"PresetKeyValues", preset}};
  size_t taken = 0;
  while (at < lines.size() && taken < 3) {
    std::wstring_view line = lines[at++];
    for (Group& g : groups) {
      if (g.taken || line.find(g.marker) == std::wstring_view::npos) continue;
      long n = CountAfterEquals(line);
      if (n < 0 || static_cast<size_t>(n) > lines.size() - at) return false;
      std::vector<std::wstring_view> group(lines.begin() + static_cast<long>(at),
                                           lines.begin() + static_cast<long>(at) + n);
      if (!SDMAllocKeyValueListFromKeyValueSetWChar(group, alloc, group.size(), g.out))
        return false;
      at += static_cast<size_t>(n);
      g.taken = true;
      ++taken;
      break;
    }
  }
  return true;
}

bool GetAllDeviceLinkProfilesToSDM(std::wstring_view text, const SDMAllocator& alloc,
                                   SDMKeyValueList** out) {
  return KeyValueSection(text, alloc, out);
}

bool GetLoclHelpStringsToSDM(std::wstring_view text, const SDMAllocator& alloc,
                             SDMKeyValueList** out) {
  return KeyValueSection(text, alloc, out);
}

bool PPDDefaultsToSDM(std::wstring_view text, const SDMAllocator& alloc, SDMKeyValueList** out) {
  return KeyValueSection(text, alloc, out, L"EMPTYSTRING");
}

bool UpdateTintvaneOptionsToSDM(std::wstring_view text, const SDMAllocator& alloc,
                                SDMKeyValueList** out) {
  return KeyValueSection(text, alloc, out);
}

bool UpdateHexweftMastersToSDM(std::wstring_view text, const SDMAllocator& alloc,
                               SDMKeyValueList** out) {
  return KeyValueSection(text, alloc, out);
}

bool GetLocalPresetsDataToSDM(std::string_view text, bool /*twoWay*/, const SDMAllocator& alloc,
                              wchar_t** out) {
  if (out == nullptr) return false;
  *out = nullptr;
  if (text.empty()) return false;
  std::wstring wide = CUtil::__replaceW(Utf8ToWide(text), L"EFBBBF", L"\xFEFF");
  return AllocAndAssignValue(alloc, out, wide);
}

bool GetDMTOverridesToSDM(std::wstring_view dmt, const SDMAllocator& alloc,
                          SDMKeyValueList** defaults, SDMKeyValueList** locked,
                          SDMKeyValueList** hidden) {
  if (defaults == nullptr || locked == nullptr || hidden == nullptr) return false;
  *defaults = *locked = *hidden = nullptr;
  SDMLog("DMT XML data =%s\n", WideToUtf8(dmt).c_str());
  std::wstring category;
  if (!CUtil::GetNodeDataFromXMLData(dmt, L"<Category name=\"UI-Modification\">", L"</Category>",
                                     category))
    return false;
  // A block the category lacks is no failure; a failed allocation is.
  auto read = [&](auto reader, const wchar_t* open, const wchar_t* close, SDMKeyValueList** out) {
    std::wstring block;
    bool present = CUtil::GetNodeDataFromXMLData(category, open, close, block);
    return !present || reader(category, alloc, out);
  };
  return read(CUtil::GetControlKeyValFromDMTXmlData, L"<Controls>", L"</Controls>", defaults) &&
         read(CUtil::GetLockedKeyValFromDMTXmlData, L"<Lock>", L"</Lock>", locked) &&
         read(CUtil::GetHiddenKeyValFromDMTXmlData, L"<Show>", L"</Show>", hidden);
}
