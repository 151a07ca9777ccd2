// The reaction to parameter changes: the only place where parameter values reach the engine.

#include <cmath>

#include "dsp/Decibels.h"
#include "effect/VemtraCorvane.h"

namespace {

using Corvane::DbToGain;

// Both detectors' parameters lie in rows of the same layout, as do both processors'.
constexpr int kDetectorRow = Detector2Source - Detector1Source;
constexpr int kProcessorRow = Processor2Reference - Processor1Reference;
static_assert(Detector2On - Detector1On == kDetectorRow, "detector rows differ");
static_assert(Processor2GainScaler - Processor1GainScaler == kProcessorRow, "processor rows differ");

enum DetectorOffset { kSource, kGate, kGain, kLink, kAttack, kRelease, kHiPass, kLowPass, kOn };
enum ProcessorOffset { kReference, kPLink, kPAttack, kPRelease, kMode, kRevGain, kMaxGain, kMinGain, kLinkMinMax, kScaler };

// The controls a detector's on switch greys, in order, as offsets in its row.
constexpr int kDetectorGreyOrder[] = {kAttack, kGate, kHiPass, kGain, kLink, kLowPass, kRelease, kSource};

// Classic's fixed values, in the order they are stored.
struct FixedValue {
  int index;
  double value;
};
constexpr FixedValue kClassicValues[] = {
    {Detector1On, 1},           {Detector1LinkAttRel, 0},  {Detector1Gate, -60},      {Detector1Attack, 500},
    {Detector1Source, 2},       {Detector1HiPass, 100},    {Detector1LowPass, 20000}, {Detector2On, 0},
    {Processor1LinkAttRel, 0},  {Processor2LinkAttRel, 0}, {Processor1Reference, 0},  {Processor2Reference, 0},
    {Processor1Attack, 500},    {Processor2Attack, 500},   {Processor1MaxGain, 6},    {Processor2MaxGain, 6},
    {Processor1MinGain, -6},    {Processor2MinGain, -6},   {Processor1Mode, 1},       {Processor2Mode, 1},
    {Processor1RevGain, 0},     {Processor2RevGain, 0},
};

// What the user keeps in Classic, and what Classic hides.
constexpr int kClassicEnabled[] = {Detector1Release, Processor1GainScaler, Detector1Gain, CorvaneMode,
                                   Automation,       EnableDetector1Graph, EnableProcessor1Graph, EnableProcessor2Graph};
constexpr int kClassicHidden[] = {Processor1Mode, Processor2Mode, Detector1Source, Detector2Source,
                                  Processor1Reference, Processor2Reference};

// What Stereo greys (processor 2 follows processor 1) and hides.
constexpr int kStereoGreyed[] = {Processor2Attack,  Processor2LinkAttRel,     Processor2Release,   Processor2MinGain,
                                 Processor2MaxGain, Processor2LinkMinMaxGain, Processor2GainScaler};

using TimeSetter = void (Corvane::Corvane::*)(int, double);

// One time constant of follower j; with its row's link on, the other time takes the same value
// and is set as well.
void SetLinkedTime(IPlugBase& plug, Corvane::Corvane& engine, int j, double v, bool linked, int other,
                   TimeSetter set, TimeSetter setOther) {
  (engine.*set)(j, v);
  if (linked) {
    plug.GetParam(other)->SetClamped(v);
    (engine.*setOther)(j, plug.GetParam(other)->Value());
  }
}

}  // namespace

void VemtraCorvane::Store(int index, double value) { GetParam(index)->SetClamped(value); }

void VemtraCorvane::ParamValueChanged(int index, ParamChangeSource source) {
  PlugLock lock(GetMutex());
  IPlugParameter* param = index < kNumParams ? GetParam(index) : nullptr;
  if (!param) return;
  // Whatever road the value came by, the engine and the integer conversions below see it
  // finite and in range: a value that is not a number or infinite counts as the default.
  const double value = param->Value();
  if (!std::isfinite(value) || value < param->GetMin() || value > param->GetMax()) param->SetClamped(value);

  // A change from outside (the host, the editor, a tool) as against the reaction's own
  // follow-up calls and a recall, which rebuilds the configuration from stored values.
  const bool fromOutside = mReactionDepth == 0 && source != kSourceRecall;
  ++mReactionDepth;
  if (fromOutside) KeepClassicFixedValue(index);
  React(index, source);
  if (index > Processor2Gain) FollowMode(index, source, fromOutside);
  --mReactionDepth;

  if (IPlugEditor* editor = GetGUI()) {
    for (int p = 0; p < kNumParams; ++p) editor->UpdateControlsOfParam(p, GetParam(p)->GetNormalizedValue(), true);
  }
}

