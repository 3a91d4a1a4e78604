// The custom paper size: a width and a height with their limits. It has no
// PostScript of its own, is always visible under the fixed name "Custom Page
// Size", and is not persisted: Save and Restore do nothing and answer 0.
#pragma once

#include <cstdint>

#include "PPDX/PPDObjects/Controls/PPDXControl.h"

class PPDXCustomPageSizeControl : public PPDXControl {
 public:
  // Takes over the flag words; every size starts at 0.
  PPDXCustomPageSizeControl(const char* keyword, PointerList& flags);
  PPDXCustomPageSizeControl(const char* keyword, PointerList& flags, double minWidth,
                            double maxWidth, double minHeight, double maxHeight);

  int16_t Save(Settings& settings, const int& id) override;  // writes nothing, 0
  void ResetToDefaultValue() override;                       // does nothing
  int16_t Restore(Settings& settings, int id) override;      // reads nothing, 0
  CFString CopyCurrentControlValueString() override;         // "%f %f" of width, height
  // Width from the text, height from the text after its first blank (the
  // whole text again when there is none, so the height equals the width).
  void SetCurrentControlWithCFString(const CFString& text) override;

  // Plain field access, no checks against the limits.
  float GetWidth() const { return width_; }
  float GetHeight() const { return height_; }
  void SetWidth(float width) { width_ = width; }
  void SetHeight(float height) { height_ = height; }
  float MinWidth() const { return minWidth_; }
  float MaxWidth() const { return maxWidth_; }
  float MinHeight() const { return minHeight_; }
  float MaxHeight() const { return maxHeight_; }
  void SetMinWidth(float value) { minWidth_ = value; }
  void SetMaxWidth(float value) { maxWidth_ = value; }
  void SetMinHeight(float value) { minHeight_ = value; }
  void SetMaxHeight(float value) { maxHeight_ = value; }

 private:
  float width_ = 0;
  float height_ = 0;
  float minWidth_ = 0;
  float maxWidth_ = 0;
  float minHeight_ = 0;
  float maxHeight_ = 0;
};
