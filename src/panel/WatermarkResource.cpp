#include "panel/WatermarkResource.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "panel/QZVWatermark.h"

namespace {

// The Latin template, one entry a line; each line ends with LF on output.
// The lines are printf formats ("%%%%" prints "%%").
const char* const kLatin[] = {
    "%%%%QZV Begin Watermark resource ",
    " globaldict /landscapeDoc %s put ",
    " globaldict /invLandscapeDoc %s put ",
    " 20 dict begin ",
    " /%s findfont /Encoding get StandardEncoding ne ",
    " { /WatermarkFontName /%s def } ",
    " { ",
    " currentglobal true setglobal ISOLatin1Encoding dup length array copy ",
    " /ISOLatin1EncodingCopy exch def setglobal ",
    " ISOLatin1EncodingCopy 128 /Euro put ",
    " /%s findfont dup length dict begin ",
    " {1 index /FID ne {def} {pop pop} ifelse} forall ",
    " /Encoding ISOLatin1EncodingCopy def currentdict ",  // 13
    " end /%s-ISOLatin1 exch definefont pop ",            // 14
    " /WatermarkFontName /%s-ISOLatin1 def ",             // 15
    " } ifelse ",
    " userdict /QZVWaterMark ",
    " { ",
    " 20 dict begin ",
    " /Font WatermarkFontName def ",
    " /Watermark <%s> def ",
    " /FontSize %d def ",
    " /WaterMarkColor {%1.2f %1.2f %1.2f setrgbcolor} bind def ",  // 23
    " /landscapeDoc %s def ",
    " /invLandscapeDoc %s def ",
    " /Angle %.1f def ",
    " landscapeDoc { /Angle Angle 90 add def } if ",
    " invLandscapeDoc { /Angle Angle -90 add def } if ",
    " /XOffset %d def ",
    " /YOffset %d def ",
    " gsave ",
    " userdict /TavroVRdict known ",  // 32
    " { ",
    " globaldict /AdobeInitMatrix get exec ",
    " TavroVRdict /GetPgNum get exec TavroVRdict /TavroBeginPage get exec ",  // 35
    " userdict /origSizeW get 2 div XOffset add userdict /origSizeH get 2 div YOffset add "
    "translate ",
    " } ",
    " { ",
    " initmatrix clippath pathbbox ",
    " /MaxY exch def /MaxX exch def /MinY exch def /MinX exch def ",
    " MaxX 2 div MinX 2 div add XOffset add ",
    " MaxY 2 div MinY 2 div add YOffset add translate } ifelse ",
    " Angle rotate Font findfont FontSize scalefont setfont WaterMarkColor ",
    " Watermark stringwidth pop 2 div neg FontSize 3 div neg moveto ",
    " Watermark show ",
    " grestore ",
    " end ",
    " } bind put ",  // 48
    " globaldict /pageCount 0 put ",
    " globaldict /waterMarkAllPages %s put ",
    " userdict /QZVDRVRMACOriginalshowpage /showpage load put ",
    " userdict /showpage ",
    " { ",
    " globaldict /pageCount globaldict /pageCount get 1 add put ",
    " globaldict /pageCount get 1 eq ",
    " globaldict /waterMarkAllPages get or ",
    " { ",
    " userdict /QZVWaterMark get exec ",
    " } if ",
    " userdict /QZVDRVRMACOriginalshowpage get exec ",
    " } bind put ",
    " %%%%QZV End Watermark resource ",  // 62
};
constexpr size_t kLatinLines = sizeof kLatin / sizeof kLatin[0];
static_assert(kLatinLines == 62);

const char kClearInkColor[] =
    " /WaterMarkColor { true setoverprint [ /Separation (Clear) /DeviceCMYK {0.0 0.0 0.0 0.0} ] "
    "setcolorspace 1.0 setcolor } bind def ";

// The composite template's own lines; Latin lines are spliced in where noted.
const char* const kCompositeHead[] = {
    "%%%%QZV Begin Watermark resource ",
    " globaldict /landscapeDoc %s put ",
    " globaldict /invLandscapeDoc %s put ",
    " userdict /QZVWaterMark ",
    " { ",
    " 20 dict begin ",
    " { ",
    " (Resource/AcroCIDFont/%s) run ",
    " /Font /GB-EUC-H [/%s] composefont pop ",
    " } stopped { ",
    " pop  ",
    " /Font /Helvetica def ",
    " } if ",
    " /Watermark <%s> def /FontSize %d def  ",
    " /WaterMarkColor {%1.2f %1.2f %1.2f setrgbcolor} bind def ",
    " /landscapeDoc %s def ",
    "  /invLandscapeDoc %s def ",
    " /Angle %.1f def ",
    " landscapeDoc { /Angle Angle 90 add def } if ",
    " invLandscapeDoc { /Angle Angle -90 add def } if ",
    " /XOffset %d def /YOffset %d def gsave ",
};
const char* const kCompositeMiddle[] = {
    " userdict /origSizeW get 2 div XOffset add ",
    " userdict /origSizeH get 2 div YOffset add translate ",
    " } ",
    " { ",
    " initmatrix ",
    " clippath pathbbox /MaxY exch def /MaxX exch def /MinY exch def /MinX exch def ",
    " MaxX 2 div MinX 2 div add XOffset add MaxY 2 div MinY 2 div add YOffset add translate } "
    "ifelse ",
    " Angle rotate ",
    " /Font findfont FontSize scalefont setfont WaterMarkColor ",
    " Watermark stringwidth pop 2 div neg FontSize 3 div neg moveto Watermark show ",
    " grestore end ",
};

void AddLine(std::string& format, const char* line) {
  format += line;
  format += '\n';
}

// Latin lines first..last (numbered from 1 as in the table above).
void AddLatin(std::string& format, size_t first, size_t last) {
  for (size_t n = first; n <= last; ++n) AddLine(format, kLatin[n - 1]);
}

std::string LatinFormat(bool cid, bool clearInk) {
  std::string format;
  AddLatin(format, 1, 12);
  if (cid) {
    AddLine(format, (std::string(52, ' ') + "end" + std::string(35, ' ')).c_str());
    AddLine(format, " /WatermarkFontName /%s           def ");
  } else {
    AddLatin(format, 13, 15);
  }
  AddLatin(format, 16, 22);
  AddLine(format, clearInk ? kClearInkColor : kLatin[22]);
  AddLatin(format, 24, 62);
  return format;
}

std::string CompositeFormat() {
  std::string format;
  for (const char* line : kCompositeHead) AddLine(format, line);
  AddLatin(format, 32, 35);
  for (const char* line : kCompositeMiddle) AddLine(format, line);
  AddLatin(format, 48, 62);
  return format;
}

// printf into a buffer of the size limit; false when the result does not
// fit below it.
template <typename... Args>
bool Format(std::string& out, const std::string& format, Args... args) {
  std::vector<char> buffer(kWatermarkResourceLimit);
  const int n = std::snprintf(buffer.data(), buffer.size(), format.c_str(), args...);
  if (n < 0 || static_cast<size_t>(n) >= kWatermarkResourceLimit) return false;
  out.assign(buffer.data(), static_cast<size_t>(n));
  return true;
}

}  // namespace