void VemtraCorvane::KeepClassicFixedValue(int index) {
  // In Classic the fixed values stay what Classic made them, whatever road a change comes by:
  // the editor greys their controls, and a state saved in Classic must read back to itself.
  if (EnumValue(Value(CorvaneMode)) != ModeClassic) return;
  for (const FixedValue& fixed : kClassicValues) {
    if (fixed.index == index) Store(index, fixed.value);
  }
}

void VemtraCorvane::React(int index, ParamChangeSource source) {
  const double v = Value(index);
  IPlugEditor* editor = GetGUI();

  if (index == CorvaneMode) {
    ChangeMode(source);
    return;
  }
  if (index >= EnableDetector1Graph && index <= EnableProcessor2Graph) {
    const int graphs[] = {detector1Graph, detector2Graph, processor1Graph, processor2Graph};
    if (editor) editor->HideControl(graphs[index - EnableDetector1Graph], v < 0.5);
    return;
  }

  if (index >= Detector1Source && index <= Detector2On) {
    const int j = index >= Detector2Source ? 1 : 0;
    const int row = Detector1Source + j * kDetectorRow;
    Corvane::LevelDetector& detector = engine.detectors[j];
    switch (index - row) {
      case kSource: engine.detectorSource[j] = EnumValue(v); break;
      case kGate: detector.gate = DbToGain(v); break;
      case kGain: detector.gain = DbToGain(v); break;
      case kLink:
        engine.detectorLink[j] = IsOn(v);
        // Switched on, the link makes the release the attack at once, as reading the state
        // back would.
        if (IsOn(v)) {
          SetLinkedTime(*this, engine, j, Value(row + kAttack), true, row + kRelease,
                        &Corvane::Corvane::SetDetectorAttack, &Corvane::Corvane::SetDetectorRelease);
        }
        break;
      case kAttack:
        SetLinkedTime(*this, engine, j, v, IsOn(Value(row + kLink)), row + kRelease,
                      &Corvane::Corvane::SetDetectorAttack, &Corvane::Corvane::SetDetectorRelease);
        break;
      case kRelease:
        SetLinkedTime(*this, engine, j, v, IsOn(Value(row + kLink)), row + kAttack,
                      &Corvane::Corvane::SetDetectorRelease, &Corvane::Corvane::SetDetectorAttack);
        break;
      case kHiPass: detector.DesignHighPass(v); break;
      case kLowPass: detector.DesignLowPass(v); break;
      case kOn:
        engine.detectorOn[j] = IsOn(v);
        // Classic keeps its own greying of detector 1.
        if (j == 1 || EnumValue(Value(CorvaneMode)) != ModeClassic) GreyDetectorControls(row, !IsOn(v));
        break;
    }
    return;
  }

  if (index >= Processor1Reference && index <= Processor2GainScaler) {
    const int j = index >= Processor2Reference ? 1 : 0;
    const int row = Processor1Reference + j * kProcessorRow;
    Corvane::GainProcessor& processor = engine.processors[j];
    // While processor 2 copies processor 1, its links have nothing to do: every linked value
    // arrives as a copy of its own.
    const bool links = !(j == 1 && mMirroring);
    switch (index - row) {
      case kReference: engine.processorReference[j] = EnumValue(v); break;
      case kPLink:
        engine.processorLink[j] = IsOn(v);
        if (links && IsOn(v)) {
          SetLinkedTime(*this, engine, j, Value(row + kPAttack), true, row + kPRelease,
                        &Corvane::Corvane::SetProcessorAttack, &Corvane::Corvane::SetProcessorRelease);
        }
        break;
      case kPAttack:
        SetLinkedTime(*this, engine, j, v, links && IsOn(Value(row + kPLink)), row + kPRelease,
                      &Corvane::Corvane::SetProcessorAttack, &Corvane::Corvane::SetProcessorRelease);
        break;
      case kPRelease:
        SetLinkedTime(*this, engine, j, v, links && IsOn(Value(row + kPLink)), row + kPAttack,
                      &Corvane::Corvane::SetProcessorRelease, &Corvane::Corvane::SetProcessorAttack);
        break;
      case kMode:
        processor.rmsRiseCoef = processor.rmsFallCoef = Corvane::SmoothingCoefficient(processor.rmsRate * 0.5);
        processor.rmsState = 0.0;
        processor.mode = EnumValue(v);
        break;
      case kRevGain: processor.reverse = IsOn(v); break;
      case kMaxGain:
        processor.maxGain = DbToGain(v);
        if (links && IsOn(Value(row + kLinkMinMax))) {
          processor.minGain = DbToGain(-v);
          Store(row + kMinGain, -v);
        }
        break;
      case kMinGain:
        processor.minGain = DbToGain(v);
        if (links && IsOn(Value(row + kLinkMinMax))) {
          processor.maxGain = DbToGain(-v);
          Store(row + kMaxGain, -v);
        }
        break;
      case kLinkMinMax:
        if (links && IsOn(v)) {
          const double max = Value(row + kMaxGain);
          processor.minGain = DbToGain(-max);
          Store(row + kMinGain, -max);
        }
        break;
      case kScaler: processor.scaler = v / 100.0; break;
    }
  }
}

