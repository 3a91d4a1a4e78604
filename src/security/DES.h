// Single DES (FIPS 46) with one key schedule held in static storage.
#pragma once

#include <cstdint>

constexpr short EN0 = 0;  // schedule for encryption
constexpr short DE1 = 1;  // schedule for decryption

// The schedule: sixteen 48-bit round keys in the order they are applied, each
// stored as two words of 24 bits (high half first).
constexpr int kDESScheduleWords = 32;

// Builds the schedule of an 8-byte key (parity bits ignored) for `mode`
// (0 encrypt, 1 decrypt; any other value is taken as encrypt).
void deskey(const unsigned char key[8], short mode);
// Loads a schedule saved with cpkey.
void usekey(const uint32_t from[kDESScheduleWords]);
// Copies the current schedule out.
void cpkey(uint32_t into[kDESScheduleWords]);
// Transforms one 8-byte block with the current schedule; `in` may be `out`.
void des(const unsigned char in[8], unsigned char out[8]);
