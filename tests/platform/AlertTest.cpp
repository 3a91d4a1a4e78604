#include "platform/Alert.h"

#include <gtest/gtest.h>

#include "platform/Log.h"

namespace {

AlertRequest TwoButtons() {
  return {"Two-Way", "Cannot connect", {"Continue", "Cancel"}, 0};
}

TEST(Alert, WithoutAnswererTheDefaultButtonIsChosenAndLogged) {
  SetLogPause(false);
  LogCapture log;
  AlertRequest r = TwoButtons();
  r.defaultButton = 1;
  EXPECT_EQ(RunAlert(r), 1u);
  ASSERT_EQ(log.Lines().size(), 1u);
  EXPECT_NE(log.Lines()[0].find("Cannot connect"), std::string::npos);
  EXPECT_NE(log.Lines()[0].find("Cancel"), std::string::npos);
  r.defaultButton = 7;  // out of range: the first button
  EXPECT_EQ(RunAlert(r), 0u);
  EXPECT_EQ(RunAlert(AlertRequest{"t", "x", {}, 0}), 0u);
}

TEST(Alert, AnswererChoosesAndIsRestored) {
  std::vector<std::string> seen;
  {
    ScopedAlertAnswerer answer([&](const AlertRequest& r) {
      seen.push_back(r.title);
      return size_t{1};
    });
    EXPECT_EQ(RunAlert(TwoButtons()), 1u);
    {
      ScopedAlertAnswerer wild([](const AlertRequest&) { return size_t{99}; });
      EXPECT_EQ(RunAlert(TwoButtons()), 0u);  // impossible answers count as the default
    }
    EXPECT_EQ(RunAlert(TwoButtons()), 1u);
  }
  EXPECT_EQ(seen.size(), 2u);
  SetLogPause(false);
  EXPECT_EQ(RunAlert(TwoButtons()), 0u);
}

}  // namespace
