#include "security/AES256CBC.h"

#include <array>
#include <cstring>

namespace {

// GF(2^8) arithmetic modulo x^8 + x^4 + x^3 + x + 1.
constexpr uint8_t XTime(uint8_t a) {
  return uint8_t((a << 1) ^ ((a & 0x80) ? 0x1B : 0));
}

constexpr uint8_t Mul(uint8_t a, uint8_t b) {
  uint8_t r = 0;
  while (b) {
    if (b & 1) r ^= a;
    a = XTime(a);
    b >>= 1;
  }
  return r;
}

constexpr uint8_t Rotl8(uint8_t x, int n) {
  return uint8_t((x << n) | (x >> (8 - n)));
}

// The S-box: multiplicative inverse followed by the affine map.
constexpr std::array<uint8_t, 256> MakeSBox() {
  std::array<uint8_t, 256> s{};
  for (int x = 0; x < 256; ++x) {
    // x^254 is the inverse of x (and 0 for 0).
    uint8_t inv = 1, base = uint8_t(x);
    for (int e = 254; e; e >>= 1) {
      if (e & 1) inv = Mul(inv, base);
      base = Mul(base, base);
    }
    s[x] = uint8_t(inv ^ Rotl8(inv, 1) ^ Rotl8(inv, 2) ^ Rotl8(inv, 3) ^ Rotl8(inv, 4) ^ 0x63);
  }
  return s;
}

constexpr std::array<uint8_t, 256> kSBox = MakeSBox();

constexpr std::array<uint8_t, 256> MakeInvSBox() {
  std::array<uint8_t, 256> inv{};
  for (int x = 0; x < 256; ++x) inv[kSBox[x]] = uint8_t(x);
  return inv;
}

constexpr std::array<uint8_t, 256> kInvSBox = MakeInvSBox();

constexpr uint32_t Ror32(uint32_t x, int n) {
  return (x >> n) | (x << (32 - n));
}

// Round tables: column words with the first row byte in the high bits.
// Te[k] / Td[k] are Te[0] / Td[0] rotated right by 8k bits.
using Table = std::array<std::array<uint32_t, 256>, 4>;

constexpr Table MakeEncTables() {
  Table t{};
  for (int x = 0; x < 256; ++x) {
    uint8_t s = kSBox[x];
    uint32_t w = (uint32_t(Mul(s, 2)) << 24) | (uint32_t(s) << 16) | (uint32_t(s) << 8) | Mul(s, 3);
    t[1][x] = Ror32(w, 8);
    t[2][x] = Ror32(w, 16);
    t[3][x] = Ror32(w, 24);
    t[0][x] = w;
  }
  return t;
}

constexpr Table MakeDecTables() {
  Table t{};
  for (int x = 0; x < 256; ++x) {
    uint8_t s = kInvSBox[x];
    uint32_t w = (uint32_t(Mul(s, 14)) << 24) | (uint32_t(Mul(s, 9)) << 16) |
                 (uint32_t(Mul(s, 13)) << 8) | Mul(s, 11);
    t[0][x] = w;
    t[1][x] = Ror32(w, 8);
    t[2][x] = Ror32(w, 16);
    t[3][x] = Ror32(w, 24);
  }
  return t;
}

constexpr Table kTe = MakeEncTables();
constexpr Table kTd = MakeDecTables();

uint32_t GetU32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

void PutU32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}

uint32_t SubWord(uint32_t w) {
  return (uint32_t(kSBox[w >> 24]) << 24) | (uint32_t(kSBox[(w >> 16) & 0xFF]) << 16) |
         (uint32_t(kSBox[(w >> 8) & 0xFF]) << 8) | kSBox[w & 0xFF];
}

void Wipe(void* p, size_t n) {
  volatile uint8_t* v = static_cast<volatile uint8_t*>(p);
  while (n--) *v++ = 0;
}

// The general (byte-oriented) round steps on a column-major 4x4 state.
using State = uint8_t[16];

void AddRoundKey(State s, const uint32_t* rk) {
  for (int c = 0; c < 4; ++c) {
    s[4 * c + 0] ^= uint8_t(rk[c] >> 24);
    s[4 * c + 1] ^= uint8_t(rk[c] >> 16);
    s[4 * c + 2] ^= uint8_t(rk[c] >> 8);
    s[4 * c + 3] ^= uint8_t(rk[c]);
  }
}

