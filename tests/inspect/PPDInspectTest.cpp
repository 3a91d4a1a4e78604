#include "inspect/PPDInspect.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/DisplayOptions.h"
#include "PPDX/PPDXTestSupport.h"
#include "inspect/PPDInspectJson.h"
#include "platform/Log.h"

namespace {

struct InspectRun {
  int code;
  std::string out;
  std::string err;
};

InspectRun Inspect(std::vector<std::string> args) {
  args.insert(args.begin(), "tavro-inspect");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  int code = RunPPDInspect(static_cast<int>(argv.size()), argv.data(), out, err);
  return {code, out.str(), err.str()};
}

const std::string kSample = std::string(TAVRO_SOURCE_DIR) + "/samples/TavroC750.ppd";
const std::string kSmall = PPDXFixture("inspect/small.ppd").string();
const std::string kInvalid = PPDXFixture("inspect/invalid.ppd").string();

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream whole;
  whole << in.rdbuf();
  return whole.str();
}

// A JSON reader just strict enough to prove that the output parses and to
// walk it: objects keep their key order, numbers are doubles.
struct Json {
  enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<Json> items;
  std::vector<std::pair<std::string, Json>> members;

  const Json& operator[](const std::string& key) const {
    for (const auto& [k, v] : members) {
      if (k == key) return v;
    }
    static const Json missing;
    ADD_FAILURE() << "no key " << key;
    return missing;
  }
  const Json& operator[](size_t i) const {
    static const Json missing;
    if (i < items.size()) return items[i];
    ADD_FAILURE() << "no item " << i;
    return missing;
  }
  std::vector<std::string> Keys() const {
    std::vector<std::string> keys;
    for (const auto& m : members) keys.push_back(m.first);
    return keys;
  }
  std::vector<std::string> Strings() const {
    std::vector<std::string> list;
    for (const Json& item : items) list.push_back(item.text);
    return list;
  }
};

class JsonReader {
 public:
  explicit JsonReader(const std::string& text) : s_(text) {}

  // False when the text is not exactly one JSON value.
  bool Read(Json& value) {
    if (!Value(value)) return false;
    Blank();
    return at_ == s_.size();
  }

