// Every error the parser raises, each shown by a small fixture.
#include "PPDX/QZVPPD.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "PPDX/PPDObjects/PPDXProperties.h"
#include "PPDX/PPDXTestSupport.h"
#include "ParserTestSupport.h"

namespace {

struct ErrorCase {
  const char* fixture;
  _PARSE_OPTIONS_ options;
  std::vector<ParsedError> expected;
};

void PrintTo(const ErrorCase& c, std::ostream* out) {
  *out << c.fixture << " options " << c.options;
}

class ParserErrorTest : public ParserTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(ParserErrorTest, RecordsTheErrorsOfTheFixture) {
  const ErrorCase& c = GetParam();
  QZVPPD document(ParserFixture(c.fixture), c.options);
  EXPECT_EQ(ErrorsOf(document), c.expected);
}

// Each fixture is a small valid document plus the one faulty declaration.
INSTANTIATE_TEST_SUITE_P(
    Declarations, ParserErrorTest,
    ::testing::Values(
        ErrorCase{
            "group-name-missing.ppd", kParseNoOptions, {{PPDErr_GroupNameParsing, "", false}}},
        ErrorCase{
            "group-name-duplicate.ppd", kParseNoOptions, {{PPDErr_Duplicate, "FPGeneral", false}}},
        ErrorCase{"subgroup-name-missing.ppd",
                  kParseNoOptions,
                  {{PPDErr_SubGroupNameParsing, "", false}}},
        ErrorCase{
            "parent-missing-name.ppd", kParseNoOptions, {{PPDErr_ParentParsing, "FPPlain", false}}},
        ErrorCase{"parent-not-scrollpane.ppd",
                  kParseNoOptions,
                  {{PPDErr_ParentParsingNoParent, "PPMain", false}}},
        ErrorCase{"parent-not-property.ppd",
                  kParseNoOptions,
                  {{PPDErr_ParentParsingNoParent, "PPMissing", false}}},
        ErrorCase{"flags-no-keyword.ppd", kParseNoOptions, {{PPDErr_ControlParsing, "", false}}},
        ErrorCase{"flags-unknown-declaration.ppd",
                  kParseNoOptions,
                  {{PPDErr_ControlParsing, "*QZBad", false}}},
        ErrorCase{"flags-duplicate.ppd", kParseNoOptions, {{PPDErr_Duplicate, "*QZGood", false}}},
        ErrorCase{"flags-blank-line.ppd", kParseNoOptions, {}},
        ErrorCase{
            "group-no-keyword.ppd", kParseNoOptions, {{PPDErr_GroupParsing, "*QZBad", false}}},
        ErrorCase{"group-other-keyword.ppd", kParseNoOptions, {}},
        ErrorCase{"group-unknown-declaration.ppd",
                  kParseNoOptions,
                  {{PPDErr_GroupParsing, "*QZBad", false}}},
        ErrorCase{
            "openui-no-option.ppd", kParseNoOptions, {{PPDErr_OpenUIParsing, "*QZBad", false}}},
        ErrorCase{"openui-invalid-type.ppd",
                  kParseNoOptions,
                  {{PPDErr_InvalidOpenUIType, "*QZBad", false}}},
        ErrorCase{
            "popup-two-defaults.ppd", kParseNoOptions, {{PPDErr_PopupParsing, "*QZBad", true}}},
        ErrorCase{"popup-unclosed.ppd", kParseNoOptions, {{PPDErr_PopupParsing, "*QZBad", true}}},
        ErrorCase{"popup-no-default.ppd",
                  kParseNoOptions,
                  {{PPDErr_NoDefaultValueFlag, "*QZNoDefault", false}}},
        ErrorCase{"popup-no-group.ppd", kParseNoOptions, {{PPDErr_NoParent, "*QZLoose", false}}},
        ErrorCase{"popup-no-group.ppd",
                  kParseOrphansAndHidden,
                  {{PPDErr_InvalidParent, "*QZLoose", false}}},
        ErrorCase{
            "popup-plain-group.ppd", kParseNoOptions, {{PPDErr_InvalidParent, "*QZPlain", false}}},
        ErrorCase{
            "boolean-bad-option.ppd", kParseNoOptions, {{PPDErr_BooleanParsing, "*QZBad", false}}},
        ErrorCase{"boolean-third-then-false.ppd", kParseNoOptions, {}},
        ErrorCase{"boolean-no-default.ppd",
                  kParseNoOptions,
                  {{PPDErr_NoDefaultValueFlag, "*QZNoDefault", false}}},
        ErrorCase{"openuiqzv-block.ppd",
                  kParseNoOptions,
                  {{PPDErr_OpenUIQZVParsing2, "*QZVendor", false}}},
        ErrorCase{"openuiqzv-unclosed.ppd",
                  kParseNoOptions,
                  {{PPDErr_OpenUIQZVParsing2, "*QZVendor", false},
                   {PPDErr_OpenUIQZVParsing1, "*QZVendor", true}}},
        ErrorCase{
            "range-wrong-keyword.ppd", kParseNoOptions, {{PPDErr_RangeParsing, "*QZOther", false}}},
        ErrorCase{"range-no-parenthesis.ppd",
                  kParseNoOptions,
                  {{PPDErr_RangeParsing, "*QZCount", false}}},
        ErrorCase{"range-missing-number.ppd",
                  kParseNoOptions,
                  {{PPDErr_RangeParsing, "*QZCount", false}}},
        ErrorCase{"range-no-code.ppd", kParseNoOptions, {{PPDErr_NoPostscript, "*QZCount", false}}},
        ErrorCase{"range-no-group.ppd", kParseNoOptions, {{PPDErr_NoParent, "*QZCount", false}}},
        ErrorCase{"range-no-group.ppd", kParseOrphans, {{PPDErr_InvalidParent, "*QZCount", false}}},
        ErrorCase{"shortcut-missing-control.ppd",
                  kParseNoOptions,
                  {{PPDErr_BadShortcut, "*QZMissing", false}}},
        ErrorCase{"shortcut-reserved.ppd",
                  kParseNoOptions,
                  {{PPDErr_BadShortcut, "*QZ_PROP_WATERMARK", false}}},
        ErrorCase{
            "constraint-no-second-key.ppd", kParseNoOptions, {{PPDErr_BadConstraint, "", false}}}));

// The three emptiness errors follow whatever parsing recorded, in this order.
INSTANTIATE_TEST_SUITE_P(Documents, ParserErrorTest,
                         ::testing::Values(ErrorCase{"header-wrong-version.ppd",
                                                     kParseNoOptions,
                                                     {{PPDErr_NotPPDFile, "", true},
                                                      {PPDErr_NoPropertyPages, "", false},
                                                      {PPDErr_NoGroups, "", false},
                                                      {PPDErr_NoControls, "", false}}},
                                           ErrorCase{"header-not-ppd.ppd",
                                                     kParseNoOptions,
                                                     {{PPDErr_NotPPDFile, "", true},
                                                      {PPDErr_NoPropertyPages, "", false},
                                                      {PPDErr_NoGroups, "", false},
                                                      {PPDErr_NoControls, "", false}}},
                                           ErrorCase{"no-such-file.ppd",
                                                     kParseOrphansAndHidden,
                                                     {{PPDErr_FileError, "", true},
                                                      {PPDErr_NoPropertyPages, "", false},
                                                      {PPDErr_NoGroups, "", false},
                                                      {PPDErr_NoControls, "", false}}}));

TEST_F(ParserTest, AWrongHeaderLeavesTheModelEmptyAndTheDocumentInvalid) {
  QZVPPD document(ParserFixture("header-wrong-version.ppd"), kParseOrphansAndHidden);
  EXPECT_FALSE(document.IsValidPPD());
  EXPECT_TRUE(document.GetProperties()->Empty());  // the page line after the header is not read
}

TEST_F(ParserTest, AFatalDeclarationErrorStopsTheLoopButKeepsTheModelBuiltSoFar) {
  QZVPPD document(ParserFixture("popup-two-defaults.ppd"), kParseNoOptions);
  EXPECT_FALSE(document.IsValidPPD());
  EXPECT_NE(Control(document, "*QZGood"), nullptr);
  EXPECT_EQ(Control(document, "*QZBad"), nullptr);
  EXPECT_EQ(document.GetProperties()->Count(), 1);  // "PPNeverRead" comes after the fault
}

TEST_F(ParserTest, AGroupLineForAnotherKeywordDropsTheDeclaration) {
  QZVPPD document(ParserFixture("group-other-keyword.ppd"), kParseOrphansAndHidden);
  EXPECT_EQ(Control(document, "*QZMine"), nullptr);
  EXPECT_EQ(Control(document, "*QZTheirs"), nullptr);
}

TEST_F(ParserTest, WithAllErrorsFatalTheFirstErrorStopsTheDocument) {
  QZVPPD document(ParserFixture("popup-no-default.ppd"), kParseNoOptions);
  EXPECT_TRUE(document.IsValidPPD());  // a non-fatal error leaves it valid
  document.AllErrorsFatal(true);
  EXPECT_FALSE(document.IsValidPPD());
}

TEST_F(ParserTest, ADocumentWithoutPPDFileHasOnlyTheEmptinessErrors) {
  QZVPPD document(kParseOrphansAndHidden);
  EXPECT_EQ(ErrorsOf(document), (std::vector<ParsedError>{{PPDErr_NoPropertyPages, "", false},
                                                          {PPDErr_NoGroups, "", false},
                                                          {PPDErr_NoControls, "", false}}));
}

// Each error carries the PPD line the reader was on when it was raised, in a
// CR LF file as in an LF one; errors about the whole document carry none, and
// the line never leaks into the error's description.
TEST_F(ParserTest, ErrorsCarryTheLineTheyWereRaisedOn) {
  struct Case {
    const char* fixture;
    std::vector<long> lines;
  } cases[] = {
      {"openui-invalid-type.ppd", {19}},       // the declaration line
      {"popup-two-defaults.ppd", {22}},        // the second default, inside the block
      {"popup-unclosed.ppd", {21}},            // the last line before the file ends
      {"popup-no-default.ppd", {22}},          // the block's closing line
      {"shortcut-missing-control.ppd", {18}},  // resolved after reading, from its own line
      {"header-not-ppd.ppd", {1, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    std::ifstream in(ParserFixture(c.fixture), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::string crlf;
    for (char ch : bytes.str()) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    ScratchFile crlfFile(crlf);
    for (const std::filesystem::path& path : {ParserFixture(c.fixture), crlfFile.path()}) {
      ClearEndOfPPDLatch();
      QZVPPD document(path, kParseNoOptions);
      std::vector<long> lines;
      PPDXErrors* errors = document.GetErrors();
      ASSERT_NE(errors, nullptr) << path;
      for (PPDXErrorObj* e = errors->First(); e; e = errors->Next()) {
        lines.push_back(e->Line());
        EXPECT_EQ(e->Description(), nullptr) << path;
      }
      EXPECT_EQ(lines, c.lines) << path;
    }
  }
}

}  // namespace
