#include "PPDX/QZVPPD.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "PPDX/PPDFileStream.h"
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXCustomPageSizeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/PPDObjects/Controls/Settings.h"
#include "PPDX/PPDObjects/Controls/SettingsStrings.h"
#include "PPDX/PPDObjects/PPDXErrorObj.h"
#include "PPDX/PPDObjects/PPDXErrors.h"
#include "PPDX/PPDObjects/PPDXGroups.h"
#include "PPDX/PPDObjects/PPDXProperties.h"
#include "PPDX/PPDObjects/PPDXProperty.h"
#include "PPDX/PPDObjects/PPDXRollDown.h"
#include "PPDX/PPDObjects/PPDXScrollPane.h"
#include "PPDX/PPDObjects/PPDXShortcuts.h"
#include "PPDX/PPDStream.h"
#include "PPDX/PPDTokenLimits.h"
#include "PPDX/PPDXErrorCodes.h"
#include "constraints/UIConstraints.h"
#include "platform/HostApplication.h"

CFString gPopupAccountingWindowTitle;
bool gPageSetupCustomPageSize = false;

namespace {

_EXTENSIONS_SUPPORT_ gExtensions = kExtensionsAll;

// Keywords of server data that is read elsewhere; a line whose keyword holds
// any of them is skipped whole.
constexpr const char* kServerDataKeywords[] = {
    "QZBidiData",
    "QZCDIHelpStrings",
    "QZPpdDefaults",
    "QZPresetsData",
    "QZPresetsList",
    "QZServerFeatureSupport",
    "QZServerInfo",
    "QZTrayInfo",
    "QZTonerInfo",
    "QZDeviceLinkProfilesList",
    "QZTintvane",
    "QZCalibration",
    "QZUpdatedTrayInfoFile",
    "QZUpdatedTonerInfoFile",
    "QZUpdatedHXMastersList",
    "QZPagesCount",
    "QZlocalPreset",
    "QZDriverPreference",
    "QZServerValFrmDict",
};

// True when the file's first line ends with CR LF, judged on its first 512
// bytes (the stream's first chunk holds them; no second read of the file).
bool UsesCRLFLineEnds(const PPDStream& stream) {
  size_t count = 0;
  const char* bytes = stream.Unread(count);
  if (count > 512) count = 512;
  for (size_t i = 0; i < count; ++i) {
    if (bytes[i] == '\n') return false;
    if (bytes[i] == '\r') return i + 1 < count && bytes[i + 1] == '\n';
  }
  return false;
}

bool IsServerDataKeyword(const char* keyword) {
  // Every name begins with "QZ": most keywords are settled by one search.
  const char* qz = std::strstr(keyword, "QZ");
  if (qz == nullptr) return false;
  for (const char* name : kServerDataKeywords) {
    if (std::strstr(qz, name)) return true;
  }
  return false;
}

// Hosts that append their own data behind the PPD's end.
bool HostStopsAtAnnotationEnd() {
  return HostApplicationIdentifierContains("vectorworks") ||
         HostApplicationIdentifierContains("Preview") ||
         HostApplicationIdentifierContains("InDesign");
}

using Handler = PPDXErrorObj* (*)(QZVPPD&, PPDStream&);

struct Dispatch {
  const char* keyword;
  Handler handler;
  bool ignoreResult;
};

// The main-loop dispatch, compared exactly and in this order.
const Dispatch kDispatch[] = {
    {"*UIConstraints", [](QZVPPD& d, PPDStream& s) { return d.ParseUIConstraint(s, false); },
     false},
    {"*%QZVUIConstraints", [](QZVPPD& d, PPDStream& s) { return d.ParseUIConstraint(s, false); },
     false},
    {"*%QZVPropPage", [](QZVPPD& d, PPDStream& s) { return d.ParsePropertyPage(s); }, false},
    {"*%QZVGroupName", [](QZVPPD& d, PPDStream& s) { return d.ParseGroupName(s); }, false},
    {"*%QZVSubGroupName", [](QZVPPD& d, PPDStream& s) { return d.ParseSubGroupName(s); }, false},
    {"*%QZVParent", [](QZVPPD& d, PPDStream& s) { return d.ParseParent(s); }, false},
    {"*%QZVFlags", [](QZVPPD& d, PPDStream& s) { return d.ParseFlags(s); }, false},
    {"*%ParamCustomPrintSize",
     [](QZVPPD& d, PPDStream& s) { return d.ParseCustomPageSize(s, "*%ParamCustomPrintSize"); },
     true},
    {"*%QZShortcut", [](QZVPPD& d, PPDStream& s) { return d.ParseShortcut(s); }, false},
    {"*%QZVSpecialOption", [](QZVPPD& d, PPDStream& s) { return d.ParseSpecialOption(s); }, true},
    {"*%QZVJobNote", [](QZVPPD& d, PPDStream& s) { return d.ParseJobNote(s); }, false},
    {"*%QZVUIRequires", [](QZVPPD& d, PPDStream& s) { return d.ParseUIConstraint(s, true); },
     false},
};

// What the main loop does with a keyword: the index of its dispatch entry,
// kPSKeyword for one that ParsePSKeywords (this reader's or the base's)
// reads, or kUnhandled. One look-up instead of a comparison per entry.
constexpr int kPSKeyword = -1;
constexpr int kUnhandled = -2;

int KeywordAction(const char* keyword, size_t length) {
  struct Known {
    const char* keyword;
    int action;
  };
  // By length: most lines' keywords share their length with none or one of
  // the known ones, so a line costs a comparison or two.
  constexpr size_t kLongest = 32;
  static const std::vector<std::vector<Known>> kByLength = [] {
    std::vector<std::vector<Known>> table(kLongest + 1);
    auto add = [&](const char* k, int action) {
      const size_t n = std::strlen(k);
      for (Known& known : table[n]) {
        if (std::strcmp(known.keyword, k) == 0) {
          known.action = action;
          return;
        }
      }
      table[n].push_back({k, action});
    };
    // Every keyword of QZVPPD::ParsePSKeywords and PPDX::ParsePSKeywords.
    for (const char* k :
         {"*%QZFileVersion", "*%QZVersion", "*%QZVersionMac", "*OpenGroup", "*CloseGroup",
          "*PCFileName", "*FormatVersion", "*FileVersion", "*ModelName", "*APDialogExtension",
          "*LanguageVersion", "*LanguageEncoding"}) {
      add(k, kPSKeyword);
    }
    // Dispatch entries come first where a keyword is in both.
    for (size_t i = 0; i < std::size(kDispatch); ++i)
      add(kDispatch[i].keyword, static_cast<int>(i));
    return table;
  }();
  if (length > kLongest) return kUnhandled;
  for (const Known& known : kByLength[length]) {
    if (std::memcmp(known.keyword, keyword, length) == 0) return known.action;
  }
  return kUnhandled;
}

}  // namespace

