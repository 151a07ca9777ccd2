// The reaction to parameter changes: each parameter's way into the engine, the links, the three
// modes with their editor greying and hiding, Stereo's mirror and Classic's follow-ups.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <vector>

#include "dsp/Decibels.h"
#include "effect_test_util.h"

using Corvane::DbToGain;
using EffectTest::Effect;
using EffectTest::SameStage;

namespace {

// A detector at `rate` with its filters designed afresh.
struct DesignedAt : Corvane::LevelDetector {
  DesignedAt(int rate, double hiPass, double lowPass) {
    sampleRate = rate;
    DesignHighPass(hiPass);
    DesignLowPass(lowPass);
  }
};

// The parameters whose controls an editor call of a kind reached, in order.
std::vector<int> Calls(const RecordingEditor& editor, char kind, bool flag) {
  std::vector<int> out;
  for (const auto& c : editor.calls) {
    if (c.kind == kind && (c.value != 0.0) == flag) out.push_back(c.index);
  }
  return out;
}

// The final grey and hide state per parameter after a series of editor calls.
struct ControlState {
  std::vector<int> grey = std::vector<int>(kNumParams, 0), hidden = std::vector<int>(kNumParams, 0);
  explicit ControlState(const RecordingEditor& editor) {
    for (const auto& c : editor.calls) {
      if (c.kind == 'g') grey[c.index] = c.value != 0.0;
      if (c.kind == 'h') hidden[c.index] = c.value != 0.0;
    }
  }
};

void ExpectProcessor2MirrorsProcessor1(const Effect& plug) {
  for (int k = Processor1Reference; k <= Processor1GainScaler; ++k) EXPECT_EQ(plug.V(k + 10), plug.V(k)) << k;
  EffectTest::ExpectSameProcessorSettings(plug.engine.processors[1], plug.engine.processors[0]);
  EXPECT_EQ(plug.engine.processorReference[1], plug.engine.processorReference[0]);
  EXPECT_EQ(plug.engine.processorLink[1], plug.engine.processorLink[0]);
}

}  // namespace

// ---- Each parameter into the engine ---------------------------------------------------------

TEST(Reactions, DetectorParametersReachTheEngine) {
  Effect plug(48000);
  plug.SetParameterValue(Detector2Source, 3, kSourceHost);
  plug.SetParameterValue(Detector1Gate, -40, kSourceHost);
  plug.SetParameterValue(Detector2Gain, 6.5, kSourceHost);
  plug.SetParameterValue(Detector1LinkAttRel, 1, kSourceHost);
  plug.SetParameterValue(Detector1HiPass, 150, kSourceHost);
  plug.SetParameterValue(Detector2LowPass, 5000, kSourceHost);
  plug.SetParameterValue(Detector2Attack, 40, kSourceHost);
  plug.SetParameterValue(Detector2Release, 900, kSourceHost);
  EXPECT_EQ(plug.engine.detectorSource[1], Corvane::SourceExtSide);
  EXPECT_EQ(plug.engine.detectors[0].gate, DbToGain(-40));
  EXPECT_EQ(plug.engine.detectors[0].gate, DbToGain(-40));
  EXPECT_EQ(plug.engine.detectors[1].gain, DbToGain(6.5));
  EXPECT_TRUE(plug.engine.detectorLink[0]);
  EXPECT_FALSE(plug.engine.detectorLink[1]);
  const DesignedAt expected1(48000, 150, 20000), expected2(48000, 20, 5000);
  EXPECT_TRUE(SameStage(plug.engine.detectors[0].highPass, expected1.highPass));
  EXPECT_TRUE(SameStage(plug.engine.detectors[1].lowPass, expected2.lowPass));
  EXPECT_EQ(plug.engine.detectors[1].attackCoef, Corvane::TimeConstantCoefficient(48000, 40));
  EXPECT_EQ(plug.engine.detectors[1].releaseCoef, Corvane::TimeConstantCoefficient(48000, 900));
  EXPECT_EQ(plug.V(Detector2Attack), 40.0);  // unlinked: each keeps its own

  plug.SetParameterValue(Detector1On, 0, kSourceHost);
  EXPECT_FALSE(plug.engine.detectorOn[0]);
  plug.SetParameterValue(Detector2On, 1, kSourceHost);
  EXPECT_TRUE(plug.engine.detectorOn[1]);
}

