// A job ticket read for insertion: the flat property-list array of (site,
// bytes) pairs sorted into what goes where in the job.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

// The injection sites a ticket may use.
enum TicketSite : int {
  kTicketSiteSuppressFeature = -9,
  kTicketSiteJobInfo = 30,
  kTicketSitePageSize = 70,
  kTicketSiteEndOfFeatures = 71,
  kTicketSiteFeature = 81,
  kTicketSiteHeaderComment = 501,
  kTicketSiteLayoutComment = 504,
  kTicketSiteMailboxPath = 900,
};

struct TicketPlan {
  // Header comments in ticket order (job info, header and layout comments,
  // and the mailbox comment made from each mailbox path).
  std::vector<std::string> header;
  // Document setup code in ticket order, the end-of-features markers last.
  std::vector<std::string> setup;
  // Keywords (with their leading '*') whose standard blocks are removed.
  std::set<std::string, std::less<>> suppressed;
  std::vector<std::string> mailboxPaths;

  bool Empty() const { return header.empty() && setup.empty() && suppressed.empty(); }
};

// The comment that carries a mailbox path in the job's header.
inline constexpr std::string_view kMailboxComment = "%%QZVMailboxPath: ";

// Reads the XML form of a ticket. Anything but a flat array of integer sites
// and data fragments, an unknown site, a suppressed keyword that is not one
// word or a mailbox path with control characters gives false with the reason in `error`;
// `plan` is then left empty.
bool ReadTicketPlan(std::string_view xml, TicketPlan& plan, std::string& error);
