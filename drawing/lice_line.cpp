#include <cmath>

#include "drawing/lice_draw.h"
#include "drawing/lice_internal.h"

using lice_detail::Rows;

namespace {

int OutCode(int x, int y, int w, int h) {
  int c = 0;
  if (x < 0)
    c |= 1;
  else if (x >= w)
    c |= 2;
  if (y < 0)
    c |= 4;
  else if (y >= h)
    c |= 8;
  return c;
}

// A clipped coordinate computed in double precision, held inside int.
int ToInt(double v) {
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return (int)v;
}

// ---------------------------------------------------------------------------------------------
// Per-pixel operations of the line modes; each takes the pixel and a weight.

struct OpCopy {
  LICE_pixel c;
  void operator()(LICE_pixel* p, int) const { *p = c; }
};

struct OpHalf {  // each channel becomes (colour channel + channel) >> 1
  LICE_pixel c;
  void operator()(LICE_pixel* p, int) const {
    const LICE_pixel d = *p;
    *p = LICE_RGBA((LICE_GETR(c) + LICE_GETR(d)) >> 1, (LICE_GETG(c) + LICE_GETG(d)) >> 1,
                   (LICE_GETB(c) + LICE_GETB(d)) >> 1, (LICE_GETA(c) + LICE_GETA(d)) >> 1);
  }
};

template <void (*Combine)(LICE_pixel*, int, int, int, int, int)>
struct OpCombine {
  int r, g, b, a;
  explicit OpCombine(LICE_pixel c) : r(LICE_GETR(c)), g(LICE_GETG(c)), b(LICE_GETB(c)), a(LICE_GETA(c)) {}
  void operator()(LICE_pixel* p, int w) const { Combine(p, r, g, b, a, w); }
};

typedef OpCombine<LICE_CombineBlend> OpBlend;
typedef OpCombine<LICE_CombineAdd> OpAdd;
typedef OpCombine<LICE_CombineDodge> OpDodge;
typedef OpCombine<LICE_CombineMultiply> OpMultiply;
typedef OpCombine<LICE_CombineOverlay> OpOverlay;
typedef OpCombine<LICE_CombineHSVAdjust> OpHSV;

// The per-pixel operation of a mode at a fixed weight, as horizontal, vertical and plain
// diagonal lines use it; mode 0 picks copy, half or blend by the weight.
template <class Visit>
void WithPixelOp(int mode, int w, LICE_pixel c, Visit visit) {
  switch (mode) {
    case LICE_BLIT_MODE_COPY:
      if (w == 256)
        visit(OpCopy{c});
      else if (w == 128)
        visit(OpHalf{c});
      else if (w >= 1)
        visit(OpBlend(c));
      break;
    case LICE_BLIT_MODE_ADD: visit(OpAdd(c)); break;
    case LICE_BLIT_MODE_DODGE: visit(OpDodge(c)); break;
    case LICE_BLIT_MODE_MUL: visit(OpMultiply(c)); break;
    case LICE_BLIT_MODE_OVERLAY: visit(OpOverlay(c)); break;
    case LICE_BLIT_MODE_HSVADJ: visit(OpHSV(c)); break;
    default: break;
  }
}

// ---------------------------------------------------------------------------------------------
// Span walking: two cursors start at the two ends and meet in the middle, mirroring each
// other's steps, so a segment covers the same pixels whichever end it starts from.

template <class Op>
void SpanPlain(LICE_pixel* p1, LICE_pixel* p2, int s, ptrdiff_t major, int n, ptrdiff_t minor, int w,
               const Op& op) {
  const int m = (n + 1) / 2;
  int e = 0;
  for (int i = 0; i < m; ++i) {
    op(p1, w);
    op(p2, w);
    e += s;
    if (e >= 0x8000) {
      p1 += minor;
      p2 -= minor;
      e -= 0x10000;
    }
    p1 += major;
    p2 -= major;
  }
  if (!(n & 1)) op(p1, w);
}

template <class Op>
void SpanAntialiased(LICE_pixel* p1, LICE_pixel* p2, int s, ptrdiff_t major, int n, ptrdiff_t minor,
                     int w, const Op& op) {
  const int m = (n + 1) / 2;
  op(p1, w);
  op(p2, w);
  p1 += major;
  p2 -= major;
  int acc = s;
  auto nearWeight = [w](int f) { return w == 256 ? 255 - f : (255 - f) * w >> 8; };
  auto farWeight = [w](int f) { return w == 256 ? f : f * w >> 8; };
  for (int i = 0; i < m - 1; ++i) {
    const int f = acc >> 8;
    op(p1, nearWeight(f));
    op(p1 + minor, farWeight(f));
    op(p2, nearWeight(f));
    op(p2 - minor, farWeight(f));
    acc += s;
    if (acc >= 0x10000) {
      p1 += minor;
      p2 -= minor;
      acc -= 0x10000;
    }
    p1 += major;
    p2 -= major;
  }
  if (!(n & 1)) {
    const int f = acc >> 8;
    op(p1, nearWeight(f));
    op(p1 + minor, f * w >> 8);
  }
}

template <class Op>
void Span(LICE_pixel* p1, LICE_pixel* p2, int s, ptrdiff_t major, int n, ptrdiff_t minor, int w, bool aa,
          const Op& op) {
  if (aa)
    SpanAntialiased(p1, p2, s, major, n, minor, w, op);
  else
    SpanPlain(p1, p2, s, major, n, minor, w, op);
}

// The span routines: one per-pixel operation each, all on the walk above.
typedef void (*SpanRoutine)(LICE_pixel* p1, LICE_pixel* p2, int s, ptrdiff_t major, int n, ptrdiff_t minor,
                            LICE_pixel color, int w, bool aa);

void LICE_LineSpanCopy(LICE_pixel* p1, LICE_pixel* p2, int s, ptrdiff_t major, int n, ptrdiff_t minor,
                       LICE_pixel color, int w, bool aa) {
  Span(p1, p2, s, major, n, minor, w, aa, OpCopy{color});
}
void LICE_LineSpanHalf(LICE_pixel* p1, LICE_pixel* p2, int s, ptrdiff_t major, int n, ptrdiff_t minor,
                       LICE_pixel color, int w, bool aa) {
  Span(p1, p2, s, major, n, minor, w, aa, OpHalf{color});
}
template <class Op>
void LICE_LineSpanCombine(LICE_pixel* p1, LICE_pixel* p2, int s, ptrdiff_t major, int n, ptrdiff_t minor,
                          LICE_pixel color, int w, bool aa) {
  Span(p1, p2, s, major, n, minor, w, aa, Op(color));
}
const SpanRoutine LICE_LineSpanBlend = LICE_LineSpanCombine<OpBlend>;
const SpanRoutine LICE_LineSpanAdd = LICE_LineSpanCombine<OpAdd>;
const SpanRoutine LICE_LineSpanDodge = LICE_LineSpanCombine<OpDodge>;
const SpanRoutine LICE_LineSpanMultiply = LICE_LineSpanCombine<OpMultiply>;
const SpanRoutine LICE_LineSpanOverlay = LICE_LineSpanCombine<OpOverlay>;
const SpanRoutine LICE_LineSpanHSV = LICE_LineSpanCombine<OpHSV>;

SpanRoutine PickSpanRoutine(int mode, int w, bool aa) {
  switch (mode) {
    case LICE_BLIT_MODE_COPY:
      if (!aa && w == 256) return LICE_LineSpanCopy;
      if (!aa && w == 128) return LICE_LineSpanHalf;
      return w >= 1 ? LICE_LineSpanBlend : nullptr;
    case LICE_BLIT_MODE_ADD: return LICE_LineSpanAdd;
    case LICE_BLIT_MODE_DODGE: return LICE_LineSpanDodge;
    case LICE_BLIT_MODE_MUL: return LICE_LineSpanMultiply;
    case LICE_BLIT_MODE_OVERLAY: return LICE_LineSpanOverlay;
    case LICE_BLIT_MODE_HSVADJ: return LICE_LineSpanHSV;
    default: return nullptr;
  }
}

// Antialiased diagonal: each main pixel at 3/4, its neighbours one step ahead in x only and in
// y only at 1/4; the last pixel at 3/4 alone.
template <class MainOp, class SideOp>
void DiagonalAA(LICE_pixel* p, ptrdiff_t sx, ptrdiff_t sy, int k, const MainOp& mainOp, const SideOp& sideOp) {
  for (int i = 0; i < k; ++i) {
    mainOp(p);
    sideOp(p + sx);
    sideOp(p + sy);
    p += sx + sy;
  }
  mainOp(p);
}

// Mode 0 at other weights: main pixels d = c + (d - c) * (256 - w * 3 / 4) / 256, neighbours
// d = c + (d - c) * (256 - w / 4) / 256, all four channels.
void LICE_DiagonalAABlend(LICE_pixel* p, ptrdiff_t sx, ptrdiff_t sy, int k, LICE_pixel c, int w) {
  const OpBlend op(c);
  const int wMain = w * 3 / 4, wSide = w / 4;
  DiagonalAA(p, sx, sy, k, [&](LICE_pixel* q) { op(q, wMain); }, [&](LICE_pixel* q) { op(q, wSide); });
}

// Mode 3: main pixels d = (d * (c * W + (256 - W) * 256)) >> 16 with W = w * 3 / 4, neighbours
// d = (d * ((c - 256) * w / 4 + 65536)) >> 16, all four channels.
void LICE_DiagonalAAMultiply(LICE_pixel* p, ptrdiff_t sx, ptrdiff_t sy, int k, LICE_pixel c, int w) {
  const int wMain = w * 3 / 4;
  int mainFactor[4], sideFactor[4];
  for (int i = 0; i < 4; ++i) {
    const int ch = (int)((c >> (8 * i)) & 0xFF);
    mainFactor[i] = ch * wMain + (256 - wMain) * 256;
    sideFactor[i] = (ch - 256) * w / 4 + 65536;
  }
  auto apply = [](LICE_pixel* q, const int* factor) {
    LICE_pixel out = 0;
    for (int i = 0; i < 4; ++i) {
      const int d = (int)((*q >> (8 * i)) & 0xFF);
      out |= (LICE_pixel)((d * factor[i] >> 16) & 0xFF) << (8 * i);
    }
    *q = out;
  };
  DiagonalAA(p, sx, sy, k, [&](LICE_pixel* q) { apply(q, mainFactor); }, [&](LICE_pixel* q) { apply(q, sideFactor); });
}

void DrawDiagonal(const Rows& rows, int x1, int y1, int x2, int y2, LICE_pixel c, float alpha, int mode, int w,
                  bool aa) {
  const int k = x2 > x1 ? x2 - x1 : x1 - x2;
  const ptrdiff_t sx = x2 > x1 ? 1 : -1;
  const ptrdiff_t sy = y2 > y1 ? rows.step : -rows.step;
  LICE_pixel* p = rows.At(x1, y1);

  if (!aa) {
    WithPixelOp(mode, w, c, [&](const auto& op) {
      for (int i = 0; i <= k; ++i) op(p + (sx + sy) * i, w);
    });
    return;
  }
  if (mode == LICE_BLIT_MODE_COPY && alpha == 1.0f) {
    const LICE_pixel mainPart = LICE_Half(c) + LICE_Quarter(c);
    const LICE_pixel sidePart = LICE_Quarter(c);
    DiagonalAA(p, sx, sy, k, [=](LICE_pixel* q) { *q = mainPart + LICE_Quarter(*q); },
               [=](LICE_pixel* q) { *q = sidePart + LICE_Quarter(*q) + LICE_Half(*q); });
    return;
  }
  if (w == 0) return;
  switch (mode) {
    case LICE_BLIT_MODE_COPY:
      if (w > 0) LICE_DiagonalAABlend(p, sx, sy, k, c, w);
      return;
    case LICE_BLIT_MODE_MUL:
      LICE_DiagonalAAMultiply(p, sx, sy, k, c, w);
      return;
    default:
      WithPixelOp(mode, w, c, [&](const auto& op) {
        DiagonalAA(p, sx, sy, k, [&](LICE_pixel* q) { op(q, w * 3 / 4); }, [&](LICE_pixel* q) { op(q, w / 4); });
      });
      return;
  }
}

void DrawStraight(const Rows& rows, int x1, int y1, int x2, int y2, LICE_pixel c, float alpha, int mode, int w) {
  LICE_pixel* p;
  ptrdiff_t step;
  int count;
  if (y1 == y2) {
    p = rows.At(x1 < x2 ? x1 : x2, y1);
    step = 1;
    count = (x1 < x2 ? x2 - x1 : x1 - x2) + 1;
  } else {
    p = rows.At(x1, y1 < y2 ? y1 : y2);
    step = rows.step;
    count = (y1 < y2 ? y2 - y1 : y1 - y2) + 1;
  }
  auto each = [&](auto fn) {
    for (int i = 0; i < count; ++i, p += step) fn(p);
  };
  if (mode == LICE_BLIT_MODE_COPY) {
    if (alpha == 1.0f) return each([c](LICE_pixel* q) { *q = c; });
    if (alpha == 0.5f) return each([hc = LICE_Half(c)](LICE_pixel* q) { *q = hc + LICE_Half(*q); });
    if (alpha == 0.25f)
      return each([qc = LICE_Quarter(c)](LICE_pixel* q) { *q = qc + LICE_Half(*q) + LICE_Quarter(*q); });
    if (alpha == 0.75f)
      return each([tc = LICE_Half(c) + LICE_Quarter(c)](LICE_pixel* q) { *q = tc + LICE_Quarter(*q); });
  }
  if (w == 0) return;
  WithPixelOp(mode, w, c, [&](const auto& op) { each([&](LICE_pixel* q) { op(q, w); }); });
}

}  // namespace

