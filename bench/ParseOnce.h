// One whole read of a PPD by each reader, as the benchmarks, the instruction
// counting driver and the robustness run use it: ours builds the feature
// document and drops it, libcups opens and closes the file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/ppd.h>
#pragma GCC diagnostic pop

#include "PPDX/PPDObjects/PPDXErrors.h"
#include "PPDX/QZVPPD.h"

// The whole feature document while its model collections are built; until
// then the document root, which reads the same lines.
#if QZVPPD_MODEL_COLLECTIONS
inline constexpr const char* kOurReader = "QZVPPD";
#else
inline constexpr const char* kOurReader = "PPDX";
#endif

// Number of errors the document met (0 when it has no list).
inline uint64_t OurParseOnce(const std::filesystem::path& path) {
#if QZVPPD_MODEL_COLLECTIONS
  QZVPPD doc(path, kParseOrphansAndHidden);
#else
  PPDX doc(path, nullptr);
  doc.Parse();
#endif
  return doc.GetErrors() ? doc.GetErrors()->Count() : 0;
}

// True when libcups read the file.
inline bool CupsParseOnce(const std::string& path) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ppd_file_t* ppd = ppdOpenFile(path.c_str());
  if (ppd == nullptr) return false;
  ppdClose(ppd);
#pragma GCC diagnostic pop
  return true;
}
