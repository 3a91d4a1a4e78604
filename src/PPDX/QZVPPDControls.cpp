// Control declarations: option blocks (pick-one, pick-many, boolean), vendor
// option blocks, integer and real ranges, custom print size parameters, and
// the placing of a new control in its group.
#include "PPDX/QZVPPD.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "PPDX/PPDObjects/Controls/PPDXBooleanControl.h"
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXCustomPageSizeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXFloatRangeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/PPDObjects/Controls/PPDXRangeControl.h"
#include "PPDX/PPDObjects/PPDXErrorObj.h"
#include "PPDX/PPDObjects/PPDXErrors.h"
#include "PPDX/PPDObjects/PPDXGroup.h"
#include "PPDX/PPDObjects/PPDXGroups.h"
#include "PPDX/PPDObjects/PPDXRollDown.h"
#include "PPDX/PPDStream.h"
#include "constraints/UIConstraints.h"

namespace {

bool IsCloseUIKeyword(const char* token) {
  return std::strcmp(token, "*CloseUI") == 0 || std::strcmp(token, "*QZCloseUI") == 0 ||
         std::strcmp(token, "*CloseUIQZV") == 0 || std::strcmp(token, "*EndUI") == 0;
}

bool BeginsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// A PostScript value of a declaration line: the bytes with their final line
// feed, or nothing for an empty or missing value.
struct PostScriptValue {
  unsigned char* data = nullptr;  // malloc'ed; handed to the control
  long length = 0;
  ~PostScriptValue() { std::free(data); }
  unsigned char* Release() {
    unsigned char* released = data;
    data = nullptr;
    return released;
  }
};

// Frees the items of a pop-up under construction unless a control took them.
struct PopupItems {
  PointerList list;
  ~PopupItems() {
    for (PointerListItr it = list.Begin(); !(it == list.End()); ++it) {
      delete static_cast<_PopupItem*>(*it);
    }
  }
};

}  // namespace

bool QZVPPD::ReadPostScriptValue(PPDStream& line, unsigned char*& data, long& length) {
  data = nullptr;
  length = 0;
  // Not cleared: the reader terminates what it stores, and only the stored
  // bytes are copied out.
  char buffer[kQuotesStringSizeLimit + 1];
  const unsigned long count = GetPostscriptString(line, buffer, kQuotesStringSizeLimit);
  if (count == 0 || (count == 1 && buffer[0] == '\n')) return false;
  data = static_cast<unsigned char*>(std::malloc(count));
  if (!data) return false;
  std::memcpy(data, buffer, count);
  length = static_cast<long>(count);
  return true;
}

// Splits the part of a declaration line before its colon into the option
// keyword and its translation. Without a translation the keyword (without its
// leading "*") stands in, so a block that gives none still reads.
void QZVPPD::SplitKeywordAndTranslation(const char* part, char* keyword, char* translation,
                                        bool stripTranslation) {
  PPDStream stream(part, static_cast<long>(std::strlen(part)));
  keyword[0] = translation[0] = '\0';
  NextToken(stream, keyword, kOptionKeywordDelimiters, true);
  NextToken(stream, translation, kTranslationStringDelimiters, stripTranslation);
}

PPDXErrorObj* QZVPPD::ParseOpenUI(PPDStream& line, const char* keyword, PointerList& flags,
                                  PPDXGroup* group) {
  char part[kPPDLineBufferSize] = {};
  char option[kPPDLineBufferSize] = {};
  char translation[kPPDLineBufferSize] = {};
  char type[kPPDLineBufferSize] = {};
  line.SkipWhiteSpace();
  NextToken(line, part, kTranslationStringDelimiters, true);
  SplitKeywordAndTranslation(part, option, translation, false);
  if (option[0] == '\0') return new PPDXErrorObj(PPDErr_OpenUIParsing, keyword, false);
  if (translation[0] == '\0') {
    std::strcpy(translation, option[0] == '*' ? option + 1 : option);
  }
  const CFString userName = ConvertText(translation);
  NextToken(line, type, kRangeStringDelimiters, true);
  if (std::strcmp(type, "Boolean") == 0)
    return ParseBooleanControl(keyword, userName, flags, group);
  if (std::strcmp(type, "PickOne") == 0) {
    return ParsePopupControl(keyword, userName, flags, group, false);
  }
  if (std::strcmp(type, "PickMany") == 0) {
    return ParsePopupControl(keyword, userName, flags, group, true);
  }
  return new PPDXErrorObj(PPDErr_InvalidOpenUIType, keyword, false);
}

