// Drawing: frames of strips, blends, the draw clip, both draw modes with their redraw marks,
// dirty areas and the idle step, every control's pixels against hand-worked frames and
// rectangles, text measuring and drawing, the bounds overlay, and the knob text's dirty area.
#include <cstring>
#include <functional>
#include <memory>

#include "resources/resource.h"
#include "tests/igraphics/igraphics_test_util.h"

using namespace igtest;

namespace {

const LICE_pixel kBack = LICE_RGBA(1, 2, 3, 255);

// Draws one chosen frame of a strip, counting its draws.
class FrameProbe : public IControl {
 public:
  FrameProbe(IPlugBase* plug, const IRectangle& r, const IFrameBitmap& bm, int frame)
      : IControl(plug, r), mBitmap(bm), mFrame(frame) {}
  bool Draw(IGraphics* g) override {
    ++draws;
    return g->DrawBitmapFrame(&mBitmap, mRECT, mFrame);
  }
  int draws = 0;
  IFrameBitmap mBitmap;
  int mFrame;
};

// Counts its draws and draws nothing.
class Counter : public IControl {
 public:
  Counter(IPlugBase* plug, const IRectangle& r) : IControl(plug, r) {}
  bool Draw(IGraphics*) override {
    ++draws;
    return true;
  }
  void OnIdle() override { ++idles; }
  int draws = 0;
  int idles = 0;
};

std::vector<LICE_pixel> Region(IGraphics* g, const IRectangle& r) {
  std::vector<LICE_pixel> v;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) v.push_back(Pixel(g, x, y));
  return v;
}

class Drawing : public EditorTest {
 protected:
  void FullDraw() { g->Draw(IRectangle(0, 0, g->Width(), g->Height())); }
};

TEST_F(Drawing, AnEditorWithoutControlsDrawsNothingAndDoesNotPaint) {
  Bind();
  EXPECT_TRUE(g->Draw(IRectangle(0, 0, 200, 100)));
  EXPECT_TRUE(g->Painted().empty());
  IRectangle dirty(1, 2, 3, 4);
  EXPECT_FALSE(g->CollectDirtyRect(&dirty));
  EXPECT_TRUE(dirty.Empty());
}

TEST_F(Drawing, FramesAreTakenFromTheirPlaceInTheStrip) {
  // Five stacked frames of 10 x 20: frame 3 starts at y = int(100 x 2 / 5 + 0.5) = 40.
  const IFrameBitmap stacked = LoadStrip(g, 10, 20, 5);
  const IFrameBitmap sideBySide = LoadStrip(g, 10, 20, 4, true);
  const IFrameBitmap single = LoadStrip(g, 10, 20, 1);
  // Seven frames of 10 x 7 (49 high): frame 4 starts at int(49 x 3 / 7 + 0.5) = 21.
  const IFrameBitmap odd = LoadStrip(g, 10, 7, 7);
  AddPlainBackground(g, kBack);
  g->AddControl(new FrameProbe(plug.get(), IRectangle(0, 0, 10, 20), stacked, 3));
  g->AddControl(new FrameProbe(plug.get(), IRectangle(20, 0, 30, 20), stacked, 1));
  g->AddControl(new FrameProbe(plug.get(), IRectangle(40, 0, 50, 20), sideBySide, 4));
  g->AddControl(new FrameProbe(plug.get(), IRectangle(60, 0, 70, 20), single, 3));
  g->AddControl(new FrameProbe(plug.get(), IRectangle(80, 0, 90, 7), odd, 4));
  Bind();
  FullDraw();
  EXPECT_TRUE(AllPixels(g, IRectangle(0, 0, 10, 20), FrameColour(2)));
  EXPECT_TRUE(AllPixels(g, IRectangle(20, 0, 30, 20), FrameColour(0)));
  EXPECT_TRUE(AllPixels(g, IRectangle(40, 0, 50, 20), FrameColour(3)));
  EXPECT_TRUE(AllPixels(g, IRectangle(60, 0, 70, 20), FrameColour(0)));
  EXPECT_TRUE(AllPixels(g, IRectangle(80, 0, 90, 7), FrameColour(3)));
  EXPECT_TRUE(AllPixels(g, IRectangle(10, 0, 20, 20), kBack));
}

