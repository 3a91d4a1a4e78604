#include "inspect/PPDInspect.h"

#include <strings.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/PPDXBooleanControl.h"
#include "PPDX/PPDObjects/Controls/PPDXFloatRangeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/PPDObjects/Controls/PPDXRangeControl.h"
#include "PPDX/PPDStream.h"
#include "PPDX/QZVPPD.h"
#include "foundation/FileMac.h"
#include "inspect/PPDInspectJson.h"
#include "inspect/PPDInspectModel.h"
#include "inspect/PPDInspectText.h"

namespace {

constexpr char kUsage[] =
    "usage: tavro-inspect [MODE] [--choose KEY=OPTION]... [--served NAME]... FILE.ppd\n"
    "\n"
    "Reads a vendor PPD as the features panel does (orphan and hidden groups\n"
    "kept) and shows what the panel would make of it.\n"
    "\n"
    "Modes (at most one):\n"
    "  (none)                   the identity of the PPD, then its feature tree:\n"
    "                           property pages, scroll panes, roll-downs and\n"
    "                           controls (kind, keyword, translation, default,\n"
    "                           current value, flags, options), the groups,\n"
    "                           shortcuts, special options, constraint counts,\n"
    "                           the errors (with the PPD line each was raised on)\n"
    "                           and the verdict\n"
    "  --json                   the same model as JSON\n"
    "  --check                  a one-line verdict\n"
    "  --constrained KEY OPTION prints \"constrained\" or \"not constrained\": would\n"
    "                           choosing OPTION for KEY conflict with the current\n"
    "                           choices under the PPD's UI constraints?\n"
    "  --postscript KEY         the PostScript of KEY's current value\n"
    "\n"
    "Options:\n"
    "  --choose KEY=OPTION      set a control before anything is shown or asked\n"
    "                           (repeatable, applied in order; a pick-many menu\n"
    "                           adds the option to its selection). KEY is a\n"
    "                           control keyword, its leading * may be left out.\n"
    "  --served NAME            a PC file name the panel serves (repeatable; also\n"
    "                           --served=NAME). Without any, the name is not checked.\n"
    "  -h, --help               this text\n"
    "\n"
    "Exit codes: 0 the panel would take the PPD, or the question (--constrained,\n"
    "--postscript) was answered; 1 it would not take it (not a valid PPD, PC file\n"
    "name not served, or no controller version comment); 2 usage error, a KEY or\n"
    "OPTION the PPD does not have, or the file cannot be read.\n";

enum class Mode { kTree, kJson, kCheck, kConstrained, kPostScript };

struct Choice {
  std::string key;
  std::string option;
};

struct Arguments {
  std::filesystem::path file;
  std::vector<std::string> served;
  Mode mode = Mode::kTree;
  const char* modeName = nullptr;
  std::string key;     // --constrained, --postscript
  std::string option;  // --constrained
  std::vector<Choice> choices;
};

// Control keywords carry their leading "*"; people often leave it out.
std::string Keyword(const std::string& key) {
  return !key.empty() && key[0] != '*' ? "*" + key : key;
}

class ArgumentParser {
 public:
  ArgumentParser(int argc, const char* const* argv, std::ostream& err)
      : argc_(argc), argv_(argv), err_(err) {}

  // False (with a message) on a usage error.
  bool Parse(Arguments& args, bool& help) {
    help = false;
    bool haveFile = false;
    bool optionsEnded = false;
    for (i_ = 1; i_ < argc_; ++i_) {
      const std::string arg = argv_[i_] ? argv_[i_] : "";
      if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
        if (haveFile) return Fail("only one PPD file can be inspected at a time");
        args.file = arg;
        haveFile = true;
        continue;
      }
      if (arg == "-h" || arg == "--help") {
        help = true;
        return true;
      }
      if (arg == "--") {
        optionsEnded = true;
      } else if (arg == "--json" || arg == "--check") {
        if (!SetMode(args, arg == "--json" ? Mode::kJson : Mode::kCheck, arg)) return false;
      } else if (IsOption(arg, "--served")) {
        std::string name;
        if (!Value(arg, "--served", "a PC file name", name)) return false;
        args.served.push_back(name);
      } else if (IsOption(arg, "--choose")) {
        std::string choice;
        if (!Value(arg, "--choose", "KEY=OPTION", choice)) return false;
        const size_t equals = choice.find('=');
        if (equals == std::string::npos || equals == 0) {
          return Fail("--choose needs KEY=OPTION, not " + choice);
        }
        args.choices.push_back({Keyword(choice.substr(0, equals)), choice.substr(equals + 1)});
      } else if (IsOption(arg, "--postscript")) {
        if (!SetMode(args, Mode::kPostScript, "--postscript")) return false;
        if (!Value(arg, "--postscript", "a control keyword", args.key)) return false;
        args.key = Keyword(args.key);
      } else if (arg == "--constrained") {
        if (!SetMode(args, Mode::kConstrained, arg)) return false;
        if (i_ + 2 >= argc_ || !NonEmpty(i_ + 1) || !NonEmpty(i_ + 2)) {
          return Fail("--constrained needs a control keyword and an option");
        }
        args.key = Keyword(argv_[++i_]);
        args.option = argv_[++i_];
      } else {
        return Fail("unknown option " + arg);
      }
    }
    if (!haveFile || args.file.empty()) return Fail("no PPD file given");
    return true;
  }

