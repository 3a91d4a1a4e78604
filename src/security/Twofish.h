// Twofish (128-bit block; 128, 192 or 256-bit keys) behind the AES-candidate
// interface: key and cipher instances, ECB, CBC and 1-bit CFB, hexadecimal key
// and vector text. Input lengths are given in bits.
#pragma once

#include <cstdint>

constexpr int DIR_ENCRYPT = 0;
constexpr int DIR_DECRYPT = 1;
constexpr int MODE_ECB = 1;
constexpr int MODE_CBC = 2;
constexpr int MODE_CFB1 = 3;

constexpr int TWOFISH_TRUE = 1;
constexpr int BAD_KEY_DIR = -1;
constexpr int BAD_KEY_MAT = -2;
constexpr int BAD_KEY_INSTANCE = -3;
constexpr int BAD_CIPHER_MODE = -4;
constexpr int BAD_CIPHER_STATE = -5;
constexpr int BAD_INPUT_LEN = -6;
constexpr int BAD_PARAMS = -7;
constexpr int BAD_IV_MAT = -8;

constexpr int MAX_KEY_SIZE = 64;  // hexadecimal characters of a 256-bit key
constexpr int MAX_IV_SIZE = 16;   // bytes
constexpr int MAX_KEY_BITS = 256;
constexpr int BLOCK_SIZE = 128;  // bits
constexpr int ROUNDS_TWOFISH = 16;
constexpr int TOTAL_SUBKEYS = 4 + 4 + 2 * ROUNDS_TWOFISH;

// TableOp operations.
constexpr int TAB_DISABLE = 0;
constexpr int TAB_ENABLE = 1;
constexpr int TAB_RESET = 2;
constexpr int TAB_QUERY = 3;
constexpr int TAB_MIN_QUERY = 50;

struct keyInstance {
  uint8_t direction;
  int keyLen;                          // bits
  char keyMaterial[MAX_KEY_SIZE + 4];  // the key text as given, NUL-terminated
  uint32_t keySig;                     // set once the instance is valid
  int numRounds;
  uint32_t key32[MAX_KEY_BITS / 32];  // raw key words, little-endian bytes
  uint32_t sboxKeys[MAX_KEY_BITS / 64];
  uint32_t subKeys[TOTAL_SUBKEYS];
};

struct cipherInstance {
  uint8_t mode;
  uint8_t IV[MAX_IV_SIZE];
  uint32_t cipherSig;
  uint32_t iv32[BLOCK_SIZE / 32];
};

// Sets up a key of keyLen bits (128, 192 or 256) from keyLen/4 hexadecimal
// characters, or a zero key when keyMaterial is null. TWOFISH_TRUE or an error.
int makeKey(keyInstance* key, uint8_t direction, int keyLen, const char* keyMaterial);
// Mode and, for CBC and CFB1, the vector as 32 hexadecimal characters (zero
// when null). TWOFISH_TRUE or an error.
int cipherInit(cipherInstance* cipher, uint8_t mode, const char* IV);
// Process inputLen bits (a multiple of 128 except in CFB1 mode). Return the
// number of bits processed, or an error (nothing is written then).
int blockEncrypt(cipherInstance* cipher, keyInstance* key, const uint8_t* input, int inputLen,
                 uint8_t* outBuffer);
int blockDecrypt(cipherInstance* cipher, keyInstance* key, const uint8_t* input, int inputLen,
                 uint8_t* outBuffer);
// Recomputes the round and S-box keys from key32 after a caller changed it.
int reKey(keyInstance* key);
// The key-dependent function h of x under the words k32 (keyLen bits of key).
uint32_t f32(uint32_t x, const uint32_t* k32, int keyLen);
// Parses bits/4 hexadecimal characters into bits/32 words (first character
// pair = lowest byte of the first word); copies the text into dstTxt when
// given. 0, or BAD_KEY_MAT at the first non-hexadecimal character.
int ParseHexDword(int bits, const char* srcTxt, uint32_t* d, char* dstTxt);
// Use tracking of the fixed permutations: TAB_ENABLE / TAB_DISABLE switch it,
// TAB_RESET clears it, TAB_QUERY answers TWOFISH_TRUE once every entry of both
// permutations was used and the query itself was made at least TAB_MIN_QUERY
// times since the reset (0 before). Other operations answer TWOFISH_TRUE.
int TableOp(int op);

// Twofish with a raw 256-bit key in ECB mode over `length` bytes (a multiple
// of 16). 0 when all bytes were processed (none for length 0), -1 otherwise
// (nothing written).
int RunCipher(int decrypt, const unsigned char key[32], const void* in, unsigned length, void* out);