 private:
  void Blank() {
    while (at_ < s_.size() && std::strchr(" \t\r\n", s_[at_])) ++at_;
  }
  bool Literal(const char* word) {
    const size_t n = std::strlen(word);
    if (s_.compare(at_, n, word) != 0) return false;
    at_ += n;
    return true;
  }
  static void AppendUTF8(std::string& out, unsigned code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  bool String(std::string& out) {
    if (at_ >= s_.size() || s_[at_] != '"') return false;
    ++at_;
    while (at_ < s_.size()) {
      const unsigned char c = static_cast<unsigned char>(s_[at_++]);
      if (c == '"') return true;
      if (c < 0x20) return false;  // control characters must be escaped
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      if (at_ >= s_.size()) return false;
      const char e = s_[at_++];
      const char* simple = std::strchr("\"\\/bfnrt", e);
      if (!simple || e == '\0') {
        if (e != 'u' || at_ + 4 > s_.size()) return false;
        const std::string hex = s_.substr(at_, 4);
        if (hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
        AppendUTF8(out, static_cast<unsigned>(std::strtoul(hex.c_str(), nullptr, 16)));
        at_ += 4;
        continue;
      }
      const std::map<char, char> unescaped = {{'"', '"'},  {'\\', '\\'}, {'/', '/'},  {'b', '\b'},
                                              {'f', '\f'}, {'n', '\n'},  {'r', '\r'}, {'t', '\t'}};
      out += unescaped.at(e);
    }
    return false;
  }
  bool Value(Json& v) {
    Blank();
    if (at_ >= s_.size()) return false;
    const char c = s_[at_];
    if (c == '{') {
      v.kind = Json::kObject;
      ++at_;
      Blank();
      if (at_ < s_.size() && s_[at_] == '}') return ++at_, true;
      while (true) {
        Blank();
        std::string key;
        if (!String(key)) return false;
        Blank();
        if (at_ >= s_.size() || s_[at_++] != ':') return false;
        Json member;
        if (!Value(member)) return false;
        v.members.emplace_back(key, std::move(member));
        Blank();
        if (at_ < s_.size() && s_[at_] == ',') {
          ++at_;
          continue;
        }
        return at_ < s_.size() && s_[at_++] == '}';
      }
    }
    if (c == '[') {
      v.kind = Json::kArray;
      ++at_;
      Blank();
      if (at_ < s_.size() && s_[at_] == ']') return ++at_, true;
      while (true) {
        Json item;
        if (!Value(item)) return false;
        v.items.push_back(std::move(item));
        Blank();
        if (at_ < s_.size() && s_[at_] == ',') {
          ++at_;
          continue;
        }
        return at_ < s_.size() && s_[at_++] == ']';
      }
    }
    if (c == '"') {
      v.kind = Json::kString;
      return String(v.text);
    }
    if (Literal("null")) return true;
    if (Literal("true") || Literal("false")) {
      v.kind = Json::kBool;
      v.boolean = s_[at_ - 1] == 'e' && s_[at_ - 2] == 'u';
      return true;
    }
    const char* begin = s_.c_str() + at_;
    char* end = nullptr;
    v.number = std::strtod(begin, &end);
    if (end == begin || !std::strchr("-0123456789", *begin)) return false;
    v.kind = Json::kNumber;
    at_ += static_cast<size_t>(end - begin);
    return true;
  }

  const std::string& s_;
  size_t at_ = 0;
};

Json ParseJson(const std::string& text) {
  Json value;
  EXPECT_TRUE(JsonReader(text).Read(value)) << text;
  return value;
}

// The lines occur in the output in the order given.
void ExpectInOrder(const std::string& out, const std::vector<std::string>& lines) {
  size_t from = 0;
  for (const std::string& line : lines) {
    const size_t at = out.find(line, from);
    ASSERT_NE(at, std::string::npos) << "missing, or out of order: " << line << "\n" << out;
    // A line's closing line feed may open the next one.
    from = at + line.size() - (line.back() == '\n' ? 1 : 0);
  }
}

class PPDInspectTest : public LatchClearedTest {
 protected:
  void SetUp() override {
    LatchClearedTest::SetUp();
    SetLogPause(false);
  }
  void TearDown() override {
    SetLogPause(true);
    LatchClearedTest::TearDown();
  }
};

TEST_F(PPDInspectTest, SampleIdentity) {
  InspectRun r = Inspect({kSample});
  EXPECT_EQ(r.code, kInspectOK) << r.err;
  for (const char* line :
       {"PC file name:       TAVC750.PPD\n", "Format version:     4.3\n",
        "File version:       1.0\n", "Language version:   English\n",
        "Language encoding:  ISOLatin1 (encoding 513)\n", "Model name:         Tavro C750\n",
        "Vendor version:     1.0\n", "Vendor Mac version: (none)\n",
        "PDE path:           /usr/lib/tavro/TavroFeatures.plugin\n",
        "Served:             not checked", "Result:             the panel would take this PPD\n"}) {
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
  }
  // The identity block still comes first, before the feature tree.
  EXPECT_EQ(r.out.rfind("PPD file:           ", 0), 0u) << r.out;
  EXPECT_LT(r.out.find("Served:"), r.out.find("Property pages ("));
  EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST_F(PPDInspectTest, ExitCodesAndMessages) {
  struct Case {
    const char* what;
    std::vector<std::string> args;
    int code;
    const char* inOut;
    const char* inErr;
  } cases[] = {
      {"served, second of two",
       {"--served", "TAVC900.PPD", "--served=TAVC750.PPD", kSample},
       0,
       "Served:             yes",
       ""},
      {"not served", {"--served", "TAVC900.PPD", kSample}, 1, "refused: its PC file name", ""},
      {"not a 4.3 PPD",
       {PPDXFixture("header42.ppd").string()},
       1,
       "fatal 28 PPDErr_NotPPDFile",
       ""},
      {"no controller version",
       {PPDXFixture("crlf.ppd").string()},
       1,
       "refused: no controller version",
       ""},
      {"missing file", {PPDXFixture("no-such.ppd").string()}, 2, "", "no such file"},
      {"folder", {std::string(TAVRO_TEST_DATA)}, 2, "", "not a regular file"},
      {"no file", {}, 2, "", "no PPD file given"},
      {"two files", {kSample, kSample}, 2, "", "only one PPD file"},
      {"--served without name", {kSample, "--served"}, 2, "", "--served needs"},
      {"empty --served=", {"--served=", kSample}, 2, "", "--served needs"},
      {"unknown option", {"-x", kSample}, 2, "", "unknown option -x"},
      {"help", {"--help"}, 0, "Exit codes:", ""},
      {"two modes", {"--json", "--check", kSmall}, 2, "", "only one of"},
      {"--constrained with one value", {kSmall, "--constrained", "*QZTray"}, 2, "", "needs"},
      {"--choose without =", {"--choose", "QZTray", kSmall}, 2, "", "KEY=OPTION"},
      {"--postscript without key", {kSmall, "--postscript"}, 2, "", "--postscript needs"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    InspectRun r = Inspect(c.args);
    EXPECT_EQ(r.code, c.code) << r.out << r.err;
    EXPECT_NE(r.out.find(c.inOut), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(c.inErr), std::string::npos) << r.err;
  }
}

TEST_F(PPDInspectTest, TextShownInUTF8FromThePPDEncoding) {
  ScratchFile file(
      "*PPD-Adobe: \"4.3\"\n*LanguageVersion: French\n*LanguageEncoding: ISOLatin1\n"
      "*ModelName: \"Tavro C750 <E9>dition\"\n*%QZVersion: \"1.0\"\n");
  InspectRun r = Inspect({file.path().string()});
  EXPECT_NE(r.out.find("Model name:         Tavro C750 \xC3\xA9"
                       "dition\n"),
            std::string::npos)
      << r.out;
}

TEST_F(PPDInspectTest, TreeRunsFromPagesToControlsThenGroupsAndTheRest) {
  InspectRun r = Inspect({kSmall});
  EXPECT_EQ(r.code, kInspectOK) << r.err;
  // Depth is shown by indentation: page, scroll pane, roll-down, control.
  ExpectInOrder(r.out, {
                           "\nProperty pages (1):\n",
                           "\n  page PPMain \"Main\": visible, in the print dialog, "
                           "in the application\n",
                           "\n    scroll pane SPMain \"Main Settings \": visible\n",
                           "\n      roll-down FPPaper \"Paper \": visible\n",
                           "\n        pick-one *QZTray \"Tray \\\"A\\\" \\\\ B\"\n",
                           "\n            default Upper; value Upper; flags Quick\n",
                           "\n            option Upper \"Upper Tray\": default, selected\n",
                           "\n            option Lower \"Lower Tray\"\n",
                           "\n        boolean *QZDuplexOn \"Two-Sided\"\n",
                           "\n            default False; value False; flags Quick, Dynamic\n",
                           "\n        integer range *QZCopies \"Copies per Set\"\n",
                           "; range 1..20 step 2; flags Setup\n",
                           "\nGroups (3):\n",
                           "\n    controls: *QZTray, *QZDuplexOn, *QZCopies\n",
                           "\n  group FPSpare \"Spare \": visible; no parent\n",  // orphans kept
                           "\nShortcuts (1):\n  *QZTray (pick-one",
                           "\nSpecial options (1):\n  *QZServerName = \"Small Server\"\n",
                           "\n  forbidding pairs:   1 (from 1 keyword)\n",
                           "\n  problems:           none\n",
                           "\nErrors:             none\n",
                           "\nResult:             the panel would take this PPD\n",
                       });
  // Nothing is constrained with the defaults: the lower tray is not chosen.
  EXPECT_EQ(r.out.find("constrained"), std::string::npos) << r.out;
  // The special option is not a control of the tree.
  EXPECT_NE(r.out.find("Controls outside any roll-down (0):"), std::string::npos) << r.out;
}

TEST_F(PPDInspectTest, ChoicesShowInTheTreeWithTheirConstraints) {
  InspectRun r = Inspect({"--choose", "QZTray=Lower", kSmall});
  EXPECT_EQ(r.code, kInspectOK) << r.err;
  ExpectInOrder(
      r.out, {"default Upper; value Lower; flags Quick\n", "option Upper \"Upper Tray\": default\n",
              "option Lower \"Lower Tray\": selected\n", "option True \"On\": constrained\n",
              "option False \"Off\": default, selected\n"});
}

TEST_F(PPDInspectTest, JsonCarriesTheSameModel) {
  InspectRun r = Inspect({"--json", "--choose=*QZTray=Lower", kSmall});
  ASSERT_EQ(r.code, kInspectOK) << r.err;
  const Json root = ParseJson(r.out);
  EXPECT_EQ(root.Keys(),
            (std::vector<std::string>{"file", "identity", "served", "servedNames", "propertyPages",
                                      "groups", "controls", "shortcuts", "specialOptions",
                                      "constraints", "errors", "taken", "refusal"}));
  EXPECT_EQ(root["identity"]["pcFileName"].text, "TAVSMALL.PPD");
  EXPECT_EQ(root["identity"]["vendorMacVersion"].kind, Json::kNull);
  EXPECT_EQ(root["served"].kind, Json::kNull);

  const Json& pane = root["propertyPages"][0]["scrollPane"];
  EXPECT_EQ(pane["name"].text, "SPMain");
  EXPECT_EQ(pane["rollDowns"][0]["name"].text, "FPPaper");
  EXPECT_EQ(pane["rollDowns"][0]["controls"].Strings(),
            (std::vector<std::string>{"*QZTray", "*QZDuplexOn", "*QZCopies"}));

  const Json& controls = root["controls"];
  ASSERT_EQ(controls.items.size(), 3u);
  const Json& tray = controls[0];
  EXPECT_EQ(tray["kind"].text, "pick-one");
  EXPECT_EQ(tray["translation"].text, "Tray \"A\" \\ B");  // escaped and read back
  EXPECT_EQ(tray["default"].text, "Upper");
  EXPECT_EQ(tray["value"].text, "Lower");
  EXPECT_EQ(tray["parent"].text, "FPPaper");
  EXPECT_TRUE(tray["options"][1]["selected"].boolean);
  const Json& duplex = controls[1];
  EXPECT_EQ(duplex["kind"].text, "boolean");
  EXPECT_EQ(duplex["flags"].Strings(), (std::vector<std::string>{"Quick", "Dynamic"}));
  EXPECT_EQ(duplex["options"][0]["keyword"].text, "True");
  EXPECT_TRUE(duplex["options"][0]["constrained"].boolean);
  const Json& copies = controls[2];
  EXPECT_EQ(copies["kind"].text, "integer range");
  EXPECT_EQ(copies["maximum"].number, 20);
  EXPECT_EQ(copies["increment"].number, 2);

  EXPECT_EQ(root["groups"][2]["kind"].text, "group");
  EXPECT_EQ(root["groups"][2]["parent"].kind, Json::kNull);
  EXPECT_EQ(root["shortcuts"].Strings(), std::vector<std::string>{"*QZTray"});
  EXPECT_EQ(root["specialOptions"][0]["value"].text, "Small Server");
  EXPECT_EQ(root["constraints"]["forbidding"].number, 1);
  EXPECT_TRUE(root["errors"].items.empty());
  EXPECT_TRUE(root["taken"].boolean);
  EXPECT_EQ(root["refusal"].kind, Json::kNull);

  // The same run twice gives the same bytes.
  EXPECT_EQ(Inspect({"--json", "--choose=*QZTray=Lower", kSmall}).out, r.out);
}

TEST_F(PPDInspectTest, JsonOfARefusedPPDNamesItsErrors) {
  InspectRun r = Inspect({"--json", kInvalid});
  EXPECT_EQ(r.code, kInspectRefused);
  const Json root = ParseJson(r.out);
  const Json& first = root["errors"][0];
  EXPECT_EQ(first["code"].number, 11);
  EXPECT_EQ(first["name"].text, "PPDErr_PopupParsing");
  EXPECT_EQ(first["keyword"].text, "*QZTray");
  EXPECT_TRUE(first["fatal"].boolean);
  EXPECT_FALSE(root["taken"].boolean);
  EXPECT_EQ(root["refusal"].text, "the PPD has fatal errors");
}

// Each error shows the PPD line it was raised on in all three forms; an error
// about the whole document has none (null in JSON, nothing in the text).
TEST_F(PPDInspectTest, ErrorsShowTheLineTheyWereRaisedOn) {
  const std::string text = Inspect({kInvalid}).out;
  EXPECT_NE(text.find("  fatal 11 PPDErr_PopupParsing *QZTray, line 17\n"), std::string::npos)
      << text;
  EXPECT_NE(Inspect({"--check", kInvalid}).out.find("first PPDErr_PopupParsing *QZTray, line 17)"),
            std::string::npos);
  EXPECT_EQ(ParseJson(Inspect({"--json", kInvalid}).out)["errors"][0]["line"].number, 17);

  const std::string notPPD = PPDXFixture("parser/header-not-ppd.ppd").string();
  const Json errors = ParseJson(Inspect({"--json", notPPD}).out)["errors"];
  ASSERT_EQ(errors.items.size(), 4u);
  EXPECT_EQ(errors[0]["line"].number, 1);
  for (size_t i = 1; i < errors.items.size(); ++i) {
    EXPECT_EQ(errors.items[i]["line"].kind, Json::kNull) << i;
  }
  const std::string notPPDText = Inspect({notPPD}).out;
  EXPECT_NE(notPPDText.find("  error 25 PPDErr_NoPropertyPages\n"), std::string::npos)
      << notPPDText;
}

TEST_F(PPDInspectTest, JsonQuoteEscapesWhatJsonForbids) {
  struct Case {
    std::string text;
    std::string quoted;
    std::string readBack;
  } cases[] = {
      {"plain", "\"plain\"", "plain"},
      {"a\"b\\c", "\"a\\\"b\\\\c\"", "a\"b\\c"},
      {"tab\tline\nend\r", "\"tab\\tline\\nend\\r\"", "tab\tline\nend\r"},
      {std::string("nul\0x\x01\x7f", 7), "\"nul\\u0000x\\u0001\\u007f\"",
       std::string("nul\0x\x01\x7f", 7)},
      {"\xC3\xA9t\xC3\xA9", "\"\xC3\xA9t\xC3\xA9\"", "\xC3\xA9t\xC3\xA9"},  // UTF-8 kept
      {"bad\xE9", "\"bad\xEF\xBF\xBD\"", "bad\xEF\xBF\xBD"},                // Latin-1 byte: U+FFFD
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.quoted);
    EXPECT_EQ(JsonQuote(c.text), c.quoted);
    EXPECT_EQ(ParseJson(JsonQuote(c.text)).text, c.readBack);
  }
}

TEST_F(PPDInspectTest, CheckGivesOneLineAndTheExitCode) {
  struct Case {
    const char* what;
    std::vector<std::string> args;
    int code;
    const char* begins;
  } cases[] = {
      {"valid", {"--check", kSmall}, kInspectOK, "OK "},
      {"served", {"--check", "--served", "TAVSMALL.PPD", kSmall}, kInspectOK, "OK "},
      {"not served", {"--check", "--served", "TAVC750.PPD", kSmall}, kInspectRefused, "REFUSED "},
      {"fatal error", {"--check", kInvalid}, kInspectRefused, "REFUSED "},
      {"missing file", {"--check", PPDXFixture("inspect/none.ppd").string()}, 2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    InspectRun r = Inspect(c.args);
    EXPECT_EQ(r.code, c.code) << r.out << r.err;
    if (c.code == kInspectUsageError) {
      EXPECT_TRUE(r.out.empty()) << r.out;
      continue;
    }
    EXPECT_EQ(r.out.rfind(c.begins, 0), 0u) << r.out;
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << r.out;  // one line
  }
  InspectRun invalid = Inspect({"--check", kInvalid});
  EXPECT_NE(invalid.out.find("the PPD has fatal errors"), std::string::npos) << invalid.out;
  EXPECT_NE(invalid.out.find("first PPDErr_PopupParsing *QZTray"), std::string::npos)
      << invalid.out;
}

TEST_F(PPDInspectTest, ConstrainedAnswersUnderTheChoicesGiven) {
  struct Case {
    const char* what;
    std::vector<std::string> choices;
    std::string key, option;
    int code;
    const char* answer;  // stdout, or a part of stderr when the code is 2
  } cases[] = {
      {"defaults", {}, "*QZDuplexOn", "True", 0, "not constrained\n"},
      {"lower tray chosen", {"QZTray=Lower"}, "QZDuplexOn", "True", 0, "constrained\n"},
      {"boolean in lower case", {"QZTray=Lower"}, "QZDuplexOn", "true", 0, "constrained\n"},
      {"the other state", {"QZTray=Lower"}, "QZDuplexOn", "False", 0, "not constrained\n"},
      {"last choice counts",
       {"QZTray=Lower", "QZTray=Upper"},
       "QZDuplexOn",
       "True",
       0,
       "not constrained\n"},
      {"one direction only", {"QZDuplexOn=True"}, "QZTray", "Lower", 0, "not constrained\n"},
      {"unknown option", {}, "QZTray", "Middle", 2, "Middle is no option of *QZTray"},
      {"unknown keyword", {}, "QZNoSuch", "X", 2, "no control has the keyword *QZNoSuch"},
      {"range", {}, "QZCopies", "3", 2, "*QZCopies is an integer range"},
      {"bad choice", {"QZTray=Middle"}, "QZDuplexOn", "True", 2, "Middle is no option"},
      {"fixed value", {"QZServerName=x"}, "QZDuplexOn", "True", 2, "fixed value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> args;
    for (const std::string& choice : c.choices) {
      args.push_back("--choose");
      args.push_back(choice);
    }
    args.insert(args.end(), {"--constrained", c.key, c.option, kSmall});
    InspectRun r = Inspect(args);
    EXPECT_EQ(r.code, c.code) << r.out << r.err;
    if (c.code == kInspectOK) {
      EXPECT_EQ(r.out, c.answer);
    } else {
      EXPECT_TRUE(r.out.empty()) << r.out;
      EXPECT_NE(r.err.find(c.answer), std::string::npos) << r.err;
    }
  }
}

TEST_F(PPDInspectTest, PostScriptOfTheCurrentValue) {
  InspectRun tray = Inspect({"--choose", "QZTray=Lower", "--postscript", "*QZTray", kSmall});
  EXPECT_EQ(tray.code, kInspectOK) << tray.err;
  EXPECT_EQ(tray.out,
            "%%BeginFeature: *QZTray Lower\nuserdict /QZTray (Lower) put\n%%EndFeature\n");

  // 5 is off the step-2 grid: the control takes 4 and says so.
  InspectRun copies = Inspect({"--choose", "QZCopies=5", "--postscript=QZCopies", kSmall});
  EXPECT_EQ(copies.code, kInspectOK) << copies.err;
  EXPECT_EQ(copies.out, "%%BeginFeature: *QZCopies 4\n/QZCopies 4 def\n%%EndFeature\n");
  EXPECT_NE(copies.err.find("taken as 4"), std::string::npos) << copies.err;

  InspectRun none = Inspect({"--postscript", "QZNoSuch", kSmall});
  EXPECT_EQ(none.code, kInspectUsageError);
  EXPECT_TRUE(none.out.empty());
}

TEST_F(PPDInspectTest, ConstraintsNamingNoChoiceAreListed) {
  ScratchFile file(ReadFile(kSmall) +
                   "*UIConstraints: *QZTray Middle *QZDuplexOn True\n"
                   "*UIConstraints: *PageRegion A4 *QZTray Lower\n"
                   "*%QZVUIRequires: *QZDuplexOn True *QZTray Upper\n");
  InspectRun r = Inspect({file.path().string()});
  EXPECT_EQ(r.code, kInspectOK) << r.err;
  ExpectInOrder(r.out, {"\n  forbidding pairs:   3 (from 3 keywords)\n",
                        "\n  requires pairs:     1\n", "\n  problems:           2\n"});
  // Forest order: keywords by the order they were first met.
  EXPECT_NE(r.out.find("    *QZTray Middle -> *QZDuplexOn True: Middle is no option of *QZTray\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("    *PageRegion A4 -> *QZTray Lower: *PageRegion names no control\n"),
            std::string::npos)
      << r.out;
}

TEST_F(PPDInspectTest, InspectionLeavesTheDisplayOptionAsItWas) {
  SetDisplayOption(kDisplayVisibleWithParent);
  Inspect({kSmall});
  EXPECT_EQ(GetDisplayOption(), kDisplayVisibleWithParent);
}

}  // namespace
