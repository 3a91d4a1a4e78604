// The panel's two-way data link for one queue: where the companion process
// puts the queue's two-way data file, reading it (waiting out the companion's
// open marker), waiting for update files, telling whether the printer is too
// busy to answer, and asking the user whether to go on without two-way data.
// Toolkit-free: the panel shell owns one and shows its alert through the
// platform's alert seam. Waits go through WaitClock.
#pragma once

#include <string>
#include <string_view>

#include "platform/PMPrinter.h"

class TwoWayData {
 public:
  static constexpr size_t kMaxFolder = 256;
  static constexpr size_t kMaxPath = 511;
  static constexpr size_t kMaxQueueName = 255;
  // A two-way data file larger than this is not read.
  static constexpr size_t kMaxDataFile = 64u * 1024u * 1024u;

  // The queue name is the PPD file's name without ".ppd" (at most 255 bytes).
  static std::string QueueNameFromPPDPath(std::string_view ppdPath);

  void SetQueueName(std::string_view queueName);
  const std::string& QueueName() const { return queueName_; }
  void SetPrinter(PMPrinterRef printer) { printer_ = std::move(printer); }

  // The PDE folder: the folder of the PPD's PDE path, with a trailing "/";
  // empty when the path is empty, its folder doesn't exist or is too long.
  void fillPDEInstallPath(std::string_view pathToPDE);
  // The per-queue paths below; each empty when it would pass 511 bytes.
  void fillBidiFilePaths();

  const std::string& PDEFolder() const { return pdeFolder_; }
  const std::string& BidiDataPath() const { return bidiDataPath_; }
  const std::string& OpenMarkerPath() const { return openMarkerPath_; }
  const std::string& ConnectionErrorPath() const { return connectionErrorPath_; }
  const std::string& TimeoutOverridePath() const { return timeoutOverridePath_; }

  // Reads the two-way data file into the data copy: 1 when read, 0 when not.
  int readBidiData();
  std::string getBidiDataCopy() const { return fdata_; }

  // Waits for the file at `path` to appear: 1 when it could be opened and the
  // queue has no connection error file, else 0. Gives up after 35 seconds
  // (then asks the user) unless the time-out override file exists.
  int WaitForFileToBeCreated(std::string_view queueName, std::string_view path);

  // 1 when the printer is busy and two-way data can't be had now.
  int isPrinterBusyWithPrinting();
  // Asks whether to go on without two-way data and keeps the answer.
  void showBiDiError();
  // The user's last answer: 1 go on without two-way data, 0 cancel.
  int printerInBusyState_ContinueBiDiOFF() const { return continueBiDiOff_; }

 private:
  std::string ConnectionErrorFileFor(std::string_view queueName) const;

  PMPrinterRef printer_;
  std::string queueName_;
  std::string pdeFolder_;
  std::string bidiDataPath_;
  std::string openMarkerPath_;
  std::string connectionErrorPath_;
  std::string timeoutOverridePath_;
  std::string fdata_;
  int continueBiDiOff_ = 0;
};
