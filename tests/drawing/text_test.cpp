// The glyph cache and text drawing, with glyph shapes given pixel by pixel so that masks,
// measuring, placement and blending can be checked exactly (builds without GDI).
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "drawing/lice_draw.h"
#include "drawing/lice_text.h"
#include "tests/drawing/drawing_test_util.h"

using drawtest::Get;
using drawtest::Make;

namespace {

typedef std::vector<std::vector<int>> Rows;

struct Glyph {
  int advance;
  int height;
  Rows ink;  // coverage rows drawn from (0, 0); may be wider than the advance
};

// A rasteriser that draws the glyphs it is given; unknown codes have no cell.
class TableSource : public LICE_GlyphSource {
 public:
  TableSource(int lineHeight, std::map<int, Glyph> glyphs, int* renders = nullptr, bool* deleted = nullptr)
      : m_lineHeight(lineHeight), m_glyphs(std::move(glyphs)), m_renders(renders), m_deleted(deleted) {}
  ~TableSource() override {
    if (m_deleted) *m_deleted = true;
  }
  bool GetLineHeight(int* h) override {
    *h = m_lineHeight;
    return true;
  }
  void MeasureGlyph(unsigned short code, int* advance, int* height) override {
    auto it = m_glyphs.find(code);
    *advance = it == m_glyphs.end() ? 0 : it->second.advance;
    *height = it == m_glyphs.end() ? m_lineHeight : it->second.height;
  }
  void RenderGlyph(unsigned short code, LICE_IBitmap* canvas) override {
    if (m_renders) ++*m_renders;
    auto it = m_glyphs.find(code);
    if (it == m_glyphs.end()) return;
    const Rows& ink = it->second.ink;
    for (int y = 0; y < (int)ink.size() && y < canvas->GetHeight(); ++y)
      for (int x = 0; x < (int)ink[y].size() && x < canvas->GetWidth(); ++x) {
        const int v = ink[y][x];
        drawtest::Set(canvas, x, y, LICE_RGBA(v, v, v, 255));
      }
  }

