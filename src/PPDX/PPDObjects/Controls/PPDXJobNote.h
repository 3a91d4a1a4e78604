// A free-text field of the job-note block: account names, passwords, notes
// for the operator. It holds the text, its default, its length limits and the
// flag word that says which characters it takes and how the text travels. Its
// PostScript is the text substituted into the PPD fragment (hexadecimal string
// form) or, without a fragment, a DSC comment. Not part of the UI constraints.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "PPDX/PPDObjects/Controls/PPDXControl.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNoteFlags.h"

constexpr unsigned int kJobNoteMarkerTag = ControlTag("JbNt");
constexpr unsigned int kJobNoteTextTag = ControlTag("jNtT");
constexpr unsigned int kJobNoteDefaultTextTag = ControlTag("jNDT");
constexpr unsigned int kJobNoteMaxLengthTag = ControlTag("jMxL");
constexpr unsigned int kJobNoteMinLengthTag = ControlTag("jMnL");
constexpr unsigned int kJobNoteFlagsTag = ControlTag("jNtF");
constexpr unsigned int kJobNoteOnTag = ControlTag("jNOn");

// Preset values of job notes are stored enciphered under this pass phrase.
constexpr const char* kJobNotePresetPassPhrase = "7C2E4A19-3B8D-4F06-9A51-E0D6C3B2F847";

// Set by the accounting pop-up while its defaults button resets the pop-up
// notes: their defaults are then emptied first.
extern bool gPopupJobNotesDefaultsButton;

class PPDXJobNote : public PPDXControl {
 public:
  PPDXJobNote();  // an empty note
  // Takes over the flag words, the malloc'ed fragment and notes (the current
  // text; its copy becomes the default). The language text is only read.
  PPDXJobNote(const char* keyword, CFString userName, PointerList& flags, unsigned char* psData,
              long psLength, CString* notes, const CString* language, bool visible, long maxLength,
              const JobNoteFlag& jobNoteFlags, long minLength);
  // Control items, then the note's items; other sizes are ignored.
  PPDXJobNote(Settings& settings, int id, const CString* language);
  ~PPDXJobNote() override;

  // Under display options 0 and 1 a visible note shows, parent or not;
  // under any other option every note shows.
  bool OkayToDisplay(const _DISPLAY_OPTIONS_& option) const override;
  int16_t Save(Settings& settings, const int& id) override;
  void ResetToDefaultValue() override;
  long PostScript(unsigned char* buffer) override;
  // Replaces the text with the stored one (none when missing); answers 0.
  int16_t Restore(Settings& settings, int id) override;
  CFString CopyCurrentControlValueString() override;  // CopyNotes()
  // A null text is ignored; otherwise the platform string and the text.
  void SetCurrentControlWithCFString(const CFString& text) override;
  // The platform string enciphered for a preset.
  CFString CopyPresetValueString() override;
  // Deciphers a preset value (colour-management keywords take it as is).
  void SetPresetValueString(const CFString& text) override;

  const char* GetNotes() const;     // null when there is no text
  void SetNotes(const char* text);  // the platform string stays as it was
  void SetUTF8Notes(const CFString& text);
  // The text as a platform string, read in the encoding the job notes use.
  CFString CopyNotes() const;
  const char* GetDefaultNotes() const;
  void SetDefaultNotes(const char* text);
  bool GetNotesOnValue() const { return notesOn_ != 0; }
  void SetNotesOnValue(bool on) { notesOn_ = on ? 1 : 0; }
  long MaxLength() const { return static_cast<long>(maxLength_); }
  long MinLength() const { return static_cast<long>(minLength_); }
  JobNoteFlag Flags() const { return jobNoteFlags_; }

  bool IsAlpha() const { return Has(kJobNoteAlpha); }
  bool IsNumeric() const { return Has(kJobNoteNumeric); }
  bool IsDecimal() const { return Has(kJobNoteDecimal); }
  bool IsRequired() const { return Has(kJobNoteRequired); }
  bool Remember() const { return Has(kJobNoteRemembered); }
  bool IsPassword() const { return Has(kJobNotePassword); }
  bool AlwaysDisplay() const { return Has(kJobNoteAlwaysDisplay); }
  bool Resume() const { return Has(kJobNoteResume); }
  bool IsMember() const { return Has(kJobNoteMember); }
  bool IsOnOffSwitch() const { return Has(kJobNoteOnOffSwitch); }
  bool IsLengthReq() const { return Has(kJobNoteLengthReq); }
  bool IsSecPrint() const { return Has(kJobNoteSecPrint); }
  bool IsSpace() const { return Has(kJobNoteSpace); }
  bool IsNegative() const { return Has(kJobNoteNegative); }
  bool IsEncrypt() const { return Has(kJobNoteEncrypt); }
  bool IsMultiSpace() const { return Has(kJobNoteMultiSpace); }
  bool IsMultiComma() const { return Has(kJobNoteMultiComma); }
  bool IsLCD() const { return Has(kJobNoteLCD); }
  bool IsHyphen() const { return Has(kJobNoteHyphen); }
  bool IsTwoCharFields() const { return Has(kJobNoteTwoCharField); }
  bool IsNoComma() const { return Has(kJobNoteNoComma); }
  bool IsUTF8() const { return Has(kJobNoteUTF8); }
  bool IsAESEncrypt() const { return Has(kJobNoteAESEncrypt); }
  // Also records, process-wide, that a pop-up note exists (logged once).
  bool IsPopupJN() const;
  bool IsAnyText() const { return JobNoteIsAnyText(jobNoteFlags_); }

  // The typing rules of this note (see PPDXJobNoteFlags.h).
  bool AcceptsCharacter(char32_t c) const { return JobNoteAcceptsCharacter(jobNoteFlags_, c); }
  long NumericTextInvalidAt(const CFString& text) const {
    return JobNoteNumericTextInvalidAt(jobNoteFlags_, text);
  }
  CFString CutToMaxLength(const CFString& text) const {
    return JobNoteCutToMaxLength(text, MaxLength());
  }

  // The body without a fragment: a DSC comment chosen by the flags and the
  // keyword. Becomes the cached body; returns its length.
  long BuildPDLString(const char* text);

 private:
  bool Has(JobNoteFlag bit) const { return (jobNoteFlags_ & bit) != 0; }
  void DropBody();

  std::unique_ptr<CString> notes_;
  CFString notesCF_;
  int64_t maxLength_ = 0;
  int64_t minLength_ = 0;
  JobNoteFlag jobNoteFlags_ = 0;
  std::unique_ptr<CString> defaultNotes_;
  int32_t notesOn_ = 0;
  struct Free {
    void operator()(unsigned char* p) const { std::free(p); }
  };
  std::unique_ptr<unsigned char, Free> pdl_;  // cached PostScript body
  int64_t pdlLength_ = 0;
};
