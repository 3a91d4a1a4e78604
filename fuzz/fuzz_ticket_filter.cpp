// links: tavro_ticket_filter
// A ticket and a job from one input, split at the first "\n@@JOB@@\n" (no
// marker: the whole input is the job, under a fixed ticket). A ticket that
// does not read falls back to the fixed one, so every input drives the
// inserter. Checked: the job's bytes come out in order (all of them when no
// keyword is suppressed), and the output does not depend on how the job is
// cut into pieces.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "queue/ticket/PostScriptInserter.h"
#include "queue/ticket/TicketPlan.h"

namespace {

TicketPlan FixedPlan() {
  TicketPlan plan;
  plan.header = {"%%QZJobNote: a\n", "%%QZVMailboxPath: Library/Caches/QZV/b"};
  plan.setup = {"%%BeginFeature: *PageSize A4\n%%EndFeature\n", "END"};
  plan.suppressed = {"*Duplex", "*MediaType"};
  return plan;
}

std::string Filter(const TicketPlan& plan, std::string_view job, size_t piece) {
  StringSink sink;
  PostScriptInserter inserter(plan, sink);
  for (size_t at = 0; at < job.size(); at += piece) {
    if (!inserter.Feed(job.substr(at, piece))) std::abort();
  }
  if (!inserter.Finish()) std::abort();
  return sink.data;
}

// `inner` appears in `outer` in order, byte by byte.
bool IsSubsequence(std::string_view inner, std::string_view outer) {
  size_t at = 0;
  for (char c : outer) {
    if (at < inner.size() && inner[at] == c) ++at;
  }
  return at == inner.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  constexpr std::string_view kMarker = "\n@@JOB@@\n";
  TicketPlan plan = FixedPlan();
  std::string_view job = input;
  size_t split = input.find(kMarker);
  if (split != std::string_view::npos) {
    TicketPlan read;
    std::string error;
    if (ReadTicketPlan(input.substr(0, split), read, error)) plan = std::move(read);
    job = input.substr(split + kMarker.size());
  }

  std::string whole = Filter(plan, job, job.size() + 1);
  size_t piece = 1 + (size > 0 ? data[size - 1] % 61 : 0);
  if (Filter(plan, job, piece) != whole) std::abort();

  size_t added = 0;
  for (const auto& text : plan.header) added += text.size() + 4;
  for (const auto& text : plan.setup) added += text.size() + 4;
  added += 64;  // a made setup section's own lines
  if (whole.size() > job.size() + added) std::abort();

  TicketPlan open = plan;
  open.suppressed.clear();
  std::string kept = Filter(open, job, piece);
  if (!IsSubsequence(job, kept) || kept.size() < job.size()) std::abort();
  return 0;
}
