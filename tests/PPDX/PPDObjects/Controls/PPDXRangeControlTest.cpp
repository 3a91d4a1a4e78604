#include "PPDX/PPDObjects/Controls/PPDXRangeControl.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

#include "ControlTestSupport.h"

namespace {

using control_test::FlagList;
using control_test::Fragment;
using control_test::PostScriptOf;

std::unique_ptr<PPDXRangeControl> MakeRange(const char* keyword, const std::string& fragment,
                                            long minimum, long maximum, long increment,
                                            long defaultValue) {
  FlagList flags({});
  return std::make_unique<PPDXRangeControl>(keyword, CFSTR("Density"), flags.list(),
                                            Fragment(fragment), static_cast<long>(fragment.size()),
                                            minimum, maximum, increment, defaultValue, true);
}

struct ValueCase {
  long minimum, maximum, increment, given, expected;
};

TEST(PPDXRangeControl, ValueRuleGridAnchoredAtZeroThenClamped) {
  const ValueCase cases[] = {
      {3, 100, 5, 7, 5},       // toward 0 onto the grid
      {3, 100, 5, 4, 3},       // 0, then raised to the minimum
      {3, 100, 5, 103, 100},   // clamped value need not lie on the grid
      {3, 100, 5, -7, 3},      // -5, then raised
      {-100, 100, 5, -7, -5},  // negative values move toward 0 too
      {3, 100, 5, 50, 50},
      {3, 100, 0, 7, 7},  // increment 0: no grid (no division by zero)
      {3, 100, 0, 1, 3},
      {0, 100, -5, 7, 5},  // a negative increment is the same grid
      {0, 100, 1, 37, 37},
      {LONG_MIN, LONG_MAX, -1, LONG_MIN, LONG_MIN},  // no INT64_MIN % -1
      {LONG_MIN, LONG_MAX, 7, LONG_MIN, LONG_MIN - (LONG_MIN % 7)},
      {10, 5, 1, 7, 5},  // minimum above maximum: the maximum wins
  };
  for (const auto& c : cases) {
    auto range = MakeRange("*QZDensity", "", c.minimum, c.maximum, c.increment, c.minimum);
    range->SetValue(c.given);
    EXPECT_EQ(range->GetValue(), c.expected) << "min " << c.minimum << " max " << c.maximum
                                             << " inc " << c.increment << " v " << c.given;
  }
}

TEST(PPDXRangeControl, ConstructionKeepsTheDefaultUnroundedAndResetRounds) {
  auto range = MakeRange("*QZDensity", "", 3, 100, 5, 7);
  EXPECT_EQ(range->Type(), kRangeControl);
  EXPECT_EQ(range->GetValue(), 7);
  EXPECT_EQ(range->DefaultValue(), 7);
  EXPECT_EQ(range->Constraints(), nullptr);
  range->SetValue(50);
  range->ResetToDefaultValue();
  EXPECT_EQ(range->GetValue(), 5);
}

TEST(PPDXRangeControl, ValueStrings) {
  auto range = MakeRange("*QZDensity", "", -50, 100, 5, 10);
  EXPECT_EQ(range->CopyCurrentControlValueString(), CFSTR("10"));
  range->SetCurrentControlWithCFString(CFSTR(" 42"));
  EXPECT_EQ(range->GetValue(), 40);
  range->SetCurrentControlWithCFString(CFSTR("-12"));
  EXPECT_EQ(range->CopyCurrentControlValueString(), CFSTR("-10"));
  range->SetCurrentControlWithCFString(CFString());  // no value: nothing changes
  EXPECT_EQ(range->GetValue(), -10);
  range->SetCurrentControlWithCFString(CFSTR("junk"));  // integer value 0
  EXPECT_EQ(range->GetValue(), 0);
}

TEST(PPDXRangeControl, PostScriptSubstitutesTheValueInsideTheWrapper) {
  auto range = MakeRange("*QZDensity", "<</Density <*QZDensity>>> setpagedevice % <*QZDensity>\n",
                         0, 100, 1, 50);
  EXPECT_EQ(PostScriptOf(*range),
            "%%BeginFeature: *QZDensity 50\n<</Density 50>> setpagedevice % 50\n"
            "%%EndFeature\n");

  auto plain = MakeRange("*QZDensity", "{ 1 setgray }\n", 0, 100, 1, 50);
  EXPECT_EQ(PostScriptOf(*plain), "%%BeginFeature: *QZDensity 50\n{ 1 setgray }\n%%EndFeature\n");

  auto none = MakeRange("*QZDensity", "", 0, 100, 1, -3);
  EXPECT_EQ(PostScriptOf(*none), "%%BeginFeature: *QZDensity -3\n\n%%EndFeature\n");

  auto nameless = MakeRange(nullptr, "<*QZDensity>\n", 0, 100, 1, 50);
  EXPECT_EQ(nameless->PostScript(nullptr), 0);
}

TEST(PPDXRangeControl, SubstitutedFragmentFollowsEveryValueChange) {
  auto range = MakeRange("*QZDensity", "<*QZDensity> d\n", 0, 100, 1, 50);
  const std::string first = PostScriptOf(*range);
  EXPECT_EQ(PostScriptOf(*range), first);  // the cache gives the same bytes
  range->SetValue(51);
  EXPECT_EQ(PostScriptOf(*range), "%%BeginFeature: *QZDensity 51\n51 d\n%%EndFeature\n");
  range->SetCurrentControlWithCFString(CFSTR("52"));
  EXPECT_EQ(PostScriptOf(*range), "%%BeginFeature: *QZDensity 52\n52 d\n%%EndFeature\n");
  range->ResetToDefaultValue();
  EXPECT_EQ(PostScriptOf(*range), first);
}

TEST(PPDXRangeControl, RestoreDropsTheSubstitutedFragment) {
  Settings store;
  auto saved = MakeRange("*QZDensity", "<*QZDensity> d\n", 0, 100, 1, 60);
  ASSERT_EQ(saved->Save(store, 5001), 0);

  auto range = MakeRange("*QZDensity", "<*QZDensity> d\n", 0, 100, 1, 50);
  ASSERT_EQ(PostScriptOf(*range), "%%BeginFeature: *QZDensity 50\n50 d\n%%EndFeature\n");
  EXPECT_EQ(range->Restore(store, 5001), 0);  // an 8-byte value read is success
  EXPECT_EQ(range->GetValue(), 60);
  EXPECT_EQ(PostScriptOf(*range), "%%BeginFeature: *QZDensity 60\n60 d\n%%EndFeature\n");
}

TEST(PPDXRangeControl, RestoreTakesTheStoredValueAsIsAndReportsStoreErrors) {
  Settings store;
  const int64_t offGrid = 333;  // neither on the grid nor within the limits
  ASSERT_EQ(store.Add(kRangeValueTag, 7, &offGrid, 8), 0);
  const int32_t shortValue = 9;
  ASSERT_EQ(store.Add(kRangeValueTag, 8, &shortValue, 4), 0);

  auto range = MakeRange("*QZDensity", "", 0, 100, 5, 50);
  EXPECT_EQ(range->Restore(store, 7), 0);
  EXPECT_EQ(range->GetValue(), 333);
  EXPECT_NE(range->Restore(store, 8), 0);  // wrong size: value kept
  EXPECT_EQ(range->GetValue(), 333);
  EXPECT_EQ(range->Restore(store, 9), kSettingsItemNotFound);
  EXPECT_EQ(range->GetValue(), 333);
}

TEST(PPDXRangeControl, StoreConstructorReadsExactSizesOnly) {
  FlagList flags({"Dynamic", "Setup"});
  PPDXRangeControl range("*QZDensity", CFSTR("Density"), flags.list(), Fragment("<*QZDensity>\n"),
                         13, -10, 90, 5, 20, false);
  range.SetValue(35);
  Settings store;
  ASSERT_EQ(range.Save(store, 5003), 0);
  int size = 0;
  ASSERT_EQ(store.Get(kRangeMarkerTag, 5003, nullptr, size, false), 0);
  EXPECT_EQ(size, 1);
  for (unsigned int tag :
       {kRangeValueTag, kRangeMinimumTag, kRangeMaximumTag, kRangeIncrementTag, kRangeDefaultTag}) {
    ASSERT_EQ(store.Get(tag, 5003, nullptr, size, false), 0);
    EXPECT_EQ(size, 8);
  }

  PPDXRangeControl back(store, 5003);
  EXPECT_EQ(back.Type(), kRangeControl);
  EXPECT_EQ(back.GetValue(), 35);
  EXPECT_EQ(back.MinVal(), -10);
  EXPECT_EQ(back.MaxVal(), 90);
  EXPECT_EQ(back.Increment(), 5);
  EXPECT_EQ(back.DefaultValue(), 20);
  EXPECT_FALSE(back.IsVisible());
  EXPECT_TRUE(back.IsDynamic());
  EXPECT_TRUE(back.IsSetup());
  EXPECT_EQ(PostScriptOf(back), PostScriptOf(range));

  // A minimum stored with the wrong size stays 0; the others are read.
  const int32_t four = -10;
  ASSERT_EQ(store.Add(kRangeMinimumTag, 5003, &four, 4), 0);
  PPDXRangeControl damaged(store, 5003);
  EXPECT_EQ(damaged.MinVal(), 0);
  EXPECT_EQ(damaged.MaxVal(), 90);
}

TEST(PPDXRangeControl, NullSafeFreeFunctions) {
  EXPECT_EQ(GetRangeValue(nullptr), 0);
  SetRangeValue(nullptr, 5);
  EXPECT_EQ(GetRangeMinimum(nullptr), 0);
  EXPECT_EQ(GetRangeMaximum(nullptr), 0);
  EXPECT_EQ(GetRangeIncrement(nullptr), 0);
  EXPECT_EQ(GetRangeDefaultVal(nullptr), 0);
  EXPECT_EQ(RangePostScript(nullptr, nullptr), 0);

  auto range = MakeRange("*QZDensity", "<*QZDensity>\n", 1, 9, 2, 3);
  SetRangeValue(range.get(), 8);
  EXPECT_EQ(GetRangeValue(range.get()), 8);
  EXPECT_EQ(GetRangeMinimum(range.get()), 1);
  EXPECT_EQ(GetRangeMaximum(range.get()), 9);
  EXPECT_EQ(GetRangeIncrement(range.get()), 2);
  EXPECT_EQ(GetRangeDefaultVal(range.get()), 3);
  EXPECT_EQ(RangePostScript(range.get(), nullptr), range->PostScript(nullptr));
}

}  // namespace
