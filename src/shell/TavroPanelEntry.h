// The panel library's one entry point, loaded by a print dialog (or the
// headless host) with dlopen, and the two interfaces that cross it: the
// host's callback object and the panel the host drives. Both sides are built
// from the same tree with the same compiler, so the interfaces are plain C++
// classes with virtual functions; nothing but the entry point is exported.
#pragma once

#include <string>
#include <vector>

class PMPageFormat;
class PMPrinter;
class PMPrintSession;
class PMPrintSettings;

// The type a print dialog asks panels for.
#define TAVRO_PDE_PANEL_TYPE "BDB091F4-E57F-11D3-B5CC-0050E4603277"
// The exported symbol, for dlsym.
#define TAVRO_PDE_ENTRY_SYMBOL "TavroPDEPanelsForType"

// What the panel asks the host for. The objects stay the host's; the panel
// asks again at every step that prints, so the host may replace them.
class TavroPDEHostCallback {
 public:
  virtual ~TavroPDEHostCallback() = default;
  virtual PMPrinter* Printer() = 0;
  virtual PMPrintSession* PrintSession() = 0;
  virtual PMPrintSettings* PrintSettings() = 0;
  virtual PMPageFormat* PageFormat() = 0;
};

// A feature as a headless host lists it.
struct TavroPDEFeature {
  std::string keyword;     // without the leading '*'
  std::string label;       // the user-visible name
  std::string value;       // the current value's keyword or text
  std::string valueLabel;  // the current value's user-visible name
};

// What a headless choice came to.
enum class TavroPDEChoiceResult {
  kApplied = 0,
  kUnknownKeyword,  // no control of that keyword
  kUnknownValue,    // the control has no such choice, or the value is out of range
  kConstrained,     // refused: the current choices constrain it (message names them)
  kLocked,          // the administrator's template locks or hides it
};

// One panel, driven by the host in the print dialog's order: restore, show,
// save, then print or close, then release.
class TavroPDEPanel {
 public:
  virtual std::string PanelName() = 0;
  virtual std::string PanelKind() = 0;
  virtual std::vector<std::string> SupportedPPDOptionKeys() = 0;
  virtual bool RestoreValues() = 0;
  virtual void WillShow() = 0;
  virtual bool ShouldHide() = 0;
  virtual bool SaveValues() = 0;
  // False cancels the print.
  virtual bool ShouldPrint() = 0;
  virtual void PrintWindowWillClose() = 0;
  // The panel's end (its dealloc); the pointer is gone afterwards.
  virtual void Release() = 0;

  // For hosts without a screen.
  // The Quick Access features in the pane's order.
  virtual std::vector<TavroPDEFeature> QuickAccessFeatures() = 0;
  // Applies one choice as the user would make it; *message receives one
  // clear line for anything but kApplied.
  virtual TavroPDEChoiceResult ChooseFeature(const std::string& keyword, const std::string& value,
                                             std::string* message) = 0;
  // Selects the queue's watermark number `index` (0 the first) as the full
  // properties would: from the queue's stored watermarks, or the panel's
  // defaults when it stores none; kUnknownValue when there is no such one.
  virtual TavroPDEChoiceResult SelectWatermark(int index, std::string* message) = 0;
  // The ticket this panel would hand over now, as readable text (one line
  // per fragment: site, length, escaped bytes), without sending anything.
  virtual std::string DescribeTicket() = 0;

 protected:
  virtual ~TavroPDEPanel() = default;
};

extern "C" {
// Answers the panels for `type`: -1 when the panel can't be made for this
// host's printer (no panel, like a nil array), 0 for any other type, else
// the number of panels written to `panels` (at most `capacity`).
typedef int (*TavroPDEPanelsForTypeFn)(const char* type, TavroPDEHostCallback* host,
                                       TavroPDEPanel** panels, int capacity);
__attribute__((visibility("default"))) int TavroPDEPanelsForType(const char* type,
                                                                 TavroPDEHostCallback* host,
                                                                 TavroPDEPanel** panels,
                                                                 int capacity);
}
