// links: tavro_serverlink
// The shared session record from both sides. A list made from the input
// ("key=value" lines) goes into the record: every field must stay within its
// width, and pairs that fit must come back unchanged. Then the input itself,
// as a hostile record, is read back into lists and the server-data XML.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "serverlink/JPCallbacks.h"
#include "serverlink/SharedMemoryList.h"
#include "serverlink/WideText.h"

namespace {

template <size_t N>
void MustEndInField(const char (&field)[N]) {
  if (std::memchr(field, 0, N) == nullptr) std::abort();
}

bool Clean(const std::wstring& text) {
  for (wchar_t c : text)
    if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::unique_ptr<SharedMemoryList> shared = NewSharedMemoryList();
  std::memset(shared.get(), 0, sizeof(SharedMemoryList));
  GetSharedListState() = SharedListState();

  std::wstring text = Utf8ToWide(std::string_view(reinterpret_cast<const char*>(data), size));
  HeapSDMList list;
  size_t at = 0;
  while (at <= text.size()) {
    size_t end = text.find(L'\n', at);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(at, end - at);
    size_t eq = line.find(L'=');
    list.Add(line.substr(0, eq), eq == std::wstring::npos ? L"" : line.substr(eq + 1));
    at = end + 1;
  }
  if (!Create_SharedMemoryList_From_SDMList(shared.get(), list.Get())) std::abort();
  if (!Create_SharedMemoryWatermarkList_From_SDMList(shared.get(), list.Get())) std::abort();
  size_t expected = list.Count() < kSharedMaxPairs ? list.Count() : kSharedMaxPairs;
  for (size_t i = 0; i < expected; ++i) {
    MustEndInField(shared->keys[i]);
    MustEndInField(shared->values[i]);
  }
  for (auto& name : shared->watermarkNames) MustEndInField(name);
  MustEndInField(shared->count);
  MustEndInField(shared->watermarkCount);

  HeapSDMList back;
  if (!Create_SDMList_From_SharedMemoryList(back, shared.get())) std::abort();
  if (back.Count() != expected) std::abort();
  for (size_t i = 0; i < expected; ++i) {
    const auto& [key, value] = list.Pairs()[i];
    bool fits = WideToUtf8(key).size() < kSharedKeyWidth &&
                WideToUtf8(value).size() + 3 < kSharedValueWidth && Clean(key) && Clean(value) &&
                value.rfind(L"EFBBBF", 0) != 0;
    if (fits && back.Pairs()[i] != list.Pairs()[i]) std::abort();
  }

  // The input as a record the view model (or anyone) filled with junk.
  std::memset(shared.get(), 0, sizeof(SharedMemoryList));
  std::memcpy(reinterpret_cast<char*>(shared.get()) + (size ? data[0] : 0) * 701, data,
              std::min(size, sizeof(SharedMemoryList) - 255 * 701));
  Create_SDMList_From_SharedMemoryList(back, shared.get());
  if (back.Count() > kSharedMaxPairs) std::abort();
  HeapSDMList marks;
  Create_SDMWatermarkList_From_SharedMemoryList(marks, shared.get());
  if (marks.Count() > kSharedMaxWatermarks) std::abort();
  NonTwoWayServerDataXml(*shared, "en");
  return 0;
}
