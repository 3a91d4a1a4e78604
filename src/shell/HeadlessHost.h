// The host's side of the panel: the callback object a print dialog hands the
// panel, holding the printer, session, print settings and page format that
// the panel reads and writes. Hosts without a screen, and the tests and
// benchmarks that drive a panel, use it as it is.
#pragma once

#include "platform/PMPageFormat.h"
#include "platform/PMPrintSession.h"
#include "platform/PMPrintSettings.h"
#include "platform/PMPrinter.h"
#include "shell/TavroPanelEntry.h"

class HeadlessHost : public TavroPDEHostCallback {
 public:
  explicit HeadlessHost(PMPrinterRef printer) : printer_(printer), session_(std::move(printer)) {}

  PMPrinter* Printer() override { return printer_.get(); }
  PMPrintSession* PrintSession() override { return &session_; }
  PMPrintSettings* PrintSettings() override { return &settings_; }
  PMPageFormat* PageFormat() override { return &pageFormat_; }

  const PMPrinterRef& PrinterRef() const { return printer_; }

 private:
  PMPrinterRef printer_;
  PMPrintSession session_;
  PMPrintSettings settings_;
  PMPageFormat pageFormat_;
};
