#include "security/Twofish.h"

#include <gtest/gtest.h>

#include <cstring>

#include "SecurityTestSupport.h"

namespace {

std::string KeyHexUpper(const std::vector<uint8_t>& key) {
  std::string s = ToHex(key);
  for (auto& c : s) c = char(std::toupper(c));
  return s;
}

std::vector<uint8_t> EcbEncrypt(const std::vector<uint8_t>& key, const std::vector<uint8_t>& in) {
  std::vector<uint8_t> out(in.size());
  EXPECT_EQ(RunCipher(0, key.data(), in.data(), unsigned(in.size()), out.data()), 0);
  return out;
}

}  // namespace

// Published Twofish known answers for 256-bit keys.
TEST(Twofish, KnownAnswers256) {
  struct Case {
    const char *key, *plain, *cipher;
  } cases[] = {
      {"0000000000000000000000000000000000000000000000000000000000000000",
       "00000000000000000000000000000000", "57ff739d4dc92c1bd7fc01700cc8216f"},
      {"0123456789abcdeffedcba987654321000112233445566778899aabbccddeeff",
       "00000000000000000000000000000000", "37527be0052334b89f0cfccae87cfa20"},
  };
  for (const auto& c : cases) {
    const auto key = FromHex(c.key), plain = FromHex(c.plain);
    EXPECT_EQ(ToHex(EcbEncrypt(key, plain)), c.cipher);
    std::vector<uint8_t> back(16);
    ASSERT_EQ(RunCipher(1, key.data(), FromHex(c.cipher).data(), 16, back.data()), 0);
    EXPECT_EQ(back, plain);

    // The same through the hexadecimal key text of the interface.
    keyInstance ki;
    cipherInstance ci;
    ASSERT_EQ(makeKey(&ki, DIR_ENCRYPT, 256, c.key), TWOFISH_TRUE);
    EXPECT_STREQ(ki.keyMaterial, c.key);
    ASSERT_EQ(cipherInit(&ci, MODE_ECB, nullptr), TWOFISH_TRUE);
    std::vector<uint8_t> out(16);
    ASSERT_EQ(blockEncrypt(&ci, &ki, plain.data(), 128, out.data()), 128);
    EXPECT_EQ(ToHex(out), c.cipher);
  }
}

// The iterated table of the published 256-bit known-answer file: each
// plain text is the previous cipher text, each key the cipher text before that
// followed by the first half of the previous key.
TEST(Twofish, IteratedKnownAnswers256) {
  std::vector<uint8_t> key(32, 0), plain(16, 0), previous(16, 0);
  std::vector<std::string> seen;
  for (int i = 1; i <= 49; ++i) {
    const auto cipher = EcbEncrypt(key, plain);
    seen.push_back(ToHex(cipher));
    std::vector<uint8_t> next(plain);  // C(i-1)
    next.insert(next.end(), key.begin(), key.begin() + 16);
    key = next;
    plain = cipher;
  }
  EXPECT_EQ(seen[0], "57ff739d4dc92c1bd7fc01700cc8216f");
  EXPECT_EQ(seen[1], "d43bb7556ea32e46f2a282b7d45b4e0d");
  EXPECT_EQ(seen[2], "90afe91bb288544f2c32dc239b2635e6");
  EXPECT_EQ(seen[48], "37fe26ff1cf66175f5ddf4c33b97a205");
}

// 128-bit and 192-bit zero-key answers of the same publication.
TEST(Twofish, KnownAnswersShorterKeys) {
  struct Case {
    int bits;
    const char* cipher;
  } cases[] = {{128, "9f589f5cf6122c32b6bfec2f2ae8c35a"},
               {192, "efa71f788965bd4453f860178fc19101"}};
  for (const auto& c : cases) {
    keyInstance ki;
    cipherInstance ci;
    ASSERT_EQ(makeKey(&ki, DIR_ENCRYPT, c.bits, std::string(size_t(c.bits / 4), '0').c_str()),
              TWOFISH_TRUE);
    ASSERT_EQ(cipherInit(&ci, MODE_ECB, nullptr), TWOFISH_TRUE);
    uint8_t in[16] = {}, out[16];
    ASSERT_EQ(blockEncrypt(&ci, &ki, in, 128, out), 128);
    EXPECT_EQ(ToHex(out, 16), c.cipher) << c.bits;
  }
}

