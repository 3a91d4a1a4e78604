// The command line of tavro-print:
//   tavro-print -P QUEUE [-o KEY=VALUE]... [--watermark N] [--show] [--ticket FILE] FILE.ps
#pragma once

#include <string>
#include <utility>
#include <vector>

struct PrintArguments {
  std::string queue;
  // The user's choices in their order: feature keyword (no leading '*') and value.
  std::vector<std::pair<std::string, std::string>> choices;
  int watermark = -1;      // index into the queue's watermark list; -1 none
  bool show = false;       // list the Quick Access features and values
  std::string ticketFile;  // write the ticket as text here ("-": standard output)
  std::string document;    // the PostScript file; optional with --show or --ticket
  bool verbose = false;    // leave the panel's own diagnostics on standard error
  bool help = false;

  // Only --show and --ticket look without printing.
  bool Prints() const { return !show && ticketFile.empty(); }
};

// False with one line in *error for a command line that cannot be used.
bool ParsePrintArguments(const std::vector<std::string>& args, PrintArguments* out,
                         std::string* error);

// The usage text, ending with the exit codes.
const char* PrintUsage();