void SubBytes(State s, const std::array<uint8_t, 256>& box) {
  for (int i = 0; i < 16; ++i) s[i] = box[s[i]];
}

// Row r moves left by r columns (right by r for the inverse).
void ShiftRows(State s, bool inverse) {
  uint8_t t[16];
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) {
      int from = inverse ? (c - r + 4) % 4 : (c + r) % 4;
      t[4 * c + r] = s[4 * from + r];
    }
  std::memcpy(s, t, 16);
}

void MixColumns(State s, bool inverse) {
  const uint8_t m[4] = {uint8_t(inverse ? 14 : 2), uint8_t(inverse ? 11 : 3),
                        uint8_t(inverse ? 13 : 1), uint8_t(inverse ? 9 : 1)};
  for (int c = 0; c < 4; ++c) {
    uint8_t a[4] = {s[4 * c], s[4 * c + 1], s[4 * c + 2], s[4 * c + 3]};
    for (int r = 0; r < 4; ++r) {
      s[4 * c + r] = Mul(a[r], m[0]) ^ Mul(a[(r + 1) % 4], m[1]) ^ Mul(a[(r + 2) % 4], m[2]) ^
                     Mul(a[(r + 3) % 4], m[3]);
    }
  }
}

}  // namespace

AES256CBC::~AES256CBC() {
  Wipe(encKey_, sizeof encKey_);
  Wipe(decKey_, sizeof decKey_);
  Wipe(chain0_, sizeof chain0_);
  Wipe(chain_, sizeof chain_);
}

void AES256CBC::MakeKey(const char* key, const char* chain, int keyLength, int blockSize) {
  keyed_ = false;
  if (key == nullptr || keyLength != kKeyLength || blockSize != kBlockSize) return;
  const uint8_t* k = reinterpret_cast<const uint8_t*>(key);
  constexpr int nk = kKeyLength / 4;
  constexpr int total = 4 * (kRounds + 1);
  for (int i = 0; i < nk; ++i) encKey_[i] = GetU32(k + 4 * i);
  uint32_t rcon = 0x01;
  for (int i = nk; i < total; ++i) {
    uint32_t temp = encKey_[i - 1];
    if (i % nk == 0) {
      temp = SubWord((temp << 8) | (temp >> 24)) ^ (rcon << 24);
      rcon = XTime(uint8_t(rcon));
    } else if (i % nk == 4) {
      temp = SubWord(temp);
    }
    encKey_[i] = encKey_[i - nk] ^ temp;
  }
  // Decryption keys in reverse round order, the inner ones run through
  // InvMixColumns so that decryption uses the same table shape.
  for (int r = 0; r <= kRounds; ++r)
    for (int c = 0; c < 4; ++c) decKey_[4 * r + c] = encKey_[4 * (kRounds - r) + c];
  for (int i = 4; i < 4 * kRounds; ++i) {
    uint32_t w = decKey_[i];
    decKey_[i] = kTd[0][kSBox[w >> 24]] ^ kTd[1][kSBox[(w >> 16) & 0xFF]] ^
                 kTd[2][kSBox[(w >> 8) & 0xFF]] ^ kTd[3][kSBox[w & 0xFF]];
  }
  if (chain)
    std::memcpy(chain0_, chain, kBlockSize);
  else
    std::memset(chain0_, 0, kBlockSize);
  std::memcpy(chain_, chain0_, kBlockSize);
  keyed_ = true;
}

void AES256CBC::ResetChain() {
  std::memcpy(chain_, chain0_, kBlockSize);
}

