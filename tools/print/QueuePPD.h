// What the host itself reads of a queue's PPD: enough to say why a queue is
// not served, to start the page format on the PPD's default paper, and to
// turn the panel's saved choices into the job options that the queue's
// standard filter understands.
#pragma once

#include <string>
#include <utility>
#include <vector>

class PMPrintSettings;

// The PPD's *%QZVersion or *%QZVersionMac line (the controller version).
bool PPDDeclaresControllerVersion(const std::string& ppdPath);

// The PPD's default page size keyword ("Letter"); empty when it has none.
std::string PPDDefaultPageSize(const std::string& ppdPath);

// Job options for the standard options of the PPD: for every UI option whose
// keyword the print settings hold (as "*Keyword") with one of its choices,
// "Keyword=Choice", in the PPD's order. Job notes and other free texts are
// not standard options and never become job options.
std::vector<std::pair<std::string, std::string>> StandardJobOptions(
    const std::string& ppdPath, const PMPrintSettings& settings);
