// An allocator standing in for the component's: it owns every block it gives
// out and can be told to fail from the n-th request on.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "serverlink/SDMAlloc.h"

class TestAllocator {
 public:
  SDMAllocator Get() { return SDMAllocator{&TestAllocator::Allocate, this}; }
  void FailFrom(size_t n) { failFrom_ = n; }
  size_t Requests() const { return requests_; }

 private:
  static int32_t Allocate(void* ctx, void** out, size_t size) {
    auto* self = static_cast<TestAllocator*>(ctx);
    if (self->requests_++ >= self->failFrom_) return 1234;
    self->blocks_.emplace_back(static_cast<char*>(std::malloc(size)));
    *out = self->blocks_.back().get();
    return 0;
  }
  struct Free {
    void operator()(char* p) const { std::free(p); }
  };
  std::vector<std::unique_ptr<char, Free>> blocks_;
  size_t requests_ = 0;
  size_t failFrom_ = SIZE_MAX;
};

inline std::vector<std::pair<std::wstring, std::wstring>> Pairs(const SDMKeyValueList* list) {
  return ReadSDMPairs(list, SIZE_MAX);
}
