#include "serverlink/JPCallbacks.h"

#include <cstring>
#include <vector>

#include "serverlink/CFileHdlr.h"
#include "serverlink/CUtil.h"
#include "serverlink/JPLibrary.h"
#include "serverlink/JPSessionHost.h"
#include "serverlink/LocaleCode.h"
#include "serverlink/SDMConverters.h"
#include "serverlink/WideText.h"

namespace {

// Blocks of a driver version or the XML text start at this size (bytes).
constexpr size_t kTextBlockBytes = 8192;
// Server values fit a block of 128 bytes (31 characters and the terminator).
constexpr size_t kServerValueBytes = 128;

SDMAllocator Alloc(void* ctx) {
  return SDMAllocator{JPLibrary::Calls().allocMemory, ctx};
}

// A text in a block of at least `minBytes` from the component's allocator.
int32_t AllocText(void* ctx, wchar_t** out, std::wstring_view text, size_t minBytes = 0) {
  if (out == nullptr) return kSDMInvalidArgument;
  *out = nullptr;
  size_t chars = std::max(text.size() + 1, minBytes / sizeof(wchar_t));
  wchar_t* block = nullptr;
  int32_t rc = Alloc(ctx).AllocateArray(&block, chars);
  if (rc != kSDMSuccess) return rc;
  if (!text.empty()) std::wmemcpy(block, text.data(), text.size());
  block[text.size()] = L'\0';
  *out = block;
  return kSDMSuccess;
}

SharedMemoryList* Shared() {
  return GetSharedMemoryList();
}

std::string_view SharedText(const char* field, size_t width) {
  return FieldText(field, width);
}

template <typename Out>
void ClearOut(Out** out) {
  if (out != nullptr) *out = nullptr;
}

// A two-way slot: the section through its converter; 4096 when the section is
// missing or the converter refuses it.
template <typename Convert>
int32_t FromSection(const char* section, Convert convert) {
  std::optional<std::wstring> text = ReadBidiSection(section);
  if (!text) return kSDMNoData;
  return convert(*text) ? kSDMSuccess : kSDMNoData;
}

std::wstring XmlEscaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out.push_back(c);
    }
  }
  return Utf8ToWide(out);
}

// --- slots of both modes ---

int32_t DriverVersion(void* ctx, int32_t kind, wchar_t** out) {
  std::string_view text;
  if (SharedMemoryList* s = Shared()) {
    if (kind == kSDMVersionBundle) text = SharedText(s->bundleVersion, sizeof s->bundleVersion);
    if (kind == kSDMVersionController)
      text = SharedText(s->controllerVersion, sizeof s->controllerVersion);
  }
  return AllocText(ctx, out, Utf8ToWide(text), kTextBlockBytes);
}

int32_t ServerPairs(void* ctx, const char* section, SDMKeyValueList** out) {
  if (out == nullptr) return kSDMInvalidArgument;
  *out = nullptr;
  return FromSection(section,
                     [&](std::wstring_view t) { return GetServerPairsToSDM(t, Alloc(ctx), out); });
}

int32_t ServerInformation(void* ctx, SDMKeyValueList** out) {
  return ServerPairs(ctx, "ServerInfo", out);
}

int32_t ServerFeatures(void* ctx, SDMKeyValueList** out) {
  return ServerPairs(ctx, "ServerFeatureSupport", out);
}

int32_t ListZero(void*, SDMKeyValueList** out) {
  ClearOut(out);
  return kSDMSuccess;
}
int32_t NamedTextZero(void*, const wchar_t*, wchar_t** out) {
  ClearOut(out);
  return kSDMSuccess;
}
int32_t NamedTextNoData(void*, const wchar_t*, wchar_t** out) {
  ClearOut(out);
  return kSDMNoData;
}
int32_t ListNoData(void*, SDMKeyValueList** out) {
  ClearOut(out);
  return kSDMNoData;
}

// --- two-way slots ---

int32_t BidiServerData(void* ctx, wchar_t** out) {
  if (out == nullptr) return kSDMInvalidArgument;
  *out = nullptr;
  std::optional<std::wstring> text = ReadBidiSection("BidiData");
  if (!text) return kSDMNoData;
  return AllocText(ctx, out, *text);
}

int32_t BidiPPDDefaults(void* ctx, SDMKeyValueList** out) {
  if (out == nullptr) return kSDMInvalidArgument;
  return FromSection("PpdDefaults",
                     [&](std::wstring_view t) { return PPDDefaultsToSDM(t, Alloc(ctx), out); });
}

int32_t BidiPreviewPageCount(void*, int32_t*) {
  return kSDMNoData;
}

// Everything the panel hands over comes from the component's allocator, so
// both modes release through the component.
int32_t FreeBlock(void* ctx, void** block, int32_t missing) {
  if (block == nullptr || *block == nullptr) return missing;
  JP1_1FreeFn release = JPLibrary::Calls().free;
  if (release != nullptr) release(block);
  *block = nullptr;
  return kSDMSuccess;
}
int32_t BidiFree(void* ctx, void** block) {
  return FreeBlock(ctx, block, kSDMInvalidArgument);
}
int32_t PlainFree(void* ctx, void** block) {
  return FreeBlock(ctx, block, kSDMNoData);
}