 private:
  int m_lineHeight;
  std::map<int, Glyph> m_glyphs;
  int* m_renders;
  bool* m_deleted;
};

const int F = 255;

// Line height 4 (render width = advance + 2).
std::map<int, Glyph> BasicGlyphs() {
  std::map<int, Glyph> g;
  g['A'] = {3, 4, {{0, F, 0}, {F, 0, F}, {F, F, F}, {F, 0, F}}};
  g['B'] = {2, 4, {{F, F, 0, 9}, {F, 0, 0, 9}, {F, F, 0, 0}, {F, F, 0, 0}}};  // ink one column past
  g[' '] = {2, 4, {}};
  g['R'] = {3, 2, {{10, 20, 30}, {40, 50, 60}}};
  g['W'] = {6, 4, {{F, F, F, F, F, F}, {F, F, F, F, F, F}, {F, F, F, F, F, F}, {F, F, F, F, F, F}}};
  g['v'] = {2, 4, {{128, 63}, {0, 0}, {0, 0}, {0, 0}}};
  g['x'] = {2, 4, {{0, 0, 0, 0, 0, 0, 77}}};  // ink beyond the render width is not kept
  g[233] = {5, 4, {{F}}};
  g[195] = {7, 4, {{F}}};
  g[0x20AC] = {4, 4, {{F}}};
  g[192] = {1, 4, {{F}}};
  g[300] = {1, 4, {{1}}};
  g[200] = {1, 4, {{2}}};
  g[250] = {1, 4, {{3}}};
  return g;
}

struct FontFixture {
  explicit FontFixture(int flags = 0, std::map<int, Glyph> glyphs = BasicGlyphs(), int lineHeight = 4) {
    font.reset(new LICE_CachedFont);
    font->SetFromHFont(new TableSource(lineHeight, std::move(glyphs), &renders), flags | FontFlagOwnsFont);
  }
  Rows Mask(int code) {
    LICE_CachedFont::GlyphEntry* e = font->FindGlyph(code);
    if (!e || e->offset == 0) font->RenderGlyph(code);
    e = font->FindGlyph(code);
    Rows out;
    const unsigned char* m = font->GetGlyphMask(e);
    if (!m) return out;
    for (int y = 0; y < e->height; ++y) out.push_back(std::vector<int>(m + y * e->width, m + (y + 1) * e->width));
    return out;
  }
  int renders = 0;
  std::unique_ptr<LICE_CachedFont> font;
};

int Measure(LICE_CachedFont* f, const char* s, int flags, LICE_Rect* r, int length = -1) {
  *r = LICE_Rect{10, 20, 10, 20};
  return f->DrawText(nullptr, s, length, r, flags | LICE_DT_CALCRECT);
}

// ---------------------------------------------------------------------------------------------
// Masks

TEST(GlyphMasks, RedChannelPackedToTheInkedWidth) {
  FontFixture fx;
  EXPECT_EQ(fx.Mask('A'), (Rows{{0, F, 0}, {F, 0, F}, {F, F, F}, {F, 0, F}}));
  const LICE_CachedFont::GlyphEntry* a = fx.font->FindGlyph('A');
  EXPECT_EQ(a->advance, 3);
  EXPECT_GT(a->offset, 0);
  // Ink past the advance widens the mask; ink past the render width is not kept.
  EXPECT_EQ(fx.Mask('B'), (Rows{{F, F, 0, 9}, {F, 0, 0, 9}, {F, F, 0, 0}, {F, F, 0, 0}}));
  EXPECT_EQ(fx.font->FindGlyph('B')->advance, 2);
  EXPECT_EQ(fx.Mask('x'), (Rows{{0, 0}, {0, 0}, {0, 0}, {0, 0}}));
  // A blank glyph keeps its advance; a glyph without a cell is empty.
  EXPECT_EQ(fx.Mask(' '), (Rows{{0, 0}, {0, 0}, {0, 0}, {0, 0}}));
  fx.font->RenderGlyph('q');
  EXPECT_EQ(fx.font->FindGlyph('q')->offset, -1);
  EXPECT_EQ(fx.font->FindGlyph('q')->advance, 0);
}

TEST(GlyphMasks, TallFontsRenderWiderThanTheAdvance) {
  // Line height 32: render width = advance + 32 / 16 + 2, so ink three columns past counts.
  std::map<int, Glyph> g;
  g['k'] = {3, 32, {{0, 0, 0, 0, 0, 0, 5}}};
  FontFixture fx(0, g, 32);
  EXPECT_EQ(fx.font->GetLineHeight(), 32);
  const Rows m = fx.Mask('k');
  ASSERT_EQ(m.size(), 32u);
  EXPECT_EQ(m[0].size(), 7u);
  EXPECT_EQ(m[0][6], 5);
}

TEST(GlyphMasks, InvertMonoShadowOutline) {
  {
    FontFixture fx(FontFlagInvert);
    EXPECT_EQ(fx.Mask('A'), (Rows{{F, 0, F}, {0, F, 0}, {0, 0, 0}, {0, F, 0}}));
  }
  std::map<int, Glyph> g;
  g['o'] = {5, 5, {{100, 0, 0, 0, 0}, {0, 0, 130, 0, 0}, {0, 0, 131, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}}};
  {
    FontFixture fx(FontFlagMono, g, 5);
    EXPECT_EQ(fx.Mask('o'), (Rows{{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, F, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}}));
  }
  const int E = 128;
  {
    FontFixture fx(FontFlagShadow, g, 5);
    EXPECT_EQ(fx.Mask('o'), (Rows{{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, F, E, 0}, {0, 0, E, E, 0}, {0, 0, 0, 0, 0}}));
  }
  {
    FontFixture fx(FontFlagOutline, g, 5);
    EXPECT_EQ(fx.Mask('o'), (Rows{{0, 0, 0, 0, 0}, {0, 0, E, 0, 0}, {0, E, F, E, 0}, {0, 0, E, 0, 0}, {0, 0, 0, 0, 0}}));
  }
  {
    FontFixture fx(FontFlagShadow | FontFlagOutline, g, 5);  // the shadow wins
    EXPECT_EQ(fx.Mask('o'), (Rows{{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, F, E, 0}, {0, 0, E, E, 0}, {0, 0, 0, 0, 0}}));
  }
}

TEST(GlyphMasks, VerticalFontsTurnEachGlyph) {
  {
    FontFixture fx(FontFlagVertical);
    EXPECT_EQ(fx.Mask('R'), (Rows{{40, 10}, {50, 20}, {60, 30}}));  // clockwise
  }
  {
    FontFixture fx(FontFlagVertical | FontFlagBottomUp);
    EXPECT_EQ(fx.Mask('R'), (Rows{{30, 60}, {20, 50}, {10, 40}}));  // counter-clockwise
  }
}

TEST(GlyphMasks, BlurHalvesSelfAndShares) {
  // One full dot at (2, 1): 1/4 of it to the first row, 1/2 kept, 1/8 to the sides and to the
  // middle row below; the last row takes 1/4 of the already blurred row above.
  std::map<int, Glyph> g;
  g['d'] = {5, 4, {{0, 0, 0}, {0, 0, F}}};
  FontFixture fx(FontFlagBlur, g);
  EXPECT_EQ(fx.Mask('d'), (Rows{{0, 0, 63, 0, 0}, {0, 31, 127, 31, 0}, {0, 0, 31, 0, 0}, {0, 0, 7, 0, 0}}));
}

TEST(GlyphMasks, BlurOfWideGlyphsUsesHeapRows) {
  std::map<int, Glyph> g;
  Rows ink(600, std::vector<int>());
  ink[1].assign(1001, 0);
  ink[1][1000] = F;
  ink[597].assign(1001, 0);
  ink[597][1000] = F;
  g['w'] = {1100, 600, ink};
  FontFixture fx(FontFlagBlur, g, 600);
  const Rows m = fx.Mask('w');
  ASSERT_EQ(m.size(), 600u);
  ASSERT_EQ(m[0].size(), 1100u);
  EXPECT_EQ(m[0][1000], 63);
  EXPECT_EQ(m[1][999], 31);
  EXPECT_EQ(m[1][1000], 127);
  EXPECT_EQ(m[1][1001], 31);
  EXPECT_EQ(m[2][1000], 31);
  EXPECT_EQ(m[3][1000], 0);  // middle rows read the row above as it was
  EXPECT_EQ(m[598][1000], 31);
  EXPECT_EQ(m[599][1000], 7);  // the last row reads it blurred
}

TEST(GlyphCache, RendersEachCodeOnceAndKeepsExtendedCodesSorted) {
  FontFixture fx;
  auto bm = Make(40, 10, 0);
  LICE_Rect r = {0, 0, 40, 10};
  fx.font->DrawText(bm.get(), "AAAA", -1, &r, 0);
  fx.font->DrawText(bm.get(), "AA", -1, &r, 0);
  EXPECT_EQ(fx.renders, 1);
  for (int code : {300, 200, 250}) EXPECT_TRUE(fx.font->RenderGlyph(code));
  EXPECT_EQ(fx.Mask(300), (Rows{{1}, {0}, {0}, {0}}));
  EXPECT_EQ(fx.Mask(200), (Rows{{2}, {0}, {0}, {0}}));
  EXPECT_EQ(fx.Mask(250), (Rows{{3}, {0}, {0}, {0}}));
  EXPECT_EQ(fx.font->FindGlyph(299), nullptr);
  EXPECT_EQ(fx.font->FindGlyph(300 + 65536)->code, 300);  // codes are 16 bits
}

TEST(GlyphCache, AsciiOnlyRendersAtOnceAndNeverCachesOtherCodes) {
  FontFixture fx(FontFlagAsciiOnly);
  EXPECT_EQ(fx.renders, 7);  // every code below 128 that has a cell: A B space R W v x
  EXPECT_GT(fx.font->FindGlyph('A')->offset, 0);
  EXPECT_FALSE(fx.font->RenderGlyph(233));
  LICE_Rect r;
  EXPECT_EQ(Measure(fx.font.get(), "A\xC3\xA9" "A", 0, &r), 4);
  EXPECT_EQ(r.right - r.left, 6);  // the code 233 neither draws nor advances
}

TEST(GlyphCache, SettingAFontStartsAFreshCache) {
  FontFixture fx;
  EXPECT_EQ(fx.Mask('A')[0], (std::vector<int>{0, F, 0}));
  std::map<int, Glyph> other;
  other['A'] = {2, 3, {{7, 7}, {7, 7}, {7, 7}}};
  fx.font->SetFromHFont(new TableSource(3, other), FontFlagOwnsFont);
  EXPECT_EQ(fx.font->GetLineHeight(), 3);
  EXPECT_EQ(fx.font->FindGlyph('A')->offset, 0);
  EXPECT_EQ(fx.font->FindGlyph(300), nullptr);
  EXPECT_EQ(fx.Mask('A'), (Rows{{7, 7}, {7, 7}, {7, 7}}));
}

TEST(GlyphCache, OwnedSourcesAreDeletedWhenReplacedOrDestroyed) {
  bool firstGone = false, secondGone = false;
  TableSource* first = new TableSource(4, BasicGlyphs(), nullptr, &firstGone);
  {
    LICE_CachedFont font;
    font.SetFromHFont(first, FontFlagOwnsFont);
    font.SetFromHFont(first, FontFlagOwnsFont);  // the same handle again is kept
    EXPECT_FALSE(firstGone);
    font.SetFromHFont(new TableSource(4, BasicGlyphs(), nullptr, &secondGone), FontFlagOwnsFont);
    EXPECT_TRUE(firstGone);
    EXPECT_FALSE(secondGone);
  }
  EXPECT_TRUE(secondGone);

  bool kept = false;
  TableSource notOwned(4, BasicGlyphs(), nullptr, &kept);
  {
    LICE_CachedFont font;
    font.SetFromHFont(&notOwned, 0);
  }
  EXPECT_FALSE(kept);
}

TEST(GlyphCache, CanvasesLiveWhileFontsDo) {
  const int before = LICE_LiveFontCount();
  {
    FontFixture a, b;
    EXPECT_EQ(LICE_LiveFontCount(), before + 2);
    ASSERT_NE(LICE_GlyphCanvas(), nullptr);
    EXPECT_GE(LICE_GlyphCanvas()->GetWidth(), 256);
    EXPECT_GE(LICE_GlyphCanvas()->GetHeight(), 256);
  }
  EXPECT_EQ(LICE_LiveFontCount(), before);
  if (before == 0) {
    EXPECT_EQ(LICE_GlyphCanvas(), nullptr);
  }
}

TEST(GlyphCache, FontsThatCannotBeCachedDrawNothing) {
  // Line height above 1023: nothing is cached.
  LICE_CachedFont big;
  big.SetFromHFont(new LICE_TestGlyphSource(1100), FontFlagOwnsFont);
  EXPECT_EQ(big.GetLineHeight(), 1100);
  EXPECT_FALSE(big.RenderGlyph('A'));
  auto bm = Make(50, 50, 0);
  LICE_Rect r = {0, 0, 50, 50};
  big.SetTextColor(0xFFFFFFFF);
  EXPECT_EQ(big.DrawText(bm.get(), "AB", -1, &r, 0), 0);
  EXPECT_EQ(drawtest::Pixels(bm.get()), std::vector<LICE_pixel>(2500, 0));
  // Metrics that cannot be read: the line height is 0 and nothing is rendered.
  LICE_CachedFont broken;
  broken.SetFromHFont(new LICE_TestGlyphSource(0), FontFlagOwnsFont);
  EXPECT_EQ(broken.GetLineHeight(), 0);
  EXPECT_FALSE(broken.RenderGlyph('A'));
  EXPECT_EQ(broken.DrawText(bm.get(), "AB", -1, &r, 0), 0);
  EXPECT_EQ(Measure(&broken, "AB", 0, &r), 0);
  EXPECT_EQ(drawtest::Pixels(bm.get()), std::vector<LICE_pixel>(2500, 0));
}

TEST(GlyphCache, TheLibrarysTestRasteriserFollowsItsRule) {
  LICE_CachedFont font;
  font.SetFromHFont(new LICE_TestGlyphSource(10), FontFlagOwnsFont);
  ASSERT_TRUE(font.RenderGlyph('a'));  // 97: advance 5 + 1, odd: one column of overhang
  const LICE_CachedFont::GlyphEntry* e = font.FindGlyph('a');
  EXPECT_EQ(e->advance, 6);
  EXPECT_EQ(e->width, 7);
  EXPECT_EQ(e->height, 10);
  const unsigned char* m = font.GetGlyphMask(e);
  EXPECT_EQ(m[0 * 7 + 3], 0);  // row 0 is blank
  EXPECT_EQ(m[2 * 7 + 3], (3 * 53 + 2 * 29 + 97 * 17) % 256);
  EXPECT_EQ(m[9 * 7 + 3], 0);  // and so is the last row
  ASSERT_TRUE(font.RenderGlyph(' '));
  EXPECT_EQ(font.FindGlyph(' ')->advance, 5 + 32 % 3);
  ASSERT_TRUE(font.RenderGlyph(7));
  EXPECT_EQ(font.FindGlyph(7)->offset, -1);
}

// ---------------------------------------------------------------------------------------------
// Measuring

TEST(TextMeasure, LinesCarriageReturnsAndSpaces) {
  FontFixture fx;
  LICE_Rect r;
  EXPECT_EQ(Measure(fx.font.get(), "A\nB", 0, &r), 8);  // B one line height below A
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right, 14);  // B's mask is 4 wide
  EXPECT_EQ(r.bottom, 28);
  EXPECT_EQ(Measure(fx.font.get(), "A\nB", LICE_DT_SINGLELINE, &r), 4);  // the line feed is a space
  EXPECT_EQ(r.right - r.left, 3 + 2 + 4);
  EXPECT_EQ(Measure(fx.font.get(), "A\rB", 0, &r), 4);
  EXPECT_EQ(r.right - r.left, 3 + 4);
  EXPECT_EQ(Measure(fx.font.get(), "", 0, &r), 0);
  EXPECT_EQ(r.right, r.left);
  // A character without a cell measures as nothing.
  EXPECT_EQ(Measure(fx.font.get(), "AqA", 0, &r), 4);
  EXPECT_EQ(r.right - r.left, 6);
}

