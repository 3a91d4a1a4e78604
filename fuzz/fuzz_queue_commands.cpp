// links: tavro_serverlink
// Command jobs as the queue's filter gets them: a title (one of the commands,
// or free text) and a body, carried out against a private root. Whatever the
// input: nothing is created outside the cache folder, no link is followed, a
// refused command answers no PPD updates, and an accepted message stores
// into a PPD and reads back as what was sent.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "queue/QueueCommands.h"
#include "serverlink/PPDXData.h"

namespace fs = std::filesystem;

namespace {

const char* const kTitles[] = {
    "Command_LocaleCode",          "Command_PSTempFileName", "Command_WritePSTemp",
    "Command_PSQZDestination",     "Command_QZVPrefs1234",   "Command_WritePresetData99",
    "Command_PRINTERLOCALPRESETS", "command_PopupJnData",    "Command_UpdateCommands",
    "Command_DeleteUpdateFiles",
};
constexpr size_t kTitleCount = sizeof kTitles / sizeof kTitles[0];

// Kept in a plain array: it is still there when the exit handler removes it.
char gRoot[64];

void RemoveRoot() {
  std::error_code ec;
  fs::remove_all(gRoot, ec);
}

fs::path Root() {
  if (gRoot[0] == '\0') {
    // A memory file system when there is one: every run makes and removes files.
    std::strcpy(gRoot, access("/dev/shm", W_OK) == 0 ? "/dev/shm/fuzz_queue_commands.XXXXXX"
                                                     : "/tmp/fuzz_queue_commands.XXXXXX");
    if (!mkdtemp(gRoot)) std::abort();
    fs::create_directories(fs::path(gRoot) / "outside");
    std::atexit(RemoveRoot);
  }
  return gRoot;
}

// Everything under the root lies in the cache folder or is the fixture's own.
void CheckTree(const fs::path& root) {
  const fs::path cache = root / "Library/Caches/QZV";
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    const fs::path& p = it->path();
    if (p == root / "outside" || p == root / "q.ppd") continue;
    if (p == root / "Library" || p == root / "Library/Caches" || p == cache) continue;
    if (p.parent_path() != cache || fs::is_directory(fs::symlink_status(p))) std::abort();
  }
  if (!fs::is_empty(root / "outside")) std::abort();
}

// One command: the first byte picks the title (past the table: the title is
// the text up to the first line feed), the rest is the body.
void RunOne(const fs::path& root, std::string_view record) {
  if (record.empty()) return;
  const auto selector = static_cast<unsigned char>(record[0]);
  std::string_view rest = record.substr(1);
  std::string title;
  size_t pick = selector % (kTitleCount + 1);
  if (pick < kTitleCount) {
    title = kTitles[pick];
  } else {
    size_t end = rest.find('\n');
    title = std::string(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  QueueCommandContext ctx{root.string(), (root / "q.ppd").string(), "FuzzQueue",
                          (selector & 0x80) ? "alice" : "bob"};
  QueueCommandOutcome out = RunQueueCommand(ctx, title, rest);
  if (!out.accepted && !out.ppdUpdates.empty()) std::abort();
  CheckTree(root);
  if (!out.accepted || out.ppdUpdates.empty()) return;

  const std::string ppd = (root / "q.ppd").string();
  FILE* f = std::fopen(ppd.c_str(), "wb");
  if (!f) std::abort();
  std::fputs("*PPD-Adobe: \"4.3\"\n*ModelName: \"Fuzz\"\n", f);
  std::fclose(f);
  std::string error;
  if (!ApplyPPDUpdates(ppd, out.ppdUpdates, &error)) std::abort();
  std::string name = out.ppdUpdates.front().first;
  name.resize(name.size() - 4);
  size_t length = 0;
  SectionPayload back = ppdxReadData(ppd.c_str(), name.c_str(), &length);
  // Narrow messages come back as sent; wide ones as 4 bytes a character.
  const bool narrow = name == "QZLocalJPPresets" || name == "QZPopupJnData";
  if (narrow && (length != rest.size() ||
                 (length > 0 && std::memcmp(back.bytes.data(), rest.data(), length) != 0)))
    std::abort();
  if (!narrow && (length % 4 != 0 || length / 4 > rest.size())) std::abort();
}

}  // namespace

// Up to four commands in a row (a NUL byte between them), so that a ticket
// name can be followed by its text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fs::path root = Root();
  // A link in the cache folder, as a hostile user might leave one.
  std::error_code ec;
  fs::create_directories(root / "Library/Caches/QZV", ec);
  fs::create_symlink(root / "outside/x", root / "Library/Caches/QZV/Tavro.tempLink", ec);
  std::string_view input(reinterpret_cast<const char*>(data), size);
  for (int n = 0; n < 4 && !input.empty(); ++n) {
    size_t end = input.find('\0');
    RunOne(root, input.substr(0, end));
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
  }
  // Start each input from an empty folder, so that inputs don't depend on each other.
  fs::remove_all(root / "Library", ec);
  return 0;
}
