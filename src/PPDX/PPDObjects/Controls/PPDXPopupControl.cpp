// 'PCXI' (entries from the 100th on, under the control id): one record per
// entry, in menu order, every number a big-endian 32-bit unsigned value:
//
//   K, then K bytes   option keyword (K = 0: none)
//   U, then U bytes   user name, external representation (U = 0: none)
//   P, then P bytes   fragment (P = 0: none)
//   S                 selected (non-zero: selected)
//
// A record that does not fit in what remains ends the reading.

#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <new>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/PPDXControlStore.h"
#include "platform/TextEncoding.h"

namespace {

// Menus whose entries may also be chosen by their user name, and which take
// names the PPD did not list (profiles and curves that the server knows).
bool IsColourManagementMenu(const char* keyword) {
  if (!keyword) return false;
  static const char* const kMenus[] = {"*QZSimulation", "*QZOutProfile", "*QZRGBOverride",
                                       "*QZCurveAdjust", "*QZControlBar"};
  for (const char* menu : kMenus)
    if (std::strcmp(keyword, menu) == 0) return true;
  return false;
}

bool EqualIgnoringCase(const CFString& a, const CFString& b) {
  if (a.IsNull() || b.IsNull()) return false;
  std::u32string x = a.UTF32();
  std::u32string y = b.UTF32();
  if (x.size() != y.size()) return false;
  for (size_t i = 0; i < x.size(); ++i) {
    if (x[i] == y[i]) continue;
    if (std::towlower(static_cast<wint_t>(x[i])) != std::towlower(static_cast<wint_t>(y[i])))
      return false;
  }
  return true;
}

bool KeywordIs(const _PopupItem* item, const char* option) {
  const char* k = item->Keyword();
  return k && option && std::strcmp(k, option) == 0;
}

_PopupItem* ItemAt(PointerListItr it) {
  return static_cast<_PopupItem*>(*it);
}

// An ASCII reading of a keyword; bytes outside ASCII are read as Mac OS
// Roman rather than giving no string at all.
CFString KeywordString(const char* keyword) {
  if (!keyword) return CFSTR("");
  for (const char* p = keyword; *p; ++p)
    if (static_cast<unsigned char>(*p) >= 0x80) {
      CFString s = CFString::CreateWithCString(keyword, kTextEncodingMacRoman);
      return s.IsNull() ? CFSTR("") : s;
    }
  return CFSTR(keyword);
}

void PutU32(std::string& out, uint32_t v) {
  out += static_cast<char>(v >> 24);
  out += static_cast<char>(v >> 16);
  out += static_cast<char>(v >> 8);
  out += static_cast<char>(v);
}

void PutBlock(std::string& out, const void* data, size_t length) {
  PutU32(out, static_cast<uint32_t>(length));
  if (length) out.append(static_cast<const char*>(data), length);
}

// Reads records of the extra-entries item one at a time, never past its end.
class ExtraItemReader {
 public:
  ExtraItemReader(const unsigned char* data, long length)
      : p_(data), left_(data && length > 0 ? static_cast<size_t>(length) : 0) {}

  // A new entry, or null at the end, on a damaged record or without memory.
  _PopupItem* Next() {
    const unsigned char *k, *u, *ps;
    uint32_t kn, un, pn, selected;
    if (!Block(k, kn) || !Block(u, un) || !Block(ps, pn) || !U32(selected)) return nullptr;
    auto* item = new (std::nothrow) _PopupItem;
    if (!item) return nullptr;
    if (kn) {
      std::string keyword(reinterpret_cast<const char*>(k), kn);
      item->keyword.reset(new (std::nothrow) CString(keyword.c_str()));
    }
    if (un) item->userName = CFString::CreateFromExternalRepresentation(u, un);
    if (pn) {
      auto* data = static_cast<unsigned char*>(std::malloc(pn));
      if (data) {
        std::memcpy(data, ps, pn);
        item->AdoptPSData(data, static_cast<long>(pn));
      }
    }
    item->selected = selected != 0;
    return item;
  }

