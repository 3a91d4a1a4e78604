#include "foundation/CFStringExternal.h"

#include <cstdlib>
#include <cstring>
#include <vector>

unsigned char* CFStringToExternal(const CFString& text, long* length) {
  if (length) *length = 0;
  if (text.IsNull()) return nullptr;
  std::vector<uint8_t> bytes = text.CreateExternalRepresentation();
  unsigned char* out = static_cast<unsigned char*>(std::malloc(bytes.size() ? bytes.size() : 1));
  if (!out) return nullptr;
  if (!bytes.empty()) std::memcpy(out, bytes.data(), bytes.size());
  if (length) *length = static_cast<long>(bytes.size());
  return out;
}

CFString ExtenalToCFString(const unsigned char* bytes, long length) {
  if (!bytes || length < 0) return CFString();
  return CFString::CreateFromExternalRepresentation(bytes, static_cast<size_t>(length));
}
