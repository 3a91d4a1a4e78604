// Reading a ticket's XML form: what goes where, and every shape that is
// refused as a whole (a ticket is used entirely or not at all).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "queue/ticket/TicketPlan.h"

namespace {

const char* kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST "
    "1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n";

std::string Base64(std::string_view bytes) {
  static const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    unsigned v = (uint8_t(bytes[i]) << 16) | (uint8_t(bytes[i + 1]) << 8) | uint8_t(bytes[i + 2]);
    for (int s = 18; s >= 0; s -= 6) out += kAlphabet[(v >> s) & 63];
  }
  if (i < bytes.size()) {
    unsigned v = uint8_t(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= uint8_t(bytes[i + 1]) << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string Ticket(const std::vector<std::pair<int, std::string>>& entries) {
  std::string xml = std::string(kHead) + "<array>\n";
  for (const auto& [site, bytes] : entries) {
    xml +=
        "\t<integer>" + std::to_string(site) + "</integer>\n\t<data>" + Base64(bytes) + "</data>\n";
  }
  return xml + "</array>\n</plist>\n";
}

std::string Repeat(std::string_view text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

TEST(TicketPlan, SitesGoWhereTheyBelongInTicketOrderEndMarkerLast) {
  std::string xml = Ticket({{-9, "*Duplex"},
                            {81, "%%BeginFeature: *A x\n%%EndFeature\n"},
                            {71, "END\n"},
                            {70, "SIZE\n"},
                            {30, "%%QZJobNote: a\n"},
                            {-9, "MediaType\n"},
                            {900, "Library/Caches/QZV/my box"},
                            {501, "%%QZVDriver\n"},
                            {504, "%%Orientation: Portrait\n"},
                            {81, ""},
                            {81, std::string("B\0C\n", 4)}});
  TicketPlan plan;
  std::string error;
  ASSERT_TRUE(ReadTicketPlan(xml, plan, error)) << error;
  EXPECT_EQ(plan.setup, (std::vector<std::string>{"%%BeginFeature: *A x\n%%EndFeature\n", "SIZE\n",
                                                  std::string("B\0C\n", 4), "END\n"}));
  EXPECT_EQ(plan.header, (std::vector<std::string>{"%%QZJobNote: a\n",
                                                   "%%QZVMailboxPath: Library/Caches/QZV/my box",
                                                   "%%QZVDriver\n", "%%Orientation: Portrait\n"}));
  EXPECT_EQ(plan.suppressed, (std::set<std::string, std::less<>>{"*Duplex", "*MediaType"}));
  EXPECT_EQ(plan.mailboxPaths, std::vector<std::string>{"Library/Caches/QZV/my box"});
}

TEST(TicketPlan, EmptyArrayIsAnEmptyTicket) {
  TicketPlan plan;
  std::string error;
  ASSERT_TRUE(ReadTicketPlan(std::string(kHead) + "<array/>\n</plist>\n", plan, error)) << error;
  EXPECT_TRUE(plan.Empty());
}

TEST(TicketPlan, RefusedShapes) {
  std::string data = "<data>" + Base64("x") + "</data>";
  struct Bad {
    const char* name;
    std::string xml;
  };
  std::vector<Bad> cases = {
      {"not xml", "%!PS-Adobe-3.0\n"},
      {"empty", ""},
      {"truncated", Ticket({{81, "x"}}).substr(0, 150)},
      {"dictionary", std::string(kHead) + "<dict><key>a</key>" + data + "</dict></plist>"},
      {"nested array", std::string(kHead) + "<array><array>" + data + "</array></array></plist>"},
      {"deeply nested", std::string(kHead) + Repeat("<array>", 100000) + "</plist>"},
      {"site without data", std::string(kHead) + "<array><integer>81</integer></array></plist>"},
      {"data where the site goes",
       std::string(kHead) + "<array>" + data + data + "</array></plist>"},
      {"string fragment",
       std::string(kHead) + "<array><integer>81</integer><string>x</string>" + "</array></plist>"},
      {"real site", std::string(kHead) + "<array><real>81</real>" + data + "</array></plist>"},
      {"unknown site", Ticket({{81, "x"}, {502, "y"}})},
      {"site beyond 32 bits",
       Ticket({{81, "x"}}).replace(Ticket({{81, "x"}}).find(">81<"), 4, ">4294967377<")},
      {"keyword with a blank", Ticket({{-9, "*Duplex None"}})},
      {"empty keyword", Ticket({{-9, "\n"}})},
      {"mailbox path with a line end", Ticket({{900, "Library/Caches/QZV/a\nPPD: X=1"}})},
      {"mailbox path with a control character", Ticket({{900, "box\x1b[2J"}})},
      {"empty mailbox path", Ticket({{900, ""}})},
  };
  for (const auto& c : cases) {
    TicketPlan plan;
    plan.setup.push_back("stale");
    std::string error;
    EXPECT_FALSE(ReadTicketPlan(c.xml, plan, error)) << c.name;
    EXPECT_FALSE(error.empty()) << c.name;
    EXPECT_TRUE(plan.Empty() && plan.mailboxPaths.empty()) << c.name;
  }
}

}  // namespace
