// Vendor extension blocks: job notes, special options, shortcuts, property
// pages, UI constraint lines, the injected DMT data and the saved accounting
// pop-up preferences.
#include "PPDX/QZVPPD.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "PPDX/DMTInjectionData.h"
#include "PPDX/PPDObjects/Controls/PPDXBooleanControl.h"
#include "PPDX/PPDObjects/Controls/PPDXControl.h"
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/PPDObjects/Controls/PPDXSpecialOption.h"
#include "PPDX/PPDObjects/PPDXErrorObj.h"
#include "PPDX/PPDObjects/PPDXGroup.h"
#include "PPDX/PPDObjects/PPDXProperties.h"
#include "PPDX/PPDObjects/PPDXProperty.h"
#include "PPDX/PPDStream.h"
#include "PPDX/PopupJnDataSource.h"
#include "PPDX/PopupJnPrefs.h"
#include "PPDX/QZVJobNoteFlagWords.h"
#include "constraints/UIConstraints.h"
#include "foundation/EncodingSwitches.h"
#include "platform/Log.h"

namespace {

constexpr char kJobNotesGroup[] = "FPQZNotes";

bool BeginsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// A code line names the note: "*%Notes1" for the note "*Notes1".
bool IsCodeLineFor(const char* firstToken, const char* keyword) {
  if (std::strlen(firstToken) < 2 || !keyword || keyword[0] == '\0') return false;
  return std::strcmp(firstToken + 2, keyword + 1) == 0;
}

void LogF(const char* format, const char* text) {
  std::string line(std::strlen(format) + std::strlen(text) + 1, '\0');
  std::snprintf(line.data(), line.size(), format, text);
  myNSLogC(line.c_str());
}

}  // namespace

bool QZVPPD::ReadLookAheadLine(char* buffer) {
  if (lookAheadPending_) {
    std::memcpy(buffer, lookAheadLine_, kPPDLineBufferSize);
    return true;
  }
  if (!ReadNextLine(lookAheadLine_)) return false;
  lookAheadPending_ = true;
  std::memcpy(buffer, lookAheadLine_, kPPDLineBufferSize);
  return true;
}

bool QZVPPD::TakeLookAheadLine(char* buffer) {
  if (!lookAheadPending_) return false;
  std::memcpy(buffer, lookAheadLine_, kPPDLineBufferSize);
  lookAheadPending_ = false;
  return true;
}

PPDXErrorObj* QZVPPD::MakeJobNote(const char* keyword, const char* translation, PointerList& flags,
                                  PostScriptCode& code, const char* defaultText, long maxLength,
                                  uint32_t bits, long minLength, PPDXGroup* group) {
  const CString language(LanguageEncoding());
  auto note = std::make_unique<PPDXJobNote>(
      keyword, ConvertText(translation), flags, code.data, code.length,
      new CString(defaultText ? defaultText : ""), &language, true, maxLength, bits, minLength);
  code.data = nullptr;
  code.length = 0;
  if (!group) group = FindAndCreateParent(kJobNotesGroup);
  SetupControl(group, note.release(), false);
  return nullptr;
}

bool QZVPPD::ReadJobNoteHeader(PPDStream& line, const char* blockKeyword, bool inBlock,
                               JobNoteHeader& header, PPDXErrorObj*& error) {
  error = nullptr;
  char length[kPPDLineBufferSize] = {};
  line.SkipWhiteSpace();
  if (!NextToken(line, header.option, kOptionKeywordDelimiters, true) ||
      (inBlock && (!blockKeyword || std::strcmp(header.option, blockKeyword) != 0))) {
    error = new PPDXErrorObj(PPDErr_JobNoteParsing, header.option, false);
    return false;
  }
  if (!NextToken(line, header.translation, kTranslationStringDelimiters, false)) return false;
  if (!NextToken(line, length, kFlagKeywordDelimiters, true)) return false;
  header.maxLength = std::atol(length);
  // Only the block form reads a minimum length from its flag words.
  const JobNoteFlagWords words =
      ReadJobNoteFlagWords(ReadFlagWords(line), GetExtensions(), inBlock);
  if (words.unsupported) {
    error = new PPDXErrorObj(PPDErr_UnsupportedJobNoteFlag, header.option, false);
    return false;
  }
  header.bits = words.bits;
  header.minLength = words.minLength;
  return true;
}

