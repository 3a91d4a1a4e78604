// links: tavro_core
// Arbitrary key/value lists applied to the sample PPD's view model, as the job
// properties component could return them. Byte 0: bit 0 two-way on, bit 1
// the rest read as raw 32-bit wide characters (any value, surrogates and
// out-of-range ones included) instead of UTF-8; pairs are lines "key=value"
// (no "=": the value is missing). Afterwards the model must still make a list
// whose values fit their limit, the extra lists must stay within capacity and
// the watermark selection within its range.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "PPDX/PPDStream.h"
#include "PPDX/QZVPPD.h"
#include "panel/AddressController.h"
#include "panel/PDEData.h"
#include "panel/UI_Panel.h"
#include "platform/Log.h"
#include "platform/PMPrintSettings.h"
#include "serverlink/SDMAlloc.h"
#include "serverlink/WideText.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

class TwoWaySwitch : public AddressController {
 public:
  bool isBIDIEnabled() const override { return on; }
  std::string AddressText() const override { return "10.0.0.1"; }
  void EnableConfigureButton(bool) override {}
  void EnableTwoWayCheckBox(bool) override {}
  void SetTwoWayOff() override { on = false; }
  bool on = false;
};

// The model is rebuilt now and then, so that what inputs add (notes, menu
// items) cannot pile up across a long run.
struct Model {
  Model() {
    ClearEndOfPPDLatch();
    document = std::make_unique<QZVPPD>(
        std::filesystem::path(TAVRO_SOURCE_DIR) / "samples" / "TavroC750.ppd",
        kParseOrphansAndHidden);
    ClearEndOfPPDLatch();
    data = std::make_unique<PDEData>(document.get(), CFString(), nullptr);
    data->printSettings = &settings;
    panel = std::make_unique<UI_Panel>(data.get(), nullptr, &address);
  }
  PMPrintSettings settings;
  TwoWaySwitch address;
  std::unique_ptr<QZVPPD> document;
  std::unique_ptr<PDEData> data;
  std::unique_ptr<UI_Panel> panel;
};

const std::filesystem::path& CopyFolder() {
  static const std::filesystem::path path = [] {
    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   ("fuzz_updated_settings." + std::to_string(getpid()));
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    ::setenv("TMPDIR", folder.c_str(), 1);
    return folder;
  }();
  return path;
}

void RemoveFiles() {
  std::error_code ignored;
  std::filesystem::remove_all(CopyFolder(), ignored);
}

std::vector<std::wstring> Lines(const uint8_t* data, size_t size, bool raw) {
  std::wstring text;
  if (raw) {
    for (size_t i = 0; i + 4 <= size; i += 4) {
      uint32_t unit = static_cast<uint32_t>(data[i]) | static_cast<uint32_t>(data[i + 1]) << 8 |
                      static_cast<uint32_t>(data[i + 2]) << 16 |
                      static_cast<uint32_t>(data[i + 3]) << 24;
      text.push_back(static_cast<wchar_t>(unit));
    }
  } else {
    text = Utf8ToWide(std::string_view(reinterpret_cast<const char*>(data), size));
  }
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t at = 0; at <= text.size(); ++at) {
    if (at == text.size() || text[at] == L'\n') {
      lines.push_back(text.substr(start, at - start));
      start = at + 1;
    }
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready =
      (SetLogPause(false), SetSDMLogToStderr(false), CopyFolder(), std::atexit(RemoveFiles), true);
  (void)ready;
  static std::unique_ptr<Model> model;
  static unsigned runs = 0;
  if (!model || ++runs % 256 == 0) {
    model.reset();
    model = std::make_unique<Model>();
  }
  if (size == 0) return 0;
  model->address.on = data[0] & 1;

  // Keys and values own their texts; a missing value is a null pointer.
  std::vector<std::wstring> keys, values;
  std::vector<bool> hasValue;
  for (const std::wstring& line : Lines(data + 1, size - 1, data[0] & 2)) {
    const size_t equals = line.find(L'=');
    keys.push_back(line.substr(0, equals));
    values.push_back(equals == std::wstring::npos ? std::wstring() : line.substr(equals + 1));
    hasValue.push_back(equals != std::wstring::npos);
  }
  std::vector<SDMKeyValue> items(keys.size());
  for (size_t i = 0; i < items.size(); ++i)
    items[i] = {keys[i].data(), hasValue[i] ? values[i].data() : nullptr};
  SDMKeyValueList list{items.size(), items.data()};
  Check(model->panel->SetUpdatedSettings(&list));

  PDEData& panelData = *model->data;
  Check(panelData.mixedMedia.Count() <= static_cast<int32_t>(kMixedMediaCapacity));
  Check(panelData.padCovers.Count() <= static_cast<int32_t>(kFinishingListCapacity));
  Check(panelData.watermarks->selected >= -1 && panelData.watermarks->selected < 20);
  HeapSDMList out;
  Check(model->panel->GetDefaultSettings(out, nullptr));
  // Control rows (keys without "*") keep to the component's value limit.
  for (const auto& [key, value] : out.Pairs())
    Check(key.empty() || key[0] == L'*' || WideToUtf8(value).size() <= kDefaultValueBytes);
  return 0;
}
