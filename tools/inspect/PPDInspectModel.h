// A plain snapshot of a parsed vendor PPD as tavro-inspect shows it: the
// identity keywords, the page tree (property pages, scroll panes, roll-downs,
// controls), the groups, shortcuts, special options, constraint counts, the
// errors and the verdict. Every text is UTF-8, so the text and JSON writers
// only format; taking the snapshot is the one place that walks the model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "PPDX/PPDX.h"

class QZVPPD;

struct InspectNumber {
  bool real = false;
  int64_t integer = 0;
  double value = 0;
};

struct InspectOption {
  std::string keyword;
  std::string translation;
  bool isDefault = false;
  bool selected = false;
  bool constrained = false;  // choosing it would conflict with the current values
};

struct InspectControl {
  const char* kind = "";  // "boolean", "pick-one", ... (see ControlKindName)
  std::string keyword;
  std::string translation;
  std::optional<std::string> defaultValue;  // none for kinds without a default
  std::string value;                        // the model's current value text
  std::vector<std::string> flags;           // the flag words of the flag line
  bool visible = true;
  bool installable = false;
  std::string parent;                  // the enclosing group's name; empty without one
  std::vector<InspectOption> options;  // pick-one, pick-many, boolean
  // Integer and real ranges: limits and step. Custom page size: the width
  // limits in minimum/maximum and the height limits in the next two.
  std::optional<InspectNumber> minimum, maximum, increment;
  std::optional<InspectNumber> minimumHeight, maximumHeight;
  // Job notes.
  long maxLength = 0;
  long minLength = 0;
  std::vector<std::string> noteFlags;
};

struct InspectRollDown {
  std::string name;
  std::string translation;
  bool visible = false;
  std::vector<size_t> controls;  // positions in InspectModel::controls
};

struct InspectScrollPane {
  std::string name;
  std::string translation;
  bool visible = false;
  std::vector<InspectRollDown> rollDowns;
};

struct InspectPage {
  std::string name;
  std::string translation;
  bool visible = false;
  bool showInPrintDialog = false;
  bool showInApplication = false;
  std::optional<InspectScrollPane> scrollPane;
};

struct InspectGroup {
  const char* kind = "group";  // "group", "roll-down" or "scroll pane"
  std::string name;
  std::string translation;
  bool visible = false;
  std::string parent;                  // empty without one
  std::vector<size_t> controls;        // roll-downs: positions in InspectModel::controls
  std::vector<std::string> rollDowns;  // scroll panes: the roll-downs' names
  bool inPageTree = false;             // reached from a property page
};

// A constraint end that names no control, or an option its control lacks.
struct InspectConstraintProblem {
  bool required = false;  // from a requires declaration
  std::string key1, option1, key2, option2;
  std::string problem;
};

struct InspectConstraints {
  size_t forbidding = 0;            // (key, option) -> (key, option) pairs
  size_t constrainingKeywords = 0;  // keywords with at least one such pair
  size_t requiring = 0;             // requires pairs
  size_t declaredKeywords = 0;      // keywords whose options were declared
  std::vector<InspectConstraintProblem> problems;
};

struct InspectError {
  int16_t code = 0;
  std::string name;  // "PPDErr_..." or "unknown"
  std::optional<std::string> keyword;
  long line = 0;  // the PPD line it was raised on; 0 when none
  bool fatal = false;
};

enum class InspectServed { kNotChecked, kYes, kNo };

struct InspectModel {
  std::string file;
  std::optional<std::string> pcFileName, formatVersion, fileVersion, languageVersion,
      languageEncoding, modelName, vendorVersion, vendorMacVersion, vendorFileVersion, pdePath;
  bool knownEncoding = false;
  int encodingValue = 0;
  InspectServed served = InspectServed::kNotChecked;
  std::vector<std::string> servedNames;

  std::vector<InspectControl> controls;  // every control in PPD order, special options too
  std::vector<InspectPage> pages;
  std::vector<InspectGroup> groups;
  std::vector<size_t> shortcuts;       // positions in controls
  std::vector<size_t> specialOptions;  // positions in controls
  InspectConstraints constraints;
  std::vector<InspectError> errors;

  bool taken = false;
  std::string refusal;  // why the panel would not take the PPD; empty when taken
};

// "boolean", "pick-one", "pick-many", "integer range", "real range",
// "custom page size", "job note", "special option"; "control" for type 0.
const char* ControlKindName(int type, bool pickMany);

// Walks the document under the everything display option (restored after).
// served names: the list the document was checked against, empty when none.
InspectModel TakeInspectModel(QZVPPD& document, const std::string& file,
                              const std::vector<std::string>& servedNames);

// Why the panel would refuse the document; empty when it would take it.
std::string InspectRefusal(const QZVPPD& document, bool servedChecked);
