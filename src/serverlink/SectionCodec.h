// The encoding shared by two-way data sections and PPD messages: a payload
// deflated at level 9 in one pass, cut into pieces of at most 158 compressed
// bytes, each piece in Base64; and the way back, piece by piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <zlib.h>

// A decoded section: the payload followed by one zero byte.
struct SectionPayload {
  std::vector<uint8_t> bytes;
  size_t Length() const { return bytes.empty() ? 0 : bytes.size() - 1; }
  // The payload as wide text (32-bit characters; length = bytes / 4).
  std::u32string WideText() const;
};

inline constexpr size_t kSectionMaxPayload = 16u * 1024u * 1024u;
inline constexpr size_t kSectionPieceBytes = 158;
// At most this much of a piece's text is decoded.
inline constexpr size_t kSectionMaxPieceText = 255;

// Hands the Base64 text of each piece, in order, to `piece`; answers the
// number of pieces. When deflate fails it writes "ERROR: deflate returned %d
// (%s)" to stderr and the pieces end there. Nothing for more than 16 MiB or a
// length without data (answers -1).
long DeflatePieces(const void* data, size_t length,
                   const std::function<void(unsigned index, const char* base64)>& piece);

// Takes pieces back in order and inflates them into a buffer that starts at
// 256 bytes, doubles below 2048 bytes, then grows by 2048, up to 16 MiB.
class SectionInflater {
 public:
  SectionInflater();
  ~SectionInflater();
  SectionInflater(const SectionInflater&) = delete;
  SectionInflater& operator=(const SectionInflater&) = delete;

  // Decodes one piece and inflates it. False when the reader should stop:
  // the text doesn't decode, the stream ended or failed (logged as "ERROR:
  // inflate returned %d (%s)"), or the cap was reached.
  bool AddPiece(std::string_view base64);
  // The payload with its closing zero byte; false (out emptied) when no piece
  // decoded or memory ran out.
  bool Finish(SectionPayload& out);

 private:
  bool Grow();

  z_stream zs_{};
  bool ready_ = false;
  bool any_ = false;
  bool failed_ = false;
  size_t used_ = 0;
  std::vector<uint8_t> buffer_;
};
