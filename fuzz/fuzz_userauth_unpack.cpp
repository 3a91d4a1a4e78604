// links: tavro_security
// Input: [mode][payload]. Mode 0: the payload is a packet text. Mode 1: the
// payload is an outer record, sealed with the master key and encoded here.
// Mode 2: the payload is a plain block, sealed under a fixed session key and
// then as mode 1. The reader must refuse or return fields that pack back into
// a packet it reads the same way; raw Twofish must refuse partial blocks.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "security/Base64.h"
#include "security/KeyMaterial.h"
#include "security/Twofish.h"
#include "security/UserAuth.h"

namespace {

void PutBE(unsigned char* p, uint32_t v) {
  p[0] = uint8_t(v >> 24), p[1] = uint8_t(v >> 16), p[2] = uint8_t(v >> 8), p[3] = uint8_t(v);
}

std::string Seal(std::vector<unsigned char> outer) {
  outer.resize((outer.size() + 15) / 16 * 16);
  std::vector<unsigned char> sealed(outer.size());
  if (RunCipher(0, masterKey, outer.data(), unsigned(outer.size()), sealed.data()) != 0)
    std::abort();
  std::string text(Base64Encoder::EncodedLength(sealed.size(), false) + 1, '\0');
  if (Base64Encoder::Encode(sealed.data(), sealed.size(), text.data(), text.size(), false) < 0)
    std::abort();
  text.pop_back();
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size < 1 || size > 4096) return 0;
  const int mode = bytes[0] % 3;
  const std::vector<unsigned char> payload(bytes + 1, bytes + size);

  // Raw Twofish on the payload as it stands.
  std::vector<unsigned char> raw(payload.size() + 1, 0x5A);
  const int r = RunCipher(1, masterKey, payload.data(), unsigned(payload.size()), raw.data());
  if ((r == 0) != (payload.size() % 16 == 0) || raw.back() != 0x5A) std::abort();

  std::string text;
  if (mode == 0) {
    text.assign(payload.begin(), payload.end());
  } else if (mode == 1) {
    text = Seal(payload);
  } else {
    std::vector<unsigned char> plain(payload);
    plain.resize((plain.size() + 15) / 16 * 16);
    std::vector<unsigned char> outer(48 + plain.size(), 0);
    PutBE(outer.data(), 1);
    PutBE(outer.data() + 4, uint32_t(plain.size()));
    for (int i = 0; i < 32; ++i) outer[8 + size_t(i)] = uint8_t(0x11 * i);
    if (RunCipher(0, outer.data() + 8, plain.data(), unsigned(plain.size()), outer.data() + 40) !=
        0)
      std::abort();
    text = Seal(outer);
  }

  UAL_Packet packet;
  const int status = UAL_UnpackAndDecrypt(text.data(), text.size(), &packet);
  if (status != kUALReadOk) {
    if (!packet.userName.empty() || !packet.password.empty() || !packet.domain.empty())
      std::abort();
    return 0;
  }
  // Only texts without NULs can be packed again (the packer takes C strings).
  if (packet.userName.find('\0') != std::string::npos ||
      packet.password.find('\0') != std::string::npos ||
      packet.domain.find('\0') != std::string::npos)
    return 0;
  char* again = nullptr;
  if (UAL_PackAndEncrypt(packet.userName.c_str(), packet.password.c_str(), packet.domain.c_str(),
                         UAL_DomainType(packet.domainType), packet.guid, &again) != 0)
    std::abort();
  UAL_Packet back;
  if (UAL_UnpackAndDecrypt(again, std::strlen(again), &back) != kUALReadOk) std::abort();
  AUTH_freeBuffer(&again);
  if (back.userName != packet.userName || back.password != packet.password ||
      back.domain != packet.domain || back.domainType != packet.domainType ||
      std::memcmp(back.guid, packet.guid, 16) != 0)
    std::abort();
  return 0;
}
