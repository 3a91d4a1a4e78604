#include "serverlink/BidiSimInput.h"

#include "serverlink/CFileHdlr.h"
#include "serverlink/WideText.h"

namespace {

bool Counted(const std::string& name) {
  return name == "TrayInfo" || name == "TonerInfo";
}

std::wstring Payload(const std::string& name, const std::vector<std::string>& lines) {
  std::wstring payload;
  if (Counted(name)) {
    payload = std::to_wstring(lines.size());
    for (const std::string& line : lines) payload += L":" + Utf8ToWide(line);
    return payload;
  }
  for (const std::string& line : lines) payload += Utf8ToWide(line) + L"\n";
  return payload;
}

}  // namespace

bool ParseBidiSimInput(std::string_view text, std::vector<BidiSimSection>& sections,
                       std::string& error) {
  sections.clear();
  std::string name;
  std::vector<std::string> lines;
  bool open = false;
  auto close = [&] {
    if (open) sections.push_back({name, Payload(name, lines)});
    lines.clear();
  };
  size_t number = 0;
  size_t at = 0;
  while (at <= text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(at, end - at));
    at = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') continue;
    if (line[0] == '[') {
      size_t closeBracket = line.find(']');
      if (closeBracket == std::string::npos || closeBracket == 1) {
        error = "line " + std::to_string(number) + ": bad section header";
        return false;
      }
      close();
      name = line.substr(1, closeBracket - 1);
      open = true;
      continue;
    }
    if (!open) {
      error = "line " + std::to_string(number) + ": text before the first section";
      return false;
    }
    if (line.rfind("\\#", 0) == 0) line.erase(0, 1);
    lines.push_back(line);
  }
  close();
  return true;
}

std::string ComposeBidiData(const std::vector<BidiSimSection>& sections) {
  std::string file;
  for (const BidiSimSection& s : sections)
    CFileHdlr::fileWriteData(s.name.c_str(), s.payload.data(), s.payload.size() * sizeof(wchar_t),
                             file);
  return file;
}
