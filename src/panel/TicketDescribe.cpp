#include "panel/TicketDescribe.h"

#include <cstdio>

std::string EscapeTicketBytes(const std::vector<uint8_t>& bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (uint8_t b : bytes) {
    switch (b) {
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        if (b < 0x20 || b >= 0x7F) {
          char octal[5];
          std::snprintf(octal, sizeof octal, "\\%03o", b);
          out += octal;
        } else {
          out += static_cast<char>(b);
        }
    }
  }
  return out;
}

std::string DescribeTicket(const std::vector<TicketEntry>& entries) {
  std::string out;
  for (const TicketEntry& entry : entries) {
    out += "site " + std::to_string(entry.site) + ", " + std::to_string(entry.bytes.size()) +
           " bytes: ";
    out += EscapeTicketBytes(entry.bytes);
    out += '\n';
  }
  return out;
}
