#include "drawing/lice_combine.h"

namespace {

// T[0] = 0, T[i] = floor(65536 / i) - 1.
struct ReciprocalTable {
  unsigned short v[256];
  ReciprocalTable() {
    v[0] = 0;
    for (int i = 1; i < 256; ++i) v[i] = (unsigned short)(65536 / i - 1);
  }
};
const ReciprocalTable kRecip;

}  // namespace

// Hue runs from 0 to 383, 64 units per sixth of the colour circle.
void LICE_CombineHSVAdjust(LICE_pixel* p, int ar, int ag, int ab, int a, int w) {
  const LICE_pixel d = *p;
  const int R = LICE_GETR(d), G = LICE_GETG(d), B = LICE_GETB(d);

  int mx, mn;
  if (R > G) {
    mx = R > B ? R : B;
    mn = G < B ? G : B;
  } else {
    mx = G > B ? G : B;
    mn = R < B ? R : B;
  }
  const int delta = mx - mn;
  const int scale = kRecip.v[delta] + 1;

  int h;
  if (G > R) {
    if (G > B)
      h = 128 + (B - R) * scale / 1024;
    else
      h = 256 + (R - G) * scale / 1024;
  } else if (R > B) {
    h = (G < B ? 383 : 0) + (G - B) * scale / 1024;
  } else {
    h = 256 + (R - G) * scale / 1024;
  }
  const int s = kRecip.v[mx] * delta / 256;
  const int v = mx;

  h += w * (ar + ar / 2 - 192) / 256;
  if (h < 0)
    h += 384;
  else if (h >= 384)
    h -= 384;
  const int s2 = LICE_Clamp255(s + (ag - 128) * w / 128);
  const int v2 = LICE_Clamp255(v + (ab - 128) * w / 128);

  const int low = ((256 - s2) * v2 / 256) & 0xFF;
  auto f = [s2, v2](int k) { return ((k * s2 + 16384) * v2 / 16384) & 0xFF; };

  int r, g, b;
  if (h < 64) {
    r = v2; g = f(h - 64); b = low;
  } else if (h < 128) {
    r = f(64 - h); g = v2; b = low;
  } else if (h < 192) {
    r = low; g = v2; b = f(h - 192);
  } else if (h < 256) {
    r = low; g = f(192 - h); b = v2;
  } else if (h < 320) {
    r = f(h - 320); g = low; b = v2;
  } else {
    r = v2; g = low; b = f(320 - h);
  }
  *p = LICE_RGBA(r, g, b, a);
}
