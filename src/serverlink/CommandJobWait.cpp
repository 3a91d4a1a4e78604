#include "serverlink/CommandJobWait.h"

#include <cstdio>
#include <string>
#include <vector>

#include "foundation/CurrentPrintSession.h"
#include "platform/PMPrinter.h"
#include "platform/PrintingSystem.h"
#include "serverlink/DestinationPPD.h"
#include "serverlink/WaitClock.h"

namespace {

constexpr int kTries = 360;
constexpr int kPollMs = 100;
constexpr int kSettleMs = 700;
// The longest the listings may take together (360 x 100 ms), however slowly
// the scheduler answers each one.
constexpr double kMaxSeconds = kTries * kPollMs / 1000.0;

void LogElapsed(const char* what, double elapsed) {
  std::fprintf(stderr, "isJobComple: (%s) elapsed=%lf\n", what, elapsed);
}

}  // namespace

bool isJobComple(std::string_view title) {
  WaitClock& clock = CurrentWaitClock();
  const double start = clock.NowSeconds();
  const std::string wanted(title);
  int jobId = -1;
  bool completed = false;
  std::string destination;

  for (int attempt = 0; attempt < kTries; ++attempt) {
    std::vector<PMJobInfo> jobs;
    // The printer's own printing system answers: for a panel loaded into a
    // host, the host's.
    PMPrinterRef printer = CurrentPrinter();
    OSStatus status = printer ? printer->CopyJobs(&jobs) : PMCopyAllJobs(&jobs);
    LogElapsed("cupsGetJobs", clock.NowSeconds() - start);
    if (status != noErr) {
      std::fprintf(stderr, "isJobComple: the job list failed (%d)\n", static_cast<int>(status));
      break;
    }
    bool ended = false;
    for (const PMJobInfo& job : jobs) {
      if (jobId < 0 && job.title == wanted) {
        jobId = job.id;
        std::fprintf(stderr, "isJobComple: try=%d id=%d, c=%s, j=%s, s=%d\n", attempt, job.id,
                     wanted.c_str(), job.title.c_str(), static_cast<int>(job.state));
      }
      if (job.id != jobId) continue;
      if (job.state == kPMJobCompleted) {
        completed = true;
        destination = job.destination;
        std::fprintf(stderr, "isJobComple: try=%d, dest=%s\n", attempt, destination.c_str());
      } else if (job.state >= kPMJobStopped) {
        // A stopped, cancelled or aborted command job never completes.
        ended = true;
      }
      break;
    }
    if (completed || ended) break;
    if (clock.NowSeconds() - start >= kMaxSeconds) break;
    clock.SleepMs(kPollMs);
  }
  LogElapsed("JobStatusCheck", clock.NowSeconds() - start);

  if (completed) {
    std::vector<std::string> names;
    PMCopyPrinterNames(&names);
    std::fprintf(stderr, "isJobComple: numdests=%d\n", static_cast<int>(names.size()));
    std::string ppd;
    for (const std::string& name : names) {
      if (name != destination) continue;
      if (PMCopyQueuePPDPath(name, &ppd) == noErr && !ppd.empty()) {
        SetDestinationPPDPath(ppd);
        std::fprintf(stderr, "isJobComple: new PPD=%s\n", ppd.c_str());
      }
      break;
    }
    clock.SleepMs(kSettleMs);
  }
  LogElapsed("isJobComple", clock.NowSeconds() - start);
  return completed;
}
