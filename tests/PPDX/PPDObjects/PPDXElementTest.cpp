#include "PPDX/PPDObjects/PPDXElement.h"

#include <gtest/gtest.h>

#include "PPDX/PPDObjects/Controls/Settings.h"
#include "PPDX/PPDObjects/PPDXElementFunctions.h"
#include "platform/Log.h"
#include "platform/TextEncoding.h"

namespace {

TEST(PPDXElementTest, KeywordTranslationAndVisibility) {
  PPDXElement element("*Duplex", CFSTR("Two-Sided"), true);
  EXPECT_STREQ(element.Keyword(), "*Duplex");
  EXPECT_EQ(element.CFStringUserName(), CFSTR("Two-Sided"));
  EXPECT_STREQ(element.UserName(), "Two-Sided");
  EXPECT_TRUE(element.IsVisible());
  EXPECT_TRUE(element.IsOrphan());

  for (const char* none : {static_cast<const char*>(nullptr), ""}) {
    PPDXElement unnamed(none, CFSTR("x"), false);
    EXPECT_EQ(unnamed.Keyword(), nullptr);
    EXPECT_FALSE(EqualsKeyWord(&unnamed, ""));
    EXPECT_FALSE(EqualsKeyWord(&unnamed, nullptr));
    EXPECT_FALSE(EqualsElement(&unnamed, &unnamed));  // no keyword, no equality
  }
}

TEST(PPDXElementTest, NullTranslationIsLoggedAndTakenAsEmpty) {
  LogCapture log;
  SetLogPause(false);
  PPDXElement element("*A", CFString(), true);
  EXPECT_FALSE(element.CFStringUserName().IsNull());
  EXPECT_STREQ(element.UserName(), "");
  ASSERT_EQ(log.Lines().size(), 1u);
  EXPECT_NE(log.Lines()[0].find("inLocalName != NULL"), std::string::npos);
}

TEST(PPDXElementTest, UserNameIsConvertedOnceToTheSystemEncoding) {
  ASSERT_EQ(GetSystemScriptEncoding(), kTextEncodingMacRoman);
  PPDXElement accented("*Q", CFSTR("Qualit\xC3\xA9"), true);  // é
  EXPECT_STREQ(accented.UserName(), "Qualit\x8E");            // é in Mac Roman
  const char* first = accented.UserName();
  EXPECT_EQ(accented.UserName(), first);  // cached
  // A character the system encoding lacks gives the fallback text.
  // The buffer holds 4 bytes per character, so a short name gets the text cut.
  PPDXElement kanji("*K", CFSTR("\xE6\xBC\xA2\xE6\xBC\xA2\xE6\xBC\xA2\xE6\xBC\xA2\xE6\xBC\xA2"),
                    true);
  EXPECT_STREQ(kanji.UserName(), "Translation Error");
  PPDXElement one("*K", CFSTR("\xE6\xBC\xA2"), true);
  EXPECT_STREQ(one.UserName(), "Tran");
}

TEST(PPDXElementTest, OkayToDisplayTable) {
  PPDXElement parent("*Group", CFSTR("Group"), true);
  struct Case {
    bool visible;
    bool hasParent;
    bool shows[4];  // options 0..3
  } cases[] = {
      {true, true, {true, true, true, true}},
      {false, true, {false, false, true, true}},
      {true, false, {false, true, false, true}},
      {false, false, {false, false, false, true}},
  };
  for (const Case& c : cases) {
    PPDXElement element("*E", CFSTR("E"), c.visible);
    if (c.hasParent) element.SetParent(&parent);
    for (int option = 0; option < 4; ++option) {
      EXPECT_EQ(element.OkayToDisplay(static_cast<_DISPLAY_OPTIONS_>(option)), c.shows[option])
          << "visible " << c.visible << " parent " << c.hasParent << " option " << option;
    }
    // Any other value shows everything.
    EXPECT_TRUE(element.OkayToDisplay(static_cast<_DISPLAY_OPTIONS_>(7)));
  }
}

TEST(PPDXElementTest, EqualityAndNullSafeFunctions) {
  PPDXElement a("*Tray", CFSTR("Tray"), true);
  PPDXElement b("*Tray", CFSTR("Other text"), false);
  PPDXElement c("*Tray2", CFSTR("Tray"), true);
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a == c);
  EXPECT_TRUE(a == "*Tray");
  EXPECT_FALSE(a == "Tray");  // the leading "*" is part of the keyword
  EXPECT_TRUE(EqualsElement(&a, &b));
  EXPECT_TRUE(EqualsKeyWord(&a, "*Tray"));

