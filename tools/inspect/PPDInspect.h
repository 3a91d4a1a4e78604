// The PPD inspection behind the tavro-inspect tool: parses a vendor PPD as the
// panel does and shows its feature model (as text or JSON), gives a one-line
// verdict, answers constraint questions and prints a control's PostScript.
// A library of the tool's own, so that tests drive it directly.
#pragma once

#include <ostream>

// Exit codes.
constexpr int kInspectOK = 0;          // a valid PPD the panel would take; a question answered
constexpr int kInspectRefused = 1;     // not a valid PPD, not served, or no controller version
constexpr int kInspectUsageError = 2;  // bad arguments, or the file cannot be read

// argv[0] is the program name. Output to out, diagnostics to err.
int RunPPDInspect(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
