// links: tavro_core
// Arbitrary bytes parsed as a whole PPD with the panel's parse options; the
// model is then saved, rebuilt from the saved settings and restored, and the
// rebuilt model must equal the parsed one (a difference aborts, so the fuzzer
// keeps the input). The temp file is removed when the process ends (libFuzzer
// runs in one process).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_ppd_parse: %s\n", what);
  std::abort();
}
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
      if (!rebuilt.Restore(settings)) Fail("a saved model does not restore");
      if (!(rebuilt == document)) Fail("the rebuilt model differs from the parsed one");
    }
  }
  ClearEndOfPPDLatch();
  return 0;
}
