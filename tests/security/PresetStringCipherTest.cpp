#include "security/PresetStringCipher.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstring>

#include "SecurityTestSupport.h"
#include "security/KeyMaterial.h"
#include "security/QZCFBase64.h"
#include "security/SHA1.h"

namespace {

const CFString kPhrase = CFSTR("7C2E4A19-3B8D-4F06-9A51-E0D6C3B2F847");

// HMAC-SHA1 and PBKDF2 written over our own SHA1: an implementation apart from
// the one the cipher uses.
std::vector<uint8_t> Sha1(const std::vector<uint8_t>& data) {
  SHA1 sha;
  sha.Input(data.data(), unsigned(data.size()));
  unsigned w[5];
  sha.Result(w);
  std::vector<uint8_t> out;
  for (unsigned v : w)
    for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
  return out;
}

std::vector<uint8_t> HmacSha1(std::vector<uint8_t> key, const std::vector<uint8_t>& message) {
  if (key.size() > 64) key = Sha1(key);
  key.resize(64, 0);
  std::vector<uint8_t> inner(64), outer(64);
  for (int i = 0; i < 64; ++i) inner[i] = key[i] ^ 0x36, outer[i] = key[i] ^ 0x5C;
  inner.insert(inner.end(), message.begin(), message.end());
  const auto h = Sha1(inner);
  outer.insert(outer.end(), h.begin(), h.end());
  return Sha1(outer);
}

std::vector<uint8_t> Pbkdf2(const std::string& password, const std::vector<uint8_t>& salt,
                            int iterations, size_t length) {
  const std::vector<uint8_t> key(password.begin(), password.end());
  std::vector<uint8_t> out;
  for (uint32_t block = 1; out.size() < length; ++block) {
    std::vector<uint8_t> s(salt.size() + 4);
    std::copy(salt.begin(), salt.end(), s.begin());
    for (int i = 0; i < 4; ++i) s[salt.size() + size_t(i)] = uint8_t(block >> (24 - 8 * i));
    auto u = HmacSha1(key, s), t = u;
    for (int i = 1; i < iterations; ++i) {
      u = HmacSha1(key, u);
      for (size_t j = 0; j < t.size(); ++j) t[j] ^= u[j];
    }
    out.insert(out.end(), t.begin(), t.end());
  }
  out.resize(length);
  return out;
}

std::vector<uint8_t> Bytes(const char* s) {
  return std::vector<uint8_t>(s, s + std::strlen(s));
}

}  // namespace

// RFC 6070 PBKDF2-HMAC-SHA1 vectors, for the reference derivation below.
TEST(PresetStringCipher, ReferencePbkdf2KnownAnswers) {
  EXPECT_EQ(ToHex(Pbkdf2("password", Bytes("salt"), 1, 20)),
            "0c60c80f961f0e71f3a9b524af6012062fe037a6");
  EXPECT_EQ(ToHex(Pbkdf2("password", Bytes("salt"), 2, 20)),
            "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957");
  EXPECT_EQ(ToHex(Pbkdf2("password", Bytes("salt"), 4096, 20)),
            "4b007901b765489abead49d926f721d065a429c1");
}

// The derivation the cipher uses (OpenSSL) equals the reference one.
TEST(PresetStringCipher, Pbkdf2MatchesReference) {
  std::mt19937 rng(6070);
  const std::vector<uint8_t> salt(kPresetSalt, kPresetSalt + kPresetSaltLength);
  for (int round = 0; round < 8; ++round) {
    std::string password;
    for (size_t i = rng() % 80; i > 0; --i) password.push_back(char(rng()));
    unsigned char key[kPresetKeyLength];
    ASSERT_EQ(
        PKCS5_PBKDF2_HMAC(password.data(), int(password.size()), salt.data(), int(salt.size()),
                          kPresetIterations, EVP_sha1(), int(sizeof key), key),
        1);
    EXPECT_EQ(ToHex(key, sizeof key), ToHex(Pbkdf2(password, salt, kPresetIterations, 16)));
  }
}

TEST(PresetStringCipher, CipherTextIsAes128CbcOfTheDerivedKey) {
  const CFString cipher = QZCFCreateEncryptedString(CFSTR("account 42"), kPhrase);
  ASSERT_FALSE(cipher.IsNull());
  const auto data = QZCFBase64CreateDecodedData(cipher);
  ASSERT_TRUE(data.has_value());
  ASSERT_EQ(data->size(), 16u);  // 10 bytes + 6 of PKCS#7 padding

  const auto key = Pbkdf2(kPhrase.UTF8(), std::vector<uint8_t>(kPresetSalt, kPresetSalt + 8),
                          kPresetIterations, 16);
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  EVP_DecryptInit_ex(ctx, EVP_aes_128_cbc(), nullptr, key.data(), kPresetIV);
  EVP_CIPHER_CTX_set_padding(ctx, 0);
  std::vector<uint8_t> plain(32);
  int n = 0, tail = 0;
  EVP_DecryptUpdate(ctx, plain.data(), &n, data->data(), int(data->size()));
  EVP_DecryptFinal_ex(ctx, plain.data() + n, &tail);
  EVP_CIPHER_CTX_free(ctx);
  plain.resize(size_t(n + tail));
  std::vector<uint8_t> expected = Bytes("account 42");
  expected.resize(16, 6);
  EXPECT_EQ(plain, expected);
}

