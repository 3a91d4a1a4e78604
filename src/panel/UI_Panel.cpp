#include "panel/UI_Panel.h"

#include <pwd.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControlFlags.h"
#include "PPDX/PPDObjects/Controls/PPDXSpecialOption.h"
#include "PPDX/PPDObjects/PPDXGroup.h"
#include "PPDX/PPDObjects/PPDXGroups.h"
#include "PPDX/PPDObjects/PPDXShortcuts.h"
#include "PPDX/QZVPPD.h"
#include "foundation/EncodingSwitches.h"
#include "foundation/PDEBundle.h"
#include "panel/AddressController.h"
#include "panel/PDEData.h"
#include "panel/PanelKeywords.h"
#include "panel/QZVWatermark.h"
#include "panel/QuickAccessPane.h"
#include "platform/PMPageFormat.h"
#include "platform/PMPrintSettings.h"
#include "platform/PropertyList.h"
#include "serverlink/SharedMemoryList.h"
#include "serverlink/WideText.h"

PPDTree UI_Panel::Tree;

namespace {

constexpr const char* kInstallableGroup = "QZPPInstallableOptions";
constexpr const char* kScrollPaneGroup = "QZScrollPane";
constexpr const char* kPaperTicketKey = "com.apple.print.subTicket.paper_info_ticket";
constexpr const char* kPaperNameKey = "com.apple.print.PaperInfo.ppd.PMPaperName";
constexpr const char* kPaperRectKey = "com.apple.print.PaperInfo.PMUnadjustedPaperRect";
constexpr const char* kTicketItems = "com.apple.print.ticket.itemArray";
constexpr int kWatermarkSelectable = 20;
constexpr int kDefaultWatermarks = 5;

// The colour controls whose choice also travels as a job note, then the
// control bar.
constexpr const char* kSpecialControls[] = {"*QZOutProfile", "*QZSimulation", "*QZRGBOverride",
                                            "*QZControlBar"};
constexpr const char* kSpecialTintvane[] = {"*QZOutProfile", "*QZSimulation", "*QZRGBOverride"};
constexpr const char* kPresetKeys[] = {"*PresetName", "*PresetType", "*PresetTimestampModified"};
constexpr const char* kDocServerKeys[] = {"*QZDSFileName", "*QZDSUserName", "*QZDSPassword"};
constexpr const char* kMixedMediaPrefixes[] = {"*RangeProp", "*RangeNum", "*Chapters",
                                               "*SubsetFinishing", "*MM_A"};

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

template <size_t N>
bool OneOf(const char* const (&table)[N], std::string_view text) {
  for (const char* entry : table)
    if (text == entry) return true;
  return false;
}

// Cuts UTF-8 text to at most `bytes`, never inside a character.
void CutUtf8(std::string& text, size_t bytes) {
  if (text.size() <= bytes) return;
  size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
}

std::wstring Wide(const CFString& text) {
  return Utf8ToWide(text.UTF8());
}

// 1-based position of the item with that keyword; 0 when none.
long ItemPosition(PPDXPopupControl* popup, const char* keyword) {
  long position = 1;
  for (_PopupItem* item = popup->FirstItem(); item; item = popup->NextItem(), ++position)
    if (item->Keyword() && std::strcmp(item->Keyword(), keyword) == 0) return position;
  return 0;
}

bool SelectKeyword(PPDXPopupControl* popup, const char* keyword) {
  const long position = popup ? ItemPosition(popup, keyword) : 0;
  if (position == 0) return false;
  popup->SetValue(position);
  return true;
}

// Selects the item with the value as keyword, appending one (keyword and user
// name the value) when the menu has none.
void SelectOrAppend(PPDXPopupControl* popup, const std::string& value) {
  if (!popup || value.empty() || SelectKeyword(popup, value.c_str())) return;
  popup->AppendPopupItem(new _PopupItem(value.c_str(), CFString::FromUTF8(value), nullptr, 0));
  SelectKeyword(popup, value.c_str());
}

// A print-settings ticket value: either stored directly under the key or,
// as the system's tickets keep it, in the first entry of the key's item array.
const PlistValue* TicketValue(const PlistValue* ticket, std::string_view key) {
  const PlistValue* value = ticket ? ticket->Find(key) : nullptr;
  if (!value || !value->IsDict()) return value;
  const PlistValue* items = value->Find(kTicketItems);
  const PlistValue::Array* array = items ? items->AsArray() : nullptr;
  if (!array || array->empty()) return nullptr;
  return (*array)[0].Find(key);
}

bool IsInstallableOption(const PPDXControl* control) {
  const PPDXElement* parent = control->GetParent();
  return parent && parent->Keyword() && std::strcmp(parent->Keyword(), kInstallableGroup) == 0;
}

std::string NoteText(PPDXJobNote* note) {
  return note ? note->CopyCurrentControlValueString().UTF8() : std::string();
}

QZVWatermark* SelectedWatermark(const PDEData* data) {
  return data && data->watermarks ? data->watermarks->Selected() : nullptr;
}

template <typename List>
void AddListRows(HeapSDMList& out, const List& list) {
  for (int32_t i = 0; i < list.Count(); ++i) {
    const FeaturePair* pair = list.At(static_cast<size_t>(i));
    if (pair && !pair->key.empty()) out.Add(pair->key, pair->value);
  }
}

}  // namespace

