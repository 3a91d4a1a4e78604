// links: tavro_ppdx tavro_textconverter tavro_ppdx
// Arbitrary bytes as a flattened settings store, then every control store
// constructor over it, under the ids a model would use and the ids found in
// the store. Each control built must answer its PostScript by the
// size-then-fill protocol, survive save -> rebuild with the same PostScript
// and value, and take Restore from the damaged store without harm.
// New control kinds add one line to kConstructors.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/DataStream.h"
#include "PPDX/PPDObjects/Controls/PPDXBooleanControl.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
// Numeric controls and the job note:
#include "PPDX/PPDObjects/Controls/PPDXFloatRangeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDObjects/Controls/PPDXRangeControl.h"
#include "PPDX/PPDObjects/Controls/SettingsStrings.h"
#include "PPDX/PPDObjects/Controls/Settings.h"

namespace {

void Fail(int line) {
  std::fprintf(stderr, "fuzz_control_store: check at line %d failed\n", line);
  std::abort();
}
#define Check(ok) ((ok) ? (void)0 : Fail(__LINE__))

using Constructor = std::unique_ptr<PPDXControl> (*)(Settings&, int);

const Constructor kConstructors[] = {
    [](Settings& s, int id) -> std::unique_ptr<PPDXControl> {
      return std::make_unique<PPDXBooleanControl>(s, id, nullptr);
    },
    [](Settings& s, int id) -> std::unique_ptr<PPDXControl> {
      return std::make_unique<PPDXPopupControl>(s, id, nullptr);
    },
    // Numeric controls and the job note (the note takes the document's
    // language-encoding text, as the model's rebuild hands it over).
    [](Settings& s, int id) -> std::unique_ptr<PPDXControl> {
      return std::make_unique<PPDXRangeControl>(s, id);
    },
    [](Settings& s, int id) -> std::unique_ptr<PPDXControl> {
      return std::make_unique<PPDXFloatRangeControl>(s, id);
    },
    [](Settings& s, int id) -> std::unique_ptr<PPDXControl> {
      std::unique_ptr<CString> language = GetSettingsString(s, 1000, 1007);
      return std::make_unique<PPDXJobNote>(s, id, language.get());
    },
};

std::string PostScriptOf(PPDXControl& control) {
  long n = control.PostScript(nullptr);
  Check(n >= 0);
  std::vector<unsigned char> buffer(static_cast<size_t>(n) + 1, 0xA5);
  Check(control.PostScript(buffer.data()) == n);
  Check(buffer[static_cast<size_t>(n)] == 0xA5);  // nothing past the announced size
  return std::string(reinterpret_cast<char*>(buffer.data()), static_cast<size_t>(n));
}

void Exercise(Constructor make, Settings& store, int id) {
  std::unique_ptr<PPDXControl> control = make(store, id);
  for (const char* w = control->FirstControlFlag(); w; w = control->NextControlFlag())
    Check(std::strchr(w, '|') == nullptr && *w != '\0');
  const std::string ps = PostScriptOf(*control);
  const CFString value = control->CopyCurrentControlValueString();

  Settings saved;
  Check(control->Save(saved, 5001) == kSettingsNoErr);
  std::unique_ptr<PPDXControl> rebuilt = make(saved, 5001);
  Check(PostScriptOf(*rebuilt) == ps);
  Check(rebuilt->CopyCurrentControlValueString() == value);
  Check(rebuilt->Restore(saved, 5001) == kSettingsNoErr);
  Check(PostScriptOf(*rebuilt) == ps);

  control->Restore(store, id);
  PostScriptOf(*control);
  if (auto* popup = dynamic_cast<PPDXPopupControl*>(control.get())) {
    popup->GetKeywordLocalNameAtIndex(popup->ItemCount());
    popup->SetValue(popup->ItemCount() / 2 + 1);
    for (_PopupItem* item = popup->FirstItem(); item; item = popup->NextItem()) item->displayName();
  }
  control->SetCurrentControlWithCFString(value);
  control->ResetToDefaultValue();
  PostScriptOf(*control);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryDataStream stream(std::vector<uint8_t>(data, data + size));
  Settings store;
  if (store.Read(&stream, 0) != kSettingsNoErr) return 0;

  // The ids a rebuilt model asks for, and a few taken from the store itself
  // (an item id and, for menu entries, the id of their menu).
  std::set<int> ids = {5001, 5002};
  unsigned int tag;
  int id, itemSize, attributes;
  for (int16_t st = store.First(tag, id, itemSize, attributes);
       st == kSettingsNoErr && ids.size() < 6; st = store.Next(tag, id, itemSize, attributes)) {
    ids.insert(id);
    ids.insert(id / 100);
  }
  for (Constructor make : kConstructors)
    for (int i : ids) Exercise(make, store, i);
  return 0;
}
