// The user-authentication packet: user name, password and domain with an
// identifier and a SHA-1 digest, enciphered twice with Twofish (a session key,
// then the built-in master key) and Base64-encoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Domain type of the packet (any 32-bit value travels as given).
enum UAL_DomainType : int32_t {
  kUALDomainTypeNone = 0,
  kUALDomainTypeUserName = 2,  // the type the job notes send
};

constexpr size_t kUALMaxNameLength = 255;  // AUTH_packAndEncrypt copies at most this much
constexpr uint32_t kUALVersion = 1;

// 0 and a heap Base64 text in *out (free it with AUTH_freeBuffer), or non-zero:
// -1 at once without `out`. The three texts are packed (at most 255 bytes
// each) only when type is kUALDomainTypeUserName and the user name is not
// empty; otherwise empty texts are packed. The int argument is unused.
int AUTH_packAndEncrypt(const char* userName, const char* password, const char* domain,
                        UAL_DomainType type, int, char** out);
// Frees a text from AUTH_packAndEncrypt and nulls the pointer.
void AUTH_freeBuffer(char** buffer);

enum UALStatus : int {
  kUALOk = 0,
  kUALNoOutput = -1,
  kUALNoMemory = 1,
  kUALCipherFailed = 2,
  kUALEncodeFailed = 3,
  kUALTooLong = 4,  // the texts together exceed kUALMaxPacketText
};
constexpr size_t kUALMaxPacketText = 1 << 20;

// Builds the packet for the given texts (null counts as empty) and identifier
// (null counts as zero). 0 and a heap text in *out, or a UALStatus.
int UAL_PackAndEncrypt(const char* userName, const char* password, const char* domain,
                       UAL_DomainType type, const unsigned char guid[16], char** out);

// The packet read back, as the controller reads it.
struct UAL_Packet {
  std::string userName;
  std::string password;
  std::string domain;
  int32_t domainType = 0;
  unsigned char guid[16] = {};
  unsigned char sessionKey[32] = {};
};

enum UALReadStatus : int {
  kUALReadOk = 0,
  kUALReadBadBase64 = 1,
  kUALReadBadLength = 2,  // not a whole number of blocks, or too short
  kUALReadBadOuter = 3,   // outer version, size field or trailing bytes wrong
  kUALReadBadPlain = 4,   // inner length, padding or field lengths inconsistent
  kUALReadBadDigest = 5,
  kUALReadBadVersion = 6,
};

// Decodes and checks a packet of `length` characters. kUALReadOk and the
// fields, or the first check that failed (packet left empty).
int UAL_UnpackAndDecrypt(const char* text, size_t length, UAL_Packet* packet);
