#include "PPDX/PPDObjects/Controls/SettingsStrings.h"

#include <new>
#include <vector>

#include "foundation/CFStringExternal.h"

namespace {

// The item's bytes plus a terminating NUL; empty when there is nothing to read.
std::vector<char> ReadItem(Settings& settings, unsigned int tag, int id) {
  int size = 0;
  if (settings.Get(tag, id, nullptr, size, false) != kSettingsNoErr || size <= 0) return {};
  try {
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
    int capacity = size;
    if (settings.Get(tag, id, buffer.data(), capacity, false) != kSettingsNoErr) return {};
    return buffer;
  } catch (const std::bad_alloc&) {
    return {};
  }
}

}  // namespace

std::unique_ptr<CString> GetSettingsString(Settings& settings, unsigned int tag, int id) {
  std::vector<char> buffer = ReadItem(settings, tag, id);
  if (buffer.empty()) return nullptr;
  try {
    return std::make_unique<CString>(buffer.data());
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

CFString GetSettingsCFString(Settings& settings, unsigned int tag, int id) {
  std::vector<char> buffer = ReadItem(settings, tag, id);
  if (buffer.empty()) return CFString();
  return ExtenalToCFString(reinterpret_cast<const unsigned char*>(buffer.data()),
                           static_cast<long>(buffer.size() - 1));
}
