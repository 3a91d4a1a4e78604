// A group that holds roll-downs, shown as one scrolling pane of a property
// page. It points to its roll-downs; they belong to the feature document.
#pragma once

#include <cstdint>
#include <memory>

#include "PPDX/PPDObjects/PPDXGroup.h"
#include "PPDX/PPDObjects/PPDXGroups.h"

class PPDXScrollPane : public PPDXGroup {
 public:
  PPDXScrollPane();
  PPDXScrollPane(const char* keyword, const CFString& userName, const bool& visible);
  // The element from the store; the roll-down list starts empty.
  PPDXScrollPane(Settings& settings, const int& id);
  ~PPDXScrollPane() override;
  PPDXScrollPane(const PPDXScrollPane&) = delete;
  PPDXScrollPane& operator=(const PPDXScrollPane&) = delete;

  // The element items, then the 'ScPn' marker.
  int16_t Save(Settings& settings, const int& id) override;

  PPDXGroups* RollDowns() const { return rollDowns_.get(); }

 private:
  std::unique_ptr<PPDXGroups> rollDowns_;
};

// Null-safe: null for a null element or one that is no scroll pane.
PPDXGroups* GetScrollPaneRollDowns(PPDXElement* group);
bool IsScrollPane(const PPDXElement* element);