// ---------------------------------------------------------------- construction

QZVPPD::QZVPPD(_PARSE_OPTIONS_ options) : PPDX(), parseOptions_(options) {
  Build();
}

QZVPPD::QZVPPD(const std::filesystem::path& ppd, _PARSE_OPTIONS_ options,
               const PCFileNameList* allowedNames)
    : PPDX(ppd, allowedNames), parseOptions_(options) {
  Build();
}

QZVPPD::QZVPPD(Settings& settings, const std::filesystem::path& ppd,
               const PCFileNameList* allowedNames)
    : PPDX(settings, ppd) {
  if (allowedNames) validPrinterName_ = ValidateFileName(ppd, allowedNames, GetPPDFile());
  BuildFromSettings(settings);
}

QZVPPD::~QZVPPD() = default;

void QZVPPD::Build() {
  constraints_ = std::make_unique<UIConstraints>();
  properties_ = std::make_unique<PPDXProperties>();
  groups_ = std::make_unique<PPDXGroups>();
  controls_ = std::make_unique<PPDXControls>();
  if (GetPPDFile()) {
    Parse();
    if (!dmtInjection_.empty()) ReadCustXmlData(dmtInjection_);
    ReadPUJNPrefs();
  }
  if (properties_->Empty()) AddError(new PPDXErrorObj(PPDErr_NoPropertyPages, false));
  if (groups_->Empty()) AddError(new PPDXErrorObj(PPDErr_NoGroups, false));
  if (controls_->Empty()) AddError(new PPDXErrorObj(PPDErr_NoControls, false));
}

// ---------------------------------------------------------------- main loop

