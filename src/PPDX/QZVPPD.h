// The feature document of a Tavro controller's PPD: reads the queue's PPD once,
// line by line, and builds the feature model (property pages, scroll panes,
// roll-downs and groups, controls, shortcuts, UI constraints). Only
// vendor-flagged declarations become controls. The same model can be rebuilt
// from saved settings without reading the PPD.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/DisplayOptions.h"
#include "PPDX/PPDTokenLimits.h"
#include "PPDX/PPDX.h"
#include "PPDX/PPDXErrorCodes.h"
#include "foundation/CString.h"
#include "foundation/PointerList.h"
#include "platform/CFString.h"

class PPDStream;
class PPDFileStream;
class PPDXErrorObj;
class PPDXControl;
class PPDXControls;
class PPDXGroup;
class PPDXGroups;
class PPDXRollDown;
class PPDXProperties;
class PPDXProperty;
class PPDXPopupControl;
class PPDXShortcuts;
class Settings;
class UIConstraints;

// Which elements parsing keeps: bit 1 groups that no control uses (orphans),
// bit 2 hidden groups and parents. The panel parses with both.
enum _PARSE_OPTIONS_ : int32_t {
  kParseNoOptions = 0,
  kParseOrphans = 1,
  kParseHidden = 2,
  kParseOrphansAndHidden = 3,
};

// Which job-note flag words the parser accepts; -1 (the initial value) all.
enum _EXTENSIONS_SUPPORT_ : int32_t {
  kExtensionsAll = -1,
  kExtensionsLevel0 = 0,
  kExtensionsLevel1 = 1,
  kExtensionsLevel2 = 2,
};

// A group declared by a group-name line, kept until parsing ends.
struct GroupName {
  CString name;
  CFString translation;
  bool visible = false;
};

// Title of the accounting pop-up window, given by the PPD's sub-group name
// "FPPopupAccounting"; null when the PPD gives none.
extern CFString gPopupAccountingWindowTitle;
// Set by the panel when page setup chose a custom page size; the print-size
// rule of the constraint test reads it.
extern bool gPageSetupCustomPageSize;

class QZVPPD : public PPDX {
 public:
  // An empty model (no PPD file), built at once.
  explicit QZVPPD(_PARSE_OPTIONS_ options);
  // Opens the PPD (checking its PC file name against the allowed names when
  // they are given) and builds the model from it.
  QZVPPD(const std::filesystem::path& ppd, _PARSE_OPTIONS_ options,
         const PCFileNameList* allowedNames = nullptr);
  // Rebuilds the model from saved settings; the PPD is not read.
  QZVPPD(Settings& settings, const std::filesystem::path& ppd,
         const PCFileNameList* allowedNames = nullptr);
  ~QZVPPD() override;
  QZVPPD(const QZVPPD&) = delete;
  QZVPPD& operator=(const QZVPPD&) = delete;

  // Makes the model collections, parses the PPD when there is one, then adds
  // an error for each of the property pages, groups and controls left empty.
  void Build();
  void Parse() override;
  PPDXErrorObj* ParsePSKeywords(PPDStream& line, const char* keyword) override;
  bool BuildFromSettings(Settings& settings);
  bool Save(Settings& settings) override;
  bool Restore(Settings& settings);

  PPDXProperties* GetProperties() const { return properties_.get(); }
  PPDXGroups* GetGroups() const { return groups_.get(); }
  PPDXControls* GetControls() const { return controls_.get(); }
  PPDXShortcuts* GetShortcuts() const { return shortcuts_.get(); }
  UIConstraints* GetUIConstraints() const { return constraints_.get(); }
  // The PPD's path (false, path unchanged, without a PPD file).
  bool GetFileSpec(std::filesystem::path& path) const;
  // The PPD's file name into a buffer of at least 256 bytes (empty without file).
  void GetPPDFileName(char* name) const;
  // The file version, version and Mac version strings of the vendor lines.
  const char* QZFileVersion() const { return fileVersion_.Buffer(); }
  const char* QZVersionString() const { return version_.Buffer(); }
  const char* QZMacVersion() const { return macVersion_.Buffer(); }
  // Every line that carried "*DMT_Injection", each followed by a line feed.
  const std::string& DMTInjectionText() const { return dmtInjection_; }
  // The value of the injected "*DMT_Injection" data after parsing, as 8-bit
  // text; empty when the PPD carries none.
  const std::string& CustomXmlData() const { return customXmlData_; }
  // A line that a stand-alone job note looked at but did not use; the main
  // loop parses it before reading on. False when there is none.
  bool TakeLookAheadLine(char* buffer);