TEST(Reactions, LinkedDetectorAttackAndRelease) {
  Effect plug;
  plug.SetParameterValue(Detector1LinkAttRel, 1, kSourceEditor);
  plug.SetParameterValue(Detector1Attack, 250, kSourceEditor);
  EXPECT_EQ(plug.V(Detector1Release), 250.0);
  EXPECT_EQ(plug.engine.detectors[0].attackCoef, Corvane::TimeConstantCoefficient(44100, 250));
  EXPECT_EQ(plug.engine.detectors[0].releaseCoef, plug.engine.detectors[0].attackCoef);
  plug.SetParameterValue(Detector1Release, 40, kSourceEditor);
  EXPECT_EQ(plug.V(Detector1Attack), 40.0);
  EXPECT_EQ(plug.engine.detectors[0].attackCoef, Corvane::TimeConstantCoefficient(44100, 40));
  // Switched on after the times differ, the link takes the attack for the release at once.
  plug.SetParameterValue(Detector1LinkAttRel, 0, kSourceHost);
  plug.SetParameterValue(Detector1Release, 800, kSourceHost);
  plug.SetParameterValue(Detector1LinkAttRel, 1, kSourceHost);
  EXPECT_EQ(plug.V(Detector1Release), 40.0);
  EXPECT_EQ(plug.engine.detectors[0].releaseCoef, plug.engine.detectors[0].attackCoef);
}

TEST(Reactions, ProcessorParametersReachTheEngine) {
  Effect plug;
  plug.SetParameterValue(CorvaneMode, ModeMidSide, kSourceEditor);
  plug.SetParameterValue(Processor2Reference, 2, kSourceHost);
  plug.SetParameterValue(Processor2RevGain, 1, kSourceHost);
  plug.SetParameterValue(Processor1GainScaler, 35, kSourceHost);
  plug.SetParameterValue(Processor2MaxGain, 9, kSourceHost);
  plug.SetParameterValue(Processor2MinGain, -3, kSourceHost);
  plug.SetParameterValue(Processor1Attack, 20, kSourceHost);
  EXPECT_EQ(plug.engine.processorReference[1], Corvane::ReferenceNone);
  EXPECT_TRUE(plug.engine.processors[1].reverse);
  EXPECT_EQ(plug.engine.processors[0].scaler, 0.35);
  EXPECT_EQ(plug.engine.processors[1].maxGain, DbToGain(9));
  EXPECT_EQ(plug.engine.processors[1].minGain, DbToGain(-3));
  EXPECT_EQ(plug.V(Processor2MinGain), -3.0);  // no link
  EXPECT_EQ(plug.engine.processors[0].attackCoef, Corvane::TimeConstantCoefficient(44100, 20));

  // The mode resets the ratio smoother.
  plug.engine.processors[0].rmsState = 0.7;
  plug.engine.processors[0].rmsRiseCoef = 0.1;
  plug.SetParameterValue(Processor1Mode, 0, kSourceHost);
  EXPECT_EQ(plug.engine.processors[0].mode, Corvane::ProcessorModePeak);
  EXPECT_EQ(plug.engine.processors[0].rmsState, 0.0);
  EXPECT_EQ(plug.engine.processors[0].rmsRiseCoef, Corvane::SmoothingCoefficient(44100 * 0.5));
  EXPECT_EQ(plug.engine.processors[0].rmsFallCoef, plug.engine.processors[0].rmsRiseCoef);
}

TEST(Reactions, LinkedProcessorLimitsAndTimes) {
  Effect plug;
  plug.SetParameterValue(CorvaneMode, ModeMidSide, kSourceEditor);
  plug.SetParameterValue(Processor1MaxGain, 8, kSourceEditor);
  plug.SetParameterValue(Processor1LinkMinMaxGain, 1, kSourceEditor);  // takes min from max at once
  EXPECT_EQ(plug.V(Processor1MinGain), -8.0);
  EXPECT_EQ(plug.engine.processors[0].minGain, DbToGain(-8));
  plug.SetParameterValue(Processor1MaxGain, 12, kSourceEditor);
  EXPECT_EQ(plug.V(Processor1MinGain), -12.0);
  EXPECT_NEAR(plug.engine.processors[0].maxGain, std::pow(10.0, 12.0 / 20.0), 1e-12);
  EXPECT_NEAR(plug.engine.processors[0].minGain, std::pow(10.0, -12.0 / 20.0), 1e-12);
  plug.SetParameterValue(Processor1MinGain, -20, kSourceEditor);
  EXPECT_EQ(plug.V(Processor1MaxGain), 20.0);
  EXPECT_EQ(plug.engine.processors[0].maxGain, DbToGain(20));

  plug.SetParameterValue(Processor2LinkAttRel, 1, kSourceEditor);
  plug.SetParameterValue(Processor2Release, 75, kSourceEditor);
  EXPECT_EQ(plug.V(Processor2Attack), 75.0);
  EXPECT_EQ(plug.engine.processors[1].attackCoef, Corvane::TimeConstantCoefficient(44100, 75));
  EXPECT_EQ(plug.engine.processors[1].releaseCoef, plug.engine.processors[1].attackCoef);
}

