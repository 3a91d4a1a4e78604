// The two printing back ends' entry points, for PrintingSystem.cpp only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/PMPrinter.h"
#include "platform/PrintingSystem.h"

namespace local_backend {
OSStatus Open(std::string_view id, PMPrinterRef* printer);
OSStatus Names(std::vector<std::string>* names);
OSStatus Jobs(std::vector<PMJobInfo>* jobs);
OSStatus PPDPath(std::string_view queueName, std::string* path);
}  // namespace local_backend

namespace cups_backend {
OSStatus Open(std::string_view id, PMPrinterRef* printer);
OSStatus Names(std::vector<std::string>* names);
OSStatus Jobs(std::vector<PMJobInfo>* jobs);
OSStatus PPDPath(std::string_view queueName, std::string* path);
}  // namespace cups_backend
