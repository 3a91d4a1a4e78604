#include "queue/QueueCommands.h"

#include <cstdint>
#include <cstdio>

#include "queue/CacheFolder.h"
#include "queue/PPDMessage.h"
#include "queue/WideText.h"

namespace {

enum class Kind {
  kLocaleCode,
  kTicketName,
  kWriteTicket,
  kDestination,
  kMessage,
  kUpdate,
  kDelete
};

struct CommandRule {
  std::string_view title;
  bool prefix;  // the title carries an identifier after the name
  Kind kind;
  size_t maxBody;
  const char* message = nullptr;   // PPD message name
  bool wide = false;               // the message holds 32-bit characters
  const char* copyFile = nullptr;  // a copy of the text kept in the cache folder
};

constexpr size_t kKiB = 1024;
constexpr size_t kMiB = 1024 * kKiB;

constexpr CommandRule kRules[] = {
    {"Command_LocaleCode", false, Kind::kLocaleCode, 63},
    {"Command_PSTempFileName", false, Kind::kTicketName, 1023},
    {"Command_WritePSTemp", false, Kind::kWriteTicket, 16 * kMiB},
    {"Command_PSQZDestination", false, Kind::kDestination, 1024},
    {"Command_QZVPrefs", true, Kind::kMessage, kMiB, "QZDriverPreference", true,
     "QZV.UnisorPrinterV2.plist"},
    {"Command_WritePresetData", true, Kind::kMessage, kMiB, "QZlocalPreset", true},
    {"Command_PRINTERLOCALPRESETS", false, Kind::kMessage, kMiB, "QZLocalJPPresets", false},
    {"command_PopupJnData", false, Kind::kMessage, kMiB, "QZPopupJnData", false},
    {"Command_UpdateCommands", false, Kind::kUpdate, 64 * kKiB},
    {"Command_DeleteUpdateFiles", false, Kind::kDelete, 64 * kKiB},
};

constexpr size_t kMaxTitle = 255;
constexpr std::string_view kTicketPrefix = "Tavro.temp";
constexpr std::string_view kDelimiter = "::DELIMIT::";

const CommandRule* FindRule(std::string_view title) {
  for (const CommandRule& rule : kRules) {
    if (rule.prefix ? title.rfind(rule.title, 0) == 0 : title == rule.title) return &rule;
  }
  return nullptr;
}

bool IsPrintable(std::string_view text, bool allowSpace) {
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f || (!allowSpace && c == ' ')) return false;
  }
  return true;
}

// Any byte outside [A-Za-z0-9._-] as %XX, so that a user name is always one
// plain file-name part.
std::string FileNamePart(std::string_view text) {
  std::string out;
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
        c == '_' || c == '-') {
      out.push_back(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", u);
      out += hex;
    }
  }
  // A long name keeps its start and a digest (FNV-1a) of the whole, so that
  // the file name stays within bounds and still tells users apart.
  if (out.size() > 96) {
    uint64_t hash = 14695981039346656037ull;
    for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char digest[20];
    std::snprintf(digest, sizeof digest, "~%016llx", static_cast<unsigned long long>(hash));
    out = out.substr(0, 64) + digest;
  }
  return out;
}

// A body without its line end: command texts often arrive with one.
std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

QueueCommandOutcome Refuse(std::string message) {
  QueueCommandOutcome out;
  out.message = std::move(message);
  return out;
}

QueueCommandOutcome Accept(std::string message) {
  QueueCommandOutcome out;
  out.accepted = true;
  out.message = std::move(message);
  return out;
}

class Runner {
 public:
  explicit Runner(const QueueCommandContext& ctx) : ctx_(ctx) {}

  QueueCommandOutcome Run(const CommandRule& rule, std::string_view title, std::string_view body) {
    switch (rule.kind) {
      case Kind::kLocaleCode:
        return LocaleCode(body);
      case Kind::kTicketName:
        return TicketName(body);
      case Kind::kWriteTicket:
        return WriteTicket(body);
      case Kind::kDestination:
        return Destination(body);
      case Kind::kMessage:
        return Message(rule, body);
      case Kind::kUpdate:
        return Update(body);
      case Kind::kDelete:
        return Delete(body);
    }
    return Refuse("unknown command");
  }

