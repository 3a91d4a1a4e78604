// A print session: the dialog's link to its current printer.
#pragma once

#include "platform/PMDefinitions.h"
#include "platform/PMPrinter.h"

class PMPrintSession {
 public:
  PMPrintSession() = default;
  explicit PMPrintSession(PMPrinterRef printer) : printer_(std::move(printer)) {}
  const PMPrinterRef& CurrentPrinter() const { return printer_; }
  void SetCurrentPrinter(PMPrinterRef printer) { printer_ = std::move(printer); }

 private:
  PMPrinterRef printer_;
};

// kPMInvalidParameter for a null session, kPMInvalidPrinter when the session
// has no printer.
OSStatus PMSessionGetCurrentPrinter(const PMPrintSession* session, PMPrinterRef* printer);
OSStatus PMSessionSetCurrentPMPrinter(PMPrintSession* session, PMPrinterRef printer);
