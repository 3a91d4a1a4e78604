#include "security/PresetStringCipher.h"

#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "security/KeyMaterial.h"
#include "security/QZCFBase64.h"

namespace {

// The failing step's label with the library's reason, like cssmPerror.
void ReportFailure(const char* label) {
  const unsigned long code = ERR_get_error();
  char reason[256] = "no further detail";
  if (code != 0) ERR_error_string_n(code, reason, sizeof reason);
  ERR_clear_error();
  std::fprintf(stderr, "%s: %s\n", label, reason);
}

struct CipherDeleter {
  void operator()(EVP_CIPHER* c) const { EVP_CIPHER_free(c); }
};
struct ContextDeleter {
  void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};

// The derived key, wiped when it goes (the CSP's reference key and its
// release).
struct DerivedKey {
  unsigned char bytes[kPresetKeyLength] = {};
  ~DerivedKey() { OPENSSL_cleanse(bytes, sizeof bytes); }
};

bool DeriveKey(const CFString& passphrase, DerivedKey& key) {
  if (passphrase.IsNull()) return false;
  const std::string password = passphrase.UTF8();
  if (password.size() > size_t(INT_MAX)) return false;
  return PKCS5_PBKDF2_HMAC(password.data(), int(password.size()),
                           reinterpret_cast<const unsigned char*>(kPresetSalt),
                           int(kPresetSaltLength), kPresetIterations, EVP_sha1(),
                           int(kPresetKeyLength), key.bytes) == 1;
}

bool RunCipher(const EVP_CIPHER* cipher, const DerivedKey& key, bool encrypt,
               const std::vector<uint8_t>& in, std::vector<uint8_t>& out) {
  if (in.size() > size_t(INT_MAX - 32)) return false;
  std::unique_ptr<EVP_CIPHER_CTX, ContextDeleter> context(EVP_CIPHER_CTX_new());
  if (!context) return false;
  if (EVP_CipherInit_ex2(context.get(), cipher, key.bytes, kPresetIV, encrypt ? 1 : 0, nullptr) !=
      1)
    return false;
  EVP_CIPHER_CTX_set_padding(context.get(), 1);  // PKCS#7
  out.assign(in.size() + 32, 0);
  int n = 0, tail = 0;
  if (EVP_CipherUpdate(context.get(), out.data(), &n, in.data(), int(in.size())) != 1) return false;
  if (EVP_CipherFinal_ex(context.get(), out.data() + n, &tail) != 1) return false;
  out.resize(size_t(n) + size_t(tail));
  return true;
}

}  // namespace

CFString CSSMCreateCryptoString(const CFString& text, const CFString& passphrase, bool encrypt) {
  // 1. Input bytes.
  std::vector<uint8_t> input;
  if (encrypt) {
    const std::string utf8 = text.IsNull() ? std::string() : text.UTF8();
    input.assign(utf8.begin(), utf8.end());
  } else {
    // Malformed Base64 deciphers like empty data: the cipher step rejects it.
    input = QZCFBase64CreateDecodedData(text.IsNull() ? CFSTR("") : text)
                .value_or(std::vector<uint8_t>());
  }

  // 2. The cipher implementation ("attaching to the CSP").
  std::unique_ptr<EVP_CIPHER, CipherDeleter> cipher(
      EVP_CIPHER_fetch(nullptr, "AES-128-CBC", nullptr));
  if (!cipher) {
    ReportFailure("Attach to CSP");
    return CFString();
  }

  // 3. Key derivation.
  DerivedKey key;
  if (!DeriveKey(passphrase, key)) {
    ReportFailure("DeriveKey");
    return CFString();
  }

  // 4. One-shot encryption or decryption.
  std::vector<uint8_t> output;
  const bool ok = RunCipher(cipher.get(), key, encrypt, input, output);
  OPENSSL_cleanse(input.data(), input.size());
  if (!ok) {
    OPENSSL_cleanse(output.data(), output.size());
    ReportFailure(encrypt ? "cdsaEncrypt" : "cdsaDecrypt");
    return CFString();
  }

  // 5. Result.
  CFString result =
      encrypt ? QZCFBase64CreateEncodedString(output)
              : CFString::CreateWithBytes(output.data(), output.size(), kTextEncodingUTF8);
  OPENSSL_cleanse(output.data(), output.size());
  return result;
}

CFString QZCFCreateEncryptedString(const CFString& text, const CFString& passphrase) {
  return CSSMCreateCryptoString(text, passphrase, true);
}

CFString QZCFCreateDecryptedString(const CFString& cipherText, const CFString& passphrase) {
  return CSSMCreateCryptoString(cipherText, passphrase, false);
}
