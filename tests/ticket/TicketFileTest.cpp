// Finding the ticket file: only a Tavro.temp file in the cache folder below
// the root is read, never through a link, never a large or special file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "queue/ticket/TicketFile.h"
#include "queue/ticket/TicketOption.h"

namespace fs = std::filesystem;

namespace {

class TicketFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tavro-ticket-file.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    cache_ = root_ / "Library/Caches/QZV";
    fs::create_directories(cache_);
    Put(cache_ / "Tavro.tempA", "ticket A");
    Put(root_ / "Tavro.tempOutside", "outside");
  }
  void TearDown() override { fs::remove_all(root_); }

  static void Put(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  bool Read(const std::string& given, std::string& bytes, std::string& error) {
    return ReadTicketFile(given, root_.string(), bytes, error);
  }

  fs::path root_;
  fs::path cache_;
};

TEST_F(TicketFile, NamesThatLeadIntoTheCacheFolder) {
  for (std::string given :
       {std::string("Tavro.tempA"), std::string("/Library/Caches/QZV/Tavro.tempA"),
        std::string("Library/Caches/QZV/Tavro.tempA"), (cache_ / "Tavro.tempA").string()}) {
    std::string bytes, error;
    EXPECT_TRUE(Read(given, bytes, error)) << given << ": " << error;
    EXPECT_EQ(bytes, "ticket A") << given;
  }
}

TEST_F(TicketFile, NamesThatLeadElsewhereAreRefused) {
  for (std::string given :
       {std::string("/etc/passwd"), std::string("../Tavro.tempOutside"),
        std::string("/Library/Caches/QZV/../../../Tavro.tempOutside"),
        std::string("/Library/Caches/QZV/Tavro.tempA/../Tavro.tempA"),
        (root_ / "Tavro.tempOutside").string(), std::string("/tmp/Tavro.tempA"),
        std::string("Tavro.temp"), std::string("A"), std::string(""),
        std::string("Library/Caches/QZV/QZVPrefs"), std::string("Tavro.temp\nx"),
        root_.string() + "//Library/Caches/QZV/Tavro.tempA"}) {
    std::string bytes = "stale", error;
    EXPECT_FALSE(Read(given, bytes, error)) << given;
    EXPECT_TRUE(bytes.empty()) << given;
    EXPECT_FALSE(error.empty()) << given;
  }
}

TEST_F(TicketFile, LinksSpecialAndLargeFilesAreRefused) {
  fs::create_symlink(root_ / "Tavro.tempOutside", cache_ / "Tavro.tempLink");
  ASSERT_EQ(::link((root_ / "Tavro.tempOutside").c_str(), (cache_ / "Tavro.tempHard").c_str()), 0);
  fs::create_directory(cache_ / "Tavro.tempDir");
  ASSERT_EQ(::mkfifo((cache_ / "Tavro.tempFifo").c_str(), 0600), 0);
  { std::ofstream big(cache_ / "Tavro.tempBig", std::ios::binary); }
  fs::resize_file(cache_ / "Tavro.tempBig", kTicketMaxBytes + 1);
  Put(cache_ / "Tavro.tempMax", std::string(16, 'x'));
  fs::resize_file(cache_ / "Tavro.tempMax", kTicketMaxBytes);

  for (const char* name : {"Tavro.tempLink", "Tavro.tempHard", "Tavro.tempDir", "Tavro.tempFifo",
                           "Tavro.tempBig", "Tavro.tempMissing"}) {
    std::string bytes, error;
    EXPECT_FALSE(Read(name, bytes, error)) << name;
    EXPECT_TRUE(bytes.empty()) << name;
  }
  std::string bytes, error;
  EXPECT_TRUE(Read("Tavro.tempMax", bytes, error)) << error;
  EXPECT_EQ(bytes.size(), kTicketMaxBytes);
}

TEST_F(TicketFile, CacheFolderReachedThroughALinkIsRefused) {
  fs::path elsewhere = root_ / "elsewhere";
  fs::create_directory(elsewhere);
  Put(elsewhere / "Tavro.tempA", "planted");
  fs::remove_all(cache_);
  fs::create_directory_symlink(elsewhere, cache_);
  std::string bytes, error;
  EXPECT_FALSE(Read("Tavro.tempA", bytes, error));
  EXPECT_TRUE(bytes.empty());
}

}  // namespace
