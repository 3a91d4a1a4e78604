// The panel's data for one open print dialog: the feature document, the
// dialog's print session, settings and page format, a working copy of the
// queue's PPD, the printer's address and two-way state, the extra features
// that are no PPD controls, the watermark list and the Quick Access
// shortcuts stored per printer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "panel/FeatureLists.h"
#include "panel/PPDTree.h"
#include "platform/CFString.h"
#include "platform/PMDefinitions.h"

class PMPageFormat;
class PMPrintSession;
class PMPrintSettings;
class PPDXControl;
class QZVJobTicket;
class QZVPPD;
class QZVUnisorPrinterPList;
class QZVWatermark;

constexpr size_t kPPDCopyPathSize = 512;
// The working copy's name in the temporary folder on newer systems.
constexpr const char* kPPDCopyName = "qzvcopy.ppd";
// The per-printer data block that holds the Quick Access shortcuts.
constexpr int kShortcutsDataBlock = 0;
// Stored shortcut keywords are read up to this many characters.
constexpr size_t kStoredShortcutKeywordLength = 63;

constexpr int kMaxWatermarkEntries = 99;
// The per-printer data block that holds the watermark descriptions.
constexpr int kWatermarksDataBlock = 1;
// The watermark descriptions and the selected one (-1: none). The list owns
// its watermarks: they go with it, and a load replaces them all.
struct WatermarkList {
  WatermarkList();
  ~WatermarkList();
  WatermarkList(const WatermarkList&) = delete;
  WatermarkList& operator=(const WatermarkList&) = delete;

  // Deletes every watermark and sets the count to 0; the selection stays.
  void Clear();
  // Puts the watermark at index `count`; false (and it is dropped) when the
  // list is full or there is none.
  bool Append(std::unique_ptr<QZVWatermark> watermark);
  // The selected watermark; null when none is selected or the index names no
  // watermark of the list.
  QZVWatermark* Selected() const;

  uint32_t count = 0;
  int32_t selected = -1;
  std::array<std::unique_ptr<QZVWatermark>, kMaxWatermarkEntries> items;
};

class PDEData {
 public:
  // Keeps the document, key and session, makes the working copy of the PPD,
  // loads the per-printer list and stores this queue's address in it at once.
  PDEData(QZVPPD* ppd, const CFString& printerKey, PMPrintSession* session);
  ~PDEData();
  PDEData(const PDEData&) = delete;
  PDEData& operator=(const PDEData&) = delete;

  // Addresses and two-way data.
  void ResetUnisorPrinterList();
  // The stored address, else the device URI's host (addressFromOS then set);
  // null without a printer list. ipEnabled receives the stored flag.
  CFString GetUnisorPrinterAddress(bool* ipEnabled);
  CFString GetUnisorPrinterAddress() { return GetUnisorPrinterAddress(nullptr); }
  // Adds or replaces this queue's entry and saves the list when that worked.
  bool SetUnisorPrinterAddress(const CFString& address, bool ipEnabled);
  // The host name of the queue's device URI; empty for AppleTalk and Bonjour
  // connections, or when there is no printer or URI.
  CFString GetPrinterAddress() const;
  bool isBIDIEnabled() const;
  bool SetIPAddressEnabled(bool enabled);
  bool isFirstLaunch() const { return addressFromOS != 0; }

  // Values from the system.
  uint32_t GetNumCopiesFromOS() const;
  PMOrientation GetPageOrientationFromOS() const;
  // The first page's input slot as UTF-8 (empty when none), cut to size - 1
  // bytes and terminated; always 0.
  int GetPrimayPaperFeedFromOS(char* buffer, int size) const;

  // What the administrator's template does to a feature.
  bool dmtHides(const char* keyword) const;
  bool dmtLocks(const char* keyword) const;

  // Quick Access shortcuts stored for this queue.
  bool GetPPDShortcuts(PPDTree& tree) const;
  bool SetPPDShortcuts(const PPDTree& tree);

  // The document's PPD path.
  std::string QueuePPDPath() const;

  // Print time: everything the controller needs in the job, in its fixed
  // order, into the ticket; answers 0.
  int OutPostscriptData(QZVJobTicket& ticket, PMPrintSession* session);
  // The standard code of every displayable control but the page size is
  // left out of the job (site -9).
  void SuppressApplePostscript(QZVJobTicket& ticket);
  // Registers a new job with the workflow service's client library; nothing
  // happens without the library.
  void UploadJobriftXMLFiles(int mode);

  // The watermark descriptions stored for this printer (data block 1).
  bool GetWatermarksFromPreferences();
  bool SaveWatermarksToPreferences();

  // The panel's state that no PPD control holds, kept in the print settings.
  // Save and restore answer -1 without print settings.
  int SaveNonPSSettings();
  int RestoreNonPSSettings();
  // The administrator's template's values for the extra lists, the paper
  // catalog, job notes and the custom print size; answers 0.
  int dmtSetNonPPDKeys();
  // Appends "*" and each key the template hides; false without template text
  // or when a key does not convert.
  bool fetchHiddenKeysFromDMTXML(std::vector<CFString>& keys) const;

  QZVPPD* ppd;  // not owned
  uint8_t customPaperFromOS = 0;
  MixedMediaList mixedMedia;
  FinishingFeatureList padCovers;
  FinishingFeatureList coverPages;
  FinishingFeatureList slipSheets;
  int32_t osOrientation = 0;
  std::array<PaperCatalogPair, kPaperCatalogPairs> paperCatalog;
  std::unique_ptr<WatermarkList> watermarks;
  char ppdCopyPath[kPPDCopyPathSize] = {};
  PMPrintSettings* printSettings = nullptr;  // not owned
  PMPrintSession* printSession;              // not owned
  PMPageFormat* pageFormat = nullptr;        // not owned
  std::unique_ptr<QZVUnisorPrinterPList> printerList;
  CFString printerKey;
  CFString printerAddress;
  uint8_t addressFromOS = 0;

 private:
  void MakePPDCopy();
};

// The host of a device URI ("ipp://host:631/x" gives "host"): after "://"
// and any "user@", up to ":", "/", "?" or "#", brackets of an IPv6 literal
// dropped and percent escapes decoded. Empty without one.
std::string DeviceURIHost(std::string_view uri);

// Copies a file into a new file at `to`, first removing whatever has that
// name (a link itself, never what it points to); the new file is created
// exclusively, without following links. False when any step fails.
bool CopyFileFresh(const std::string& from, const std::string& to);
