#include "queue/ticket/TicketPlan.h"

#include <plist/plist.h>

#include "queue/ticket/TicketOption.h"

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>

namespace {

struct PlistFree {
  void operator()(plist_t p) const { plist_free(p); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

bool Fail(std::string& error, std::string reason) {
  error = std::move(reason);
  return false;
}

// A ticket is one flat array; nested containers are refused before the XML
// reader builds (and later frees) a tree of hostile depth.
bool FlatArrayShape(std::string_view xml) {
  size_t arrays = 0;
  for (size_t at = xml.find('<'); at != std::string_view::npos; at = xml.find('<', at + 1)) {
    std::string_view tag = xml.substr(at + 1);
    if (tag.starts_with("dict")) return false;
    if (tag.starts_with("array") && ++arrays > 1) return false;
  }
  return true;
}

// Visible ASCII or UTF-8 bytes, no control characters; blanks only where a
// name may hold them.
bool IsPrintable(std::string_view text, size_t maxBytes, bool blanks) {
  if (text.empty() || text.size() > maxBytes) return false;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F || (c == 0x20 && !blanks)) return false;
  }
  return true;
}

std::string_view TrimLineEnd(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                           text.back() == '\t' || text.back() == '\0')) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace

bool ReadTicketPlan(std::string_view xml, TicketPlan& plan, std::string& error) {
  plan = TicketPlan{};
  if (xml.size() > std::numeric_limits<uint32_t>::max()) return Fail(error, "ticket too large");
  if (!FlatArrayShape(xml)) return Fail(error, "ticket is not a flat array of site and data pairs");
  plist_t raw = nullptr;
  plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &raw);
  PlistPtr root(raw);
  if (!raw) return Fail(error, "ticket is not an XML property list");
  if (plist_get_node_type(raw) != PLIST_ARRAY) return Fail(error, "ticket is not an array");
  uint32_t count = plist_array_get_size(raw);
  if (count % 2 != 0) return Fail(error, "ticket has a site without data");

  TicketPlan out;
  std::vector<std::string> endMarkers;
  for (uint32_t i = 0; i < count; i += 2) {
    plist_t siteNode = plist_array_get_item(raw, i);
    plist_t dataNode = plist_array_get_item(raw, i + 1);
    if (plist_get_node_type(siteNode) != PLIST_UINT || plist_get_node_type(dataNode) != PLIST_DATA)
      return Fail(error, "ticket entry " + std::to_string(i / 2) + " is not a site and data pair");
    uint64_t value = 0;
    plist_get_uint_val(siteNode, &value);
    // Negative sites are stored as their two's complement.
    auto site = static_cast<int64_t>(value);
    char* bytes = nullptr;
    uint64_t length = 0;
    plist_get_data_val(dataNode, &bytes, &length);
    std::string fragment(bytes ? bytes : "", bytes ? length : 0);
    std::free(bytes);

    switch (site) {
      case kTicketSiteSuppressFeature: {
        std::string_view keyword = TrimLineEnd(fragment);
        if (!IsPrintable(keyword, 255, false))
          return Fail(error, "ticket suppresses a keyword that is not one word");
        out.suppressed.insert(keyword.starts_with('*') ? std::string(keyword)
                                                       : "*" + std::string(keyword));
        break;
      }
      case kTicketSiteJobInfo:
      case kTicketSiteHeaderComment:
      case kTicketSiteLayoutComment:
        if (!fragment.empty()) out.header.push_back(std::move(fragment));
        break;
      case kTicketSitePageSize:
      case kTicketSiteFeature:
        if (!fragment.empty()) out.setup.push_back(std::move(fragment));
        break;
      case kTicketSiteEndOfFeatures:
        if (!fragment.empty()) endMarkers.push_back(std::move(fragment));
        break;
      case kTicketSiteMailboxPath: {
        std::string_view path = TrimLineEnd(fragment);
        // The path goes into a comment line and the job log: one line only.
        if (!IsPrintable(path, 1023 + kTicketCacheFolder.size() + 1, true))
          return Fail(error, "ticket has a mailbox path with control characters or too long");
        out.header.push_back(std::string(kMailboxComment) + std::string(path));
        out.mailboxPaths.emplace_back(path);
        break;
      }
      default:
        return Fail(error, "ticket has the unknown site " + std::to_string(site));
    }
  }
  for (auto& marker : endMarkers) out.setup.push_back(std::move(marker));
  plan = std::move(out);
  return true;
}
