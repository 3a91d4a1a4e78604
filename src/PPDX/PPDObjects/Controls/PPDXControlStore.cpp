#include "PPDX/PPDObjects/Controls/PPDXControlStore.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

// The item's size, or a negative status when it cannot be had.
int ItemSize(Settings& settings, unsigned int tag, int id, int16_t& status) {
  int size = 0;
  status = settings.Get(tag, id, nullptr, size, false);
  return status == kSettingsNoErr ? size : -1;
}

}  // namespace

int16_t ReadStoreFixed(Settings& settings, unsigned int tag, int id, void* data, int size,
                       bool fixByteOrder) {
  int16_t status;
  int actual = ItemSize(settings, tag, id, status);
  if (actual < 0) return status;
  if (actual != size) return kControlStoreWrongSize;
  unsigned char scratch[8];
  if (size > static_cast<int>(sizeof scratch) || size <= 0) return kControlStoreWrongSize;
  int got = size;
  status = settings.Get(tag, id, scratch, got, fixByteOrder);
  if (status != kSettingsNoErr || got != size) return status ? status : kControlStoreWrongSize;
  std::memcpy(data, scratch, size);
  return kSettingsNoErr;
}

int16_t ReadStoreInt32(Settings& settings, unsigned int tag, int id, int32_t& value) {
  int32_t v = 0;
  int16_t status = ReadStoreFixed(settings, tag, id, &v, 4, true);
  if (status == kSettingsNoErr) value = v;
  return status;
}

int16_t ReadStoreInt64(Settings& settings, unsigned int tag, int id, int64_t& value) {
  int64_t v = 0;
  int16_t status = ReadStoreFixed(settings, tag, id, &v, 8, false);
  if (status == kSettingsNoErr) value = v;
  return status;
}

bool ReadStoreBytes(Settings& settings, unsigned int tag, int id, unsigned char*& data,
                    long& length) {
  data = nullptr;
  length = 0;
  int16_t status;
  int size = ItemSize(settings, tag, id, status);
  if (size <= 0) return false;
  auto* buffer = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(size)));
  if (!buffer) return false;
  int got = size;
  if (settings.Get(tag, id, buffer, got, false) != kSettingsNoErr || got != size) {
    std::free(buffer);
    return false;
  }
  data = buffer;
  length = size;
  return true;
}

int16_t WriteStoreText(Settings& settings, unsigned int tag, int id, const char* text) {
  size_t length = text ? std::strlen(text) : 0;
  if (length > INT_MAX) return kSettingsParamErr;
  return settings.Add(tag, id, text, static_cast<int>(length));
}

int16_t WriteStoreBytes(Settings& settings, unsigned int tag, int id, const void* data,
                        long length) {
  if (length < 0 || length > INT_MAX) return kSettingsParamErr;
  return settings.Add(tag, id, data, static_cast<int>(length));
}

int16_t WriteStoreCFString(Settings& settings, unsigned int tag, int id, const CFString& text) {
  std::vector<uint8_t> bytes;
  try {
    bytes = text.CreateExternalRepresentation();
  } catch (const std::bad_alloc&) {
    return kSettingsNoMemory;
  }
  return WriteStoreBytes(settings, tag, id, bytes.data(), static_cast<long>(bytes.size()));
}