template <typename OnDefault, typename OnOption>
QZVPPD::OptionBlockEnd QZVPPD::ReadOptionBlock(const char* keyword, OnDefault onDefault,
                                               OnOption onOption) {
  char line[kPPDLineBufferSize];
  char token[kPPDLineBufferSize];
  char value[kPPDLineBufferSize];
  for (;;) {
    if (!ReadNextLine(line)) return OptionBlockEnd::kEndOfFile;
    if (line[0] == '\0') continue;
    PPDStream stream(line, static_cast<long>(std::strlen(line)));
    token[0] = '\0';
    NextToken(stream, token, kTranslationStringDelimiters, true);
    if (IsCloseUIKeyword(token)) return OptionBlockEnd::kClosed;
    if (std::strcmp(token, "*OrderDependency") == 0) continue;
    if (BeginsWith(token, "*Default")) {
      value[0] = '\0';
      // "*Default <keyword> <value>" names its keyword; any other default
      // line counts as this block's.
      if (std::strcmp(token, "*Default") == 0) {
        NextToken(stream, value, kOptionKeywordDelimiters, true);
        if (std::strcmp(value, keyword) != 0) continue;
        NextToken(stream, value, kFlagKeywordDelimiters, true);
      } else {
        NextToken(stream, value, kOptionKeywordDelimiters, true);
      }
      if (!onDefault(value)) return OptionBlockEnd::kStopped;
      continue;
    }
    if (!BeginsWith(token, keyword)) continue;
    char option[kPPDLineBufferSize];
    char optionTranslation[kPPDLineBufferSize];
    SplitKeywordAndTranslation(token + std::strlen(keyword), option, optionTranslation, false);
    if (!onOption(option, optionTranslation, stream)) return OptionBlockEnd::kStopped;
  }
}

PPDXErrorObj* QZVPPD::ParsePopupControl(const char* keyword, const CFString& translation,
                                        PointerList& flags, PPDXGroup* group,
                                        const bool& pickMany) {
  PopupItems items;
  std::unique_ptr<CString> defaultKeyword;
  PPDXErrorObj* stop = nullptr;
  const OptionBlockEnd end = ReadOptionBlock(
      keyword,
      [&](const char* value) {
        if (defaultKeyword) {
          stop = new PPDXErrorObj(PPDErr_PopupParsing, keyword, true);
          return false;
        }
        defaultKeyword = std::make_unique<CString>(value);
        return true;
      },
      [&](const char* option, const char* optionTranslation, PPDStream& stream) {
        auto item = std::make_unique<_PopupItem>();
        item->keyword = std::make_unique<CString>(option);
        item->userName = ConvertText(optionTranslation);
        unsigned char* code = nullptr;
        long length = 0;
        if (ReadPostScriptValue(stream, code, length)) item->AdoptPSData(code, length);
        if (!items.list.PushBack(item.get())) {
          stop = new PPDXErrorObj(PPDErr_OutOfMemory, true);
          return false;
        }
        item.release();
        return true;
      });
  if (end == OptionBlockEnd::kEndOfFile) {
    return new PPDXErrorObj(PPDErr_PopupParsing, keyword, true);
  }
  if (end == OptionBlockEnd::kStopped) return stop;

  if (!defaultKeyword) AddError(new PPDXErrorObj(PPDErr_NoDefaultValueFlag, keyword, false));
  if (!group && !ParseOrphans() && !inInstallableOptions_) {
    return new PPDXErrorObj(PPDErr_NoParent, keyword, false);
  }
  if (defaultKeyword) {
    bool named = false;
    for (PointerListItr it = items.list.Begin(); !(it == items.list.End()); ++it) {
      const auto* item = static_cast<const _PopupItem*>(*it);
      if (item->keyword && *item->keyword == defaultKeyword->Buffer()) named = true;
    }
    if (!named) {
      const auto* first = static_cast<const _PopupItem*>(items.list.Front());
      if (first && first->keyword) {
        *defaultKeyword = *first->keyword;
      } else {
        defaultKeyword.reset();
      }
    }
  }

  for (PointerListItr it = items.list.Begin(); !(it == items.list.End()); ++it) {
    const auto* item = static_cast<const _PopupItem*>(*it);
    if (item->keyword) constraints_->KVSInsert(keyword, *item->keyword);
  }
  const bool installable =
      group && group->Keyword() && std::strcmp(group->Keyword(), "QZPPInstallableOptions") == 0;
  auto control =
      std::make_unique<PPDXPopupControl>(keyword, translation, flags, true, pickMany, installable,
                                         items.list, defaultKeyword.release(), constraints_.get());
  items.list.MakeEmpty();
  SetupControl(group, control.release(), true);
  return nullptr;
}

