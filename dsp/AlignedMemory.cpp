#include "dsp/AlignedMemory.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace Corvane {

namespace {
constexpr std::align_val_t kAlignment{16};
}

double* AllocateAlignedDoubles(std::size_t count) {
  if (count == 0 || count > SIZE_MAX / sizeof(double)) {
    return nullptr;
  }
  void* p = ::operator new(count * sizeof(double), kAlignment, std::nothrow);
  if (p) {
    std::memset(p, 0, count * sizeof(double));
  }
  return static_cast<double*>(p);
}

void FreeAlignedDoubles(double* p) {
  if (p) {
    ::operator delete(p, kAlignment);
  }
}

bool AlignedDoubles::Reserve(std::size_t count) {
  if (count <= mCapacity) {
    return true;
  }
  double* p = AllocateAlignedDoubles(count);
  if (!p) {
    return false;
  }
  FreeAlignedDoubles(mData);
  mData = p;
  mCapacity = count;
  return true;
}

}  // namespace Corvane