UI_Panel::UI_Panel(PDEData* data, QuickAccessPane* pane, AddressController* address)
    : pdeData(data), customizePane(pane), bonjourController(address) {
  if (!pdeData) return;
  pdeData->osOrientation = pdeData->GetPageOrientationFromOS();
  PopulatePPDTreeStructure();
  if (!GetOSPageSize()) {
    pdeData->customPaperFromOS = 0;
    // The print size then follows the page size.
    PPDXControls* controls = pdeData->ppd ? pdeData->ppd->GetControls() : nullptr;
    if (PPDXPopupControl* printSize =
            controls ? controls->FindPopup("*QZPrintSize", true) : nullptr)
      printSize->SetValue(1);
  }
}

bool UI_Panel::TwoWayOn() const {
  return bonjourController && bonjourController->isBIDIEnabled();
}

void UI_Panel::PopulatePPDTreeStructure() {
  Tree.Clear();
  QZVPPD* ppd = pdeData ? pdeData->ppd : nullptr;
  if (!ppd) return;
  if (PPDXShortcuts* shortcuts = ppd->GetShortcuts()) {
    for (PPDXControl* control = shortcuts->First(); control; control = shortcuts->Next()) {
      if (!IsValidBasicPanelControl(control) || pdeData->dmtHides(control->Keyword())) continue;
      Tree.AddShortcut(control->CFStringUserName(), control->Keyword());
    }
  }
  pdeData->GetPPDShortcuts(Tree);
  if (PPDXGroups* groups = ppd->GetGroups()) {
    for (PPDXGroup* group = groups->First(); group; group = groups->Next()) {
      const char* keyword = group->Keyword();
      if (!keyword || std::strcmp(keyword, kInstallableGroup) == 0 ||
          std::strcmp(keyword, kScrollPaneGroup) == 0)
        continue;
      Tree.AddGroup(group->CFStringUserName(), keyword);
    }
  }
}

ShortcutEntry* UI_Panel::GetShortcutFromKeyword(const char* keyword) {
  if (!keyword) return nullptr;
  for (int32_t i = 0; i < Tree.shortcutCount && i < kMaxShortcuts; ++i) {
    ShortcutEntry* entry = Tree.shortcuts[static_cast<size_t>(i)].get();
    if (entry && std::strcmp(entry->keyword, keyword) == 0) return entry;
  }
  return nullptr;
}

std::string UI_Panel::GetOSAccountName() {
  const passwd* entry = ::getpwuid(::getuid());
  return entry && entry->pw_name ? entry->pw_name : std::string();
}

void UI_Panel::Show() {
  DrawUserPane();
}

void UI_Panel::DrawUserPane() {
  if (customizePane) customizePane->drawControlsInTree();
}

