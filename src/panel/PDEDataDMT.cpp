// What the administrator's template presets beyond the PPD controls (the
// extra feature lists, paper catalog, job notes, custom print size), and the
// keys it hides.
#include <cstdint>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "PPDX/PPDObjects/Controls/PPDXControl.h"
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/QZVPPD.h"
#include "panel/PDEData.h"
#include "platform/PMPrintSettings.h"
#include "serverlink/CUtil.h"
#include "serverlink/SDMAlloc.h"
#include "serverlink/WideText.h"

namespace {

// The readers hand their lists out through an allocator; these blocks live
// as long as the arena.
class SDMArena {
 public:
  SDMAllocator Allocator() { return SDMAllocator{&SDMArena::Allocate, this}; }

 private:
  static int32_t Allocate(void* context, void** out, size_t size) {
    if (!context || !out) return kSDMInvalidArgument;
    auto* self = static_cast<SDMArena*>(context);
    try {
      self->blocks_.push_back(std::make_unique<std::byte[]>(size == 0 ? 1 : size));
    } catch (const std::bad_alloc&) {
      *out = nullptr;
      return kSDMNoData;
    }
    *out = self->blocks_.back().get();
    return kSDMSuccess;
  }

  std::vector<std::unique_ptr<std::byte[]>> blocks_;
};

enum class DMTReader { kControls, kHidden };

// The pairs of one block of the template's "UI-Modification" category; false
// when there is no such category or block.
bool ReadDMTPairs(const std::string& xml, DMTReader reader, SDMPairs& pairs) {
  pairs.clear();
  if (xml.empty()) return false;
  std::wstring category;
  if (!CUtil::GetNodeDataFromXMLData(Utf8ToWide(xml), L"<Category name=\"UI-Modification\">",
                                     L"</Category>", category))
    return false;
  SDMArena arena;
  SDMKeyValueList* list = nullptr;
  const bool read = reader == DMTReader::kControls
                        ? CUtil::GetControlKeyValFromDMTXmlData(category, arena.Allocator(), &list)
                        : CUtil::GetHiddenKeyValFromDMTXmlData(category, arena.Allocator(), &list);
  if (!read || !list) return false;
  pairs = ReadSDMPairs(list, list->count);
  return true;
}

// Template keys are written with or without the PPD's leading "*"; both name
// the same feature.
std::wstring_view BareKey(std::wstring_view key) {
  while (!key.empty() && key.front() == L'*') key.remove_prefix(1);
  return key;
}

bool StartsWith(std::wstring_view text, std::wstring_view start) {
  return text.substr(0, start.size()) == start;
}

bool StartsWithAny(std::wstring_view text, std::initializer_list<std::wstring_view> starts) {
  for (std::wstring_view start : starts)
    if (StartsWith(text, start)) return true;
  return false;
}

// A wide text as the print settings keep it; false for a value that is no
// Unicode character.
bool ToUTF8(std::wstring_view text, std::string& utf8) {
  for (wchar_t c : text) {
    const auto code = static_cast<uint32_t>(c);
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
  }
  utf8 = WideToUtf8(text);
  return true;
}

void WriteSetting(PMPrintSettings* settings, std::wstring_view key, std::wstring_view value) {
  if (settings) settings->SetString(WideToUtf8(key), WideToUtf8(value));
}

}  // namespace

int PDEData::dmtSetNonPPDKeys() {
  SDMPairs pairs;
  if (!ppd || !ReadDMTPairs(ppd->CustomXmlData(), DMTReader::kControls, pairs)) return 0;

  // The map's order decides the order of the lists; a later line for the
  // same key wins.
  std::map<std::wstring, std::wstring> controls;
  for (auto& [key, value] : pairs) controls[std::wstring(BareKey(key))] = std::move(value);

  mixedMedia.SetCount(0);
  padCovers.SetCount(0);
  PPDXControls* features = ppd->GetControls();
  int catalogFilled = 0;
  for (const auto& [key, value] : controls) {
    // A list that is full takes no more: the surplus is ignored, in the
    // settings too.
    if (StartsWithAny(key, {L"RangeProp", L"RangeNum", L"Chapters", L"SubsetFinishing", L"MM_A"})) {
      if (mixedMedia.Append(L"*" + key, value)) WriteSetting(printSettings, key, value);
    } else if (StartsWith(key, L"PadCover")) {
      if (padCovers.Append(key, value)) WriteSetting(printSettings, key, value);
    } else if (StartsWith(key, L"SlipSheet_")) {
      if (slipSheets.Append(key, value)) WriteSetting(printSettings, key, value);
    } else if (StartsWith(key, L"CoverPage_")) {
      if (coverPages.Append(key, value)) WriteSetting(printSettings, key, value);
    } else if (key == L"QZPCMID" || key == L"QZPCName" || key == L"QZCoverSizePCMID" ||
               key == L"QZCoverSizePCName") {
      if (catalogFilled < kPaperCatalogPairs) {
        PaperCatalogPair& pair = paperCatalog[static_cast<size_t>(catalogFilled++)];
        pair.SetKey(L"*" + key);
        pair.SetValue(value);
      }
      WriteSetting(printSettings, L"*" + key, value);
    }

    if (key.empty() || !features) continue;
    const std::string keyword = "*" + WideToUtf8(key);
    const CFString text = CFString::FromUTF8(WideToUtf8(value));
    if (PPDXJobNote* note = features->FindJobNote(keyword.c_str(), true)) {
      note->SetCurrentControlWithCFString(text);
      WriteSetting(printSettings, key, value);
    }
    if (key == L"CustomPrintSize") {
      CNTL_TYPE type = kNoControl;
      if (PPDXControl* size = features->Find("*CustomPrintSize", type, true)) {
        size->SetCurrentControlWithCFString(text);
        WriteSetting(printSettings, key, value);
      }
    }
  }

  if (printSettings) {
    printSettings->SetInteger(".MMKey", mixedMedia.Count());
    printSettings->SetInteger(".PadCov", padCovers.Count());
  }
  return 0;
}

bool PDEData::fetchHiddenKeysFromDMTXML(std::vector<CFString>& keys) const {
  if (!ppd || ppd->CustomXmlData().empty()) return false;
  SDMPairs pairs;
  // A template without hidden keys hides nothing.
  if (!ReadDMTPairs(ppd->CustomXmlData(), DMTReader::kHidden, pairs)) return true;
  for (const auto& [key, value] : pairs) {
    // Only a "False" shows the feature not at all, as dmtHides reads it.
    if (value != L"False") continue;
    std::string utf8;
    if (!ToUTF8(BareKey(key), utf8)) return false;
    keys.push_back(CFString::FromUTF8("*" + utf8));
  }
  return true;
}
