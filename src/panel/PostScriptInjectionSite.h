// Where in the job the printing system's filter puts each fragment of a job
// ticket. The numbers are the contract with that filter.
#pragma once

#include <cstdint>

enum PostScriptInjectionSite : int32_t {
  kSiteSuppressFeature = -9,  // a bare keyword: leave out the system's own code for it
  kSiteJobInfo = 30,          // job-note comment lines
  kSitePageSize = 70,         // the page-size code
  kSiteEndOfFeatures = 71,    // the end-of-insertion marker
  kSiteFeature = 81,          // all feature code
  kSiteHeaderComment = 501,   // driver and UTF-8 version comments
  kSiteLayoutComment = 504,   // N-up and orientation comments
  kSiteMailboxPath = 900,     // the mailbox file's relative path (not PostScript)
};
