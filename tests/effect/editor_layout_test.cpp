// The effect's editor as the constructor builds it: size and frame rate, the 57 controls in
// their order with their classes, rectangles, parameters, bitmaps and text styles, the control
// indices the plug-in keeps, the values and texts a fresh editor shows, and the built-in
// bitmaps against the files in the source tree.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "drawing/lice_png.h"
#include "editor_test_util.h"
#include "effect/VemtraCorvaneBitmaps.h"
#include "resources/resource.h"

using EffectTest::EditedEffect;

namespace {

enum Kind { kBackground, kKnob, kCaption, kSwitch, kGraph, kPresetField, kLabel, kFader };
enum Art { kNone, kCaptionStyle, kScale1, kScale2, kLock, kOnOff, kButton, kDot, kGraphD1, kGraphD2, kGraphP1, kGraphP2 };

struct Row {
  Kind kind;
  int param;
  int left, top, right, bottom;  // knobs and switches: the position only (right, bottom 0)
  Art art;
};

// The layout as the design gives it, row for row.
const Row kLayout[] = {
    {kBackground, -1, 0, 0, 800, 500, kNone},
    {kKnob, 9, 15, 354, 0, 0, kNone},
    {kKnob, 14, 73, 354, 0, 0, kNone},
    {kKnob, 12, 132, 354, 0, 0, kNone},
    {kKnob, 10, 15, 434, 0, 0, kNone},
    {kKnob, 15, 73, 434, 0, 0, kNone},
    {kKnob, 13, 132, 434, 0, 0, kNone},
    {kCaption, 8, 73, 306, 143, 322, kCaptionStyle},
    {kSwitch, 11, 181, 406, 0, 0, kLock},
    {kSwitch, 16, 168, 276, 0, 0, kOnOff},
    {kKnob, 18, 221, 354, 0, 0, kNone},
    {kKnob, 23, 279, 354, 0, 0, kNone},
    {kKnob, 21, 338, 354, 0, 0, kNone},
    {kKnob, 19, 221, 434, 0, 0, kNone},
    {kKnob, 24, 279, 434, 0, 0, kNone},
    {kKnob, 22, 338, 434, 0, 0, kNone},
    {kCaption, 17, 279, 306, 349, 322, kCaptionStyle},
    {kSwitch, 20, 387, 406, 0, 0, kLock},
    {kSwitch, 25, 374, 276, 0, 0, kOnOff},
    {kKnob, 33, 437, 368, 0, 0, kNone},
    {kKnob, 32, 498, 368, 0, 0, kNone},
    {kKnob, 35, 553, 368, 0, 0, kNone},
    {kKnob, 28, 437, 440, 0, 0, kNone},
    {kKnob, 29, 498, 440, 0, 0, kNone},
    {kSwitch, 31, 554, 443, 0, 0, kButton},
    {kCaption, 26, 498, 300, 568, 316, kCaptionStyle},
    {kCaption, 30, 498, 324, 568, 340, kCaptionStyle},
    {kSwitch, 34, 482, 379, 0, 0, kLock},
    {kSwitch, 27, 482, 452, 0, 0, kLock},
    {kKnob, 43, 632, 368, 0, 0, kNone},
    {kKnob, 42, 693, 368, 0, 0, kNone},
    {kKnob, 45, 748, 368, 0, 0, kNone},
    {kKnob, 38, 632, 440, 0, 0, kNone},
    {kKnob, 39, 693, 440, 0, 0, kNone},
    {kSwitch, 41, 749, 443, 0, 0, kButton},
    {kCaption, 36, 692, 300, 762, 316, kCaptionStyle},
    {kCaption, 40, 692, 324, 762, 340, kCaptionStyle},
    {kSwitch, 44, 677, 379, 0, 0, kLock},
    {kSwitch, 37, 677, 452, 0, 0, kLock},
    {kCaption, 2, 27, 74, 107, 90, kCaptionStyle},
    {kCaption, 3, 27, 120, 107, 136, kCaptionStyle},
    {kSwitch, 4, 23, 169, 0, 0, kDot},
    {kSwitch, 5, 23, 190, 0, 0, kDot},
    {kSwitch, 6, 23, 212, 0, 0, kDot},
    {kSwitch, 7, 23, 234, 0, 0, kDot},
    {kGraph, -1, 200, 48, 760, 255, kGraphD1},
    {kGraph, -1, 200, 48, 760, 255, kGraphD2},
    {kGraph, -1, 200, 48, 760, 255, kGraphP1},
    {kGraph, -1, 200, 48, 760, 255, kGraphP2},
    {kCaption, 32, 200, 49, 220, 60, kScale1},
    {kCaption, 33, 200, 257, 220, 267, kScale1},
    {kCaption, 42, 240, 49, 260, 60, kScale2},
    {kCaption, 43, 240, 257, 260, 267, kScale2},
    {kPresetField, -1, 344, 13, 579, 29, kCaptionStyle},
    {kLabel, -1, 710, 7, 790, 19, kCaptionStyle},
    {kFader, 0, 0, 0, 0, 0, kDot},
    {kFader, 1, 0, 0, 0, 0, kDot},
};

// Sizes of the switch bitmaps' frames.
int FrameSide(Art art) {
  switch (art) {
    case kLock: return 12;
    case kOnOff: return 16;
    case kButton: return 36;
    case kDot: return 16;
    default: return 0;
  }
}
int BitmapId(Art art) {
  switch (art) {
    case kLock: return LOCK_ID;
    case kOnOff: return ON_OFF_ID;
    case kButton: return BUTTON_ID;
    case kDot: return DOT_SWITCH_ID;
    default: return -1;
  }
}

struct StyleSpec {
  int size;
  IArgbColour colour;
  int align;
};
StyleSpec StyleOf(Art art) {
  switch (art) {
    case kScale1: return {10, IArgbColour(200, 0, 200, 200), 0};
    case kScale2: return {10, IArgbColour(200, 200, 200, 0), 0};
    default: return {12, IArgbColour(255, 255, 205, 69), 0};
  }
}
IArgbColour GraphColour(Art art) {
  switch (art) {
    case kGraphD1: return IArgbColour(200, 255, 128, 0);
    case kGraphD2: return IArgbColour(200, 0, 190, 0);
    case kGraphP1: return IArgbColour(200, 0, 200, 200);
    default: return IArgbColour(200, 200, 200, 0);
  }
}

void ExpectStyle(const ITextStyle& s, int size, const IArgbColour& colour, int align, int row) {
  SCOPED_TRACE(row);
  EXPECT_STREQ(s.face, "Arial");
  EXPECT_EQ(s.size, size);
  EXPECT_EQ(s.colour, colour);
  EXPECT_EQ(s.align, align);
  EXPECT_EQ(s.style, 0);
  EXPECT_EQ(s.orientation, 0);
  EXPECT_EQ(s.quality, 0);
  EXPECT_EQ(s.entryBackground, IArgbColour(255, 255, 255, 255));
  EXPECT_EQ(s.entryText, IArgbColour(255, 0, 0, 0));
}

std::vector<unsigned char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(EditorLayout, EditorOfTheBuildAtItsSizeAndRate) {
  EditedEffect plug;
  ASSERT_NE(plug.gui, nullptr) << "the effect's editor is the headless editor in this build";
  EXPECT_FALSE(VemtraCorvane::kWindowsEditor);
  EXPECT_EQ(plug.gui->Width(), 800);
  EXPECT_EQ(plug.gui->Height(), 500);
  EXPECT_EQ(plug.gui->FrameRate(), 25);
  EXPECT_EQ(plug.gui->GetPlug(), &plug);
  ASSERT_NE(plug.gui->GetDrawBitmap(), nullptr);  // made when the editor was bound
  EXPECT_EQ(plug.gui->GetDrawBitmap()->GetWidth(), 800);
  EXPECT_EQ(plug.gui->GetDrawBitmap()->GetHeight(), 500);
}

TEST(EditorLayout, EveryControlInTableOrder) {
  EditedEffect plug;
  ASSERT_EQ(plug.gui->NControls(), 57);
  ASSERT_EQ(std::size(kLayout), 57u);

  // The bitmaps as the editor loaded them; every strip is shared by the controls that use it.
  const LICE_IBitmap* strips[106] = {};
  for (int i = 0; i < 57; ++i) {
    SCOPED_TRACE(i);
    const Row& row = kLayout[i];
    IControl* c = plug.At(i);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->ParamIdx(), row.param);
    switch (row.kind) {
      case kBackground: {
        auto* bg = dynamic_cast<IBitmapControl*>(c);
        ASSERT_NE(bg, nullptr);
        EXPECT_EQ(c->GetRECT(), IRectangle(0, 0, 800, 500));
        EXPECT_EQ(bg->GetBitmap().frames, 1);
        EXPECT_EQ(c->GetBlend().method, IBlendSpec::kBlendCopy);
        break;
      }
      case kKnob: {
        auto* knob = dynamic_cast<IKnobMultiControlText*>(c);
        ASSERT_NE(knob, nullptr);
        const IRectangle k(row.left, row.top, row.left + 40, row.top + 40);
        EXPECT_EQ(c->GetRECT(), k);
        EXPECT_EQ(knob->GetKnobRECT(), k);
        // The value text below the knob, four pixels up; the knob is hit on its text too.
        EXPECT_EQ(knob->GetTextRECT(), IRectangle(k.left, k.bottom, k.right, k.bottom + 16));
        EXPECT_EQ(c->GetTargetRECT(), IRectangle(k.left, k.top, k.right, k.bottom + 16));
        EXPECT_EQ(knob->GetBitmap().frames, 101);
        EXPECT_EQ(knob->GetBitmap().width, 40);
        EXPECT_EQ(knob->GetBitmap().height, 4040);
        EXPECT_EQ(knob->GetDirection(), IControl::kVertical);
        EXPECT_EQ(knob->GetGearing(), 4.0);
        EXPECT_FALSE(c->IsPromptDisabled());
        ExpectStyle(*c->GetTextStyle(), 12, IArgbColour(255, 169, 165, 154), 1, i);
        if (!strips[KNOB_ID]) strips[KNOB_ID] = knob->GetBitmap().bitmap;
        EXPECT_EQ(knob->GetBitmap().bitmap, strips[KNOB_ID]);
        break;
      }
      case kCaption: {
        ASSERT_NE(dynamic_cast<ICaptionControl*>(c), nullptr);
        EXPECT_EQ(c->GetRECT(), IRectangle(row.left, row.top, row.right, row.bottom));
        const StyleSpec s = StyleOf(row.art);
        ExpectStyle(*c->GetTextStyle(), s.size, s.colour, s.align, i);
        EXPECT_FALSE(c->IsPromptDisabled());
        break;
      }
      case kSwitch: {
        auto* sw = dynamic_cast<ISwitchControl*>(c);
        ASSERT_NE(sw, nullptr);
        const int side = FrameSide(row.art);
        EXPECT_EQ(c->GetRECT(), IRectangle(row.left, row.top, row.left + side, row.top + side));
        EXPECT_EQ(sw->GetBitmap().frames, 2);
        EXPECT_EQ(sw->GetBitmap().width, side);
        EXPECT_EQ(sw->GetBitmap().height, 2 * side);
        EXPECT_EQ(c->GetBlend().method, IBlendSpec::kBlendAlpha);
        const LICE_IBitmap*& strip = strips[BitmapId(row.art)];
        if (!strip) strip = sw->GetBitmap().bitmap;
        EXPECT_EQ(sw->GetBitmap().bitmap, strip);
        break;
      }
      case kGraph: {
        auto* graph = dynamic_cast<IOscilloscopeControl*>(c);
        ASSERT_NE(graph, nullptr);
        EXPECT_EQ(c->GetRECT(), IRectangle(row.left, row.top, row.right, row.bottom));
        EXPECT_EQ(graph->GetColour(), GraphColour(row.art));
        EXPECT_EQ(graph->Count(), 0);
        EXPECT_EQ(c->GetBlend().method, IBlendSpec::kBlendAlpha);
        break;
      }
      case kPresetField:
        ASSERT_NE(dynamic_cast<PresetFunctionsMenu*>(c), nullptr);
        EXPECT_EQ(c->GetRECT(), IRectangle(row.left, row.top, row.right, row.bottom));
        ExpectStyle(*c->GetTextStyle(), 12, IArgbColour(255, 255, 205, 69), 0, i);
        break;
      case kLabel:
        ASSERT_NE(dynamic_cast<ITextControl*>(c), nullptr);
        EXPECT_EQ(dynamic_cast<ICaptionControl*>(c), nullptr);
        EXPECT_EQ(dynamic_cast<PresetFunctionsMenu*>(c), nullptr);
        EXPECT_EQ(c->GetRECT(), IRectangle(row.left, row.top, row.right, row.bottom));
        EXPECT_EQ(plug.Text(i), "V. 2.0.8");
        ExpectStyle(*c->GetTextStyle(), 12, IArgbColour(255, 255, 205, 69), 0, i);
        break;
      case kFader: {
        auto* fader = dynamic_cast<VemtraCorvaneIVolume*>(c);
        ASSERT_NE(fader, nullptr);
        // A vertical fader at the corner: the handle's width by a track of 10.
        EXPECT_EQ(c->GetRECT(), IRectangle(0, 0, 16, 10));
        EXPECT_EQ(fader->GetLength(), 10);
        EXPECT_EQ(fader->GetHandleLength(), 32);  // the whole dot-switch image is the handle
        break;
      }
    }
  }
  // Every strip was found.
  for (int id : {KNOB_ID, DOT_SWITCH_ID, BUTTON_ID, LOCK_ID, ON_OFF_ID}) EXPECT_NE(strips[id], nullptr) << id;
}

