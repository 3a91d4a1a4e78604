// Waiting for a printer command's job. The command goes out under a title that
// ends in a random identifier; the job of that title is watched in the list of
// all jobs of all queues until it completes, then the queue's new PPD becomes
// the destination PPD (see DestinationPPD.h).
#pragma once

#include <string_view>

// True when the job completed. At most 360 listings 100 ms apart; a job that
// stops, is cancelled or aborted, or a scheduler that fails to answer, ends
// the wait at once with false.
bool isJobComple(std::string_view title);
