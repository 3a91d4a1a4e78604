#include "JPScript.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "JPText.h"

namespace jp {
namespace {

std::pair<std::wstring, std::wstring> KeyValue(const std::string& text) {
  size_t eq = text.find('=');
  if (eq == std::string::npos) return {FromUtf8(text), L""};
  return {FromUtf8(text.substr(0, eq)), FromUtf8(text.substr(eq + 1))};
}

}  // namespace

Script ParseScript(const std::string& text) {
  Script s;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    line = line.substr(start);
    size_t space = line.find(' ');
    std::string word = line.substr(0, space);
    std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (word == "result") {
      s.result = std::atoi(rest.c_str());
    } else if (word == "set") {
      s.sets.push_back(KeyValue(rest));
    } else if (word == "watermark") {
      s.watermarks.push_back(KeyValue(rest));
      s.replaceWatermarks = true;
    } else if (word == "call") {
      ScriptCall call;
      size_t sep = rest.find(' ');
      call.slot = rest.substr(0, sep);
      if (sep != std::string::npos) {
        call.arg = rest.substr(sep + 1);
        call.hasArg = true;
      }
      s.calls.push_back(call);
    } else if (word == "record") {
      s.recordPath = rest;
    } else if (word == "not-ready") {
      s.notReady = std::atoi(rest.c_str());
    } else if (word == "begin-fail") {
      s.beginFail = true;
    } else if (word == "return-null-list") {
      s.nullList = true;
    } else if (word == "return-huge-count") {
      s.hugeCount = true;
    }
  }
  return s;
}

Script LoadScript() {
  const char* path = std::getenv("TAVRO_JP_SCRIPT");
  if (path == nullptr || *path == '\0') return Script();
  std::ifstream in(path, std::ios::binary);
  if (!in) return Script();
  std::stringstream text;
  text << in.rdbuf();
  return ParseScript(text.str());
}

}  // namespace jp
