// The text converter's document-facing constructors: they read the
// document's language keywords. Defined here, beside the document, so that
// the converter's own archive does not depend on the document root.
#include "PPDX/PPDX.h"
#include "TextConverter/TextConverter.h"

TextConverter::TextConverter(const PPDX* ppd)
    : TextConverter(ppd ? ppd->LanguageEncoding() : nullptr, ppd ? ppd->LanguageVersion() : nullptr,
                    GetCurrentEncoding()) {}

TextConverter::TextConverter(const PPDX* ppd, TextEncoding target)
    : TextConverter(ppd ? ppd->LanguageEncoding() : nullptr, ppd ? ppd->LanguageVersion() : nullptr,
                    target) {}

TextEncoding TextConverter::GetPPDEncoding(const PPDX* ppd) {
  return LanguageStringToEncoding(ppd ? ppd->LanguageEncoding() : nullptr);
}
