#include "PanelLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace {

std::string ProgramDirectory() {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : self.parent_path().string();
}

}  // namespace

std::vector<std::string> PanelLibraryCandidates() {
  // An explicit folder is the only place looked at.
  if (const char* dir = std::getenv("TAVRO_PANEL_DIR"); dir && *dir) {
    return {std::string(dir) + "/" + kPanelLibraryName};
  }
  std::vector<std::string> candidates;
  std::string own = ProgramDirectory();
  if (!own.empty()) candidates.push_back(own + "/" + kPanelLibraryName);
#ifdef TAVRO_PANEL_INSTALL_DIR
  candidates.push_back(std::string(TAVRO_PANEL_INSTALL_DIR) + "/" + kPanelLibraryName);
#endif
#ifdef TAVRO_PANEL_BUILD_DIR
  candidates.push_back(std::string(TAVRO_PANEL_BUILD_DIR) + "/" + kPanelLibraryName);
#endif
  return candidates;
}

PanelLibrary::~PanelLibrary() {
  if (handle_) dlclose(handle_);
}

bool PanelLibrary::Load(std::string* error) {
  if (handle_) return true;
  std::string tried;
  for (const std::string& path : PanelLibraryCandidates()) {
    if (access(path.c_str(), F_OK) != 0) continue;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      const char* why = dlerror();
      tried += (tried.empty() ? "" : "; ") + path + ": " + (why ? why : "cannot load");
      continue;
    }
    auto entry = reinterpret_cast<TavroPDEPanelsForTypeFn>(dlsym(handle, TAVRO_PDE_ENTRY_SYMBOL));
    if (!entry) {
      tried += (tried.empty() ? "" : "; ") + path + ": no " + TAVRO_PDE_ENTRY_SYMBOL;
      dlclose(handle);
      continue;
    }
    handle_ = handle;
    entry_ = entry;
    path_ = path;
    return true;
  }
  *error = tried.empty() ? std::string("no panel library (") + kPanelLibraryName +
                               ") found; set TAVRO_PANEL_DIR to its folder"
                         : "the panel library cannot be used: " + tried;
  return false;
}
