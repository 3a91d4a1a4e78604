#include <gtest/gtest.h>

#include "platform/PMPageFormat.h"
#include "platform/PMPrintSettings.h"

namespace {

TEST(PrintSettings, TypedValuesAndKindMismatch) {
  PMPrintSettings s;
  s.SetString("InputSlot", "Tray2");
  s.SetInteger("n", 7);
  s.SetReal("r", 2.5);
  s.SetBool("b", true);
  s.SetValue("a", PlistValue::MakeArray({PlistValue::String("x")}));
  s.SetValue("d", PlistValue::MakeDict({{"k", PlistValue::Integer(1)}}));

  EXPECT_EQ(s.GetString("InputSlot"), "Tray2");
  EXPECT_EQ(s.GetInteger("r"), 2);  // numbers read as each other
  EXPECT_EQ(s.GetReal("n"), 7.0);
  EXPECT_EQ(s.GetBool("b"), true);
  ASSERT_NE(s.GetArray("a"), nullptr);
  EXPECT_EQ(s.GetArray("a")->size(), 1u);
  ASSERT_NE(s.GetDict("d"), nullptr);

  // Wrong kinds and missing keys read as nothing, never as a converted value.
  EXPECT_FALSE(s.GetString("n"));
  EXPECT_FALSE(s.GetInteger("InputSlot"));
  EXPECT_FALSE(s.GetBool("n"));
  EXPECT_EQ(s.GetArray("d"), nullptr);
  EXPECT_EQ(s.GetDict("a"), nullptr);
  EXPECT_FALSE(s.GetString("missing"));

  s.SetValue("InputSlot", PlistValue());  // None removes
  EXPECT_FALSE(s.Contains("InputSlot"));
}

TEST(PrintSettings, XmlRoundTripAndRefusals) {
  PMPrintSettings s;
  s.SetString(kPMJobNameKey, "report \xc3\xa9");
  s.SetInteger(kPMCopiesKey, 3);
  auto back = PMPrintSettings::FromXml(s.ToXml());
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, s);

  std::string error;
  EXPECT_FALSE(PMPrintSettings::FromXml(PlistValue::MakeArray().ToXml(), &error));
  EXPECT_NE(error.find("dictionary"), std::string::npos);
  EXPECT_FALSE(PMPrintSettings::FromXml("junk", &error));
  // Settings made from a value that is not a dictionary start empty.
  EXPECT_EQ(PMPrintSettings(PlistValue::String("x")).Dictionary().Count(), 0u);
}

TEST(PrintSettings, ClassicCalls) {
  PMPrintSettings s;
  uint32_t copies = 0;
  EXPECT_EQ(PMGetCopies(&s, &copies), noErr);
  EXPECT_EQ(copies, 1u);
  EXPECT_EQ(PMSetCopies(&s, 4, false), noErr);
  EXPECT_EQ(PMGetCopies(&s, &copies), noErr);
  EXPECT_EQ(copies, 4u);
  EXPECT_EQ(PMSetCopies(&s, 0, false), kPMInvalidParameter);
  s.SetInteger(kPMCopiesKey, -3);  // nonsense stored by someone else reads as 1
  EXPECT_EQ(PMGetCopies(&s, &copies), noErr);
  EXPECT_EQ(copies, 1u);

  PlistValue v = PlistValue::String("Letter");
  EXPECT_EQ(PMPrintSettingsSetValue(&s, "PageSize", &v, false), noErr);
  const PlistValue* got = nullptr;
  EXPECT_EQ(PMPrintSettingsGetValue(&s, "PageSize", &got), noErr);
  ASSERT_NE(got, nullptr);
  EXPECT_EQ(*got, v);
  EXPECT_EQ(PMPrintSettingsGetValue(&s, "nothing", &got), kPMKeyNotFound);
  EXPECT_EQ(got, nullptr);
  EXPECT_EQ(PMPrintSettingsSetValue(&s, "PageSize", nullptr, false), noErr);
  EXPECT_FALSE(s.Contains("PageSize"));

  PlistValue dict;
  EXPECT_EQ(PMPrintSettingsCopyAsDictionary(&s, &dict), noErr);
  EXPECT_EQ(dict, s.Dictionary());

  EXPECT_EQ(PMPrintSettingsSetValue(nullptr, "k", &v, false), kPMInvalidParameter);
  EXPECT_EQ(PMPrintSettingsGetValue(nullptr, "k", &got), kPMInvalidParameter);
  EXPECT_EQ(PMPrintSettingsCopyAsDictionary(nullptr, &dict), kPMInvalidParameter);
  EXPECT_EQ(PMGetCopies(nullptr, &copies), kPMInvalidParameter);
}

TEST(PageFormat, RectanglesFollowOrientationAndMargins) {
  PMPaper a4;
  a4.ppdName = "A4";
  a4.width = 595;
  a4.height = 842;
  a4.margins = {10, 12, 14, 16};  // top, left, bottom, right
  PMPageFormat f(a4, kPMPortrait);
  EXPECT_EQ(f.UnadjustedPaperRect(), (PMRect{0, 0, 842, 595}));
  EXPECT_EQ(f.AdjustedPageRect(), (PMRect{0, 0, 818, 567}));
  EXPECT_EQ(f.AdjustedPaperRect(), (PMRect{-10, -12, 832, 583}));

  ASSERT_EQ(PMSetOrientation(&f, kPMLandscape, false), noErr);
  EXPECT_EQ(f.UnadjustedPaperRect(), (PMRect{0, 0, 595, 842}));
  EXPECT_EQ(f.AdjustedPageRect(), (PMRect{0, 0, 567, 818}));
  PMRect r;
  ASSERT_EQ(PMGetAdjustedPaperRect(&f, &r), noErr);
  // The sheet's extent is the same whichever way it is turned.
  EXPECT_EQ(r.bottom - r.top, 595);
  EXPECT_EQ(r.right - r.left, 842);

  PMOrientation o{};
  EXPECT_EQ(PMGetOrientation(&f, &o), noErr);
  EXPECT_EQ(o, kPMLandscape);
  EXPECT_EQ(PMSetOrientation(&f, static_cast<PMOrientation>(9), false), kPMInvalidParameter);
  EXPECT_EQ(f.Orientation(), kPMLandscape);
  EXPECT_EQ(PMGetOrientation(nullptr, &o), kPMInvalidParameter);

  PMPaper paper;
  EXPECT_EQ(PMGetPageFormatPaper(&f, &paper), noErr);
  EXPECT_EQ(paper.ppdName, "A4");
  EXPECT_EQ(PMPageFormat().Paper().ppdName, "Letter");
}

}  // namespace
