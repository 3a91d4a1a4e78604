// The panel's state that no PPD control holds (the extra feature lists, the
// paper-catalog values and the watermark selection) in the print settings.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "panel/PDEData.h"
#include "panel/QZVWatermark.h"
#include "platform/PMPrintSettings.h"
#include "serverlink/QZVUnisorPrinterPList.h"
#include "serverlink/WideText.h"

namespace {

constexpr const char* kFirstPageInfoKey = "WatermarkFirstPageInfo";
constexpr const char* kSelectedWatermarkKey = ".SelectedWatermarkKey";

// List keys and values pass through buffers of this many bytes (terminator
// included), on the way out and in alike.
constexpr size_t kListTextBuffer = 256;

// One extra feature list as the print settings name it.
struct ListKeys {
  const char* countKey;
  const char* keyPrefix;
  const char* valuePrefix;
};

constexpr ListKeys kMixedMediaKeys{".MMKey", "MMKey", "MMValue"};
constexpr ListKeys kPadCoverKeys{".PadCov", "PCovKey", "PCovValue"};
constexpr ListKeys kCoverPageKeys{".CovPag", "CovPagKey", "CovPagValue"};
constexpr ListKeys kSlipSheetKeys{".SlpSht", "SlpShtKey", "SlpShtValue"};

std::string Indexed(const char* prefix, size_t index) {
  return prefix + std::to_string(index);
}

// The UTF-8 form a list text keeps in the print settings: up to a NUL, as a C
// buffer holds it, and cut to the buffer before a character that would not
// fit whole.
std::string ListText(std::wstring_view text) {
  text = text.substr(0, text.find(L'\0'));
  std::string utf8 = WideToUtf8(text);
  const size_t room = kListTextBuffer - 1;
  if (utf8.size() > room) {
    size_t cut = room;
    while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) --cut;
    utf8.resize(cut);
  }
  return utf8;
}

// A stored text read back under the same limits; bytes that are no UTF-8
// become U+FFFD first, so that a save writes back what was read.
std::wstring ListText(std::string_view utf8) {
  return Utf8ToWide(ListText(Utf8ToWide(utf8)));
}

// Writes through the classic call so that the status of each write is seen.
OSStatus Write(PMPrintSettings* settings, const std::string& key, PlistValue value) {
  return PMPrintSettingsSetValue(settings, key, &value, false);
}

template <size_t N>
OSStatus SaveList(PMPrintSettings* settings, const ListKeys& keys, const FeatureList<N>& list) {
  const size_t count = static_cast<size_t>(list.Count());
  OSStatus status = Write(settings, keys.countKey, PlistValue::Integer(list.Count()));
  for (size_t i = 0; i < count; ++i) {
    const FeaturePair* entry = list.At(i);
    status = Write(settings, Indexed(keys.keyPrefix, i), PlistValue::String(ListText(entry->key)));
    status =
        Write(settings, Indexed(keys.valuePrefix, i), PlistValue::String(ListText(entry->value)));
  }
  // Entries a longer list saved before would be read by nothing but still
  // travel with the job.
  for (size_t i = count; i < N; ++i) {
    const bool key = settings->RemoveValue(Indexed(keys.keyPrefix, i));
    const bool value = settings->RemoveValue(Indexed(keys.valuePrefix, i));
    if (!key && !value) break;
  }
  return status;
}

template <size_t N>
void RestoreList(const PMPrintSettings& settings, const ListKeys& keys, FeatureList<N>& list) {
  const std::optional<int64_t> stored = settings.GetInteger(keys.countKey);
  list.SetCount(stored ? *stored : 0);
  const size_t count = static_cast<size_t>(list.Count());
  for (size_t i = 0; i < count; ++i) {
    const std::optional<std::string> key = settings.GetString(Indexed(keys.keyPrefix, i));
    if (!key) continue;
    const std::optional<std::string> value = settings.GetString(Indexed(keys.valuePrefix, i));
    FeaturePair* entry = list.Slot(i);
    entry->key = ListText(*key);
    entry->value = value ? ListText(*value) : std::wstring();
  }
}

}  // namespace

int PDEData::SaveNonPSSettings() {
  if (!printSettings) return -1;
  const QZVWatermark* selectedMark = watermarks ? watermarks->Selected() : nullptr;
  const int32_t selected = watermarks ? watermarks->selected : -1;
  Write(printSettings, kFirstPageInfoKey,
        PlistValue::Integer(selectedMark && !selectedMark->FirstPageOnly() ? 0 : 1));
  OSStatus status = Write(printSettings, kSelectedWatermarkKey, PlistValue::Integer(selected));
  status = SaveList(printSettings, kMixedMediaKeys, mixedMedia);
  status = SaveList(printSettings, kPadCoverKeys, padCovers);
  status = SaveList(printSettings, kCoverPageKeys, coverPages);
  status = SaveList(printSettings, kSlipSheetKeys, slipSheets);
  return status;
}

int PDEData::RestoreNonPSSettings() {
  if (!printSettings) return -1;
  if (!watermarks) watermarks = std::make_unique<WatermarkList>();

  // The index counts only when this printer keeps that many descriptions.
  int32_t selected = -1;
  if (const std::optional<int64_t> stored = printSettings->GetInteger(kSelectedWatermarkKey)) {
    std::vector<std::string> descriptions;
    if (printerList && !printerKey.IsNull())
      printerList->GetDataBlob(printerKey, kWatermarksDataBlock, descriptions);
    const int64_t available =
        std::min<int64_t>(static_cast<int64_t>(descriptions.size()), kMaxWatermarkEntries);
    if (*stored >= 0 && *stored < available) selected = static_cast<int32_t>(*stored);
  }
  watermarks->selected = selected;

  if (const std::optional<int64_t> firstPage = printSettings->GetInteger(kFirstPageInfoKey)) {
    if (QZVWatermark* mark = watermarks->Selected())
      mark->SetFirstPageOnly(*firstPage == 1 ? L"True" : L"False");
  }

  for (int i = 0; i < kPaperCatalogPairs; ++i) {
    const std::string key = WideToUtf8(kPaperCatalogKeys[i]);
    const std::optional<std::string> value = printSettings->GetString(key);
    paperCatalog[i].SetKey(kPaperCatalogKeys[i]);
    paperCatalog[i].SetValue(value ? Utf8ToWide(*value) : std::wstring(kPaperCatalogNone));
  }

  RestoreList(*printSettings, kMixedMediaKeys, mixedMedia);
  RestoreList(*printSettings, kPadCoverKeys, padCovers);
  RestoreList(*printSettings, kCoverPageKeys, coverPages);
  RestoreList(*printSettings, kSlipSheetKeys, slipSheets);
  return 0;
}