TEST(Reactions, HiPassTakesTheDetectorsCurrentRate) {
  Effect plug(96000);
  plug.SetParameterValue(Detector2HiPass, 500, kSourceHost);
  EXPECT_TRUE(SameStage(plug.engine.detectors[1].highPass, DesignedAt(96000, 500, 20000).highPass));
}

TEST(Reactions, EditorGetsEveryParameterAfterEachChange) {
  Effect plug;
  RecordingEditor* editor = plug.AttachEditor();
  plug.SetParameterValue(Detector1Gain, 12, kSourceEditor);
  // The adapter's own update, then the reaction's 46.
  ASSERT_GE(editor->updates.size(), 46u);
  const size_t from = editor->updates.size() - 46;
  for (int p = 0; p < kNumParams; ++p) {
    const auto& u = editor->updates[from + p];
    EXPECT_EQ(u.param, p);
    EXPECT_TRUE(u.normalized);
    EXPECT_EQ(u.value, plug.GetParam(p)->GetNormalizedValue());
  }
}

TEST(Reactions, GraphSwitchesHideTheirGraphs) {
  Effect plug;
  RecordingEditor* editor = plug.AttachEditor();
  const int params[] = {EnableDetector1Graph, EnableDetector2Graph, EnableProcessor1Graph, EnableProcessor2Graph};
  for (int k = 0; k < 4; ++k) {
    editor->calls.clear();
    plug.SetParameterValue(params[k], 0, kSourceEditor);
    ASSERT_EQ(editor->calls.size(), 1u);
    EXPECT_EQ(editor->calls[0].kind, 'c');
    EXPECT_EQ(editor->calls[0].index, 45 + k);
    EXPECT_EQ(editor->calls[0].value, 1.0);
    editor->calls.clear();
    plug.SetParameterValue(params[k], 1, kSourceEditor);
    ASSERT_EQ(editor->calls.size(), 1u);
    EXPECT_EQ(editor->calls[0].value, 0.0);
  }
}

TEST(Reactions, DetectorSwitchesGreyTheirControls) {
  Effect plug;  // Stereo
  RecordingEditor* editor = plug.AttachEditor();
  plug.SetParameterValue(Detector1On, 0, kSourceEditor);
  EXPECT_EQ(Calls(*editor, 'g', true), (std::vector<int>{12, 9, 14, 10, 11, 15, 13, 8}));
  editor->calls.clear();
  plug.SetParameterValue(Detector1On, 1, kSourceEditor);
  EXPECT_EQ(Calls(*editor, 'g', false), (std::vector<int>{12, 9, 14, 10, 11, 15, 13, 8}));

  plug.SetParameterValue(CorvaneMode, ModeClassic, kSourceEditor);
  editor->calls.clear();
  plug.SetParameterValue(Detector1On, 0, kSourceEditor);  // Classic keeps its own greying
  EXPECT_TRUE(Calls(*editor, 'g', true).empty());
  EXPECT_TRUE(Calls(*editor, 'g', false).empty());
  editor->calls.clear();
  plug.SetParameterValue(Detector2On, 0, kSourceEditor);  // detector 2 in every mode
  EXPECT_EQ(Calls(*editor, 'g', true), (std::vector<int>{21, 18, 23, 19, 20, 24, 22, 17}));
}

// ---- Modes ----------------------------------------------------------------------------------

