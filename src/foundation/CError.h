// An error record: a code, an optional description and a fatal flag.
#pragma once

#include "foundation/CString.h"

class CError {
 public:
  CError() = default;
  CError(short code, const char* description, bool fatal);
  CError(const CError& other) = default;
  CError& operator=(const CError& other) = default;
  virtual ~CError();

  // Comparisons against a code look at the code only.
  bool operator==(short code) const { return code_ == code; }
  bool operator!=(short code) const { return code_ != code; }

  short Code() const { return code_; }
  void Code(short code) { code_ = code; }
  // The text, or null when there is none (or it is empty).
  const char* Description() const;
  void Description(const char* text) { description_ = text; }
  bool IsFatal() const { return fatal_; }
  void SetFatal(bool fatal) { fatal_ = fatal; }

 private:
  short code_ = 0;
  CString description_;
  bool fatal_ = false;
};
