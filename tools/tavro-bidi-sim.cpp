// Controller simulator: writes the two-way data file a companion process
// would write for a queue, from a readable description (see
// src/serverlink/BidiSimInput.h and samples/bidi/).
//
//   tavro-bidi-sim INPUT OUTPUT.bididata
//   tavro-bidi-sim INPUT --queue NAME --dir FOLDER   writes FOLDER/NAME.bididata,
//                                                   with NAME.open while writing
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "serverlink/BidiSimInput.h"
#include "serverlink/CFileHdlr.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: tavro-bidi-sim INPUT OUTPUT.bididata\n"
               "       tavro-bidi-sim INPUT --queue NAME --dir FOLDER\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 6) return Usage();
  std::string input = argv[1];
  std::string output;
  std::string marker;
  if (argc == 3) {
    output = argv[2];
  } else {
    std::string queue;
    std::string dir;
    for (int i = 2; i + 1 < argc; i += 2) {
      std::string flag = argv[i];
      if (flag == "--queue")
        queue = argv[i + 1];
      else if (flag == "--dir")
        dir = argv[i + 1];
      else
        return Usage();
    }
    if (queue.empty() || dir.empty() || queue.find('/') != std::string::npos) return Usage();
    output = dir + "/" + queue + ".bididata";
    marker = dir + "/" + queue + ".open";
  }

  std::ifstream in(input, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "tavro-bidi-sim: cannot read %s\n", input.c_str());
    return 2;
  }
  std::stringstream text;
  text << in.rdbuf();
  std::vector<BidiSimSection> sections;
  std::string error;
  if (!ParseBidiSimInput(text.str(), sections, error)) {
    std::fprintf(stderr, "tavro-bidi-sim: %s: %s\n", input.c_str(), error.c_str());
    return 1;
  }
  CFileHdlr::SetEchoToStderr(false);
  std::string data = ComposeBidiData(sections);

  if (!marker.empty()) std::ofstream(marker).put('\n');
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  out << data;
  out.close();
  if (!marker.empty()) std::filesystem::remove(marker);
  if (!out) {
    std::fprintf(stderr, "tavro-bidi-sim: cannot write %s\n", output.c_str());
    return 1;
  }
  std::printf("%s: %zu sections, %zu bytes\n", output.c_str(), sections.size(), data.size());
  return 0;
}
