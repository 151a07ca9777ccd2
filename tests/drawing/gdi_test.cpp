// GDI under Wine: DIB sections with a real device context, and glyphs of a real font ("Arial",
// which the test prefix maps to the metric-compatible Liberation Sans).
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "drawing/lice_draw.h"
#include "drawing/lice_text.h"
#include "tests/drawing/drawing_test_util.h"

using drawtest::Get;
using drawtest::Make;

namespace {

TEST(DibSection, PixelsAreSharedWithTheDeviceContextTopRowFirst) {
  LICE_SysBitmap bm(20, 10);
  ASSERT_NE(bm.GetDC(), (HDC)0);
  ASSERT_NE(bm.GetBits(), nullptr);
  EXPECT_EQ(bm.GetRowSpan(), 20);
  drawtest::FillAll(&bm, 0);
  GdiFlush();
  SetPixelV(bm.GetDC(), 3, 2, RGB(10, 20, 30));
  GdiFlush();
  EXPECT_EQ(Get(&bm, 3, 2), 0x000A141Eu);  // 0xAARRGGBB, rows top-down

  // What the library writes, GDI sees.
  LICE_FillRectangle(&bm, 5, 6, 2, 2, 0xFF112233, 1.0f, 0);
  EXPECT_EQ(GetPixel(bm.GetDC(), 6, 7), RGB(0x11, 0x22, 0x33));
  EXPECT_EQ(GetPixel(bm.GetDC(), 4, 7), RGB(0, 0, 0));

  LICE_SysBitmap copy(20, 10);
  drawtest::FillAll(&copy, 0xFFFFFFFF);
  GdiFlush();
  ASSERT_TRUE(BitBlt(copy.GetDC(), 0, 0, 20, 10, bm.GetDC(), 0, 0, SRCCOPY));
  GdiFlush();
  EXPECT_EQ(Get(&copy, 6, 7) & 0xFFFFFF, 0x112233u);
  EXPECT_EQ(Get(&copy, 3, 2) & 0xFFFFFF, 0x0A141Eu);
}

TEST(DibSection, ResizingKeepsTheSectionWhileItFitsAndTheDeviceContextAlways) {
  LICE_SysBitmap bm(200, 100);
  const HDC dc = bm.GetDC();
  LICE_pixel* bits = bm.GetBits();
  EXPECT_TRUE(bm.Resize(100, 50));
  EXPECT_EQ(bm.GetBits(), bits);
  EXPECT_EQ(bm.GetRowSpan(), 200);
  EXPECT_TRUE(bm.Resize(201, 50));
  EXPECT_EQ(bm.GetRowSpan(), 204);
  ASSERT_NE(bm.GetBits(), nullptr);
  EXPECT_EQ(bm.GetDC(), dc);
  // The new section is selected: GDI draws into the new pixels.
  drawtest::FillAll(&bm, 0);
  GdiFlush();
  SetPixelV(dc, 202, 49, RGB(255, 0, 0));
  GdiFlush();
  EXPECT_EQ(Get(&bm, 202, 49), 0x00FF0000u);
  EXPECT_FALSE(bm.Resize(0, 0));
  EXPECT_EQ(bm.GetBits(), nullptr);
  EXPECT_EQ(bm.GetDC(), dc);
  EXPECT_TRUE(bm.Resize(8, 8));
  EXPECT_NE(bm.GetBits(), nullptr);
}

TEST(DibSection, NoHandlesLeakAcrossManyBitmaps) {
  // Each bitmap holds a device context and a section; a leak would exhaust the GDI handles.
  for (int i = 0; i < 12000; ++i) {
    LICE_SysBitmap bm(8 + i % 5, 8);
    ASSERT_NE(bm.GetDC(), (HDC)0) << i;
    ASSERT_NE(bm.GetBits(), nullptr) << i;
    bm.Resize(30, 30);
    ASSERT_NE(bm.GetBits(), nullptr) << i;
  }
}

// ---------------------------------------------------------------------------------------------
// Glyphs of a real font

HFONT Arial(int height, int escapement = 0) {
  return CreateFontA(height, 0, escapement, escapement, FW_NORMAL, FALSE, FALSE, FALSE, 0, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0, "Arial");
}

std::unique_ptr<LICE_CachedFont> ArialFont(int height, int flags = 0) {
  std::unique_ptr<LICE_CachedFont> f(new LICE_CachedFont);
  HFONT h = Arial(height);
  EXPECT_NE(h, (HFONT)0);
  f->SetFromHFont(h, flags | FontFlagOwnsFont);
  return f;
}

struct Mask {
  int w = 0, h = 0, advance = 0;
  std::vector<int> v;
  int at(int x, int y) const { return v[y * w + x]; }
  int Ink() const {
    int n = 0;
    for (int c : v) n += c != 0;
    return n;
  }
};

Mask GlyphMask(LICE_CachedFont* f, int code) {
  Mask m;
  EXPECT_TRUE(f->RenderGlyph(code)) << code;
  const LICE_CachedFont::GlyphEntry* e = f->FindGlyph(code);
  const unsigned char* p = f->GetGlyphMask(e);
  if (!e || !p) return m;
  m.w = e->width;
  m.h = e->height;
  m.advance = e->advance;
  m.v.assign(p, p + m.w * m.h);
  return m;
}

TEST(GdiGlyphs, ArialResolvesToARealFontWithItsMetrics) {
  // An em of 100 pixels (negative height: character height). Arial's and Liberation Sans's
  // advances are 1933 / 2048 em for 'W' and 455 / 2048 for 'i'.
  auto f = ArialFont(-100);
  EXPECT_GE(f->GetLineHeight(), 100);
  EXPECT_LE(f->GetLineHeight(), 125);
  const Mask w = GlyphMask(f.get(), 'W'), i = GlyphMask(f.get(), 'i');
  EXPECT_NEAR(w.advance, 94, 2);
  EXPECT_NEAR(i.advance, 22, 2);
  EXPECT_GT(w.Ink(), 200);
  EXPECT_GT(i.Ink(), 50);
}

TEST(GdiGlyphs, MasksHaveTheShapesOfTheLetters) {
  auto f = ArialFont(-40);
  const Mask o = GlyphMask(f.get(), 'O'), l = GlyphMask(f.get(), 'l'), space = GlyphMask(f.get(), ' ');
  ASSERT_GT(o.w, 10);
  // 'O' is a ring: ink on its sides at mid height, none in its middle.
  int top = o.h, bottom = -1;
  for (int y = 0; y < o.h; ++y)
    for (int x = 0; x < o.w; ++x)
      if (o.at(x, y)) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  ASSERT_LT(top, bottom);
  const int midRow = (top + bottom) / 2;  // halfway between the ring's top and bottom
  int first = -1, last = -1;
  for (int x = 0; x < o.w; ++x)
    if (o.at(x, midRow) > 128) {
      if (first < 0) first = x;
      last = x;
    }
  ASSERT_GE(first, 0);
  EXPECT_GT(last - first, 10);
  EXPECT_EQ(o.at((first + last) / 2, midRow), 0);
  // 'l' is one narrow stroke; a space has an advance and no ink.
  int inkColumns = 0;
  for (int x = 0; x < l.w; ++x) {
    bool any = false;
    for (int y = 0; y < l.h; ++y) any = any || l.at(x, y) > 0;
    inkColumns += any;
  }
  EXPECT_GE(inkColumns, 2);
  EXPECT_LE(inkColumns, 6);
  EXPECT_GT(space.advance, 5);
  EXPECT_EQ(space.Ink(), 0);
  // 'é' is an 'e' with ink above it.
  const Mask e = GlyphMask(f.get(), 'e'), eacute = GlyphMask(f.get(), 233);
  int eTop = e.h, aTop = eacute.h;
  for (int y = 0; y < e.h; ++y)
    for (int x = 0; x < e.w; ++x)
      if (e.at(x, y)) eTop = std::min(eTop, y);
  for (int y = 0; y < eacute.h; ++y)
    for (int x = 0; x < eacute.w; ++x)
      if (eacute.at(x, y)) aTop = std::min(aTop, y);
  EXPECT_LT(aTop + 3, eTop);
}

TEST(GdiGlyphs, VerticalMasksAreTheTurnedHorizontalOnes) {
  auto flat = ArialFont(-30);
  auto down = ArialFont(-30, FontFlagVertical);
  auto up = ArialFont(-30, FontFlagVertical | FontFlagBottomUp);
  const Mask h = GlyphMask(flat.get(), 'F'), d = GlyphMask(down.get(), 'F'), u = GlyphMask(up.get(), 'F');
  ASSERT_EQ(d.w, h.h);
  ASSERT_EQ(d.h, h.w);
  ASSERT_EQ(u.w, h.h);
  for (int r = 0; r < d.h; ++r)
    for (int c = 0; c < d.w; ++c) {
      ASSERT_EQ(d.at(c, r), h.at(r, h.h - 1 - c));
      ASSERT_EQ(u.at(c, r), h.at(h.w - 1 - r, c));
    }
}

TEST(GdiGlyphs, MonoMasksAreThresholded) {
  auto f = ArialFont(-24, FontFlagMono);
  const Mask m = GlyphMask(f.get(), 'S');
  EXPECT_GT(m.Ink(), 10);
  for (int v : m.v) EXPECT_TRUE(v == 0 || v == 255);
}

TEST(GdiGlyphs, TextIsDrawnInsideItsRectangle) {
  auto f = ArialFont(-20);
  f->SetTextColor(0xFFFFFFFF);
  auto bm = Make(200, 60, 0xFF000000);
  LICE_Rect r = {20, 10, 180, 50};
  const int h = f->DrawText(bm.get(), "Corvane 2.0.8", -1, &r, LICE_DT_CENTER | LICE_DT_VCENTER | LICE_DT_SINGLELINE);
  EXPECT_GT(h, 10);
  int ink = 0, full = 0, left = 200, right = -1;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) {
      const LICE_pixel p = Get(bm.get(), x, y);
      if (p == 0xFF000000u) continue;
      ++ink;
      full += p == 0xFFFFFFFFu;
      EXPECT_TRUE(x >= 20 && x < 180 && y >= 10 && y < 50) << x << "," << y;
      left = std::min(left, x);
      right = std::max(right, x);
    }
  EXPECT_GT(ink, 150);
  EXPECT_GT(full, 20);
  // Centred: the margins on both sides differ by a few pixels at most.
  EXPECT_NEAR(left - 20, 179 - right, 4);

  LICE_Rect m = {0, 0, 0, 0};
  EXPECT_EQ(f->DrawText(nullptr, "Corvane 2.0.8", -1, &m, LICE_DT_SINGLELINE | LICE_DT_CALCRECT), m.bottom);
  EXPECT_NEAR(m.right, right - left + 1, 4);
}

TEST(GdiGlyphs, TheSystemBitmapTakesGlyphTextToo) {
  auto f = ArialFont(-16);
  f->SetTextColor(0xFF00FF00);
  LICE_SysBitmap bm(100, 30);
  drawtest::FillAll(&bm, 0xFF000000);
  LICE_Rect r = {0, 0, 100, 30};
  EXPECT_GT(f->DrawText(&bm, "Gain", -1, &r, 0), 0);
  int green = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x) green += Get(&bm, x, y) == 0xFF00FF00u;
  EXPECT_GT(green, 10);
}

}  // namespace
