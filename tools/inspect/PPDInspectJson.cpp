#include "inspect/PPDInspectJson.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/CFString.h"

namespace {

class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}

  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }
  void Key(std::string_view key) {
    Separate();
    out_ << JsonQuote(key) << ": ";
    afterKey_ = true;
  }
  void String(std::string_view text) {
    BeforeValue();
    out_ << JsonQuote(text);
  }
  void StringOrNull(const std::optional<std::string>& text) {
    if (text) {
      String(*text);
    } else {
      Null();
    }
  }
  void Bool(bool value) {
    BeforeValue();
    out_ << (value ? "true" : "false");
  }
  void Null() {
    BeforeValue();
    out_ << "null";
  }
  void Integer(long long value) {
    BeforeValue();
    out_ << value;
  }
  void Number(const InspectNumber& n) {
    if (!n.real) return Integer(n.integer);
    if (!std::isfinite(n.value)) return Null();  // JSON has no infinities
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", n.value);
    BeforeValue();
    out_ << text;
  }
  void NumberOrNull(const std::optional<InspectNumber>& n) {
    if (n) {
      Number(*n);
    } else {
      Null();
    }
  }
  void Strings(const std::vector<std::string>& list) {
    BeginArray();
    for (const std::string& s : list) String(s);
    EndArray();
  }
  void Finish() { out_ << "\n"; }

 private:
  void Indent() {
    out_ << "\n";
    for (size_t i = 0; i < open_.size(); ++i) out_ << "  ";
  }
  void Separate() {
    if (open_.empty()) return;
    if (open_.back()) out_ << ",";
    open_.back() = true;
    Indent();
  }
  void BeforeValue() {
    if (afterKey_) {
      afterKey_ = false;
    } else {
      Separate();
    }
  }
  void Open(char c) {
    BeforeValue();
    out_ << c;
    open_.push_back(false);
  }
  void Close(char c) {
    const bool any = open_.back();
    open_.pop_back();
    if (any) Indent();
    out_ << c;
  }

  std::ostream& out_;
  std::vector<bool> open_;  // per open container: has it a member yet
  bool afterKey_ = false;
};

std::optional<std::string> OrNull(const std::string& text) {
  if (text.empty()) return std::nullopt;
  return text;
}

void Keywords(JsonWriter& json, const InspectModel& model, const std::vector<size_t>& positions) {
  json.BeginArray();
  for (size_t p : positions) json.String(model.controls[p].keyword);
  json.EndArray();
}

void Control(JsonWriter& json, const InspectControl& c) {
  json.BeginObject();
  json.Key("kind");
  json.String(c.kind);
  json.Key("keyword");
  json.String(c.keyword);
  json.Key("translation");
  json.String(c.translation);
  json.Key("default");
  json.StringOrNull(c.defaultValue);
  json.Key("value");
  json.String(c.value);
  json.Key("flags");
  json.Strings(c.flags);
  json.Key("visible");
  json.Bool(c.visible);
  json.Key("installable");
  json.Bool(c.installable);
  json.Key("parent");
  json.StringOrNull(OrNull(c.parent));
  if (!c.options.empty()) {
    json.Key("options");
    json.BeginArray();
    for (const InspectOption& o : c.options) {
      json.BeginObject();
      json.Key("keyword");
      json.String(o.keyword);
      json.Key("translation");
      json.String(o.translation);
      json.Key("default");
      json.Bool(o.isDefault);
      json.Key("selected");
      json.Bool(o.selected);
      json.Key("constrained");
      json.Bool(o.constrained);
      json.EndObject();
    }
    json.EndArray();
  }
  if (c.minimumHeight || c.maximumHeight) {
    json.Key("width");
    json.BeginObject();
    json.Key("minimum");
    json.NumberOrNull(c.minimum);
    json.Key("maximum");
    json.NumberOrNull(c.maximum);
    json.EndObject();
    json.Key("height");
    json.BeginObject();
    json.Key("minimum");
    json.NumberOrNull(c.minimumHeight);
    json.Key("maximum");
    json.NumberOrNull(c.maximumHeight);
    json.EndObject();
  } else if (c.minimum || c.maximum || c.increment) {
    json.Key("minimum");
    json.NumberOrNull(c.minimum);
    json.Key("maximum");
    json.NumberOrNull(c.maximum);
    json.Key("increment");
    json.NumberOrNull(c.increment);
  }
  if (c.kind == std::string_view("job note")) {
    json.Key("maxLength");
    json.Integer(c.maxLength);
    json.Key("minLength");
    json.Integer(c.minLength);
    json.Key("noteFlags");
    json.Strings(c.noteFlags);
  }
  json.EndObject();
}

void Identity(JsonWriter& json, const InspectModel& m) {
  json.BeginObject();
  const std::pair<const char*, const std::optional<std::string>*> fields[] = {
      {"pcFileName", &m.pcFileName},
      {"formatVersion", &m.formatVersion},
      {"fileVersion", &m.fileVersion},
      {"languageVersion", &m.languageVersion},
      {"languageEncoding", &m.languageEncoding},
      {"modelName", &m.modelName},
      {"vendorVersion", &m.vendorVersion},
      {"vendorMacVersion", &m.vendorMacVersion},
      {"vendorPPDVersion", &m.vendorFileVersion},
      {"pdePath", &m.pdePath},
  };
  for (const auto& [key, value] : fields) {
    json.Key(key);
    json.StringOrNull(*value);
  }
  json.Key("encodingKnown");
  json.Bool(m.knownEncoding);
  json.EndObject();
}

