// tavro-print's work: the panel's lifecycle run as a print dialog runs it,
// the ticket commands, and the document job with the print settings as job
// options. Progress and errors go to `log`, one line each; --show and
// --ticket text goes to `out`.
#pragma once

#include <ostream>

#include "PrintArguments.h"

enum PrintExit {
  kPrintOK = 0,
  kPrintOutputFailed = 1,
  kPrintUsage = 2,
  kPrintNotServed = 3,
  kPrintBadPPD = 4,
  kPrintChoiceRefused = 5,
  kPrintNotPostScript = 6,
  kPrintSystemDown = 7,
  kPrintSubmitFailed = 8,
};

// The document starts as PostScript does ("%!", after an optional ^D);
// false with the reason when it cannot be read or does not.
bool CheckPostScriptDocument(const std::string& path, std::string* why);

PrintExit RunPrint(const PrintArguments& args, std::ostream& out, std::ostream& log);
