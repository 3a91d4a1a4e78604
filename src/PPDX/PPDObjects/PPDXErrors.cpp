#include "PPDX/PPDObjects/PPDXErrors.h"

PPDXErrors::~PPDXErrors() = default;

bool PPDXErrors::Add(PPDXErrorObj* error) {
  if (error == nullptr) return false;
  return list_.PushBack(error);
}

PPDXErrorObj* PPDXErrors::First() {
  cursor_ = list_.Begin();
  if (cursor_ == list_.End()) return nullptr;
  return static_cast<PPDXErrorObj*>(*cursor_);
}

PPDXErrorObj* PPDXErrors::Next() {
  // Before any First the cursor has no node; Next then answers nothing.
  if (cursor_.Node() == nullptr || cursor_ == list_.End()) return nullptr;
  ++cursor_;
  if (cursor_ == list_.End()) return nullptr;
  return static_cast<PPDXErrorObj*>(*cursor_);
}

bool PPDXErrors::AnyFatal() const {
  for (ConstPointerListItr it = list_.Begin(); !(it == list_.End()); ++it) {
    auto* error = static_cast<const PPDXErrorObj*>(*it);
    if (error != nullptr && error->IsFatal()) return true;
  }
  return false;
}

void PPDXErrors::DeleteAll() {
  for (PointerListItr it = list_.Begin(); !(it == list_.End()); ++it) {
    delete static_cast<PPDXErrorObj*>(*it);
  }
  list_.MakeEmpty();
  cursor_ = PointerListItr();
}
