// tavro-robust: reads real PPDs with the feature document, one after another
// in one process, and writes one line per file for tools/robustness.sh:
//
//   tavro-robust [--timeout SECONDS] LIST_FILE
//
// LIST_FILE names one PPD per line. For each file the document is built with
// the panel's parse options, and libcups opens the same file; the line (tab
// separated, fields escaped) gives the path, our parse time in microseconds,
// our errors as NAME:CODE=COUNT items, then four identity keywords (PC file
// name, model name, language version, language encoding) as we read them,
// as libcups's ppd_file_t fields give them and as its attributes
// (ppdFindAttr) give them, and whether libcups opened the file. A value
// that is absent is written as \N.
//
// A parse that takes longer than the time bound ends the process with exit
// code 3 after a "HANG path" line on stderr; the runner then goes on with the
// next file. A crash or a sanitizer report ends the process likewise; the
// number of lines written tells the runner where it stopped.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/ppd.h>
#pragma GCC diagnostic pop

#include "PPDX/PPDObjects/PPDXErrorObj.h"
#include "PPDX/PPDObjects/PPDXErrors.h"
#include "PPDX/PPDStream.h"
#include "PPDX/PPDXErrorCodes.h"
#include "PPDX/QZVPPD.h"
#include "platform/Log.h"

namespace {

using Clock = std::chrono::steady_clock;

// Tabs, line ends, backslashes and bytes outside printable ASCII as escapes,
// so that every value stays one field of one line.
std::string Escape(const char* text) {
  if (text == nullptr) return "\\N";
  std::string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (*p == '\\') {
      out += "\\\\";
    } else if (*p < 0x20 || *p >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", *p);
      out += hex;
    } else {
      out += static_cast<char>(*p);
    }
  }
  return out;
}

struct Watchdog {
  std::atomic<int64_t> startedNs{0};  // 0: no parse running
  std::mutex pathLock;
  std::string path;
  double limitSeconds = 60;

  void Start(const std::string& file) {
    {
      std::lock_guard<std::mutex> hold(pathLock);
      path = file;
    }
    startedNs = Clock::now().time_since_epoch().count();
  }
  void Stop() { startedNs = 0; }

  void Run() {
    for (;;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      const int64_t started = startedNs.load();
      if (started == 0) continue;
      const double seconds =
          static_cast<double>(Clock::now().time_since_epoch().count() - started) / 1e9;
      if (seconds > limitSeconds) {
        std::lock_guard<std::mutex> hold(pathLock);
        std::fprintf(stderr, "HANG %s (over %.0f s)\n", path.c_str(), limitSeconds);
        std::fflush(stderr);
        _exit(3);
      }
    }
  }
};

std::string Errors(QZVPPD& doc) {
  std::map<std::string, int> counts;
  if (PPDXErrors* errors = doc.GetErrors()) {
    for (PPDXErrorObj* e = errors->First(); e != nullptr; e = errors->Next()) {
      const char* name = PPDErrorName(e->Code());
      counts[std::string(name ? name : "unknown") + ":" + std::to_string(e->Code())]++;
    }
  }
  std::string out;
  for (const auto& [name, count] : counts) {
    if (!out.empty()) out += ',';
    out += name + "=" + std::to_string(count);
  }
  return out.empty() ? "-" : out;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
const char* AttrValue(ppd_file_t* ppd, const char* name) {
  ppd_attr_t* attr = ppdFindAttr(ppd, name, nullptr);
  return attr ? attr->value : nullptr;
}

std::string CupsFields(const char* path) {
  ppd_file_t* ppd = ppdOpenFile(path);
  if (ppd == nullptr) {
    int line = 0;
    const ppd_status_t status = ppdLastError(&line);
    std::string out;
    for (int i = 0; i < 8; ++i) out += "\\N\t";
    return out + "failed:" + Escape(ppdErrorString(status)) + "@" + std::to_string(line);
  }
  std::string out;
  for (const char* value :
       {ppd->pcfilename, ppd->modelname, ppd->lang_version, ppd->lang_encoding}) {
    out += Escape(value) + "\t";
  }
  for (const char* name : {"PCFileName", "ModelName", "LanguageVersion", "LanguageEncoding"}) {
    out += Escape(AttrValue(ppd, name)) + "\t";
  }
  ppdClose(ppd);
  return out + "ok";
}
#pragma GCC diagnostic pop

}  // namespace

int main(int argc, char** argv) {
  Watchdog watchdog;
  const char* listFile = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
      watchdog.limitSeconds = std::atof(argv[++i]);
    } else if (listFile == nullptr && argv[i][0] != '-') {
      listFile = argv[i];
    } else {
      listFile = nullptr;
      break;
    }
  }
  if (listFile == nullptr || watchdog.limitSeconds <= 0) {
    std::fprintf(stderr, "usage: %s [--timeout SECONDS] LIST_FILE\n", argv[0]);
    return 2;
  }
  std::ifstream list(listFile);
  if (!list) {
    std::fprintf(stderr, "%s: cannot read %s\n", argv[0], listFile);
    return 2;
  }
  // Each parse logs the end-of-PPD marker; the log's 2 ms pause is not parsing.
  SetLogPause(false);
  std::thread(&Watchdog::Run, &watchdog).detach();
  std::string path;
  while (std::getline(list, path)) {
    if (path.empty()) continue;
    watchdog.Start(path);
    const auto begin = Clock::now();
    std::string ours;
    {
      ClearEndOfPPDLatch();  // set by the previous file's end marker
      QZVPPD doc(path, kParseOrphansAndHidden);
      const auto micros =
          std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - begin).count();
      ours = std::to_string(micros) + "\t" + Errors(doc);
      for (const char* value :
           {doc.PCFileName(), doc.ModelName(), doc.LanguageVersion(), doc.LanguageEncoding()}) {
        ours.append("\t").append(Escape(value));
      }
    }
    watchdog.Stop();
    std::printf("%s\t%s\t%s\n", Escape(path.c_str()).c_str(), ours.c_str(),
                CupsFields(path.c_str()).c_str());
    std::fflush(stdout);
  }
  return 0;
}
