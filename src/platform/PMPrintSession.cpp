#include "platform/PMPrintSession.h"

OSStatus PMSessionGetCurrentPrinter(const PMPrintSession* session, PMPrinterRef* printer) {
  if (!session || !printer) return kPMInvalidParameter;
  *printer = session->CurrentPrinter();
  return *printer ? noErr : kPMInvalidPrinter;
}

OSStatus PMSessionSetCurrentPMPrinter(PMPrintSession* session, PMPrinterRef printer) {
  if (!session || !printer) return kPMInvalidParameter;
  session->SetCurrentPrinter(std::move(printer));
  return noErr;
}
