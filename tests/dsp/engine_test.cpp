// The gain-riding engine: steady-state gains computed by hand, the processors' rules, the
// combine rule, time constants and the guards against bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/Corvane.h"
#include "dsp/Decibels.h"
#include "dsp_test_util.h"

using Engine = Corvane::Corvane;
using namespace CorvaneTest;
using Corvane::DbToGain;

namespace {

constexpr int kSettle = 6000;  // frames: more than 100 time constants of 1 ms at 44.1 kHz

// An engine with 1 ms time constants everywhere, detector 1 on the fixed level 0.5, both
// processors referring to it in Peak mode with limits 0.25 .. 4 and the full scaler.
void SetUpFast(Engine& e, int rate = 44100) {
  ResetEngine(e, rate);
  for (int j = 0; j < 2; ++j) {
    e.SetDetectorAttack(j, 1.0);
    e.SetDetectorRelease(j, 1.0);
    e.SetProcessorAttack(j, 1.0);
    e.SetProcessorRelease(j, 1.0);
    e.detectors[j].gate = 0.0;
    e.detectors[j].gain = 1.0;
    e.processors[j].maxGain = 4.0;
    e.processors[j].minGain = 0.25;
    e.processors[j].scaler = 1.0;
    e.processors[j].mode = Corvane::ProcessorModePeak;
    e.processorReference[j] = Corvane::ReferenceDetector1;
  }
  e.detectorSource[0] = Corvane::SourceIntFix;
  e.detectorOn[1] = false;
  e.processorRoute[0] = Corvane::RouteLeft;
  e.processorRoute[1] = Corvane::RouteRight;
  e.stereoLink = false;
}

// Detector filters that pass everything, so side-chain levels can be computed by hand.
void PassThroughDetectorFilters(Engine& e) {
  for (auto& d : e.detectors) {
    d.highPass.ResetStages();
    d.lowPass.ResetStages();
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Steady states: ratio = reference / level, g = 1 - (1 - ratio) * scaler, clamped.

TEST(EngineSteadyState, FixedReferenceAgainstDcOnLeftAndRight) {
  Engine e;
  SetUpFast(e);
  e.processors[1].maxGain = DbToGain(12.0);
  const auto out = RunConstant(e, kSettle, 0.25, 0.125);
  EXPECT_NEAR(e.detectors[0].envelope, 0.5, 1e-12);
  EXPECT_NEAR(out[0], 0.25 * 2.0, 1e-12) << "ratio 0.5 / 0.25";
  EXPECT_NEAR(out[1], 0.125 * DbToGain(12.0), 1e-12) << "ratio 4 clamped at +12 dB";
  EXPECT_NEAR(e.processors[0].blockGain, 2.0, 1e-12);
}

TEST(EngineSteadyState, MidSideRoutesDecodeBothWays) {
  Engine e;
  SetUpFast(e);
  const double maxGain = DbToGain(12.0);
  e.processors[1].maxGain = maxGain;
  e.processorRoute[0] = Corvane::RouteMid;
  e.processorRoute[1] = Corvane::RouteSide;
  // Mid 0.2: ratio 2.5; Side 0.1: ratio 5, clamped.
  auto out = RunConstant(e, kSettle, 0.3, 0.1);
  const double m = 0.2 * 2.5, s = 0.1 * maxGain;
  EXPECT_NEAR(out[0], m + s, 1e-12);
  EXPECT_NEAR(out[1], m - s, 1e-12);

  Engine f;
  SetUpFast(f);
  f.processors[0].maxGain = maxGain;
  f.processorRoute[0] = Corvane::RouteSide;
  f.processorRoute[1] = Corvane::RouteMid;
  out = RunConstant(f, kSettle, 0.3, 0.1);
  EXPECT_NEAR(out[0], m + s, 1e-12);
  EXPECT_NEAR(out[1], m - s, 1e-12);
}

TEST(EngineSteadyState, SideChainLevelsThroughPassThroughFilters) {
  Engine e;
  SetUpFast(e);
  PassThroughDetectorFilters(e);
  e.detectorSource[0] = Corvane::SourceExtMid;   // (0.6 + 0.2) / 2 = 0.4
  e.detectorSource[1] = Corvane::SourceExtSide;  // (0.6 - 0.2) / 2 = 0.2
  e.detectorOn[1] = true;
  e.processorReference[1] = Corvane::ReferenceDetector2;
  for (auto& p : e.processors) p.scaler = 0.5;
  e.processors[1].reverse = true;
  const auto out = RunConstant(e, kSettle, 0.2, 0.1, 0.6, 0.2);
  EXPECT_NEAR(e.detectors[0].envelope, 0.4, 1e-12);
  EXPECT_NEAR(e.detectors[1].envelope, 0.2, 1e-12);
  EXPECT_NEAR(out[0], 0.2 * 1.5, 1e-12) << "ratio 2, half the correction";
  EXPECT_NEAR(out[1], 0.1 / 1.5, 1e-12) << "reversed";
}

TEST(EngineSteadyState, RmsModeSettlesOnTheSameRatio) {
  Engine e;
  SetUpFast(e, 1000);  // the RMS smoother's 0.5 s is 500 frames here
  for (auto& p : e.processors) p.mode = Corvane::ProcessorModeRms;
  e.processors[1].scaler = 0.5;
  const auto out = RunConstant(e, 40000, 0.25, 0.25);
  EXPECT_NEAR(e.processors[0].rmsState, 2.0, 1e-12);
  EXPECT_NEAR(out[0], 0.5, 1e-12);
  EXPECT_NEAR(out[1], 0.25 * 1.5, 1e-12);
}

TEST(EngineSteadyState, RealDetectorFiltersPassASquareWaveAndBlockDc) {
  Engine e;
  SetUpFast(e);
  e.detectorSource[0] = Corvane::SourceExtMid;
  e.SetDetectorAttack(0, 50.0);
  e.SetDetectorRelease(0, 50.0);
  double frame[2];
  double side[2];
  e.sidechainFrames = side;
  for (int i = 0; i < 44100; ++i) {
    side[0] = side[1] = (i / 20) % 2 ? -0.5 : 0.5;  // 1102.5 Hz
    frame[0] = frame[1] = 0.1;
    e.ProcessBlock(frame, 1);
  }
  EXPECT_GT(e.detectors[0].envelope, 0.47);
  EXPECT_LT(e.detectors[0].envelope, 0.51);

  e.SetDetectorRelease(0, 1.0);
  side[0] = side[1] = 0.5;
  for (int i = 0; i < 44100; ++i) {
    frame[0] = frame[1] = 0.1;
    e.ProcessBlock(frame, 1);
  }
  EXPECT_LT(e.detectors[0].blockMax, 1e-3) << "the 20 Hz high-pass removes DC";
}

// ---------------------------------------------------------------------------------------------
// The detectors' and processors' rules.

TEST(EngineRules, FixedSourceSettlesAtHalfAndBypassesTheFilters) {
  Engine e;
  SetUpFast(e);
  e.detectors[0].gate = 0.4;
  RunConstant(e, kSettle, 0.3, 0.3);
  EXPECT_TRUE(e.detectors[0].fixedSource);
  EXPECT_NEAR(e.detectors[0].envelope, 0.5, 1e-12);
  EXPECT_NEAR(e.detectors[0].blockMax, 0.5, 1e-12);
  EXPECT_EQ(e.detectors[0].highPass.State(0, 0).x1, 0.0);
  EXPECT_EQ(e.detectors[0].lowPass.State(0, 0).y1, 0.0);
}

TEST(EngineRules, GateZeroesValuesBelowItAndPassesEqualOnes) {
  Engine e;
  SetUpFast(e);
  e.detectors[0].gate = 0.5;
  e.detectors[0].gain = 2.0;
  RunConstant(e, kSettle, 0.3, 0.3);
  EXPECT_NEAR(e.detectors[0].envelope, 1.0, 1e-12);
  e.detectors[0].gate = 0.5000001;
  RunConstant(e, kSettle, 0.3, 0.3);
  EXPECT_NEAR(e.detectors[0].envelope, 0.0, 1e-12);
}

TEST(EngineRules, DetectorOffGivesAZeroReferenceAndKeepsItsLastMaximum) {
  Engine e;
  SetUpFast(e);
  e.processors[0].minGain = 0.5;
  e.processors[0].maxGain = 2.0;
  RunConstant(e, kSettle, 0.3, 0.3);
  e.detectorOn[0] = false;
  const auto out = RunConstant(e, 10, 0.3, 0.3);
  EXPECT_EQ(e.processors[0].gain, 1.0) << "own level as reference: ratio 1";
  EXPECT_EQ(out[0], 0.3);
  EXPECT_NEAR(e.detectors[0].blockMax, 0.5, 1e-12);
  EXPECT_NEAR(e.detectors[0].envelope, 0.5, 1e-12);
}

TEST(EngineRules, NoReferenceBehavesLikeAnOffDetector) {
  Engine e;
  SetUpFast(e);
  e.processorReference[0] = Corvane::ReferenceNone;
  e.processors[0].minGain = 1.5;
  e.processors[0].maxGain = 2.0;
  const auto out = RunConstant(e, 100, 0.3, 0.3);
  EXPECT_EQ(e.processors[0].gain, 1.5) << "1, clamped to the lower limit";
  EXPECT_EQ(out[0], 0.3 * 1.5);
}

TEST(EngineRules, ScalerReverseAndCrossedLimits) {
  Engine e;
  SetUpFast(e);
  e.processors[0].scaler = 0.0;
  e.processors[0].minGain = 0.5;
  e.processors[1].reverse = true;  // computed gain 2 (0.5 / 0.25)
  RunConstant(e, kSettle, 0.25, 0.25);
  EXPECT_EQ(e.processors[0].gain, 1.0) << "scaler 0: no correction";
  EXPECT_NEAR(e.processors[1].gain, 0.5, 1e-12);

  e.processors[0].scaler = 1.0;
  e.processors[0].maxGain = 0.5;
  e.processors[0].minGain = 2.0;
  RunConstant(e, 10, 0.25, 0.25);
  EXPECT_EQ(e.processors[0].gain, 2.0) << "the lower limit wins when the limits cross";
}

TEST(EngineRules, SilentSignalAndSilentReferenceGiveOneMinusScaler) {
  Engine e;
  SetUpFast(e);
  e.processorReference[0] = Corvane::ReferenceNone;
  e.processors[0].scaler = 0.25;
  e.processors[0].minGain = 0.5;
  e.processors[0].maxGain = 2.0;
  RunConstant(e, 50, 0.0, 0.0);
  EXPECT_EQ(e.processors[0].level, 0.0);
  EXPECT_EQ(e.processors[0].gain, 0.75);
}

TEST(EngineCombine, OrderOfTheProcessorsDecides) {
  struct Case {
    double g1, g2, combined;
  };
  for (const Case& c : {Case{1.5, 0.8, 0.8}, Case{0.8, 1.5, 1.5}, Case{1.2, 1.5, 1.5}, Case{0.9, 0.7, 0.7}}) {
    Engine e;
    SetUpFast(e);
    e.processors[0].minGain = e.processors[0].maxGain = c.g1;
    e.processors[1].minGain = e.processors[1].maxGain = c.g2;
    e.stereoLink = true;
    const auto out = RunConstant(e, 3, 0.25, 0.5);
    EXPECT_EQ(e.processors[0].blockGain, c.combined) << c.g1 << " " << c.g2;
    EXPECT_EQ(e.processors[1].blockGain, c.combined);
    EXPECT_EQ(out[0], 0.25 * c.combined);
    EXPECT_EQ(out[1], 0.5 * c.combined);
  }
}

TEST(EngineCombine, MidSideAtUnityReturnsTheInput) {
  Engine e;
  SetUpFast(e);
  e.processorRoute[0] = Corvane::RouteMid;
  e.processorRoute[1] = Corvane::RouteSide;
  for (auto& p : e.processors) p.minGain = p.maxGain = 1.0;
  const auto out = RunConstant(e, 5, 0.75, 0.25);
  EXPECT_EQ(out[0], 0.75);
  EXPECT_EQ(out[1], 0.25);
  std::vector<double> noise = Noise(2000, 0.9), main = noise;
  RunFrames(e, main, {});
  for (std::size_t i = 0; i < main.size(); ++i) {
    ASSERT_NEAR(main[i], noise[i], 1e-15);
  }
}

TEST(EngineCombine, EmptyCallGivesZeroBlockGains) {
  Engine e;
  SetUpFast(e);
  e.stereoLink = true;
  RunConstant(e, 100, 0.3, 0.3);
  e.ProcessFrames(nullptr, 0);
  EXPECT_EQ(e.processors[0].blockGain, 0.0);
  EXPECT_EQ(e.processors[1].blockGain, 0.0);
  EXPECT_EQ(e.detectors[0].blockMax, 0.0);
}

// ---------------------------------------------------------------------------------------------
// Time constants and Init.

TEST(EngineTime, StepReachesOneMinusOneOverEAfterTheAttackTime) {
  Engine e;
  SetUpFast(e, 48000);
  e.detectors[0].gain = 2.0;  // fixed level 1
  e.SetDetectorAttack(0, 10.0);
  e.SetDetectorRelease(0, 20.0);
  RunConstant(e, 480, 0.1, 0.1);
  EXPECT_NEAR(e.detectors[0].envelope, 1.0 - std::exp(-1.0), 1e-12);
  RunConstant(e, 48000, 0.1, 0.1);
  const double top = e.detectors[0].envelope;
  e.detectors[0].gate = 0.6;  // the fixed 0.5 is gated from now on
  RunConstant(e, 960, 0.1, 0.1);
  EXPECT_NEAR(e.detectors[0].envelope, top * std::exp(-1.0), 1e-12);
}

TEST(EngineTime, LinkedAttackAndReleaseMoveTogether) {
  Engine e;
  ResetEngine(e, 44100);
  e.SetDetectorRelease(0, 40.0);
  e.SetDetectorAttack(0, 250.0);
  EXPECT_EQ(e.detectors[0].releaseMs, 40.0) << "unlinked";
  e.detectorLink[0] = true;
  e.SetDetectorAttack(0, 250.0);
  EXPECT_EQ(e.detectors[0].releaseMs, 250.0);
  EXPECT_EQ(e.detectors[0].releaseCoef, e.detectors[0].attackCoef);
  e.SetDetectorRelease(0, 30.0);
  EXPECT_EQ(e.detectors[0].attackMs, 30.0);

  e.processorLink[1] = true;
  e.SetProcessorRelease(1, 700.0);
  EXPECT_EQ(e.processors[1].attackMs, 700.0);
  EXPECT_EQ(e.processors[1].attackCoef, e.processors[1].releaseCoef);
  EXPECT_EQ(e.processors[0].attackMs, 100.0) << "the other processor is untouched";
  e.SetProcessorAttack(2, 5.0);  // no such processor: ignored
}

TEST(EngineTime, InitSetsRatesAndClearsFollowersOnly) {
  Engine e;
  SetUpFast(e);
  e.processors[0].mode = Corvane::ProcessorModeRms;
  RunConstant(e, 500, 0.3, 0.2);
  const double attack = e.detectors[0].attackCoef;
  e.SetSampleRate(48000);
  e.SetOversampling(2);
  EXPECT_EQ(e.detectors[1].sampleRate, 96000);
  EXPECT_EQ(e.processors[0].timeConstantRate, 96000);
  EXPECT_EQ(e.processors[1].rmsRate, 96000);
  EXPECT_EQ(e.detectors[0].envelope, 0.0);
  EXPECT_EQ(e.processors[0].level, 0.0);
  EXPECT_EQ(e.processors[0].rmsState, 0.0);
  EXPECT_NEAR(e.processors[0].rmsRiseCoef, std::exp(-1.0 / 48000.0), 1e-15);
  EXPECT_EQ(e.detectors[0].attackCoef, attack) << "coefficients wait for the setters";
  EXPECT_NEAR(e.detectors[0].blockMax, 0.5, 1e-3) << "last call's values stay";
}

// ---------------------------------------------------------------------------------------------
// Guards.

TEST(EngineGuards, FreshEngineIsDeterminateAndPassesAudioAtUnity) {
  Engine e;
  for (const auto& d : e.detectors) {
    EXPECT_EQ(d.attackCoef, Corvane::SmoothingCoefficient(4410.0));
    EXPECT_EQ(d.releaseCoef, d.attackCoef);
    EXPECT_EQ(d.gain, 1.0);
  }
  for (const auto& p : e.processors) {
    EXPECT_EQ(p.attackCoef, Corvane::SmoothingCoefficient(4410.0));
    EXPECT_EQ(p.rmsRiseCoef, Corvane::SmoothingCoefficient(22050.0));
    EXPECT_EQ(p.rmsFallCoef, p.rmsRiseCoef);
  }
  const std::vector<double> input = Noise(4000, 0.7, 3);
  std::vector<double> main = input;
  const std::vector<double> side = Noise(4000, 0.7, 4);
  RunFrames(e, main, side);
  EXPECT_EQ(main, input) << "neither muted nor mixed: unity until configured";
}

TEST(EngineGuards, NonFiniteSamplesAreSilenceAndLeaveNoTrace) {
  for (int mode = 0; mode < 2; ++mode) {
    Engine a, b;
    for (Engine* e : {&a, &b}) {
      ResetEngine(*e, 44100);
      e->detectorSource[1] = Corvane::SourceIntMid;
      e->processorReference[1] = Corvane::ReferenceDetector2;
      for (int j = 0; j < 2; ++j) {
        e->SetDetectorAttack(j, 20.0);
        e->SetProcessorRelease(j, 50.0);
        e->detectors[j].gate = DbToGain(-100.0);
        e->processors[j].mode = Corvane::ProcessorModeRms;
        e->processors[j].scaler = 0.5;
        e->processors[j].maxGain = DbToGain(12.0);
        e->processors[j].minGain = DbToGain(-12.0);
      }
      e->processorRoute[0] = mode ? Corvane::RouteMid : Corvane::RouteLeft;
      e->processorRoute[1] = mode ? Corvane::RouteSide : Corvane::RouteRight;
      e->stereoLink = !mode;
    }
    std::vector<double> main = Noise(12000, 0.5, 8), side = Noise(12000, 0.3, 9);
    std::vector<double> dirtyMain = main, dirtySide = side;
    const int bad[4] = {2000, 4001, 6000, 8001};
    main[bad[0]] = main[bad[1]] = side[bad[2]] = side[bad[3]] = 0.0;
    dirtyMain[bad[0]] = INFINITY;
    dirtyMain[bad[1]] = NAN;
    dirtySide[bad[2]] = -INFINITY;
    dirtySide[bad[3]] = NAN;
    RunFrames(a, main, side);
    RunFrames(b, dirtyMain, dirtySide);
    EXPECT_EQ(dirtyMain, main) << "mode " << mode;
    EXPECT_TRUE(std::isfinite(b.processors[0].rmsState) && std::isfinite(b.detectors[0].envelope));
  }
}

TEST(EngineGuards, DetectorCutoffStaysBelowHalfTheRate) {
  Engine e;
  ResetEngine(e, 32000);
  ASSERT_EQ(e.detectors[0].sampleRate, 32000);
  e.detectors[0].DesignLowPass(20000.0);  // 0.625 of the rate unlimited: pole at -2.4
  e.detectors[1].DesignHighPass(20000.0);
  const Dsp::Stage& lp = e.detectors[0].lowPass.GetStage(0);
  const Dsp::Stage& hp = e.detectors[1].highPass.GetStage(0);
  EXPECT_LT(std::fabs(lp.a1), 1.0);
  EXPECT_LT(std::fabs(hp.a1), 1.0);
  EXPECT_NEAR(Dsp::Abs(e.detectors[0].lowPass.ResponseAt(0.0)), 1.0, 1e-12);

  e.detectorSource[1] = Corvane::SourceExtMid;
  std::vector<double> main = Noise(40000, 0.5, 1), side = Noise(40000, 1.0, 2);
  RunFrames(e, main, side);
  EXPECT_LT(e.detectors[0].envelope, 2.0);
  EXPECT_LT(e.detectors[1].envelope, 2.0);

  for (double hz : {0.0, -5.0, static_cast<double>(NAN)}) {
    e.detectors[0].DesignHighPass(hz);
    const Dsp::Stage& s = e.detectors[0].highPass.GetStage(0);
    EXPECT_TRUE(std::isfinite(s.a1) && std::isfinite(s.b0) && std::fabs(s.a1) < 1.0) << hz;
  }
}

TEST(EngineGuards, CutoffLimitLeavesTheUsualDesignsAlone) {
  Engine e;
  ResetEngine(e, 44100);
  e.detectors[0].DesignLowPass(20000.0);
  e.detectors[0].DesignHighPass(20.0);
  Dsp::ButterLowPass<1, 1> lp;
  Dsp::ButterHighPass<1, 1> hp;
  Dsp::DesignParams p;
  p.cutoff = 20000.0 / 44100;
  lp.Setup(p);
  p.cutoff = 20.0 / 44100;
  hp.Setup(p);
  EXPECT_EQ(e.detectors[0].lowPass.GetStage(0).a1, lp.GetStage(0).a1);
  EXPECT_EQ(e.detectors[0].lowPass.GetStage(0).b0, lp.GetStage(0).b0);
  EXPECT_EQ(e.detectors[0].highPass.GetStage(0).a1, hp.GetStage(0).a1);
  EXPECT_EQ(e.detectors[0].highPass.GetStage(0).b1, hp.GetStage(0).b1);
}

TEST(EngineGuards, OversampledRoadHoldsTheSideChainInsteadOfReadingPastIt) {
  Engine e;
  SetUpFast(e);
  PassThroughDetectorFilters(e);
  e.SetOversampling(2);
  e.detectorSource[0] = Corvane::SourceExtMid;
  const double c = e.detectors[0].attackCoef;
  // Exactly one side-chain frame on the heap: a read past it is caught by the sanitizer.
  std::vector<double> side = {0.6, 0.2};
  double frame[2] = {0.1, 0.1};
  e.sidechainFrames = side.data();
  ASSERT_TRUE(e.ProcessBlock(frame, 1));
  EXPECT_NEAR(e.detectors[0].envelope, 0.4 * (1.0 - c * c), 1e-15) << "two held frames of 0.4";

  std::vector<double> frames(8, 0.1), twoSide = {0.2, 0.2, 0.8, 0.8};
  e.sidechainFrames = twoSide.data();
  e.Init();
  e.ProcessFrames(frames.data(), 4);
  const double expected = ((0.2 * (1 - c) * c + 0.2 * (1 - c)) * c + 0.8 * (1 - c)) * c + 0.8 * (1 - c);
  EXPECT_NEAR(e.detectors[0].envelope, expected, 1e-15);
}

TEST(EngineGuards, OversampledRoadStartsOnTheDesignedFilters) {
  std::vector<double> outputs[2];
  for (bool sse3 : {false, true}) {
    ScopedSse3 flag(sse3);
    Engine e;  // unity gains: the output is the anti-aliased input
    e.SetOversampling(2);
    std::vector<double> main = Noise(400, 0.5, 17);
    RunFrames(e, main, {});
    outputs[sse3] = main;
  }
  for (std::size_t i = 0; i < outputs[0].size(); ++i) {
    ASSERT_NEAR(outputs[0][i], outputs[1][i], 1e-12) << i;
  }
}

TEST(EngineGuards, SilenceAfterALoudPassageKeepsEveryStateNormal) {
  Engine e;
  ResetEngine(e, 44100);
  e.detectorSource[1] = Corvane::SourceIntMid;
  e.processorReference[1] = Corvane::ReferenceDetector2;
  for (int j = 0; j < 2; ++j) {
    e.SetDetectorAttack(j, 1.0);
    e.SetDetectorRelease(j, 1.0);
    e.SetProcessorAttack(j, 1.0);
    e.SetProcessorRelease(j, 1.0);
    e.processors[j].mode = j ? Corvane::ProcessorModeRms : Corvane::ProcessorModePeak;
    e.processors[j].scaler = 0.5;
    e.processors[j].maxGain = DbToGain(12.0);
    e.processors[j].minGain = DbToGain(-12.0);
    e.processors[j].rmsRiseCoef = e.processors[j].rmsFallCoef = Corvane::SmoothingCoefficient(441.0);
  }
  e.stereoLink = true;
  std::vector<double> loud = Noise(20000, 0.9, 4), side = Noise(20000, 0.9, 5);
  RunFrames(e, loud, side);

  auto normalOrZero = [](double v) { return std::fpclassify(v) != FP_SUBNORMAL; };
  const double silence[2] = {0.0, 0.0};
  e.sidechainFrames = silence;
  double frame[2];
  for (int i = 0; i < 200000; ++i) {
    frame[0] = frame[1] = 0.0;
    e.ProcessBlock(frame, 1);
    for (const auto& d : e.detectors) {
      ASSERT_TRUE(normalOrZero(d.envelope)) << i;
      ASSERT_TRUE(normalOrZero(d.highPass.State(0, 0).y1) && normalOrZero(d.lowPass.State(0, 0).y1)) << i;
      ASSERT_TRUE(normalOrZero(d.lowPass.State(0, 0).x1)) << i;
    }
    for (const auto& p : e.processors) {
      ASSERT_TRUE(normalOrZero(p.level) && normalOrZero(p.rmsState)) << i;
    }
  }
  // A processor that has heard its reference keeps a level, so a silent reference still
  // gives the ratio 1 and the gain stays at unity on silence.
  EXPECT_GT(e.processors[0].level, 0.0);
  EXPECT_EQ(e.processors[0].gain, 1.0);
  EXPECT_NEAR(e.processors[1].gain, 1.0, 1e-12) << "RMS: smoothed toward 1";
}
