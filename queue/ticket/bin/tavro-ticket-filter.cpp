// tavro-ticket-filter job-id user title copies options [file]
//
// The queue's last filter for PostScript jobs: puts the fragments of the
// job's ticket (named by a job option) into the job on its way to the device.
#include <cups/cups.h>
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/SystemSettings.h"
#include "queue/ticket/TicketFilter.h"
#include "queue/ticket/TicketOption.h"

int main(int argc, char** argv) {
  auto log = [](std::string_view level, std::string_view text) {
    std::string line = FormatLogLine(level, text);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
  };
  if (argc < 6 || argc > 7) {
    std::fprintf(stderr, "Usage: %s job-id user title copies options [file]\n", argv[0]);
    return 1;
  }
  // A closed output shows as a failed write, not a signal.
  std::signal(SIGPIPE, SIG_IGN);

  int in = 0;
  if (argc == 7) {
    in = ::open(argv[6], O_RDONLY | O_CLOEXEC);
    if (in < 0) {
      log("ERROR", std::string("Unable to open print file: ") + std::strerror(errno));
      return 1;
    }
  }

  TicketFilterJob job;
  cups_option_t* options = nullptr;
  int count = cupsParseOptions(argv[5], 0, &options);
  if (const char* value = cupsGetOption(TicketOptionName().c_str(), count, options))
    job.ticketName = value;
  cupsFreeOptions(count, options);
  job.root = TavroRoot();

  FdSink out(STDOUT_FILENO);
  TicketFilterResult result = RunTicketFilter(job, in, out, log);
  if (in > 0) ::close(in);
  switch (result) {
    case TicketFilterResult::kApplied:
    case TicketFilterResult::kPassedOn:
      return 0;
    case TicketFilterResult::kWriteFailed:
      log("ERROR", "Unable to write the print data");
      return 1;
    case TicketFilterResult::kReadFailed:
      return 1;
  }
  return 1;
}
