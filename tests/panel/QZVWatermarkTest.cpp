#include "panel/QZVWatermark.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/PDEBundle.h"
#include "panel/WatermarkResource.h"

namespace {

struct DescriptionCase {
  const char* what;
  const char* description;
  bool clearInk;
  int x, y, red, green, blue;
  bool firstPageOnly;
  int angleTenths, fontSize;
  const char* fontName;
  std::string text;
  uint32_t problems;
};

TEST(QZVWatermarkTest, DescriptionFieldsAndTheirMends) {
  const std::string longText(300, 'T');
  const std::string longFont = "0,0,0,0,0,0,0,0,0,0,0,0,12," + std::string(70, 'F') + ",x";
  const std::string longUtf8 = "0,0,0,0,0,0,0,0,0,0,0,0,12,Times-Roman," + std::string(200, 'a') +
                               "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
                               "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
                               "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
                               "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";
  const std::string longTextDescription = "0,0,0,0,0,0,0,0,0,0,0,0,12,Times-Roman," + longText;
  const DescriptionCase cases[] = {
      {"every field, a text with a comma",
       "0,10,20,255,0,0,any,1,word,450,two,more,48,Helvetica-Bold,Hello, world", false, 10, 20, 255,
       0, 0, true, 450, 48, "Helvetica-Bold", "Hello, world", 0},
      {"consecutive commas are one separator; the text keeps its leading comma",
       ",,1,,,5,-6,1,2,3,x,0,x,-900,x,x,12,Times-Roman,,A,B", true, 5, -6, 1, 2, 3, false, -900, 12,
       "Times-Roman", ",A,B", 0},
      {"first page only is \"1\" alone", "0,0,0,0,0,0,0,01,0,0,0,0,12,Times-Roman,t", false, 0, 0,
       0, 0, 0, false, 0, 12, "Times-Roman", "t", 0},
      {"missing fields read as zero and empty", "1,2,3", true, 2, 3, 0, 0, 0, false, 0, 0, "", "",
       kWatermarkMissingField},
      {"no text after the font name", "0,0,0,0,0,0,0,0,0,0,0,0,12,Times-Roman", false, 0, 0, 0, 0,
       0, false, 0, 12, "Times-Roman", "", kWatermarkMissingField},
      {"null description", nullptr, false, 0, 0, 0, 0, 0, false, 0, 0, "", "",
       kWatermarkMissingField},
      {"not numbers read as 0, colours clamped", "a,1x,+7,300,-1,12,0,0,0, 15 ,0,0,-,Times-Roman,t",
       false, 0, 7, 255, 0, 12, false, 15, 0, "Times-Roman", "t",
       kWatermarkNotANumber | kWatermarkOutOfRange},
      {"numbers beyond 32 bits clamp symmetrically",
       "0,99999999999999999999,-3000000000,0,0,0,0,0,0,0,0,0,12,Times-Roman,t", false, 2147483647,
       -2147483647, 0, 0, 0, false, 0, 12, "Times-Roman", "t", kWatermarkOutOfRange},
      {"a font name that would break out of its name",
       "0,0,0,0,0,0,0,0,0,0,0,0,12,Times) show (x,t", false, 0, 0, 0, 0, 0, false, 0, 12,
       "Times) show (x", "t", kWatermarkBadFontName},
      {"an overlong font name is left empty", longFont.c_str(), false, 0, 0, 0, 0, 0, false, 0, 12,
       "", "x", kWatermarkFieldCut | kWatermarkBadFontName},
      {"an overlong text is cut to its field", longTextDescription.c_str(), false, 0, 0, 0, 0, 0,
       false, 0, 12, "Times-Roman", std::string(255, 'T'), kWatermarkFieldCut},
      {"a text is cut between characters", longUtf8.c_str(), false, 0, 0, 0, 0, 0, false, 0, 12,
       "Times-Roman", longUtf8.substr(longUtf8.find("aaa"), 254), kWatermarkFieldCut},
  };
  for (const DescriptionCase& c : cases) {
    SCOPED_TRACE(c.what);
    QZVWatermark w(c.description);
    EXPECT_EQ(w.ClearInk(), c.clearInk);
    EXPECT_EQ(w.XOffset(), c.x);
    EXPECT_EQ(w.YOffset(), c.y);
    EXPECT_EQ(w.Red(), c.red);
    EXPECT_EQ(w.Green(), c.green);
    EXPECT_EQ(w.Blue(), c.blue);
    EXPECT_EQ(w.FirstPageOnly(), c.firstPageOnly);
    EXPECT_EQ(w.AngleTenths(), c.angleTenths);
    EXPECT_EQ(w.FontSize(), c.fontSize);
    EXPECT_STREQ(w.FontName(), c.fontName);
    EXPECT_EQ(std::string(w.Text()), c.text);
    EXPECT_EQ(w.Problems(), c.problems);
    EXPECT_STREQ(w.Description(), c.description ? c.description : "");
  }
}

TEST(QZVWatermarkTest, AnOverlongDescriptionIsCutToItsField) {
  const std::string description =
      "0,0,0,0,0,0,0,0,0,0,0,0,12,Times-Roman," + std::string(6000, 'x');
  QZVWatermark w(description.c_str());
  EXPECT_EQ(std::string(w.Description()), description.substr(0, kWatermarkDescriptionSize - 1));
  EXPECT_EQ(std::string(w.Text()), std::string(kWatermarkTextSize - 1, 'x'));
  EXPECT_TRUE(w.Problems() & kWatermarkFieldCut);
}

TEST(QZVWatermarkTest, FirstPageOnlyIsSetByTrueAlone) {
  QZVWatermark w("0,0,0,0,0,0,0,1,0,0,0,0,12,Times-Roman,t");
  for (const auto& [value, expected] : {std::pair<const wchar_t*, bool>{L"True", true},
                                        {L"true", false},
                                        {L"1", false},
                                        {nullptr, false},
                                        {L"True", true},
                                        {L"False", false}}) {
    w.SetFirstPageOnly(value);
    EXPECT_EQ(w.FirstPageOnly(), expected) << (value ? "value" : "null");
  }
}

struct HexCase {
  const char* what;
  const char* text;
  const char* language;
  const char* fontName;
  const char* hex;
  uint32_t problems;
};

TEST(QZVWatermarkTest, TextInHexPerOutputEncoding) {
  const HexCase cases[] = {
      // Latin 9: the Euro sign moves from 0xA4 to 0x80; a tab keeps two digits.
      {"Latin 9", "A\t\xE2\x82\xAC\xC3\xA9", "English", "Helvetica", "410980E9", 0},
      {"Latin 9 for Japanese without a CID font", "A\xE6\x97\xA5", "Japanese", "Helvetica", "413F",
       kWatermarkTextReplaced},
      {"no language", "Hi", nullptr, nullptr, "4869", 0},
      // GBK: 0xA4 begins the hiragana row and must stay inside its character.
      {"GBK",
       "\xE4\xB8\xAD\xE3\x81\x82"
       "A",
       "Chinese", "AdobeSongStd-Light", "D6D0A4A241", 0},
      {"Japanese with a CID font",
       "\xE6\x97\xA5\xE6\x9C\xAC"
       "A",
       "Japanese", "HeiseiMin-W3-90ms-RKSJ-H", "93FA967B41", 0},
      {"vertical CID font", "\xE6\x97\xA5", "Japanese", "HeiseiMin-W3-90ms-RKSJ-V", "93FA", 0},
  };
  for (const HexCase& c : cases) {
    SCOPED_TRACE(c.what);
    QZVWatermark w((std::string("0,0,0,0,0,0,0,0,0,0,0,0,12,Times-Roman,") + c.text).c_str());
    EXPECT_STREQ(w.GetWMTextInHex(c.language, c.fontName), c.hex);
    EXPECT_EQ(w.Problems(), c.problems);
    // Computed once: the converted text serves every later call.
    EXPECT_STREQ(w.GetWMTextInHex("Chinese", "Other-H"), c.hex);
  }
}

TEST(QZVWatermarkTest, FontNameRules) {
  EXPECT_TRUE(QZVWatermark::IsCIDFontName("HeiseiMin-W3-H"));
  EXPECT_TRUE(QZVWatermark::IsCIDFontName("X-V"));
  EXPECT_FALSE(QZVWatermark::IsCIDFontName("Helvetica-Bold"));
  EXPECT_FALSE(QZVWatermark::IsCIDFontName("H"));
  EXPECT_FALSE(QZVWatermark::IsCIDFontName(nullptr));
  for (const char* good : {"Helvetica-Bold", "AdobeSongStd-Light", "Font_1.2+x"}) {
    EXPECT_TRUE(QZVWatermark::IsPlainFontName(good)) << good;
  }
  for (const char* bad : {"", "Times Roman", "a/b", "a(b", "a)b", "a<b", "a>b", "a[b", "a]b", "a{b",
                          "a}b", "a%b", "a\nb", "a\\b", "caf\xC3\xA9"}) {
    EXPECT_FALSE(QZVWatermark::IsPlainFontName(bad)) << bad;
  }
  EXPECT_FALSE(QZVWatermark::IsPlainFontName(std::string(64, 'F').c_str()));
  EXPECT_TRUE(QZVWatermark::IsPlainFontName(std::string(63, 'F').c_str()));
}

// The five defaults the panel offers come from the bundle's strings; each
// must read without a mend and give a resource.
TEST(QZVWatermarkTest, TheBundleDefaultsFollowTheFormat) {
  for (int i = 0; i < 5; ++i) {
    const std::string key = "Watermark" + std::to_string(i);
    const CFString text = CopyLocalizedCFString(CFString::FromUTF8(key));
    ASSERT_FALSE(text.IsNull());
    ASSERT_NE(text.UTF8(), key) << "no default " << key;
    QZVWatermark w(text.UTF8().c_str());
    EXPECT_EQ(w.Problems(), 0u) << key;
    EXPECT_GT(w.FontSize(), 0) << key;
    EXPECT_STRNE(w.Text(), "") << key;
    std::string resource;
    EXPECT_EQ(MakeWatermarkResource(w, "English", kPMPortrait, resource),
              WatermarkResourceStatus::kWritten)
        << key;
  }
}

}  // namespace
