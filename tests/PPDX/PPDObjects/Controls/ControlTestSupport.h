// Helpers shared by the control tests: a recorder of (keyword, option)
// reports, flag lists and malloc'ed fragments as the parser hands them over.
#pragma once

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "PPDX/PPDObjects/Controls/PPDXControl.h"
#include "foundation/CString.h"
#include "foundation/PointerList.h"

namespace control_test {

using Report = std::pair<std::string, std::string>;

inline std::vector<Report>& Reports() {
  static std::vector<Report> reports;
  return reports;
}

inline void RecordReport(UIConstraints*, const char* key, const char* option) {
  Reports().emplace_back(key ? key : "<null>", option ? option : "<null>");
}

// Installs the recorder for one scope and empties the record.
class ReportRecorder {
 public:
  ReportRecorder() : was_(SetControlKVReporter(RecordReport)) { Reports().clear(); }
  ~ReportRecorder() { SetControlKVReporter(was_); }
  const std::vector<Report>& reports() const { return Reports(); }
  void Clear() { Reports().clear(); }

 private:
  ControlKVReporter was_;
};

// A flag list of new CString objects, as the parser builds it.
class FlagList {
 public:
  FlagList(std::initializer_list<const char*> words) {
    for (const char* w : words) list_.PushBack(new CString(w));
  }
  ~FlagList() {
    for (PointerListItr it = list_.Begin(); it != list_.End(); ++it)
      delete static_cast<CString*>(*it);
  }
  PointerList& list() { return list_; }

 private:
  PointerList list_;
};

// A malloc'ed copy of a text, not terminated, as fragments arrive.
inline unsigned char* Fragment(const std::string& text) {
  if (text.empty()) return nullptr;
  auto* p = static_cast<unsigned char*>(std::malloc(text.size()));
  std::memcpy(p, text.data(), text.size());
  return p;
}

// The control's PostScript by the size-then-fill protocol.
template <typename C>
std::string PostScriptOf(C& control) {
  long n = control.PostScript(nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  long m = control.PostScript(reinterpret_cast<unsigned char*>(out.data()));
  if (m != n) return "<size mismatch>";
  return out;
}

}  // namespace control_test
