#include <cstring>

#include "drawing/lice_draw.h"
#include "drawing/lice_internal.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define LICE_HAVE_SSE2 1
#endif

using lice_detail::Rows;

namespace {

// ---------------------------------------------------------------------------------------------
// Row operations of the blit. Each walks n pixels of one destination and one source row.

void RowCopy(LICE_pixel* d, const LICE_pixel* s, int n, int) { memcpy(d, s, (size_t)n * 4); }

#ifdef LICE_HAVE_SSE2
inline __m128i Half4(__m128i v) { return _mm_and_si128(_mm_srli_epi32(v, 1), _mm_set1_epi32(0x7F7F7F7F)); }
inline __m128i Quarter4(__m128i v) { return _mm_and_si128(_mm_srli_epi32(v, 2), _mm_set1_epi32(0x3F3F3F3F)); }
#endif

void RowHalf(LICE_pixel* d, const LICE_pixel* s, int n, int) {
  int i = 0;
#ifdef LICE_HAVE_SSE2
  for (; i + 4 <= n; i += 4) {
    const __m128i D = _mm_loadu_si128((const __m128i*)(d + i));
    const __m128i S = _mm_loadu_si128((const __m128i*)(s + i));
    _mm_storeu_si128((__m128i*)(d + i), _mm_add_epi32(Half4(D), Half4(S)));
  }
#endif
  for (; i < n; ++i) d[i] = LICE_Half(d[i]) + LICE_Half(s[i]);
}

#ifdef LICE_HAVE_SSE2
// s + (d - s) * k / 256 truncated toward zero, on 16-bit lanes holding channels 0..255 and
// k 0..256: |d - s| * k fits 16 bits unsigned, and the sign is put back afterwards.
inline __m128i BlendLanes(__m128i d, __m128i s, __m128i k) {
  const __m128i neg = _mm_cmpgt_epi16(s, d);
  const __m128i diff = _mm_sub_epi16(_mm_max_epi16(d, s), _mm_min_epi16(d, s));
  __m128i q = _mm_srli_epi16(_mm_mullo_epi16(diff, k), 8);
  q = _mm_sub_epi16(_mm_xor_si128(q, neg), neg);
  return _mm_add_epi16(s, q);
}

// The alpha lane of each pixel copied to its four lanes.
inline __m128i SpreadAlpha(__m128i v) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0xFF), 0xFF);
}
#endif

// Mode 0 at a weight 0 < w < 256.
void RowBlend(LICE_pixel* d, const LICE_pixel* s, int n, int w) {
  int i = 0;
#ifdef LICE_HAVE_SSE2
  const __m128i zero = _mm_setzero_si128();
  const __m128i k = _mm_set1_epi16((short)(256 - w));
  for (; i + 4 <= n; i += 4) {
    const __m128i D = _mm_loadu_si128((const __m128i*)(d + i));
    const __m128i S = _mm_loadu_si128((const __m128i*)(s + i));
    const __m128i lo = BlendLanes(_mm_unpacklo_epi8(D, zero), _mm_unpacklo_epi8(S, zero), k);
    const __m128i hi = BlendLanes(_mm_unpackhi_epi8(D, zero), _mm_unpackhi_epi8(S, zero), k);
    _mm_storeu_si128((__m128i*)(d + i), _mm_packus_epi16(lo, hi));
  }
#endif
  for (; i < n; ++i) {
    const LICE_pixel p = s[i];
    LICE_CombineBlend(d + i, LICE_GETR(p), LICE_GETG(p), LICE_GETB(p), LICE_GETA(p), w);
  }
}

// Mode 0 at any other weight (w > 256): the generic copy combiner.
void RowBlendAny(LICE_pixel* d, const LICE_pixel* s, int n, int w) {
  for (int i = 0; i < n; ++i) {
    const LICE_pixel p = s[i];
    LICE_CombineBlend(d + i, LICE_GETR(p), LICE_GETG(p), LICE_GETB(p), LICE_GETA(p), w);
  }
}

