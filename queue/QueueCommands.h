// The queue's side of the printer-command channel: a command job (title =
// command name, body = its text) is carried out against the queue's cache
// folder (root + "/Library/Caches/QZV") and answered with PPD attribute
// updates. The same code runs in the CUPS filter (tavro-queue-filter, which
// prints the updates as "PPD:" lines for cupsd to apply) and in-process in
// the local back end (which applies them with ApplyPPDUpdates), so both end
// in the same queue state.
//
// Commands and what they leave behind (<q> = queue name, <u> = user, with
// bytes outside [A-Za-z0-9._-] written as %XX, a long name cut with a digest):
//   Command_LocaleCode            QueueLocale_<q>.txt holds the language (2..63 chars)
//   Command_PSTempFileName        QueuePendingTicket_<q>_<u>.txt holds the ticket name
//                                 ("Tavro.temp..." in the cache folder, bare or as a path)
//   Command_WritePSTemp           the pending ticket file created with the text (never
//                                 replacing a file), then the pending name removed
//   Command_PSQZDestination       QueueDestination_<q>.txt holds the mailbox path
//   Command_QZVPrefs<id>          message QZDriverPreference (wide text), and the list
//                                 kept as QZV.UnisorPrinterV2.plist
//   Command_WritePresetData<id>   message QZlocalPreset (wide text)
//   Command_PRINTERLOCALPRESETS   message QZLocalJPPresets (UTF-8 text)
//   command_PopupJnData           message QZPopupJnData (UTF-8 text)
//   Command_UpdateCommands        this queue has no controller link of its own, so the
//                                 only update it can make honestly is the connection error
//                                 file ConnectionErrorInfoFile<q>.txt: waiting panels stop
//                                 at once instead of timing out
//   Command_DeleteUpdateFiles     the named update files of this queue removed (names
//                                 separated by line ends or "::DELIMIT::"); other names of
//                                 the folder are left alone, a name outside it is refused
// Wide text is the body's UTF-8 decoded into 32-bit characters in host order.
// A refused command (unknown, too large, bad name, not UTF-8 where text is
// decoded) changes nothing and says why in `message`.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct QueueCommandContext {
  std::string root;
  std::string ppdPath;
  std::string queueName;
  std::string user;
};

struct QueueCommandOutcome {
  bool accepted = false;
  std::string message;
  std::vector<std::pair<std::string, std::string>> ppdUpdates;
};

QueueCommandOutcome RunQueueCommand(const QueueCommandContext&, std::string_view title,
                                    std::string_view body);

// Does to a PPD file what cupsd does with "PPD:" lines: every line of an
// updated keyword goes (names compared without regard to case) and the
// "*Name: Value" lines follow the first line, sorted by name. The file is
// written whole or not at all. False with `error` set when a name or value
// can't stand in a PPD line, or the file can't be read or replaced.
bool ApplyPPDUpdates(const std::string& ppdPath,
                     const std::vector<std::pair<std::string, std::string>>& updates,
                     std::string* error);
