// The 16-byte identifier inside the user-authentication packet.
#pragma once

#include <cstdint>

// Bytes 0-5: the primary hardware address (zero when there is none);
// bytes 6-9: a 32-bit value from the time of day, in host order; bytes
// 10-15: zero. Returns 1, or 0 when guid is null.
int CreateGUID(unsigned char guid[16]);

// The time value of bytes 6-9 for seconds s and microseconds us.
uint32_t GuidTimeValue(uint32_t s, uint32_t us);