TEST_F(Drawing, ABitmapControlShowsTheFrameOfItsValue) {
  const IFrameBitmap strip = LoadStrip(g, 12, 10, 5);
  IBitmapControl* c = new IBitmapControl(plug.get(), 30, 40, kFree, strip);
  EXPECT_EQ(c->GetRECT(), IRectangle(30, 40, 42, 50));
  AddPlainBackground(g, kBack);
  g->AddControl(c);
  Bind();
  // frame = int(4 x value + 0.5) + 1, within [1, 5].
  const struct {
    double value;
    int frame;
  } cases[] = {{0.0, 1}, {0.124, 1}, {0.125, 2}, {0.5, 3}, {0.874, 4}, {0.875, 5}, {1.0, 5}, {1.7, 5}, {-0.4, 1}};
  for (const auto& k : cases) {
    g->UpdateControlValue(1, k.value);
    FullDraw();
    EXPECT_TRUE(AllPixels(g, c->GetRECT(), FrameColour(k.frame - 1))) << k.value;
  }
}

TEST_F(Drawing, BackgroundCopiesPlainlyControlsBlendWithAlphaGreyedAtAQuarterHiddenNotAtAll) {
  // A background with a half-transparent band, and a two-frame strip whose frame 2 is
  // transparent in its left half.
  g->SetBitmapResolver([](int, const char*) -> LICE_IBitmap* {
    LICE_MemBitmap* bm = new LICE_MemBitmap(200, 100);
    LICE_FillRectangle(bm, 0, 0, 200, 100, LICE_RGBA(100, 150, 200, 255), 1.0f, LICE_BLIT_MODE_COPY);
    LICE_FillRectangle(bm, 0, 90, 200, 10, LICE_RGBA(10, 20, 30, 128), 1.0f, LICE_BLIT_MODE_COPY);
    return bm;
  });
  g->AddBackground(FreshResourceId(), "bkg.png");
  g->SetBitmapResolver(nullptr);
  const IFrameBitmap strip = LoadStrip(g, 20, 10, 2);
  LICE_FillRectangle(strip.bitmap, 0, 10, 10, 10, 0, 1.0f, LICE_BLIT_MODE_COPY);
  IBitmapControl* plain = new IBitmapControl(plug.get(), 0, 0, kOn, strip);
  IBitmapControl* grey = new IBitmapControl(plug.get(), 40, 0, kOn, strip);
  IBitmapControl* hidden = new IBitmapControl(plug.get(), 80, 0, kOn, strip);
  g->AddControl(plain);
  g->AddControl(grey);
  g->AddControl(hidden);
  plug->GetParam(kOn)->Set(1.0);
  Bind();
  grey->SetGrayed(true);
  hidden->SetHidden(true);
  FullDraw();

  EXPECT_EQ(Pixel(g, 150, 95), LICE_RGBA(10, 20, 30, 128));  // copied with its alpha
  EXPECT_TRUE(AllPixels(g, IRectangle(0, 0, 10, 10), LICE_RGBA(100, 150, 200, 255)));  // transparent half
  EXPECT_TRUE(AllPixels(g, IRectangle(10, 0, 20, 10), FrameColour(1)));
  EXPECT_TRUE(AllPixels(g, IRectangle(80, 0, 100, 10), LICE_RGBA(100, 150, 200, 255)));

  // The greyed control: the strip blended at weight 0.25 with the source alpha.
  LICE_MemBitmap expected(20, 10);
  LICE_FillRectangle(&expected, 0, 0, 20, 10, LICE_RGBA(100, 150, 200, 255), 1.0f, LICE_BLIT_MODE_COPY);
  const LICE_Rect src = {0, 10, 20, 20};
  LICE_BlitRect(&expected, strip.bitmap, 0, 0, &src, 0.25f, LICE_BLIT_MODE_COPY | LICE_BLIT_USE_ALPHA);
  const LICE_pixel greyPixel = expected.GetBits()[15];
  EXPECT_NE(greyPixel, FrameColour(1));
  EXPECT_TRUE(AllPixels(g, IRectangle(50, 0, 60, 10), greyPixel));
}