void AES256CBC::EncryptBlock(const char* in, char* out) const {
  if (!keyed_) return;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(in);
  const uint32_t* rk = encKey_;
  uint32_t s0 = GetU32(p) ^ rk[0], s1 = GetU32(p + 4) ^ rk[1];
  uint32_t s2 = GetU32(p + 8) ^ rk[2], s3 = GetU32(p + 12) ^ rk[3];
  for (int r = 1; r < kRounds; ++r) {
    rk += 4;
    uint32_t t0 = kTe[0][s0 >> 24] ^ kTe[1][(s1 >> 16) & 0xFF] ^ kTe[2][(s2 >> 8) & 0xFF] ^
                  kTe[3][s3 & 0xFF] ^ rk[0];
    uint32_t t1 = kTe[0][s1 >> 24] ^ kTe[1][(s2 >> 16) & 0xFF] ^ kTe[2][(s3 >> 8) & 0xFF] ^
                  kTe[3][s0 & 0xFF] ^ rk[1];
    uint32_t t2 = kTe[0][s2 >> 24] ^ kTe[1][(s3 >> 16) & 0xFF] ^ kTe[2][(s0 >> 8) & 0xFF] ^
                  kTe[3][s1 & 0xFF] ^ rk[2];
    uint32_t t3 = kTe[0][s3 >> 24] ^ kTe[1][(s0 >> 16) & 0xFF] ^ kTe[2][(s1 >> 8) & 0xFF] ^
                  kTe[3][s2 & 0xFF] ^ rk[3];
    s0 = t0, s1 = t1, s2 = t2, s3 = t3;
  }
  rk += 4;
  auto last = [](uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t k) {
    return ((uint32_t(kSBox[a >> 24]) << 24) | (uint32_t(kSBox[(b >> 16) & 0xFF]) << 16) |
            (uint32_t(kSBox[(c >> 8) & 0xFF]) << 8) | kSBox[d & 0xFF]) ^
           k;
  };
  uint8_t* q = reinterpret_cast<uint8_t*>(out);
  PutU32(q, last(s0, s1, s2, s3, rk[0]));
  PutU32(q + 4, last(s1, s2, s3, s0, rk[1]));
  PutU32(q + 8, last(s2, s3, s0, s1, rk[2]));
  PutU32(q + 12, last(s3, s0, s1, s2, rk[3]));
}

void AES256CBC::DecryptBlock(const char* in, char* out) const {
  if (!keyed_) return;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(in);
  const uint32_t* rk = decKey_;
  uint32_t s0 = GetU32(p) ^ rk[0], s1 = GetU32(p + 4) ^ rk[1];
  uint32_t s2 = GetU32(p + 8) ^ rk[2], s3 = GetU32(p + 12) ^ rk[3];
  for (int r = 1; r < kRounds; ++r) {
    rk += 4;
    uint32_t t0 = kTd[0][s0 >> 24] ^ kTd[1][(s3 >> 16) & 0xFF] ^ kTd[2][(s2 >> 8) & 0xFF] ^
                  kTd[3][s1 & 0xFF] ^ rk[0];
    uint32_t t1 = kTd[0][s1 >> 24] ^ kTd[1][(s0 >> 16) & 0xFF] ^ kTd[2][(s3 >> 8) & 0xFF] ^
                  kTd[3][s2 & 0xFF] ^ rk[1];
    uint32_t t2 = kTd[0][s2 >> 24] ^ kTd[1][(s1 >> 16) & 0xFF] ^ kTd[2][(s0 >> 8) & 0xFF] ^
                  kTd[3][s3 & 0xFF] ^ rk[2];
    uint32_t t3 = kTd[0][s3 >> 24] ^ kTd[1][(s2 >> 16) & 0xFF] ^ kTd[2][(s1 >> 8) & 0xFF] ^
                  kTd[3][s0 & 0xFF] ^ rk[3];
    s0 = t0, s1 = t1, s2 = t2, s3 = t3;
  }
  rk += 4;
  auto last = [](uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t k) {
    return ((uint32_t(kInvSBox[a >> 24]) << 24) | (uint32_t(kInvSBox[(b >> 16) & 0xFF]) << 16) |
            (uint32_t(kInvSBox[(c >> 8) & 0xFF]) << 8) | kInvSBox[d & 0xFF]) ^
           k;
  };
  uint8_t* q = reinterpret_cast<uint8_t*>(out);
  PutU32(q, last(s0, s3, s2, s1, rk[0]));
  PutU32(q + 4, last(s1, s0, s3, s2, rk[1]));
  PutU32(q + 8, last(s2, s1, s0, s3, rk[2]));
  PutU32(q + 12, last(s3, s2, s1, s0, rk[3]));
}

void AES256CBC::DefEncryptBlock(const char* in, char* out) const {
  if (!keyed_) return;
  State s;
  std::memcpy(s, in, 16);
  AddRoundKey(s, encKey_);
  for (int r = 1; r <= kRounds; ++r) {
    SubBytes(s, kSBox);
    ShiftRows(s, false);
    if (r != kRounds) MixColumns(s, false);
    AddRoundKey(s, encKey_ + 4 * r);
  }
  std::memcpy(out, s, 16);
}

