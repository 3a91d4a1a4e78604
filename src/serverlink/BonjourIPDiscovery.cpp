#include "serverlink/BonjourIPDiscovery.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/address.h>
#include <avahi-common/error.h>
#include <avahi-common/simple-watch.h>

#include <chrono>
#include <memory>

#include "platform/Log.h"

namespace {

struct ResolveState {
  bool done = false;
  bool found = false;
  std::string address;
};

void OnResolved(AvahiServiceResolver*, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent event,
                const char*, const char*, const char*, const char*, const AvahiAddress* a, uint16_t,
                AvahiStringList*, AvahiLookupResultFlags, void* userdata) {
  auto* state = static_cast<ResolveState*>(userdata);
  if (state->done) return;
  state->done = true;
  if (event == AVAHI_RESOLVER_FOUND && a && a->proto == AVAHI_PROTO_INET) {
    char text[AVAHI_ADDRESS_STR_MAX];
    if (avahi_address_snprint(text, sizeof text, a)) {
      state->address = text;
      state->found = true;
    }
  }
}

std::string_view HostOfURL(std::string_view url) {
  size_t start = url.find("://");
  start = start == std::string_view::npos ? 0 : start + 3;
  std::string_view rest = url.substr(start);
  return rest.substr(0, rest.find_first_of("/?#"));
}

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

std::string BonjourIPDiscovery::ServiceNameFromURL(std::string_view url) {
  std::string_view host = HostOfURL(url);
  std::string name;
  for (size_t i = 0; i < host.size(); ++i) {
    if (host[i] == '%' && i + 2 < host.size() && Hex(host[i + 1]) >= 0 && Hex(host[i + 2]) >= 0) {
      name.push_back(static_cast<char>(Hex(host[i + 1]) * 16 + Hex(host[i + 2])));
      i += 2;
    } else {
      name.push_back(host[i]);
    }
  }
  for (std::string_view tail : {"._printer._tcp.local.", "._ipp._tcp.local."}) {
    if (EndsWith(name, tail)) {
      name.resize(name.size() - tail.size());
      break;
    }
  }
  return name;
}

BonjourIPDiscovery::BonjourIPDiscovery(std::string_view printerBonjourURL, int timeoutMs)
    : printerBonjourAddress_(ServiceNameFromURL(printerBonjourURL)) {
  if (!printerBonjourAddress_.empty()) Resolve(timeoutMs);
}

void BonjourIPDiscovery::Resolve(int timeoutMs) {
  std::unique_ptr<AvahiSimplePoll, decltype(&avahi_simple_poll_free)> poll(avahi_simple_poll_new(),
                                                                           avahi_simple_poll_free);
  if (!poll) return;
  int error = 0;
  std::unique_ptr<AvahiClient, decltype(&avahi_client_free)> client(
      avahi_client_new(avahi_simple_poll_get(poll.get()), AvahiClientFlags(0), nullptr, nullptr,
                       &error),
      avahi_client_free);
  if (!client) {
    myNSLogC(
        (std::string("BonjourIPDiscovery: no Avahi daemon: ") + avahi_strerror(error)).c_str());
    return;
  }
  ResolveState state;
  // Freed with the client.
  AvahiServiceResolver* resolver = avahi_service_resolver_new(
      client.get(), AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, printerBonjourAddress_.c_str(),
      "_printer._tcp", "local", AVAHI_PROTO_INET, AvahiLookupFlags(0), OnResolved, &state);
  if (!resolver) {
    myNSLogC((std::string("BonjourIPDiscovery: cannot resolve ") + printerBonjourAddress_ + ": " +
              avahi_strerror(avahi_client_errno(client.get())))
                 .c_str());
    return;
  }
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!state.done) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) break;
    if (avahi_simple_poll_iterate(poll.get(), static_cast<int>(left.count())) != 0) break;
  }
  resolved_ = state.found;
  if (resolved_) {
    printerAddress_ = state.address;
  } else {
    myNSLogC(("BonjourIPDiscovery: " + printerBonjourAddress_ + " did not resolve").c_str());
  }
}
