#include "panel/PDEData.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "PPDX/PPDObjects/Controls/PPDXControl.h"
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/QZVPPD.h"
#include "panel/PanelKeywords.h"
#include "platform/PMPageFormat.h"
#include "platform/PMPrintSession.h"
#include "platform/PMPrintSettings.h"
#include "platform/PMPrinter.h"
#include "platform/SystemSettings.h"
#include "serverlink/PrinterAddress.h"
#include "serverlink/QZVUnisorPrinterPList.h"

namespace {

// Copies text into a fixed field only when it fits whole: a cut path would
// name another file.
template <size_t N>
bool SetPath(char (&field)[N], const std::string& path) {
  if (path.size() >= N) {
    field[0] = 0;
    return false;
  }
  std::memcpy(field, path.c_str(), path.size() + 1);
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsASCII(const std::string& text) {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

std::string DeviceURIHost(std::string_view uri) {
  const size_t scheme = uri.find("://");
  if (scheme == std::string_view::npos) return {};
  std::string_view rest = uri.substr(scheme + 3);
  rest = rest.substr(0, rest.find_first_of("/?#"));
  const size_t at = rest.rfind('@');
  if (at != std::string_view::npos) rest.remove_prefix(at + 1);
  if (!rest.empty() && rest.front() == '[') {
    const size_t close = rest.find(']');
    rest = close == std::string_view::npos ? std::string_view() : rest.substr(1, close - 1);
  } else {
    rest = rest.substr(0, rest.find(':'));
  }
  std::string host;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size() && HexValue(rest[i + 1]) >= 0 &&
        HexValue(rest[i + 2]) >= 0) {
      host += static_cast<char>(HexValue(rest[i + 1]) * 16 + HexValue(rest[i + 2]));
      i += 2;
    } else {
      host += rest[i];
    }
  }
  return host;
}

bool CopyFileFresh(const std::string& from, const std::string& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  // Removes a link itself, never its target; in a sticky folder another
  // user's file stays, and the exclusive create below then fails.
  if (::unlink(to.c_str()) != 0 && errno != ENOENT) {
    ::close(in);
    return false;
  }
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (out < 0) {
    ::close(in);
    return false;
  }
  bool ok = true;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    ssize_t done = 0;
    while (done < n) {
      const ssize_t w = ::write(out, buffer + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        ok = false;
        break;
      }
      done += w;
    }
    if (!ok) break;
  }
  ::close(in);
  if (::close(out) != 0) ok = false;
  if (!ok) ::unlink(to.c_str());
  return ok;
}

PDEData::PDEData(QZVPPD* document, const CFString& key, PMPrintSession* session)
    : ppd(document), printSession(session), printerKey(key) {
  MakePPDCopy();

  ResetUnisorPrinterList();
  bool ipEnabled = false;
  printerAddress = GetUnisorPrinterAddress(&ipEnabled);
  // A queue seen for the first time gets an entry with its device's host.
  SetUnisorPrinterAddress(printerAddress, ipEnabled);

  customPaperFromOS = 0;
  watermarks = std::make_unique<WatermarkList>();
  for (int i = 0; i < kPaperCatalogPairs; ++i) {
    paperCatalog[i].SetKey(kPaperCatalogKeys[i]);
    paperCatalog[i].SetValue(kPaperCatalogNone);
  }
}

PDEData::~PDEData() = default;

std::string PDEData::QueuePPDPath() const {
  std::filesystem::path path;
  if (!ppd || !ppd->GetFileSpec(path)) return {};
  return path.string();
}

void PDEData::MakePPDCopy() {
  const std::string source = QueuePPDPath();
  ppdCopyPath[0] = 0;
  if (source.empty()) return;
  const std::string name = std::filesystem::path(source).filename().string();
  std::string target;
  if (name.find(".ppd") == std::string::npos)
    target = "/tmp/" + name + ".ppd";
  else if (SystemMinorVersion() >= 7)
    target = NSTemporaryDirectory() + kPPDCopyName;
  else
    target = "/tmp/" + name;
  // Without a copy the panel reads the queue's PPD itself.
  if (target.size() < kPPDCopyPathSize && CopyFileFresh(source, target))
    SetPath(ppdCopyPath, target);
  else
    SetPath(ppdCopyPath, source);
}

void PDEData::ResetUnisorPrinterList() {
  printerList = std::make_unique<QZVUnisorPrinterPList>();
}

CFString PDEData::GetUnisorPrinterAddress(bool* ipEnabled) {
  if (!printerList) return CFString();
  CFString stored;
  if (!printerKey.IsNull() && printerList->Find(printerKey)) {
    if (ipEnabled) *ipEnabled = printerList->getIPEnabled(printerKey);
    stored = printerList->CopyAddress(printerKey);
  }
  if (stored.IsNull() || stored.Empty()) {
    addressFromOS = 1;
    return GetPrinterAddress();
  }
  addressFromOS = 0;
  return stored;
}

