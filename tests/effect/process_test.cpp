// The block callback through the framework's block calls: side-chain choice, the histories and
// the gains published every 10 ms, the graphs and faders, the Read road's exact gains, Write
// automation by host, the 32- and 64-bit paths, and the reset.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "dsp/Decibels.h"
#include "dsp/Maths.h"
#include "effect_test_util.h"

using EffectTest::Effect;
using EffectTest::Noise;
using EffectTest::Signals;

namespace {

// Noise on 16-bit steps, so that sums and halves of samples are exact.
std::vector<double> Steps16(size_t n, double amplitude, uint32_t seed) {
  std::vector<double> v = Noise(n, amplitude, seed);
  for (double& x : v) x = std::round(x * 32768.0) / 32768.0;
  return v;
}

std::vector<double> ControlValues(const RecordingEditor& editor, int control) {
  std::vector<double> out;
  for (const auto& c : editor.calls) {
    if (c.kind == 'v' && c.index == control) out.push_back(c.value);
  }
  return out;
}

int CountKind(const RecordingEditor& editor, char kind) {
  int n = 0;
  for (const auto& c : editor.calls) n += c.kind == kind;
  return n;
}

// Main input quiet and side chain loud (or the other way round), steady noise.
Signals Steady(size_t n, double main, double side) {
  Signals s(n);
  s.in[0] = Noise(n, main, 1);
  s.in[1] = Noise(n, main, 2);
  s.in[2] = Noise(n, side, 3);
  s.in[3] = Noise(n, side, 4);
  return s;
}

// Settings under which a loud side chain drives the gain to its ceiling and a quiet one to its
// floor: detector 1 raised or lowered by 30 dB, full correction.
void FullCorrection(Effect& plug, double detectorGainDb) {
  plug.SetParameterValue(Detector1Gain, detectorGainDb, kSourceEditor);
  plug.SetParameterValue(Processor1GainScaler, 100, kSourceEditor);
}

}  // namespace

// ---- Entry and side chain -------------------------------------------------------------------

TEST(BlockCallback, ZeroFramesChangesNothing) {
  Effect plug;
  RecordingEditor* editor = plug.AttachEditor();
  Signals s = Steady(16, 0.5, 0.5);
  s.out[0].assign(16, 7.0);
  s.Block(plug, 0, 0);
  EXPECT_TRUE(editor->calls.empty());
  EXPECT_EQ(s.out[0][0], 7.0);
  EXPECT_EQ(plug.processor1History.position, 0);
}

TEST(BlockCallback, SideChainRightFollowsTheMainInputs) {
  // Detector 1 listens to the side of the side chain: only a side chain whose two channels
  // differ gives it a level.
  auto detectorLevel = [](bool mainDiffers, int nInputs) {
    Effect plug;
    plug.SetParameterValue(Detector1Source, Corvane::SourceExtSide, kSourceEditor);
    Signals s(4096);
    s.in[0] = Noise(4096, 0.3, 1);
    s.in[1] = mainDiffers ? Noise(4096, 0.3, 2) : s.in[0];
    s.in[2] = Noise(4096, 0.5, 3);
    for (size_t i = 0; i < 4096; ++i) s.in[3][i] = -s.in[2][i];
    s.Run(plug, 512, nInputs);
    return plug.engine.detectors[0].envelope;
  };
  EXPECT_GT(detectorLevel(true, 4), 0.01);
  EXPECT_EQ(detectorLevel(false, 4), 0.0);  // a mono main input takes input 2 for both sides
  EXPECT_EQ(detectorLevel(true, 2), 0.0);   // no side-chain bus: silence
}

// ---- Histories and the published gains ------------------------------------------------------

TEST(BlockCallback, GainsPublishedOnTheTenMillisecondGrid) {
  Effect plug;
  RecordingEditor* editor = plug.AttachEditor();
  Signals s = Steady(441 * 3, 0.5, 0.5);
  std::vector<int> updateFrames;
  for (size_t i = 0; i < s.Frames(); ++i) {
    editor->calls.clear();
    s.Block(plug, i, 1);
    if (!ControlValues(*editor, plug.processor1Fader).empty()) updateFrames.push_back(static_cast<int>(i));
  }
  // Each wrap of the four histories updates on four successive frames.
  EXPECT_EQ(updateFrames, (std::vector<int>{440, 441, 442, 443, 881, 882, 883, 884, 1322}));
}