// Source-alpha copy, weight below 256: P = w * (sA + 1) / 256; dA = min(dA + P, 255);
// colour channels d = s + (d - s) * (256 - P) / 256. Pixels with sA = 0 are left alone.
inline void SrcAlphaPixel(LICE_pixel* dp, LICE_pixel s, int w) {
  const int sa = LICE_GETA(s);
  if (sa == 0) return;
  const LICE_pixel d = *dp;
  const int P = w * (sa + 1) / 256;
  const int da = LICE_GETA(d) + P;
  const int k = 256 - P;
  *dp = LICE_RGBA(LICE_GETR(s) + (LICE_GETR(d) - LICE_GETR(s)) * k / 256,
                  LICE_GETG(s) + (LICE_GETG(d) - LICE_GETG(s)) * k / 256,
                  LICE_GETB(s) + (LICE_GETB(d) - LICE_GETB(s)) * k / 256, da > 255 ? 255 : da);
}

void RowSrcAlphaFull(LICE_pixel* d, const LICE_pixel* s, int n, int) {
  int i = 0;
#ifdef LICE_HAVE_SSE2
  const __m128i zero = _mm_setzero_si128();
  const __m128i c255 = _mm_set1_epi16(255);
  const __m128i alphaLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
  const __m128i ff = _mm_set1_epi32(255);
  for (; i + 4 <= n; i += 4) {
    const __m128i S = _mm_loadu_si128((const __m128i*)(s + i));
    const __m128i A = _mm_srli_epi32(S, 24);
    const int none = _mm_movemask_epi8(_mm_cmpeq_epi32(A, zero));
    if (none == 0xFFFF) continue;  // four transparent pixels
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(A, ff)) == 0xFFFF) {
      _mm_storeu_si128((__m128i*)(d + i), S);  // four opaque pixels
      continue;
    }
    const __m128i D = _mm_loadu_si128((const __m128i*)(d + i));
    __m128i out[2];
    for (int half = 0; half < 2; ++half) {
      const __m128i dl = half ? _mm_unpackhi_epi8(D, zero) : _mm_unpacklo_epi8(D, zero);
      const __m128i sl = half ? _mm_unpackhi_epi8(S, zero) : _mm_unpacklo_epi8(S, zero);
      const __m128i a = SpreadAlpha(sl);
      const __m128i colour = BlendLanes(dl, sl, _mm_sub_epi16(c255, a));
      const __m128i alpha = _mm_min_epi16(_mm_add_epi16(dl, a), c255);
      const __m128i mixed = _mm_or_si128(_mm_andnot_si128(alphaLanes, colour), _mm_and_si128(alphaLanes, alpha));
      const __m128i keep = _mm_cmpeq_epi16(a, zero);  // sA = 0 leaves the pixel alone
      out[half] = _mm_or_si128(_mm_and_si128(keep, dl), _mm_andnot_si128(keep, mixed));
    }
    _mm_storeu_si128((__m128i*)(d + i), _mm_packus_epi16(out[0], out[1]));
  }
#endif
  for (; i < n; ++i) {
    const LICE_pixel p = s[i];
    LICE_CombineCopySrcAlpha(d + i, LICE_GETR(p), LICE_GETG(p), LICE_GETB(p), LICE_GETA(p));
  }
}

// Source-alpha copy at 0 < w < 256: P stays within 0..255, so the lanes cannot overflow.
void RowSrcAlphaWeighted(LICE_pixel* d, const LICE_pixel* s, int n, int w) {
  int i = 0;
#ifdef LICE_HAVE_SSE2
  const __m128i zero = _mm_setzero_si128();
  const __m128i c255 = _mm_set1_epi16(255);
  const __m128i c256 = _mm_set1_epi16(256);
  const __m128i one = _mm_set1_epi16(1);
  const __m128i wv = _mm_set1_epi16((short)w);
  const __m128i alphaLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
  for (; i + 4 <= n; i += 4) {
    const __m128i S = _mm_loadu_si128((const __m128i*)(s + i));
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_srli_epi32(S, 24), zero)) == 0xFFFF) continue;
    const __m128i D = _mm_loadu_si128((const __m128i*)(d + i));
    __m128i out[2];
    for (int half = 0; half < 2; ++half) {
      const __m128i dl = half ? _mm_unpackhi_epi8(D, zero) : _mm_unpacklo_epi8(D, zero);
      const __m128i sl = half ? _mm_unpackhi_epi8(S, zero) : _mm_unpacklo_epi8(S, zero);
      // P = w * (a + 1) / 256; at most 255 * 256, which fits 16 bits unsigned.
      const __m128i P = _mm_srli_epi16(_mm_mullo_epi16(wv, _mm_add_epi16(SpreadAlpha(sl), one)), 8);
      const __m128i colour = BlendLanes(dl, sl, _mm_sub_epi16(c256, P));
      const __m128i alpha = _mm_min_epi16(_mm_add_epi16(dl, P), c255);
      out[half] = _mm_or_si128(_mm_andnot_si128(alphaLanes, colour), _mm_and_si128(alphaLanes, alpha));
    }
    _mm_storeu_si128((__m128i*)(d + i), _mm_packus_epi16(out[0], out[1]));
  }