bool UI_Panel::GetDefaultSettings(HeapSDMList& out, SharedMemoryList* shared) {
  out = HeapSDMList();
  QZVPPD* ppd = pdeData ? pdeData->ppd : nullptr;
  PPDXControls* controls = ppd ? ppd->GetControls() : nullptr;
  if (!controls) return false;

  PPDXSpecialOption* utf8 = controls->FindSpecialOption("*QZUTF8_Version", true);
  gQZUTF8Version =
      utf8 && utf8->GetValue() ? std::atoi(static_cast<const char*>(*utf8->GetValue())) : 0;

  const bool twoWay = TwoWayOn();
  const bool customRows = pdeData->customPaperFromOS && !customSizeText.IsNull();
  std::string installed;
  CNTL_TYPE type = kNoControl;
  for (PPDXControl* control = controls->First(type); control; control = controls->Next(type)) {
    const char* keyword = control->Keyword();
    if (!keyword || keyword[0] != '*') continue;
    if (twoWay && isSpecialTintvaneControl(keyword)) continue;
    if (std::strcmp(keyword, "*QZControlBar") == 0 || std::strcmp(keyword, "*CustomPrintSize") == 0)
      continue;
    if (customRows && std::strcmp(keyword, "*PageSize") == 0) continue;
    if (IsInstallableOption(control)) {
      // The component reads installed options by their row in the list.
      const std::string index = std::to_string(out.Count()) + ",";
      if (installed.size() + index.size() < sizeof(SharedMemoryList::installedOptionIndexes))
        installed += index;
    } else if (twoWay && type == kPopupControl && control->IsDynamic()) {
      auto* popup = static_cast<PPDXPopupControl*>(control);
      if (popup->GetValue() == popup->DefaultValue()) continue;
    }
    std::string value = control->CopyCurrentControlValueString().UTF8();
    CutUtf8(value, kDefaultValueBytes);
    out.Add(Utf8ToWide(keyword + 1), Utf8ToWide(value));
  }
  if (shared) SetSharedField(shared->installedOptionIndexes, installed);

  if (PPDXControl* custom = controls->Find("*CustomPrintSize", type, true)) {
    PPDXPopupControl* printSize = controls->FindPopup("*QZPrintSize", true);
    const bool chosen =
        printSize && printSize->CopyCurrentControlValueString().UTF8() == "CustomPrintSize";
    out.Add(L"CustomPrintSize", chosen ? Wide(custom->CopyCurrentControlValueString()) : L"False");
  }
  if (customRows) {
    out.Add(L"PageSize", L"Custom");
    out.Add(L"CustomPageSize", Wide(customSizeText));
  }
  if (twoWay) {
    PPDXPopupControl* bar = controls->FindPopup("*QZControlBar", true);
    if (bar && bar->GetValue() != bar->DefaultValue()) {
      PPDXJobNote* note = controls->FindJobNote("*QZControlBar", true);
      out.Add(L"*QZControlBar", Wide(note ? note->CopyCurrentControlValueString()
                                          : bar->CopyCurrentControlValueString()));
    }
    for (const char* keyword : kSpecialTintvane)
      if (PPDXJobNote* note = controls->FindJobNote(keyword, true))
        out.Add(Utf8ToWide(keyword), Utf8ToWide(NoteText(note)));
  }

  const WatermarkList* marks = pdeData->watermarks.get();
  const int32_t selected = marks ? marks->selected : -1;
  out.Add(L"*QZ_WATERMARK", std::to_wstring(selected < 0 ? 0 : selected + 1));
  bool firstPageOnly = false;
  const PlistValue* stored =
      pdeData->printSettings ? pdeData->printSettings->GetValue("WatermarkFirstPageInfo") : nullptr;
  if (stored && stored->IsNumber())
    firstPageOnly = stored->GetInteger(0) == 1;
  else if (const QZVWatermark* mark = SelectedWatermark(pdeData))
    firstPageOnly = mark->FirstPageOnly();
  out.Add(L"*QZ_WATERMARK_FIRSTPAGEONLY", firstPageOnly ? L"True" : L"False");

  for (const PaperCatalogPair& pair : pdeData->paperCatalog) out.Add(pair.key, pair.value);

  const std::wstring copies = std::to_wstring(pdeData->GetNumCopiesFromOS());
  out.Add(L"*QZ_COPIES", copies);
  out.Add(L"num copies", copies);

  const PMOrientation orientation = pdeData->GetPageOrientationFromOS();
  pdeData->osOrientation = orientation;
  if (!controls->Find("*QZOrientation", type, true)) {
    const bool portrait = orientation == kPMPortrait || orientation == kPMReversePortrait;
    out.Add(L"*QZOrientation", portrait ? L"Portrait" : L"Landscape");
  }

  AddListRows(out, pdeData->mixedMedia);
  AddListRows(out, pdeData->padCovers);
  AddListRows(out, pdeData->slipSheets);
  AddListRows(out, pdeData->coverPages);
  return true;
}

