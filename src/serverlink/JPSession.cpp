#include "serverlink/JPSession.h"

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "serverlink/JPCallbacks.h"
#include "serverlink/JPLibrary.h"
#include "serverlink/JPSessionHost.h"
#include "serverlink/LocaleCode.h"
#include "serverlink/SDMConverters.h"
#include "serverlink/SharedMemoryList.h"
#include "serverlink/WideText.h"

namespace {

constexpr auto kReadyPoll = std::chrono::milliseconds(100);
constexpr size_t kTitleBytes = 256;
std::chrono::milliseconds gReadyTimeout = std::chrono::seconds(60);

JPSessionHost& Host() {
  static JPSessionHost host;
  return host;
}

bool TwoWayOn(const SharedMemoryList& s) {
  return FieldText(s.bidiEnabled, sizeof s.bidiEnabled) == "1";
}

// Frees a list the component allocated: every text, then its array, then
// the list itself, all with the component's own free call.
void FreeComponentList(SDMKeyValueList*& list) {
  JP1_1FreeFn release = JPLibrary::Calls().free;
  if (list == nullptr || release == nullptr) {
    list = nullptr;
    return;
  }
  if (list->items != nullptr) {
    // The component may announce more pairs than it made; the pairs it holds
    // are freed, and no more than the record could ever take are looked at.
    uint64_t n = list->count < kSharedMaxPairs ? list->count : kSharedMaxPairs;
    for (uint64_t i = 0; i < n; ++i) {
      void* key = list->items[i].key;
      void* value = list->items[i].value;
      if (key != nullptr) release(&key);
      if (value != nullptr) release(&value);
    }
    void* items = list->items;
    release(&items);
  }
  void* block = list;
  release(&block);
  list = nullptr;
}

void LogPassed(const char* what, const SDMKeyValueList* list) {
  SDMLog("OpenUI: %s\n", what);
  PrintSDMKeyValueList(list);
}

bool HasPairs(const SDMKeyValueList* list) {
  return list != nullptr && list->count > 0 && list->items != nullptr;
}

// Hands the job list over with the DMT's read-only and veiled keys; nothing
// is passed when the DMT has no overrides. The lists are the panel's to free.
void SetJobValuesWithDMT(void* handle, const SDMKeyValueList* jobList, const std::string& dmt) {
  const JPLibraryCalls& c = JPLibrary::Calls();
  JPSessionState& st = GetJPSessionState();
  void* context =
      st.sdmHandle != nullptr ? st.sdmHandle : reinterpret_cast<void*>(kDMTNoServerDataContext);
  SDMAllocator alloc{c.allocMemory, context};
  SDMKeyValueList* defaults = nullptr;
  SDMKeyValueList* locked = nullptr;
  SDMKeyValueList* hidden = nullptr;
  if (GetDMTOverridesToSDM(Utf8ToWide(dmt), alloc, &defaults, &locked, &hidden)) {
    c.setJobKeyValues(handle, jobList);
    LogPassed("job key values", jobList);
    if (HasPairs(locked)) {
      c.setJobReadOnlyKeys(handle, locked);
      LogPassed("read-only keys", locked);
    }
    if (HasPairs(hidden)) {
      c.setJobVeiledKeys(handle, hidden);
      LogPassed("veiled keys", hidden);
    }
  }
  FreeComponentList(defaults);
  FreeComponentList(locked);
  FreeComponentList(hidden);
}

}  // namespace

void SetJPSessionHost(JPSessionHost host) {
  Host() = std::move(host);
}

const JPSessionHost& GetJPSessionHost() {
  return Host();
}

JPSessionState& GetJPSessionState() {
  static JPSessionState state;
  return state;
}

void SetJPReadyTimeout(std::chrono::milliseconds timeout) {
  gReadyTimeout = timeout;
}

bool LoadJPModule() {
  JPSessionState& st = GetJPSessionState();
  SharedMemoryList* shared = GetSharedMemoryList();
  if (!st.table) st.table = std::make_unique<SDMCallbackTable>();
  FillCallbackTable(*st.table, shared != nullptr && TwoWayOn(*shared));
  st.loaded = true;
  return JPLibrary::Load();
}

