// Turning the flag words of a job-note declaration into flag bits: the word
// table, the extension level that limits it and the "MinLength" suffix.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/PPDXJobNoteFlags.h"

// The parser's flag table; the model reads the same entries (bit i = entry i).
extern const JobNoteFlagEntry* const jnFlags;

// Whether the extension level accepts the flag of table index `index`:
// level 0 indexes 0-8, level 1 0-11, level 2 0-14, any other level all 26.
bool JobNoteFlagAcceptedAtLevel(int index, int level);

// The minimum length given by the characters that follow "MinLength":
// none 0, one digit that digit, two digits their value, a first character
// that is no digit -1, a second character that is no digit -3, three or more
// characters -2.
long JobNoteMinLengthSuffix(const char* suffix);

struct JobNoteFlagWords {
  JobNoteFlag bits = 0;
  long minLength = 0;
  // Set when a table word lies beyond the accepted level: the declaration fails.
  bool unsupported = false;
};

// Reads the flag words of one declaration. With readMinLength a word that
// begins with "MinLength" sets the minimum length and counts as "MinLength";
// without it such a word must match exactly. Words outside the table are
// ignored.
JobNoteFlagWords ReadJobNoteFlagWords(const std::vector<std::string>& words, int level,
                                      bool readMinLength);
