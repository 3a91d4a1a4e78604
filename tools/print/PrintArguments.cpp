#include "PrintArguments.h"

#include <cstdlib>

namespace {

bool Fail(std::string* error, std::string text) {
  *error = std::move(text);
  return false;
}

}  // namespace

bool ParsePrintArguments(const std::vector<std::string>& args, PrintArguments* out,
                         std::string* error) {
  PrintArguments parsed;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](const char* what) -> const std::string* {
      if (i + 1 >= args.size()) return nullptr;
      (void)what;
      return &args[++i];
    };
    if (arg == "-h" || arg == "--help") {
      parsed.help = true;
    } else if (arg == "-P" || arg == "-d") {
      const std::string* v = value("queue");
      if (!v || v->empty()) return Fail(error, arg + " needs a queue name");
      parsed.queue = *v;
    } else if (arg.rfind("-P", 0) == 0 && arg.size() > 2) {
      parsed.queue = arg.substr(2);
    } else if (arg == "-o") {
      const std::string* v = value("choice");
      if (!v) return Fail(error, "-o needs KEY=VALUE");
      size_t eq = v->find('=');
      std::string key = v->substr(0, eq);
      if (!key.empty() && key[0] == '*') key.erase(0, 1);
      if (eq == std::string::npos || key.empty()) {
        return Fail(error, "-o " + *v + ": a choice is KEY=VALUE");
      }
      parsed.choices.emplace_back(key, v->substr(eq + 1));
    } else if (arg == "--watermark") {
      const std::string* v = value("index");
      char* end = nullptr;
      long index = v ? std::strtol(v->c_str(), &end, 10) : -1;
      if (!v || v->empty() || *end != '\0' || index < 0 || index > 98) {
        return Fail(error, "--watermark needs the number of a watermark (0-98)");
      }
      parsed.watermark = static_cast<int>(index);
    } else if (arg == "--show") {
      parsed.show = true;
    } else if (arg == "--ticket") {
      const std::string* v = value("file");
      if (!v || v->empty()) return Fail(error, "--ticket needs a file name (or -)");
      parsed.ticketFile = *v;
    } else if (arg == "-v" || arg == "--verbose") {
      parsed.verbose = true;
    } else if (arg == "--") {
      files.insert(files.end(), args.begin() + static_cast<long>(i) + 1, args.end());
      break;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Fail(error, "unknown option " + arg);
    } else {
      files.push_back(arg);
    }
  }
  if (parsed.help) {
    *out = std::move(parsed);
    return true;
  }
  if (parsed.queue.empty()) return Fail(error, "no queue (-P QUEUE)");
  if (files.size() > 1) return Fail(error, "one document at a time");
  if (!files.empty()) parsed.document = files.front();
  if (parsed.Prints() && parsed.document.empty()) {
    return Fail(error, "no document to print (FILE.ps)");
  }
  *out = std::move(parsed);
  return true;
}

const char* PrintUsage() {
  return "usage: tavro-print -P QUEUE [-o KEY=VALUE]... [--watermark N] [--show]\n"
         "                   [--ticket FILE] FILE.ps\n"
         "\n"
         "  -P QUEUE        the print queue (a CUPS queue with TAVRO_PRINTING_SYSTEM=cups,\n"
         "                  else a local queue folder under $TAVRO_ROOT/queues)\n"
         "  -o KEY=VALUE    a choice as the user makes it in the panel (KEY is the PPD\n"
         "                  keyword, with or without '*'); applied in the given order\n"
         "  --watermark N   print the queue's watermark number N (0 is the first; the\n"
         "                  panel's defaults when the queue stores none) on every page\n"
         "  --show          list the Quick Access features and their values; no printing\n"
         "  --ticket FILE   write the job ticket as text to FILE ('-': standard output);\n"
         "                  no printing\n"
         "  -v              keep the panel's own diagnostics on standard error\n"
         "\n"
         "exit codes:\n"
         "  0  printed (or shown)\n"
         "  1  the ticket text could not be written\n"
         "  2  usage error\n"
         "  3  no such queue, or the panel does not serve it (no panel library, PPD not\n"
         "     in the panel's printer list or without a controller version)\n"
         "  4  the queue's PPD is missing or unreadable\n"
         "  5  a choice was refused (unknown feature or value, constrained, locked)\n"
         "  6  the document is unreadable or not PostScript\n"
         "  7  the printing system does not answer (scheduler down or too slow)\n"
         "  8  the job could not be submitted (ticket refused, job refused)\n";
}
