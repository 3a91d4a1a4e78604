// A PPD boolean (True/False) with a display text and a PostScript fragment
// for each state. Every value change is reported to the UI constraints as
// (keyword, "True") or (keyword, "False").
#pragma once

#include <cstdint>
#include <memory>

#include "PPDX/PPDObjects/Controls/PPDXControl.h"

constexpr unsigned int kBooleanMarkerTag = ControlTag("BlnC");
constexpr unsigned int kBooleanValueTag = ControlTag("BCcV");
constexpr unsigned int kBooleanDefaultTag = ControlTag("BCdV");
constexpr unsigned int kBooleanTrueTextTag = ControlTag("BCtT");
constexpr unsigned int kBooleanFalseTextTag = ControlTag("BCfT");
constexpr unsigned int kBooleanTruePSTag = ControlTag("BtPT");
constexpr unsigned int kBooleanFalsePSTag = ControlTag("BfPT");

class PPDXBooleanControl : public PPDXControl {
 public:
  // Takes over the texts and the malloc'ed fragments; the value starts at the
  // default and is reported.
  PPDXBooleanControl(const char* keyword, CFString userName, PointerList& flags, bool visible,
                     CString* trueText, unsigned char* truePS, long truePSLength,
                     CString* falseText, unsigned char* falsePS, long falsePSLength,
                     bool defaultValue, UIConstraints* constraints);
  // From the store items under id; the value read is reported.
  PPDXBooleanControl(Settings& settings, int id, UIConstraints* constraints);
  ~PPDXBooleanControl() override;

  int16_t Save(Settings& settings, const int& id) override;
  void ResetToDefaultValue() override;  // reports
  long PostScript(unsigned char* buffer) override;
  // Reads the value item only; the restored value is reported.
  int16_t Restore(Settings& settings, int id) override;
  CFString CopyCurrentControlValueString() override;  // "True" / "False"
  // True exactly when the text begins with "True" in any letter case; reports.
  void SetCurrentControlWithCFString(const CFString& text) override;

  bool IsTrue() const { return value_ != 0; }
  void SetValue(bool value);         // reports
  void SetDefaultValue(bool value);  // does not report
  bool DefaultState() const { return defaultValue_ != 0; }
  const char* TrueDisplayText() const;   // null when none
  const char* FalseDisplayText() const;  // null when none

 private:
  void Report();

  int32_t value_ = 0;
  int32_t defaultValue_ = 0;
  std::unique_ptr<CString> trueText_;
  std::unique_ptr<CString> falseText_;
  unsigned char* truePS_ = nullptr;  // malloc'ed, owned
  long truePSLength_ = 0;
  unsigned char* falsePS_ = nullptr;  // malloc'ed, owned
  long falsePSLength_ = 0;
};

// Null-safe wrappers: a null control gives false, 0 or null, or does nothing.
bool IsTrue(PPDXBooleanControl* control);
void SetValue(PPDXBooleanControl* control, bool value);
long BooleanPostScript(PPDXBooleanControl* control, unsigned char* buffer);
const char* TrueDisplayText(PPDXBooleanControl* control);
const char* FalseDisplayText(PPDXBooleanControl* control);
bool DefaultState(PPDXBooleanControl* control);
