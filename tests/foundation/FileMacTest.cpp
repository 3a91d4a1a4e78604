#include "foundation/FileMac.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "FileTestSupport.h"

namespace {

class FileMacTest : public ::testing::Test {
 protected:
  std::filesystem::path Make(const char* name, std::string_view bytes) {
    return dir.Write(name, bytes);
  }
  ScratchDir dir;
};

TEST_F(FileMacTest, ReadsAtThePositionOrAtAnOffset) {
  FileMac file(Make("data.bin", "0123456789"));
  ASSERT_EQ(file.openDataFork(kFileReadPermission), kFileNoErr);
  EXPECT_TRUE(file.dataForkOpen());
  char buffer[16] = {};
  unsigned long count = 4;
  ASSERT_EQ(file.dataForkRead(buffer, &count), kFileNoErr);
  EXPECT_EQ(std::string(buffer, count), "0123");
  // An absolute read leaves the position where it was.
  count = 3;
  ASSERT_EQ(file.dataForkReadWithOffset(buffer, &count, 7), kFileNoErr);
  EXPECT_EQ(std::string(buffer, count), "789");
  count = 10;
  EXPECT_EQ(file.dataForkRead(buffer, &count), kFileEOFErr) << "short read at the end";
  EXPECT_EQ(std::string(buffer, count), "456789");
  count = 5;
  EXPECT_EQ(file.dataForkRead(buffer, &count), kFileEOFErr);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(file.getError(), kFileEOFErr);
  count = 2;
  EXPECT_EQ(file.dataForkReadWithOffset(buffer, &count, 100), kFileEOFErr);
  EXPECT_EQ(count, 0u);
  count = 2;
  EXPECT_EQ(file.dataForkReadWithOffset(buffer, &count, -1), kFileParamErr);
  EXPECT_EQ(file.dataForkRead(buffer, nullptr), kFileParamErr);
  EXPECT_EQ(file.closeDataFork(), kFileNoErr);
  EXPECT_EQ(file.closeDataFork(), kFileNotOpenErr);
  count = 1;
  EXPECT_EQ(file.dataForkRead(buffer, &count), kFileNotOpenErr);
}

TEST_F(FileMacTest, CreateWriteAndReadBack) {
  FileMac file(dir.Path() / "new.txt");
  EXPECT_FALSE(file.exists());
  EXPECT_EQ(file.getError(), kFileNotFoundErr);
  ASSERT_EQ(file.createDataFork(), kFileNoErr);
  EXPECT_EQ(file.createDataFork(), kFileDuplicateErr);
  ASSERT_EQ(file.openDataFork(kFileReadWritePermission), kFileNoErr);
  char text[] = "hello";
  ASSERT_EQ(file.dataForkWrite(text, 5), kFileNoErr);
  char back[8] = {};
  unsigned long count = 5;
  ASSERT_EQ(file.dataForkReadWithOffset(back, &count, 0), kFileNoErr);
  EXPECT_STREQ(back, "hello");
  file.closeDataFork();
  EXPECT_EQ(ReadWholeFile(dir.Path() / "new.txt"), "hello");
}

TEST_F(FileMacTest, ErrorsAreCodesNotCrashes) {
  struct Case {
    std::filesystem::path path;
    int16_t open;
  };
  std::filesystem::create_directories(dir.Path() / "folder");
  const Case cases[] = {{dir.Path() / "missing", kFileNotFoundErr},
                        {dir.Path() / "missing/deeper", kFileNotFoundErr},
                        {dir.Path() / "folder", kFileParamErr},
                        {"", kFileParamErr}};
  for (const Case& c : cases) {
    FileMac file(c.path);
    EXPECT_EQ(file.openDataFork(kFileReadPermission), c.open) << c.path;
    EXPECT_FALSE(file.dataForkOpen()) << c.path;
    char byte;
    EXPECT_EQ(file.dataForkWrite(&byte, 1), kFileNotOpenErr) << c.path;
  }
  FileMac empty;
  EXPECT_FALSE(empty.valid());
  EXPECT_EQ(empty.getFileInfo(), kFileParamErr);
  EXPECT_EQ(empty.createDataFork(), kFileParamErr);
  // Resource forks are not there, and asking for them does no harm.
  EXPECT_EQ(empty.OpenResourceFork(kFileReadPermission), kFileNoErr);
  EXPECT_FALSE(empty.ResourceForkOpen());
  empty.Use();
  empty.Restore();
  EXPECT_EQ(empty.CloseResourceFork(), kFileNoErr);
}

TEST_F(FileMacTest, ReferencesAndCatalogueInfo) {
  auto path = Make("sub/PPD File.ppd", "x");
  FSRef ref{path};
  FileMac byRef(ref);
  FileMac byIds(3, 4, "ignored", &ref);
  FileMac noRef(3, 4, "name", nullptr);
  EXPECT_EQ(byIds.path(), path);
  EXPECT_FALSE(noRef.valid());
  FSRef out;
  ASSERT_EQ(byRef.getFileInfo(&out), kFileNoErr);
  EXPECT_EQ(out.path, path);
  short volume = 0;
  long folder = 0;
  char name[256];
  ASSERT_EQ(byRef.getFileInfo(&volume, &folder, name), kFileNoErr);
  EXPECT_STREQ(name, "PPD File.ppd");
  struct stat st;
  ASSERT_EQ(::stat(path.parent_path().c_str(), &st), 0);
  EXPECT_EQ(folder, static_cast<long>(st.st_ino & 0x7FFFFFFF));
  EXPECT_GE(volume, 0);
  FileMac gone(dir.Path() / "gone");
  EXPECT_EQ(gone.getFileInfo(&out), kFileNotFoundErr);
  EXPECT_EQ(gone.getFileInfo(&volume, &folder, name), kFileNotFoundErr);
  EXPECT_EQ(byRef.getFileInfo(static_cast<FSRef*>(nullptr)), kFileParamErr);
}

}  // namespace
