#include "serverlink/SharedMemoryList.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "serverlink/WideText.h"

namespace {

SharedMemoryList* gShared = nullptr;

constexpr std::string_view kBomLetters = "EFBBBF";
constexpr wchar_t kBom = 0xFEFF;
// A value field holds at most 699 bytes, so no more wide characters are read.
constexpr size_t kReadLimit = kSharedValueWidth;

size_t Clamp(long value, size_t most) {
  if (value < 0) return 0;
  return static_cast<size_t>(value) > most ? most : static_cast<size_t>(value);
}

std::wstring WidenValue(std::string_view text) {
  if (text.substr(0, kBomLetters.size()) == kBomLetters)
    return std::wstring(1, kBom) + Utf8ToWide(text.substr(kBomLetters.size()));
  return Utf8ToWide(text);
}

std::string NarrowValue(std::wstring_view text) {
  if (!text.empty() && text.front() == kBom)
    return std::string(kBomLetters) + WideToUtf8(text.substr(1));
  return WideToUtf8(text);
}

std::string_view Key(const SharedMemoryList& s, size_t i) {
  return FieldText(s.keys[i], kSharedKeyWidth);
}

std::string_view Value(const SharedMemoryList& s, size_t i) {
  return FieldText(s.values[i], kSharedValueWidth);
}

// Whether pair i differs from the same key's value in the component's copy:
// the copy's pair at the same place when it has that key (so that repeated
// keys compare with their own pair), else its first pair with the key. Keys
// the copy does not hold are not compared.
bool DiffersFromCopy(const SharedMemoryList& copy, size_t copyCount, size_t i, std::string_view key,
                     std::string_view value) {
  if (i < copyCount && Key(copy, i) == key) return Value(copy, i) != value;
  for (size_t k = 0; k < copyCount; ++k)
    if (Key(copy, k) == key) return Value(copy, k) != value;
  return false;
}

}  // namespace

std::unique_ptr<SharedMemoryList> NewSharedMemoryList() {
  auto list = std::make_unique<SharedMemoryList>();
  std::memset(list.get(), 0, sizeof(SharedMemoryList));
  return list;
}

void WriteSharedField(char* field, size_t width, std::string_view text) {
  WriteUtf8Field(field, width, text);
}

void WriteSharedNumber(char* field, size_t width, long value) {
  if (field == nullptr || width == 0) return;
  // The widest number that fits: width - 1 digits, one of them a sign if negative.
  long most = 0;
  for (size_t d = 1; d < width && most < 100000000000000L; ++d) most = most * 10 + 9;
  long least = width > 2 ? -(most / 10) : 0;
  if (value > most) value = most;
  if (value < least) value = least;
  WriteUtf8Field(field, width, std::to_string(value));
}

long SharedNumber(const char* field, size_t width) {
  std::string text(FieldText(field, width));
  return std::strtol(text.c_str(), nullptr, 10);
}

void SetSharedMemoryList(SharedMemoryList* list) {
  gShared = list;
}

SharedMemoryList* GetSharedMemoryList() {
  return gShared;
}

SharedListState& GetSharedListState() {
  static SharedListState state;
  return state;
}

bool Create_SDMList_From_SharedMemoryList(HeapSDMList& out, SharedMemoryList* shared) {
  out = HeapSDMList();
  if (shared == nullptr) return false;
  SharedListState& state = GetSharedListState();
  size_t count = Clamp(SharedNumber(shared->count), kSharedMaxPairs);
  SDMPairs pairs;
  pairs.reserve(count + Clamp(SharedNumber(shared->extraCount), kSharedMaxPairs));
  for (size_t i = 0; i < count; ++i)
    pairs.emplace_back(Utf8ToWide(Key(*shared, i)), WidenValue(Value(*shared, i)));

  if (state.listCameBack && state.serverPreset && state.copy) {
    const SharedMemoryList& copy = *state.copy;
    size_t copyCount = Clamp(SharedNumber(copy.count), kSharedMaxPairs);
    size_t preset = count;
    for (size_t i = 0; i < count && preset == count; ++i)
      if (Key(*shared, i) == "PresetName") preset = i;
    if (preset < count) {
      // A setting changed after a server preset was chosen voids the preset.
      for (size_t i = 0; i < count; ++i) {
        if (i == preset) continue;
        if (DiffersFromCopy(copy, copyCount, i, Key(*shared, i), Value(*shared, i))) {
          pairs[preset].second.clear();
          break;
        }
      }
    }
  }
  state.listCameBack = false;
  state.serverPreset = false;
  out = HeapSDMList(std::move(pairs));
  return true;
}

bool Create_SharedMemoryList_From_SDMList(SharedMemoryList* shared, const SDMKeyValueList* list) {
  if (shared == nullptr || list == nullptr) return false;
  SharedListState& state = GetSharedListState();
  SDMPairs pairs = ReadSDMPairs(list, kSharedMaxPairs, kReadLimit);
  // The count says how many pairs the record holds, never more than it can.
  SetSharedNumber(shared->count, static_cast<long>(pairs.size()));
  for (size_t i = 0; i < pairs.size(); ++i) {
    std::string key = WideToUtf8(pairs[i].first);
    std::string value = NarrowValue(pairs[i].second);
    WriteSharedField(shared->values[i], kSharedValueWidth, value);
    WriteSharedField(shared->keys[i], kSharedKeyWidth, key);
    if (key == "PresetName" && !value.empty()) state.serverPreset = true;
  }
  if (SharedNumber(shared->reloadFlag) != 0) {
    SetSharedField(shared->reloadFlag, "0");
    SetSharedField(shared->extraCount, "0");
  }
  if (!state.copy) state.copy = NewSharedMemoryList();
  std::memcpy(state.copy.get(), shared, sizeof(SharedMemoryList));
  state.listCameBack = true;
  return true;
}

bool Create_SDMWatermarkList_From_SharedMemoryList(HeapSDMList& out, SharedMemoryList* shared) {
  out = HeapSDMList();
  if (shared == nullptr) return false;
  size_t count = Clamp(SharedNumber(shared->watermarkCount), kSharedMaxWatermarks);
  for (size_t i = 0; i < count; ++i)
    out.Add(Utf8ToWide(FieldText(shared->watermarkIds[i], sizeof shared->watermarkIds[i])),
            Utf8ToWide(FieldText(shared->watermarkNames[i], sizeof shared->watermarkNames[i])));
  return true;
}

bool Create_SharedMemoryWatermarkList_From_SDMList(SharedMemoryList* shared,
                                                   const SDMKeyValueList* list) {
  if (shared == nullptr || list == nullptr) return false;
  SDMPairs pairs = ReadSDMPairs(list, kSharedMaxWatermarks, 256);
  SetSharedNumber(shared->watermarkCount, static_cast<long>(pairs.size()));
  for (size_t i = 0; i < pairs.size(); ++i)
    SetSharedField(shared->watermarkNames[i], WideToUtf8(pairs[i].second));
  return true;
}
