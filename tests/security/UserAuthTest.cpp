#include "security/UserAuth.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <ctime>

#include "SecurityTestSupport.h"
#include "security/Base64.h"
#include "security/KeyMaterial.h"
#include "security/SHA1.h"
#include "security/Twofish.h"

namespace {

uint32_t BE(const unsigned char* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// Takes a packet apart step by step with the primitives, independently of
// UAL_UnpackAndDecrypt: Base64, Twofish under the master key, outer record,
// Twofish under the session key, plain block.
struct Opened {
  std::vector<unsigned char> outer, plain;
  uint32_t plainSize = 0;
};

Opened Open(const char* text) {
  Opened o;
  const size_t length = std::strlen(text);
  std::vector<unsigned char> sealed(Base64Decoder::MaxDecodedLength(length));
  const long n = Base64Decoder::Decode(text, length, sealed.data(), sealed.size());
  EXPECT_GT(n, 0);
  sealed.resize(size_t(n));
  o.outer.resize(sealed.size());
  EXPECT_EQ(RunCipher(1, masterKey, sealed.data(), unsigned(sealed.size()), o.outer.data()), 0);
  EXPECT_EQ(BE(o.outer.data()), 1u);
  o.plainSize = BE(o.outer.data() + 4);
  EXPECT_EQ(o.outer.size(), size_t(o.plainSize) + 48);
  EXPECT_EQ(std::vector<unsigned char>(o.outer.end() - 8, o.outer.end()),
            std::vector<unsigned char>(8, 0));
  o.plain.resize(o.plainSize);
  EXPECT_EQ(RunCipher(1, o.outer.data() + 8, o.outer.data() + 40, o.plainSize, o.plain.data()), 0);
  return o;
}

struct Packed {
  char* text = nullptr;
  ~Packed() { AUTH_freeBuffer(&text); }
};

}  // namespace

// Several names, passwords, domains and types: the packet decodes back to the
// same fields, with its lengths, layout and digest as laid down.
TEST(UserAuth, PacketDecodesBack) {
  struct Case {
    const char *user, *password, *domain;
    int32_t type;
  } cases[] = {
      {"alice", "secret", "", 2},
      {"bob", "", "CORP", 7},
      {"\xe5\xb1\xb1\xe7\x94\xb0", "p\xc3\xa4ss w/ spaces", "example.local", 2},
      {"", "", "", 0},
      {"u", "0123456789abcdef0123456789abcdef", "d", -5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.user);
    unsigned char guid[16];
    for (int i = 0; i < 16; ++i) guid[i] = uint8_t(0xC0 + i);
    Packed packed;
    ASSERT_EQ(UAL_PackAndEncrypt(c.user, c.password, c.domain, UAL_DomainType(c.type), guid,
                                 &packed.text),
              0);
    const size_t u = std::strlen(c.user), p = std::strlen(c.password), d = std::strlen(c.domain);
    const size_t innerLength = 36 + u + p + d;

    const Opened o = Open(packed.text);
    EXPECT_EQ(o.plainSize % 16, 0u);
    EXPECT_GE(o.plainSize, innerLength + 24);
    EXPECT_LE(o.plainSize, innerLength + 24 + 16);
    EXPECT_EQ(std::strlen(packed.text), 4 * ((o.plainSize + 48 + 2) / 3));

    const unsigned char* b = o.plain.data();
    ASSERT_EQ(BE(b), innerLength);
    const unsigned char* inner = b + 4;
    EXPECT_EQ(BE(inner), 1u);
    EXPECT_EQ(BE(inner + 4), u);
    EXPECT_EQ(BE(inner + 8), p);
    EXPECT_EQ(BE(inner + 12), d);
    EXPECT_EQ(int32_t(BE(inner + 16)), c.type);
    EXPECT_EQ(0, std::memcmp(inner + 20, guid, 16));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(inner + 36), u + p + d),
              std::string(c.user) + c.password + c.domain);
    SHA1 sha;
    sha.Input(inner, unsigned(innerLength));
    unsigned words[5];
    ASSERT_TRUE(sha.Result(words));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(BE(inner + innerLength + 4 * i), words[i]);
    for (size_t i = 4 + innerLength + 20; i < o.plainSize; ++i) EXPECT_EQ(b[i], 0) << i;

    UAL_Packet back;
    ASSERT_EQ(UAL_UnpackAndDecrypt(packed.text, std::strlen(packed.text), &back), kUALReadOk);
    EXPECT_EQ(back.userName, c.user);
    EXPECT_EQ(back.password, c.password);
    EXPECT_EQ(back.domain, c.domain);
    EXPECT_EQ(back.domainType, c.type);
    EXPECT_EQ(0, std::memcmp(back.guid, guid, 16));
  }
}

// Plain block sizes: zeros up to the next multiple of 16, a whole block of
// zeros when L + 24 is already aligned (inner record of 40 bytes -> 80).
TEST(UserAuth, PlainBlockSizes) {
  struct Case {
    const char* user;
    uint32_t plainSize;
  } cases[] = {{"", 64}, {"abcd", 80}, {"abcde", 80}, {"abcdefghijklmnopqrst", 96}};
  for (const auto& c : cases) {
    Packed packed;
    ASSERT_EQ(UAL_PackAndEncrypt(c.user, "", "", kUALDomainTypeUserName, nullptr, &packed.text), 0);
    EXPECT_EQ(Open(packed.text).plainSize, c.plainSize) << c.user;
  }
}

