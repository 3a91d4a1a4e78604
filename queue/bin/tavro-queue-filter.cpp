// CUPS filter for command jobs (application/vnd.cups-command): the job's
// title is the command, its document the text. Arguments: job user title
// copies options [file]; the document is the file or standard input.
// PPD updates go to cupsd as "PPD:" lines, the outcome as "INFO:" or "ERROR:".
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "queue/PPDMessage.h"
#include "queue/QueueCommands.h"

namespace {

// Larger than any command text the queue accepts, so that an over-long
// document is refused by the command rules rather than cut.
constexpr size_t kMaxDocument = 16u * 1024u * 1024u + 1;

bool ReadDocument(int fd, std::string& out) {
  char chunk[65536];
  for (;;) {
    ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    size_t room = kMaxDocument - out.size();
    out.append(chunk, std::min(room, static_cast<size_t>(n)));
    if (out.size() >= kMaxDocument) return true;
  }
}

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6 || argc > 7) {
    std::fprintf(stderr, "Usage: %s job-id user title copies options [file]\n", argv[0]);
    return 1;
  }
  int fd = 0;
  if (argc == 7) {
    fd = open(argv[6], O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      std::fprintf(stderr, "ERROR: cannot open the command document: %s\n", std::strerror(errno));
      return 1;
    }
  }
  std::string body;
  bool read = ReadDocument(fd, body);
  if (fd != 0) close(fd);
  if (!read) {
    std::fprintf(stderr, "ERROR: cannot read the command document: %s\n", std::strerror(errno));
    return 1;
  }

  QueueCommandContext ctx;
  const char* root = std::getenv("TAVRO_ROOT");
  ctx.root = root && *root ? root : "/var/lib/tavro";
  const char* ppd = std::getenv("PPD");
  ctx.ppdPath = ppd ? ppd : "";
  const char* printer = std::getenv("PRINTER");
  ctx.queueName = printer ? printer : "";
  ctx.user = argv[2];

  QueueCommandOutcome outcome = RunQueueCommand(ctx, argv[3], body);
  for (const std::string& line : FormatPPDLines(outcome.ppdUpdates))
    std::fprintf(stderr, "%s\n", line.c_str());
  std::fprintf(stderr, "%s: %s\n", outcome.accepted ? "INFO" : "ERROR",
               OneLine(outcome.message).c_str());
  std::fflush(stderr);
  return outcome.accepted ? 0 : 1;
}
