// The panel controller: one per print dialog panel. It owns the feature
// document, the panel data and the view model, turns each of the print
// dialog's calls into calls on them, and at print time builds the job ticket
// and hands it to the printing system. The class name carries the plug-in's
// suffix, which keeps it unique among the plug-ins of one process.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/CFString.h"
#include "shell/PanelView.h"
#include "shell/TavroPanelEntry.h"

class PDEData;
class PMPrintSession;
class PMPrintSettings;
class PMPrinter;
class QZVJobTicket;
class QZVPPD;
class UI_Panel;

// The make and model as the panel shows it: whole up to 38 characters, else
// its first 38 cut before their last blank (all 38 when they hold none).
std::string PrinterNameForDisplay(const std::string& makeAndModel);
// A custom paper's name as the system reports it from minor version 9 on:
// "tabloid" becomes "Tabloid", "SRA3" stays, every other name is "Custom";
// earlier systems keep the name.
std::string CustomPaperNameForSystem(const std::string& name, int minorVersion);
// The queue name of a PPD path: its last component without ".ppd" when that
// component contains ".ppd" (kept in the process-wide queue name).
bool getQueuePPDName(const char* path);
const char* CurrentQueueName();

// Where the panel's help would open; without a viewer the help is not shown.
using HelpViewer = bool (*)(const std::string& bookName);
void SetHelpViewer(HelpViewer viewer);

class TavroFeaturesPDE41E2112826D64D35B898DBD8D5A9D932 : public TavroPDEPanel {
 public:
  // Creation. Null where no panel can be made (the bundle does not serve the
  // PPD, or the PPD declares no controller version). The view is the
  // panel's interface; null gives a view without a screen.
  static TavroFeaturesPDE41E2112826D64D35B898DBD8D5A9D932* initWithCallback(
      TavroPDEHostCallback* callback, std::unique_ptr<PanelView> view = nullptr);

  // The print dialog's calls.
  PanelView* panelView();
  std::string panelName();
  std::string panelKind() const;
  std::vector<std::string> supportedPPDOptionKeys() const;
  bool shouldShowHelp() const;
  bool restoreValuesAndReturnError();
  void willShow();
  bool shouldHide();
  bool saveValuesAndReturnError();
  bool shouldPrint();
  void printWindowWillClose();
  // The panel's end: see Release.
  void dealloc();

  // What the other parts of the panel reach through the current panel.
  QZVPPD* getPPDPtr() const { return myppd.get(); }
  PDEData* GetPDEDataPtr() const { return myPDEData.get(); }
  UI_Panel* GetUI_PanelPtr() const { return myUi_Panel.get(); }
  const std::string& bundleVersion() const { return myBundleVersion; }
  bool isBonjourPrinter() const { return isBonjourPrinter_; }
  bool isCustomPageSize() const { return customPageSize != 0; }
  const std::string& customPapername() const { return customPapername_; }
  bool isDocumentPrinting() const { return isDocumentPrinting_; }
  bool shouldRestoreSettings() const { return shouldRestore != 0; }
  bool automationApplied() const { return automationCalled != 0; }
  std::string currentIPAddress() const;
  void setValueToPrintSettings(const CFString& value);
  void setFullPropertiesButtonStatusON(bool on);
  void setCustomizeQuickAccessButtonButtonStatusON(bool on);
  void setDefaultsButtonStatusON(bool on);
  void DefaultsButton();
  void enableCustomizedViewForDMT();
  void updatePageSizeAndInputSlot();
  void Sync(TavroPDEHostCallback* callback);
  void updateUI();
  void loadAutomationFileAndLoadPrintSetting();

  // The host's interface.
  std::string PanelName() override { return panelName(); }
  std::string PanelKind() override { return panelKind(); }
  std::vector<std::string> SupportedPPDOptionKeys() override { return supportedPPDOptionKeys(); }
  bool RestoreValues() override { return restoreValuesAndReturnError(); }
  void WillShow() override { willShow(); }
  bool ShouldHide() override { return shouldHide(); }
  bool SaveValues() override { return saveValuesAndReturnError(); }
  bool ShouldPrint() override { return shouldPrint(); }
  void PrintWindowWillClose() override { printWindowWillClose(); }
  void Release() override { dealloc(); }
  std::vector<TavroPDEFeature> QuickAccessFeatures() override;
  TavroPDEChoiceResult ChooseFeature(const std::string& keyword, const std::string& value,
                                     std::string* message) override;
  TavroPDEChoiceResult SelectWatermark(int index, std::string* message) override;
  std::string DescribeTicket() override;

 private:
  TavroFeaturesPDE41E2112826D64D35B898DBD8D5A9D932(TavroPDEHostCallback* callback,
                                                   std::unique_ptr<PanelView> view);
  ~TavroFeaturesPDE41E2112826D64D35B898DBD8D5A9D932() override;
  bool Create();
  void RefreshFromCallback(TavroPDEHostCallback* callback);
  // The page-size steps: the page setup's custom paper, then the view
  // model's system paper, the print size and the input slot.
  void DetermineCustomPageSize();
  void ApplyPageSizeAndInputSlot();
  void ApplyInputSlot();
  // A ticket over the current session and settings, filled with the job's
  // features and the print settings' copy of every control.
  std::unique_ptr<QZVJobTicket> MakeTicket();
  void StoreAddressFromDialog();
  void ShowPrinterName(const std::string& makeAndModel);

  TavroPDEHostCallback* pdePluginCallbackObject;  // the host's; outlives the panel
  std::string thePDEName;
  std::string printerURI;
  std::unique_ptr<PanelView> outputBinsView;
  PMPrintSession* mySession = nullptr;
  PMPrintSettings* printSettings = nullptr;
  PMPrinter* printer = nullptr;
  // Destroyed by dealloc in the order view model, document, panel data.
  std::unique_ptr<QZVPPD> myppd;
  std::unique_ptr<PDEData> myPDEData;
  std::unique_ptr<UI_Panel> myUi_Panel;
  std::string myBundleVersion;
  int32_t automationCalled = 0;
  uint8_t shouldRestore = 0;
  uint8_t customPageSize = 0;
  std::string customPapername_;
  bool isBonjourPrinter_ = false;
  bool isDocumentPrinting_ = false;
  bool ppdValid_ = false;
  bool dmtViewAdjusted_ = false;
};

using TavroFeaturesPDE = TavroFeaturesPDE41E2112826D64D35B898DBD8D5A9D932;

// The live panel and the one before it (null when none).
TavroFeaturesPDE* CurrentPDEPanel();
TavroFeaturesPDE* SavedPDEPanel();
// Set at creation when a saved panel exists; the next release clears it.
bool IgnoreNextPanelRelease();
// The feature document, panel data and view model of the current panel.
QZVPPD* getPPDPtr();
PDEData* GetPDEDataPtr();
UI_Panel* GetUI_PanelPtr();