  a.SetParent(&c);
  EXPECT_EQ(GetParent(&a), &c);
  EXPECT_FALSE(IsOrphan(&a));
  EXPECT_STREQ(Keyword(&a), "*Tray");
  EXPECT_STREQ(UserName(&a), "Tray");
  EXPECT_TRUE(IsVisible(&a));

  const PPDXElement* none = nullptr;
  EXPECT_EQ(Keyword(none), nullptr);
  EXPECT_EQ(UserName(nullptr), nullptr);
  EXPECT_FALSE(IsVisible(none));
  EXPECT_TRUE(IsOrphan(none));
  EXPECT_EQ(GetParent(none), nullptr);
  EXPECT_FALSE(EqualsElement(none, &a));
  EXPECT_FALSE(EqualsElement(&a, none));
  EXPECT_FALSE(EqualsKeyWord(none, "*Tray"));
}

TEST(PPDXElementTest, CFStringToCString) {
  EXPECT_STREQ(static_cast<const char*>(CFStringToCString(CFSTR("Letter"))), "Letter");
  EXPECT_STREQ(static_cast<const char*>(CFStringToCString(CFSTR("A\xE2\x84\xA2"))), "A\xAA");  // ™
  EXPECT_EQ(static_cast<const char*>(CFStringToCString(CFString())), nullptr);
  EXPECT_EQ(static_cast<const char*>(CFStringToCString(CFSTR("\xE6\xBC\xA2"))), nullptr);
}

}  // namespace

namespace {

TEST(PPDXElementSettingsTest, SaveAndRebuild) {
  PPDXElement parent("*FPPaper", CFSTR("Paper"), true);
  PPDXElement element("*QZTray", CFSTR("Tray \xE2\x84\xA2"), true);
  element.SetParent(&parent);
  Settings settings;
  ASSERT_EQ(element.Save(settings, 42), kSettingsNoErr);

  int size = 0;
  ASSERT_EQ(settings.Get(kElementVisibleTag, 42, nullptr, size, false), kSettingsNoErr);
  EXPECT_EQ(size, 4);
  char name[64] = {};
  size = sizeof name - 1;
  ASSERT_EQ(settings.Get(kElementUserNameTag, 42, name, size, false), kSettingsNoErr);
  EXPECT_STREQ(name, "Tray \xAA");  // system (Mac Roman) encoding

  PPDXElement back(settings, 42);
  EXPECT_STREQ(back.Keyword(), "*QZTray");
  EXPECT_EQ(back.CFStringUserName(), CFSTR("Tray \xE2\x84\xA2"));
  EXPECT_TRUE(back.IsVisible());
  EXPECT_TRUE(back.IsOrphan());  // the parent comes back as a name to resolve
  EXPECT_STREQ(back.ParentName(), "*FPPaper");

  // An unresolved parent name is saved again rather than lost.
  Settings again;
  ASSERT_EQ(back.Save(again, 1), kSettingsNoErr);
  EXPECT_STREQ(PPDXElement(again, 1).ParentName(), "*FPPaper");
}

TEST(PPDXElementSettingsTest, MissingOrOddItems) {
  Settings settings;
  PPDXElement hidden(nullptr, CFSTR(""), false);
  ASSERT_EQ(hidden.Save(settings, 3), kSettingsNoErr);
  PPDXElement back(settings, 3);
  EXPECT_EQ(back.Keyword(), nullptr);
  EXPECT_FALSE(back.IsVisible());
  EXPECT_EQ(back.ParentName(), nullptr);

  PPDXElement nothing(settings, 99);  // no items at all
  EXPECT_EQ(nothing.Keyword(), nullptr);
  EXPECT_FALSE(nothing.CFStringUserName().IsNull());
  EXPECT_FALSE(nothing.IsVisible());

  // A visibility item of the wrong size is not read.
  const int16_t two = 1;
  settings.Add(kElementVisibleTag, 5, &two, 2);
  EXPECT_FALSE(PPDXElement(settings, 5).IsVisible());
}

TEST(PPDXElementSettingsTest, StoreErrorStopsTheSave) {
  OpaqueCollection* none = nullptr;
  Settings broken(none);  // a store without collection
  PPDXElement element("*A", CFSTR("A"), true);
  EXPECT_EQ(element.Save(broken, 1), kSettingsNoCollection);
}

}  // namespace