TEST(PresetStringCipher, RoundTrips) {
  const std::string texts[] = {"", "x", "exactly sixteen!",
                               "M\xc3\xbcller \xe6\x97\xa5\xe6\x9c\xac", std::string(1000, 'z')};
  for (const auto& t : texts) {
    const CFString text = CFString::FromUTF8(t);
    const CFString cipher = QZCFCreateEncryptedString(text, kPhrase);
    ASSERT_FALSE(cipher.IsNull()) << t;
    EXPECT_EQ(cipher.UTF8().find('\n'), std::string::npos);
    EXPECT_EQ(QZCFCreateDecryptedString(cipher, kPhrase), text) << t;
  }
  // The cipher is deterministic (fixed salt and vector): presets compare equal.
  EXPECT_EQ(QZCFCreateEncryptedString(CFSTR("a"), kPhrase),
            QZCFCreateEncryptedString(CFSTR("a"), kPhrase));
  // A null text counts as the empty string.
  EXPECT_EQ(QZCFCreateEncryptedString(CFString(), kPhrase),
            QZCFCreateEncryptedString(CFSTR(""), kPhrase));
}

TEST(PresetStringCipher, FailuresGiveNullWithTheStepLabel) {
  struct Case {
    CFString text, phrase;
    bool encrypt;
    const char* label;
  } cases[] = {
      {CFSTR("abc"), kPhrase, false, "cdsaDecrypt"},  // under 4 characters: no data
      {CFSTR("not base64!"), kPhrase, false, "cdsaDecrypt"},
      {CFSTR("AAAAAAAAAAAAAAAAAAAAAA=="), kPhrase, false, "cdsaDecrypt"},  // 16 bytes, bad padding
      {CFSTR("AAAAAAAAAAAA"), kPhrase, false, "cdsaDecrypt"},  // 9 bytes: not a block multiple
      {CFString(), kPhrase, false, "cdsaDecrypt"},
      {CFSTR("plain"), CFString(), true, "DeriveKey"},
      {QZCFCreateEncryptedString(CFSTR("x"), kPhrase), CFString(), false, "DeriveKey"},
  };
  for (const auto& c : cases) {
    testing::internal::CaptureStderr();
    const CFString result = CSSMCreateCryptoString(c.text, c.phrase, c.encrypt);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(result.IsNull()) << c.text.UTF8();
    EXPECT_EQ(err.rfind(std::string(c.label) + ":", 0), 0u) << err;
  }
  // The wrong pass phrase does not give the text back.
  const CFString cipher = QZCFCreateEncryptedString(CFSTR("the secret"), kPhrase);
  testing::internal::CaptureStderr();
  EXPECT_NE(QZCFCreateDecryptedString(cipher, CFSTR("another phrase")), CFSTR("the secret"));
  testing::internal::GetCapturedStderr();
}

// Deciphered bytes that are not UTF-8 give null.
TEST(PresetStringCipher, NonUtf8PlainTextGivesNull) {
  const auto key = Pbkdf2(kPhrase.UTF8(), std::vector<uint8_t>(kPresetSalt, kPresetSalt + 8),
                          kPresetIterations, 16);
  const unsigned char bad[] = {0xff, 0xfe, 0x80};
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  EVP_EncryptInit_ex(ctx, EVP_aes_128_cbc(), nullptr, key.data(), kPresetIV);
  std::vector<uint8_t> cipher(32);
  int n = 0, tail = 0;
  EVP_EncryptUpdate(ctx, cipher.data(), &n, bad, 3);
  EVP_EncryptFinal_ex(ctx, cipher.data() + n, &tail);
  EVP_CIPHER_CTX_free(ctx);
  cipher.resize(size_t(n + tail));
  EXPECT_TRUE(QZCFCreateDecryptedString(QZCFBase64CreateEncodedString(cipher), kPhrase).IsNull());
}

TEST(QZCFBase64, EncodesAndDecodes) {
  EXPECT_EQ(QZCFBase64CreateEncodedString({}), CFSTR(""));
  EXPECT_EQ(QZCFBase64CreateEncodedString(Bytes("foobar")), CFSTR("Zm9vYmFy"));
  const std::vector<uint8_t> long_(100, 0xAB);
  EXPECT_EQ(QZCFBase64CreateEncodedString(long_).UTF8().find('\n'), std::string::npos);
  EXPECT_EQ(QZCFBase64CreateDecodedData(QZCFBase64CreateEncodedString(long_)), long_);

  EXPECT_EQ(QZCFBase64CreateDecodedData(CFSTR("Zm9vYmFy")), Bytes("foobar"));
  EXPECT_EQ(QZCFBase64CreateDecodedData(CFSTR("Zm8")), std::vector<uint8_t>());  // under 4
  EXPECT_EQ(QZCFBase64CreateDecodedData(CFSTR("")), std::vector<uint8_t>());
  EXPECT_FALSE(QZCFBase64CreateDecodedData(CFString()).has_value());
  EXPECT_FALSE(QZCFBase64CreateDecodedData(CFSTR("Zm9v\xc3\xa9")).has_value());
  EXPECT_FALSE(QZCFBase64CreateDecodedData(CFSTR("Zm9v*")).has_value());
}
