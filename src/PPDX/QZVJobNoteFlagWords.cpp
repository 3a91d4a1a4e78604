#include "PPDX/QZVJobNoteFlagWords.h"

#include <cstring>

const JobNoteFlagEntry* const jnFlags = kJobNoteFlagTable;

namespace {
constexpr char kMinLengthWord[] = "MinLength";
constexpr size_t kMinLengthWordLength = sizeof(kMinLengthWord) - 1;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
}  // namespace

bool JobNoteFlagAcceptedAtLevel(int index, int level) {
  if (index < 0 || index >= static_cast<int>(kJobNoteFlagCount)) return false;
  switch (level) {
    case 0:
      return index <= 8;
    case 1:
      return index <= 11;
    case 2:
      return index <= 14;
    default:
      return true;
  }
}

long JobNoteMinLengthSuffix(const char* suffix) {
  if (!suffix || suffix[0] == '\0') return 0;
  if (!IsDigit(suffix[0])) return -1;
  if (suffix[1] == '\0') return suffix[0] - '0';
  if (!IsDigit(suffix[1])) return -3;
  if (suffix[2] == '\0') return (suffix[0] - '0') * 10 + (suffix[1] - '0');
  return -2;
}

JobNoteFlagWords ReadJobNoteFlagWords(const std::vector<std::string>& words, int level,
                                      bool readMinLength) {
  JobNoteFlagWords result;
  for (const std::string& word : words) {
    const char* lookup = word.c_str();
    if (readMinLength && word.compare(0, kMinLengthWordLength, kMinLengthWord) == 0) {
      result.minLength = JobNoteMinLengthSuffix(lookup + kMinLengthWordLength);
      lookup = kMinLengthWord;
    }
    const int index = JobNoteFlagIndex(lookup);
    if (index < 0) continue;
    if (!JobNoteFlagAcceptedAtLevel(index, level)) {
      result.unsupported = true;
      return result;
    }
    result.bits |= jnFlags[index].flag;
  }
  return result;
}
