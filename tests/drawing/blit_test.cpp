// Blits and fills: each mode against values worked out by hand from the formulas, clipping at
// every edge, and every fast path against the plain per-pixel reference.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <vector>

#include "drawing/lice_draw.h"
#include "tests/drawing/drawing_test_util.h"
#include "tests/drawing/lice_reference.h"

using drawtest::Get;
using drawtest::Make;

namespace {

LICE_pixel Argb(int a, int r, int g, int b) { return LICE_RGBA(r, g, b, a); }
LICE_pixel Bytes(int v) { return Argb(v, v, v, v); }

struct PixelCase {
  const char* what;
  LICE_pixel dest;
  LICE_pixel src;
  float alpha;
  int mode;
  LICE_pixel expected;
};

LICE_pixel BlitOne(LICE_pixel d, LICE_pixel s, float alpha, int mode) {
  auto dst = Make(1, 1, d);
  auto src = Make(1, 1, s);
  LICE_BlitRect(dst.get(), src.get(), 0, 0, nullptr, alpha, mode);
  return Get(dst.get(), 0, 0);
}

LICE_pixel FillOne(LICE_pixel d, LICE_pixel c, float alpha, int mode) {
  auto dst = Make(1, 1, d);
  LICE_FillRectangle(dst.get(), 0, 0, 1, 1, c, alpha, mode);
  return Get(dst.get(), 0, 0);
}

void CheckCases(const std::vector<PixelCase>& cases, LICE_pixel (*op)(LICE_pixel, LICE_pixel, float, int)) {
  for (const PixelCase& c : cases) {
    char msg[160];
    snprintf(msg, sizeof(msg), "%s: dest %08X src %08X alpha %g mode %X", c.what, c.dest, c.src, c.alpha, c.mode);
    EXPECT_EQ(op(c.dest, c.src, c.alpha, c.mode), c.expected) << msg;
  }
}

TEST(BlitModes, CopyAtEveryKindOfWeight) {
  CheckCases(
      {
          {"full opacity copies the word", 0x11223344, 0xAABBCCDD, 1.0f, 0, 0xAABBCCDD},
          {"half: word-wide halves", 0x00FFFFFF, 0xFF000000, 0.5f, 0, 0x7F7F7F7F},
          {"half: each byte truncates on its own", 0x01010101, 0x01010101, 0.5f, 0, 0x00000000},
          {"w 192: 200 + (-100 * 64) / 256", Bytes(100), Bytes(200), 0.75f, 0, Bytes(175)},
          // w = trunc(0.39f * 256) = 99; 250 + (-240 * 157) / 256 = 250 - 147; 10 + 147.
          {"w 99 truncates toward zero", Argb(250, 10, 250, 10), Argb(10, 250, 10, 250), 0.39f, 0,
           Argb(157, 103, 157, 103)},
          // w = 384: 200 + (-100 * -128) / 256 = 250; 100 + (100 * -128) / 256 = 50;
          // 255 + (-255 * -128) / 256 = 382 stored as 126; 0 + (255 * -128) / 256 = -127 stored as 129.
          {"weights above 256 extrapolate and keep 8 bits", Argb(100, 200, 0, 255), Argb(200, 100, 255, 0), 1.5f, 0,
           Argb(250, 50, 126, 129)},
          {"a negative weight draws nothing", 0x11223344, 0xAABBCCDD, -0.5f, 0, 0x11223344},
          {"a weight that truncates to 0 draws nothing", 0x11223344, 0xAABBCCDD, 0.001f, 0, 0x11223344},
          {"w 256 from an alpha just above 1 copies", 0x11223344, 0xAABBCCDD, 1.001f, 0, 0xAABBCCDD},
      },
      BlitOne);
}

TEST(BlitModes, AddDodgeMultiplyOverlay) {
  CheckCases(
      {
          {"add clamps", Bytes(0x90), Bytes(0x80), 1.0f, 1, 0xFFFFFFFF},
          // 20 + 100 * 128 / 256 = 70; 250 + 255 * 128 / 256 = 377 -> 255.
          {"add at half weight", Argb(20, 20, 250, 20), Argb(100, 100, 255, 100), 0.5f, 1, Argb(70, 70, 255, 70)},
          // k = 256 - 128 = 128: 100 * 256 / 128 = 200. s = 255: k = 1, so d * 256 clamped.
          {"dodge", Argb(100, 100, 1, 0), Argb(128, 128, 255, 255), 1.0f, 2, Argb(200, 200, 255, 0)},
          // w 128, s 200: k = 256 - 100 = 156; 78 * 256 / 156 = 128.
          {"dodge at half weight", Bytes(78), Bytes(200), 0.5f, 2, Bytes(128)},
          // ((128 - 256) * 256 + 65536) * 200 >> 16 = 100; white times 255 gives 254.
          {"multiply", Argb(255, 200, 255, 200), Argb(255, 128, 255, 128), 1.0f, 3, Argb(254, 100, 254, 100)},
          {"multiply at half weight", Bytes(255), Bytes(0), 0.5f, 3, Bytes(127)},
          // s 200 over d 100: S = 51200, (S + (32768 - S) * 100 / 256) * 100 >> 15 = 134;
          // s 50 over d 200: 173.
          {"overlay", Argb(100, 100, 200, 255), Argb(200, 200, 50, 255), 1.0f, 4, Argb(134, 134, 173, 255)},
      },
      BlitOne);
}

TEST(BlitModes, HueSaturationValue) {
  CheckCases(
      {
          {"neutral adjustment keeps grey, takes the source alpha", Argb(10, 77, 77, 77), Argb(200, 128, 128, 128),
           1.0f, 5, Argb(200, 77, 77, 77)},
          // Red: H 0, S 255, V 255. H' = 0 + (213 + 106 - 192) = 127: R = f(-63) = 319 * 255 / 16384 = 4.
          {"hue turned by a third", Argb(255, 255, 0, 0), Argb(99, 213, 128, 128), 1.0f, 5, Argb(99, 4, 255, 0)},
          // H' = -192 wraps to 192: cyan.
          {"hue wraps below zero", Argb(255, 255, 0, 0), Argb(255, 0, 128, 128), 1.0f, 5, Argb(255, 0, 255, 255)},
          // V' = 100 + (200 - 128) * 256 / 128 = 244; at half weight 100 + 72 = 172.
          {"value raised", Argb(0, 100, 100, 100), Argb(255, 128, 128, 200), 1.0f, 5, Argb(255, 244, 244, 244)},
          {"value raised at half weight", Argb(0, 100, 100, 100), Argb(255, 128, 128, 200), 0.5f, 5,
           Argb(255, 172, 172, 172)},
      },
      BlitOne);
}

TEST(BlitModes, SourceAlphaVariants) {
  CheckCases(
      {
          {"transparent source pixel is skipped", 0x11223344, 0x00FFFFFF, 1.0f, 0x10000, 0x11223344},
          {"opaque source pixel copies exactly", 0x11223344, 0xFFABCDEF, 1.0f, 0x10000, 0xFFABCDEF},
          // k = 127: R 255 - 126 = 129, B 0 + 126 = 126; alpha min(255 + 128, 255).
          {"half-transparent at full weight", 0xFF0000FF, 0x80FF0000, 1.0f, 0x10000, 0xFF81007E},
          {"destination alpha grows by the source alpha", Argb(50, 0, 0, 255), 0x80FF0000, 1.0f, 0x10000,
           Argb(178, 129, 0, 126)},
          // w 128: P = 128 * 129 / 256 = 64, k = 192: R 255 - 191 = 64, B 191, alpha 0 + 64.
          {"half-transparent at half weight", 0x000000FF, 0x80FF0000, 0.5f, 0x10000, 0x404000BF},
          {"transparent source skipped at half weight", 0x11223344, 0x00FFFFFF, 0.5f, 0x10000, 0x11223344},
          // N = 256 * 128 / 256 = 128: R 250 + 25 -> 255, G 100 + 100, B 10 + 50, A 0 + 127 * 128 / 256.
          {"add using alpha", Argb(0, 250, 100, 10), Argb(127, 50, 200, 100), 1.0f, 0x10001, Argb(63, 255, 200, 60)},
          {"add using alpha skips transparent", 0x11223344, 0x00FFFFFF, 1.0f, 0x10001, 0x11223344},
          // w' = 256 * 128 / 256 = 128. R: k = 256 - 100 = 156, 78 -> 128. A: k = 256 - 63 = 193, 100 -> 132.
          {"dodge using alpha", Argb(100, 78, 0, 0), Argb(127, 200, 0, 0), 1.0f, 0x10002, Argb(132, 128, 0, 0)},
          {"multiply using alpha: opaque", Argb(255, 200, 255, 200), Argb(255, 128, 255, 128), 1.0f, 0x10003,
           Argb(254, 100, 254, 100)},
          // sA 127: w' = 128; (0 * 128 + 128 * 256) * 200 >> 16 = 100; alpha (127 * 128 + 32768) * 200 >> 16.
          {"multiply using alpha: half", Argb(200, 200, 200, 200), Argb(127, 0, 0, 0), 1.0f, 0x10003,
           Argb(149, 100, 100, 100)},
          {"multiply using alpha skips transparent", 0x11223344, 0x00000000, 1.0f, 0x10003, 0x11223344},
          {"overlay using alpha: opaque source at full weight", Argb(255, 100, 200, 0), Argb(255, 200, 50, 0), 1.0f,
           0x10004, Argb(255, 134, 173, 0)},
          {"hsv using alpha: opaque source as plain hsv", Argb(255, 255, 0, 0), Argb(255, 213, 128, 128), 1.0f,
           0x10005, Argb(255, 4, 255, 0)},
      },
      BlitOne);
}

TEST(BlitModes, ChannelCopyAndIgnoredBits) {
  CheckCases(
      {
          {"0xF3: source alpha into destination blue", 0x11223344, 0xAB000000, 1.0f, 0xF3, 0x112233AB},
          {"0xF9: source green into destination red", 0x11223344, 0x0000CD00, 0.3f, 0xF9, 0x11CD3344},
          {"channel copy at alpha 0 draws nothing", 0x11223344, 0xAB000000, 0.0f, 0xF3, 0x11223344},
          {"mode 6 draws nothing", 0x11223344, 0xAABBCCDD, 1.0f, 6, 0x11223344},
          {"mode 0xEF draws nothing", 0x11223344, 0xAABBCCDD, 1.0f, 0xEF, 0x11223344},
          {"bits 8 to 15 are ignored", Bytes(0x90), Bytes(0x80), 1.0f, 0x0101, 0xFFFFFFFF},
          {"bit 17 is ignored", Bytes(0x90), Bytes(0x80), 1.0f, 0x20001, 0xFFFFFFFF},
          {"alpha 0 draws nothing", 0x11223344, 0xAABBCCDD, 0.0f, 0, 0x11223344},
      },
      BlitOne);
}

TEST(FillModes, CopyFastPathsAndGenericWeight) {
  CheckCases(
      {
          {"full", 0x12345678, 0x80FF00FF, 1.0f, 0, 0x80FF00FF},
          {"1/2", 0x00FF00FF, 0xFF00FF00, 0.5f, 0, 0x7F7F7F7F},
          {"1/4: d/2 + d/4 + c/4", Bytes(0x80), Bytes(0x40), 0.25f, 0, Bytes(0x70)},
          {"3/4: c/4 + d/4 + c/2", Bytes(0x80), Bytes(0x40), 0.75f, 0, Bytes(0x50)},
          // w 99: colour channels as in the blit; alpha 99 + (0 - 99) * 157 / 256 = 39.
          {"w 99: the weight stands in for the source alpha", Argb(0, 10, 250, 10), Argb(0xEE, 250, 10, 250), 0.39f,
           0, Argb(39, 103, 157, 103)},
          {"colour alpha 0 with bit 16 draws nothing", 0x12345678, 0x00FFFFFF, 1.0f, 0x10000, 0x12345678},
          // alpha 1.0 * 128 / 255 gives w 128: the half path.
          {"colour alpha scales the opacity", 0xFF0000FF, 0x80FF0000, 1.0f, 0x10000, 0xBF7F007F},
          {"mode 6 draws nothing", 0x12345678, 0xFFFFFFFF, 1.0f, 6, 0x12345678},
          {"alpha 0 draws nothing", 0x12345678, 0xFFFFFFFF, 0.0f, 0, 0x12345678},
      },
      FillOne);
}

TEST(FillModes, OtherModesUseTheWeightAsSourceAlpha) {
  CheckCases(
      {
          // 20 + 100 * 128 / 256 = 70; alpha 10 + 128 * 128 / 256 = 74.
          {"add", Argb(10, 20, 20, 20), Argb(0, 100, 100, 100), 0.5f, 1, Argb(74, 70, 70, 70)},
          // k = 128: 100 -> 200. Alpha: source 256 gives k = 0, so d * 256 clamped.
          {"dodge", Argb(1, 100, 100, 100), Argb(0, 128, 128, 128), 1.0f, 2, Argb(255, 200, 200, 200)},
          {"dodge leaves alpha 0", Argb(0, 100, 100, 100), Argb(0, 128, 128, 128), 1.0f, 2, Argb(0, 200, 200, 200)},
          // (200 * 32768) >> 16 = 100; alpha (d * 65536) >> 16 = d at full weight.
          {"multiply", Argb(77, 200, 200, 200), Argb(0, 128, 128, 128), 1.0f, 3, Argb(77, 100, 100, 100)},
          // w 128: colour 0 halves; alpha d * (128 * 256 + 128 * 128) >> 16 = d * 3 / 4.
          {"multiply at half weight", Argb(200, 200, 200, 200), Argb(0, 0, 0, 0), 0.5f, 3, Argb(150, 100, 100, 100)},
          // colour 200 over 100 as in the blit; alpha: S = 65536, (65536 - 12800) * 100 >> 15 = 160.
          {"overlay", Argb(100, 100, 100, 100), Argb(0, 200, 200, 200), 1.0f, 4, Argb(160, 134, 134, 134)},
          {"hsv: alpha becomes the low byte of w", Argb(9, 60, 60, 60), Argb(0, 128, 128, 128), 1.0f, 5,
           Argb(0, 60, 60, 60)},
          {"hsv at half weight", Argb(9, 60, 60, 60), Argb(0, 128, 128, 128), 0.5f, 5, Argb(128, 60, 60, 60)},
      },
      FillOne);
}

// ---------------------------------------------------------------------------------------------
// Clipping

// A source whose pixel (x, y) holds x + 16 * y + 1, so every landing place is recognisable.
std::unique_ptr<LICE_MemBitmap> Numbered(int w, int h) {
  auto bm = Make(w, h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) drawtest::Set(bm.get(), x, y, (LICE_pixel)(x + 16 * y + 1));
  return bm;
}

TEST(BlitClipping, NegativeDestinationSkipsSourceColumnsAndRows) {
  auto src = Numbered(10, 10);
  auto dst = Make(5, 5, 0);
  LICE_BlitRect(dst.get(), src.get(), -3, -2, nullptr, 1.0f, 0);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(Get(dst.get(), x, y), (LICE_pixel)(x + 3 + 16 * (y + 2) + 1)) << x << "," << y;
}

TEST(BlitClipping, NegativeSourceLeftAndTopMoveTheDrawingInstead) {
  auto src = Numbered(4, 4);
  auto dst = Make(8, 8, 0);
  const LICE_Rect r = {-2, -1, 3, 2};
  LICE_BlitRect(dst.get(), src.get(), 1, 1, &r, 1.0f, 0);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool in = x >= 3 && x < 6 && y >= 2 && y < 4;
      EXPECT_EQ(Get(dst.get(), x, y), in ? (LICE_pixel)((x - 3) + 16 * (y - 2) + 1) : 0u) << x << "," << y;
    }
  }
}

