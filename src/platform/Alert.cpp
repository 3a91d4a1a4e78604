#include "platform/Alert.h"

#include <mutex>

#include "platform/Log.h"

namespace {

std::mutex gMutex;
AlertAnswerer gAnswerer;

}  // namespace

size_t RunAlert(const AlertRequest& request) {
  AlertAnswerer answerer;
  {
    std::lock_guard lock(gMutex);
    answerer = gAnswerer;
  }
  size_t fallback = request.defaultButton < request.buttons.size() ? request.defaultButton : 0;
  if (!answerer) {
    std::string line =
        "alert '" + request.title + "': '" + request.text + "' -> " +
        (request.buttons.empty() ? std::string("(no buttons)") : request.buttons[fallback]);
    myNSLogC(line.c_str());
    return fallback;
  }
  size_t chosen = answerer(request);
  return chosen < request.buttons.size() ? chosen : fallback;
}

AlertAnswerer SetAlertAnswerer(AlertAnswerer answerer) {
  std::lock_guard lock(gMutex);
  AlertAnswerer previous = std::move(gAnswerer);
  gAnswerer = std::move(answerer);
  return previous;
}