TEST(TextMeasure, Utf8Decoding) {
  FontFixture fx;
  LICE_Rect r;
  Measure(fx.font.get(), "\xC3\xA9", 0, &r);  // two bytes: 233
  EXPECT_EQ(r.right - r.left, 5);
  Measure(fx.font.get(), "\xE2\x82\xAC", 0, &r);  // three bytes: 0x20AC
  EXPECT_EQ(r.right - r.left, 4);
  Measure(fx.font.get(), "A\xF0\x9F\x98\x80" "A", 0, &r);  // four bytes: one space
  EXPECT_EQ(r.right - r.left, 3 + 2 + 3);
  Measure(fx.font.get(), "\xC3" "A", 0, &r);  // no continuation: the byte is its own code
  EXPECT_EQ(r.right - r.left, 7 + 3);
  Measure(fx.font.get(), "\xC3\xC0", 0, &r);  // 0xC0 counts as a continuation: code 192
  EXPECT_EQ(r.right - r.left, 1);
  Measure(fx.font.get(), "AAB", 0, &r, 2);  // the length limits the walk
  EXPECT_EQ(r.right - r.left, 6);
  Measure(fx.font.get(), "A\0B", 0, &r, 3);  // and so does a zero byte
  EXPECT_EQ(r.right - r.left, 3);
  Measure(fx.font.get(), "\xC3\xA9", 0, &r, 1);  // a sequence cut by the length
  EXPECT_EQ(r.right - r.left, 7);
}

