#include "serverlink/TwoWayData.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "foundation/PDEBundle.h"
#include "platform/Alert.h"
#include "platform/SystemSettings.h"
#include "serverlink/CFileHdlr.h"
#include "serverlink/WaitClock.h"

namespace {

constexpr int kReadTries = 501;
constexpr int kMarkerChecks = 61;
constexpr int kReadableTries = 41;
constexpr int kStepMs = 50;
constexpr int kFileWaitMs = 300;
constexpr double kFileWaitSeconds = 35.0;
constexpr int kBusyPolls = 180;
constexpr int kBusyPollMs = 100;

bool Exists(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0;
}

bool CanOpen(std::string_view path) {
  if (path.empty()) return false;
  std::ifstream in{std::string(path), std::ios::binary};
  return in.is_open();
}

std::string Bounded(std::string path) {
  return path.size() > TwoWayData::kMaxPath ? std::string() : path;
}

std::string Localized(const char* key, const char* fallback) {
  CFBundleRef bundle = GetBundleRef();
  if (!bundle) return fallback;
  std::string text = bundle
                         ->CopyLocalizedString(CFString::FromUTF8(key),
                                               CFString::FromUTF8(fallback), "BidiStrings")
                         .UTF8();
  return text.empty() || text == key ? fallback : text;
}

}  // namespace

std::string TwoWayData::QueueNameFromPPDPath(std::string_view ppdPath) {
  size_t slash = ppdPath.rfind('/');
  std::string_view name = slash == std::string_view::npos ? ppdPath : ppdPath.substr(slash + 1);
  if (name.size() >= 4 && name.substr(name.size() - 4) == ".ppd") name.remove_suffix(4);
  return std::string(name.substr(0, kMaxQueueName));
}

void TwoWayData::SetQueueName(std::string_view queueName) {
  queueName_ = std::string(queueName.substr(0, kMaxQueueName));
}

void TwoWayData::fillPDEInstallPath(std::string_view pathToPDE) {
  pdeFolder_.clear();
  if (pathToPDE.empty()) return;
  std::filesystem::path folder = std::filesystem::path(SystemPath(pathToPDE)).parent_path();
  std::error_code ec;
  if (folder.empty() || !std::filesystem::is_directory(folder, ec)) return;
  std::string text = folder.string();
  if (text.back() != '/') text += '/';
  if (text.size() <= kMaxFolder) pdeFolder_ = std::move(text);
}

std::string TwoWayData::ConnectionErrorFileFor(std::string_view queueName) const {
  return Bounded(
      SystemPath("/Library/Caches/QZV/ConnectionErrorInfoFile" + std::string(queueName) + ".txt"));
}

void TwoWayData::fillBidiFilePaths() {
  const bool haveFolder = !pdeFolder_.empty() && !queueName_.empty();
  bidiDataPath_ = haveFolder ? Bounded(pdeFolder_ + queueName_ + ".bididata") : std::string();
  openMarkerPath_ = haveFolder ? Bounded(pdeFolder_ + queueName_ + ".open") : std::string();
  connectionErrorPath_ = ConnectionErrorFileFor(queueName_);
  timeoutOverridePath_ = Bounded(SystemPath("/Library/Caches/QZV/qzv_timeout_override.txt"));
}

