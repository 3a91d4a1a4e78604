#include "security/Twofish.h"

#include <array>
#include <climits>
#include <cstring>

namespace {

constexpr uint32_t kValidSig = 0x48534946;  // "FISH"
constexpr uint32_t kSubkeyStep = 0x02020202;
constexpr uint32_t kSubkeyBump = 0x01010101;
constexpr int kSubkeyRotl = 9;

constexpr uint32_t Rol(uint32_t x, int n) {
  return (x << n) | (x >> (32 - n));
}
constexpr uint32_t Ror(uint32_t x, int n) {
  return (x >> n) | (x << (32 - n));
}
constexpr uint8_t Byte(uint32_t x, int i) {
  return uint8_t(x >> (8 * i));
}

// The fixed permutations q0 and q1, built from their 4-bit tables.
constexpr uint8_t kQt[2][4][16] = {
    {{0x8, 0x1, 0x7, 0xD, 0x6, 0xF, 0x3, 0x2, 0x0, 0xB, 0x5, 0x9, 0xE, 0xC, 0xA, 0x4},
     {0xE, 0xC, 0xB, 0x8, 0x1, 0x2, 0x3, 0x5, 0xF, 0x4, 0xA, 0x6, 0x7, 0x0, 0x9, 0xD},
     {0xB, 0xA, 0x5, 0xE, 0x6, 0xD, 0x9, 0x0, 0xC, 0x8, 0xF, 0x3, 0x2, 0x4, 0x7, 0x1},
     {0xD, 0x7, 0xF, 0x4, 0x1, 0x2, 0x6, 0xE, 0x9, 0xB, 0x3, 0x0, 0x8, 0x5, 0xC, 0xA}},
    {{0x2, 0x8, 0xB, 0xD, 0xF, 0x7, 0x6, 0xE, 0x3, 0x1, 0x9, 0x4, 0x0, 0xA, 0xC, 0x5},
     {0x1, 0xE, 0x2, 0xB, 0x4, 0xC, 0x3, 0x7, 0x6, 0xD, 0xA, 0x5, 0xF, 0x9, 0x0, 0x8},
     {0x4, 0xC, 0x7, 0x5, 0x1, 0x6, 0x9, 0xA, 0x0, 0xE, 0xD, 0x8, 0x2, 0xB, 0x3, 0xF},
     {0xB, 0x9, 0x5, 0x1, 0xC, 0x3, 0xD, 0xE, 0x6, 0x4, 0x7, 0xF, 0x2, 0x0, 0x8, 0xA}}};

constexpr uint8_t Ror4(uint8_t x) {
  return uint8_t(((x >> 1) | (x << 3)) & 0xF);
}

constexpr std::array<uint8_t, 256> MakeQ(int which) {
  std::array<uint8_t, 256> q{};
  for (int x = 0; x < 256; ++x) {
    uint8_t a = uint8_t(x >> 4), b = uint8_t(x & 0xF);
    for (int step = 0; step < 2; ++step) {
      uint8_t a1 = a ^ b;
      uint8_t b1 = uint8_t(a ^ Ror4(b) ^ ((a << 3) & 0xF));
      a = kQt[which][2 * step][a1];
      b = kQt[which][2 * step + 1][b1];
    }
    q[x] = uint8_t((b << 4) | a);
  }
  return q;
}

constexpr std::array<uint8_t, 256> kQ0 = MakeQ(0);
constexpr std::array<uint8_t, 256> kQ1 = MakeQ(1);

// GF(2^8) product modulo the given primitive polynomial.
constexpr uint8_t GfMul(uint8_t a, uint8_t b, unsigned poly) {
  unsigned r = 0, x = a;
  while (b) {
    if (b & 1) r ^= x;
    x <<= 1;
    if (x & 0x100) x ^= poly;
    b >>= 1;
  }
  return uint8_t(r);
}

constexpr unsigned kMdsPoly = 0x169;
constexpr unsigned kRsPoly = 0x14D;

constexpr uint8_t kMds[4][4] = {{0x01, 0xEF, 0x5B, 0x5B},
                                {0x5B, 0xEF, 0xEF, 0x01},
                                {0xEF, 0x5B, 0x01, 0xEF},
                                {0xEF, 0x01, 0xEF, 0x5B}};

constexpr uint8_t kRs[4][8] = {{0x01, 0xA4, 0x55, 0x87, 0x5A, 0x58, 0xDB, 0x9E},
                               {0xA4, 0x56, 0x82, 0xF3, 0x1E, 0xC6, 0x68, 0xE5},
                               {0x02, 0xA1, 0xFC, 0xC1, 0x47, 0xAE, 0x3D, 0x19},
                               {0xA4, 0x55, 0x87, 0x5A, 0x58, 0xDB, 0x9E, 0x03}};

// Column j of the MDS matrix times every byte value, as words.
using MdsTable = std::array<std::array<uint32_t, 256>, 4>;
constexpr MdsTable MakeMdsTable() {
  MdsTable t{};
  for (int j = 0; j < 4; ++j)
    for (int x = 0; x < 256; ++x) {
      uint32_t w = 0;
      for (int i = 0; i < 4; ++i) w |= uint32_t(GfMul(kMds[i][j], uint8_t(x), kMdsPoly)) << (8 * i);
      t[j][x] = w;
    }
  return t;
}
constexpr MdsTable kMdsTable = MakeMdsTable();

// Use tracking for TableOp.
bool gTabEnabled = false;
int gTabQueries = 0;
uint8_t gTabUsed[256];  // bit 0: q0 entry used, bit 1: q1 entry used

inline uint8_t Q0(uint8_t x) {
  if (gTabEnabled) gTabUsed[x] |= 1;
  return kQ0[x];
}
inline uint8_t Q1(uint8_t x) {
  if (gTabEnabled) gTabUsed[x] |= 2;
  return kQ1[x];
}

uint32_t RsEncode(uint32_t even, uint32_t odd) {
  uint8_t m[8];
  for (int i = 0; i < 4; ++i) {
    m[i] = Byte(even, i);
    m[4 + i] = Byte(odd, i);
  }
  uint32_t s = 0;
  for (int row = 0; row < 4; ++row) {
    uint8_t v = 0;
    for (int k = 0; k < 8; ++k) v ^= GfMul(kRs[row][k], m[k], kRsPoly);
    s |= uint32_t(v) << (8 * row);
  }
  return s;
}

bool ValidKeyLength(int keyLen) {
  return keyLen == 128 || keyLen == 192 || keyLen == 256;
}

uint32_t LoadLE(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void StoreLE(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = Byte(v, i);
}

void EncryptWords(const keyInstance* key, uint32_t x[4]) {
  const uint32_t* sk = key->subKeys;
  for (int i = 0; i < 4; ++i) x[i] ^= sk[i];
  for (int r = 0; r < key->numRounds; ++r) {
    uint32_t t0 = f32(x[0], key->sboxKeys, key->keyLen);
    uint32_t t1 = f32(Rol(x[1], 8), key->sboxKeys, key->keyLen);
    x[3] = Rol(x[3], 1);
    x[2] ^= t0 + t1 + sk[8 + 2 * r];
    x[3] ^= t0 + 2 * t1 + sk[8 + 2 * r + 1];
    x[2] = Ror(x[2], 1);
    if (r < key->numRounds - 1) {
      uint32_t a = x[0], b = x[1];
      x[0] = x[2], x[1] = x[3], x[2] = a, x[3] = b;
    }
  }
  for (int i = 0; i < 4; ++i) x[i] ^= sk[4 + i];
}

void DecryptWords(const keyInstance* key, uint32_t x[4]) {
  const uint32_t* sk = key->subKeys;
  for (int i = 0; i < 4; ++i) x[i] ^= sk[4 + i];
  for (int r = key->numRounds - 1; r >= 0; --r) {
    uint32_t t0 = f32(x[0], key->sboxKeys, key->keyLen);
    uint32_t t1 = f32(Rol(x[1], 8), key->sboxKeys, key->keyLen);
    x[2] = Rol(x[2], 1);
    x[2] ^= t0 + t1 + sk[8 + 2 * r];
    x[3] ^= t0 + 2 * t1 + sk[8 + 2 * r + 1];
    x[3] = Ror(x[3], 1);
    if (r > 0) {
      uint32_t a = x[0], b = x[1];
      x[0] = x[2], x[1] = x[3], x[2] = a, x[3] = b;
    }
  }
  for (int i = 0; i < 4; ++i) x[i] ^= sk[i];
}

void SyncIVBytes(cipherInstance* cipher) {
  for (int i = 0; i < 4; ++i) StoreLE(cipher->IV + 4 * i, cipher->iv32[i]);
}

int CheckCall(cipherInstance* cipher, keyInstance* key, const uint8_t* input, int inputLen,
              uint8_t* outBuffer) {
  if (cipher == nullptr || cipher->cipherSig != kValidSig) return BAD_CIPHER_STATE;
  if (key == nullptr || key->keySig != kValidSig || !ValidKeyLength(key->keyLen))
    return BAD_KEY_INSTANCE;
  if (inputLen < 0 || (inputLen > 0 && (input == nullptr || outBuffer == nullptr)))
    return BAD_PARAMS;
  if (cipher->mode != MODE_CFB1 && inputLen % BLOCK_SIZE != 0) return BAD_INPUT_LEN;
  if (cipher->mode != MODE_ECB && cipher->mode != MODE_CBC && cipher->mode != MODE_CFB1)
    return BAD_CIPHER_MODE;
  return 0;
}

// 1-bit CFB: each bit is XORed with the top bit of the enciphered vector, and
// the vector shifts left by one bit taking in the cipher bit.
void RunCfb1(cipherInstance* cipher, keyInstance* key, const uint8_t* input, int bits, uint8_t* out,
             bool decrypt) {
  uint8_t iv[16];
  for (int i = 0; i < 4; ++i) StoreLE(iv + 4 * i, cipher->iv32[i]);
  for (int n = 0; n < bits; ++n) {
    uint32_t x[4];
    for (int i = 0; i < 4; ++i) x[i] = LoadLE(iv + 4 * i);
    EncryptWords(key, x);
    const int shift = 7 - n % 8;
    const unsigned inBit = (input[n / 8] >> shift) & 1;
    const unsigned outBit = inBit ^ (Byte(x[0], 0) >> 7);
    out[n / 8] = uint8_t((out[n / 8] & ~(1u << shift)) | (outBit << shift));
    const unsigned cipherBit = decrypt ? inBit : outBit;
    for (int i = 0; i < 15; ++i) iv[i] = uint8_t((iv[i] << 1) | (iv[i + 1] >> 7));
    iv[15] = uint8_t((iv[15] << 1) | cipherBit);
  }
  for (int i = 0; i < 4; ++i) cipher->iv32[i] = LoadLE(iv + 4 * i);
  SyncIVBytes(cipher);
}

void Wipe(void* p, size_t n) {
  volatile uint8_t* v = static_cast<volatile uint8_t*>(p);
  while (n--) *v++ = 0;
}

}  // namespace

uint32_t f32(uint32_t x, const uint32_t* k32, int keyLen) {
  uint8_t b[4] = {Byte(x, 0), Byte(x, 1), Byte(x, 2), Byte(x, 3)};
  const int k64 = (keyLen + 63) / 64;
  switch (k64 & 3) {
    case 0:  // 256 bits
      b[0] = Q1(b[0]) ^ Byte(k32[3], 0);
      b[1] = Q0(b[1]) ^ Byte(k32[3], 1);
      b[2] = Q0(b[2]) ^ Byte(k32[3], 2);
      b[3] = Q1(b[3]) ^ Byte(k32[3], 3);
      [[fallthrough]];
    case 3:  // 192 bits
      b[0] = Q1(b[0]) ^ Byte(k32[2], 0);
      b[1] = Q1(b[1]) ^ Byte(k32[2], 1);
      b[2] = Q0(b[2]) ^ Byte(k32[2], 2);
      b[3] = Q0(b[3]) ^ Byte(k32[2], 3);
      [[fallthrough]];
    default:  // 128 bits
      b[0] = Q1(Q0(Q0(b[0]) ^ Byte(k32[1], 0)) ^ Byte(k32[0], 0));
      b[1] = Q0(Q0(Q1(b[1]) ^ Byte(k32[1], 1)) ^ Byte(k32[0], 1));
      b[2] = Q1(Q1(Q0(b[2]) ^ Byte(k32[1], 2)) ^ Byte(k32[0], 2));
      b[3] = Q0(Q1(Q1(b[3]) ^ Byte(k32[1], 3)) ^ Byte(k32[0], 3));
  }
  return kMdsTable[0][b[0]] ^ kMdsTable[1][b[1]] ^ kMdsTable[2][b[2]] ^ kMdsTable[3][b[3]];
}

int ParseHexDword(int bits, const char* srcTxt, uint32_t* d, char* dstTxt) {
  if (srcTxt == nullptr || d == nullptr || bits < 0) return BAD_KEY_MAT;
  for (int i = 0; i * 32 < bits; ++i) d[i] = 0;
  for (int i = 0; i * 4 < bits; ++i) {
    const char c = srcTxt[i];
    uint32_t v;
    if (c >= '0' && c <= '9')
      v = uint32_t(c - '0');
    else if (c >= 'a' && c <= 'f')
      v = uint32_t(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F')
      v = uint32_t(c - 'A' + 10);
    else
      return BAD_KEY_MAT;  // also stops at the NUL of a short text
    // Character pairs form bytes, lowest byte of the word first.
    d[i / 8] |= v << (4 * ((i ^ 1) & 7));
    if (dstTxt) dstTxt[i] = c;
  }
  return 0;
}

int reKey(keyInstance* key) {
  if (key == nullptr || key->keySig != kValidSig || !ValidKeyLength(key->keyLen))
    return BAD_KEY_INSTANCE;
  const int k64 = (key->keyLen + 63) / 64;
  uint32_t even[4] = {}, odd[4] = {};
  for (int i = 0; i < k64; ++i) {
    even[i] = key->key32[2 * i];
    odd[i] = key->key32[2 * i + 1];
    key->sboxKeys[k64 - 1 - i] = RsEncode(even[i], odd[i]);
  }
  for (int i = 0; i < TOTAL_SUBKEYS / 2; ++i) {
    uint32_t a = f32(uint32_t(i) * kSubkeyStep, even, key->keyLen);
    uint32_t b = Rol(f32(uint32_t(i) * kSubkeyStep + kSubkeyBump, odd, key->keyLen), 8);
    key->subKeys[2 * i] = a + b;
    key->subKeys[2 * i + 1] = Rol(a + 2 * b, kSubkeyRotl);
  }
  Wipe(even, sizeof even);
  Wipe(odd, sizeof odd);
  return TWOFISH_TRUE;
}

int makeKey(keyInstance* key, uint8_t direction, int keyLen, const char* keyMaterial) {
  if (key == nullptr) return BAD_KEY_INSTANCE;
  std::memset(key, 0, sizeof *key);
  if (direction != DIR_ENCRYPT && direction != DIR_DECRYPT) return BAD_KEY_DIR;
  if (!ValidKeyLength(keyLen)) return BAD_KEY_MAT;
  key->direction = direction;
  key->keyLen = keyLen;
  key->numRounds = ROUNDS_TWOFISH;
  if (keyMaterial != nullptr &&
      ParseHexDword(keyLen, keyMaterial, key->key32, key->keyMaterial) != 0) {
    std::memset(key, 0, sizeof *key);
    return BAD_KEY_MAT;
  }
  key->keySig = kValidSig;
  return reKey(key);
}

int cipherInit(cipherInstance* cipher, uint8_t mode, const char* IV) {
  if (cipher == nullptr) return BAD_PARAMS;
  std::memset(cipher, 0, sizeof *cipher);
  if (mode != MODE_ECB && mode != MODE_CBC && mode != MODE_CFB1) return BAD_CIPHER_MODE;
  if (mode != MODE_ECB && IV != nullptr &&
      ParseHexDword(BLOCK_SIZE, IV, cipher->iv32, nullptr) != 0) {
    std::memset(cipher, 0, sizeof *cipher);
    return BAD_IV_MAT;
  }
  cipher->mode = mode;
  SyncIVBytes(cipher);
  cipher->cipherSig = kValidSig;
  return TWOFISH_TRUE;
}

int blockEncrypt(cipherInstance* cipher, keyInstance* key, const uint8_t* input, int inputLen,
                 uint8_t* outBuffer) {
  if (int status = CheckCall(cipher, key, input, inputLen, outBuffer)) return status;
  if (cipher->mode == MODE_CFB1) {
    RunCfb1(cipher, key, input, inputLen, outBuffer, false);
    return inputLen;
  }
  for (int n = 0; n < inputLen / BLOCK_SIZE; ++n) {
    uint32_t x[4];
    for (int i = 0; i < 4; ++i) x[i] = LoadLE(input + 16 * n + 4 * i);
    if (cipher->mode == MODE_CBC)
      for (int i = 0; i < 4; ++i) x[i] ^= cipher->iv32[i];
    EncryptWords(key, x);
    for (int i = 0; i < 4; ++i) StoreLE(outBuffer + 16 * n + 4 * i, x[i]);
    if (cipher->mode == MODE_CBC) std::memcpy(cipher->iv32, x, sizeof x);
  }
  if (cipher->mode == MODE_CBC) SyncIVBytes(cipher);
  return inputLen;
}

int blockDecrypt(cipherInstance* cipher, keyInstance* key, const uint8_t* input, int inputLen,
                 uint8_t* outBuffer) {
  if (int status = CheckCall(cipher, key, input, inputLen, outBuffer)) return status;
  if (cipher->mode == MODE_CFB1) {
    RunCfb1(cipher, key, input, inputLen, outBuffer, true);
    return inputLen;
  }
  for (int n = 0; n < inputLen / BLOCK_SIZE; ++n) {
    uint32_t x[4], c[4];
    for (int i = 0; i < 4; ++i) c[i] = x[i] = LoadLE(input + 16 * n + 4 * i);
    DecryptWords(key, x);
    if (cipher->mode == MODE_CBC) {
      for (int i = 0; i < 4; ++i) x[i] ^= cipher->iv32[i];
      std::memcpy(cipher->iv32, c, sizeof c);
    }
    for (int i = 0; i < 4; ++i) StoreLE(outBuffer + 16 * n + 4 * i, x[i]);
  }
  if (cipher->mode == MODE_CBC) SyncIVBytes(cipher);
  return inputLen;
}

int TableOp(int op) {
  switch (op) {
    case TAB_DISABLE:
      gTabEnabled = false;
      break;
    case TAB_ENABLE:
      gTabEnabled = true;
      break;
    case TAB_RESET:
      gTabQueries = 0;
      std::memset(gTabUsed, 0, sizeof gTabUsed);
      break;
    case TAB_QUERY:
      if (gTabQueries < INT_MAX) ++gTabQueries;
      for (uint8_t used : gTabUsed)
        if (used != 3) return 0;
      return gTabQueries >= TAB_MIN_QUERY ? TWOFISH_TRUE : 0;
    default:
      break;
  }
  return TWOFISH_TRUE;
}

int RunCipher(int decrypt, const unsigned char key[32], const void* in, unsigned length,
              void* out) {
  if (key == nullptr || (length > 0 && (in == nullptr || out == nullptr))) return -1;
  if (length % 16 != 0 || length > unsigned(INT_MAX / 8)) return -1;
  keyInstance ki;
  cipherInstance ci;
  if (makeKey(&ki, DIR_ENCRYPT, 256, nullptr) != TWOFISH_TRUE) return -1;
  if (cipherInit(&ci, MODE_ECB, nullptr) != TWOFISH_TRUE) return -1;
  for (int i = 0; i < 8; ++i) ki.key32[i] = LoadLE(key + 4 * i);
  int result = reKey(&ki);
  const int bits = int(length) * 8;
  if (result == TWOFISH_TRUE) {
    const uint8_t* src = static_cast<const uint8_t*>(in);
    uint8_t* dst = static_cast<uint8_t*>(out);
    result =
        decrypt ? blockDecrypt(&ci, &ki, src, bits, dst) : blockEncrypt(&ci, &ki, src, bits, dst);
  } else {
    result = -1;
  }
  Wipe(&ki, sizeof ki);
  return result == bits ? 0 : -1;
}
