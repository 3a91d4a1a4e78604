// The job properties dialog behind the component's sessions. The headless
// dialog stands here now; the full-properties dialog takes its place later.
#pragma once

#include <string>

namespace jp {

class ComponentSession;

class JobPropertiesDialog {
 public:
  virtual ~JobPropertiesDialog() = default;
  // Runs modally over the session's settings; answers 0 when the user
  // accepted (the session then holds the accepted values), else 1 or 2.
  virtual int Run(ComponentSession& session, const std::string& title) = 0;
};

}  // namespace jp
