// The string cipher for values stored in presets: PBKDF2-HMAC-SHA1 of the
// pass phrase (built-in salt, 1000 iterations) gives a 128-bit AES key; the
// UTF-8 text is enciphered in CBC mode with PKCS#7 padding under the built-in
// vector and carried as Base64.
#pragma once

#include "platform/CFString.h"

// Enciphers (encrypt true: text -> Base64 cipher text) or deciphers (Base64
// cipher text -> text). A null text counts as the empty string. Null on any
// failure, which is reported on the standard error stream with the label of
// the failing step ("Attach to CSP", "DeriveKey", "cdsaEncrypt",
// "cdsaDecrypt"); a null pass phrase fails at "DeriveKey".
CFString CSSMCreateCryptoString(const CFString& text, const CFString& passphrase, bool encrypt);

CFString QZCFCreateEncryptedString(const CFString& text, const CFString& passphrase);
CFString QZCFCreateDecryptedString(const CFString& cipherText, const CFString& passphrase);
