#include "effect/VemtraCorvane.h"

#include <cmath>
#include <memory>

#include "effect/VemtraCorvaneEditor.h"
#if defined(CORVANE_WINDOWS_EDITOR) && CORVANE_WINDOWS_EDITOR
#include "iplug/igraphicswin/IGraphicsWin.h"
#endif

namespace {

constexpr double kMeterSeconds = 0.01;
constexpr double kHighPassStartHz = 20.0;
constexpr double kLowPassStartHz = 20000.0;

// Coefficients of a follower's attack and release for its current rate, from the times the last
// parameter changes gave it.
template <class Follower>
void RecomputeTimeConstants(Follower& f) {
  f.attackCoef = Corvane::TimeConstantCoefficient(f.timeConstantRate, f.attackMs);
  f.releaseCoef = Corvane::TimeConstantCoefficient(f.timeConstantRate, f.releaseMs);
}

// The editor of this build: the Windows editor in the module's instance (whose "PNG"
// resources hold the bitmaps), or the headless editor.
IGraphics* MakeEditor(IPlugBase* plug) {
#if defined(CORVANE_WINDOWS_EDITOR) && CORVANE_WINDOWS_EDITOR
  auto* editor = new IGraphicsWin(plug, kEditorWidth, kEditorHeight, kEditorFrameRate);
  // The instance the module's entry kept; failing that, the module this code was linked into,
  // which carries the same resources.
  HINSTANCE instance = GetPlugModuleInstance();
  if (!instance) {
    HMODULE module = nullptr;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&MakeEditor), &module)) {
      instance = module;
    }
  }
  editor->SetHInstance(instance);
  return editor;
#else
  return MakeHeadlessEffectEditor(plug);
#endif
}

}  // namespace

VemtraCorvane::VemtraCorvane()
    : CORVANE_ADAPTER_CLASS(CORVANE_ADAPTER_LEADING_ARGS kNumParams, kChannelIO, kNumPresets, "VemtraCorvane", "",
                            "Vemtra", kVersion, kUniqueId, kMakerId, 0, false, false, false, kSideChainChannels) {
  TraceCall("VemtraCorvane::VemtraCorvane");
  for (int i = 0; i < kNumParams; ++i) InitEffectParameter(GetParam(i), i);

  // Held by a smart pointer until the framework owns it, so a failure while the controls are
  // added does not leak the editor.
  std::unique_ptr<IGraphics> editor(MakeEditor(this));
  const EffectEditorControls controls = AddEffectControls(editor.get(), this);
  detector1Graph = controls.detector1Graph;
  detector2Graph = controls.detector2Graph;
  processor1Graph = controls.processor1Graph;
  processor2Graph = controls.processor2Graph;
  processor1Fader = controls.processor1Fader;
  processor2Fader = controls.processor2Fader;
  BindGraphics(editor.release());

  MakePresetFromParamPairs(kDefaultPresetName, 0);
  for (const StoredPreset& preset : kStoredPresets) MakePresetFromBase64(preset.name, preset.base64, kStoredPresetBytes);

  meterLength = 1;
  Corvane::GainBuffer* histories[] = {&processor1History, &processor2History, &detector1History, &detector2History};
  for (Corvane::GainBuffer* history : histories) history->Resize(meterLength);

  for (Corvane::LevelDetector& detector : engine.detectors) {
    detector.DesignHighPass(kHighPassStartHz);
    detector.DesignLowPass(kLowPassStartHz);
  }
}

VemtraCorvane::~VemtraCorvane() = default;

void VemtraCorvane::ResetProcessing() {
  PlugLock lock(GetMutex());
  const double rate = GetSampleRate();
  engine.SetSampleRate(ClampToInt(rate));
  engine.SetChannels(2);
  engine.SetOversampling(1);
  engine.Reset();

  // The engine's set-up moves the rates; what the parameters set up for the old rate is
  // recomputed for the new one: the followers' time constants and the detector filters.
  for (Corvane::LevelDetector& detector : engine.detectors) RecomputeTimeConstants(detector);
  for (Corvane::GainProcessor& processor : engine.processors) RecomputeTimeConstants(processor);
  engine.detectors[0].DesignHighPass(Value(Detector1HiPass));
  engine.detectors[0].DesignLowPass(Value(Detector1LowPass));
  engine.detectors[1].DesignHighPass(Value(Detector2HiPass));
  engine.detectors[1].DesignLowPass(Value(Detector2LowPass));

  // At least one frame per history, whatever the rate; sized here so that the next block does
  // not allocate.
  const double frames = rate * kMeterSeconds;
  meterLength = frames >= 1.0 ? ClampToInt(frames) : 1;
  Corvane::GainBuffer* histories[] = {&processor1History, &processor2History, &detector1History, &detector2History};
  for (Corvane::GainBuffer* history : histories) history->Resize(meterLength);
}

int VemtraCorvane::UnserializeParams(ByteBlock* chunk, int position) {
  if (!chunk) return -1;
  PlugLock lock(GetMutex());
  for (int i = 0; i < kNumParams && position >= 0; ++i) {
    IPlugParameter* param = GetParam(i);
    TraceCall("VemtraCorvane::UnserializeParams", "%d %s %f", i, param->GetName(), param->Value());
    double value = 0.0;
    position = chunk->Get(&value, position);  // leaves value at 0 when the chunk runs short
    param->SetClamped(value);
  }
  NotifyAllParamsChanged(kSourceRecall);
  return position;
}
