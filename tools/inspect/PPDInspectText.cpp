#include "inspect/PPDInspectText.h"

#include <cstdio>
#include <cstring>
#include <set>

namespace {

// Texts from the PPD may hold anything; control characters must not reach
// the terminal as they are.
std::string Plain(std::string_view text) {
  std::string shown;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x", c);
      shown += escape;
    } else {
      shown += static_cast<char>(c);
    }
  }
  return shown;
}

void Field(std::ostream& out, const char* label, const std::optional<std::string>& value) {
  out << label;
  for (size_t n = std::strlen(label); n < 20; ++n) out << ' ';
  out << (value ? Plain(*value) : std::string("(none)")) << "\n";
}

std::string Number(const std::optional<InspectNumber>& n) {
  if (!n) return "?";
  char text[64];
  if (n->real) {
    std::snprintf(text, sizeof text, "%.3f", n->value);
  } else {
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(n->integer));
  }
  return text;
}

std::string Join(const std::vector<std::string>& words) {
  std::string joined;
  for (const std::string& w : words) joined += (joined.empty() ? "" : ", ") + Plain(w);
  return joined;
}

std::string Indent(int depth) {
  return std::string(static_cast<size_t>(depth) * 2, ' ');
}

const char* Shown(bool visible) {
  return visible ? "visible" : "hidden";
}

bool IsSpecialOption(const InspectControl& c) {
  return c.kind == std::string_view("special option");
}

bool IsChoice(const InspectControl& c) {
  return !c.options.empty() || c.kind == std::string_view("pick-one") ||
         c.kind == std::string_view("pick-many") || c.kind == std::string_view("boolean");
}

// One control: a heading line, a line of values and flags, then one line per
// option of a choice control.
void ControlText(std::ostream& out, const InspectControl& c, int depth) {
  const std::string in = Indent(depth);
  out << in << c.kind << " " << Plain(c.keyword) << " " << TextQuote(c.translation) << "\n";

  std::vector<std::string> parts;
  const bool note = c.kind == std::string_view("job note");
  if (c.defaultValue) {
    parts.push_back("default " + (note ? TextQuote(*c.defaultValue) : Plain(*c.defaultValue)));
  } else if (IsChoice(c)) {
    parts.push_back("no default");
  }
  if (note || IsSpecialOption(c)) {
    parts.push_back("value " + TextQuote(c.value));
  } else {
    parts.push_back("value " + (c.value.empty() ? std::string("(none)") : Plain(c.value)));
  }
  if (c.minimumHeight || c.maximumHeight) {
    parts.push_back("width " + Number(c.minimum) + ".." + Number(c.maximum));
    parts.push_back("height " + Number(c.minimumHeight) + ".." + Number(c.maximumHeight));
  } else if (c.minimum || c.maximum || c.increment) {
    parts.push_back("range " + Number(c.minimum) + ".." + Number(c.maximum) + " step " +
                    Number(c.increment));
  }
  if (note) {
    parts.push_back("length " + std::to_string(c.minLength) + ".." + std::to_string(c.maxLength));
    parts.push_back(c.noteFlags.empty() ? "no note flags" : "note flags " + Join(c.noteFlags));
  }
  parts.push_back(c.flags.empty() ? "no flags" : "flags " + Join(c.flags));
  if (!c.visible) parts.push_back("hidden");
  if (c.installable) parts.push_back("installable");
  out << in << "    ";
  for (size_t i = 0; i < parts.size(); ++i) out << (i ? "; " : "") << parts[i];
  out << "\n";

  for (const InspectOption& o : c.options) {
    out << in << "    option " << Plain(o.keyword) << " " << TextQuote(o.translation);
    std::vector<std::string> marks;
    if (o.isDefault) marks.push_back("default");
    if (o.selected) marks.push_back("selected");
    if (o.constrained) marks.push_back("constrained");
    if (!marks.empty()) out << ": " << Join(marks);
    out << "\n";
  }
}

void RollDownText(std::ostream& out, const InspectModel& m, const InspectRollDown& r, int depth) {
  out << Indent(depth) << "roll-down " << Plain(r.name) << " " << TextQuote(r.translation) << ": "
      << Shown(r.visible) << "\n";
  if (r.controls.empty()) out << Indent(depth + 1) << "(no controls)\n";
  for (size_t p : r.controls) ControlText(out, m.controls[p], depth + 1);
}

