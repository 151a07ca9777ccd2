#pragma once
// A small plug-in on the VST3 adapter, for the adapter tests and the benchmark: parameters of
// every kind (two of them in a group, one in another, one not automatable), three presets, and
// a block callback that records its calls and mixes the side chain into the output, so that
// the routing of every channel can be seen in the result:
//   output c = main input c x gain + side-chain input c    (c = 0, 1)

#include <functional>
#include <stdexcept>
#include <vector>

#include "iplug/vst3/IPlugVST3.h"

namespace vst3test {

enum TestParam : int { kGain = 0, kMode, kEnabled, kCutoff, kDrive, kHidden, kNumParams };

constexpr const char* kEffectChannelIO = "1-1 2-1 3-1 2-2 3-2 4-2";

struct PlugOptions {
  const char* channelIO = kEffectChannelIO;
  int latency = 0;
  bool midi = false;
  bool instrument = false;
  int sideChain = 2;
  int presets = 3;
};

// Where the test plug-in throws, to see that no exception reaches the host.
enum class ThrowIn { kNowhere, kProcess, kLoadState, kSaveState, kHostReady, kActivation, kReset };

struct ChangeRecord {  // one call of the parameter hook
  int index;
  ParamChangeSource source;
};

class TestPlug : public IPlugVST3 {
 public:
  explicit TestPlug(const PlugOptions& o = PlugOptions())
      : IPlugVST3(kNumParams, o.channelIO, o.presets, "Corvane Test", "", "Test Maker", 0x00010203,
                  0x43765473 /* 'CvTs' */, 0x54734D6B /* 'TsMk' */, o.latency, o.midi, false, o.instrument,
                  o.sideChain) {
    GetParam(kGain)->InitNumber("Gain", 0.0, -60.0, 12.0, 0.1, "dB");
    GetParam(kMode)->InitEnumeration("Mode", 1, 3);
    GetParam(kMode)->AddDisplayText(0, "Soft");
    GetParam(kMode)->AddDisplayText(1, "Normal");
    GetParam(kMode)->AddDisplayText(2, "Hard");
    GetParam(kEnabled)->InitBoolean("Enabled", true);
    GetParam(kCutoff)->InitNumber("Cutoff", 20.0, 20.0, 3000.0, 1.0, "Hz", "Filter");
    GetParam(kCutoff)->SetCurveShape(2.0);
    GetParam(kDrive)->InitNumber("Drive", 10.0, 0.0, 100.0, 1.0, "%", "Filter");
    GetParam(kHidden)->InitNumber("Hidden", 0.0, 0.0, 1.0, 0.01, "", "Output");
    GetParam(kHidden)->SetAutomatable(false);

    MakePresetFromParamPairs("Default", 0);
    MakePresetFromParamPairs("Loud", 2, static_cast<int>(kGain), 6.0, static_cast<int>(kMode), 2);
    MakePresetFromParamPairs("Quiet", 2, static_cast<int>(kGain), -30.0, static_cast<int>(kEnabled), 0);
  }

  ~TestPlug() override {
    if (destroyed) *destroyed = true;
  }

  // ---- Effect hooks ---------------------------------------------------------------------------
  void ProcessAudio(double** inputs, double** outputs, int nFrames) override {
    if (throwIn == ThrowIn::kProcess) throw std::runtime_error("process");
    if (hook) hook("process");
    ++processCalls;
    lastFrames = nFrames;
    const double gain = GetParam(kGain)->DecibelsToGain();
    for (int c = 0; c < 2; ++c) {
      const double* in = inputs[c];
      const double* side = inputs[2 + c];
      double* out = outputs[c];
      for (int i = 0; i < nFrames; ++i) out[i] = in[i] * gain + side[i];
    }
  }
  void ParamValueChanged(int index, ParamChangeSource source) override {
    IPlugVST3::ParamValueChanged(index, source);
    if (recordParamChanges) paramChanges.push_back({index, source});
  }
  void ResetProcessing() override {
    if (throwIn == ThrowIn::kReset) throw std::runtime_error("reset");
    ++resets;
  }
  void ActivationChanged(bool active) override {
    if (throwIn == ThrowIn::kActivation) throw std::runtime_error("activation");
    activations.push_back(active);
  }
  void HostReady() override {
    if (throwIn == ThrowIn::kHostReady) throw std::bad_alloc();
    ++hostReadyCalls;
  }
  int LoadState(ByteBlock* chunk, int position) override {
    if (throwIn == ThrowIn::kLoadState) throw std::runtime_error("load");
    if (hook) hook("load");
    return IPlugVST3::LoadState(chunk, position);
  }
  bool SaveState(ByteBlock* chunk) override {
    if (throwIn == ThrowIn::kSaveState) throw std::runtime_error("save");
    if (hook) hook("save");
    return IPlugVST3::SaveState(chunk);
  }
  void ProcessMidiEvent(IMidiEvent* event) override { midiEvents.push_back(*event); }
  void EditorResized(IPlugEditor* editor) override { ++editorResizes; }

  // ---- Editor views ---------------------------------------------------------------------------
  // A view that notes, on each onSize, whether the plug-in had asked for that size.
  class TestView : public IPlugVST3ViewBase {
   public:
    explicit TestView(IPlugVST3* plug) : IPlugVST3ViewBase(plug) {}
    Steinberg::tresult CORVANE_VST3_CALL onSize(Steinberg::ViewRect* newSize) override {
      sizes.push_back(newSize ? *newSize : Steinberg::ViewRect{-1, -1, -1, -1});
      expected.push_back(IsExpectingSize());
      SetExpectingSize(false);
      return CPluginView::onSize(newSize);
    }
    std::vector<Steinberg::ViewRect> sizes;
    std::vector<bool> expected;
  };
  bool offersViews = false;

  // ---- Records --------------------------------------------------------------------------------
  bool* destroyed = nullptr;
  std::function<void(const char*)> hook;  // called from the block callback and the state hooks
  ThrowIn throwIn = ThrowIn::kNowhere;
  bool recordParamChanges = true;
  std::vector<ChangeRecord> paramChanges;
  std::vector<bool> activations;
  std::vector<IMidiEvent> midiEvents;
  int processCalls = 0;
  int lastFrames = -1;
  int resets = 0;
  int hostReadyCalls = 0;
  int editorResizes = 0;

 protected:
  IPlugVST3ViewBase* MakeEditorView() override { return offersViews ? new TestView(this) : nullptr; }
};

}  // namespace vst3test
