// The dialog without a window: it answers as its script says, and calls the
// panel's callbacks the script names, recording every answer.
#pragma once

#include "JPDialog.h"

namespace jp {

class HeadlessDialog : public JobPropertiesDialog {
 public:
  int Run(ComponentSession& session, const std::string& title) override;
};

}  // namespace jp
