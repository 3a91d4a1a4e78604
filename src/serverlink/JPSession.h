// One session of the job properties component over the view model's shared
// record: load, hand the job's settings over, run the dialog, take accepted
// settings back.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "serverlink/SDMTypes.h"

constexpr const char* kJPOpenMainUI = "jpOpenMainUI";
// Context of the DMT lists when there is no server-data handle.
constexpr uintptr_t kDMTNoServerDataContext = 1193199;

// Runs one session over the shared record (GetSharedMemoryList); 1 when there
// is none, else 0 (the outcome is in the record's result field).
int mainJP();
// The session proper; only kJPOpenMainUI opens the dialog.
void OpenUI(const char* mode);
// Makes the callback table for the record's two-way state and loads the
// component when it can.
bool LoadJPModule();
// Ends the component; true when it ended cleanly (or was not loaded).
bool UnloadJPModule();
// 1 when the two-way data file is free to read (no open marker), polling up
// to 101 times 50 ms apart; else 0.
int canBiDiDataFileBeAccessed(const std::string& openMarkerPath);

// How long a session waits for the component to become ready.
void SetJPReadyTimeout(std::chrono::milliseconds timeout);

struct JPSessionState {
  std::unique_ptr<SDMCallbackTable> table;
  void* handle = nullptr;
  void* sdmHandle = nullptr;  // never set by this system
  bool loaded = false;
  bool insideDialog = false;
  bool reload = false;
  int subVersion = 0;
  std::string previousAddress;
  bool previousTwoWay = false;
};
JPSessionState& GetJPSessionState();
