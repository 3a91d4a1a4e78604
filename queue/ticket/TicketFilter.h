// The ticket filter's work, without a process around it: find the job's
// ticket, then stream the job from a file descriptor into a sink with the
// ticket's fragments in place. A job whose ticket cannot be used is passed on
// unchanged, with one line in the job log that says why.
#pragma once

#include <string>
#include <string_view>

#include "queue/ticket/ByteSink.h"
#include "queue/ticket/PostScriptInserter.h"

struct TicketFilterJob {
  // The value of the job option that names the ticket; empty when the job
  // names none.
  std::string ticketName;
  // The folder the cache folder lies below.
  std::string root;
};

enum class TicketFilterResult {
  kApplied,      // the job went out with the ticket's fragments
  kPassedOn,     // the job went out unchanged (no ticket, or one that cannot be used)
  kReadFailed,   // the job could not be read whole; what was read went out
  kWriteFailed,  // the output refused the job
};

TicketFilterResult RunTicketFilter(const TicketFilterJob& job, int inFd, ByteSink& out,
                                   const TicketLogFn& log);

// One job-log line in CUPS's form, "LEVEL: text\n", with control characters
// shown as '?' so that no text from a ticket can start a line of its own (a
// "PPD:" line would change the queue).
std::string FormatLogLine(std::string_view level, std::string_view text);
