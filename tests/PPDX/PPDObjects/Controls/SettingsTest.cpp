#include "PPDX/PPDObjects/Controls/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/MemoryHandle.h"

namespace {

constexpr unsigned int kKyWd = 0x4B795764;  // 'KyWd'
constexpr unsigned int kIsVs = 0x69735673;  // 'isVs'

struct Walked {
  unsigned int tag;
  int id;
  int size;
  int attributes;
  bool operator==(const Walked&) const = default;
};

std::vector<Walked> Walk(Settings& s) {
  std::vector<Walked> out;
  Walked w{};
  for (int16_t st = s.First(w.tag, w.id, w.size, w.attributes); st == kSettingsNoErr;
       st = s.Next(w.tag, w.id, w.size, w.attributes))
    out.push_back(w);
  return out;
}

std::vector<uint8_t> Bytes(std::initializer_list<int> v) {
  std::vector<uint8_t> out;
  for (int b : v) out.push_back(static_cast<uint8_t>(b));
  return out;
}

std::vector<uint8_t> ItemBytes(Settings& s, unsigned int tag, int id) {
  int size = 0;
  if (s.Get(tag, id, nullptr, size, false) != kSettingsNoErr) return {};
  std::vector<uint8_t> out(static_cast<size_t>(size));
  s.Get(tag, id, out.data(), size, false);
  return out;
}

std::vector<uint8_t> Flat(Settings& s) {
  char** h = nullptr;
  EXPECT_EQ(s.GetSettingsHandle(&h), kSettingsNoErr);
  std::vector<uint8_t> out(reinterpret_cast<uint8_t*>(*h),
                           reinterpret_cast<uint8_t*>(*h) + GetHandleSize(h));
  DisposeHandle(h);
  return out;
}

char** HandleWith(const std::vector<uint8_t>& bytes) {
  char** h = NewHandle(bytes.size());
  if (!bytes.empty()) std::memcpy(*h, bytes.data(), bytes.size());
  return h;
}

// A store of three items of different sizes, as the model writes them.
Settings SampleStore() {
  Settings s;
  int32_t visible = 1;
  int64_t count = 3;
  s.Add(kKyWd, 5001, "*PageSize", 9);
  s.Add(kIsVs, 5001, &visible, 4);
  s.Add(5000, 5002, &count, 8);
  return s;
}

class StreamThatFails : public DataStream {
 public:
  explicit StreamThatFails(bool ready) : ready_(ready) {}
  bool Ready() const override { return ready_; }
  bool Write(const void*, size_t) override { return false; }
  size_t Read(void*, size_t) override { return 0; }
  size_t Size() const override { return 0; }

