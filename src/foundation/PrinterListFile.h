// The bundle's list of the PPDs this plug-in serves: "PrinterList.plist", a
// dictionary whose "PCFILENAME" entry holds the PC file names.
#pragma once

#include <filesystem>
#include <vector>

#include "foundation/PropertyListFile.h"
#include "platform/CFString.h"

inline constexpr const char* kPrinterListFileName = "PrinterList.plist";
inline constexpr const char* kPrinterListPCFileNameKey = "PCFILENAME";

class PrinterListFile : public PropertyListFile {
 public:
  // Reads "<folder>/PrinterList.plist". Valid only when its dictionary has a
  // "PCFILENAME" entry (an array of names, or one name).
  PrinterListFile(const std::filesystem::path& folder, unsigned long mutability);

  // The names in file order; names that are not text are left out.
  const std::vector<CFString>& PCFileNames() const { return names_; }

 private:
  std::vector<CFString> names_;
};