TEST(Modes, StereoLinksAndMirrors) {
  Effect plug;
  plug.SetParameterValue(CorvaneMode, ModeMidSide, kSourceEditor);
  EXPECT_EQ(plug.engine.processorRoute[0], Corvane::RouteMid);
  EXPECT_EQ(plug.engine.processorRoute[1], Corvane::RouteSide);
  EXPECT_FALSE(plug.engine.stereoLink);
  plug.SetParameterValue(Processor1MaxGain, 9, kSourceEditor);
  EXPECT_EQ(plug.V(Processor2MaxGain), 12.0);  // Mid / Side: processor 2 keeps its own

  plug.SetParameterValue(Processor2Reference, 1, kSourceEditor);
  plug.SetParameterValue(Detector2On, 1, kSourceEditor);
  RecordingEditor* editor = plug.AttachEditor();
  plug.SetParameterValue(CorvaneMode, ModeStereo, kSourceEditor);
  EXPECT_EQ(plug.engine.processorRoute[0], Corvane::RouteLeft);
  EXPECT_EQ(plug.engine.processorRoute[1], Corvane::RouteRight);
  EXPECT_TRUE(plug.engine.stereoLink);
  EXPECT_EQ(plug.V(Processor1Reference), 0.0);
  EXPECT_EQ(plug.V(Processor2Reference), 0.0);
  EXPECT_EQ(plug.V(Detector2On), 0.0);
  EXPECT_FALSE(plug.engine.detectorOn[1]);
  ExpectProcessor2MirrorsProcessor1(plug);
  EXPECT_EQ(plug.V(Processor2MaxGain), 9.0);

  const ControlState state(*editor);
  for (int p = 0; p < kNumParams; ++p) {
    const bool greyed = p == 38 || p == 37 || p == 39 || p == 43 || p == 42 || p == 44 || p == 45 ||
                        (p >= Detector2Source && p <= Detector2LowPass);  // detector 2 is off
    EXPECT_EQ(state.grey[p], greyed) << p;
    EXPECT_EQ(state.hidden[p], p == Processor2Mode) << p;
  }

  // In Stereo a change of processor 1 runs processor 2's reaction with it.
  plug.SetParameterValue(Processor1MaxGain, 7, kSourceHost);
  EXPECT_EQ(plug.V(Processor2MaxGain), 7.0);
  EXPECT_EQ(plug.engine.processors[1].maxGain, DbToGain(7));
}