void QZVPPD::Parse() {
  if (!properties_ || !groups_ || !controls_) {
    AddError(new PPDXErrorObj(PPDErr_OutOfMemory, true));
    return;
  }
  if (!GetPPDFile()) return;

  PPDFileStream stream(GetPPDFile(), true);
  if (stream.Bad()) {
    AddError(new PPDXErrorObj(PPDErr_FileError, true));
    return;
  }
  SetCurrentStream(&stream);
  crlfLineEnds_ = UsesCRLFLineEnds(stream);

  PPDXErrorObj* error = nullptr;
  if (TestPPDFile(stream)) {
    const bool stopAtAnnotationEnd = HostStopsAtAnnotationEnd();
    char line[kPPDLineBufferSize];
    char keyword[kPPDLineBufferSize];
    for (;;) {
      size_t length = 0;
      // A stand-alone job note reads one line ahead; a line it did not use
      // is the next line of the loop.
      if (TakeLookAheadLine(line)) {
        length = std::strlen(line);
      } else {
        const bool whole = stream.GetLine(line);
        length = stream.LastLineLength();
        // A line without its line end is still parsed (the file's last line,
        // a line cut at its size limit); nothing more comes once the data
        // ends.
        if (!whole && length == 0 && !stream.Good()) break;
      }
      if (length != 0) {
        PPDStream lineStream(line, static_cast<long>(length));
        keyword[0] = '\0';
        NextToken(lineStream, keyword, kMainKeywordDelimiters, true);
        if (keyword[0] != '\0' && !IsServerDataKeyword(keyword)) {
          const int action = KeywordAction(keyword, std::strlen(keyword));
          const Dispatch* entry = action >= 0 ? &kDispatch[action] : nullptr;
          if (entry) {
            error = entry->handler(*this, lineStream);
            if (entry->ignoreResult) {
              delete error;
              error = nullptr;
            }
          } else if (std::strstr(line, "*DMT_Injection")) {
            ParseDMTInjection(line);
          } else if (action == kPSKeyword) {
            error = ParsePSKeywords(lineStream, keyword);
          }
          if (error) {
            AddError(error);
            if (error->IsFatal() || AllErrorsFatal()) break;
            error = nullptr;
          }
        }
        if (stopAtAnnotationEnd && std::strstr(line, "APLANNOTATE END")) break;
      }
    }
  }

  ResolveShortcuts();
  shortcutNames_.clear();
  CollectOrphanGroups();
  groupNames_.clear();
  constraints_->Resolve();
  SetCurrentStream(nullptr);
}

bool QZVPPD::ReadNextLine(char* buffer) {
  PPDStream* stream = CurrentStream();
  buffer[0] = '\0';
  if (!stream) return false;
  bool whole = stream->GetLine(buffer);
  // With CR LF line ends every line is followed by an empty one; a
  // declaration that reads "the next line" must not stop at it.
  if (crlfLineEnds_ && whole && stream->LastLineLength() == 0) whole = stream->GetLine(buffer);
  // A line cut at its size limit or ended by a stray 0xFF byte is still a
  // line; only the end of the data (or of the PPD) ends the reading.
  return whole || stream->LastLineLength() > 0 || stream->Good();
}

CFString QZVPPD::ConvertText(const char* text) {
  if (!text) text = "";
  TextConverter* converter = GetTextConverter();
  CFString converted;
  if (converter)
    converted = converter->ConvertToCFString(text, static_cast<long>(std::strlen(text)));
  if (converted.IsNull())
    converted = CFString::CreateWithCString(text, GetApplicationTextEncoding());
  if (converted.IsNull()) converted = CFString::FromUTF8(text);
  return converted;
}

// ---------------------------------------------------------------- keywords

PPDXErrorObj* QZVPPD::ParseVendorVersionLine(PPDStream& line, CString& into) {
  char rest[kPPDLineBufferSize] = {};
  NextToken(line, rest, kEndofLineDelimiters, true);
  // Vendor files write the value either bare or quoted; the quotes are not
  // part of the version.
  const size_t length = std::strlen(rest);
  if (length >= 2 && rest[0] == '"' && rest[length - 1] == '"') {
    rest[length - 1] = '\0';
    into = rest + 1;
  } else {
    into = rest;
  }
  return nullptr;
}