PPDXErrorObj* QZVPPD::ParseBooleanControl(const char* keyword, const CFString& translation,
                                          PointerList& flags, PPDXGroup* group) {
  std::unique_ptr<CString> trueText;
  std::unique_ptr<CString> falseText;
  PostScriptValue truePS;
  PostScriptValue falsePS;
  bool defaultSeen = false;
  bool defaultState = false;
  bool badOption = false;
  const OptionBlockEnd end = ReadOptionBlock(
      keyword,
      [&](const char* value) {
        if (!defaultSeen) defaultState = std::strcmp(value, "True") == 0;
        defaultSeen = true;
        return true;
      },
      [&](const char* option, const char* optionTranslation, PPDStream& stream) {
        const bool isTrue = std::strcmp(option, "True") == 0;
        if (!isTrue && std::strcmp(option, "False") != 0) {
          badOption = true;
          return true;
        }
        badOption = false;
        PostScriptValue& code = isTrue ? truePS : falsePS;
        std::free(code.Release());
        ReadPostScriptValue(stream, code.data, code.length);
        (isTrue ? trueText : falseText) = std::make_unique<CString>(optionTranslation);
        return true;
      });
  // The file ended inside the block: nothing more can be read anyway.
  if (end == OptionBlockEnd::kEndOfFile) {
    return new PPDXErrorObj(PPDErr_BooleanParsing, keyword, false);
  }

  if (badOption) return new PPDXErrorObj(PPDErr_BooleanParsing, keyword, false);
  if (!defaultSeen) AddError(new PPDXErrorObj(PPDErr_NoDefaultValueFlag, keyword, false));
  if (!group && !ParseOrphans() && !inInstallableOptions_) {
    return new PPDXErrorObj(PPDErr_NoParent, keyword, false);
  }
  constraints_->KVSInsert(keyword, "True");
  constraints_->KVSInsert(keyword, "False");
  const long trueLength = truePS.length;
  const long falseLength = falsePS.length;
  auto control = std::make_unique<PPDXBooleanControl>(
      keyword, translation, flags, true, trueText.release(), truePS.Release(), trueLength,
      falseText.release(), falsePS.Release(), falseLength, defaultState, constraints_.get());
  SetupControl(group, control.release(), true);
  return nullptr;
}

PPDXErrorObj* QZVPPD::ParseOpenUIQZV(PPDStream& /*line*/, const char* keyword,
                                     PointerList& /*flags*/, PPDXGroup* /*group*/) {
  AddError(new PPDXErrorObj(PPDErr_OpenUIQZVParsing2, keyword, false));
  char line[kPPDLineBufferSize];
  char token[kPPDLineBufferSize];
  for (;;) {
    if (!ReadNextLine(line)) return new PPDXErrorObj(PPDErr_OpenUIQZVParsing1, keyword, true);
    PPDStream stream(line, static_cast<long>(std::strlen(line)));
    token[0] = '\0';
    NextToken(stream, token, kMainKeywordDelimiters, true);
    if (std::strcmp(token, "*CloseUIQZV") == 0) return nullptr;
  }
}

template <typename Number, typename Control, typename Reader>
PPDXErrorObj* QZVPPD::ParseRangeDeclaration(PPDStream& line, const char* keyword,
                                            PointerList& flags, PPDXGroup* group,
                                            const char* delimiters, Reader read) {
  char part[kPPDLineBufferSize] = {};
  char option[kPPDLineBufferSize] = {};
  char translation[kPPDLineBufferSize] = {};
  line.SkipWhiteSpace();
  NextToken(line, part, kTranslationStringDelimiters, true);
  SplitKeywordAndTranslation(part, option, translation, false);
  if (std::strcmp(option, keyword) != 0)
    return new PPDXErrorObj(PPDErr_RangeParsing, option, false);
  const CFString userName = ConvertText(translation);

  line.SkipWhiteSpace();
  char open = 0;
  if (!line.GetChar(open) || open != '(') {
    return new PPDXErrorObj(PPDErr_RangeParsing, keyword, false);
  }
  Number numbers[4] = {};
  char token[kPPDLineBufferSize];
  for (Number& number : numbers) {
    token[0] = '\0';
    if (!NextToken(line, token, delimiters, true)) {
      return new PPDXErrorObj(PPDErr_RangeParsing, keyword, false);
    }
    number = read(token);
  }
  PostScriptValue code;
  if (!ReadPostScriptValue(line, code.data, code.length)) {
    return new PPDXErrorObj(PPDErr_NoPostscript, keyword, false);
  }
  if (!group && !ParseOrphans() && !inInstallableOptions_) {
    return new PPDXErrorObj(PPDErr_NoParent, keyword, false);
  }
  const long length = code.length;
  auto control = std::make_unique<Control>(keyword, userName, flags, code.Release(), length,
                                           numbers[0], numbers[1], numbers[2], numbers[3], true);
  SetupControl(group, control.release(), true);
  return nullptr;
}

