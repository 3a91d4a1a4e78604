// tavro-ticket FILE: prints a job ticket file as readable text, one line per
// fragment: its site, its length and its bytes with C-style escapes.
// tavro-ticket --in JOB FILE: says where each fragment landed in a printed
// job (the PostScript a queue's filters produced): its line and section, and
// for suppressed keywords whether any standard block of them is left.
// Exit codes: 0 printed, 1 the file is no ticket, 2 usage error or unreadable
// file, 3 (with --in) a fragment is not where its site puts it.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "panel/QZVJobTicket.h"
#include "panel/TicketDescribe.h"

namespace {

bool ReadWhole(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream s;
  s << in.rdbuf();
  *text = s.str();
  return true;
}

std::string FirstLine(const std::vector<uint8_t>& bytes) {
  std::string text(bytes.begin(), bytes.end());
  size_t end = text.find_first_of("\r\n");
  return end == std::string::npos ? text : text.substr(0, end);
}

const char* SiteName(int32_t site) {
  switch (site) {
    case -9:
      return "suppressed keyword";
    case 30:
      return "job information";
    case 501:
      return "header comment";
    case 504:
      return "layout comment";
    case 70:
      return "page size";
    case 81:
      return "feature code";
    case 71:
      return "end of features";
    case 900:
      return "mailbox path";
  }
  return "unknown site";
}

// Answers false when a fragment is missing or outside its section.
bool DescribePlacement(const std::vector<TicketEntry>& entries, const std::string& job,
                       std::ostream& out) {
  std::vector<std::string> lines;
  std::istringstream in(job);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  auto find = [&lines](const std::string& text, size_t from) {
    for (size_t i = from; i < lines.size(); ++i) {
      if (lines[i] == text) return i;
    }
    return lines.size();
  };
  const size_t endComments = find("%%EndComments", 0);
  const size_t beginSetup = find("%%BeginSetup", 0);
  const size_t endSetup = find("%%EndSetup", beginSetup);
  bool allPlaced = true;
  size_t lastHeader = 0, lastSetup = beginSetup;
  for (const TicketEntry& entry : entries) {
    std::string first = FirstLine(entry.bytes);
    out << "site " << entry.site << " (" << SiteName(entry.site) << ") ";
    if (entry.site == -9) {
      // The panel writes its own block of a keyword it suppresses: only the
      // blocks beyond those the ticket brought are standard ones.
      const std::string opening = "%%BeginFeature: " + first + " ";
      size_t inJob = 0, fromTicket = 0;
      for (const std::string& line : lines) inJob += line.rfind(opening, 0) == 0;
      for (const TicketEntry& other : entries) {
        if (other.site == -9) continue;
        std::istringstream fragment(std::string(other.bytes.begin(), other.bytes.end()));
        for (std::string line; std::getline(fragment, line);) {
          fromTicket += line.rfind(opening, 0) == 0;
        }
      }
      const size_t left = inJob > fromTicket ? inJob - fromTicket : 0;
      out << first << ": "
          << (left ? std::to_string(left) + " standard block(s) left" : "no standard block left")
          << "\n";
      allPlaced = allPlaced && left == 0;
      continue;
    }
    if (entry.bytes.empty()) {
      out << "empty: nothing to place\n";
      continue;
    }
    if (entry.site == 900) first = "%%QZVMailboxPath: " + first;
    const bool header =
        entry.site == 30 || entry.site == 501 || entry.site == 504 || entry.site == 900;
    size_t at = find(first, header ? lastHeader : lastSetup);
    bool placed = header ? at < endComments : at > beginSetup && at < endSetup;
    if (at < lines.size()) {
      out << "line " << at + 1 << ", "
          << (at < endComments                   ? "header comments"
              : at > beginSetup && at < endSetup ? "document setup"
                                                 : "elsewhere")
          << ": " << first << "\n";
      (header ? lastHeader : lastSetup) = at;
    } else {
      out << "not found: " << first << "\n";
    }
    allPlaced = allPlaced && placed;
  }
  return allPlaced;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string jobPath;
  if (args.size() == 3 && args[0] == "--in") {
    jobPath = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.size() != 1 || args[0] == "--help") {
    std::fprintf(stderr, "usage: tavro-ticket [--in JOB.ps] FILE\n");
    return 2;
  }
  std::string text, job;
  if (!ReadWhole(args[0], &text)) {
    std::fprintf(stderr, "tavro-ticket: cannot read %s\n", args[0].c_str());
    return 2;
  }
  if (!jobPath.empty() && !ReadWhole(jobPath, &job)) {
    std::fprintf(stderr, "tavro-ticket: cannot read %s\n", jobPath.c_str());
    return 2;
  }
  std::vector<TicketEntry> entries;
  std::string error;
  if (!ParseTicketEntries(text, entries, &error)) {
    std::fprintf(stderr, "tavro-ticket: %s is no job ticket: %s\n", args[0].c_str(), error.c_str());
    return 1;
  }
  if (jobPath.empty()) {
    std::cout << DescribeTicket(entries);
    return 0;
  }
  return DescribePlacement(entries, job, std::cout) ? 0 : 3;
}