bool UI_Panel::GetDefaultSettings(SDMKeyValueList** out) {
  if (!out) return false;
  *out = nullptr;
  HeapSDMList list;
  if (!GetDefaultSettings(list, GetSharedMemoryList())) return false;
  auto* result = static_cast<SDMKeyValueList*>(std::calloc(1, sizeof(SDMKeyValueList)));
  if (!result) return false;
  const SDMPairs& pairs = list.Pairs();
  result->items = static_cast<SDMKeyValue*>(std::calloc(pairs.size() + 1, sizeof(SDMKeyValue)));
  if (!result->items) {
    std::free(result);
    return false;
  }
  auto copy = [](const std::wstring& text) {
    auto* block = static_cast<wchar_t*>(std::malloc((text.size() + 1) * sizeof(wchar_t)));
    if (block) std::wmemcpy(block, text.c_str(), text.size() + 1);
    return block;
  };
  for (const auto& [key, value] : pairs) {
    SDMKeyValue& item = result->items[result->count];
    item.key = copy(key);
    item.value = copy(value);
    ++result->count;
    if (!item.key || !item.value) {
      FreeSDMList(result);
      return false;
    }
  }
  *out = result;
  return true;
}

void UI_Panel::FreeSDMList(SDMKeyValueList* list) {
  if (!list) return;
  if (list->items) {
    for (uint64_t i = 0; i < list->count; ++i) {
      std::free(list->items[i].key);
      std::free(list->items[i].value);
    }
    std::free(list->items);
  }
  std::free(list);
}

PPDXJobNote* UI_Panel::SpecialNote(const char* keyword) {
  QZVPPD* ppd = pdeData ? pdeData->ppd : nullptr;
  PPDXControls* controls = ppd ? ppd->GetControls() : nullptr;
  if (!controls) return nullptr;
  if (PPDXJobNote* note = controls->FindJobNote(keyword, true)) return note;
  PointerList flags;
  const CString language(ppd->LanguageEncoding());
  auto* note =
      new PPDXJobNote(keyword, CFString::FromUTF8(keyword + 1), flags, nullptr, 0, new CString(""),
                      &language, true, kSpecialNoteMaxLength, kJobNoteUTF8, 0);
  ppd->SetupControl(ppd->FindAndCreateParent(kSpecialNotesGroup), note, false);
  return controls->FindJobNote(keyword, true);
}

void UI_Panel::SetSpecialNoteText(const char* keyword, const std::string& value) {
  if (PPDXJobNote* note = SpecialNote(keyword)) note->SetUTF8Notes(CFString::FromUTF8(value));
}

void UI_Panel::makeJobNotesForSpecialControls() {
  QZVPPD* ppd = pdeData ? pdeData->ppd : nullptr;
  PPDXControls* controls = ppd ? ppd->GetControls() : nullptr;
  if (!controls || !TwoWayOn()) return;
  for (const char* keyword : kSpecialControls) {
    CNTL_TYPE type = kNoControl;
    PPDXControl* control = controls->Find(keyword, type, true);
    if (!control) break;
    if (type == kBooleanControl) continue;
    std::string value = control->CopyCurrentControlValueString().UTF8();
    if (value.empty()) {
      control->ResetToDefaultValue();
      value = control->CopyCurrentControlValueString().UTF8();
    }
    if (type == kPopupControl) SelectOrAppend(static_cast<PPDXPopupControl*>(control), value);
    SetSpecialNoteText(keyword, value);
  }
}