void PagesText(std::ostream& out, const InspectModel& m) {
  out << "Property pages (" << m.pages.size() << "):\n";
  if (m.pages.empty()) out << "  (none)\n";
  for (const InspectPage& page : m.pages) {
    out << "  page " << Plain(page.name) << " " << TextQuote(page.translation) << ": "
        << Shown(page.visible) << ", "
        << (page.showInPrintDialog ? "in the print dialog" : "not in the print dialog") << ", "
        << (page.showInApplication ? "in the application" : "not in the application") << "\n";
    if (!page.scrollPane) {
      out << "    (no scroll pane)\n";
      continue;
    }
    const InspectScrollPane& pane = *page.scrollPane;
    out << "    scroll pane " << Plain(pane.name) << " " << TextQuote(pane.translation) << ": "
        << Shown(pane.visible) << "\n";
    if (pane.rollDowns.empty()) out << "      (no roll-downs)\n";
    for (const InspectRollDown& r : pane.rollDowns) RollDownText(out, m, r, 3);
  }
}

std::string KeywordList(const InspectModel& m, const std::vector<size_t>& positions) {
  std::vector<std::string> keywords;
  for (size_t p : positions) keywords.push_back(m.controls[p].keyword);
  return keywords.empty() ? std::string("none") : Join(keywords);
}

// Controls of roll-downs outside the page tree are shown in full here; the
// others were shown in the tree and are only named.
void GroupsText(std::ostream& out, const InspectModel& m, std::set<size_t>& shown) {
  out << "Groups (" << m.groups.size() << "):\n";
  if (m.groups.empty()) out << "  (none)\n";
  for (const InspectGroup& g : m.groups) {
    out << "  " << g.kind << " " << Plain(g.name) << " " << TextQuote(g.translation) << ": "
        << Shown(g.visible) << "; "
        << (g.parent.empty() ? std::string("no parent") : "parent " + Plain(g.parent)) << "\n";
    if (g.kind == std::string_view("scroll pane")) {
      out << "    roll-downs: " << (g.rollDowns.empty() ? std::string("none") : Join(g.rollDowns))
          << "\n";
    } else if (g.kind == std::string_view("roll-down") && g.inPageTree) {
      out << "    controls: " << KeywordList(m, g.controls) << "\n";
    } else if (g.kind == std::string_view("roll-down")) {
      if (g.controls.empty()) out << "    controls: none\n";
      for (size_t p : g.controls) {
        if (shown.insert(p).second) {
          ControlText(out, m.controls[p], 2);
        } else {
          out << "    " << Plain(m.controls[p].keyword) << " (shown above)\n";
        }
      }
    }
  }
}

void ConstraintsText(std::ostream& out, const InspectConstraints& c) {
  out << "Constraints:\n";
  out << "  forbidding pairs:   " << c.forbidding << " (from " << c.constrainingKeywords
      << (c.constrainingKeywords == 1 ? " keyword" : " keywords") << ")\n";
  out << "  requires pairs:     " << c.requiring << "\n";
  out << "  declared keywords:  " << c.declaredKeywords << "\n";
  out << "  problems:           "
      << (c.problems.empty() ? std::string("none") : std::to_string(c.problems.size())) << "\n";
  for (const InspectConstraintProblem& p : c.problems) {
    out << "    " << (p.required ? "requires " : "") << Plain(p.key1) << " " << Plain(p.option1)
        << " -> " << Plain(p.key2) << " " << Plain(p.option2) << ": " << Plain(p.problem) << "\n";
  }
}

void ErrorsText(std::ostream& out, const std::vector<InspectError>& errors) {
  if (errors.empty()) {
    out << "Errors:             none\n";
    return;
  }
  out << "Errors:             " << errors.size() << "\n";
  for (const InspectError& e : errors) {
    out << "  " << (e.fatal ? "fatal " : "error ") << e.code << " " << e.name;
    if (e.keyword) out << " " << Plain(*e.keyword);
    if (e.line > 0) out << ", line " << e.line;
    out << "\n";
  }
}

size_t ControlCount(const InspectModel& m) {
  size_t count = 0;
  for (const InspectControl& c : m.controls) count += IsSpecialOption(c) ? 0 : 1;
  return count;
}

}  // namespace

