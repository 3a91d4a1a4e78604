// A whole session through the built component: the view model's record, the
// panel's host functions with the simulator's two-way data, and a script that
// tells the component what to do and where to record what it saw.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "serverlink/BidiSimInput.h"
#include "serverlink/CFileHdlr.h"
#include "serverlink/JPLibrary.h"
#include "serverlink/JPSession.h"
#include "serverlink/JPSessionHost.h"
#include "serverlink/SharedMemoryList.h"
#include "serverlink/WideText.h"

class JPSession : public ::testing::Test {
 protected:
  void SetUp() override {
    CFileHdlr::SetEchoToStderr(false);
    dir_ = std::filesystem::temp_directory_path() /
           ("jp-session-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    SetJPLibraryDirectory(TAVRO_JP_LIBRARY_DIR);
    SetJPReadyTimeout(std::chrono::seconds(10));
    GetSharedListState() = SharedListState();
    shared_ = NewSharedMemoryList();
    SetSharedMemoryList(shared_.get());
    AddPair("Duplex", "None");
    AddPair("QZStaple", "None");
    AddPair("QZFinisher", "Booklet");
    AddPair("QZNote", "EFBBBFold note");
    SetSharedField(shared_->installedOptionIndexes, "2,");
    SetSharedField(shared_->ppdLocation, "/var/lib/tavro/queue/TavroC750.ppd");
    SetSharedField(shared_->bundleVersion, "1.4.0");
    SetSharedField(shared_->controllerVersion, "C750 3.2");
    SetSharedField(shared_->watermarkCount, "2");
    SetSharedField(shared_->watermarkIds[0], "1");
    SetSharedField(shared_->watermarkNames[0], "Confidential");
    SetSharedField(shared_->watermarkIds[1], "2");
    SetSharedField(shared_->watermarkNames[1], "Draft");
    SetSharedField(shared_->result, "-1");

    std::ifstream in(std::string(TAVRO_SOURCE_DIR) + "/samples/bidi/TavroC750.bidi.ini");
    std::stringstream text;
    text << in.rdbuf();
    std::vector<BidiSimSection> sections;
    std::string error;
    ASSERT_TRUE(ParseBidiSimInput(text.str(), sections, error)) << error;
    bidi_ = ComposeBidiData(sections);

    JPSessionHost host;
    host.bidiDataCopy = [this] { return bidi_; };
    host.bidiDataPath = [this] { return (dir_ / "TavroC750.bididata").string(); };
    host.windowTitle = [] { return std::string("Printing Preferences"); };
    host.dmtXml = [this] { return dmt_; };
    host.localPresetsMessage = [this] { return localPresets_; };
    host.sendCommandAndWait = [this](const std::string& title, const std::string& text) {
      commands_.emplace_back(title, text);
      return commandCompletes_;
    };
    SetJPSessionHost(std::move(host));
  }

  void TearDown() override {
    UnloadJPModule();
    SetSharedMemoryList(nullptr);
    SetJPSessionHost(JPSessionHost());
    SetJPLibraryDirectory("");
    unsetenv("TAVRO_JP_SCRIPT");
    CFileHdlr::SetEchoToStderr(true);
    std::filesystem::remove_all(dir_);
  }

  void AddPair(const std::string& key, const std::string& value) {
    long n = SharedNumber(shared_->count);
    SetSharedField(shared_->keys[n], key);
    WriteSharedField(shared_->values[n], kSharedValueWidth, value);
    SetSharedNumber(shared_->count, n + 1);
  }

  // Writes the component's script (with a record file) and names it.
  void Script(const std::string& lines) {
    std::string path = (dir_ / "script.txt").string();
    std::ofstream(path) << "record " << RecordPath() << "\n" << lines;
    setenv("TAVRO_JP_SCRIPT", path.c_str(), 1);
  }
  std::string RecordPath() const { return (dir_ / "record.txt").string(); }
  std::vector<std::string> Record() const {
    std::ifstream in(RecordPath());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // The record lines that follow the answer line of a call, up to the next
  // line without indentation.
  std::vector<std::string> Answer(const std::string& call) const {
    std::vector<std::string> lines = Record();
    std::vector<std::string> out;
    for (size_t i = 0; i < lines.size(); ++i) {
      bool answer = lines[i].rfind(call + " ", 0) == 0 &&
                    (lines[i].find(" rc=") != std::string::npos || lines[i] == call + " empty");
      if (!answer) continue;
      out.push_back(lines[i]);
      for (size_t k = i + 1; k < lines.size() && lines[k].rfind(" ", 0) == 0; ++k)
        out.push_back(lines[k]);
      break;
    }
    return out;
  }
  std::string Field(const char* field, size_t width) const {
    return std::string(FieldText(field, width));
  }
  std::string Value(size_t i) const { return Field(shared_->values[i], kSharedValueWidth); }
  std::string Result() const { return Field(shared_->result, sizeof shared_->result); }

  // Blocks still live in the component's allocator.
  uint64_t LiveBlocks() const {
    void* lib = dlopen(TAVRO_JP_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    if (lib == nullptr) return 0;
    auto fn = reinterpret_cast<uint64_t (*)()>(dlsym(lib, "TavroJP_LiveBlocks"));
    uint64_t n = fn ? fn() : 0;
    dlclose(lib);
    return n;
  }

  std::filesystem::path dir_;
  std::unique_ptr<SharedMemoryList> shared_;
  std::string bidi_;
  std::string dmt_;
  std::optional<std::string> localPresets_;
  bool commandCompletes_ = true;
  std::vector<std::pair<std::string, std::string>> commands_;
};
