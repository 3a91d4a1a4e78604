// The one text converter that all job notes share: made from the PPD's
// language-encoding text when the first note that knows it is built, counted
// up by every note and destroyed with the last one.
#pragma once

#include "TextConverter/TextConverter.h"
#include "foundation/CString.h"

class JobNoteConverter {
 public:
  // A note comes into being. With a language text and no converter yet, the
  // converter is made (source: the language's encoding; target: the system's).
  static void Acquire(const CString* language);
  // A note goes away; the last one destroys the converter.
  static void Release();
  // The shared converter, or null.
  static TextConverter* Get();
  // Number of living notes.
  static long Users();
};
