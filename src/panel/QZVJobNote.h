// One job note of the feature document as the job sees it: which comment line
// it feeds, its text, and the ciphers that keep protected values out of the
// job in clear.
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/PtrLinkList.h"

class PPDXJobNote;
class QZVPPD;

// The document the notes of the current job belong to; the cipher reads its
// special options. Set while a job-note list writes and left set afterwards.
extern QZVPPD* gQZVPPD;
// Set by each note made with initialised false; cleared when a list has
// written its notes. While set, no login name stands in for an empty user
// name.
extern bool gUserAuthNameWasInited;

// The nine keywords whose notes also write a comment line, and the prefixes
// of those lines; each field 256 bytes.
constexpr size_t kKeywordMapField = 256;
constexpr int kKeywordMapCount = 9;
struct KeywordMapEntry {
  char keyword[kKeywordMapField];
  char prefix[kKeywordMapField];
};
extern const KeywordMapEntry gKeywordMap[kKeywordMapCount];
constexpr short kUserAuthNameIndex = 6;
constexpr short kUserAuthPasswordIndex = 7;

// The cipher text in hexadecimal: at most 256 characters and a NUL.
constexpr size_t kEncryptedNoteChars = 256;
constexpr size_t kEncryptedNoteSize = kEncryptedNoteChars + 1;
// The AES cipher text is at most this long (longer texts are not enciphered).
constexpr size_t kAESCipherCapacity = 282;

// Two upper-case hexadecimal digits per byte, high nibble first; no NUL.
void toHex(const unsigned char* in, int length, char* out);
// From the application's text encoding to UTF-8 into `out`, which holds four
// bytes per input byte plus one; NUL-terminated. On failure `out` receives
// the unconverted text and the answer is false.
bool ConvertTextFromApplicationToUTF8(const char* in, char* out);

class QZVJobNote : public LinkElement_Dual {
 public:
  // Not initialised: the item takes the note's notes-on value; initialised:
  // it is on. The value is written back to the note.
  QZVJobNote(PPDXJobNote* note, bool initialised);
  ~QZVJobNote() override = default;

  PPDXJobNote* Note() const { return note_; }
  bool NotesOn() const { return notesOn_ != 0; }

  // True and the map index for one of the nine keywords; else false and -1.
  bool specialKeyword(short* index) const;
  // The text length plus one (0 for no or empty text); copies the text
  // (with its NUL) when out is given.
  long getUserData(char* out) const;
  // Title and keyword copied into out (at least 256 bytes); their length.
  long getTitle(char* out) const;
  long getKeyword(char* out) const;
  // Two-character-field notes take digits in runs of at most 2; others pass.
  bool checkRangeValues(char* text) const;
  // Enciphers plain (NUL-terminated) into out (kEncryptedNoteSize bytes, upper
  // case hexadecimal, NUL-terminated). AES or DES and the key slot come from
  // the document's special options and the note's flags. False without a
  // document or when the text could not be enciphered (out then empty).
  bool encryptNote(unsigned char* unused, unsigned char* plain, unsigned char* out) const;
  // AES for this note under the current document's options.
  bool UsesAES() const;
  // Marked for either cipher.
  bool IsEncrypted() const;

 private:
  PPDXJobNote* note_;  // not owned
  uint8_t notesOn_ = 0;
  uint8_t initialised_ = 0;
};