void RollDown(JsonWriter& json, const InspectModel& model, const InspectRollDown& r) {
  json.BeginObject();
  json.Key("name");
  json.String(r.name);
  json.Key("translation");
  json.String(r.translation);
  json.Key("visible");
  json.Bool(r.visible);
  json.Key("controls");
  Keywords(json, model, r.controls);
  json.EndObject();
}

void Pages(JsonWriter& json, const InspectModel& model) {
  json.BeginArray();
  for (const InspectPage& page : model.pages) {
    json.BeginObject();
    json.Key("name");
    json.String(page.name);
    json.Key("translation");
    json.String(page.translation);
    json.Key("visible");
    json.Bool(page.visible);
    json.Key("showInPrintDialog");
    json.Bool(page.showInPrintDialog);
    json.Key("showInApplication");
    json.Bool(page.showInApplication);
    json.Key("scrollPane");
    if (!page.scrollPane) {
      json.Null();
    } else {
      const InspectScrollPane& pane = *page.scrollPane;
      json.BeginObject();
      json.Key("name");
      json.String(pane.name);
      json.Key("translation");
      json.String(pane.translation);
      json.Key("visible");
      json.Bool(pane.visible);
      json.Key("rollDowns");
      json.BeginArray();
      for (const InspectRollDown& r : pane.rollDowns) RollDown(json, model, r);
      json.EndArray();
      json.EndObject();
    }
    json.EndObject();
  }
  json.EndArray();
}

void Groups(JsonWriter& json, const InspectModel& model) {
  json.BeginArray();
  for (const InspectGroup& g : model.groups) {
    json.BeginObject();
    json.Key("kind");
    json.String(g.kind);
    json.Key("name");
    json.String(g.name);
    json.Key("translation");
    json.String(g.translation);
    json.Key("visible");
    json.Bool(g.visible);
    json.Key("parent");
    json.StringOrNull(OrNull(g.parent));
    json.Key("inPageTree");
    json.Bool(g.inPageTree);
    if (g.kind == std::string_view("roll-down")) {
      json.Key("controls");
      Keywords(json, model, g.controls);
    } else if (g.kind == std::string_view("scroll pane")) {
      json.Key("rollDowns");
      json.Strings(g.rollDowns);
    }
    json.EndObject();
  }
  json.EndArray();
}

void Constraints(JsonWriter& json, const InspectConstraints& c) {
  json.BeginObject();
  json.Key("forbidding");
  json.Integer(static_cast<long long>(c.forbidding));
  json.Key("constrainingKeywords");
  json.Integer(static_cast<long long>(c.constrainingKeywords));
  json.Key("requires");
  json.Integer(static_cast<long long>(c.requiring));
  json.Key("declaredKeywords");
  json.Integer(static_cast<long long>(c.declaredKeywords));
  json.Key("problems");
  json.BeginArray();
  for (const InspectConstraintProblem& p : c.problems) {
    json.BeginObject();
    json.Key("requires");
    json.Bool(p.required);
    json.Key("keyword1");
    json.String(p.key1);
    json.Key("option1");
    json.String(p.option1);
    json.Key("keyword2");
    json.String(p.key2);
    json.Key("option2");
    json.String(p.option2);
    json.Key("problem");
    json.String(p.problem);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

void Errors(JsonWriter& json, const std::vector<InspectError>& errors) {
  json.BeginArray();
  for (const InspectError& e : errors) {
    json.BeginObject();
    json.Key("code");
    json.Integer(e.code);
    json.Key("name");
    json.String(e.name);
    json.Key("keyword");
    json.StringOrNull(e.keyword);
    json.Key("line");
    if (e.line > 0) {
      json.Integer(e.line);
    } else {
      json.Null();
    }
    json.Key("fatal");
    json.Bool(e.fatal);
    json.EndObject();
  }
  json.EndArray();
}

}  // namespace

std::string JsonQuote(std::string_view text) {
  // Invalid UTF-8 becomes U+FFFD first, so the literal is always valid JSON.
  const std::string utf8 = CFString::FromUTF8(text).UTF8();
  std::string quoted = "\"";
  for (unsigned char c : utf8) {
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\b':
        quoted += "\\b";
        break;
      case '\f':
        quoted += "\\f";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\t':
        quoted += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", c);
          quoted += escape;
        } else {
          quoted += static_cast<char>(c);
        }
    }
  }
  return quoted + "\"";
}

void WriteInspectJson(std::ostream& out, const InspectModel& m) {
  JsonWriter json(out);
  json.BeginObject();
  json.Key("file");
  json.String(m.file);
  json.Key("identity");
  Identity(json, m);
  json.Key("served");
  if (m.served == InspectServed::kNotChecked) {
    json.Null();
  } else {
    json.Bool(m.served == InspectServed::kYes);
  }
  json.Key("servedNames");
  json.Strings(m.servedNames);
  json.Key("propertyPages");
  Pages(json, m);
  json.Key("groups");
  Groups(json, m);
  json.Key("controls");
  json.BeginArray();
  for (const InspectControl& c : m.controls) {
    if (c.kind != std::string_view("special option")) Control(json, c);
  }
  json.EndArray();
  json.Key("shortcuts");
  Keywords(json, m, m.shortcuts);
  json.Key("specialOptions");
  json.BeginArray();
  for (size_t p : m.specialOptions) Control(json, m.controls[p]);
  json.EndArray();
  json.Key("constraints");
  Constraints(json, m.constraints);
  json.Key("errors");
  Errors(json, m.errors);
  json.Key("taken");
  json.Bool(m.taken);
  json.Key("refusal");
  json.StringOrNull(OrNull(m.refusal));
  json.EndObject();
  json.Finish();
}