TEST(BlockCallback, BeforeTheFirstResetEveryFrameUpdates) {
  VemtraCorvane plug;
  plug.Start();
  plug.SetMaxBlockSize(64);  // block size only, no reset
  auto* editor = new RecordingEditor();
  plug.BindGraphics(editor);
  editor->calls.clear();
  Signals s = Steady(64, 0.5, 0.5);
  s.Block(plug, 0, 64);
  EXPECT_EQ(ControlValues(*editor, 55).size(), 64u);
}

TEST(BlockCallback, PublishedGainsAreTheHistoryMaximaInDecibels) {
  // A loud reference: the gain sits at the 12 dB ceiling.
  Effect up;
  FullCorrection(up, 30);
  Signals s = Steady(44100, 0.3, 0.5);
  s.Run(up, 512);
  EXPECT_NEAR(up.V(Processor1Gain), 12.0, 1e-9);
  EXPECT_NEAR(up.V(Processor2Gain), 12.0, 1e-9);
  // A quiet one: at the -12 dB floor.
  Effect down;
  FullCorrection(down, -30);
  Signals t = Steady(44100, 0.3, 0.5);
  t.Run(down, 512);
  EXPECT_NEAR(down.V(Processor1Gain), -12.0, 1e-9);
  // The value is 20 log10 of the largest gain the history holds.
  double m = 0.0;
  for (int i = 0; i < down.processor1History.length; ++i) m = std::max(m, down.processor1History.items[i]);
  EXPECT_EQ(down.V(Processor1Gain), 8.685889638065037 * Dsp::Log(m));
  // The output is the input ridden by those gains.
  double in = 0.0, out = 0.0;
  for (size_t i = 22050; i < 44100; ++i) {
    in += t.in[0][i] * t.in[0][i];
    out += t.out[0][i] * t.out[0][i];
  }
  EXPECT_NEAR(10.0 * std::log10(out / in), -12.0, 0.1);
}

TEST(BlockCallback, SilentHistoryPublishesMinus100) {
  Effect plug;
  plug.SetParameterValue(Detector1Source, Corvane::SourceIntFix, kSourceEditor);
  plug.engine.processors[0].maxGain = 0.0;  // the engine's gain can only be 0
  plug.engine.processors[1].maxGain = 0.0;
  plug.engine.processors[0].minGain = 0.0;
  plug.engine.processors[1].minGain = 0.0;
  RecordingEditor* editor = plug.AttachEditor();
  Signals s = Steady(2048, 0.5, 0.5);
  s.Run(plug, 512);
  EXPECT_EQ(plug.V(Processor1Gain), -100.0);
  EXPECT_EQ(plug.V(Processor2Gain), -100.0);
  for (const auto& c : editor->calls) EXPECT_TRUE(std::isfinite(c.value)) << c.kind << c.index;
}

// ---- Graphs and faders ----------------------------------------------------------------------

TEST(BlockCallback, GraphsAndFadersAtEachUpdate) {
  Effect plug;
  FullCorrection(plug, 30);
  Signals warm = Steady(441 * 200, 0.3, 0.5);  // two seconds: the gain at its ceiling
  warm.Run(plug, 441);
  RecordingEditor* editor = plug.AttachEditor();
  Signals s = Steady(441 * 4, 0.3, 0.5);
  s.Run(plug, 441);
  const auto p1 = ControlValues(*editor, 47), d1 = ControlValues(*editor, 45), d2 = ControlValues(*editor, 46);
  const auto f1 = ControlValues(*editor, 55), f2 = ControlValues(*editor, 56);
  // The warm-up's last frame wrapped processor 1's history: the three other wraps update on the
  // first frames here; then 4 + 4 + 4 + 1.
  ASSERT_EQ(p1.size(), 16u);
  ASSERT_EQ(f1.size(), p1.size());
  ASSERT_EQ(f2.size(), p1.size());
  // Processor graph: the gain between the limits (-12 .. 12 dB); fader: the normalised gain.
  EXPECT_NEAR(p1.back(), 1.0, 1e-9);
  EXPECT_NEAR(f1.back(), (12.0 + 100.0) / 200.0, 1e-9);
  EXPECT_EQ(f1.back(), plug.GetParam(Processor1Gain)->GetNormalizedValue());
  // Detector graphs: the level unscaled (detector 2 is off).
  EXPECT_GT(d1.back(), 1.0);
  EXPECT_EQ(d2.back(), 0.0);
  // Every block marks the editor once.
  EXPECT_EQ(CountKind(*editor, 'm'), 4);
}

