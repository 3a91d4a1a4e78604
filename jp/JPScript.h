// What the headless dialog does, read from the file named by TAVRO_JP_SCRIPT.
// One directive a line; "#" starts a comment:
//   result N            the dialog's answer (default 1: not accepted)
//   set KEY=VALUE       a value the user changed (returned when accepted)
//   watermark ID=NAME   the watermark list returned when accepted (replaces
//                       the one given)
//   call SLOT [ARG]     calls a callback of the table (or "getLocalPresets",
//                       "setLocalPresets") while the dialog is open
//   record PATH         appends what the panel passed and every call's
//                       answer to PATH
//   not-ready N         IsServerReady answers false N times first
//   begin-fail          BeginSession refuses
//   return-null-list    the job list returned is null
//   return-huge-count   the job list announces 2^40 pairs (3000 are real)
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace jp {

struct ScriptCall {
  std::string slot;
  std::string arg;
  bool hasArg = false;
};

struct Script {
  int result = 1;
  std::vector<std::pair<std::wstring, std::wstring>> sets;
  std::vector<std::pair<std::wstring, std::wstring>> watermarks;
  bool replaceWatermarks = false;
  std::vector<ScriptCall> calls;
  std::string recordPath;
  int notReady = 0;
  bool beginFail = false;
  bool nullList = false;
  bool hugeCount = false;
};

// The script of TAVRO_JP_SCRIPT, or the default (answer 1, nothing else).
Script LoadScript();
Script ParseScript(const std::string& text);

}  // namespace jp
