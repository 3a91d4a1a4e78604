#include "security/AES256CBC.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstring>
#include <memory>

#include "SecurityTestSupport.h"

namespace {

std::vector<uint8_t> BlockWith(const AES256CBC& aes, const std::vector<uint8_t>& in,
                               void (AES256CBC::*fn)(const char*, char*) const) {
  std::vector<uint8_t> out(16);
  (aes.*fn)(AsChars(in), reinterpret_cast<char*>(out.data()));
  return out;
}

std::vector<uint8_t> OpenSSLCbc(bool encrypt, const std::vector<uint8_t>& key,
                                const std::vector<uint8_t>& iv, const std::vector<uint8_t>& in) {
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                      EVP_CIPHER_CTX_free);
  EVP_CipherInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr, key.data(), iv.data(), encrypt);
  EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
  std::vector<uint8_t> out(in.size() + 16);
  int n = 0, tail = 0;
  EVP_CipherUpdate(ctx.get(), out.data(), &n, in.data(), int(in.size()));
  EVP_CipherFinal_ex(ctx.get(), out.data() + n, &tail);
  out.resize(size_t(n + tail));
  return out;
}

}  // namespace

// FIPS-197 appendix C.3: every block form, both directions.
TEST(AES256CBC, Fips197AppendixC3) {
  const auto key = FromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
  const auto plain = FromHex("00112233445566778899aabbccddeeff");
  const std::string cipher = "8ea2b7ca516745bfeafc49904b496089";
  AES256CBC aes;
  aes.MakeKey(AsChars(key), nullptr, 32, 16);
  ASSERT_TRUE(aes.IsKeyed());
  EXPECT_EQ(ToHex(BlockWith(aes, plain, &AES256CBC::EncryptBlock)), cipher);
  EXPECT_EQ(ToHex(BlockWith(aes, plain, &AES256CBC::DefEncryptBlock)), cipher);
  EXPECT_EQ(BlockWith(aes, FromHex(cipher), &AES256CBC::DecryptBlock), plain);
  EXPECT_EQ(BlockWith(aes, FromHex(cipher), &AES256CBC::DefDecryptBlock), plain);
}

