#pragma once
// Replacement global allocation functions for the real-time tests: they count every
// allocation and can be told to fail.
#include <atomic>

namespace AllocationHooks {

extern std::atomic<long> gAllocations;
extern std::atomic<bool> gFailAll;

// Allocations made while the object lives.
class Count {
 public:
  Count() : mStart(gAllocations.load()) {}
  long Made() const { return gAllocations.load() - mStart; }

 private:
  long mStart;
};

// Every allocation fails while the object lives.
class Refuse {
 public:
  Refuse() { gFailAll = true; }
  ~Refuse() { gFailAll = false; }
};

}  // namespace AllocationHooks
