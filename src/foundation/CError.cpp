#include "foundation/CError.h"

CError::CError(short code, const char* description, bool fatal)
    : code_(code), description_(description), fatal_(fatal) {}

CError::~CError() = default;

const char* CError::Description() const {
  return description_.Empty() ? nullptr : static_cast<const char*>(description_);
}