TEST(Twofish, RandomRoundTripsInEveryMode) {
  std::mt19937 rng(1998);
  for (int round = 0; round < 50; ++round) {
    const auto key = RandomBytes(rng, 32), iv = RandomBytes(rng, 16);
    const int blocks = 1 + int(rng() % 8);
    const auto plain = RandomBytes(rng, size_t(16 * blocks));
    const std::string keyText = KeyHexUpper(key), ivText = KeyHexUpper(iv);
    for (uint8_t mode : {uint8_t(MODE_ECB), uint8_t(MODE_CBC), uint8_t(MODE_CFB1)}) {
      keyInstance ki;
      cipherInstance enc, dec;
      ASSERT_EQ(makeKey(&ki, DIR_ENCRYPT, 256, keyText.c_str()), TWOFISH_TRUE);
      ASSERT_EQ(cipherInit(&enc, mode, ivText.c_str()), TWOFISH_TRUE);
      ASSERT_EQ(cipherInit(&dec, mode, ivText.c_str()), TWOFISH_TRUE);
      const int bits = mode == MODE_CFB1 ? 16 * blocks * 8 - int(rng() % 7) : 128 * blocks;
      std::vector<uint8_t> cipher(plain.size(), 0), back(plain.size(), 0);
      ASSERT_EQ(blockEncrypt(&enc, &ki, plain.data(), bits, cipher.data()), bits);
      ASSERT_EQ(blockDecrypt(&dec, &ki, cipher.data(), bits, back.data()), bits);
      for (int b = 0; b < bits; ++b)
        ASSERT_EQ((back[b / 8] >> (7 - b % 8)) & 1, (plain[b / 8] >> (7 - b % 8)) & 1)
            << "mode " << int(mode) << " bit " << b;
      if (mode == MODE_CBC) {
        // CBC is ECB of each block XORed with the previous cipher block.
        std::vector<uint8_t> prev(iv), block(16);
        for (int b = 0; b < blocks; ++b) {
          for (int i = 0; i < 16; ++i) block[i] = plain[16 * b + i] ^ prev[i];
          const auto expected = EcbEncrypt(key, block);
          ASSERT_EQ(ToHex(cipher.data() + 16 * b, 16), ToHex(expected));
          prev = expected;
        }
        EXPECT_EQ(ToHex(enc.IV, 16), ToHex(prev));
      }
    }
  }
}

TEST(Twofish, InterfaceErrors) {
  keyInstance ki;
  cipherInstance ci;
  const std::string zeros(64, '0');
  EXPECT_EQ(makeKey(nullptr, DIR_ENCRYPT, 256, nullptr), BAD_KEY_INSTANCE);
  EXPECT_EQ(makeKey(&ki, 2, 256, nullptr), BAD_KEY_DIR);
  for (int bits : {0, 64, 127, 160, 257, 512})
    EXPECT_EQ(makeKey(&ki, DIR_ENCRYPT, bits, nullptr), BAD_KEY_MAT);
  EXPECT_EQ(makeKey(&ki, DIR_ENCRYPT, 256, "00112233xx"), BAD_KEY_MAT);
  EXPECT_EQ(makeKey(&ki, DIR_ENCRYPT, 256, "0011"), BAD_KEY_MAT);  // text too short
  EXPECT_EQ(cipherInit(nullptr, MODE_ECB, nullptr), BAD_PARAMS);
  EXPECT_EQ(cipherInit(&ci, 9, nullptr), BAD_CIPHER_MODE);
  EXPECT_EQ(cipherInit(&ci, MODE_CBC, "not hex"), BAD_IV_MAT);

  uint8_t in[32] = {}, out[32];
  std::memset(out, 0x77, sizeof out);
  // A key instance that failed to set up is refused.
  ASSERT_EQ(cipherInit(&ci, MODE_ECB, nullptr), TWOFISH_TRUE);
  EXPECT_EQ(blockEncrypt(&ci, &ki, in, 128, out), BAD_KEY_INSTANCE);
  ASSERT_EQ(makeKey(&ki, DIR_ENCRYPT, 256, zeros.c_str()), TWOFISH_TRUE);
  EXPECT_EQ(blockEncrypt(&ci, &ki, in, 120, out), BAD_INPUT_LEN);
  EXPECT_EQ(blockDecrypt(&ci, &ki, in, 136, out), BAD_INPUT_LEN);
  EXPECT_EQ(blockEncrypt(&ci, &ki, in, -128, out), BAD_PARAMS);
  EXPECT_EQ(blockEncrypt(&ci, &ki, nullptr, 128, out), BAD_PARAMS);
  cipherInstance blank{};
  EXPECT_EQ(blockEncrypt(&blank, &ki, in, 128, out), BAD_CIPHER_STATE);
  EXPECT_EQ(out[0], 0x77);  // nothing written on any error
  EXPECT_EQ(reKey(nullptr), BAD_KEY_INSTANCE);
}

