// One error met while reading a PPD: code, description, fatal flag (as any
// error record) and the keyword or name the error concerns.
#pragma once

#include <cstdint>

#include "foundation/CError.h"
#include "foundation/CString.h"

class PPDXErrorObj : public CError {
 public:
  PPDXErrorObj(int16_t code, bool fatal);
  PPDXErrorObj(int16_t code, const char* keyword, bool fatal);
  PPDXErrorObj(const PPDXErrorObj& other);
  PPDXErrorObj& operator=(const PPDXErrorObj& other);
  ~PPDXErrorObj() override;

  // The keyword or name; null when there is none.
  const char* Keyword() const {
    return keyword_.Empty() ? nullptr : static_cast<const char*>(keyword_);
  }

 private:
  CString keyword_;
};
