// The native text path of the x86-64 VST3 build, under Wine: the registry test, the choice of
// path, and whole strings drawn by GDI into bitmaps with and without a device context.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "drawing/lice_draw.h"
#include "drawing/lice_text.h"
#include "tests/drawing/drawing_test_util.h"

using drawtest::Get;
using drawtest::Make;

namespace {

std::unique_ptr<LICE_CachedFont> ArialFont(int height, int flags) {
  std::unique_ptr<LICE_CachedFont> f(new LICE_CachedFont);
  HFONT h = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, 0, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        DEFAULT_QUALITY, 0, "Arial");
  EXPECT_NE(h, (HFONT)0);
  f->SetFromHFont(h, flags | FontFlagOwnsFont);
  return f;
}

int Width(LICE_CachedFont* f, const char* s, int length = -1) {
  LICE_Rect r = {0, 0, 0, 0};
  f->DrawText(nullptr, s, length, &r, LICE_DT_SINGLELINE | LICE_DT_CALCRECT);
  return r.right - r.left;
}

int CountNot(LICE_IBitmap* bm, LICE_pixel background, LICE_Rect* box = nullptr) {
  int n = 0;
  LICE_Rect b = {bm->GetWidth(), bm->GetHeight(), -1, -1};
  for (int y = 0; y < bm->GetHeight(); ++y)
    for (int x = 0; x < bm->GetWidth(); ++x)
      if ((Get(bm, x, y) & 0xFFFFFF) != (background & 0xFFFFFF)) {
        ++n;
        b.left = std::min(b.left, x);
        b.top = std::min(b.top, y);
        b.right = std::max(b.right, x + 1);
        b.bottom = std::max(b.bottom, y + 1);
      }
  if (box) *box = b;
  return n;
}

TEST(WineState, TheRegistryKeyIsLookedUpOnce) {
  HKEY key;
  const bool wine = RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Wine", &key) == ERROR_SUCCESS;
  if (wine) RegCloseKey(key);
  EXPECT_TRUE(wine) << "these tests run under Wine";
  EXPECT_EQ(LICE_WineState(), wine ? 1 : 0);
  EXPECT_EQ(LICE_WineState(), wine ? 1 : 0);
}

TEST(NativePath, UnderWineSmallFontsAlwaysUseTheGlyphCache) {
  ASSERT_EQ(LICE_WineState(), 1);
  auto native = ArialFont(-18, FontFlagNative);
  native->SetTextColor(0xFFFFFFFF);
  auto glyphs = ArialFont(-18, 0);
  glyphs->SetTextColor(0xFFFFFFFF);
  for (int withDC = 0; withDC < 2; ++withDC) {
    std::unique_ptr<LICE_IBitmap> a, b;
    if (withDC) {
      a.reset(new LICE_SysBitmap(160, 40));
      b.reset(new LICE_SysBitmap(160, 40));
    } else {
      a.reset(new LICE_MemBitmap(160, 40));
      b.reset(new LICE_MemBitmap(160, 40));
    }
    drawtest::FillAll(a.get(), 0xFF000000);
    drawtest::FillAll(b.get(), 0xFF000000);
    LICE_Rect r = {2, 2, 158, 38};
    native->DrawText(a.get(), "Detector 1 gain", -1, &r, 0x124);
    r = LICE_Rect{2, 2, 158, 38};
    glyphs->DrawText(b.get(), "Detector 1 gain", -1, &r, 0x124 | TextFlagNoNative);
    EXPECT_GT(CountNot(a.get(), 0xFF000000), 50);
    EXPECT_EQ(drawtest::Pixels(a.get()), drawtest::Pixels(b.get())) << "device context " << withDC;
  }
}

// Fonts of 256 pixels and more go to GDI whole, Wine or not.
TEST(NativePath, LargeFontsIntoABitmapWithADeviceContext) {
  auto f = ArialFont(300, FontFlagNative);
  ASSERT_GE(f->GetLineHeight(), 256);
  f->SetTextColor(0xFFFFFFFF);
  LICE_SysBitmap bm(600, 400);
  drawtest::FillAll(&bm, 0xFF000000);
  LICE_Rect r = {10, 10, 590, 390};
  EXPECT_GT(f->DrawText(&bm, "Hi", -1, &r, 0x124), 200);
  LICE_Rect box;
  EXPECT_GT(CountNot(&bm, 0xFF000000, &box), 2000);
  EXPECT_GE(box.left, 10);
  EXPECT_LE(box.right, 590);

  LICE_Rect m = {5, 6, 5, 6};
  EXPECT_GT(f->DrawText(&bm, "Hi", -1, &m, LICE_DT_SINGLELINE | LICE_DT_CALCRECT), 256);
  EXPECT_EQ(m.left, 5);
  EXPECT_GT(m.right, 5 + 100);
  EXPECT_GE(m.bottom - m.top, f->GetLineHeight() - 2);
}

