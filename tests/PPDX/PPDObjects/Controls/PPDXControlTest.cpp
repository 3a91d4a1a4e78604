#include "PPDX/PPDObjects/Controls/PPDXControl.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/ControlTestSupport.h"
#include "PPDX/PPDObjects/Controls/Settings.h"
#include "constraints/UIConstraints.h"

using control_test::FlagList;
using control_test::Fragment;

namespace {

// The smallest concrete control: the base behaviour with a chosen kind.
class TestControl : public PPDXControl {
 public:
  TestControl(const char* keyword, PointerList& flags, const std::string& ps = "",
              CNTL_TYPE type = kNoControl, UIConstraints* constraints = nullptr)
      : PPDXControl(keyword, CFSTR("Name"), flags, Fragment(ps), static_cast<long>(ps.size()), true,
                    constraints) {
    SetType(type);
  }
  TestControl(Settings& settings, int id) : PPDXControl(settings, id, nullptr) {}

  void ResetToDefaultValue() override {}
  int16_t Restore(Settings&, int) override { return 0; }
  CFString CopyCurrentControlValueString() override { return CFSTR("value"); }
  void SetCurrentControlWithCFString(const CFString&) override {}
};

std::vector<std::string> FlagsOf(PPDXControl& control) {
  std::vector<std::string> words;
  for (const char* w = control.FirstControlFlag(); w; w = control.NextControlFlag())
    words.push_back(w);
  return words;
}

std::string Wrap(const PPDXControl& control, const char* data, const char* option, bool wrap) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  long length = data ? static_cast<long>(std::strlen(data)) : 0;
  long size = control.GeneratePSOutputData(nullptr, bytes, length, option, wrap);
  std::string out(static_cast<size_t>(size) + 1, '#');  // one guard byte
  long written = control.GeneratePSOutputData(reinterpret_cast<unsigned char*>(out.data()), bytes,
                                              length, option, wrap);
  EXPECT_EQ(written, size);
  EXPECT_EQ(out.back(), '#') << "wrote past the size it announced";
  out.pop_back();
  return out;
}

}  // namespace

TEST(PPDXControlFlags, QueriesFollowTheStoredWordsExactly) {
  struct Case {
    std::vector<const char*> words;
    bool dynamic, command, spooler, noUI, setup, macTJN, macIS;
  };
  const Case cases[] = {
      {{}, false, false, false, false, false, false, false},
      {{"DriverUserDisplayHidden"}, false, false, false, true, false, false, false},
      {{"NoTavroDriverUI"}, false, false, false, true, false, false, false},
      {{"Dynamic", "Setup"}, true, false, false, false, true, false, false},
      {{"Command", "Spooler", "MacTJN", "MacIS"}, false, true, true, false, false, true, true},
      // Case-sensitive, whole words only.
      {{"dynamic", "SETUP", "MacISx", "Mac"}, false, false, false, false, false, false, false},
  };
  for (const Case& c : cases) {
    FlagList flags({});
    for (const char* w : c.words) flags.list().PushBack(new CString(w));
    TestControl control("*Duplex", flags.list());
    SCOPED_TRACE(c.words.empty() ? "no words" : c.words[0]);
    EXPECT_TRUE(flags.list().Empty()) << "the control takes the words over";
    EXPECT_EQ(control.ControlFlagCount(), static_cast<long>(c.words.size()));
    EXPECT_EQ(control.IsDynamic(), c.dynamic);
    EXPECT_EQ(control.IsCommand(), c.command);
    EXPECT_EQ(control.IsSpooler(), c.spooler);
    EXPECT_EQ(control.IsNoTavroDriverUI(), c.noUI);
    EXPECT_EQ(control.IsSetup(), c.setup);
    EXPECT_EQ(control.IsMacTJN(), c.macTJN);
    EXPECT_EQ(control.IsMacImgShift(), c.macIS);
    EXPECT_EQ(FlagsOf(control), std::vector<std::string>(c.words.begin(), c.words.end()));
  }
}

TEST(PPDXControlFlags, IterationEndsAndStaysEnded) {
  FlagList flags({"Dynamic", "Setup"});
  TestControl control("*Duplex", flags.list());
  EXPECT_EQ(control.NextControlFlag(), nullptr) << "Next before First";
  EXPECT_STREQ(control.FirstControlFlag(), "Dynamic");
  EXPECT_STREQ(control.NextControlFlag(), "Setup");
  EXPECT_EQ(control.NextControlFlag(), nullptr);
  EXPECT_EQ(control.NextControlFlag(), nullptr);
  EXPECT_STREQ(control.FirstControlFlag(), "Dynamic") << "First starts over";

  FlagList none({});
  TestControl bare("*Duplex", none.list());
  EXPECT_EQ(bare.FirstControlFlag(), nullptr);
  EXPECT_EQ(bare.NextControlFlag(), nullptr);
}

