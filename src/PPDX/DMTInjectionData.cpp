#include "PPDX/DMTInjectionData.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "platform/Log.h"
#include "serverlink/CFileHdlr.h"

namespace {
constexpr char kHeader[] = "*DMT_X0000: ";
constexpr int kNotDecodedResult = -3;  // zlib's data error: nothing was inflated

std::string UpToLineEnd(const std::string& line) {
  return line.substr(0, line.find_first_of("\r\n"));
}

// The next line, skipping one empty line before it.
bool NextNonEmpty(const DMTLineReader& next, std::string& line) {
  if (!next(line)) return false;
  if (line.empty() && !next(line)) return false;
  return true;
}
}  // namespace

DMTBlockRead ReadDMTSpecialBlock(const DMTLineReader& next) {
  DMTBlockRead result;
  myNSLogC("QZVPPD::ParseSpecialOption True");
  std::string line;
  if (!NextNonEmpty(next, line)) line.clear();
  line = UpToLineEnd(line);
  myNSLogC(line.c_str());
  const size_t at = line.find(kHeader);
  if (at == std::string::npos) {
    myNSLogC("QZVPPD::ParseSpecialOption '*DMT_X0000: ' not found");
    return result;
  }
  result.headerFound = true;
  result.pieces = std::atoi(line.c_str() + at + std::strlen(kHeader));
  std::string payload;
  for (long i = 0; i < result.pieces; ++i) {
    if (!NextNonEmpty(next, line)) break;
    if (line.size() <= kDMTPieceTextOffset) continue;
    const size_t room = kDMTBlockPayloadLimit - payload.size();
    payload.append(line, kDMTPieceTextOffset, room);
  }
  result.payloadBytes = payload.size();
  char message[96];
  std::snprintf(message, sizeof message, "QZVPPD::ParseSpecialOption QZdeflate failure, result %d",
                kNotDecodedResult);
  myNSLogC(message);
  return result;
}

bool DecodeDMTInjection(std::string_view injectionText, std::string& xml) {
  xml.clear();
  SectionPayload payload;
  if (!CFileHdlr::stringReadData(injectionText, "*DMT_Injection", payload)) return false;
  const std::u32string wide = payload.WideText();
  std::mbstate_t state{};
  char bytes[MB_LEN_MAX];
  for (char32_t c : wide) {
    if (c == 0) break;
    const size_t n = std::wcrtomb(bytes, static_cast<wchar_t>(c), &state);
    if (n == static_cast<size_t>(-1)) {
      state = std::mbstate_t{};
      xml += '?';
    } else {
      xml.append(bytes, n);
    }
  }
  return true;
}
