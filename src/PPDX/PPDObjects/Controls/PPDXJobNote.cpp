#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"

#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "PPDX/PPDObjects/Controls/PPDXControlStore.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNoteConverter.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControlFlags.h"
#include "PPDX/PPDObjects/Controls/SettingsStrings.h"
#include "foundation/EncodingSwitches.h"
#include "platform/Log.h"
#include "security/PresetStringCipher.h"

bool gPopupJobNotesDefaultsButton = false;

namespace {

// Longer texts go into the body cut to their first 511 bytes; the
// %%BeginFeature line still carries the whole text.
constexpr size_t kLongestBodyText = 512;
constexpr size_t kCutBodyText = 511;

std::unique_ptr<CString> CopyText(const char* text) {
  if (!text) return nullptr;
  return std::unique_ptr<CString>(new (std::nothrow) CString(text));
}

// The platform string of a note's text in the system encoding.
CFString SystemString(const CString* text) {
  if (!text || !static_cast<const char*>(*text)) return CFString();
  return CFString::CreateWithCString(*text, GetApplicationTextEncoding());
}

// These menus keep their preset values in the clear.
bool PlainPresetKeyword(const char* keyword) {
  if (!keyword) return false;
  for (const char* k : {"*QZSimulation", "*QZOutProfile", "*QZRGBOverride", "*QZControlBar"})
    if (std::strcmp(keyword, k) == 0) return true;
  return false;
}

}  // namespace

PPDXJobNote::PPDXJobNote() {
  SetType(kJobNoteControl);
  JobNoteConverter::Acquire(nullptr);
}

PPDXJobNote::PPDXJobNote(const char* keyword, CFString userName, PointerList& flags,
                         unsigned char* psData, long psLength, CString* notes,
                         const CString* language, bool visible, long maxLength,
                         const JobNoteFlag& jobNoteFlags, long minLength)
    : PPDXControl(keyword, std::move(userName), flags, psData, psLength, visible, nullptr),
      notes_(notes),
      maxLength_(maxLength),
      minLength_(minLength),
      jobNoteFlags_(jobNoteFlags) {
  SetType(kJobNoteControl);
  notesCF_ = SystemString(notes_.get());
  if (notes_) defaultNotes_ = CopyText(*notes_);
  JobNoteConverter::Acquire(language);
}

PPDXJobNote::PPDXJobNote(Settings& settings, int id, const CString* language)
    : PPDXControl(settings, id, nullptr) {
  SetType(kJobNoteControl);
  notes_ = GetSettingsString(settings, kJobNoteTextTag, id);
  defaultNotes_ = GetSettingsString(settings, kJobNoteDefaultTextTag, id);
  ReadStoreInt64(settings, kJobNoteMaxLengthTag, id, maxLength_);
  ReadStoreInt64(settings, kJobNoteMinLengthTag, id, minLength_);
  int32_t word = 0;
  if (ReadStoreInt32(settings, kJobNoteFlagsTag, id, word) == kSettingsNoErr)
    jobNoteFlags_ = static_cast<JobNoteFlag>(word);
  int32_t on = 0;
  if (ReadStoreInt32(settings, kJobNoteOnTag, id, on) == kSettingsNoErr) notesOn_ = on ? 1 : 0;
  // The same source as a note read from the PPD, so that a rebuilt note
  // gives the same preset value.
  notesCF_ = SystemString(notes_.get());
  JobNoteConverter::Acquire(language);
}

PPDXJobNote::~PPDXJobNote() {
  JobNoteConverter::Release();
}

bool PPDXJobNote::OkayToDisplay(const _DISPLAY_OPTIONS_& option) const {
  if (option == kDisplayVisibleWithParent || option == kDisplayIncludeOrphans) return IsVisible();
  return true;
}

int16_t PPDXJobNote::Save(Settings& settings, const int& id) {
  int16_t status = PPDXControl::Save(settings, id);
  if (status != kSettingsNoErr) return status;
  const uint8_t marker = 1;
  if ((status = settings.Add(kJobNoteMarkerTag, id, &marker, 1)) != kSettingsNoErr) return status;
  if (notes_ && !notes_->Empty()) {
    if ((status = WriteStoreText(settings, kJobNoteTextTag, id, *notes_)) != kSettingsNoErr)
      return status;
  }
  if (defaultNotes_ && !defaultNotes_->Empty()) {
    if ((status = WriteStoreText(settings, kJobNoteDefaultTextTag, id, *defaultNotes_)) !=
        kSettingsNoErr)
      return status;
  }
  if ((status = settings.Add(kJobNoteMaxLengthTag, id, &maxLength_, 8)) != kSettingsNoErr)
    return status;
  if ((status = settings.Add(kJobNoteMinLengthTag, id, &minLength_, 8)) != kSettingsNoErr)
    return status;
  const int32_t word = static_cast<int32_t>(jobNoteFlags_);
  if ((status = settings.Add(kJobNoteFlagsTag, id, &word, 4)) != kSettingsNoErr) return status;
  return settings.Add(kJobNoteOnTag, id, &notesOn_, 4);
}

int16_t PPDXJobNote::Restore(Settings& settings, int id) {
  notes_ = GetSettingsString(settings, kJobNoteTextTag, id);
  // The cached body carries the old text; the next job must carry the new one.
  DropBody();
  return 0;
}