TEST(PPDXControlKeyword, ReservedKeywordsAreInvalid) {
  const char* const reserved[] = {
      "*QZTintvane",
      "*QZ_PROP_COLORMODE",
      "*QZ_PROP_TV_PURE_BLACK",
      "*QZ_PROP_TV_OVER_PRINT",
      "*QZ_PROP_TV_RGB_SEPARATION",
      "*QZ_PROP_TV_SOURCE_PROFILES",
      "*QZ_PROP_TV_SIMULATION",
      "*QZ_PROP_TV_SPOTCOLORS",
      "*QZ_PROP_TV_OUTPUT_PROFILE",
      "*QZ_PROP_TV_SIM_SPEED",
      "*QZ_PROP_TV_COLOR_SMART",
      "*QZ_PROP_TV_GAMMA",
      "*QZ_PROP_TV_WHITEPOINT",
      "*QZ_PROP_TV_PHOSPHORS",
      "*QZ_PROP_TV_CRD",
      "*QZ_PROP_TV_CRD_IMAGES",
      "*QZ_PROP_TV_CRD_GRAPHICS",
      "*QZ_PROP_TV_CRD_TEXT",
      "*QZ_PROP_TV_CRD_IMAGES_HT",
      "*QZ_PROP_TV_CRD_GRAPHICS_HT",
      "*QZ_PROP_TV_CRD_TEXT_HT",
      "*QZ_LOCAL_PROP_FIRSTPAGESOURCE",
      "*QZ_LOCAL_PROP_FIRSTPAGEMEDIA",
      "*QZ_LOCAL_PROP_BACKPAGESOURCE",
      "*QZ_LOCAL_PROP_BACKPAGEMEDIA",
      "*QZ_PROP_WATERMARK_FIRSTPAGEONLY",
      "*QZ_PROP_WATERMARK_FOREGROUND",
      "*QZ_PROP_WATERMARK_OUTLINE",
      "*QZ_PROP_WATERMARK",
      "*QZ_PROP_LOCAL_QZLANDSCAPE",
  };
  for (const char* k : reserved) EXPECT_FALSE(PPDXControl::ValidKeyword(k)) << k;
  EXPECT_FALSE(PPDXControl::ValidKeyword(nullptr));

  const char* const valid[] = {"*Duplex",           "*QZ_PROP_WATERMARKS",
                               "QZ_PROP_WATERMARK", "*qz_prop_watermark",
                               "*QZ_PROP_TV",       ""};
  for (const char* k : valid) EXPECT_TRUE(PPDXControl::ValidKeyword(k)) << k;

  int handle = 0;
  EXPECT_FALSE(IsValidControlKeyword(nullptr, "*Duplex"));
  EXPECT_TRUE(IsValidControlKeyword(&handle, "*Duplex"));
  EXPECT_FALSE(IsValidControlKeyword(&handle, "*QZTintvane"));
}

