// One PPD message of the queue: written as the filter's "PPD:" lines, read
// back from the queue's PPD. The message name is "QZ" followed by the data's
// name (the local presets live under "QZlocalPreset").
#pragma once

#include <string>
#include <string_view>

class CPPDMsgHdlr {
 public:
  CPPDMsgHdlr(const char* ppdPath, const char* name);

  const std::string& MessageName() const { return name_; }

  // Writes the wide text (4 bytes a character) as the message; the message
  // name's length, or -1 for an empty text or when it can't be written.
  int Commit(std::u32string_view text);
  // The same for narrow text (its bytes as they are).
  int Commit(const char* text);
  void Discard() { buffer_.clear(); }

  // The message read from the PPD as wide text; empty when missing.
  std::u32string GetStringData();
  // The message's bytes as narrow text; empty when missing.
  std::string GetCStringData();

 private:
  std::string ppdPath_;
  std::string name_;
  std::u32string buffer_;
};