void UI_Panel::ApplyPair(const std::string& key, const std::string& value, bool twoWay,
                         const ControlIndex& index) {
  QZVPPD* ppd = pdeData->ppd;
  PPDXControls* controls = ppd ? ppd->GetControls() : nullptr;
  const std::wstring wideValue = Utf8ToWide(value);

  if (key == "*QZ_WATERMARK") {
    if (!pdeData->watermarks) return;
    const long number = std::strtol(value.c_str(), nullptr, 10);
    int32_t selected = -1;
    if (number > kWatermarkSelectable)
      selected = kWatermarkSelectable - 1;
    else if (number >= 1)
      selected = static_cast<int32_t>(number - 1);
    pdeData->watermarks->selected = selected;
    return;
  }
  if (key == "*QZ_WATERMARK_FIRSTPAGEONLY") {
    if (QZVWatermark* mark = SelectedWatermark(pdeData)) mark->SetFirstPageOnly(wideValue.c_str());
    return;
  }
  // The system's copies stay in force.
  if (key == "*QZ_COPIES") return;

  const std::wstring wideKey = Utf8ToWide(key);
  for (const char* prefix : kMixedMediaPrefixes) {
    if (StartsWith(key, prefix)) {
      pdeData->mixedMedia.Append(wideKey, wideValue);
      return;
    }
  }
  if (StartsWith(key, "*PadCover")) {
    pdeData->padCovers.Append(wideKey, wideValue);
    return;
  }
  if (StartsWith(key, "*CoverPage_")) {
    pdeData->coverPages.Append(wideKey, wideValue);
    return;
  }
  if (StartsWith(key, "*SlipSheet_")) {
    pdeData->slipSheets.Append(wideKey, wideValue);
    return;
  }
  for (int i = 0; i < kPaperCatalogPairs; ++i) {
    if (wideKey != kPaperCatalogKeys[i]) continue;
    pdeData->paperCatalog[static_cast<size_t>(i)].SetValue(wideValue);
    if (pdeData->printSettings) pdeData->printSettings->SetString(key, value);
    return;
  }
  if (!controls) return;
  if (twoWay && isSpecialTintvaneControl(key.c_str())) {
    // Notes are made for the colour keywords themselves only: any other key
    // the component sends must not add a note to every job.
    if (OneOf(kSpecialTintvane, key)) {
      SetSpecialNoteText(key.c_str(), value);
      SelectOrAppend(controls->FindPopup(key.c_str(), true), value);
    } else if (PPDXJobNote* note = controls->FindJobNote(key.c_str(), true)) {
      note->SetUTF8Notes(CFString::FromUTF8(value));
    }
    return;
  }
  if (twoWay && OneOf(kPresetKeys, key)) {
    SetSpecialNoteText(key.c_str(), value);
    return;
  }
  if (twoWay && key == "*QZControlBar") return;
  const auto found = index.find(key);
  if (found == index.end()) return;
  PPDXControl* control = found->second;
  const CFString text = CFString::FromUTF8(value);
  // Most values come back as they went: a value already held is not set (and
  // reported) again. A pick-many menu is always set, as setting one choice
  // clears the others.
  const bool pickMany = control->Type() == kPopupControl &&
                        static_cast<PPDXPopupControl*>(control)->CanSelectMultipleItems();
  if (!pickMany && control->CopyCurrentControlValueString() == text) return;
  gIsDocServerKey = OneOf(kDocServerKeys, key);
  control->SetCurrentControlWithCFString(text);
  gIsDocServerKey = false;
}

bool UI_Panel::SetUpdatedSettings(const SDMKeyValueList* in) {
  if (!in || !pdeData) return false;
  pdeData->mixedMedia.Clear();
  pdeData->padCovers.Clear();
  pdeData->coverPages.Clear();
  pdeData->slipSheets.Clear();
  const bool twoWay = TwoWayOn();
  // The displayable controls by keyword, the first of each as a search
  // would find it: a list names every control, so one walk serves it all.
  ControlIndex index;
  if (PPDXControls* controls = pdeData->ppd ? pdeData->ppd->GetControls() : nullptr) {
    CNTL_TYPE type = kNoControl;
    for (PPDXControl* control = controls->First(type); control; control = controls->Next(type))
      if (control->Keyword()) index.emplace(control->Keyword(), control);
  }
  for (const auto& [wideKey, wideValue] : ReadSDMPairs(in, kSharedMaxPairs, 1u << 16)) {
    std::string key = WideToUtf8(wideKey);
    if (key.empty()) continue;
    // Keys come back without their "*"; one that kept it is taken as is.
    if (key[0] != '*') key.insert(0, "*");
    // A key cut to fit could name another feature: it is no key of ours.
    if (key.size() >= kUpdatedKeySize) continue;
    std::string value = WideToUtf8(wideValue);
    CutUtf8(value, kUpdatedValueSize - 1);
    ApplyPair(key, value, twoWay, index);
  }
  return true;
}

void UI_Panel::ResetControlsToDefault() {
  QZVPPD* ppd = pdeData ? pdeData->ppd : nullptr;
  PPDXControls* controls = ppd ? ppd->GetControls() : nullptr;
  if (controls) {
    CNTL_TYPE type = kNoControl;
    for (PPDXControl* control = controls->First(type); control; control = controls->Next(type)) {
      // A special option's value is the PPD's data, not a choice.
      if (type != kSpecialOptionControl) control->ResetToDefaultValue();
    }
  }
  if (pdeData) {
    pdeData->mixedMedia.Clear();
    pdeData->padCovers.Clear();
    pdeData->coverPages.Clear();
    pdeData->slipSheets.Clear();
    for (int i = 0; i < kPaperCatalogPairs; ++i) {
      pdeData->paperCatalog[static_cast<size_t>(i)].SetKey(kPaperCatalogKeys[i]);
      pdeData->paperCatalog[static_cast<size_t>(i)].SetValue(kPaperCatalogNone);
    }
    pdeData->dmtSetNonPPDKeys();
  }
  DrawUserPane();
  gPopupJobNotesDoneInitializing = true;
}