 private:
  bool U32(uint32_t& v) {
    if (left_ < 4) return false;
    v = (uint32_t{p_[0]} << 24) | (uint32_t{p_[1]} << 16) | (uint32_t{p_[2]} << 8) | p_[3];
    p_ += 4;
    left_ -= 4;
    return true;
  }
  bool Block(const unsigned char*& data, uint32_t& n) {
    if (!U32(n) || n > left_ || n > INT_MAX) return false;
    data = p_;
    p_ += n;
    left_ -= n;
    return true;
  }

  const unsigned char* p_;
  size_t left_;
};

}  // namespace

int PopupItemStoreId(int id, long n) {
  // Unsigned arithmetic: a damaged store may hand any id, and wrapping is
  // harmless where overflow would not be.
  return static_cast<int>(static_cast<uint32_t>(id) * 100u + static_cast<uint32_t>(n));
}

void PPDXPopupControl::AdoptItems(PointerList& items) {
  // The nodes move over as they are; null entries are dropped.
  items_.Splice(items);
  for (PointerListItr it = items_.Begin(); it != items_.End();) {
    if (*it) {
      ++it;
    } else {
      it = items_.Erase(it);
    }
  }
}

PPDXPopupControl::PPDXPopupControl(const char* keyword, CFString userName, PointerList& flags,
                                   bool visible, bool multiSelect, bool installable,
                                   PointerList& items, CString* defaultKeyword,
                                   UIConstraints* constraints)
    : PPDXControl(keyword, std::move(userName), flags, nullptr, 0, visible, constraints),
      multiSelect_(multiSelect),
      installable_(installable),
      defaultKeyword_(defaultKeyword) {
  SetType(kPopupControl);
  AdoptItems(items);
  if (const char* def = GetDefaultKeyword()) SetKeywordSelect(def, true);
}

PPDXPopupControl::PPDXPopupControl(Settings& settings, int id, UIConstraints* constraints)
    : PPDXControl(settings, id, constraints) {
  SetType(kPopupControl);
  int32_t multi = 0;
  if (ReadStoreInt32(settings, kPopupMultiSelectTag, id, multi) == kSettingsNoErr)
    multiSelect_ = multi != 0;
  defaultKeyword_ = GetSettingsString(settings, kPopupDefaultKeywordTag, id);
  int64_t count = 0;
  ReadStoreInt64(settings, kPopupItemCountTag, id, count);
  if (count < 0) count = 0;

  const _PopupItem* lastSelected = nullptr;
  const int64_t own = count < kPopupItemsWithOwnIds ? count : kPopupItemsWithOwnIds;
  for (int64_t n = 0; n < own; ++n) {
    const int iid = PopupItemStoreId(id, static_cast<long>(n));
    auto* item = new (std::nothrow) _PopupItem;
    if (!item) break;
    item->keyword = GetSettingsString(settings, kPopupItemKeywordTag, iid);
    item->userName = GetSettingsCFString(settings, kPopupItemUserNameTag, iid);
    if (item->userName.IsNull()) {
      // Older stores: a NUL-terminated text in the system encoding.
      if (std::unique_ptr<CString> old = GetSettingsString(settings, kPopupItemOldUserNameTag, iid))
        item->userName = CFString::CreateWithCString(*old, GetApplicationTextEncoding());
    }
    unsigned char* data = nullptr;
    long length = 0;
    if (ReadStoreBytes(settings, kPopupItemPSTag, iid, data, length))
      item->AdoptPSData(data, length);
    int32_t selected = 0;
    if (ReadStoreInt32(settings, kPopupItemSelectedTag, iid, selected) == kSettingsNoErr)
      item->selected = selected != 0;
    if (!items_.PushBack(item)) {
      delete item;
      break;
    }
    if (item->selected) lastSelected = item;
  }
  if (count > own) {
    unsigned char* blob = nullptr;
    long length = 0;
    if (ReadStoreBytes(settings, kPopupExtraItemsTag, id, blob, length)) {
      ExtraItemReader reader(blob, length);
      for (int64_t n = own; n < count; ++n) {
        _PopupItem* item = reader.Next();
        if (!item) break;
        if (!items_.PushBack(item)) {
          delete item;
          break;
        }
        if (item->selected) lastSelected = item;
      }
      std::free(blob);
    }
  }
  lastSelected = StoredChoice(settings, id, lastSelected);
  const char* select = lastSelected ? lastSelected->Keyword() : GetDefaultKeyword();
  if (select) SetKeywordSelect(select, true);
}