bool UnloadJPModule() {
  JPSessionState& st = GetJPSessionState();
  if (!st.loaded) return true;
  bool ok = true;
  if (JPLibrary::IsLoaded()) {
    const JPLibraryCalls& c = JPLibrary::Calls();
    if (st.sdmHandle != nullptr) {
      c.sdmTerminate(st.sdmHandle);
      st.sdmHandle = nullptr;
      c.sdmDllEnd();
      if (st.handle != nullptr) c.endSession(st.handle);
      st.handle = nullptr;
    }
    ok = c.dllEnd() == 0;
    JPLibrary::Close();
  }
  st.loaded = false;
  return ok;
}

void OpenUI(const char* mode) {
  JPSessionState& st = GetJPSessionState();
  SharedMemoryList* shared = GetSharedMemoryList();
  if (shared == nullptr) return;
  st.insideDialog = true;
  HeapSDMList jobList;
  Create_SDMList_From_SharedMemoryList(jobList, shared);

  const JPLibraryCalls& c = JPLibrary::Calls();
  void* handle = nullptr;
  if (!JPLibrary::IsLoaded() || !st.table || c.beginSession(st.table.get(), &handle) != 0 ||
      handle == nullptr) {
    SetSharedField(shared->result, "-1");
    st.insideDialog = false;
    return;
  }
  st.handle = handle;
  if (c.setPresetCallbacks != nullptr)
    c.setPresetCallbacks(handle, sdmFuncPtrGetLocalPresetsData, sdmFuncPtrSetLocalPresetsData);

  const JPSessionHost& host = GetJPSessionHost();
  char title[kTitleBytes];
  WriteUtf8Field(title, sizeof title,
                 host.windowTitle ? host.windowTitle() : "Printing Preferences");

  // A component that never becomes ready must not hold the dialog forever.
  auto deadline = std::chrono::steady_clock::now() + gReadyTimeout;
  while (!c.isServerReady(handle)) {
    if (std::chrono::steady_clock::now() >= deadline) {
      std::fprintf(stderr, "OpenUI: the job properties component never became ready\n");
      c.endSession(handle);
      st.handle = nullptr;
      SetSharedField(shared->result, "-1");
      st.insideDialog = false;
      return;
    }
    std::this_thread::sleep_for(kReadyPoll);
  }

  std::string dmt = host.dmtXml ? host.dmtXml() : std::string();
  if (dmt.empty()) {
    c.setJobKeyValues(handle, jobList.Get());
  } else {
    SetJobValuesWithDMT(handle, jobList.Get(), dmt);
  }

  if (SharedNumber(shared->watermarkCount) != 0) {
    HeapSDMList marks;
    Create_SDMWatermarkList_From_SharedMemoryList(marks, shared);
    c.setWatermarks(handle, marks.Get());
  }

  int32_t result = 1;
  if (std::string_view(mode ? mode : "") == kJPOpenMainUI) c.openUI(handle, title, 3, 0, &result);
  // Anything but the three known answers counts as not accepted.
  if (result < 0 || result > 2) result = 2;
  SetSharedNumber(shared->result, result);

  if (result == 0) {
    int32_t outValue = 0;
    SDMKeyValueList* list = nullptr;
    SDMKeyValueList* marks = nullptr;
    c.getJobKeyValues(handle, 0, &outValue, &list);
    c.getWatermarks(handle, &marks);
    Create_SharedMemoryWatermarkList_From_SDMList(shared, marks);
    Create_SharedMemoryList_From_SDMList(shared, list);
    FreeComponentList(marks);
    FreeComponentList(list);
  }
  // The session ends with its dialog, so that the component can let go of it.
  c.endSession(handle);
  st.handle = nullptr;
  st.insideDialog = false;
}

int mainJP() {
  JPSessionState& st = GetJPSessionState();
  SharedMemoryList* shared = GetSharedMemoryList();
  st.reload = false;
  st.insideDialog = false;
  GetSharedListState().listCameBack = false;
  GetSharedListState().serverPreset = false;
  std::setlocale(LC_CTYPE, "en_US");
  st.subVersion = 2;
  if (shared == nullptr) return 1;
  getCurrentLocaleCode();
  st.previousAddress =
      std::string(FieldText(shared->printerAddress, sizeof shared->printerAddress));
  st.previousTwoWay = TwoWayOn(*shared);
  LoadJPModule();
  SetSharedField(shared->result, "0");
  OpenUI(kJPOpenMainUI);
  return 0;
}

int canBiDiDataFileBeAccessed(const std::string& openMarkerPath) {
  for (int attempt = 0; attempt < 101; ++attempt) {
    std::error_code ec;
    if (!std::filesystem::exists(openMarkerPath, ec)) return 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return 0;
}