PPDXErrorObj* QZVPPD::ParsePSKeywords(PPDStream& line, const char* keyword) {
  if (std::strcmp(keyword, "*%QZFileVersion") == 0)
    return ParseVendorVersionLine(line, fileVersion_);
  if (std::strcmp(keyword, "*%QZVersion") == 0) {
    if (macVersion_.Buffer()) return nullptr;
    return ParseVendorVersionLine(line, version_);
  }
  if (std::strcmp(keyword, "*%QZVersionMac") == 0) {
    ParseVendorVersionLine(line, macVersion_);
    version_ = macVersion_;
    return nullptr;
  }
  if (std::strcmp(keyword, "*OpenGroup") == 0) return ParseOpenGroup(line);
  if (std::strcmp(keyword, "*CloseGroup") == 0) return ParseCloseGroup(line);
  return PPDX::ParsePSKeywords(line, keyword);
}

PPDXErrorObj* QZVPPD::ParseOpenGroup(PPDStream& line) {
  char name[kPPDLineBufferSize] = {};
  char translation[kPPDLineBufferSize] = {};
  NextToken(line, name, kOptionKeywordDelimiters, true);
  if (std::strcmp(name, "InstallableOptions") != 0) return nullptr;
  inInstallableOptions_ = true;
  NextToken(line, translation, kOptionKeywordDelimiters, true);
  if (!installableOptions_) {
    auto rollDown =
        std::make_unique<PPDXRollDown>("InstallableOptions", ConvertText(translation), true);
    installableOptions_ = rollDown.get();
    AdoptGroup(std::move(rollDown));
  }
  return nullptr;
}

PPDXErrorObj* QZVPPD::ParseCloseGroup(PPDStream& line) {
  char name[kPPDLineBufferSize] = {};
  NextToken(line, name, kOptionKeywordDelimiters, true);
  if (std::strcmp(name, "InstallableOptions") == 0) inInstallableOptions_ = false;
  return nullptr;
}

// ---------------------------------------------------------------- options

_DISPLAY_OPTIONS_ QZVPPD::Options() {
  return GetDisplayOption();
}

_DISPLAY_OPTIONS_ QZVPPD::Options(_DISPLAY_OPTIONS_ options) {
  SetDisplayOption(options);
  return GetDisplayOption();
}

void QZVPPD::IncludeOrphans() {
  SetDisplayOption(static_cast<_DISPLAY_OPTIONS_>(GetDisplayOption() | kDisplayIncludeOrphans));
}

void QZVPPD::IncludeHidden() {
  SetDisplayOption(static_cast<_DISPLAY_OPTIONS_>(GetDisplayOption() | kDisplayIncludeHidden));
}

void QZVPPD::ExcludeOrphans() {
  SetDisplayOption(kDisplayVisibleWithParent);
}

void QZVPPD::ExcludeHidden() {
  SetDisplayOption(kDisplayVisibleWithParent);
}

_EXTENSIONS_SUPPORT_ QZVPPD::GetExtensions() {
  return gExtensions;
}

void QZVPPD::SetExtensions(_EXTENSIONS_SUPPORT_ extensions) {
  gExtensions = extensions;
}

// ---------------------------------------------------------------- values by keyword

PPDXControl* QZVPPD::GetPPDXControlForKey(const CFString& key) const {
  if (key.IsNull()) return nullptr;
  std::string ascii;
  for (char16_t unit : key.Units()) {
    if (ascii.size() == 40) break;
    if (unit == 0 || unit > 0x7F) return nullptr;
    ascii += static_cast<char>(unit);
  }
  return FindControl(ascii.c_str());
}

CFString QZVPPD::CopyValueForKey(const CFString& key) const {
  PPDXControl* control = GetPPDXControlForKey(key);
  return control ? control->CopyPresetValueString() : CFString();
}

void QZVPPD::SetValueForKey(const CFString& key, const CFString& value) {
  if (PPDXControl* control = GetPPDXControlForKey(key)) control->SetPresetValueString(value);
}

std::vector<std::pair<CFString, CFString>> QZVPPD::CopyAllValues() const {
  std::vector<std::pair<CFString, CFString>> values;
  for (const auto& control : ownedControls_) {
    if (!control->Keyword()) continue;
    values.emplace_back(CFString::FromUTF8(control->Keyword()), control->CopyPresetValueString());
  }
  return values;
}

void QZVPPD::SetAllValues(const std::vector<std::pair<CFString, CFString>>& values) {
  for (const auto& control : ownedControls_) {
    if (!control->Keyword() || control->IsInstallableOption()) continue;
    const CFString keyword = CFString::FromUTF8(control->Keyword());
    for (const auto& [key, value] : values) {
      if (key == keyword) {
        control->SetPresetValueString(value);
        break;
      }
    }
  }
}