TEST(TextMeasure, NeverReadsPastTheLength) {
  FontFixture fx;
  // Exactly sized buffers without a terminator: a read past them is an error under ASan.
  for (const char* s : {"\xE2\x82", "\xF0\x9F\x98", "\xC3", "AB"}) {
    const size_t n = strlen(s);
    std::unique_ptr<char[]> buf(new char[n]);
    memcpy(buf.get(), s, n);
    LICE_Rect r;
    Measure(fx.font.get(), buf.get(), 0, &r, (int)n);
    auto bm = Make(30, 8, 0);
    r = LICE_Rect{0, 0, 30, 8};
    fx.font->DrawText(bm.get(), buf.get(), (int)n, &r, LICE_DT_CENTER);
  }
}

TEST(TextMeasure, NullDestinationOnlyMeasures) {
  FontFixture fx;
  LICE_Rect r = {0, 0, 100, 30};
  EXPECT_EQ(fx.font->DrawText(nullptr, "AB", -1, &r, 0x124), 0);
  EXPECT_EQ(r.right, 100);
  EXPECT_EQ(fx.font->DrawText(nullptr, "AB", -1, &r, 0x524), 4);
  EXPECT_EQ(r.right, 7);
  EXPECT_EQ(r.bottom, 4);
  EXPECT_EQ(fx.font->DrawText(nullptr, nullptr, -1, &r, 0x524), 0);
  EXPECT_EQ(fx.font->DrawText(nullptr, "AB", -1, nullptr, 0x524), 0);
}