std::string TextQuote(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return Plain(quoted) + "\"";
}

void WriteInspectIdentity(std::ostream& out, const InspectModel& m) {
  Field(out, "PPD file:", m.file);
  Field(out, "PC file name:", m.pcFileName);
  Field(out, "Format version:", m.formatVersion);
  Field(out, "File version:", m.fileVersion);
  Field(out, "Language version:", m.languageVersion);
  std::optional<std::string> encoding = m.languageEncoding;
  if (encoding) {
    *encoding += m.knownEncoding ? " (encoding " + std::to_string(m.encodingValue) + ")"
                                 : " (not a known encoding)";
  }
  Field(out, "Language encoding:", encoding);
  Field(out, "Model name:", m.modelName);
  Field(out, "Vendor version:", m.vendorVersion);
  Field(out, "Vendor Mac version:", m.vendorMacVersion);
  Field(out, "Vendor PPD version:", m.vendorFileVersion);
  Field(out, "PDE path:", m.pdePath);
  std::string served;
  switch (m.served) {
    case InspectServed::kNotChecked:
      served = "not checked (no --served names given)";
      break;
    case InspectServed::kYes:
      served = "yes";
      break;
    case InspectServed::kNo:
      served = "no (" + Join(m.servedNames) + ")";
      break;
  }
  Field(out, "Served:", served);
}

void WriteInspectText(std::ostream& out, const InspectModel& m) {
  WriteInspectIdentity(out, m);

  std::set<size_t> shown;
  for (const InspectPage& page : m.pages) {
    if (!page.scrollPane) continue;
    for (const InspectRollDown& r : page.scrollPane->rollDowns) {
      shown.insert(r.controls.begin(), r.controls.end());
    }
  }
  out << "\n";
  PagesText(out, m);
  out << "\n";
  GroupsText(out, m, shown);

  std::vector<size_t> rest;
  for (size_t i = 0; i < m.controls.size(); ++i) {
    if (!IsSpecialOption(m.controls[i]) && !shown.count(i)) rest.push_back(i);
  }
  out << "\nControls outside any roll-down (" << rest.size() << "):\n";
  if (rest.empty()) out << "  (none)\n";
  for (size_t p : rest) ControlText(out, m.controls[p], 1);

  out << "\nShortcuts (" << m.shortcuts.size() << "):\n";
  if (m.shortcuts.empty()) out << "  (none)\n";
  for (size_t p : m.shortcuts) {
    const InspectControl& c = m.controls[p];
    out << "  " << Plain(c.keyword) << " (" << c.kind << " " << TextQuote(c.translation) << ")\n";
  }

  out << "\nSpecial options (" << m.specialOptions.size() << "):\n";
  if (m.specialOptions.empty()) out << "  (none)\n";
  for (size_t p : m.specialOptions) {
    const InspectControl& c = m.controls[p];
    out << "  " << Plain(c.keyword) << " = " << TextQuote(c.value) << "\n";
  }

  out << "\n";
  ConstraintsText(out, m.constraints);
  out << "\n";
  ErrorsText(out, m.errors);
  out << "Controls:           " << ControlCount(m) << "\n";
  out << "Result:             "
      << (m.taken ? std::string("the panel would take this PPD") : "refused: " + m.refusal) << "\n";
}

void WriteInspectVerdict(std::ostream& out, const InspectModel& m) {
  size_t fatal = 0;
  const InspectError* firstFatal = nullptr;
  for (const InspectError& e : m.errors) {
    if (!e.fatal) continue;
    if (!firstFatal) firstFatal = &e;
    ++fatal;
  }
  out << (m.taken ? "OK " : "REFUSED ") << Plain(m.file) << ": "
      << (m.taken ? std::string("the panel would take this PPD") : m.refusal) << "; "
      << ControlCount(m) << (ControlCount(m) == 1 ? " control, " : " controls, ") << m.errors.size()
      << (m.errors.size() == 1 ? " error" : " errors");
  if (firstFatal) {
    out << " (" << fatal << " fatal, first " << firstFatal->name;
    if (firstFatal->keyword) out << " " << Plain(*firstFatal->keyword);
    if (firstFatal->line > 0) out << ", line " << firstFatal->line;
    out << ")";
  }
  out << "\n";
}
