// The error codes that reading a PPD produces (carried by PPDXErrorObj).
#pragma once

#include <cstdint>

enum PPDErrorCode : int16_t {
  PPDErr_NoErr = 0,
  PPDErr_OutOfMemory = 1,
  PPDErr_PropPageParsing = 4,
  PPDErr_GroupParsing = 5,
  PPDErr_JobNoteParsing = 6,
  PPDErr_RangeParsing = 7,
  PPDErr_OpenUIParsing = 8,
  PPDErr_BooleanParsing = 9,
  PPDErr_OpenUIQZVParsing1 = 10,
  PPDErr_PopupParsing = 11,
  PPDErr_GroupNameParsing = 12,
  PPDErr_ParentParsingNoParent = 14,
  PPDErr_ParentParsing = 15,
  PPDErr_ControlParsing = 16,
  PPDErr_FileError = 18,
  PPDErr_BadShortcut = 19,
  PPDErr_NoParent = 21,
  PPDErr_Duplicate = 23,
  PPDErr_NoPropertyPages = 25,
  PPDErr_NoGroups = 26,
  PPDErr_NoControls = 27,
  PPDErr_NotPPDFile = 28,
  PPDErr_InvalidParent = 29,
  PPDErr_InvalidOpenUIType = 31,
  PPDErr_UnsupportedJobNoteFlag = 32,
  PPDErr_NoDefaultValueFlag = 33,
  PPDErr_OpenUIQZVParsing2 = 34,
  PPDErr_NoPostscript = 35,
  PPDErr_BadConstraint = 36,
  PPDErr_SubGroupNameParsing = 37,
};

// The name of a code ("PPDErr_FileError"), or null for a code not listed.
const char* PPDErrorName(int16_t code);
