#include "LocalPrintChain.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/PMPrinter.h"
#include "queue/ticket/TicketFilter.h"
#include "queue/ticket/TicketOption.h"

namespace {

class LogFile {
 public:
  explicit LogFile(const std::string& path) : out_(path, std::ios::app) {}
  void Line(std::string_view level, std::string_view text) {
    last_ = FormatLogLine(level, text);
    out_ << last_;
    out_.flush();
    if (!last_.empty() && last_.back() == '\n') last_.pop_back();
  }
  const std::string& Last() const { return last_; }
  std::ofstream& Stream() { return out_; }

 private:
  std::ofstream out_;
  std::string last_;
};

// Runs the standard filter over the document into `output`; its standard
// error goes to the log file. False when it could not run or failed.
bool RunStandardFilter(const std::string& filter, const LocalQueueDocument& doc,
                       const std::string& output, const std::string& logPath) {
  std::string options = JoinJobOptions(doc.options);
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (out < 0 || in < 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    if (log >= 0) dup2(log, 2);
    setenv("PPD", doc.ppdPath.c_str(), 1);
    setenv("CONTENT_TYPE", "application/postscript", 1);
    setenv("FINAL_CONTENT_TYPE", "application/vnd.cups-postscript", 1);
    const char* user = doc.user.empty() ? "user" : doc.user.c_str();
    const char* title = doc.title.empty() ? "job" : doc.title.c_str();
    execl(filter.c_str(), "pstops", "1", user, title, "1", options.c_str(),
          doc.documentPath.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

std::string StandardPostScriptFilter() {
  if (const char* env = std::getenv("TAVRO_PSTOPS"); env && *env) return env;
  return "/usr/lib/cups/filter/pstops";
}

std::string JoinJobOptions(const std::vector<std::pair<std::string, std::string>>& options) {
  std::string text;
  for (const auto& [name, value] : options) {
    if (!text.empty()) text += ' ';
    text += name;
    text += '=';
    for (char c : value) {
      if (c == ' ' || c == '\t' || c == '\\' || c == '"' || c == '\'' || c == ',') text += '\\';
      text += c;
    }
  }
  return text;
}

LocalQueueCommandResult RunLocalPrintChain(const LocalQueueDocument& doc) {
  const std::string folder = LocalQueueDirectory(doc.queueName);
  LogFile log(folder + "/job.log");
  auto logFn = [&log](std::string_view level, std::string_view text) { log.Line(level, text); };

  if (doc.deviceURI.rfind("file:", 0) != 0) {
    log.Line("ERROR", "Local queues print to file: devices only, not " + doc.deviceURI);
    return {false, log.Last()};
  }
  const std::string device = PMFileURLPath(doc.deviceURI);

  // The standard code first, as the scheduler's chain puts it in.
  std::string input = doc.documentPath;
  std::string staged;
  const std::string filter = StandardPostScriptFilter();
  if (access(filter.c_str(), X_OK) == 0) {
    staged = doc.documentPath + ".standard";
    if (!RunStandardFilter(filter, doc, staged, folder + "/job.log")) {
      unlink(staged.c_str());
      log.Line("ERROR", "The standard PostScript filter " + filter + " failed");
      return {false, log.Last()};
    }
    input = staged;
  } else {
    log.Line("INFO", "No standard PostScript filter (" + filter +
                         "): the standard options' code is not put in");
  }

  TicketFilterJob job;
  job.root = doc.root;
  const std::string optionName = TicketOptionName();
  for (const auto& [name, value] : doc.options) {
    if (name == optionName) job.ticketName = value;
  }
  int in = open(input.c_str(), O_RDONLY | O_CLOEXEC);
  int out = open(device.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  LocalQueueCommandResult result{false, {}};
  if (in < 0 || out < 0) {
    log.Line("ERROR", std::string("Unable to open ") +
                          (in < 0 ? "the job" : "the device " + device) + ": " +
                          std::strerror(errno));
  } else {
    FdSink sink(out);
    TicketFilterResult r = RunTicketFilter(job, in, sink, logFn);
    bool flushed = sink.Flush();
    result.accepted =
        flushed && (r == TicketFilterResult::kApplied || r == TicketFilterResult::kPassedOn);
    if (!result.accepted) log.Line("ERROR", "Unable to write the print data to " + device);
  }
  if (in >= 0) close(in);
  if (out >= 0) close(out);
  if (!staged.empty()) unlink(staged.c_str());
  result.message = log.Last();
  return result;
}

void InstallLocalPrintChain() {
  SetLocalQueueDocumentHandler(RunLocalPrintChain);
}