// ---------------------------------------------------------------------------------------------
// Drawing

// The set of changed pixels' coordinates, as "x,y" pairs.
std::vector<std::pair<int, int>> Ink(LICE_IBitmap* bm, LICE_pixel background) {
  std::vector<std::pair<int, int>> v;
  for (int y = 0; y < bm->GetHeight(); ++y)
    for (int x = 0; x < bm->GetWidth(); ++x)
      if (Get(bm, x, y) != background) v.push_back({x, y});
  return v;
}

TEST(TextDraw, PlacementByAlignment) {
  FontFixture fx;
  fx.font->SetTextColor(0xFFFFFFFF);
  struct Case {
    int flags;
    int x, y;  // where A's top-left lands
  } cases[] = {
      {0, 10, 5},
      {LICE_DT_RIGHT, 110 - 7, 5},                // text 7 wide ends at the right edge
      {LICE_DT_CENTER, 10 + (100 - 7) / 2, 5},
      {LICE_DT_VCENTER, 10, 5 + (20 - 4) / 2},
      {LICE_DT_BOTTOM, 10, 25 - 4},
      {LICE_DT_CENTER | LICE_DT_VCENTER, 10 + 46, 5 + 8},
  };
  for (const Case& c : cases) {
    auto bm = Make(130, 40, 0);
    LICE_Rect r = {10, 5, 110, 25};
    const int drawn = fx.font->DrawText(bm.get(), "AB", -1, &r, c.flags);
    EXPECT_EQ(drawn, 4) << c.flags;
    // A's top row is {0, F, 0}: its only ink is one column in; B's first row is full width 2.
    EXPECT_EQ(Get(bm.get(), c.x + 1, c.y), 0xFFFFFFFFu) << c.flags;
    EXPECT_EQ(Get(bm.get(), c.x, c.y), 0u) << c.flags;
    EXPECT_EQ(Get(bm.get(), c.x + 3, c.y), 0xFFFFFFFFu) << c.flags;
    int rightmost = -1;
    for (auto p : Ink(bm.get(), 0)) rightmost = std::max(rightmost, p.first);
    EXPECT_EQ(rightmost, c.x + 3 + 3) << c.flags;  // B's last column is ink (9)
  }
}