PPDXPopupControl::~PPDXPopupControl() {
  DestroyItems();
}

void PPDXPopupControl::DestroyItems() {
  selection_ = PointerListItr();
  itemCursor_ = PointerListItr();
  for (PointerListItr it = items_.Begin(); it != items_.End(); ++it) delete ItemAt(it);
  items_.MakeEmpty();
}

int16_t PPDXPopupControl::Save(Settings& settings, const int& id) {
  int16_t status = PPDXControl::Save(settings, id);
  if (status != kSettingsNoErr) return status;
  const unsigned char marker = 1;
  if ((status = settings.Add(kPopupMarkerTag, id, &marker, 1)) != kSettingsNoErr) return status;
  if ((status = settings.Add(kPopupMultiSelectTag, id, &multiSelect_, 4)) != kSettingsNoErr)
    return status;
  if (const char* def = GetDefaultKeyword())
    if ((status = WriteStoreText(settings, kPopupDefaultKeywordTag, id, def)) != kSettingsNoErr)
      return status;
  const int64_t count = ItemCount();
  if (count == 0) return status;
  if ((status = settings.Add(kPopupItemCountTag, id, &count, 8)) != kSettingsNoErr) return status;
  if (selection_.Node()) {
    int64_t position = 0;
    for (PointerListItr it = items_.Begin(); it != items_.End() && !(it == selection_); ++it)
      ++position;
    if ((status = settings.Add(kPopupSelectionTag, id, &position, 8)) != kSettingsNoErr)
      return status;
  }

  std::string extra;
  long n = 0;
  for (PointerListItr it = items_.Begin(); it != items_.End(); ++it, ++n) {
    _PopupItem* item = ItemAt(it);
    if (n >= kPopupItemsWithOwnIds) {
      try {
        const char* k = item->Keyword();
        PutBlock(extra, k, k ? std::strlen(k) : 0);
        std::vector<uint8_t> name;
        if (!item->userName.IsNull()) name = item->userName.CreateExternalRepresentation();
        PutBlock(extra, name.data(), name.size());
        PutBlock(extra, item->psData, static_cast<size_t>(item->PSLength()));
        PutU32(extra, item->selected ? 1 : 0);
      } catch (const std::bad_alloc&) {
        return kSettingsNoMemory;
      }
      continue;
    }
    const int iid = PopupItemStoreId(id, n);
    if (const char* k = item->Keyword())
      if ((status = WriteStoreText(settings, kPopupItemKeywordTag, iid, k)) != kSettingsNoErr)
        return status;
    if (!item->userName.IsNull())
      if ((status = WriteStoreCFString(settings, kPopupItemUserNameTag, iid, item->userName)) !=
          kSettingsNoErr)
        return status;
    if (item->PSLength() > 0)
      if ((status = WriteStoreBytes(settings, kPopupItemPSTag, iid, item->psData,
                                    item->PSLength())) != kSettingsNoErr)
        return status;
    const int32_t selected = item->selected ? 1 : 0;
    if ((status = settings.Add(kPopupItemSelectedTag, iid, &selected, 4)) != kSettingsNoErr)
      return status;
  }
  if (!extra.empty())
    status = WriteStoreBytes(settings, kPopupExtraItemsTag, id, extra.data(),
                             static_cast<long>(extra.size()));
  return status;
}

