// Small helpers for the drawing tests.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "drawing/lice_bitmap.h"

namespace drawtest {

inline LICE_pixel Get(LICE_IBitmap* bm, int x, int y) { return bm->GetBits()[(size_t)y * bm->GetRowSpan() + x]; }
inline void Set(LICE_IBitmap* bm, int x, int y, LICE_pixel p) { bm->GetBits()[(size_t)y * bm->GetRowSpan() + x] = p; }

inline void FillAll(LICE_IBitmap* bm, LICE_pixel p) {
  for (int y = 0; y < bm->GetHeight(); ++y)
    for (int x = 0; x < bm->GetWidth(); ++x) Set(bm, x, y, p);
}

inline std::unique_ptr<LICE_MemBitmap> Make(int w, int h, LICE_pixel p) {
  std::unique_ptr<LICE_MemBitmap> bm(new LICE_MemBitmap(w, h));
  FillAll(bm.get(), p);
  return bm;
}

// The bitmap's pixels, row by row, without the row padding.
inline std::vector<LICE_pixel> Pixels(LICE_IBitmap* bm) {
  std::vector<LICE_pixel> v;
  for (int y = 0; y < bm->GetHeight(); ++y)
    for (int x = 0; x < bm->GetWidth(); ++x) v.push_back(Get(bm, x, y));
  return v;
}

inline void Load(LICE_IBitmap* bm, const std::vector<LICE_pixel>& v) {
  size_t i = 0;
  for (int y = 0; y < bm->GetHeight(); ++y)
    for (int x = 0; x < bm->GetWidth(); ++x) Set(bm, x, y, v[i++]);
}

// A bitmap over a caller's buffer with any geometry: for flipped rows, row spans wider than the
// width, and broken bitmaps (no pixels, no row span) that drawing must leave alone.
class ViewBitmap : public LICE_IBitmap {
 public:
  ViewBitmap(LICE_pixel* bits, int w, int h, int span, bool flipped = false)
      : m_bits(bits), m_w(w), m_h(h), m_span(span), m_flipped(flipped) {}
  LICE_pixel* GetBits() override { return m_bits; }
  int GetWidth() override { return m_w; }
  int GetHeight() override { return m_h; }
  int GetRowSpan() override { return m_span; }
  bool IsFlipped() override { return m_flipped; }
  bool Resize(int, int) override { return false; }

 private:
  LICE_pixel* m_bits;
  int m_w, m_h, m_span;
  bool m_flipped;
};

// Deterministic pseudo-random numbers (the tests must not depend on the platform's rand).
class Rng {
 public:
  explicit Rng(uint32_t seed) : m_s(seed * 2654435761u + 1) {}
  uint32_t Next() {
    m_s ^= m_s << 13;
    m_s ^= m_s >> 17;
    m_s ^= m_s << 5;
    return m_s;
  }
  int Range(int lo, int hi) { return lo + (int)(Next() % (uint32_t)(hi - lo + 1)); }

 private:
  uint32_t m_s;
};

}  // namespace drawtest