TEST(Faults, GraphOfEqualLimitsIsFinite) {
  Effect plug;
  plug.SetParameterValue(CorvaneMode, ModeMidSide, kSourceEditor);
  plug.SetParameterValue(Processor1MaxGain, 0, kSourceEditor);
  plug.SetParameterValue(Processor1MinGain, 0, kSourceEditor);
  RecordingEditor* editor = plug.AttachEditor();
  Signals s = Steady(2048, 0.3, 0.5);
  s.Run(plug, 512);
  const auto p1 = ControlValues(*editor, 47);
  ASSERT_FALSE(p1.empty());
  for (double v : p1) EXPECT_EQ(v, 0.5);
  // Also on the Read road.
  plug.SetParameterValue(Automation, AutomationRead, kSourceEditor);
  editor->calls.clear();
  s.Run(plug, 512);
  for (double v : ControlValues(*editor, 47)) EXPECT_EQ(v, 0.5);
  for (const auto& c : editor->calls) EXPECT_TRUE(std::isfinite(c.value));
}

// ---- Read road ------------------------------------------------------------------------------

TEST(ReadRoad, AppliesTheGainParametersExactly) {
  for (int mode : {ModeClassic, ModeStereo, ModeMidSide}) {
    SCOPED_TRACE(mode);
    Effect plug;
    plug.SetParameterValue(CorvaneMode, mode, kSourceEditor);
    plug.SetParameterValue(Automation, AutomationRead, kSourceEditor);
    plug.SetParameterFromHost(Processor1Gain, (6.0 + 100.0) / 200.0);
    plug.SetParameterFromHost(Processor2Gain, (-3.0 + 100.0) / 200.0);
    ASSERT_EQ(plug.V(Processor1Gain), 6.0);
    ASSERT_EQ(plug.V(Processor2Gain), -3.0);
    const double g0 = Dsp::Exp(6.0 * 0.1151292546497), g1 = Dsp::Exp(-3.0 * 0.1151292546497);
    const double envelope = plug.engine.detectors[0].envelope;
    Signals s = Steady(1000, 0.4, 0.4);
    s.Run(plug, 300);
    for (size_t i = 0; i < s.Frames(); ++i) {
      const double l = s.in[0][i], r = s.in[1][i];
      if (mode == ModeMidSide) {
        const double m = (l + r) * 0.5 * g0, d = (l - r) * 0.5 * g1;
        ASSERT_EQ(s.out[0][i], m + d) << i;
        ASSERT_EQ(s.out[1][i], m - d) << i;
      } else {
        ASSERT_EQ(s.out[0][i], l * g0) << i;
        ASSERT_EQ(s.out[1][i], r * g1) << i;
      }
    }
    EXPECT_EQ(plug.engine.detectors[0].envelope, envelope);  // the engine did not run
    EXPECT_EQ(plug.processor1History.items[0], g0);
    EXPECT_EQ(plug.processor2History.items[0], g1);
  }
}

