// The controller simulator's input: a readable description of a queue's
// two-way data, turned into the data file the companion process would write.
//
//   # a comment
//   [SectionName]
//   a line of the section
//   ...
//
// Each section's payload is its lines, each ended by a line feed, as wide
// text (32-bit characters). "TrayInfo" and "TonerInfo" hold one tray or toner
// a line ("field@field@..."); their payload is "<count>:<line>:<line>...".
// Blank lines are dropped; "\#" starts a line that begins with "#".
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct BidiSimSection {
  std::string name;
  std::wstring payload;
};

// The sections in input order; false with a message for a line outside any
// section or a malformed header.
bool ParseBidiSimInput(std::string_view text, std::vector<BidiSimSection>& sections,
                       std::string& error);
// The two-way data file's text for the sections.
std::string ComposeBidiData(const std::vector<BidiSimSection>& sections);