 private:
  bool ready_;
};

TEST(Settings, EmptyStoreWalksNothing) {
  Settings s;
  EXPECT_TRUE(s.Valid());
  EXPECT_TRUE(s.Empty());
  EXPECT_EQ(s.Count(), 0);
  unsigned int tag = 7;
  int id = 7, size = 7, attr = 7;
  EXPECT_EQ(s.First(tag, id, size, attr), kSettingsEmpty);
  EXPECT_EQ(Walked(tag, id, size, attr), Walked(0, 0, 0, 0));
  EXPECT_EQ(s.Next(tag, id, size, attr), kSettingsEmpty);
  EXPECT_EQ(s.LastError(), kSettingsEmpty);
}

TEST(Settings, AddGetAndSizeQuery) {
  Settings s = SampleStore();
  int size = 0;
  EXPECT_EQ(s.Get(kKyWd, 5001, nullptr, size, true), kSettingsNoErr);  // size query: no rule
  EXPECT_EQ(size, 9);
  char text[16] = {};
  size = sizeof text;
  EXPECT_EQ(s.Get(kKyWd, 5001, text, size, false), kSettingsNoErr);
  EXPECT_EQ(size, 9);
  EXPECT_STREQ(text, "*PageSize");

  // A smaller capacity copies that much and still reports the item's size.
  char small[4] = {'x', 'x', 'x', 'x'};
  size = 3;
  EXPECT_EQ(s.Get(kKyWd, 5001, small, size, false), kSettingsNoErr);
  EXPECT_EQ(size, 9);
  EXPECT_EQ(std::string(small, 4), "*Pax");

  size = 5;
  EXPECT_EQ(s.Get(kKyWd, 5002, text, size, false), kSettingsItemNotFound);
  EXPECT_EQ(s.LastError(), kSettingsItemNotFound);
  EXPECT_EQ(s.Get(kIsVs + 1, 5001, nullptr, size, false), kSettingsItemNotFound);
  // Same id under another tag and same tag under another id are separate items.
  EXPECT_EQ(s.Count(), 3);
}

TEST(Settings, BadArgumentsChangeNothing) {
  Settings s = SampleStore();
  EXPECT_EQ(s.Add(1, 1, nullptr, 4), kSettingsParamErr);
  EXPECT_EQ(s.Add(1, 1, "abc", -1), kSettingsParamErr);
  EXPECT_EQ(s.Set(kKyWd, 5001, nullptr, 3), kSettingsParamErr);
  char buf[4];
  int size = -1;
  EXPECT_EQ(s.Get(kKyWd, 5001, buf, size, false), kSettingsParamErr);
  EXPECT_EQ(s.Count(), 3);
  EXPECT_EQ(ItemBytes(s, kKyWd, 5001).size(), 9u);
  // An empty item is allowed and has size 0.
  EXPECT_EQ(s.Add(1, 1, nullptr, 0), kSettingsNoErr);
  size = 99;
  EXPECT_EQ(s.Get(1, 1, buf, size, false), kSettingsNoErr);
  EXPECT_EQ(size, 0);
}

TEST(Settings, AddOfExistingKeyReplacesDataInPlace) {
  Settings s = SampleStore();
  EXPECT_EQ(s.Add(kKyWd, 5001, "*MediaType", 10), kSettingsNoErr);
  EXPECT_EQ(s.Count(), 3);
  auto walked = Walk(s);
  ASSERT_EQ(walked.size(), 3u);
  EXPECT_EQ(walked[0], Walked(kKyWd, 5001, 10, kSettingsDefaultAttributes));
  EXPECT_EQ(ItemBytes(s, kKyWd, 5001),
            std::vector<uint8_t>(std::begin("*MediaType"), std::begin("*MediaType") + 10));
}

TEST(Settings, SetAndRemove) {
  Settings s = SampleStore();
  EXPECT_EQ(s.Set(kKyWd, 5001, "*Duplex", 7), kSettingsNoErr);
  EXPECT_EQ(ItemBytes(s, kKyWd, 5001).size(), 7u);
  EXPECT_EQ(s.Set(kKyWd, 9999, "x", 1), kSettingsItemNotFound);
  EXPECT_EQ(s.Count(), 3);

  EXPECT_EQ(s.Remove(kIsVs, 5001), kSettingsNoErr);
  EXPECT_EQ(s.Remove(kIsVs, 5001), kSettingsItemNotFound);
  auto walked = Walk(s);
  ASSERT_EQ(walked.size(), 2u);
  EXPECT_EQ(walked[0].tag, kKyWd);
  EXPECT_EQ(walked[1].tag, 5000u);
  // The removed key can be added again; it goes to the end.
  int32_t v = 0;
  EXPECT_EQ(s.Add(kIsVs, 5001, &v, 4), kSettingsNoErr);
  EXPECT_EQ(Walk(s).back().tag, kIsVs);
  EXPECT_EQ(ItemBytes(s, 5000, 5002).size(), 8u);  // positions moved, lookups still right
}

TEST(Settings, LockedItemsRefuseChangesButRead) {
  Settings s = SampleStore();
  ASSERT_EQ(s.Lock(kKyWd, 5001), kSettingsNoErr);
  EXPECT_EQ(Walk(s)[0].attributes, kSettingsDefaultAttributes | kSettingsLockAttribute);
  EXPECT_EQ(s.Add(kKyWd, 5001, "x", 1), kSettingsItemLocked);
  EXPECT_EQ(s.Set(kKyWd, 5001, "x", 1), kSettingsItemLocked);
  EXPECT_EQ(s.Remove(kKyWd, 5001), kSettingsItemLocked);
  EXPECT_EQ(ItemBytes(s, kKyWd, 5001).size(), 9u);
  EXPECT_EQ(s.Unlock(kKyWd, 5001), kSettingsNoErr);
  EXPECT_EQ(s.Set(kKyWd, 5001, "x", 1), kSettingsNoErr);
  EXPECT_EQ(s.Lock(1, 2), kSettingsItemNotFound);

  EXPECT_EQ(s.SetAttribute(kIsVs, 5001, 0x00000011, true), kSettingsNoErr);
  EXPECT_EQ(s.SetAttribute(kIsVs, 5001, kSettingsPersistentAttribute, false), kSettingsNoErr);
  EXPECT_EQ(Walk(s)[1].attributes, 0x11);
  EXPECT_EQ(s.SetAttribute(kIsVs, 5001, 0x01, false), kSettingsNoErr);
  EXPECT_EQ(Walk(s)[1].attributes, 0x10);
}

TEST(Settings, WalkInInsertionOrderThenEnd) {
  Settings s = SampleStore();
  EXPECT_EQ(Walk(s), (std::vector<Walked>{{kKyWd, 5001, 9, kSettingsDefaultAttributes},
                                          {kIsVs, 5001, 4, kSettingsDefaultAttributes},
                                          {5000, 5002, 8, kSettingsDefaultAttributes}}));
  // Past the end: 1002, out parameters 0, and it stays there.
  for (int i = 0; i < 3; ++i) {
    unsigned int tag = 1;
    int id = 1, size = 1, attr = 1;
    EXPECT_EQ(s.Next(tag, id, size, attr), kSettingsEnd);
    EXPECT_EQ(Walked(tag, id, size, attr), Walked(0, 0, 0, 0));
  }
  // First starts over.
  unsigned int tag;
  int id, size, attr;
  EXPECT_EQ(s.First(tag, id, size, attr), kSettingsNoErr);
  EXPECT_EQ(tag, kKyWd);
}

TEST(Settings, StoreWithoutCollection) {
  OpaqueCollection* none = nullptr;
  Settings s(none);
  EXPECT_FALSE(s.Valid());
  int size = 4;
  unsigned int tag;
  int id, attr;
  char** h = reinterpret_cast<char**>(1);
  MemoryDataStream stream;
  for (int16_t status :
       {s.Add(1, 1, "x", 1), s.Get(1, 1, nullptr, size, false), s.Set(1, 1, "x", 1), s.Remove(1, 1),
        s.Lock(1, 1), s.First(tag, id, size, attr), s.Next(tag, id, size, attr),
        s.GetSettingsHandle(&h), s.Save(&stream), s.Read(&stream, 0)})
    EXPECT_EQ(status, kSettingsNoCollection);
  EXPECT_EQ(h, nullptr);
  EXPECT_EQ(s.Count(), 0);
  EXPECT_EQ(s.LastError(), kSettingsNoCollection);
}

TEST(Settings, AdoptCopyAndAssign) {
  auto* c = new OpaqueCollection;
  c->Append(SettingsItem{kKyWd, 7, 0, {1, 2, 3}});
  OpaqueCollection* given = c;
  Settings adopted(given);
  EXPECT_EQ(given, nullptr);  // the store owns it now
  EXPECT_TRUE(adopted.Valid());
  EXPECT_EQ(ItemBytes(adopted, kKyWd, 7), Bytes({1, 2, 3}));

  Settings copy(adopted);
  copy.Set(kKyWd, 7, "z", 1);
  EXPECT_EQ(ItemBytes(adopted, kKyWd, 7), Bytes({1, 2, 3}));  // deep copy

  Settings assigned;
  assigned.Add(1, 1, "a", 1);
  assigned = adopted;
  EXPECT_EQ(assigned.Count(), 1);
  EXPECT_EQ(ItemBytes(assigned, kKyWd, 7), Bytes({1, 2, 3}));
  assigned = *&assigned;
  EXPECT_EQ(assigned.Count(), 1);

  OpaqueCollection* none = nullptr;
  Settings invalid(none);
  assigned = invalid;
  EXPECT_FALSE(assigned.Valid());
}

// --- byte-order rule -------------------------------------------------------

std::vector<uint8_t> Native64(uint64_t v) {
  std::vector<uint8_t> out(8);
  std::memcpy(out.data(), &v, 8);
  return out;
}

struct ProbeCase {
  const char* name;
  std::vector<uint8_t> probe;  // empty: no probe item
  bool foreign;
};

class ByteOrderRule : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(ByteOrderRule, SwapsOnlyForForeignStores) {
  const ProbeCase& pc = GetParam();
  Settings s;
  if (!pc.probe.empty())
    s.Add(kSettingsProbeTag, kSettingsProbeId, pc.probe.data(), int(pc.probe.size()));
  EXPECT_EQ(s.ForeignByteOrder(), pc.foreign);