PPDXErrorObj* QZVPPD::ParseRange(PPDStream& line, const char* keyword, PointerList& flags,
                                 PPDXGroup* group) {
  return ParseRangeDeclaration<long, PPDXRangeControl>(
      line, keyword, flags, group, kRangeStringDelimiters,
      [](const char* text) { return std::atol(text); });
}

PPDXErrorObj* QZVPPD::ParseFloatRange(PPDStream& line, const char* keyword, PointerList& flags,
                                      PPDXGroup* group) {
  return ParseRangeDeclaration<double, PPDXFloatRangeControl>(
      line, keyword, flags, group, kFloatRangeStringDelimiters,
      [](const char* text) { return std::atof(text); });
}

PPDXErrorObj* QZVPPD::ParseCustomPageSize(PPDStream& line, const char* /*mainKeyword*/) {
  constexpr const char* kCustomPrintSize = "*CustomPrintSize";
  auto* control = dynamic_cast<PPDXCustomPageSizeControl*>(FindControl(kCustomPrintSize));
  if (!control) {
    PointerList noFlags;
    auto made = std::make_unique<PPDXCustomPageSizeControl>(kCustomPrintSize, noFlags);
    control = made.get();
    SetupControl(FindAndCreateParent("FPPaperSource"), made.release(), false);
  }
  char tokens[6][kPPDLineBufferSize] = {};
  bool width = false;
  bool height = false;
  for (int i = 0; i < 4; ++i) {
    NextToken(line, tokens[i], kMainKeywordDelimiters, true);
    if (std::strcmp(tokens[i], "Width") == 0) width = true;
    if (std::strcmp(tokens[i], "Height") == 0) height = true;
  }
  const bool haveMinimum = NextToken(line, tokens[4], kMainKeywordDelimiters, true);
  const bool haveMaximum = NextToken(line, tokens[5], kMainKeywordDelimiters, true);
  if (width) {
    if (haveMinimum) control->SetMinWidth(static_cast<float>(std::atof(tokens[4])));
    if (haveMaximum) control->SetMaxWidth(static_cast<float>(std::atof(tokens[5])));
  } else if (height) {
    if (haveMinimum) control->SetMinHeight(static_cast<float>(std::atof(tokens[4])));
    if (haveMaximum) control->SetMaxHeight(static_cast<float>(std::atof(tokens[5])));
  }
  return nullptr;
}

void QZVPPD::SetupControl(PPDXGroup* group, PPDXControl* control, bool strict) {
  if (!control) return;
  if (!group && inInstallableOptions_) group = installableOptions_;
  if (!group) {
    if (ParseOrphans() && strict) {
      AddError(new PPDXErrorObj(PPDErr_InvalidParent, control->Keyword(), false));
    }
  } else if (auto* rollDown = dynamic_cast<PPDXRollDown*>(group)) {
    if (rollDown->Controls()) {
      control->SetParent(rollDown);
      rollDown->Controls()->Add(control);
    }
  } else if (strict) {
    AddError(new PPDXErrorObj(PPDErr_InvalidParent, control->Keyword(), false));
  }
  AdoptControl(std::unique_ptr<PPDXControl>(control));
}

PPDXPopupControl* QZVPPD::PPDCreatePopupMenu(const char* groupName, const char* keyword,
                                             const char* translation, PointerList& items,
                                             CString* defaultKeyword) {
  if (!GetTextConverter() || !keyword) return nullptr;
  if (groupName && !FindGroupName(groupName)) {
    groupNames_.push_back(GroupName{CString(groupName), ConvertText(groupName), true});
  }
  PPDXGroup* group = FindGroup(groupName);
  PointerList noFlags;
  auto control =
      std::make_unique<PPDXPopupControl>(keyword, ConvertText(translation), noFlags, true, false,
                                         false, items, defaultKeyword, constraints_.get());
  PPDXPopupControl* made = control.get();
  SetupControl(group, control.release(), true);
  return made;
}

bool QZVPPD::PPDReconcilePopupMenu(const char* keyword, const char* translation, PointerList& items,
                                   CString* defaultKeyword) {
  auto* popup = dynamic_cast<PPDXPopupControl*>(FindControl(keyword));
  if (!popup) return false;
  return popup->Rebuild(translation, items, defaultKeyword);
}