void AES256CBC::DefDecryptBlock(const char* in, char* out) const {
  if (!keyed_) return;
  State s;
  std::memcpy(s, in, 16);
  AddRoundKey(s, encKey_ + 4 * kRounds);
  for (int r = kRounds - 1; r >= 0; --r) {
    ShiftRows(s, true);
    SubBytes(s, kInvSBox);
    AddRoundKey(s, encKey_ + 4 * r);
    if (r != 0) MixColumns(s, true);
  }
  std::memcpy(out, s, 16);
}

void AES256CBC::Encrypt(const char* in, char* out, size_t n) {
  if (!keyed_ || in == nullptr || out == nullptr || n == 0 || n % kBlockSize != 0) return;
  char block[kBlockSize];
  for (size_t off = 0; off < n; off += kBlockSize) {
    for (int i = 0; i < kBlockSize; ++i) block[i] = char(in[off + i] ^ chain_[i]);
    EncryptBlock(block, out + off);
    std::memcpy(chain_, out + off, kBlockSize);
  }
}

void AES256CBC::Decrypt(const char* in, char* out, size_t n) {
  if (!keyed_ || in == nullptr || out == nullptr || n == 0 || n % kBlockSize != 0) return;
  char cipher[kBlockSize], plain[kBlockSize];
  for (size_t off = 0; off < n; off += kBlockSize) {
    std::memcpy(cipher, in + off, kBlockSize);  // `in` may be `out`
    DecryptBlock(cipher, plain);
    for (int i = 0; i < kBlockSize; ++i) out[off + i] = char(plain[i] ^ chain_[i]);
    std::memcpy(chain_, cipher, kBlockSize);
  }
}

void AES256CBC::DoAES256Encrypt(const char* key, const char* iv, const char* text,
                                unsigned char* out, int* outLength) {
  if (key == nullptr || iv == nullptr || text == nullptr || out == nullptr || outLength == nullptr)
    return;
  const size_t capacity = *outLength > 0 ? size_t(*outLength) : 0;
  std::memset(out, 0, capacity);
  *outLength = 0;
  const size_t textLength = std::strlen(text) + 1;  // with the NUL
  const size_t pad = kBlockSize - textLength % kBlockSize;
  const size_t total = textLength + pad;
  if (total > capacity) return;  // never write past the caller's buffer
  std::memcpy(out, text, textLength);
  std::memset(out + textLength, int(pad - 1), pad);
  AES256CBC aes;
  aes.MakeKey(key, iv, kKeyLength, kBlockSize);
  char* buffer = reinterpret_cast<char*>(out);
  aes.Encrypt(buffer, buffer, total);
  *outLength = int(total);
}

void AES256CBC::DoAES256Decrypt(const char* key, const char* iv, const char* in, int length,
                                char* out, int* outLength) {
  if (key == nullptr || iv == nullptr || in == nullptr || out == nullptr || outLength == nullptr)
    return;
  const int capacity = *outLength;
  *outLength = 0;
  if (length <= 0 || length % kBlockSize != 0 || length > capacity) return;
  AES256CBC aes;
  aes.MakeKey(key, iv, kKeyLength, kBlockSize);
  aes.Decrypt(in, out, size_t(length));
  *outLength = length;
}

bool AES256CBC::DoAES256DecryptText(const char* key, const char* iv, const unsigned char* in,
                                    size_t length, std::string& text) {
  text.clear();
  if (key == nullptr || iv == nullptr || in == nullptr || length == 0 || length % kBlockSize != 0)
    return false;
  std::string plain(length, '\0');
  AES256CBC aes;
  aes.MakeKey(key, iv, kKeyLength, kBlockSize);
  aes.Decrypt(reinterpret_cast<const char*>(in), plain.data(), length);
  const uint8_t last = uint8_t(plain[length - 1]);
  if (last >= kBlockSize) return false;
  const size_t pad = size_t(last) + 1;
  if (pad + 1 > length) return false;  // room for at least the NUL
  for (size_t i = length - pad; i < length; ++i)
    if (uint8_t(plain[i]) != last) return false;
  const size_t textLength = length - pad - 1;
  if (plain[textLength] != '\0') return false;
  if (std::memchr(plain.data(), 0, textLength) != nullptr) return false;
  text.assign(plain.data(), textLength);
  Wipe(plain.data(), plain.size());
  return true;
}
