#include <gtest/gtest.h>
#include <sys/stat.h>

#include "QueueTestSupport.h"

namespace {

class PPDUpdate : public ::testing::Test {
 protected:
  void Write(const std::string& text) {
    std::ofstream(ppd, std::ios::binary) << text;
    chmod(ppd.c_str(), 0640);
  }
  TempRoot root;
  std::filesystem::path ppd = root.path() / "q.ppd";
};

TEST_F(PPDUpdate, UpdatesGoAfterTheFirstLineAsTheSchedulerWritesThem) {
  Write(
      "*PPD-Adobe: \"4.3\"\r\n*QZx0000: old\r\n*QZx0000Other: keep\r\n*qzx0000: dup\n"
      "*QZx0000 Opt/Tr: \"o\"\n*OpenUI *QZx0000/x: PickOne\n*Last: \"1\"");
  std::string error;
  ASSERT_TRUE(ApplyPPDUpdates(
      ppd, {{"QZx0000", "new"}, {"QZy", ""}, {"QZz", "a"}, {"qzz", "b"}, {"Alpha", "1"}}, &error))
      << error;
  EXPECT_EQ(TempRoot::Read(ppd),
            "*PPD-Adobe: \"4.3\"\r\n*Alpha: 1\n*QZx0000: new\n*QZy: \n*QZz: b\n"
            "*QZx0000Other: keep\r\n*OpenUI *QZx0000/x: PickOne\n*Last: \"1\"");
  struct stat st {};
  ASSERT_EQ(stat(ppd.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(PPDUpdate, RefusesWhatCannotStandInAPPDLineAndLeavesTheFile) {
  const std::string original = "*PPD-Adobe: \"4.3\"\n";
  Write(original);
  const std::vector<std::pair<std::string, std::string>> bad[] = {
      {{"Has Space", "v"}},
      {{"Colon:", "v"}},
      {{"", "v"}},
      {{std::string(41, 'K'), "v"}},
      {{"Ok", "line\nbreak"}},
      {{"Ok", "\"open quote"}},
      {{"Ok", std::string(251, 'v')}},
      {{"Good", "v"}, {"Bad/", "v"}},
  };
  for (const auto& updates : bad) {
    std::string error;
    EXPECT_FALSE(ApplyPPDUpdates(ppd, updates, &error)) << updates.back().first;
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(TempRoot::Read(ppd), original);
  }
  std::string error;
  EXPECT_FALSE(ApplyPPDUpdates(root.path() / "missing.ppd", {{"A", "b"}}, &error));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root.path()), {}), 1);
}

}  // namespace
