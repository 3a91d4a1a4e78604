// A PPD pick-one or pick-many menu. Its entries carry an option keyword, a
// user name and a PostScript fragment; every selection change is reported to
// the UI constraints as (control keyword, option keyword).
//
// Saved form: the menu's own items under the control id, and the items of
// entry n under id x 100 + n for the first 100 entries. Entries from the
// 100th on would take the ids of the next control's entries, so they are
// kept together in one item 'PCXI' under the control id instead (see
// PPDXPopupControl.cpp for its layout).
#pragma once

#include <cstdint>
#include <memory>

#include "PPDX/PPDObjects/Controls/PPDXControl.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControlFlags.h"
#include "PPDX/PPDObjects/Controls/PopupItem.h"

constexpr unsigned int kPopupMarkerTag = ControlTag("PopC");
constexpr unsigned int kPopupMultiSelectTag = ControlTag("PCMS");
constexpr unsigned int kPopupDefaultKeywordTag = ControlTag("PCDK");
constexpr unsigned int kPopupItemCountTag = ControlTag("PCIC");
constexpr unsigned int kPopupItemKeywordTag = ControlTag("PCIK");
constexpr unsigned int kPopupItemUserNameTag = ControlTag("PCFN");
constexpr unsigned int kPopupItemOldUserNameTag = ControlTag("PCIN");  // read only
constexpr unsigned int kPopupItemPSTag = ControlTag("PCIP");
constexpr unsigned int kPopupItemSelectedTag = ControlTag("PCIS");
constexpr unsigned int kPopupExtraItemsTag = ControlTag("PCXI");
// 0-based position of the item selected last, 8 bytes: in a pick-many menu
// the selected flags alone do not tell which item the PostScript comes from.
constexpr unsigned int kPopupSelectionTag = ControlTag("PCSL");

// Entries stored under their own ids; the rest go into 'PCXI'.
constexpr long kPopupItemsWithOwnIds = 100;

// The store id of entry n (n < kPopupItemsWithOwnIds) of the control with id.
int PopupItemStoreId(int id, long n);

class PPDXPopupControl : public PPDXControl {
 public:
  // Takes over the items (the caller's list is emptied) and the default
  // keyword, which is then selected.
  PPDXPopupControl(const char* keyword, CFString userName, PointerList& flags, bool visible,
                   bool multiSelect, bool installable, PointerList& items, CString* defaultKeyword,
                   UIConstraints* constraints);
  // From the store items under id; never installable.
  PPDXPopupControl(Settings& settings, int id, UIConstraints* constraints);
  ~PPDXPopupControl() override;

  int16_t Save(Settings& settings, const int& id) override;
  void ResetToDefaultValue() override;  // SetValue(DefaultValue())
  // The feature code of the item selected last; 0 without a selection.
  long PostScript(unsigned char* buffer) override;
  // Reads the selected flags of the items and selects the last selected one.
  int16_t Restore(Settings& settings, int id) override;
  // The keyword of the item selected last; the empty string without one.
  CFString CopyCurrentControlValueString() override;
  void SetCurrentControlWithCFString(const CFString& text) override;
  bool IsInstallableOption() override { return installable_ != 0; }

  CFString CopyCurrentControlValueStringUTF8();

  long ItemCount() const { return static_cast<long>(items_.Size()); }
  _PopupItem* FirstItem();
  _PopupItem* NextItem();
  void AppendPopupItem(_PopupItem* item);  // takes over; null ignored

  // 1-based position of the first selected item; 0 when none.
  long GetValue() const;
  // Selects the item at a 1-based position only; 0 or past the end deselects
  // every item. Reports the (previous) selection.
  void SetValue(long index);
  void SetDefaultValue(long index) { defaultOverride_ = static_cast<int32_t>(index); }
  long DefaultValue() const;

  bool SetKeywordSelect(const char* option, bool select);
  bool IsKeywordSelected(const char* option) const;
  bool CanSelectMultipleItems() const { return multiSelect_ != 0; }
  const char* GetDefaultKeyword() const;

  long GetKeywordPSData(const char* option, unsigned char* buffer);
  const char* GetKeywordLocalName(const char* option);  // kept by the model
  CFString GetKeywordCFLocalName(const char* option) const;
  // 0-based; past the end (or without a user name) the menu is reset to its
  // default and the current value string is returned.
  CFString GetKeywordLocalNameAtIndex(long index);

  // The menu declared again: false (nothing changed, the items stay the
  // caller's) when nothing is selected; otherwise the items and the default
  // are replaced and the selected keyword is selected again when it remains.
  bool Rebuild(const char* userName, PointerList& items, CString* defaultKeyword);

 private:
  _PopupItem* FindItem(const char* option) const;
  _PopupItem* SelectionItem() const;
  _PopupItem* ItemAtPosition(int64_t position) const;  // 0-based; null outside
  // After a read: the stored last choice when it is still selected and has a
  // keyword to select it by, else the last selected item in menu order.
  const _PopupItem* StoredChoice(Settings& settings, int id, const _PopupItem* lastSelected) const;
  // Takes every item of a list (which is left empty) after the present ones.
  void AdoptItems(PointerList& items);
  void DestroyItems();
  void ReportOption(const char* option) { UpdateKVCache(Keyword(), option); }

  int32_t multiSelect_ = 0;
  int32_t installable_ = 0;
  int32_t defaultOverride_ = 0;
  std::unique_ptr<CString> defaultKeyword_;
  PointerList items_;  // owned _PopupItem*
  PointerListItr itemCursor_;
  PointerListItr selection_;  // null iterator when none
};

// Null-safe wrappers: a null control gives false, 0 or null, or does nothing.
bool CanSelectMultipleItems(PPDXPopupControl* control);
const char* GetDefaultKeyword(PPDXPopupControl* control);
const char* GetKeywordLocalName(PPDXPopupControl* control, const char* option);
long GetKeywordPSData(PPDXPopupControl* control, const char* option, unsigned char* buffer);
bool IsKeywordSelected(PPDXPopupControl* control, const char* option);
bool SetKeywordSelect(PPDXPopupControl* control, const char* option, bool select);
long PopupItemCount(PPDXPopupControl* control);
// Fill info (cleared first) with the item's keyword and user name; false at
// the end, for a null control or a null info.
bool FirstItem(PPDXPopupControl* control, PopupItemInfo* info);
bool NextItem(PPDXPopupControl* control, PopupItemInfo* info);
long PopupPostScript(PPDXPopupControl* control, unsigned char* buffer);
long GetPopupValue(PPDXPopupControl* control);
void SetPopupValue(PPDXPopupControl* control, long index);
long GetPopupDefaultValue(PPDXPopupControl* control);
