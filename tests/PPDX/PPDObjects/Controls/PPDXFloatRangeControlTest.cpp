#include "PPDX/PPDObjects/Controls/PPDXFloatRangeControl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "ControlTestSupport.h"

namespace {

using control_test::FlagList;
using control_test::Fragment;
using control_test::PostScriptOf;

std::unique_ptr<PPDXFloatRangeControl> MakeFloat(const std::string& fragment, double minimum,
                                                 double maximum, double defaultValue) {
  FlagList flags({});
  return std::make_unique<PPDXFloatRangeControl>(
      "*QZGamma", CFSTR("Gamma"), flags.list(), Fragment(fragment),
      static_cast<double>(fragment.size()), minimum, maximum, 0.25, defaultValue, true);
}

TEST(PPDXFloatRangeControl, ValueIsClampedNotSnapped) {
  const struct {
    float given, expected;
  } cases[] = {{1.3f, 1.3f}, {0.1f, 0.5f}, {2.5f, 2.0f}, {0.5f, 0.5f}, {2.0f, 2.0f}};
  auto range = MakeFloat("", 0.5, 2.0, 1.0);
  EXPECT_EQ(range->Type(), kFloatRangeControl);
  for (const auto& c : cases) {
    range->SetValue(c.given);
    EXPECT_FLOAT_EQ(range->GetValue(), c.expected) << c.given;
  }
  range->ResetToDefaultValue();
  EXPECT_FLOAT_EQ(range->GetValue(), 1.0f);
}

TEST(PPDXFloatRangeControl, ValueTextsAndPostScript) {
  auto range = MakeFloat("<*QZGamma> setgamma\n", 0.5, 2.0, 1.25);
  EXPECT_EQ(range->CopyCurrentControlValueString(), CFSTR("1.250"));
  // Nine characters wide: "1.2500" behind three blanks, in the option and the body.
  EXPECT_EQ(PostScriptOf(*range),
            "%%BeginFeature: *QZGamma    1.2500\n   1.2500 setgamma\n%%EndFeature\n");
  range->SetCurrentControlWithCFString(CFSTR("1.75"));
  EXPECT_EQ(PostScriptOf(*range),
            "%%BeginFeature: *QZGamma    1.7500\n   1.7500 setgamma\n%%EndFeature\n");
  range->SetCurrentControlWithCFString(CFSTR("1e300"));  // beyond float: clamped, no UB
  EXPECT_FLOAT_EQ(range->GetValue(), 2.0f);
  range->SetCurrentControlWithCFString(CFString());
  EXPECT_FLOAT_EQ(range->GetValue(), 2.0f);
}

TEST(PPDXFloatRangeControl, FragmentLengthArrivesAsARealNumber) {
  FlagList flags({});
  PPDXFloatRangeControl cut("*QZGamma", CFSTR("Gamma"), flags.list(), Fragment("<*QZGamma>XYZ"),
                            10.9, 0, 10, 1, 3, true);
  // 10.9 bytes are the ten of the placeholder: "XYZ" is cut off.
  EXPECT_EQ(PostScriptOf(cut), "%%BeginFeature: *QZGamma    3.0000\n   3.0000%%EndFeature\n");
  for (double bad : {-4.0, std::nan(""), 1e300}) {
    FlagList none({});
    PPDXFloatRangeControl range("*QZGamma", CFSTR("Gamma"), none.list(), Fragment("abc"), bad, 0,
                                10, 1, 3, true);
    EXPECT_EQ(PostScriptOf(range), "%%BeginFeature: *QZGamma    3.0000\n\n%%EndFeature\n");
  }
}

TEST(PPDXFloatRangeControl, RestoreReadsTheValueInEitherByteOrderAndDropsTheCache) {
  auto range = MakeFloat("<*QZGamma>\n", 0.5, 2.0, 1.0);
  ASSERT_EQ(PostScriptOf(*range), "%%BeginFeature: *QZGamma    1.0000\n   1.0000\n%%EndFeature\n");

  Settings store;
  const float stored = 7.5f;  // outside the limits: restored as is
  ASSERT_EQ(store.Add(kFloatRangeValueTag, 5001, &stored, 4), 0);
  EXPECT_EQ(range->Restore(store, 5001), 0);
  EXPECT_FLOAT_EQ(range->GetValue(), 7.5f);
  EXPECT_EQ(PostScriptOf(*range), "%%BeginFeature: *QZGamma    7.5000\n   7.5000\n%%EndFeature\n");

  // A store written in the other byte order holds the float swapped.
  Settings foreign;
  const uint64_t probe = 10001;
  ASSERT_EQ(foreign.Add(kSettingsProbeTag, kSettingsProbeId, &probe, 8), 0);
  unsigned char bytes[4];
  const float value = 1.5f;
  std::memcpy(bytes, &value, 4);
  std::swap(bytes[0], bytes[3]);
  std::swap(bytes[1], bytes[2]);
  ASSERT_EQ(foreign.Add(kFloatRangeValueTag, 5001, bytes, 4), 0);
  EXPECT_EQ(range->Restore(foreign, 5001), 0);
  EXPECT_FLOAT_EQ(range->GetValue(), 1.5f);

  EXPECT_EQ(range->Restore(store, 5002), kSettingsItemNotFound);
  EXPECT_FLOAT_EQ(range->GetValue(), 1.5f);
}

TEST(PPDXFloatRangeControl, SaveAndStoreConstructor) {
  FlagList flags({"Dynamic"});
  PPDXFloatRangeControl range("*QZGamma", CFSTR("Gamma"), flags.list(), Fragment("<*QZGamma>\n"),
                              11, 0.5, 2.0, 0.25, 1.0, true);
  range.SetValue(1.75f);
  Settings store;
  ASSERT_EQ(range.Save(store, 5002), 0);
  int size = 0;
  ASSERT_EQ(store.Get(kFloatRangeMarkerTag, 5002, nullptr, size, false), 0);
  EXPECT_EQ(size, 1);
  for (unsigned int tag : {kFloatRangeValueTag, kFloatRangeMinimumTag, kFloatRangeMaximumTag,
                           kFloatRangeIncrementTag, kFloatRangeDefaultTag}) {
    ASSERT_EQ(store.Get(tag, 5002, nullptr, size, false), 0);
    EXPECT_EQ(size, 4);
  }
  PPDXFloatRangeControl back(store, 5002);
  EXPECT_FLOAT_EQ(back.GetValue(), 1.75f);
  EXPECT_FLOAT_EQ(back.MinVal(), 0.5f);
  EXPECT_FLOAT_EQ(back.MaxVal(), 2.0f);
  EXPECT_FLOAT_EQ(back.Increment(), 0.25f);
  EXPECT_FLOAT_EQ(back.DefaultValue(), 1.0f);
  EXPECT_TRUE(back.IsDynamic());
  EXPECT_EQ(PostScriptOf(back), PostScriptOf(range));

  const double eight = 2.0;  // wrong size: the field stays 0
  ASSERT_EQ(store.Add(kFloatRangeMaximumTag, 5002, &eight, 8), 0);
  PPDXFloatRangeControl damaged(store, 5002);
  EXPECT_FLOAT_EQ(damaged.MaxVal(), 0.0f);
  EXPECT_FLOAT_EQ(damaged.MinVal(), 0.5f);
}

}  // namespace
