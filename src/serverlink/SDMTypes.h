/* The records and calls shared by the panel and the job properties component
 * (libtavrojp). Plain C layout: the component is a separate shared library and
 * may be built by another compiler. Texts are wide (32-bit wchar_t). */
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Results of the callbacks the component calls. */
enum { kSDMSuccess = 0, kSDMNoData = 4096, kSDMInvalidArgument = 7100 };

typedef struct SDMKeyValue {
  wchar_t* key;
  wchar_t* value;
} SDMKeyValue;

typedef struct SDMKeyValueList {
  uint64_t count;
  SDMKeyValue* items;
} SDMKeyValueList;

/* An array of texts with its count (server preset names). */
typedef struct SDMStringList {
  uint64_t count;
  wchar_t** items;
} SDMStringList;

/* One paper tray. The media type, weight, colour and catalog fields may be
 * empty ("EMPTY" in the section); any missing field is "N/A". */
typedef struct SDMTrayInfo {
  wchar_t* name;
  wchar_t* mediaSize;
  wchar_t* mediaType;
  wchar_t* mediaWeight;
  wchar_t* mediaColor;
  wchar_t* levelPercent;
  wchar_t* capacity;
  wchar_t* status;
  wchar_t* catalog;
} SDMTrayInfo;

typedef struct SDMTrayList {
  uint64_t count;
  SDMTrayInfo* trays;
} SDMTrayList;

/* One toner; a missing field is "NULL". */
typedef struct SDMTonerInfo {
  wchar_t* color;
  wchar_t* levelPercent;
  wchar_t* capacity;
  wchar_t* status;
  wchar_t* partNumber;
} SDMTonerInfo;

typedef struct SDMTonerList {
  uint64_t count;
  SDMTonerInfo* toners;
} SDMTonerList;

/* The component's allocator: fills *out with a block of `size` bytes and
 * answers 0, or answers an error code. `context` is the pointer the component
 * passed to the callback. */
typedef int32_t (*SDMAllocMemoryFn)(void* context, void** out, size_t size);

/* Callbacks. Every one takes the component's context first; texts and lists
 * it answers are allocated with SDMAllocMemory (the list, then its array, then
 * each key and value) and released by the component with JP1_1Free. */
typedef int32_t (*SDMTextFn)(void* ctx, wchar_t** out);
typedef int32_t (*SDMListFn)(void* ctx, SDMKeyValueList** out);
typedef int32_t (*SDMNamedTextFn)(void* ctx, const wchar_t* name, wchar_t** out);
typedef int32_t (*SDMThumbnailFn)(void* ctx, int32_t page, void** out, uint64_t* size);
typedef int32_t (*SDMPageCountFn)(void* ctx, int32_t* count);
typedef int32_t (*SDMJobActionFn)(void* ctx, int32_t action);
typedef int32_t (*SDMFreeFn)(void* ctx, void** block);
typedef int32_t (*SDMTrayFn)(void* ctx, SDMTrayList** out);
typedef int32_t (*SDMTonerFn)(void* ctx, SDMTonerList** out);
typedef int32_t (*SDMVersionFn)(void* ctx, int32_t kind, wchar_t** out);
typedef int32_t (*SDMPresetNamesFn)(void* ctx, SDMStringList** out);
typedef int32_t (*SDMPresetDataFn)(void* ctx, const wchar_t* name, SDMKeyValueList** job,
                                   SDMKeyValueList** impose, SDMKeyValueList** preset);
typedef int32_t (*SDMSetTextFn)(void* ctx, const wchar_t* text);

/* The callback table, in slot order. An empty slot is null. */
typedef struct SDMCallbackTable {
  uint32_t version; /* 16 */
  uint32_t twoWay;  /* 1 when the slots answer from two-way data */
  SDMTextFn serverData;
  SDMListFn ppdDefaults;
  SDMListFn outsidePPDOptions;
  SDMListFn fontList;
  SDMNamedTextFn fonts;
  SDMNamedTextFn deviceLinkProfile;
  void* reserved;
  SDMNamedTextFn serverFeatureValue;
  SDMThumbnailFn previewThumbnail;
  SDMPageCountFn previewPageCount;
  SDMJobActionFn jobAction;
  SDMFreeFn freeBlock;
  SDMTrayFn trayInfo;
  SDMTonerFn tonerInfo;
  SDMListFn variableDataMasters;
  SDMListFn colourOptions;
  SDMNamedTextFn calibration;
  SDMNamedTextFn serverValueByKey;
  SDMVersionFn driverVersion;
  SDMPresetNamesFn serverPresetNames;
  SDMPresetDataFn serverPresetData;
  SDMNamedTextFn calibrationExtended;
  SDMListFn helpStrings;
  SDMTextFn otherCalibrationInfo;
  SDMListFn deviceLinkProfiles;
  SDMListFn serverInfo;
  SDMListFn serverFeatures;
} SDMCallbackTable;

enum { kSDMCallbackTableVersion = 16 };

/* Driver version kinds. */
enum { kSDMVersionController = 0, kSDMVersionBundle = 1 };

/* The component's calls. */
typedef int32_t (*JP1_1BeginSessionFn)(const SDMCallbackTable* table, void** handle);
typedef int32_t (*JP1_1IsServerReadyFn)(void* handle);
typedef int32_t (*JP1_1SetListFn)(void* handle, const SDMKeyValueList* list);
typedef int32_t (*JP1_1OpenUIFn)(void* handle, const char* title, int32_t style, int32_t flags,
                                 int32_t* result);
typedef int32_t (*JP1_1GetJobKeyValuesFn)(void* handle, int32_t which, int32_t* outValue,
                                          SDMKeyValueList** list);
typedef int32_t (*JP1_1GetWatermarksFn)(void* handle, SDMKeyValueList** list);
typedef int32_t (*JP1_1FreeFn)(void** block);
typedef int32_t (*JP1_1EndSessionFn)(void* handle);
typedef int32_t (*JP1_1DllEndFn)(void);
typedef int32_t (*SDMTerminateFn)(void* sdmHandle);
typedef int32_t (*SDMDllEndFn)(void);
/* Optional: the local presets callbacks, given after the session began. */
typedef int32_t (*JP1_1SetPresetCallbacksFn)(void* handle, SDMTextFn getLocalPresets,
                                             SDMSetTextFn setLocalPresets);

#ifdef __cplusplus
}
#endif
