#include "security/MACAddress.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

bool IsZero(const unsigned char* mac) {
  return std::all_of(mac, mac + 6, [](unsigned char b) { return b == 0; });
}

// Fallback when getifaddrs fails: /sys/class/net in interface-index order.
int MACAddressFromSysfs(unsigned char mac[6]) {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::vector<std::pair<int, fs::path>> interfaces;
  for (const auto& entry : fs::directory_iterator("/sys/class/net", ec)) {
    std::ifstream indexFile(entry.path() / "ifindex");
    int index = 0;
    if (indexFile >> index) interfaces.emplace_back(index, entry.path());
  }
  std::sort(interfaces.begin(), interfaces.end());
  for (const auto& [index, path] : interfaces) {
    std::ifstream flagsFile(path / "flags");
    unsigned long flags = 0;
    if (flagsFile >> std::hex >> flags; flags & IFF_LOOPBACK) continue;
    std::ifstream addressFile(path / "address");
    std::string text;
    if (!(addressFile >> text)) continue;
    unsigned v[6];
    char tail;
    if (std::sscanf(text.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x%c", &v[0], &v[1], &v[2], &v[3], &v[4],
                    &v[5], &tail) != 6)
      continue;
    unsigned char candidate[6];
    for (int i = 0; i < 6; ++i) candidate[i] = static_cast<unsigned char>(v[i]);
    if (IsZero(candidate)) continue;
    std::memcpy(mac, candidate, 6);
    return 0;
  }
  return kMACAddressNotFound;
}

unsigned char gMACAddress[6];

}  // namespace

int MACAddressFromInterfaces(const ifaddrs* list, unsigned char mac[6]) {
  std::memset(mac, 0, 6);
  for (const ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
    if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_PACKET) continue;
    if (it->ifa_flags & IFF_LOOPBACK) continue;
    const auto* link = reinterpret_cast<const sockaddr_ll*>(it->ifa_addr);
    if (link->sll_halen != 6 || IsZero(link->sll_addr)) continue;
    std::memcpy(mac, link->sll_addr, 6);
    return 0;
  }
  return kMACAddressNotFound;
}

int goGetMACAddress(const unsigned char** mac) {
  unsigned char found[6] = {};
  int status;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) == 0) {
    status = MACAddressFromInterfaces(list, found);
    freeifaddrs(list);
  } else {
    status = MACAddressFromSysfs(found);
  }
  if (status != 0) std::memset(found, 0, sizeof found);
  std::memcpy(gMACAddress, found, sizeof found);
  if (mac) *mac = gMACAddress;
  return status;
}