 private:
  std::string PendingTicketFile() const {
    return "QueuePendingTicket_" + ctx_.queueName + "_" + FileNamePart(ctx_.user) + ".txt";
  }
  std::string ConnectionErrorFile() const {
    return "ConnectionErrorInfoFile" + ctx_.queueName + ".txt";
  }

  QueueCommandOutcome Store(const std::string& name, std::string_view text, unsigned mode,
                            std::string what) {
    std::string error;
    const CacheFolder* folder = Folder(&error);
    if (!folder || !folder->WriteWhole(name, text, mode, false, &error)) return Refuse(error);
    return Accept(what);
  }

  QueueCommandOutcome LocaleCode(std::string_view body) {
    std::string_view code = Trimmed(body);
    if (code.size() < 2 || !IsPrintable(code, false))
      return Refuse("the language code must be 2 to 63 printable characters");
    return Store("QueueLocale_" + ctx_.queueName + ".txt", std::string(code) + "\n", 0644,
                 "language " + std::string(code) + " recorded");
  }

  QueueCommandOutcome TicketName(std::string_view body) {
    std::optional<std::string> name = NameInCacheFolder(Trimmed(body), ctx_.root);
    if (!name || name->rfind(kTicketPrefix, 0) != 0)
      return Refuse("refused ticket file name \"" + std::string(Trimmed(body)) +
                    "\": it must name a Tavro.temp file in the cache folder");
    std::string error;
    const CacheFolder* folder = Folder(&error);
    if (!folder) return Refuse(error);
    if (folder->Exists(*name)) return Refuse("the ticket file " + *name + " exists already");
    return Store(PendingTicketFile(), *name + "\n", 0600,
                 "ticket file name " + *name + " recorded");
  }

  QueueCommandOutcome WriteTicket(std::string_view body) {
    std::string error;
    const CacheFolder* folder = Folder(&error);
    if (!folder) return Refuse(error);
    std::optional<std::string> pending = folder->ReadSmall(PendingTicketFile(), 1024);
    std::optional<std::string> name;
    if (pending) name = NameInCacheFolder(Trimmed(*pending), ctx_.root);
    if (!name) return Refuse("no ticket file name was given before Command_WritePSTemp");
    if (body.empty() || body.find('\0') != std::string_view::npos)
      return Refuse("the ticket text is empty or holds a NUL byte");
    if (!folder->WriteWhole(*name, body, 0600, true, &error)) return Refuse(error);
    folder->Remove(PendingTicketFile(), nullptr);
    return Accept("ticket written to " + *name + " (" + std::to_string(body.size()) + " bytes)");
  }

  QueueCommandOutcome Destination(std::string_view body) {
    std::string_view path = Trimmed(body);
    if (path.size() < 2 || path[0] != '/' || !IsPrintable(path, true))
      return Refuse("the mailbox destination must be a path starting with \"/\"");
    return Store("QueueDestination_" + ctx_.queueName + ".txt", std::string(path) + "\n", 0644,
                 "mailbox destination " + std::string(path) + " recorded");
  }

  QueueCommandOutcome Message(const CommandRule& rule, std::string_view body) {
    std::string payload;
    if (rule.wide) {
      std::optional<std::string> wide = Utf8ToWideBytes(body);
      if (!wide) return Refuse("the text is not UTF-8");
      payload = std::move(*wide);
    } else {
      payload = std::string(body);
    }
    QueueCommandOutcome out = Accept("");
    if (!EncodePPDMessage(rule.message, payload, out.ppdUpdates))
      return Refuse("the text could not be compressed");
    // The panel's guard against replacing stored preferences it could not read.
    std::string error;
    const CacheFolder* folder = rule.copyFile ? Folder(&error) : nullptr;
    if (rule.copyFile && (!folder || !folder->WriteWhole(rule.copyFile, body, 0644, false, &error)))
      return Refuse(error);
    out.message = std::string("message ") + rule.message + " stored (" +
                  std::to_string(out.ppdUpdates.size() - 1) + " pieces)";
    return out;
  }

