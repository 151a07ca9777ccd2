#pragma once
// 16-byte aligned arrays of doubles for the engine's work buffers and histories. Allocation
// never throws: a failed allocation is reported to the caller, which keeps what it had.
#include <cstddef>

namespace Corvane {

// Zero-filled array of count doubles, 16-byte aligned; nullptr when it cannot be allocated.
double* AllocateAlignedDoubles(std::size_t count);
void FreeAlignedDoubles(double* p);

// A work buffer that only ever grows; growing is the one moment it allocates.
class AlignedDoubles {
 public:
  AlignedDoubles() = default;
  ~AlignedDoubles() { FreeAlignedDoubles(mData); }
  AlignedDoubles(const AlignedDoubles&) = delete;
  AlignedDoubles& operator=(const AlignedDoubles&) = delete;

  // Makes room for count doubles; false (old contents kept) when the memory is not there.
  bool Reserve(std::size_t count);
  double* Data() { return mData; }
  std::size_t Capacity() const { return mCapacity; }

 private:
  double* mData = nullptr;
  std::size_t mCapacity = 0;
};

}  // namespace Corvane