TEST(ReadRoad, UnityIsTransparentAndMidSideRaisesTheCentre) {
  for (int mode : {ModeClassic, ModeStereo, ModeMidSide}) {
    Effect plug;
    plug.SetParameterValue(CorvaneMode, mode, kSourceEditor);
    plug.SetParameterValue(Automation, AutomationRead, kSourceEditor);
    plug.SetParameterValue(Processor1Gain, 0.0, kSourceHost);
    plug.SetParameterValue(Processor2Gain, 0.0, kSourceHost);
    Signals s(777);
    s.in[0] = Steps16(777, 0.9, 5);
    s.in[1] = Steps16(777, 0.9, 6);
    s.Run(plug, 256);
    EXPECT_EQ(s.out[0], s.in[0]) << mode;
    EXPECT_EQ(s.out[1], s.in[1]) << mode;
  }
  Effect plug;
  plug.SetParameterValue(CorvaneMode, ModeMidSide, kSourceEditor);
  plug.SetParameterValue(Automation, AutomationRead, kSourceEditor);
  plug.SetParameterValue(Processor1Gain, 6.0, kSourceHost);
  plug.SetParameterValue(Processor2Gain, 0.0, kSourceHost);
  Signals s(256);
  s.in[0] = Steps16(256, 0.5, 7);
  s.in[1] = s.in[0];
  s.Run(plug, 256);
  for (size_t i = 0; i < 256; ++i) {
    EXPECT_EQ(s.out[0][i], s.in[0][i] * Dsp::Exp(6.0 * 0.1151292546497));
    EXPECT_EQ(s.out[1][i], s.out[0][i]);
  }
}

TEST(ReadRoad, GraphsWithoutDetectorsOrFaders) {
  Effect plug;
  plug.SetParameterValue(Automation, AutomationRead, kSourceEditor);
  plug.SetParameterValue(Processor1Gain, 6.0, kSourceHost);  // limits -12 .. 12
  RecordingEditor* editor = plug.AttachEditor();
  Signals s = Steady(441 * 2 + 3, 0.3, 0.3);
  s.Run(plug, 441);
  const auto p1 = ControlValues(*editor, 47);
  ASSERT_EQ(p1.size(), 4u);  // two histories wrap: two frames per 10 ms
  EXPECT_NEAR(p1[0], 0.75, 1e-12);
  for (double v : ControlValues(*editor, 45)) EXPECT_EQ(v, 0.0);
  EXPECT_TRUE(ControlValues(*editor, 55).empty());
  // An Automation value of 1.4 (a host's normalised 0.7) shows "Read" and reads.
  Effect other;
  other.SetParameterFromHost(Automation, 0.7);
  ASSERT_NEAR(other.V(Automation), 1.4, 1e-12);
  other.SetParameterValue(Processor1Gain, -6.0, kSourceHost);
  Signals t = Steady(64, 0.3, 0.3);
  t.Run(other, 64);
  EXPECT_EQ(t.out[0][10], t.in[0][10] * Dsp::Exp(-6.0 * 0.1151292546497));
}

// ---- Write automation by host ---------------------------------------------------------------

TEST(WriteRoad, ReaperAndLogicHearFromTheAudioThread) {
  for (const char* host : {"REAPER", "Logic Pro X"}) {
    SCOPED_TRACE(host);
    Effect plug;
    plug.SetHostName(host);
    plug.SetParameterValue(Automation, AutomationWrite, kSourceEditor);
    RecordingEditor* editor = plug.AttachEditor();
    plug.ClearHostCalls();
    Signals s = Steady(441 * 2 + 3, 0.3, 0.5);
    s.Run(plug, 441);
    const auto& calls = plug.HostCalls();
    ASSERT_EQ(calls.size(), 8u * 6u);  // two wraps, four updates each, six calls per update
    for (size_t u = 0; u < calls.size(); u += 6) {
      EXPECT_EQ(calls[u].kind, IPlugOffline::HostCall::kBegin);
      EXPECT_EQ(calls[u].index, 0);
      EXPECT_EQ(calls[u + 1].kind, IPlugOffline::HostCall::kInform);
      EXPECT_EQ(calls[u + 2].kind, IPlugOffline::HostCall::kEnd);
      EXPECT_EQ(calls[u + 3].index, 1);
      EXPECT_EQ(calls[u + 4].kind, IPlugOffline::HostCall::kInform);
    }
    EXPECT_EQ(calls.back().kind, IPlugOffline::HostCall::kEnd);
    EXPECT_EQ(calls[calls.size() - 5].value, plug.GetParam(Processor1Gain)->GetNormalizedValue());
    EXPECT_TRUE(ControlValues(*editor, 55).empty());  // the faders stay still
  }
}

