// A page of the full job-properties view, with whether it appears in the
// print dialog and in the application, and the scroll pane it shows.
#pragma once

#include <cstdint>

#include "PPDX/PPDObjects/PPDXElement.h"

class PPDXScrollPane;

constexpr unsigned int kPropertyShowInPrintPropTag = ElementTag("SPPg");  // 4 bytes
constexpr unsigned int kPropertyShowInAppTag = ElementTag("SApp");        // 4 bytes

class PPDXProperty : public PPDXElement {
 public:
  PPDXProperty(const char* keyword, const CFString& userName, const bool& visible,
               const bool& showInPrintProp, const bool& showInApp);
  // The element, then the show flags (4-byte items only; the second is read
  // only when the first was). The scroll-down link is not stored.
  PPDXProperty(Settings& settings, const int& id);
  ~PPDXProperty() override;

  int16_t Save(Settings& settings, const int& id) override;

  bool ShowInPrintProp() const { return showInPrintProp_ != 0; }
  bool ShowInApp() const { return showInApp_ != 0; }
  PPDXScrollPane* GetScrollDown() const { return scrollDown_; }
  void SetScrollDown(PPDXScrollPane* pane) { scrollDown_ = pane; }

 private:
  PPDXScrollPane* scrollDown_ = nullptr;  // not owned
  int32_t showInPrintProp_ = 0;
  int32_t showInApp_ = 0;
};

// Null-safe wrappers: a null property gives false or null, or does nothing.
bool ShowPropInPrintProp(PPDXProperty* property);
bool ShowPropInApp(PPDXProperty* property);
PPDXScrollPane* GetPropertyScrollDown(PPDXProperty* property);
void SetPropertyScrollDown(PPDXProperty* property, PPDXScrollPane* pane);
bool IsPropertyPage(const PPDXElement* element);