TEST(TextDraw, LineFeedsStartNewLinesAndTheResultIsTheDrawnHeight) {
  FontFixture fx;
  fx.font->SetTextColor(0xFFFFFFFF);
  auto bm = Make(30, 20, 0);
  LICE_Rect r = {2, 1, 30, 20};
  EXPECT_EQ(fx.font->DrawText(bm.get(), "A\nA", -1, &r, 0), 8);
  EXPECT_EQ(Get(bm.get(), 3, 1), 0xFFFFFFFFu);
  EXPECT_EQ(Get(bm.get(), 3, 5), 0xFFFFFFFFu);
  EXPECT_EQ(Get(bm.get(), 2, 5), 0u);
  auto single = Make(30, 20, 0);
  EXPECT_EQ(fx.font->DrawText(single.get(), "A\nA", -1, &r, LICE_DT_SINGLELINE), 4);
  EXPECT_EQ(Get(single.get(), 3 + 5, 1), 0xFFFFFFFFu);  // after a space of 2
}

TEST(TextDraw, ClipRectangleAndPartlyVisibleGlyphs) {
  FontFixture fx;
  fx.font->SetTextColor(0xFFFFFFFF);
  ASSERT_TRUE(fx.font->RenderGlyph('W'));  // 6 x 4, all ink
  auto bm = Make(8, 6, 0);
  const LICE_Rect clip = {5, 1, 8, 3};
  // Cut at the clip's left and top: columns 5..7 and rows 1..2 only, never past the clip's
  // right and bottom edges (the right one here is also the end of the row).
  EXPECT_TRUE(fx.font->DrawGlyph(bm.get(), 'W', 3, 0, &clip));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(Get(bm.get(), x, y), (x >= 5 && y >= 1 && y < 3) ? 0xFFFFFFFFu : 0u) << x << "," << y;

  auto wide = Make(16, 6, 0);
  const LICE_Rect inner = {5, 0, 8, 6};
  EXPECT_TRUE(fx.font->DrawGlyph(wide.get(), 'W', 4, 0, &inner));
  for (int x = 0; x < 16; ++x) EXPECT_EQ(Get(wide.get(), x, 0), (x >= 5 && x < 8) ? 0xFFFFFFFFu : 0u) << x;

  EXPECT_FALSE(fx.font->DrawGlyph(wide.get(), 'W', 8, 0, &inner));   // wholly right of it
  EXPECT_FALSE(fx.font->DrawGlyph(wide.get(), 'W', -1, 0, &inner));  // ends at its left edge
  EXPECT_FALSE(fx.font->DrawGlyph(wide.get(), 'C', 5, 0, &inner));   // never rendered
  EXPECT_FALSE(fx.font->DrawGlyph(wide.get(), 'W', INT_MAX, INT_MAX, nullptr));
  EXPECT_FALSE(fx.font->DrawGlyph(wide.get(), 'W', INT_MIN, INT_MIN, nullptr));
  const LICE_Rect outside = {-100, -100, 1000, 1000};  // a clip larger than the bitmap is held to it
  EXPECT_TRUE(fx.font->DrawGlyph(wide.get(), 'W', 12, 4, &outside));
  EXPECT_EQ(Get(wide.get(), 15, 5), 0xFFFFFFFFu);

  // DrawText clips to the caller's rectangle unless told not to.
  auto text = Make(20, 6, 0);
  LICE_Rect r = {0, 0, 4, 6};
  fx.font->DrawText(text.get(), "W", -1, &r, 0);
  EXPECT_EQ(Get(text.get(), 3, 0), 0xFFFFFFFFu);
  EXPECT_EQ(Get(text.get(), 4, 0), 0u);
  fx.font->DrawText(text.get(), "W", -1, &r, LICE_DT_NOCLIP);
  EXPECT_EQ(Get(text.get(), 5, 0), 0xFFFFFFFFu);
  LICE_Rect empty = {3, 3, 3, 9};
  EXPECT_EQ(fx.font->DrawText(text.get(), "W", -1, &empty, 0), 0);
}

TEST(TextDraw, ExtremeRectanglesDoNotWrap) {
  FontFixture fx;
  fx.font->SetTextColor(0xFFFFFFFF);
  auto bm = Make(20, 10, 0);
  const int flags[] = {0, LICE_DT_CENTER | LICE_DT_VCENTER, LICE_DT_RIGHT | LICE_DT_BOTTOM, LICE_DT_NOCLIP};
  const LICE_Rect rects[] = {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {INT_MAX, INT_MAX, INT_MIN, INT_MIN},
                             {INT_MAX - 2, 0, INT_MAX, 10}, {0, INT_MIN, 10, INT_MIN + 3}};
  for (int f : flags) {
    for (LICE_Rect r : rects) {
      fx.font->DrawText(bm.get(), "AB\nW", -1, &r, f);
      LICE_Rect m = r;
      fx.font->DrawText(nullptr, "AB\nW", -1, &m, f | LICE_DT_CALCRECT);
    }
  }
}