int16_t PPDXPopupControl::Restore(Settings& settings, int id) {
  int16_t status = kSettingsNoErr;
  long n = 0;
  PointerListItr it = items_.Begin();
  for (; it != items_.End() && n < kPopupItemsWithOwnIds; ++it, ++n) {
    int32_t selected = 0;
    status = ReadStoreInt32(settings, kPopupItemSelectedTag, PopupItemStoreId(id, n), selected);
    if (status != kSettingsNoErr) return status;
    ItemAt(it)->selected = selected != 0;
  }
  if (it != items_.End()) {
    unsigned char* blob = nullptr;
    long length = 0;
    if (!ReadStoreBytes(settings, kPopupExtraItemsTag, id, blob, length))
      return kSettingsItemNotFound;
    ExtraItemReader reader(blob, length);
    for (; it != items_.End(); ++it) {
      std::unique_ptr<_PopupItem> stored(reader.Next());
      if (!stored) {
        status = kControlStoreWrongSize;
        break;
      }
      ItemAt(it)->selected = stored->selected;
    }
    std::free(blob);
    if (status != kSettingsNoErr) return status;
  }
  const _PopupItem* lastSelected = nullptr;
  for (PointerListItr i = items_.Begin(); i != items_.End(); ++i)
    if (ItemAt(i)->selected) lastSelected = ItemAt(i);
  lastSelected = StoredChoice(settings, id, lastSelected);
  if (lastSelected && lastSelected->Keyword()) SetKeywordSelect(lastSelected->Keyword(), true);
  return kSettingsNoErr;
}

void PPDXPopupControl::ResetToDefaultValue() {
  SetValue(DefaultValue());
}

long PPDXPopupControl::PostScript(unsigned char* buffer) {
  const _PopupItem* sel = SelectionItem();
  if (!sel || !sel->Keyword()) return 0;
  return GetKeywordPSData(sel->Keyword(), buffer);
}

CFString PPDXPopupControl::CopyCurrentControlValueString() {
  const _PopupItem* sel = SelectionItem();
  return KeywordString(sel ? sel->Keyword() : nullptr);
}

CFString PPDXPopupControl::CopyCurrentControlValueStringUTF8() {
  const _PopupItem* sel = SelectionItem();
  const char* k = sel ? sel->Keyword() : nullptr;
  return CFString::FromUTF8(k ? k : "");
}

void PPDXPopupControl::SetCurrentControlWithCFString(const CFString& text) {
  if (text.IsNull()) return;
  const bool colour = IsColourManagementMenu(Keyword());
  const std::string utf8 = text.UTF8();
  long position = 1;
  for (PointerListItr it = items_.Begin(); it != items_.End(); ++it, ++position) {
    const _PopupItem* item = ItemAt(it);
    if ((colour && EqualIgnoringCase(item->userName, text)) || KeywordIs(item, utf8.c_str())) {
      SetValue(position);
      return;
    }
  }
  if (!colour) return;
  auto* item = new (std::nothrow) _PopupItem(utf8.c_str(), text, nullptr, 0);
  if (!item) return;
  AppendPopupItem(item);
  if (!SetKeywordSelect(utf8.c_str(), true)) SetValue(DefaultValue());
}

_PopupItem* PPDXPopupControl::FirstItem() {
  itemCursor_ = items_.Begin();
  return ItemAt(itemCursor_);
}

_PopupItem* PPDXPopupControl::NextItem() {
  if (!itemCursor_.Node() || itemCursor_ == items_.End()) return nullptr;
  ++itemCursor_;
  return ItemAt(itemCursor_);
}

void PPDXPopupControl::AppendPopupItem(_PopupItem* item) {
  if (item && !items_.PushBack(item)) delete item;
}

