// The path of the current queue's PPD as the printing system last reported it
// (process-wide, at most 1023 bytes). Waiting for a command job sets it once
// the job has completed, so that PPD messages are read from the new PPD.
#pragma once

#include <string>
#include <string_view>

std::string DestinationPPDPath();
// A longer path is not kept (the previous one stays).
void SetDestinationPPDPath(std::string_view path);
