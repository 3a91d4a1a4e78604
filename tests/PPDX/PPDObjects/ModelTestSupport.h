// Helpers of the model collection tests: one maker per control kind, a set
// that owns the controls a collection only points to, and a fixture that puts
// the process-wide display option back after each test.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/ControlTestSupport.h"
#include "PPDX/PPDObjects/Controls/PPDXBooleanControl.h"
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXCustomPageSizeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXFloatRangeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/PPDObjects/Controls/PPDXRangeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXSpecialOption.h"
#include "PPDX/PPDObjects/DisplayOptions.h"

namespace model_test {

using control_test::FlagList;
using control_test::Fragment;

inline std::unique_ptr<PPDXBooleanControl> Boolean(const char* keyword, bool visible) {
  FlagList flags({"Setup"});
  return std::make_unique<PPDXBooleanControl>(
      keyword, CFSTR(std::string(keyword + 1)), flags.list(), visible, new CString("True"),
      Fragment("true\n"), 5, new CString("False"), Fragment("false\n"), 6, true, nullptr);
}

// Options Opt1..OptN, Opt1 the default.
inline std::unique_ptr<PPDXPopupControl> Popup(const char* keyword, bool visible, int options = 3) {
  PointerList items;
  for (int i = 1; i <= options; ++i) {
    const std::string option = "Opt" + std::to_string(i);
    const std::string ps = "<</" + option + " true>>setpagedevice\n";
    items.PushBack(new _PopupItem(option.c_str(), CFSTR("Option " + std::to_string(i)),
                                  Fragment(ps), static_cast<long>(ps.size())));
  }
  FlagList flags({});
  return std::make_unique<PPDXPopupControl>(keyword, CFSTR(std::string(keyword + 1)), flags.list(),
                                            visible, false, false, items, new CString("Opt1"),
                                            nullptr);
}

inline std::unique_ptr<PPDXRangeControl> Range(const char* keyword, bool visible, long value) {
  const std::string ps = std::string("<") + keyword + "> setcopies\n";
  FlagList flags({});
  return std::make_unique<PPDXRangeControl>(keyword, CFSTR(std::string(keyword + 1)), flags.list(),
                                            Fragment(ps), static_cast<long>(ps.size()), 1, 999, 1,
                                            value, visible);
}

inline std::unique_ptr<PPDXFloatRangeControl> FloatRange(const char* keyword, bool visible,
                                                         double value) {
  const std::string ps = std::string("<") + keyword + "> setgamma\n";
  FlagList flags({});
  return std::make_unique<PPDXFloatRangeControl>(
      keyword, CFSTR(std::string(keyword + 1)), flags.list(), Fragment(ps),
      static_cast<double>(ps.size()), 0.5, 3.0, 0.1, value, visible);
}

inline std::unique_ptr<PPDXJobNote> JobNote(const char* keyword, bool visible, const char* text) {
  const std::string ps = std::string("(<") + keyword + ">) setaccount\n";
  FlagList flags({});
  CString language("ISOLatin1");
  return std::make_unique<PPDXJobNote>(keyword, CFSTR(std::string(keyword + 1)), flags.list(),
                                       Fragment(ps), static_cast<long>(ps.size()),
                                       new CString(text), &language, visible, 32, 0, 0);
}

inline std::unique_ptr<PPDXSpecialOption> SpecialOption(const char* keyword, bool visible,
                                                        const char* value) {
  const std::string ps = std::string("%%") + keyword + " " + value + "\n";
  std::string text(value);
  FlagList flags({"Spooler"});
  return std::make_unique<PPDXSpecialOption>(keyword, CFSTR(std::string(keyword + 1)), flags.list(),
                                             text.data(), Fragment(ps),
                                             static_cast<long>(ps.size()), visible);
}

inline std::unique_ptr<PPDXCustomPageSizeControl> CustomPageSize(const char* keyword) {
  FlagList flags({});
  return std::make_unique<PPDXCustomPageSizeControl>(keyword, flags.list(), 100, 900, 100, 1200);
}

// A control of none of the listed kinds: only the all list takes it.
class PlainControl : public PPDXControl {
 public:
  PlainControl(const char* keyword, bool visible)
      : PPDXControl(keyword, CFSTR(std::string(keyword + 1)), noFlags_, nullptr, 0, visible,
                    nullptr) {}
  void ResetToDefaultValue() override {}
  int16_t Restore(Settings&, int) override { return 0; }
  CFString CopyCurrentControlValueString() override { return CFSTR(""); }
  void SetCurrentControlWithCFString(const CFString&) override {}

 private:
  static inline PointerList noFlags_;
};

// Owns the controls of a collection, placed under a parent (or none) as they
// are added, since the collection counts a control as it is added.
class ControlSet {
 public:
  template <typename C>
  C* Add(std::unique_ptr<C> control, PPDXElement* parent) {
    C* made = control.get();
    if (parent) made->SetParent(parent);
    controls_.Add(made);
    owned_.push_back(std::move(control));
    return made;
  }
  PPDXControls& controls() { return controls_; }

 private:
  PPDXControls controls_;
  std::vector<std::unique_ptr<PPDXControl>> owned_;
};

// The controls a store constructor made belong to its caller: take them over.
inline std::vector<std::unique_ptr<PPDXControl>> TakeRebuilt(PPDXControls& controls) {
  ScopedDisplayOption everything(kDisplayEverything);
  std::vector<std::unique_ptr<PPDXControl>> owned;
  CNTL_TYPE type = kNoControl;
  for (PPDXControl* c = controls.First(type); c; c = controls.Next(type)) owned.emplace_back(c);
  return owned;
}

// Keywords of First/Next under the current display option.
inline std::vector<std::string> Walk(PPDXControls& controls) {
  std::vector<std::string> keywords;
  CNTL_TYPE type = kNoControl;
  for (PPDXControl* c = controls.First(type); c; c = controls.Next(type)) {
    EXPECT_EQ(type, c->Type()) << c->Keyword();
    keywords.emplace_back(c->Keyword() ? c->Keyword() : "<none>");
  }
  EXPECT_EQ(type, kNoControl);
  return keywords;
}

// Leaves the process-wide display option as the test found it.
class DisplayOptionTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = GetDisplayOption(); }
  void TearDown() override { SetDisplayOption(saved_); }

 private:
  _DISPLAY_OPTIONS_ saved_ = kDisplayVisibleWithParent;
};

}  // namespace model_test
