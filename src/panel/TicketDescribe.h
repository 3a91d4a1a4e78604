// A job ticket as readable text, for people who check what a print put into
// the job: one line per fragment, its site, its length, then its bytes with
// C-style escapes for everything that is not printable ASCII.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "panel/QZVJobTicket.h"

// The bytes with \n, \r, \t, \\ and three-digit octal escapes (\033) for other
// control characters and bytes from 0x7F up.
std::string EscapeTicketBytes(const std::vector<uint8_t>& bytes);
// "site <n>, <length> bytes: <escaped bytes>" per entry, each line ended by LF.
std::string DescribeTicket(const std::vector<TicketEntry>& entries);
