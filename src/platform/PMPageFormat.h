// The page format of a print dialog: orientation and paper. Rectangles are in
// points; "adjusted" rectangles are turned with a landscape orientation and
// measured from the imageable area's corner, as the classic calls gave them.
#pragma once

#include "platform/PMDefinitions.h"
#include "platform/PMPaper.h"

class PMPageFormat {
 public:
  PMPageFormat() : paper_(PMDefaultPaper()) {}
  PMPageFormat(PMPaper paper, PMOrientation orientation)
      : paper_(std::move(paper)), orientation_(orientation) {}

  PMOrientation Orientation() const { return orientation_; }
  // Values outside 1-4 are refused.
  bool SetOrientation(PMOrientation orientation);
  const PMPaper& Paper() const { return paper_; }
  void SetPaper(PMPaper paper) { paper_ = std::move(paper); }

  bool IsLandscape() const {
    return orientation_ == kPMLandscape || orientation_ == kPMReverseLandscape;
  }
  // The whole sheet: (0, 0, height, width), turned when landscape.
  PMRect UnadjustedPaperRect() const;
  // The imageable area: (0, 0, ...), turned when landscape.
  PMRect AdjustedPageRect() const;
  // The sheet relative to the imageable area's corner (negative top/left).
  PMRect AdjustedPaperRect() const;

 private:
  PMPaper paper_;
  PMOrientation orientation_ = kPMPortrait;
};

// A null page format answers kPMInvalidParameter.
OSStatus PMGetOrientation(const PMPageFormat* format, PMOrientation* orientation);
OSStatus PMSetOrientation(PMPageFormat* format, PMOrientation orientation, bool locked);
OSStatus PMGetPageFormatPaper(const PMPageFormat* format, PMPaper* paper);
OSStatus PMGetAdjustedPaperRect(const PMPageFormat* format, PMRect* rect);
OSStatus PMGetAdjustedPageRect(const PMPageFormat* format, PMRect* rect);
OSStatus PMGetUnadjustedPaperRect(const PMPageFormat* format, PMRect* rect);
