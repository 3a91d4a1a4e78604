// links: tavro_constraints tavro_foundation
// Builds a constraint set from the input bytes and runs the conflict test, the
// solver, the listings and the choice check on it. Traps when the fast choice
// check disagrees with the engine, when a solution is not conflict-free, or
// when the solver leaves its bounds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "constraints/ConstraintsEngine.h"
#include "constraints/UIConstraints.h"

namespace {

class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool More() const { return at_ < size_; }
  unsigned Next() { return at_ < size_ ? data_[at_++] : 0; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

const char* const kOptionNames[] = {"None", "False", "True", "o3", "o4", "o5", "o6", "", "o8"};

struct Model {
  UIConstraints ui;
  int keys = 1;
  int options = 1;
  std::string Key(unsigned k) const {
    return "*K" + std::to_string(k % (keys + 1));
  }  // one unknown
  const char* Option(unsigned o) const { return kOptionNames[o % (options + 1)]; }
  long KeyId(unsigned k) { return ui.FindId(Key(k).c_str()); }
  long OptionId(unsigned o) { return ui.FindId(Option(o)); }
  KVCache Pairs(Bytes& in, bool asMap) {
    KVCache c;
    const unsigned n = in.Next() % 6;
    for (unsigned i = 0; i < n; ++i) {
      const long k = KeyId(in.Next());
      const unsigned raw = in.Next();
      const long o = raw == 255 ? -1 : OptionId(raw);
      if (asMap)
        c.Insert(k, o);
      else
        c.add(k, o);
    }
    return c;
  }
};

void CheckBounds(const ConstraintsEngine& e) {
  const auto& s = e.LastSolveStats();
  Check(s.depth <= ConstraintsEngine::kMaxDepth + 1);
  Check(s.maxQueued <= ConstraintsEngine::kMaxQueued);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Bytes in(data, size);
  Model m;
  m.keys = 1 + static_cast<int>(in.Next() % 12);
  m.options = 1 + static_cast<int>(in.Next() % 8);
  for (int k = 0; k < m.keys; ++k)
    for (int o = 0; o < m.options; ++o) m.ui.KVSInsert(m.Key(k).c_str(), kOptionNames[o]);
  for (int k = 0; k < m.keys; ++k) m.ui.UpdateKVCache(m.Key(k).c_str(), kOptionNames[0]);

  int solves = 0;
  for (int ops = 0; in.More() && ops < 400; ++ops) {
    switch (in.Next() % 10) {
      case 0:
      case 1: {  // a constraint; the empty option name makes it wait for Resolve
        const std::string k1 = m.Key(in.Next());
        const char* o1 = m.Option(in.Next());
        const std::string k2 = m.Key(in.Next());
        const char* o2 = m.Option(in.Next());
        m.ui.Add(k1.c_str(), o1, k2.c_str(), o2, in.Next() % 4 == 0);
        break;
      }
      case 2:
        m.ui.UpdateKVCache(m.Key(in.Next()).c_str(), m.Option(in.Next()));
        break;
      case 3:
        m.ui.KVSInsert(m.Key(in.Next()).c_str(), m.Option(in.Next()));
        break;
      case 4: {  // the fast check against the engine, by text and by id
        const std::string key = m.Key(in.Next());
        const unsigned raw = in.Next();
        const char* option = raw == 255 ? "never-interned" : m.Option(raw);
        const long k = m.ui.FindId(key.c_str());
        const long o = m.ui.FindId(option);
        KVCache delta;
        delta.Insert(k, o);
        const bool expected = !m.ui.ValidateDelta(delta);
        Check(m.ui.IsKVConstrained(k, o) == expected);
        Check(m.ui.IsKVConstrained(key.c_str(), option) == expected);
        break;
      }
      case 5: {
        KVCache delta = m.Pairs(in, in.Next() & 1);
        const ConstraintResult r = m.ui.Engine()->Test(&delta);
        Check(r.first.empty() == m.ui.ValidateDelta(delta));
        break;
      }
      case 6: {
        if (++solves > 4) break;
        const bool keep = in.Next() & 1;
        KVCache assignment = m.Pairs(in, true);
        ConstraintsEngine* e = m.ui.Engine();
        const ConstraintResult r = e->Solve(&assignment, keep);
        CheckBounds(*e);
        if (r.first.empty()) Check(e->Test(&assignment).first.empty());
        break;
      }
      case 7: {
        if (++solves > 4) break;
        KVCache locked = m.Pairs(in, false);
        ConstraintsEngine e(&m.ui.Current(), m.ui.GetConstraintForest(), &m.ui.Declared(), &locked);
        KVCache assignment = m.Pairs(in, true);
        const ConstraintResult r = e.Solve(&assignment, in.Next() & 1);
        CheckBounds(e);
        if (r.first.empty()) Check(e.Test(&assignment).first.empty());
        break;
      }
      case 8: {
        ConstraintsEngine* e = m.ui.Engine();
        const long k1 = m.KeyId(in.Next()), k2 = m.KeyId(in.Next());
        e->ListCurrentConstraints(k1);
        e->ListScreenedConstraints(m.Pairs(in, false), in.Next() & 1, k1);
        e->ListBlockingConstraints(k1, m.OptionId(in.Next()), k2);
        break;
      }
      case 9: {
        const unsigned what = in.Next();
        if (what % 3 == 0) {
          m.ui.Resolve();
          break;
        }
        const long k1 = m.KeyId(in.Next());
        const long o1 = (what & 4) ? -1 : m.OptionId(in.Next());
        const long k2 = (what & 8) ? -1 : m.KeyId(in.Next());
        const long o2 = (what & 16) ? -2 : m.OptionId(in.Next());
        ConstraintForest* f = m.ui.GetConstraintForest();
        if (what % 3 == 1)
          f->DisableConstraints(k1, o1, k2, o2);
        else
          f->EnableConstraints(k1, o1, k2, o2);
        break;
      }
    }
  }
  return 0;
}
