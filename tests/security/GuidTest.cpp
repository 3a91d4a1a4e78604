#include "security/Guid.h"

#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <cstring>

#include "SecurityTestSupport.h"
#include "security/MACAddress.h"

TEST(Guid, TimeValueLayout) {
  struct Case {
    uint32_t s, us, value;
  } cases[] = {
      {0, 0, 0},
      {1, 0, 0x10},
      {0x000FFFFF, 0, 0x00FFFFF0},
      {0x00100000, 0, 0},                // bit 20 of s is dropped
      {0x01000000, 0, 0x10000000},       // bits 24-27 of s go to the top nibble
      {0x0F000000, 0x0F00, 0xFF000000},  // us bits 8-11 to the low nibble of the top byte
      {0, 0x00FF, 0},
      {0x12345678, 0x0ABC, 0x2A456780},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GuidTimeValue(c.s, c.us), c.value) << std::hex << c.s << " " << c.us;
}

TEST(Guid, IdentifierLayout) {
  EXPECT_EQ(CreateGUID(nullptr), 0);
  timeval before{};
  gettimeofday(&before, nullptr);
  unsigned char guid[16];
  std::memset(guid, 0xAA, sizeof guid);
  ASSERT_EQ(CreateGUID(guid), 1);
  const unsigned char* mac = nullptr;
  goGetMACAddress(&mac);
  ASSERT_NE(mac, nullptr);
  EXPECT_EQ(ToHex(guid, 6), ToHex(mac, 6));
  EXPECT_EQ(ToHex(guid + 10, 6), "000000000000");
  uint32_t value;
  std::memcpy(&value, guid + 6, 4);
  // The seconds part (bits 4-23) is that of the call's time, give or take one second.
  const uint32_t s = (value >> 4) & 0xFFFFF;
  const uint32_t expected = uint32_t(before.tv_sec) & 0xFFFFF;
  EXPECT_TRUE(s == expected || s == ((expected + 1) & 0xFFFFF)) << s << " " << expected;
}

namespace {

// A fabricated interface list for the address choice.
struct FakeInterface {
  sockaddr_ll link{};
  sockaddr_in inet{};
  ifaddrs entry{};
};

void Link(FakeInterface& f, const char* name, unsigned flags, std::vector<uint8_t> address,
          ifaddrs* next) {
  f.link.sll_family = AF_PACKET;
  f.link.sll_halen = uint8_t(address.size());
  std::memcpy(f.link.sll_addr, address.data(), std::min<size_t>(address.size(), 8));
  f.entry.ifa_name = const_cast<char*>(name);
  f.entry.ifa_flags = flags;
  f.entry.ifa_addr = reinterpret_cast<sockaddr*>(&f.link);
  f.entry.ifa_next = next;
}

}  // namespace

TEST(MACAddress, FirstNonLoopbackInterfaceWins) {
  FakeInterface lo, inet, zero, tunnel, eth0, eth1;
  Link(eth1, "eth1", IFF_UP, {2, 2, 2, 2, 2, 2}, nullptr);
  Link(eth0, "eth0", IFF_UP, {0x52, 0x54, 0x00, 0x12, 0x34, 0x56}, &eth1.entry);
  Link(tunnel, "tun0", IFF_UP, {1, 2, 3, 4}, &eth0.entry);  // not a 6-byte address
  Link(zero, "dummy0", IFF_UP, {0, 0, 0, 0, 0, 0}, &tunnel.entry);
  inet.inet.sin_family = AF_INET;
  inet.entry.ifa_name = const_cast<char*>("eth9");
  inet.entry.ifa_addr = reinterpret_cast<sockaddr*>(&inet.inet);
  inet.entry.ifa_next = &zero.entry;
  Link(lo, "lo", IFF_UP | IFF_LOOPBACK, {9, 9, 9, 9, 9, 9}, &inet.entry);

  unsigned char mac[6];
  EXPECT_EQ(MACAddressFromInterfaces(&lo.entry, mac), 0);
  EXPECT_EQ(ToHex(mac, 6), "525400123456");

  // Only loopback and unusable entries: status 5 and a zero address.
  zero.entry.ifa_next = nullptr;
  std::memset(mac, 0xFF, sizeof mac);
  EXPECT_EQ(MACAddressFromInterfaces(&lo.entry, mac), kMACAddressNotFound);
  EXPECT_EQ(ToHex(mac, 6), "000000000000");
  EXPECT_EQ(MACAddressFromInterfaces(nullptr, mac), kMACAddressNotFound);
}

TEST(MACAddress, SystemAnswerIsConsistent) {
  const unsigned char* mac = nullptr;
  const int status = goGetMACAddress(&mac);
  ASSERT_NE(mac, nullptr);
  const bool zero = ToHex(mac, 6) == "000000000000";
  if (status == 0)
    EXPECT_FALSE(zero);
  else
    EXPECT_TRUE(status == kMACAddressNotFound && zero);
  EXPECT_EQ(goGetMACAddress(nullptr), status);
}