TEST_F(Drawing, BlitsAreCutToTheAreaBeingDrawn) {
  const IFrameBitmap strip = LoadStrip(g, 20, 20, 2);
  AddPlainBackground(g, kBack);
  IBitmapControl* c = new IBitmapControl(plug.get(), 10, 10, kOn, strip);
  g->AddControl(c);
  Bind();
  FullDraw();
  ASSERT_TRUE(AllPixels(g, IRectangle(10, 10, 30, 30), FrameColour(0)));
  g->UpdateControlValue(1, 1.0);
  g->Draw(IRectangle(0, 0, 20, 100));
  EXPECT_TRUE(AllPixels(g, IRectangle(10, 10, 20, 30), FrameColour(1)));
  EXPECT_TRUE(AllPixels(g, IRectangle(20, 10, 30, 30), FrameColour(0)));
  ASSERT_EQ(g->Painted().size(), 2u);
  EXPECT_EQ(g->Painted()[1], IRectangle(0, 0, 20, 100));
}

TEST_F(Drawing, TheDefaultModeDrawsWhatOverlapsAndKeepsTheMarksOfWhatLiesOutside) {
  Counter* a = new Counter(plug.get(), IRectangle(0, 0, 50, 50));
  Counter* b = new Counter(plug.get(), IRectangle(50, 0, 100, 50));
  Counter* c = new Counter(plug.get(), IRectangle(150, 60, 200, 100));
  Counter* empty = new Counter(plug.get(), IRectangle());
  g->AddControl(a);
  g->AddControl(b);
  g->AddControl(c);
  g->AddControl(empty);
  Bind();
  // The right edge touching b's left edge counts as overlapping.
  g->Draw(IRectangle(10, 10, 50, 20));
  EXPECT_EQ(a->draws, 1);
  EXPECT_EQ(b->draws, 1);
  EXPECT_EQ(c->draws, 0);
  EXPECT_EQ(empty->draws, 0);
  EXPECT_FALSE(a->NeedsRedraw());
  EXPECT_FALSE(b->NeedsRedraw());
  EXPECT_FALSE(empty->NeedsRedraw());  // nothing to draw: done
  // c was not drawn: it stays dirty for the next pass.
  EXPECT_TRUE(c->NeedsRedraw());
  IRectangle dirty;
  EXPECT_TRUE(g->CollectDirtyRect(&dirty));
  EXPECT_EQ(dirty, IRectangle(150, 60, 200, 100));
  g->Tick();
  EXPECT_EQ(c->draws, 1);
  EXPECT_FALSE(c->NeedsRedraw());
}

