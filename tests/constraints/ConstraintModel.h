// Test helper: a UIConstraints filled through its text interface, with the
// ids of its texts at hand.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "constraints/UIConstraints.h"

struct ConstraintModel {
  UIConstraints ui;

  void Declare(const char* key, std::initializer_list<const char*> options) {
    for (const char* o : options) ui.KVSInsert(key, o);
  }
  void Forbid(const char* k1, const char* o1, const char* k2, const char* o2) {
    ui.Add(k1, o1, k2, o2, false);
  }
  void Set(const char* key, const char* option) { ui.UpdateKVCache(key, option); }
  long Id(const char* text) { return ui.FindId(text); }
  KVPair P(const char* key, const char* option) { return {Id(key), Id(option)}; }
  KVCache Cache(std::initializer_list<std::pair<const char*, const char*>> pairs) {
    KVCache c;
    for (const auto& [k, o] : pairs) c.add(P(k, o));
    return c;
  }
  std::vector<KVPair> Pairs(std::initializer_list<std::pair<const char*, const char*>> pairs) {
    std::vector<KVPair> v;
    for (const auto& [k, o] : pairs) v.push_back(P(k, o));
    return v;
  }
};

inline std::vector<KVPair> PairsOf(const KVCache& c) {
  return {c.begin(), c.end()};
}