  bool ParseOrphans() const { return (parseOptions_ & kParseOrphans) != 0; }
  bool ParseHidden() const { return (parseOptions_ & kParseHidden) != 0; }

  // The class-wide display options (one value for the whole process).
  static _DISPLAY_OPTIONS_ Options();
  static _DISPLAY_OPTIONS_ Options(_DISPLAY_OPTIONS_ options);
  static void IncludeOrphans();
  static void IncludeHidden();
  static void ExcludeOrphans();  // both Exclude calls reset the options to 0
  static void ExcludeHidden();
  static _EXTENSIONS_SUPPORT_ GetExtensions();
  static void SetExtensions(_EXTENSIONS_SUPPORT_ extensions);

  // Value access by keyword (the leading "*" included).
  PPDXControl* GetPPDXControlForKey(const CFString& key) const;
  CFString CopyValueForKey(const CFString& key) const;
  void SetValueForKey(const CFString& key, const CFString& value);
  std::vector<std::pair<CFString, CFString>> CopyAllValues() const;
  void SetAllValues(const std::vector<std::pair<CFString, CFString>>& values);

  // Would choosing option for keyword conflict with the current choices?
  bool IsKVConstrained(const char* keyword, const char* option);
  bool IsKVConstrained(long keyword, long option);

  bool operator==(const QZVPPD& other) const;

  // Pop-ups made by a caller instead of the PPD.
  PPDXPopupControl* PPDCreatePopupMenu(const char* groupName, const char* keyword,
                                       const char* translation, PointerList& items,
                                       CString* defaultKeyword);
  bool PPDReconcilePopupMenu(const char* keyword, const char* translation, PointerList& items,
                             CString* defaultKeyword);

  // Declaration handlers, run by the main loop on a stream over the line behind
  // its main keyword. Each answers one error object (the caller records it) or
  // null.
  PPDXErrorObj* ParseGroupName(PPDStream& line);
  PPDXErrorObj* ParseSubGroupName(PPDStream& line);
  PPDXErrorObj* ParseParent(PPDStream& line);
  PPDXErrorObj* ParseFlags(PPDStream& line);
  PPDXErrorObj* ParseGroup(PPDStream& line, const char* keyword, PointerList& flags);
  PPDXErrorObj* ParseOpenUI(PPDStream& line, const char* keyword, PointerList& flags,
                            PPDXGroup* group);
  PPDXErrorObj* ParseOpenUIQZV(PPDStream& line, const char* keyword, PointerList& flags,
                               PPDXGroup* group);
  PPDXErrorObj* ParsePopupControl(const char* keyword, const CFString& translation,
                                  PointerList& flags, PPDXGroup* group, const bool& pickMany);
  PPDXErrorObj* ParseBooleanControl(const char* keyword, const CFString& translation,
                                    PointerList& flags, PPDXGroup* group);
  PPDXErrorObj* ParseRange(PPDStream& line, const char* keyword, PointerList& flags,
                           PPDXGroup* group);
  PPDXErrorObj* ParseFloatRange(PPDStream& line, const char* keyword, PointerList& flags,
                                PPDXGroup* group);
  PPDXErrorObj* ParseCustomPageSize(PPDStream& line, const char* mainKeyword);

  // Vendor extension blocks.
  PPDXErrorObj* ParseJobNote(PPDStream& line, const char* keyword, PointerList& flags,
                             PPDXGroup* group);
  PPDXErrorObj* ParseJobNote(PPDStream& line);
  PPDXErrorObj* ParseSpecialOption(PPDStream& line);
  PPDXErrorObj* ParseShortcut(PPDStream& line);
  PPDXErrorObj* ParsePropertyPage(PPDStream& line);
  PPDXErrorObj* ParseUIConstraint(PPDStream& line, bool required);
  void ParseDMTInjection(const char* text);
  void ReadCustXmlData(const std::string& text);
  void ReadPUJNPrefs();

  // Places a new control in its group and in the document's controls.
  void SetupControl(PPDXGroup* group, PPDXControl* control, bool strict);
  // The group of that name, made from the group-name records when it is not
  // in the groups yet; null when no record has that name.
  PPDXGroup* FindAndCreateParent(const char* name);
  void CollectOrphanGroups();
  void ResolveShortcuts();
  void ResolveHeirarchy();

 private:
  // Flag strings of a flag line; a control that is made takes them over,
  // whatever is left is freed with the list.
  class FlagList {
   public:
    FlagList() = default;
    ~FlagList();
    FlagList(const FlagList&) = delete;
    FlagList& operator=(const FlagList&) = delete;
    void Append(const char* word);
    PointerList& List() { return list_; }

   private:
    PointerList list_;
  };

