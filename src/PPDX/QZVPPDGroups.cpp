// Group names, sub-group names, parents, flagged declarations and the steps
// that settle the hierarchy after parsing.
#include "PPDX/QZVPPD.h"

#include <cstring>

#include "PPDX/PPDObjects/Controls/PPDXControl.h"
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/PPDXErrorObj.h"
#include "PPDX/PPDObjects/PPDXGroup.h"
#include "PPDX/PPDObjects/PPDXGroups.h"
#include "PPDX/PPDObjects/PPDXProperties.h"
#include "PPDX/PPDObjects/PPDXProperty.h"
#include "PPDX/PPDObjects/PPDXRollDown.h"
#include "PPDX/PPDObjects/PPDXScrollPane.h"
#include "PPDX/PPDObjects/PPDXShortcuts.h"
#include "PPDX/PPDStream.h"

std::vector<std::string> QZVPPD::ReadFlagWords(PPDStream& line) {
  std::vector<std::string> words;
  char token[kPPDLineBufferSize];
  while (line.PeekChar() != -1) {
    token[0] = '\0';
    NextToken(line, token, kFlagKeywordDelimiters, true);
    if (token[0] != '\0') words.emplace_back(token);
  }
  return words;
}

const GroupName* QZVPPD::FindGroupName(const char* name) const {
  if (!name) return nullptr;
  for (const GroupName& record : groupNames_) {
    if (record.name == name) return &record;
  }
  return nullptr;
}

PPDXGroup* QZVPPD::FindGroup(const char* name) const {
  if (!name || !name[0]) return nullptr;
  ScopedDisplayOption everything(kDisplayEverything);
  return groups_->Find(name, true);
}

PPDXControl* QZVPPD::FindControl(const char* keyword) const {
  if (!keyword || !keyword[0] || !controls_) return nullptr;
  ScopedDisplayOption everything(kDisplayEverything);
  CNTL_TYPE type = kNoControl;
  return controls_->Find(keyword, type, true);
}

PPDXErrorObj* QZVPPD::ParseGroupName(PPDStream& line) {
  char name[kPPDLineBufferSize] = {};
  char translation[kPPDLineBufferSize] = {};
  if (!NextToken(line, name, kOptionKeywordDelimiters, true)) {
    return new PPDXErrorObj(PPDErr_GroupNameParsing, false);
  }
  if (FindGroup(name)) return new PPDXErrorObj(PPDErr_Duplicate, name, false);
  NextToken(line, translation, kTranslationStringDelimiters, false);
  // The group's title carries one trailing blank, as the panel shows it.
  std::string title = std::string(translation) + " ";
  bool visible = false;
  for (const std::string& flag : ReadFlagWords(line)) {
    if (flag == "True") visible = true;
  }
  if ((visible || ParseHidden()) && !FindGroupName(name)) {
    groupNames_.push_back(GroupName{CString(name), ConvertText(title.c_str()), visible});
  }
  return nullptr;
}

PPDXErrorObj* QZVPPD::ParseSubGroupName(PPDStream& line) {
  char name[kPPDLineBufferSize] = {};
  char translation[kPPDLineBufferSize] = {};
  if (!NextToken(line, name, kOptionKeywordDelimiters, true)) {
    return new PPDXErrorObj(PPDErr_SubGroupNameParsing, false);
  }
  if (std::strcmp(name, "FPPopupAccounting") != 0) return nullptr;
  NextToken(line, translation, kTranslationStringDelimiters, false);
  std::string title = std::string(translation) + " ";
  gPopupAccountingWindowTitle = ConvertText(title.c_str());
  return nullptr;
}

PPDXErrorObj* QZVPPD::ParseParent(PPDStream& line) {
  char child[kPPDLineBufferSize] = {};
  char parent[kPPDLineBufferSize] = {};
  if (!NextToken(line, child, kOptionKeywordDelimiters, true)) {
    return new PPDXErrorObj(PPDErr_ParentParsing, false);
  }
  if (!NextToken(line, parent, kOptionKeywordDelimiters, true)) {
    return new PPDXErrorObj(PPDErr_ParentParsing, child, false);
  }
  enum class Kind { kNone, kScrollPane, kRollDown } kind = Kind::kNone;
  bool visible = false;
  for (const std::string& flag : ReadFlagWords(line)) {
    if (flag == "True") visible = true;
    if (flag == "Scrollpane") kind = Kind::kScrollPane;
    if (flag == "Rolldown") kind = Kind::kRollDown;
  }
  if (!visible && !ParseHidden()) return nullptr;
  const GroupName* record = FindGroupName(child);
  if (!record || kind == Kind::kNone) return nullptr;
  // A second parent line for the same child would make a second element of
  // that name that no declaration can reach.
  if (FindGroup(child)) return new PPDXErrorObj(PPDErr_Duplicate, child, false);

  if (kind == Kind::kRollDown) {
    PPDXGroup* group = FindGroup(parent);
    auto* scrollPane = dynamic_cast<PPDXScrollPane*>(group);
    if (!scrollPane) return new PPDXErrorObj(PPDErr_ParentParsingNoParent, parent, false);
    auto rollDown = std::make_unique<PPDXRollDown>(child, record->translation, visible);
    rollDown->SetParent(scrollPane);
    scrollPane->RollDowns()->Add(rollDown.get());
    AdoptGroup(std::move(rollDown));
    return nullptr;
  }
  PPDXProperty* property = properties_->Find(parent, true);
  if (!property) return new PPDXErrorObj(PPDErr_ParentParsingNoParent, parent, false);
  auto scrollPane = std::make_unique<PPDXScrollPane>(child, record->translation, visible);
  scrollPane->SetParent(property);
  property->SetScrollDown(scrollPane.get());
  AdoptGroup(std::move(scrollPane));
  return nullptr;
}

