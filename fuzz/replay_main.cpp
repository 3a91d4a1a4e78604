// Replay driver: feeds every file of the given files or folders to the fuzz
// target once, so that seed corpora run as ordinary tests under any compiler.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static int RunFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return 1;
  }
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Copy into an exact-size heap block so that sanitizers see reads past the end.
  std::vector<uint8_t> exact(bytes.begin(), bytes.end());
  LLVMFuzzerTestOneInput(exact.empty() ? nullptr : exact.data(), exact.size());
  return 0;
}

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  size_t count = 0;
  int failures = 0;
  for (int i = 1; i < argc; ++i) {
    fs::path arg(argv[i]);
    std::error_code ec;
    if (fs::is_directory(arg, ec)) {
      std::vector<fs::path> files;
      for (const auto& entry : fs::recursive_directory_iterator(arg))
        if (entry.is_regular_file()) files.push_back(entry.path());
      std::sort(files.begin(), files.end());
      for (const auto& f : files) {
        failures += RunFile(f);
        ++count;
      }
    } else if (fs::exists(arg, ec)) {
      failures += RunFile(arg);
      ++count;
    } else {
      std::fprintf(stderr, "no such corpus: %s\n", argv[i]);
      ++failures;
    }
  }
  std::printf("replayed %zu inputs\n", count);
  return failures == 0 ? 0 : 1;
}
