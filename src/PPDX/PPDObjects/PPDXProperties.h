// The document's property pages in PPD order. The list only points: the
// pages belong to the feature document.
#pragma once

#include <cstdint>

#include "PPDX/PPDObjects/PPDXProperty.h"
#include "foundation/PointerList.h"

// The count item doubles as the store's byte-order probe.
constexpr unsigned int kSavedPropertyCountTag = 3000;
constexpr int kSavedPropertyCountId = 3002;
constexpr int kSavedPropertyFirstId = 3001;

class PPDXProperties {
 public:
  PPDXProperties();
  // One page per saved id; the new pages belong to the caller.
  explicit PPDXProperties(Settings& settings);
  ~PPDXProperties();
  PPDXProperties(const PPDXProperties&) = delete;
  PPDXProperties& operator=(const PPDXProperties&) = delete;

  void Add(PPDXProperty* property);  // null is ignored
  long Count() const { return static_cast<long>(properties_.Size()); }
  bool Empty() const { return properties_.Empty(); }
  PPDXProperty* First();  // no display filter
  PPDXProperty* Next();
  PPDXProperty* Find(const char* name, const bool& exact);
  // The count, then every page under ids 3001, 3002, ...
  int16_t Save(Settings& settings);

 private:
  PPDXProperty* Step(bool first);

  PointerList properties_;
  PointerListItr cursor_;
};

// Null-safe wrappers: a null list gives 0, false or null.
PPDXProperty* FirstProperty(PPDXProperties* properties);
PPDXProperty* NextProperty(PPDXProperties* properties);
PPDXProperty* FindProperty(PPDXProperties* properties, const char* name, const bool& exact);
bool IsPropertyListEmpty(PPDXProperties* properties);
long PropertyCount(PPDXProperties* properties);
