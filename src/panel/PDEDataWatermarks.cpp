// The watermark list and the descriptions kept for each printer.
#include <string>
#include <vector>

#include "panel/PDEData.h"
#include "panel/QZVWatermark.h"
#include "serverlink/QZVUnisorPrinterPList.h"

namespace {

// A stored line holds at most this many bytes; a cut never splits a UTF-8
// sequence, so the kept part still reads as the same characters.
constexpr size_t kStoredDescriptionBytes = kUnisorLineSlot - 1;

std::string StoredLine(std::string_view text) {
  if (text.size() <= kStoredDescriptionBytes) return std::string(text);
  size_t cut = kStoredDescriptionBytes;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return std::string(text.substr(0, cut));
}

}  // namespace

WatermarkList::WatermarkList() = default;
WatermarkList::~WatermarkList() = default;

void WatermarkList::Clear() {
  for (auto& item : items) item.reset();
  count = 0;
}

bool WatermarkList::Append(std::unique_ptr<QZVWatermark> watermark) {
  if (!watermark || count >= items.size()) return false;
  items[count++] = std::move(watermark);
  return true;
}

QZVWatermark* WatermarkList::Selected() const {
  if (selected < 0 || static_cast<uint32_t>(selected) >= count) return nullptr;
  return items[static_cast<size_t>(selected)].get();
}

bool PDEData::GetWatermarksFromPreferences() {
  if (printerKey.IsNull()) return false;
  if (!watermarks) watermarks = std::make_unique<WatermarkList>();
  std::vector<std::string> lines;
  if (printerList) printerList->GetDataBlob(printerKey, kWatermarksDataBlock, lines);
  if (lines.empty()) return true;

  watermarks->Clear();
  for (const std::string& line : lines) {
    // More than the list holds: the surplus is not read.
    if (!watermarks->Append(std::make_unique<QZVWatermark>(StoredLine(line).c_str()))) break;
  }
  // A selection the new list does not reach would name no watermark.
  if (watermarks->selected >= static_cast<int32_t>(watermarks->count)) watermarks->selected = -1;
  return true;
}

bool PDEData::SaveWatermarksToPreferences() {
  if (printerKey.IsNull() || !printerList || !watermarks || watermarks->count == 0) return false;
  std::vector<std::string> lines;
  lines.reserve(watermarks->count);
  for (uint32_t i = 0; i < watermarks->count && i < watermarks->items.size(); ++i) {
    if (const QZVWatermark* watermark = watermarks->items[i].get())
      lines.push_back(StoredLine(watermark->Description()));
  }
  if (lines.empty()) return false;
  return printerList->AddDataBlob(printerKey, kWatermarksDataBlock, lines);
}
