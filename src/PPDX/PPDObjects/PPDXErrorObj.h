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
  // The PPD line the reader was on when the error was raised; 0 when none.
  // Only for reports: no stored form of the document carries it.
  long Line() const { return line_; }
  void SetLine(long line) { line_ = line; }

 private:
  CString keyword_;
  long line_ = 0;
};