// SP 800-38A F.2.5 / F.2.6, CBC-AES256, in one call and block by block (the
// chain carries over between calls).
TEST(AES256CBC, Sp80038aCbcAes256) {
  const auto key = FromHex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
  const auto iv = FromHex("000102030405060708090a0b0c0d0e0f");
  const auto plain = FromHex(
      "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
      "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
  const std::string cipher =
      "f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d"
      "39f23369a9d9bacfa530e26304231461b2eb05e2c39be9fcda6c19078c6a9d1b";
  AES256CBC aes;
  aes.MakeKey(AsChars(key), AsChars(iv), 32, 16);
  std::vector<uint8_t> out(64);
  aes.Encrypt(AsChars(plain), reinterpret_cast<char*>(out.data()), 64);
  EXPECT_EQ(ToHex(out), cipher);

  aes.ResetChain();
  std::vector<uint8_t> pieces(64);
  for (int b = 0; b < 4; ++b)
    aes.Encrypt(AsChars(plain) + 16 * b, reinterpret_cast<char*>(pieces.data()) + 16 * b, 16);
  EXPECT_EQ(ToHex(pieces), cipher);

  aes.ResetChain();
  std::vector<uint8_t> back = FromHex(cipher);  // in place
  aes.Decrypt(AsChars(back), reinterpret_cast<char*>(back.data()), 64);
  EXPECT_EQ(back, plain);
}

// Random keys, vectors and lengths: OpenSSL as the oracle, and the general
// block form against the table form.
TEST(AES256CBC, MatchesOpenSSLOnRandomInput) {
  std::mt19937 rng(20260);
  for (int round = 0; round < 200; ++round) {
    const auto key = RandomBytes(rng, 32), iv = RandomBytes(rng, 16);
    const auto plain = RandomBytes(rng, 16 * (1 + rng() % 20));
    AES256CBC aes;
    aes.MakeKey(AsChars(key), AsChars(iv));
    std::vector<uint8_t> cipher(plain.size());
    aes.Encrypt(AsChars(plain), reinterpret_cast<char*>(cipher.data()), plain.size());
    ASSERT_EQ(cipher, OpenSSLCbc(true, key, iv, plain)) << "round " << round;

    AES256CBC dec;
    dec.MakeKey(AsChars(key), AsChars(iv));
    std::vector<uint8_t> back(plain.size());
    dec.Decrypt(AsChars(cipher), reinterpret_cast<char*>(back.data()), cipher.size());
    ASSERT_EQ(back, plain);

    const std::vector<uint8_t> block(plain.begin(), plain.begin() + 16);
    ASSERT_EQ(BlockWith(aes, block, &AES256CBC::EncryptBlock),
              BlockWith(aes, block, &AES256CBC::DefEncryptBlock));
    ASSERT_EQ(BlockWith(aes, block, &AES256CBC::DecryptBlock),
              BlockWith(aes, block, &AES256CBC::DefDecryptBlock));
  }
}

TEST(AES256CBC, RefusedKeysLeaveTheObjectUnkeyed) {
  const std::vector<uint8_t> key(32, 7);
  struct Case {
    const char* key;
    int keyLength, blockSize;
  } cases[] = {{AsChars(key), 16, 16},
               {AsChars(key), 24, 16},
               {AsChars(key), 32, 24},
               {AsChars(key), 32, 32},
               {nullptr, 32, 16}};
  for (const auto& c : cases) {
    AES256CBC aes;
    aes.MakeKey(c.key, nullptr, c.keyLength, c.blockSize);
    EXPECT_FALSE(aes.IsKeyed()) << c.keyLength << "/" << c.blockSize;
    char in[16] = {1, 2, 3}, out[16];
    std::memset(out, 0x5A, sizeof out);
    aes.Encrypt(in, out, 16);
    aes.EncryptBlock(in, out);
    EXPECT_EQ(out[0], 0x5A);
  }
  // A refused MakeKey also forgets an earlier good key.
  AES256CBC aes;
  aes.MakeKey(AsChars(key), nullptr);
  aes.MakeKey(AsChars(key), nullptr, 16, 16);
  EXPECT_FALSE(aes.IsKeyed());
}

TEST(AES256CBC, LengthsThatAreNotBlockMultiplesDoNothing) {
  const std::vector<uint8_t> key(32, 1);
  AES256CBC aes;
  aes.MakeKey(AsChars(key), nullptr);
  for (size_t n : {0, 1, 15, 17, 31, 33}) {
    std::vector<char> in(48, 'x'), out(48, '#');
    aes.Encrypt(in.data(), out.data(), n);
    aes.Decrypt(in.data(), out.data(), n);
    EXPECT_EQ(std::string(out.begin(), out.end()), std::string(48, '#')) << n;
  }
  // The chain did not move either: the first real block matches a fresh object.
  char block[16] = {}, a[16], b[16];
  aes.Encrypt(block, a, 16);
  AES256CBC fresh;
  fresh.MakeKey(AsChars(key), nullptr);
  fresh.Encrypt(block, b, 16);
  EXPECT_EQ(0, std::memcmp(a, b, 16));
}

namespace {

struct TextCipher {
  std::vector<uint8_t> key = std::vector<uint8_t>(32), iv = std::vector<uint8_t>(16);
  TextCipher() {
    for (int i = 0; i < 32; ++i) key[i] = uint8_t(0xA0 + i);
    for (int i = 0; i < 16; ++i) iv[i] = uint8_t(0x10 * (i % 16));
  }
  std::vector<uint8_t> Encrypt(const char* text, int capacity = 300) {
    std::vector<uint8_t> out(size_t(capacity), 0xEE);
    int length = capacity;
    AES256CBC::DoAES256Encrypt(AsChars(key), AsChars(iv), text, out.data(), &length);
    out.resize(size_t(length));
    return out;
  }
  std::vector<uint8_t> Plain(const std::vector<uint8_t>& cipher) {
    std::vector<uint8_t> out(cipher.size());
    int length = int(out.size());
    AES256CBC::DoAES256Decrypt(AsChars(key), AsChars(iv), AsChars(cipher), int(cipher.size()),
                               reinterpret_cast<char*>(out.data()), &length);
    out.resize(size_t(length));
    return out;
  }
};

}  // namespace

// The padding of p bytes of value p - 1 after the text and its NUL.
TEST(AES256CBC, TextPaddingEdgeCases) {
  TextCipher c;
  const auto empty = c.Plain(c.Encrypt(""));
  std::vector<uint8_t> expected(16, 14);
  expected[0] = 0;
  EXPECT_EQ(empty, expected);

  const auto fifteen = c.Plain(c.Encrypt("ABCDEFGHIJKLMNO"));
  ASSERT_EQ(fifteen.size(), 32u);
  EXPECT_EQ(std::string(fifteen.begin(), fifteen.begin() + 16),
            std::string("ABCDEFGHIJKLMNO\0", 16));
  EXPECT_EQ(std::vector<uint8_t>(fifteen.begin() + 16, fifteen.end()),
            std::vector<uint8_t>(16, 15));

  const auto fourteen = c.Plain(c.Encrypt("ABCDEFGHIJKLMN"));
  ASSERT_EQ(fourteen.size(), 16u);
  EXPECT_EQ(fourteen[15], 0);  // p = 1: one byte of value 0

  // The longest job-note text (255 bytes) needs 272 bytes.
  const std::string longest(255, 'q');
  EXPECT_EQ(c.Encrypt(longest.c_str()).size(), 272u);

  // Same bytes as plain CBC over the padded buffer.
  std::vector<uint8_t> padded = {'h', 'i', 0};
  padded.resize(16, 12);
  EXPECT_EQ(c.Encrypt("hi"), OpenSSLCbc(true, c.key, c.iv, padded));
}

TEST(AES256CBC, TextEncryptClearsAndRespectsTheCapacity) {
  TextCipher c;
  std::vector<uint8_t> out(40, 0xEE);
  int length = 20;  // too small for the 32 bytes of a 20-character text
  AES256CBC::DoAES256Encrypt(AsChars(c.key), AsChars(c.iv), "twenty characters!!!", out.data(),
                             &length);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 20), std::vector<uint8_t>(20, 0));
  EXPECT_EQ(out[20], 0xEE);  // nothing past the capacity

  length = 40;
  AES256CBC::DoAES256Encrypt(AsChars(c.key), AsChars(c.iv), "x", out.data(), &length);
  EXPECT_EQ(length, 16);
  EXPECT_EQ(std::vector<uint8_t>(out.begin() + 16, out.end()), std::vector<uint8_t>(24, 0));

  // Any null argument: nothing happens.
  length = 40;
  AES256CBC::DoAES256Encrypt(nullptr, AsChars(c.iv), "x", out.data(), &length);
  AES256CBC::DoAES256Encrypt(AsChars(c.key), nullptr, "x", out.data(), &length);
  AES256CBC::DoAES256Encrypt(AsChars(c.key), AsChars(c.iv), nullptr, out.data(), &length);
  EXPECT_EQ(length, 40);
  AES256CBC::DoAES256Encrypt(AsChars(c.key), AsChars(c.iv), "x", nullptr, &length);
  AES256CBC::DoAES256Encrypt(AsChars(c.key), AsChars(c.iv), "x", out.data(), nullptr);
}

