#include "effect/VemtraCorvaneEditor.h"

#include "effect/VemtraCorvaneBitmaps.h"
#include "effect/VemtraCorvaneControls.h"
#include "effect/VemtraCorvaneParams.h"
#include "iplug/igraphics/IGraphicsHeadless.h"
#include "resources/resource.h"

const char* const kEditorVersionLabel = "V. 2.0.8";

namespace {

// Face "Arial", normal, no rotation, default quality, white entry box with black text.
ITextStyle Style(int size, const IArgbColour& colour, int align) {
  return ITextStyle(size, colour, "Arial", ITextStyle::kStyleNormal, align, 0, ITextStyle::kQualityDefault);
}

// The value text under a knob, shifted up by 4 pixels, with its unit.
constexpr int kKnobTextOffset = -4;
// The fader's track; the faders lie at the editor's top-left corner and are never seen.
constexpr int kFaderTrack = 10;

}  // namespace

ITextStyle KnobTextStyle() { return Style(12, IArgbColour(255, 169, 165, 154), ITextStyle::kAlignCenter); }
ITextStyle CaptionTextStyle() { return Style(12, IArgbColour(255, 255, 205, 69), ITextStyle::kAlignNear); }
ITextStyle Processor1ScaleStyle() { return Style(10, IArgbColour(200, 0, 200, 200), ITextStyle::kAlignNear); }
ITextStyle Processor2ScaleStyle() { return Style(10, IArgbColour(200, 200, 200, 0), ITextStyle::kAlignNear); }

IArgbColour Detector1GraphColour() { return IArgbColour(200, 255, 128, 0); }
IArgbColour Detector2GraphColour() { return IArgbColour(200, 0, 190, 0); }
IArgbColour Processor1GraphColour() { return IArgbColour(200, 0, 200, 200); }
IArgbColour Processor2GraphColour() { return IArgbColour(200, 200, 200, 0); }

