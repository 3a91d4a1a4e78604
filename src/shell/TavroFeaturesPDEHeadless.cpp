// The panel as a host without a screen drives it: the Quick Access features
// it would draw, one choice applied as the user would make it (with the
// constraints and the administrator's template checked), a watermark chosen
// as in the full properties, and the ticket it would hand over.
#include <strings.h>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "PPDX/PPDObjects/Controls/PPDXBooleanControl.h"
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXFloatRangeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/PPDObjects/Controls/PPDXRangeControl.h"
#include "PPDX/PPDObjects/Controls/PopupItem.h"
#include "PPDX/QZVPPD.h"
#include "panel/PDEData.h"
#include "panel/QZVJobTicket.h"
#include "panel/QZVWatermark.h"
#include "panel/TicketDescribe.h"
#include "panel/UI_Panel.h"
#include "serverlink/QZVUnisorPrinterPList.h"
#include "serverlink/SharedMemoryList.h"
#include "shell/TavroFeaturesPDE.h"

namespace {

std::string Starred(const std::string& keyword) {
  return !keyword.empty() && keyword[0] == '*' ? keyword : "*" + keyword;
}

std::string Bare(const char* keyword) {
  return keyword && *keyword == '*' ? keyword + 1 : (keyword ? keyword : "");
}

std::string Label(PPDXControl* control) {
  const CFString& name = control->CFStringUserName();
  return name.IsNull() || name.Empty() ? Bare(control->Keyword()) : name.UTF8();
}

// The current value as a keyword or text, and as the user reads it.
void CurrentValue(PPDXControl* control, std::string* value, std::string* label) {
  *value = control->CopyCurrentControlValueString().UTF8();
  *label = *value;
  if (auto* popup = dynamic_cast<PPDXPopupControl*>(control)) {
    CFString local = popup->GetKeywordCFLocalName(value->c_str());
    if (!local.IsNull() && !local.Empty()) *label = local.UTF8();
  } else if (auto* boolean = dynamic_cast<PPDXBooleanControl*>(control)) {
    const char* text = boolean->IsTrue() ? boolean->TrueDisplayText() : boolean->FalseDisplayText();
    if (text && *text) *label = text;
  }
}

// The popup item the user means: its keyword, else its visible name.
const _PopupItem* FindItem(PPDXPopupControl* popup, const std::string& value) {
  const _PopupItem* byName = nullptr;
  for (const _PopupItem* item = popup->FirstItem(); item; item = popup->NextItem()) {
    if (!item->Keyword()) continue;
    if (value == item->Keyword()) return item;
    CFString local = popup->GetKeywordCFLocalName(item->Keyword());
    if (!byName && !local.IsNull() && local.UTF8() == value) byName = item;
  }
  return byName;
}

std::string Choices(PPDXPopupControl* popup) {
  std::string list;
  int shown = 0;
  for (const _PopupItem* item = popup->FirstItem(); item; item = popup->NextItem()) {
    if (!item->Keyword()) continue;
    if (++shown > 12) {
      list += ", ...";
      break;
    }
    list += (list.empty() ? "" : ", ") + std::string(item->Keyword());
  }
  return list;
}

}  // namespace

std::vector<TavroPDEFeature> TavroFeaturesPDE::QuickAccessFeatures() {
  std::vector<TavroPDEFeature> features;
  if (!myppd || !myppd->GetControls()) return features;
  const PPDTree& tree = UI_Panel::Tree;
  for (int i = 0; i < tree.shortcutCount; ++i) {
    const ShortcutEntry* entry = tree.shortcuts[static_cast<size_t>(i)].get();
    if (!entry) continue;
    CNTL_TYPE type;
    PPDXControl* control = myppd->GetControls()->Find(entry->keyword, type, true);
    if (!control) continue;
    TavroPDEFeature feature;
    feature.keyword = Bare(entry->keyword);
    feature.label =
        entry->name.IsNull() || entry->name.Empty() ? Label(control) : entry->name.UTF8();
    CurrentValue(control, &feature.value, &feature.valueLabel);
    features.push_back(std::move(feature));
  }
  return features;
}

