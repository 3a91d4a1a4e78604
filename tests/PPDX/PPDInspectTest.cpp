#include "PPDX/PPDInspect.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "PPDX/PPDXTestSupport.h"

namespace {

struct InspectRun {
  int code;
  std::string out;
  std::string err;
};

InspectRun Inspect(std::vector<std::string> args) {
  args.insert(args.begin(), "tavro-inspect");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  int code = RunPPDInspect(static_cast<int>(argv.size()), argv.data(), out, err);
  return {code, out.str(), err.str()};
}

const std::string kSample = std::string(TAVRO_SOURCE_DIR) + "/samples/TavroC750.ppd";

class PPDInspectTest : public LatchClearedTest {};

TEST_F(PPDInspectTest, SampleIdentity) {
  InspectRun r = Inspect({kSample});
  EXPECT_EQ(r.code, kInspectOK) << r.err;
  for (const char* line :
       {"PC file name:       TAVC750.PPD\n", "Format version:     4.3\n",
        "File version:       1.0\n", "Language version:   English\n",
        "Language encoding:  ISOLatin1 (encoding 513)\n", "Model name:         Tavro C750\n",
        "Vendor version:     1.0\n", "Vendor Mac version: (none)\n",
        "PDE path:           /usr/lib/tavro/TavroFeatures.plugin\n",
        "Served:             not checked", "Errors:             none\n",
        "Result:             the panel would take this PPD\n"}) {
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
  }
  EXPECT_TRUE(r.err.empty());
}

TEST_F(PPDInspectTest, ExitCodesAndMessages) {
  struct Case {
    const char* what;
    std::vector<std::string> args;
    int code;
    const char* inOut;
    const char* inErr;
  } cases[] = {
      {"served, second of two",
       {"--served", "TAVC900.PPD", "--served=TAVC750.PPD", kSample},
       0,
       "Served:             yes",
       ""},
      {"not served", {"--served", "TAVC900.PPD", kSample}, 1, "refused: its PC file name", ""},
      {"not a 4.3 PPD",
       {PPDXFixture("header42.ppd").string()},
       1,
       "fatal 28 PPDErr_NotPPDFile",
       ""},
      {"no controller version",
       {PPDXFixture("crlf.ppd").string()},
       1,
       "refused: no controller version",
       ""},
      {"missing file", {PPDXFixture("no-such.ppd").string()}, 2, "", "no such file"},
      {"folder", {std::string(TAVRO_TEST_DATA)}, 2, "", "not a regular file"},
      {"no file", {}, 2, "", "no PPD file given"},
      {"two files", {kSample, kSample}, 2, "", "only one PPD file"},
      {"--served without name", {kSample, "--served"}, 2, "", "--served needs"},
      {"empty --served=", {"--served=", kSample}, 2, "", "--served needs"},
      {"unknown option", {"-x", kSample}, 2, "", "unknown option -x"},
      {"help", {"--help"}, 0, "Exit codes:", ""},
  };
  for (const Case& c : cases) {
    ClearEndOfPPDLatch();
    InspectRun r = Inspect(c.args);
    EXPECT_EQ(r.code, c.code) << c.what << "\n" << r.out << r.err;
    EXPECT_NE(r.out.find(c.inOut), std::string::npos) << c.what << "\n" << r.out;
    EXPECT_NE(r.err.find(c.inErr), std::string::npos) << c.what << "\n" << r.err;
  }
}

TEST_F(PPDInspectTest, TextShownInUTF8FromThePPDEncoding) {
  ScratchFile file(
      "*PPD-Adobe: \"4.3\"\n*LanguageVersion: French\n*LanguageEncoding: ISOLatin1\n"
      "*ModelName: \"Tavro C750 <E9>dition\"\n*%QZVersion: \"1.0\"\n");
  InspectRun r = Inspect({file.path().string()});
  EXPECT_NE(r.out.find("Model name:         Tavro C750 \xC3\xA9"
                       "dition\n"),
            std::string::npos)
      << r.out;
}

}  // namespace