PPDXErrorObj* QZVPPD::ParseJobNote(PPDStream& line, const char* keyword, PointerList& flags,
                                   PPDXGroup* group) {
  JobNoteHeader header;
  PPDXErrorObj* error = nullptr;
  if (!ReadJobNoteHeader(line, keyword, true, header, error)) return error;

  PostScriptCode code;
  std::string defaultText;
  char next[kPPDLineBufferSize];
  // The default line, then (after a non-empty default) the code line; a code
  // line may also come first. Lines read here are consumed whatever they hold.
  for (int read = 0; read < 2 && ReadNextLine(next); ++read) {
    PPDStream nextLine(next, static_cast<long>(std::strlen(next)));
    char first[kPPDLineBufferSize] = {};
    NextToken(nextLine, first, kMainKeywordDelimiters, true);
    if (read == 0 && BeginsWith(first, "*%Default")) {
      char value[kLineSizeLimit + 1] = {};
      GetQuotedString(nextLine, value, kLineSizeLimit);
      defaultText = value;
      if (defaultText.empty()) break;
      continue;
    }
    if (IsCodeLineFor(first, keyword)) ReadPostScriptValue(nextLine, code.data, code.length);
    break;
  }
  return MakeJobNote(keyword, header.translation, flags, code, defaultText.c_str(),
                     header.maxLength, header.bits, header.minLength, group);
}

PPDXErrorObj* QZVPPD::ParseJobNote(PPDStream& line) {
  JobNoteHeader header;
  PPDXErrorObj* error = nullptr;
  if (!ReadJobNoteHeader(line, nullptr, false, header, error)) return error;
  const char* option = header.option;

  PostScriptCode code;
  std::string defaultText;
  char next[kPPDLineBufferSize];
  // Each following line is only looked at; it is taken when it is the
  // default or the code line, else it goes back to the main loop.
  for (int read = 0; read < 2 && ReadLookAheadLine(next); ++read) {
    PPDStream nextLine(next, static_cast<long>(std::strlen(next)));
    char first[kPPDLineBufferSize] = {};
    NextToken(nextLine, first, kMainKeywordDelimiters, true);
    if (read == 0 && BeginsWith(first, "*%Default")) {
      char value[kPPDLineBufferSize] = {};
      nextLine.SkipWhiteSpace();
      if (nextLine.PeekChar() == '"') {
        char quote;
        nextLine.GetChar(quote);
      }
      NextToken(nextLine, value, kFlagKeywordDelimiters, true);
      defaultText = value;
      TakeLookAheadLine(next);
      continue;
    }
    if (IsCodeLineFor(first, option)) {
      ReadPostScriptValue(nextLine, code.data, code.length);
      TakeLookAheadLine(next);
    }
    break;
  }
  PointerList noFlags;
  return MakeJobNote(option, header.translation, noFlags, code, defaultText.c_str(),
                     header.maxLength, header.bits, header.minLength,
                     FindAndCreateParent(kJobNotesGroup));
}

PPDXErrorObj* QZVPPD::ParseSpecialOption(PPDStream& line) {
  char keyword[kPPDLineBufferSize] = {};
  char value[kPPDLineBufferSize] = {};
  line.SkipWhiteSpace();
  NextToken(line, keyword, kTranslationStringDelimiters, true);
  NextToken(line, value, kEndofLineDelimiters, true);
  if (std::strcmp(keyword, "*DMT_Injection") == 0) {
    if (std::strcmp(value, "True") != 0) return nullptr;
    ReadDMTSpecialBlock([this](std::string& text) {
      char buffer[kPPDLineBufferSize];
      if (!ReadNextLine(buffer)) return false;
      text = buffer;
      return true;
    });
    // The block's payload has no decoder here: nothing decoded is kept.
    decodedDMT_.clear();
    return nullptr;
  }
  if (keyword[0] == '\0') return nullptr;
  PointerList noFlags;
  auto option = std::make_unique<PPDXSpecialOption>(keyword, ConvertText(keyword), noFlags, value,
                                                    nullptr, 0, true);
  SetupControl(nullptr, option.release(), false);
  return nullptr;
}

void QZVPPD::ParseDMTInjection(const char* text) {
  if (!text) return;
  dmtInjection_ += text;
  dmtInjection_ += '\n';
}

void QZVPPD::ReadCustXmlData(const std::string& text) {
  if (text.empty()) return;
  std::string xml;
  if (!DecodeDMTInjection(text, xml)) return;
  customXmlData_ = std::move(xml);
}

