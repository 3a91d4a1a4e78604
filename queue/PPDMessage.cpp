#include "queue/PPDMessage.h"

#include <zlib.h>

#include <cups/http.h>

#include <cstdio>

namespace {
constexpr size_t kPieceBytes = 158;
}

bool EncodePPDMessage(std::string_view name, std::string_view payload, PPDUpdates& out) {
  std::vector<unsigned char> compressed(compressBound(static_cast<uLong>(payload.size())) + 64);
  z_stream zs{};
  if (deflateInit(&zs, 9) != Z_OK) return false;
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(payload.data()));
  zs.avail_in = static_cast<uInt>(payload.size());
  zs.next_out = compressed.data();
  zs.avail_out = static_cast<uInt>(compressed.size());
  int rc = deflate(&zs, Z_FINISH);
  size_t produced = compressed.size() - zs.avail_out;
  deflateEnd(&zs);
  if (rc != Z_STREAM_END) return false;

  char number[16];
  char encoded[2 * kPieceBytes + 8];
  unsigned piece = 0;
  for (size_t at = 0; at < produced; at += kPieceBytes, ++piece) {
    size_t n = std::min(kPieceBytes, produced - at);
    httpEncode64_2(encoded, sizeof encoded, reinterpret_cast<const char*>(compressed.data() + at),
                   static_cast<int>(n));
    std::snprintf(number, sizeof number, "%04x", piece);
    out.emplace_back(std::string(name) + number, encoded);
  }
  std::snprintf(number, sizeof number, "%04x", piece);
  out.emplace_back(std::string(name) + number, std::string());
  return true;
}

std::vector<std::string> FormatPPDLines(const PPDUpdates& updates, size_t maxLine) {
  std::vector<std::string> lines;
  std::string line;
  for (const auto& [name, value] : updates) {
    std::string pair = " " + name + "=" + (value.empty() ? std::string("\"\"") : value);
    if (!line.empty() && line.size() + pair.size() > maxLine) {
      lines.push_back(std::move(line));
      line.clear();
    }
    if (line.empty()) line = "PPD:";
    line += pair;
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}
