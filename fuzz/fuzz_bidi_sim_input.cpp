// links: tavro_serverlink
// The controller simulator's input: whatever parses must compose into a data
// file whose every section reads back as the payload it was made from.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "serverlink/BidiSimInput.h"
#include "serverlink/CFileHdlr.h"
#include "serverlink/WideText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet = (CFileHdlr::SetEchoToStderr(false), true);
  (void)quiet;
  std::vector<BidiSimSection> sections;
  std::string error;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!ParseBidiSimInput(text, sections, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  std::string file = ComposeBidiData(sections);
  for (const BidiSimSection& s : sections) {
    // A name that holds another's name, or line ends, can't be told apart on
    // reading; only plain distinct names must read back.
    if (s.name.find_first_of("\r\n\0", 0, 3) != std::string::npos) continue;
    bool plain = true;
    for (const BidiSimSection& other : sections)
      if (&other != &s && (other.name.find(s.name) != std::string::npos ||
                           s.name.find(other.name) != std::string::npos))
        plain = false;
    // Nor one whose name turns up inside another line's Base64 text.
    for (size_t hit = file.find(s.name); plain && hit != std::string::npos;
         hit = file.find(s.name, hit + 1))
      if (hit != 0 && file[hit - 1] != '\n') plain = false;
    if (!plain || s.name.empty()) continue;
    SectionPayload back;
    bool read = CFileHdlr::stringReadData(file, s.name.c_str(), back);
    if (s.payload.empty()) continue;
    if (!read || ToWide(back.WideText()) != s.payload) std::abort();
  }
  return 0;
}
