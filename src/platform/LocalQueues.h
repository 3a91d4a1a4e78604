// Local print queues: the printing system embedded in the process, for the
// demo and for tests that need no scheduler. A queue is a folder:
//
//   <root>/queues/<QUEUE>/           (root: TavroRoot(), see SystemSettings.h)
//     <QUEUE>.ppd    the queue's PPD; printer commands update it in place
//     queue.plist    a dictionary: "device-uri", "printer-info",
//                    "printer-make-and-model" (else the PPD's *NickName),
//                    "printer-state" (3 idle, 4 processing, 5 stopped),
//                    "printer-state-message", "printer-state-reasons" (array)
//     spool/         copies of documents whose jobs have not run yet
//
// The queue folders are the whole queue state; the job list lives in the
// process (numbers from 1, as a fresh scheduler gives them).
//
// A printer command on a local queue runs at once, in-process, through the
// command handler that the queue's side installs with
// SetLocalQueueCommandHandler (the library that carries out commands is
// linked by the program, not by this layer, so the platform builds without
// it). The handler carries out the command and writes its PPD updates into
// the PPD, as the scheduler and its filter do together. The job then shows
// completed (9) when the handler accepted the command, stopped (6) when it
// refused it or when no handler is installed, and stays pending (3) while the
// queue is stopped (5); a pending job runs when the queue is made idle again.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/PMDefinitions.h"

struct LocalQueueCommand {
  std::string root;     // TavroRoot() when the command was sent
  std::string ppdPath;  // the queue's PPD
  std::string queueName;
  std::string user;   // login name of the sender
  std::string title;  // the command name
  std::string body;   // the command text
};

struct LocalQueueCommandResult {
  bool accepted = false;
  std::string message;  // kept as the job's message
};

using LocalQueueCommandHandler = std::function<LocalQueueCommandResult(const LocalQueueCommand&)>;

// Installs the handler for all local queues; an empty function removes it.
// Answers the previous handler.
LocalQueueCommandHandler SetLocalQueueCommandHandler(LocalQueueCommandHandler handler);

// A document job on a local queue. Its file is a copy kept in the queue's
// folder while the job waits or runs ("<QUEUE>/spool/d<id>"), removed after.
struct LocalQueueDocument {
  std::string root;
  std::string ppdPath;
  std::string queueName;
  std::string user;
  std::string title;
  std::string format;
  std::vector<std::pair<std::string, std::string>> options;
  std::string documentPath;
  std::string deviceURI;
};

using LocalQueueDocumentHandler = std::function<LocalQueueCommandResult(const LocalQueueDocument&)>;

// Installs what runs a queue's documents (its filter chain). Without one, a
// document goes unchanged to a "file:" device (raw printing), and a job for
// any other device stops.
LocalQueueDocumentHandler SetLocalQueueDocumentHandler(LocalQueueDocumentHandler handler);

// "<root>/queues".
std::string LocalQueuesDirectory();
std::string LocalQueueDirectory(std::string_view queueName);

struct LocalQueueSetup {
  std::string deviceURI = "file:///dev/null";
  std::string info;          // printer-info; empty: the queue name
  std::string makeAndModel;  // empty: the PPD's *NickName
};

// Makes (or replaces) a queue from a PPD file, idle. Queue names are 1-127
// characters of letters, digits, '-', '_' and '.', not starting with '.'.
OSStatus LocalQueueCreate(std::string_view queueName, const std::string& ppdSource,
                          const LocalQueueSetup& setup = {});
OSStatus LocalQueueDelete(std::string_view queueName);
// Sets the queue's state and message; making a stopped queue idle runs its
// pending jobs.
OSStatus LocalQueueSetState(std::string_view queueName, PMPrinterState state,
                            std::string_view message = {});

// Forgets every job (tests that want numbers from 1 again).
void LocalQueueResetJobs();