TEST(Modes, ClassicFixedValuesAndFollowUps) {
  Effect plug;
  plug.SetParameterValue(Processor2Attack, 30, kSourceEditor);
  plug.SetParameterValue(Processor1RevGain, 1, kSourceEditor);
  RecordingEditor* editor = plug.AttachEditor();
  plug.SetParameterValue(CorvaneMode, ModeClassic, kSourceEditor);
  const std::vector<std::pair<int, double>> fixed = {
      {Detector1On, 1},          {Detector1LinkAttRel, 0},  {Detector1Gate, -60},     {Detector1Attack, 500},
      {Detector1Source, 2},      {Detector1HiPass, 100},    {Detector1LowPass, 20000}, {Detector2On, 0},
      {Processor1LinkAttRel, 0}, {Processor2LinkAttRel, 0}, {Processor1Reference, 0}, {Processor2Reference, 0},
      {Processor1Attack, 500},   {Processor2Attack, 500},   {Processor1MaxGain, 6},   {Processor2MaxGain, 6},
      {Processor1MinGain, -6},   {Processor2MinGain, -6},   {Processor1Mode, 1},      {Processor2Mode, 1},
      {Processor1RevGain, 0},    {Processor2RevGain, 0}};
  for (const auto& [p, v] : fixed) EXPECT_EQ(plug.V(p), v) << p;
  EXPECT_EQ(plug.engine.processors[1].attackCoef, Corvane::TimeConstantCoefficient(44100, 500));
  EXPECT_FALSE(plug.engine.processors[0].reverse);
  EXPECT_EQ(plug.engine.processors[0].maxGain, DbToGain(6));
  EXPECT_EQ(plug.engine.processors[1].minGain, DbToGain(-6));
  EXPECT_EQ(plug.engine.processors[0].mode, Corvane::ProcessorModeRms);
  EXPECT_EQ(plug.engine.detectors[0].gate, DbToGain(-60));
  EXPECT_TRUE(plug.engine.stereoLink);
  EXPECT_EQ(plug.engine.processorRoute[0], Corvane::RouteLeft);

  const ControlState state(*editor);
  const std::set<int> kept = {13, 35, 10, 3, 2, 4, 6, 7};
  const std::set<int> hidden = {30, 40, 8, 17, 26, 36};
  for (int p = 0; p < kNumParams; ++p) {
    EXPECT_EQ(state.grey[p], !kept.count(p)) << p;
    EXPECT_EQ(state.hidden[p], hidden.count(p) == 1) << p;
  }
  ASSERT_FALSE(editor->calls.empty());
  const auto last = std::find_if(editor->calls.rbegin(), editor->calls.rend(), [](const auto& c) { return c.kind == 'c'; });
  ASSERT_NE(last, editor->calls.rend());
  EXPECT_EQ(last->index, 46);  // detector 2's graph
  EXPECT_EQ(last->value, 1.0);

  // The detector release set in the editor moves both processor releases; processor 2's scaler
  // follows processor 1's.
  plug.SetParameterValue(Detector1Release, 800, kSourceEditor);
  EXPECT_EQ(plug.V(Processor1Release), 800.0);
  EXPECT_EQ(plug.V(Processor2Release), 800.0);
  EXPECT_EQ(plug.engine.processors[1].releaseCoef, Corvane::TimeConstantCoefficient(44100, 800));
  plug.SetParameterValue(Processor1GainScaler, 70, kSourceEditor);
  EXPECT_EQ(plug.V(Processor2GainScaler), 70.0);
  EXPECT_EQ(plug.engine.processors[1].scaler, 0.7);
  // From the host (source 1) as well: otherwise the state saved now would read back with the
  // processors' releases moved.
  plug.SetParameterValue(Detector1Release, 300, kSourceHost);
  EXPECT_EQ(plug.V(Processor1Release), 300.0);
  EXPECT_EQ(plug.V(Processor2Release), 300.0);
  EXPECT_EQ(plug.engine.processors[0].releaseCoef, Corvane::TimeConstantCoefficient(44100, 300));
  // A fixed value stays fixed whoever changes it, and so does a following one.
  plug.SetParameterValue(Detector1HiPass, 765, kSourceHost);
  EXPECT_EQ(plug.V(Detector1HiPass), 100.0);
  EXPECT_TRUE(SameStage(plug.engine.detectors[0].highPass, DesignedAt(44100, 100, 20000).highPass));
  plug.SetParameterValue(Processor2Release, 20, kSourceHost);
  EXPECT_EQ(plug.V(Processor2Release), 300.0);
  EXPECT_EQ(plug.engine.processors[1].releaseCoef, Corvane::TimeConstantCoefficient(44100, 300));

  // Leaving Classic shows and enables everything again before the new mode's own greying.
  editor->calls.clear();
  plug.SetParameterValue(CorvaneMode, ModeMidSide, kSourceEditor);
  const ControlState after(*editor);
  for (int p = 0; p < kNumParams; ++p) {
    EXPECT_EQ(after.hidden[p], 0) << p;
    EXPECT_EQ(after.grey[p], p >= Detector2Source && p <= Detector2LowPass) << p;  // detector 2 still off
  }
  EXPECT_EQ(Calls(*editor, 'c', false), (std::vector<int>{45, 46, 47, 48, 46}));
}

TEST(Modes, EnumerationsCountByTheirIntegerPart) {
  Effect plug;
  plug.SetParameterValue(CorvaneMode, 1.6, kSourceHost);  // shows "Stereo" and acts as Stereo
  EXPECT_EQ(plug.engine.processorRoute[0], Corvane::RouteLeft);
  EXPECT_TRUE(plug.engine.stereoLink);
  plug.SetParameterValue(CorvaneMode, 2.0, kSourceHost);
  plug.SetParameterValue(CorvaneMode, 0.9, kSourceHost);  // Classic
  EXPECT_EQ(plug.V(Detector1Gate), -60.0);
  plug.SetParameterValue(Detector2Source, 3.7, kSourceHost);
  EXPECT_EQ(plug.engine.detectorSource[1], Corvane::SourceExtSide);
  char text[kParamTextSize];
  plug.GetParam(Automation)->FormatValueText(1.4, false, text, true);
  EXPECT_STREQ(text, "Read");
}

// ---- Faults that are mended -----------------------------------------------------------------