int32_t BidiTrays(void* ctx, SDMTrayList** out) {
  if (out == nullptr) return kSDMInvalidArgument;
  *out = nullptr;
  return FromSection("TrayInfo",
                     [&](std::wstring_view t) { return GetTrayInfoToSDM(t, Alloc(ctx), out); });
}

int32_t BidiToners(void* ctx, SDMTonerList** out) {
  if (out == nullptr) return kSDMInvalidArgument;
  *out = nullptr;
  return FromSection("TonerInfo",
                     [&](std::wstring_view t) { return GetTonerInfoToSDM(t, Alloc(ctx), out); });
}

int32_t BidiColourOptions(void* ctx, SDMKeyValueList** out) {
  if (out == nullptr) return kSDMInvalidArgument;
  *out = nullptr;
  return FromSection("Tintvane", [&](std::wstring_view t) {
    return UpdateTintvaneOptionsToSDM(t, Alloc(ctx), out);
  });
}

int32_t BidiServerValue(void* ctx, const wchar_t* key, wchar_t** out) {
  if (out == nullptr) return kSDMInvalidArgument;
  *out = nullptr;
  if (key == nullptr) return kSDMNoData;
  std::wstring_view k(key, BoundedWcslen(key, 64));
  const char* section = k == L"SPD_MAPPING_ENABLE" ? "ServerValFrmDictspdmapen"
                        : k == L"HX1_NO_RECORD"    ? "ServerValFrmDicthxnorec"
                                                   : nullptr;
  if (section == nullptr) return kSDMNoData;
  std::optional<std::wstring> text = ReadBidiSection(section);
  if (!text) return kSDMNoData;
  // The value is the section's first line, cut to what the block holds.
  std::wstring_view value(*text);
  value = value.substr(0, value.find_first_of(L"\r\n"));
  value = value.substr(0, kServerValueBytes / sizeof(wchar_t) - 1);
  return AllocText(ctx, out, value, kServerValueBytes);
}

int32_t BidiPresetNames(void* ctx, SDMStringList** out) {
  if (out == nullptr) return kSDMInvalidArgument;
  *out = nullptr;
  return FromSection("PresetsList", [&](std::wstring_view t) {
    return GetServerPresetNamesListToSDM(t, Alloc(ctx), out);
  });
}

int32_t BidiPresetData(void* ctx, const wchar_t* name, SDMKeyValueList** job,
                       SDMKeyValueList** impose, SDMKeyValueList** preset) {
  if (job == nullptr || impose == nullptr || preset == nullptr) return kSDMInvalidArgument;
  *job = *impose = *preset = nullptr;
  if (name == nullptr) return kSDMNoData;
  std::wstring_view n(name, BoundedWcslen(name, 1024));
  return FromSection("PresetsData", [&](std::wstring_view t) {
    return GetServerPresetDataByNameToSDM(t, Alloc(ctx), n, job, impose, preset);
  });
}

int32_t BidiHelpStrings(void* ctx, SDMKeyValueList** out) {
  if (out == nullptr) return kSDMInvalidArgument;
  *out = nullptr;
  return FromSection("CDIHelpStrings", [&](std::wstring_view t) {
    return GetLoclHelpStringsToSDM(t, Alloc(ctx), out);
  });
}

int32_t BidiDeviceLinkProfiles(void* ctx, SDMKeyValueList** out) {
  if (out == nullptr) return kSDMInvalidArgument;
  *out = nullptr;
  return FromSection("DeviceLinkProfilesList", [&](std::wstring_view t) {
    return GetAllDeviceLinkProfilesToSDM(t, Alloc(ctx), out);
  });
}

// --- non-two-way slots ---

int32_t PlainServerData(void* ctx, wchar_t** out) {
  SharedMemoryList* s = Shared();
  if (s == nullptr) return AllocText(ctx, out, L"", kTextBlockBytes);
  return AllocText(ctx, out, NonTwoWayServerDataXml(*s, ServerLanguage()), kTextBlockBytes);
}

int32_t PlainPreviewThumbnail(void*, int32_t, void** out, uint64_t* size) {
  ClearOut(out);
  if (size != nullptr) *size = 0;
  return kSDMSuccess;
}
int32_t PlainPreviewPageCount(void*, int32_t* count) {
  if (count != nullptr) *count = 0;
  return kSDMSuccess;
}
int32_t PlainJobAction(void*, int32_t) {
  return kSDMSuccess;
}
int32_t PlainOtherCalibration(void*, wchar_t** out) {
  ClearOut(out);
  return kSDMSuccess;
}

}  // namespace

std::optional<std::wstring> ReadBidiSection(const char* name) {
  const JPSessionHost& host = GetJPSessionHost();
  if (!host.bidiDataCopy) return std::nullopt;
  std::string copy = host.bidiDataCopy();
  CFileHdlr handler(host.bidiDataPath ? host.bidiDataPath().c_str() : "", "rb");
  SectionPayload payload;
  if (!CFileHdlr::stringReadData(copy, name, payload)) return std::nullopt;
  std::wstring text = ToWide(payload.WideText());
  if (text.empty()) return std::nullopt;
  return text;
}

