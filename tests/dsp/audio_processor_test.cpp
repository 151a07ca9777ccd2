// The processor frame: mix, factor handling, hold and decimation, channel counts.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/AudioProcessor.h"
#include "dsp_test_util.h"

using CorvaneTest::Noise;

namespace {

// Records what ProcessFrames sees and replaces every value by a function of it.
class Probe : public Corvane::AudioProcessor {
 public:
  enum class Write { Affine, FrameNumber };
  Write write = Write::Affine;
  std::vector<double> seen;
  int calls = 0;
  int inits = 0;

  void ProcessFrames(double* frames, int n) override {
    ++calls;
    seen.assign(frames, frames + 2 * n);
    for (int i = 0; i < 2 * n; ++i) {
      frames[i] = write == Write::Affine ? frames[i] * 3.0 + 1.0 : i / 2 + 1.0;
    }
  }
  void Init() override { ++inits; }
};

}  // namespace

TEST(AudioProcessorMix, FullMixIsTheProcessedSignalAndNoMixTheInput) {
  Probe p;
  const std::vector<double> input = Noise(64, 0.5);
  std::vector<double> frames = input;
  ASSERT_TRUE(p.ProcessBlock(frames.data(), 32));
  for (std::size_t i = 0; i < input.size(); ++i) {
    ASSERT_EQ(frames[i], input[i] * 3.0 + 1.0);
  }
  p.SetMix(0.0);
  frames = input;
  p.ProcessBlock(frames.data(), 32);
  EXPECT_EQ(frames, input);
  p.SetMix(0.25);
  frames = input;
  p.ProcessBlock(frames.data(), 32);
  for (std::size_t i = 0; i < input.size(); ++i) {
    ASSERT_EQ(frames[i], (input[i] * 3.0 + 1.0) * 0.25 + input[i] * 0.75);
  }
}

TEST(AudioProcessorMix, NonFiniteInputDoesNotPoisonTheDryShare) {
  Probe p;
  double frame[2] = {INFINITY, NAN};
  ASSERT_TRUE(p.ProcessBlock(frame, 1));
  EXPECT_EQ(frame[0], INFINITY * 3.0 + 1.0) << "full mix: exactly what the processing made";
  p.SetMix(0.5);
  frame[0] = 0.25;
  frame[1] = NAN;
  p.ProcessBlock(frame, 1);
  EXPECT_EQ(frame[0], (0.25 * 3.0 + 1.0) * 0.5 + 0.125);
}

TEST(AudioProcessorFactor, FactorsBelowOneBecomeOne) {
  Probe p;
  p.SetOversampling(0);
  EXPECT_EQ(p.oversampling, 1);
  p.SetOversampling(-3);
  EXPECT_EQ(p.oversampling, 1);
  EXPECT_EQ(p.inits, 2);
}

TEST(AudioProcessorFactor, AntiAliasFiltersCutAtTheBaseNyquist) {
  Probe p;
  p.SetSampleRate(48000);
  p.SetOversampling(4);
  const double w = 2 * Dsp::kPi * 0.125;
  EXPECT_NEAR(Dsp::Abs(p.upsampleFilter.ResponseAt(0.0)), 1.0, 1e-12);
  EXPECT_NEAR(Dsp::Abs(p.upsampleFilter.ResponseAt(w)), std::pow(10.0, -9.0 / 20.0), 1e-9);
  EXPECT_NEAR(Dsp::Abs(p.downsampleFilter.ResponseAt(w)), std::pow(10.0, -9.0 / 20.0), 1e-9);
}

TEST(AudioProcessorFactor, FactorTwoProcessesTwiceTheFramesAndKeepsEverySecond) {
  Probe p;
  p.SetOversampling(2);
  p.downsampleFilter.ResetStages();  // pass-through: the decimation is visible as it is
  p.write = Probe::Write::FrameNumber;
  std::vector<double> frames = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6};
  ASSERT_TRUE(p.ProcessBlock(frames.data(), 3));
  EXPECT_EQ(p.seen.size(), 12u) << "6 frames at the oversampled rate";
  const double expected[6] = {1, 1, 3, 3, 5, 5};
  for (int i = 0; i < 6; ++i) {
    EXPECT_NEAR(frames[i], expected[i], 1e-20) << i;
  }
}

TEST(AudioProcessorChannels, OneChannelFramesUseChannelZeroOnly) {
  for (int factor : {1, 2}) {
    Probe p;
    p.SetChannels(1);
    p.SetOversampling(factor);
    p.downsampleFilter.ResetStages();
    std::vector<double> frames = {0.1, 0.2, 0.3};  // three one-value frames, nothing more
    ASSERT_TRUE(p.ProcessBlock(frames.data(), 3));
    ASSERT_EQ(p.seen.size(), static_cast<std::size_t>(6 * factor));
    for (std::size_t i = 1; i < p.seen.size(); i += 2) {
      EXPECT_LT(std::fabs(p.seen[i]), 1e-15) << "channel 1 is not taken";
    }
    if (factor == 1) {
      EXPECT_EQ(frames[1], 0.2 * 3.0 + 1.0);
    }
  }
}

TEST(AudioProcessorChannels, UnusableArgumentsAreRefused) {
  Probe p;
  double frame[2] = {0.5, 0.5};
  EXPECT_FALSE(p.ProcessBlock(frame, -1));
  EXPECT_FALSE(p.ProcessBlock(nullptr, 4));
  p.SetChannels(0);
  EXPECT_FALSE(p.ProcessBlock(frame, 1));
  p.SetChannels(2);
  p.SetOversampling(1 << 20);
  EXPECT_FALSE(p.ProcessBlock(frame, 1 << 12)) << "frames x factor does not fit";
  EXPECT_EQ(p.calls, 0);
  EXPECT_EQ(frame[0], 0.5);
}

TEST(AudioProcessorReset, PassThroughThenRedesignKeepingStates) {
  Probe p;
  p.SetOversampling(2);
  std::vector<double> frames(2 * 50, 0.3);
  p.ProcessBlock(frames.data(), 50);
  const double state = p.upsampleFilter.State(0, 0).x1;
  ASSERT_NE(state, 0.0);
  const Dsp::Stage designed = p.upsampleFilter.GetStage(1);
  p.Reset();
  EXPECT_EQ(p.upsampleFilter.State(0, 0).x1, state);
  EXPECT_EQ(p.upsampleFilter.GetStage(1).a1, designed.a1);
  EXPECT_EQ(p.upsampleFilter.GetStage(1).b0, designed.b0);
}