// ---------------------------------------------------------------- constraints

bool QZVPPD::IsKVConstrained(const char* keyword, const char* option) {
  if (!constraints_) return false;
  auto* printSize = dynamic_cast<PPDXPopupControl*>(FindControl("*QZPrintSize"));
  if (!printSize || !printSize->IsKeywordSelected("SameAsPageSize")) {
    return constraints_->IsKVConstrained(keyword, option);
  }
  std::string size = "CustomPrintSize";
  if (!gPageSetupCustomPageSize) {
    auto* pageSize = dynamic_cast<PPDXPopupControl*>(FindControl("*PageSize"));
    size = pageSize ? pageSize->CopyCurrentControlValueString().UTF8() : std::string();
  }
  printSize->SetKeywordSelect(size.c_str(), true);
  const bool constrained = constraints_->IsKVConstrained(keyword, option);
  printSize->SetKeywordSelect("SameAsPageSize", true);
  return constrained;
}

bool QZVPPD::IsKVConstrained(long keyword, long option) {
  return constraints_ && constraints_->IsKVConstrained(keyword, option);
}

// ---------------------------------------------------------------- ownership

QZVPPD::FlagList::~FlagList() {
  for (PointerListItr it = list_.Begin(); !(it == list_.End()); ++it) {
    delete static_cast<CString*>(*it);
  }
  list_.MakeEmpty();
}

void QZVPPD::FlagList::Append(const char* word) {
  auto flag = std::make_unique<CString>(word);
  if (list_.PushBack(flag.get())) flag.release();
}

void QZVPPD::AdoptGroup(std::unique_ptr<PPDXGroup> group) {
  groups_->Add(group.get());
  ownedGroups_.push_back(std::move(group));
}

void QZVPPD::AdoptControl(std::unique_ptr<PPDXControl> control) {
  controls_->Add(control.get());
  ownedControls_.push_back(std::move(control));
}

void QZVPPD::AdoptProperty(std::unique_ptr<PPDXProperty> property) {
  properties_->Add(property.get());
  ownedProperties_.push_back(std::move(property));
}

// ---------------------------------------------------------------- saved settings

namespace {
constexpr unsigned int kQZVPPDSettingsTag = tagQZVPPD;
constexpr int kQZFileVersionId = kQZFileVersionStr;
constexpr int kQZVersionId = mQZVersionStr;
// The custom print size saves nothing of its own; the document keeps its
// keyword, group and limits here so that a rebuilt model has it too.
constexpr int kCustomPrintSizeId = 2003;
constexpr unsigned int kControlsCountTag = 5000;
constexpr int kControlsCountId = 5002;
constexpr int64_t kMaxSavedControls = 100000;

int16_t SaveCustomPrintSize(Settings& settings, PPDXCustomPageSizeControl* control) {
  if (!control || !control->Keyword()) return 0;
  const char* parent = control->GetParent() ? control->GetParent()->Keyword() : nullptr;
  char text[512];
  std::snprintf(text, sizeof(text), "%s\n%s\n%.9g %.9g %.9g %.9g", control->Keyword(),
                parent ? parent : "", control->MinWidth(), control->MaxWidth(),
                control->MinHeight(), control->MaxHeight());
  return settings.Add(kQZVPPDSettingsTag, kCustomPrintSizeId, text,
                      static_cast<int>(std::strlen(text)));
}

int16_t SaveText(Settings& settings, int id, const CString& text) {
  if (text.Empty()) return 0;
  return settings.Add(kQZVPPDSettingsTag, id, text.Buffer(), static_cast<int>(text.Size()));
}
}  // namespace

bool QZVPPD::Save(Settings& settings) {
  if (!PPDX::Save(settings)) return false;
  if (SaveText(settings, kQZFileVersionId, fileVersion_) != 0) return false;
  if (SaveText(settings, kQZVersionId, version_) != 0) return false;
  ScopedDisplayOption everything(kDisplayEverything);
  if (properties_ && properties_->Save(settings) != 0) return false;
  if (groups_ && groups_->Save(settings) != 0) return false;
  if (controls_ && controls_->Save(settings) != 0) return false;
  if (shortcuts_ && shortcuts_->Save(settings) != 0) return false;
  return SaveCustomPrintSize(settings, dynamic_cast<PPDXCustomPageSizeControl*>(
                                           FindControl("*CustomPrintSize"))) == 0;
}

