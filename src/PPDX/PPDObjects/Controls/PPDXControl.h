// The common base of every feature control: its kind, an order value, the
// flag words the PPD gave it, an optional PostScript fragment and the UI
// constraint facade that value changes are reported to. It also holds the two
// PostScript routines every concrete control uses: wrapping a fragment in a
// %%BeginFeature/%%EndFeature pair (size-then-fill: a null buffer asks for the
// byte count) and substituting a value into a fragment.
#pragma once

#include <cstdint>

#include "PPDX/PPDObjects/Controls/Settings.h"
#include "PPDX/PPDObjects/PPDXElement.h"
#include "foundation/CString.h"
#include "foundation/PointerList.h"
#include "platform/CFString.h"

class UIConstraints;

enum CNTL_TYPE : int32_t {
  kNoControl = 0,
  kJobNoteControl = 1,
  kRangeControl = 2,
  kFloatRangeControl = 3,
  kBooleanControl = 4,
  kPopupControl = 5,
  kSpecialOptionControl = 6,
  kCustomPageSizeControl = 7,
};

// A four-character store tag, 'Ordr' style, without multi-character literals.
constexpr unsigned int ControlTag(const char (&code)[5]) {
  return (static_cast<unsigned int>(static_cast<unsigned char>(code[0])) << 24) |
         (static_cast<unsigned int>(static_cast<unsigned char>(code[1])) << 16) |
         (static_cast<unsigned int>(static_cast<unsigned char>(code[2])) << 8) |
         static_cast<unsigned int>(static_cast<unsigned char>(code[3]));
}

constexpr unsigned int kControlOrderTag = ControlTag("Ordr");   // order, 2 bytes
constexpr unsigned int kControlPSDataTag = ControlTag("PSDt");  // fragment bytes
constexpr unsigned int kControlFlagsTag = ControlTag("CFlg");   // "word|word|"

// Where a control's value changes go. The default forwards to the control's
// UIConstraints (nothing for a null facade). Replaceable so that a caller can
// watch the reports; returns the reporter that was in place.
using ControlKVReporter = void (*)(UIConstraints* constraints, const char* key, const char* option);
using ControlKVIdReporter = void (*)(UIConstraints* constraints, long keyId, long optionId);
ControlKVReporter SetControlKVReporter(ControlKVReporter reporter);
ControlKVIdReporter SetControlKVIdReporter(ControlKVIdReporter reporter);
void DefaultControlKVReporter(UIConstraints* constraints, const char* key, const char* option);
void DefaultControlKVIdReporter(UIConstraints* constraints, long keyId, long optionId);

class PPDXControl : public PPDXElement {
 public:
  // An empty element: type 0, no flags, no fragment, no constraints.
  PPDXControl();
  // Takes over the flag words (the CString objects in flags; the list is
  // emptied) and the malloc'ed fragment.
  PPDXControl(const char* keyword, CFString userName, PointerList& flags, unsigned char* psData,
              long psLength, bool visible, UIConstraints* constraints);
  // Element part from the store, then 'Ordr', 'PSDt' and 'CFlg' under id.
  PPDXControl(Settings& settings, int id, UIConstraints* constraints);
  ~PPDXControl() override;
  PPDXControl(const PPDXControl&) = delete;
  PPDXControl& operator=(const PPDXControl&) = delete;

  // Writes the element items, then 'Ordr', 'PSDt' (when there is a fragment)
  // and 'CFlg' (when there is a flag word); stops at the first store error.
  int16_t Save(Settings& settings, const int& id) override;
  virtual void ResetToDefaultValue() = 0;
  // Copies the fragment into buffer (when non-null); returns its length.
  virtual long PostScript(unsigned char* buffer);
  // Restores the current value only.
  virtual int16_t Restore(Settings& settings, int id) = 0;
  virtual CFString CopyCurrentControlValueString() = 0;
  virtual void SetCurrentControlWithCFString(const CFString& text) = 0;
  virtual CFString CopyPresetValueString();                 // the current value string
  virtual void SetPresetValueString(const CFString& text);  // sets the current value
  virtual bool IsInstallableOption();                       // false

  CNTL_TYPE Type() const { return type_; }
  int16_t Order() const { return order_; }
  void SetOrder(int16_t order) { order_ = order; }

  long ControlFlagCount() const { return static_cast<long>(flags_.Size()); }
  // One shared cursor per control; null at the end or without flags.
  const char* FirstControlFlag();
  const char* NextControlFlag();
  bool FindControlFlag(const char* word) const;  // exact, case-sensitive
  bool IsDynamic() const { return FindControlFlag("Dynamic"); }
  bool IsCommand() const { return FindControlFlag("Command"); }
  bool IsSpooler() const { return FindControlFlag("Spooler"); }
  bool IsNoTavroDriverUI() const {
    return FindControlFlag("NoTavroDriverUI") || FindControlFlag("DriverUserDisplayHidden");
  }
  bool IsSetup() const { return FindControlFlag("Setup"); }
  bool IsMacTJN() const { return FindControlFlag("MacTJN"); }
  bool IsMacImgShift() const { return FindControlFlag("MacIS"); }

  // False for null and for the 30 keywords reserved for the colour-management
  // and local page properties.
  static bool ValidKeyword(const char* keyword);

  // With wrap: "%%BeginFeature: " K " " O "\n", then data (or one "\n" when
  // there is none), then "%%EndFeature\n". Without wrap: data or "\n" alone.
  // A null buffer writes nothing and returns the same length.
  long GeneratePSOutputData(unsigned char* buffer, const unsigned char* data, long length,
                            const char* option, bool wrap) const;
  // Replaces every "<name>" in the fragment by value (hexadecimal string form
  // for job notes, backslashes doubled unless the fragment starts with "%%").
  // out receives a new malloc'ed NUL-terminated buffer owned by the caller
  // (null when memory runs out); returns its length without the terminator.
  long Inject(const char* name, const unsigned char* data, long length, const char* value,
              unsigned char*& out) const;

  // Report a value change to the constraint facade.
  void UpdateKVCache(const char* key, const char* option);
  void UpdateKVCache(long keyId, long optionId);
  UIConstraints* Constraints() const { return constraints_; }

 protected:
  void SetType(CNTL_TYPE type) { type_ = type; }
  const unsigned char* PSData() const { return psData_; }
  long PSLength() const { return static_cast<long>(psLength_); }

 private:
  CNTL_TYPE type_ = kNoControl;
  int16_t order_ = 0;
  PointerList flags_;  // owned CString*
  PointerListItr flagCursor_;
  unsigned char* psData_ = nullptr;  // malloc'ed, not NUL-terminated
  int64_t psLength_ = 0;
  UIConstraints* constraints_ = nullptr;  // not owned
};

// Null-safe wrappers: a null control gives 0, false or null, or does nothing.
long GetControlFlagCount(PPDXControl* control);
const char* GetFirstControlFlag(PPDXControl* control);
const char* GetNextControlFlag(PPDXControl* control);
bool IsCommandControl(PPDXControl* control);
bool IsSpoolerControl(PPDXControl* control);
bool IsNoTavroDriverUIControl(PPDXControl* control);
bool IsSetupControl(PPDXControl* control);
bool IsMacTJNControl(PPDXControl* control);
bool IsMacImgShiftControl(PPDXControl* control);
long GetPostScript(PPDXControl* control, unsigned char* buffer);
void ResetControlToDefault(PPDXControl* control);
// False for a null handle, else ValidKeyword(keyword).
bool IsValidControlKeyword(const void* handle, const char* keyword);
