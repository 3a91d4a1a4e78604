#include "security/SHA1.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>  // not openssl/sha.h: its SHA1() would hide the class

#include <cstdio>

#include "SecurityTestSupport.h"

namespace {

std::string Words(SHA1& sha) {
  unsigned d[5] = {};
  if (!sha.Result(d)) return "corrupt";
  char text[41];
  std::snprintf(text, sizeof text, "%08x%08x%08x%08x%08x", d[0], d[1], d[2], d[3], d[4]);
  return text;
}

std::string Digest(const std::string& message) {
  SHA1 sha;
  sha.Input(message.data(), unsigned(message.size()));
  return Words(sha);
}

}  // namespace

// FIPS 180-1 appendices A, B and C.
TEST(SHA1, StandardMessages) {
  EXPECT_EQ(Digest("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(Digest("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
  SHA1 sha;
  const std::string thousand(1000, 'a');
  for (int i = 0; i < 1000; ++i) sha.Input(thousand.data(), 1000);
  EXPECT_EQ(Words(sha), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
  EXPECT_EQ(Digest(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
}

// Every input form digests the same bytes.
TEST(SHA1, InputFormsAgree) {
  const std::string expected = Digest("abc");
  SHA1 chars, bytes, singles, streams;
  chars.Input("abc", 3);
  bytes.Input(reinterpret_cast<const unsigned char*>("abc"), 3);
  singles.Input('a');
  singles.Input(static_cast<unsigned char>('b'));
  singles.Input('c');
  streams << "a" << static_cast<unsigned char>('b') << reinterpret_cast<const unsigned char*>("c");
  EXPECT_EQ(Words(chars), expected);
  EXPECT_EQ(Words(bytes), expected);
  EXPECT_EQ(Words(singles), expected);
  EXPECT_EQ(Words(streams), expected);
  SHA1 withChar;
  withChar << 'a' << "bc";
  EXPECT_EQ(Words(withChar), expected);
}

TEST(SHA1, ResultClosesTheMessageAndResetReopensIt) {
  SHA1 sha;
  sha << "abc";
  const std::string first = Words(sha);
  EXPECT_EQ(Words(sha), first);  // asking twice gives the same digest
  sha << "more";
  EXPECT_EQ(Words(sha), "corrupt");
  sha.Reset();
  sha << "abc";
  EXPECT_EQ(Words(sha), first);
  SHA1 nullInput;
  nullInput.Input(static_cast<const unsigned char*>(nullptr), 4);
  EXPECT_EQ(Words(nullInput), "corrupt");
}

// Random messages, with every length around the padding boundaries, against
// OpenSSL; fed in random-sized pieces.
TEST(SHA1, MatchesOpenSSL) {
  std::mt19937 rng(1801);
  for (size_t n = 0; n < 300; ++n) {
    const size_t length = n < 200 ? n : size_t(rng() % 5000);
    const auto message = RandomBytes(rng, length);
    unsigned char expected[20];
    ASSERT_EQ(EVP_Digest(message.data(), message.size(), expected, nullptr, EVP_sha1(), nullptr),
              1);
    SHA1 sha;
    size_t at = 0;
    while (at < length) {
      const size_t piece = std::min(length - at, size_t(1 + rng() % 100));
      sha.Input(message.data() + at, unsigned(piece));
      at += piece;
    }
    ASSERT_EQ(Words(sha), ToHex(expected, 20)) << length;
  }
}
