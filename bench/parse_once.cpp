// tavro_parse_once READER FILE [COUNT]: reads FILE COUNT times (default 1)
// with one reader (ours, libcups or none) and prints the bytes read and the
// process's peak resident size. A small process of its own, so that peak
// memory and instruction counts (valgrind --tool=callgrind
// --toggle-collect=tavro_parse_*) cover one reader and nothing else.
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "ParseOnce.h"
#include "platform/Log.h"

extern "C" {
// Not inlined, so that callgrind can count exactly these calls.
__attribute__((noinline)) uint64_t tavro_parse_ours(const char* path) {
  return OurParseOnce(path);
}
__attribute__((noinline)) uint64_t tavro_parse_libcups(const char* path) {
  return CupsParseOnce(path) ? 0 : 1;
}
}

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: %s ours|libcups|none FILE [COUNT]\n", argv[0]);
    return 2;
  }
  const std::string reader = argv[1];
  const char* path = argv[2];
  const long count = argc == 4 ? std::strtol(argv[3], nullptr, 10) : 1;
  std::error_code ec;
  const auto bytes = std::filesystem::file_size(path, ec);
  if (ec || count < 1 || (reader != "ours" && reader != "libcups" && reader != "none")) {
    std::fprintf(stderr, "%s: bad reader, count or file\n", argv[0]);
    return 2;
  }
  // A parse logs the end-of-PPD marker; the log's 2 ms pause is not parsing.
  SetLogPause(false);
  uint64_t result = 0;
  for (long i = 0; i < count; ++i) {
    if (reader == "ours") result = tavro_parse_ours(path);
    if (reader == "libcups") result = tavro_parse_libcups(path);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  // result: our error count, or 1 when libcups could not read the file.
  std::printf("reader=%s bytes=%llu count=%ld result=%llu peak_rss_kb=%ld\n", reader.c_str(),
              static_cast<unsigned long long>(bytes), count,
              static_cast<unsigned long long>(result), usage.ru_maxrss);
  return 0;
}
