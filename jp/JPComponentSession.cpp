#include "JPComponentSession.h"

#include <fstream>

#include "HeadlessDialog.h"

namespace jp {

ComponentSession::ComponentSession(const SDMCallbackTable& table, Script script)
    : table_(table), script_(std::move(script)), dialog_(std::make_unique<HeadlessDialog>()) {}

ComponentSession::~ComponentSession() {
  if (script_.recordPath.empty() || record_.empty()) return;
  std::ofstream out(script_.recordPath, std::ios::binary | std::ios::app);
  out << record_;
}

bool ComponentSession::IsReady() {
  return readyPolls_++ >= script_.notReady;
}

int ComponentSession::OpenUI(const std::string& title) {
  return dialog_->Run(*this, title);
}

void ComponentSession::Record(const std::string& line) {
  if (!script_.recordPath.empty()) record_ += line + "\n";
}

}  // namespace jp
