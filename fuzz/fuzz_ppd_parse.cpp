// links: tavro_core
// Arbitrary bytes parsed as a whole PPD with the panel's parse options; the
// model is then saved, rebuilt from the saved settings and restored. The temp
// file is removed when the process ends (libFuzzer runs in one process).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "PPDX/QZVPPD.h"

#include "PPDX/PPDObjects/Controls/Settings.h"
#include "PPDX/PPDStream.h"
#include "platform/Log.h"

namespace {
const std::filesystem::path& InputPath() {
  static const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("fuzz_ppd_parse." + std::to_string(static_cast<long>(getpid())) + ".ppd");
  return path;
}

struct RemoveInput {
  ~RemoveInput() {
    std::error_code ignored;
    std::filesystem::remove(InputPath(), ignored);
  }
} gRemoveInput;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool quiet = (SetLogPause(false), true);
  (void)quiet;
  const std::filesystem::path& path = InputPath();
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);
  } else {
    return 0;
  }
  ClearEndOfPPDLatch();
  {
    QZVPPD document(path, kParseOrphansAndHidden);
    document.IsValidPPD();
    document.IsKVConstrained("*PageSize", "Letter");
    Settings settings;
    if (document.Save(settings)) {
      QZVPPD rebuilt(settings, path);
      rebuilt.Restore(settings);
    }
  }
  ClearEndOfPPDLatch();
  return 0;
}
