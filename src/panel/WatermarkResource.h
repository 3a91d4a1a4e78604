// The page resource that draws a watermark: PostScript that replaces
// showpage, so that the controller draws the watermark on the first page or
// on every page. Three templates: Latin, CID (Japanese CID fonts) and
// composite (Chinese); the first two in a clear-ink and an RGB form.
#pragma once

#include <cstddef>
#include <string>

#include "platform/PMDefinitions.h"

class QZVWatermark;

// A resource must stay below this size to be written.
constexpr size_t kWatermarkResourceLimit = 5120;

enum class WatermarkResourceStatus {
  kWritten,
  kBadFontName,       // the font name could break out of its name token
  kTextNotConverted,  // the text has no form in the output encoding
  kTooLong,           // kWatermarkResourceLimit bytes or more
};

// Fills resource for a PPD of that language version ("Japanese", "Chinese",
// anything else) and a page of that orientation; leaves it empty unless the
// result is kWritten. Converts the watermark's text on first use.
WatermarkResourceStatus MakeWatermarkResource(QZVWatermark& watermark, const char* language,
                                              PMOrientation orientation, std::string& resource);

// The font name the composite template loads: the two known CID font names
// stand alone, whatever surrounds them; any other name is kept.
const char* CompositeFontName(const char* fontName);