TEST_F(Drawing, TheOtherModeRedrawsAroundEachDirtyControl) {
  Counter* back = new Counter(plug.get(), IRectangle(0, 0, 200, 100));
  Counter* a = new Counter(plug.get(), IRectangle(0, 0, 50, 50));
  Counter* b = new Counter(plug.get(), IRectangle(40, 40, 90, 90));
  Counter* c = new Counter(plug.get(), IRectangle(150, 0, 200, 20));
  g->AddControl(back);
  g->AddControl(a);
  g->AddControl(b);
  g->AddControl(c);
  Bind();
  g->SetDrawAllInRect(false);
  back->SetHidden(true);  // the background is drawn even when hidden
  c->SetHidden(true);
  g->Draw(IRectangle(0, 0, 1, 1));
  EXPECT_EQ(back->draws, 1);
  EXPECT_EQ(a->draws, 1);
  EXPECT_EQ(b->draws, 1);
  EXPECT_EQ(c->draws, 0);
  EXPECT_EQ(g->GetDrawClip(), IRectangle(0, 0, 200, 100));
  // back still holds the redraw request from SetHidden.
  EXPECT_TRUE(back->NeedsRedraw());
  g->Draw(IRectangle(0, 0, 1, 1));
  ASSERT_FALSE(back->NeedsRedraw());

  // Only b changes: the controls overlapping b are drawn with b's rectangle as clip, and only
  // b is marked drawn.
  back->SetHidden(false);
  c->SetHidden(false);
  for (Counter* x : {back, a, b, c}) {
    x->SnapshotMarks();
    x->MarkDrawn();
    x->MarkDrawn();
  }
  b->MarkChanged(false);
  const int backDraws = back->draws, aDraws = a->draws, bDraws = b->draws;
  g->Draw(IRectangle(0, 0, 1, 1));
  EXPECT_EQ(back->draws, backDraws + 1);
  EXPECT_EQ(a->draws, aDraws + 1);
  EXPECT_EQ(b->draws, bDraws + 1);
  EXPECT_EQ(g->GetDrawClip(), IRectangle(40, 40, 90, 90));
  EXPECT_FALSE(b->NeedsRedraw());
}

TEST_F(Drawing, TheDirtyAreaCoversEveryControlThatNeedsRedrawingHiddenOnesToo) {
  Counter* a = new Counter(plug.get(), IRectangle(10, 10, 20, 20));
  Counter* b = new Counter(plug.get(), IRectangle(100, 50, 120, 90));
  Counter* c = new Counter(plug.get(), IRectangle(30, 5, 40, 8));
  g->AddControl(a);
  g->AddControl(b);
  g->AddControl(c);
  Bind();
  g->Tick();
  IRectangle dirty;
  EXPECT_FALSE(g->CollectDirtyRect(&dirty));
  a->MarkChanged(false);
  c->SetHidden(true);
  EXPECT_TRUE(g->CollectDirtyRect(&dirty));
  EXPECT_EQ(dirty, IRectangle(10, 5, 40, 20));
  b->MarkChanged(false);
  EXPECT_TRUE(g->CollectDirtyRect(&dirty));
  EXPECT_EQ(dirty, IRectangle(10, 5, 120, 90));
}

TEST_F(Drawing, TheIdleStepRunsAfterTwentyQuietTicks) {
  Counter* a = new Counter(plug.get(), IRectangle(10, 10, 20, 20));
  g->AddControl(a);
  Bind();
  g->Tick();  // draws a
  for (int i = 0; i < 20; ++i) g->Tick();
  EXPECT_EQ(g->IdleCalls(), 0);
  g->Tick();
  EXPECT_EQ(g->IdleCalls(), 1);
  EXPECT_EQ(plug->idleTicks, 1);
  EXPECT_EQ(a->idles, 1);
  // A redraw starts the count again.
  for (int i = 0; i < 15; ++i) g->Tick();
  a->MarkChanged(false);
  g->Tick();
  for (int i = 0; i < 20; ++i) g->Tick();
  EXPECT_EQ(g->IdleCalls(), 1);
  g->Tick();
  EXPECT_EQ(g->IdleCalls(), 2);
}

