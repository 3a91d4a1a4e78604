// The hardware address of the machine's primary network interface.
#pragma once

struct ifaddrs;

constexpr int kMACAddressNotFound = 5;  // status when no interface qualifies

// Points *mac at a process-wide 6-byte address: the first non-loopback
// interface with a 6-byte hardware address that is not all zero. Returns 0,
// or kMACAddressNotFound with the address all zero. A null `mac` only answers
// the status.
int goGetMACAddress(const unsigned char** mac);

// The same choice over a given interface list (as getifaddrs returns it):
// 0 and the address in mac, or kMACAddressNotFound and a zero address.
int MACAddressFromInterfaces(const ifaddrs* list, unsigned char mac[6]);
