#include "PPDX/PopupJnPrefs.h"

#include "platform/TextEncoding.h"

char gPopupJobNotesSavedEnable = '0';
char gPopupJobNotesSavedSetting = '0';
char gPopupJobNotesSavedShowLast = '0';
std::string gPopupJobNotesNote1;
std::string gPopupJobNotesNote2;
std::string gPopupJobNotesNote3;
std::string gPopupJobNotesNote4;
std::string gPopupJobNotesNote5;
std::string gPopupJobNotesSavedNote1;
std::string gPopupJobNotesSavedNote2;
std::string gPopupJobNotesSavedNote3;
std::string gPopupJobNotesSavedNote4;
std::string gPopupJobNotesSavedNote5;

namespace {
std::string gNoSlot;

// Byte offsets of the code points of valid UTF-8 (with the end offset last),
// or false for invalid UTF-8.
bool CodePointStarts(std::string_view text, std::string& bytesPerPoint) {
  bytesPerPoint.clear();
  std::string wide;
  if (!ConvertText(text, kTextEncodingUTF8, kTextEncodingUTF32, wide)) return false;
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (i + n > text.size()) n = text.size() - i;
    bytesPerPoint.push_back(static_cast<char>(n));
    i += n;
  }
  return true;
}
}  // namespace

std::string& PopupJobNotesNote(int slot) {
  switch (slot) {
    case 0:
      return gPopupJobNotesNote1;
    case 1:
      return gPopupJobNotesNote2;
    case 2:
      return gPopupJobNotesNote3;
    case 3:
      return gPopupJobNotesNote4;
    case 4:
      return gPopupJobNotesNote5;
    default:
      gNoSlot.clear();
      return gNoSlot;
  }
}

std::string& PopupJobNotesSavedNote(int slot) {
  switch (slot) {
    case 0:
      return gPopupJobNotesSavedNote1;
    case 1:
      return gPopupJobNotesSavedNote2;
    case 2:
      return gPopupJobNotesSavedNote3;
    case 3:
      return gPopupJobNotesSavedNote4;
    case 4:
      return gPopupJobNotesSavedNote5;
    default:
      gNoSlot.clear();
      return gNoSlot;
  }
}

bool ParsePopupJnData(std::string_view text, PopupJnPrefs& prefs) {
  prefs = PopupJnPrefs();
  if (text.size() < 3) return false;
  prefs.enable = text[0];
  prefs.setting = text[1];
  prefs.showLast = text[2];
  size_t pos = 3;
  for (int line = 0; line < 2 * kPopupJobNoteSlots && pos < text.size(); ++line) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string& into = (line % 2 == 0) ? prefs.keywords[line / 2] : prefs.texts[line / 2];
    into.assign(text.substr(pos, end - pos));
    pos = end + 1;
  }
  return true;
}

std::string ConvertPopupJnText(std::string_view utf8, bool japanese) {
  std::string lengths;
  if (!CodePointStarts(utf8, lengths)) return kPopupJnNotUTF8;
  const TextEncoding target = japanese ? kTextEncodingShiftJIS : kTextEncodingMacRoman;
  // Every character takes at least one byte, so no more than the limit of
  // characters can fit; drop characters from the end until the rest fits.
  size_t points = lengths.size() < kPopupJnTextLimit ? lengths.size() : kPopupJnTextLimit;
  size_t bytes = 0;
  for (size_t i = 0; i < points; ++i) bytes += static_cast<unsigned char>(lengths[i]);
  for (;;) {
    std::string out;
    if (!ConvertText(utf8.substr(0, bytes), kTextEncodingUTF8, target, out))
      return kPopupJnConvertFailed;
    if (out.size() <= kPopupJnTextLimit) return out;
    --points;
    bytes -= static_cast<unsigned char>(lengths[points]);
  }
}
