#include "HeadlessDialog.h"

#include <cstdlib>
#include <functional>
#include <iterator>
#include <map>

#include "JPAllocator.h"
#include "JPComponentSession.h"
#include "JPText.h"

namespace jp {
namespace {

// Reads a callback's answers and hands every block back through the panel's
// free callback, as a real dialog does once it has taken what it shows.
class CallRunner {
 public:
  explicit CallRunner(ComponentSession& s) : s_(s), t_(s.Table()), ctx_(s.Context()) {}

  void Run(const ScriptCall& call) {
    auto it = Slots().find(call.slot);
    if (it == Slots().end()) {
      s_.Record(call.slot + " unknown");
      return;
    }
    it->second(*this, call);
  }

 private:
  using Handler = std::function<void(CallRunner&, const ScriptCall&)>;

  static const std::map<std::string, Handler>& Slots() {
    static const std::map<std::string, Handler> slots = {
        {"serverData", [](CallRunner& r, const ScriptCall& c) { r.Text(c, r.t_.serverData); }},
        {"otherCalibrationInfo",
         [](CallRunner& r, const ScriptCall& c) { r.Text(c, r.t_.otherCalibrationInfo); }},
        {"ppdDefaults", [](CallRunner& r, const ScriptCall& c) { r.List(c, r.t_.ppdDefaults); }},
        {"outsidePPDOptions",
         [](CallRunner& r, const ScriptCall& c) { r.List(c, r.t_.outsidePPDOptions); }},
        {"fontList", [](CallRunner& r, const ScriptCall& c) { r.List(c, r.t_.fontList); }},
        {"variableDataMasters",
         [](CallRunner& r, const ScriptCall& c) { r.List(c, r.t_.variableDataMasters); }},
        {"colourOptions",
         [](CallRunner& r, const ScriptCall& c) { r.List(c, r.t_.colourOptions); }},
        {"helpStrings", [](CallRunner& r, const ScriptCall& c) { r.List(c, r.t_.helpStrings); }},
        {"deviceLinkProfiles",
         [](CallRunner& r, const ScriptCall& c) { r.List(c, r.t_.deviceLinkProfiles); }},
        {"serverInfo", [](CallRunner& r, const ScriptCall& c) { r.List(c, r.t_.serverInfo); }},
        {"serverFeatures",
         [](CallRunner& r, const ScriptCall& c) { r.List(c, r.t_.serverFeatures); }},
        {"fonts", [](CallRunner& r, const ScriptCall& c) { r.Named(c, r.t_.fonts); }},
        {"deviceLinkProfile",
         [](CallRunner& r, const ScriptCall& c) { r.Named(c, r.t_.deviceLinkProfile); }},
        {"serverFeatureValue",
         [](CallRunner& r, const ScriptCall& c) { r.Named(c, r.t_.serverFeatureValue); }},
        {"calibration", [](CallRunner& r, const ScriptCall& c) { r.Named(c, r.t_.calibration); }},
        {"serverValueByKey",
         [](CallRunner& r, const ScriptCall& c) { r.Named(c, r.t_.serverValueByKey); }},
        {"calibrationExtended",
         [](CallRunner& r, const ScriptCall& c) { r.Named(c, r.t_.calibrationExtended); }},
        {"previewThumbnail", [](CallRunner& r, const ScriptCall& c) { r.Thumbnail(c); }},
        {"previewPageCount", [](CallRunner& r, const ScriptCall& c) { r.PageCount(c); }},
        {"jobAction", [](CallRunner& r, const ScriptCall& c) { r.JobAction(c); }},
        {"free", [](CallRunner& r, const ScriptCall& c) { r.FreeNull(c); }},
        {"trayInfo", [](CallRunner& r, const ScriptCall& c) { r.Trays(c); }},
        {"tonerInfo", [](CallRunner& r, const ScriptCall& c) { r.Toners(c); }},
        {"driverVersion", [](CallRunner& r, const ScriptCall& c) { r.Version(c); }},
        {"serverPresetNames", [](CallRunner& r, const ScriptCall& c) { r.PresetNames(c); }},
        {"serverPresetData", [](CallRunner& r, const ScriptCall& c) { r.PresetData(c); }},
        {"getLocalPresets", [](CallRunner& r, const ScriptCall& c) { r.GetPresets(c); }},
        {"setLocalPresets", [](CallRunner& r, const ScriptCall& c) { r.SetPresets(c); }},
    };
    return slots;
  }

