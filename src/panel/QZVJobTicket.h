// The job ticket: every fragment the panel puts into a job, each tagged with
// the site where the printing system's filter inserts it, in the order they
// were added. Saved as an XML property list: a flat array alternating an
// integer (the site) and data (the fragment's bytes, no terminating NUL).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "panel/JobTicket.h"
#include "panel/PostScriptInjectionSite.h"
#include "platform/CFString.h"

class PPDXControl;
class QZVPPD;

// A control's code longer than this is not added.
constexpr size_t kTicketControlCodeLimit = 1024;
// Room for a file name from CreateRandomFileName.
constexpr size_t kTicketFileNameSize = 256;
// The print-settings key of the ticket's file name: this prefix and the
// plug-in's bundle identifier.
constexpr const char* kTicketKeyPrefix = "QZV.PSData.";

struct TicketEntry {
  int32_t site = 0;
  std::vector<uint8_t> bytes;
  bool operator==(const TicketEntry&) const = default;
};

class QZVJobTicket : public JobTicket {
 public:
  QZVJobTicket(PrintSettingsTicket* settingsTicket, PMPrintSettings* settings, const CFString& key);
  ~QZVJobTicket() override = default;
  QZVJobTicket(const QZVJobTicket&) = delete;
  QZVJobTicket& operator=(const QZVJobTicket&) = delete;

  // Starts over with no entries.
  void Create();
  // The control's code (at most kTicketControlCodeLimit bytes, else nothing);
  // the page-size control always goes to kSitePageSize.
  void Add(PostScriptInjectionSite site, PPDXControl* control);
  void Add(PostScriptInjectionSite site, const char* bytes, size_t length);
  // The whole feature model into the print settings: each displayable
  // control's keyword with its preset value string.
  void SavePPDForAllKeys(QZVPPD* ppd, const CFString& bundleId);
  // Serialises the entries, names the ticket file and writes that name into
  // the print settings under the ticket's key. Before system minor version 7
  // the file is written here (owner read/write, group and others read); from
  // 7 on the printing system's side writes it. Answers the XML.
  const std::string& Save();
  const CFString& FileName() const { return fileName_; }
  const std::string& XmlData() const { return xmlData_; }
  const CFString& Key() const { return key_; }
  PrintSettingsTicket* SettingsTicket() const { return settingsTicket_; }
  const std::vector<TicketEntry>& Entries() const { return entries_; }
  // One string value into the print settings.
  void InjectTempFileToPSStream(const CFString& key, const CFString& value);

  // head followed by a new UUID (the UUID alone without head); its UTF-8 form,
  // cut to kTicketFileNameSize - 1 bytes, also into outPath when given.
  static CFString CreateRandomFileName(const char* head, char* outPath);

 private:
  PrintSettingsTicket* settingsTicket_;  // not owned
  CFString key_;
  std::vector<TicketEntry> entries_;
  CFString fileName_;
  std::string xmlData_;
};

// Writes bytes into a new file (mode 0644 whatever the umask); false, and
// nothing touched, when the name exists already, as a file or as a link.
bool WriteTicketFile(const std::string& path, const std::string& bytes);

// The XML property list of ticket entries, and back. Reading is strict: an
// array alternating integers (32-bit) and data; false for anything else.
std::string SerializeTicketEntries(const std::vector<TicketEntry>& entries);
bool ParseTicketEntries(std::string_view xml, std::vector<TicketEntry>& entries,
                        std::string* error = nullptr);