  std::vector<uint8_t> seventy(70);
  for (int i = 0; i < 70; ++i) seventy[i] = uint8_t(i + 1);
  std::vector<uint8_t> seventySwapped = seventy;
  std::swap(seventySwapped[0], seventySwapped[1]);
  std::swap(seventySwapped[2], seventySwapped[5]);
  std::swap(seventySwapped[3], seventySwapped[4]);

  struct Item {
    std::vector<uint8_t> stored, swapped;
    int16_t status;  // with the flag, in either order
  };
  const std::vector<Item> items = {
      {Bytes({1, 2}), Bytes({2, 1}), kSettingsNoErr},
      {Bytes({1, 2, 3, 4}), Bytes({4, 3, 2, 1}), kSettingsNoErr},
      {seventy, seventySwapped, kSettingsNoErr},
      {Bytes({1, 2, 3, 4, 5, 6, 7, 8}), Bytes({1, 2, 3, 4, 5, 6, 7, 8}), kSettingsSizeNotSwapped},
      {Bytes({1, 2, 3}), Bytes({1, 2, 3}), kSettingsSizeNotSwapped},
      {Bytes({1}), Bytes({1}), kSettingsSizeNotSwapped},
  };
  for (size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE(i);
    const Item& it = items[i];
    s.Add(kKyWd, int(i), it.stored.data(), int(it.stored.size()));
    std::vector<uint8_t> got(it.stored.size());
    int size = int(got.size());
    EXPECT_EQ(s.Get(kKyWd, int(i), got.data(), size, true), it.status);
    EXPECT_EQ(got, pc.foreign ? it.swapped : it.stored);
    // Without the flag: the read's own status, nothing swapped.
    size = int(got.size());
    EXPECT_EQ(s.Get(kKyWd, int(i), got.data(), size, false), kSettingsNoErr);
    EXPECT_EQ(got, it.stored);
  }
}

// A property count of 5 written by a machine of the other byte order.
std::vector<uint8_t> OtherOrder64(uint64_t v) {
  std::vector<uint8_t> out = Native64(v);
  std::reverse(out.begin(), out.end());
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Probe, ByteOrderRule,
    ::testing::Values(ProbeCase{"NoProbe", {}, false},
                      ProbeCase{"Count10000", Native64(10000), false},
                      ProbeCase{"Count10001", Native64(10001), true},
                      ProbeCase{"Count5", Native64(5), false},
                      ProbeCase{"Count5OtherOrder", OtherOrder64(5), true},
                      // A count whose low byte has the top bit set, seen from
                      // the other order, is still recognised.
                      ProbeCase{"Count200OtherOrder", OtherOrder64(200), true},
                      ProbeCase{"ProbeOf4Bytes", Bytes({0xFF, 0xFF, 0xFF, 0x7F}), false},
                      ProbeCase{"ProbeOf9Bytes", Bytes({0, 0, 0, 0, 0, 0, 0, 1, 0}), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Settings, ForeignPartialReadIsNotSwappedNorOverrun) {
  Settings s;
  auto probe = Native64(20000);
  s.Add(kSettingsProbeTag, kSettingsProbeId, probe.data(), 8);
  s.Add(1, 1, "\x01\x02\x03\x04", 4);
  std::array<uint8_t, 4> buf = {0xEE, 0xEE, 0xEE, 0xEE};
  int size = 2;
  EXPECT_EQ(s.Get(1, 1, buf.data(), size, true), kSettingsSizeNotSwapped);
  EXPECT_EQ(size, 4);
  EXPECT_EQ(buf, (std::array<uint8_t, 4>{1, 2, 0xEE, 0xEE}));
}

// --- flattened form ----------------------------------------------------------

TEST(Settings, FlattenedBytesAreFixed) {
  Settings s;
  s.Add(0x4B795764, -2, "ab", 2);
  s.Add(7, 0x01020304, nullptr, 0);
  s.Lock(7, 0x01020304);
  // clang-format off
  const auto expected = Bytes({
      'T', 'V', 'S', 'S', 0, 0, 0, 1, 0, 0, 0, 2,
      0x4B, 0x79, 0x57, 0x64, 0xFF, 0xFF, 0xFF, 0xFE, 0x40, 0, 0, 0, 0, 0, 0, 2, 'a', 'b',
      0, 0, 0, 7, 1, 2, 3, 4, 0xC0, 0, 0, 0, 0, 0, 0, 0});
  // clang-format on
  EXPECT_EQ(Flat(s), expected);
}

TEST(Settings, RoundTripThroughHandleAndStream) {
  Settings s = SampleStore();
  s.SetAttribute(kIsVs, 5001, 0x1234, true);
  s.Add(9, 9, nullptr, 0);
  const auto before = Walk(s);

  char** h = nullptr;
  ASSERT_EQ(s.GetSettingsHandle(&h), kSettingsNoErr);
  Settings fromHandle(h);
  DisposeHandle(h);
  EXPECT_EQ(fromHandle.LastError(), kSettingsNoErr);
  EXPECT_EQ(Walk(fromHandle), before);
  EXPECT_EQ(ItemBytes(fromHandle, kKyWd, 5001), ItemBytes(s, kKyWd, 5001));

  MemoryDataStream stream;
  ASSERT_EQ(s.Save(&stream), kSettingsNoErr);
  EXPECT_EQ(stream.Bytes(), Flat(s));
  for (unsigned long length : {0ul, (unsigned long)stream.Size()}) {
    MemoryDataStream in(stream.Bytes());
    Settings r;
    EXPECT_EQ(r.Read(&in, length), kSettingsNoErr);
    EXPECT_EQ(Walk(r), before);
    EXPECT_EQ(Flat(r), stream.Bytes());
  }
}

TEST(Settings, NullHandleGivesParamErrAndEmptyStore) {
  Settings s(static_cast<char**>(nullptr));
  EXPECT_EQ(s.LastError(), kSettingsParamErr);
  EXPECT_TRUE(s.Valid());
  EXPECT_TRUE(s.Empty());
}

TEST(Settings, ReadMergesLikeAdd) {
  Settings source;
  source.Add(1, 1, "new", 3);
  source.Add(2, 2, "two", 3);
  MemoryDataStream flat;
  source.Save(&flat);

  Settings s;
  s.Add(0, 0, "zero", 4);
  s.Add(1, 1, "old", 3);
  MemoryDataStream in(flat.Bytes());
  EXPECT_EQ(s.Read(&in, 0), kSettingsNoErr);
  auto walked = Walk(s);
  ASSERT_EQ(walked.size(), 3u);
  EXPECT_EQ(walked[1].tag, 1u);  // replaced in place
  EXPECT_EQ(ItemBytes(s, 1, 1), Bytes({'n', 'e', 'w'}));

  // A locked item in the way refuses the whole read.
  Settings locked;
  locked.Add(2, 2, "keep", 4);
  locked.Lock(2, 2);
  MemoryDataStream again(flat.Bytes());
  EXPECT_EQ(locked.Read(&again, 0), kSettingsItemLocked);
  EXPECT_EQ(locked.Count(), 1);
  EXPECT_EQ(ItemBytes(locked, 2, 2), Bytes({'k', 'e', 'e', 'p'}));
}

TEST(Settings, StreamFailures) {
  Settings s = SampleStore();
  StreamThatFails notReady(false), failing(true);
  EXPECT_EQ(s.Save(nullptr), kSettingsStreamNotReady);
  EXPECT_EQ(s.Save(&notReady), kSettingsStreamNotReady);
  EXPECT_EQ(s.Read(nullptr, 0), kSettingsStreamNotReady);
  EXPECT_EQ(s.Read(&notReady, 10), kSettingsStreamNotReady);
  EXPECT_EQ(s.Save(&failing), kSettingsWriteErr);
  EXPECT_EQ(s.GetSettingsHandle(nullptr), kSettingsParamErr);

  // Asking for more bytes than the stream holds.
  MemoryDataStream flat;
  s.Save(&flat);
  MemoryDataStream in(flat.Bytes());
  Settings r;
  EXPECT_EQ(r.Read(&in, flat.Size() + 1), kSettingsEOFErr);
  EXPECT_TRUE(r.Empty());
  // An empty stream is not a store.
  MemoryDataStream empty;
  EXPECT_EQ(r.Read(&empty, 0), kSettingsBadFlatData);
}

// Reads bytes into a store that already holds one item, and checks that a
// failure leaves that item alone.
int16_t ReadInto(const std::vector<uint8_t>& bytes, Settings& s) {
  MemoryDataStream in(bytes);
  return s.Read(&in, bytes.size());
}

TEST(Settings, EveryTruncationIsRejected) {
  Settings sample = SampleStore();
  const auto flat = Flat(sample);
  for (size_t n = 0; n < flat.size(); ++n) {
    SCOPED_TRACE(n);
    std::vector<uint8_t> cut(flat.begin(), flat.begin() + n);
    Settings s;
    s.Add(42, 42, "mine", 4);
    EXPECT_EQ(ReadInto(cut, s), kSettingsBadFlatData);
    EXPECT_EQ(s.Count(), 1);
    char** h = HandleWith(cut);
    Settings fromHandle(h);
    DisposeHandle(h);
    EXPECT_EQ(fromHandle.LastError(), kSettingsBadFlatData);
    EXPECT_TRUE(fromHandle.Empty());
  }
}

TEST(Settings, CorruptedFlatStoresAreRejected) {
  Settings one;
  one.Add(1, 2, "abcd", 4);
  const auto good = Flat(one);  // 12-byte header, one 16-byte item head, 4 bytes
  ASSERT_EQ(good.size(), 32u);
  auto with = [&](size_t at, std::initializer_list<int> bytes) {
    auto v = good;
    size_t i = at;
    for (int b : bytes) v[i++] = uint8_t(b);
    return v;
  };
  auto appended = [&](std::vector<uint8_t> tail) {
    auto v = good;
    v.insert(v.end(), tail.begin(), tail.end());
    return v;
  };
  std::vector<uint8_t> twoSame = with(8, {0, 0, 0, 2});
  twoSame.insert(twoSame.end(), good.begin() + 12, good.end());

  const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
      {"magic", with(0, {'X'})},
      {"version 0", with(4, {0, 0, 0, 0})},
      {"version 2", with(4, {0, 0, 0, 2})},
      {"count larger than the bytes", with(8, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"count one too many", with(8, {0, 0, 0, 2})},
      {"size past the end", with(24, {0, 0, 0, 5})},
      {"forged huge size", with(24, {0x7F, 0xFF, 0xFF, 0xF0})},
      {"size above 2^31-1", with(24, {0x80, 0, 0, 4})},
      {"repeated key", twoSame},
      {"trailing byte", appended({0})},
      {"count zero with an item after it", with(8, {0, 0, 0, 0})},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    Settings s;
    s.Add(42, 42, "mine", 4);
    EXPECT_EQ(ReadInto(bytes, s), kSettingsBadFlatData);
    EXPECT_EQ(s.Count(), 1);
    EXPECT_EQ(ItemBytes(s, 42, 42).size(), 4u);
  }
  Settings fine;
  EXPECT_EQ(ReadInto(good, fine), kSettingsNoErr);
  EXPECT_EQ(ItemBytes(fine, 1, 2), Bytes({'a', 'b', 'c', 'd'}));
}

TEST(MemoryHandle, SizeAndZeroFill) {
  char** h = NewHandle(5);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetHandleSize(h), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ((*h)[i], 0);
  DisposeHandle(h);
  char** empty = NewHandle(0);
  ASSERT_NE(empty, nullptr);
  EXPECT_NE(*empty, nullptr);
  EXPECT_EQ(GetHandleSize(empty), 0u);
  DisposeHandle(empty);
  EXPECT_EQ(GetHandleSize(nullptr), 0u);
  DisposeHandle(nullptr);
}

}  // namespace