TEST(EditorLayout, PlugInKeepsTheIndicesOfGraphsAndFaders) {
  EditedEffect plug;
  EXPECT_EQ(plug.detector1Graph, 45);
  EXPECT_EQ(plug.detector2Graph, 46);
  EXPECT_EQ(plug.processor1Graph, 47);
  EXPECT_EQ(plug.processor2Graph, 48);
  EXPECT_EQ(plug.processor1Fader, 55);
  EXPECT_EQ(plug.processor2Fader, 56);
}

TEST(EditorLayout, FreshEditorShowsTheParameterValues) {
  EditedEffect plug;
  // Every bound control holds its parameter's normalised value, which is also its default.
  for (int i = 1; i < 57; ++i) {
    IControl* c = plug.At(i);
    if (c->ParamIdx() < 0) continue;
    const double v = plug.GetParam(c->ParamIdx())->GetNormalizedValue();
    EXPECT_EQ(c->GetValue(), v) << i;
  }
  // Knob frames for a few defaults: the bottom of a range, 500 ms of 1..3000, 50 % of 0..100.
  EXPECT_EQ(FrameForValue(plug.At(1)->GetValue(), 101), 1);    // gate -100 dB
  EXPECT_EQ(FrameForValue(plug.At(3)->GetValue(), 101), 18);   // attack 500 ms
  EXPECT_EQ(FrameForValue(plug.At(21)->GetValue(), 101), 51);  // scaler 50 %
  EXPECT_EQ(FrameForValue(plug.At(9)->GetValue(), 2), 2);      // detector 1 on
  EXPECT_EQ(FrameForValue(plug.At(18)->GetValue(), 2), 1);     // detector 2 off

  plug.Tick();
  EXPECT_EQ(plug.KnobText(1), "-100 dB");
  EXPECT_EQ(plug.KnobText(2), "20 Hz");
  EXPECT_EQ(plug.KnobText(4), "0.0 dB");
  EXPECT_EQ(plug.KnobText(5), "20000 Hz");
  EXPECT_EQ(plug.KnobText(21), "50 %");
  // Captions show the value text and the (empty) unit after a blank.
  EXPECT_EQ(plug.Text(7), "Ext. Mid ");
  EXPECT_EQ(plug.Text(25), "Detector 1 ");
  EXPECT_EQ(plug.Text(26), "RMS ");
  EXPECT_EQ(plug.Text(39), "Ignore ");
  EXPECT_EQ(plug.Text(40), "Stereo ");
  EXPECT_EQ(plug.Text(49), "12 dB");
  EXPECT_EQ(plug.Text(50), "-12 dB");
  EXPECT_EQ(plug.Text(53), "Default");
  EXPECT_EQ(plug.Text(54), "V. 2.0.8");
}