 private:
  bool Fail(const std::string& message) {
    err_ << "tavro-inspect: " << message << "\n";
    return false;
  }
  bool NonEmpty(int at) const { return argv_[at] != nullptr && argv_[at][0] != '\0'; }
  static bool IsOption(const std::string& arg, const std::string& name) {
    return arg == name || arg.rfind(name + "=", 0) == 0;
  }
  // The value of "--name VALUE" or "--name=VALUE".
  bool Value(const std::string& arg, const std::string& name, const char* what,
             std::string& value) {
    if (arg.size() > name.size()) {
      value = arg.substr(name.size() + 1);
    } else if (i_ + 1 < argc_ && NonEmpty(i_ + 1)) {
      value = argv_[++i_];
    } else {
      value.clear();
    }
    if (value.empty()) return Fail(name + " needs " + what);
    return true;
  }
  bool SetMode(Arguments& args, Mode mode, const std::string& name) {
    if (args.modeName) {
      return Fail("only one of --json, --check, --constrained and --postscript (" +
                  std::string(args.modeName) + " and " + name + ")");
    }
    args.mode = mode;
    args.modeName = mode == Mode::kJson          ? "--json"
                    : mode == Mode::kCheck       ? "--check"
                    : mode == Mode::kConstrained ? "--constrained"
                                                 : "--postscript";
    return true;
  }

  int argc_;
  const char* const* argv_;
  std::ostream& err_;
  int i_ = 0;
};

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

PPDXControl* FindControl(QZVPPD& document, const std::string& key) {
  return document.GetPPDXControlForKey(CFString::FromUTF8(key));
}

bool HasOption(PPDXPopupControl& popup, const std::string& option) {
  for (_PopupItem* item = popup.FirstItem(); item; item = popup.NextItem()) {
    if (item->Keyword() && option == item->Keyword()) return true;
  }
  return false;
}

// "True"/"False" in any letter case; false for anything else.
bool BooleanOption(const std::string& option, bool& state) {
  if (strcasecmp(option.c_str(), "True") == 0) {
    state = true;
    return true;
  }
  if (strcasecmp(option.c_str(), "False") == 0) {
    state = false;
    return true;
  }
  return false;
}

// Checks that key names a choice control with that option; the message says
// what is wrong otherwise.
bool CheckChoiceOption(QZVPPD& document, const std::string& key, const std::string& option,
                       std::string& message) {
  PPDXControl* control = FindControl(document, key);
  if (!control) {
    message = "no control has the keyword " + key;
    return false;
  }
  if (auto* popup = dynamic_cast<PPDXPopupControl*>(control)) {
    if (HasOption(*popup, option)) return true;
    message = option + " is no option of " + key;
    return false;
  }
  bool state = false;
  if (dynamic_cast<PPDXBooleanControl*>(control)) {
    if (BooleanOption(option, state)) return true;
    message = key + " is a boolean: its options are True and False";
    return false;
  }
  const std::string kind = ControlKindName(control->Type(), false);
  message = key + (kind[0] == 'i' ? " is an " : " is a ") + kind +
            ": only pick-one, pick-many and boolean controls take part in the constraints";
  return false;
}

