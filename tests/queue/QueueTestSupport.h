// A private root folder per test and a reader for the PPD messages a command
// answers (through the panel's section reader, the way the panel reads them).
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "queue/QueueCommands.h"
#include "serverlink/CFileHdlr.h"

class TempRoot {
 public:
  TempRoot() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavro-queue-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempRoot() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path Cache() const { return path_ / "Library/Caches/QZV"; }

  // Names and contents of everything in the cache folder.
  std::set<std::pair<std::string, std::string>> Snapshot() const {
    std::set<std::pair<std::string, std::string>> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(Cache(), ec)) {
      std::string content = e.is_symlink()
                                ? "-> " + std::filesystem::read_symlink(e.path()).string()
                                : Read(e.path());
      out.emplace(e.path().filename().string(), content);
    }
    return out;
  }

  static std::string Read(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

 private:
  std::filesystem::path path_;
};

// The message `name` among the updates, as the panel's reader returns it;
// false when it has no readable pieces.
inline bool ReadMessage(const QueueCommandOutcome& out, const std::string& name,
                        std::string& payload) {
  std::string text;
  for (const auto& [key, value] : out.ppdUpdates) text += key + ": " + value + "\n";
  SectionPayload got;
  if (!CFileHdlr::stringReadData(text, name.c_str(), got)) return false;
  payload.assign(got.bytes.begin(), got.bytes.begin() + static_cast<long>(got.Length()));
  return true;
}
