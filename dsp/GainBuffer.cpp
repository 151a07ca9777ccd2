#include "dsp/GainBuffer.h"

#include "dsp/AlignedMemory.h"

namespace Corvane {

CircularBuffer::~CircularBuffer() {
  if (owned) {
    FreeAlignedDoubles(items);
  }
}

bool CircularBuffer::Resize(int n) {
  // A ring needs room for one item at least (very low sample rates ask for 0).
  if (n < 1) {
    n = 1;
  }
  if (n == length) {
    return true;
  }
  double* fresh = AllocateAlignedDoubles(static_cast<unsigned>(n));
  if (!fresh) {
    return false;
  }
  if (owned) {
    FreeAlignedDoubles(items);
  }
  items = fresh;
  length = n;
  position = 0;
  owned = true;
  return true;
}

}  // namespace Corvane
