// Save -> flatten -> read -> rebuild -> Restore for the integer range, real
// range and job-note kinds: the rebuilt control must give the same value,
// PostScript and flags, and Restore must bring a changed value back.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "PPDX/PPDObjects/Controls/DataStream.h"
#include "PPDX/PPDObjects/Controls/PPDXFloatRangeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDObjects/Controls/PPDXRangeControl.h"

namespace {

using control_test::FlagList;
using control_test::Fragment;
using control_test::PostScriptOf;

// The store constructor chosen by the class marker, as the collection's
// rebuild does.
std::unique_ptr<PPDXControl> Rebuild(Settings& store, int id) {
  int size = 0;
  if (store.Get(kJobNoteMarkerTag, id, nullptr, size, false) == 0) {
    CString language("ISOLatin1");
    return std::make_unique<PPDXJobNote>(store, id, &language);
  }
  if (store.Get(kRangeMarkerTag, id, nullptr, size, false) == 0)
    return std::make_unique<PPDXRangeControl>(store, id);
  if (store.Get(kFloatRangeMarkerTag, id, nullptr, size, false) == 0)
    return std::make_unique<PPDXFloatRangeControl>(store, id);
  return nullptr;
}

std::vector<std::string> FlagWords(PPDXControl& control) {
  std::vector<std::string> words;
  for (const char* w = control.FirstControlFlag(); w; w = control.NextControlFlag())
    words.push_back(w);
  return words;
}

struct Kind {
  const char* name;
  std::function<std::unique_ptr<PPDXControl>()> make;  // with a non-default value
  const char* otherValue;                              // set before Restore
};

const Kind kKinds[] = {
    {"integer range",
     [] {
       FlagList flags({"Dynamic", "Setup"});
       auto c = std::make_unique<PPDXRangeControl>(
           "*QZDensity", CFSTR("Density \u00e9"), flags.list(),
           Fragment("<</D <*QZDensity>>> setpagedevice\n"), 34, -20, 200, 5, 10, true);
       c->SetValue(-15);
       c->SetOrder(7);
       return c;
     },
     "100"},
    {"real range",
     [] {
       FlagList flags({"MacIS"});
       auto c = std::make_unique<PPDXFloatRangeControl>("*QZGamma", CFSTR("Gamma"), flags.list(),
                                                        Fragment("<*QZGamma> g\n"), 13, 0.5, 4.0,
                                                        0.1, 2.2, false);
       c->SetValue(1.8f);
       return c;
     },
     "3.5"},
    {"job note with fragment",
     [] {
       FlagList flags({"Dynamic"});
       CString language("ISOLatin1");
       auto c = std::make_unique<PPDXJobNote>(
           "*QZAccount", CFSTR("Account"), flags.list(), Fragment("(<*QZAccount>) acct\n"), 19,
           new CString("dflt"), &language, true, 32, kJobNoteAlpha | kJobNoteEncrypt, 1);
       c->SetCurrentControlWithCFString(CFSTR("Sales\\West"));
       c->SetNotesOnValue(true);
       return c;
     },
     "other"},
    {"job note as comment",
     [] {
       FlagList flags({});
       CString language("ISOLatin1");
       auto c = std::make_unique<PPDXJobNote>("*Notes1", CFSTR("Notes"), flags.list(), nullptr, 0,
                                              new CString("hello"), &language, true, 600,
                                              kJobNoteMember, 0);
       c->SetNotes(std::string(600, 'n').c_str());
       return c;
     },
     "bye"},
};

TEST(NumericAndJobNoteRoundTrip, SaveRebuildRestore) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    std::unique_ptr<PPDXControl> original = kind.make();
    Settings store;
    ASSERT_EQ(original->Save(store, 5002), 0);

    // Through the flattened bytes, as the print settings keep them.
    MemoryDataStream stream;
    ASSERT_EQ(store.Save(&stream), 0);
    MemoryDataStream in(stream.Bytes());
    Settings read;
    ASSERT_EQ(read.Read(&in, 0), 0);

    std::unique_ptr<PPDXControl> rebuilt = Rebuild(read, 5002);
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_EQ(rebuilt->Type(), original->Type());
    EXPECT_STREQ(rebuilt->Keyword(), original->Keyword());
    EXPECT_EQ(rebuilt->CFStringUserName(), original->CFStringUserName());
    EXPECT_EQ(rebuilt->IsVisible(), original->IsVisible());
    EXPECT_EQ(rebuilt->Order(), original->Order());
    EXPECT_EQ(FlagWords(*rebuilt), FlagWords(*original));
    EXPECT_EQ(rebuilt->CopyCurrentControlValueString(), original->CopyCurrentControlValueString());
    EXPECT_EQ(PostScriptOf(*rebuilt), PostScriptOf(*original));

    // A changed value, once its PostScript is cached, comes back with Restore.
    rebuilt->SetCurrentControlWithCFString(CFSTR(kind.otherValue));
    ASSERT_NE(PostScriptOf(*rebuilt), PostScriptOf(*original));
    EXPECT_EQ(rebuilt->Restore(read, 5002), 0);
    EXPECT_EQ(rebuilt->CopyCurrentControlValueString(), original->CopyCurrentControlValueString());
    EXPECT_EQ(PostScriptOf(*rebuilt), PostScriptOf(*original));
  }
}

TEST(NumericAndJobNoteRoundTrip, ModelRestoreGoesOnPastEveryKind) {
  // One id per control, as the collection saves them; every Restore must
  // answer 0 or the controls after it would not be restored at all.
  Settings store;
  std::vector<std::unique_ptr<PPDXControl>> model;
  int id = 5001;
  for (const Kind& kind : kKinds) {
    model.push_back(kind.make());
    ASSERT_EQ(model.back()->Save(store, id++), 0);
  }
  id = 5001;
  for (size_t i = 0; i < model.size(); ++i) {
    std::unique_ptr<PPDXControl> fresh = kKinds[i].make();
    fresh->SetCurrentControlWithCFString(CFSTR(kKinds[i].otherValue));
    EXPECT_EQ(fresh->Restore(store, id++), 0) << kKinds[i].name;
    EXPECT_EQ(fresh->CopyCurrentControlValueString(), model[i]->CopyCurrentControlValueString());
  }
}

}  // namespace
