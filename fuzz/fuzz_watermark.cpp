// links: tavro_panel
// Watermark descriptions from arbitrary bytes, turned into page resources.
// Byte 0 picks the PPD language and the page orientation; the rest is the
// description. A resource is either refused (empty) or sound: below the size
// limit, printable ASCII lines only, the text a hexadecimal string and the
// font name one plain name token wherever the program names it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "panel/QZVWatermark.h"
#include "panel/WatermarkResource.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

const char* const kLanguages[] = {"English", "Japanese", "Chinese", nullptr};
const PMOrientation kOrientations[] = {kPMPortrait, kPMLandscape, kPMReversePortrait,
                                       kPMReverseLandscape};

// The bytes between `open` and the next `close` after each occurrence of open.
template <typename Test>
void EachValue(const std::string& text, const std::string& open, char close, Test test) {
  for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
    const size_t start = at + open.size();
    const size_t end = text.find(close, start);
    Check(end != std::string::npos);
    test(text.substr(start, end - start));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const char* language = kLanguages[data[0] % 4];
  const PMOrientation orientation = kOrientations[(data[0] / 4) % 4];
  const std::string description(reinterpret_cast<const char*>(data + 1), size - 1);

  QZVWatermark watermark(description.c_str());
  Check(std::strlen(watermark.Description()) < kWatermarkDescriptionSize);
  Check(std::strlen(watermark.FontName()) < kWatermarkFontNameSize);
  Check(std::strlen(watermark.Text()) < kWatermarkTextSize);

  std::string resource;
  const WatermarkResourceStatus status =
      MakeWatermarkResource(watermark, language, orientation, resource);
  if (status != WatermarkResourceStatus::kWritten) {
    Check(resource.empty());
    return 0;
  }
  Check(resource.size() < kWatermarkResourceLimit);
  Check(resource.rfind("%%QZV Begin Watermark resource \n", 0) == 0);
  const std::string end = " %%QZV End Watermark resource \n";
  Check(resource.size() > end.size() &&
        resource.compare(resource.size() - end.size(), end.size(), end) == 0);
  for (unsigned char c : resource) Check(c == '\n' || (c >= 0x20 && c < 0x7F));
  EachValue(resource, "/Watermark <", '>', [](const std::string& hex) {
    Check(hex.size() % 2 == 0);
    for (char c : hex) Check((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
  });
  // Names may grow past the field by the "-ISOLatin1" suffix; only their
  // characters matter here.
  const auto plainCharacters = [](const std::string& name) {
    Check(!name.empty() && name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstu"
                                                  "vwxyz0123456789-_.+") == std::string::npos);
  };
  EachValue(resource, " /WatermarkFontName /", ' ', plainCharacters);
  EachValue(resource, "(Resource/AcroCIDFont/", ')', plainCharacters);
  // Every '(' opens a string the same line closes, with no '(' or '\' inside.
  EachValue(resource, "(", ')', [](const std::string& inside) {
    Check(inside.find_first_of("(\\\n") == std::string::npos);
  });
  return 0;
}
