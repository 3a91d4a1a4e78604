#include "platform/PMPrinter.h"

#include <cctype>

std::string PMPrinterGetID(const PMPrinter* printer) {
  return printer ? printer->ID() : std::string();
}

std::string PMPrinterGetName(const PMPrinter* printer) {
  return printer ? printer->DisplayName() : std::string();
}

OSStatus PMPrinterGetMakeAndModelName(const PMPrinter* printer, std::string* makeAndModel) {
  if (!printer || !makeAndModel) return kPMInvalidParameter;
  return printer->MakeAndModel(makeAndModel);
}

OSStatus PMPrinterCopyDeviceURI(const PMPrinter* printer, std::string* uri) {
  if (!printer || !uri) return kPMInvalidParameter;
  return printer->DeviceURI(uri);
}

OSStatus PMPrinterGetState(const PMPrinter* printer, PMPrinterState* state) {
  if (!printer || !state) return kPMInvalidParameter;
  PMPrinterStateInfo info;
  OSStatus status = printer->State(&info);
  if (status == noErr) *state = info.state;
  return status;
}

OSStatus PMPrinterCopyState(const PMPrinter* printer, PlistValue* state) {
  if (!printer || !state) return kPMInvalidParameter;
  PMPrinterStateInfo info;
  OSStatus status = printer->State(&info);
  if (status != noErr) return status;
  PlistValue reasons = PlistValue::MakeArray();
  for (const auto& reason : info.reasons) reasons.Append(PlistValue::String(reason));
  PlistValue dict = PlistValue::MakeDict();
  dict.Set("printer-state", PlistValue::Integer(info.state));
  dict.Set("printer-state-message", PlistValue::String(info.message));
  dict.Set("printer-state-reasons", std::move(reasons));
  *state = std::move(dict);
  return noErr;
}

namespace {

// Characters a file URL's path keeps as they are.
bool Unreserved(unsigned char c) {
  return std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

OSStatus PMPrinterCopyDescriptionURL(const PMPrinter* printer, std::string_view descriptionType,
                                     std::string* url) {
  if (!printer || !url || descriptionType != kPMPPDDescriptionType) return kPMInvalidParameter;
  std::string path;
  OSStatus status = printer->PPDPath(&path);
  if (status != noErr) return status;
  std::string out = "file://";
  static const char kHex[] = "0123456789ABCDEF";
  for (unsigned char c : path) {
    if (Unreserved(c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  *url = std::move(out);
  return noErr;
}

std::string PMFileURLPath(std::string_view url) {
  constexpr std::string_view kScheme = "file://";
  if (url.substr(0, kScheme.size()) != kScheme) return std::string(url);
  std::string_view rest = url.substr(kScheme.size());
  // "file://localhost/path" names the same file as "file:///path".
  if (!rest.empty() && rest.front() != '/') {
    auto slash = rest.find('/');
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
  }
  std::string path;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size()) {
      int hi = HexValue(rest[i + 1]), lo = HexValue(rest[i + 2]);
      if (hi >= 0 && lo >= 0) {
        path += static_cast<char>(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    path += rest[i];
  }
  return path;
}

OSStatus PMPrinterSendCommand(PMPrinter* printer, std::string_view text,
                              std::string_view commandName, int* jobId) {
  if (!printer) return kPMInvalidParameter;
  return printer->SendCommand(text, commandName, jobId);
}

OSStatus PMPrinterPrintFile(PMPrinter* printer, const PMDocumentJob& job, int* jobId) {
  if (!printer || job.path.empty()) return kPMInvalidParameter;
  return printer->PrintFile(job, jobId);
}

OSStatus PMPrinterGetPaperList(const PMPrinter* printer, std::vector<PMPaper>* papers) {
  if (!printer || !papers) return kPMInvalidParameter;
  std::string path;
  OSStatus status = printer->PPDPath(&path);
  if (status != noErr) return status;
  *papers = PMPaperListFromPPD(path);
  return noErr;
}
