#include "platform/Uuid.h"

#include <uuid/uuid.h>

std::string CreateUUIDString() {
  uuid_t id;
  uuid_generate(id);
  char text[37];
  uuid_unparse_upper(id, text);
  return text;
}

std::array<uint8_t, 16> CreateUUIDBytes() {
  uuid_t id;
  uuid_generate(id);
  std::array<uint8_t, 16> out{};
  for (size_t i = 0; i < out.size(); ++i) out[i] = id[i];
  return out;
}
