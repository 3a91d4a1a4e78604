#include "serverlink/PrinterAddress.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <chrono>

#include "../foundation/FileTestSupport.h"
#include "serverlink/BonjourIPDiscovery.h"

namespace {

TEST(PrinterAddress, ConnectionKindFromTheDeviceURI) {
  struct Case {
    const char* uri;
    const char* scheme;
    bool usb, pap, mdns, ipp;
  };
  const Case cases[] = {
      {"usb://Tavro/C750?serial=1", "usb", true, false, false, false},
      {"pap://zone/printer", "pap", false, true, false, false},
      {"mdns://Office._printer._tcp.local./", "mdns", false, false, true, false},
      {"ipp://10.0.0.5/ipp/print", "ipp", false, false, false, true},
      {"ipps://10.0.0.5/ipp/print", "ipps", false, false, false, false},
      {"dnssd://Office._ipp._tcp.local./", "dnssd", false, false, false, false},
      {"lpd-no-scheme", "", false, false, false, false},
  };
  for (const Case& c : cases) {
    std::string scheme = DeviceURIScheme(c.uri);
    EXPECT_EQ(scheme, c.scheme) << c.uri;
    EXPECT_EQ(IsUSBScheme(scheme), c.usb) << c.uri;
    EXPECT_EQ(IsAppleTalkScheme(scheme), c.pap) << c.uri;
    EXPECT_EQ(IsBonjourScheme(scheme), c.mdns) << c.uri;
    EXPECT_EQ(IsIPScheme(scheme), c.ipp) << c.uri;
  }
}

TEST(PrinterAddress, ServiceNameOfABonjourURI) {
  const std::pair<const char*, const char*> cases[] = {
      {"dnssd://Tavro%20C750._ipp._tcp.local./?uuid=1234", "Tavro C750"},
      {"mdns://Office%20Printer._printer._tcp.local./", "Office Printer"},
      {"dnssd://Caf%C3%A9%20Printer._ipps._tcp.local./", "Caf\u00e9 Printer"},
      {"dnssd://Raw._pdl-datastream._tcp.local./", "Raw"},
      // The first listed type that occurs decides, wherever it occurs.
      {"dnssd://A._ipp._tcp.local./_printer._tcp", "A._ipp._tcp.local./_printer._tcp"},
      {"ipp://host.example/ipp", "host.example/ipp"},
      {"no scheme._ipp._tcp", ""},
      // Escapes that are not valid stay as written; bytes that are not UTF-8
      // leave the whole name undecoded.
      {"dnssd://50%25%zz._ipp._tcp", "50%%zz"},
      {"dnssd://Bad%FF._ipp._tcp", "Bad%FF"},
      {"dnssd://Tail%2", "Tail%2"},
  };
  for (const auto& [uri, name] : cases) {
    EXPECT_EQ(breakBonjourURLIntoMeaningFullItems(uri), name) << uri;
  }
}

TEST(PrinterAddress, AddressRule) {
  struct Case {
    const char* address;
    bool bidi;
    PrinterAddressCheck result;
  };
  using enum PrinterAddressCheck;
  const Case cases[] = {
      {"192.168.1.20", true, kAccepted},
      {"printer-1.office.example", true, kAccepted},
      {"dr\u00fccker.example", true, kAccepted},
      {"", true, kEmpty},
      {"", false, kAccepted},
      {"my_printer", true, kInvalidCharacters},
      {"my_printer", false, kAccepted},
      {"10.0.0.1:631", true, kInvalidCharacters},
      {"host name", true, kInvalidCharacters},
      {"fe80::1", true, kInvalidCharacters},
      {"bad\xFF", true, kInvalidCharacters},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckPrinterAddress(c.address, c.bidi), c.result) << c.address << " " << c.bidi;
  }
}

TEST(PrinterAddress, LookupHostAddressResolvesLocalNamesOnly) {
  sockaddr_in address{};
  ASSERT_TRUE(LookupHostAddress("127.0.0.1", address));
  EXPECT_EQ(address.sin_family, AF_INET);
  EXPECT_EQ(ntohl(address.sin_addr.s_addr), 0x7F000001u);
  ASSERT_TRUE(LookupHostAddress("localhost", address));
  EXPECT_EQ(ntohl(address.sin_addr.s_addr) >> 24, 127u);
  // Failures that need no name service; the address is cleared.
  EXPECT_FALSE(LookupHostAddress("", address));
  EXPECT_EQ(address.sin_addr.s_addr, 0u);
  ASSERT_TRUE(LookupHostAddress("127.0.0.2", address));
  EXPECT_FALSE(LookupHostAddress(nullptr, address));
  EXPECT_EQ(address.sin_addr.s_addr, 0u);
}

