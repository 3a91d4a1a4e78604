// Converters from the two-way data sections (wide texts) to the records the
// job properties component reads. Every returned piece is allocated with the
// component's allocator; each converter answers false (the callback then
// answers 4096) for an empty, truncated or unreadable section or a failed
// allocation, and reads nothing outside its text.
#pragma once

#include <string_view>

#include "serverlink/SDMAlloc.h"

// Section lines: split at line feeds, a trailing carriage return dropped.
std::vector<std::wstring_view> SectionLines(std::wstring_view text);

// The server-information item (0 ServerName, 1 ServerVersion, 5 DiskAvailable,
// 6 DiskTotal, 7 MemAvailable, 11 ProductFamily, 12 ServerOS, 13 PCLSupport,
// 14 PSSupport, 15 Tintvane, 16 MemSize): the first line holding the key and
// ":" + key gives its text before the first ":".
bool GetServerInfoToSDM(std::wstring_view text, const SDMAllocator& alloc, int item, wchar_t** out);
// The server-features section looked up the same way.
bool IsServerFeatureSupportedToSDM(std::wstring_view text, std::wstring_view feature);
bool GetServerFeatureValueToSDM(std::wstring_view text, const SDMAllocator& alloc,
                                std::wstring_view feature, wchar_t** out);
// Server information or features as pairs: each line split at its first ":",
// at most 30 pairs, each text at most 255 characters.
bool GetServerPairsToSDM(std::wstring_view text, const SDMAllocator& alloc, SDMKeyValueList** out);

// "<n>:<tray>:<tray>..." with the fields of a tray separated by "@".
bool GetTrayInfoToSDM(std::wstring_view text, const SDMAllocator& alloc, SDMTrayList** out);
// The same layout for toners of five fields.
bool GetTonerInfoToSDM(std::wstring_view text, const SDMAllocator& alloc, SDMTonerList** out);

// One preset name a line.
bool GetServerPresetNamesListToSDM(std::wstring_view text, const SDMAllocator& alloc,
                                   SDMStringList** out);
// The block after the line equal to `name`: "JPKeyValues=<n>",
// "ImposeKeyValues=<n>" and "PresetKeyValues=<n>" each followed by n lines
// "key=value". A group the block lacks stays null.
bool GetServerPresetDataByNameToSDM(std::wstring_view text, const SDMAllocator& alloc,
                                    std::wstring_view name, SDMKeyValueList** job,
                                    SDMKeyValueList** impose, SDMKeyValueList** preset);

// Sections of "key=value" lines (blank lines skipped).
bool GetAllDeviceLinkProfilesToSDM(std::wstring_view text, const SDMAllocator& alloc,
                                   SDMKeyValueList** out);
bool GetLoclHelpStringsToSDM(std::wstring_view text, const SDMAllocator& alloc,
                             SDMKeyValueList** out);
// An empty value is handed over as "EMPTYSTRING".
bool PPDDefaultsToSDM(std::wstring_view text, const SDMAllocator& alloc, SDMKeyValueList** out);
bool UpdateTintvaneOptionsToSDM(std::wstring_view text, const SDMAllocator& alloc,
                                SDMKeyValueList** out);
bool UpdateHexweftMastersToSDM(std::wstring_view text, const SDMAllocator& alloc,
                               SDMKeyValueList** out);

// The local presets message as one wide text, "EFBBBF" turned back into the
// byte-order mark.
bool GetLocalPresetsDataToSDM(std::string_view text, bool twoWay, const SDMAllocator& alloc,
                              wchar_t** out);

// The overrides of a DMT XML text: defaults, locked and hidden keys of its
// "UI-Modification" category. True when the category is there (a block it
// lacks leaves its list null); false without it or when an allocation fails.
bool GetDMTOverridesToSDM(std::wstring_view dmt, const SDMAllocator& alloc,
                          SDMKeyValueList** defaults, SDMKeyValueList** locked,
                          SDMKeyValueList** hidden);
