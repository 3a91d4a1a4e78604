#include "panel/QZVJobTicket.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <string_view>

#include "PPDX/PPDObjects/Controls/PPDXControl.h"
#include "PPDX/QZVPPD.h"
#include "platform/PropertyList.h"
#include "platform/SystemSettings.h"
#include "platform/Uuid.h"

namespace {

// Ticket files written by the panel itself: readable by the printing
// system, writable only by the user who printed.
constexpr mode_t kTicketFileMode = 0644;

}  // namespace

bool WriteTicketFile(const std::string& path, const std::string& bytes) {
  const int fd =
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kTicketFileMode);
  if (fd < 0) return false;
  // The process's umask must not widen or narrow what the filter can read.
  ::fchmod(fd, kTicketFileMode);
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ::close(fd);
      ::unlink(path.c_str());
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return ::close(fd) == 0;
}

QZVJobTicket::QZVJobTicket(PrintSettingsTicket* settingsTicket, PMPrintSettings* settings,
                           const CFString& key)
    : JobTicket(nullptr, settings), settingsTicket_(settingsTicket), key_(key) {}

void QZVJobTicket::Create() {
  entries_.clear();
}

void QZVJobTicket::Add(PostScriptInjectionSite site, PPDXControl* control) {
  if (!control) return;
  const long length = control->PostScript(nullptr);
  if (length < 0 || static_cast<size_t>(length) > kTicketControlCodeLimit) return;
  unsigned char buffer[kTicketControlCodeLimit];  // only the code's bytes are read
  if (length > 0) {
    const long written = control->PostScript(buffer);
    if (written != length) return;
  }
  const char* keyword = control->Keyword();
  const PostScriptInjectionSite where =
      keyword && std::strcmp(keyword, "*PageSize") == 0 ? kSitePageSize : site;
  Add(where, reinterpret_cast<const char*>(buffer), static_cast<size_t>(length));
}

void QZVJobTicket::Add(PostScriptInjectionSite site, const char* bytes, size_t length) {
  TicketEntry entry;
  entry.site = site;
  if (bytes && length) entry.bytes.assign(bytes, bytes + length);
  entries_.push_back(std::move(entry));
}

void QZVJobTicket::SavePPDForAllKeys(QZVPPD* ppd, const CFString& bundleId) {
  if (!ppd) return;
  Set(bundleId, bundleId, ppd->CopyAllValues());
}

const std::string& QZVJobTicket::Save() {
  xmlData_ = SerializeTicketEntries(entries_);
  if (SystemMinorVersion() < 7) {
    char path[kTicketFileNameSize] = {};
    fileName_ = CreateRandomFileName("/tmp/Tavro.temp", path);
    // A failed write leaves the name in the settings all the same.
    WriteTicketFile(path, xmlData_);
  } else {
    fileName_ = CreateRandomFileName("/Library/Caches/QZV/Tavro.temp", nullptr);
  }
  InjectTempFileToPSStream(key_, fileName_);
  return xmlData_;
}

void QZVJobTicket::InjectTempFileToPSStream(const CFString& key, const CFString& value) {
  if (key.IsNull() || value.IsNull()) return;
  const PlistValue text = PlistValue::String(value.UTF8());
  PMPrintSettingsSetValue(Settings(), key.UTF8(), &text, false);
}

CFString QZVJobTicket::CreateRandomFileName(const char* head, char* outPath) {
  std::string name = head ? head : "";
  name += CreateUUIDString();
  if (outPath) {
    const size_t length = std::min(name.size(), kTicketFileNameSize - 1);
    std::memcpy(outPath, name.data(), length);
    outPath[length] = 0;
  }
  return CFString::FromUTF8(name);
}

