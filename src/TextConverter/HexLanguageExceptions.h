// The languages whose PPD text is taken as Mac Roman as soon as it holds a
// byte of 128 or more (their PPDs write non-ASCII text as hex substrings, so
// raw high bytes mean the declared encoding cannot be trusted).
#pragma once

#include <set>
#include <string>

class HexLanguageExceptions {
 public:
  HexLanguageExceptions();
  // Exact, case-sensitive membership; false for null.
  bool IsException(const char* language) const;
  size_t Size() const { return names_.size(); }

 private:
  std::set<std::string> names_;
};
