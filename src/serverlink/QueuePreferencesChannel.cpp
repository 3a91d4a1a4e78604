#include "serverlink/QueuePreferencesChannel.h"

#include "foundation/CurrentPrintSession.h"
#include "platform/PMPrinter.h"
#include "serverlink/CPPDMsgHdlr.h"
#include "serverlink/CommandJobWait.h"

namespace {

std::optional<std::string> CurrentQueuePPD() {
  PMPrinterRef printer = CurrentPrinter();
  if (!printer) return std::nullopt;
  std::string url;
  if (PMPrinterCopyDescriptionURL(printer.get(), kPMPPDDescriptionType, &url) != noErr) {
    return std::nullopt;
  }
  return PMFileURLPath(url);
}

}  // namespace

PreferencesChannel QueuePreferencesChannel() {
  PreferencesChannel channel;
  channel.readMessage = []() -> std::optional<std::u32string> {
    std::optional<std::string> ppd = CurrentQueuePPD();
    if (!ppd) return std::nullopt;
    return CPPDMsgHdlr(ppd->c_str(), kPreferencesMessage).GetStringData();
  };
  channel.send = [](const std::string& command, const std::string& text) {
    PMPrinterRef printer = CurrentPrinter();
    if (!printer) return PreferencesSendResult::kNoPrinter;
    if (PMPrinterSendCommand(printer.get(), text, command) != noErr) {
      return PreferencesSendResult::kRefused;
    }
    return isJobComple(command) ? PreferencesSendResult::kCompleted
                                : PreferencesSendResult::kNotCompleted;
  };
  return channel;
}

PreferencesChannel PreferencesChannelInUse() {
  PreferencesChannel installed = InstalledPreferencesChannel();
  if (installed.readMessage || installed.send) return installed;
  return QueuePreferencesChannel();
}
