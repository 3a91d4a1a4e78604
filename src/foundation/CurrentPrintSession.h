// The print session of the dialog the panel serves. The panel sets it when it
// is made; code that talks to "the current printer" (preferences, commands)
// reads it. One per process, as there is one print dialog.
#pragma once

#include <memory>

#include "platform/PMPrintSession.h"

std::shared_ptr<PMPrintSession> CurrentPrintSession();
void SetCurrentPrintSession(std::shared_ptr<PMPrintSession> session);
// The current session's printer; null without a session or printer.
PMPrinterRef CurrentPrinter();

// Sets the session for a scope and puts the previous one back.
class ScopedCurrentPrintSession {
 public:
  explicit ScopedCurrentPrintSession(std::shared_ptr<PMPrintSession> session)
      : saved_(CurrentPrintSession()) {
    SetCurrentPrintSession(std::move(session));
  }
  ~ScopedCurrentPrintSession() { SetCurrentPrintSession(std::move(saved_)); }
  ScopedCurrentPrintSession(const ScopedCurrentPrintSession&) = delete;
  ScopedCurrentPrintSession& operator=(const ScopedCurrentPrintSession&) = delete;

 private:
  std::shared_ptr<PMPrintSession> saved_;
};