#endif
  for (; i < n; ++i) SrcAlphaPixel(d + i, s[i], w);
}

void RowSrcAlphaAny(LICE_pixel* d, const LICE_pixel* s, int n, int w) {
  for (int i = 0; i < n; ++i) SrcAlphaPixel(d + i, s[i], w);
}

// Generic modes: one combiner per pixel, chosen once per call.
template <void (*Combine)(LICE_pixel*, int, int, int, int, int)>
void RowCombine(LICE_pixel* d, const LICE_pixel* s, int n, int w) {
  for (int i = 0; i < n; ++i) {
    const LICE_pixel p = s[i];
    Combine(d + i, LICE_GETR(p), LICE_GETG(p), LICE_GETB(p), LICE_GETA(p), w);
  }
}

// The same with the weight scaled by the source alpha: w * (sA + 1) / 256.
template <void (*Combine)(LICE_pixel*, int, int, int, int, int)>
void RowCombineScaled(LICE_pixel* d, const LICE_pixel* s, int n, int w) {
  for (int i = 0; i < n; ++i) {
    const LICE_pixel p = s[i];
    const int a = LICE_GETA(p);
    Combine(d + i, LICE_GETR(p), LICE_GETG(p), LICE_GETB(p), a, w * (a + 1) / 256);
  }
}

// Add using the source alpha: N = w * (sA + 1) / 256, each channel d + N * s / 256 clamped
// (alpha: d + sA * N / 256).
void RowAddSrcAlpha(LICE_pixel* d, const LICE_pixel* s, int n, int w) {
  for (int i = 0; i < n; ++i) {
    const LICE_pixel p = s[i];
    const int sa = LICE_GETA(p);
    if (sa == 0) continue;
    const int N = w * (sa + 1) / 256;
    const LICE_pixel q = d[i];
    LICE_StoreClamped(d + i, LICE_GETR(q) + N * LICE_GETR(p) / 256, LICE_GETG(q) + N * LICE_GETG(p) / 256,
                      LICE_GETB(q) + N * LICE_GETB(p) / 256, LICE_GETA(q) + sa * N / 256);
  }
}

typedef void (*BlitRowFn)(LICE_pixel*, const LICE_pixel*, int, int);

BlitRowFn PickBlitRow(int mode, float alpha, int* weight) {
  const int m = mode & (LICE_BLIT_MODE_MASK | LICE_BLIT_USE_ALPHA);
  if (m == LICE_BLIT_MODE_COPY && alpha == 1.0f) return RowCopy;
  if (m == LICE_BLIT_MODE_COPY && alpha == 0.5f) return RowHalf;

  const int w = LICE_WeightFromAlpha(alpha);
  *weight = w;
  if (w == 0) return nullptr;
  switch (m) {
    case LICE_BLIT_MODE_COPY:
      if (w < 0) return nullptr;
      if (w == 256) return RowCopy;
      return w < 256 ? RowBlend : RowBlendAny;
    case LICE_BLIT_MODE_ADD: return RowCombine<LICE_CombineAdd>;
    case LICE_BLIT_MODE_DODGE: return RowCombine<LICE_CombineDodge>;
    case LICE_BLIT_MODE_MUL: return RowCombine<LICE_CombineMultiply>;
    case LICE_BLIT_MODE_OVERLAY: return RowCombine<LICE_CombineOverlay>;
    case LICE_BLIT_MODE_HSVADJ: return RowCombine<LICE_CombineHSVAdjust>;
    case LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_COPY:
      if (w == 256) return RowSrcAlphaFull;
      return (w > 0 && w < 256) ? RowSrcAlphaWeighted : RowSrcAlphaAny;
    case LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_ADD: return RowAddSrcAlpha;
    case LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_DODGE: return RowCombine<LICE_CombineDodgeSrcAlpha>;
    case LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_MUL: return RowCombine<LICE_CombineMultiplySrcAlpha>;
    case LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_OVERLAY: return RowCombineScaled<LICE_CombineOverlay>;
    case LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_HSVADJ: return RowCombineScaled<LICE_CombineHSVAdjust>;
    default: return nullptr;
  }
}

}  // namespace

