// Flattened form of a settings store (what Save, GetSettingsHandle and
// Settings(char**) write, and Read takes). Every field is big-endian, so a
// store written on one machine reads on another; item bytes are kept exactly
// as they were added (their own byte order is the business of the byte-order
// probe, see Get).
//
//   offset  size  field
//   0       4     magic "TVSS" (54 56 53 53)
//   4       4     format version, 1
//   8       4     item count N
//   12      ...   N items in collection order, each:
//                   4  tag
//                   4  id (two's complement)
//                   4  attribute bits
//                   4  data size S, 0 .. 2^31-1
//                   S  data bytes
//
// Nothing follows the last item. Reading rejects (status -5753, nothing
// changed) a wrong magic or version, a count or size larger than the bytes
// that remain can hold, a repeated (tag, id), and bytes left over at the end.

#include "PPDX/PPDObjects/Controls/Settings.h"

#include <climits>
#include <cstring>
#include <new>
#include <unordered_set>
#include <utility>

#include "PPDX/PPDObjects/Controls/MemoryHandle.h"

namespace {

constexpr uint8_t kMagic[4] = {'T', 'V', 'S', 'S'};
constexpr uint32_t kFormatVersion = 1;
constexpr size_t kHeaderSize = 12;
constexpr size_t kItemHeaderSize = 16;
constexpr size_t kReadChunk = 64 * 1024;

void PutU32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

uint32_t GetU32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

size_t FlatSize(const OpaqueCollection& c) {
  size_t total = kHeaderSize;
  for (const SettingsItem& item : c.Items()) total += kItemHeaderSize + item.data.size();
  return total;
}

void Flatten(const OpaqueCollection& c, uint8_t* out) {
  std::memcpy(out, kMagic, 4);
  PutU32(out + 4, kFormatVersion);
  PutU32(out + 8, static_cast<uint32_t>(c.Count()));
  out += kHeaderSize;
  for (const SettingsItem& item : c.Items()) {
    PutU32(out, item.tag);
    PutU32(out + 4, static_cast<uint32_t>(item.id));
    PutU32(out + 8, item.attributes);
    PutU32(out + 12, static_cast<uint32_t>(item.data.size()));
    out += kItemHeaderSize;
    if (!item.data.empty()) std::memcpy(out, item.data.data(), item.data.size());
    out += item.data.size();
  }
}

// Parses flattened bytes; every length is checked against what remains
// before anything is read or allocated.
int16_t Unflatten(const uint8_t* p, size_t n, std::vector<SettingsItem>& out) {
  if (!p || n < kHeaderSize || std::memcmp(p, kMagic, 4) != 0) return kSettingsBadFlatData;
  if (GetU32(p + 4) != kFormatVersion) return kSettingsBadFlatData;
  uint32_t count = GetU32(p + 8);
  size_t pos = kHeaderSize;
  if (count > (n - pos) / kItemHeaderSize) return kSettingsBadFlatData;
  out.clear();
  out.reserve(count);
  std::unordered_set<uint64_t> keys;
  keys.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    if (n - pos < kItemHeaderSize) return kSettingsBadFlatData;
    SettingsItem item;
    item.tag = GetU32(p + pos);
    item.id = static_cast<int32_t>(GetU32(p + pos + 4));
    item.attributes = GetU32(p + pos + 8);
    uint32_t size = GetU32(p + pos + 12);
    pos += kItemHeaderSize;
    if (size > static_cast<uint32_t>(INT_MAX) || size > n - pos) return kSettingsBadFlatData;
    if (!keys.insert((uint64_t{item.tag} << 32) | static_cast<uint32_t>(item.id)).second)
      return kSettingsBadFlatData;
    item.data.assign(p + pos, p + pos + size);
    pos += size;
    out.push_back(std::move(item));
  }
  return pos == n ? kSettingsNoErr : kSettingsBadFlatData;
}

void Swap16(uint8_t* p) {
  std::swap(p[0], p[1]);
}
void Swap32(uint8_t* p) {
  std::swap(p[0], p[3]);
  std::swap(p[1], p[2]);
}
bool RuleSize(size_t size) {
  return size == 2 || size == 4 || size == 70;
}

}  // namespace

Settings::Settings() : valid_(false) {
  collection_.reset(new (std::nothrow) OpaqueCollection);
  valid_ = collection_ != nullptr;
  lastError_ = valid_ ? kSettingsNoErr : kSettingsNoMemory;
}

Settings::Settings(OpaqueCollection*& collection) : valid_(collection != nullptr) {
  collection_.reset(collection);
  collection = nullptr;
  lastError_ = valid_ ? kSettingsNoErr : kSettingsNoCollection;
}

Settings::Settings(const Settings& other) {
  *this = other;
}