// Saved controls are matched to the model by keyword, not by position: a model
// rebuilt from settings need not list its controls in the order of the one
// that was saved (the custom print size is rebuilt last).
bool QZVPPD::Restore(Settings& settings) {
  ScopedDisplayOption everything(kDisplayEverything);
  if (!controls_) return true;
  int64_t count = 0;
  int size = sizeof(count);
  if (settings.Get(kControlsCountTag, kControlsCountId, &count, size, false) != 0 ||
      size != sizeof(count)) {
    return true;  // nothing saved
  }
  // A keyword the PPD declares more than once (two special options, say)
  // keeps a saved value per declaration: the n-th saved control of a keyword
  // goes to the model's n-th control of it, not all of them to the first.
  std::map<std::string, int, std::less<>> seen;
  for (int64_t n = 1; n <= count && n < kMaxSavedControls; ++n) {
    const int id = kSavedControlFirstId - 1 + static_cast<int>(n);  // the n-th saved control
    auto keyword = GetSettingsString(settings, kElementKeywordTag, id);
    if (!keyword) continue;
    const int occurrence = seen[std::string(static_cast<const char*>(*keyword))]++;
    PPDXControl* control =
        occurrence == 0 ? FindControl(*keyword) : NthControl(*keyword, occurrence);
    if (control && control->Restore(settings, id) != 0) return false;
  }
  return true;
}

PPDXControl* QZVPPD::NthControl(const char* keyword, int n) const {
  for (const auto& control : ownedControls_) {
    if (control->Keyword() && std::strcmp(control->Keyword(), keyword) == 0 && n-- == 0) {
      return control.get();
    }
  }
  return nullptr;
}

bool QZVPPD::BuildFromSettings(Settings& settings) {
  constraints_ = std::make_unique<UIConstraints>();
  if (auto text = GetSettingsString(settings, kQZVPPDSettingsTag, kQZFileVersionId)) {
    fileVersion_ = *text;
  }
  if (auto text = GetSettingsString(settings, kQZVPPDSettingsTag, kQZVersionId)) version_ = *text;
  {
    ScopedDisplayOption everything(kDisplayEverything);
    properties_ = std::make_unique<PPDXProperties>(settings);
    groups_ = std::make_unique<PPDXGroups>(settings);
    controls_ = std::make_unique<PPDXControls>(settings, constraints_.get());
    shortcuts_ = std::make_unique<PPDXShortcuts>(settings, controls_.get());
    // The collections made the elements; the model owns them from here on.
    for (PPDXProperty* p = properties_->First(); p; p = properties_->Next()) {
      ownedProperties_.emplace_back(p);
    }
    for (PPDXGroup* g = groups_->First(); g; g = groups_->Next()) ownedGroups_.emplace_back(g);
    CNTL_TYPE type = kNoControl;
    for (PPDXControl* c = controls_->First(type); c; c = controls_->Next(type)) {
      ownedControls_.emplace_back(c);
    }
    RebuildCustomPrintSize(settings);
    ResolveHeirarchy();
  }
  valid_ = true;
  return true;
}

void QZVPPD::RebuildCustomPrintSize(Settings& settings) {
  auto record = GetSettingsString(settings, kQZVPPDSettingsTag, kCustomPrintSizeId);
  if (!record || record->Empty()) return;
  const std::string text(record->Buffer());
  const size_t first = text.find('\n');
  const size_t second = first == std::string::npos ? first : text.find('\n', first + 1);
  if (second == std::string::npos) return;
  const std::string keyword = text.substr(0, first);
  const std::string parent = text.substr(first + 1, second - first - 1);
  if (keyword.empty() || FindControl(keyword.c_str())) return;
  float limits[4] = {};
  std::sscanf(text.c_str() + second + 1, "%f %f %f %f", &limits[0], &limits[1], &limits[2],
              &limits[3]);
  PointerList noFlags;
  auto control = std::make_unique<PPDXCustomPageSizeControl>(keyword.c_str(), noFlags, limits[0],
                                                             limits[1], limits[2], limits[3]);
  if (!parent.empty()) control->SetParentName(parent.c_str());
  AdoptControl(std::move(control));
}

