#include "PPDX/PPDObjects/Controls/PPDXBooleanControl.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/ControlTestSupport.h"
#include "PPDX/PPDObjects/Controls/PPDXControlStore.h"
#include "PPDX/PPDObjects/Controls/Settings.h"

using control_test::FlagList;
using control_test::Fragment;
using control_test::PostScriptOf;
using control_test::Report;
using control_test::ReportRecorder;

namespace {

std::unique_ptr<PPDXBooleanControl> MakeBoolean(bool defaultValue, bool withTexts = true) {
  FlagList flags({"Setup"});
  return std::make_unique<PPDXBooleanControl>(
      "*QZCollate", CFSTR("Collate"), flags.list(), true, withTexts ? new CString("On") : nullptr,
      Fragment("true setcollate\n"), 16, withTexts ? new CString("Off") : nullptr,
      Fragment("false setcollate\n"), 17, defaultValue, nullptr);
}

}  // namespace

TEST(PPDXBooleanControl, ReportsEveryValueChangeButNotTheDefault) {
  ReportRecorder recorder;
  auto control = MakeBoolean(true);
  EXPECT_EQ(control->Type(), kBooleanControl);
  EXPECT_TRUE(control->IsTrue());
  control->SetValue(false);
  control->SetDefaultValue(false);
  control->SetCurrentControlWithCFString(CFSTR("TRUE"));
  control->ResetToDefaultValue();
  EXPECT_FALSE(control->IsTrue());
  const std::vector<Report> expected = {{"*QZCollate", "True"},
                                        {"*QZCollate", "False"},
                                        {"*QZCollate", "True"},
                                        {"*QZCollate", "False"}};
  EXPECT_EQ(recorder.reports(), expected);
}

TEST(PPDXBooleanControl, TextBeginningWithTrueInAnyCaseIsTrue) {
  struct Case {
    const char* text;
    bool expected;
  };
  const Case cases[] = {{"True", true},   {"true", true}, {"TRUE", true},   {"trUe2", true},
                        {"Tru", false},   {"No", false},  {"False", false}, {"", false},
                        {" true", false}, {"yes", false}, {"1", false}};
  auto control = MakeBoolean(false);
  for (const Case& c : cases) {
    control->SetValue(!c.expected);
    control->SetCurrentControlWithCFString(CFSTR(c.text));
    EXPECT_EQ(control->IsTrue(), c.expected) << '"' << c.text << '"';
    EXPECT_EQ(control->CopyCurrentControlValueString(), CFSTR(c.expected ? "True" : "False"));
  }
  control->SetValue(true);
  control->SetCurrentControlWithCFString(CFString());
  EXPECT_FALSE(control->IsTrue()) << "a missing text is no True";
}

TEST(PPDXBooleanControl, PostScriptOfEachState) {
  auto control = MakeBoolean(true);
  EXPECT_EQ(PostScriptOf(*control),
            "%%BeginFeature: *QZCollate True\ntrue setcollate\n%%EndFeature\n");
  control->SetValue(false);
  EXPECT_EQ(PostScriptOf(*control),
            "%%BeginFeature: *QZCollate False\nfalse setcollate\n%%EndFeature\n");

  FlagList flags({});
  PPDXBooleanControl bare("*Bare", CFSTR("Bare"), flags.list(), true, nullptr, nullptr, 0, nullptr,
                          nullptr, 0, false, nullptr);
  EXPECT_EQ(PostScriptOf(bare), "%%BeginFeature: *Bare False\n\n%%EndFeature\n");
  EXPECT_EQ(bare.TrueDisplayText(), nullptr);
  EXPECT_EQ(bare.FalseDisplayText(), nullptr);
}

TEST(PPDXBooleanControl, StoreKeepsTextsFragmentsAndBothStates) {
  auto control = MakeBoolean(true);
  control->SetValue(false);
  Settings settings;
  ASSERT_EQ(control->Save(settings, 5003), 0);

  ReportRecorder recorder;
  PPDXBooleanControl back(settings, 5003, nullptr);
  // The store-built control reports the state it read, so the constraints
  // do not go on believing False for a control that is True.
  EXPECT_EQ(recorder.reports(), (std::vector<Report>{{"*QZCollate", "False"}}));
  EXPECT_EQ(back.Type(), kBooleanControl);
  EXPECT_FALSE(back.IsTrue());
  EXPECT_TRUE(back.DefaultState());
  EXPECT_STREQ(back.TrueDisplayText(), "On");
  EXPECT_STREQ(back.FalseDisplayText(), "Off");
  EXPECT_TRUE(back.IsSetup());
  EXPECT_EQ(PostScriptOf(back), PostScriptOf(*control));
  back.ResetToDefaultValue();
  EXPECT_EQ(PostScriptOf(back), "%%BeginFeature: *QZCollate True\ntrue setcollate\n%%EndFeature\n");
}

TEST(PPDXBooleanControl, StoreBuiltWithMissingItemsStartsFalse) {
  Settings settings;
  const char marker = 1;
  settings.Add(kBooleanMarkerTag, 5001, &marker, 1);
  const int64_t wrongSize = 1;
  settings.Add(kBooleanValueTag, 5001, &wrongSize, 8);
  ReportRecorder recorder;
  PPDXBooleanControl back(settings, 5001, nullptr);
  EXPECT_FALSE(back.IsTrue());
  EXPECT_FALSE(back.DefaultState());
  EXPECT_EQ(back.TrueDisplayText(), nullptr);
  EXPECT_EQ(recorder.reports(), (std::vector<Report>{{"<null>", "False"}}));
  EXPECT_EQ(back.Restore(settings, 5001), kControlStoreWrongSize);
  EXPECT_EQ(back.Restore(settings, 5002), kSettingsItemNotFound);
}

TEST(PPDXBooleanControl, RestoreReadsTheValueOnly) {
  auto control = MakeBoolean(false);
  control->SetValue(true);
  Settings settings;
  ASSERT_EQ(control->Save(settings, 5001), 0);
  control->SetValue(false);
  control->SetDefaultValue(true);
  ReportRecorder recorder;
  EXPECT_EQ(control->Restore(settings, 5001), 0);
  EXPECT_TRUE(control->IsTrue());
  EXPECT_TRUE(control->DefaultState()) << "the default is not restored";
  EXPECT_EQ(recorder.reports(), (std::vector<Report>{{"*QZCollate", "True"}}));
}

TEST(PPDXBooleanControl, FreeFunctionsAreNullSafe) {
  EXPECT_FALSE(IsTrue(static_cast<PPDXBooleanControl*>(nullptr)));
  SetValue(static_cast<PPDXBooleanControl*>(nullptr), true);
  EXPECT_EQ(BooleanPostScript(nullptr, nullptr), 0);
  EXPECT_EQ(TrueDisplayText(nullptr), nullptr);
  EXPECT_EQ(FalseDisplayText(nullptr), nullptr);
  EXPECT_FALSE(DefaultState(nullptr));

  auto control = MakeBoolean(true);
  SetValue(control.get(), false);
  EXPECT_FALSE(IsTrue(control.get()));
  EXPECT_TRUE(DefaultState(control.get()));
  EXPECT_STREQ(TrueDisplayText(control.get()), "On");
  EXPECT_EQ(BooleanPostScript(control.get(), nullptr), control->PostScript(nullptr));
}
