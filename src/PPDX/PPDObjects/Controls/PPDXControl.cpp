#include "PPDX/PPDObjects/Controls/PPDXControl.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "PPDX/PPDObjects/Controls/PPDXControlReport.h"
#include "PPDX/PPDObjects/Controls/PPDXControlStore.h"

namespace {

constexpr std::string_view kBeginFeature = "%%BeginFeature: ";  // 16 bytes
constexpr std::string_view kEndFeature = "%%EndFeature\n";      // 13 bytes

ControlKVReporter gKVReporter = DefaultControlKVReporter;
ControlKVIdReporter gKVIdReporter = DefaultControlKVIdReporter;

const char* const kReservedKeywords[] = {
    "*QZTintvane",
    "*QZ_PROP_COLORMODE",
    "*QZ_PROP_TV_PURE_BLACK",
    "*QZ_PROP_TV_OVER_PRINT",
    "*QZ_PROP_TV_RGB_SEPARATION",
    "*QZ_PROP_TV_SOURCE_PROFILES",
    "*QZ_PROP_TV_SIMULATION",
    "*QZ_PROP_TV_SPOTCOLORS",
    "*QZ_PROP_TV_OUTPUT_PROFILE",
    "*QZ_PROP_TV_SIM_SPEED",
    "*QZ_PROP_TV_COLOR_SMART",
    "*QZ_PROP_TV_GAMMA",
    "*QZ_PROP_TV_WHITEPOINT",
    "*QZ_PROP_TV_PHOSPHORS",
    "*QZ_PROP_TV_CRD",
    "*QZ_PROP_TV_CRD_IMAGES",
    "*QZ_PROP_TV_CRD_GRAPHICS",
    "*QZ_PROP_TV_CRD_TEXT",
    "*QZ_PROP_TV_CRD_IMAGES_HT",
    "*QZ_PROP_TV_CRD_GRAPHICS_HT",
    "*QZ_PROP_TV_CRD_TEXT_HT",
    "*QZ_LOCAL_PROP_FIRSTPAGESOURCE",
    "*QZ_LOCAL_PROP_FIRSTPAGEMEDIA",
    "*QZ_LOCAL_PROP_BACKPAGESOURCE",
    "*QZ_LOCAL_PROP_BACKPAGEMEDIA",
    "*QZ_PROP_WATERMARK_FIRSTPAGEONLY",
    "*QZ_PROP_WATERMARK_FOREGROUND",
    "*QZ_PROP_WATERMARK_OUTLINE",
    "*QZ_PROP_WATERMARK",
    "*QZ_PROP_LOCAL_QZLANDSCAPE",
};
static_assert(sizeof kReservedKeywords / sizeof kReservedKeywords[0] == 30);

// Keywords whose values the printer takes as plain strings, never in hex form.
bool PlainStringKeyword(const char* keyword) {
  if (!keyword) return false;
  return std::strcmp(keyword, "*QZDSFileName") == 0 || std::strcmp(keyword, "*QZDSPassword") == 0 ||
         std::strcmp(keyword, "*QZDSUserName") == 0;
}

// Replaces every occurrence of `from` left to right; the scan goes on after
// each replacement, so a replacement that holds the pattern cannot loop.
void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  if (from.empty()) return;
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  for (;;) {
    size_t hit = text.find(from, pos);
    if (hit == std::string::npos) break;
    out.append(text, pos, hit - pos);
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text, pos, std::string::npos);
  text.swap(out);
}

}  // namespace

void DefaultControlKVReporter(UIConstraints* constraints, const char* key, const char* option) {
  ForwardKVToConstraints(constraints, key, option);
}

void DefaultControlKVIdReporter(UIConstraints* constraints, long keyId, long optionId) {
  ForwardKVIdToConstraints(constraints, keyId, optionId);
}

ControlKVReporter SetControlKVReporter(ControlKVReporter reporter) {
  ControlKVReporter was = gKVReporter;
  gKVReporter = reporter ? reporter : DefaultControlKVReporter;
  return was;
}

ControlKVIdReporter SetControlKVIdReporter(ControlKVIdReporter reporter) {
  ControlKVIdReporter was = gKVIdReporter;
  gKVIdReporter = reporter ? reporter : DefaultControlKVIdReporter;
  return was;
}

PPDXControl::PPDXControl() : PPDXElement(nullptr, CFSTR(""), false) {}

