#include "inspect/PPDInspectModel.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "PPDX/PPDObjects/Controls/PPDXBooleanControl.h"
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXCustomPageSizeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXFloatRangeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/PPDObjects/Controls/PPDXRangeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXSpecialOption.h"
#include "PPDX/PPDObjects/DisplayOptions.h"
#include "PPDX/PPDObjects/PPDXErrors.h"
#include "PPDX/PPDObjects/PPDXGroups.h"
#include "PPDX/PPDObjects/PPDXProperties.h"
#include "PPDX/PPDObjects/PPDXProperty.h"
#include "PPDX/PPDObjects/PPDXRollDown.h"
#include "PPDX/PPDObjects/PPDXScrollPane.h"
#include "PPDX/PPDObjects/PPDXShortcuts.h"
#include "PPDX/PPDXErrorCodes.h"
#include "PPDX/QZVPPD.h"
#include "TextConverter/TextConverter.h"
#include "constraints/UIConstraints.h"

namespace {

const char* NonEmpty(const char* text) {
  return text && text[0] ? text : nullptr;
}

// Model texts that the parser kept as PPD bytes (keywords, option keywords,
// note texts, special-option values): as they are when they already read as
// UTF-8, else decoded from the PPD's encoding; bytes that still do not decode
// become U+FFFD, so every text the writers get is valid UTF-8.
class Texts {
 public:
  explicit Texts(const QZVPPD& document)
      : encoding_(TextConverter::GetPPDEncoding(&document)),
        converter_(encoding_ == kTextEncodingUnknown ? kTextEncodingUTF8 : encoding_,
                   kTextEncodingUTF8) {}

  std::string Bytes(const char* text) const {
    if (!text) return {};
    const std::string utf8 = CFString::FromUTF8(text).UTF8();
    if (utf8 == text || encoding_ == kTextEncodingUnknown) return utf8;
    CFString decoded = CFString::CreateWithBytes(text, std::strlen(text), encoding_);
    return decoded.IsNull() ? utf8 : decoded.UTF8();
  }

  // Identity values read the way the panel reads PPD text: the PPD's
  // encoding with its hex groups decoded.
  std::optional<std::string> Identity(const char* text) {
    if (!NonEmpty(text)) return std::nullopt;
    return converter_.ConvertToCFString(text, 0).UTF8();
  }

  static std::string Of(const CFString& text) {
    return text.IsNull() ? std::string() : text.UTF8();
  }

 private:
  TextEncoding encoding_;
  TextConverter converter_;
};

std::string ElementName(const PPDXElement* element) {
  return element && element->Keyword() ? element->Keyword() : std::string();
}

InspectNumber Integer(int64_t value) {
  InspectNumber n;
  n.integer = value;
  n.value = static_cast<double>(value);
  return n;
}

InspectNumber Real(double value) {
  InspectNumber n;
  n.real = true;
  n.value = value;
  return n;
}

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Walks the document once, under the everything display option. The
// collections' walks share one cursor per list, and the constraint test looks
// controls up through the same lists, so every walk is first copied into a
// vector and only then visited.
class Walker {
 public:
  Walker(QZVPPD& document, InspectModel& model)
      : document_(document), model_(model), texts_(document) {}

  void Run() {
    ScopedDisplayOption everything(kDisplayEverything);
    for (PPDXControl* control : AllControls()) Position(control);
    WalkPages();
    WalkGroups();
    WalkShortcuts();
    for (size_t i = 0; i < model_.controls.size(); ++i) {
      if (controls_[i]->Type() == kSpecialOptionControl) model_.specialOptions.push_back(i);
    }
    WalkConstraints();
  }

 private:
  std::vector<PPDXControl*> AllControls() {
    std::vector<PPDXControl*> all;
    if (PPDXControls* controls = document_.GetControls()) {
      CNTL_TYPE type = kNoControl;
      for (PPDXControl* c = controls->First(type); c; c = controls->Next(type)) all.push_back(c);
    }
    return all;
  }

  static std::vector<PPDXControl*> ControlsOf(PPDXRollDown* rollDown) {
    std::vector<PPDXControl*> list;
    if (PPDXControls* controls = rollDown->Controls()) {
      CNTL_TYPE type = kNoControl;
      for (PPDXControl* c = controls->First(type); c; c = controls->Next(type)) list.push_back(c);
    }
    return list;
  }