bool LICE_ClipLine(int* px1, int* py1, int* px2, int* py2, int width, int height) {
  int x1 = *px1, y1 = *py1, x2 = *px2, y2 = *py2;
  int c1 = OutCode(x1, y1, width, height);
  int c2 = OutCode(x2, y2, width, height);
  bool inside = true;
  // Each round puts one end onto an edge; a handful of rounds always settles a segment, the
  // bound only guards against truncation ping-pong.
  for (int round = 0; c1 | c2; ++round) {
    if ((c1 & c2) || round >= 32) {
      inside = false;
      break;
    }
    const int c = c1 ? c1 : c2;
    const double dx = (double)x2 - x1, dy = (double)y2 - y1;
    int x, y;
    if (c & 8) {
      x = ToInt(x1 + std::trunc(((double)height - y1) * dx / dy));
      y = height - 1;
    } else if (c & 4) {
      x = ToInt(x1 - std::trunc((double)y1 * dx / dy));
      y = 0;
    } else if (c & 2) {
      y = ToInt(y1 + std::trunc(((double)width - x1) * dy / dx));
      x = width - 1;
    } else {
      y = ToInt(y1 - std::trunc((double)x1 * dy / dx));
      x = 0;
    }
    if (c1) {
      x1 = x;
      y1 = y;
      c1 = OutCode(x1, y1, width, height);
    } else {
      x2 = x;
      y2 = y;
      c2 = OutCode(x2, y2, width, height);
    }
  }
  *px1 = x1;
  *py1 = y1;
  *px2 = x2;
  *py2 = y2;
  return inside;
}

