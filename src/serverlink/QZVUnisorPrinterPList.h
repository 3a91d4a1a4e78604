// The per-printer preferences list: one flat array in which each printer
// takes a run of elements
//   name, address, two-way flag (boolean), record version ("2"),
//   data blocks: a header "<id>:<line count>" and that many lines,
//   "----- Data End -----"
// Older records hold version "0" (nothing after the version) or "1" (a line
// count and that many lines); Add brings them to version "2".
#pragma once

#include <string>
#include <vector>

#include "foundation/PropertyListFile.h"
#include "platform/CFString.h"

inline constexpr const char* kUnisorPrinterPListName =
    "/Library/Preferences/QZV.UnisorPrinterV2.plist";
inline constexpr const char* kUnisorRecordVersion = "2";
inline constexpr const char* kUnisorDataEnd = "----- Data End -----";
// Lines are handed over in slots of this size; a line holds at most 1023 bytes.
inline constexpr size_t kUnisorLineSlot = 1024;

class QZVUnisorPrinterPList : public PropertyListFile {
 public:
  // Reads the list (an empty one when there is none, or when the stored one
  // is no array: that one is kept aside on the next save).
  QZVUnisorPrinterPList();

  // Index of the record's first element: the first text equal to the name
  // (without regard to letter case) followed by a text and a boolean. Found
  // false (and -1) when absent.
  long Exists(const CFString& name, bool& found) const;
  bool Find(const CFString& name) const;
  // Adds a printer, or replaces a known one's address and flag (bringing an
  // old record to version "2"). False without a name or address, or when
  // either holds a NUL character.
  bool Add(const CFString& name, const CFString& address, bool enabled);
  // The stored address; null for an unknown printer.
  CFString CopyAddress(const CFString& name) const;
  bool getIPEnabled(const CFString& name) const;
  // False for an unknown printer.
  bool setIPEnabled(const CFString& name, bool enabled);

  // Stores block `blockId` of a version "2" record: an older block with that
  // identifier goes, the new one is put right after the version element.
  // `lines` holds `lineCount` slots of kUnisorLineSlot bytes, each a
  // NUL-terminated UTF-8 line.
  bool AddDataBlob(const CFString& name, int lineCount, int blockId, const char* lines);
  bool AddDataBlob(const CFString& name, int blockId, const std::vector<std::string>& lines);
  // Appends the block's lines to `lines`; false (nothing appended) when the
  // record, the block or any of its lines is missing.
  bool GetDataBlob(const CFString& name, int blockId, std::vector<std::string>& lines) const;

  // Writes the list back (see PropertyListFile::Save).
  bool Save();

  const PlistValue::Array& Elements() const { return array_; }
  bool Changed() const { return changed_; }

 private:
  // Index of the header of block `blockId` in the record at `record`, or -1.
  long FindBlock(size_t record, int blockId, long* lineCount) const;

  PlistValue::Array array_;
  bool changed_ = false;
};