long PPDXPopupControl::GetValue() const {
  long position = 1;
  for (ConstPointerListItr it = items_.Begin(); it != items_.End(); ++it, ++position)
    if (static_cast<const _PopupItem*>(*it)->selected) return position;
  return 0;
}

void PPDXPopupControl::SetValue(long index) {
  long position = 1;
  for (PointerListItr it = items_.Begin(); it != items_.End(); ++it, ++position) {
    _PopupItem* item = ItemAt(it);
    if (position == index) {
      item->selected = 1;
      selection_ = it;
    } else {
      item->selected = 0;
    }
  }
  if (const _PopupItem* sel = SelectionItem()) ReportOption(sel->Keyword());
}

long PPDXPopupControl::DefaultValue() const {
  long computed = 0;
  if (const char* def = GetDefaultKeyword()) {
    long position = 1;
    for (ConstPointerListItr it = items_.Begin(); it != items_.End(); ++it, ++position)
      if (KeywordIs(static_cast<const _PopupItem*>(*it), def)) {
        computed = position;
        break;
      }
  }
  if (defaultOverride_ != 0 && (!gPopupJobNotesDoneInitializing || gPopupJobNotesFoundOne))
    return defaultOverride_;
  return computed;
}

bool PPDXPopupControl::SetKeywordSelect(const char* option, bool select) {
  if (!option || items_.Empty()) return false;
  bool matched = false;
  for (PointerListItr it = items_.Begin(); it != items_.End(); ++it) {
    _PopupItem* item = ItemAt(it);
    if (KeywordIs(item, option)) {
      item->selected = select;
      selection_ = it;
      matched = true;
      if (multiSelect_) break;
    } else if (!multiSelect_) {
      item->selected = 0;
    }
  }
  ReportOption(option);
  return matched;
}

bool PPDXPopupControl::IsKeywordSelected(const char* option) const {
  if (!option) return false;
  for (ConstPointerListItr it = items_.Begin(); it != items_.End(); ++it) {
    const auto* item = static_cast<const _PopupItem*>(*it);
    if (item->selected && KeywordIs(item, option)) return true;
  }
  return false;
}

const char* PPDXPopupControl::GetDefaultKeyword() const {
  return defaultKeyword_ && !defaultKeyword_->Empty() ? static_cast<const char*>(*defaultKeyword_)
                                                      : nullptr;
}

long PPDXPopupControl::GetKeywordPSData(const char* option, unsigned char* buffer) {
  const _PopupItem* item = FindItem(option);
  if (!item) return 0;
  return GeneratePSOutputData(buffer, item->psData, item->PSLength(), option, true);
}

const char* PPDXPopupControl::GetKeywordLocalName(const char* option) {
  _PopupItem* item = FindItem(option);
  if (!item || item->userName.IsNull()) return nullptr;
  return item->displayName();
}

CFString PPDXPopupControl::GetKeywordCFLocalName(const char* option) const {
  const _PopupItem* item = FindItem(option);
  return item ? item->userName : CFString();
}

CFString PPDXPopupControl::GetKeywordLocalNameAtIndex(long index) {
  if (index >= 0) {
    long position = 0;
    for (PointerListItr it = items_.Begin(); it != items_.End(); ++it, ++position)
      if (position == index) {
        if (!ItemAt(it)->userName.IsNull()) return ItemAt(it)->userName;
        break;
      }
  }
  ResetToDefaultValue();
  return CopyCurrentControlValueString();
}

