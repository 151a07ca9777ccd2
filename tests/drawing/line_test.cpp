// Line clipping and drawing: exact pixel sets of plain and antialiased lines, the word-wide
// opacities, the diagonal blends, clipping at every edge and near the int limits.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <map>
#include <set>
#include <utility>

#include "drawing/lice_draw.h"
#include "tests/drawing/drawing_test_util.h"

using drawtest::Get;
using drawtest::Make;

namespace {

typedef std::map<std::pair<int, int>, LICE_pixel> PixelMap;

// Every pixel that differs from the background, keyed by (x, y).
PixelMap Changed(LICE_IBitmap* bm, LICE_pixel background) {
  PixelMap m;
  for (int y = 0; y < bm->GetHeight(); ++y)
    for (int x = 0; x < bm->GetWidth(); ++x)
      if (Get(bm, x, y) != background) m[{x, y}] = Get(bm, x, y);
  return m;
}

PixelMap Line(int w, int h, int x1, int y1, int x2, int y2, LICE_pixel c, float alpha, int mode, bool aa,
              LICE_pixel background = 0) {
  auto bm = Make(w, h, background);
  LICE_DrawLine(bm.get(), x1, y1, x2, y2, c, alpha, mode, aa);
  return Changed(bm.get(), background);
}

PixelMap All(std::initializer_list<std::pair<int, int>> points, LICE_pixel v) {
  PixelMap m;
  for (auto p : points) m[p] = v;
  return m;
}

TEST(ClipLine, SegmentsInsideAreUnchanged) {
  int x1 = 1, y1 = 2, x2 = 8, y2 = 9;
  EXPECT_TRUE(LICE_ClipLine(&x1, &y1, &x2, &y2, 10, 10));
  EXPECT_EQ(x1, 1);
  EXPECT_EQ(y1, 2);
  EXPECT_EQ(x2, 8);
  EXPECT_EQ(y2, 9);
}

TEST(ClipLine, EachEdgeMovesTheEndOntoIt) {
  // Bottom: x where the line meets y = height (2 + trunc(5 * 4 / 10) = 4), y = height - 1.
  int x1 = 2, y1 = 5, x2 = 6, y2 = 15;
  EXPECT_TRUE(LICE_ClipLine(&x1, &y1, &x2, &y2, 10, 10));
  EXPECT_EQ(x2, 4);
  EXPECT_EQ(y2, 9);
  // Top: x = x1 - trunc(y1 * dx / dy) = 6 - trunc(-4 * -4 / 8) = 4.
  x1 = 6; y1 = -4; x2 = 2; y2 = 4;
  EXPECT_TRUE(LICE_ClipLine(&x1, &y1, &x2, &y2, 10, 10));
  EXPECT_EQ(x1, 4);
  EXPECT_EQ(y1, 0);
  // Right: y = y1 + trunc((width - x1) * dy / dx) = 0 + trunc(10 * 6 / 12) = 5, x = width - 1.
  x1 = 0; y1 = 0; x2 = 12; y2 = 6;
  EXPECT_TRUE(LICE_ClipLine(&x1, &y1, &x2, &y2, 10, 10));
  EXPECT_EQ(x2, 9);
  EXPECT_EQ(y2, 5);
  // Left: y = y1 - trunc(x1 * dy / dx) = 3 - trunc(-6 * 6 / 9) = 7.
  x1 = -6; y1 = 3; x2 = 3; y2 = 9;
  EXPECT_TRUE(LICE_ClipLine(&x1, &y1, &x2, &y2, 10, 10));
  EXPECT_EQ(x1, 0);
  EXPECT_EQ(y1, 7);
}

TEST(ClipLine, SegmentsOutsideAreRejected) {
  int x1 = -5, y1 = 1, x2 = -1, y2 = 8;
  EXPECT_FALSE(LICE_ClipLine(&x1, &y1, &x2, &y2, 10, 10));
  x1 = 0; y1 = 12; x2 = 9; y2 = 10;
  EXPECT_FALSE(LICE_ClipLine(&x1, &y1, &x2, &y2, 10, 10));
  // Passes the corner outside: (-1, 2) to (2, -1) crosses neither the top nor the left edge inside.
  x1 = -2; y1 = 1; x2 = 1; y2 = -2;
  EXPECT_FALSE(LICE_ClipLine(&x1, &y1, &x2, &y2, 10, 10));
  x1 = 0; y1 = 0; x2 = 5; y2 = 5;
  EXPECT_FALSE(LICE_ClipLine(&x1, &y1, &x2, &y2, 0, 10));
}

TEST(ClipLine, CoordinatesAtTheIntLimits) {
  int x1 = INT_MIN, y1 = 5, x2 = INT_MAX, y2 = 5;
  EXPECT_TRUE(LICE_ClipLine(&x1, &y1, &x2, &y2, 10, 10));
  EXPECT_EQ(x1, 0);
  EXPECT_EQ(x2, 9);
  EXPECT_EQ(y1, 5);
  EXPECT_EQ(y2, 5);
  x1 = INT_MIN; y1 = INT_MIN; x2 = INT_MAX; y2 = INT_MAX;
  EXPECT_TRUE(LICE_ClipLine(&x1, &y1, &x2, &y2, 10, 10));
  EXPECT_EQ(x1, 0);
  EXPECT_EQ(y1, 0);
  EXPECT_EQ(x2, 9);
  EXPECT_EQ(y2, 9);

  const int v[] = {INT_MIN, INT_MIN + 1, -1000000000, -1, 0, 3, 9, 10, 1000000000, INT_MAX - 1, INT_MAX};
  for (int a : v)
    for (int b : v)
      for (int c : v)
        for (int d : v) {
          int p[4] = {a, b, c, d};
          if (LICE_ClipLine(&p[0], &p[1], &p[2], &p[3], 10, 7)) {
            for (int i = 0; i < 4; i += 2) {
              ASSERT_TRUE(p[i] >= 0 && p[i] < 10 && p[i + 1] >= 0 && p[i + 1] < 7) << a << " " << b << " " << c << " " << d;
            }
          }
          auto bm = Make(10, 7, 0);
          LICE_DrawLine(bm.get(), a, b, c, d, 0xFFFFFFFF, 0.7f, 0, true);
        }
}

TEST(DrawLine, StraightLinesCoverBothEnds) {
  EXPECT_EQ(Line(8, 8, 0, 0, 4, 0, 0xFFFFFFFF, 1.0f, 0, false),
            All({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}, 0xFFFFFFFF));
  EXPECT_EQ(Line(8, 8, 3, 3, 3, 3, 0xFFFFFFFF, 1.0f, 0, false), All({{3, 3}}, 0xFFFFFFFF));
  EXPECT_EQ(Line(8, 8, 2, 6, 2, 4, 0xFFFFFFFF, 1.0f, 0, false), All({{2, 4}, {2, 5}, {2, 6}}, 0xFFFFFFFF));
  EXPECT_EQ(Line(10, 10, -10, 5, 5, 5, 0xFFFFFFFF, 1.0f, 0, false),
            All({{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}}, 0xFFFFFFFF));
  EXPECT_TRUE(Line(10, 10, -10, 5, -1, 5, 0xFFFFFFFF, 1.0f, 0, false).empty());
  // Antialiasing changes nothing on straight lines.
  EXPECT_EQ(Line(8, 8, 1, 2, 6, 2, 0xFF808080, 0.6f, 0, true, 0x10203040),
            Line(8, 8, 1, 2, 6, 2, 0xFF808080, 0.6f, 0, false, 0x10203040));
}

TEST(DrawLine, StraightLineOpacities) {
  const LICE_pixel bg = 0x80808080;
  // 1/2: c/2 + d/2; 1/4: c/4 + d/2 + d/4; 3/4: c/2 + c/4 + d/4; each byte on its own.
  EXPECT_EQ(Line(4, 2, 0, 0, 1, 0, 0xFFFFFFFF, 0.5f, 0, false, bg), All({{0, 0}, {1, 0}}, 0xBFBFBFBF));
  EXPECT_EQ(Line(4, 2, 0, 0, 1, 0, 0xFFFFFFFF, 0.25f, 0, false, bg), All({{0, 0}, {1, 0}}, 0x9F9F9F9F));
  EXPECT_EQ(Line(4, 2, 0, 0, 1, 0, 0xFFFFFFFF, 0.75f, 0, false, bg), All({{0, 0}, {1, 0}}, 0xDEDEDEDE));
  // Other opacities per channel: w 76, 255 + (128 - 255) * 180 / 256 = 166.
  EXPECT_EQ(Line(4, 2, 0, 0, 0, 1, 0xFFFFFFFF, 0.3f, 0, false, bg), All({{0, 0}, {0, 1}}, 0xA6A6A6A6));
  // w 128 from an opacity other than 0.5 takes (c + d) >> 1: (255 + 129) >> 1 = 192, where the
  // word-wide half would give 127 + 64.
  EXPECT_EQ(Line(4, 2, 0, 0, 0, 1, 0xFFFFFFFF, 0.501f, 0, false, 0x81818181), All({{0, 0}, {0, 1}}, 0xC0C0C0C0));
  EXPECT_TRUE(Line(4, 2, 0, 0, 3, 0, 0xFFFFFFFF, 0.001f, 0, false, bg).empty());
}

TEST(DrawLine, PlainSpansFollowTheMidpointAndMirrorBothHalves) {
  const PixelMap expected = All({{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}, {6, 2}, {7, 2}, {8, 3}, {9, 3}}, 0xFFFFFFFF);
  EXPECT_EQ(Line(12, 6, 0, 0, 9, 3, 0xFFFFFFFF, 1.0f, 0, false), expected);
  EXPECT_EQ(Line(12, 6, 9, 3, 0, 0, 0xFFFFFFFF, 1.0f, 0, false), expected);

  const PixelMap tenByFour = Line(12, 6, 0, 0, 10, 4, 0xFFFFFFFF, 1.0f, 0, false);
  EXPECT_EQ(tenByFour.size(), 11u);
  std::set<int> columns;
  for (const auto& p : tenByFour) columns.insert(p.first.first);
  EXPECT_EQ(columns.size(), 11u);

  // n even: the middle pixel is drawn once after the loop.
  EXPECT_EQ(Line(6, 3, 0, 0, 4, 1, 0xFFFFFFFF, 1.0f, 0, false),
            All({{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}}, 0xFFFFFFFF));
  // Y-major lines step along rows.
  EXPECT_EQ(Line(3, 6, 0, 0, 1, 4, 0xFFFFFFFF, 1.0f, 0, false),
            All({{0, 0}, {0, 1}, {1, 2}, {1, 3}, {1, 4}}, 0xFFFFFFFF));
}

TEST(DrawLine, PlainSpansStayWithinHalfAPixelOfTheTrueLine) {
  drawtest::Rng rng(7);
  for (int i = 0; i < 400; ++i) {
    const int x1 = rng.Range(0, 30), y1 = rng.Range(0, 20), x2 = rng.Range(0, 30), y2 = rng.Range(0, 20);
    const int adx = std::abs(x2 - x1), ady = std::abs(y2 - y1);
    if (adx == 0 || ady == 0 || adx == ady) continue;
    const PixelMap px = Line(31, 21, x1, y1, x2, y2, 0xFFFFFFFF, 1.0f, 0, false);
    const bool xMajor = adx > ady;
    ASSERT_EQ(px.size(), (size_t)(xMajor ? adx : ady) + 1);
    std::set<int> majors;
    for (const auto& p : px) {
      const int x = p.first.first, y = p.first.second;
      majors.insert(xMajor ? x : y);
      const double exact = xMajor ? y1 + (double)(y2 - y1) * (x - x1) / (x2 - x1) : x1 + (double)(x2 - x1) * (y - y1) / (y2 - y1);
      EXPECT_LE(std::fabs((xMajor ? y : x) - exact), 0.5 + 1e-9) << x1 << "," << y1 << " " << x2 << "," << y2;
    }
    EXPECT_EQ(majors.size(), px.size());
  }
}

// (Clipping computes a cut end from the first end point, so only segments inside the bitmap are
// independent of their direction.)
TEST(DrawLine, EitherDirectionChangesTheSamePixelsTheSameWay) {
  drawtest::Rng rng(11);
  const int modes[] = {0, 1, 2, 3, 4, 5};
  const float alphas[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.6f, 1.2f};
  for (int i = 0; i < 600; ++i) {
    const int x1 = rng.Range(0, 16), y1 = rng.Range(0, 12), x2 = rng.Range(0, 16), y2 = rng.Range(0, 12);
    const int mode = modes[rng.Range(0, 5)];
    const float alpha = alphas[rng.Range(0, 5)];
    const bool aa = rng.Range(0, 1) == 1;
    auto a = Make(17, 13, 0x40806020);
    auto b = Make(17, 13, 0x40806020);
    LICE_DrawLine(a.get(), x1, y1, x2, y2, 0xC0F01080, alpha, mode, aa);
    LICE_DrawLine(b.get(), x2, y2, x1, y1, 0xC0F01080, alpha, mode, aa);
    ASSERT_EQ(drawtest::Pixels(a.get()), drawtest::Pixels(b.get()))
        << x1 << "," << y1 << " " << x2 << "," << y2 << " mode " << mode << " alpha " << alpha << " aa " << aa;
  }
}

TEST(DrawLine, AntialiasedSpanWeights) {
  // (0,0)-(4,1): s = 16384. Ends at full weight; then f = 64: the cursor pixel at 191 and its
  // minor neighbour at 64, blended as 255 + (0 - 255) * (256 - weight) / 256; the middle pixel
  // (n even) at 127 with f = 128, and its neighbour at 128.
  PixelMap expected;
  expected[{0, 0}] = 0xFFFFFFFF;
  expected[{1, 0}] = 0xBFBFBFBF;
  expected[{1, 1}] = 0x40404040;
  expected[{2, 0}] = 0x7F7F7F7F;
  expected[{2, 1}] = 0x80808080;
  expected[{3, 1}] = 0xBFBFBFBF;
  expected[{3, 0}] = 0x40404040;
  expected[{4, 1}] = 0xFFFFFFFF;
  EXPECT_EQ(Line(6, 3, 0, 0, 4, 1, 0xFFFFFFFF, 1.0f, 0, true), expected);
  EXPECT_EQ(Line(6, 3, 4, 1, 0, 0, 0xFFFFFFFF, 1.0f, 0, true), expected);

  // At half opacity the weights are scaled: (255 - 64) * 128 >> 8 = 95 and 64 * 128 >> 8 = 32.
  const PixelMap half = Line(6, 3, 0, 0, 4, 1, 0xFFFFFFFF, 0.5f, 0, true);
  EXPECT_EQ(half.at({0, 0}), 0x80808080u);  // ends at w: 255 - 255 * 128 / 256 = 128
  EXPECT_EQ(half.at({1, 0}), 0x5F5F5F5Fu);  // 255 - 255 * 161 / 256 = 95
  EXPECT_EQ(half.at({1, 1}), 0x20202020u);  // 255 - 255 * 224 / 256 = 32
}

TEST(DrawLine, PlainSpanAtHalfOpacityAddsAndHalves) {
  // (c + d) >> 1 per channel: (255 + 1) >> 1 = 128, which the word-wide half would make 127.
  const PixelMap px = Line(6, 3, 0, 0, 4, 1, 0xFFFFFFFF, 0.5f, 0, false, 0x01010101);
  EXPECT_EQ(px.size(), 5u);
  for (const auto& p : px) EXPECT_EQ(p.second, 0x80808080u);
}

TEST(DrawLine, DiagonalLines) {
  // Antialiased at full opacity: main pixels c/2 + c/4 + d/4, neighbours c/4 + d/4 + d/2.
  PixelMap expected = All({{0, 0}, {1, 1}, {2, 2}, {3, 3}}, 0xBEBEBEBE);
  for (auto p : {std::make_pair(1, 0), std::make_pair(0, 1), std::make_pair(2, 1), std::make_pair(1, 2),
                 std::make_pair(3, 2), std::make_pair(2, 3)})
    expected[p] = 0x3F3F3F3F;
  EXPECT_EQ(Line(6, 6, 0, 0, 3, 3, 0xFFFFFFFF, 1.0f, 0, true), expected);
  EXPECT_EQ(Line(6, 6, 3, 3, 0, 0, 0xFFFFFFFF, 1.0f, 0, true), expected);

  // Plain: k + 1 pixels with the per-pixel operation; at w 128 (c + d) >> 1.
  EXPECT_EQ(Line(6, 6, 4, 0, 1, 3, 0xFFFFFFFF, 0.5f, 0, false, 0x01010101),
            All({{4, 0}, {3, 1}, {2, 2}, {1, 3}}, 0x80808080));

  // Antialiased at other opacities: w 128, main 96 (255 - 255 * 160 / 256 = 96), neighbours 32.
  const PixelMap half = Line(6, 6, 0, 0, 2, 2, 0xFFFFFFFF, 0.5f, 0, true);
  EXPECT_EQ(half.at({0, 0}), 0x60606060u);
  EXPECT_EQ(half.at({2, 2}), 0x60606060u);
  EXPECT_EQ(half.at({1, 0}), 0x20202020u);
  EXPECT_EQ(half.at({1, 2}), 0x20202020u);
  EXPECT_EQ(half.size(), 7u);
}

TEST(DrawLine, DiagonalMultiplyAndCombiners) {
  // Multiply by black at full weight: main (16384 * 200) >> 16 = 50, neighbours
  // ((0 - 256) * 256 / 4 + 65536) * 200 >> 16 = 150.
  const PixelMap mul = Line(4, 4, 0, 0, 1, 1, 0x00000000, 1.0f, 3, true, 0xC8C8C8C8);
  EXPECT_EQ(mul.at({0, 0}), 0x32323232u);
  EXPECT_EQ(mul.at({1, 1}), 0x32323232u);
  EXPECT_EQ(mul.at({1, 0}), 0x96969696u);
  EXPECT_EQ(mul.at({0, 1}), 0x96969696u);
  // Add: main at w * 3 / 4 = 192 (100 * 192 / 256 = 75), neighbours at 64 (25).
  const PixelMap add = Line(4, 4, 0, 0, 1, 1, 0x64646464, 1.0f, 1, true);
  EXPECT_EQ(add.at({0, 0}), 0x4B4B4B4Bu);
  EXPECT_EQ(add.at({1, 0}), 0x19191919u);
}

TEST(DrawLine, ModesAndTheirWeights) {
  // Mode 6 draws nothing; mode 0x10001 draws as mode 1 (bit 16 is ignored by lines).
  EXPECT_TRUE(Line(8, 8, 0, 0, 5, 2, 0xFFFFFFFF, 1.0f, 6, false).empty());
  EXPECT_EQ(Line(8, 8, 0, 0, 5, 2, 0x20202020, 1.0f, 0x10001, true, 0x10101010),
            Line(8, 8, 0, 0, 5, 2, 0x20202020, 1.0f, 1, true, 0x10101010));
  // Add at full weight on a plain span: 16 + 32 in every byte.
  const PixelMap add = Line(8, 8, 0, 0, 5, 2, 0x20202020, 1.0f, 1, false, 0x10101010);
  EXPECT_EQ(add.size(), 6u);
  for (const auto& p : add) EXPECT_EQ(p.second, 0x30303030u);
  // Multiply: ((c - 256) * w + 65536) * d >> 16 with c 128, d 200.
  const PixelMap mul = Line(8, 8, 0, 0, 5, 2, 0x80808080, 1.0f, 3, false, 0xC8C8C8C8);
  for (const auto& p : mul) EXPECT_EQ(p.second, 0x64646464u);
  // A zero weight draws nothing in any mode; the colour's alpha takes part as source alpha.
  EXPECT_TRUE(Line(8, 8, 0, 0, 5, 2, 0xFFFFFFFF, 0.0f, 1, true).empty());
  const PixelMap addAlpha = Line(8, 8, 0, 0, 0, 3, 0x7F000000, 1.0f, 1, false);
  for (const auto& p : addAlpha) EXPECT_EQ(p.second, 0x7F000000u);
}

TEST(DrawLine, FlippedBitmapsDrawPictureRowsFromTheBottom) {
  LICE_pixel mem[4 * 3] = {};
  drawtest::ViewBitmap flipped(mem, 4, 3, 4, true);
  LICE_DrawLine(&flipped, 0, 0, 3, 0, 0xFFFFFFFF, 1.0f, 0, false);
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(mem[2 * 4 + x], 0xFFFFFFFFu);
    EXPECT_EQ(mem[x], 0u);
  }
}

}  // namespace
