#include "PPDX/PPDObjects/Controls/PPDXBooleanControl.h"

#include <cstdlib>

#include "PPDX/PPDObjects/Controls/PPDXControlStore.h"

namespace {

const char* TextOf(const std::unique_ptr<CString>& text) {
  return text && !text->Empty() ? static_cast<const char*>(*text) : nullptr;
}

bool StartsWithTrue(const CFString& text) {
  const std::u16string& u = text.Units();
  if (u.size() < 4) return false;
  static const char16_t kTrue[] = u"true";
  for (int i = 0; i < 4; ++i) {
    char16_t c = u[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != kTrue[i]) return false;
  }
  return true;
}

}  // namespace

PPDXBooleanControl::PPDXBooleanControl(const char* keyword, CFString userName, PointerList& flags,
                                       bool visible, CString* trueText, unsigned char* truePS,
                                       long truePSLength, CString* falseText,
                                       unsigned char* falsePS, long falsePSLength,
                                       bool defaultValue, UIConstraints* constraints)
    : PPDXControl(keyword, std::move(userName), flags, nullptr, 0, visible, constraints),
      value_(defaultValue),
      defaultValue_(defaultValue),
      trueText_(trueText),
      falseText_(falseText),
      truePS_(truePS),
      truePSLength_(truePS && truePSLength > 0 ? truePSLength : 0),
      falsePS_(falsePS),
      falsePSLength_(falsePS && falsePSLength > 0 ? falsePSLength : 0) {
  SetType(kBooleanControl);
  Report();
}

PPDXBooleanControl::PPDXBooleanControl(Settings& settings, int id, UIConstraints* constraints)
    : PPDXControl(settings, id, constraints) {
  SetType(kBooleanControl);
  int32_t v = 0;
  if (ReadStoreInt32(settings, kBooleanValueTag, id, v) == kSettingsNoErr) value_ = v != 0;
  if (ReadStoreInt32(settings, kBooleanDefaultTag, id, v) == kSettingsNoErr) defaultValue_ = v != 0;
  trueText_ = GetSettingsString(settings, kBooleanTrueTextTag, id);
  falseText_ = GetSettingsString(settings, kBooleanFalseTextTag, id);
  ReadStoreBytes(settings, kBooleanTruePSTag, id, truePS_, truePSLength_);
  ReadStoreBytes(settings, kBooleanFalsePSTag, id, falsePS_, falsePSLength_);
  // Reported once the value is known, so the constraints hold the real state.
  Report();
}

PPDXBooleanControl::~PPDXBooleanControl() {
  std::free(truePS_);
  std::free(falsePS_);
}

int16_t PPDXBooleanControl::Save(Settings& settings, const int& id) {
  int16_t status = PPDXControl::Save(settings, id);
  if (status != kSettingsNoErr) return status;
  const unsigned char marker = 1;
  if ((status = settings.Add(kBooleanMarkerTag, id, &marker, 1)) != kSettingsNoErr) return status;
  if ((status = settings.Add(kBooleanValueTag, id, &value_, 4)) != kSettingsNoErr) return status;
  if ((status = settings.Add(kBooleanDefaultTag, id, &defaultValue_, 4)) != kSettingsNoErr)
    return status;
  if (const char* t = TextOf(trueText_))
    if ((status = WriteStoreText(settings, kBooleanTrueTextTag, id, t)) != kSettingsNoErr)
      return status;
  if (const char* t = TextOf(falseText_))
    if ((status = WriteStoreText(settings, kBooleanFalseTextTag, id, t)) != kSettingsNoErr)
      return status;
  if (truePS_ && truePSLength_ > 0)
    if ((status = WriteStoreBytes(settings, kBooleanTruePSTag, id, truePS_, truePSLength_)) !=
        kSettingsNoErr)
      return status;
  if (falsePS_ && falsePSLength_ > 0)
    status = WriteStoreBytes(settings, kBooleanFalsePSTag, id, falsePS_, falsePSLength_);
  return status;
}

void PPDXBooleanControl::ResetToDefaultValue() {
  value_ = defaultValue_;
  Report();
}

long PPDXBooleanControl::PostScript(unsigned char* buffer) {
  if (value_) return GeneratePSOutputData(buffer, truePS_, truePSLength_, "True", true);
  return GeneratePSOutputData(buffer, falsePS_, falsePSLength_, "False", true);
}

int16_t PPDXBooleanControl::Restore(Settings& settings, int id) {
  int32_t v = 0;
  int16_t status = ReadStoreInt32(settings, kBooleanValueTag, id, v);
  if (status == kSettingsNoErr) {
    value_ = v != 0;
    Report();
  }
  return status;
}

CFString PPDXBooleanControl::CopyCurrentControlValueString() {
  return CFSTR(value_ ? "True" : "False");
}

void PPDXBooleanControl::SetCurrentControlWithCFString(const CFString& text) {
  value_ = StartsWithTrue(text);
  Report();
}

void PPDXBooleanControl::SetValue(bool value) {
  value_ = value;
  Report();
}

void PPDXBooleanControl::SetDefaultValue(bool value) {
  defaultValue_ = value;
}

const char* PPDXBooleanControl::TrueDisplayText() const {
  return TextOf(trueText_);
}

const char* PPDXBooleanControl::FalseDisplayText() const {
  return TextOf(falseText_);
}

void PPDXBooleanControl::Report() {
  UpdateKVCache(Keyword(), value_ ? "True" : "False");
}

bool IsTrue(PPDXBooleanControl* control) {
  return control && control->IsTrue();
}
void SetValue(PPDXBooleanControl* control, bool value) {
  if (control) control->SetValue(value);
}
long BooleanPostScript(PPDXBooleanControl* control, unsigned char* buffer) {
  return control ? control->PostScript(buffer) : 0;
}
const char* TrueDisplayText(PPDXBooleanControl* control) {
  return control ? control->TrueDisplayText() : nullptr;
}
const char* FalseDisplayText(PPDXBooleanControl* control) {
  return control ? control->FalseDisplayText() : nullptr;
}
bool DefaultState(PPDXBooleanControl* control) {
  return control && control->DefaultState();
}