void LICE_BlitRect(LICE_IBitmap* dest, LICE_IBitmap* src, int x, int y, const LICE_Rect* srcrect,
                   float alpha, int mode) {
  if (!dest || !src || alpha == 0.0f) return;

  // All clip arithmetic in 64 bits: no coordinate near the int limits can wrap.
  const long long sw = src->GetWidth(), sh = src->GetHeight();
  long long l = 0, t = 0, r = sw, b = sh;
  if (srcrect) {
    l = srcrect->left;
    t = srcrect->top;
    r = lice_detail::Min64(srcrect->right, sw);
    b = lice_detail::Min64(srcrect->bottom, sh);
  }
  long long X = x, Y = y;
  if (l < 0) {
    X -= l;
    l = 0;
  }
  if (t < 0) {
    Y -= t;
    t = 0;
  }
  if (X < 0) {
    l -= X;
    X = 0;
  }
  if (Y < 0) {
    t -= Y;
    Y = 0;
  }
  const long long dw = dest->GetWidth(), dh = dest->GetHeight();
  if (r <= l || b <= t || X >= dw || Y >= dh) return;
  r = lice_detail::Min64(r, l + dw - X);
  b = lice_detail::Min64(b, t + dh - Y);
  if (r <= l || b <= t) return;

  Rows drows, srows;
  if (!lice_detail::GetRows(dest, &drows) || !lice_detail::GetRows(src, &srows)) return;

  const int n = (int)(r - l);
  const int rows = (int)(b - t);
  const int dx = (int)X, dy = (int)Y, sx = (int)l, sy = (int)t;

  if ((mode & LICE_BLIT_MODE_MASK) >= LICE_BLIT_MODE_CHANCOPY) {
    const int dshift = ((mode >> 2) & 3) * 8;
    const int sshift = (mode & 3) * 8;
    const LICE_pixel keep = ~((LICE_pixel)0xFF << dshift);
    for (int row = 0; row < rows; ++row) {
      LICE_pixel* dp = drows.At(dx, dy + row);
      const LICE_pixel* sp = srows.At(sx, sy + row);
      for (int i = 0; i < n; ++i) dp[i] = (dp[i] & keep) | (((sp[i] >> sshift) & 0xFF) << dshift);
    }
    return;
  }

  int w = 256;
  const BlitRowFn fn = PickBlitRow(mode, alpha, &w);
  if (!fn) return;
  for (int row = 0; row < rows; ++row) fn(drows.At(dx, dy + row), srows.At(sx, sy + row), n, w);
}

// ---------------------------------------------------------------------------------------------
// Fills

