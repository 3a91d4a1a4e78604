// The job properties component: a shared library loaded at run time. It is
// looked for three folders above the folder of the panel's own library, then
// in the configured folder (SetJPLibraryDirectory, else TAVRO_JP_DIR).
#pragma once

#include <string>
#include <vector>

#include "serverlink/SDMTypes.h"

constexpr const char* kJPLibraryName = "libtavrojp.so";

// The component's calls; all null while it is not loaded.
struct JPLibraryCalls {
  JP1_1BeginSessionFn beginSession = nullptr;
  JP1_1IsServerReadyFn isServerReady = nullptr;
  JP1_1SetListFn setJobKeyValues = nullptr;
  JP1_1SetListFn setJobReadOnlyKeys = nullptr;
  JP1_1SetListFn setJobVeiledKeys = nullptr;
  JP1_1SetListFn setWatermarks = nullptr;
  JP1_1OpenUIFn openUI = nullptr;
  JP1_1GetJobKeyValuesFn getJobKeyValues = nullptr;
  JP1_1GetWatermarksFn getWatermarks = nullptr;
  JP1_1FreeFn free = nullptr;
  SDMAllocMemoryFn allocMemory = nullptr;
  JP1_1EndSessionFn endSession = nullptr;
  JP1_1DllEndFn dllEnd = nullptr;
  SDMTerminateFn sdmTerminate = nullptr;
  SDMDllEndFn sdmDllEnd = nullptr;
  JP1_1SetPresetCallbacksFn setPresetCallbacks = nullptr;  // optional
};

// The configured folder; empty gives TAVRO_JP_DIR back its say.
void SetJPLibraryDirectory(std::string directory);
// Where the component would be loaded from, in search order.
std::vector<std::string> JPLibraryCandidates();

class JPLibrary {
 public:
  // Loads the component once (the first candidate that opens and has every
  // call); false when none does.
  static bool Load();
  static bool IsLoaded();
  static const JPLibraryCalls& Calls();
  static const std::string& LoadedPath();
  // Closes the library; its calls become null.
  static void Close();
};