TEST(BlitClipping, RightAndBottomEdgesOfBothBitmaps) {
  auto src = Numbered(6, 6);
  auto dst = Make(5, 5, 0);
  const LICE_Rect r = {2, 3, 100, 100};  // cut to the source's size
  LICE_BlitRect(dst.get(), src.get(), 3, 2, &r, 1.0f, 0);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) {
      const bool in = x >= 3 && y >= 2;  // source columns 2..3 and rows 3..5
      EXPECT_EQ(Get(dst.get(), x, y), in ? (LICE_pixel)((x - 1) + 16 * (y + 1) + 1) : 0u) << x << "," << y;
    }
  }
  // Entirely outside: nothing.
  auto before = drawtest::Pixels(dst.get());
  LICE_BlitRect(dst.get(), src.get(), 5, 0, nullptr, 1.0f, 0);
  LICE_BlitRect(dst.get(), src.get(), 0, 5, nullptr, 1.0f, 0);
  LICE_BlitRect(dst.get(), src.get(), -6, 0, nullptr, 1.0f, 0);
  const LICE_Rect empty = {3, 3, 3, 5};
  LICE_BlitRect(dst.get(), src.get(), 0, 0, &empty, 1.0f, 0);
  const LICE_Rect beyond = {6, 0, 9, 2};
  LICE_BlitRect(dst.get(), src.get(), 0, 0, &beyond, 1.0f, 0);
  EXPECT_EQ(drawtest::Pixels(dst.get()), before);
}

