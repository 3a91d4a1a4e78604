// The keyed item store the feature model is saved into and rebuilt from. Each
// item is addressed by a 32-bit tag (four-character codes for model data,
// numbers for counts) and a 32-bit id; it carries attribute bits and bytes.
// Every operation answers a status and keeps it as LastError().
#pragma once

#include <cstdint>
#include <memory>

#include "PPDX/PPDObjects/Controls/DataStream.h"
#include "PPDX/PPDObjects/Controls/SettingsCollection.h"

// Status values.
constexpr int16_t kSettingsNoErr = 0;
constexpr int16_t kSettingsNoCollection = 1000;
constexpr int16_t kSettingsSizeNotSwapped = 1000;  // size the byte-order rule does not handle
constexpr int16_t kSettingsEmpty = 1001;           // First/Next on an empty store
constexpr int16_t kSettingsEnd = 1002;             // Next past the last item
constexpr int16_t kSettingsStreamNotReady = 201;
constexpr int16_t kSettingsNoMemory = -108;
constexpr int16_t kSettingsParamErr = -50;
constexpr int16_t kSettingsWriteErr = -36;  // the stream took fewer bytes than given
constexpr int16_t kSettingsEOFErr = -39;    // the stream gave fewer bytes than asked
constexpr int16_t kSettingsItemLocked = -5750;
constexpr int16_t kSettingsItemNotFound = -5751;
constexpr int16_t kSettingsBadFlatData = -5753;  // flattened bytes truncated or corrupted

// Attribute bits.
constexpr int kSettingsLockAttribute = static_cast<int>(0x80000000u);
constexpr int kSettingsPersistentAttribute = 0x40000000;
constexpr int kSettingsDefaultAttributes = kSettingsPersistentAttribute;  // of a new item

// The byte-order probe: an 8-byte count that no store written in this byte
// order reaches, so a value at or above the threshold means the other order.
constexpr unsigned int kSettingsProbeTag = 3000;
constexpr int kSettingsProbeId = 3002;
constexpr uint64_t kSettingsForeignThreshold = 10001;

class Settings {
 public:
  Settings();  // a new, empty collection
  // Takes over the collection (null gives a store without collection); the
  // caller's pointer is cleared, since the store now disposes of it.
  explicit Settings(OpaqueCollection*& collection);
  Settings(const Settings& other);
  Settings& operator=(const Settings& other);
  // A new collection filled from a flattened one; -50 for a null handle.
  explicit Settings(char** handle);
  ~Settings();

  // Adds an item, or replaces the data of the item already under (tag, id).
  int16_t Add(const unsigned int& tag, const int& id, const void* data, int size);
  // size: in, the capacity of data; out, the item's size. A null data pointer
  // asks for the size only. With fixByteOrder, see the byte-order rule.
  int16_t Get(const unsigned int& tag, const int& id, void* data, int& size, bool fixByteOrder);
  // Replaces the data of an existing item (-5751 when there is none).
  int16_t Set(const unsigned int& tag, const int& id, const void* data, int size);
  int16_t Remove(const unsigned int& tag, const int& id);
  int16_t Lock(const unsigned int& tag, const int& id);
  int16_t Unlock(const unsigned int& tag, const int& id);
  int16_t SetAttribute(const unsigned int& tag, const int& id, const int& mask, const bool& set);

  // Walk all items by position; the out parameters are 0 when no item is given.
  int16_t First(unsigned int& tag, int& id, int& size, int& attributes);
  int16_t Next(unsigned int& tag, int& id, int& size, int& attributes);

  int Count();
  bool Empty();
  bool Valid() const { return valid_; }
  int32_t LastError() const { return lastError_; }

  // Writes the flattened collection to the stream.
  int16_t Save(DataStream* stream);
  // Reads `length` bytes (the stream's whole size when 0) and unflattens them
  // into the collection; on any error the collection is left as it was.
  int16_t Read(DataStream* stream, unsigned long length);
  // A new handle (released with DisposeHandle by the caller) holding the
  // flattened collection; *handle is null on failure.
  int16_t GetSettingsHandle(char*** handle);

  // True when the probe item says the store was written in the other byte order.
  bool ForeignByteOrder() const;

 private:
  int16_t Status(int16_t status) {
    lastError_ = status;
    return status;
  }
  int16_t ItemAt(int64_t position, unsigned int& tag, int& id, int& size, int& attributes);
  int16_t Change(const unsigned int& tag, const int& id, uint32_t mask, bool set);

  int32_t lastError_ = 0;
  bool valid_ = false;
  std::unique_ptr<OpaqueCollection> collection_;
  int32_t index_ = 0;  // 1-based position of First/Next
};
