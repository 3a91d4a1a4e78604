// A paper: its names, size and unprintable margins, in points (1/72 inch).
// A printer's paper list comes from its PPD's page sizes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/PMDefinitions.h"

struct PMRect {
  double top = 0;
  double left = 0;
  double bottom = 0;
  double right = 0;
  bool operator==(const PMRect&) const = default;
};

struct PMPaperMargins {
  double top = 0;
  double left = 0;
  double bottom = 0;
  double right = 0;
  bool operator==(const PMPaperMargins&) const = default;
};

struct PMPaper {
  std::string id;       // "na-letter" style identifier, or the PPD name
  std::string name;     // display name ("US Letter"), the PPD's translation when read from one
  std::string ppdName;  // the PPD's page-size keyword ("Letter")
  double width = 0;
  double height = 0;
  PMPaperMargins margins;
  bool operator==(const PMPaper&) const = default;
};

// US Letter, no margins: the paper of a page format nobody set.
PMPaper PMDefaultPaper();

// The page sizes of a PPD file, in the file's order; empty when the file
// cannot be read.
std::vector<PMPaper> PMPaperListFromPPD(const std::string& ppdPath);

OSStatus PMPaperGetPPDPaperName(const PMPaper* paper, std::string* name);
OSStatus PMPaperGetName(const PMPaper* paper, std::string* name);
OSStatus PMPaperGetWidth(const PMPaper* paper, double* width);
OSStatus PMPaperGetHeight(const PMPaper* paper, double* height);
OSStatus PMPaperGetMargins(const PMPaper* paper, PMPaperMargins* margins);
