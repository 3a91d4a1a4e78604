// The printer's network address: the device URI's connection kind, the
// service name inside a Bonjour URI, host look-up and the rule that an
// address typed for two-way data must follow.
#pragma once

#include <netinet/in.h>

#include <string>
#include <string_view>

#include "foundation/CFBundle.h"
#include "platform/CFString.h"
#include "platform/PMPrintSession.h"

// The scheme of a device URI (text before "://"); empty without one.
std::string DeviceURIScheme(std::string_view deviceURI);

bool IsUSBScheme(std::string_view scheme);        // "usb"
bool IsAppleTalkScheme(std::string_view scheme);  // "pap"
bool IsBonjourScheme(std::string_view scheme);    // "mdns"
bool IsIPScheme(std::string_view scheme);         // "ipp"

// The same questions about the session's current printer.
// Its name; null without a session or printer.
CFString GetCurrentPrinterName(const PMPrintSession* session);
// The scheme of its device URI; null without one.
CFString CopyPrinterConnectionType(const PMPrintSession* session);
bool isUSBPrinterConnection(const PMPrintSession* session);
bool isAppleTalkPrinterConnection(const PMPrintSession* session);
bool isBonjourPrinterConnection(const PMPrintSession* session);
bool isIPPrinterConnection(const PMPrintSession* session);

// The Bonjour service name in a device URI: the text after "://" up to "."
// and the first service type found ("_printer._tcp", "_ipp._tcp",
// "_ipps._tcp", "_pdl-datastream._tcp"), percent escapes decoded as UTF-8.
// Empty without a scheme. Without a known service type the whole text after
// "://" is the name. An escape that is not valid stays as written.
std::string breakBonjourURLIntoMeaningFullItems(std::string_view deviceURI);

// Whether the queue's side reported the stored address as wrong: the message
// "InvalidPrinterAddress" of the destination PPD (the current printer's PPD
// before any command job was waited for) is "yes".
bool isInvalidPrinterAddress();

// Resolves a host name or literal to an IPv4 socket address (port 0). False
// when it does not resolve to IPv4.
bool LookupHostAddress(const char* host, sockaddr_in& address);

// What the address rule says about a typed address.
enum class PrinterAddressCheck {
  kAccepted,
  kEmpty,              // "IP_NOT_CONFIG"
  kInvalidCharacters,  // "INVALID_IP_ADDRESS"
};

// With two-way data off any address is accepted; with it on the address must
// not be empty and may hold only letters, digits, "-" and ".".
PrinterAddressCheck CheckPrinterAddress(std::string_view addressUtf8, bool bidiEnabled);

// The rule with its alerts: a refused address shows "IP_NOT_CONFIG" or
// "INVALID_IP_ADDRESS" with the text "PRESS_OKAY" and one button "OK", texts
// from the bundle's table "BidiStrings" (the plug-in's bundle when none is
// given; the English texts without a bundle). True when accepted.
bool validatePrinterAddress(std::string_view addressUtf8, bool bidiEnabled,
                            const CFBundleRef& bundle = nullptr);
