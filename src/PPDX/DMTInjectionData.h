// The two DMT customisation forms of a PPD: the "*DMT_Injection" "True"
// special-option block (its payload is collected, but this system has no
// decoder for it) and the "*DMT_Injection" data section, whose value becomes
// the document's custom XML data.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// Reads the next line of the file into `line` (without its line end); false
// when no line could be read.
using DMTLineReader = std::function<bool(std::string& line)>;

struct DMTBlockRead {
  bool headerFound = false;  // the "*DMT_X0000: " line was there
  long pieces = 0;           // the count the header announced
  size_t payloadBytes = 0;   // bytes collected before they were dropped
};

// Byte offset at which the payload of a piece line begins.
constexpr size_t kDMTPieceTextOffset = 31;
// The collected payload is never longer than this; further bytes are dropped.
constexpr size_t kDMTBlockPayloadLimit = 16u * 1024u * 1024u;

// Reads the lines of a "True" block with `next` and logs as the panel does.
// Stops early when the file ends.
DMTBlockRead ReadDMTSpecialBlock(const DMTLineReader& next);

// The value of the "*DMT_Injection" section of the collected injection lines,
// as 8-bit text of the current locale (a character the locale cannot show
// becomes "?"; the text ends at the first NUL character). False when the
// section is missing or cannot be decoded.
bool DecodeDMTInjection(std::string_view injectionText, std::string& xml);
