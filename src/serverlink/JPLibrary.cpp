#include "serverlink/JPLibrary.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

struct Loaded {
  void* handle = nullptr;
  std::string path;
  JPLibraryCalls calls;
};

Loaded& State() {
  static Loaded state;
  return state;
}

std::string& ConfiguredDirectory() {
  static std::string directory;
  return directory;
}

// The folder of the image (library or executable) this code was linked into.
std::string OwnImageDirectory() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&JPLibraryCandidates), &info) == 0 ||
      info.dli_fname == nullptr)
    return {};
  std::error_code ec;
  std::filesystem::path image = std::filesystem::canonical(info.dli_fname, ec);
  if (ec) image = info.dli_fname;
  return image.parent_path().string();
}

template <typename Fn>
bool Resolve(void* handle, const char* name, Fn& out) {
  out = reinterpret_cast<Fn>(dlsym(handle, name));
  return out != nullptr;
}

bool ResolveAll(void* handle, JPLibraryCalls& c) {
  bool ok =
      Resolve(handle, "JP1_1BeginSession", c.beginSession) &&
      Resolve(handle, "JP1_1IsServerReady", c.isServerReady) &&
      Resolve(handle, "JP1_1SetJobKeyValues", c.setJobKeyValues) &&
      Resolve(handle, "JPSetJobReadOnlyKeys", c.setJobReadOnlyKeys) &&
      Resolve(handle, "JP1_1SetJobVeiledKeys", c.setJobVeiledKeys) &&
      Resolve(handle, "JP1_1SetWatermarks", c.setWatermarks) &&
      Resolve(handle, "JP1_1OpenUI", c.openUI) &&
      Resolve(handle, "JP1_1GetJobKeyValues", c.getJobKeyValues) &&
      Resolve(handle, "JP1_1GetWatermarks", c.getWatermarks) &&
      Resolve(handle, "JP1_1Free", c.free) && Resolve(handle, "SDMAllocMemory", c.allocMemory) &&
      Resolve(handle, "JP1_1EndSession", c.endSession) &&
      Resolve(handle, "JP1_1DllEnd", c.dllEnd) && Resolve(handle, "SDMTerminate", c.sdmTerminate) &&
      Resolve(handle, "SDMDllEnd", c.sdmDllEnd);
  Resolve(handle, "JP1_1SetPresetCallbacks", c.setPresetCallbacks);
  return ok;
}

}  // namespace

void SetJPLibraryDirectory(std::string directory) {
  ConfiguredDirectory() = std::move(directory);
}

std::vector<std::string> JPLibraryCandidates() {
  std::vector<std::string> candidates;
  std::string own = OwnImageDirectory();
  if (!own.empty()) candidates.push_back(own + "/../../../" + kJPLibraryName);
  std::string configured = ConfiguredDirectory();
  if (configured.empty()) {
    const char* env = std::getenv("TAVRO_JP_DIR");
    if (env != nullptr) configured = env;
  }
  if (!configured.empty()) candidates.push_back(configured + "/" + kJPLibraryName);
  return candidates;
}

bool JPLibrary::Load() {
  Loaded& s = State();
  if (s.handle != nullptr) return true;
  for (const std::string& path : JPLibraryCandidates()) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) continue;
    JPLibraryCalls calls;
    if (!ResolveAll(handle, calls)) {
      std::fprintf(stderr, "JPLibrary: %s lacks a call of the component\n", path.c_str());
      dlclose(handle);
      continue;
    }
    s.handle = handle;
    s.path = path;
    s.calls = calls;
    return true;
  }
  return false;
}

bool JPLibrary::IsLoaded() {
  return State().handle != nullptr;
}

const JPLibraryCalls& JPLibrary::Calls() {
  return State().calls;
}

const std::string& JPLibrary::LoadedPath() {
  return State().path;
}

void JPLibrary::Close() {
  Loaded& s = State();
  if (s.handle != nullptr) dlclose(s.handle);
  s = Loaded();
}
