// One whole read of a PPD by each reader, as the benchmarks, the instruction
// counting driver and the robustness run use it: ours builds the feature
// document and drops it, libcups opens and closes the file.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/ppd.h>
#pragma GCC diagnostic pop

#include "PPDX/PPDObjects/PPDXErrors.h"
#include "PPDX/PPDStream.h"
#include "PPDX/QZVPPD.h"

inline constexpr const char* kOurReader = "QZVPPD";

// Number of errors the document met. The end-of-PPD latch is cleared first:
// a file read before that ended with the end marker would otherwise leave
// this one unread.
inline uint64_t OurParseOnce(const std::filesystem::path& path) {
  ClearEndOfPPDLatch();
  QZVPPD doc(path, kParseOrphansAndHidden);
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

// The generated vendor PPD (bench/gen_vendor_ppd.py): TAVRO_BENCH_VENDOR_PPD
// when given, else written once per process to a temporary file (empty when
// that fails).
inline const std::string& GeneratedVendorPPD() {
  static const std::string path = [] {
    if (const char* given = std::getenv("TAVRO_BENCH_VENDOR_PPD"); given && *given)
      return std::string(given);
    const std::filesystem::path out = std::filesystem::temp_directory_path() /
                                      ("tavro-bench-vendor-" + std::to_string(getpid()) + ".ppd");
    const std::string command = "python3 '" + std::string(TAVRO_SOURCE_DIR) +
                                "/bench/gen_vendor_ppd.py' '" + out.string() + "'";
    if (std::system(command.c_str()) != 0) return std::string();
    return out.string();
  }();
  return path;
}