TEST(BlitClipping, CoordinatesNearTheIntLimitsDoNotWrap) {
  auto src = Numbered(10, 10);
  auto dst = Make(8, 8, 0);
  const auto before = drawtest::Pixels(dst.get());
  const LICE_Rect wide = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
  const LICE_Rect leftmost = {INT_MIN, 0, 5, 5};
  LICE_BlitRect(dst.get(), src.get(), 0, 0, &wide, 1.0f, 0);          // x moves beyond the int range
  LICE_BlitRect(dst.get(), src.get(), INT_MIN, INT_MIN, &leftmost, 1.0f, 0);
  LICE_BlitRect(dst.get(), src.get(), INT_MAX, 0, nullptr, 1.0f, 0);
  LICE_BlitRect(dst.get(), src.get(), INT_MIN, INT_MIN, nullptr, 1.0f, 0);
  LICE_BlitRect(dst.get(), src.get(), INT_MAX - 2, INT_MAX - 2, nullptr, 0.5f, 1);
  EXPECT_EQ(drawtest::Pixels(dst.get()), before);

  // A huge positive right edge is simply the source's width.
  const LICE_Rect open = {8, 8, INT_MAX, INT_MAX};
  LICE_BlitRect(dst.get(), src.get(), 6, 6, &open, 1.0f, 0);
  EXPECT_EQ(Get(dst.get(), 6, 6), (LICE_pixel)(8 + 16 * 8 + 1));
  EXPECT_EQ(Get(dst.get(), 7, 7), (LICE_pixel)(9 + 16 * 9 + 1));
  EXPECT_EQ(Get(dst.get(), 5, 5), 0u);
}

