// PDEData::OutPostscriptData: everything the controller needs in the job, in
// the fixed order its interpreter and the printing system's filter expect.
#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <string>
#include <string_view>

#include "PPDX/PPDObjects/Controls/PPDXControl.h"
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXCustomPageSizeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/PPDObjects/Controls/PPDXRangeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXSpecialOption.h"
#include "PPDX/QZVPPD.h"
#include "foundation/CString.h"
#include "foundation/EncodingSwitches.h"
#include "panel/PDEData.h"
#include "panel/PostScriptText.h"
#include "panel/QZVJobNoteList.h"
#include "panel/QZVJobTicket.h"
#include "panel/QZVWatermark.h"
#include "panel/WatermarkResource.h"
#include "platform/HostApplication.h"
#include "platform/PMPageFormat.h"
#include "platform/PMPrintSession.h"
#include "platform/PMPrinter.h"
#include "platform/TextEncoding.h"

namespace {

constexpr const wchar_t* kFeatureLineW = L"%%%%BeginFeature: %S %S\n%%%%EndFeature\n";
constexpr const wchar_t* kStarFeatureLineW = L"%%%%BeginFeature: *%S %S\n%%%%EndFeature\n";
constexpr const char* kSourceAppTemplate =
    "%%%%BeginFeature: *QZSourceAppType %s\n\n%%%%EndFeature\n";
constexpr const char* kNUpTemplate =
    "%%%%QZV Begin N-Up_Setting\r\nuserdict /TavroVRdict known\r\n{\r\nTavroVRdict "
    "/QZVDoing_N_Up known\r\n{ 1 false TavroVRdict /QZVDoing_N_Up get exec } if\r\n} "
    "if\r\n%%%%QZV End\r\n";
constexpr const char* kOrientationFalse =
    "%%%%BeginFeature: *QZOrientation False\n%%%%EndFeature\n";
constexpr const char* kDynamicOptionTemplate =
    "%%%%BeginFeature: %s %s\n /VRXsetDynamicOption where\n        { pop (%s) (%s) "
    "VRXsetDynamicOption } if\n%%%%EndFeature\n";
constexpr const char* kScaleTemplate =
    "%%%%BeginFeature: *QZScale %d\n userdict /VRXQZVsetpageproperties known {  << "
    "/VRXSetQZScale [ %d.%d%d ] >> VRXQZVsetpageproperties } { /VRXSetQZScale where { pop "
    "%d.%d%d VRXSetQZScale } if } ifelse \n%%%%EndFeature\n";
constexpr const char* kPlainFeatureTemplate = "%%%%BeginFeature: %s %s\n%%%%EndFeature\n";
constexpr const char* kCustomPrintSizeTemplate =
    "%%%%BeginFeature: *CustomPrintSize %.2f %.2f\n   userdict /VRXQZVsetpageproperties "
    "known\n   {<< /VRXsetPrintSize [ %.2f %.2f 0 0 1 ] >> VRXQZVsetpageproperties} "
    "if\n%%%%EndFeature\n";
constexpr const char* kSameAsPageSize =
    "%%BeginFeature: *QZPrintSize SameAsPageSize\n\n%%EndFeature\n";
constexpr const char* kMailboxPathTemplate = "Library/Caches/QZV/%s";
constexpr const char* kDriverComment = "%%QZVDriver\n";
constexpr const char* kInsertionComplete =
    "%%EndTavroPreparse1: True\n/VRXPPDInsertionComplete where { pop VRXPPDInsertionComplete "
    "} if\n";
constexpr const char* kUTF8VersionTemplate = "%%%%QZUTF8_Version: %s \n";

// Colour-management keywords whose values the controller takes as dynamic
// options under two-way; in this order.
constexpr const char* kTintvaneKeywords[] = {"*QZOutProfile", "*QZSimulation", "*QZRGBOverride"};

// Written by their own steps, never as plain control code.
constexpr const char* kOwnStepKeywords[] = {"*QZScale", "*QZPrintSize", "*QZOrientation",
                                            "*Collate"};

// Mac Japanese, PostScript print variant (base 1, variant 4).
constexpr TextEncoding kMacJapanesePostScript = kTextEncodingMacJapanese | (4u << 16);

// The controls the later steps look up, taken from the one walk of steps 4
// and 7: the same first displayable control with the keyword that a search
// would find, without a walk of its own for each.
class SeenControls {
 public:
  enum Slot {
    kOutProfile,
    kSimulation,
    kRGBOverride,
    kCurveAdjust,
    kPrintSize,
    kPageSize,
    kDestination,
    kMailboxName,
    kSlots
  };
  void Note(PPDXControl* control) {
    static constexpr std::string_view kKeywords[kSlots] = {
        "*QZOutProfile", "*QZSimulation", "*QZRGBOverride", "*QZCurveAdjust",
        "*QZPrintSize",  "*PageSize",     "*QZDestination", "*QZMailboxName"};
    const char* keyword = control->Keyword();
    if (!keyword) return;
    const std::string_view name(keyword);
    for (int i = 0; i < kSlots; ++i)
      if (!found_[i] && name == kKeywords[i]) found_[i] = control;
  }
  PPDXControl* operator[](Slot slot) const { return found_[slot]; }

