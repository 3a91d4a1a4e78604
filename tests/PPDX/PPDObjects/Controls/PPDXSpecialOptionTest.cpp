#include "PPDX/PPDObjects/Controls/PPDXSpecialOption.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ControlTestSupport.h"
#include "PPDX/PPDObjects/Controls/Settings.h"

namespace {

using control_test::FlagList;
using control_test::Fragment;
using control_test::PostScriptOf;

std::unique_ptr<PPDXSpecialOption> Option(char* value, const std::string& ps) {
  FlagList flags({"Spooler", "Setup"});
  return std::make_unique<PPDXSpecialOption>("*QZBanner", CFSTR("Banner"), flags.list(), value,
                                             Fragment(ps), static_cast<long>(ps.size()), true);
}

TEST(PPDXSpecialOption, CarriesAFixedValueThatNoTextChanges) {
  PPDXSpecialOption empty;
  EXPECT_EQ(empty.Type(), kSpecialOptionControl);
  EXPECT_EQ(empty.CopyCurrentControlValueString(), CFSTR(""));
  ASSERT_NE(empty.GetValue(), nullptr);
  EXPECT_EQ(empty.PostScript(nullptr), 0);

  char value[] = "Banner1";
  auto option = Option(value, "%%QZBanner: Banner1\n");
  value[0] = 'X';  // the value was copied
  EXPECT_EQ(option->CopyCurrentControlValueString(), CFSTR("Banner1"));
  option->SetCurrentControlWithCFString(CFSTR("Other"));
  EXPECT_EQ(option->CopyCurrentControlValueString(), CFSTR("Banner1"));
  // The fragment goes out as it came, without feature wrapping.
  EXPECT_EQ(PostScriptOf(*option), "%%QZBanner: Banner1\n");
  EXPECT_TRUE(option->IsSpooler());
  option->ResetToDefaultValue();
  EXPECT_EQ(option->CopyCurrentControlValueString(), CFSTR(""));

  auto noValue = Option(nullptr, "");
  EXPECT_EQ(noValue->CopyCurrentControlValueString(), CFSTR(""));
}

TEST(PPDXSpecialOption, SaveRebuildAndRestoreKeepTheValue) {
  char value[] = "Banner1";
  auto option = Option(value, "%%QZBanner: Banner1\n");
  Settings settings;
  ASSERT_EQ(option->Save(settings, 5003), 0);
  uint8_t marker = 0;
  int size = 1;
  EXPECT_EQ(settings.Get(kSpecialOptionMarkerTag, 5003, &marker, size, false), 0);
  EXPECT_EQ(size, 1);

  PPDXSpecialOption rebuilt(settings, 5003);
  EXPECT_EQ(rebuilt.Type(), kSpecialOptionControl);
  EXPECT_STREQ(rebuilt.Keyword(), "*QZBanner");
  EXPECT_EQ(rebuilt.CopyCurrentControlValueString(), CFSTR("Banner1"));
  EXPECT_EQ(PostScriptOf(rebuilt), PostScriptOf(*option));
  EXPECT_TRUE(rebuilt.IsSetup());

  rebuilt.ResetToDefaultValue();
  EXPECT_EQ(rebuilt.Restore(settings, 5003), 0);
  EXPECT_EQ(rebuilt.CopyCurrentControlValueString(), CFSTR("Banner1"));
  // A store without the value keeps the current one.
  Settings other;
  EXPECT_EQ(rebuilt.Restore(other, 5003), 0);
  EXPECT_EQ(rebuilt.CopyCurrentControlValueString(), CFSTR("Banner1"));
  // Nor is a missing value a reason to fail the rebuild.
  PPDXSpecialOption fromNothing(other, 5003);
  EXPECT_EQ(fromNothing.CopyCurrentControlValueString(), CFSTR(""));

  // An empty value survives as the empty text.
  auto blank = Option(nullptr, "");
  Settings blankStore;
  ASSERT_EQ(blank->Save(blankStore, 5001), 0);
  PPDXSpecialOption blankRebuilt(blankStore, 5001);
  ASSERT_NE(blankRebuilt.GetValue(), nullptr);
  EXPECT_EQ(blankRebuilt.CopyCurrentControlValueString(), CFSTR(""));
}

}  // namespace