TEST(FillClipping, EveryEdge) {
  auto dst = Make(6, 4, 0);
  LICE_FillRectangle(dst.get(), -5, 0, 5, 4, 0xFFFFFFFF, 1.0f, 0);  // ends at x = -1
  LICE_FillRectangle(dst.get(), 0, 0, 0, 4, 0xFFFFFFFF, 1.0f, 0);
  LICE_FillRectangle(dst.get(), 0, 0, 3, 0, 0xFFFFFFFF, 1.0f, 0);
  LICE_FillRectangle(dst.get(), 6, 0, 3, 3, 0xFFFFFFFF, 1.0f, 0);
  LICE_FillRectangle(dst.get(), 0, 4, 3, 3, 0xFFFFFFFF, 1.0f, 0);
  EXPECT_EQ(drawtest::Pixels(dst.get()), std::vector<LICE_pixel>(24, 0));

  LICE_FillRectangle(dst.get(), -2, -1, 4, 2, 1, 1.0f, 0);  // columns 0..1, row 0
  LICE_FillRectangle(dst.get(), 4, 2, 100, 100, 2, 1.0f, 0);  // columns 4..5, rows 2..3
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) {
      const LICE_pixel want = (x < 2 && y == 0) ? 1u : (x >= 4 && y >= 2) ? 2u : 0u;
      EXPECT_EQ(Get(dst.get(), x, y), want) << x << "," << y;
    }
  }
}