PPDXErrorObj* QZVPPD::ParseFlags(PPDStream& line) {
  char keyword[kPPDLineBufferSize] = {};
  line.SkipWhiteSpace();
  if (!NextToken(line, keyword, kMainKeywordDelimiters, true)) {
    return new PPDXErrorObj(PPDErr_ControlParsing, false);
  }
  if (FindControl(keyword)) return new PPDXErrorObj(PPDErr_Duplicate, keyword, false);

  FlagList flags;
  for (const std::string& word : ReadFlagWords(line)) flags.Append(word.c_str());

  char next[kPPDLineBufferSize];
  if (!ReadNextLine(next) || next[0] == '\0') return nullptr;
  PPDStream nextLine(next, static_cast<long>(std::strlen(next)));
  char declaration[kPPDLineBufferSize] = {};
  NextToken(nextLine, declaration, kMainKeywordDelimiters, true);
  if (std::strcmp(declaration, "*%QZVGroup") == 0) {
    return ParseGroup(nextLine, keyword, flags.List());
  }
  if (IsOpenUIKeyword(declaration)) return ParseOpenUI(nextLine, keyword, flags.List(), nullptr);
  if (std::strcmp(declaration, "*OpenUIQZV") == 0) {
    return ParseOpenUIQZV(nextLine, keyword, flags.List(), nullptr);
  }
  return new PPDXErrorObj(PPDErr_ControlParsing, keyword, false);
}

PPDXErrorObj* QZVPPD::ParseGroup(PPDStream& line, const char* keyword, PointerList& flags) {
  char declared[kPPDLineBufferSize] = {};
  char name[kPPDLineBufferSize] = {};
  line.SkipWhiteSpace();
  if (!NextToken(line, declared, kMainKeywordDelimiters, true)) {
    return new PPDXErrorObj(PPDErr_GroupParsing, keyword, false);
  }
  if (std::strcmp(declared, keyword) != 0) return nullptr;
  NextToken(line, name, kOptionKeywordDelimiters, true);
  PPDXGroup* group = FindAndCreateParent(name);

  char next[kPPDLineBufferSize];
  if (!ReadNextLine(next) || next[0] == '\0') return nullptr;
  PPDStream nextLine(next, static_cast<long>(std::strlen(next)));
  char declaration[kPPDLineBufferSize] = {};
  NextToken(nextLine, declaration, kMainKeywordDelimiters, true);
  if (std::strcmp(declaration, "*%QZVJobNote") == 0) {
    return ParseJobNote(nextLine, keyword, flags, dynamic_cast<PPDXRollDown*>(group));
  }
  if (std::strcmp(declaration, "*%QZVRange") == 0 ||
      std::strcmp(declaration, "*%QZVUnitRange") == 0) {
    return ParseRange(nextLine, keyword, flags, group);
  }
  if (std::strcmp(declaration, "*%QZVFloatRange") == 0) {
    return ParseFloatRange(nextLine, keyword, flags, group);
  }
  if (IsOpenUIKeyword(declaration)) return ParseOpenUI(nextLine, keyword, flags, group);
  if (std::strcmp(declaration, "*OpenUIQZV") == 0) {
    return ParseOpenUIQZV(nextLine, keyword, flags, group);
  }
  return new PPDXErrorObj(PPDErr_GroupParsing, keyword, false);
}

bool QZVPPD::IsOpenUIKeyword(const char* keyword) {
  return std::strcmp(keyword, "*OpenUI") == 0 || std::strcmp(keyword, "*QZOpenUI") == 0 ||
         std::strcmp(keyword, "*BeginUI") == 0;
}

PPDXGroup* QZVPPD::FindAndCreateParent(const char* name) {
  if (PPDXGroup* group = FindGroup(name)) return group;
  const GroupName* record = FindGroupName(name);
  if (!record) return nullptr;
  auto group = std::make_unique<PPDXGroup>(name, record->translation, record->visible);
  PPDXGroup* made = group.get();
  AdoptGroup(std::move(group));
  return made;
}

void QZVPPD::CollectOrphanGroups() {
  if (!ParseOrphans()) return;
  for (const GroupName& record : groupNames_) {
    if (FindGroup(record.name)) continue;
    AdoptGroup(std::make_unique<PPDXGroup>(record.name, record.translation, record.visible));
  }
}

void QZVPPD::ResolveShortcuts() {
  PointerList found;
  for (const ShortcutName& shortcut : shortcutNames_) {
    if (PPDXControl* control = FindControl(shortcut.name)) {
      found.PushBack(control);
    } else {
      auto* error = new PPDXErrorObj(PPDErr_BadShortcut, shortcut.name, false);
      error->SetLine(shortcut.line);
      AddError(error);
    }
  }
  shortcuts_ = std::make_unique<PPDXShortcuts>(found);
}