TEST(TextDraw, BlendingOfAntialiasedMasks) {
  FontFixture fx;
  ASSERT_TRUE(fx.font->RenderGlyph('v'));  // row 0: 128, 63
  auto draw = [&](LICE_pixel bg, LICE_pixel colour, int mode, float alpha, int flags = 0) {
    auto bm = Make(2, 1, bg);
    fx.font->SetTextColor(colour);
    fx.font->SetCombineMode(mode, alpha);
    LICE_Rect r = {0, 0, 2, 1};
    fx.font->DrawText(bm.get(), "v", -1, &r, flags);
    return std::make_pair(Get(bm.get(), 0, 0), Get(bm.get(), 1, 0));
  };
  // Full weight: k = 255 - v. v 128: 0 + 255 * 127 / 256 = 126; alpha 255 + 0 = 255.
  EXPECT_EQ(draw(0xFFFFFFFF, 0xFF000000, 0, 1.0f).first, 0xFF7E7E7Eu);
  // Alpha toward 255: 255 + (0 - 255) * 127 / 256 = 129.
  EXPECT_EQ(draw(0x00FFFFFF, 0xFF000000, 0, 1.0f).first, 0x817E7E7Eu);
  // v 63: k = 192: 255 * 192 / 256 = 191; alpha 255 - 191 = 64.
  EXPECT_EQ(draw(0x00FFFFFF, 0xFF000000, 0, 1.0f).second, 0x40BFBFBFu);
  // Half weight: u = 128 * 128 / 256 = 64, k = 192.
  EXPECT_EQ(draw(0x00FFFFFF, 0xFF000000, 0, 0.5f).first, 0x40BFBFBFu);
  // Colour alpha scaling: 128 / 255 of full weight is the same half weight.
  EXPECT_EQ(draw(0x00FFFFFF, 0x80000000, 0, 1.0f, TextFlagColourAlpha).first, 0x40BFBFBFu);
  // Add: u = v + 1 = 129; blue 10 + 255 * 129 / 256 = 138; alpha 10 + 255 * 129 / 256.
  EXPECT_EQ(draw(0x0A0A0A0A, 0x000000FF, 1, 1.0f).first, 0x8A0A0A8Au);
  // Multiply: u = 64 for v 63: (((128 - 256) * 64 + 65536) * 200) >> 16 = 175; alpha
  // ((65536 - 64) * 200) >> 16 = 199.
  EXPECT_EQ(draw(0xC8C8C8C8, 0xFF808080, 3, 1.0f).second, 0xC7AFAFAFu);
  // Nothing at zero opacity, and nothing when the colour's alpha makes it zero.
  EXPECT_EQ(draw(0x12345678, 0xFFFFFFFF, 0, 0.0f).first, 0x12345678u);
  EXPECT_EQ(draw(0x12345678, 0x00FFFFFF, 0, 1.0f, TextFlagColourAlpha).first, 0x12345678u);
  auto bm = Make(2, 1, 0x12345678);
  LICE_Rect r = {0, 0, 2, 1};
  fx.font->SetTextColor(0x00FFFFFF);
  fx.font->SetCombineMode(0, 1.0f);
  EXPECT_EQ(fx.font->DrawText(bm.get(), "v", -1, &r, TextFlagColourAlpha), 0);
}

TEST(TextDraw, MonoAndEffectMasks) {
  std::map<int, Glyph> g;
  g['o'] = {3, 3, {{0, 0, 0}, {0, F, 0}, {0, 0, 0}}};
  {
    FontFixture fx(FontFlagShadow, g, 3);
    fx.font->SetTextColor(0x12345678);
    fx.font->SetEffectColor(0x9ABCDEF0);
    auto bm = Make(3, 3, 0);
    LICE_Rect r = {0, 0, 3, 3};
    fx.font->DrawText(bm.get(), "o", -1, &r, 0);
    EXPECT_EQ(Get(bm.get(), 1, 1), 0x12345678u);  // exact words at full opacity in mode 0
    EXPECT_EQ(Get(bm.get(), 2, 1), 0x9ABCDEF0u);
    EXPECT_EQ(Get(bm.get(), 2, 2), 0x9ABCDEF0u);
    EXPECT_EQ(Get(bm.get(), 0, 0), 0u);
  }
  {
    FontFixture fx(FontFlagMono, g, 3);
    fx.font->SetTextColor(0xFF000000);
    fx.font->SetCombineMode(0, 0.5f);
    auto bm = Make(3, 3, 0x00FFFFFF);
    LICE_Rect r = {0, 0, 3, 3};
    fx.font->DrawText(bm.get(), "o", -1, &r, 0);
    // W 128: 0 + 255 * 128 / 256 = 127; alpha 255 + (0 - 255) * 128 / 256 = 128.
    EXPECT_EQ(Get(bm.get(), 1, 1), 0x807F7F7Fu);
    fx.font->SetCombineMode(3, 4.0f);  // W limited to 256: alpha (65280 * 128) >> 16 = 127
    fx.font->DrawText(bm.get(), "o", -1, &r, 0);
    EXPECT_EQ(Get(bm.get(), 1, 1), 0x7F000000u);
  }
}