bool PDEData::SetUnisorPrinterAddress(const CFString& address, bool ipEnabled) {
  if (!printerList || printerKey.IsNull()) return false;
  if (!printerList->Add(printerKey, address, ipEnabled)) return false;
  return printerList->Save();
}

CFString PDEData::GetPrinterAddress() const {
  PMPrinterRef printer;
  if (PMSessionGetCurrentPrinter(printSession, &printer) != noErr || !printer) return CFSTR("");
  std::string uri;
  if (PMPrinterCopyDeviceURI(printer.get(), &uri) != noErr) return CFSTR("");
  const std::string scheme = DeviceURIScheme(uri);
  if (IsAppleTalkScheme(scheme) || IsBonjourScheme(scheme)) return CFSTR("");
  return CFString::FromUTF8(DeviceURIHost(uri));
}

bool PDEData::isBIDIEnabled() const {
  if (!printerList || printerKey.IsNull()) return false;
  return printerList->Find(printerKey) && printerList->getIPEnabled(printerKey);
}

bool PDEData::SetIPAddressEnabled(bool enabled) {
  if (!printerList || printerKey.IsNull()) return false;
  if (!printerList->setIPEnabled(printerKey, enabled)) return false;
  return printerList->Save();
}

uint32_t PDEData::GetNumCopiesFromOS() const {
  uint32_t copies = 1;
  PMGetCopies(printSettings, &copies);
  return copies;
}

PMOrientation PDEData::GetPageOrientationFromOS() const {
  PMOrientation orientation = kPMPortrait;
  PMGetOrientation(pageFormat, &orientation);
  return orientation;
}

int PDEData::GetPrimayPaperFeedFromOS(char* buffer, int size) const {
  if (!buffer || size <= 0) return 0;
  buffer[0] = 0;
  if (!printSettings) return 0;
  std::string slot;
  if (SystemMinorVersion() < 6) {
    const PlistValue::Array* feed =
        printSettings->GetArray("com.apple.print.PrintSettings.PMPrimaryPaperFeed");
    if (feed && feed->size() >= 2) slot = (*feed)[1].GetString();
  } else if (auto first = printSettings->GetString("AP_FIRSTPAGE_InputSlot")) {
    slot = *first;
  } else if (auto any = printSettings->GetString("InputSlot")) {
    slot = *any;
  }
  const size_t kept = std::min(slot.size(), static_cast<size_t>(size) - 1);
  std::memcpy(buffer, slot.data(), kept);
  buffer[kept] = 0;
  return 0;
}

bool PDEData::dmtHides(const char* keyword) const {
  return ppd && ::dmtHides(ppd->CustomXmlData(), keyword);
}

bool PDEData::dmtLocks(const char* keyword) const {
  return ppd && ::dmtLocks(ppd->CustomXmlData(), keyword);
}

bool PDEData::GetPPDShortcuts(PPDTree& tree) const {
  if (printerKey.IsNull()) return false;
  std::vector<std::string> lines;
  if (printerList) printerList->GetDataBlob(printerKey, kShortcutsDataBlock, lines);
  if (lines.empty()) return true;

  tree.ClearShortcuts();
  PPDXControls* controls = ppd ? ppd->GetControls() : nullptr;
  if (!controls) return true;
  for (const std::string& line : lines) {
    if (!IsASCII(line)) continue;
    const std::string keyword = line.substr(0, kStoredShortcutKeywordLength);
    CNTL_TYPE type = kNoControl;
    PPDXControl* control = controls->Find(keyword.c_str(), type, true);
    if (!control || !IsValidBasicPanelControl(control) || dmtHides(keyword.c_str())) continue;
    if (!tree.AddShortcut(control->CFStringUserName(), keyword.c_str())) break;
  }
  return true;
}

bool PDEData::SetPPDShortcuts(const PPDTree& tree) {
  if (printerKey.IsNull() || !printerList) return false;
  const int count = std::clamp(tree.shortcutCount, 0, kMaxShortcuts);
  std::vector<char> slots(static_cast<size_t>(count) * kUnisorLineSlot, 0);
  int used = 0;
  for (int i = 0; i < count; ++i) {
    const ShortcutEntry* entry = tree.shortcuts[static_cast<size_t>(i)].get();
    if (!entry) continue;
    std::strncpy(&slots[static_cast<size_t>(used++) * kUnisorLineSlot], entry->keyword,
                 kUnisorLineSlot - 1);
  }
  if (!printerList->AddDataBlob(printerKey, used, kShortcutsDataBlock, slots.data())) return false;
  return printerList->Save();
}
