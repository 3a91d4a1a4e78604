#include "PPDX/PPDXErrorCodes.h"

const char* PPDErrorName(int16_t code) {
  switch (code) {
#define TAVRO_PPD_ERROR(name) \
  case name:                  \
    return #name;
    TAVRO_PPD_ERROR(PPDErr_NoErr)
    TAVRO_PPD_ERROR(PPDErr_OutOfMemory)
    TAVRO_PPD_ERROR(PPDErr_PropPageParsing)
    TAVRO_PPD_ERROR(PPDErr_GroupParsing)
    TAVRO_PPD_ERROR(PPDErr_JobNoteParsing)
    TAVRO_PPD_ERROR(PPDErr_RangeParsing)
    TAVRO_PPD_ERROR(PPDErr_OpenUIParsing)
    TAVRO_PPD_ERROR(PPDErr_BooleanParsing)
    TAVRO_PPD_ERROR(PPDErr_OpenUIQZVParsing1)
    TAVRO_PPD_ERROR(PPDErr_PopupParsing)
    TAVRO_PPD_ERROR(PPDErr_GroupNameParsing)
    TAVRO_PPD_ERROR(PPDErr_ParentParsingNoParent)
    TAVRO_PPD_ERROR(PPDErr_ParentParsing)
    TAVRO_PPD_ERROR(PPDErr_ControlParsing)
    TAVRO_PPD_ERROR(PPDErr_FileError)
    TAVRO_PPD_ERROR(PPDErr_BadShortcut)
    TAVRO_PPD_ERROR(PPDErr_NoParent)
    TAVRO_PPD_ERROR(PPDErr_Duplicate)
    TAVRO_PPD_ERROR(PPDErr_NoPropertyPages)
    TAVRO_PPD_ERROR(PPDErr_NoGroups)
    TAVRO_PPD_ERROR(PPDErr_NoControls)
    TAVRO_PPD_ERROR(PPDErr_NotPPDFile)
    TAVRO_PPD_ERROR(PPDErr_InvalidParent)
    TAVRO_PPD_ERROR(PPDErr_InvalidOpenUIType)
    TAVRO_PPD_ERROR(PPDErr_UnsupportedJobNoteFlag)
    TAVRO_PPD_ERROR(PPDErr_NoDefaultValueFlag)
    TAVRO_PPD_ERROR(PPDErr_OpenUIQZVParsing2)
    TAVRO_PPD_ERROR(PPDErr_NoPostscript)
    TAVRO_PPD_ERROR(PPDErr_BadConstraint)
    TAVRO_PPD_ERROR(PPDErr_SubGroupNameParsing)
#undef TAVRO_PPD_ERROR
  }
  return nullptr;
}
