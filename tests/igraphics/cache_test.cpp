// The process-wide caches: bitmaps decoded once and shared by every editor, fonts created once
// per size, orientation, style and face; resources that cannot be had; the editor's own PNGs.
#include <cstring>

#include "resources/resource.h"
#include "tests/igraphics/igraphics_test_util.h"

using namespace igtest;

namespace {

TEST(BitmapCache, TwoEditorsShareOneDecodedBitmap) {
  TestPlug plug1, plug2;
  IGraphicsHeadless g1(&plug1, 100, 100), g2(&plug2, 100, 100);
  const int id = FreshResourceId();
  g1.SetBitmapResolver([](int, const char*) -> LICE_IBitmap* { return MakeStrip(8, 6, 3); });
  const IFrameBitmap a = g1.LoadFrameBitmap(id, "a.png", 3);
  const IFrameBitmap b = g2.LoadFrameBitmap(id, "a.png", 3, true);
  const IFrameBitmap c = g1.LoadFrameBitmap(id, "a.png");
  EXPECT_EQ(g1.ResourceLoads(), 1);
  EXPECT_EQ(g2.ResourceLoads(), 0);
  ASSERT_NE(a.bitmap, nullptr);
  EXPECT_EQ(b.bitmap, a.bitmap);
  EXPECT_EQ(c.bitmap, a.bitmap);
  EXPECT_EQ(a.width, 8);
  EXPECT_EQ(a.height, 18);
  EXPECT_EQ(a.frames, 3);
  EXPECT_FALSE(a.horizontal);
  EXPECT_TRUE(b.horizontal);
  EXPECT_EQ(c.frames, 1);
}

TEST(BitmapCache, TheFirstBitmapRegisteredForAnIdIsTheOneFound) {
  TestPlug plug;
  IGraphicsHeadless g(&plug, 100, 100);
  const int id = FreshResourceId();
  LICE_MemBitmap* first = MakeStrip(4, 4, 1);
  LICE_MemBitmap* second = MakeStrip(5, 5, 1);
  IGraphics::RegisterCachedBitmap(first, id);
  IGraphics::RegisterCachedBitmap(second, id);
  EXPECT_EQ(g.LoadFrameBitmap(id, "x.png").bitmap, first);
  EXPECT_EQ(g.ResourceLoads(), 0);
}

TEST(BitmapCache, AResourceThatCannotBeHadIsReportedAndDrawsNothing) {
  TestPlug plug;
  IGraphicsHeadless* g = new IGraphicsHeadless(&plug, 50, 50);
  const int id = FreshResourceId();
  AssertCapture capture;
  g->SetBitmapResolver([](int, const char*) -> LICE_IBitmap* { return nullptr; });
  const IFrameBitmap missing = g->LoadFrameBitmap(id, "missing.png", 4);
  EXPECT_EQ(missing.bitmap, nullptr);
  IControl* background = g->AddBackground(id, "missing.png");
  ASSERT_NE(background, nullptr);
  ASSERT_EQ(AssertCapture::Reports().size(), 2u);
  EXPECT_EQ(AssertCapture::Reports()[0].expression, "imgResourceFound");
  EXPECT_EQ(AssertCapture::Reports()[0].source, "igraphics");
  EXPECT_EQ(AssertCapture::Reports()[0].line, 441);
  EXPECT_EQ(g->ResourceLoads(), 2);  // nothing was cached: each load asks again
  g->AddControl(new IBitmapControl(&plug, 10, 10, -1, missing));
  plug.BindGraphics(g);
  g->Draw(IRectangle(0, 0, 50, 50));
  EXPECT_EQ(g->Painted().size(), 1u);
}

TEST(BitmapCache, TheEditorsBitmapsLoadFromTheirPngs) {
  TestPlug plug;
  IGraphicsHeadless g(&plug, 800, 500);
  g.SetResourceRoot(CORVANE_SOURCE_DIR);
  const struct {
    int id;
    const char* name;
    int w, h;
  } images[] = {{BKG_ID, BKG_FN, 800, 500},        {KNOB_ID, KNOB_FN, 40, 4040}, {DOT_SWITCH_ID, DOT_SWITCH_FN, 16, 32},
                {BUTTON_ID, BUTTON_FN, 36, 72},    {LOCK_ID, LOCK_FN, 12, 24},   {ON_OFF_ID, ON_OFF_FN, 16, 32}};
  for (const auto& k : images) {
    const IFrameBitmap fb = g.LoadFrameBitmap(k.id, k.name);
    ASSERT_NE(fb.bitmap, nullptr) << k.name;
    EXPECT_EQ(fb.width, k.w) << k.name;
    EXPECT_EQ(fb.height, k.h) << k.name;
  }
  // The background control takes the image's size.
  IControl* background = g.AddBackground(BKG_ID, BKG_FN);
  EXPECT_EQ(background->GetRECT(), IRectangle(0, 0, 800, 500));
  EXPECT_EQ(g.GetControl(0), background);
  EXPECT_EQ(background->GetBlend().method, IBlendSpec::kBlendCopy);
  IBitmapControl button(&plug, 5, 6, -1, g.LoadFrameBitmap(BUTTON_ID, BUTTON_FN, BUTTON_FRAMES));
  EXPECT_EQ(button.GetRECT(), IRectangle(5, 6, 41, 42));
}

TEST(FontCache, StylesShareFontsByTheirKeyAcrossEditors) {
  TestPlug plug1, plug2;
  IGraphicsHeadless g1(&plug1, 100, 100), g2(&plug2, 100, 100);
  ITextStyle a(17, BlackColour);
  LICE_CachedFont* font = g1.GetCachedFont(&a);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(a.font, font);

  ITextStyle sameKey(17, WhiteColour, "Arial", ITextStyle::kStyleNormal, ITextStyle::kAlignFar, 0,
                     ITextStyle::kQualityClearType);
  EXPECT_EQ(g2.GetCachedFont(&sameKey), font);  // colour, alignment and quality are not part of it

  ITextStyle bigger(18, BlackColour), bold(17, BlackColour, "Arial", ITextStyle::kStyleBold),
      turned(17, BlackColour, "Arial", 0, 1, 90), otherCase(17, BlackColour, "arial");
  LICE_CachedFont* fonts[] = {g2.GetCachedFont(&bigger), g2.GetCachedFont(&bold), g1.GetCachedFont(&turned),
                              g1.GetCachedFont(&otherCase)};
  for (int i = 0; i < 4; ++i) {
    ASSERT_NE(fonts[i], nullptr);
    EXPECT_NE(fonts[i], font);
    for (int j = 0; j < i; ++j) EXPECT_NE(fonts[i], fonts[j]);
  }
  EXPECT_EQ(g1.GetCachedFont(&bigger), fonts[0]);
}

// An editor whose platform cannot make fonts.
class NoFonts : public IGraphicsHeadless {
 public:
  using IGraphicsHeadless::IGraphicsHeadless;
  LICE_FontHandle CreateFontHandle(const ITextStyle&) override {
    ++asked;
    return nullptr;
  }
  int asked = 0;
};

TEST(FontCache, AFontThatCannotBeMadeDrawsNoTextAndIsNotCached) {
  TestPlug plug;
  NoFonts g(&plug, 100, 100);
  g.CreateDrawBitmaps();
  ITextStyle style(23, BlackColour, "NoSuchFace");
  IRectangle r(0, 0, 50, 20);
  EXPECT_FALSE(g.DrawTextInRect(&style, "text", &r));
  EXPECT_FALSE(g.MeasureText(&style, "text", &r));
  EXPECT_EQ(r, IRectangle(0, 0, 50, 20));
  EXPECT_EQ(style.font, nullptr);
  EXPECT_EQ(g.asked, 2);
  EXPECT_TRUE(g.DrawTextInRect(&style, "", &r));  // no text: nothing to do
  EXPECT_EQ(g.asked, 2);
}

}  // namespace