TEST(TextDraw, OpaqueBackgroundFillsEachVisibleCell) {
  FontFixture fx;
  fx.font->SetTextColor(0xFFFFFFFF);
  fx.font->SetBkColor(0xFF0000FF);
  EXPECT_EQ(fx.font->SetBkMode(2), 1);
  auto bm = Make(12, 6, 0);
  LICE_Rect r = {1, 1, 12, 6};
  fx.font->DrawText(bm.get(), "AB", -1, &r, 0);
  // A's cell is 3 x 4 at (1, 1), B's 4 x 4 at (4, 1): one run of seven columns.
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 12; ++x) {
      const bool cell = x >= 1 && x < 8 && y >= 1 && y < 5;
      const LICE_pixel p = Get(bm.get(), x, y);
      if (!cell)
        EXPECT_EQ(p, 0u) << x << "," << y;
      else
        EXPECT_TRUE(p == 0xFF0000FFu || p == 0xFFFFFFFFu || (p & 0xFF000000u) == 0xFF000000u) << x << "," << y;
    }
  }
  EXPECT_EQ(Get(bm.get(), 1, 1), 0xFF0000FFu);  // A's top-left has no ink
  EXPECT_EQ(Get(bm.get(), 2, 1), 0xFFFFFFFFu);
  EXPECT_EQ(Get(bm.get(), 6, 1), 0xFF0000FFu);  // B's third column is blank
}

TEST(TextDraw, VerticalText) {
  FontFixture down(FontFlagVertical);
  down.font->SetTextColor(0xFFFFFFFF);
  LICE_Rect r;
  // Turned glyphs: A is 4 wide and 3 high, B 4 by 4; the pen moves down by the advance.
  EXPECT_EQ(Measure(down.font.get(), "AB", 0, &r), 4);
  EXPECT_EQ(r.right - r.left, 4);
  EXPECT_EQ(r.bottom - r.top, 3 + 4);  // B starts at A's advance, 3
  auto bm = Make(10, 12, 0);
  r = LICE_Rect{1, 1, 10, 12};
  EXPECT_EQ(down.font->DrawText(bm.get(), "AB", -1, &r, 0), 4);
  // A turned clockwise: rows {F, F, F, 0}, {0, F, 0, F}, {F, F, F, 0}.
  EXPECT_EQ(Get(bm.get(), 1, 1), 0xFFFFFFFFu);
  EXPECT_EQ(Get(bm.get(), 1, 2), 0u);
  EXPECT_EQ(Get(bm.get(), 1, 3), 0xFFFFFFFFu);
  // B starts three rows lower.
  EXPECT_EQ(Ink(bm.get(), 0).back().second, 1 + 3 + 3);

  FontFixture up(FontFlagVertical | FontFlagBottomUp);
  up.font->SetTextColor(0xFFFFFFFF);
  auto bm2 = Make(10, 12, 0);
  r = LICE_Rect{1, 1, 10, 12};
  EXPECT_EQ(up.font->DrawText(bm2.get(), "AB", -1, &r, 0), 4);
  // Upward: the pen starts at top + 7; A occupies rows 5..7, B rows 1..4.
  int top = 100, bottom = -1;
  for (auto p : Ink(bm2.get(), 0)) {
    top = std::min(top, p.second);
    bottom = std::max(bottom, p.second);
  }
  EXPECT_EQ(top, 1);
  EXPECT_EQ(bottom, 7);
}

TEST(TextDraw, NothingOnBitmapsWithoutPixels) {
  FontFixture fx;
  fx.font->SetTextColor(0xFFFFFFFF);
  LICE_pixel buffer[16] = {};
  drawtest::ViewBitmap noBits(nullptr, 4, 4, 4), noSpan(buffer, 4, 4, 0);
  LICE_Rect r = {0, 0, 4, 4};
  EXPECT_EQ(fx.font->DrawText(&noBits, "AB", -1, &r, 0), 0);
  EXPECT_EQ(fx.font->DrawText(&noSpan, "AB", -1, &r, LICE_DT_NOCLIP), 0);
  ASSERT_TRUE(fx.font->RenderGlyph('A'));
  EXPECT_FALSE(fx.font->DrawGlyph(&noBits, 'A', 0, 0, &r));
  EXPECT_FALSE(fx.font->DrawGlyph(&noSpan, 'A', 0, 0, &r));
  for (LICE_pixel p : buffer) EXPECT_EQ(p, 0u);
}

}  // namespace
