#include "platform/PMPageFormat.h"

bool PMPageFormat::SetOrientation(PMOrientation orientation) {
  if (orientation < kPMPortrait || orientation > kPMReverseLandscape) return false;
  orientation_ = orientation;
  return true;
}

PMRect PMPageFormat::UnadjustedPaperRect() const {
  if (IsLandscape()) return {0, 0, paper_.width, paper_.height};
  return {0, 0, paper_.height, paper_.width};
}

PMRect PMPageFormat::AdjustedPageRect() const {
  const auto& m = paper_.margins;
  double w = paper_.width - m.left - m.right;
  double h = paper_.height - m.top - m.bottom;
  if (IsLandscape()) return {0, 0, w, h};
  return {0, 0, h, w};
}

PMRect PMPageFormat::AdjustedPaperRect() const {
  const auto& m = paper_.margins;
  // Turned a quarter: the left margin becomes the top one, the top the right.
  if (IsLandscape()) return {-m.left, -m.bottom, paper_.width - m.left, paper_.height - m.bottom};
  return {-m.top, -m.left, paper_.height - m.top, paper_.width - m.left};
}

OSStatus PMGetOrientation(const PMPageFormat* format, PMOrientation* orientation) {
  if (!format || !orientation) return kPMInvalidParameter;
  *orientation = format->Orientation();
  return noErr;
}

OSStatus PMSetOrientation(PMPageFormat* format, PMOrientation orientation, bool /*locked*/) {
  if (!format) return kPMInvalidParameter;
  return format->SetOrientation(orientation) ? noErr : kPMInvalidParameter;
}

OSStatus PMGetPageFormatPaper(const PMPageFormat* format, PMPaper* paper) {
  if (!format || !paper) return kPMInvalidParameter;
  *paper = format->Paper();
  return noErr;
}

OSStatus PMGetAdjustedPaperRect(const PMPageFormat* format, PMRect* rect) {
  if (!format || !rect) return kPMInvalidParameter;
  *rect = format->AdjustedPaperRect();
  return noErr;
}

OSStatus PMGetAdjustedPageRect(const PMPageFormat* format, PMRect* rect) {
  if (!format || !rect) return kPMInvalidParameter;
  *rect = format->AdjustedPageRect();
  return noErr;
}

OSStatus PMGetUnadjustedPaperRect(const PMPageFormat* format, PMRect* rect) {
  if (!format || !rect) return kPMInvalidParameter;
  *rect = format->UnadjustedPaperRect();
  return noErr;
}
