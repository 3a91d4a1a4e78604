// tavro-print -P QUEUE [-o KEY=VALUE]... [--show] [--ticket FILE] FILE.ps
//
// A headless print dialog: loads the features panel for a queue, applies the
// user's choices through it, and prints the document with the panel's job
// ticket. See PrintArguments.cpp for the usage and the exit codes.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <ext/stdio_filebuf.h>
#include <iostream>

#include "LocalPrintChain.h"
#include "PrintArguments.h"
#include "PrintRun.h"
#include "serverlink/LocalQueueLink.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  PrintArguments parsed;
  std::string error;
  if (!ParsePrintArguments(args, &parsed, &error)) {
    std::cerr << "tavro-print: error: " << error << "\n" << PrintUsage();
    return kPrintUsage;
  }
  if (parsed.help) {
    std::cout << PrintUsage();
    return kPrintOK;
  }

  // The panel and the printing layer log their own diagnostics on standard
  // error; unless asked for (-v), they go to $TAVRO_PRINT_LOG or nowhere, so
  // that tavro-print's own lines stay one per event.
  int logFd = dup(STDERR_FILENO);
  if (logFd < 0) logFd = STDERR_FILENO;
  if (!parsed.verbose) {
    const char* target = std::getenv("TAVRO_PRINT_LOG");
    int quiet = open(target && *target ? target : "/dev/null",
                     O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (quiet >= 0) {
      dup2(quiet, STDERR_FILENO);
      close(quiet);
    }
  }
  __gnu_cxx::stdio_filebuf<char> logBuffer(logFd, std::ios::out);
  std::ostream log(&logBuffer);

  // Local queues carry out commands and print in this process.
  InstallLocalQueueCommands();
  InstallLocalPrintChain();
  return RunPrint(parsed, std::cout, log);
}