TEST(BonjourIPDiscovery, ServiceNameFromTheURL) {
  const std::pair<const char*, const char*> cases[] = {
      {"mdns://Office%20C750._printer._tcp.local./?bidi", "Office C750"},
      {"dnssd://Office%20C750._ipp._tcp.local./", "Office C750"},
      {"mdns://Plain/", "Plain"},
      {"mdns://Other._ipps._tcp.local.", "Other._ipps._tcp.local."},
  };
  for (const auto& [url, name] : cases) {
    EXPECT_EQ(BonjourIPDiscovery::ServiceNameFromURL(url), name) << url;
  }
}

// Without a daemon to ask, the look-up ends at once as not resolved.
TEST(BonjourIPDiscovery, WithoutADaemonNothingResolves) {
  ScopedEnv bus("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tavro-test-bus");
  auto start = std::chrono::steady_clock::now();
  BonjourIPDiscovery discovery("mdns://Office%20C750._printer._tcp.local./");
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(discovery.serviceName(), "Office C750");
  EXPECT_FALSE(discovery.didResolve());
  EXPECT_EQ(discovery.printAddress(), "");
  EXPECT_LT(took, std::chrono::seconds(3)) << "bounded by the time-out";
}

}  // namespace

#include "platform/Alert.h"
#include "platform/LocalQueues.h"
#include "platform/PrintingSystem.h"
#include "platform/SystemSettings.h"

namespace {

TEST(PrinterAddress, RefusedAddressesShowTheirAlert) {
  std::vector<AlertRequest> shown;
  ScopedAlertAnswerer answerer([&](const AlertRequest& r) {
    shown.push_back(r);
    return size_t{0};
  });
  ScopedEnv lang("LANG", "C");
  ScopedEnv language("LANGUAGE", nullptr);
  ScopedEnv all("LC_ALL", nullptr);
  ScopedEnv messages("LC_MESSAGES", nullptr);
  CFBundleRef shipped =
      CFBundle::Open(std::filesystem::path(TAVRO_SOURCE_DIR) / "bundle/TavroFeatures.plugin");
  ASSERT_TRUE(shipped);
  // A bundle whose tables lack the texts: the English defaults stand in.
  ScratchDir dir;
  dir.Write("Empty.plugin/Contents/Resources/en.lproj/BidiStrings.strings", "");
  CFBundleRef empty = CFBundle::Open(dir.Path() / "Empty.plugin");
  const std::string press = "Press OK to enter a new IP Address or DNS Name.";
  for (const CFBundleRef& bundle : {shipped, empty}) {
    shown.clear();
    EXPECT_TRUE(validatePrinterAddress("printer-1.example", true, bundle));
    EXPECT_TRUE(validatePrinterAddress("my_printer", false, bundle));
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(validatePrinterAddress("", true, bundle));
    EXPECT_FALSE(validatePrinterAddress("my_printer", true, bundle));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].title, "The IP Address or DNS Name must be assigned.");
    EXPECT_EQ(shown[1].title, "You have entered an invalid IP Address or DNS Name");
    for (const AlertRequest& r : shown) {
      EXPECT_EQ(r.text, press);
      EXPECT_EQ(r.buttons, std::vector<std::string>{"OK"});
    }
  }
}

