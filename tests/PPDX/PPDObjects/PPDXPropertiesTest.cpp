// Property pages: their show flags, the page list, and save -> rebuild.
#include "PPDX/PPDObjects/PPDXProperties.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/Settings.h"
#include "PPDX/PPDObjects/PPDXGroup.h"
#include "PPDX/PPDObjects/PPDXProperty.h"
#include "PPDX/PPDObjects/PPDXScrollPane.h"

namespace {

struct PageCase {
  const char* keyword;
  bool visible, printProp, app;
};

const PageCase kPages[] = {{"PPMain", true, true, false},
                           {"PPLayout", true, false, true},
                           {"PPHidden", false, false, false},
                           {"PPBoth", true, true, true}};

class PropertyListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const PageCase& p : kPages) {
      pages_.push_back(std::make_unique<PPDXProperty>(p.keyword, CFSTR(std::string(p.keyword + 2)),
                                                      p.visible, p.printProp, p.app));
      properties_.Add(pages_.back().get());
    }
    pages_[0]->SetScrollDown(&pane_);
  }

  std::vector<std::unique_ptr<PPDXProperty>> pages_;
  PPDXProperties properties_;
  PPDXScrollPane pane_{"SPMain", CFSTR("Main"), true};
};

std::vector<std::unique_ptr<PPDXProperty>> TakeRebuilt(PPDXProperties& properties) {
  std::vector<std::unique_ptr<PPDXProperty>> owned;
  for (PPDXProperty* p = properties.First(); p; p = properties.Next()) owned.emplace_back(p);
  return owned;
}

TEST_F(PropertyListTest, SaveAndRebuildKeepTheFlagsButNotTheScrollPane) {
  Settings settings;
  ASSERT_EQ(properties_.Save(settings), 0);
  int64_t count = 0;
  int size = 8;
  ASSERT_EQ(settings.Get(kSavedPropertyCountTag, kSavedPropertyCountId, &count, size, false), 0);
  EXPECT_EQ(count, 4);
  int32_t flag = -1;
  size = 4;
  ASSERT_EQ(settings.Get(kPropertyShowInPrintPropTag, kSavedPropertyFirstId, &flag, size, true), 0);
  EXPECT_EQ(flag, 1);
  size = 4;
  ASSERT_EQ(settings.Get(kPropertyShowInAppTag, kSavedPropertyFirstId, &flag, size, true), 0);
  EXPECT_EQ(flag, 0);

  PPDXProperties rebuilt(settings);
  auto owned = TakeRebuilt(rebuilt);
  ASSERT_EQ(owned.size(), std::size(kPages));
  EXPECT_EQ(rebuilt.Count(), 4);
  for (size_t i = 0; i < owned.size(); ++i) {
    SCOPED_TRACE(kPages[i].keyword);
    EXPECT_STREQ(owned[i]->Keyword(), kPages[i].keyword);
    EXPECT_EQ(owned[i]->CFStringUserName(), pages_[i]->CFStringUserName());
    EXPECT_EQ(owned[i]->IsVisible(), kPages[i].visible);
    EXPECT_EQ(owned[i]->ShowInPrintProp(), kPages[i].printProp);
    EXPECT_EQ(owned[i]->ShowInApp(), kPages[i].app);
    EXPECT_EQ(owned[i]->GetScrollDown(), nullptr);
  }
}

TEST(PPDXProperty, ShowFlagsAreReadOnlyAsFourByteItemsAndInOrder) {
  PPDXProperty both("PPBoth", CFSTR("Both"), true, true, true);
  Settings good;
  ASSERT_EQ(both.Save(good, 3001), 0);

  Settings shortFirst(good);
  const int16_t two = 1;
  ASSERT_EQ(shortFirst.Add(kPropertyShowInPrintPropTag, 3001, &two, 2), 0);
  Settings noFirst(good);
  ASSERT_EQ(noFirst.Remove(kPropertyShowInPrintPropTag, 3001), 0);
  Settings shortSecond(good);
  ASSERT_EQ(shortSecond.Add(kPropertyShowInAppTag, 3001, &two, 2), 0);
  Settings anyNonZero(good);
  const int32_t five = 5;
  ASSERT_EQ(anyNonZero.Add(kPropertyShowInAppTag, 3001, &five, 4), 0);

  const struct {
    const char* name;
    Settings* store;
    bool printProp, app;
  } cases[] = {{"as saved", &good, true, true},
               // The second flag is read only when the first was.
               {"two-byte first flag", &shortFirst, false, false},
               {"no first flag", &noFirst, false, false},
               {"two-byte second flag", &shortSecond, true, false},
               {"non-zero second flag", &anyNonZero, true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PPDXProperty page(*c.store, 3001);
    EXPECT_STREQ(page.Keyword(), "PPBoth");
    EXPECT_EQ(page.ShowInPrintProp(), c.printProp);
    EXPECT_EQ(page.ShowInApp(), c.app);
  }
}

TEST_F(PropertyListTest, FindWalkAndWrappers) {
  EXPECT_EQ(properties_.Find("PPLayout", true), pages_[1].get());
  EXPECT_EQ(properties_.Find("Hidden", false), pages_[2].get());
  EXPECT_EQ(properties_.Find("PPLay", true), nullptr);
  EXPECT_EQ(properties_.Find(nullptr, false), nullptr);
  EXPECT_EQ(properties_.Count(), 4);
  EXPECT_FALSE(properties_.Empty());
  properties_.Add(nullptr);  // ignored
  EXPECT_EQ(properties_.Count(), 4);
  std::vector<std::string> walk;
  for (PPDXProperty* p = FirstProperty(&properties_); p; p = NextProperty(&properties_))
    walk.emplace_back(p->Keyword());
  // No display filter: the hidden page is walked too.
  EXPECT_EQ(walk, (std::vector<std::string>{"PPMain", "PPLayout", "PPHidden", "PPBoth"}));
  EXPECT_EQ(FindProperty(&properties_, "PPBoth", true), pages_[3].get());
  EXPECT_FALSE(IsPropertyListEmpty(&properties_));
  EXPECT_EQ(PropertyCount(&properties_), 4);
  EXPECT_TRUE(ShowPropInPrintProp(pages_[0].get()));
  EXPECT_FALSE(ShowPropInApp(pages_[0].get()));
  EXPECT_EQ(GetPropertyScrollDown(pages_[0].get()), &pane_);
  SetPropertyScrollDown(pages_[1].get(), &pane_);
  EXPECT_EQ(pages_[1]->GetScrollDown(), &pane_);
  EXPECT_TRUE(IsPropertyPage(pages_[0].get()));
  EXPECT_FALSE(IsPropertyPage(&pane_));
  PPDXProperties none;
  EXPECT_TRUE(none.Empty());
  EXPECT_EQ(none.First(), nullptr);
  EXPECT_EQ(none.Next(), nullptr);

  EXPECT_EQ(FirstProperty(nullptr), nullptr);
  EXPECT_EQ(NextProperty(nullptr), nullptr);
  EXPECT_EQ(FindProperty(nullptr, "PPMain", true), nullptr);
  EXPECT_FALSE(IsPropertyListEmpty(nullptr));
  EXPECT_EQ(PropertyCount(nullptr), 0);
  EXPECT_FALSE(ShowPropInPrintProp(nullptr));
  EXPECT_FALSE(ShowPropInApp(nullptr));
  EXPECT_EQ(GetPropertyScrollDown(nullptr), nullptr);
  SetPropertyScrollDown(nullptr, &pane_);
  EXPECT_FALSE(IsPropertyPage(nullptr));
}

}  // namespace