TEST(PPDXControlPostScript, FeatureWrappingByteLayout) {
  FlagList flags({});
  TestControl control("*Duplex", flags.list());
  struct Case {
    const char* data;
    const char* option;
    bool wrap;
    std::string expected;
  };
  const Case cases[] = {
      {nullptr, "None", true, "%%BeginFeature: *Duplex None\n\n%%EndFeature\n"},
      {"<</Duplex false>>setpagedevice\n", "None", true,
       "%%BeginFeature: *Duplex None\n<</Duplex false>>setpagedevice\n%%EndFeature\n"},
      {"", "None", true, "%%BeginFeature: *Duplex None\n\n%%EndFeature\n"},
      {nullptr, nullptr, true, "%%BeginFeature: *Duplex \n\n%%EndFeature\n"},
      {"abc", "X", false, "abc"},
      {nullptr, "X", false, "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(Wrap(control, c.data, c.option, c.wrap), c.expected);
  }
  // The documented size: 43 bytes without fragment, L + 31 + |K| + |O| with one.
  EXPECT_EQ(control.GeneratePSOutputData(nullptr, nullptr, 0, "None", true), 43);
  const unsigned char five[] = "12345";
  EXPECT_EQ(control.GeneratePSOutputData(nullptr, five, 5, "None", true), 5 + 31 + 7 + 4);

  // A fragment holding NUL bytes is copied whole.
  unsigned char withNul[] = {'a', 0, 'b'};
  unsigned char out[8] = {};
  EXPECT_EQ(control.GeneratePSOutputData(out, withNul, 3, "x", false), 3);
  EXPECT_EQ(0, std::memcmp(out, withNul, 3));
}

TEST(PPDXControlPostScript, BaseCopiesTheFragment) {
  FlagList flags({});
  TestControl control("*Special", flags.list(), "1 setfoo\n");
  EXPECT_EQ(control.PostScript(nullptr), 9);
  EXPECT_EQ(control_test::PostScriptOf(control), "1 setfoo\n");
  EXPECT_EQ(GetPostScript(&control, nullptr), 9);
  TestControl empty("*Special", flags.list());
  EXPECT_EQ(empty.PostScript(nullptr), 0);
}

TEST(PPDXControlInject, HexFormBackslashesAndLiteralRewrite) {
  struct Case {
    const char* what;
    CNTL_TYPE type;
    const char* keyword;
    const char* value;
    std::string fragment;
    std::string expected;
  };
  const Case cases[] = {
      {"job note: hex string replaces the literal", kJobNoteControl, "K", "A\\B", "(<K>) show",
       "<415C42> show"},
      {"range: plain value, backslash doubled", kRangeControl, "K", "A\\B", "(<K>) show",
       "(A\\\\B) show"},
      {"job note, bare placeholder", kJobNoteControl, "*Acct", "AB", "<*Acct> def", "<4142> def"},
      {"every placeholder", kRangeControl, "*N", "7", "<*N> <*N> add", "7 7 add"},
      {"comment fragment: no hex, no doubling", kJobNoteControl, "*Acct", "A\\B",
       "%%Acct: (<*Acct>)\n", "%%Acct: (A\\B)\n"},
      {"empty value is never hex", kJobNoteControl, "*Acct", "", "(<*Acct>) def", "() def"},
      {"null value as empty", kJobNoteControl, "*Acct", nullptr, "(<*Acct>) def", "() def"},
      {"document-server password stays plain", kJobNoteControl, "*QZDSPassword", "p\\w",
       "(<*QZDSPassword>) def", "(p\\\\w) def"},
      {"document-server user name stays plain", kJobNoteControl, "*QZDSUserName", "u",
       "(<*QZDSUserName>)", "(u)"},
      {"document-server file name stays plain", kJobNoteControl, "*QZDSFileName", "f",
       "(<*QZDSFileName>)", "(f)"},
      {"high bytes in hex", kJobNoteControl, "*N", "\xE9\x01", "(<*N>)", "<E901>"},
      {"high bytes kept as they are", kRangeControl, "*N", "\xE9", "(<*N>)", "(\xE9)"},
      {"no placeholder: unchanged", kRangeControl, "*N", "5", "1 setfoo", "1 setfoo"},
      {"replacement holding the placeholder is not rescanned", kRangeControl, "*N", "<*N>",
       "<*N>|<*N>", "<*N>|<*N>"},
      {"empty fragment", kRangeControl, "*N", "5", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FlagList flags({});
    TestControl control(c.keyword, flags.list(), "", c.type);
    unsigned char* out = nullptr;
    long n = control.Inject(c.keyword, reinterpret_cast<const unsigned char*>(c.fragment.data()),
                            static_cast<long>(c.fragment.size()), c.value, out);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), static_cast<size_t>(n)), c.expected);
    EXPECT_EQ(out[n], '\0');
    std::free(out);
  }
}

TEST(PPDXControlInject, NullNameLeavesTheFragment) {
  FlagList flags({});
  TestControl control(nullptr, flags.list(), "", kJobNoteControl);
  const std::string fragment = "(<>) show";
  unsigned char* out = nullptr;
  long n = control.Inject(nullptr, reinterpret_cast<const unsigned char*>(fragment.data()),
                          static_cast<long>(fragment.size()), "AB", out);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), n), fragment);
  std::free(out);
}

TEST(PPDXControlStore, OrderFragmentAndFlagsSurviveTheStore) {
  FlagList flags({"Dynamic", "Setup"});
  TestControl control("*Duplex", flags.list(), "1 setduplex\n");
  control.SetOrder(-7);
  Settings settings;
  ASSERT_EQ(control.Save(settings, 5001), 0);

  // The documented item forms.
  int size = 0;
  ASSERT_EQ(settings.Get(kControlFlagsTag, 5001, nullptr, size, false), 0);
  std::string words(static_cast<size_t>(size), '\0');
  settings.Get(kControlFlagsTag, 5001, words.data(), size, false);
  EXPECT_EQ(words, "Dynamic|Setup|");
  ASSERT_EQ(settings.Get(kControlOrderTag, 5001, nullptr, size, false), 0);
  EXPECT_EQ(size, 2);

  TestControl back(settings, 5001);
  EXPECT_STREQ(back.Keyword(), "*Duplex");
  EXPECT_EQ(back.Order(), -7);
  EXPECT_EQ(FlagsOf(back), (std::vector<std::string>{"Dynamic", "Setup"}));
  EXPECT_EQ(control_test::PostScriptOf(back), "1 setduplex\n");
}