TEST(FillClipping, ExtentsNearTheIntLimitsDoNotWrap) {
  auto dst = Make(6, 4, 0);
  LICE_FillRectangle(dst.get(), INT_MIN, 0, INT_MAX, 4, 7, 1.0f, 0);  // ends at x = -2
  LICE_FillRectangle(dst.get(), 0, INT_MIN, 6, INT_MAX, 7, 1.0f, 0);
  LICE_FillRectangle(dst.get(), INT_MAX, 0, INT_MAX, 4, 7, 1.0f, 0);
  EXPECT_EQ(drawtest::Pixels(dst.get()), std::vector<LICE_pixel>(24, 0));
  LICE_FillRectangle(dst.get(), -10, -10, INT_MAX, INT_MAX, 7, 1.0f, 0);
  EXPECT_EQ(drawtest::Pixels(dst.get()), std::vector<LICE_pixel>(24, 7));
}

TEST(BrokenBitmaps, NothingIsDrawnWithoutPixelsOrRowSpan) {
  LICE_pixel buffer[16] = {};
  drawtest::ViewBitmap noBits(nullptr, 4, 4, 4);
  drawtest::ViewBitmap noSpan(buffer, 4, 4, 0);
  drawtest::ViewBitmap shortSpan(buffer, 4, 4, 2);
  auto ok = Make(4, 4, 0xFFFFFFFF);
  for (LICE_IBitmap* bad : {(LICE_IBitmap*)&noBits, (LICE_IBitmap*)&noSpan, (LICE_IBitmap*)&shortSpan}) {
    LICE_BlitRect(bad, ok.get(), 0, 0, nullptr, 1.0f, 0);
    LICE_BlitRect(bad, ok.get(), 0, 0, nullptr, 0.3f, 0x10000);
    LICE_BlitRect(ok.get(), bad, 0, 0, nullptr, 1.0f, 0);
    LICE_FillRectangle(bad, 0, 0, 4, 4, 0x12345678, 1.0f, 0);
    LICE_DrawLine(bad, 0, 0, 3, 2, 0x12345678, 1.0f, 0, true);
  }
  for (LICE_pixel p : buffer) EXPECT_EQ(p, 0u);
  EXPECT_EQ(drawtest::Pixels(ok.get()), std::vector<LICE_pixel>(16, 0xFFFFFFFF));
  LICE_BlitRect(nullptr, ok.get(), 0, 0, nullptr, 1.0f, 0);
  LICE_BlitRect(ok.get(), nullptr, 0, 0, nullptr, 1.0f, 0);
  LICE_FillRectangle(nullptr, 0, 0, 1, 1, 0, 1.0f, 0);
}