void VemtraCorvane::GreyDetectorControls(int row, bool grey) {
  IPlugEditor* editor = GetGUI();
  if (!editor) return;
  for (int offset : kDetectorGreyOrder) editor->GrayControlsOfParam(row + offset, grey);
}

void VemtraCorvane::ChangeMode(ParamChangeSource source) {
  // The mode the configuration was last built for: a mode sent again is no change of mode.
  const int mode = EnumValue(Value(CorvaneMode));
  const bool enteringMode = mode != mAppliedMode;
  mAppliedMode = mode;

  for (int i = 0; i < kNumParams; ++i) {
    if (i != CorvaneMode) ParamValueChanged(i, kSourceHost);
    if (IPlugEditor* editor = GetGUI()) {
      editor->GrayControlsOfParam(i, false);
      editor->HideControlsOfParam(i, false);
    }
  }
  if (IPlugEditor* editor = GetGUI()) editor->HideControl(detector2Graph, false);

  switch (mode) {
    case ModeStereo:
      engine.processorRoute[0] = Corvane::RouteLeft;
      engine.processorRoute[1] = Corvane::RouteRight;
      engine.stereoLink = true;
      // Entering Stereo from another mode starts both processors on detector 1 with detector 2
      // off; the user may change that afterwards, so Stereo sent again and a recalled Stereo
      // state keep their own.
      if (enteringMode && source != kSourceRecall) {
        Store(Processor1Reference, 0);
        Store(Processor2Reference, 0);
        Store(Detector2On, 0);
        ParamValueChanged(Processor1Reference, kSourceFollowUp);
        ParamValueChanged(Processor2Reference, kSourceFollowUp);
        ParamValueChanged(Detector2On, kSourceFollowUp);
      }
      if (IPlugEditor* editor = GetGUI()) {
        for (int p : kStereoGreyed) editor->GrayControlsOfParam(p, true);
        editor->HideControlsOfParam(Processor2Mode, true);
      }
      break;
    case ModeMidSide:
      engine.processorRoute[0] = Corvane::RouteMid;
      engine.processorRoute[1] = Corvane::RouteSide;
      engine.stereoLink = false;
      break;
    case ModeClassic:
      for (const FixedValue& fixed : kClassicValues) Store(fixed.index, fixed.value);
      engine.processorRoute[0] = Corvane::RouteLeft;
      engine.processorRoute[1] = Corvane::RouteRight;
      engine.stereoLink = true;
      for (int i = 0; i < kNumParams; ++i) {
        if (i != CorvaneMode) ParamValueChanged(i, kSourceFollowUp);
      }
      if (IPlugEditor* editor = GetGUI()) {
        for (int i = 0; i < kNumParams; ++i) editor->GrayControlsOfParam(i, true);
        for (int p : kClassicEnabled) editor->GrayControlsOfParam(p, false);
        for (int p : kClassicHidden) editor->HideControlsOfParam(p, true);
        editor->HideControl(detector2Graph, true);
      }
      break;
    default:
      break;
  }
}

void VemtraCorvane::FollowMode(int index, ParamChangeSource source, bool fromOutside) {
  const int mode = EnumValue(Value(CorvaneMode));
  if (mode == ModeStereo) {
    if (!mMirroring) MirrorProcessor1();
  } else if ((source != kSourceHost || fromOutside) && mode == ModeClassic) {
    // In Classic the detector's release also sets both processors' release, and processor 2's
    // scaler follows processor 1's, whoever made the change; only the follow-up's own calls
    // (source 1 from inside the reaction) do not start another.
    Store(Processor2GainScaler, Value(Processor1GainScaler));
    Store(Processor1Release, Value(Detector1Release));
    Store(Processor2Release, Value(Detector1Release));
    ParamValueChanged(Processor2GainScaler, kSourceHost);
    ParamValueChanged(Processor1Release, kSourceHost);
    ParamValueChanged(Processor2Release, kSourceHost);
  }
}

void VemtraCorvane::MirrorProcessor1() {
  // One pass copies every differing value and runs processor 2's reaction for it. The copies
  // run neither processor 2's links nor a nested copy, so the pass ends with processor 2 equal
  // to processor 1 however their links are set.
  mMirroring = true;
  for (int k = Processor1Reference; k <= Processor1GainScaler; ++k) {
    if (Value(k) != Value(k + kProcessorRow)) {
      Store(k + kProcessorRow, Value(k));
      ParamValueChanged(k + kProcessorRow, kSourceFollowUp);
    }
  }
  mMirroring = false;
}
