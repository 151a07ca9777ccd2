// A plain per-pixel reference of the blit and fill arithmetic, written channel by channel from
// the formulas, with no word tricks and no fast paths. The property tests compare the library
// with it; the benchmark measures the library's fast paths against it.
#pragma once

#include <cstdint>
#include <vector>

#include "drawing/lice_bitmap.h"

namespace ref {

typedef uint32_t Pixel;

// Channels in processing order: blue, green, red, alpha.
struct Ch {
  int c[4];
};

inline Ch Split(Pixel p) {
  Ch ch;
  for (int i = 0; i < 4; ++i) ch.c[i] = (int)((p >> (8 * i)) & 0xFF);
  return ch;
}

// Keeps the low 8 bits of each value ("stored").
inline Pixel Join(const Ch& ch) {
  Pixel p = 0;
  for (int i = 0; i < 4; ++i) p |= (Pixel)(ch.c[i] & 0xFF) << (8 * i);
  return p;
}

inline int Clamp(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

inline Pixel JoinClamped(const Ch& ch) {
  Ch o;
  for (int i = 0; i < 4; ++i) o.c[i] = Clamp(ch.c[i]);
  return Join(o);
}

// trunc(alpha * 256), held within +-2048 as the library documents.
inline int Weight(double alpha) {
  double v = alpha * 256.0;
  if (v != v) return 0;
  if (v > 2048) v = 2048;
  if (v < -2048) v = -2048;
  return (int)v;
}

inline int T(int i) { return i == 0 ? 0 : 65536 / i - 1; }

// Hue/saturation/value adjustment of d by (r, g, b) at weight w; alpha becomes a.
inline Pixel Hsv(Pixel d, int r, int g, int b, int a, int w) {
  const int R = (int)((d >> 16) & 0xFF), G = (int)((d >> 8) & 0xFF), B = (int)(d & 0xFF);
  int mx = R, mn = R;
  if (G > mx) mx = G;
  if (B > mx) mx = B;
  if (G < mn) mn = G;
  if (B < mn) mn = B;
  const int delta = mx - mn;
  int H;
  if (G > R && G > B) H = 128 + (B - R) * (T(delta) + 1) / 1024;
  else if (G > R) H = 256 + (R - G) * (T(delta) + 1) / 1024;
  else if (R > B) H = (G < B ? 383 : 0) + (G - B) * (T(delta) + 1) / 1024;
  else H = 256 + (R - G) * (T(delta) + 1) / 1024;
  const int S = T(mx) * delta / 256;
  const int V = mx;
  int H2 = H + w * (r + r / 2 - 192) / 256;
  if (H2 < 0) H2 += 384;
  else if (H2 >= 384) H2 -= 384;
  const int S2 = Clamp(S + (g - 128) * w / 128);
  const int V2 = Clamp(V + (b - 128) * w / 128);
  const int low = ((256 - S2) * V2 / 256) & 0xFF;
  auto f = [&](int k) { return ((k * S2 + 16384) * V2 / 16384) & 0xFF; };
  int oR, oG, oB;
  if (H2 < 64) { oR = V2; oG = f(H2 - 64); oB = low; }
  else if (H2 < 128) { oR = f(64 - H2); oG = V2; oB = low; }
  else if (H2 < 192) { oR = low; oG = V2; oB = f(H2 - 192); }
  else if (H2 < 256) { oR = low; oG = f(192 - H2); oB = V2; }
  else if (H2 < 320) { oR = f(H2 - 320); oG = low; oB = V2; }
  else { oR = V2; oG = low; oB = f(320 - H2); }
  return ((Pixel)(a & 0xFF) << 24) | ((Pixel)oR << 16) | ((Pixel)oG << 8) | (Pixel)oB;
}

inline Pixel Add(Pixel d, const Ch& s, int w) {
  Ch o = Split(d);
  for (int i = 0; i < 4; ++i) o.c[i] = o.c[i] + s.c[i] * w / 256;
  return JoinClamped(o);
}

inline Pixel Dodge(Pixel d, const Ch& s, int w) {
  Ch o = Split(d);
  for (int i = 0; i < 4; ++i) {
    const int k = 256 - s.c[i] * w / 256;
    o.c[i] = k > 1 ? o.c[i] * 256 / k : o.c[i] * 256;
  }
  return JoinClamped(o);
}

inline Pixel Overlay(Pixel d, const Ch& s, int w) {
  Ch o = Split(d);
  for (int i = 0; i < 4; ++i) {
    const int S = s.c[i] * w + (256 - w) * 128;
    o.c[i] = (S + (32768 - S) * o.c[i] / 256) * o.c[i] >> 15;
  }
  return JoinClamped(o);
}

inline Pixel Copy(Pixel d, const Ch& s, int w) {
  Ch o = Split(d);
  for (int i = 0; i < 4; ++i) o.c[i] = s.c[i] + (o.c[i] - s.c[i]) * (256 - w) / 256;
  return Join(o);
}

inline Pixel Multiply(Pixel d, const Ch& s, int w) {
  Ch o = Split(d);
  for (int i = 0; i < 4; ++i) o.c[i] = ((s.c[i] - 256) * w + 65536) * o.c[i] >> 16;
  return Join(o);
}

// One blit pixel: destination d under source s.
inline Pixel BlitPixel(Pixel d, Pixel sp, float alpha, int mode) {
  const Ch s = Split(sp);
  const int sA = s.c[3];
  if ((mode & 0xFF) >= 0xF0) {
    const int db = (mode >> 2) & 3, sb = mode & 3;
    Ch o = Split(d);
    o.c[db] = s.c[sb];
    return Join(o);
  }
  const int m = mode & 0x100FF;
  if (m == 0 && alpha == 1.0f) return sp;
  if (m == 0 && alpha == 0.5f) return ((d >> 1) & 0x7F7F7F7F) + ((sp >> 1) & 0x7F7F7F7F);
  const int w = Weight(alpha);
  if (w == 0) return d;
  switch (m) {
    case 0: return w < 0 ? d : w == 256 ? sp : Copy(d, s, w);
    case 1: return Add(d, s, w);
    case 2: return Dodge(d, s, w);
    case 3: return Multiply(d, s, w);
    case 4: return Overlay(d, s, w);
    case 5: return Hsv(d, s.c[2], s.c[1], s.c[0], sA, w);
    case 0x10000: {
      if (sA == 0) return d;
      Ch o = Split(d);
      if (w == 256) {
        if (sA == 255) return sp | 0xFF000000u;
        for (int i = 0; i < 3; ++i) o.c[i] = s.c[i] + (o.c[i] - s.c[i]) * (255 - sA) / 256;
        o.c[3] = o.c[3] + sA > 255 ? 255 : o.c[3] + sA;
        return Join(o);
      }
      const int P = w * (sA + 1) / 256;
      for (int i = 0; i < 3; ++i) o.c[i] = s.c[i] + (o.c[i] - s.c[i]) * (256 - P) / 256;
      o.c[3] = o.c[3] + P > 255 ? 255 : o.c[3] + P;
      return Join(o);
    }
    case 0x10001: {
      if (sA == 0) return d;
      const int N = w * (sA + 1) / 256;
      Ch o = Split(d);
      for (int i = 0; i < 3; ++i) o.c[i] = o.c[i] + N * s.c[i] / 256;
      o.c[3] = o.c[3] + sA * N / 256;
      return JoinClamped(o);
    }
    case 0x10002: return Dodge(d, s, w * (sA + 1) / 256);
    case 0x10003: {
      if (sA == 0) return d;
      const int w2 = w * (sA + 1) / 256;
      Ch o = Split(d);
      for (int i = 0; i < 4; ++i) o.c[i] = (s.c[i] * w2 + (256 - w2) * 256) * o.c[i] >> 16;
      return Join(o);
    }
    case 0x10004: return Overlay(d, s, w * (sA + 1) / 256);
    case 0x10005: return Hsv(d, s.c[2], s.c[1], s.c[0], sA, w * (sA + 1) / 256);
    default: return d;
  }
}

// One fill pixel: destination d covered by colour c.
inline Pixel FillPixel(Pixel d, Pixel c, float alpha, int mode) {
  if (mode & 0x10000) alpha *= (float)(c >> 24) / 255.0f;
  if (alpha == 0.0f) return d;
  const int w = Weight(alpha);
  const int low = mode & 0xFF;
  Ch s = Split(c);
  if (low == 0) {
    if (w == 256) return c;
    if (w == 128) return ((c >> 1) & 0x7F7F7F7F) + ((d >> 1) & 0x7F7F7F7F);
    if (w == 64) return ((d >> 1) & 0x7F7F7F7F) + ((d >> 2) & 0x3F3F3F3F) + ((c >> 2) & 0x3F3F3F3F);
    if (w == 192) return ((c >> 2) & 0x3F3F3F3F) + ((d >> 2) & 0x3F3F3F3F) + ((c >> 1) & 0x7F7F7F7F);
  }
  if (low > 5 || w == 0) return d;
  s.c[3] = w;  // the weight stands in for the source alpha
  switch (low) {
    case 0: return w < 1 ? d : Copy(d, s, w);
    case 1: return Add(d, s, w);
    case 2: return Dodge(d, s, w);
    case 3: {
      Ch o = Split(d);
      for (int i = 0; i < 3; ++i) o.c[i] = o.c[i] * (w * s.c[i] + (256 - w) * 256) >> 16;
      o.c[3] = o.c[3] * ((256 - w) * 256 + w * w) >> 16;
      return Join(o);
    }
    case 4: return Overlay(d, s, w);
    default: return Hsv(d, s.c[2], s.c[1], s.c[0], w, w);
  }
}

// A blit of a w x h source onto a dw x dh destination, both tightly packed, with the library's
// clipping stated the simple way: source pixel (i, j) of the clipped source rectangle lands on
// (x + i - left, y + j - top) when that lies inside the destination.
inline void Blit(std::vector<Pixel>& dst, int dw, int dh, const std::vector<Pixel>& src, int sw, int sh, int x, int y,
                 const LICE_Rect* sr, float alpha, int mode) {
  if (alpha == 0.0f) return;
  const long long l = sr ? sr->left : 0, t = sr ? sr->top : 0;
  long long r = sr ? sr->right : sw, b = sr ? sr->bottom : sh;
  if (r > sw) r = sw;
  if (b > sh) b = sh;
  for (long long j = t < 0 ? 0 : t; j < b; ++j) {
    for (long long i = l < 0 ? 0 : l; i < r; ++i) {
      const long long dx = x + i - l, dy = y + j - t;
      if (dx < 0 || dy < 0 || dx >= dw || dy >= dh) continue;
      Pixel& d = dst[(size_t)(dy * dw + dx)];
      d = BlitPixel(d, src[(size_t)(j * sw + i)], alpha, mode);
    }
  }
}

inline void Fill(std::vector<Pixel>& dst, int dw, int dh, int x, int y, int w, int h, Pixel c, float alpha, int mode) {
  for (long long j = y; j < (long long)y + h; ++j) {
    for (long long i = x; i < (long long)x + w; ++i) {
      if (i < 0 || j < 0 || i >= dw || j >= dh) continue;
      Pixel& d = dst[(size_t)(j * dw + i)];
      d = FillPixel(d, c, alpha, mode);
    }
  }
}

}  // namespace ref
