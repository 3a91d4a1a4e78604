// Helpers of the parser tests: fixture paths, the error list as plain values,
// and a fixture that leaves no process-wide state behind.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/PPDXControl.h"
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/DisplayOptions.h"
#include "PPDX/PPDStream.h"
#include "PPDX/PPDXErrorCodes.h"
#include "PPDX/QZVPPD.h"

inline std::filesystem::path ParserFixture(const std::string& name) {
  return std::filesystem::path(TAVRO_TEST_DATA) / "PPDX" / "parser" / name;
}

inline std::filesystem::path SamplePPD() {
  return std::filesystem::path(TAVRO_SOURCE_DIR) / "samples" / "TavroC750.ppd";
}

struct ParsedError {
  int16_t code;
  std::string text;
  bool fatal;
  bool operator==(const ParsedError& other) const {
    return code == other.code && text == other.text && fatal == other.fatal;
  }
};

inline std::ostream& operator<<(std::ostream& out, const ParsedError& error) {
  const char* name = PPDErrorName(error.code);
  return out << (name ? name : "?") << "(" << error.code << ") '" << error.text << "'"
             << (error.fatal ? " fatal" : "");
}

inline std::vector<ParsedError> ErrorsOf(const QZVPPD& document) {
  std::vector<ParsedError> errors;
  PPDXErrors* list = document.GetErrors();
  if (!list) return errors;
  for (PPDXErrorObj* error = list->First(); error; error = list->Next()) {
    errors.push_back({error->Code(), error->Keyword() ? error->Keyword() : "", error->IsFatal()});
  }
  return errors;
}

// Keeps the end-of-PPD latch, the display options, the host and the page
// setup flag as each test found them.
class ParserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearEndOfPPDLatch();
    savedOptions_ = GetDisplayOption();
    gPageSetupCustomPageSize = false;
  }
  void TearDown() override {
    ClearEndOfPPDLatch();
    SetDisplayOption(savedOptions_);
    gPageSetupCustomPageSize = false;
  }

  // The control of that keyword, whatever the display options.
  static PPDXControl* Control(QZVPPD& document, const char* keyword) {
    ScopedDisplayOption everything(kDisplayEverything);
    CNTL_TYPE type = kNoControl;
    return document.GetControls()->Find(keyword, type, true);
  }
  static std::string Value(PPDXControl* control) {
    return control ? control->CopyCurrentControlValueString().UTF8() : std::string("<none>");
  }

 private:
  _DISPLAY_OPTIONS_ savedOptions_ = kDisplayVisibleWithParent;
};
