#include "serverlink/DestinationPPD.h"

namespace {
std::string gDestinationPPD;
}

std::string DestinationPPDPath() {
  return gDestinationPPD;
}

void SetDestinationPPDPath(std::string_view path) {
  if (path.size() <= 1023) gDestinationPPD = std::string(path);
}