Settings& Settings::operator=(const Settings& other) {
  if (this == &other) return *this;
  index_ = 0;
  if (!other.collection_) {
    collection_.reset();
    valid_ = false;
    lastError_ = kSettingsNoCollection;
    return *this;
  }
  try {
    auto copy = std::make_unique<OpaqueCollection>(*other.collection_);
    collection_ = std::move(copy);
    valid_ = true;
    lastError_ = kSettingsNoErr;
  } catch (const std::bad_alloc&) {
    // Keep what we had rather than half a copy.
    lastError_ = kSettingsNoMemory;
  }
  return *this;
}

Settings::Settings(char** handle) : Settings() {
  if (!valid_) return;
  if (!handle) {
    Status(kSettingsParamErr);
    return;
  }
  std::vector<SettingsItem> items;
  int16_t status;
  try {
    status = Unflatten(reinterpret_cast<const uint8_t*>(*handle), GetHandleSize(handle), items);
  } catch (const std::bad_alloc&) {
    status = kSettingsNoMemory;
  }
  if (status == kSettingsNoErr) {
    for (SettingsItem& item : items) collection_->Append(std::move(item));
  }
  Status(status);
}

Settings::~Settings() = default;

int16_t Settings::Add(const unsigned int& tag, const int& id, const void* data, int size) {
  if (!collection_) return Status(kSettingsNoCollection);
  if (size < 0 || (size > 0 && !data)) return Status(kSettingsParamErr);
  const auto* bytes = static_cast<const uint8_t*>(data);
  try {
    if (SettingsItem* item = collection_->Find(tag, id)) {
      if (item->attributes & static_cast<uint32_t>(kSettingsLockAttribute))
        return Status(kSettingsItemLocked);
      item->data.assign(bytes, bytes + size);
      return Status(kSettingsNoErr);
    }
    SettingsItem item{tag, id, static_cast<uint32_t>(kSettingsDefaultAttributes),
                      std::vector<uint8_t>(bytes, bytes + size)};
    collection_->Append(std::move(item));
  } catch (const std::bad_alloc&) {
    return Status(kSettingsNoMemory);
  }
  return Status(kSettingsNoErr);
}

bool Settings::ForeignByteOrder() const {
  if (!collection_) return false;
  const SettingsItem* probe = collection_->Find(kSettingsProbeTag, kSettingsProbeId);
  if (!probe || probe->data.size() != 8) return false;
  // Compared unsigned: a small count written in the other order reads as a
  // huge value, and one whose low byte has the top bit set would read negative.
  uint64_t value;
  std::memcpy(&value, probe->data.data(), 8);
  return value >= kSettingsForeignThreshold;
}

int16_t Settings::Get(const unsigned int& tag, const int& id, void* data, int& size,
                      bool fixByteOrder) {
  if (!collection_) return Status(kSettingsNoCollection);
  const SettingsItem* item = collection_->Find(tag, id);
  if (!item) return Status(kSettingsItemNotFound);
  const size_t itemSize = item->data.size();
  if (!data) {
    size = static_cast<int>(itemSize);
    return Status(kSettingsNoErr);
  }
  if (size < 0) return Status(kSettingsParamErr);
  const size_t copied = std::min(itemSize, static_cast<size_t>(size));
  if (copied) std::memcpy(data, item->data.data(), copied);
  size = static_cast<int>(itemSize);
  if (!fixByteOrder) return Status(kSettingsNoErr);

  if (ForeignByteOrder()) {
    // Only a whole item is swapped: a partial copy would put the swapped
    // bytes in the wrong places, or past the caller's buffer.
    if (copied != itemSize || !RuleSize(itemSize)) return Status(kSettingsSizeNotSwapped);
    auto* p = static_cast<uint8_t*>(data);
    if (itemSize == 2) {
      Swap16(p);
    } else if (itemSize == 4) {
      Swap32(p);
    } else {
      Swap16(p);
      Swap32(p + 2);
    }
    return Status(kSettingsNoErr);
  }
  return Status(RuleSize(itemSize) ? kSettingsNoErr : kSettingsSizeNotSwapped);
}

int16_t Settings::Set(const unsigned int& tag, const int& id, const void* data, int size) {
  if (!collection_) return Status(kSettingsNoCollection);
  if (size < 0 || (size > 0 && !data)) return Status(kSettingsParamErr);
  SettingsItem* item = collection_->Find(tag, id);
  if (!item) return Status(kSettingsItemNotFound);
  if (item->attributes & static_cast<uint32_t>(kSettingsLockAttribute))
    return Status(kSettingsItemLocked);
  const auto* bytes = static_cast<const uint8_t*>(data);
  try {
    item->data.assign(bytes, bytes + size);
  } catch (const std::bad_alloc&) {
    return Status(kSettingsNoMemory);
  }
  return Status(kSettingsNoErr);
}

int16_t Settings::Remove(const unsigned int& tag, const int& id) {
  if (!collection_) return Status(kSettingsNoCollection);
  const SettingsItem* item = collection_->Find(tag, id);
  if (!item) return Status(kSettingsItemNotFound);
  if (item->attributes & static_cast<uint32_t>(kSettingsLockAttribute))
    return Status(kSettingsItemLocked);
  collection_->Erase(tag, id);
  return Status(kSettingsNoErr);
}

