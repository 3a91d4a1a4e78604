#include "foundation/PrinterListFile.h"

#include "platform/Log.h"

PrinterListFile::PrinterListFile(const std::filesystem::path& folder, unsigned long mutability)
    : PropertyListFile(folder, kPrinterListFileName, false, mutability) {
  const PlistValue* entry = PropertyList().Find(kPrinterListPCFileNameKey);
  if (!entry) {
    valid_ = false;
    myNSLogC(("PrinterListFile: " + (folder / kPrinterListFileName).string() + " has no \"" +
              kPrinterListPCFileNameKey + "\" entry")
                 .c_str());
    return;
  }
  if (const std::string* one = entry->AsString()) {
    names_.push_back(CFString::FromUTF8(*one));
  } else if (const PlistValue::Array* all = entry->AsArray()) {
    for (const PlistValue& item : *all) {
      if (const std::string* name = item.AsString()) names_.push_back(CFString::FromUTF8(*name));
    }
  }
}