TEST_F(Drawing, FaderHandlesSitOnTheirTrack) {
  const IFrameBitmap handle = LoadStrip(g, 10, 10, 1);
  AddPlainBackground(g, kBack);
  IFaderControl* v = new IFaderControl(plug.get(), 20, 0, 100, kFree, handle);
  IFaderControl* h = new IFaderControl(plug.get(), 40, 0, 100, kScaler, handle, IControl::kHorizontal);
  EXPECT_EQ(v->GetRECT(), IRectangle(20, 0, 30, 100));
  EXPECT_EQ(h->GetRECT(), IRectangle(40, 0, 140, 10));
  g->AddControl(v);
  g->AddControl(h);
  plug->GetParam(kFree)->Set(0.5);
  plug->GetParam(kScaler)->Set(25.0);
  Bind();
  FullDraw();
  // Vertical: down by int((1 - 0.5) x 90) = 45; horizontal: right by int(90 x 0.25) = 22.
  EXPECT_EQ(v->GetHandleRECT(), IRectangle(20, 45, 30, 55));
  EXPECT_EQ(h->GetHandleRECT(), IRectangle(62, 0, 72, 10));
  EXPECT_TRUE(AllPixels(g, IRectangle(20, 45, 30, 55), FrameColour(0)));
  EXPECT_TRUE(AllPixels(g, IRectangle(20, 0, 30, 45), kBack));
  EXPECT_TRUE(AllPixels(g, IRectangle(62, 0, 72, 10), FrameColour(0)));
  EXPECT_EQ(Pixel(g, 61, 5), kBack);
}

#ifndef _WIN32
TEST_F(Drawing, MeasuringAlignsTheTextBoxInItsRectangle) {
  // The test rasteriser at size 14: "ddff" is 8 + 8 + 7 + 7 = 30 wide and 14 high.
  Bind();
  ITextStyle style(14, BlackColour);
  const struct {
    int align;
    IRectangle box;
  } cases[] = {{ITextStyle::kAlignNear, IRectangle(10, 20, 40, 34)},
               {ITextStyle::kAlignCenter, IRectangle(40, 20, 70, 34)},
               {ITextStyle::kAlignFar, IRectangle(70, 20, 100, 34)}};
  for (const auto& k : cases) {
    style.align = k.align;
    IRectangle r(10, 20, 100, 40);
    EXPECT_TRUE(g->MeasureText(&style, "ddff", &r));
    EXPECT_EQ(r, k.box) << k.align;
  }
  // An odd width: the centre loses the half pixel toward zero. "a" is 8 wide, "ab" 8 + 9.
  style.align = ITextStyle::kAlignCenter;
  IRectangle r(10, 20, 101, 40);
  g->MeasureText(&style, "ab", &r);
  EXPECT_EQ(r, IRectangle(47, 20, 64, 34));
}
#endif

TEST_F(Drawing, TextControlsDrawWhatTheirFontDrawsCentredInTheirRectangle) {
  AddPlainBackground(g, LICE_RGBA(255, 255, 255, 255));
  ITextStyle style(14, IArgbColour(255, 200, 0, 0));
  ITextStyle faint(14, IArgbColour(128, 0, 0, 200));
  g->AddControl(new ITextControl(plug.get(), IRectangle(10, 10, 110, 30), &style, "Hello"));
  g->AddControl(new ITextControl(plug.get(), IRectangle(10, 40, 110, 60), &faint, "Hello"));
  Bind();
  FullDraw();

  // The same text drawn directly with the style's font and the editor's flags.
  LICE_CachedFont* font = g->GetCachedFont(&style);
  ASSERT_NE(font, nullptr);
  LICE_MemBitmap expected(200, 100);
  LICE_FillRectangle(&expected, 0, 0, 200, 100, LICE_RGBA(255, 255, 255, 255), 1.0f, LICE_BLIT_MODE_COPY);
  font->SetTextColor(LICE_RGBA(200, 0, 0, 255));
  LICE_Rect r1 = {10, 10, 110, 30};
  font->DrawText(&expected, "Hello", -1, &r1, 0x125);
  font->SetTextColor(LICE_RGBA(0, 0, 200, 128));
  LICE_Rect r2 = {10, 40, 110, 60};
  font->DrawText(&expected, "Hello", -1, &r2, 0x125 | TextFlagColourAlpha);
  int inked = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) {
      const LICE_pixel want = expected.GetBits()[y * expected.GetRowSpan() + x];
      ASSERT_EQ(Pixel(g, x, y), want) << x << "," << y;
      if (want != LICE_RGBA(255, 255, 255, 255)) ++inked;
    }
  EXPECT_GT(inked, 20);
}