TEST(Twofish, RunCipherRefusesPartialBlocks) {
  const std::vector<uint8_t> key(32, 3);
  uint8_t in[48] = {}, out[48];
  for (unsigned n : {1u, 15u, 17u, 47u}) {
    std::memset(out, 0x55, sizeof out);
    EXPECT_EQ(RunCipher(0, key.data(), in, n, out), -1) << n;
    EXPECT_EQ(RunCipher(1, key.data(), in, n, out), -1) << n;
    EXPECT_EQ(out[0], 0x55);
  }
  EXPECT_EQ(RunCipher(0, key.data(), in, 48, out), 0);
  EXPECT_EQ(RunCipher(0, key.data(), in, 0, out), 0);  // nothing to do is all done
  EXPECT_EQ(RunCipher(1, key.data(), nullptr, 0, nullptr), 0);
  EXPECT_EQ(RunCipher(0, nullptr, in, 16, out), -1);
  EXPECT_EQ(RunCipher(0, key.data(), nullptr, 16, out), -1);
  // In place.
  uint8_t block[16] = {};
  ASSERT_EQ(RunCipher(0, key.data(), block, 16, block), 0);
  EXPECT_EQ(ToHex(block, 16), ToHex(out, 16));
}

// ParseHexDword puts the first character pair into the lowest byte.
TEST(Twofish, ParseHexDwordByteOrder) {
  uint32_t d[2];
  char copy[17] = {};
  ASSERT_EQ(ParseHexDword(64, "0123456789abcdef", d, copy), 0);
  EXPECT_EQ(d[0], 0x67452301u);
  EXPECT_EQ(d[1], 0xefcdab89u);
  EXPECT_STREQ(copy, "0123456789abcdef");
  EXPECT_EQ(ParseHexDword(64, "0123456789abcdeg", d, nullptr), BAD_KEY_MAT);
}

// h with the zero key list is the MDS matrix over the fixed permutations; the
// first sub-key pair of the zero 128-bit key is a published intermediate value.
TEST(Twofish, ZeroKeySubkeys) {
  keyInstance ki;
  ASSERT_EQ(makeKey(&ki, DIR_ENCRYPT, 128, nullptr), TWOFISH_TRUE);
  EXPECT_EQ(ki.subKeys[0], 0x52C54DDEu);
  EXPECT_EQ(ki.subKeys[1], 0x11F0626Du);
}

TEST(Twofish, TableOpTracksPermutationUse) {
  TableOp(TAB_RESET);
  TableOp(TAB_ENABLE);
  EXPECT_EQ(TableOp(TAB_QUERY), 0);
  std::mt19937 rng(5);
  const auto key = RandomBytes(rng, 32);
  for (int i = 0; i < 60; ++i) {
    const auto block = RandomBytes(rng, 64);
    EcbEncrypt(key, block);
  }
  int answer = 0;
  for (int q = 0; q < TAB_MIN_QUERY; ++q) answer = TableOp(TAB_QUERY);
  EXPECT_EQ(answer, TWOFISH_TRUE);
  TableOp(TAB_RESET);
  EXPECT_EQ(TableOp(TAB_QUERY), 0);
  TableOp(TAB_DISABLE);
}