  static std::vector<PPDXGroup*> GroupsOf(PPDXGroups* groups) {
    std::vector<PPDXGroup*> list;
    if (groups) {
      for (PPDXGroup* g = groups->First(); g; g = groups->Next()) list.push_back(g);
    }
    return list;
  }

  // The control's place in the snapshot, taken on first sight.
  size_t Position(PPDXControl* control) {
    auto found = positions_.find(control);
    if (found != positions_.end()) return found->second;
    const size_t position = model_.controls.size();
    positions_[control] = position;
    controls_.push_back(control);
    model_.controls.push_back(Snapshot(*control));
    return position;
  }

  InspectControl Snapshot(PPDXControl& control) {
    InspectControl c;
    const char* keyword = control.Keyword();
    c.keyword = texts_.Bytes(keyword);
    c.translation = Texts::Of(control.CFStringUserName());
    c.visible = control.IsVisible();
    c.installable = control.IsInstallableOption();
    c.parent = ElementName(control.GetParent());
    for (const char* f = control.FirstControlFlag(); f; f = control.NextControlFlag()) {
      c.flags.push_back(texts_.Bytes(f));
    }
    c.value = Texts::Of(control.CopyCurrentControlValueString());
    c.kind = ControlKindName(control.Type(), false);

    if (auto* popup = dynamic_cast<PPDXPopupControl*>(&control)) {
      c.kind = ControlKindName(control.Type(), popup->CanSelectMultipleItems());
      std::vector<_PopupItem*> items;
      for (_PopupItem* item = popup->FirstItem(); item; item = popup->NextItem()) {
        items.push_back(item);
      }
      const long defaultPosition = popup->DefaultValue();
      for (size_t i = 0; i < items.size(); ++i) {
        InspectOption o;
        o.keyword = texts_.Bytes(items[i]->Keyword());
        o.translation = Texts::Of(items[i]->userName);
        o.isDefault = static_cast<long>(i + 1) == defaultPosition;
        o.selected = items[i]->selected != 0;
        o.constrained = keyword && items[i]->Keyword() &&
                        document_.IsKVConstrained(keyword, items[i]->Keyword());
        if (o.isDefault) c.defaultValue = o.keyword;
        c.options.push_back(std::move(o));
      }
    } else if (auto* boolean = dynamic_cast<PPDXBooleanControl*>(&control)) {
      for (bool state : {true, false}) {
        InspectOption o;
        o.keyword = state ? "True" : "False";
        o.translation =
            texts_.Bytes(state ? boolean->TrueDisplayText() : boolean->FalseDisplayText());
        o.isDefault = boolean->DefaultState() == state;
        o.selected = boolean->IsTrue() == state;
        o.constrained = keyword && document_.IsKVConstrained(keyword, o.keyword.c_str());
        c.options.push_back(std::move(o));
      }
      c.defaultValue = boolean->DefaultState() ? "True" : "False";
    } else if (auto* range = dynamic_cast<PPDXRangeControl*>(&control)) {
      c.minimum = Integer(range->MinVal());
      c.maximum = Integer(range->MaxVal());
      c.increment = Integer(range->Increment());
      c.defaultValue = std::to_string(range->DefaultValue());
    } else if (auto* real = dynamic_cast<PPDXFloatRangeControl*>(&control)) {
      c.minimum = Real(real->MinVal());
      c.maximum = Real(real->MaxVal());
      c.increment = Real(real->Increment());
      c.defaultValue = Format("%.3f", real->DefaultValue());
    } else if (auto* custom = dynamic_cast<PPDXCustomPageSizeControl*>(&control)) {
      c.minimum = Real(custom->MinWidth());
      c.maximum = Real(custom->MaxWidth());
      c.minimumHeight = Real(custom->MinHeight());
      c.maximumHeight = Real(custom->MaxHeight());
    } else if (auto* note = dynamic_cast<PPDXJobNote*>(&control)) {
      c.defaultValue = texts_.Bytes(note->GetDefaultNotes());
      c.maxLength = note->MaxLength();
      c.minLength = note->MinLength();
      for (const JobNoteFlagEntry& entry : kJobNoteFlagTable) {
        if (note->Flags() & entry.flag) c.noteFlags.push_back(entry.word);
      }
    } else if (auto* special = dynamic_cast<PPDXSpecialOption*>(&control)) {
      c.value = special->GetValue() ? texts_.Bytes(special->GetValue()->Buffer()) : std::string();
    }
    return c;
  }