// Sets one --choose; false with a message when the PPD has no such choice.
// A value the control adjusts (increment, limits) is noted on err.
bool ApplyChoice(QZVPPD& document, const Choice& choice, std::string& message, std::ostream& err) {
  PPDXControl* control = FindControl(document, choice.key);
  if (!control) {
    message = "--choose " + choice.key + ": no control has that keyword";
    return false;
  }
  const std::string& option = choice.option;
  const std::string what = "--choose " + choice.key + "=" + option;
  if (auto* popup = dynamic_cast<PPDXPopupControl*>(control)) {
    if (!HasOption(*popup, option)) {
      message = what + ": " + option + " is no option of " + choice.key;
      return false;
    }
    popup->SetKeywordSelect(option.c_str(), true);
    return true;
  }
  if (auto* boolean = dynamic_cast<PPDXBooleanControl*>(control)) {
    bool state = false;
    if (!BooleanOption(option, state)) {
      message = what + ": a boolean takes True or False";
      return false;
    }
    boolean->SetValue(state);
    return true;
  }
  if (control->Type() == kSpecialOptionControl) {
    message = what + ": a special option has a fixed value";
    return false;
  }
  char* end = nullptr;
  errno = 0;
  if (auto* range = dynamic_cast<PPDXRangeControl*>(control)) {
    const long value = std::strtol(option.c_str(), &end, 10);
    if (option.empty() || *end != '\0' || errno == ERANGE) {
      message = what + ": an integer range takes a whole number";
      return false;
    }
    range->SetValue(value);
    if (range->GetValue() != value) {
      err << "tavro-inspect: " << what << " taken as " << range->GetValue()
          << " (increment and limits)\n";
    }
    return true;
  }
  if (auto* real = dynamic_cast<PPDXFloatRangeControl*>(control)) {
    const double value = std::strtod(option.c_str(), &end);
    if (option.empty() || *end != '\0' || errno == ERANGE) {
      message = what + ": a real range takes a number";
      return false;
    }
    real->SetValue(static_cast<float>(value));
    if (real->GetValue() != static_cast<float>(value)) {
      err << "tavro-inspect: " << what << " taken as "
          << real->CopyCurrentControlValueString().UTF8() << " (limits)\n";
    }
    return true;
  }
  // Job notes take their text, the custom page size "WIDTH HEIGHT".
  control->SetCurrentControlWithCFString(CFString::FromUTF8(option));
  return true;
}

int PrintPostScript(QZVPPD& document, const std::string& key, std::ostream& out,
                    std::ostream& err) {
  PPDXControl* control = FindControl(document, key);
  if (!control) {
    err << "tavro-inspect: no control has the keyword " << key << "\n";
    return kInspectUsageError;
  }
  const long size = control->PostScript(nullptr);
  if (size <= 0) {
    err << "tavro-inspect: " << key << " has no PostScript for its current value\n";
    return kInspectOK;
  }
  std::vector<unsigned char> code(static_cast<size_t>(size));
  const long written = control->PostScript(code.data());
  out.write(reinterpret_cast<const char*>(code.data()),
            static_cast<std::streamsize>(written > 0 && written < size ? written : size));
  return kInspectOK;
}

}  // namespace

int RunPPDInspect(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  Arguments args;
  bool help = false;
  if (!ArgumentParser(argc, argv, err).Parse(args, help)) {
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

  PCFileNameList served;
  for (const std::string& name : args.served) served.push_back(CFString::FromUTF8(name));
  // As the panel does when it is made: a PPD read before must not leave the
  // end-of-file latch set for this one.
  ClearEndOfPPDLatch();
  QZVPPD document(args.file, kParseOrphansAndHidden, served.empty() ? nullptr : &served);

  for (const Choice& choice : args.choices) {
    std::string message;
    if (!ApplyChoice(document, choice, message, err)) {
      err << "tavro-inspect: " << message << "\n";
      return kInspectUsageError;
    }
  }

  switch (args.mode) {
    case Mode::kConstrained: {
      std::string message;
      if (!CheckChoiceOption(document, args.key, args.option, message)) {
        err << "tavro-inspect: --constrained: " << message << "\n";
        return kInspectUsageError;
      }
      std::string option = args.option;
      bool state = false;
      if (dynamic_cast<PPDXBooleanControl*>(FindControl(document, args.key)) &&
          BooleanOption(option, state)) {
        option = state ? "True" : "False";
      }
      out << (document.IsKVConstrained(args.key.c_str(), option.c_str()) ? "constrained"
                                                                         : "not constrained")
          << "\n";
      return kInspectOK;
    }
    case Mode::kPostScript:
      return PrintPostScript(document, args.key, out, err);
    default:
      break;
  }

  const InspectModel model = TakeInspectModel(document, args.file.string(), args.served);
  switch (args.mode) {
    case Mode::kJson:
      WriteInspectJson(out, model);
      break;
    case Mode::kCheck:
      WriteInspectVerdict(out, model);
      break;
    default:
      WriteInspectText(out, model);
      break;
  }
  return model.taken ? kInspectOK : kInspectRefused;
}
