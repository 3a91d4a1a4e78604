// links: tavro_ppdx tavro_textconverter tavro_ppdx
// Arbitrary bytes as a flattened settings store, then every control store
// constructor over it, under the ids a model would use and the ids found in
// the store. Each control built must answer its PostScript by the
// size-then-fill protocol, survive save -> rebuild with the same PostScript
// and value, and take Restore from the damaged store without harm. The whole
// collection is rebuilt from the store as well (every class marker, special
// options included), saved and rebuilt again to the same controls.
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
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXFloatRangeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDObjects/Controls/PPDXRangeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXSpecialOption.h"
#include "PPDX/PPDObjects/Controls/Settings.h"
#include "PPDX/PPDObjects/Controls/SettingsStrings.h"
#include "PPDX/PPDObjects/DisplayOptions.h"

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
    [](Settings& s, int id) -> std::unique_ptr<PPDXControl> {
      return std::make_unique<PPDXSpecialOption>(s, id);
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

// The controls a rebuilt collection made belong to the caller.
std::vector<std::unique_ptr<PPDXControl>> TakeAll(PPDXControls& controls) {
  std::vector<std::unique_ptr<PPDXControl>> owned;
  CNTL_TYPE type = kNoControl;
  for (PPDXControl* c = controls.First(type); c; c = controls.Next(type)) {
    Check(c->Type() == type);
    owned.emplace_back(c);
  }
  return owned;
}

struct Shape {
  CNTL_TYPE type;
  std::string keyword;
  std::string ps;
  bool operator==(const Shape&) const = default;
};

std::vector<Shape> ShapeOf(const std::vector<std::unique_ptr<PPDXControl>>& controls) {
  std::vector<Shape> out;
  for (const auto& c : controls)
    out.push_back({c->Type(), c->Keyword() ? c->Keyword() : "", PostScriptOf(*c)});
  return out;
}

void ExerciseCollection(Settings& store) {
  ScopedDisplayOption everything(kDisplayEverything);
  PPDXControls rebuilt(store, nullptr);
  std::vector<std::unique_ptr<PPDXControl>> owned = TakeAll(rebuilt);
  // Every rebuilt control sits in exactly one kind list, counted there.
  const auto walked = [](auto* first, auto next) {
    long n = 0;
    for (auto* c = first; c; c = next()) ++n;
    return n;
  };
  PPDXControls& r = rebuilt;
  const long popups = walked(r.FirstPopupControl(), [&] { return r.NextPopupControl(); });
  const long booleans = walked(r.FirstBooleanControl(), [&] { return r.NextBooleanControl(); });
  const long ranges = walked(r.FirstRangeControl(), [&] { return r.NextRangeControl(); });
  const long reals = walked(r.FirstFloatRangeControl(), [&] { return r.NextFloatRangeControl(); });
  const long notes = walked(r.FirstJobNote(), [&] { return r.NextJobNote(); });
  const long specials = walked(r.FirstSpecialOption(), [&] { return r.NextSpecialOption(); });
  Check(popups == r.PopupCount() && booleans == r.BooleanCount() && ranges == r.RangeCount() &&
        reals == r.FloatRangeCount() && specials == r.SpecialOptionsCount());
  Check(static_cast<long>(owned.size()) == popups + booleans + ranges + reals + notes + specials);
  for (PPDXSpecialOption* o = r.FirstSpecialOption(); o; o = r.NextSpecialOption())
    Check(o->GetValue() != nullptr);
  const std::vector<Shape> shape = ShapeOf(owned);

  Settings saved;
  Check(rebuilt.Save(saved) == kSettingsNoErr);
  // The job notes of the second rebuild get the same language text.
  int size = 0;
  if (store.Get(kSavedLanguageEncodingTag, kSavedLanguageEncodingId, nullptr, size, false) ==
          kSettingsNoErr &&
      size > 0) {
    std::vector<char> language(static_cast<size_t>(size));
    if (store.Get(kSavedLanguageEncodingTag, kSavedLanguageEncodingId, language.data(), size,
                  false) == kSettingsNoErr)
      saved.Add(kSavedLanguageEncodingTag, kSavedLanguageEncodingId, language.data(), size);
  }
  PPDXControls again(saved, nullptr);
  std::vector<std::unique_ptr<PPDXControl>> ownedAgain = TakeAll(again);
  Check(ShapeOf(ownedAgain) == shape);
  Check(again.Restore(saved) == kSettingsNoErr);
  rebuilt.Restore(store);
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
  ExerciseCollection(store);
  return 0;
}
