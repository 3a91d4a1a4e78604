// One session of the component: the panel's callback table, the settings and
// watermarks the panel passed, and what the dialog leaves.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "JPDialog.h"
#include "JPScript.h"
#include "serverlink/SDMTypes.h"

namespace jp {

using Pairs = std::vector<std::pair<std::wstring, std::wstring>>;

class ComponentSession {
 public:
  ComponentSession(const SDMCallbackTable& table, Script script);
  ~ComponentSession();
  ComponentSession(const ComponentSession&) = delete;
  ComponentSession& operator=(const ComponentSession&) = delete;

  // The context the component gives every callback.
  void* Context() { return this; }
  const SDMCallbackTable& Table() const { return table_; }
  const Script& GetScript() const { return script_; }

  bool IsReady();
  void SetJobValues(Pairs pairs) { jobValues_ = std::move(pairs); }
  void SetReadOnly(Pairs pairs) { readOnly_ = std::move(pairs); }
  void SetVeiled(Pairs pairs) { veiled_ = std::move(pairs); }
  void SetWatermarks(Pairs pairs) { watermarks_ = std::move(pairs); }
  void SetPresetCallbacks(SDMTextFn get, SDMSetTextFn set) {
    getLocalPresets_ = get;
    setLocalPresets_ = set;
  }
  SDMTextFn GetLocalPresets() const { return getLocalPresets_; }
  SDMSetTextFn SetLocalPresets() const { return setLocalPresets_; }

  Pairs& JobValues() { return jobValues_; }
  const Pairs& ReadOnly() const { return readOnly_; }
  const Pairs& Veiled() const { return veiled_; }
  Pairs& Watermarks() { return watermarks_; }

  // Runs the dialog; its answer.
  int OpenUI(const std::string& title);

  // Appends a line to the record file (when the script names one).
  void Record(const std::string& line);

 private:
  SDMCallbackTable table_;
  Script script_;
  std::unique_ptr<JobPropertiesDialog> dialog_;
  int readyPolls_ = 0;
  Pairs jobValues_;
  Pairs readOnly_;
  Pairs veiled_;
  Pairs watermarks_;
  SDMTextFn getLocalPresets_ = nullptr;
  SDMSetTextFn setLocalPresets_ = nullptr;
  std::string record_;
};

}  // namespace jp
