#include "PPDX/PPDObjects/Controls/PPDXJobNoteFlags.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(JobNoteFlagTable, WordsMapToTheirBitInTableOrder) {
  for (size_t i = 0; i < kJobNoteFlagCount; ++i) {
    EXPECT_EQ(kJobNoteFlagTable[i].flag, JobNoteFlag{1} << i) << kJobNoteFlagTable[i].word;
    EXPECT_EQ(JobNoteFlagIndex(kJobNoteFlagTable[i].word), static_cast<int>(i));
  }
  EXPECT_EQ(JobNoteFlagForWord("OnOfSwitch"), kJobNoteOnOffSwitch);  // the PPD's own spelling
  EXPECT_EQ(JobNoteFlagForWord("PopupJN"), 0x2000000u);
  EXPECT_EQ(JobNoteFlagForWord("popupjn"), 0u);  // exact comparison
  EXPECT_EQ(JobNoteFlagForWord("OnOffSwitch"), 0u);
  EXPECT_EQ(JobNoteFlagForWord(nullptr), 0u);
  EXPECT_EQ(kJobNoteCharacterMask, 0x36007u);
}

TEST(JobNoteFlagTable, AnyTextOnlyWithoutCharacterFlags) {
  EXPECT_TRUE(JobNoteIsAnyText(0));
  // Flags that say nothing about characters keep any text.
  EXPECT_TRUE(JobNoteIsAnyText(kJobNotePassword | kJobNoteEncrypt | kJobNoteHyphen | kJobNoteLCD));
  for (JobNoteFlag f : {kJobNoteAlpha, kJobNoteNumeric, kJobNoteDecimal, kJobNoteSpace,
                        kJobNoteNegative, kJobNoteMultiSpace, kJobNoteMultiComma})
    EXPECT_FALSE(JobNoteIsAnyText(f)) << f;
}

struct CharCase {
  JobNoteFlag flags;
  char32_t c;
  bool accepted;
  const char* why;
};

TEST(JobNoteCharacterRule, Table) {
  const CharCase cases[] = {
      {kJobNoteNumeric, U'7', true, "numeric digit"},
      {kJobNoteNumeric, U'-', false, "numeric alone rejects a hyphen"},
      {kJobNoteNumeric, U'a', false, "numeric rejects letters"},
      {kJobNoteNumeric | kJobNoteNegative, U'-', true, "negative adds the hyphen"},
      {kJobNoteNumeric | kJobNoteHyphen, U'-', true, "hyphen adds the hyphen"},
      {kJobNoteHyphen, U'x', true, "hyphen alone is still any text"},
      {kJobNoteNumeric | kJobNoteHyphen, U'x', false, "hyphen does not open letters"},
      {kJobNoteDecimal | kJobNoteMultiComma, U',', true, "decimal itself accepts a comma"},
      {kJobNoteDecimal | kJobNoteMultiSpace, U' ', false, "decimal switches off multi-space"},
      {kJobNoteDecimal | kJobNoteMultiSpace | kJobNoteSpace, U' ', true,
       "space is not switched off"},
      {kJobNoteNumeric | kJobNoteMultiComma, U',', true, "multi-comma without decimal"},
      {kJobNoteNumeric | kJobNoteMultiSpace, U' ', true, "multi-space without decimal"},
      {kJobNoteDecimal, U'.', true, "decimal point"},
      {kJobNoteDecimal, U'5', true, "decimal digit"},
      {kJobNoteDecimal, U'e', false, "decimal rejects letters"},
      {kJobNoteAlpha, U'Q', true, "upper-case letter"},
      {kJobNoteAlpha, U'z', true, "lower-case letter"},
      {kJobNoteAlpha, U'1', false, "alpha rejects digits"},
      {kJobNoteAlpha, U'\u00e9', false, "letters are ASCII only"},
      {kJobNoteAlpha, U' ', false, "alpha rejects a blank"},
      {kJobNoteAlpha | kJobNoteSpace, U' ', true, "space accepts a blank"},
      {kJobNoteLCD, U'_', true, "LCD underscore"},
      {kJobNoteLCD, U'k', true, "LCD letters with alpha clear"},
      {kJobNoteLCD, U'.', true, "LCD point"},
      {kJobNoteLCD, U' ', false, "LCD rejects a blank"},
      {kJobNoteLCD | kJobNoteSpace, U' ', false, "LCD replaces every other rule"},
      {kJobNoteLCD, U'\u00e9', false, "LCD letters are ASCII only"},
      {0, U'\u00e9', true, "no character flags: anything"},
      {0, U'#', true, "no character flags: punctuation"},
      {kJobNotePassword, U'\U0001F600', true, "non-character flags: anything"},
  };
  for (const auto& c : cases) EXPECT_EQ(JobNoteAcceptsCharacter(c.flags, c.c), c.accepted) << c.why;
}

struct NumericCase {
  JobNoteFlag flags;
  std::u32string text;
  long invalidAt;
};

TEST(JobNoteNumericText, LastOffendingCharacter) {
  const NumericCase cases[] = {
      {kJobNoteNumeric, U"12345", -1},
      {kJobNoteNumeric, U"", -1},
      {kJobNoteNumeric, U"12a4b6", 4},  // the last offender, not the first
      {kJobNoteNumeric, U"1,2", 1},
      {kJobNoteNumeric | kJobNoteMultiComma, U"1,2", -1},
      {kJobNoteNumeric, U"1-2", 1},
      {kJobNoteNumeric | kJobNoteHyphen, U"1-2", -1},
      {kJobNoteNumeric | kJobNoteNegative, U"-12", 0},  // negative is no numeric-text rule
      {kJobNoteNumeric | kJobNoteAlpha, U"ab12", -1},   // alpha fields are not numeric text
      {kJobNoteDecimal, U"x", -1},                      // only Numeric fields are checked
  };
  for (const auto& c : cases) {
    EXPECT_EQ(JobNoteNumericTextInvalidAt(c.flags, c.text), c.invalidAt);
  }
  EXPECT_EQ(JobNoteNumericTextInvalidAt(kJobNoteNumeric, CFSTR("9\u00e99")), 1);
  EXPECT_EQ(JobNoteNumericTextInvalidAt(kJobNoteNumeric, CFString()), -1);
}

TEST(JobNoteNumericText, CutToMaxLength) {
  EXPECT_EQ(JobNoteCutToMaxLength(CFSTR("abcdef"), 4), CFSTR("abcd"));
  EXPECT_EQ(JobNoteCutToMaxLength(CFSTR("abc"), 4), CFSTR("abc"));
  EXPECT_EQ(JobNoteCutToMaxLength(CFSTR("abc"), 0), CFSTR(""));
  EXPECT_EQ(JobNoteCutToMaxLength(CFSTR("abc"), -1), CFSTR("abc"));
  EXPECT_TRUE(JobNoteCutToMaxLength(CFString(), 3).IsNull());
  // A cut inside a surrogate pair drops the whole character.
  EXPECT_EQ(JobNoteCutToMaxLength(CFSTR("a\U0001F600b"), 2), CFSTR("a"));
  EXPECT_EQ(JobNoteCutToMaxLength(CFSTR("a\U0001F600b"), 3), CFSTR("a\U0001F600"));
}

}  // namespace