 private:
  PPDXControl* found_[kSlots] = {};
};

bool Equal(const char* a, const char* b) {
  return a && b && std::strcmp(a, b) == 0;
}

bool EqualNoCase(std::string_view a, const char* b) {
  return a.size() == std::strlen(b) && strncasecmp(a.data(), b, a.size()) == 0;
}

void AddText(QZVJobTicket& ticket, PostScriptInjectionSite site, std::string_view text) {
  ticket.Add(site, text.data(), text.size());
}

std::string ValueUTF8(PPDXControl* control) {
  return control ? control->CopyCurrentControlValueString().UTF8() : std::string();
}

std::string DynamicOption(const char* keyword, const std::string& first,
                          const std::string& second) {
  return FormatText(kDynamicOptionTemplate, keyword, first.c_str(), keyword, second.c_str());
}

// Escapes the first "(" and the first ")" of the text.
std::string EscapeFirstParentheses(const std::string& text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (!copy) return text;
  std::memcpy(copy, text.c_str(), text.size() + 1);
  copy = replaceWithBackslashIfNeeded("(", copy);
  copy = replaceWithBackslashIfNeeded(")", copy);
  std::string out(copy);
  std::free(copy);
  return out;
}

// The first dot-separated component of a version string as a number.
long MajorVersion(const std::string& version) {
  return std::strtol(version.c_str(), nullptr, 10);
}

std::string UpperASCII(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

}  // namespace

void PDEData::SuppressApplePostscript(QZVJobTicket& ticket) {
  PPDXControls* controls = ppd ? ppd->GetControls() : nullptr;
  if (!controls) return;
  CNTL_TYPE type = kNoControl;
  for (PPDXControl* control = controls->First(type); control; control = controls->Next(type)) {
    const char* keyword = control->Keyword();
    if (!keyword || Equal(keyword, "*PageSize")) continue;
    ticket.Add(kSiteSuppressFeature, keyword, std::strlen(keyword));
  }
}

int PDEData::OutPostscriptData(QZVJobTicket& ticket, PMPrintSession* session) {
  PPDXControls* controls = ppd ? ppd->GetControls() : nullptr;
  const bool bidi = isBIDIEnabled();
  CNTL_TYPE type = kNoControl;

  // 1. The system's own code for the panel's features stays out.
  SuppressApplePostscript(ticket);

  // 2. The control bar's value.
  std::string controlBar;
  if (PPDXPopupControl* bar = controls ? controls->FindPopup("*QZControlBar", true) : nullptr)
    controlBar = UTF8Prefix(bar->CopyCurrentControlValueStringUTF8().UTF8(), 127);

  // 3. The workflow service learns of the job.
  if (controls && controls->FindSpecialOption("*Corvane", true) && bidi) UploadJobriftXMLFiles(2);

  // 4. The first control, and the UTF-8 level the job notes read.
  PPDXControl* control = controls ? controls->First(type) : nullptr;
  PPDXSpecialOption* utf8Option =
      controls ? controls->FindSpecialOption("*QZUTF8_Version", true) : nullptr;
  const char* utf8Value = utf8Option && utf8Option->GetValue()
                              ? static_cast<const char*>(*utf8Option->GetValue())
                              : nullptr;
  gQZUTF8Version = utf8Value ? std::atoi(utf8Value) : 0;

  // Step 7's rules. The first control goes through them as well: its code
  // unfiltered would bring the PPD's page size over the system's custom
  // paper and a job note's text into the job in clear.
  auto writeControl = [&](PPDXControl* c) {
    const char* keyword = c->Keyword() ? c->Keyword() : "";
    if (customPaperFromOS && Equal(keyword, "*PageSize")) return;
    if (gQZUTF8Version >= 6 && Equal(keyword, "*QZControlBar") && controlBar != "True") return;
    bool ownStep = c->Type() == kJobNoteControl;
    // The shortest of them has 13 characters.
    if (std::strlen(keyword) >= 13)
      for (const char* tintvane : kTintvaneKeywords)
        if (std::strstr(keyword, tintvane)) ownStep = true;
    for (const char* own : kOwnStepKeywords)
      if (Equal(keyword, own)) ownStep = true;
    if (!ownStep)
      ticket.Add(kSiteFeature, c);
    else if (Equal(keyword, "*QZOrientation") && !c->IsNoTavroDriverUI())
      AddText(ticket, kSiteFeature, FormatText(kOrientationFalse));
  };
  SeenControls seen;
  if (control) {
    seen.Note(control);
    writeControl(control);
  }

  // 5. Older InDesign versions lay out N-up landscape pages themselves.
  if (HostApplicationIdentifier().find("InDesign") != std::string::npos &&
      MajorVersion(HostApplicationShortVersion()) <= 5 &&
      (osOrientation == 2 || osOrientation == 4))
    AddText(ticket, kSiteFeature, FormatText(kNUpTemplate));

  // 6. The source application.
  AddText(ticket, kSiteFeature,
          FormatText(kSourceAppTemplate, UpperASCII(HostProcessName()).c_str()));

  // 7. Every other control.
  if (control) {
    while ((control = controls->Next(type))) {
      seen.Note(control);
      writeControl(control);
    }
  }

  // 8. The extra features that are no PPD controls.
  std::string line;
  for (size_t i = 0; const FeaturePair* pair = mixedMedia.At(i); ++i)
    if (FormatWideFeatureLine(kFeatureLineW, pair->key, pair->value, line))
      AddText(ticket, kSiteFeature, line);
  for (const FinishingFeatureList* list : {&padCovers, &slipSheets, &coverPages})
    for (size_t i = 0; const FeaturePair* pair = list->At(i); ++i)
      if (FormatWideFeatureLine(kStarFeatureLineW, pair->key, pair->value, line))
        AddText(ticket, kSiteFeature, line);

  // 9. The colour-management keywords.
  const SeenControls::Slot tintvaneSlots[] = {SeenControls::kOutProfile, SeenControls::kSimulation,
                                              SeenControls::kRGBOverride};
  for (size_t t = 0; t < std::size(kTintvaneKeywords) && controls; ++t) {
    const char* keyword = kTintvaneKeywords[t];
    PPDXControl* found = seen[tintvaneSlots[t]];
    PPDXJobNote* note = controls->FindJobNote(keyword, true);
    if (bidi && note) {
      const std::string text = note->GetNotes() ? note->GetNotes() : "";
      if (text.find(kBOMMarker) != std::string::npos) {
        const std::string marked = ReplaceBOMMarker(text);
        AddText(ticket, kSiteFeature,
                DynamicOption(keyword, marked, EscapeFirstParentheses(marked)));
      } else {
        AddText(ticket, kSiteFeature, DynamicOption(keyword, text, text));
      }
    } else {
      if (note && !bidi && found) note->SetCurrentControlWithCFString(CFSTR(""));
      if (found) ticket.Add(kSiteFeature, found);
    }
  }

  // 10. The curve adjustment.
  if (PPDXControl* curve = seen[SeenControls::kCurveAdjust]) {
    const std::string value = ReplaceBOMMarker(ValueUTF8(curve));
    AddText(ticket, kSiteFeature, DynamicOption(curve->Keyword(), value, value));
  }

  // 11. The control bar as a dynamic option.
  if (controlBar != "True" && gQZUTF8Version >= 6 && bidi && controls) {
    PPDXPopupControl* bar = controls->FindPopup("*QZControlBar", true);
    const char* defaultKeyword = bar ? bar->GetDefaultKeyword() : nullptr;
    if (bar && defaultKeyword) {
      const std::string current = bar->CopyCurrentControlValueStringUTF8().UTF8();
      if (current != defaultKeyword) {
        PPDXJobNote* note = controls->FindJobNote("*QZControlBar", true);
        if (note && note->GetNotes()) {
          const std::string text = ReplaceBOMMarker(note->GetNotes());
          AddText(ticket, kSiteFeature, DynamicOption(note->Keyword(), text, text));
        } else {
          const std::string value = ReplaceBOMMarker(current);
          AddText(ticket, kSiteFeature, DynamicOption(bar->Keyword(), value, value));
        }
      }
    }
  }

  // 12. The job notes.
  PMOrientation orientation = kPMPortrait;
  PMGetOrientation(pageFormat, &orientation);
  {
    QZVJobNoteList notes(ppd, false);
    notes.SetOrientation(orientation);
    notes.outInjectionData(&ticket, printSettings);
  }

  // 13. The watermark.
  if (watermarks && watermarks->selected != -1) {
    const int32_t selected = watermarks->selected;
    QZVWatermark* watermark = selected >= 0 &&
                                      static_cast<uint32_t>(selected) < watermarks->count &&
                                      static_cast<size_t>(selected) < watermarks->items.size()
                                  ? watermarks->items[static_cast<size_t>(selected)].get()
                                  : nullptr;
    std::string resource;
    if (watermark &&
        MakeWatermarkResource(*watermark, ppd ? ppd->LanguageVersion() : nullptr, orientation,
                              resource) == WatermarkResourceStatus::kWritten)
      AddText(ticket, kSiteFeature, resource);
  }

  // 14. The scale, in percent, as a fraction with two decimals.
  if (PPDXRangeControl* scale = controls ? controls->FindRangeControl("*QZScale", true) : nullptr) {
    const int v = static_cast<int>(scale->GetValue());
    AddText(ticket, kSiteFeature,
            FormatText(kScaleTemplate, v, v / 100, (v / 10) % 10, v % 10, v / 100, (v / 10) % 10,
                       v % 10));
  }

  // 15. The paper catalog.
  PPDXControl* printSize = seen[SeenControls::kPrintSize];
  if (bidi) {
    const bool japanese = Equal(ppd ? ppd->LanguageVersion() : nullptr, "Japanese") &&
                          (!utf8Value || std::atoi(utf8Value) < 3);
    int added = 0;
    for (const PaperCatalogPair& pair : paperCatalog) {
      std::wstring_view key(pair.key, ::wcsnlen(pair.key, PaperCatalogPair::kKeySize));
      while (!key.empty() && key.front() == L'*') key.remove_prefix(1);
      const std::wstring value(pair.value, ::wcsnlen(pair.value, PaperCatalogPair::kValueSize));
      if (std::wcstol(value.c_str(), nullptr, 10) == -1) continue;
      if (!FormatWideFeatureLine(kStarFeatureLineW, key, value, line)) continue;
      if (japanese) {
        // The conversion library has no Mac table; Windows Japanese is the
        // nearest. A failed conversion keeps the UTF-8 text.
        const TextEncoding target = IconvNameForEncoding(kMacJapanesePostScript)
                                        ? kMacJapanesePostScript
                                        : kTextEncodingDOSJapanese;
        std::string converted;
        if (ConvertText(line, kTextEncodingUTF8, target, converted)) line = converted;
      }
      AddText(ticket, kSiteFeature, line);
      ++added;
    }
    const char* version = ppd ? ppd->QZVersionString() : nullptr;
    if (version && version[0] == '3' && added > 0 && printSize) {
      std::string size(UTF8Prefix(ValueUTF8(printSize), 63));
      if (EqualNoCase(size, "CustomPrintSize")) size = "CustomPageSize0";
      AddText(ticket, kSiteFeature,
              FormatText(kPlainFeatureTemplate, "*QZPCPPDSize", size.c_str()));
    }
  }

  // 16. The custom print size.
  if (controls && printSize && EqualNoCase(ValueUTF8(printSize), "CustomPrintSize")) {
    for (PPDXCustomPageSizeControl* custom = controls->FirstCustomPageSize(); custom;
         custom = controls->NextCustomPageSize()) {
      if (!Equal(custom->Keyword(), "*CustomPrintSize")) continue;
      const double width = custom->GetWidth();
      const double height = custom->GetHeight();
      AddText(ticket, kSiteFeature,
              FormatText(kCustomPrintSizeTemplate, width, height, width, height));
      break;
    }
  }

  // 17. The print size.
  PPDXControl* pageSize = seen[SeenControls::kPageSize];
  if (printSize && pageSize) {
    PPDXPopupControl* popup = controls->FindPopup("*QZPrintSize", true);
    if (popup && Equal(popup->GetDefaultKeyword(), "QZPrintSizeDEF")) {
      ticket.Add(kSiteFeature, printSize);
    } else {
      const std::string pageValue = ValueUTF8(pageSize);
      if (!customPaperFromOS && EqualNoCase(ValueUTF8(printSize), pageValue.c_str()))
        AddText(ticket, kSiteFeature, kSameAsPageSize);
      else
        ticket.Add(kSiteFeature, printSize);
    }
  }

  // 18. The mailbox destination.
  PPDXControl* destination = seen[SeenControls::kDestination];
  PPDXControl* mailbox = seen[SeenControls::kMailboxName];
  if (destination && mailbox && EqualNoCase(ValueUTF8(destination), "File")) {
    const std::string name(UTF8Prefix(ValueUTF8(mailbox), 1023));
    const std::string path = FormatText(kMailboxPathTemplate, name.c_str());
    AddText(ticket, kSiteMailboxPath, path);
    PMPrinterRef printer;
    if (PMSessionGetCurrentPrinter(session ? session : printSession, &printer) == noErr && printer)
      PMPrinterSendCommand(printer.get(), "/" + path, "Command_PSQZDestination");
  }

  // 19 to 21. The closing comments and markers.
  AddText(ticket, kSiteHeaderComment, kDriverComment);
  AddText(ticket, kSiteEndOfFeatures, kInsertionComplete);
  if (utf8Option) {
    std::string value(UTF8Prefix(utf8Value ? utf8Value : "", 127));
    AddText(ticket, kSiteHeaderComment, FormatText(kUTF8VersionTemplate, value.c_str()));
  }
  return 0;
}