TEST(WriteRoad, HostHearsUnderThePlugInLock) {
  struct Probe : Effect {
    void InformHostOfParamChange(int index, double normalized) override {
      if (probing) {
        probing = false;
        held = probe.CallerHolds(GetMutex());
      }
      Effect::InformHostOfParamChange(index, normalized);
    }
    LockProbe probe;
    bool probing = true, held = false;
  } plug;
  plug.SetHostCode(kHostLogic);
  plug.SetParameterValue(Automation, AutomationWrite, kSourceEditor);
  Signals s = Steady(512, 0.3, 0.5);
  double* ins[4] = {s.in[0].data(), s.in[1].data(), s.in[2].data(), s.in[3].data()};
  double* outs[2] = {s.out[0].data(), s.out[1].data()};
  plug.ProcessAudio(ins, outs, 512);  // the block callback itself, without an adapter's lock
  plug.probe.Join();
  EXPECT_TRUE(plug.held);
  EXPECT_EQ(plug.HostCalls().size(), 6u * 4u);
}

TEST(WriteRoad, OtherHostsHearThroughTheFaders) {
  Effect plug;
  plug.SetHostName("Cubase");
  plug.SetParameterValue(Automation, AutomationWrite, kSourceEditor);
  RecordingEditor* editor = plug.AttachEditor();
  plug.ClearHostCalls();
  Signals s = Steady(441 * 2 + 3, 0.3, 0.5);
  s.Run(plug, 441);
  EXPECT_TRUE(plug.HostCalls().empty());
  EXPECT_EQ(ControlValues(*editor, 55).size(), 8u);
  EXPECT_EQ(ControlValues(*editor, 56).size(), 8u);
}

TEST(WriteRoad, IgnoreWithReaperMovesOnlyParametersAndGraphs) {
  Effect plug;
  plug.SetHostCode(kHostReaper);
  FullCorrection(plug, 30);
  RecordingEditor* editor = plug.AttachEditor();
  plug.ClearHostCalls();
  Signals s = Steady(441 * 2 + 3, 0.3, 0.5);
  s.Run(plug, 441);
  EXPECT_TRUE(plug.HostCalls().empty());
  EXPECT_TRUE(ControlValues(*editor, 55).empty());
  EXPECT_EQ(ControlValues(*editor, 47).size(), 8u);
  EXPECT_GT(plug.V(Processor1Gain), 0.5);
}

// ---- 32 and 64 bits -------------------------------------------------------------------------

TEST(BlockPaths, FloatAndDoubleBlocksAgree) {
  static void (*silent)(const char*) = [](const char*) {};
  SetPlugConsoleSink(silent);
  Effect wide, narrow;
  for (Effect* p : {&wide, &narrow}) p->RecallPreset(3);  // "Mid-Side vocal": two detectors
  const size_t n = 5000;
  Signals s(n);
  std::vector<float> fin[4], fout[2];
  for (int c = 0; c < 4; ++c) {
    const std::vector<double> v = Noise(n, 0.4, 10 + c);
    fin[c].resize(n);
    for (size_t i = 0; i < n; ++i) {
      fin[c][i] = static_cast<float>(v[i]);
      s.in[c][i] = fin[c][i];
    }
  }
  for (auto& o : fout) o.assign(n, 0.0f);
  s.Run(wide, 480);
  for (size_t at = 0; at < n; at += 480) {
    const int len = static_cast<int>(std::min<size_t>(480, n - at));
    float* ins[4] = {fin[0].data() + at, fin[1].data() + at, fin[2].data() + at, fin[3].data() + at};
    float* outs[2] = {fout[0].data() + at, fout[1].data() + at};
    narrow.ProcessBlockFloat(ins, 4, outs, len);
  }
  SetPlugConsoleSink(nullptr);
  for (size_t i = 0; i < n; ++i) {
    ASSERT_EQ(fout[0][i], static_cast<float>(s.out[0][i])) << i;
    ASSERT_EQ(fout[1][i], static_cast<float>(s.out[1][i])) << i;
  }
  EXPECT_EQ(wide.V(Processor1Gain), narrow.V(Processor1Gain));
  // The rider did something.
  double diff = 0.0;
  for (size_t i = 0; i < n; ++i) diff += std::fabs(s.out[0][i] - s.in[0][i]);
  EXPECT_GT(diff, 1.0);
}