TEST(NativePath, LargeFontsIntoABitmapWithoutADeviceContext) {
  auto f = ArialFont(300, FontFlagNative);
  f->SetTextColor(0xFFFFFFFF);
  auto bm = Make(600, 400, 0xFF000000);
  LICE_Rect r = {50, 20, 400, 380};
  f->DrawText(bm.get(), "Wg", -1, &r, LICE_DT_RIGHT | LICE_DT_BOTTOM | LICE_DT_SINGLELINE);
  LICE_Rect box;
  EXPECT_GT(CountNot(bm.get(), 0xFF000000, &box), 2000);
  // Clipped to the caller's rectangle and pushed against its right edge.
  EXPECT_GE(box.left, 50);
  EXPECT_GE(box.top, 20);
  EXPECT_LE(box.right, 400);
  EXPECT_LE(box.bottom, 380);
  EXPECT_GT(box.right, 370);

  // At half opacity the copied-back box is mixed with what was there.
  f->SetCombineMode(0, 0.5f);
  auto half = Make(600, 400, 0xFF000000);
  r = LICE_Rect{50, 20, 400, 380};
  f->DrawText(half.get(), "Wg", -1, &r, LICE_DT_RIGHT | LICE_DT_BOTTOM | LICE_DT_SINGLELINE);
  int brightest = 0;
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 600; ++x) brightest = std::max(brightest, (int)LICE_GETG(Get(half.get(), x, y)));
  EXPECT_GE(brightest, 120);
  EXPECT_LE(brightest, 128);
}

TEST(NativePath, NeverReadsPastTheTerminator) {
  auto f = ArialFont(300, FontFlagNative);
  const char text[] = "Hi\0WWWWWWWW";
  EXPECT_EQ(Width(f.get(), text, (int)sizeof(text)), Width(f.get(), "Hi"));
  EXPECT_LT(Width(f.get(), "Hi"), Width(f.get(), "HiW"));
  EXPECT_EQ(Width(f.get(), "Hi", 1), Width(f.get(), "H"));
}

TEST(NativePath, Utf8TextIsDrawnWide) {
  auto f = ArialFont(300, FontFlagNative);
  // 'e' with an acute accent has the advance of 'e'; as two ANSI bytes it would be two glyphs.
  EXPECT_EQ(Width(f.get(), "\xC3\xA9"), Width(f.get(), "e"));
  EXPECT_GT(Width(f.get(), "\xC3" "A"), Width(f.get(), "A"));  // not UTF-8: two characters
  // More than 999 units take a heap buffer (and fewer than the 1024 characters Wine's DrawText
  // lays out on one line).
  std::string longText;
  for (int i = 0; i < 1010; ++i) longText += "\xC3\xA9";
  EXPECT_EQ(Width(f.get(), longText.c_str()), 1010 * Width(f.get(), "e"));
}

// A bitmap that asks for the glyph path.
class GlyphPathBitmap : public LICE_MemBitmap {
 public:
  GlyphPathBitmap(int w, int h) : LICE_MemBitmap(w, h) {}
  intptr_t GetExtra(int id, void*) override {
    ++asked;
    return id == 0x59555678 ? 1 : 0;
  }
  int asked = 0;
};

TEST(NativePath, ABitmapCanAskForTheGlyphPath) {
  auto f = ArialFont(300, FontFlagNative);
  f->SetTextColor(0xFFFFFFFF);
  GlyphPathBitmap bm(400, 400);
  drawtest::FillAll(&bm, 0xFF000000);
  LICE_Rect r = {0, 0, 400, 400};
  f->DrawText(&bm, "I", -1, &r, 0);
  EXPECT_GT(bm.asked, 0);
  EXPECT_GT(CountNot(&bm, 0xFF000000), 500);
  // The glyph cache holds the character now; the native path would not have cached it.
  EXPECT_GT(f->FindGlyph('I')->offset, 0);
}

TEST(NativePath, WithoutAFontNothingGoesToGdi) {
  // Native drawing is allowed, yet without a font the text takes the glyph path (which renders
  // with the canvas's default font) for both kinds of destination.
  LICE_CachedFont f;
  f.SetFromHFont((HFONT)0, FontFlagNative);
  auto bm = Make(50, 50, 0);
  LICE_Rect r = {0, 0, 50, 50};
  f.DrawText(bm.get(), "a", -1, &r, 0);
  EXPECT_NE(f.FindGlyph('a')->offset, 0);
  LICE_SysBitmap sys(50, 50);
  f.DrawText(&sys, "b", -1, &r, 0);
  EXPECT_NE(f.FindGlyph('b')->offset, 0);
}

}  // namespace
