// A stand-in for the queue that keeps the preferences list: the message it
// answers and the commands sent to it. Each test gets its own system root and
// home folder, the newest system version and a log capture.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "foundation/PropertyListFile.h"
#include "platform/Log.h"
#include "platform/SystemSettings.h"

struct FakeQueue {
  std::optional<std::u32string> message;  // nullopt: no printer
  PreferencesSendResult answer = PreferencesSendResult::kCompleted;
  struct Sent {
    std::string command, text;
  };
  std::vector<Sent> sent;
  // A completed command replaces the message, as the queue does.
  bool storeOnSend = true;

  static std::u32string Wide(const std::string& utf8) { return CFString::FromUTF8(utf8).UTF32(); }
};

class PreferencesEnvironment {
 public:
  PreferencesEnvironment()
      : root_(scratch_.Path().string() + "/root"),
        home_("HOME", (scratch_.Path() / "home").c_str()),
        version_(kNewestSystemMinorVersion) {
    std::filesystem::create_directories(scratch_.Path() / "home");
    previous_ = SetPreferencesChannel(PreferencesChannel{
        [this] { return queue.message; },
        [this](const std::string& command, const std::string& text) {
          queue.sent.push_back({command, text});
          if (queue.answer == PreferencesSendResult::kCompleted && queue.storeOnSend) {
            queue.message = FakeQueue::Wide(text);
          }
          return queue.answer;
        }});
  }
  ~PreferencesEnvironment() { SetPreferencesChannel(std::move(previous_)); }

  std::filesystem::path Home() const { return scratch_.Path() / "home"; }
  std::filesystem::path HomePrefs() const {
    return Home() / "Library/Preferences/QZV.UnisorPrinterV2.plist";
  }
  std::filesystem::path CacheFile() const {
    return std::filesystem::path(SystemPath(kPreferencesCacheFile));
  }
  void MakeCacheFile() const {
    std::filesystem::create_directories(CacheFile().parent_path());
    std::ofstream(CacheFile()) << "x";
  }
  // Files beside `file` whose names start with its name and ".corrupt-".
  static std::vector<std::filesystem::path> Aside(const std::filesystem::path& file) {
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(file.parent_path(), ec)) {
      if (e.path().filename().string().starts_with(file.filename().string() + ".corrupt-")) {
        found.push_back(e.path());
      }
    }
    return found;
  }
  bool Logged(const std::string& part) const {
    for (const auto& line : log_.Lines()) {
      if (line.find(part) != std::string::npos) return true;
    }
    return false;
  }

  FakeQueue queue;
  ScratchDir scratch_;

 private:
  ScopedTavroRoot root_;
  ScopedEnv home_;
  ScopedSystemMinorVersion version_;
  LogCapture log_;
  PreferencesChannel previous_;
};