TEST_F(Drawing, CaptionsShowTheValueTextAndLabel) {
  ITextStyle style;
  ICaptionControl* gain = new ICaptionControl(plug.get(), IRectangle(0, 0, 100, 20), kGain, &style);
  ICaptionControl* bare = new ICaptionControl(plug.get(), IRectangle(0, 20, 100, 40), kGain, &style, false);
  ICaptionControl* mode = new ICaptionControl(plug.get(), IRectangle(0, 40, 100, 60), kMode, &style);
  ICaptionControl* neg = new ICaptionControl(plug.get(), IRectangle(0, 60, 100, 80), kNeg, &style);
  g->AddControl(gain);
  g->AddControl(bare);
  g->AddControl(mode);
  g->AddControl(neg);
  plug->GetParam(kGain)->Set(-3.5);
  Bind();
  FullDraw();
  EXPECT_STREQ(gain->GetText(), "-3.5 dB");
  EXPECT_STREQ(bare->GetText(), "-3.5");
  EXPECT_STREQ(mode->GetText(), "Stereo ");  // display texts have no label
  EXPECT_STREQ(neg->GetText(), "-3 ");
  EXPECT_FALSE(gain->IsPromptDisabled());
}

TEST_F(Drawing, KnobTextLayoutsPlaceTheTextAndWidenTheTarget) {
  const IFrameBitmap strip = LoadStrip(g, 20, 40, 3);
  ITextStyle style(12, BlackColour);  // text height 16
  // Knob {10, 100, 30, 140}; m = 100 + 20 - 8 + d + 2.
  const struct {
    int layout, offset;
    IRectangle text, target;
  } cases[] = {
      {0, -4, IRectangle(10, 140, 30, 156), IRectangle(10, 100, 30, 156)},
      {0, 3, IRectangle(10, 147, 30, 163), IRectangle(10, 100, 30, 163)},
      {1, 9, IRectangle(10, 80, 30, 100), IRectangle(10, 80, 30, 140)},
      {2, -4, IRectangle(10, 110, 30, 126), IRectangle(10, 100, 30, 140)},
      {3, 0, IRectangle(-10, 114, 10, 130), IRectangle(-10, 100, 30, 140)},
      {4, 1, IRectangle(32, 115, 84, 131), IRectangle(10, 100, 84, 140)},
      {5, 7, IRectangle(26, 124, 78, 140), IRectangle(10, 100, 78, 140)},
      {6, 0, IRectangle(), IRectangle(10, 100, 30, 140)},
  };
  for (const auto& k : cases) {
    IKnobMultiControlText c(plug.get(), 10, 100, kGain, strip, &style, true, k.layout, k.offset);
    EXPECT_EQ(c.GetKnobRECT(), IRectangle(10, 100, 30, 140));
    EXPECT_EQ(c.GetRECT(), IRectangle(10, 100, 30, 140));
    EXPECT_EQ(c.GetTextRECT(), k.text) << k.layout;
    EXPECT_EQ(c.GetTargetRECT(), k.target) << k.layout;
    EXPECT_FALSE(c.IsPromptDisabled());
    EXPECT_DOUBLE_EQ(c.GetGearing(), 4.0);
  }
}

