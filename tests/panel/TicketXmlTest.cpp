#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panel/QZVJobTicket.h"
#include "platform/PropertyList.h"

namespace {

std::string LibraryXml(const std::vector<TicketEntry>& entries) {
  PlistValue::Array array;
  for (const TicketEntry& entry : entries) {
    array.push_back(PlistValue::Integer(entry.site));
    array.push_back(PlistValue::Data(entry.bytes));
  }
  return PlistValue::MakeArray(std::move(array)).ToXml();
}

}  // namespace

// The ticket's own writer gives the property-list library's bytes: every
// length around the line and padding boundaries, every byte value, negative
// sites and the empty ticket.
TEST(TicketXml, SameBytesAsThePropertyListLibrary) {
  std::vector<TicketEntry> entries;
  EXPECT_EQ(SerializeTicketEntries(entries), LibraryXml(entries));
  for (size_t length = 0; length <= 260; ++length) {
    TicketEntry entry;
    entry.site = length % 3 ? 81 : -9;
    for (size_t i = 0; i < length; ++i)
      entry.bytes.push_back(static_cast<uint8_t>(i * 37 + length));
    entries.push_back(entry);
    const std::vector<TicketEntry> one = {entry};
    ASSERT_EQ(SerializeTicketEntries(one), LibraryXml(one)) << length;
  }
  TicketEntry all;
  all.site = 900;
  for (int b = 0; b < 256; ++b) all.bytes.push_back(static_cast<uint8_t>(b));
  entries.push_back(all);
  const std::string xml = SerializeTicketEntries(entries);
  EXPECT_EQ(xml, LibraryXml(entries));
  std::vector<TicketEntry> back;
  ASSERT_TRUE(ParseTicketEntries(xml, back));
  EXPECT_EQ(back, entries);
}
