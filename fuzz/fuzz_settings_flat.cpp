// links: tavro_ppdx
// Arbitrary bytes as a flattened settings store: read through a handle and a
// stream, walk every item, read each with and without the byte-order rule, and
// check that a store that reads back flattens to exactly the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "PPDX/PPDObjects/Controls/MemoryHandle.h"
#include "PPDX/PPDObjects/Controls/Settings.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::vector<uint8_t> Flat(Settings& s) {
  char** h = nullptr;
  Check(s.GetSettingsHandle(&h) == kSettingsNoErr && h);
  std::vector<uint8_t> out(reinterpret_cast<uint8_t*>(*h),
                           reinterpret_cast<uint8_t*>(*h) + GetHandleSize(h));
  DisposeHandle(h);
  return out;
}

void WalkAndRead(Settings& s) {
  unsigned int tag;
  int id, size, attributes;
  int walked = 0;
  for (int16_t st = s.First(tag, id, size, attributes); st == kSettingsNoErr;
       st = s.Next(tag, id, size, attributes)) {
    ++walked;
    int asked = 0;
    Check(s.Get(tag, id, nullptr, asked, true) == kSettingsNoErr && asked == size);
    std::vector<uint8_t> whole(static_cast<size_t>(size) + 1);
    int capacity = size;
    int16_t status = s.Get(tag, id, whole.data(), capacity, true);
    Check(status == kSettingsNoErr || status == kSettingsSizeNotSwapped);
    // A short buffer: the copy stops at its end.
    capacity = size / 2;
    s.Get(tag, id, whole.data(), capacity, true);
    capacity = size;
    Check(s.Get(tag, id, whole.data(), capacity, false) == kSettingsNoErr);
  }
  Check(walked == s.Count());
  Check(s.Next(tag, id, size, attributes) != kSettingsNoErr && tag == 0 && id == 0 && size == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  char** h = NewHandle(size);
  if (!h) return 0;
  if (size) std::memcpy(*h, data, size);
  Settings fromHandle(h);
  DisposeHandle(h);
  const bool good = fromHandle.LastError() == kSettingsNoErr;
  WalkAndRead(fromHandle);
  if (good) {
    // The format is canonical: what reads back writes the same bytes.
    Check(Flat(fromHandle) == std::vector<uint8_t>(data, data + size));
  } else {
    Check(fromHandle.Empty());
  }

  // The same bytes through a stream, into a store that holds a locked item.
  Settings s;
  s.Add(1, 1, "held", 4);
  s.Lock(1, 1);
  MemoryDataStream in(std::vector<uint8_t>(data, data + size));
  int16_t status = s.Read(&in, 0);
  if (status != kSettingsNoErr) {
    int n = 0;
    Check(s.Count() == 1 && s.Get(1, 1, nullptr, n, false) == kSettingsNoErr && n == 4);
  } else {
    Check(good);
  }
  WalkAndRead(s);

  // Change the store read from the handle and check it still round-trips.
  if (good && !fromHandle.Empty()) {
    unsigned int tag;
    int id, isize, attributes;
    fromHandle.First(tag, id, isize, attributes);
    fromHandle.Unlock(tag, id);
    fromHandle.Remove(tag, id);
    fromHandle.Add(tag, id, "x", 1);
    std::vector<uint8_t> flat = Flat(fromHandle);
    MemoryDataStream again(flat);
    Settings back;
    Check(back.Read(&again, 0) == kSettingsNoErr && Flat(back) == flat);
  }
  return 0;
}
