// tavro-ticket FILE: prints a job ticket file as readable text, one line per
// fragment: its site, its length and its bytes with C-style escapes.
// Exit codes: 0 printed, 1 the file is no ticket, 2 usage error or unreadable file.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "panel/QZVJobTicket.h"
#include "panel/TicketDescribe.h"

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]) == "--help") {
    std::fprintf(stderr, "usage: tavro-ticket FILE\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "tavro-ticket: cannot read %s\n", argv[1]);
    return 2;
  }
  std::stringstream text;
  text << in.rdbuf();
  std::vector<TicketEntry> entries;
  std::string error;
  if (!ParseTicketEntries(text.str(), entries, &error)) {
    std::fprintf(stderr, "tavro-ticket: %s is no job ticket: %s\n", argv[1], error.c_str());
    return 1;
  }
  std::cout << DescribeTicket(entries);
  return 0;
}
