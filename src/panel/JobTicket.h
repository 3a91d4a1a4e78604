// The print-settings side of a job ticket: reads and writes values of the
// dialog's print settings. Neither the session nor the settings are owned.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/CFString.h"
#include "platform/PMPrintSettings.h"

class PMPrintSession;

class JobTicket {
 public:
  JobTicket(PMPrintSession* session, PMPrintSettings* settings)
      : session_(session), settings_(settings) {}
  virtual ~JobTicket() = default;

  // The value under key as a signed 32-bit number; 0 when read, else non-zero
  // (key absent or not a number, or no settings).
  int Get(const CFString& key, int& value) const;
  // Every pair of values written into the print settings; the two strings
  // are not used.
  void Set(const CFString&, const CFString&,
           const std::vector<std::pair<CFString, CFString>>& values);

  PMPrintSession* Session() const { return session_; }
  PMPrintSettings* Settings() const { return settings_; }

 private:
  PMPrintSession* session_;
  PMPrintSettings* settings_;
};

class PrintSettingsTicket : public JobTicket {
 public:
  PrintSettingsTicket(PMPrintSession* session, PMPrintSettings* settings)
      : JobTicket(session, settings) {}
};