TEST(PPDXControlStore, NoFragmentAndNoFlagsWriteNoItems) {
  FlagList flags({});
  TestControl control("*Duplex", flags.list());
  Settings settings;
  ASSERT_EQ(control.Save(settings, 5001), 0);
  int size = 0;
  EXPECT_EQ(settings.Get(kControlPSDataTag, 5001, nullptr, size, false), kSettingsItemNotFound);
  EXPECT_EQ(settings.Get(kControlFlagsTag, 5001, nullptr, size, false), kSettingsItemNotFound);
}

TEST(PPDXControlStore, DamagedItemsAreIgnored) {
  struct Case {
    const char* what;
    std::string flags;
    int orderSize;  // 'Ordr' holds the value 3 in this many bytes
    std::vector<std::string> expectedFlags;
    int16_t expectedOrder;
  };
  const Case cases[] = {
      {"empty words dropped", "|Dynamic||Setup", 2, {"Dynamic", "Setup"}, 3},
      {"only bars", "|||", 3, {}, 0},
      {"order of the wrong size", "Command|", 1, {"Command"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Settings settings;
    settings.Add(kControlFlagsTag, 5001, c.flags.data(), static_cast<int>(c.flags.size()));
    const int32_t three = 3;  // little-endian hosts: the first two bytes are 3 as 16 bits
    settings.Add(kControlOrderTag, 5001, &three, c.orderSize);
    TestControl back(settings, 5001);
    EXPECT_EQ(FlagsOf(back), c.expectedFlags);
    EXPECT_EQ(back.Order(), c.expectedOrder);
    EXPECT_EQ(back.PostScript(nullptr), 0);
  }
}

TEST(PPDXControlStore, OrderFromTheOtherByteOrderIsSwapped) {
  Settings settings;
  const uint64_t probe = uint64_t{3} << 56;  // a small count written the other way round
  settings.Add(kSettingsProbeTag, kSettingsProbeId, &probe, 8);
  const unsigned char order[] = {0x01, 0x02};
  settings.Add(kControlOrderTag, 5001, order, 2);
  TestControl back(settings, 5001);
  int16_t native;
  const unsigned char swapped[] = {0x02, 0x01};
  std::memcpy(&native, swapped, 2);
  EXPECT_EQ(back.Order(), native);
}

TEST(PPDXControlReport, ForwardsToTheConstraints) {
  UIConstraints constraints;
  FlagList flags({});
  TestControl control("*Duplex", flags.list(), "", kNoControl, &constraints);
  control.UpdateKVCache("*Duplex", "DuplexNoTumble");
  long key = constraints.FindId("*Duplex");
  ASSERT_GE(key, 0);
  EXPECT_EQ(constraints.Current().GetItem(key), constraints.FindId("DuplexNoTumble"));
  // Incomplete reports carry nothing; a control without constraints reports nowhere.
  control.UpdateKVCache("*Duplex", nullptr);
  EXPECT_EQ(constraints.Current().GetItem(key), constraints.FindId("DuplexNoTumble"));
  TestControl alone("*Duplex", flags.list());
  alone.UpdateKVCache("*Duplex", "None");
  EXPECT_EQ(constraints.FindId("None"), -1);
}

TEST(PPDXControlFreeFunctions, NullControlGivesNothing) {
  EXPECT_EQ(GetControlFlagCount(nullptr), 0);
  EXPECT_EQ(GetFirstControlFlag(nullptr), nullptr);
  EXPECT_EQ(GetNextControlFlag(nullptr), nullptr);
  EXPECT_FALSE(IsCommandControl(nullptr));
  EXPECT_FALSE(IsSpoolerControl(nullptr));
  EXPECT_FALSE(IsNoTavroDriverUIControl(nullptr));
  EXPECT_FALSE(IsSetupControl(nullptr));
  EXPECT_FALSE(IsMacTJNControl(nullptr));
  EXPECT_FALSE(IsMacImgShiftControl(nullptr));
  EXPECT_EQ(GetPostScript(nullptr, nullptr), 0);
  ResetControlToDefault(nullptr);

  FlagList flags({"Command", "MacIS"});
  TestControl control("*X", flags.list());
  EXPECT_EQ(GetControlFlagCount(&control), 2);
  EXPECT_STREQ(GetFirstControlFlag(&control), "Command");
  EXPECT_STREQ(GetNextControlFlag(&control), "MacIS");
  EXPECT_TRUE(IsCommandControl(&control));
  EXPECT_TRUE(IsMacImgShiftControl(&control));
  EXPECT_FALSE(IsSpoolerControl(&control));
}