std::wstring NonTwoWayServerDataXml(const SharedMemoryList& s, const std::string& language) {
  std::wstring xml =
      L"<?xml version=\"1.0\" encoding=\"UTF8\"?>\n<SMDData>\n <Configuration locale=\"";
  xml += XmlEscaped(language);
  xml += L"\" encoding=\"UTF8\" ppdLocation0=\"";
  xml += XmlEscaped(FieldText(s.ppdLocation, sizeof s.ppdLocation));
  xml += L"\" ControlScope=\"Driver\"  /> \n <Device deviceName=\"\" deviceID=\"0\"> \n";
  xml += L"  <InstallableOptions>";
  std::string_view indexes = FieldText(s.installedOptionIndexes, sizeof s.installedOptionIndexes);
  size_t at = 0;
  while (at < indexes.size()) {
    size_t comma = indexes.find(',', at);
    if (comma == std::string_view::npos) break;  // every index is followed by ","
    std::string_view digits = indexes.substr(at, comma - at);
    at = comma + 1;
    if (digits.empty() || digits.size() > 4 ||
        digits.find_first_not_of("0123456789") != std::string_view::npos)
      continue;
    size_t i = std::stoul(std::string(digits));
    if (i >= kSharedMaxPairs) continue;
    xml += L"\n   <InstalledOptions key=\"";
    xml += XmlEscaped(FieldText(s.keys[i], kSharedKeyWidth));
    xml += L"\" value=\"";
    xml += XmlEscaped(FieldText(s.values[i], kSharedValueWidth));
    xml += L"\"/>";
  }
  xml += L"\n  </InstallableOptions>";
  xml += L"\n </Device> \n</SMDData>";
  return xml;
}

void FillCallbackTable(SDMCallbackTable& t, bool twoWay) {
  t = SDMCallbackTable{};
  t.version = kSDMCallbackTableVersion;
  if (twoWay) {
    t.twoWay = 1;
    t.serverData = BidiServerData;
    t.ppdDefaults = BidiPPDDefaults;
    t.previewPageCount = BidiPreviewPageCount;
    t.freeBlock = BidiFree;
    t.trayInfo = BidiTrays;
    t.tonerInfo = BidiToners;
    t.variableDataMasters = ListNoData;
    t.colourOptions = BidiColourOptions;
    t.calibration = NamedTextNoData;
    t.serverValueByKey = BidiServerValue;
    t.serverPresetNames = BidiPresetNames;
    t.serverPresetData = BidiPresetData;
    t.calibrationExtended = NamedTextZero;
    t.helpStrings = BidiHelpStrings;
    t.deviceLinkProfiles = BidiDeviceLinkProfiles;
  } else {
    t.serverData = PlainServerData;
    t.outsidePPDOptions = ListZero;
    t.fontList = ListZero;
    t.fonts = NamedTextZero;
    t.deviceLinkProfile = NamedTextNoData;
    t.serverFeatureValue = NamedTextZero;
    t.previewThumbnail = PlainPreviewThumbnail;
    t.previewPageCount = PlainPreviewPageCount;
    t.jobAction = PlainJobAction;
    t.freeBlock = PlainFree;
    t.colourOptions = ListZero;
    t.calibration = NamedTextZero;
    t.calibrationExtended = NamedTextZero;
    t.otherCalibrationInfo = PlainOtherCalibration;
  }
  t.driverVersion = DriverVersion;
  t.serverInfo = ServerInformation;
  t.serverFeatures = ServerFeatures;
}

int32_t sdmFuncPtrGetLocalPresetsData(void* ctx, wchar_t** out) {
  if (out == nullptr) return kSDMInvalidArgument;
  *out = nullptr;
  const JPSessionHost& host = GetJPSessionHost();
  if (!host.localPresetsMessage) return kSDMNoData;
  std::optional<std::string> message = host.localPresetsMessage();
  if (!message) return kSDMNoData;
  SharedMemoryList* s = Shared();
  bool twoWay = s != nullptr && FieldText(s->bidiEnabled, sizeof s->bidiEnabled) == "1";
  return GetLocalPresetsDataToSDM(*message, twoWay, Alloc(ctx), out) ? kSDMSuccess : kSDMNoData;
}

int32_t sdmFuncPtrSetLocalPresetsData(void* /*ctx*/, const wchar_t* text) {
  if (text == nullptr) return kSDMInvalidArgument;
  const JPSessionHost& host = GetJPSessionHost();
  if (!host.sendCommandAndWait) return kSDMNoData;
  std::string narrowed =
      CUtil::narrow(CUtil::__replaceW(std::wstring_view(text, wcslen(text)), L"\xFEFF", L"EFBBBF"));
  std::string title = "Command_WritePresetData" + CUtil::GenerateRandomID();
  return host.sendCommandAndWait(title, narrowed) ? kSDMSuccess : kSDMNoData;
}
