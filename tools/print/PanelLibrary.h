// The panel library, loaded at run time as a print dialog loads it. Looked
// for in this order: the folder in $TAVRO_PANEL_DIR (a wrong value finds
// nothing rather than another library), beside the program, the installed
// folder (lib/tavro below the prefix, where the bundle lives), then the
// build tree's.
#pragma once

#include <string>
#include <vector>

#include "shell/TavroPanelEntry.h"

constexpr const char* kPanelLibraryName = "libtavropanel.so";

std::vector<std::string> PanelLibraryCandidates();

class PanelLibrary {
 public:
  PanelLibrary() = default;
  ~PanelLibrary();
  PanelLibrary(const PanelLibrary&) = delete;
  PanelLibrary& operator=(const PanelLibrary&) = delete;

  // The first candidate that opens and exports the entry point; false with
  // one line in *error (what was tried).
  bool Load(std::string* error);
  TavroPDEPanelsForTypeFn Entry() const { return entry_; }
  const std::string& Path() const { return path_; }

 private:
  void* handle_ = nullptr;
  TavroPDEPanelsForTypeFn entry_ = nullptr;
  std::string path_;
};
