#include "foundation/EncodingSwitches.h"

int32_t gQZUTF8Version = 0;
bool gPopupJobNotesLangIsJapanese = false;
bool gIsDocServerKey = false;