  QueueCommandOutcome Update(std::string_view body) {
    size_t first = body.find(kDelimiter);
    size_t second = first == std::string_view::npos
                        ? std::string_view::npos
                        : body.find(kDelimiter, first + kDelimiter.size());
    if (first == 0 || second == std::string_view::npos)
      return Refuse("the update request must be \"id::DELIMIT::address::DELIMIT::path and info\"");
    std::string_view id = body.substr(0, first);
    std::string_view address =
        body.substr(first + kDelimiter.size(), second - first - kDelimiter.size());
    if (!IsPrintable(id, false) || !IsPrintable(address, false))
      return Refuse("the update request's identifier or address holds control characters");
    std::string text = "No controller connection from queue " + ctx_.queueName +
                       ": update request " + std::string(id) + " for address " +
                       std::string(address) + " was not carried out.\n";
    return Store(ConnectionErrorFile(), text, 0644,
                 "no controller connection: " + ConnectionErrorFile() + " written");
  }

  QueueCommandOutcome Delete(std::string_view body) {
    std::vector<std::string> names;
    size_t leftAlone = 0;
    std::string text(body);
    for (size_t at; (at = text.find(kDelimiter)) != std::string::npos;)
      text.replace(at, kDelimiter.size(), "\n");
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find_first_of("\r\n", start);
      if (end == std::string::npos) end = text.size();
      std::string_view given = std::string_view(text).substr(start, end - start);
      if (!given.empty()) {
        std::optional<std::string> name = NameInCacheFolder(given, ctx_.root);
        if (!name)
          return Refuse("refused to remove \"" + std::string(given) +
                        "\": not a file of the cache folder");
        // Other files of the folder (tickets, other queues' files) are left
        // alone: users must not remove each other's files.
        if (*name == ConnectionErrorFile()) {
          names.push_back(*name);
        } else {
          ++leftAlone;
        }
      }
      start = end + 1;
    }
    std::string error;
    const CacheFolder* folder = names.empty() ? nullptr : Folder(&error);
    if (!names.empty() && !folder) return Refuse(error);
    for (const std::string& name : names) {
      if (!folder->Remove(name, &error)) return Refuse(error);
    }
    return Accept(std::to_string(names.size()) + " update file(s) removed, " +
                  std::to_string(leftAlone) + " other name(s) left alone");
  }

  const QueueCommandContext& ctx_;
  // The cache folder, opened (and made) only once a command has passed its
  // checks, so that a refused command leaves no folder behind.
  const CacheFolder* Folder(std::string* error) {
    if (!folder_) folder_ = CacheFolder::Open(ctx_.root, error);
    if (!folder_ && error) *error = "cache folder: " + *error;
    return folder_ ? &*folder_ : nullptr;
  }

  std::optional<CacheFolder> folder_;
};

}  // namespace

QueueCommandOutcome RunQueueCommand(const QueueCommandContext& ctx, std::string_view title,
                                    std::string_view body) {
  if (title.size() > kMaxTitle || !IsPrintable(title, true)) return Refuse("refused command title");
  const CommandRule* rule = FindRule(title);
  if (rule == nullptr) return Refuse("unknown command \"" + std::string(title) + "\"");
  if (body.size() > rule->maxBody)
    return Refuse(std::string(rule->title) + ": text of " + std::to_string(body.size()) +
                  " bytes is over the limit of " + std::to_string(rule->maxBody));
  if (ctx.queueName.size() > 127 || !IsPlainFileName(ctx.queueName) ||
      !IsPrintable(ctx.queueName, false))
    return Refuse("refused queue name \"" + ctx.queueName + "\"");
  if (ctx.user.empty() || ctx.user.size() > 255) return Refuse("refused user name");

  QueueCommandOutcome out = Runner(ctx).Run(*rule, title, body);
  if (!out.accepted) out.ppdUpdates.clear();
  out.message = std::string(rule->title) + ": " + out.message;
  return out;
}