TEST(FlippedBitmaps, RowsAreWalkedFromTheBottomOfMemory) {
  LICE_pixel mem[4 * 3] = {};
  drawtest::ViewBitmap flipped(mem, 4, 3, 4, true);
  auto src = Numbered(2, 2);
  LICE_BlitRect(&flipped, src.get(), 1, 0, nullptr, 1.0f, 0);
  // Picture row 0 is memory row 2.
  EXPECT_EQ(mem[2 * 4 + 1], 1u);
  EXPECT_EQ(mem[2 * 4 + 2], 2u);
  EXPECT_EQ(mem[1 * 4 + 1], 17u);
  LICE_FillRectangle(&flipped, 0, 2, 1, 1, 9, 1.0f, 0);
  EXPECT_EQ(mem[0], 9u);
}

// ---------------------------------------------------------------------------------------------
// Every path against the reference

TEST(BlitProperty, EveryModeAndWeightMatchesThePerPixelReference) {
  const int modes[] = {0, 1, 2, 3, 4, 5, 6, 0x10000, 0x10001, 0x10002, 0x10003, 0x10004, 0x10005, 0x10006,
                       0xF0, 0xF7, 0xFE, 0x100FF, 0x0201};
  const float alphas[] = {1.0f, 0.5f, 0.39f, 0.25f, 0.75f, 0.0f, 0.001f, 1.5f, -0.3f, 0.999f, 0.0039f, 9.0f};
  drawtest::Rng rng(1234);
  for (int round = 0; round < 2500; ++round) {
    const int mode = modes[rng.Range(0, (int)(sizeof(modes) / sizeof(modes[0])) - 1)];
    float alpha = alphas[rng.Range(0, (int)(sizeof(alphas) / sizeof(alphas[0])) - 1)];
    if (rng.Range(0, 3) == 0) alpha = (float)rng.Range(0, 1200) / 1000.0f;
    const int sw = rng.Range(1, 23), sh = rng.Range(1, 5), dw = rng.Range(1, 23), dh = rng.Range(1, 5);
    std::vector<LICE_pixel> s(sw * sh), d(dw * dh);
    for (auto& p : s) {
      p = rng.Next();
      const int kind = rng.Range(0, 3);  // plenty of fully transparent and opaque pixels
      if (kind == 0) p &= 0x00FFFFFF;
      if (kind == 1) p |= 0xFF000000;
    }
    for (auto& p : d) p = rng.Next();
    LICE_Rect r = {rng.Range(-3, sw), rng.Range(-2, sh), rng.Range(0, sw + 3), rng.Range(0, sh + 2)};
    const bool whole = rng.Range(0, 2) == 0;
    const int x = rng.Range(-5, dw), y = rng.Range(-3, dh);

    LICE_MemBitmap src(sw, sh), dst(dw, dh);
    drawtest::Load(&src, s);
    drawtest::Load(&dst, d);
    LICE_BlitRect(&dst, &src, x, y, whole ? nullptr : &r, alpha, mode);
    ref::Blit(d, dw, dh, s, sw, sh, x, y, whole ? nullptr : &r, alpha, mode);
    ASSERT_EQ(drawtest::Pixels(&dst), d) << "round " << round << " mode " << std::hex << mode << std::dec
                                          << " alpha " << alpha << " at " << x << "," << y;
  }
}