TavroPDEChoiceResult TavroFeaturesPDE::ChooseFeature(const std::string& keyword,
                                                     const std::string& value,
                                                     std::string* message) {
  std::string ignored;
  std::string& why = message ? *message : ignored;
  const std::string key = Starred(keyword);
  CNTL_TYPE type;
  PPDXControl* control =
      myppd && myppd->GetControls() ? myppd->GetControls()->Find(key.c_str(), type, true) : nullptr;
  if (!control) {
    why = "the PPD has no feature " + Bare(key.c_str());
    return TavroPDEChoiceResult::kUnknownKeyword;
  }
  const std::string bare = Bare(key.c_str());
  if (myPDEData->dmtHides(bare.c_str()) || myPDEData->dmtHides(key.c_str())) {
    why = Label(control) + " is hidden by the administrator's template";
    return TavroPDEChoiceResult::kLocked;
  }
  if (myPDEData->dmtLocks(bare.c_str()) || myPDEData->dmtLocks(key.c_str())) {
    why = Label(control) + " is locked by the administrator's template";
    return TavroPDEChoiceResult::kLocked;
  }
  auto constrained = [&](const char* option) {
    if (!myppd->IsKVConstrained(key.c_str(), option)) return false;
    why = Label(control) + " " + option + " conflicts with the current choices";
    return true;
  };

  if (auto* popup = dynamic_cast<PPDXPopupControl*>(control)) {
    const _PopupItem* item = FindItem(popup, value);
    if (!item) {
      why = bare + " has no value " + value + " (its values: " + Choices(popup) + ")";
      return TavroPDEChoiceResult::kUnknownValue;
    }
    if (constrained(item->Keyword())) return TavroPDEChoiceResult::kConstrained;
    popup->SetKeywordSelect(item->Keyword(), true);
    return TavroPDEChoiceResult::kApplied;
  }
  if (auto* boolean = dynamic_cast<PPDXBooleanControl*>(control)) {
    bool state;
    if (strcasecmp(value.c_str(), "True") == 0) {
      state = true;
    } else if (strcasecmp(value.c_str(), "False") == 0) {
      state = false;
    } else {
      why = bare + " is a switch: its values are True and False";
      return TavroPDEChoiceResult::kUnknownValue;
    }
    if (constrained(state ? "True" : "False")) return TavroPDEChoiceResult::kConstrained;
    boolean->SetValue(state);
    return TavroPDEChoiceResult::kApplied;
  }
  if (auto* range = dynamic_cast<PPDXRangeControl*>(control)) {
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || errno == ERANGE || number < range->MinVal() ||
        number > range->MaxVal()) {
      why = bare + " takes a whole number from " + std::to_string(range->MinVal()) + " to " +
            std::to_string(range->MaxVal());
      return TavroPDEChoiceResult::kUnknownValue;
    }
    range->SetValue(number);
    if (range->GetValue() != number) {
      why = bare + " takes steps of " + std::to_string(range->Increment()) + " from " +
            std::to_string(range->MinVal());
      return TavroPDEChoiceResult::kUnknownValue;
    }
    return TavroPDEChoiceResult::kApplied;
  }
  if (auto* real = dynamic_cast<PPDXFloatRangeControl*>(control)) {
    char* end = nullptr;
    errno = 0;
    const double number = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(number) ||
        number < real->MinVal() || number > real->MaxVal()) {
      why = bare + " takes a number from " + std::to_string(real->MinVal()) + " to " +
            std::to_string(real->MaxVal());
      return TavroPDEChoiceResult::kUnknownValue;
    }
    real->SetValue(static_cast<float>(number));
    return TavroPDEChoiceResult::kApplied;
  }
  if (control->Type() == kSpecialOptionControl) {
    why = bare + " has a fixed value";
    return TavroPDEChoiceResult::kUnknownValue;
  }
  if (auto* note = dynamic_cast<PPDXJobNote*>(control)) {
    const CFString text = CFString::FromUTF8(value);
    if (note->MaxLength() > 0 && static_cast<long>(text.UTF32().size()) > note->MaxLength()) {
      why = bare + " holds at most " + std::to_string(note->MaxLength()) + " characters";
      return TavroPDEChoiceResult::kUnknownValue;
    }
    note->SetCurrentControlWithCFString(text);
    return TavroPDEChoiceResult::kApplied;
  }
  // The custom page size takes "WIDTH HEIGHT".
  control->SetCurrentControlWithCFString(CFString::FromUTF8(value));
  return TavroPDEChoiceResult::kApplied;
}

TavroPDEChoiceResult TavroFeaturesPDE::SelectWatermark(int index, std::string* message) {
  std::string ignored;
  std::string& why = message ? *message : ignored;
  // As the full properties offer them: the queue's stored watermarks, or the
  // defaults when it stores none.
  auto shared = std::make_unique<SharedMemoryList>();
  myUi_Panel->GetWatermarks(shared.get());
  WatermarkList* list = myPDEData->watermarks.get();
  const int count = list ? static_cast<int>(list->count) : 0;
  if (index < 0 || index >= count || !list->items[static_cast<size_t>(index)]) {
    why = "the queue has " + std::to_string(count) + " watermark" + (count == 1 ? "" : "s");
    return TavroPDEChoiceResult::kUnknownValue;
  }
  list->selected = index;
  list->items[static_cast<size_t>(index)]->SetFirstPageOnly(L"False");
  // Stored for the queue at once: without an address dialog nothing else
  // would write the printer list before the dialog ends.
  if (!myPDEData->SaveWatermarksToPreferences() || !myPDEData->printerList ||
      !myPDEData->printerList->Save()) {
    why = "the queue's watermarks could not be stored";
  }
  return TavroPDEChoiceResult::kApplied;
}

std::string TavroFeaturesPDE::DescribeTicket() {
  RefreshFromCallback(pdePluginCallbackObject);
  std::unique_ptr<QZVJobTicket> ticket = MakeTicket();
  return ::DescribeTicket(ticket->Entries());
}
