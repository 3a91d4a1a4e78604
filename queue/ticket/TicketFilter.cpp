#include "queue/ticket/TicketFilter.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "queue/ticket/TicketFile.h"
#include "queue/ticket/TicketPlan.h"

namespace {

constexpr size_t kReadBytes = 128 * 1024;
// CUPS cuts a log line at 2047 characters.
constexpr size_t kMaxLogText = 1900;

// Feeds the job to `feed` chunk by chunk; false when reading failed.
template <typename FeedFn>
bool ReadJob(int fd, FeedFn&& feed, const TicketLogFn& log) {
  std::vector<char> buffer(kReadBytes);
  for (;;) {
    ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (log) log("ERROR", "Unable to read the print file: " + std::string(std::strerror(errno)));
      return false;
    }
    if (n == 0) return true;
    if (!feed(std::string_view(buffer.data(), static_cast<size_t>(n)))) return true;
  }
}

TicketFilterResult PassOn(int inFd, ByteSink& out, const TicketLogFn& log) {
  bool wrote = true;
  bool read = ReadJob(
      inFd, [&](std::string_view chunk) { return wrote = out.Write(chunk); }, log);
  if (wrote) wrote = out.Flush();
  if (!wrote) return TicketFilterResult::kWriteFailed;
  return read ? TicketFilterResult::kPassedOn : TicketFilterResult::kReadFailed;
}

}  // namespace

std::string FormatLogLine(std::string_view level, std::string_view text) {
  std::string line(level);
  line += ": ";
  for (unsigned char c : text.substr(0, kMaxLogText)) line += (c < 0x20 || c == 0x7F) ? '?' : c;
  line += '\n';
  return line;
}

TicketFilterResult RunTicketFilter(const TicketFilterJob& job, int inFd, ByteSink& out,
                                   const TicketLogFn& log) {
  auto say = [&](std::string_view level, const std::string& text) {
    if (log) log(level, text);
  };
  if (job.ticketName.empty()) {
    say("DEBUG", "The job names no job ticket; it prints unchanged");
    return PassOn(inFd, out, log);
  }
  std::string xml;
  std::string error;
  TicketPlan plan;
  if (!ReadTicketFile(job.ticketName, job.root, xml, error) || !ReadTicketPlan(xml, plan, error)) {
    say("ERROR", "Job ticket \"" + job.ticketName + "\" not used (" + error +
                     "); the job prints without it");
    return PassOn(inFd, out, log);
  }
  xml.clear();
  xml.shrink_to_fit();
  if (plan.Empty()) {
    say("DEBUG", "The job ticket is empty; the job prints unchanged");
    return PassOn(inFd, out, log);
  }
  for (const auto& path : plan.mailboxPaths) say("INFO", "Mailbox path: " + path);

  PostScriptInserter inserter(plan, out, log);
  bool read = ReadJob(
      inFd, [&](std::string_view chunk) { return inserter.Feed(chunk); }, log);
  if (!inserter.Finish()) return TicketFilterResult::kWriteFailed;
  if (!read) return TicketFilterResult::kReadFailed;
  const auto& report = inserter.Result();
  if (!report.dsc) return TicketFilterResult::kPassedOn;
  say("DEBUG", "Job ticket applied: " + std::to_string(plan.header.size()) + " header comments, " +
                   std::to_string(plan.setup.size()) + " setup fragments" +
                   (report.setupMade ? " in a setup section of its own" : "") + ", " +
                   std::to_string(report.removedBlocks) + " suppressed blocks removed");
  return TicketFilterResult::kApplied;
}
