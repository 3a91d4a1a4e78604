// One watermark: the fields read from its description string (the form the
// per-printer list and the job properties component keep), and its text in
// the hexadecimal form the page resource shows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

constexpr size_t kWatermarkDescriptionSize = 5120;
constexpr size_t kWatermarkFontNameSize = 64;
constexpr size_t kWatermarkTextSize = 256;
constexpr size_t kWatermarkHexTextSize = 512;

// What reading a description or converting its text had to mend (bits of
// Problems()). The mends keep every field within its width and make a
// resource that is either sound or refused.
enum WatermarkProblem : uint32_t {
  kWatermarkMissingField = 1u << 0,      // fewer fields than the format has: 0 or empty
  kWatermarkNotANumber = 1u << 1,        // a number field that is no integer: 0
  kWatermarkOutOfRange = 1u << 2,        // a number beyond its range: clamped
  kWatermarkFieldCut = 1u << 3,          // description or text longer than its field: cut
  kWatermarkBadFontName = 1u << 4,       // empty, too long or not a plain name: no resource
  kWatermarkTextReplaced = 1u << 5,      // characters the output encoding lacks became '?'
  kWatermarkTextNotConverted = 1u << 6,  // no conversion to the output encoding: no resource
};

class QZVWatermark {
 public:
  // Reads the description: comma-separated fields, consecutive commas one
  // separator; the text is everything after the comma that ends the font
  // name, commas included. A null description reads as an empty one.
  explicit QZVWatermark(const char* description);

  // firstPageOnly = (value is L"True").
  void SetFirstPageOnly(const wchar_t* value);

  // The text in hexadecimal, two digits a byte, converted once for the first
  // language asked: GBK for "Chinese", Mac Japanese (PostScript variant) for
  // "Japanese" with a CID font (a name ending in "-H" or "-V"), ISO Latin 9
  // otherwise. The conversion replaces the text, so an object serves one
  // language. Empty when the text cannot be converted at all.
  const char* GetWMTextInHex(const char* language, const char* fontName);

  static bool IsCIDFontName(const char* fontName);
  // A name PostScript reads as one plain name token: letters, digits and
  // "-_.+" only, 1 to 63 characters.
  static bool IsPlainFontName(const char* fontName);

  bool ClearInk() const { return clearInk_; }
  int32_t XOffset() const { return xOffset_; }
  int32_t YOffset() const { return yOffset_; }
  int32_t AngleTenths() const { return angleTenths_; }
  int32_t FontSize() const { return fontSize_; }
  bool FirstPageOnly() const { return firstPageOnly_; }
  int32_t Red() const { return red_; }
  int32_t Green() const { return green_; }
  int32_t Blue() const { return blue_; }
  const char* Description() const { return description_.data(); }
  const char* FontName() const { return fontName_.data(); }
  const char* Text() const { return text_.data(); }
  uint32_t Problems() const { return problems_; }

 private:
  int32_t NumberField(std::string_view field, int32_t minimum, int32_t maximum);

  bool clearInk_ = false;
  int32_t xOffset_ = 0;
  int32_t yOffset_ = 0;
  int32_t angleTenths_ = 0;
  int32_t fontSize_ = 0;
  bool firstPageOnly_ = false;
  int32_t red_ = 0;
  int32_t green_ = 0;
  int32_t blue_ = 0;
  std::array<char, kWatermarkDescriptionSize> description_{};
  std::array<char, kWatermarkFontNameSize> fontName_{};
  std::array<char, kWatermarkTextSize> text_{};
  std::array<char, kWatermarkHexTextSize> hexText_{};
  uint32_t problems_ = 0;
};
