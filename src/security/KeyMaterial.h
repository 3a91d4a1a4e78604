// Built-in key material of the security subsystem, all in one place.
//
// Every value here is shared with the print controller: it must hold the very
// same bytes to read job notes, user-authentication packets and preset values.
// Changing any value breaks compatibility with controllers and with presets
// already stored; treat them as part of the wire format.
#pragma once

#include <cstddef>
#include <cstdint>

// Outer layer of the user-authentication packet (Twofish, 256-bit key).
constexpr size_t kMasterKeyLength = 32;
extern const unsigned char masterKey[kMasterKeyLength];

// Job-note ciphers. "*UseSpecialKey" picks a byte offset into each region:
// DES reads 8 key bytes, AES 32 key bytes and 16 vector bytes at the offset.
// The largest key offset is 152, so the key region is 152 + 32 = 184 bytes
// long: the AES key of the last slot stays inside it (its first 8 bytes are
// also the DES key of that slot).
constexpr size_t kJobNoteKeyRegionLength = 184;
constexpr size_t kJobNoteVectorRegionLength = 64;
constexpr size_t kJobNoteLastKeyOffset = 152;
constexpr size_t kJobNoteLastVectorOffset = 48;
extern const unsigned char kJobNoteKeyRegion[kJobNoteKeyRegionLength];
extern const unsigned char kJobNoteVectorRegion[kJobNoteVectorRegionLength];

// Preset string cipher: PBKDF2-HMAC-SHA1 with this 8-byte ASCII salt and 1000
// iterations gives a 128-bit AES key (CBC, PKCS#7) used with this vector.
constexpr size_t kPresetSaltLength = 8;
constexpr int kPresetIterations = 1000;
constexpr size_t kPresetKeyLength = 16;
constexpr size_t kPresetIVLength = 16;
extern const char kPresetSalt[kPresetSaltLength + 1];  // 8 characters and a NUL
extern const unsigned char kPresetIV[kPresetIVLength];
// The label under which the derived key is held while it is in use.
extern const char kPresetKeyLabel[];
