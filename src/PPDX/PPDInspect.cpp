#include "PPDX/PPDInspect.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "PPDX/FileMac.h"
#include "PPDX/PPDObjects/PPDXErrors.h"
#include "PPDX/PPDX.h"
#include "PPDX/PPDXErrorCodes.h"
#include "TextConverter/TextConverter.h"

namespace {

constexpr char kUsage[] =
    "usage: tavro-inspect [--served NAME]... FILE.ppd\n"
    "\n"
    "Prints the identity of a PPD (PC file name, format and file versions,\n"
    "language version and encoding, model name, vendor versions, PDE path),\n"
    "whether its PC file name is among the served names given, and the errors\n"
    "met while reading it.\n"
    "\n"
    "  --served NAME   a PC file name the panel serves (repeatable; also\n"
    "                  --served=NAME). Without any, the name is not checked.\n"
    "  -h, --help      this text\n"
    "\n"
    "Exit codes: 0 the panel would take the PPD; 1 it would not (not a valid\n"
    "PPD, PC file name not served, or no controller version comment); 2 usage\n"
    "error or the file cannot be read.\n";

struct Arguments {
  std::filesystem::path file;
  std::vector<std::string> served;
};

// Parses the arguments; false (with a message) on a usage error.
bool ParseArguments(int argc, const char* const* argv, Arguments& args, bool& help,
                    std::ostream& err) {
  help = false;
  bool haveFile = false;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i] ? argv[i] : "";
    if (!optionsEnded && (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0)) {
      help = true;
      return true;
    }
    if (!optionsEnded && std::strcmp(arg, "--") == 0) {
      optionsEnded = true;
      continue;
    }
    if (!optionsEnded && std::strcmp(arg, "--served") == 0) {
      if (i + 1 >= argc || argv[i + 1] == nullptr || argv[i + 1][0] == '\0') {
        err << "tavro-inspect: --served needs a PC file name\n";
        return false;
      }
      args.served.emplace_back(argv[++i]);
      continue;
    }
    if (!optionsEnded && std::strncmp(arg, "--served=", 9) == 0) {
      if (arg[9] == '\0') {
        err << "tavro-inspect: --served needs a PC file name\n";
        return false;
      }
      args.served.emplace_back(arg + 9);
      continue;
    }
    if (!optionsEnded && arg[0] == '-' && arg[1] != '\0') {
      err << "tavro-inspect: unknown option " << arg << "\n";
      return false;
    }
    if (haveFile) {
      err << "tavro-inspect: only one PPD file can be inspected at a time\n";
      return false;
    }
    args.file = arg;
    haveFile = true;
  }
  if (!haveFile || args.file.empty()) {
    err << "tavro-inspect: no PPD file given\n";
    return false;
  }
  return true;
}

// Why the file cannot be read, or empty when it can.
std::string Unreadable(const std::filesystem::path& path) {
  FileMac file(path);
  int16_t status = file.openDataFork(kFileReadPermission);
  if (status == kFileNoErr) {
    file.closeDataFork();
    return {};
  }
  switch (status) {
    case kFileNotFoundErr:
      return "no such file";
    case kFilePermErr:
      return "permission denied";
    case kFileParamErr:
      return "not a regular file";
    default:
      return "read error " + std::to_string(status);
  }
}

class Printer {
 public:
  Printer(std::ostream& out, const PPDX& doc)
      : out_(out),
        converter_(TextConverter::GetPPDEncoding(&doc) == kTextEncodingUnknown
                       ? kTextEncodingUTF8
                       : TextConverter::GetPPDEncoding(&doc),
                   kTextEncodingUTF8) {}

  // The text as the terminal shows it: the PPD's encoding (hex groups
  // decoded) to UTF-8; "(none)" when absent.
  void Field(const char* label, const char* value) {
    out_ << label;
    for (size_t n = std::strlen(label); n < 20; ++n) out_ << ' ';
    if (value == nullptr) {
      out_ << "(none)\n";
    } else {
      out_ << converter_.ConvertToCFString(value, 0).UTF8() << "\n";
    }
  }

 private:
  std::ostream& out_;
  TextConverter converter_;
};

}  // namespace

int RunPPDInspect(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  Arguments args;
  bool help = false;
  if (!ParseArguments(argc, argv, args, help, err)) {
    err << "try 'tavro-inspect --help'\n";
    return kInspectUsageError;
  }
  if (help) {
    out << kUsage;
    return kInspectOK;
  }
  if (std::string why = Unreadable(args.file); !why.empty()) {
    err << "tavro-inspect: cannot read " << args.file.string() << ": " << why << "\n";
    return kInspectUsageError;
  }

  std::vector<CFString> served;
  for (const std::string& name : args.served) served.push_back(CFString::FromUTF8(name));
  PPDX doc(args.file, served.empty() ? nullptr : &served);
  doc.Parse();

  Printer print(out, doc);
  print.Field("PPD file:", args.file.string().c_str());
  print.Field("PC file name:", doc.PCFileName());
  print.Field("Format version:", doc.FormatVersion());
  print.Field("File version:", doc.FileVersion());
  print.Field("Language version:", doc.LanguageVersion());
  const char* encoding = doc.LanguageEncoding();
  std::string encodingText;
  if (encoding != nullptr) {
    TextEncoding value = TextConverter::LanguageStringToEncoding(encoding);
    encodingText = std::string(encoding) + (value == kTextEncodingUnknown
                                                ? " (not a known encoding)"
                                                : " (encoding " + std::to_string(value) + ")");
  }
  print.Field("Language encoding:", encoding ? encodingText.c_str() : nullptr);
  print.Field("Model name:", doc.ModelName());
  print.Field("Vendor version:", doc.QZVersion());
  print.Field("Vendor Mac version:", doc.QZVersionMac());
  print.Field("PDE path:", doc.PathToPDE());

  std::string servedText;
  if (served.empty()) {
    servedText = "not checked (no --served names given)";
  } else if (doc.IsValidPrinterName()) {
    servedText = "yes";
  } else {
    servedText = "no (";
    for (size_t i = 0; i < args.served.size(); ++i) {
      servedText += (i ? ", " : "") + args.served[i];
    }
    servedText += ")";
  }
  print.Field("Served:", servedText.c_str());

  PPDXErrors* errors = doc.GetErrors();
  if (errors == nullptr || errors->Empty()) {
    out << "Errors:             none\n";
  } else {
    out << "Errors:             " << errors->Count() << "\n";
    for (PPDXErrorObj* e = errors->First(); e != nullptr; e = errors->Next()) {
      const char* name = PPDErrorName(e->Code());
      out << "  " << (e->IsFatal() ? "fatal " : "error ") << e->Code() << " "
          << (name ? name : "(unknown code)");
      if (e->Keyword()) out << " " << e->Keyword();
      out << "\n";
    }
  }

  std::string refusal;
  if (!doc.IsValidPPD()) {
    refusal = doc.Valid() ? "the PPD has fatal errors" : "not a PPD 4.3 file";
  } else if (!served.empty() && !doc.IsValidPrinterName()) {
    refusal = "its PC file name is not among the served names";
  } else if (doc.QZVersion() == nullptr) {
    refusal = "no controller version comment (*%QZVersion)";
  }
  if (refusal.empty()) {
    out << "Result:             the panel would take this PPD\n";
    return kInspectOK;
  }
  out << "Result:             refused: " << refusal << "\n";
  return kInspectRefused;
}
