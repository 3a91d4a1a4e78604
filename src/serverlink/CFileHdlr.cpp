#include "serverlink/CFileHdlr.h"

#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace {

bool gEcho = true;
constexpr size_t kBatchBytes = 1000;

void Echo(const std::string& batch) {
  if (gEcho && !batch.empty()) std::fwrite(batch.data(), 1, batch.size(), stderr);
}

std::string PieceName(const char* name, unsigned piece) {
  char number[16];
  std::snprintf(number, sizeof number, "%04x", piece);
  return std::string(name) + number;
}

bool IsLowerHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

unsigned HexValue(std::string_view digits) {
  unsigned v = 0;
  for (char c : digits) v = v * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : c - 'a' + 10);
  return v;
}

}  // namespace

CFileHdlr::CFileHdlr(const char* path) : path_(path ? path : "") {
  if (path != nullptr) file_ = std::fopen(path, "wb");
}

CFileHdlr::CFileHdlr(const char* path, const char* /*mode*/) : path_(path ? path : "") {}

CFileHdlr::~CFileHdlr() {
  if (file_ != nullptr) std::fclose(file_);
}

int CFileHdlr::AddString(const char* text) {
  if (text == nullptr) return 0;
  size_t n = std::strlen(text);
  pending_.append(text, n);
  return static_cast<int>(n);
}

int CFileHdlr::AddInt(int value) {
  return AddString(std::to_string(value).c_str());
}

int CFileHdlr::AddFloat(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", value);
  return AddString(text);
}

long CFileHdlr::Commit() {
  if (file_ == nullptr || pending_.empty()) return -1;
  long n = static_cast<long>(pending_.size());
  if (std::fwrite(pending_.data(), 1, pending_.size(), file_) != pending_.size()) return -1;
  std::fflush(file_);
  pending_.clear();
  return n;
}

long CFileHdlr::Discard() {
  if (pending_.empty()) return -1;
  long n = static_cast<long>(pending_.size());
  pending_.clear();
  return n;
}

void CFileHdlr::SetEchoToStderr(bool on) {
  gEcho = on;
}

bool CFileHdlr::fileWriteData(const char* name, const void* data, size_t length, std::string& out) {
  if (name == nullptr || length > kMaxPayload || (length > 0 && data == nullptr)) return false;
  std::string batch;
  long pieces = DeflatePieces(data, length, [&](unsigned index, const char* base64) {
    batch += PieceName(name, index) + ": " + base64 + "\n";
    if (batch.size() >= kBatchBytes) {
      out += batch;
      Echo(batch);
      batch.clear();
    }
  });
  if (pieces < 0) return false;
  batch += PieceName(name, static_cast<unsigned>(pieces)) + ": \n";
  out += batch;
  Echo(batch);
  return true;
}

bool CFileHdlr::stringReadData(std::string_view text, const char* name, SectionPayload& out) {
  out.bytes.clear();
  if (name == nullptr || *name == '\0') return false;
  const std::string_view key(name);

  // One pass over the text: for each piece number the first line that holds
  // the name followed by that number, and where its value starts. This keeps
  // the "first line that contains" rule without rescanning per piece.
  struct Where {
    size_t value;
    size_t lineEnd;
  };
  std::map<unsigned, Where> pieces;
  size_t lineStart = 0;
  while (lineStart < text.size()) {
    size_t lineEnd = text.find_first_of("\r\n", lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    std::string_view line = text.substr(lineStart, lineEnd - lineStart);
    for (size_t hit = line.find(key); hit != std::string_view::npos;
         hit = line.find(key, hit + 1)) {
      size_t digits = hit + key.size();
      size_t count = 0;
      while (digits + count < line.size() && count < 5 && IsLowerHex(line[digits + count])) ++count;
      if (count < 4) continue;
      // Four digits always name a piece; a fifth counts only for numbers past
      // 0xffff, which is how "%04x" prints them.
      unsigned four = HexValue(line.substr(digits, 4));
      pieces.emplace(four, Where{lineStart + digits + 4 + 2, lineEnd});
      if (count == 5 && line[digits] != '0') {
        unsigned five = HexValue(line.substr(digits, 5));
        pieces.emplace(five, Where{lineStart + digits + 5 + 2, lineEnd});
      }
    }
    lineStart = lineEnd + 1;
  }

  SectionInflater inflater;
  for (unsigned k = 0;; ++k) {
    auto it = pieces.find(k);
    if (it == pieces.end() || it->second.value >= it->second.lineEnd) break;
    if (!inflater.AddPiece(text.substr(it->second.value, it->second.lineEnd - it->second.value)))
      break;
  }
  return inflater.Finish(out);
}

bool CFileHdlr::fileReadData(const char* name, SectionPayload& out) const {
  std::ifstream in(path_, std::ios::binary);
  if (!in) {
    std::fputs("Failed to open the file.", stdout);
    out.bytes.clear();
    return false;
  }
  std::stringstream whole;
  whole << in.rdbuf();
  return stringReadData(whole.str(), name, out);
}

bool safeGetline(std::istream& in, std::string& line) {
  line.clear();
  std::streambuf* sb = in.rdbuf();
  if (sb == nullptr) return false;
  bool any = false;
  for (;;) {
    int c = sb->sbumpc();
    if (c == std::streambuf::traits_type::eof()) {
      in.setstate(std::ios::eofbit);
      return any;
    }
    any = true;
    if (c == '\n') return true;
    if (c == '\r') {
      if (sb->sgetc() == '\n') sb->sbumpc();
      return true;
    }
    line.push_back(static_cast<char>(c));
  }
}
