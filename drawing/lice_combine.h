// Blend modes and the per-pixel combiners shared by blits, fills, lines and text.
//
// All arithmetic is integer arithmetic on 8-bit channels. Divisions truncate toward zero and
// shifts right are arithmetic; each formula's rounding is part of its result. A value that is
// "stored" keeps its low 8 bits, a "clamped" one is limited to 0..255.
#pragma once

#include "drawing/lice_bitmap.h"

// Blend-mode word: the low 8 bits pick the mode, bit 16 scales the weight by the source alpha.
enum {
  LICE_BLIT_MODE_COPY = 0,
  LICE_BLIT_MODE_ADD = 1,
  LICE_BLIT_MODE_DODGE = 2,
  LICE_BLIT_MODE_MUL = 3,
  LICE_BLIT_MODE_OVERLAY = 4,
  LICE_BLIT_MODE_HSVADJ = 5,
  LICE_BLIT_MODE_MASK = 0xFF,
  LICE_BLIT_MODE_CHANCOPY = 0xF0,  // 0xF0..0xFF: destination byte (mode>>2)&3 = source byte mode&3
  LICE_BLIT_USE_ALPHA = 0x10000,
};

// Opacity to integer weight: trunc(alpha x 256), so 1.0 gives 256. The weight is held within
// +-2048 (alpha +-8), which keeps every formula inside int; NaN gives 0.
inline int LICE_WeightFromAlpha(double alpha) {
  const double v = alpha * 256.0;
  if (v != v) return 0;
  if (v >= 2048.0) return 2048;
  if (v <= -2048.0) return -2048;
  return (int)v;
}

inline int LICE_Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// d = s + (d - s) x (256 - w) / 256 for one channel, stored.
inline int LICE_BlendChannel(int d, int s, int w) { return (s + (d - s) * (256 - w) / 256) & 0xFF; }

// d = (((s - 256) x w + 65536) x d) >> 16 for one channel, stored.
inline int LICE_MultiplyChannel(int d, int s, int w) {
  return (((s - 256) * w + 65536) * d >> 16) & 0xFF;
}

inline void LICE_StoreClamped(LICE_pixel* p, int r, int g, int b, int a) {
  *p = LICE_RGBA(LICE_Clamp255(r), LICE_Clamp255(g), LICE_Clamp255(b), LICE_Clamp255(a));
}

// Copy using the source alpha at full weight.
inline void LICE_CombineCopySrcAlpha(LICE_pixel* p, int r, int g, int b, int a) {
  if (a == 0) return;
  if (a == 255) {
    *p = LICE_RGBA(r, g, b, 255);
    return;
  }
  const LICE_pixel d = *p;
  const int k = 255 - a;
  const int da = LICE_GETA(d) + a;
  *p = LICE_RGBA(r + (LICE_GETR(d) - r) * k / 256, g + (LICE_GETG(d) - g) * k / 256,
                 b + (LICE_GETB(d) - b) * k / 256, da > 255 ? 255 : da);
}

inline void LICE_CombineAdd(LICE_pixel* p, int r, int g, int b, int a, int w) {
  const LICE_pixel d = *p;
  LICE_StoreClamped(p, LICE_GETR(d) + r * w / 256, LICE_GETG(d) + g * w / 256,
                    LICE_GETB(d) + b * w / 256, LICE_GETA(d) + a * w / 256);
}

inline int LICE_DodgeChannel(int d, int s, int w) {
  const int k = 256 - s * w / 256;
  return LICE_Clamp255(k > 1 ? d * 256 / k : d * 256);
}

inline void LICE_CombineDodge(LICE_pixel* p, int r, int g, int b, int a, int w) {
  const LICE_pixel d = *p;
  *p = LICE_RGBA(LICE_DodgeChannel(LICE_GETR(d), r, w), LICE_DodgeChannel(LICE_GETG(d), g, w),
                 LICE_DodgeChannel(LICE_GETB(d), b, w), LICE_DodgeChannel(LICE_GETA(d), a, w));
}

inline void LICE_CombineDodgeSrcAlpha(LICE_pixel* p, int r, int g, int b, int a, int w) {
  LICE_CombineDodge(p, r, g, b, a, w * (a + 1) / 256);
}

inline void LICE_CombineMultiply(LICE_pixel* p, int r, int g, int b, int a, int w) {
  const LICE_pixel d = *p;
  *p = LICE_RGBA(LICE_MultiplyChannel(LICE_GETR(d), r, w), LICE_MultiplyChannel(LICE_GETG(d), g, w),
                 LICE_MultiplyChannel(LICE_GETB(d), b, w), LICE_MultiplyChannel(LICE_GETA(d), a, w));
}

inline void LICE_CombineMultiplySrcAlpha(LICE_pixel* p, int r, int g, int b, int a, int w) {
  if (a == 0) return;
  LICE_CombineMultiply(p, r, g, b, a, w * (a + 1) / 256);
}

inline int LICE_OverlayChannel(int d, int s, int w) {
  const int S = s * w + (256 - w) * 128;
  return LICE_Clamp255((S + (32768 - S) * d / 256) * d >> 15);
}

inline void LICE_CombineOverlay(LICE_pixel* p, int r, int g, int b, int a, int w) {
  const LICE_pixel d = *p;
  *p = LICE_RGBA(LICE_OverlayChannel(LICE_GETR(d), r, w), LICE_OverlayChannel(LICE_GETG(d), g, w),
                 LICE_OverlayChannel(LICE_GETB(d), b, w), LICE_OverlayChannel(LICE_GETA(d), a, w));
}

// Hue, saturation and value of the pixel steered by r (hue), g (saturation) and b (value);
// 128 in a channel leaves that quantity as it is. The pixel's alpha becomes a.
void LICE_CombineHSVAdjust(LICE_pixel* p, int r, int g, int b, int a, int w);

// Copy of all four channels at weight w, as blits and lines use it.
inline void LICE_CombineBlend(LICE_pixel* p, int r, int g, int b, int a, int w) {
  const LICE_pixel d = *p;
  *p = LICE_RGBA(LICE_BlendChannel(LICE_GETR(d), r, w), LICE_BlendChannel(LICE_GETG(d), g, w),
                 LICE_BlendChannel(LICE_GETB(d), b, w), LICE_BlendChannel(LICE_GETA(d), a, w));
}

// Word-wide fractions of a pixel: every byte halved, quartered or eighthed on its own.
inline LICE_pixel LICE_Half(LICE_pixel p) { return (p >> 1) & 0x7F7F7F7F; }
inline LICE_pixel LICE_Quarter(LICE_pixel p) { return (p >> 2) & 0x3F3F3F3F; }
inline LICE_pixel LICE_Eighth(LICE_pixel p) { return (p >> 3) & 0x1F1F1F1F; }