void QZVPPD::ReadPUJNPrefs() {
  std::string text;
  const int error = ReadPopupJnData(text);
  if (error != 0) {
    char message[80];
    std::snprintf(message, sizeof message, "QZVPPD::ReadPUJNPrefs: QZPDEDataRead anErr %d", error);
    myNSLogC(message);
    return;
  }
  PopupJnPrefs prefs;
  if (text.empty() || !ParsePopupJnData(text, prefs)) {
    myNSLogC("There are no preferences in the accounting popup file.");
    return;
  }
  gPopupJobNotesSavedEnable = prefs.enable;
  gPopupJobNotesSavedSetting = prefs.setting;
  gPopupJobNotesSavedShowLast = prefs.showLast;
  {
    char message[80];
    std::snprintf(message, sizeof message,
                  "QZVPPD::ReadPUJNPrefs: Enable/Setting/ShowLast '%c%c%c' ", prefs.enable,
                  prefs.setting, prefs.showLast);
    myNSLogC(message);
  }
  if (prefs.enable == '0') {
    myNSLogC("The accounting popup feature is disabled.");
    return;
  }

  if (auto* display = dynamic_cast<PPDXBooleanControl*>(FindControl("*QZDisplayJobTracking"))) {
    display->SetValue(prefs.enable == '1');
    display->SetDefaultValue(prefs.enable == '1');
  }
  if (auto* setting = dynamic_cast<PPDXPopupControl*>(FindControl("*QZAccountSetting"))) {
    const long item = prefs.setting == '1' ? 1 : 2;
    setting->SetValue(item);
    setting->SetDefaultValue(item);
  }
  if (auto* showLast = dynamic_cast<PPDXBooleanControl*>(FindControl("*QZAccountShowLast"))) {
    showLast->SetValue(prefs.showLast == '1');
    showLast->SetDefaultValue(prefs.showLast == '1');
  }

  static const char* const kKeywordFormats[kPopupJobNoteSlots] = {
      "QZVPPD::ReadPUJNPrefs 1 '%s' \n", "QZVPPD::ReadPUJNPrefs 2 '%s' \n",
      "QZVPPD::ReadPUJNPrefs 3 '%s' \n", "QZVPPD::ReadPUJNPrefs 4 '%s' \n",
      "QZVPPD::ReadPUJNPrefs 5 '%s' \n"};
  for (int slot = 0; slot < kPopupJobNoteSlots; ++slot) {
    PopupJobNotesNote(slot) = prefs.keywords[slot];
    PopupJobNotesSavedNote(slot) = prefs.texts[slot];
    LogF(kKeywordFormats[slot], prefs.keywords[slot].c_str());
    LogF("QZVPPD::ReadPUJNPrefs   '%s' \n", prefs.texts[slot].c_str());
  }

  for (const std::unique_ptr<PPDXControl>& control : ownedControls_) {
    auto* note = dynamic_cast<PPDXJobNote*>(control.get());
    if (!note || !note->Keyword() || (note->Flags() & kJobNotePopupJN) == 0) continue;
    std::string saved;
    for (int slot = 0; slot < kPopupJobNoteSlots; ++slot) {
      if (prefs.keywords[slot] == note->Keyword()) {
        saved = prefs.texts[slot];
        break;
      }
    }
    const std::string converted = ConvertPopupJnText(saved, gPopupJobNotesLangIsJapanese);
    note->SetNotes(converted.c_str());
    note->SetDefaultNotes(converted.c_str());
  }
}

PPDXErrorObj* QZVPPD::ParseShortcut(PPDStream& line) {
  char keyword[kPPDLineBufferSize] = {};
  NextToken(line, keyword, kEndofLineDelimiters, true);
  if (!PPDXControl::ValidKeyword(keyword)) {
    return new PPDXErrorObj(PPDErr_BadShortcut, keyword, false);
  }
  shortcutNames_.push_back({CString(keyword), CurrentStream() ? CurrentStream()->LineNumber() : 0});
  return nullptr;
}

PPDXErrorObj* QZVPPD::ParsePropertyPage(PPDStream& line) {
  char name[kPPDLineBufferSize] = {};
  char translation[kPPDLineBufferSize] = {};
  line.SkipWhiteSpace();
  if (!NextToken(line, name, kOptionKeywordDelimiters, true)) {
    return new PPDXErrorObj(PPDErr_PropPageParsing, false);
  }
  if (properties_->Find(name, true)) return new PPDXErrorObj(PPDErr_Duplicate, name, false);
  NextToken(line, translation, kTranslationStringDelimiters, false);
  bool visible = false;
  bool showInPrintProp = true;
  bool showInApp = true;
  for (const std::string& flag : ReadFlagWords(line)) {
    if (flag == "True") visible = true;
    if (flag == "App") showInPrintProp = false;
    if (flag == "Prop") showInApp = false;
  }
  if (!visible && !ParseHidden()) return nullptr;
  AdoptProperty(std::make_unique<PPDXProperty>(name, ConvertText(translation), visible,
                                               showInPrintProp, showInApp));
  return nullptr;
}

PPDXErrorObj* QZVPPD::ParseUIConstraint(PPDStream& line, bool required) {
  char tokens[4][kPPDLineBufferSize];
  const int count = NextWords(line, tokens);
  if (count < 2) return nullptr;
  const char* key1 = tokens[0];
  const char* option1 = "";
  const char* key2 = tokens[1];
  const char* option2 = tokens[2];
  if (tokens[1][0] != '*') {
    option1 = tokens[1];
    key2 = tokens[2];
    option2 = tokens[3];
  }
  if (key2[0] == '\0') return new PPDXErrorObj(PPDErr_BadConstraint, false);
  constraints_->Add(key1, option1, key2, option2, required);
  return nullptr;
}
