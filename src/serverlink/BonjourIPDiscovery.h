// Resolves a Bonjour printer's service name to an IPv4 address through the
// Avahi daemon. The look-up runs while the object is made and never takes
// longer than its time-out: without a daemon, or when nothing answers in
// time, the printer counts as not resolved and the address stays empty.
#pragma once

#include <string>
#include <string_view>

class BonjourIPDiscovery {
 public:
  static constexpr int kResolveTimeoutMs = 2000;

  // The URL's host without "._printer._tcp.local." (or "._ipp._tcp.local.")
  // is the service name, resolved as type "_printer._tcp" in "local".
  explicit BonjourIPDiscovery(std::string_view printerBonjourURL,
                              int timeoutMs = kResolveTimeoutMs);

  const std::string& serviceName() const { return printerBonjourAddress_; }
  // The dotted IPv4 address; empty when not resolved.
  const std::string& printAddress() const { return printerAddress_; }
  bool didResolve() const { return resolved_; }

  // The service name a URL names (exposed for tests of the splitting).
  static std::string ServiceNameFromURL(std::string_view url);

 private:
  void Resolve(int timeoutMs);

  std::string printerBonjourAddress_;
  std::string printerAddress_;
  bool resolved_ = false;
};
