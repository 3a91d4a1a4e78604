#include "foundation/CurrentPrintSession.h"

namespace {
std::shared_ptr<PMPrintSession>& Session() {
  static std::shared_ptr<PMPrintSession> session;
  return session;
}
}  // namespace

std::shared_ptr<PMPrintSession> CurrentPrintSession() {
  return Session();
}

void SetCurrentPrintSession(std::shared_ptr<PMPrintSession> session) {
  Session() = std::move(session);
}

PMPrinterRef CurrentPrinter() {
  PMPrinterRef printer;
  if (PMSessionGetCurrentPrinter(Session().get(), &printer) != noErr) return nullptr;
  return printer;
}
