// Small feature documents written by the panel tests, and helpers to read a
// ticket's entries as text.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "PPDX/PPDStream.h"
#include "PPDX/QZVPPD.h"
#include "foundation/PropertyListFile.h"
#include "panel/QZVJobTicket.h"
#include "platform/CFString.h"

inline std::filesystem::path SamplePPD() {
  return std::filesystem::path(TAVRO_SOURCE_DIR) / "samples" / "TavroC750.ppd";
}

// A folder of its own for one test, removed with the object.
class ScratchDir {
 public:
  ScratchDir() {
    path_ = std::filesystem::temp_directory_path() /
            ("tavro-panel-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path Write(const std::string& name, const std::string& bytes) const {
    std::filesystem::path file = path_ / name;
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
    return file;
  }

 private:
  static inline int counter_ = 0;
  std::filesystem::path path_;
};

// What a panel test runs in: the temporary folder below `dir` (TMPDIR) and
// the per-printer preferences list kept in memory, the way the queue keeps
// it (`stored`; `saves` counts the saves). Both are put back when the object
// goes.
class PanelTestEnvironment {
 public:
  explicit PanelTestEnvironment(const std::filesystem::path& dir) {
    const char* tmp = std::getenv("TMPDIR");
    if (tmp) savedTmp_ = tmp;
    std::filesystem::create_directories(dir / "tmp");
    ::setenv("TMPDIR", (dir / "tmp").c_str(), 1);
    previous_ = SetPreferencesChannel(
        PreferencesChannel{[this]() -> std::optional<std::u32string> { return stored; },
                           [this](const std::string&, const std::string& text) {
                             stored = CFString::FromUTF8(text).UTF32();
                             ++saves;
                             return PreferencesSendResult::kCompleted;
                           }});
  }
  ~PanelTestEnvironment() {
    SetPreferencesChannel(std::move(previous_));
    if (savedTmp_) {
      ::setenv("TMPDIR", savedTmp_->c_str(), 1);
    } else {
      ::unsetenv("TMPDIR");
    }
  }
  PanelTestEnvironment(const PanelTestEnvironment&) = delete;
  PanelTestEnvironment& operator=(const PanelTestEnvironment&) = delete;

  std::optional<std::u32string> stored;
  int saves = 0;

 private:
  std::optional<std::string> savedTmp_;
  PreferencesChannel previous_;
};

// A PPD made of a fixed header and the given body, parsed as the panel does.
class TestPPD {
 public:
  explicit TestPPD(const std::string& body, const std::string& name = "test.ppd") {
    ClearEndOfPPDLatch();
    const std::string text =
        "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*LanguageVersion: English\n"
        "*LanguageEncoding: ISOLatin1\n*PCFileName: \"TEST.PPD\"\n*ModelName: \"Test\"\n"
        "*%QZVersion: \"1.0\"\n*%QZVGroupName FPQZNotes/Notes: True\n" +
        body + "\n*% End of PPD file\n";
    path_ = dir_.Write(name, text);
    ppd_ = std::make_unique<QZVPPD>(path_, kParseOrphansAndHidden);
    ClearEndOfPPDLatch();
  }
  QZVPPD* get() const { return ppd_.get(); }
  QZVPPD* operator->() const { return ppd_.get(); }
  const std::filesystem::path& path() const { return path_; }

 private:
  ScratchDir dir_;
  std::filesystem::path path_;
  std::unique_ptr<QZVPPD> ppd_;
};

// A job-note declaration: keyword (with "*"), flags, optional code.
inline std::string NoteLine(const std::string& keyword, const std::string& flags,
                            const std::string& code = "") {
  std::string line = "*%QZVJobNote " + keyword + "/" + keyword.substr(1) + ": 64|" + flags + "\n";
  if (!code.empty()) line += "*%" + keyword.substr(1) + ": \"" + code + "\"\n";
  return line;
}

inline std::string SpecialOption(const std::string& keyword, const std::string& value) {
  return "*%QZVSpecialOption " + keyword + ": " + value + "\n";
}

inline std::string EntryText(const TicketEntry& entry) {
  return std::string(entry.bytes.begin(), entry.bytes.end());
}

// The texts of the entries at one site, in order.
inline std::vector<std::string> AtSite(const QZVJobTicket& ticket, int site) {
  std::vector<std::string> out;
  for (const TicketEntry& entry : ticket.Entries())
    if (entry.site == site) out.push_back(EntryText(entry));
  return out;
}

inline bool IsUpperHex(const std::string& text) {
  return text.find_first_not_of("0123456789ABCDEF") == std::string::npos;
}
