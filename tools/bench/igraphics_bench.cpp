// Editor: a full redraw of an 800 x 500 editor laid out like the effect's (the background, 36
// knobs of the 101-frame strip with their value texts, 16 switches, 12 captions and labels),
// and a timer tick in which a few knobs and the audio thread's meters changed. The redraw must
// stay far inside the 40 ms frame of the editor's timer.
#include <benchmark/benchmark.h>

#include <string>

#include "drawing/lice.h"
#include "iplug/igraphics/IControl.h"
#include "iplug/igraphics/IGraphicsHeadless.h"
#include "resources/resource.h"
#include "tests/iplug/recording_plug.h"

namespace {

// The source tree, from this file's place in it (tools/bench).
std::string SourceRoot() {
  std::string path = __FILE__;
  for (int up = 0; up < 3; ++up) {
    const size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return ".";
    path.erase(slash);
  }
  return path;
}

const int kKnobs = 36, kSwitches = 16, kCaptions = 12, kParams = kKnobs + kSwitches;

class BenchEditor {
 public:
  BenchEditor() : plug(kParams) {
    for (int i = 0; i < kKnobs; ++i) plug.GetParam(i)->InitNumber("Knob", 0.0, -30.0, 30.0, 0.1, "dB");
    for (int i = kKnobs; i < kParams; ++i) plug.GetParam(i)->InitBoolean("Switch", i % 2 == 0);
    g = new IGraphicsHeadless(&plug, 800, 500, 25);
    g->SetResourceRoot(SourceRoot().c_str());
    g->AddBackground(BKG_ID, BKG_FN);
    const IFrameBitmap knob = g->LoadFrameBitmap(KNOB_ID, KNOB_FN, KNOB_FRAMES);
    const IFrameBitmap dot = g->LoadFrameBitmap(DOT_SWITCH_ID, DOT_SWITCH_FN, DOT_SWITCH_FRAMES);
    const IFrameBitmap onOff = g->LoadFrameBitmap(ON_OFF_ID, ON_OFF_FN, ON_OFF_FRAMES);
    ITextStyle text(12, IArgbColour(255, 220, 220, 220));
    for (int i = 0; i < kKnobs; ++i) {
      const int x = 20 + (i % 12) * 64, y = 40 + (i / 12) * 130;
      firstKnob = firstKnob < 0 ? g->NControls() : firstKnob;
      g->AddControl(new IKnobMultiControlText(&plug, x, y, i, knob, &text, true, IKnobMultiControlText::kTextBelow, -4));
    }
    for (int i = 0; i < kSwitches; ++i) {
      g->AddControl(new ISwitchControl(&plug, 24 + i * 48, 440, kKnobs + i, i % 2 ? dot : onOff));
    }
    for (int i = 0; i < kCaptions; ++i) {
      const IRectangle r(20 + (i % 6) * 128, 10 + (i / 6) * 460, 140 + (i % 6) * 128, 28 + (i / 6) * 460);
      if (i % 2) g->AddControl(new ICaptionControl(&plug, r, i, &text));
      else g->AddControl(new ITextControl(&plug, r, &text, "Detector 1 hi pass"));
    }
    plug.BindGraphics(g);
    g->Tick();
  }

  RecordingPlug plug;
  IGraphicsHeadless* g = nullptr;  // owned by the plug-in
  int firstKnob = -1;
};

void BM_EditorFullRedraw(benchmark::State& state) {
  BenchEditor editor;
  IGraphicsHeadless* g = editor.g;
  if (g->GetControl(0)->GetRECT().right != 800) {
    state.SkipWithError("editor bitmaps not found");
    return;
  }
  int k = 0;
  for (auto _ : state) {
    g->UpdateControlValue(editor.firstKnob + k, (k % 100) / 100.0);
    k = (k + 1) % kKnobs;
    g->MarkAllControlsChanged();
    g->Draw(IRectangle(0, 0, 800, 500));
  }
  state.counters["controls"] = g->NControls();
}
BENCHMARK(BM_EditorFullRedraw)->Unit(benchmark::kMicrosecond);

void BM_EditorTickWithFewChanges(benchmark::State& state) {
  BenchEditor editor;
  IGraphicsHeadless* g = editor.g;
  int k = 0;
  for (auto _ : state) {
    for (int j = 0; j < 3; ++j) g->UpdateControlValue(editor.firstKnob + (k + j * 7) % kKnobs, (k % 50) / 50.0);
    ++k;
    g->Tick();
  }
}
BENCHMARK(BM_EditorTickWithFewChanges)->Unit(benchmark::kMicrosecond);

}  // namespace
