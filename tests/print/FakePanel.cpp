// A stand-in panel library for the host's own tests: the entry point and a
// panel that knows the PPD's pick-one options and nothing else. It serves a
// PPD with a controller version line, sends a two-fragment ticket when it
// prints (Duplex's standard code suppressed, a job note in the header), and
// writes every call it gets, one per line, to $TAVRO_FAKE_PANEL_TRACE.
// $TAVRO_FAKE_PANEL_CANCEL makes it cancel the print,
// $TAVRO_FAKE_PANEL_NO_COMMANDS name a ticket without sending it.
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/PMPrintSettings.h"
#include "platform/PMPrinter.h"
#include "queue/ticket/TicketOption.h"
#include "shell/TavroPanelEntry.h"

namespace {

void Trace(const std::string& call) {
  if (const char* path = std::getenv("TAVRO_FAKE_PANEL_TRACE")) {
    std::ofstream(path, std::ios::app) << call << "\n";
  }
}

std::string Base64(const std::string& in) {
  static const char* table = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    unsigned v =
        (unsigned char)in[i] << 16 | (unsigned char)in[i + 1] << 8 | (unsigned char)in[i + 2];
    for (int s = 18; s >= 0; s -= 6) out += table[(v >> s) & 63];
  }
  if (i + 1 == in.size()) {
    unsigned v = (unsigned char)in[i] << 16;
    out += table[v >> 18 & 63];
    out += table[v >> 12 & 63];
    out += "==";
  } else if (i + 2 == in.size()) {
    unsigned v = (unsigned char)in[i] << 16 | (unsigned char)in[i + 1] << 8;
    out += table[v >> 18 & 63];
    out += table[v >> 12 & 63];
    out += table[v >> 6 & 63];
    out += '=';
  }
  return out;
}

struct Option {
  std::string value;
  std::vector<std::string> choices;
};

class FakePanel : public TavroPDEPanel {
 public:
  FakePanel(TavroPDEHostCallback* host, std::map<std::string, Option> options)
      : host_(host), options_(std::move(options)) {}

  std::string PanelName() override { return "Fake Features"; }
  std::string PanelKind() override { return "fake"; }
  std::vector<std::string> SupportedPPDOptionKeys() override { return {}; }
  bool RestoreValues() override { return Trace("restore"), true; }
  void WillShow() override { Trace("show"); }
  bool ShouldHide() override { return Trace("hide"), true; }
  bool SaveValues() override {
    Trace("save");
    for (const auto& [key, option] : options_) {
      host_->PrintSettings()->SetString("*" + key, option.value);
    }
    if (watermark_ >= 0) host_->PrintSettings()->SetInteger(".SelectedWatermarkKey", watermark_);
    return true;
  }
  bool ShouldPrint() override {
    Trace("print");
    if (std::getenv("TAVRO_FAKE_PANEL_CANCEL")) return false;
    const std::string name = "/Library/Caches/QZV/Tavro.tempFAKE";
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<array>\n"
        "<integer>-9</integer><data>" +
        Base64("*Duplex") +
        "</data>\n"
        "<integer>30</integer><data>" +
        Base64("%%QZJobNote: fake note\n") +
        "</data>\n"
        "</array>\n</plist>\n";
    PMPrinter* printer = host_->Printer();
    if (std::getenv("TAVRO_FAKE_PANEL_NO_COMMANDS")) {
      // Names a ticket that never went to the queue.
      host_->PrintSettings()->SetString(TicketOptionName(), name);
      return true;
    }
    if (!printer || printer->SendCommand(name, "Command_PSTempFileName", nullptr) != noErr ||
        printer->SendCommand(xml, "Command_WritePSTemp", nullptr) != noErr) {
      return false;
    }
    host_->PrintSettings()->SetString(TicketOptionName(), name);
    return true;
  }
  void PrintWindowWillClose() override { Trace("close"); }
  void Release() override {
    Trace("release");
    delete this;
  }
  std::vector<TavroPDEFeature> QuickAccessFeatures() override {
    std::vector<TavroPDEFeature> features;
    for (const auto& [key, option] : options_) {
      features.push_back({key, key, option.value, option.value});
    }
    return features;
  }
  TavroPDEChoiceResult ChooseFeature(const std::string& keyword, const std::string& value,
                                     std::string* message) override {
    Trace("choose " + keyword + "=" + value);
    auto it = options_.find(keyword);
    if (it == options_.end()) {
      *message = "the PPD has no feature " + keyword;
      return TavroPDEChoiceResult::kUnknownKeyword;
    }
    for (const std::string& choice : it->second.choices) {
      if (choice == value) {
        it->second.value = value;
        return TavroPDEChoiceResult::kApplied;
      }
    }
    *message = keyword + " has no value " + value;
    return TavroPDEChoiceResult::kUnknownValue;
  }
  TavroPDEChoiceResult SelectWatermark(int index, std::string* message) override {
    Trace("watermark " + std::to_string(index));
    if (index >= 5) {
      *message = "the queue has 5 watermarks";
      return TavroPDEChoiceResult::kUnknownValue;
    }
    watermark_ = index;
    return TavroPDEChoiceResult::kApplied;
  }
  std::string DescribeTicket() override {
    Trace("describe");
    return "-9 7 *Duplex\n30 23 %%QZJobNote: fake note\\n\n";
  }

 private:
  TavroPDEHostCallback* host_;
  std::map<std::string, Option> options_;
  int watermark_ = -1;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) int TavroPDEPanelsForType(
    const char* type, TavroPDEHostCallback* host, TavroPDEPanel** panels, int capacity) {
  if (std::string(type) != TAVRO_PDE_PANEL_TYPE) return 0;
  Trace("create");
  std::string path;
  if (!host || !host->Printer() || host->Printer()->PPDPath(&path) != noErr) return -1;
  std::ifstream in(path);
  std::string line;
  bool versioned = false;
  std::map<std::string, Option> options;
  while (std::getline(in, line)) {
    if (line.rfind("*%QZVersion:", 0) == 0) versioned = true;
    if (line.rfind("*Default", 0) == 0) {
      size_t colon = line.find(':');
      if (colon == std::string::npos) continue;
      std::string key = line.substr(8, colon - 8);
      std::string value = line.substr(colon + 1);
      value.erase(0, value.find_first_not_of(' '));
      options[key].value = value;
    } else if (line.size() > 1 && line[0] == '*' && line[1] != '%') {
      std::istringstream words(line.substr(1));
      std::string key, choice;
      words >> key >> choice;
      auto it = options.find(key);
      if (it != options.end() && !choice.empty()) {
        choice = choice.substr(0, choice.find_first_of("/:"));
        it->second.choices.push_back(choice);
      }
    }
  }
  if (!versioned || capacity < 1) return -1;
  panels[0] = new FakePanel(host, std::move(options));
  return 1;
}
