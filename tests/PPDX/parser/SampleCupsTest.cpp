// The sample PPD is a valid PPD for libcups as well, even under its strict
// conformance, with every option and constraint it declares.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

#include <cups/ppd.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

std::filesystem::path SamplePPD() {
  return std::filesystem::path(TAVRO_SOURCE_DIR) / "samples" / "TavroC750.ppd";
}

struct PPDCloser {
  void operator()(ppd_file_t* ppd) const { ppdClose(ppd); }
};

TEST(SampleCupsTest, OpensStrictlyWithItsOptionsAndConstraints) {
  ppdSetConformance(PPD_CONFORM_STRICT);
  std::unique_ptr<ppd_file_t, PPDCloser> ppd(ppdOpenFile(SamplePPD().c_str()));
  ppdSetConformance(PPD_CONFORM_RELAXED);
  int line = 0;
  ASSERT_NE(ppd, nullptr) << ppdErrorString(ppdLastError(&line)) << " at line " << line;
  for (const char* option :
       {"PageSize", "QZPrintSize", "Duplex", "QZCollate", "QZPunch", "QZFinisher", "QZHardDisk"}) {
    EXPECT_NE(ppdFindOption(ppd.get(), option), nullptr) << option;
  }
  EXPECT_EQ(ppdFindOption(ppd.get(), "QZPunch")->ui, PPD_UI_PICKMANY);
  EXPECT_GE(ppd->num_consts, 8);
  ppdMarkDefaults(ppd.get());
  EXPECT_EQ(ppdConflicts(ppd.get()), 0);
}

}  // namespace