EffectEditorControls AddEffectControls(IGraphics* g, IPlugBase* plug) {
  EffectEditorControls indices;
  if (!g) return indices;

  g->AddBackground(BKG_ID, BKG_FN);
  const IFrameBitmap knob = g->LoadFrameBitmap(KNOB_ID, KNOB_FN, KNOB_FRAMES);
  const IFrameBitmap dotSwitch = g->LoadFrameBitmap(DOT_SWITCH_ID, DOT_SWITCH_FN, DOT_SWITCH_FRAMES);
  const IFrameBitmap button = g->LoadFrameBitmap(BUTTON_ID, BUTTON_FN, BUTTON_FRAMES);
  const IFrameBitmap lock = g->LoadFrameBitmap(LOCK_ID, LOCK_FN, LOCK_FRAMES);
  const IFrameBitmap onOff = g->LoadFrameBitmap(ON_OFF_ID, ON_OFF_FN, ON_OFF_FRAMES);

  const ITextStyle knobText = KnobTextStyle();
  const ITextStyle caption = CaptionTextStyle();
  const ITextStyle scale1 = Processor1ScaleStyle();
  const ITextStyle scale2 = Processor2ScaleStyle();

  auto addKnob = [&](int param, int x, int y) {
    g->AddControl(new IKnobMultiControlText(plug, x, y, param, knob, &knobText, true,
                                            IKnobMultiControlText::kTextBelow, kKnobTextOffset));
  };
  auto addCaption = [&](int param, int l, int t, int r, int b, const ITextStyle& style) {
    g->AddControl(new ICaptionControl(plug, IRectangle(l, t, r, b), param, &style, true));
  };
  auto addSwitch = [&](int param, int x, int y, const IFrameBitmap& bitmap) {
    g->AddControl(new ISwitchControl(plug, x, y, param, bitmap, IBlendSpec::kBlendAlpha));
  };
  const IRectangle graphArea(200, 48, 760, 255);
  auto addGraph = [&](const IArgbColour& colour) {
    return g->AddControl(IOscilloscopeControl::Create(plug, graphArea, colour));
  };
  auto addFader = [&](int param) {
    return g->AddControl(new VemtraCorvaneIVolume(plug, 0, 0, kFaderTrack, param, dotSwitch, IControl::kVertical, false));
  };

  // Detector 1.
  addKnob(Detector1Gate, 15, 354);
  addKnob(Detector1HiPass, 73, 354);
  addKnob(Detector1Attack, 132, 354);
  addKnob(Detector1Gain, 15, 434);
  addKnob(Detector1LowPass, 73, 434);
  addKnob(Detector1Release, 132, 434);
  addCaption(Detector1Source, 73, 306, 143, 322, caption);
  addSwitch(Detector1LinkAttRel, 181, 406, lock);
  addSwitch(Detector1On, 168, 276, onOff);

  // Detector 2.
  addKnob(Detector2Gate, 221, 354);
  addKnob(Detector2HiPass, 279, 354);
  addKnob(Detector2Attack, 338, 354);
  addKnob(Detector2Gain, 221, 434);
  addKnob(Detector2LowPass, 279, 434);
  addKnob(Detector2Release, 338, 434);
  addCaption(Detector2Source, 279, 306, 349, 322, caption);
  addSwitch(Detector2LinkAttRel, 387, 406, lock);
  addSwitch(Detector2On, 374, 276, onOff);

  // Processor 1.
  addKnob(Processor1MinGain, 437, 368);
  addKnob(Processor1MaxGain, 498, 368);
  addKnob(Processor1GainScaler, 553, 368);
  addKnob(Processor1Attack, 437, 440);
  addKnob(Processor1Release, 498, 440);
  addSwitch(Processor1RevGain, 554, 443, button);
  addCaption(Processor1Reference, 498, 300, 568, 316, caption);
  addCaption(Processor1Mode, 498, 324, 568, 340, caption);
  addSwitch(Processor1LinkMinMaxGain, 482, 379, lock);
  addSwitch(Processor1LinkAttRel, 482, 452, lock);

  // Processor 2.
  addKnob(Processor2MinGain, 632, 368);
  addKnob(Processor2MaxGain, 693, 368);
  addKnob(Processor2GainScaler, 748, 368);
  addKnob(Processor2Attack, 632, 440);
  addKnob(Processor2Release, 693, 440);
  addSwitch(Processor2RevGain, 749, 443, button);
  addCaption(Processor2Reference, 692, 300, 762, 316, caption);
  addCaption(Processor2Mode, 692, 324, 762, 340, caption);
  addSwitch(Processor2LinkMinMaxGain, 677, 379, lock);
  addSwitch(Processor2LinkAttRel, 677, 452, lock);

  // Automation, mode and the graph switches.
  addCaption(Automation, 27, 74, 107, 90, caption);
  addCaption(CorvaneMode, 27, 120, 107, 136, caption);
  addSwitch(EnableDetector1Graph, 23, 169, dotSwitch);
  addSwitch(EnableDetector2Graph, 23, 190, dotSwitch);
  addSwitch(EnableProcessor1Graph, 23, 212, dotSwitch);
  addSwitch(EnableProcessor2Graph, 23, 234, dotSwitch);

  // The graphs, drawn over each other, and the limits of the processor graphs.
  indices.detector1Graph = addGraph(Detector1GraphColour());
  indices.detector2Graph = addGraph(Detector2GraphColour());
  indices.processor1Graph = addGraph(Processor1GraphColour());
  indices.processor2Graph = addGraph(Processor2GraphColour());
  addCaption(Processor1MaxGain, 200, 49, 220, 60, scale1);
  addCaption(Processor1MinGain, 200, 257, 220, 267, scale1);
  addCaption(Processor2MaxGain, 240, 49, 260, 60, scale2);
  addCaption(Processor2MinGain, 240, 257, 260, 267, scale2);

  // The preset field, the version and the two gain faders.
  g->AddControl(new PresetFunctionsMenu(plug, IRectangle(344, 13, 579, 29), &caption, ""));
  g->AddControl(new ITextControl(plug, IRectangle(710, 7, 790, 19), &caption, kEditorVersionLabel));
  indices.processor1Fader = addFader(Processor1Gain);
  indices.processor2Fader = addFader(Processor2Gain);
  return indices;
}

IGraphics* MakeHeadlessEffectEditor(IPlugBase* plug) {
  auto* editor = new IGraphicsHeadless(plug, kEditorWidth, kEditorHeight, kEditorFrameRate);
  editor->SetBitmapResolver([](int resourceId, const char* /*name*/) { return DecodeEmbeddedBitmap(resourceId); });
  return editor;
}
