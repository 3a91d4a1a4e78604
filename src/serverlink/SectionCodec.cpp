#include "serverlink/SectionCodec.h"

#include <cups/http.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

std::u32string SectionPayload::WideText() const {
  std::u32string text(Length() / 4, U'\0');
  if (!text.empty()) std::memcpy(text.data(), bytes.data(), text.size() * 4);
  return text;
}

long DeflatePieces(const void* data, size_t length,
                   const std::function<void(unsigned index, const char* base64)>& piece) {
  if (length > kSectionMaxPayload || (length > 0 && data == nullptr)) return -1;
  std::vector<uint8_t> compressed(compressBound(static_cast<uLong>(length)) + 64);
  z_stream zs{};
  if (deflateInit(&zs, 9) != Z_OK) return -1;
  zs.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(data));
  zs.avail_in = static_cast<uInt>(length);
  zs.next_out = compressed.data();
  zs.avail_out = static_cast<uInt>(compressed.size());
  int rc = deflate(&zs, Z_FINISH);
  size_t produced = compressed.size() - zs.avail_out;
  if (rc != Z_STREAM_END) {
    std::fprintf(stderr, "ERROR: deflate returned %d (%s)\n", rc, zs.msg ? zs.msg : "");
  }
  deflateEnd(&zs);

  unsigned index = 0;
  char encoded[2 * kSectionPieceBytes + 8];
  for (size_t at = 0; at < produced; at += kSectionPieceBytes, ++index) {
    size_t n = std::min(kSectionPieceBytes, produced - at);
    httpEncode64_2(encoded, sizeof encoded, reinterpret_cast<const char*>(compressed.data() + at),
                   static_cast<int>(n));
    piece(index, encoded);
  }
  return index;
}

SectionInflater::SectionInflater() {
  ready_ = inflateInit(&zs_) == Z_OK && Grow();
}

SectionInflater::~SectionInflater() {
  inflateEnd(&zs_);
}

// From 256 bytes, doubling below 2048, then by 2048, never past the cap.
// False when the cap is reached or memory runs out.
bool SectionInflater::Grow() {
  size_t size = buffer_.size();
  size_t next = size == 0 ? 256 : size < 2048 ? size * 2 : size + 2048;
  if (next > kSectionMaxPayload) next = kSectionMaxPayload;
  if (next <= size) return false;
  try {
    buffer_.resize(next);
  } catch (const std::bad_alloc&) {
    failed_ = true;
    return false;
  }
  return true;
}

bool SectionInflater::AddPiece(std::string_view base64) {
  if (!ready_ || base64.empty()) return false;
  char piece[kSectionMaxPieceText + 1];
  char decoded[kSectionMaxPieceText + 4];
  size_t n = std::min(kSectionMaxPieceText, base64.size());
  std::memcpy(piece, base64.data(), n);
  piece[n] = '\0';
  int decodedLength = static_cast<int>(sizeof decoded);
  httpDecode64_2(decoded, &decodedLength, piece);
  if (decodedLength <= 0) return false;
  any_ = true;
  zs_.next_in = reinterpret_cast<Bytef*>(decoded);
  zs_.avail_in = static_cast<uInt>(decodedLength);
  for (;;) {
    // The payload would pass the cap: the section ends here.
    if (used_ == buffer_.size() && !Grow()) return false;
    zs_.next_out = buffer_.data() + used_;
    zs_.avail_out = static_cast<uInt>(buffer_.size() - used_);
    int rc = inflate(&zs_, Z_NO_FLUSH);
    used_ = buffer_.size() - zs_.avail_out;
    if (rc == Z_STREAM_END) return false;
    if (rc != Z_OK && rc != Z_BUF_ERROR) {
      std::fprintf(stderr, "ERROR: inflate returned %d (%s)\n", rc, zs_.msg ? zs_.msg : "");
      return false;
    }
    // Go on while output is pending (a full buffer); stop when this piece is used up.
    if (rc == Z_BUF_ERROR || (zs_.avail_in == 0 && zs_.avail_out > 0)) return true;
  }
}

bool SectionInflater::Finish(SectionPayload& out) {
  out.bytes.clear();
  if (!any_ || failed_) return false;
  buffer_.resize(used_);
  buffer_.push_back(0);
  out.bytes = std::move(buffer_);
  buffer_.clear();
  used_ = 0;
  any_ = false;
  return true;
}
