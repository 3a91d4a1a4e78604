// A modal alert without a toolkit: title, text and buttons in, the index of
// the chosen button out. The process has one answerer: the graphical shell
// installs one that shows a dialog, tests install one that answers as
// scripted. Without one, the default button is chosen and the alert is logged,
// so a headless run never blocks.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct AlertRequest {
  std::string title;
  std::string text;
  std::vector<std::string> buttons;  // in display order
  size_t defaultButton = 0;
};

// Answers the index of the chosen button (out-of-range answers are taken as
// the default button).
using AlertAnswerer = std::function<size_t(const AlertRequest&)>;

size_t RunAlert(const AlertRequest& request);

// Installs the answerer; an empty function restores the default. Answers the
// previous one.
AlertAnswerer SetAlertAnswerer(AlertAnswerer answerer);

// Installs an answerer for a scope and puts the previous one back.
class ScopedAlertAnswerer {
 public:
  explicit ScopedAlertAnswerer(AlertAnswerer answerer)
      : saved_(SetAlertAnswerer(std::move(answerer))) {}
  ~ScopedAlertAnswerer() { SetAlertAnswerer(std::move(saved_)); }
  ScopedAlertAnswerer(const ScopedAlertAnswerer&) = delete;
  ScopedAlertAnswerer& operator=(const ScopedAlertAnswerer&) = delete;

 private:
  AlertAnswerer saved_;
};