TEST(AES256CBC, DecryptRefusesBadLengthsAndCapacities) {
  TextCipher c;
  const auto cipher = c.Encrypt("twenty characters!!!");
  ASSERT_EQ(cipher.size(), 32u);
  std::vector<char> out(64, '#');
  struct Case {
    int length, capacity;
  } cases[] = {{0, 64}, {-16, 64}, {15, 64}, {17, 64}, {32, 31}};
  for (const auto& k : cases) {
    int length = k.capacity;
    AES256CBC::DoAES256Decrypt(AsChars(c.key), AsChars(c.iv), AsChars(cipher), k.length, out.data(),
                               &length);
    EXPECT_EQ(length, 0) << k.length << "/" << k.capacity;
    EXPECT_EQ(out[0], '#');
  }
}

TEST(AES256CBC, TextRoundTripAndPaddingChecks) {
  TextCipher c;
  std::mt19937 rng(7);
  for (size_t n = 0; n < 70; ++n) {
    std::string text;
    for (size_t i = 0; i < n; ++i) text.push_back(char(1 + rng() % 255));
    const auto cipher = c.Encrypt(text.c_str());
    std::string back;
    ASSERT_TRUE(AES256CBC::DoAES256DecryptText(AsChars(c.key), AsChars(c.iv), cipher.data(),
                                               cipher.size(), back));
    EXPECT_EQ(back, text);
  }

  // Plain blocks that DoAES256Encrypt never makes are refused.
  auto encryptRaw = [&](std::vector<uint8_t> plain) {
    std::vector<uint8_t> out(plain.size());
    AES256CBC aes;
    aes.MakeKey(AsChars(c.key), AsChars(c.iv));
    aes.Encrypt(AsChars(plain), reinterpret_cast<char*>(out.data()), plain.size());
    return out;
  };
  std::vector<std::vector<uint8_t>> bad;
  std::vector<uint8_t> b(16, 'a');
  b[15] = 16;  // pad value out of range
  bad.push_back(b);
  b.assign(16, 'a');
  b[15] = 2, b[14] = 2, b[13] = 1;  // pad bytes differ
  bad.push_back(b);
  b.assign(16, 'a');
  b[15] = 0;  // one pad byte, but no NUL before it
  bad.push_back(b);
  b.assign(16, 15);  // a whole pad block leaves no room for the NUL
  bad.push_back(b);
  b.assign(16, 'a');
  b[3] = 0, b[14] = 0, b[15] = 0;  // NUL inside the text
  bad.push_back(b);
  for (const auto& plain : bad) {
    std::string text = "stale";
    const auto cipher = encryptRaw(plain);
    EXPECT_FALSE(AES256CBC::DoAES256DecryptText(AsChars(c.key), AsChars(c.iv), cipher.data(),
                                                cipher.size(), text))
        << ToHex(plain);
    EXPECT_TRUE(text.empty());
  }
  std::string text;
  const auto good = c.Encrypt("abc");
  EXPECT_FALSE(
      AES256CBC::DoAES256DecryptText(AsChars(c.key), AsChars(c.iv), good.data(), 15, text));
  EXPECT_FALSE(AES256CBC::DoAES256DecryptText(AsChars(c.key), AsChars(c.iv), good.data(), 0, text));
}
