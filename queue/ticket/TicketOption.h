// Where the document job finds its ticket: the job option that names the
// ticket file, and the folder and name form the file must have. The host that
// submits the job and this filter both take the names from here.
#pragma once

#include <string>
#include <string_view>

// The job option carries the print-settings key itself: CUPS hands option
// names with dots to filters unchanged, so no mapping is needed.
std::string TicketOptionName();

// The cache folder below the configurable root (TavroRoot()).
inline constexpr std::string_view kTicketCacheFolder = "Library/Caches/QZV";
// Every ticket file name starts with this; other cache files are never read
// as tickets.
inline constexpr std::string_view kTicketFilePrefix = "Tavro.temp";
// A ticket is a few kilobytes; anything near this is not one.
inline constexpr size_t kTicketMaxBytes = 8u << 20;