  // The next line of the current stream; false when none could be read.
  bool ReadNextLine(char* buffer);
  std::vector<std::string> ReadFlagWords(PPDStream& line);
  // The next line, kept for the main loop until TakeLookAheadLine.
  bool ReadLookAheadLine(char* buffer);
  struct PostScriptCode {
    unsigned char* data = nullptr;  // malloc'ed until a control takes it
    long length = 0;
    ~PostScriptCode() { std::free(data); }
  };
  PPDXErrorObj* MakeJobNote(const char* keyword, const char* translation, PointerList& flags,
                            PostScriptCode& code, const char* defaultText, long maxLength,
                            uint32_t bits, long minLength, PPDXGroup* group);
  // The rest of a job-note declaration line: option, translation, maximum
  // length and flag words. A note in an option block must name its keyword.
  struct JobNoteHeader {
    char option[kPPDLineBufferSize] = {};
    char translation[kPPDLineBufferSize] = {};
    long maxLength = 0;
    uint32_t bits = 0;  // job-note flag bits
    long minLength = 0;
  };
  // False when no note is made: error is then the declaration's error, or
  // null for a line that ends before its length.
  bool ReadJobNoteHeader(PPDStream& line, const char* blockKeyword, bool inBlock,
                         JobNoteHeader& header, PPDXErrorObj*& error);
  PPDXErrorObj* ParseVendorVersionLine(PPDStream& line, CString& into);
  PPDXErrorObj* ParseOpenGroup(PPDStream& line);
  PPDXErrorObj* ParseCloseGroup(PPDStream& line);
  bool ReadPostScriptValue(PPDStream& line, unsigned char*& data, long& length);
  void SplitKeywordAndTranslation(const char* part, char* keyword, char* translation,
                                  bool stripTranslation);
  // Walks an option block up to its closing line: onDefault(value) for each
  // default line of keyword, onOption(option, translation, rest of line) for
  // each option line. A callback that returns false stops the walk.
  enum class OptionBlockEnd { kClosed, kEndOfFile, kStopped };
  template <typename OnDefault, typename OnOption>
  OptionBlockEnd ReadOptionBlock(const char* keyword, OnDefault onDefault, OnOption onOption);
  template <typename Number, typename Control, typename Reader>
  PPDXErrorObj* ParseRangeDeclaration(PPDStream& line, const char* keyword, PointerList& flags,
                                      PPDXGroup* group, const char* delimiters, Reader read);
  static bool IsOpenUIKeyword(const char* keyword);
  CFString ConvertText(const char* text);
  const GroupName* FindGroupName(const char* name) const;
  // Finders over every element, whatever the display options.
  PPDXGroup* FindGroup(const char* name) const;
  PPDXControl* FindControl(const char* keyword) const;
  // The control of that keyword after n others of it (n = 0: the first).
  PPDXControl* NthControl(const char* keyword, int n) const;
  // The model owns its elements; the collections only point to them.
  void AdoptGroup(std::unique_ptr<PPDXGroup> group);
  void AdoptControl(std::unique_ptr<PPDXControl> control);
  void AdoptProperty(std::unique_ptr<PPDXProperty> property);
  void RebuildCustomPrintSize(Settings& settings);

  _PARSE_OPTIONS_ parseOptions_ = kParseNoOptions;
  std::unique_ptr<PPDXProperties> properties_;
  std::unique_ptr<PPDXGroups> groups_;
  std::unique_ptr<PPDXControls> controls_;
  std::unique_ptr<PPDXShortcuts> shortcuts_;
  std::unique_ptr<UIConstraints> constraints_;
  // The groups and controls the model owns; the collections only point.
  std::vector<std::unique_ptr<PPDXGroup>> ownedGroups_;
  std::vector<std::unique_ptr<PPDXControl>> ownedControls_;
  std::vector<std::unique_ptr<PPDXProperty>> ownedProperties_;
  std::vector<GroupName> groupNames_;
  // Shortcut names are resolved after the whole PPD is read; the line of each
  // goes with it for the error about a name that finds no control.
  struct ShortcutName {
    CString name;
    long line = 0;
  };
  std::vector<ShortcutName> shortcutNames_;
  bool crlfLineEnds_ = false;  // the PPD being parsed ends its lines with CR LF
  bool inInstallableOptions_ = false;
  PPDXRollDown* installableOptions_ = nullptr;
  CString fileVersion_;
  CString version_;
  CString macVersion_;
  std::string dmtInjection_;
  std::string customXmlData_;
  std::string decodedDMT_;  // no decoder for the special-option DMT block: stays empty
  char lookAheadLine_[kPPDLineBufferSize] = {};
  bool lookAheadPending_ = false;
};