namespace {

// The colour's channels are the source; the weight itself stands in for the source alpha.
template <void (*Combine)(LICE_pixel*, int, int, int, int, int)>
void FillCombine(const Rows& rows, int x, int y, int w, int h, LICE_pixel c, int wt) {
  const int r = LICE_GETR(c), g = LICE_GETG(c), b = LICE_GETB(c);
  for (int j = 0; j < h; ++j) {
    LICE_pixel* p = rows.At(x, y + j);
    for (int i = 0; i < w; ++i) Combine(p + i, r, g, b, wt, wt);
  }
}

void FillBlendCombine(LICE_pixel* p, int r, int g, int b, int a, int w) {
  LICE_CombineBlend(p, r, g, b, a, w);
}

// Multiply: colour channels d * (w * s + (256 - w) * 256) >> 16, alpha d * ((256 - w) * 256 + w * w) >> 16.
void FillMultiplyCombine(LICE_pixel* p, int r, int g, int b, int a, int w) {
  const LICE_pixel d = *p;
  const int inv = (256 - w) * 256;
  *p = LICE_RGBA(LICE_GETR(d) * (w * r + inv) >> 16, LICE_GETG(d) * (w * g + inv) >> 16,
                 LICE_GETB(d) * (w * b + inv) >> 16, LICE_GETA(d) * (inv + w * a) >> 16);
}

// Word-wide fills: d = part + (Half(d) if withHalf) + (Quarter(d) if withQuarter), where part
// is the colour's share; a plain store when neither share of d is kept.
void FillWords(const Rows& rows, int x, int y, int w, int h, LICE_pixel part, bool withHalf, bool withQuarter) {
  for (int j = 0; j < h; ++j) {
    LICE_pixel* p = rows.At(x, y + j);
    int i = 0;
#ifdef LICE_HAVE_SSE2
    const __m128i c = _mm_set1_epi32((int)part);
    for (; i + 4 <= w; i += 4) {
      __m128i v = c;
      if (withHalf || withQuarter) {
        const __m128i d = _mm_loadu_si128((const __m128i*)(p + i));
        if (withHalf) v = _mm_add_epi32(v, Half4(d));
        if (withQuarter) v = _mm_add_epi32(v, Quarter4(d));
      }
      _mm_storeu_si128((__m128i*)(p + i), v);
    }
#endif
    for (; i < w; ++i) {
      const LICE_pixel d = p[i];
      p[i] = part + (withHalf ? LICE_Half(d) : 0) + (withQuarter ? LICE_Quarter(d) : 0);
    }
  }
}

}  // namespace

void LICE_FillRectangle(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel color,
                        float alpha, int mode) {
  if (!dest) return;
  if (mode & LICE_BLIT_USE_ALPHA) alpha *= (float)LICE_GETA(color) / 255.0f;
  Rows rows;
  if (alpha == 0.0f || !lice_detail::GetRows(dest, &rows)) return;

  long long X = x, Y = y, W = w, H = h;
  if (X < 0) {
    W += X;
    X = 0;
  }
  if (Y < 0) {
    H += Y;
    Y = 0;
  }
  if (W < 1 || H < 1 || X >= rows.width || Y >= rows.height) return;
  W = lice_detail::Min64(W, rows.width - X);
  H = lice_detail::Min64(H, rows.height - Y);
  const int fx = (int)X, fy = (int)Y, fw = (int)W, fh = (int)H;

  const int wt = LICE_WeightFromAlpha(alpha);
  const LICE_pixel c = color;
  switch (mode & LICE_BLIT_MODE_MASK) {
    case LICE_BLIT_MODE_COPY:
      if (wt == 256) {
        FillWords(rows, fx, fy, fw, fh, c, false, false);
      } else if (wt == 128) {
        FillWords(rows, fx, fy, fw, fh, LICE_Half(c), true, false);
      } else if (wt == 64) {
        FillWords(rows, fx, fy, fw, fh, LICE_Quarter(c), true, true);
      } else if (wt == 192) {
        FillWords(rows, fx, fy, fw, fh, LICE_Quarter(c) + LICE_Half(c), false, true);
      } else if (wt >= 1) {
        FillCombine<FillBlendCombine>(rows, fx, fy, fw, fh, c, wt);
      }
      break;
    case LICE_BLIT_MODE_ADD:
      if (wt) FillCombine<LICE_CombineAdd>(rows, fx, fy, fw, fh, c, wt);
      break;
    case LICE_BLIT_MODE_DODGE:
      if (wt) FillCombine<LICE_CombineDodge>(rows, fx, fy, fw, fh, c, wt);
      break;
    case LICE_BLIT_MODE_MUL:
      if (wt) FillCombine<FillMultiplyCombine>(rows, fx, fy, fw, fh, c, wt);
      break;
    case LICE_BLIT_MODE_OVERLAY:
      if (wt) FillCombine<LICE_CombineOverlay>(rows, fx, fy, fw, fh, c, wt);
      break;
    case LICE_BLIT_MODE_HSVADJ:
      if (wt) FillCombine<LICE_CombineHSVAdjust>(rows, fx, fy, fw, fh, c, wt);
      break;
    default:
      break;
  }
}
