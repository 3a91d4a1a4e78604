// links: tavro_serverlink
// Arbitrary text read as a two-way data file, for a fixed section name and for
// a name taken from the input; a section written by our own writer must read
// back whole.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "serverlink/CFileHdlr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet = (CFileHdlr::SetEchoToStderr(false), true);
  (void)quiet;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  SectionPayload out;
  CFileHdlr::stringReadData(text, "TrayInfo", out);
  if (size > 0) {
    size_t n = data[0] % 12;
    if (n + 1 <= size) {
      std::string name(text.substr(1, n));
      if (name.find('\0') == std::string::npos) CFileHdlr::stringReadData(text, name.c_str(), out);
    }
  }
  std::string written;
  if (CFileHdlr::fileWriteData("Fz", data, size, written)) {
    SectionPayload back;
    if (!CFileHdlr::stringReadData(written, "Fz", back) && size > 0) std::abort();
    if (back.Length() != size || (size > 0 && std::memcmp(back.bytes.data(), data, size) != 0))
      std::abort();
  }
  return 0;
}
