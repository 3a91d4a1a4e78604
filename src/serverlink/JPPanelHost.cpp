#include "serverlink/JPPanelHost.h"

#include "foundation/CurrentPrintSession.h"
#include "platform/PMPrinter.h"
#include "serverlink/CPPDMsgHdlr.h"
#include "serverlink/CommandJobWait.h"
#include "serverlink/DestinationPPD.h"
#include "serverlink/TwoWayData.h"

JPSessionHost MakePanelJPSessionHost(const TwoWayData* twoWay, std::function<std::string()> dmtXml,
                                     std::function<std::string()> windowTitle) {
  JPSessionHost host;
  if (twoWay != nullptr) {
    host.bidiDataCopy = [twoWay] { return twoWay->getBidiDataCopy(); };
    host.bidiDataPath = [twoWay] { return twoWay->BidiDataPath(); };
  }
  host.dmtXml = std::move(dmtXml);
  host.windowTitle = std::move(windowTitle);
  host.localPresetsMessage = []() -> std::optional<std::string> {
    std::string ppd = DestinationPPDPath();
    if (ppd.empty()) return std::nullopt;
    std::string message = CPPDMsgHdlr(ppd.c_str(), "localPreset").GetCStringData();
    if (message.empty()) return std::nullopt;
    return message;
  };
  host.sendCommandAndWait = [](const std::string& title, const std::string& text) {
    PMPrinterRef printer = CurrentPrinter();
    if (!printer) return false;
    if (PMPrinterSendCommand(printer.get(), text, title) != noErr) return false;
    return isJobComple(title);
  };
  return host;
}
