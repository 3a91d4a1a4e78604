// links: tavro_foundation tavro_platform
// Arbitrary bytes as a localized string table: either refused with a reason or
// read; every key written back in the text format reads back to its value.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/StringsTable.h"

namespace {

std::string Quote(const std::string& utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    if (c == '"' || c == '\\') out.push_back('\\');
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out.push_back(c);
  }
  return out + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  auto table = StringsTable::Parse({data, size}, &error);
  if (!table) {
    if (error.empty()) std::abort();
    return 0;
  }
  // A key taken from the input itself, when it has a line that can be one.
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string key = text.substr(0, std::min<size_t>(text.find_first_of("\r\n\0", 0, 3), 40));
  CFString keyText = CFString::CreateWithBytes(key.data(), key.size(), kTextEncodingUTF8);
  if (keyText.IsNull() || keyText.Units().find(u'\0') != std::u16string::npos) return 0;
  std::string value = keyText.UTF8() + " value";
  std::string written = Quote(keyText.UTF8()) + " = " + Quote(value) + ";\n";
  auto back =
      StringsTable::Parse({reinterpret_cast<const uint8_t*>(written.data()), written.size()});
  if (!back || back->Find(keyText).UTF8() != value) std::abort();
  return 0;
}