// ---- Reset ----------------------------------------------------------------------------------

TEST(Faults, ResetRecomputesRateDependentSettings) {
  Effect plug(44100);
  plug.SetParameterValue(Detector1Source, Corvane::SourceIntFix, kSourceEditor);
  plug.SetParameterValue(Detector1HiPass, 200, kSourceEditor);
  plug.SetParameterValue(Detector2LowPass, 4000, kSourceEditor);
  plug.SetParameterValue(Processor1Release, 70, kSourceEditor);  // Stereo: processor 2 follows
  plug.Prepare(48000, 512);
  const auto& d = plug.engine.detectors[0];
  EXPECT_EQ(d.attackCoef, Corvane::TimeConstantCoefficient(48000, 500));
  EXPECT_EQ(d.releaseCoef, Corvane::TimeConstantCoefficient(48000, 500));
  EXPECT_EQ(plug.engine.processors[0].releaseCoef, Corvane::TimeConstantCoefficient(48000, 70));
  EXPECT_EQ(plug.engine.processors[1].releaseCoef, Corvane::TimeConstantCoefficient(48000, 70));
  EXPECT_EQ(plug.engine.processors[1].attackCoef, Corvane::TimeConstantCoefficient(48000, 500));
  Corvane::LevelDetector fresh;
  fresh.sampleRate = 48000;
  fresh.DesignHighPass(200);
  fresh.DesignLowPass(4000);
  EXPECT_EQ(d.highPass.GetStage(0).b1, fresh.highPass.GetStage(0).b1);
  EXPECT_EQ(d.highPass.GetStage(0).a1, fresh.highPass.GetStage(0).a1);
  EXPECT_EQ(plug.engine.detectors[1].lowPass.GetStage(0).a1, fresh.lowPass.GetStage(0).a1);

  // A 500 ms attack acts as 500 ms: the fixed level of 0.5 reaches 1 - 1/e of itself after
  // 24000 frames at 48 kHz.
  Signals s(24000);
  s.Run(plug, 500);
  EXPECT_NEAR(plug.engine.detectors[0].envelope, 0.5 * (1.0 - std::exp(-1.0)), 1e-9);
}

TEST(Faults, TheLowestRateKeepsRoomInTheHistoriesAndLowerRatesAreRefused) {
  // At the lowest rate the framework takes, every history still holds frames and the gains
  // are published every 10 ms as at any other rate, with finite values.
  const double lowest = IPlugBase::kMinSampleRate;
  const int frames = static_cast<int>(lowest * 0.01);
  Effect plug(lowest, 64);
  RecordingEditor* editor = plug.AttachEditor();
  Signals s = Steady(200, 0.3, 0.3);
  s.Run(plug, 64);
  EXPECT_EQ(plug.processor1History.length, frames);
  const size_t published = ControlValues(*editor, 55).size();
  EXPECT_GE(published, 200u / frames);  // at least once per window, not on every frame
  EXPECT_LT(published, 200u);
  for (const auto& c : editor->calls) EXPECT_TRUE(std::isfinite(c.value));

  // Below it, the set-up is refused and the histories keep their length.
  for (double rate : {50.0, std::nextafter(lowest, 0.0)}) {
    EXPECT_FALSE(plug.Prepare(rate, 128));
    EXPECT_EQ(plug.GetSampleRate(), lowest);
    EXPECT_EQ(plug.GetBlockSize(), 64);
    EXPECT_EQ(plug.meterLength, frames);
  }
  EXPECT_TRUE(plug.Prepare(44100, 64));
  EXPECT_EQ(plug.meterLength, 441);
}