// Session key words: r0, process id, r1, seconds, r2, address, r3, r0.
TEST(UserAuth, SessionKeyLayout) {
  const uint32_t before = uint32_t(std::time(nullptr));
  Packed packed;
  ASSERT_EQ(UAL_PackAndEncrypt("name", "pw", "", kUALDomainTypeUserName, nullptr, &packed.text), 0);
  const Opened o = Open(packed.text);
  const unsigned char* key = o.outer.data() + 8;
  EXPECT_EQ(BE(key + 4), uint32_t(getpid()));
  EXPECT_GE(BE(key + 12), before);
  EXPECT_LE(BE(key + 12), uint32_t(std::time(nullptr)));
  EXPECT_EQ(BE(key + 28), BE(key));
  // A second packet has another session key.
  Packed again;
  ASSERT_EQ(UAL_PackAndEncrypt("name", "pw", "", kUALDomainTypeUserName, nullptr, &again.text), 0);
  EXPECT_STRNE(packed.text, again.text);
}

TEST(UserAuth, PackAndEncryptCopiesNamesOnlyForTypeTwo) {
  const std::string longName(300, 'n'), longPassword(400, 'p');
  struct Case {
    const char *user, *password, *domain;
    UAL_DomainType type;
    std::string wantUser, wantPassword, wantDomain;
  } cases[] = {
      {"joe", "pw", "dom", kUALDomainTypeUserName, "joe", "pw", "dom"},
      {"joe", "pw", "dom", UAL_DomainType(1), "", "", ""},
      {"", "pw", "dom", kUALDomainTypeUserName, "", "", ""},
      {nullptr, "pw", "dom", kUALDomainTypeUserName, "", "", ""},
      {longName.c_str(), longPassword.c_str(), nullptr, kUALDomainTypeUserName,
       std::string(255, 'n'), std::string(255, 'p'), ""},
  };
  for (const auto& c : cases) {
    Packed packed;
    ASSERT_EQ(AUTH_packAndEncrypt(c.user, c.password, c.domain, c.type, 0, &packed.text), 0);
    ASSERT_NE(packed.text, nullptr);
    UAL_Packet back;
    ASSERT_EQ(UAL_UnpackAndDecrypt(packed.text, std::strlen(packed.text), &back), kUALReadOk);
    EXPECT_EQ(back.userName, c.wantUser);
    EXPECT_EQ(back.password, c.wantPassword);
    EXPECT_EQ(back.domain, c.wantDomain);
    EXPECT_EQ(back.domainType, int32_t(c.type));
    // The identifier's tail is zero (bytes 10 to 15).
    EXPECT_EQ(ToHex(back.guid + 10, 6), "000000000000");
  }
}

TEST(UserAuth, NullOutputAndFreeing) {
  EXPECT_EQ(AUTH_packAndEncrypt("a", "b", "", kUALDomainTypeUserName, 0, nullptr), -1);
  EXPECT_NE(UAL_PackAndEncrypt("a", "b", "", kUALDomainTypeUserName, nullptr, nullptr), 0);
  char* text = nullptr;
  ASSERT_EQ(AUTH_packAndEncrypt("a", "b", "", kUALDomainTypeUserName, 0, &text), 0);
  AUTH_freeBuffer(&text);
  EXPECT_EQ(text, nullptr);
  AUTH_freeBuffer(&text);  // twice is harmless
  AUTH_freeBuffer(nullptr);
}

// Altered packets are refused with a status, never read out of bounds.
TEST(UserAuth, DamagedPacketsAreRefused) {
  Packed packed;
  ASSERT_EQ(
      UAL_PackAndEncrypt("alice", "secret", "", kUALDomainTypeUserName, nullptr, &packed.text), 0);
  const std::string good = packed.text;
  UAL_Packet back;
  EXPECT_EQ(UAL_UnpackAndDecrypt("", 0, &back), kUALReadBadLength);
  EXPECT_EQ(UAL_UnpackAndDecrypt(nullptr, 4, &back), kUALReadBadBase64);
  EXPECT_EQ(UAL_UnpackAndDecrypt("****", 4, &back), kUALReadBadBase64);
  EXPECT_EQ(UAL_UnpackAndDecrypt(good.data(), good.size() - 4, &back), kUALReadBadLength);
  EXPECT_EQ(UAL_UnpackAndDecrypt("AAAAAAAAAAAAAAAAAAAAAA==", 24, &back), kUALReadBadLength);
  // Flipping any one character changes a cipher block: some check fails.
  for (size_t i = 0; i + 2 < good.size(); i += 7) {
    std::string bad = good;
    bad[i] = bad[i] == 'A' ? 'B' : 'A';
    EXPECT_NE(UAL_UnpackAndDecrypt(bad.data(), bad.size(), &back), kUALReadOk) << i;
    EXPECT_TRUE(back.userName.empty());
  }
  // Valid outer layers around a wrong inner digest.
  std::vector<unsigned char> outer(48 + 64, 0);
  outer[3] = 1;
  outer[7] = 64;
  std::vector<unsigned char> plain(64, 0);
  plain[3] = 36;
  plain[4 + 3] = 1;
  ASSERT_EQ(RunCipher(0, outer.data() + 8, plain.data(), 64, outer.data() + 40), 0);
  std::vector<unsigned char> sealed(outer.size());
  ASSERT_EQ(RunCipher(0, masterKey, outer.data(), unsigned(outer.size()), sealed.data()), 0);
  std::string text(Base64Encoder::EncodedLength(sealed.size(), false) + 1, '\0');
  Base64Encoder::Encode(sealed.data(), sealed.size(), text.data(), text.size(), false);
  text.pop_back();
  EXPECT_EQ(UAL_UnpackAndDecrypt(text.data(), text.size(), &back), kUALReadBadDigest);
}
