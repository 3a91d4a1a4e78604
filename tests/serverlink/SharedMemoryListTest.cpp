#include "serverlink/SharedMemoryList.h"

#include <gtest/gtest.h>

#include <cstring>

#include "serverlink/WideText.h"

namespace {

class SharedRecord : public ::testing::Test {
 protected:
  void SetUp() override {
    shared_ = NewSharedMemoryList();
    GetSharedListState() = SharedListState();
  }
  std::string Value(size_t i) const {
    return std::string(FieldText(shared_->values[i], kSharedValueWidth));
  }
  std::string Key(size_t i) const {
    return std::string(FieldText(shared_->keys[i], kSharedKeyWidth));
  }
  std::string Text(const char* field, size_t width) const {
    return std::string(FieldText(field, width));
  }
  void Store(HeapSDMList& list) {
    ASSERT_TRUE(Create_SharedMemoryList_From_SDMList(shared_.get(), list.Get()));
  }
  SDMPairs Back() {
    HeapSDMList out;
    EXPECT_TRUE(Create_SDMList_From_SharedMemoryList(out, shared_.get()));
    return out.Pairs();
  }
  std::unique_ptr<SharedMemoryList> shared_;
};

TEST_F(SharedRecord, ValuesAndKeysAreCutToTheirFieldsOnWholeCharacters) {
  struct Case {
    std::wstring value;
    size_t storedBytes;
  } cases[] = {
      {std::wstring(699, L'a'), 699},
      {std::wstring(700, L'a'), 699},
      {std::wstring(5000, L'a'), 699},
      {std::wstring(698, L'a') + L"\xE9", 698},     // a two-byte character does not fit
      {std::wstring(697, L'a') + L"\xE9", 699},     // it does
      {std::wstring(696, L'a') + L"\x1F600", 696},  // four bytes never split
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value.size());
    HeapSDMList list;
    list.Add(std::wstring(100, L'k'), c.value);
    Store(list);
    EXPECT_EQ(Value(0).size(), c.storedBytes);
    EXPECT_EQ(Key(0), std::string(63, 'k'));
    EXPECT_EQ(shared_->values[0][kSharedValueWidth - 1], '\0');
  }
}

TEST_F(SharedRecord, ByteOrderMarkTravelsAsSixLetters) {
  HeapSDMList list;
  list.Add(L"Note", L"\xFEFFhello \xFEFF");
  list.Add(L"Plain", L"EFBBBF");
  list.Add(L"Mid", L"xEFBBBF");
  Store(list);
  EXPECT_EQ(Value(0), "EFBBBFhello \xEF\xBB\xBF");
  SDMPairs back = Back();
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[0].second, L"\xFEFFhello \xFEFF");
  EXPECT_EQ(back[1].second, L"\xFEFF");  // the letters alone stand for the mark
  EXPECT_EQ(back[2].second, L"xEFBBBF");
}

TEST_F(SharedRecord, CountsStayWithinTheRecord) {
  HeapSDMList big;
  for (int i = 0; i < 3005; ++i) big.Add(L"K" + std::to_wstring(i), L"v");
  Store(big);
  EXPECT_EQ(Text(shared_->count, sizeof shared_->count), "3000");
  EXPECT_EQ(Back().size(), 3000u);

  for (const char* hostile : {"9999", "-5", "abc", "30000"}) {
    SCOPED_TRACE(hostile);
    std::memcpy(shared_->count, hostile, std::min<size_t>(strlen(hostile), 5));
    shared_->count[4] = '\0';
    EXPECT_LE(Back().size(), kSharedMaxPairs);
  }
  SetSharedNumber(shared_->count, 123456);
  EXPECT_EQ(Text(shared_->count, 5), "9999");
  SetSharedNumber(shared_->result, -12345);
  EXPECT_EQ(Text(shared_->result, 4), "-99");
}

TEST_F(SharedRecord, ReloadFlagClearsItselfAndTheExtraRoom) {
  SetSharedField(shared_->reloadFlag, "7");
  SetSharedField(shared_->extraCount, "12");
  HeapSDMList list;
  list.Add(L"A", L"1");
  Store(list);
  EXPECT_EQ(Text(shared_->reloadFlag, 32), "0");
  EXPECT_EQ(Text(shared_->extraCount, 5), "0");
}

TEST_F(SharedRecord, WatermarksAreCappedAtTwenty) {
  HeapSDMList marks;
  for (int i = 0; i < 25; ++i) marks.Add(std::to_wstring(i), L"Mark " + std::to_wstring(i));
  ASSERT_TRUE(Create_SharedMemoryWatermarkList_From_SDMList(shared_.get(), marks.Get()));
  EXPECT_EQ(Text(shared_->watermarkCount, 3), "20");
  EXPECT_EQ(Text(shared_->watermarkNames[19], 256), "Mark 19");

  SetSharedField(shared_->watermarkIds[0], "7");
  SetSharedField(shared_->watermarkCount, "99");
  HeapSDMList back;
  ASSERT_TRUE(Create_SDMWatermarkList_From_SharedMemoryList(back, shared_.get()));
  ASSERT_EQ(back.Count(), 20u);
  EXPECT_EQ(back.Pairs()[0], std::make_pair(std::wstring(L"7"), std::wstring(L"Mark 0")));
  EXPECT_FALSE(Create_SharedMemoryWatermarkList_From_SDMList(shared_.get(), nullptr));
}

TEST_F(SharedRecord, AChangedSettingVoidsTheChosenServerPreset) {
  auto returned = [] {
    HeapSDMList list;
    list.Add(L"Duplex", L"DuplexNoTumble");
    list.Add(L"PresetName", L"Office");
    list.Add(L"QZStaple", L"TopLeft");
    return list;
  };
  // Unchanged: the preset stays.
  HeapSDMList first = returned();
  Store(first);
  EXPECT_EQ(Back()[1].second, L"Office");

  // One other setting changed after the preset came back: the preset goes.
  HeapSDMList second = returned();
  Store(second);
  SetSharedField(shared_->values[2], "BottomRight");
  SDMPairs back = Back();
  EXPECT_EQ(back[1].first, L"PresetName");
  EXPECT_EQ(back[1].second, L"");
  EXPECT_EQ(back[2].second, L"BottomRight");

  // The flags are spent: the next list sends what the record holds.
  EXPECT_EQ(Back()[1].second, L"Office");

  // A key the list repeats with other values is no change.
  HeapSDMList repeated;
  repeated.Add(L"PageRange", L"1-2");
  repeated.Add(L"PageRange", L"5");
  repeated.Add(L"PresetName", L"Office");
  Store(repeated);
  EXPECT_EQ(Back()[2].second, L"Office");
}

TEST_F(SharedRecord, NullListsAndRecordsAreRefused) {
  HeapSDMList out;
  EXPECT_FALSE(Create_SDMList_From_SharedMemoryList(out, nullptr));
  EXPECT_FALSE(Create_SharedMemoryList_From_SDMList(shared_.get(), nullptr));
  SDMKeyValueList hollow{5, nullptr};
  ASSERT_TRUE(Create_SharedMemoryList_From_SDMList(shared_.get(), &hollow));
  EXPECT_EQ(Text(shared_->count, 5), "0");
  SDMKeyValue nulls[2] = {{nullptr, nullptr}, {nullptr, const_cast<wchar_t*>(L"v")}};
  SDMKeyValueList withNulls{2, nulls};
  ASSERT_TRUE(Create_SharedMemoryList_From_SDMList(shared_.get(), &withNulls));
  EXPECT_EQ(Value(1), "v");
  EXPECT_EQ(Key(0), "");
}

}  // namespace
