// Group names, parents, the parse options, the host rule and the
// class-wide options.
#include "PPDX/QZVPPD.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/PPDXGroup.h"
#include "PPDX/PPDObjects/PPDXGroups.h"
#include "PPDX/PPDObjects/PPDXProperties.h"
#include "PPDX/PPDObjects/PPDXProperty.h"
#include "PPDX/PPDObjects/PPDXRollDown.h"
#include "PPDX/PPDObjects/PPDXScrollPane.h"
#include "PPDX/PPDObjects/PPDXShortcuts.h"
#include "PPDX/PPDXTestSupport.h"
#include "ParserTestSupport.h"
#include "platform/HostApplication.h"

namespace {

PPDXGroup* Group(QZVPPD& document, const char* name) {
  ScopedDisplayOption everything(kDisplayEverything);
  return document.GetGroups()->Find(name, true);
}

PPDXProperty* Property(QZVPPD& document, const char* name) {
  return document.GetProperties()->Find(name, true);
}

struct OptionsCase {
  _PARSE_OPTIONS_ options;
  std::vector<const char*> properties;
  std::vector<const char*> groups;    // present
  std::vector<const char*> noGroups;  // absent
  bool secretKept;
  std::vector<ParsedError> errors;
};

class ParseOptionsTest : public ParserTest, public ::testing::WithParamInterface<OptionsCase> {};

TEST_P(ParseOptionsTest, KeepHiddenAndOrphanElementsOnlyWhenAsked) {
  const OptionsCase& c = GetParam();
  QZVPPD document(ParserFixture("hierarchy.ppd"), c.options);
  EXPECT_EQ(ErrorsOf(document), c.errors);
  EXPECT_EQ(document.GetProperties()->Count(), static_cast<long>(c.properties.size()));
  for (const char* name : c.properties) EXPECT_NE(Property(document, name), nullptr) << name;
  for (const char* name : c.groups) EXPECT_NE(Group(document, name), nullptr) << name;
  for (const char* name : c.noGroups) EXPECT_EQ(Group(document, name), nullptr) << name;
  EXPECT_EQ(Control(document, "*QZSecret") != nullptr, c.secretKept);
  EXPECT_NE(Control(document, "*QZShown"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Options, ParseOptionsTest,
    ::testing::Values(OptionsCase{kParseNoOptions,
                                  {"PPMain"},
                                  {"SPMain", "FPGeneral"},
                                  {"FPHidden", "FPUnused"},
                                  false,
                                  {{PPDErr_NoParent, "*QZSecret", false}}},
                      OptionsCase{kParseOrphans,
                                  {"PPMain"},
                                  {"SPMain", "FPGeneral", "FPUnused"},
                                  {"FPHidden"},
                                  true,
                                  {{PPDErr_InvalidParent, "*QZSecret", false}}},
                      OptionsCase{kParseHidden,
                                  {"PPMain", "PPHidden"},
                                  {"SPMain", "FPGeneral", "FPHidden"},
                                  {"FPUnused"},
                                  true,
                                  {}},
                      OptionsCase{kParseOrphansAndHidden,
                                  {"PPMain", "PPHidden"},
                                  {"SPMain", "FPGeneral", "FPHidden", "FPUnused"},
                                  {},
                                  true,
                                  {}}));

TEST_F(ParserTest, ParentsBuildPropertyScrollPaneRollDownAndControlChain) {
  QZVPPD document(ParserFixture("hierarchy.ppd"), kParseOrphansAndHidden);
  PPDXProperty* page = Property(document, "PPMain");
  auto* pane = dynamic_cast<PPDXScrollPane*>(Group(document, "SPMain"));
  auto* general = dynamic_cast<PPDXRollDown*>(Group(document, "FPGeneral"));
  auto* hidden = dynamic_cast<PPDXRollDown*>(Group(document, "FPHidden"));
  ASSERT_TRUE(page && pane && general && hidden);
  EXPECT_EQ(page->GetScrollDown(), pane);
  EXPECT_EQ(pane->GetParent(), page);
  EXPECT_EQ(general->GetParent(), pane);
  EXPECT_NE(pane->RollDowns()->Find("FPGeneral", true), nullptr);
  EXPECT_EQ(general->CFStringUserName().UTF8(), "General ");  // group titles end in a blank
  EXPECT_TRUE(general->IsVisible());
  EXPECT_FALSE(hidden->IsVisible());
  PPDXControl* shown = Control(document, "*QZShown");
  EXPECT_EQ(shown->GetParent(), general);
  CNTL_TYPE type = kNoControl;
  ScopedDisplayOption everything(kDisplayEverything);
  EXPECT_EQ(general->Controls()->Find("*QZShown", type, true), shown);
  // A group no control uses is a plain group; a parent line without kind makes nothing.
  PPDXGroup* unused = Group(document, "FPUnused");
  ASSERT_NE(unused, nullptr);
  EXPECT_EQ(dynamic_cast<PPDXRollDown*>(unused), nullptr);
  EXPECT_TRUE(unused->IsOrphan());
}

struct HostCase {
  const char* host;
  long properties;
};

class HostRuleTest : public ParserTest, public ::testing::WithParamInterface<HostCase> {};

TEST_P(HostRuleTest, SomeHostsStopAtTheAnnotationEnd) {
  ScopedHostApplication host(GetParam().host);
  QZVPPD document(ParserFixture("annotate.ppd"), kParseOrphansAndHidden);
  EXPECT_EQ(document.GetProperties()->Count(), GetParam().properties);
  EXPECT_TRUE(document.Valid());
}

INSTANTIATE_TEST_SUITE_P(Hosts, HostRuleTest,
                         ::testing::Values(HostCase{kDefaultHostApplicationIdentifier, 2},
                                           HostCase{"com.apple.Preview", 1},
                                           HostCase{"com.adobe.indesign", 1},
                                           HostCase{"net.nemetschek.VectorWorks", 1},
                                           HostCase{"com.apple.TextEdit", 2}));

std::string ReadFixture(const char* name) {
  std::ifstream in(ParserFixture(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(ParserTest, LineEndsDoNotChangeTheModel) {
  std::string crlf;
  for (char c : ReadFixture("hierarchy.ppd")) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  ScratchFile file(crlf);
  QZVPPD document(file.path(), kParseOrphansAndHidden);
  EXPECT_EQ(ErrorsOf(document), std::vector<ParsedError>{});
  EXPECT_NE(Control(document, "*QZSecret"), nullptr);
  EXPECT_EQ(Control(document, "*QZSecret")->GetParent(), Group(document, "FPHidden"));

  std::string sample;
  {
    std::ifstream in(SamplePPD(), std::ios::binary);
    for (char c : std::string(std::istreambuf_iterator<char>(in), {})) {
      if (c == '\n') sample += '\r';
      sample += c;
    }
  }
  ScratchFile sampleCRLF(sample);
  QZVPPD lf(SamplePPD(), kParseOrphansAndHidden);
  ClearEndOfPPDLatch();  // the sample ends with the end-of-PPD line
  QZVPPD crlfSample(sampleCRLF.path(), kParseOrphansAndHidden);
  EXPECT_EQ(ErrorsOf(crlfSample), ErrorsOf(lf));
  EXPECT_TRUE(crlfSample == lf);
}

TEST_F(ParserTest, TheLastLineCountsWithoutItsLineEnd) {
  ScratchFile file(
      "*PPD-Adobe: \"4.3\"\n*%QZVPropPage PPFirst/First: True\n"
      "*%QZVPropPage PPLast/Last: True");
  QZVPPD document(file.path(), kParseNoOptions);
  EXPECT_NE(Property(document, "PPLast"), nullptr);
}

TEST_F(ParserTest, AShortcutToAMissingControlIsLeftOut) {
  QZVPPD document(ParserFixture("shortcut-missing-control.ppd"), kParseNoOptions);
  ASSERT_NE(document.GetShortcuts(), nullptr);
  EXPECT_EQ(document.GetShortcuts()->Count(), 1);
  EXPECT_EQ(document.GetShortcuts()->First(), Control(document, "*QZGood"));
}

TEST_F(ParserTest, ServerDataLinesAreSkippedAndInjectionLinesCollected) {
  QZVPPD document(ParserFixture("server-data-and-dmt.ppd"), kParseOrphansAndHidden);
  EXPECT_EQ(document.DMTInjectionText(),
            "*DMT_Injection: \"first\"\n*% comment naming *DMT_Injection\n");
  EXPECT_EQ(document.GetProperties()->Count(), 1);
}

TEST_F(ParserTest, DisplayOptionsAreOneClassWideValue) {
  QZVPPD::Options(kDisplayVisibleWithParent);
  QZVPPD::IncludeOrphans();
  EXPECT_EQ(QZVPPD::Options(), kDisplayIncludeOrphans);
  QZVPPD::IncludeHidden();
  EXPECT_EQ(GetDisplayOption(), kDisplayEverything);  // the collections see the same value
  QZVPPD::ExcludeHidden();
  EXPECT_EQ(QZVPPD::Options(), kDisplayVisibleWithParent);  // both exclusions reset all bits
  QZVPPD::IncludeHidden();
  QZVPPD::ExcludeOrphans();
  EXPECT_EQ(QZVPPD::Options(), kDisplayVisibleWithParent);

  EXPECT_EQ(QZVPPD::GetExtensions(), kExtensionsAll);
  QZVPPD::SetExtensions(kExtensionsLevel1);
  EXPECT_EQ(QZVPPD::GetExtensions(), kExtensionsLevel1);
  QZVPPD::SetExtensions(kExtensionsAll);

  QZVPPD document(kParseHidden);
  EXPECT_TRUE(document.ParseHidden());
  EXPECT_FALSE(document.ParseOrphans());
}

TEST_F(ParserTest, ParsingLeavesTheDisplayOptionsAsTheyWere) {
  QZVPPD::Options(kDisplayIncludeHidden);
  QZVPPD document(ParserFixture("hierarchy.ppd"), kParseOrphansAndHidden);
  EXPECT_EQ(QZVPPD::Options(), kDisplayIncludeHidden);
}

}  // namespace