TEST(EditorLayout, FirstDrawPaintsTheWholeEditorFromTheBackground) {
  EditedEffect plug;
  plug.gui->ClearPainted();
  plug.Tick();
  ASSERT_FALSE(plug.gui->Painted().empty());
  EXPECT_EQ(plug.gui->Painted().front(), IRectangle(0, 0, 800, 500));

  // Where no control lies the editor shows the background image as it is.
  LICE_IBitmap* bkg = DecodeEmbeddedBitmap(BKG_ID);
  ASSERT_NE(bkg, nullptr);
  LICE_IBitmap* surface = plug.gui->GetDrawBitmap();
  const int points[][2] = {{5, 5}, {100, 30}, {790, 490}, {190, 300}, {600, 20}};
  for (const auto& p : points) {
    EXPECT_EQ(surface->GetBits()[p[1] * surface->GetRowSpan() + p[0]] & 0xFFFFFF,
              bkg->GetBits()[p[1] * bkg->GetRowSpan() + p[0]] & 0xFFFFFF)
        << p[0] << "," << p[1];
  }
  delete bkg;
}

TEST(EditorLayout, GraphSwitchHidesOnlyItsGraph) {
  EditedEffect plug;
  std::vector<bool> hidden;
  for (int i = 0; i < 57; ++i) hidden.push_back(plug.At(i)->IsHidden());
  EXPECT_FALSE(hidden[45]);
  plug.SetFromEditor(EnableDetector1Graph, 0);
  for (int i = 0; i < 57; ++i) EXPECT_EQ(plug.At(i)->IsHidden(), i == 45 ? true : static_cast<bool>(hidden[i])) << i;
  plug.SetFromEditor(EnableDetector1Graph, 1);
  EXPECT_FALSE(plug.At(45)->IsHidden());
}

