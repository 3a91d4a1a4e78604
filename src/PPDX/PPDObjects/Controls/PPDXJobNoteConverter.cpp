#include "PPDX/PPDObjects/Controls/PPDXJobNoteConverter.h"

#include <memory>
#include <new>

namespace {

std::unique_ptr<TextConverter> gConverter;
long gUsers = 0;

}  // namespace

void JobNoteConverter::Acquire(const CString* language) {
  ++gUsers;
  if (gConverter || !language || language->Empty()) return;
  gConverter.reset(new (std::nothrow) TextConverter(
      TextConverter::LanguageStringToEncoding(*language), TextConverter::GetCurrentEncoding()));
}

void JobNoteConverter::Release() {
  if (gUsers > 0 && --gUsers == 0) gConverter.reset();
}

TextConverter* JobNoteConverter::Get() {
  return gConverter.get();
}

long JobNoteConverter::Users() {
  return gUsers;
}