int TwoWayData::readBidiData() {
  WaitClock& clock = CurrentWaitClock();
  if (bidiDataPath_.empty()) return 0;
  std::ifstream in;
  bool opened = false;
  for (int attempt = 0; attempt < kReadTries && !opened; ++attempt) {
    if (attempt > 0) clock.SleepMs(kStepMs);
    if (!Exists(bidiDataPath_)) continue;
    // The companion is still writing while its open marker exists; after
    // about 3 seconds the file is read anyway.
    for (int check = 0; check < kMarkerChecks && Exists(openMarkerPath_); ++check)
      clock.SleepMs(kStepMs);
    in.open(bidiDataPath_, std::ios::binary);
    opened = in.is_open();
  }
  if (!opened) {
    std::fprintf(stderr, "readBidiData: no two-way data file %s\n", bidiDataPath_.c_str());
    return 0;
  }
  bool readable = false;
  for (int attempt = 0; attempt < kReadableTries && !readable; ++attempt) {
    if (attempt > 0) clock.SleepMs(kStepMs);
    readable = in.good();
  }
  if (!readable) {
    std::fprintf(stderr, "readBidiData: %s is not readable\n", bidiDataPath_.c_str());
    return 0;
  }
  std::error_code ec;
  uintmax_t size = std::filesystem::file_size(bidiDataPath_, ec);
  if (ec || size > kMaxDataFile) {
    std::fprintf(stderr, "readBidiData: %s is too large or unreadable\n", bidiDataPath_.c_str());
    return 0;
  }
  fdata_.clear();
  std::string line;
  while (safeGetline(in, line)) {
    if (fdata_.size() + line.size() + 1 > kMaxDataFile) break;
    fdata_ += line;
    fdata_ += '\n';
  }
  return 1;
}

int TwoWayData::WaitForFileToBeCreated(std::string_view queueName, std::string_view path) {
  WaitClock& clock = CurrentWaitClock();
  const std::string connectionError = ConnectionErrorFileFor(queueName);
  double elapsed = 0;
  bool opened = false;
  bool timedOut = false;
  for (;;) {
    if (Exists(connectionError)) break;
    if (CanOpen(path)) {
      opened = true;
      break;
    }
    // With the override the wait has no end, but it still sleeps between
    // tries rather than spinning.
    clock.SleepMs(kFileWaitMs);
    if (!Exists(timeoutOverridePath_)) elapsed += kFileWaitMs / 1000.0;
    if (elapsed > kFileWaitSeconds) {
      timedOut = true;
      break;
    }
  }
  if (timedOut && !Exists(timeoutOverridePath_)) showBiDiError();
  return opened && !Exists(connectionError) ? 1 : 0;
}

int TwoWayData::isPrinterBusyWithPrinting() {
  PMPrinterState state = kPMPrinterIdle;
  if (!printer_) return 0;
  if (PMPrinterGetState(printer_.get(), &state) != noErr) {
    std::fprintf(stderr, "isPrinterBusyWithPrinting: the printer state can't be had\n");
    showBiDiError();
    return 1;
  }
  if (state == kPMPrinterIdle) return 0;
  if (state == kPMPrinterStopped) return 1;
  PlistValue info;
  if (PMPrinterCopyState(printer_.get(), &info) == noErr) {
    const PlistValue* message = info.Find("printer-state-message");
    if (message == nullptr || message->GetString().empty()) {
      WaitClock& clock = CurrentWaitClock();
      // 18 seconds in all, however slowly the printing system answers.
      const double deadline = clock.NowSeconds() + kBusyPolls * kBusyPollMs / 1000.0;
      for (int poll = 0; poll < kBusyPolls && clock.NowSeconds() < deadline; ++poll) {
        clock.SleepMs(kBusyPollMs);
        if (PMPrinterGetState(printer_.get(), &state) != noErr) break;
        if (state == kPMPrinterIdle) return 0;
      }
    }
  }
  showBiDiError();
  return 1;
}

void TwoWayData::showBiDiError() {
  AlertRequest request;
  request.title =
      Localized("BIDI_SPOOLER_DELAY_S",
                "Two-Way Communication with the Tavro controller cannot be established");
  request.text = Localized("BIDI_SPOOLER_DELAY_L",
                           "Select Continue to access Tavro options without Two-Way Communication. "
                           "Select Cancel to exit and try your connection again later.");
  request.buttons = {Localized("CONTINUE", "Continue"), Localized("CANCEL", "Cancel")};
  request.defaultButton = 0;
  continueBiDiOff_ = RunAlert(request) == 1 ? 0 : 1;
}
