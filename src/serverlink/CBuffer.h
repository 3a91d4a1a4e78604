// A growing wide text for composing sections and messages.
#pragma once

#include <string>
#include <string_view>

class CBuffer {
 public:
  // Each answers the number of characters added.
  int AddString(std::u32string_view text);
  // Narrow text read as UTF-8; a byte that is not part of a UTF-8 sequence
  // stands for the character of the same value.
  int AddCString(const char* text);
  int AddInt(int value);
  int AddFloat(double value);

  const std::u32string& GetStringData() const { return text_; }
  // The text as UTF-8.
  std::string GetCStrData() const;

 private:
  std::u32string text_;
};
