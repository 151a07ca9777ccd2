#pragma once
// Gain histories: fixed-length rings of doubles, one value per audio frame, with a flag raised
// each time the write position returns to the start.

namespace Corvane {

class CircularBuffer {
 public:
  CircularBuffer() = default;
  virtual ~CircularBuffer();
  CircularBuffer(const CircularBuffer&) = delete;
  CircularBuffer& operator=(const CircularBuffer&) = delete;

  // n equal to length: nothing changes. Otherwise a zeroed ring of n items (at least one)
  // replaces the old one and the write position restarts at 0; wrapped is kept. Returns
  // false, with the buffer unchanged, when the memory cannot be had.
  bool Resize(int n);

  // Writes v at position and advances; returning to 0 calls OnWrap. A buffer that has never
  // been sized ignores the value.
  void Push(double v) {
    if (position < 0 || position >= length) {
      return;
    }
    items[position] = v;
    if (++position >= length) {
      position = 0;
      OnWrap();
    }
  }

  virtual void OnWrap() {}

  double* items = nullptr;  // 16-byte aligned
  int length = 0;
  int position = 0;
  bool owned = false;
  bool wrapped = false;
};

class GainBuffer : public CircularBuffer {
 public:
  // Sets wrapped; the user reads and clears it.
  void OnWrap() override { wrapped = true; }
};

}  // namespace Corvane