  void Give(void* block) {
    if (block == nullptr) return;
    if (t_.freeBlock != nullptr) {
      void* b = block;
      t_.freeBlock(ctx_, &b);
    } else {
      Release(block);
    }
  }

  void GiveList(SDMKeyValueList* list) {
    if (list == nullptr) return;
    if (list->items != nullptr) {
      for (uint64_t i = 0; i < list->count; ++i) {
        Give(list->items[i].key);
        Give(list->items[i].value);
      }
      Give(list->items);
    }
    Give(list);
  }

  void Answer(const ScriptCall& c, int32_t rc) {
    s_.Record(c.slot + (c.hasArg ? " " + c.arg : "") + " rc=" + std::to_string(rc));
  }

  bool Empty(const ScriptCall& c, const void* fn) {
    if (fn != nullptr) return false;
    s_.Record(c.slot + " empty");
    return true;
  }

  // One record line a text: its line feeds written as "\\n".
  void RecordText(const wchar_t* text) {
    if (text == nullptr) return;
    std::string line;
    for (char c : ToUtf8(Bounded(text))) line += c == '\n' ? std::string("\\n") : std::string(1, c);
    s_.Record("  text=" + line);
  }

  void RecordList(const SDMKeyValueList* list) {
    if (list == nullptr || list->items == nullptr) return;
    for (uint64_t i = 0; i < list->count; ++i)
      s_.Record("  " + ToUtf8(Bounded(list->items[i].key)) + "=" +
                ToUtf8(Bounded(list->items[i].value)));
  }

  void Text(const ScriptCall& c, SDMTextFn fn) {
    if (Empty(c, reinterpret_cast<const void*>(fn))) return;
    wchar_t* out = nullptr;
    Answer(c, fn(ctx_, &out));
    RecordText(out);
    Give(out);
  }

  void List(const ScriptCall& c, SDMListFn fn) {
    if (Empty(c, reinterpret_cast<const void*>(fn))) return;
    SDMKeyValueList* out = nullptr;
    Answer(c, fn(ctx_, &out));
    RecordList(out);
    GiveList(out);
  }

  void Named(const ScriptCall& c, SDMNamedTextFn fn) {
    if (Empty(c, reinterpret_cast<const void*>(fn))) return;
    wchar_t* out = nullptr;
    std::wstring name = FromUtf8(c.arg);
    Answer(c, fn(ctx_, c.hasArg ? name.c_str() : nullptr, &out));
    RecordText(out);
    Give(out);
  }

  void Thumbnail(const ScriptCall& c) {
    if (Empty(c, reinterpret_cast<const void*>(t_.previewThumbnail))) return;
    void* out = nullptr;
    uint64_t size = 0;
    Answer(c, t_.previewThumbnail(ctx_, std::atoi(c.arg.c_str()), &out, &size));
    Give(out);
  }

  void PageCount(const ScriptCall& c) {
    if (Empty(c, reinterpret_cast<const void*>(t_.previewPageCount))) return;
    int32_t count = -1;
    Answer(c, t_.previewPageCount(ctx_, &count));
  }

  void JobAction(const ScriptCall& c) {
    if (Empty(c, reinterpret_cast<const void*>(t_.jobAction))) return;
    Answer(c, t_.jobAction(ctx_, std::atoi(c.arg.c_str())));
  }

  void FreeNull(const ScriptCall& c) {
    if (Empty(c, reinterpret_cast<const void*>(t_.freeBlock))) return;
    void* none = nullptr;
    Answer(c, t_.freeBlock(ctx_, &none));
  }

  void Trays(const ScriptCall& c) {
    if (Empty(c, reinterpret_cast<const void*>(t_.trayInfo))) return;
    SDMTrayList* out = nullptr;
    Answer(c, t_.trayInfo(ctx_, &out));
    if (out == nullptr) return;
    for (uint64_t i = 0; i < out->count && out->trays != nullptr; ++i) {
      SDMTrayInfo& t = out->trays[i];
      wchar_t* fields[] = {t.name,         t.mediaSize, t.mediaType, t.mediaWeight, t.mediaColor,
                           t.levelPercent, t.capacity,  t.status,    t.catalog};
      std::string line = "  tray";
      for (size_t f = 0; f < std::size(fields); ++f) {
        line += (f == 0 ? " " : "|") + ToUtf8(Bounded(fields[f]));
        Give(fields[f]);
      }
      s_.Record(line);
    }
    Give(out->trays);
    Give(out);
  }

