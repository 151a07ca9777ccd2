#pragma once
// A small plug-in on the AAX adapter for the adapter's tests: a gain, a three-way mode and a
// switch, the AAX channel configurations "2-1 3-2" with one side-chain channel, a headless
// editor of 800 x 500, and a block callback that shows where every channel went:
//   output c = main input c x gain + side-chain input      (c = 0, 1)

#include <stdexcept>
#include <vector>

#include "iplug/aax/IPlugAAX.h"
#include "iplug/igraphics/IGraphicsHeadless.h"

namespace aaxtest {

enum TestParam : int { kGain = 0, kMode, kEnabled, kNumParams };
constexpr int kSideChainInput = 2;
constexpr int kEditorWidth = 800;
constexpr int kEditorHeight = 500;

struct ChangeRecord {
  int index;
  ParamChangeSource source;
};

class TestPlug : public IPlugAAX {
 public:
  explicit TestPlug(bool withEditor = true)
      : IPlugAAX(nullptr, kNumParams, "2-1 3-2", 1, "Corvane Test", "", "Test Maker", 0x00010203,
                 0x43765473 /* 'CvTs' */, 0x54734D6B /* 'TsMk' */, 0, false, false, false, 1) {
    GetParam(kGain)->InitNumber("Gain", 0.0, -60.0, 12.0, 0.1, "dB");
    GetParam(kMode)->InitEnumeration("Mode", 1, 3);
    GetParam(kMode)->AddDisplayText(0, "Soft");
    GetParam(kMode)->AddDisplayText(1, "Normal");
    GetParam(kMode)->AddDisplayText(2, "Hard");
    GetParam(kEnabled)->InitBoolean("Enabled", true);
    MakePresetFromParamPairs("Default", 0);
    if (withEditor) BindGraphics(new IGraphicsHeadless(this, kEditorWidth, kEditorHeight));
  }

  void ProcessAudio(double** inputs, double** outputs, int nFrames) override {
    ++processCalls;
    lastFrames = nFrames;
    const double gain = GetParam(kGain)->DecibelsToGain();
    for (int c = 0; c < 2; ++c) {
      for (int i = 0; i < nFrames; ++i) outputs[c][i] = inputs[c][i] * gain + inputs[kSideChainInput][i];
    }
  }
  void ResetProcessing() override {
    IPlugAAX::ResetProcessing();
    ++resets;
  }
  void ParamValueChanged(int index, ParamChangeSource source) override {
    IPlugAAX::ParamValueChanged(index, source);
    changes.push_back({index, source});
  }
  bool SaveState(ByteBlock* chunk) override { return !failSave && IPlugAAX::SaveState(chunk); }
  void EditorResized(IPlugEditor*) override { ++editorResizes; }

  IGraphicsHeadless* Editor() const { return static_cast<IGraphicsHeadless*>(GetGUI()); }
  const AAX_IHostNodeTransport* Transport() const { return mTransport; }

  int processCalls = 0;
  int lastFrames = 0;
  int resets = 0;
  int editorResizes = 0;
  bool failSave = false;
  std::vector<ChangeRecord> changes;
};

}  // namespace aaxtest
