// tavro-inspect: shows what the features panel makes of a vendor PPD (feature
// tree, JSON, verdict, constraint and PostScript questions). See --help for
// the options and exit codes.
#include <syslog.h>

#include <iostream>

#include "inspect/PPDInspect.h"
#include "platform/Log.h"

int main(int argc, char** argv) {
  // The model logs as the panel does; a command-line run needs neither the
  // pause after each line nor any of it on the terminal.
  SetLogPause(false);
  openlog("tavro-inspect", LOG_NDELAY, LOG_USER);
  const int code = RunPPDInspect(argc, argv, std::cout, std::cerr);
  closelog();
  return code;
}