void PPDXJobNote::DropBody() {
  pdl_.reset();
  pdlLength_ = 0;
}

const char* PPDXJobNote::GetNotes() const {
  return notes_ ? static_cast<const char*>(*notes_) : nullptr;
}

void PPDXJobNote::SetNotes(const char* text) {
  notes_ = CopyText(text);
  DropBody();
}

void PPDXJobNote::SetUTF8Notes(const CFString& text) {
  if (text.IsNull()) {
    notes_.reset();
  } else {
    std::string utf8 = text.UTF8();
    notes_ = CopyText(utf8.c_str());
  }
  DropBody();
}

const char* PPDXJobNote::GetDefaultNotes() const {
  return defaultNotes_ ? static_cast<const char*>(*defaultNotes_) : nullptr;
}

void PPDXJobNote::SetDefaultNotes(const char* text) {
  defaultNotes_ = CopyText(text);
}

CFString PPDXJobNote::CopyNotes() const {
  const char* text = GetNotes();
  if (!text || !*text) return CFSTR("");
  TextEncoding encoding = GetApplicationTextEncoding();
  if (gPopupJobNotesLangIsJapanese)
    encoding = kTextEncodingShiftJIS;
  else if (gQZUTF8Version >= 5)
    encoding = kTextEncodingUTF8;
  CFString result = CFString::CreateWithCString(text, encoding);
  // Bytes that are not valid in that encoding are read in the system one
  // rather than losing the text.
  if (result.IsNull()) result = CFString::CreateWithCString(text, GetApplicationTextEncoding());
  return result.IsNull() ? CFSTR("") : result;
}

CFString PPDXJobNote::CopyCurrentControlValueString() {
  return CopyNotes();
}

void PPDXJobNote::SetCurrentControlWithCFString(const CFString& text) {
  if (text.IsNull()) return;
  notesCF_ = text;
  DropBody();
  auto converted = std::unique_ptr<CString>(new (std::nothrow) CString());
  if (converted) *converted = text;
  notes_ = std::move(converted);
}

bool PPDXJobNote::IsPopupJN() const {
  if (!Has(kJobNotePopupJN)) return false;
  if (!gPopupJobNotesFoundOne) {
    gPopupJobNotesFoundOne = true;
    myNSLogC("At least one PUJN found !!!!!!!!");
  }
  return true;
}

void PPDXJobNote::ResetToDefaultValue() {
  const bool plainReset = gPopupJobNotesDoneInitializing && !gPopupJobNotesFoundOne;
  if (!plainReset && gPopupJobNotesDefaultsButton && IsPopupJN()) SetDefaultNotes("");
  SetNotes(GetDefaultNotes());
}

long PPDXJobNote::BuildPDLString(const char* text) {
  const std::string_view v = text ? text : "";
  const char* k = Keyword();
  std::string body;
  try {
    if (Resume()) {
      body.append("%%PersPassword: ").append(v).append("\n");
    } else if (IsMember()) {
      body.append("%%DeptPassword: ").append(v).append("\n");
    } else if (k && std::strcmp(k, "*Notes1") == 0) {
      body.append("%%QZVCustom1: ").append(v).append("\n");
    } else if (k && std::strcmp(k, "*Notes2") == 0) {
      body.append("%%QZVCustom2: ").append(v).append("\n");
    } else if (k && std::strcmp(k, "*Instruc") == 0) {
      body.append("%%QZVCustom3: ").append(v).append("\n");
    } else {
      body = "%%EmptyOption\n\n";
    }
  } catch (const std::bad_alloc&) {
    DropBody();
    return 0;
  }
  auto* buffer = static_cast<unsigned char*>(std::malloc(body.size()));
  pdl_.reset(buffer);
  pdlLength_ = 0;
  if (!buffer) return 0;
  std::memcpy(buffer, body.data(), body.size());
  pdlLength_ = static_cast<int64_t>(body.size());
  return static_cast<long>(pdlLength_);
}

long PPDXJobNote::PostScript(unsigned char* buffer) {
  const char* text = GetNotes();
  if (!text || !*text || !Keyword()) return 0;
  if (!pdl_) {
    const size_t length = std::strlen(text);
    std::string v;
    try {
      v.assign(text, length > kLongestBodyText ? kCutBodyText : length);
    } catch (const std::bad_alloc&) {
      return GeneratePSOutputData(buffer, nullptr, 0, text, true);
    }
    if (PSData() && PSLength() > 0) {
      unsigned char* out = nullptr;
      long bodyLength = Inject(Keyword(), PSData(), PSLength(), v.c_str(), out);
      pdl_.reset(out);
      pdlLength_ = out ? bodyLength : 0;
    } else {
      BuildPDLString(v.c_str());
    }
  }
  return GeneratePSOutputData(buffer, pdl_.get(), static_cast<long>(pdlLength_), text, true);
}

CFString PPDXJobNote::CopyPresetValueString() {
  return QZCFCreateEncryptedString(notesCF_, CFSTR(kJobNotePresetPassPhrase));
}

void PPDXJobNote::SetPresetValueString(const CFString& text) {
  if (PlainPresetKeyword(Keyword())) {
    SetCurrentControlWithCFString(text);
    return;
  }
  // A value that does not decipher gives the null string, which leaves the
  // note as it was.
  SetCurrentControlWithCFString(QZCFCreateDecryptedString(text, CFSTR(kJobNotePresetPassPhrase)));
}
