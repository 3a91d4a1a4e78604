// Vendor extension blocks: property pages, shortcuts, UI constraint lines and
// the injected DMT data are read here; job notes, special options and the
// accounting preferences answer nothing yet.
#include "PPDX/QZVPPD.h"

#include <cstring>

#include "PPDX/PPDObjects/Controls/PPDXControl.h"
#include "PPDX/PPDObjects/PPDXErrorObj.h"
#include "PPDX/PPDObjects/PPDXProperties.h"
#include "PPDX/PPDObjects/PPDXProperty.h"
#include "PPDX/PPDStream.h"
#include "constraints/UIConstraints.h"

PPDXErrorObj* QZVPPD::ParseJobNote(PPDStream& /*line*/, const char* /*keyword*/,
                                   PointerList& /*flags*/, PPDXGroup* /*group*/) {
  return nullptr;
}

PPDXErrorObj* QZVPPD::ParseJobNote(PPDStream& /*line*/) {
  return nullptr;
}

PPDXErrorObj* QZVPPD::ParseSpecialOption(PPDStream& /*line*/) {
  return nullptr;
}

void QZVPPD::ReadCustXmlData(const std::string& /*text*/) {}

void QZVPPD::ReadPUJNPrefs() {}

void QZVPPD::ParseDMTInjection(const char* text) {
  if (!text) return;
  dmtInjection_ += text;
  dmtInjection_ += '\n';
}

PPDXErrorObj* QZVPPD::ParseShortcut(PPDStream& line) {
  char keyword[kPPDLineBufferSize] = {};
  NextToken(line, keyword, kEndofLineDelimiters, true);
  if (!PPDXControl::ValidKeyword(keyword)) {
    return new PPDXErrorObj(PPDErr_BadShortcut, keyword, false);
  }
  shortcutNames_.emplace_back(keyword);
  return nullptr;
}

PPDXErrorObj* QZVPPD::ParsePropertyPage(PPDStream& line) {
  char name[kPPDLineBufferSize] = {};
  char translation[kPPDLineBufferSize] = {};
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
  char tokens[4][kPPDLineBufferSize] = {};
  int count = 0;
  for (auto& token : tokens) {
    line.SkipWhiteSpace();
    if (NextToken(line, token, " \t", true)) ++count;
  }
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
