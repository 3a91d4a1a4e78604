#include "serverlink/CUtil.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>

#include "SDMTestAllocator.h"

namespace {

TEST(CUtil, ReplaceSplitAndFind) {
  EXPECT_EQ(CUtil::__replace("aXbXX", "X", "yy"), "ayybyyyy");
  EXPECT_EQ(CUtil::__replace("abc", "", "z"), "abc");
  EXPECT_EQ(CUtil::__replaceW(L"\xFEFFhi\xFEFF", L"\xFEFF", L"EFBBBF"), L"EFBBBFhiEFBBBF");
  EXPECT_EQ(CUtil::narrow(L"caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(CUtil::findLineWithKey(L"Name", L"a:b\nServerName:x\nName2", L"\n"),
            std::wstring(L"ServerName:x"));
  EXPECT_EQ(CUtil::findLineWithKey(L"none", L"a\nb", L"\n"), std::nullopt);

  size_t count = 0;
  wchar_t** pieces = CUtil::tockenizeWstring(count, L"3:a@b::c", L":");
  ASSERT_EQ(count, 4u);
  EXPECT_STREQ(pieces[1], L"a@b");
  EXPECT_STREQ(pieces[2], L"");
  CUtil::deallocateArrayOfStrings(pieces, count);
  wchar_t** room = CUtil::AllocMemory(3, 10);
  ASSERT_NE(room, nullptr);
  EXPECT_STREQ(room[2], L"");
  CUtil::deallocTwoDimenArray(room, 3);
  EXPECT_NE(CUtil::GenerateRandomID(), CUtil::GenerateRandomID());
}

TEST(CUtil, WtoiReadsLikeAtoiAndHoldsTheIntRange) {
  struct Case {
    const wchar_t* text;
    int value;
  } cases[] = {{L"42", 42},
               {L"  -17x", -17},
               {L"+5", 5},
               {L"", 0},
               {L"abc", 0},
               {L"99999999999999999999", INT_MAX},
               {L"-99999999999", INT_MIN},
               {L"2147483647", INT_MAX},
               {L"-2147483648", INT_MIN}};
  for (const Case& c : cases)
    EXPECT_EQ(CUtil::wtoi(c.text), c.value) << testing::PrintToString(std::wstring(c.text));
}

TEST(CUtil, XmlReaders) {
  std::wstring node;
  EXPECT_TRUE(CUtil::GetNodeDataFromXMLData(L"<a><b>x</b><b>y</b></a>", L"<b>", L"</b>", node));
  EXPECT_EQ(node, L"x");
  EXPECT_FALSE(CUtil::GetNodeDataFromXMLData(L"<b>x", L"<b>", L"</b>", node));
  EXPECT_FALSE(CUtil::GetNodeDataFromXMLData(L"x</b>", L"<b>", L"</b>", node));

  std::wstring line;
  size_t next = 0;
  std::wstring_view xml = L"one\r\ntwo";
  ASSERT_TRUE(CUtil::GetNextLineFromXMLData(0, xml, line, next));
  EXPECT_EQ(line, L"one");
  ASSERT_TRUE(CUtil::GetNextLineFromXMLData(next, xml, line, next));
  EXPECT_EQ(line, L"two");
  EXPECT_FALSE(CUtil::GetNextLineFromXMLData(next, xml, line, next));

  std::wstring value;
  EXPECT_TRUE(CUtil::GetValueFromXMLData(L"<QZVPPD mykey=\"no\" key=\"*A\"/>", L"key", value));
  EXPECT_EQ(value, L"*A");
  EXPECT_FALSE(CUtil::GetValueFromXMLData(L"<QZVPPD key=\"open", L"key", value));
  EXPECT_FALSE(CUtil::GetKeyFromXMLData(L"<QZVPPD value=\"x\"/>", L"key", value));
}

TEST(CUtil, ReadsAFileOfWideCharacters) {
  auto path = std::filesystem::temp_directory_path() / "cutil-wide.bin";
  std::wstring text = L"wide\xE9";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(text.data(), sizeof(wchar_t), text.size(), f);
  std::fputc('x', f);  // a stray byte that makes no whole character
  std::fclose(f);
  EXPECT_EQ(CUtil::readFileWithWcharContent(path.c_str()), text);
  std::filesystem::remove(path);
  EXPECT_EQ(CUtil::readFileWithWcharContent(path.c_str()), std::nullopt);
}

TEST(KeyValueListBuilders, LinesFromTextAndFromAFile) {
  TestAllocator alloc;
  SDMKeyValueList* list = nullptr;
  std::vector<std::wstring_view> lines = {L"a=1", L"b=", L"c"};
  ASSERT_TRUE(SDMAllocKeyValueListFromKeyValueSetWChar(lines, alloc.Get(), 2, &list));
  EXPECT_EQ(Pairs(list), (SDMPairs{{L"a", L"1"}, {L"b", L""}}));
  EXPECT_FALSE(SDMAllocKeyValueListFromKeyValueSetWChar(lines, alloc.Get(), 4, &list));

  std::FILE* f = std::tmpfile();
  std::fputs("k=v\r\nk2=v\xC3\xA9\nrest", f);
  std::rewind(f);
  ASSERT_TRUE(SDMAllocKeyValueListFromKeyValueSet(f, alloc.Get(), 2, &list));
  EXPECT_EQ(Pairs(list), (SDMPairs{{L"k", L"v"}, {L"k2", L"v\xE9"}}));
  EXPECT_FALSE(SDMAllocKeyValueListFromKeyValueSet(f, alloc.Get(), 2, &list));
  std::fclose(f);

  testing::internal::CaptureStderr();
  PrintSDMKeyValueList(nullptr);
  SDMKeyValueList* two = nullptr;
  ASSERT_TRUE(SDMAllocKeyValueListFromKeyValueSetWChar(lines, alloc.Get(), 1, &two));
  PrintSDMKeyValueList(two);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "PrintSDMKeyValueList szKey0 =a\nPrintSDMKeyValueList szValue0 =1\n");
}

}  // namespace
