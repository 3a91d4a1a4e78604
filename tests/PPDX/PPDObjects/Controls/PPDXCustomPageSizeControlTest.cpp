#include "PPDX/PPDObjects/Controls/PPDXCustomPageSizeControl.h"

#include <gtest/gtest.h>

#include "ControlTestSupport.h"

namespace {

using control_test::FlagList;

TEST(PPDXCustomPageSizeControl, FixedNameNoFragmentAndLimits) {
  FlagList flags({"Setup"});
  PPDXCustomPageSizeControl size("*CustomPageSize", flags.list(), 100, 1300, 150, 1900);
  EXPECT_EQ(size.Type(), kCustomPageSizeControl);
  EXPECT_EQ(size.CFStringUserName(), CFSTR("Custom Page Size"));
  EXPECT_TRUE(size.IsVisible());
  EXPECT_TRUE(size.IsSetup());
  EXPECT_EQ(size.PostScript(nullptr), 0);
  EXPECT_FLOAT_EQ(size.GetWidth(), 0);
  EXPECT_FLOAT_EQ(size.GetHeight(), 0);
  EXPECT_FLOAT_EQ(size.MinWidth(), 100);
  EXPECT_FLOAT_EQ(size.MaxWidth(), 1300);
  EXPECT_FLOAT_EQ(size.MinHeight(), 150);
  EXPECT_FLOAT_EQ(size.MaxHeight(), 1900);
  size.SetWidth(5000);  // no checks against the limits
  EXPECT_FLOAT_EQ(size.GetWidth(), 5000);
  size.SetMaxHeight(10);
  EXPECT_FLOAT_EQ(size.MaxHeight(), 10);
}

TEST(PPDXCustomPageSizeControl, ValueText) {
  FlagList flags({});
  PPDXCustomPageSizeControl size("*CustomPageSize", flags.list());
  const struct {
    const char* text;
    float width, height;
  } cases[] = {
      {"612 792", 612, 792},
      {"612", 612, 612},  // no blank: the whole text again
      {"595.5 842.25", 595.5f, 842.25f},
      {"  10 20", 10, 10},  // the first blank comes before the width
      {"abc def", 0, 0},
  };
  for (const auto& c : cases) {
    size.SetCurrentControlWithCFString(CFSTR(c.text));
    EXPECT_FLOAT_EQ(size.GetWidth(), c.width) << c.text;
    EXPECT_FLOAT_EQ(size.GetHeight(), c.height) << c.text;
  }
  size.SetCurrentControlWithCFString(CFSTR("612 792"));
  EXPECT_EQ(size.CopyCurrentControlValueString(), CFSTR("612.000000 792.000000"));
  size.SetCurrentControlWithCFString(CFString());
  EXPECT_FLOAT_EQ(size.GetWidth(), 612);
}

TEST(PPDXCustomPageSizeControl, NotPersisted) {
  FlagList flags({"Dynamic"});
  PPDXCustomPageSizeControl size("*CustomPageSize", flags.list());
  size.SetCurrentControlWithCFString(CFSTR("612 792"));
  Settings store;
  EXPECT_EQ(size.Save(store, 5001), 0);
  EXPECT_EQ(store.Count(), 0);
  const float width = 1;
  ASSERT_EQ(store.Add(ControlTag("FCVl"), 5001, &width, 4), 0);
  EXPECT_EQ(size.Restore(store, 5001), 0);
  size.ResetToDefaultValue();
  EXPECT_EQ(size.CopyCurrentControlValueString(), CFSTR("612.000000 792.000000"));
}

}  // namespace