TEST(Faults, StereoMirrorEndsWhateverTheLinks) {
  // Processor 2's min/max link on, processor 1's off, processor 1's limits not opposite.
  Effect plug;
  plug.SetParameterValue(CorvaneMode, ModeMidSide, kSourceEditor);
  plug.SetParameterValue(Processor1MaxGain, 12, kSourceEditor);
  plug.SetParameterValue(Processor1MinGain, -6, kSourceEditor);
  plug.SetParameterValue(Processor2LinkMinMaxGain, 1, kSourceEditor);
  plug.SetParameterValue(Processor2LinkAttRel, 1, kSourceEditor);
  plug.SetParameterValue(Processor1Attack, 300, kSourceEditor);
  plug.SetParameterValue(Processor1Release, 20, kSourceEditor);
  RecordingEditor* editor = plug.AttachEditor();
  plug.SetParameterValue(CorvaneMode, ModeStereo, kSourceEditor);
  ExpectProcessor2MirrorsProcessor1(plug);
  EXPECT_EQ(plug.V(Processor2MaxGain), 12.0);
  EXPECT_EQ(plug.V(Processor2MinGain), -6.0);
  EXPECT_EQ(plug.engine.processors[1].minGain, DbToGain(-6));
  EXPECT_EQ(plug.V(Processor2LinkMinMaxGain), 0.0);
  EXPECT_LT(editor->updates.size(), 100000u);

  // Both links on with processor 1's limits not opposite (a state can hold that): the mirror
  // still ends with processor 2 equal to processor 1.
  ByteBlock chunk;
  plug.SerializeParams(&chunk);
  double values[kNumParams];
  std::memcpy(values, chunk.GetBytes(), sizeof values);
  values[CorvaneMode] = ModeStereo;
  values[Processor1LinkMinMaxGain] = 1;
  values[Processor2LinkMinMaxGain] = 1;
  values[Processor1MaxGain] = 10;
  values[Processor1MinGain] = -3;
  values[Processor2MaxGain] = 4;
  values[Processor2MinGain] = -5;
  ByteBlock state;
  state.Put(values, static_cast<int>(sizeof values));
  Effect loaded;
  EXPECT_EQ(loaded.LoadState(&state, 0), 368);
  ExpectProcessor2MirrorsProcessor1(loaded);
  EXPECT_EQ(loaded.V(Processor1MinGain), -loaded.V(Processor1MaxGain));
}

TEST(Faults, NonFiniteValuesLoadAsTheDefault) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  Effect plug;
  ByteBlock chunk;
  plug.SerializeParams(&chunk);
  double values[kNumParams];
  std::memcpy(values, chunk.GetBytes(), sizeof values);
  values[CorvaneMode] = nan;
  values[Detector1Source] = inf;
  values[Detector1Attack] = -inf;
  values[Processor1MaxGain] = nan;
  values[Processor2GainScaler] = inf;
  ByteBlock state;
  state.Put(values, static_cast<int>(sizeof values));
  EXPECT_EQ(plug.LoadState(&state, 0), 368);
  EXPECT_EQ(plug.V(CorvaneMode), 1.0);
  EXPECT_EQ(plug.V(Detector1Source), 2.0);
  EXPECT_EQ(plug.engine.detectorSource[0], Corvane::SourceExtMid);
  EXPECT_EQ(plug.V(Detector1Attack), 500.0);
  EXPECT_EQ(plug.engine.detectors[0].attackCoef, Corvane::TimeConstantCoefficient(44100, 500));
  EXPECT_EQ(plug.V(Processor1MaxGain), 12.0);
  EXPECT_EQ(plug.engine.processors[0].maxGain, DbToGain(12));
  EXPECT_EQ(plug.engine.processors[1].scaler, 0.5);

  // From the host: a normalised value that is not finite.
  plug.SetParameterFromHost(Detector2Gain, -inf);
  EXPECT_EQ(plug.V(Detector2Gain), 0.0);
  EXPECT_EQ(plug.engine.detectors[1].gain, 1.0);
  plug.SetParameterFromHost(Processor1GainScaler, nan);
  EXPECT_TRUE(std::isfinite(plug.V(Processor1GainScaler)));
  // A value below the range from a host (normalised below 0) is taken into it.
  plug.SetParameterFromHost(Detector1Gate, -0.5);
  EXPECT_EQ(plug.V(Detector1Gate), -100.0);
}

TEST(Reactions, RunUnderThePlugInLock) {
  // An editor that looks at the lock when the reaction hands it the parameters.
  struct ProbeEditor : RecordingEditor {
    void UpdateControlsOfParam(int paramIndex, double value, bool normalized) override {
      if (mutex) {
        held = probe.CallerHolds(mutex);
        mutex = nullptr;
      }
    }
    PlugMutex* mutex = nullptr;
    LockProbe probe;
    bool held = false;
  };
  Effect plug;
  auto* editor = new ProbeEditor();
  plug.BindGraphics(editor);
  editor->mutex = plug.GetMutex();
  plug.ParamValueChanged(Detector1Gain, kSourceHost);  // called without the lock
  editor->probe.Join();
  EXPECT_TRUE(editor->held);
}
