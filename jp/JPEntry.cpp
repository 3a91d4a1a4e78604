// The component's calls, as the panel loads them by name.
#include <cstring>
#include <map>
#include <memory>

#include "JPAllocator.h"
#include "JPComponentSession.h"
#include "JPExport.h"
#include "JPText.h"

using jp::ComponentSession;

namespace {

// Lists from the panel are read no further than this.
constexpr uint64_t kMaxPairs = 100000;
constexpr uint64_t kWatermarkRoom = 3000;

// Open sessions by handle; a handle the component did not give out finds none.
std::map<void*, std::unique_ptr<ComponentSession>>& Sessions() {
  static std::map<void*, std::unique_ptr<ComponentSession>> sessions;
  return sessions;
}

ComponentSession* Find(void* handle) {
  auto it = Sessions().find(handle);
  return it == Sessions().end() ? nullptr : it->second.get();
}

jp::Pairs Copy(const SDMKeyValueList* list) {
  jp::Pairs pairs;
  if (list == nullptr || list->items == nullptr) return pairs;
  uint64_t n = list->count < kMaxPairs ? list->count : kMaxPairs;
  for (uint64_t i = 0; i < n; ++i)
    pairs.emplace_back(jp::Bounded(list->items[i].key), jp::Bounded(list->items[i].value));
  return pairs;
}

// A list for the panel, from the component's allocator. `room` > pairs
// leaves null pairs after the real ones; `announced` overrides the count.
SDMKeyValueList* Make(ComponentSession& s, const jp::Pairs& pairs, uint64_t room,
                      uint64_t announced) {
  void* block = nullptr;
  if (jp::Allocate(s.Context(), &block, sizeof(SDMKeyValueList)) != 0) return nullptr;
  auto* list = static_cast<SDMKeyValueList*>(block);
  uint64_t n = room > pairs.size() ? room : pairs.size();
  if (n > 0) {
    if (jp::Allocate(s.Context(), &block, n * sizeof(SDMKeyValue)) != 0) return list;
    list->items = static_cast<SDMKeyValue*>(block);
    for (size_t i = 0; i < pairs.size(); ++i) {
      for (auto [text, slot] : {std::pair{&pairs[i].first, &list->items[i].key},
                                std::pair{&pairs[i].second, &list->items[i].value}}) {
        if (jp::Allocate(s.Context(), &block, (text->size() + 1) * sizeof(wchar_t)) != 0) break;
        std::wmemcpy(static_cast<wchar_t*>(block), text->c_str(), text->size() + 1);
        *slot = static_cast<wchar_t*>(block);
      }
    }
  }
  list->count = announced != 0 ? announced : pairs.size();
  return list;
}

}  // namespace

JP_EXPORT int32_t SDMAllocMemory(void* context, void** out, size_t size) {
  return jp::Allocate(context, out, size);
}

JP_EXPORT int32_t JP1_1Free(void** block) {
  if (block == nullptr || *block == nullptr) return kSDMInvalidArgument;
  int32_t rc = jp::Release(*block);
  *block = nullptr;
  return rc;
}

JP_EXPORT int32_t JP1_1BeginSession(const SDMCallbackTable* table, void** handle) {
  if (handle == nullptr) return kSDMInvalidArgument;
  *handle = nullptr;
  if (table == nullptr || table->version != kSDMCallbackTableVersion) return kSDMInvalidArgument;
  jp::Script script = jp::LoadScript();
  if (script.beginFail) return 1;
  auto session = std::make_unique<ComponentSession>(*table, std::move(script));
  *handle = session->Context();
  Sessions().emplace(*handle, std::move(session));
  return 0;
}

JP_EXPORT int32_t JP1_1IsServerReady(void* handle) {
  ComponentSession* s = Find(handle);
  return s != nullptr && s->IsReady() ? 1 : 0;
}

JP_EXPORT int32_t JP1_1SetJobKeyValues(void* handle, const SDMKeyValueList* list) {
  ComponentSession* s = Find(handle);
  if (s == nullptr) return kSDMInvalidArgument;
  s->SetJobValues(Copy(list));
  return 0;
}

JP_EXPORT int32_t JPSetJobReadOnlyKeys(void* handle, const SDMKeyValueList* list) {
  ComponentSession* s = Find(handle);
  if (s == nullptr) return kSDMInvalidArgument;
  s->SetReadOnly(Copy(list));
  return 0;
}

JP_EXPORT int32_t JP1_1SetJobVeiledKeys(void* handle, const SDMKeyValueList* list) {
  ComponentSession* s = Find(handle);
  if (s == nullptr) return kSDMInvalidArgument;
  s->SetVeiled(Copy(list));
  return 0;
}

JP_EXPORT int32_t JP1_1SetWatermarks(void* handle, const SDMKeyValueList* list) {
  ComponentSession* s = Find(handle);
  if (s == nullptr) return kSDMInvalidArgument;
  s->SetWatermarks(Copy(list));
  return 0;
}

JP_EXPORT int32_t JP1_1SetPresetCallbacks(void* handle, SDMTextFn get, SDMSetTextFn set) {
  ComponentSession* s = Find(handle);
  if (s == nullptr) return kSDMInvalidArgument;
  s->SetPresetCallbacks(get, set);
  return 0;
}

JP_EXPORT int32_t JP1_1OpenUI(void* handle, const char* title, int32_t /*style*/, int32_t /*flags*/,
                              int32_t* result) {
  ComponentSession* s = Find(handle);
  if (s == nullptr || result == nullptr) return kSDMInvalidArgument;
  std::string t = title ? std::string(title, strnlen(title, 256)) : std::string();
  *result = s->OpenUI(t);
  return 0;
}

JP_EXPORT int32_t JP1_1GetJobKeyValues(void* handle, int32_t /*which*/, int32_t* outValue,
                                       SDMKeyValueList** list) {
  ComponentSession* s = Find(handle);
  if (s == nullptr || list == nullptr) return kSDMInvalidArgument;
  if (outValue != nullptr) *outValue = 0;
  const jp::Script& script = s->GetScript();
  if (script.nullList) {
    *list = nullptr;
    return 0;
  }
  if (script.hugeCount) {
    *list = Make(*s, s->JobValues(), kWatermarkRoom, uint64_t{1} << 40);
    return 0;
  }
  *list = Make(*s, s->JobValues(), 0, 0);
  return *list ? 0 : kSDMNoData;
}

JP_EXPORT int32_t JP1_1GetWatermarks(void* handle, SDMKeyValueList** list) {
  ComponentSession* s = Find(handle);
  if (s == nullptr || list == nullptr) return kSDMInvalidArgument;
  *list = Make(*s, s->Watermarks(), 0, 0);
  return *list ? 0 : kSDMNoData;
}

JP_EXPORT int32_t JP1_1EndSession(void* handle) {
  ComponentSession* s = Find(handle);
  if (s == nullptr) return kSDMInvalidArgument;
  // The session writes its record as it goes; then what it still holds goes.
  Sessions().erase(handle);
  jp::ReleaseContext(handle);
  return 0;
}

JP_EXPORT int32_t JP1_1DllEnd(void) {
  Sessions().clear();
  jp::ReleaseContext(nullptr, true);
  return 0;
}

JP_EXPORT int32_t SDMTerminate(void* /*sdmHandle*/) {
  return 0;
}

JP_EXPORT int32_t SDMDllEnd(void) {
  return 0;
}

// For tests: how many blocks of the component's allocator are still live.
JP_EXPORT uint64_t TavroJP_LiveBlocks(void) {
  return jp::LiveBlocks();
}