TEST(EditorBitmaps, BuiltInCopiesAreTheResourceFiles) {
  const struct {
    int id;
    const char* name;
    int width, height;
  } expected[] = {{100, "resources/img/bkg.png", 800, 500},   {101, "resources/img/knob.png", 40, 4040},
                  {102, "resources/img/dot-switch.png", 16, 32}, {103, "resources/img/button.png", 36, 72},
                  {104, "resources/img/lock.png", 12, 24},       {105, "resources/img/on-off.png", 16, 32}};
  for (const auto& e : expected) {
    SCOPED_TRACE(e.name);
    const EmbeddedBitmap* bitmap = FindEmbeddedBitmap(e.id);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_STREQ(bitmap->name, e.name);
    const std::vector<unsigned char> file = ReadFile(std::string(CORVANE_SOURCE_DIR) + "/" + e.name);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(std::vector<unsigned char>(bitmap->data, bitmap->data + bitmap->size), file);
    LICE_IBitmap* decoded = DecodeEmbeddedBitmap(e.id);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(decoded->GetWidth(), e.width);
    EXPECT_EQ(decoded->GetHeight(), e.height);
    delete decoded;
  }
  EXPECT_EQ(FindEmbeddedBitmap(99), nullptr);
  EXPECT_EQ(DecodeEmbeddedBitmap(106), nullptr);
}
