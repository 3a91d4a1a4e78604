// A vendor special option: a control with a fixed value text and a PostScript
// fragment. Its value cannot be chosen by the user; it is only shown and sent.
#pragma once

#include <cstdint>
#include <memory>

#include "PPDX/PPDObjects/Controls/PPDXControl.h"
#include "foundation/CString.h"

constexpr unsigned int kSpecialOptionMarkerTag = ControlTag("soCN");  // one byte
constexpr unsigned int kSpecialOptionValueTag = ControlTag("soVl");   // value text

class PPDXSpecialOption : public PPDXControl {
 public:
  PPDXSpecialOption();  // no keyword, the empty value
  // Takes over the flag words and the malloc'ed fragment; the value is copied
  // (a null value gives the empty text).
  PPDXSpecialOption(const char* keyword, CFString userName, PointerList& flags, char* value,
                    unsigned char* psData, long psLength, bool visible);
  // Control items, then the value 'soVl' (empty when missing).
  PPDXSpecialOption(Settings& settings, int id);
  ~PPDXSpecialOption() override;

  // Control items, the 'soCN' marker and the value text 'soVl'.
  int16_t Save(Settings& settings, const int& id) override;
  void ResetToDefaultValue() override;  // the empty value
  // Takes the stored value when there is one; answers 0.
  int16_t Restore(Settings& settings, int id) override;
  CFString CopyCurrentControlValueString() override;  // the value, or the empty text
  void SetCurrentControlWithCFString(const CFString& text) override;  // ignored

  CString* GetValue() const { return value_.get(); }

 private:
  std::unique_ptr<CString> value_;
};
