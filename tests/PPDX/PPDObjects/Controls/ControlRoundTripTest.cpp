// Every control kind through save -> rebuild from the store -> Restore: the
// rebuilt control must carry the same value, PostScript and flags. Each kind
// adds a row: how to make one, how to move its value away, and its store
// constructor.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/ControlTestSupport.h"
#include "PPDX/PPDObjects/Controls/PPDXBooleanControl.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/PPDObjects/Controls/Settings.h"

using control_test::FlagList;
using control_test::Fragment;
using control_test::PostScriptOf;

namespace {

struct Kind {
  const char* name;
  std::function<std::unique_ptr<PPDXControl>()> make;  // value away from the default
  std::function<void(PPDXControl&)> disturb;           // move the value elsewhere
  std::function<std::unique_ptr<PPDXControl>(Settings&, int)> rebuild;
};

std::unique_ptr<PPDXControl> MakePopup(const char* keyword, int count, bool multi,
                                       const std::vector<std::string>& select) {
  PointerList items;
  for (int i = 0; i < count; ++i) {
    std::string k = "Opt" + std::to_string(i);
    std::string ps = "<</Opt " + std::to_string(i) + ">>setpagedevice\n";
    items.PushBack(new _PopupItem(k.c_str(), CFSTR("Option " + std::to_string(i)), Fragment(ps),
                                  static_cast<long>(ps.size())));
  }
  FlagList flags({"Dynamic", "Setup"});
  auto menu = std::make_unique<PPDXPopupControl>(keyword, CFSTR("Menu"), flags.list(), true, multi,
                                                 false, items, new CString("Opt0"), nullptr);
  for (const std::string& s : select) menu->SetKeywordSelect(s.c_str(), true);
  return menu;
}

std::vector<Kind> Kinds() {
  return {
      {"boolean",
       [] {
         FlagList flags({"Command"});
         auto b = std::make_unique<PPDXBooleanControl>(
             "*QZCollate", CFSTR("Collate"), flags.list(), true, new CString("On"),
             Fragment("true setcollate\n"), 16, new CString("Off"), Fragment("false setcollate\n"),
             17, false, nullptr);
         b->SetValue(true);
         return std::unique_ptr<PPDXControl>(std::move(b));
       },
       [](PPDXControl& c) { static_cast<PPDXBooleanControl&>(c).SetValue(false); },
       [](Settings& s, int id) { return std::make_unique<PPDXBooleanControl>(s, id, nullptr); }},
      {"pick-one pop-up", [] { return MakePopup("*MediaType", 4, false, {"Opt2"}); },
       [](PPDXControl& c) { static_cast<PPDXPopupControl&>(c).SetValue(1); },
       [](Settings& s, int id) { return std::make_unique<PPDXPopupControl>(s, id, nullptr); }},
      {"pick-many pop-up",
       [] {
         return MakePopup("*Finishing", 4, true, {"Opt3", "Opt1"});
       },
       [](PPDXControl& c) { static_cast<PPDXPopupControl&>(c).SetValue(4); },
       [](Settings& s, int id) { return std::make_unique<PPDXPopupControl>(s, id, nullptr); }},
      {"pop-up of 230 items", [] { return MakePopup("*QZPaperCatalog", 230, false, {"Opt207"}); },
       [](PPDXControl& c) { static_cast<PPDXPopupControl&>(c).SetValue(1); },
       [](Settings& s, int id) { return std::make_unique<PPDXPopupControl>(s, id, nullptr); }},
  };
}

std::vector<std::string> Flags(PPDXControl& c) {
  std::vector<std::string> out;
  for (const char* w = c.FirstControlFlag(); w; w = c.NextControlFlag()) out.push_back(w);
  return out;
}

}  // namespace

TEST(ControlRoundTrip, SaveRebuildRestoreKeepsValuePostScriptAndFlags) {
  for (const Kind& kind : Kinds()) {
    SCOPED_TRACE(kind.name);
    auto original = kind.make();
    original->SetOrder(12);
    // A neighbour under the next id, so that items of one control cannot
    // silently take the other's places.
    auto neighbour = kind.make();
    Settings settings;
    ASSERT_EQ(original->Save(settings, 5001), 0);
    ASSERT_EQ(neighbour->Save(settings, 5002), 0);

    auto rebuilt = kind.rebuild(settings, 5001);
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_EQ(rebuilt->Type(), original->Type());
    EXPECT_STREQ(rebuilt->Keyword(), original->Keyword());
    EXPECT_EQ(rebuilt->Order(), 12);
    EXPECT_EQ(rebuilt->CopyCurrentControlValueString(), original->CopyCurrentControlValueString());
    EXPECT_EQ(PostScriptOf(*rebuilt), PostScriptOf(*original));
    EXPECT_EQ(Flags(*rebuilt), Flags(*original));

    kind.disturb(*rebuilt);
    ASSERT_NE(PostScriptOf(*rebuilt), PostScriptOf(*original));
    EXPECT_EQ(rebuilt->Restore(settings, 5001), 0);
    EXPECT_EQ(rebuilt->CopyCurrentControlValueString(), original->CopyCurrentControlValueString());
    EXPECT_EQ(PostScriptOf(*rebuilt), PostScriptOf(*original));

    // Saving the rebuilt control gives the same store again.
    Settings again;
    ASSERT_EQ(rebuilt->Save(again, 5001), 0);
    auto twice = kind.rebuild(again, 5001);
    EXPECT_EQ(PostScriptOf(*twice), PostScriptOf(*original));
  }
}
