// links: tavro_serverlink
// Arbitrary text as a queue's PPD, read for PPD messages: under a fixed name,
// under a name taken from the input, and through the message handler. A
// message written by our own writer and stored as the scheduler stores it
// must read back whole.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "queue/PPDMessage.h"
#include "queue/QueueCommands.h"
#include "serverlink/CPPDMsgHdlr.h"
#include "serverlink/PPDXData.h"

namespace {

// Kept in a plain array: it is still there when the exit handler removes it.
char gPath[64];

void RemovePPD() {
  std::remove(gPath);
}

std::string PPDPath() {
  if (gPath[0] == '\0') {
    std::snprintf(gPath, sizeof gPath, "%s/fuzz_ppd_messages.%d.ppd",
                  access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp", static_cast<int>(getpid()));
    std::atexit(RemovePPD);
  }
  return gPath;
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
}

// The reader logs every PPD it can't use; the fuzzer's own report must stay
// on stderr, so the log is muted only while the reader runs.
class Quiet {
 public:
  Quiet() {
    std::fflush(stderr);
    saved_ = dup(2);
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, 2);
      close(null);
    }
  }
  ~Quiet() {
    std::fflush(stderr);
    if (saved_ >= 0) {
      dup2(saved_, 2);
      close(saved_);
    }
  }
  Quiet(const Quiet&) = delete;
  Quiet& operator=(const Quiet&) = delete;

 private:
  int saved_ = -1;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = PPDPath();
  WriteFile(path, data, size);
  size_t length = 0;
  {
    Quiet quiet;
    ppdxReadData(path.c_str(), "QZTrayInfo", &length);
    if (size > 0) {
      size_t n = data[0] % 16;
      if (n + 1 <= size) {
        std::string name(reinterpret_cast<const char*>(data) + 1, n);
        if (name.find('\0') == std::string::npos) ppdxReadData(path.c_str(), name.c_str(), &length);
      }
    }
    CPPDMsgHdlr handler(path.c_str(), "PresetsList");
    handler.GetStringData();
    handler.GetCStringData();
  }

  // The input as a message payload, stored the scheduler's way into a small PPD.
  static const char kHead[] = "*PPD-Adobe: \"4.3\"\n*ModelName: \"Fuzz\"\n";
  WriteFile(path, reinterpret_cast<const uint8_t*>(kHead), sizeof kHead - 1);
  PPDUpdates updates;
  std::string payload(reinterpret_cast<const char*>(data), size);
  if (!EncodePPDMessage("QZFuzz", payload, updates)) std::abort();
  std::string error;
  if (!ApplyPPDUpdates(path, updates, &error)) std::abort();
  SectionPayload back = ppdxReadData(path.c_str(), "QZFuzz", &length);
  if (length != size || (size > 0 && std::memcmp(back.bytes.data(), data, size) != 0)) std::abort();
  return 0;
}
