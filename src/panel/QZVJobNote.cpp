#include "panel/QZVJobNote.h"

#include <cstring>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDObjects/Controls/PPDXSpecialOption.h"
#include "PPDX/QZVPPD.h"
#include "foundation/StringFunctions.h"
#include "platform/TextEncoding.h"
#include "security/AES256CBC.h"
#include "security/DES.h"
#include "security/KeyMaterial.h"

QZVPPD* gQZVPPD = nullptr;
bool gUserAuthNameWasInited = false;

const KeywordMapEntry gKeywordMap[kKeywordMapCount] = {
    {"*Notes1", "%%QZVCustom1: "},
    {"*Notes2", "%%QZVCustom2: "},
    {"*Instruct", "%%QZVCustom3: "},
    {"*Notes3", "%%QZVCustom4: "},
    {"*Resume", "%%PersPassword: "},
    {"*DeptPassword", "%%DeptPassword: "},
    {"*QZUserAuthName", ""},
    {"*QZUserAuthPwd", "%%QZVUATag: "},
    {"*QZVPrintTime", "%%QZVPrintTime: "},
};

namespace {

constexpr int kDESKeyLength = 8;
constexpr int kDESBlock = 8;

// The value of a special option of the current document, or null.
const char* SpecialOptionValue(const char* keyword) {
  if (!gQZVPPD || !gQZVPPD->GetControls()) return nullptr;
  PPDXSpecialOption* option = gQZVPPD->GetControls()->FindSpecialOption(keyword, true);
  if (!option || !option->GetValue()) return nullptr;
  return static_cast<const char*>(*option->GetValue());
}

size_t KeyOffset(const char* slot) {
  if (!slot) return 0;
  static constexpr struct {
    const char* value;
    size_t offset;
  } kOffsets[] = {{"2", 8}, {"3", 16}, {"4", 24}, {"5", 56}, {"6", 88}, {"7", 120}, {"8", 152}};
  for (const auto& entry : kOffsets)
    if (std::strcmp(slot, entry.value) == 0) return entry.offset;
  return 0;
}

size_t VectorOffset(const char* slot) {
  if (!slot) return 0;
  if (std::strcmp(slot, "5") == 0) return 16;
  if (std::strcmp(slot, "6") == 0) return 32;
  if (std::strcmp(slot, "7") == 0) return 48;
  return 0;
}

// The first kEncryptedNoteChars hexadecimal characters of the bytes.
void HexInto(const unsigned char* bytes, size_t length, unsigned char* out) {
  const size_t take = std::min(length, kEncryptedNoteChars / 2);
  toHex(bytes, static_cast<int>(take), reinterpret_cast<char*>(out));
  out[take * 2] = 0;
}

}  // namespace

void toHex(const unsigned char* in, int length, char* out) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  if (!in || !out) return;
  for (int i = 0; i < length; ++i) {
    out[2 * i] = kDigits[in[i] >> 4];
    out[2 * i + 1] = kDigits[in[i] & 0x0F];
  }
}

bool ConvertTextFromApplicationToUTF8(const char* in, char* out) {
  if (!out) return false;
  if (!in) {
    *out = 0;
    return false;
  }
  const size_t length = std::strlen(in);
  std::string utf8;
  if (!ConvertText(std::string_view(in, length), GetApplicationTextEncoding(), kTextEncodingUTF8,
                   utf8) ||
      utf8.size() > length * 4) {
    std::memmove(out, in, length + 1);
    return false;
  }
  std::memcpy(out, utf8.data(), utf8.size());
  out[utf8.size()] = 0;
  return true;
}

QZVJobNote::QZVJobNote(PPDXJobNote* note, bool initialised)
    : note_(note), initialised_(initialised ? 1 : 0) {
  gUserAuthNameWasInited = !initialised;
  if (!initialised)
    notesOn_ = note_ && note_->GetNotesOnValue() ? 1 : 0;
  else
    notesOn_ = 1;
  if (note_) note_->SetNotesOnValue(notesOn_ != 0);
}

bool QZVJobNote::specialKeyword(short* index) const {
  const char* keyword = note_ ? note_->Keyword() : nullptr;
  if (keyword) {
    for (short i = 0; i < kKeywordMapCount; ++i) {
      if (std::strcmp(keyword, gKeywordMap[i].keyword) == 0) {
        if (index) *index = i;
        return true;
      }
    }
  }
  if (index) *index = -1;
  return false;
}

long QZVJobNote::getUserData(char* out) const {
  const char* text = note_ ? note_->GetNotes() : nullptr;
  if (!text || !*text) return 0;
  const size_t length = std::strlen(text);
  if (out) std::memcpy(out, text, length + 1);
  return static_cast<long>(length + 1);
}

long QZVJobNote::getTitle(char* out) const {
  const char* title = note_ ? note_->UserName() : nullptr;
  if (!title) title = "";
  const size_t length = std::min<size_t>(std::strlen(title), 255);
  if (out) {
    std::memcpy(out, title, length);
    out[length] = 0;
  }
  return static_cast<long>(length);
}

long QZVJobNote::getKeyword(char* out) const {
  const char* keyword = note_ ? note_->Keyword() : nullptr;
  if (!keyword) keyword = "";
  const size_t length = std::min<size_t>(std::strlen(keyword), 255);
  if (out) {
    std::memcpy(out, keyword, length);
    out[length] = 0;
  }
  return static_cast<long>(length);
}

bool QZVJobNote::checkRangeValues(char* text) const {
  if (!note_ || !note_->IsTwoCharFields()) return true;
  return text && validateRangeValues(text, 2) != 0;
}

bool QZVJobNote::UsesAES() const {
  const char* algorithm = SpecialOptionValue("*UseSpecialAlgorithm");
  if (algorithm) return std::strcmp(algorithm, "2") == 0;
  return note_ && note_->IsAESEncrypt();
}

bool QZVJobNote::IsEncrypted() const {
  return note_ && (note_->IsEncrypt() || note_->IsAESEncrypt());
}

bool QZVJobNote::encryptNote(unsigned char*, unsigned char* plain, unsigned char* out) const {
  if (!out) return false;
  std::memset(out, 0, kEncryptedNoteSize);
  if (!gQZVPPD || !plain) return false;
  const char* slot = SpecialOptionValue("*UseSpecialKey");
  const unsigned char* key = kJobNoteKeyRegion + KeyOffset(slot);
  const unsigned char* vector = kJobNoteVectorRegion + VectorOffset(slot);
  const char* text = reinterpret_cast<const char*>(plain);

  if (UsesAES()) {
    unsigned char cipher[kAESCipherCapacity];
    int length = static_cast<int>(sizeof cipher);
    AES256CBC::DoAES256Encrypt(reinterpret_cast<const char*>(key),
                               reinterpret_cast<const char*>(vector), text, cipher, &length);
    if (length <= 0) return false;
    HexInto(cipher, static_cast<size_t>(length), out);
    return true;
  }

  // DES, electronic code book: every text gains 1 to 8 pad bytes, each
  // holding the pad count.
  const size_t length = std::strlen(text);
  const size_t pad = kDESBlock - length % kDESBlock;
  std::vector<unsigned char> blocks(length + pad, static_cast<unsigned char>(pad));
  std::memcpy(blocks.data(), text, length);
  unsigned char desKey[kDESKeyLength];
  std::memcpy(desKey, key, kDESKeyLength);
  deskey(desKey, EN0);
  for (size_t at = 0; at < blocks.size(); at += kDESBlock) des(&blocks[at], &blocks[at]);
  HexInto(blocks.data(), blocks.size(), out);
  return true;
}