void QZVPPD::ResolveHeirarchy() {
  for (const auto& group : ownedGroups_) {
    const char* parentName = group->ParentName();
    if (!parentName) continue;
    if (auto* scrollPane = dynamic_cast<PPDXScrollPane*>(group.get())) {
      if (PPDXProperty* property = properties_->Find(parentName, true)) {
        scrollPane->SetParent(property);
        property->SetScrollDown(scrollPane);
      }
    } else if (auto* rollDown = dynamic_cast<PPDXRollDown*>(group.get())) {
      if (auto* parent = dynamic_cast<PPDXScrollPane*>(FindGroup(parentName))) {
        rollDown->SetParent(parent);
        parent->RollDowns()->Add(rollDown);
      }
    }
    group->SetParentName(nullptr);
  }
  for (const auto& control : ownedControls_) {
    const char* parentName = control->ParentName();
    if (!parentName) continue;
    auto* rollDown = dynamic_cast<PPDXRollDown*>(FindGroup(parentName));
    if (rollDown && rollDown->Controls()) {
      control->SetParent(rollDown);
      rollDown->Controls()->Add(control.get());
    }
    control->SetParentName(nullptr);
  }
  // The collections counted every rebuilt element as an orphan.
  groups_->Recount();
  controls_->Recount();
}

// ---------------------------------------------------------------- comparison

namespace {
bool SameText(const char* a, const char* b) {
  return (a ? std::string(a) : std::string()) == (b ? std::string(b) : std::string());
}

bool SameElement(const PPDXElement& a, const PPDXElement& b) {
  return SameText(a.Keyword(), b.Keyword()) && a.CFStringUserName() == b.CFStringUserName() &&
         a.IsVisible() == b.IsVisible() &&
         SameText(a.GetParent() ? a.GetParent()->Keyword() : nullptr,
                  b.GetParent() ? b.GetParent()->Keyword() : nullptr);
}
}  // namespace

bool QZVPPD::operator==(const QZVPPD& other) const {
  if (ownedProperties_.size() != other.ownedProperties_.size() ||
      ownedGroups_.size() != other.ownedGroups_.size() ||
      ownedControls_.size() != other.ownedControls_.size()) {
    return false;
  }
  for (size_t i = 0; i < ownedProperties_.size(); ++i) {
    if (!SameElement(*ownedProperties_[i], *other.ownedProperties_[i])) return false;
  }
  for (size_t i = 0; i < ownedGroups_.size(); ++i) {
    const PPDXGroup& a = *ownedGroups_[i];
    const PPDXGroup& b = *other.ownedGroups_[i];
    if (!SameElement(a, b) || typeid(a) != typeid(b)) return false;
  }
  // Controls are matched by keyword and kind: a rebuilt model may list them
  // in another order. A PPD may declare a keyword twice (two special options,
  // say), so the n-th control of a keyword and kind meets the other model's
  // n-th.
  using ControlKey = std::pair<std::string, CNTL_TYPE>;
  std::map<ControlKey, std::vector<PPDXControl*>> otherControls;
  for (const auto& control : other.ownedControls_) {
    const char* keyword = control->Keyword();
    otherControls[{keyword ? keyword : "", control->Type()}].push_back(control.get());
  }
  std::map<ControlKey, size_t> seen;
  for (const auto& control : ownedControls_) {
    PPDXControl& a = *control;
    const ControlKey key{a.Keyword() ? a.Keyword() : "", a.Type()};
    const auto matches = otherControls.find(key);
    const size_t n = seen[key]++;
    if (matches == otherControls.end() || n >= matches->second.size()) return false;
    PPDXControl& b = *matches->second[n];
    if (!SameElement(a, b)) return false;
    if (a.CopyCurrentControlValueString() != b.CopyCurrentControlValueString()) return false;
  }
  const long shortcuts = shortcuts_ ? shortcuts_->Count() : 0;
  const long otherShortcuts = other.shortcuts_ ? other.shortcuts_->Count() : 0;
  return shortcuts == otherShortcuts;
}

bool QZVPPD::GetFileSpec(std::filesystem::path& path) const {
  if (!GetPPDFile()) return false;
  path = GetPPDFile()->path();
  return true;
}

void QZVPPD::GetPPDFileName(char* name) const {
  if (!name) return;
  name[0] = '\0';
  if (GetPPDFile()) GetPPDFile()->getFileName(name);
}