  InspectRollDown RollDown(PPDXRollDown* rollDown) {
    InspectRollDown r;
    r.name = ElementName(rollDown);
    r.translation = Texts::Of(rollDown->CFStringUserName());
    r.visible = rollDown->IsVisible();
    for (PPDXControl* control : ControlsOf(rollDown)) r.controls.push_back(Position(control));
    inPageTree_.insert(rollDown);
    return r;
  }

  void WalkPages() {
    PPDXProperties* properties = document_.GetProperties();
    if (!properties) return;
    std::vector<PPDXProperty*> pages;
    for (PPDXProperty* p = properties->First(); p; p = properties->Next()) pages.push_back(p);
    for (PPDXProperty* property : pages) {
      InspectPage page;
      page.name = ElementName(property);
      page.translation = Texts::Of(property->CFStringUserName());
      page.visible = property->IsVisible();
      page.showInPrintDialog = property->ShowInPrintProp();
      page.showInApplication = property->ShowInApp();
      if (PPDXScrollPane* pane = property->GetScrollDown()) {
        InspectScrollPane p;
        p.name = ElementName(pane);
        p.translation = Texts::Of(pane->CFStringUserName());
        p.visible = pane->IsVisible();
        inPageTree_.insert(pane);
        for (PPDXGroup* group : GroupsOf(pane->RollDowns())) {
          if (auto* rollDown = dynamic_cast<PPDXRollDown*>(group)) {
            p.rollDowns.push_back(RollDown(rollDown));
          }
        }
        page.scrollPane = std::move(p);
      }
      model_.pages.push_back(std::move(page));
    }
  }

  void WalkGroups() {
    for (PPDXGroup* group : GroupsOf(document_.GetGroups())) {
      InspectGroup g;
      g.name = ElementName(group);
      g.translation = Texts::Of(group->CFStringUserName());
      g.visible = group->IsVisible();
      g.parent = ElementName(group->GetParent());
      g.inPageTree = inPageTree_.count(group) != 0;
      if (auto* rollDown = dynamic_cast<PPDXRollDown*>(group)) {
        g.kind = "roll-down";
        for (PPDXControl* control : ControlsOf(rollDown)) g.controls.push_back(Position(control));
      } else if (auto* pane = dynamic_cast<PPDXScrollPane*>(group)) {
        g.kind = "scroll pane";
        for (PPDXGroup* child : GroupsOf(pane->RollDowns())) {
          g.rollDowns.push_back(ElementName(child));
        }
      }
      model_.groups.push_back(std::move(g));
    }
  }

  void WalkShortcuts() {
    PPDXShortcuts* shortcuts = document_.GetShortcuts();
    if (!shortcuts) return;
    std::vector<PPDXControl*> list;
    for (PPDXControl* c = shortcuts->First(); c; c = shortcuts->Next()) list.push_back(c);
    for (PPDXControl* control : list) model_.shortcuts.push_back(Position(control));
  }

  // What is wrong with one end of a constraint; empty when nothing is.
  std::string Problem(const std::string& key, const std::string& option) const {
    const InspectControl* control = nullptr;
    for (const InspectControl& c : model_.controls) {
      if (c.keyword == key && c.kind != std::string("special option")) {
        control = &c;
        break;
      }
    }
    if (!control) return key + " names no control";
    if (control->options.empty() || option.empty()) return {};
    for (const InspectOption& o : control->options) {
      if (o.keyword == option) return {};
    }
    return option + " is no option of " + key;
  }