bool UI_Panel::GetOSPageSize() {
  if (!pdeData || !pdeData->printSettings) return false;
  // Without the system's paper ticket there is no paper to follow.
  const PlistValue* ticket = pdeData->printSettings->GetValue(kPaperTicketKey);
  if (!ticket || !ticket->IsDict()) return false;
  const PlistValue* nameValue = TicketValue(ticket, kPaperNameKey);
  std::string name;
  if (nameValue) name = nameValue->GetString();
  if (name.empty()) {
    const CFString custom = CopyLocalizedCFString(CFSTR("DocumentSizeCustom"));
    name = custom.IsNull() || custom.Empty() ? "Custom" : custom.UTF8();
  }

  PPDXControls* controls = pdeData->ppd ? pdeData->ppd->GetControls() : nullptr;
  PPDXPopupControl* pageSize = controls ? controls->FindPopup("*PageSize", true) : nullptr;
  SelectKeyword(pageSize, name.c_str());
  const std::string chosen = pageSize ? pageSize->CopyCurrentControlValueString().UTF8() : "";
  if (chosen == name) return false;
  if (name == "US Letter" || name == "US Legal") {
    SelectKeyword(pageSize, name == "US Letter" ? "Letter" : "Legal");
    return false;
  }

  const PlistValue* rectValue = TicketValue(ticket, kPaperRectKey);
  const PlistValue::Array* rect = rectValue ? rectValue->AsArray() : nullptr;
  // A custom paper without its size cannot be printed on.
  if (!rect || rect->size() < 4) return false;
  const double top = (*rect)[0].GetReal(), left = (*rect)[1].GetReal();
  const double bottom = (*rect)[2].GetReal(), right = (*rect)[3].GetReal();
  const double width = std::fabs(left) + std::fabs(right);
  const double height = std::fabs(top) + std::fabs(bottom);
  char size[96];
  std::snprintf(size, sizeof size, "%f %f", width, height);
  osPaperName = CFString::FromUTF8(name);
  customSizeText = CFString::FromUTF8(size);
  pdeData->customPaperFromOS = 1;
  return true;
}

bool UI_Panel::GetWatermarks(SharedMemoryList* shared) {
  if (!pdeData || !pdeData->watermarks) return false;
  WatermarkList& list = *pdeData->watermarks;
  pdeData->GetWatermarksFromPreferences();
  if (list.count == 0) {
    for (int i = 0; i < kDefaultWatermarks; ++i) {
      const CFString text = CopyLocalizedCFString(CFSTR("Watermark" + std::to_string(i)));
      list.Append(std::make_unique<QZVWatermark>(text.IsNull() ? "" : text.UTF8().c_str()));
    }
  }
  if (!shared) return true;
  const uint32_t written = std::min<uint32_t>(list.count, kSharedMaxWatermarks);
  for (uint32_t i = 0; i < written; ++i) {
    SetSharedField(shared->watermarkIds[i], std::to_string(i));
    const QZVWatermark* mark = list.items[i].get();
    SetSharedField(shared->watermarkNames[i], mark ? mark->Description() : "");
  }
  SetSharedNumber(shared->watermarkCount, written);
  return true;
}

bool UI_Panel::UpdateWatermarks(SharedMemoryList* shared) {
  if (!pdeData || !pdeData->watermarks || !shared) return false;
  WatermarkList& list = *pdeData->watermarks;
  list.Clear();
  long count = SharedNumber(shared->watermarkCount);
  if (count < 0) count = 0;
  if (count > static_cast<long>(kSharedMaxWatermarks)) count = kSharedMaxWatermarks;
  for (long i = 0; i < count; ++i) {
    const std::string description(
        FieldText(shared->watermarkNames[i], sizeof shared->watermarkNames[i]));
    list.Append(std::make_unique<QZVWatermark>(description.c_str()));
  }
  return true;
}
