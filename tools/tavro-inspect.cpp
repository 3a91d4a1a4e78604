// tavro-inspect: prints the identity of a PPD, whether the panel serves it and
// the errors met reading it. See --help for the options and exit codes.
#include <iostream>

#include "PPDX/PPDInspect.h"

int main(int argc, char** argv) {
  return RunPPDInspect(argc, argv, std::cout, std::cerr);
}
