#include "QueuePPD.h"

#include <cups/ppd.h>

#include <fstream>
#include <memory>

#include "platform/PMPrintSettings.h"

namespace {

struct PPDCloser {
  void operator()(ppd_file_t* ppd) const { ppdClose(ppd); }
};
using PPDPtr = std::unique_ptr<ppd_file_t, PPDCloser>;

PPDPtr Open(const std::string& path) {
  return PPDPtr(ppdOpenFile(path.c_str()));
}

}  // namespace

bool PPDDeclaresControllerVersion(const std::string& ppdPath) {
  std::ifstream in(ppdPath, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("*%QZVersion:", 0) == 0 || line.rfind("*%QZVersionMac:", 0) == 0) return true;
  }
  return false;
}

std::string PPDDefaultPageSize(const std::string& ppdPath) {
  PPDPtr ppd = Open(ppdPath);
  if (!ppd) return {};
  ppd_option_t* option = ppdFindOption(ppd.get(), "PageSize");
  return option ? option->defchoice : std::string();
}

std::vector<std::pair<std::string, std::string>> StandardJobOptions(
    const std::string& ppdPath, const PMPrintSettings& settings) {
  std::vector<std::pair<std::string, std::string>> options;
  PPDPtr ppd = Open(ppdPath);
  if (!ppd) return options;
  for (ppd_option_t* option = ppdFirstOption(ppd.get()); option;
       option = ppdNextOption(ppd.get())) {
    std::optional<std::string> value = settings.GetString(std::string("*") + option->keyword);
    if (!value || value->empty()) continue;
    if (!ppdFindChoice(option, value->c_str())) continue;
    options.emplace_back(option->keyword, *value);
  }
  return options;
}
