#include "serverlink/PrinterAddress.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <wctype.h>

#include <locale.h>
#include <cstring>
#include <memory>

#include "foundation/CurrentPrintSession.h"
#include "foundation/PDEBundle.h"
#include "platform/Alert.h"
#include "platform/CFString.h"
#include "serverlink/CPPDMsgHdlr.h"
#include "serverlink/DestinationPPD.h"

namespace {

constexpr std::string_view kSchemeEnd = "://";
constexpr std::string_view kServiceTypes[] = {"_printer._tcp", "_ipp._tcp", "_ipps._tcp",
                                              "_pdl-datastream._tcp"};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ValidUTF8(std::string_view text) {
  CFString probe = CFString::CreateWithBytes(text.data(), text.size(), kTextEncodingUTF8);
  return !probe.IsNull();
}

// Decodes %hh escapes; when the result is not UTF-8 the text stays as given.
std::string PercentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      int hi = HexDigit(text[i + 1]), lo = HexDigit(text[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return ValidUTF8(out) ? out : std::string(text);
}

bool SchemeIs(std::string_view scheme, std::string_view expected) {
  return scheme == expected;
}

// Letters and digits of any script count, as they do in host names typed in
// the user's language.
bool IsLetterOrDigit(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  static locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  return utf8 && iswalnum_l(static_cast<wint_t>(c), utf8);
}

}  // namespace

std::string DeviceURIScheme(std::string_view deviceURI) {
  size_t end = deviceURI.find(kSchemeEnd);
  return end == std::string_view::npos ? std::string() : std::string(deviceURI.substr(0, end));
}

bool IsUSBScheme(std::string_view scheme) {
  return SchemeIs(scheme, "usb");
}
bool IsAppleTalkScheme(std::string_view scheme) {
  return SchemeIs(scheme, "pap");
}
bool IsBonjourScheme(std::string_view scheme) {
  return SchemeIs(scheme, "mdns");
}
bool IsIPScheme(std::string_view scheme) {
  return SchemeIs(scheme, "ipp");
}

std::string breakBonjourURLIntoMeaningFullItems(std::string_view deviceURI) {
  size_t schemeEnd = deviceURI.find(kSchemeEnd);
  if (schemeEnd == std::string_view::npos) return std::string();
  std::string_view rest = deviceURI.substr(schemeEnd + kSchemeEnd.size());
  for (std::string_view type : kServiceTypes) {
    if (deviceURI.find(type) == std::string_view::npos) continue;
    std::string separator = "." + std::string(type);
    size_t cut = rest.find(separator);
    if (cut != std::string_view::npos) rest = rest.substr(0, cut);
    break;
  }
  return PercentDecode(rest);
}

bool LookupHostAddress(const char* host, sockaddr_in& address) {
  std::memset(&address, 0, sizeof address);
  if (!host || !*host) return false;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) return false;
  std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(found, freeaddrinfo);
  for (addrinfo* a = found; a; a = a->ai_next) {
    if (a->ai_family == AF_INET && a->ai_addrlen >= sizeof(sockaddr_in)) {
      std::memcpy(&address, a->ai_addr, sizeof address);
      address.sin_port = 0;
      return true;
    }
  }
  return false;
}

PrinterAddressCheck CheckPrinterAddress(std::string_view addressUtf8, bool bidiEnabled) {
  if (!bidiEnabled) return PrinterAddressCheck::kAccepted;
  if (addressUtf8.empty()) return PrinterAddressCheck::kEmpty;
  for (char32_t c : CFString::FromUTF8(addressUtf8).UTF32()) {
    if (c != '-' && c != '.' && !IsLetterOrDigit(c)) return PrinterAddressCheck::kInvalidCharacters;
  }
  return PrinterAddressCheck::kAccepted;
}

namespace {

std::string CurrentDeviceURI(const PMPrintSession* session) {
  PMPrinterRef printer;
  std::string uri;
  if (PMSessionGetCurrentPrinter(session, &printer) != noErr || !printer) return uri;
  if (PMPrinterCopyDeviceURI(printer.get(), &uri) != noErr) uri.clear();
  return uri;
}

std::string BidiText(const CFBundleRef& bundle, const char* key, const char* english) {
  CFBundleRef b = bundle ? bundle : GetBundleRef();
  if (!b) return english;
  return b->CopyLocalizedString(CFSTR(key), CFSTR(english), "BidiStrings").UTF8();
}

}  // namespace

CFString GetCurrentPrinterName(const PMPrintSession* session) {
  PMPrinterRef printer;
  if (PMSessionGetCurrentPrinter(session, &printer) != noErr || !printer) return CFString();
  return CFString::FromUTF8(PMPrinterGetName(printer.get()));
}

CFString CopyPrinterConnectionType(const PMPrintSession* session) {
  std::string uri = CurrentDeviceURI(session);
  if (uri.find(kSchemeEnd) == std::string::npos) return CFString();
  return CFString::FromUTF8(DeviceURIScheme(uri));
}

bool isUSBPrinterConnection(const PMPrintSession* session) {
  return IsUSBScheme(DeviceURIScheme(CurrentDeviceURI(session)));
}
bool isAppleTalkPrinterConnection(const PMPrintSession* session) {
  return IsAppleTalkScheme(DeviceURIScheme(CurrentDeviceURI(session)));
}
bool isBonjourPrinterConnection(const PMPrintSession* session) {
  return IsBonjourScheme(DeviceURIScheme(CurrentDeviceURI(session)));
}
bool isIPPrinterConnection(const PMPrintSession* session) {
  return IsIPScheme(DeviceURIScheme(CurrentDeviceURI(session)));
}

bool validatePrinterAddress(std::string_view addressUtf8, bool bidiEnabled,
                            const CFBundleRef& bundle) {
  PrinterAddressCheck check = CheckPrinterAddress(addressUtf8, bidiEnabled);
  if (check == PrinterAddressCheck::kAccepted) return true;
  AlertRequest alert;
  alert.title =
      check == PrinterAddressCheck::kEmpty
          ? BidiText(bundle, "IP_NOT_CONFIG", "The IP Address or DNS Name must be assigned.")
          : BidiText(bundle, "INVALID_IP_ADDRESS",
                     "You have entered an invalid IP Address or DNS Name");
  alert.text = BidiText(bundle, "PRESS_OKAY", "Press OK to enter a new IP Address or DNS Name.");
  alert.buttons = {"OK"};
  RunAlert(alert);
  return false;
}

bool isInvalidPrinterAddress() {
  std::string ppd = DestinationPPDPath();
  if (ppd.empty()) {
    PMPrinterRef printer = CurrentPrinter();
    std::string url;
    if (!printer ||
        PMPrinterCopyDescriptionURL(printer.get(), kPMPPDDescriptionType, &url) != noErr) {
      return false;
    }
    ppd = PMFileURLPath(url);
  }
  return CPPDMsgHdlr(ppd.c_str(), "InvalidPrinterAddress").GetStringData() == U"yes";
}
