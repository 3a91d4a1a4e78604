// The panel's side of the hand-off read by the filter's side: the ticket the
// panel serialises, the file name it makes and the print-settings key it uses
// must all be what the filter accepts.
#include <gtest/gtest.h>

#include "foundation/PDEIdentity.h"
#include "panel/QZVJobTicket.h"
#include "queue/ticket/TicketFile.h"
#include "queue/ticket/TicketOption.h"
#include "queue/ticket/TicketPlan.h"

namespace {

TicketEntry Entry(PostScriptInjectionSite site, std::string_view text) {
  return TicketEntry{site, std::vector<uint8_t>(text.begin(), text.end())};
}

TEST(PanelTicketContract, EverySiteThePanelWritesIsPlaced) {
  std::vector<TicketEntry> entries = {
      Entry(kSiteSuppressFeature, "*Duplex"),
      Entry(kSiteFeature, "%%BeginFeature: *QZStaple Left\n%%EndFeature\n"),
      Entry(kSitePageSize, "%%BeginFeature: *PageSize A4\n%%EndFeature\n"),
      Entry(kSiteJobInfo, "%%QZJobNote: n\n"),
      Entry(kSiteLayoutComment, "%%Orientation: Portrait\n"),
      Entry(kSiteMailboxPath, "Library/Caches/QZV/box"),
      Entry(kSiteHeaderComment, "%%QZVDriver\n"),
      Entry(kSiteEndOfFeatures, "%%EndTavroPreparse1: True\n"),
      Entry(kSiteHeaderComment, "%%QZUTF8_Version: 6 \n"),
  };
  TicketPlan plan;
  std::string error;
  ASSERT_TRUE(ReadTicketPlan(SerializeTicketEntries(entries), plan, error)) << error;
  EXPECT_EQ(plan.suppressed, (std::set<std::string, std::less<>>{"*Duplex"}));
  EXPECT_EQ(plan.setup, (std::vector<std::string>{"%%BeginFeature: *QZStaple Left\n%%EndFeature\n",
                                                  "%%BeginFeature: *PageSize A4\n%%EndFeature\n",
                                                  "%%EndTavroPreparse1: True\n"}));
  EXPECT_EQ(plan.header, (std::vector<std::string>{"%%QZJobNote: n\n", "%%Orientation: Portrait\n",
                                                   "%%QZVMailboxPath: Library/Caches/QZV/box",
                                                   "%%QZVDriver\n", "%%QZUTF8_Version: 6 \n"}));
}

TEST(PanelTicketContract, FileNameAndKeyAreAccepted) {
  std::string name =
      QZVJobTicket::CreateRandomFileName("/Library/Caches/QZV/Tavro.temp", nullptr).UTF8();
  EXPECT_EQ(TicketNameInCacheFolder(name, "/var/lib/tavro"), name.substr(name.rfind('/') + 1));
  EXPECT_EQ(TicketOptionName(), CreatePostscriptDataFileKey().UTF8());
}

}  // namespace