void LICE_DrawLine(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, LICE_pixel color, float alpha, int mode,
                   bool antialias) {
  Rows rows;  // row y of the picture, whatever the bitmap's row order
  if (!lice_detail::GetRows(dest, &rows)) return;
  if (!LICE_ClipLine(&x1, &y1, &x2, &y2, rows.width, rows.height)) return;
  mode &= LICE_BLIT_MODE_MASK;
  if (mode > LICE_BLIT_MODE_HSVADJ) return;
  const int w = LICE_WeightFromAlpha(alpha);

  if (y1 == y2 || x1 == x2) return DrawStraight(rows, x1, y1, x2, y2, color, alpha, mode, w);

  const int adx = x2 > x1 ? x2 - x1 : x1 - x2;
  const int ady = y2 > y1 ? y2 - y1 : y1 - y2;
  if (adx == ady) return DrawDiagonal(rows, x1, y1, x2, y2, color, alpha, mode, w, antialias);
  if (w == 0) return;

  // The first end has the smaller major coordinate.
  const bool xMajor = adx > ady;
  if (xMajor ? x1 > x2 : y1 > y2) {
    int t = x1; x1 = x2; x2 = t;
    t = y1; y1 = y2; y2 = t;
  }
  const int n = xMajor ? adx : ady;
  const int s = (int)((double)(xMajor ? ady : adx) / (double)n * 65536.0);
  const ptrdiff_t major = xMajor ? 1 : rows.step;
  const ptrdiff_t minor = xMajor ? (y2 > y1 ? rows.step : -rows.step) : (x2 > x1 ? 1 : -1);
  LICE_pixel* p1 = rows.At(x1, y1);
  LICE_pixel* p2 = rows.At(x2, y2);

  if (SpanRoutine span = PickSpanRoutine(mode, w, antialias)) span(p1, p2, s, major, n, minor, color, w, antialias);
}