  void CountForest(const ConstraintForest& forest, CStringSoup& strings, bool required) {
    for (const auto& [key1, tree] : forest.Trees()) {
      size_t pairs = 0;
      for (const auto& [option1, list] : tree->Active()) {
        if (!list) continue;
        for (const KVPair& pair : list->Pairs()) {
          ++pairs;
          InspectConstraintProblem p;
          p.required = required;
          p.key1 = texts_.Bytes(strings.Find(key1));
          p.option1 = texts_.Bytes(strings.Find(option1));
          p.key2 = texts_.Bytes(strings.Find(pair.first));
          p.option2 = texts_.Bytes(strings.Find(pair.second));
          p.problem = Problem(p.key1, p.option1);
          if (p.problem.empty()) p.problem = Problem(p.key2, p.option2);
          if (!p.problem.empty()) model_.constraints.problems.push_back(std::move(p));
        }
      }
      if (required) {
        model_.constraints.requiring += pairs;
      } else {
        model_.constraints.forbidding += pairs;
        if (pairs) ++model_.constraints.constrainingKeywords;
      }
    }
  }

  void WalkConstraints() {
    UIConstraints* constraints = document_.GetUIConstraints();
    if (!constraints) return;
    CStringSoup& strings = *constraints->GetConstraintStrings();
    CountForest(*constraints->GetConstraintForest(), strings, false);
    CountForest(*constraints->GetRequiresForest(), strings, true);
    model_.constraints.declaredKeywords = constraints->Declared().size();
  }

  QZVPPD& document_;
  InspectModel& model_;
  Texts texts_;
  std::map<const PPDXControl*, size_t> positions_;
  std::vector<PPDXControl*> controls_;  // parallel to model_.controls
  std::set<const PPDXGroup*> inPageTree_;
};

}  // namespace

const char* ControlKindName(int type, bool pickMany) {
  switch (type) {
    case kBooleanControl:
      return "boolean";
    case kPopupControl:
      return pickMany ? "pick-many" : "pick-one";
    case kRangeControl:
      return "integer range";
    case kFloatRangeControl:
      return "real range";
    case kCustomPageSizeControl:
      return "custom page size";
    case kJobNoteControl:
      return "job note";
    case kSpecialOptionControl:
      return "special option";
    default:
      return "control";
  }
}

std::string InspectRefusal(const QZVPPD& document, bool servedChecked) {
  if (!document.IsValidPPD()) {
    return document.Valid() ? "the PPD has fatal errors" : "not a PPD 4.3 file";
  }
  if (servedChecked && !document.IsValidPrinterName()) {
    return "its PC file name is not among the served names";
  }
  if (!NonEmpty(document.QZVersionString()) && !NonEmpty(document.QZMacVersion())) {
    return "no controller version comment (*%QZVersion)";
  }
  return {};
}

InspectModel TakeInspectModel(QZVPPD& document, const std::string& file,
                              const std::vector<std::string>& servedNames) {
  InspectModel model;
  model.file = file;
  Texts texts(document);
  model.pcFileName = texts.Identity(document.PCFileName());
  model.formatVersion = texts.Identity(document.FormatVersion());
  model.fileVersion = texts.Identity(document.FileVersion());
  model.languageVersion = texts.Identity(document.LanguageVersion());
  model.languageEncoding = texts.Identity(document.LanguageEncoding());
  if (const char* encoding = NonEmpty(document.LanguageEncoding())) {
    const TextEncoding value = TextConverter::LanguageStringToEncoding(encoding);
    model.knownEncoding = value != kTextEncodingUnknown;
    model.encodingValue = static_cast<int>(value);
  }
  model.modelName = texts.Identity(document.ModelName());
  model.vendorVersion = texts.Identity(document.QZVersionString());
  model.vendorMacVersion = texts.Identity(document.QZMacVersion());
  model.vendorFileVersion = texts.Identity(document.QZFileVersion());
  model.pdePath = texts.Identity(document.PathToPDE());
  model.servedNames = servedNames;
  if (!servedNames.empty()) {
    model.served = document.IsValidPrinterName() ? InspectServed::kYes : InspectServed::kNo;
  }

  Walker(document, model).Run();

  if (PPDXErrors* errors = document.GetErrors()) {
    for (PPDXErrorObj* e = errors->First(); e; e = errors->Next()) {
      InspectError error;
      error.code = e->Code();
      const char* name = PPDErrorName(e->Code());
      error.name = name ? name : "unknown";
      if (NonEmpty(e->Keyword())) error.keyword = texts.Bytes(e->Keyword());
      error.line = e->Line();
      error.fatal = e->IsFatal();
      model.errors.push_back(std::move(error));
    }
  }

  model.refusal = InspectRefusal(document, !servedNames.empty());
  model.taken = model.refusal.empty();
  return model;
}
