#include "PPDX/PPDObjects/Controls/PPDXJobNoteFlags.h"

#include <cstring>
#include <string>

const JobNoteFlagEntry kJobNoteFlagTable[kJobNoteFlagCount] = {
    {kJobNoteAlpha, "Alpha"},
    {kJobNoteNumeric, "Numeric"},
    {kJobNoteDecimal, "Decimal"},
    {kJobNoteRequired, "Required"},
    {kJobNoteRemembered, "Remembered"},
    {kJobNotePassword, "Password"},
    {kJobNoteAlwaysDisplay, "AlwaysDisplay"},
    {kJobNoteResume, "Resume"},
    {kJobNoteMember, "Member"},
    {kJobNoteOnOffSwitch, "OnOfSwitch"},
    {kJobNoteLengthReq, "LengthReq"},
    {kJobNoteSecPrint, "SecPrint"},
    {kJobNoteCommand, "Command"},
    {kJobNoteSpace, "Space"},
    {kJobNoteNegative, "Negative"},
    {kJobNoteEncrypt, "Encrypt"},
    {kJobNoteMultiSpace, "MultiSpace"},
    {kJobNoteMultiComma, "MultiComma"},
    {kJobNoteLCD, "LCD"},
    {kJobNoteHyphen, "Hyphen"},
    {kJobNoteTwoCharField, "TwoCharField"},
    {kJobNoteNoComma, "NoComma"},
    {kJobNoteMinLength, "MinLength"},
    {kJobNoteUTF8, "UTF8"},
    {kJobNoteAESEncrypt, "AESEncrypt"},
    {kJobNotePopupJN, "PopupJN"},
};

int JobNoteFlagIndex(const char* word) {
  if (!word) return -1;
  for (size_t i = 0; i < kJobNoteFlagCount; ++i)
    if (std::strcmp(kJobNoteFlagTable[i].word, word) == 0) return static_cast<int>(i);
  return -1;
}

JobNoteFlag JobNoteFlagForWord(const char* word) {
  int index = JobNoteFlagIndex(word);
  return index < 0 ? 0 : kJobNoteFlagTable[index].flag;
}

namespace {

bool IsDigit(char32_t c) {
  return c >= U'0' && c <= U'9';
}
bool IsLetter(char32_t c) {
  return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}
bool Has(JobNoteFlag flags, JobNoteFlag bit) {
  return (flags & bit) != 0;
}

}  // namespace

bool JobNoteIsAnyText(JobNoteFlag flags) {
  return (flags & kJobNoteCharacterMask) == 0;
}

bool JobNoteAcceptsCharacter(JobNoteFlag flags, char32_t c) {
  // LCD fields take a fixed set, whatever else is flagged.
  if (Has(flags, kJobNoteLCD))
    return IsDigit(c) || IsLetter(c) || c == U',' || c == U'-' || c == U'.' || c == U'_';
  const bool decimal = Has(flags, kJobNoteDecimal);
  return JobNoteIsAnyText(flags) || (Has(flags, kJobNoteMultiComma) && c == U',' && !decimal) ||
         (Has(flags, kJobNoteMultiSpace) && c == U' ' && !decimal) ||
         (Has(flags, kJobNoteHyphen) && c == U'-') || (Has(flags, kJobNoteNumeric) && IsDigit(c)) ||
         (Has(flags, kJobNoteAlpha) && IsLetter(c)) ||
         (Has(flags, kJobNoteNegative) && c == U'-') || (Has(flags, kJobNoteSpace) && c == U' ') ||
         (decimal && (IsDigit(c) || c == U'.' || c == U','));
}

bool JobNoteIsNumericText(JobNoteFlag flags) {
  return Has(flags, kJobNoteNumeric) && !Has(flags, kJobNoteAlpha);
}

long JobNoteNumericTextInvalidAt(JobNoteFlag flags, std::u32string_view text) {
  if (!JobNoteIsNumericText(flags)) return -1;
  const bool comma = Has(flags, kJobNoteMultiComma);
  const bool hyphen = Has(flags, kJobNoteHyphen);
  for (size_t i = text.size(); i-- > 0;) {
    char32_t c = text[i];
    if (IsDigit(c) || (comma && c == U',') || (hyphen && c == U'-')) continue;
    return static_cast<long>(i);
  }
  return -1;
}

long JobNoteNumericTextInvalidAt(JobNoteFlag flags, const CFString& text) {
  if (text.IsNull()) return -1;
  std::u32string wide = text.UTF32();
  return JobNoteNumericTextInvalidAt(flags, std::u32string_view(wide));
}

CFString JobNoteCutToMaxLength(const CFString& text, long maxLength) {
  if (text.IsNull() || maxLength < 0 || text.Length() <= static_cast<size_t>(maxLength))
    return text;
  size_t cut = static_cast<size_t>(maxLength);
  // A high surrogate at the cut would leave half a character behind.
  if (cut > 0 && (text.Units()[cut - 1] & 0xFC00) == 0xD800) --cut;
  return CFString(text.Units().substr(0, cut));
}