const char* CompositeFontName(const char* fontName) {
  if (!fontName) return "";
  for (const char* known : {"AdobeHeitiStd-Regular", "AdobeSongStd-Light"}) {
    if (std::strstr(fontName, known)) return known;
  }
  return fontName;
}

WatermarkResourceStatus MakeWatermarkResource(QZVWatermark& watermark, const char* language,
                                              PMOrientation orientation, std::string& resource) {
  resource.clear();
  const bool chinese = language && std::strcmp(language, "Chinese") == 0;
  const bool japanese = language && std::strcmp(language, "Japanese") == 0;
  const char* font = watermark.FontName();
  const bool cid = japanese && QZVWatermark::IsCIDFontName(font);
  if (chinese) font = CompositeFontName(font);
  // The font name is written bare into the program: only a plain name token
  // is safe there.
  if ((watermark.Problems() & kWatermarkBadFontName) || !QZVWatermark::IsPlainFontName(font)) {
    return WatermarkResourceStatus::kBadFontName;
  }
  const char* hex = watermark.GetWMTextInHex(language, watermark.FontName());
  if (watermark.Problems() & kWatermarkTextNotConverted) {
    return WatermarkResourceStatus::kTextNotConverted;
  }

  const char* landscapeDoc = "false";
  const char* invLandscapeDoc = "false";
  // Negating in 64 bits: the offsets were read within ±(2^31 - 1).
  long long x = watermark.XOffset();
  long long y = watermark.YOffset();
  if (orientation == kPMLandscape) {
    landscapeDoc = "true";
    const long long xOffset = x;
    x = -y;
    y = xOffset;
  } else if (orientation == kPMReverseLandscape) {
    invLandscapeDoc = "true";
    const long long xOffset = x;
    x = y;
    y = -xOffset;
  }
  const int xOut = static_cast<int>(x);
  const int yOut = static_cast<int>(y);
  const char* allPages = watermark.FirstPageOnly() ? "false" : "true";
  const int size = watermark.FontSize();
  const double angle = watermark.AngleTenths() / 10.0;
  const double red = watermark.Red() / 255.0;
  const double green = watermark.Green() / 255.0;
  const double blue = watermark.Blue() / 255.0;

  bool fits = false;
  if (chinese) {
    fits = Format(resource, CompositeFormat(), landscapeDoc, invLandscapeDoc, font, font, hex, size,
                  red, green, blue, landscapeDoc, invLandscapeDoc, angle, xOut, yOut, allPages);
  } else if (cid && watermark.ClearInk()) {
    fits =
        Format(resource, LatinFormat(true, true), landscapeDoc, invLandscapeDoc, font, font, font,
               font, hex, size, landscapeDoc, invLandscapeDoc, angle, xOut, yOut, allPages);
  } else if (cid) {
    fits = Format(resource, LatinFormat(true, false), landscapeDoc, invLandscapeDoc, font, font,
                  font, font, hex, size, red, green, blue, landscapeDoc, invLandscapeDoc, angle,
                  xOut, yOut, allPages);
  } else if (watermark.ClearInk()) {
    fits =
        Format(resource, LatinFormat(false, true), landscapeDoc, invLandscapeDoc, font, font, font,
               font, font, hex, size, landscapeDoc, invLandscapeDoc, angle, xOut, yOut, allPages);
  } else {
    fits = Format(resource, LatinFormat(false, false), landscapeDoc, invLandscapeDoc, font, font,
                  font, font, font, hex, size, red, green, blue, landscapeDoc, invLandscapeDoc,
                  angle, xOut, yOut, allPages);
  }
  if (!fits) {
    resource.clear();
    return WatermarkResourceStatus::kTooLong;
  }
  return WatermarkResourceStatus::kWritten;
}
