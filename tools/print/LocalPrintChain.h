// The filter chain of local queues, run by the host itself: the system's
// standard PostScript filter (pstops, when installed) puts the PPD's code for
// the job's standard options in, then the ticket filter's logic places the
// ticket's fragments, and the result goes to the queue's "file:" device.
// Every line the filters log goes to "<queue folder>/job.log".
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/LocalQueues.h"

// Where the standard filter is looked for ($TAVRO_PSTOPS, else CUPS's own).
std::string StandardPostScriptFilter();

LocalQueueCommandResult RunLocalPrintChain(const LocalQueueDocument& document);

// Installs RunLocalPrintChain as the document handler of all local queues.
void InstallLocalPrintChain();

// The job options as one "name=value ..." word, quoted for cupsParseOptions.
std::string JoinJobOptions(const std::vector<std::pair<std::string, std::string>>& options);