PPDXControl::PPDXControl(const char* keyword, CFString userName, PointerList& flags,
                         unsigned char* psData, long psLength, bool visible,
                         UIConstraints* constraints)
    : PPDXElement(keyword, std::move(userName), visible), constraints_(constraints) {
  // The words now belong to this control; the caller's list is emptied so
  // that nobody else can free them a second time.
  for (PointerListItr it = flags.Begin(); it != flags.End(); ++it) {
    if (*it && !flags_.PushBack(*it)) delete static_cast<CString*>(*it);
  }
  flags.MakeEmpty();
  if (psData && psLength > 0) {
    psData_ = psData;
    psLength_ = psLength;
  } else {
    std::free(psData);
  }
}

PPDXControl::PPDXControl(Settings& settings, int id, UIConstraints* constraints)
    : PPDXElement(settings, id), constraints_(constraints) {
  int16_t order = 0;
  if (ReadStoreFixed(settings, kControlOrderTag, id, &order, 2, true) == kSettingsNoErr)
    order_ = order;

  unsigned char* data = nullptr;
  long length = 0;
  if (ReadStoreBytes(settings, kControlPSDataTag, id, data, length)) {
    psData_ = data;
    psLength_ = length;
  }

  if (std::unique_ptr<CString> words = GetSettingsString(settings, kControlFlagsTag, id)) {
    const char* p = *words;
    while (p && *p) {
      const char* bar = std::strchr(p, '|');
      size_t n = bar ? static_cast<size_t>(bar - p) : std::strlen(p);
      if (n > 0) {
        std::string word(p, n);
        auto* cs = new (std::nothrow) CString(word.c_str());
        if (cs && !flags_.PushBack(cs)) delete cs;
      }
      p = bar ? bar + 1 : p + n;
    }
  }
}

PPDXControl::~PPDXControl() {
  for (PointerListItr it = flags_.Begin(); it != flags_.End(); ++it)
    delete static_cast<CString*>(*it);
  flags_.MakeEmpty();
  std::free(psData_);
}

int16_t PPDXControl::Save(Settings& settings, const int& id) {
  int16_t status = PPDXElement::Save(settings, id);
  if (status != kSettingsNoErr) return status;
  status = settings.Add(kControlOrderTag, id, &order_, 2);
  if (status != kSettingsNoErr) return status;
  if (psData_ && psLength_ > 0) {
    status =
        WriteStoreBytes(settings, kControlPSDataTag, id, psData_, static_cast<long>(psLength_));
    if (status != kSettingsNoErr) return status;
  }
  if (!flags_.Empty()) {
    std::string words;
    for (ConstPointerListItr it = flags_.Begin(); it != flags_.End(); ++it) {
      const char* w = *static_cast<const CString*>(*it);
      if (w) words += w;
      words += '|';
    }
    status = WriteStoreBytes(settings, kControlFlagsTag, id, words.data(),
                             static_cast<long>(words.size()));
  }
  return status;
}

long PPDXControl::PostScript(unsigned char* buffer) {
  if (buffer && psData_ && psLength_ > 0) std::memcpy(buffer, psData_, psLength_);
  return static_cast<long>(psLength_);
}

CFString PPDXControl::CopyPresetValueString() {
  return CopyCurrentControlValueString();
}

void PPDXControl::SetPresetValueString(const CFString& text) {
  SetCurrentControlWithCFString(text);
}

bool PPDXControl::IsInstallableOption() {
  return false;
}

const char* PPDXControl::FirstControlFlag() {
  flagCursor_ = flags_.Begin();
  if (flagCursor_ == flags_.End()) return nullptr;
  const char* w = *static_cast<const CString*>(*flagCursor_);
  return w ? w : "";
}

const char* PPDXControl::NextControlFlag() {
  if (!flagCursor_.Node() || flagCursor_ == flags_.End()) return nullptr;
  ++flagCursor_;
  if (flagCursor_ == flags_.End()) return nullptr;
  const char* w = *static_cast<const CString*>(*flagCursor_);
  return w ? w : "";
}

bool PPDXControl::FindControlFlag(const char* word) const {
  if (!word) return false;
  for (ConstPointerListItr it = flags_.Begin(); it != flags_.End(); ++it) {
    const char* w = *static_cast<const CString*>(*it);
    if (w && std::strcmp(w, word) == 0) return true;
  }
  return false;
}

bool PPDXControl::ValidKeyword(const char* keyword) {
  if (!keyword) return false;
  for (const char* reserved : kReservedKeywords)
    if (std::strcmp(keyword, reserved) == 0) return false;
  return true;
}