int16_t Settings::Change(const unsigned int& tag, const int& id, uint32_t mask, bool set) {
  if (!collection_) return Status(kSettingsNoCollection);
  SettingsItem* item = collection_->Find(tag, id);
  if (!item) return Status(kSettingsItemNotFound);
  if (set)
    item->attributes |= mask;
  else
    item->attributes &= ~mask;
  return Status(kSettingsNoErr);
}

int16_t Settings::Lock(const unsigned int& tag, const int& id) {
  return Change(tag, id, static_cast<uint32_t>(kSettingsLockAttribute), true);
}

int16_t Settings::Unlock(const unsigned int& tag, const int& id) {
  return Change(tag, id, static_cast<uint32_t>(kSettingsLockAttribute), false);
}

int16_t Settings::SetAttribute(const unsigned int& tag, const int& id, const int& mask,
                               const bool& set) {
  return Change(tag, id, static_cast<uint32_t>(mask), set);
}

int16_t Settings::ItemAt(int64_t position, unsigned int& tag, int& id, int& size, int& attributes) {
  tag = 0;
  id = 0;
  size = 0;
  attributes = 0;
  if (!collection_) return Status(kSettingsNoCollection);
  if (collection_->Count() == 0) return Status(kSettingsEmpty);
  const SettingsItem* item = collection_->AtPosition(position);
  if (!item) return Status(kSettingsEnd);
  tag = item->tag;
  id = item->id;
  size = static_cast<int>(item->data.size());
  attributes = static_cast<int>(item->attributes);
  return Status(kSettingsNoErr);
}

int16_t Settings::First(unsigned int& tag, int& id, int& size, int& attributes) {
  index_ = 1;
  return ItemAt(index_, tag, id, size, attributes);
}

int16_t Settings::Next(unsigned int& tag, int& id, int& size, int& attributes) {
  // Stops one past the end, so repeated calls keep answering 1002.
  if (collection_ && static_cast<uint64_t>(index_) <= collection_->Count()) ++index_;
  return ItemAt(index_, tag, id, size, attributes);
}

int Settings::Count() {
  if (!collection_) {
    Status(kSettingsNoCollection);
    return 0;
  }
  Status(kSettingsNoErr);
  return static_cast<int>(collection_->Count());
}

bool Settings::Empty() {
  return Count() == 0;
}

int16_t Settings::GetSettingsHandle(char*** handle) {
  if (!handle) return Status(kSettingsParamErr);
  *handle = nullptr;
  if (!collection_) return Status(kSettingsNoCollection);
  char** flat = NewHandle(FlatSize(*collection_));
  if (!flat) return Status(kSettingsNoMemory);
  Flatten(*collection_, reinterpret_cast<uint8_t*>(*flat));
  *handle = flat;
  return Status(kSettingsNoErr);
}

int16_t Settings::Save(DataStream* stream) {
  if (!stream || !stream->Ready()) return Status(kSettingsStreamNotReady);
  char** flat = nullptr;
  int16_t status = GetSettingsHandle(&flat);
  if (status != kSettingsNoErr) return status;
  bool written = stream->Write(*flat, GetHandleSize(flat));
  DisposeHandle(flat);
  return Status(written ? kSettingsNoErr : kSettingsWriteErr);
}

int16_t Settings::Read(DataStream* stream, unsigned long length) {
  if (!stream || !stream->Ready()) return Status(kSettingsStreamNotReady);
  if (!collection_) return Status(kSettingsNoCollection);
  if (length == 0) length = stream->Size();
  try {
    // Read in pieces, so a length larger than the stream costs no more memory
    // than the stream really holds.
    std::vector<uint8_t> bytes;
    while (bytes.size() < length) {
      size_t want = std::min<size_t>(kReadChunk, length - bytes.size());
      size_t have = bytes.size();
      bytes.resize(have + want);
      size_t got = stream->Read(bytes.data() + have, want);
      bytes.resize(have + std::min(got, want));
      if (got < want) return Status(kSettingsEOFErr);
    }
    std::vector<SettingsItem> items;
    int16_t status = Unflatten(bytes.data(), bytes.size(), items);
    if (status != kSettingsNoErr) return Status(status);

    // Items join the collection as Add would put them: a key already present
    // gets the new data and attributes in its place. Built on a copy, so that
    // a locked item or a failure leaves the store untouched.
    OpaqueCollection merged = *collection_;
    for (SettingsItem& item : items) {
      if (SettingsItem* existing = merged.Find(item.tag, item.id)) {
        if (existing->attributes & static_cast<uint32_t>(kSettingsLockAttribute))
          return Status(kSettingsItemLocked);
        existing->data = std::move(item.data);
        existing->attributes = item.attributes;
      } else {
        merged.Append(std::move(item));
      }
    }
    *collection_ = std::move(merged);
  } catch (const std::bad_alloc&) {
    return Status(kSettingsNoMemory);
  }
  index_ = 0;
  return Status(kSettingsNoErr);
}
