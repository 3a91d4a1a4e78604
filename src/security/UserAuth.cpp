#include "security/UserAuth.h"

#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "security/Base64.h"
#include "security/Guid.h"
#include "security/KeyMaterial.h"
#include "security/SHA1.h"
#include "security/Twofish.h"

namespace {

constexpr size_t kInnerHeader = 36;
constexpr size_t kDigestLength = 20;
constexpr size_t kOuterHeader = 40;  // version, size, session key
constexpr size_t kOuterTrailer = 8;

void PutBE(unsigned char* p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}

uint32_t GetBE(const unsigned char* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

void Wipe(void* p, size_t n) {
  volatile uint8_t* v = static_cast<volatile uint8_t*>(p);
  while (n--) *v++ = 0;
}

// A buffer that is wiped before it is freed: it holds passwords in clear.
struct SecretBuffer {
  explicit SecretBuffer(size_t n) : bytes(n, 0) {}
  ~SecretBuffer() { Wipe(bytes.data(), bytes.size()); }
  std::vector<unsigned char> bytes;
};

// Plain block size for an inner record of L bytes: length word, record and
// digest, then zeros to the next multiple of 16 (a whole block of zeros when
// already aligned).
size_t PlainBlockSize(size_t innerLength) {
  return ((innerLength + 24) / 16 + 1) * 16;
}

void Digest(const unsigned char* data, size_t length, unsigned char out[kDigestLength]) {
  SHA1 sha;
  sha.Input(data, unsigned(length));
  unsigned words[5] = {};
  sha.Result(words);
  for (int i = 0; i < 5; ++i) PutBE(out + 4 * i, words[i]);
}

void MakeSessionKey(unsigned char key[32]) {
  static bool seeded = false;
  const uint32_t pid = uint32_t(getpid());
  const uint32_t seconds = uint32_t(std::time(nullptr));
  if (!seeded) {
    std::srand(unsigned(pid + seconds));
    seeded = true;
  }
  const uint32_t r0 = uint32_t(std::rand()), r1 = uint32_t(std::rand());
  const uint32_t r2 = uint32_t(std::rand()), r3 = uint32_t(std::rand());
  const uint32_t address = uint32_t(reinterpret_cast<uintptr_t>(key));
  const uint32_t words[8] = {r0, pid, r1, seconds, r2, address, r3, r0};
  for (int i = 0; i < 8; ++i) PutBE(key + 4 * i, words[i]);
}

}  // namespace

int AUTH_packAndEncrypt(const char* userName, const char* password, const char* domain,
                        UAL_DomainType type, int, char** out) {
  if (out == nullptr) return -1;
  *out = nullptr;
  char user[kUALMaxNameLength + 1] = {}, pass[kUALMaxNameLength + 1] = {},
                                dom[kUALMaxNameLength + 1] = {};
  auto copy = [](char* to, const char* from) {
    if (from) std::strncpy(to, from, kUALMaxNameLength);
  };
  if (type == kUALDomainTypeUserName && userName != nullptr && userName[0] != '\0') {
    copy(user, userName);
    copy(pass, password);
    copy(dom, domain);
  }
  unsigned char guid[16];
  if (CreateGUID(guid) != 1) std::memset(guid, 0, sizeof guid);
  const int status = UAL_PackAndEncrypt(user, pass, dom, type, guid, out);
  Wipe(pass, sizeof pass);
  return status;
}

void AUTH_freeBuffer(char** buffer) {
  if (buffer == nullptr) return;
  std::free(*buffer);
  *buffer = nullptr;
}

int UAL_PackAndEncrypt(const char* userName, const char* password, const char* domain,
                       UAL_DomainType type, const unsigned char guid[16], char** out) {
  if (out == nullptr) return kUALNoOutput;
  *out = nullptr;
  const char* texts[3] = {userName ? userName : "", password ? password : "", domain ? domain : ""};
  size_t lengths[3];
  for (int i = 0; i < 3; ++i) lengths[i] = std::strlen(texts[i]);
  if (lengths[0] + lengths[1] + lengths[2] > kUALMaxPacketText) return kUALTooLong;

  // 1. Inner record.
  const size_t innerLength = kInnerHeader + lengths[0] + lengths[1] + lengths[2];
  SecretBuffer inner(innerLength);
  unsigned char* p = inner.bytes.data();
  PutBE(p, kUALVersion);
  PutBE(p + 4, uint32_t(lengths[0]));
  PutBE(p + 8, uint32_t(lengths[1]));
  PutBE(p + 12, uint32_t(lengths[2]));
  PutBE(p + 16, uint32_t(int32_t(type)));
  if (guid) std::memcpy(p + 20, guid, 16);
  size_t at = kInnerHeader;
  for (int i = 0; i < 3; ++i) {
    std::memcpy(p + at, texts[i], lengths[i]);
    at += lengths[i];
  }

  // 2. Plain block.
  const size_t plainSize = PlainBlockSize(innerLength);
  SecretBuffer plain(plainSize);
  PutBE(plain.bytes.data(), uint32_t(innerLength));
  std::memcpy(plain.bytes.data() + 4, p, innerLength);
  Digest(p, innerLength, plain.bytes.data() + 4 + innerLength);

  // 3. and 4. Session key and outer record.
  const size_t outerSize = plainSize + kOuterHeader + kOuterTrailer;
  SecretBuffer outer(outerSize);
  unsigned char* o = outer.bytes.data();
  PutBE(o, kUALVersion);
  PutBE(o + 4, uint32_t(plainSize));
  MakeSessionKey(o + 8);
  if (RunCipher(0, o + 8, plain.bytes.data(), unsigned(plainSize), o + kOuterHeader) != 0)
    return kUALCipherFailed;

  // 5. Master key layer and Base64 into a buffer sized beforehand.
  SecretBuffer sealed(outerSize);
  if (RunCipher(0, masterKey, o, unsigned(outerSize), sealed.bytes.data()) != 0)
    return kUALCipherFailed;
  const size_t maxOutLen = 4 * ((outerSize + 2) / 3) + 1;
  char* text = static_cast<char*>(std::malloc(maxOutLen));
  if (text == nullptr) return kUALNoMemory;
  const long outLen = Base64Encoder::Encode(sealed.bytes.data(), outerSize, text, maxOutLen, false);
  if (outLen < 0 || size_t(outLen) >= maxOutLen) {  // *outLen <= maxOutLen, with its NUL
    std::free(text);
    return kUALEncodeFailed;
  }
  *out = text;
  return kUALOk;
}

int UAL_UnpackAndDecrypt(const char* text, size_t length, UAL_Packet* packet) {
  if (packet == nullptr) return kUALReadBadLength;
  *packet = UAL_Packet();
  if (text == nullptr) return kUALReadBadBase64;
  SecretBuffer sealed(Base64Decoder::MaxDecodedLength(length));
  const long decoded =
      Base64Decoder::Decode(text, length, sealed.bytes.data(), sealed.bytes.size());
  if (decoded < 0) return kUALReadBadBase64;
  const size_t outerSize = size_t(decoded);
  // The smallest packet has an empty inner record: a 64-byte plain block.
  if (outerSize % 16 != 0 || outerSize < kOuterHeader + kOuterTrailer + 64)
    return kUALReadBadLength;

  SecretBuffer outer(outerSize);
  if (RunCipher(1, masterKey, sealed.bytes.data(), unsigned(outerSize), outer.bytes.data()) != 0)
    return kUALReadBadLength;
  const unsigned char* o = outer.bytes.data();
  const size_t plainSize = outerSize - kOuterHeader - kOuterTrailer;
  if (GetBE(o) != kUALVersion || GetBE(o + 4) != plainSize) return kUALReadBadOuter;
  for (size_t i = outerSize - kOuterTrailer; i < outerSize; ++i)
    if (o[i] != 0) return kUALReadBadOuter;

  SecretBuffer plain(plainSize);
  if (RunCipher(1, o + 8, o + kOuterHeader, unsigned(plainSize), plain.bytes.data()) != 0)
    return kUALReadBadLength;
  const unsigned char* b = plain.bytes.data();
  const size_t innerLength = GetBE(b);
  if (innerLength < kInnerHeader || innerLength > plainSize ||
      PlainBlockSize(innerLength) != plainSize)
    return kUALReadBadPlain;
  for (size_t i = 4 + innerLength + kDigestLength; i < plainSize; ++i)
    if (b[i] != 0) return kUALReadBadPlain;
  const unsigned char* inner = b + 4;
  unsigned char digest[kDigestLength];
  Digest(inner, innerLength, digest);
  if (std::memcmp(digest, inner + innerLength, kDigestLength) != 0) return kUALReadBadDigest;
  if (GetBE(inner) != kUALVersion) return kUALReadBadVersion;
  const uint64_t u = GetBE(inner + 4), pw = GetBE(inner + 8), d = GetBE(inner + 12);
  if (kInnerHeader + u + pw + d != innerLength) return kUALReadBadPlain;

  const char* strings = reinterpret_cast<const char*>(inner + kInnerHeader);
  packet->userName.assign(strings, size_t(u));
  packet->password.assign(strings + u, size_t(pw));
  packet->domain.assign(strings + u + pw, size_t(d));
  packet->domainType = int32_t(GetBE(inner + 16));
  std::memcpy(packet->guid, inner + 20, 16);
  std::memcpy(packet->sessionKey, o + 8, 32);
  return kUALReadOk;
}
