// Helpers shared by the drawing routines (not part of the library's interface).
#pragma once

#include <cstddef>

#include "drawing/lice_bitmap.h"

namespace lice_detail {

// Row access that honours IsFlipped: row y of the picture is at first + y * step.
struct Rows {
  LICE_pixel* first;
  ptrdiff_t step;
  int width;
  int height;
  LICE_pixel* Row(int y) const { return first + step * y; }
  LICE_pixel* At(int x, int y) const { return first + step * y + x; }
};

// False when the bitmap has nothing to draw into: no pixels, no size, or a row span that does
// not cover its width.
inline bool GetRows(LICE_IBitmap* bm, Rows* out) {
  if (!bm) return false;
  LICE_pixel* bits = bm->GetBits();
  const int span = bm->GetRowSpan();
  const int w = bm->GetWidth();
  const int h = bm->GetHeight();
  if (!bits || w <= 0 || h <= 0 || span < w) return false;
  out->width = w;
  out->height = h;
  if (bm->IsFlipped()) {
    out->first = bits + (ptrdiff_t)(h - 1) * span;
    out->step = -(ptrdiff_t)span;
  } else {
    out->first = bits;
    out->step = span;
  }
  return true;
}

inline long long Min64(long long a, long long b) { return a < b ? a : b; }
inline long long Max64(long long a, long long b) { return a > b ? a : b; }

}  // namespace lice_detail
