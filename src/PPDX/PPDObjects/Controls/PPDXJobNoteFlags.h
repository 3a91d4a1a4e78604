// The job-note flag word: which characters a note accepts and how its text
// travels to the printer. Bit i is the i-th word of the PPD's flag table, so
// the parser turns words into bits with the same table the model reads.
// The character rule and the numeric-text rule are plain functions so that the
// panel can test every typed character without holding a note.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/CFString.h"

using JobNoteFlag = uint32_t;

constexpr JobNoteFlag kJobNoteAlpha = 0x1;
constexpr JobNoteFlag kJobNoteNumeric = 0x2;
constexpr JobNoteFlag kJobNoteDecimal = 0x4;
constexpr JobNoteFlag kJobNoteRequired = 0x8;
constexpr JobNoteFlag kJobNoteRemembered = 0x10;
constexpr JobNoteFlag kJobNotePassword = 0x20;
constexpr JobNoteFlag kJobNoteAlwaysDisplay = 0x40;
constexpr JobNoteFlag kJobNoteResume = 0x80;
constexpr JobNoteFlag kJobNoteMember = 0x100;
constexpr JobNoteFlag kJobNoteOnOffSwitch = 0x200;
constexpr JobNoteFlag kJobNoteLengthReq = 0x400;
constexpr JobNoteFlag kJobNoteSecPrint = 0x800;
constexpr JobNoteFlag kJobNoteCommand = 0x1000;
constexpr JobNoteFlag kJobNoteSpace = 0x2000;
constexpr JobNoteFlag kJobNoteNegative = 0x4000;
constexpr JobNoteFlag kJobNoteEncrypt = 0x8000;
constexpr JobNoteFlag kJobNoteMultiSpace = 0x10000;
constexpr JobNoteFlag kJobNoteMultiComma = 0x20000;
constexpr JobNoteFlag kJobNoteLCD = 0x40000;
constexpr JobNoteFlag kJobNoteHyphen = 0x80000;
constexpr JobNoteFlag kJobNoteTwoCharField = 0x100000;
constexpr JobNoteFlag kJobNoteNoComma = 0x200000;
constexpr JobNoteFlag kJobNoteMinLength = 0x400000;
constexpr JobNoteFlag kJobNoteUTF8 = 0x800000;
constexpr JobNoteFlag kJobNoteAESEncrypt = 0x1000000;
constexpr JobNoteFlag kJobNotePopupJN = 0x2000000;

// The flags that restrict the characters of a note; none set means any text.
constexpr JobNoteFlag kJobNoteCharacterMask = kJobNoteAlpha | kJobNoteNumeric | kJobNoteDecimal |
                                              kJobNoteSpace | kJobNoteNegative |
                                              kJobNoteMultiSpace | kJobNoteMultiComma;  // 0x36007

struct JobNoteFlagEntry {
  JobNoteFlag flag;
  const char* word;
};

// The 26 flag words in table order; entry i carries bit i.
constexpr size_t kJobNoteFlagCount = 26;
extern const JobNoteFlagEntry kJobNoteFlagTable[kJobNoteFlagCount];

// Table index of a word (exact comparison), or -1 when the word is not in the table.
int JobNoteFlagIndex(const char* word);
// The bit of a word, 0 when the word is not in the table.
JobNoteFlag JobNoteFlagForWord(const char* word);

// True when no character flag is set: every character is accepted.
bool JobNoteIsAnyText(JobNoteFlag flags);
// Whether a note with these flags accepts one typed character (a Unicode
// code point; letters are a-z and A-Z only, digits 0-9).
bool JobNoteAcceptsCharacter(JobNoteFlag flags, char32_t c);
// A Numeric field without Alpha is checked as numeric text.
bool JobNoteIsNumericText(JobNoteFlag flags);
// Position (in code points) of the last character that makes a numeric
// field's text invalid: not a digit, not a comma under MultiComma, not a
// hyphen under Hyphen. -1 when the text is valid or the field is not numeric.
long JobNoteNumericTextInvalidAt(JobNoteFlag flags, std::u32string_view text);
long JobNoteNumericTextInvalidAt(JobNoteFlag flags, const CFString& text);
// The text cut to maxLength characters (UTF-16 units, never splitting a
// surrogate pair); a negative maxLength sets no limit. A null text stays null.
CFString JobNoteCutToMaxLength(const CFString& text, long maxLength);