TEST(FillProperty, EveryModeAndWeightMatchesThePerPixelReference) {
  const int modes[] = {0, 1, 2, 3, 4, 5, 6, 0x10000, 0x10001, 0x10003, 0x10005, 0xF3};
  const float alphas[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.39f, 0.0f, 1.5f, -0.5f, 0.001f};
  drawtest::Rng rng(99);
  for (int round = 0; round < 1500; ++round) {
    const int mode = modes[rng.Range(0, (int)(sizeof(modes) / sizeof(modes[0])) - 1)];
    float alpha = alphas[rng.Range(0, (int)(sizeof(alphas) / sizeof(alphas[0])) - 1)];
    if (rng.Range(0, 3) == 0) alpha = (float)rng.Range(0, 1100) / 1000.0f;
    const int dw = rng.Range(1, 9), dh = rng.Range(1, 5);
    std::vector<LICE_pixel> d(dw * dh);
    for (auto& p : d) p = rng.Next();
    const LICE_pixel c = rng.Next();
    const int x = rng.Range(-4, dw), y = rng.Range(-3, dh), w = rng.Range(-1, dw + 4), h = rng.Range(-1, dh + 3);
    LICE_MemBitmap dst(dw, dh);
    drawtest::Load(&dst, d);
    LICE_FillRectangle(&dst, x, y, w, h, c, alpha, mode);
    ref::Fill(d, dw, dh, x, y, w, h, c, alpha, mode);
    ASSERT_EQ(drawtest::Pixels(&dst), d) << "round " << round << " mode " << std::hex << mode << std::dec
                                          << " alpha " << alpha;
  }
}

}  // namespace
