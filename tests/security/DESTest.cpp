#include "security/DES.h"

#include <gtest/gtest.h>
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/des.h>

#include <cstring>

#include "SecurityTestSupport.h"

namespace {

std::string DesRun(const std::string& keyHex, short mode, const std::string& inHex) {
  const auto key = FromHex(keyHex), in = FromHex(inHex);
  deskey(key.data(), mode);
  std::vector<uint8_t> out(in.size());
  for (size_t i = 0; i < in.size(); i += 8) des(in.data() + i, out.data() + i);
  return ToHex(out);
}

}  // namespace

// Published samples: FIPS 81 (ECB of "Now is the time for all "), the worked
// textbook example, and SP 800-17 variable-plaintext / variable-key entries.
TEST(DES, KnownAnswers) {
  struct Case {
    const char *key, *plain, *cipher;
  } cases[] = {
      {"0123456789abcdef", "4e6f77206973207468652074696d6520666f7220616c6c20",
       "3fa40e8a984d48156a271787ab8883f9893d51ec4b563b53"},
      {"133457799bbcdff1", "0123456789abcdef", "85e813540f0ab405"},
      {"0101010101010101", "8000000000000000", "95f8a5e5dd31d900"},
      {"0101010101010101", "4000000000000000", "dd7f121ca5015619"},
      {"0101010101010101", "2000000000000000", "2e8653104f3834ea"},
      {"8001010101010101", "0000000000000000", "95a8d72813daa94d"},
      {"4001010101010101", "0000000000000000", "0eec1487dd8c26d5"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DesRun(c.key, EN0, c.plain), c.cipher) << c.key;
    EXPECT_EQ(DesRun(c.key, DE1, c.cipher), c.plain) << c.key;
  }
}

TEST(DES, ParityBitsDoNotMatter) {
  EXPECT_EQ(DesRun("0123456789abcdef", EN0, "0011223344556677"),
            DesRun("0022446688aaccee", EN0, "0011223344556677"));
}

TEST(DES, MatchesOpenSSLOnRandomInput) {
  std::mt19937 rng(46);
  for (int round = 0; round < 500; ++round) {
    const auto key = RandomBytes(rng, 8), in = RandomBytes(rng, 8);
    DES_cblock k;
    std::memcpy(k, key.data(), 8);
    DES_key_schedule schedule;
    DES_set_key_unchecked(&k, &schedule);
    DES_cblock block, expected;
    std::memcpy(block, in.data(), 8);
    DES_ecb_encrypt(&block, &expected, &schedule, DES_ENCRYPT);
    deskey(key.data(), EN0);
    unsigned char out[8];
    des(in.data(), out);
    ASSERT_EQ(ToHex(out, 8), ToHex(expected, 8)) << ToHex(key);
    deskey(key.data(), DE1);
    unsigned char back[8];
    des(out, back);
    ASSERT_EQ(ToHex(back, 8), ToHex(in));
  }
}

// A schedule saved with cpkey works again after another key was set.
TEST(DES, SavedScheduleCanBeReloaded) {
  const auto key = FromHex("0123456789abcdef"), other = FromHex("fedcba9876543210");
  const auto in = FromHex("4e6f772069732074");
  deskey(key.data(), EN0);
  uint32_t saved[kDESScheduleWords];
  cpkey(saved);
  deskey(other.data(), DE1);
  usekey(saved);
  unsigned char out[8];
  des(in.data(), out);
  EXPECT_EQ(ToHex(out, 8), "3fa40e8a984d4815");
  // In place.
  unsigned char block[8];
  std::memcpy(block, in.data(), 8);
  des(block, block);
  EXPECT_EQ(ToHex(block, 8), "3fa40e8a984d4815");
}
