#include "serverlink/PPDXData.h"

#include <cups/ppd.h>

#include <cstdio>
#include <memory>

namespace {

constexpr size_t kLineBytes = 1000;

struct PPDCloser {
  void operator()(ppd_file_t* ppd) const { ppdClose(ppd); }
};

std::string PieceName(const char* name, unsigned piece) {
  char number[16];
  std::snprintf(number, sizeof number, "%04x", piece);
  return std::string(name) + number;
}

}  // namespace

bool ppdxFormatData(const char* name, const void* data, size_t length, std::string& out) {
  if (name == nullptr || *name == '\0') return false;
  std::string line = "PPD:";
  auto add = [&](const std::string& pair) {
    if (line.size() > 4 && line.size() + pair.size() > kLineBytes) {
      out += line + "\n";
      line = "PPD:";
    }
    line += pair;
  };
  long pieces = DeflatePieces(data, length, [&](unsigned index, const char* base64) {
    add(" " + PieceName(name, index) + "=" + base64);
  });
  if (pieces < 0) return false;
  add(" " + PieceName(name, static_cast<unsigned>(pieces)) + "=\"\"");
  out += line + "\n";
  return true;
}

bool ppdxWriteData(const char* name, const void* data, size_t length) {
  std::string lines;
  if (!ppdxFormatData(name, data, length, lines)) return false;
  std::fwrite(lines.data(), 1, lines.size(), stderr);
  std::fflush(stderr);
  return true;
}

SectionPayload ppdxReadData(const char* ppdPath, const char* name, size_t* length) {
  SectionPayload out;
  if (length) *length = 0;
  if (ppdPath == nullptr || *ppdPath == '\0' || name == nullptr || *name == '\0') return out;
  std::unique_ptr<ppd_file_t, PPDCloser> ppd(ppdOpenFile(ppdPath));
  if (!ppd) {
    int line = 0;
    ppd_status_t status = ppdLastError(&line);
    std::fprintf(stderr, "ppdxReadData: cannot open %s: %s (line %d)\n", ppdPath,
                 ppdErrorString(status), line);
    return out;
  }
  SectionInflater inflater;
  for (unsigned k = 0;; ++k) {
    ppd_attr_t* attr = ppdFindAttr(ppd.get(), PieceName(name, k).c_str(), nullptr);
    if (attr == nullptr || attr->value == nullptr || !inflater.AddPiece(attr->value)) break;
  }
  if (!inflater.Finish(out)) {
    std::fprintf(stderr, "ppdxReadData: no message %s in %s\n", name, ppdPath);
    return out;
  }
  if (length) *length = out.Length();
  return out;
}
