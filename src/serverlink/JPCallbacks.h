// The callbacks through which the job properties component asks the panel for
// server data during a session: from the two-way data sections when two-way
// data is on, else from fixed texts.
#pragma once

#include <optional>
#include <string>

#include "serverlink/SDMTypes.h"
#include "serverlink/SharedMemoryList.h"

// Fills the table's slots for the mode (every other slot stays empty).
void FillCallbackTable(SDMCallbackTable& table, bool twoWay);

// The two further callbacks for the user's local presets.
int32_t sdmFuncPtrGetLocalPresetsData(void* ctx, wchar_t** out);
int32_t sdmFuncPtrSetLocalPresetsData(void* ctx, const wchar_t* text);

// A section of the panel's two-way data copy as wide text; none when it is
// missing or empty.
std::optional<std::wstring> ReadBidiSection(const char* name);

// The server-data XML of the non-two-way mode for a record.
std::wstring NonTwoWayServerDataXml(const SharedMemoryList& shared, const std::string& language);
