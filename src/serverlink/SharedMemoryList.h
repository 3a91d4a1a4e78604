// The flat record through which the panel's view model hands a job's settings
// to a job properties session and reads them back. Every field is a text of
// fixed width (numbers as decimal text); writers never pass a field's width.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "serverlink/SDMAlloc.h"

constexpr size_t kSharedMaxPairs = 3000;
constexpr size_t kSharedKeyWidth = 64;
constexpr size_t kSharedValueWidth = 700;
constexpr size_t kSharedMaxWatermarks = 20;

struct SharedMemoryList {
  char keys[kSharedMaxPairs][kSharedKeyWidth];
  char values[kSharedMaxPairs][kSharedValueWidth];
  char count[5];
  char watermarkIds[kSharedMaxWatermarks][3];
  char watermarkNames[kSharedMaxWatermarks][256];
  char watermarkCount[3];
  char result[4];  // "-1" no session, "0" accepted, "1" or "2" not accepted
  char bidiEnabled[2];
  char ppdLocation[512];
  char printerAddress[128];
  char installedOptionIndexes[64];  // "<index>," for each installable option
  char extraCount[5];
  char reloadFlag[32];
  char pdeModuleName[16];
  char bundleVersion[16];
  char controllerVersion[459];
};

// A zeroed record on the heap (it is about 2.3 MB).
std::unique_ptr<SharedMemoryList> NewSharedMemoryList();

// Writes a text into a field of the record: cut to whole UTF-8 characters
// within the width, always terminated.
void WriteSharedField(char* field, size_t width, std::string_view text);
// Writes a number; one that needs more digits than the field holds is written
// as the largest (or smallest) number that fits.
void WriteSharedNumber(char* field, size_t width, long value);
template <size_t N>
void SetSharedField(char (&field)[N], std::string_view text) {
  WriteSharedField(field, N, text);
}
template <size_t N>
void SetSharedNumber(char (&field)[N], long value) {
  WriteSharedNumber(field, N, value);
}
// A field's number (0 when it holds none).
long SharedNumber(const char* field, size_t width);
template <size_t N>
long SharedNumber(const char (&field)[N]) {
  return SharedNumber(field, N);
}

// The view model's record for the next session (not owned); null when none.
void SetSharedMemoryList(SharedMemoryList* list);
SharedMemoryList* GetSharedMemoryList();

// Record to job list: count plus extraCount pairs of room, every pair widened,
// "EFBBBF" at a value's start made the byte-order mark again. When the last
// list from the component named a server preset and a pair now differs from
// the component's copy, the "PresetName" value is sent empty.
bool Create_SDMList_From_SharedMemoryList(HeapSDMList& out, SharedMemoryList* shared);
// Job list to record: at most 3000 pairs, keys cut to 64 bytes and values to
// 700 (whole characters), a leading byte-order mark written "EFBBBF". Keeps a
// copy of the record as the component returned it.
bool Create_SharedMemoryList_From_SDMList(SharedMemoryList* shared, const SDMKeyValueList* list);
// Watermark identifiers and names as pairs.
bool Create_SDMWatermarkList_From_SharedMemoryList(HeapSDMList& out, SharedMemoryList* shared);
// The component's watermark list: at most 20 names, the count written at most 20.
bool Create_SharedMemoryWatermarkList_From_SDMList(SharedMemoryList* shared,
                                                   const SDMKeyValueList* list);

// The flags the conversions share across a session.
struct SharedListState {
  bool listCameBack = false;               // the record holds a list the component returned
  bool serverPreset = false;               // that list named a server preset
  std::unique_ptr<SharedMemoryList> copy;  // the record as the component returned it
};
SharedListState& GetSharedListState();