  void Toners(const ScriptCall& c) {
    if (Empty(c, reinterpret_cast<const void*>(t_.tonerInfo))) return;
    SDMTonerList* out = nullptr;
    Answer(c, t_.tonerInfo(ctx_, &out));
    if (out == nullptr) return;
    for (uint64_t i = 0; i < out->count && out->toners != nullptr; ++i) {
      SDMTonerInfo& t = out->toners[i];
      wchar_t* fields[] = {t.color, t.levelPercent, t.capacity, t.status, t.partNumber};
      std::string line = "  toner";
      for (size_t f = 0; f < std::size(fields); ++f) {
        line += (f == 0 ? " " : "|") + ToUtf8(Bounded(fields[f]));
        Give(fields[f]);
      }
      s_.Record(line);
    }
    Give(out->toners);
    Give(out);
  }

  void Version(const ScriptCall& c) {
    if (Empty(c, reinterpret_cast<const void*>(t_.driverVersion))) return;
    wchar_t* out = nullptr;
    Answer(c, t_.driverVersion(ctx_, std::atoi(c.arg.c_str()), &out));
    RecordText(out);
    Give(out);
  }

  void PresetNames(const ScriptCall& c) {
    if (Empty(c, reinterpret_cast<const void*>(t_.serverPresetNames))) return;
    SDMStringList* out = nullptr;
    Answer(c, t_.serverPresetNames(ctx_, &out));
    if (out == nullptr) return;
    for (uint64_t i = 0; i < out->count && out->items != nullptr; ++i) {
      s_.Record("  name=" + ToUtf8(Bounded(out->items[i])));
      Give(out->items[i]);
    }
    Give(out->items);
    Give(out);
  }

  void PresetData(const ScriptCall& c) {
    if (Empty(c, reinterpret_cast<const void*>(t_.serverPresetData))) return;
    SDMKeyValueList* lists[3] = {};
    std::wstring name = FromUtf8(c.arg);
    Answer(c, t_.serverPresetData(ctx_, c.hasArg ? name.c_str() : nullptr, &lists[0], &lists[1],
                                  &lists[2]));
    const char* names[] = {"job", "impose", "preset"};
    for (int i = 0; i < 3; ++i) {
      if (lists[i] == nullptr) continue;
      s_.Record(std::string(" ") + names[i] + " count=" + std::to_string(lists[i]->count));
      RecordList(lists[i]);
      GiveList(lists[i]);
    }
  }

  void GetPresets(const ScriptCall& c) {
    SDMTextFn fn = s_.GetLocalPresets();
    if (Empty(c, reinterpret_cast<const void*>(fn))) return;
    wchar_t* out = nullptr;
    Answer(c, fn(ctx_, &out));
    RecordText(out);
    Give(out);
  }

  void SetPresets(const ScriptCall& c) {
    SDMSetTextFn fn = s_.SetLocalPresets();
    if (Empty(c, reinterpret_cast<const void*>(fn))) return;
    std::wstring text = FromUtf8(c.arg);
    Answer(c, fn(ctx_, c.hasArg ? text.c_str() : nullptr));
  }

  ComponentSession& s_;
  const SDMCallbackTable& t_;
  void* ctx_;
};

void Upsert(Pairs& pairs, const std::pair<std::wstring, std::wstring>& kv) {
  for (auto& p : pairs) {
    if (p.first == kv.first) {
      p.second = kv.second;
      return;
    }
  }
  pairs.push_back(kv);
}

}  // namespace

int HeadlessDialog::Run(ComponentSession& session, const std::string& title) {
  session.Record("title " + title);
  for (const auto& [k, v] : session.JobValues())
    session.Record("in " + ToUtf8(k) + "=" + ToUtf8(v));
  for (const auto& [k, v] : session.ReadOnly())
    session.Record("readonly " + ToUtf8(k) + "=" + ToUtf8(v));
  for (const auto& [k, v] : session.Veiled())
    session.Record("veiled " + ToUtf8(k) + "=" + ToUtf8(v));
  for (const auto& [k, v] : session.Watermarks())
    session.Record("watermark-in " + ToUtf8(k) + "=" + ToUtf8(v));

  CallRunner runner(session);
  for (const ScriptCall& call : session.GetScript().calls) runner.Run(call);

  const Script& script = session.GetScript();
  if (script.result == 0) {
    for (const auto& kv : script.sets) Upsert(session.JobValues(), kv);
    if (script.replaceWatermarks) session.Watermarks() = script.watermarks;
  }
  session.Record("result " + std::to_string(script.result));
  return script.result;
}

}  // namespace jp
