// links: tavro_serverlink
// One server-data converter, picked by the first byte, over the rest of the
// input as a section's wide text (raw 32-bit units, or UTF-8 widened). An
// allocator that may fail part-way checks the failure paths too. Every
// returned text must end within the blocks the allocator gave.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "serverlink/CUtil.h"
#include "serverlink/SDMConverters.h"
#include "serverlink/WideText.h"

namespace {

class FuzzAllocator {
 public:
  explicit FuzzAllocator(size_t failFrom) : failFrom_(failFrom) {}
  SDMAllocator Get() { return SDMAllocator{&FuzzAllocator::Allocate, this}; }

 private:
  static int32_t Allocate(void* ctx, void** out, size_t size) {
    auto* self = static_cast<FuzzAllocator*>(ctx);
    if (self->blocks_.size() >= self->failFrom_) return 1;
    if (size > (size_t{64} << 20)) std::abort();  // no request beyond what a section can need
    self->blocks_.emplace_back(new char[size]);
    *out = self->blocks_.back().get();
    return 0;
  }
  std::vector<std::unique_ptr<char[]>> blocks_;
  size_t failFrom_;
};

void Touch(const wchar_t* text) {
  if (text == nullptr) return;
  volatile size_t n = wcslen(text);  // reads to the terminator: ASan sees any overrun
  (void)n;
}

void Touch(const SDMKeyValueList* list) {
  if (list == nullptr) return;
  if (list->count > 0 && list->items == nullptr) std::abort();
  for (uint64_t i = 0; i < list->count; ++i) {
    Touch(list->items[i].key);
    Touch(list->items[i].value);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet = (SetSDMLogToStderr(false), true);
  (void)quiet;
  if (size < 2) return 0;
  uint8_t pick = data[0];
  uint8_t arg = data[1];
  data += 2;
  size -= 2;
  std::wstring text;
  if (pick & 0x80) {
    text.resize(size / sizeof(wchar_t));
    if (!text.empty()) std::memcpy(text.data(), data, text.size() * sizeof(wchar_t));
  } else {
    text = Utf8ToWide(std::string_view(reinterpret_cast<const char*>(data), size));
  }
  size_t failFrom = (arg & 0x80) ? (arg & 0x3F) : SIZE_MAX;
  FuzzAllocator fuzzAlloc(failFrom);
  SDMAllocator alloc = fuzzAlloc.Get();
  std::wstring_view name = std::wstring_view(text).substr(0, text.find(L'\n'));

  switch ((pick & 0x7F) % 16) {
    case 0: {
      SDMTrayList* out = nullptr;
      if (GetTrayInfoToSDM(text, alloc, &out)) {
        for (uint64_t i = 0; i < out->count; ++i) {
          const SDMTrayInfo& t = out->trays[i];
          for (const wchar_t* f : {t.name, t.mediaSize, t.mediaType, t.mediaWeight, t.mediaColor,
                                   t.levelPercent, t.capacity, t.status, t.catalog}) {
            if (f == nullptr) std::abort();
            Touch(f);
          }
        }
      }
      break;
    }
    case 1: {
      SDMTonerList* out = nullptr;
      if (GetTonerInfoToSDM(text, alloc, &out)) {
        for (uint64_t i = 0; i < out->count; ++i) {
          const SDMTonerInfo& t = out->toners[i];
          for (const wchar_t* f : {t.color, t.levelPercent, t.capacity, t.status, t.partNumber}) {
            if (f == nullptr) std::abort();
            Touch(f);
          }
        }
      }
      break;
    }
    case 2: {
      wchar_t* out = nullptr;
      if (GetServerInfoToSDM(text, alloc, arg % 20 - 1, &out)) Touch(out);
      break;
    }
    case 3: {
      wchar_t* out = nullptr;
      IsServerFeatureSupportedToSDM(text, name);
      if (GetServerFeatureValueToSDM(text, alloc, name, &out)) Touch(out);
      break;
    }
    case 4: {
      SDMKeyValueList* out = nullptr;
      if (GetServerPairsToSDM(text, alloc, &out)) {
        if (out->count > 30) std::abort();
        Touch(out);
      }
      break;
    }
    case 5: {
      SDMStringList* out = nullptr;
      if (GetServerPresetNamesListToSDM(text, alloc, &out))
        for (uint64_t i = 0; i < out->count; ++i) Touch(out->items[i]);
      break;
    }
    case 6: {
      SDMKeyValueList *job, *impose, *preset;
      std::wstring wanted(name.substr(0, arg % 8));
      if (GetServerPresetDataByNameToSDM(text, alloc, wanted, &job, &impose, &preset)) {
        Touch(job);
        Touch(impose);
        Touch(preset);
      }
      break;
    }
    case 7:
    case 8:
    case 9:
    case 10:
    case 11: {
      using Convert = bool (*)(std::wstring_view, const SDMAllocator&, SDMKeyValueList**);
      static const Convert kConverters[] = {GetAllDeviceLinkProfilesToSDM, GetLoclHelpStringsToSDM,
                                            PPDDefaultsToSDM, UpdateTintvaneOptionsToSDM,
                                            UpdateHexweftMastersToSDM};
      SDMKeyValueList* out = nullptr;
      if (kConverters[((pick & 0x7F) % 16) - 7](text, alloc, &out)) Touch(out);
      break;
    }
    case 12: {
      wchar_t* out = nullptr;
      std::string narrow(reinterpret_cast<const char*>(data), size);
      if (GetLocalPresetsDataToSDM(narrow, arg & 1, alloc, &out)) Touch(out);
      break;
    }
    case 13: {
      SDMKeyValueList *d, *l, *h;
      if (GetDMTOverridesToSDM(text, alloc, &d, &l, &h)) {
        Touch(d);
        Touch(l);
        Touch(h);
      }
      break;
    }
    case 14: {
      size_t count = 0;
      wchar_t** pieces = CUtil::tockenizeWstring(count, text, name.substr(0, 2));
      for (size_t i = 0; i < count; ++i) Touch(pieces[i]);
      CUtil::deallocateArrayOfStrings(pieces, count);
      CUtil::findLineWithKey(name.substr(0, arg % 4), text, L"\n:");
      CUtil::wtoi(text);
      break;
    }
    default: {
      std::wstring node;
      CUtil::GetNodeDataFromXMLData(text, name.substr(0, arg % 6), L"</", node);
      std::wstring value;
      CUtil::GetValueFromXMLData(text, name.substr(0, arg % 5), value);
      std::wstring line;
      size_t next = 0;
      for (size_t at = 0; CUtil::GetNextLineFromXMLData(at, text, line, next); at = next) {
        if (next <= at) std::abort();
      }
      break;
    }
  }
  return 0;
}