bool PPDXPopupControl::Rebuild(const char* userName, PointerList& items, CString* defaultKeyword) {
  const _PopupItem* sel = SelectionItem();
  if (!sel) return false;
  std::string remembered = sel->Keyword() ? sel->Keyword() : "";
  const bool hadKeyword = sel->Keyword() != nullptr;

  if (userName && std::strcmp(userName, UserName() ? UserName() : "") != 0) {
    CFString name = CFString::CreateWithCString(userName, GetApplicationTextEncoding());
    if (!name.IsNull()) {
      translation_ = name;
      userName_.ClearBuffer();
      userNameMade_ = false;
    }
  }
  DestroyItems();
  AdoptItems(items);
  defaultKeyword_.reset(defaultKeyword);
  if (const char* def = GetDefaultKeyword()) SetKeywordSelect(def, true);
  if (hadKeyword && FindItem(remembered.c_str())) SetKeywordSelect(remembered.c_str(), true);
  return true;
}

_PopupItem* PPDXPopupControl::FindItem(const char* option) const {
  if (!option) return nullptr;
  for (ConstPointerListItr it = items_.Begin(); it != items_.End(); ++it) {
    auto* item = static_cast<_PopupItem*>(const_cast<void*>(*it));
    if (KeywordIs(item, option)) return item;
  }
  return nullptr;
}

_PopupItem* PPDXPopupControl::ItemAtPosition(int64_t position) const {
  if (position < 0) return nullptr;
  for (ConstPointerListItr it = items_.Begin(); it != items_.End(); ++it, --position)
    if (position == 0) return static_cast<_PopupItem*>(const_cast<void*>(*it));
  return nullptr;
}

const _PopupItem* PPDXPopupControl::StoredChoice(Settings& settings, int id,
                                                 const _PopupItem* lastSelected) const {
  int64_t position = -1;
  if (ReadStoreInt64(settings, kPopupSelectionTag, id, position) != kSettingsNoErr)
    return lastSelected;
  const _PopupItem* item = ItemAtPosition(position);
  return item && item->selected && item->Keyword() ? item : lastSelected;
}

_PopupItem* PPDXPopupControl::SelectionItem() const {
  return selection_.Node() ? static_cast<_PopupItem*>(*selection_) : nullptr;
}

bool CanSelectMultipleItems(PPDXPopupControl* control) {
  return control && control->CanSelectMultipleItems();
}
const char* GetDefaultKeyword(PPDXPopupControl* control) {
  return control ? control->GetDefaultKeyword() : nullptr;
}
const char* GetKeywordLocalName(PPDXPopupControl* control, const char* option) {
  return control ? control->GetKeywordLocalName(option) : nullptr;
}
long GetKeywordPSData(PPDXPopupControl* control, const char* option, unsigned char* buffer) {
  return control ? control->GetKeywordPSData(option, buffer) : 0;
}
bool IsKeywordSelected(PPDXPopupControl* control, const char* option) {
  return control && control->IsKeywordSelected(option);
}
bool SetKeywordSelect(PPDXPopupControl* control, const char* option, bool select) {
  return control && control->SetKeywordSelect(option, select);
}
long PopupItemCount(PPDXPopupControl* control) {
  return control ? control->ItemCount() : 0;
}

namespace {
bool FillInfo(const _PopupItem* item, PopupItemInfo* info) {
  if (!item) return false;
  info->keyword = item->Keyword();
  info->userName = item->userName;
  return true;
}
}  // namespace

bool FirstItem(PPDXPopupControl* control, PopupItemInfo* info) {
  if (!info) return false;
  *info = PopupItemInfo();
  return control && FillInfo(control->FirstItem(), info);
}
bool NextItem(PPDXPopupControl* control, PopupItemInfo* info) {
  if (!info) return false;
  *info = PopupItemInfo();
  return control && FillInfo(control->NextItem(), info);
}
long PopupPostScript(PPDXPopupControl* control, unsigned char* buffer) {
  return control ? control->PostScript(buffer) : 0;
}
long GetPopupValue(PPDXPopupControl* control) {
  return control ? control->GetValue() : 0;
}
void SetPopupValue(PPDXPopupControl* control, long index) {
  if (control) control->SetValue(index);
}
long GetPopupDefaultValue(PPDXPopupControl* control) {
  return control ? control->DefaultValue() : 0;
}