long PPDXControl::GeneratePSOutputData(unsigned char* buffer, const unsigned char* data,
                                       long length, const char* option, bool wrap) const {
  const bool hasData = data && length >= 1;
  const long body = hasData ? length : 1;
  if (!wrap) {
    if (buffer) {
      if (hasData)
        std::memcpy(buffer, data, static_cast<size_t>(length));
      else
        buffer[0] = '\n';
    }
    return body;
  }
  const char* k = Keyword();
  const std::string_view keyword = k ? k : "";
  const std::string_view opt = option ? option : "";
  const long total = static_cast<long>(kBeginFeature.size() + keyword.size() + 1 + opt.size() + 1 +
                                       kEndFeature.size()) +
                     body;
  if (!buffer) return total;
  unsigned char* p = buffer;
  auto put = [&p](std::string_view s) {
    std::memcpy(p, s.data(), s.size());
    p += s.size();
  };
  put(kBeginFeature);
  put(keyword);
  put(" ");
  put(opt);
  put("\n");
  if (hasData) {
    std::memcpy(p, data, static_cast<size_t>(length));
    p += length;
  } else {
    put("\n");
  }
  put(kEndFeature);
  return total;
}

// The bytes go through unchanged: every byte value is a Mac OS Roman
// character, so reading the fragment and the value as Mac OS Roman and
// writing the result back in it gives the same bytes. Non-ASCII values (which
// a pure ASCII reading would have refused) are kept rather than dropped.
long PPDXControl::Inject(const char* name, const unsigned char* data, long length,
                         const char* value, unsigned char*& out) const {
  out = nullptr;
  std::string text;
  std::string replacement;
  try {
    if (data && length > 0) text.assign(reinterpret_cast<const char*>(data), length);
    const bool featureComment = text.size() >= 2 && text[0] == '%' && text[1] == '%';
    const std::string_view v = value ? value : "";
    const bool hex = Type() == kJobNoteControl && !v.empty() && !featureComment &&
                     !PlainStringKeyword(Keyword());
    if (hex) {
      static const char kDigits[] = "0123456789ABCDEF";
      replacement.reserve(v.size() * 2 + 2);
      replacement += '<';
      for (unsigned char c : v) {
        replacement += kDigits[c >> 4];
        replacement += kDigits[c & 0xF];
      }
      replacement += '>';
    } else {
      replacement.assign(v);
    }
    if (!featureComment) ReplaceAll(replacement, "\\", "\\\\");
    if (name) {
      std::string placeholder = std::string("<") + name + ">";
      ReplaceAll(text, placeholder, replacement);
    }
    if (hex) ReplaceAll(text, "(" + replacement + ")", replacement);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  auto* buffer = static_cast<unsigned char*>(std::malloc(text.size() + 1));
  if (!buffer) return 0;
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  out = buffer;
  return static_cast<long>(text.size());
}

void PPDXControl::UpdateKVCache(const char* key, const char* option) {
  gKVReporter(constraints_, key, option);
}

void PPDXControl::UpdateKVCache(long keyId, long optionId) {
  gKVIdReporter(constraints_, keyId, optionId);
}

long GetControlFlagCount(PPDXControl* control) {
  return control ? control->ControlFlagCount() : 0;
}
const char* GetFirstControlFlag(PPDXControl* control) {
  return control ? control->FirstControlFlag() : nullptr;
}
const char* GetNextControlFlag(PPDXControl* control) {
  return control ? control->NextControlFlag() : nullptr;
}
bool IsCommandControl(PPDXControl* control) {
  return control && control->IsCommand();
}
bool IsSpoolerControl(PPDXControl* control) {
  return control && control->IsSpooler();
}
bool IsNoTavroDriverUIControl(PPDXControl* control) {
  return control && control->IsNoTavroDriverUI();
}
bool IsSetupControl(PPDXControl* control) {
  return control && control->IsSetup();
}
bool IsMacTJNControl(PPDXControl* control) {
  return control && control->IsMacTJN();
}
bool IsMacImgShiftControl(PPDXControl* control) {
  return control && control->IsMacImgShift();
}
long GetPostScript(PPDXControl* control, unsigned char* buffer) {
  return control ? control->PostScript(buffer) : 0;
}
void ResetControlToDefault(PPDXControl* control) {
  if (control) control->ResetToDefaultValue();
}
bool IsValidControlKeyword(const void* handle, const char* keyword) {
  return handle && PPDXControl::ValidKeyword(keyword);
}