TEST_F(Drawing, KnobTextDrawsTheKnobAndItsMeasuredValueText) {
  const IFrameBitmap strip = LoadStrip(g, 40, 40, 3);
  AddPlainBackground(g, LICE_RGBA(255, 255, 255, 255));
  ITextStyle style(12, BlackColour);
  IKnobMultiControlText* k = new IKnobMultiControlText(plug.get(), 50, 10, kGain, strip, &style, true, 0, -4);
  IKnobMultiControlText* none = new IKnobMultiControlText(plug.get(), 120, 10, kNumParams + 3, strip, &style, true, 0, -4);
  g->AddControl(k);
  g->AddControl(none);
  Bind();
  FullDraw();
  EXPECT_STREQ(k->GetValueText(), "0.0 dB");
  EXPECT_TRUE(AllPixels(g, IRectangle(50, 10, 90, 50), FrameColour(1)));
  int w = 0, h = 0;
  ITextStyle measure = style;
  TextSize(g, &measure, "0.0 dB", &w, &h);
  // Centred in {50, 50, 90, 66}; the box is 12 + 4 high.
  EXPECT_EQ(k->GetTextRECT(), IRectangle(70 - w / 2, 50, 70 - w / 2 + w, 66));
  bool inked = false;
  for (int y = 50; y < 66; ++y)
    for (int x = 50; x < 90; ++x) inked |= Pixel(g, x, y) != LICE_RGBA(255, 255, 255, 255);
  EXPECT_TRUE(inked);
  // Without a value text only the knob is drawn, and the text rectangle stays as laid out.
  EXPECT_STREQ(none->GetValueText(), "");
  EXPECT_EQ(none->GetTextRECT(), IRectangle(120, 50, 160, 66));
  EXPECT_TRUE(AllPixels(g, IRectangle(120, 50, 160, 66), LICE_RGBA(255, 255, 255, 255)));
  EXPECT_TRUE(AllPixels(g, IRectangle(120, 10, 160, 50), FrameColour(0)));
}

// A knob's value text below the knob is part of what it draws: a change repaints the text, and
// a redraw of the background under the text draws the text again.
TEST_F(Drawing, TheKnobTextsDirtyAreaCoversItsText) {
  const IFrameBitmap strip = LoadStrip(g, 40, 40, 3);
  AddPlainBackground(g, LICE_RGBA(255, 255, 255, 255));
  ITextStyle style(12, BlackColour);
  IKnobMultiControlText* k = new IKnobMultiControlText(plug.get(), 50, 10, kGain, strip, &style, true, 0, -4);
  g->AddControl(k);
  Bind();
  Settle();
  const IRectangle textArea(50, 50, 90, 66);
  const std::vector<LICE_pixel> withText = Region(g, textArea);

  const IRectangle area = UnionRect(IRectangle(50, 10, 90, 66), k->GetTextRECT());
  EXPECT_EQ(k->GetDrawArea(), area);

  plug->GetParam(kGain)->Set(24.0);
  g->UpdateControlsOfParam(kGain, 24.0, false);
  IRectangle dirty;
  ASSERT_TRUE(g->CollectDirtyRect(&dirty));
  EXPECT_EQ(dirty, area);
  g->ClearPainted();
  g->Tick();
  ASSERT_EQ(g->Painted().size(), 1u);
  EXPECT_EQ(g->Painted()[0], area);
  EXPECT_NE(Region(g, textArea), withText);

  // Back to the first value; then only the area of the text is redrawn: the background is
  // drawn there, and so is the text.
  plug->GetParam(kGain)->Set(0.0);
  g->UpdateControlsOfParam(kGain, 0.0, false);
  Settle();
  ASSERT_EQ(Region(g, textArea), withText);
  g->MarkAllControlsChanged();
  g->Draw(UnionRect(textArea, k->GetTextRECT()));
  EXPECT_EQ(Region(g, textArea), withText);
}

TEST_F(Drawing, TheBoundsOverlayOutlinesControlsAndRepaintsTheLastArea) {
  AddPlainBackground(g, kBack);
  g->AddControl(new Counter(plug.get(), IRectangle(20, 20, 40, 30)));
  Bind();
  g->ShowControlBounds(true);
  g->Draw(IRectangle(0, 0, 200, 100));
  const LICE_pixel green = ControlBoundsColour.Packed();
  EXPECT_EQ(Pixel(g, 20, 20), green);
  EXPECT_EQ(Pixel(g, 40, 30), green);
  EXPECT_EQ(Pixel(g, 30, 25), kBack);
  EXPECT_EQ(Pixel(g, 0, 0), kBack);  // the background gets no outline
  IRectangle dirty;
  EXPECT_TRUE(g->CollectDirtyRect(&dirty));
  EXPECT_EQ(dirty, IRectangle(0, 0, 200, 100));
}

}  // namespace