namespace {

// The layout the property-list library writes for an array of integers and
// data at the top level: one tab of indent, base64 in lines of 68.
constexpr std::string_view kPlistHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";
constexpr size_t kBase64Line = 68;       // characters
constexpr size_t kBase64LineBytes = 51;  // the bytes they encode

// Bytes of the base64 lines of n bytes: each line a tab, text and a newline.
size_t Base64LinesSize(size_t n) {
  const size_t text = (n + 2) / 3 * 4;
  return text + (text + kBase64Line - 1) / kBase64Line * 2;
}

char* PutBase64Lines(char* out, const uint8_t* in, size_t n) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  while (n > 0) {
    const size_t line = n < kBase64LineBytes ? n : kBase64LineBytes;
    *out++ = '\t';
    size_t i = 0;
    for (; i + 3 <= line; i += 3) {
      const uint32_t v = (uint32_t{in[i]} << 16) | (uint32_t{in[i + 1]} << 8) | in[i + 2];
      out[0] = kDigits[v >> 18];
      out[1] = kDigits[(v >> 12) & 63];
      out[2] = kDigits[(v >> 6) & 63];
      out[3] = kDigits[v & 63];
      out += 4;
    }
    if (const size_t rest = line - i) {
      const uint32_t v = (uint32_t{in[i]} << 16) | (rest == 2 ? uint32_t{in[i + 1]} << 8 : 0);
      out[0] = kDigits[v >> 18];
      out[1] = kDigits[(v >> 12) & 63];
      out[2] = rest == 2 ? kDigits[(v >> 6) & 63] : '=';
      out[3] = '=';
      out += 4;
    }
    *out++ = '\n';
    in += line;
    n -= line;
  }
  return out;
}

}  // namespace

// Written directly rather than through a property-list tree: a ticket holds
// hundreds of fragments, and the tree's nodes cost far more than the text.
std::string SerializeTicketEntries(const std::vector<TicketEntry>& entries) {
  std::string out(kPlistHead);
  if (entries.empty()) {
    out += "<array/>\n</plist>\n";
    return out;
  }
  constexpr std::string_view kOpen = "<array>\n", kClose = "</array>\n</plist>\n";
  constexpr std::string_view kSiteOpen = "\t<integer>", kSiteClose = "</integer>\n\t<data>\n",
                             kDataClose = "\t</data>\n";
  size_t size = out.size() + kOpen.size() + kClose.size();
  for (const TicketEntry& entry : entries)
    size += kSiteOpen.size() + 11 + kSiteClose.size() + Base64LinesSize(entry.bytes.size()) +
            kDataClose.size();
  const size_t head = out.size();
  out.resize(size);
  char* at = out.data() + head;
  auto put = [&at](std::string_view text) {
    std::memcpy(at, text.data(), text.size());
    at += text.size();
  };
  put(kOpen);
  for (const TicketEntry& entry : entries) {
    put(kSiteOpen);
    at = std::to_chars(at, at + 11, entry.site).ptr;
    put(kSiteClose);
    at = PutBase64Lines(at, entry.bytes.data(), entry.bytes.size());
    put(kDataClose);
  }
  put(kClose);
  out.resize(static_cast<size_t>(at - out.data()));
  return out;
}

bool ParseTicketEntries(std::string_view xml, std::vector<TicketEntry>& entries,
                        std::string* error) {
  entries.clear();
  auto fail = [&](const char* why) {
    if (error) *error = why;
    entries.clear();
    return false;
  };
  std::optional<PlistValue> value = PlistValue::FromXml(xml);
  if (!value) return fail("not a property list");
  const PlistValue::Array* array = value->AsArray();
  if (!array) return fail("not an array");
  if (array->size() % 2 != 0) return fail("odd number of elements");
  for (size_t i = 0; i < array->size(); i += 2) {
    const PlistValue& site = (*array)[i];
    const PlistValue::Bytes* bytes = (*array)[i + 1].AsData();
    if (site.Kind() != PlistKind::Integer) return fail("site is not an integer");
    const int64_t number = site.GetInteger();
    if (number < INT32_MIN || number > INT32_MAX) return fail("site out of range");
    if (!bytes) return fail("fragment is not data");
    entries.push_back({static_cast<int32_t>(number), *bytes});
  }
  return true;
}
