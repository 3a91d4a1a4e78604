#include "shell/TavroFeaturesPDE.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/PPDStream.h"
#include "PPDX/QZVPPD.h"
#include "foundation/CFBundle.h"
#include "foundation/CurrentPrintSession.h"
#include "foundation/EncodingSwitches.h"
#include "foundation/PDEBundle.h"
#include "foundation/PDEIdentity.h"
#include "foundation/PrinterListFile.h"
#include "panel/AddressController.h"
#include "panel/JobTicket.h"
#include "panel/PDEData.h"
#include "panel/QZVJobTicket.h"
#include "panel/UI_Panel.h"
#include "platform/Log.h"
#include "platform/PMPaper.h"
#include "platform/PMPrintSession.h"
#include "platform/PMPrintSettings.h"
#include "platform/PMPrinter.h"
#include "platform/SystemSettings.h"
#include "serverlink/DestinationPPD.h"
#include "serverlink/LocaleCode.h"
#include "serverlink/PrinterAddress.h"
#include "serverlink/WideText.h"
#include "shell/PlistParser.h"
#include "shell/PopupJobNoteState.h"

namespace {

constexpr const char* kPaperInfoTicketKey = "com.apple.print.subTicket.paper_info_ticket";
constexpr const char* kCustomPaperKey = "com.apple.print.PaperInfo.PMCustomPaper";
constexpr const char* kPaperNameKey = "com.apple.print.PaperInfo.PMPaperName";
constexpr const char* kPCFileNameKey = "PCFILENAME";
constexpr const char* kDuplexKey = "*QZDuplex";
constexpr size_t kQueueNameSize = 256;
constexpr size_t kPrinterNameLimit = 38;

// Process-wide panel state.
TavroFeaturesPDE* gCurrentPanel = nullptr;
TavroFeaturesPDE* gSavedPanel = nullptr;
bool gIgnoreNextRelease = false;
// Every panel alive, oldest first: when the current panel goes while an
// older one lives on, the newest of those becomes current again.
std::vector<TavroFeaturesPDE*> gLivePanels;
char gQueueName[kQueueNameSize] = {};
HelpViewer gHelpViewer = nullptr;

// The session the panel was handed stays the host's: the process-wide
// session only points to it.
std::shared_ptr<PMPrintSession> Unowned(PMPrintSession* session) {
  return std::shared_ptr<PMPrintSession>(std::shared_ptr<void>(), session);
}

PPDXControl* FindExact(QZVPPD* ppd, const char* keyword) {
  if (!ppd || !ppd->GetControls()) return nullptr;
  CNTL_TYPE type;
  return ppd->GetControls()->Find(keyword, type, true);
}

PPDXPopupControl* FindPopup(QZVPPD* ppd, const char* keyword) {
  return dynamic_cast<PPDXPopupControl*>(FindExact(ppd, keyword));
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::string PrinterNameForDisplay(const std::string& makeAndModel) {
  if (makeAndModel.size() <= kPrinterNameLimit) return makeAndModel;
  std::string cut = makeAndModel.substr(0, kPrinterNameLimit);
  const size_t blank = cut.rfind(' ');
  // Without a blank the first 38 characters are shown.
  if (blank != std::string::npos && blank > 0) cut.erase(blank);
  return cut;
}

std::string CustomPaperNameForSystem(const std::string& name, int minorVersion) {
  if (minorVersion < 9) return name;
  if (name == "tabloid") return "Tabloid";
  if (name == "SRA3") return name;
  return "Custom";
}

bool getQueuePPDName(const char* path) {
  if (!path) return false;
  std::string_view text(path);
  while (!text.empty() && text.back() == '/') text.remove_suffix(1);
  if (text.empty()) return false;
  const size_t slash = text.rfind('/');
  std::string_view last = slash == std::string_view::npos ? text : text.substr(slash + 1);
  const size_t ppd = last.find(".ppd");
  if (last.empty() || ppd == std::string_view::npos) return false;
  std::string name(last);
  name.erase(name.find(".ppd"), 4);
  const size_t n = std::min(name.size(), kQueueNameSize - 1);
  std::memcpy(gQueueName, name.data(), n);
  gQueueName[n] = '\0';
  return true;
}

const char* CurrentQueueName() {
  return gQueueName;
}
void SetHelpViewer(HelpViewer viewer) {
  gHelpViewer = viewer;
}

TavroFeaturesPDE* CurrentPDEPanel() {
  return gCurrentPanel;
}
TavroFeaturesPDE* SavedPDEPanel() {
  return gSavedPanel;
}
bool IgnoreNextPanelRelease() {
  return gIgnoreNextRelease;
}
QZVPPD* getPPDPtr() {
  return gCurrentPanel ? gCurrentPanel->getPPDPtr() : nullptr;
}
PDEData* GetPDEDataPtr() {
  return gCurrentPanel ? gCurrentPanel->GetPDEDataPtr() : nullptr;
}
UI_Panel* GetUI_PanelPtr() {
  return gCurrentPanel ? gCurrentPanel->GetUI_PanelPtr() : nullptr;
}

// ------------------------------------------------------------------ creation

TavroFeaturesPDE::TavroFeaturesPDE41E2112826D64D35B898DBD8D5A9D932(TavroPDEHostCallback* callback,
                                                                   std::unique_ptr<PanelView> view)
    : pdePluginCallbackObject(callback), outputBinsView(std::move(view)) {}

TavroFeaturesPDE* TavroFeaturesPDE::initWithCallback(TavroPDEHostCallback* callback,
                                                     std::unique_ptr<PanelView> view) {
  if (!callback) return nullptr;
  auto* panel = new TavroFeaturesPDE(callback, std::move(view));
  if (!panel->Create()) {
    // Not yet the current panel: nothing process-wide points to it, and the
    // process-wide session goes back to the current panel's.
    delete panel;
    SetCurrentPrintSession(gCurrentPanel ? Unowned(gCurrentPanel->mySession) : nullptr);
    return nullptr;
  }
  return panel;
}

bool TavroFeaturesPDE::Create() {
  gVectorWorksFix = false;
  automationCalled = 0;
  thePDEName.clear();
  customPageSize = 0;
  isBonjourPrinter_ = false;
  isDocumentPrinting_ = false;

  printer = pdePluginCallbackObject->Printer();
  std::string url;
  if (PMPrinterCopyDescriptionURL(printer, kPMPPDDescriptionType, &url) != noErr) url.clear();
  const std::string ppdPath = PMFileURLPath(url);
  getQueuePPDName(ppdPath.c_str());
  SetDestinationPPDPath(ppdPath);

  ResetPopupJobNoteState();

  if (PMPrinterCopyDeviceURI(printer, &printerURI) != noErr) printerURI.clear();
  isBonjourPrinter_ = StartsWith(printerURI, "dnssd") || StartsWith(printerURI, "mdns");

  mySession = pdePluginCallbackObject->PrintSession();
  SetCurrentPrintSession(Unowned(mySession));

  // The PPD must be one the bundle serves.
  ppdValid_ = false;
  CFBundleRef bundle = GetBundleRef();
  if (bundle && !ppdPath.empty()) {
    PrinterListFile list(bundle->ContentsPath(), kCFPropertyListMutableContainers);
    if (list.IsLoaded()) {
      PCFileNameList names(list.PCFileNames().begin(), list.PCFileNames().end());
      ppdValid_ = PPDX::ValidateFileName(ppdPath, &names, nullptr);
    }
  }

  if (!ppdPath.empty()) {
    ClearEndOfPPDLatch();
    myppd = std::make_unique<QZVPPD>(ppdPath, kParseOrphansAndHidden, nullptr);
    ClearEndOfPPDLatch();
  }
  shouldRestore = 0;
  printSettings = pdePluginCallbackObject->PrintSettings();

  if (myppd && myppd->PCFileName()) {
    const std::string pcFileName = myppd->PCFileName();
    if (printSettings) {
      std::optional<std::string> stored = printSettings->GetString(kPCFileNameKey);
      if (stored && strcasecmp(stored->c_str(), pcFileName.c_str()) == 0) shouldRestore = 1;
      printSettings->SetString(kPCFileNameKey, pcFileName);
    }
  }

  auto declared = [](const char* text) { return text && *text; };
  const bool versioned =
      myppd && (declared(myppd->QZVersionString()) || declared(myppd->QZMacVersion()) ||
                declared(myppd->QZVersion()) || declared(myppd->QZVersionMac()));
  if (!ppdValid_ || !versioned) {
    myNSLogC(!ppdValid_ ? "the bundle does not serve this PPD"
                        : "the PPD declares no controller version");
    return false;
  }

  myPDEData = std::make_unique<PDEData>(myppd.get(), CFString::FromUTF8(PMPrinterGetName(printer)),
                                        mySession);
  myPDEData->pageFormat = pdePluginCallbackObject->PageFormat();
  myPDEData->printSettings = printSettings;
  if (bundle) {
    if (const PlistValue* version = bundle->GetValueForInfoDictionaryKey("CFBundleVersion")) {
      myBundleVersion = version->GetString();
    }
  }

  // Become the current panel; the older one is kept as the saved panel.
  gIgnoreNextRelease = gSavedPanel != nullptr;
  if (gCurrentPanel) gSavedPanel = gCurrentPanel;
  gCurrentPanel = this;
  gLivePanels.push_back(this);

  if (!outputBinsView) outputBinsView = std::make_unique<HeadlessPanelView>();
  myUi_Panel = std::make_unique<UI_Panel>(myPDEData.get(), outputBinsView->Pane(),
                                          outputBinsView->Address());

  if (ServerLanguage().size() >= 2) {
    PMPrinterSendCommand(printer, ServerLanguage(), "Command_LocaleCode");
  }

  restoreValuesAndReturnError();
  Sync(pdePluginCallbackObject);
  shouldRestore = 1;

  if (!PopupJobNotesAbsent()) {
    PopupJobNotes().defaultsPressed = false;
    gPopupJobNotesLangIsJapanese =
        myppd->LanguageVersion() && std::strcmp(myppd->LanguageVersion(), "Japanese") == 0;
  }
  return true;
}

TavroFeaturesPDE::~TavroFeaturesPDE41E2112826D64D35B898DBD8D5A9D932() = default;

void TavroFeaturesPDE::RefreshFromCallback(TavroPDEHostCallback* callback) {
  if (!callback) return;
  mySession = callback->PrintSession();
  printSettings = callback->PrintSettings();
  printer = callback->Printer();
  if (myPDEData) {
    myPDEData->printSession = mySession;
    myPDEData->printSettings = printSettings;
    myPDEData->pageFormat = callback->PageFormat();
  }
  SetCurrentPrintSession(Unowned(mySession));
}

// ------------------------------------------------------------ the host's calls

PanelView* TavroFeaturesPDE::panelView() {
  if (!outputBinsView) outputBinsView = std::make_unique<HeadlessPanelView>();
  return outputBinsView.get();
}

std::string TavroFeaturesPDE::panelName() {
  if (thePDEName.empty()) {
    CFString title = CopyLocalizedCFString(CFString::FromUTF8("PDE Panel Title"));
    thePDEName = title.IsNull() ? std::string("PDE Panel Title") : title.UTF8();
  }
  return thePDEName;
}

std::string TavroFeaturesPDE::panelKind() const {
  return kPDEBundleIdentifier;
}

std::vector<std::string> TavroFeaturesPDE::supportedPPDOptionKeys() const {
  std::vector<std::string> keys;
  CFBundleRef bundle = GetBundleRef();
  const PlistValue* list =
      bundle ? bundle->GetValueForInfoDictionaryKey("PMPPDKeysSupported") : nullptr;
  if (list && list->AsArray()) {
    for (const PlistValue& key : *list->AsArray()) {
      if (key.AsString()) keys.push_back(*key.AsString());
    }
  }
  return keys;
}

bool TavroFeaturesPDE::shouldShowHelp() const {
  CFBundleRef bundle = GetBundleRef();
  const PlistValue* book =
      bundle ? bundle->GetValueForInfoDictionaryKey("CFBundleHelpBookName") : nullptr;
  if (!book || !book->AsString()) return true;
  // YES only when the help could not be opened.
  return !(gHelpViewer && gHelpViewer(*book->AsString()));
}

bool TavroFeaturesPDE::restoreValuesAndReturnError() {
  printSettings = pdePluginCallbackObject->PrintSettings();
  if (printSettings && !printSettings->Contains(kDuplexKey)) myUi_Panel->ResetControlsToDefault();
  printer = pdePluginCallbackObject->Printer();

  if (printSettings) {
    myUi_Panel->ResetControlsToDefault();
    if (shouldRestore) {
      std::vector<std::pair<CFString, CFString>> values;
      if (const PlistValue::Dict* dict = printSettings->Dictionary().AsDict()) {
        for (const auto& [key, value] : *dict) {
          if (const std::string* text = value.AsString()) {
            values.emplace_back(CFString::FromUTF8(key), CFString::FromUTF8(*text));
          }
        }
      }
      myppd->SetAllValues(values);
      if (!PopupJobNotesAbsent()) myppd->ReadPUJNPrefs();
    }
  }

  if (myPDEData->isBIDIEnabled()) myUi_Panel->makeJobNotesForSpecialControls();

  if (UI_Panel::Tree.shortcutCount > 0 || UI_Panel::Tree.groupCount > 0) {
    myUi_Panel->DrawUserPane();
    myPDEData->printSettings = pdePluginCallbackObject->PrintSettings();
    myPDEData->RestoreNonPSSettings();
  } else {
    myUi_Panel->ResetControlsToDefault();
  }
  updateUI();
  willShow();
  return true;
}

void TavroFeaturesPDE::willShow() {
  if (!myppd->CustomXmlData().empty()) {
    panelView()->HideQuickAccessCustomization();
    enableCustomizedViewForDMT();
  }

  if (isBonjourPrinter_) {
    const std::string address = breakBonjourURLIntoMeaningFullItems(printerURI);
    CFString stored = myPDEData->GetUnisorPrinterAddress();
    if (stored.IsNull() || stored.UTF8().empty()) {
      myPDEData->SetUnisorPrinterAddress(CFString::FromUTF8(address), false);
      panelView()->SetPrinterAddressText(address);
    }
  }

  // The custom page size as the page setup has it, then once per panel the
  // automation file, then the page size and input slot.
  DetermineCustomPageSize();
  if (automationCalled == 0) {
    loadAutomationFileAndLoadPrintSetting();
    automationCalled = 1;
  }
  ApplyPageSizeAndInputSlot();

  myUi_Panel->DrawUserPane();
  myUi_Panel->Show();

  if (panelView()->PrinterNameText().empty()) {
    printer = pdePluginCallbackObject->Printer();
    std::string makeAndModel;
    if (PMPrinterGetMakeAndModelName(printer, &makeAndModel) == noErr) {
      ShowPrinterName(makeAndModel);
    }
  }
}

void TavroFeaturesPDE::ShowPrinterName(const std::string& makeAndModel) {
  panelView()->SetPrinterNameText(PrinterNameForDisplay(makeAndModel));
}

bool TavroFeaturesPDE::shouldHide() {
  if (outputBinsView) outputBinsView->CancelOpenDialogs();
  return true;
}

bool TavroFeaturesPDE::saveValuesAndReturnError() {
  myPDEData->printSettings = pdePluginCallbackObject->PrintSettings();
  printSettings = myPDEData->printSettings;
  for (const PaperCatalogPair& pair : myPDEData->paperCatalog) {
    std::wstring_view key(pair.key);
    if (!key.empty() && key.front() == L'*') key.remove_prefix(1);
    if (key == L"QZPCName") {
      if (printSettings) {
        printSettings->SetString("*QZPCName", WideToUtf8(pair.value));
      }
      break;
    }
  }
  myPDEData->SaveNonPSSettings();
  if (myPDEData->isBIDIEnabled()) myUi_Panel->makeJobNotesForSpecialControls();
  StoreAddressFromDialog();
  Sync(pdePluginCallbackObject);
  return true;
}

void TavroFeaturesPDE::StoreAddressFromDialog() {
  AddressController* address = outputBinsView ? outputBinsView->Address() : nullptr;
  if (!myPDEData || !address) return;
  myPDEData->SetUnisorPrinterAddress(CFString::FromUTF8(outputBinsView->PrinterAddressText()),
                                     address->isBIDIEnabled());
}

std::unique_ptr<QZVJobTicket> TavroFeaturesPDE::MakeTicket() {
  struct OwnedTicket : QZVJobTicket {
    OwnedTicket(std::unique_ptr<PrintSettingsTicket> settings, PMPrintSettings* values)
        : QZVJobTicket(settings.get(), values, CreatePostscriptDataFileKey()),
          settingsTicket(std::move(settings)) {}
    std::unique_ptr<PrintSettingsTicket> settingsTicket;
  };
  auto settingsTicket = std::make_unique<PrintSettingsTicket>(mySession, printSettings);
  std::unique_ptr<QZVJobTicket> ticket =
      std::make_unique<OwnedTicket>(std::move(settingsTicket), printSettings);
  myPDEData->OutPostscriptData(*ticket, mySession);
  ticket->SavePPDForAllKeys(myppd.get(), GetBundleID());
  return ticket;
}

void TavroFeaturesPDE::Sync(TavroPDEHostCallback* callback) {
  updatePageSizeAndInputSlot();
  RefreshFromCallback(callback);
  std::unique_ptr<QZVJobTicket> ticket = MakeTicket();
  if (SystemMinorVersion() < 7) ticket->Save();
}

bool TavroFeaturesPDE::shouldPrint() {
  updatePageSizeAndInputSlot();
  if (!PopupJobNotesAbsent() && !handlePopupJobnoteUI()) return false;
  RefreshFromCallback(pdePluginCallbackObject);
  std::unique_ptr<QZVJobTicket> ticket = MakeTicket();
  const std::string xml = ticket->Save();
  if (SystemMinorVersion() >= 7) {
    // The printing system's side writes the file; a ticket that cannot be
    // handed over must not let the document go out without it.
    if (xml.empty() ||
        PMPrinterSendCommand(printer, ticket->FileName().UTF8(), "Command_PSTempFileName") !=
            noErr ||
        PMPrinterSendCommand(printer, xml, "Command_WritePSTemp") != noErr) {
      myNSLogC("the job ticket could not be handed to the printing system");
      return false;
    }
  }
  isDocumentPrinting_ = true;
  return true;
}

void TavroFeaturesPDE::printWindowWillClose() {
  if (!isDocumentPrinting_) {
    RefreshFromCallback(pdePluginCallbackObject);
    std::unique_ptr<QZVJobTicket> ticket = MakeTicket();
    ticket->Save();
  }
  StoreAddressFromDialog();
}

void TavroFeaturesPDE::dealloc() {
  // The pointers follow the panel that goes, whatever the order of release,
  // so that neither ever names a panel that no longer exists.
  gIgnoreNextRelease = false;
  customPapername_.clear();
  if (outputBinsView) outputBinsView->CancelOpenDialogs();
  myUi_Panel.reset();
  myppd.reset();
  myPDEData.reset();
  pdePluginCallbackObject = nullptr;
  thePDEName.clear();
  outputBinsView.reset();
  gLivePanels.erase(std::remove(gLivePanels.begin(), gLivePanels.end(), this), gLivePanels.end());
  if (gSavedPanel == this) gSavedPanel = nullptr;
  if (gCurrentPanel == this) {
    gCurrentPanel =
        gSavedPanel ? gSavedPanel : (gLivePanels.empty() ? nullptr : gLivePanels.back());
    gSavedPanel = nullptr;
  }
  SetCurrentPrintSession(gCurrentPanel ? Unowned(gCurrentPanel->mySession) : nullptr);
  delete this;
}

// ---------------------------------------------------------- page size, update

void TavroFeaturesPDE::updatePageSizeAndInputSlot() {
  DetermineCustomPageSize();
  ApplyPageSizeAndInputSlot();
}

void TavroFeaturesPDE::DetermineCustomPageSize() {
  customPageSize = 0;
  const PlistValue::Dict* paper =
      printSettings ? printSettings->GetDict(kPaperInfoTicketKey) : nullptr;
  if (paper) {
    auto find = [paper](const char* key) -> const PlistValue* {
      auto it = paper->find(key);
      return it == paper->end() ? nullptr : &it->second;
    };
    const PlistValue* customValue = find(kCustomPaperKey);
    const PlistValue* nameValue = find(kPaperNameKey);
    const std::string name = nameValue && nameValue->AsString() ? *nameValue->AsString() : "";
    bool custom = false;
    if (customValue && customValue->Kind() == PlistKind::Bool) {
      custom = customValue->GetBool();
    } else if (!name.empty()) {
      std::vector<PMPaper> papers;
      if (PMPrinterGetPaperList(printer, &papers) == noErr) {
        for (const PMPaper& p : papers) {
          if (strcasecmp(p.ppdName.c_str(), name.c_str()) == 0) custom = true;
        }
      }
    }
    if (custom && nameValue) {
      customPageSize = 1;
      customPapername_ = CustomPaperNameForSystem(name, SystemMinorVersion());
    }
  }
  gPageSetupCustomPageSize = customPageSize != 0;
}

void TavroFeaturesPDE::ApplyPageSizeAndInputSlot() {
  myPDEData->customPaperFromOS = myUi_Panel->GetOSPageSize() ? 1 : 0;
  if (!myPDEData->customPaperFromOS) {
    if (PPDXPopupControl* size = FindPopup(myppd.get(), "*QZPrintSize")) {
      if (size->GetValue() <= size->ItemCount()) size->SetValue(size->GetValue());
    }
  }

  ApplyInputSlot();
}

void TavroFeaturesPDE::ApplyInputSlot() {
  char feed[64] = {};
  myPDEData->GetPrimayPaperFeedFromOS(feed, sizeof feed);
  if (feed[0]) {
    if (PPDXPopupControl* slot = FindPopup(myppd.get(), "*InputSlot")) {
      slot->SetKeywordSelect(feed, true);
    }
  }
}

void TavroFeaturesPDE::updateUI() {
  ApplyInputSlot();
  myUi_Panel->DrawUserPane();
  std::string makeAndModel;
  if (PMPrinterGetMakeAndModelName(pdePluginCallbackObject->Printer(), &makeAndModel) == noErr) {
    ShowPrinterName(makeAndModel);
  }
}

void TavroFeaturesPDE::loadAutomationFileAndLoadPrintSetting() {
  PlistParser parser;
  if (!parser.isValidAutomationFile(kAutomationFile)) return;
  std::optional<PlistValue> preset = parser.currentPreset();
  if (!preset || !preset->IsDict()) return;
  const PlistValue* settings = preset->Find(kPresetSettingsKey);
  if (!settings || !settings->AsDict()) return;
  std::vector<std::pair<CFString, CFString>> values;
  for (const auto& [key, value] : *settings->AsDict()) {
    if (value.AsString()) {
      values.emplace_back(CFString::FromUTF8(key), CFString::FromUTF8(*value.AsString()));
    }
  }
  myppd->SetAllValues(values);
  for (const auto& [key, value] : values) {
    PPDXControl* control = FindExact(myppd.get(), key.UTF8().c_str());
    if (control && control->Type() == kJobNoteControl)
      control->SetCurrentControlWithCFString(value);
  }
  if (myPDEData->printSettings) {
    for (const auto& [key, value] : *settings->AsDict()) {
      if (!value.IsNone()) myPDEData->printSettings->SetValue(key, value);
    }
  }
  myPDEData->RestoreNonPSSettings();
}

// ------------------------------------------------------ operations for others

std::string TavroFeaturesPDE::currentIPAddress() const {
  return outputBinsView ? outputBinsView->PrinterAddressText() : std::string();
}

void TavroFeaturesPDE::setValueToPrintSettings(const CFString& value) {
  if (printSettings && !value.IsNull()) printSettings->SetString("InputSlot", value.UTF8());
}

void TavroFeaturesPDE::setFullPropertiesButtonStatusON(bool on) {
  panelView()->EnableButton(PanelButton::kFullProperties, on);
}
void TavroFeaturesPDE::setCustomizeQuickAccessButtonButtonStatusON(bool on) {
  panelView()->EnableButton(PanelButton::kCustomizeQuickAccess, on);
}
void TavroFeaturesPDE::setDefaultsButtonStatusON(bool on) {
  panelView()->EnableButton(PanelButton::kDefaults, on);
}

void TavroFeaturesPDE::DefaultsButton() {
  PopupJobNoteState& popup = PopupJobNotes();
  if (!popup.initialized || popup.FoundOne()) popup.defaultsPressed = true;
  myUi_Panel->ResetControlsToDefault();
  if (!PopupJobNotesAbsent()) {
    writePrefsFile();
    popup.defaultsPressed = false;
  }
}

void TavroFeaturesPDE::enableCustomizedViewForDMT() {
  // Shown again and again, the controls move up once.
  if (dmtViewAdjusted_) return;
  dmtViewAdjusted_ = true;
  panelView()->MoveLowerControlsUp(35, 30);
}