TEST(PrinterAddress, ConnectionOfTheSessionsPrinter) {
  ScratchDir dir;
  ScopedTavroRoot root(dir.Path().string());
  ScopedPrintingBackend backend(PMBackend::Local);
  const std::string ppd = std::string(TAVRO_SOURCE_DIR) + "/samples/TavroC750.ppd";
  struct Case {
    const char* queue;
    const char* uri;
    const char* scheme;
    bool usb, pap, mdns, ipp;
  };
  const Case cases[] = {
      {"usbq", "usb://Tavro/C750", "usb", true, false, false, false},
      {"bonjour", "mdns://Office._printer._tcp.local./", "mdns", false, false, true, false},
      {"ippq", "ipp://127.0.0.1/ipp/print", "ipp", false, false, false, true},
      {"apple", "pap://zone/p", "pap", false, true, false, false},
  };
  for (const Case& c : cases) {
    LocalQueueSetup setup;
    setup.deviceURI = c.uri;
    setup.info = std::string("Queue ") + c.queue;
    ASSERT_EQ(LocalQueueCreate(c.queue, ppd, setup), noErr) << c.queue;
    PMPrinterRef printer;
    ASSERT_EQ(PMPrinterCreateFromPrinterID(c.queue, &printer), noErr) << c.queue;
    PMPrintSession session(printer);
    EXPECT_EQ(GetCurrentPrinterName(&session).UTF8(), setup.info) << c.queue;
    EXPECT_EQ(CopyPrinterConnectionType(&session).UTF8(), c.scheme) << c.queue;
    EXPECT_EQ(isUSBPrinterConnection(&session), c.usb) << c.queue;
    EXPECT_EQ(isAppleTalkPrinterConnection(&session), c.pap) << c.queue;
    EXPECT_EQ(isBonjourPrinterConnection(&session), c.mdns) << c.queue;
    EXPECT_EQ(isIPPrinterConnection(&session), c.ipp) << c.queue;
  }
  PMPrintSession none;
  EXPECT_TRUE(GetCurrentPrinterName(&none).IsNull());
  EXPECT_TRUE(CopyPrinterConnectionType(&none).IsNull());
  EXPECT_TRUE(CopyPrinterConnectionType(nullptr).IsNull());
  EXPECT_FALSE(isUSBPrinterConnection(nullptr));
}

}  // namespace

#include "foundation/CurrentPrintSession.h"
#include "queue/PPDMessage.h"
#include "queue/QueueCommands.h"
#include "serverlink/DestinationPPD.h"

namespace {

// Stores a wide-text message into a PPD as the scheduler would.
void StoreMessage(const std::string& ppd, const char* name, const std::u32string& text) {
  PPDUpdates updates;
  std::string payload(reinterpret_cast<const char*>(text.data()), text.size() * 4);
  ASSERT_TRUE(EncodePPDMessage(name, payload, updates));
  std::string error;
  ASSERT_TRUE(ApplyPPDUpdates(ppd, updates, &error)) << error;
}

TEST(PrinterAddress, InvalidAddressIsWhatTheQueueReports) {
  ScratchDir dir;
  ScopedTavroRoot root(dir.Path().string());
  ScopedPrintingBackend backend(PMBackend::Local);
  ASSERT_EQ(LocalQueueCreate("Office", std::string(TAVRO_SOURCE_DIR) + "/samples/TavroC750.ppd"),
            noErr);
  PMPrinterRef printer;
  ASSERT_EQ(PMPrinterCreateFromPrinterID("Office", &printer), noErr);
  std::string queuePPD;
  ASSERT_EQ(PMCopyQueuePPDPath("Office", &queuePPD), noErr);
  std::string destination = dir.Write("dest.ppd", ReadWholeFile(queuePPD)).string();

  SetDestinationPPDPath("");
  EXPECT_FALSE(isInvalidPrinterAddress()) << "no destination and no printer";
  ScopedCurrentPrintSession session(std::make_shared<PMPrintSession>(printer));
  EXPECT_FALSE(isInvalidPrinterAddress()) << "no message";
  struct Case {
    std::u32string text;
    bool invalid;
  };
  const Case cases[] = {{U"yes", true}, {U"no", false}, {U"YES", false}, {U"yes ", false}};
  for (const Case& c : cases) {
    StoreMessage(queuePPD, "QZInvalidPrinterAddress", c.text);
    EXPECT_EQ(isInvalidPrinterAddress(), c.invalid);
  }
  // Once a command job was waited for, its PPD is the one asked.
  StoreMessage(queuePPD, "QZInvalidPrinterAddress", U"yes");
  StoreMessage(destination, "QZInvalidPrinterAddress", U"no");
  SetDestinationPPDPath(destination);
  EXPECT_FALSE(isInvalidPrinterAddress());
  SetDestinationPPDPath("");
}

}  // namespace
