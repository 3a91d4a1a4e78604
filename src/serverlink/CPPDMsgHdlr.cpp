#include "serverlink/CPPDMsgHdlr.h"

#include <cstring>

#include "serverlink/PPDXData.h"

CPPDMsgHdlr::CPPDMsgHdlr(const char* ppdPath, const char* name)
    : ppdPath_(ppdPath ? ppdPath : ""), name_(std::string("QZ") + (name ? name : "")) {}

int CPPDMsgHdlr::Commit(std::u32string_view text) {
  if (text.empty()) return -1;
  buffer_.assign(text);
  if (!ppdxWriteData(name_.c_str(), buffer_.data(), buffer_.size() * 4)) return -1;
  return static_cast<int>(name_.size());
}

int CPPDMsgHdlr::Commit(const char* text) {
  if (text == nullptr || *text == '\0') return -1;
  if (!ppdxWriteData(name_.c_str(), text, std::strlen(text))) return -1;
  return static_cast<int>(name_.size());
}

std::u32string CPPDMsgHdlr::GetStringData() {
  size_t length = 0;
  SectionPayload payload = ppdxReadData(ppdPath_.c_str(), name_.c_str(), &length);
  buffer_ = payload.WideText();
  return buffer_;
}

std::string CPPDMsgHdlr::GetCStringData() {
  size_t length = 0;
  SectionPayload payload = ppdxReadData(ppdPath_.c_str(), name_.c_str(), &length);
  return std::string(payload.bytes.begin(), payload.bytes.begin() + static_cast<long>(length));
}
