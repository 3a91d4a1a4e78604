#include "security/Guid.h"

#include <sys/time.h>

#include <cstring>

#include "security/MACAddress.h"

namespace {
// The time of the previous identifier: a call in the same second that is not
// later gets the next microsecond, so that a burst of calls still steps.
uint32_t gLastSeconds = 0;
uint32_t gLastMicros = 0;
bool gHaveLast = false;
}  // namespace

uint32_t GuidTimeValue(uint32_t s, uint32_t us) {
  return ((s << 4) & 0x00FFFFF0u) | ((((us >> 8) & 0x0Fu) | ((s >> 20) & 0xF0u)) << 24);
}

int CreateGUID(unsigned char guid[16]) {
  if (guid == nullptr) return 0;
  std::memset(guid, 0, 16);
  const unsigned char* mac = nullptr;
  if (goGetMACAddress(&mac) == 0 && mac != nullptr) std::memcpy(guid, mac, 6);

  timeval now{};
  gettimeofday(&now, nullptr);
  uint32_t s = uint32_t(now.tv_sec), us = uint32_t(now.tv_usec);
  if (gHaveLast && s == gLastSeconds && us <= gLastMicros) {
    s = gLastSeconds;
    us = gLastMicros + 1;
    if (us >= 1000000) {
      us = 0;
      ++s;
    }
  }
  gLastSeconds = s;
  gLastMicros = us;
  gHaveLast = true;

  const uint32_t value = GuidTimeValue(s, us);
  std::memcpy(guid + 6, &value, sizeof value);  // host order
  return 1;
}
