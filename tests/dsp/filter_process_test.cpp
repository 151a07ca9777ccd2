// Direct Form I and II, the scalar and two-channel paths, and their guards.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/CpuFeatures.h"
#include "dsp/DspFilters.h"
#include "dsp_test_util.h"

using namespace Dsp;
using CorvaneTest::Noise;
using CorvaneTest::ScopedSse3;

namespace {

enum class Form { I, II };

void RunForm(Form form, CascadeFilter& f, std::vector<double>& frames, int stride, int count) {
  if (form == Form::I) {
    ProcessDirectFormI(f, count, frames.data(), stride);
  } else {
    ProcessDirectFormII(f, count, frames.data(), stride);
  }
}

// Stereo noise through a fresh order-6 low-pass, in blocks, with the SSE3 flag as given.
std::vector<double> Filtered(Form form, bool sse3, const std::vector<double>& input, double fraction = 0.2) {
  ScopedSse3 flag(sse3);
  ChebyIILowPass<6, 2> f;
  f.SetupOrder6(fraction, 9.0);
  std::vector<double> out = input;
  const int frames = static_cast<int>(out.size() / 2);
  for (int at = 0; at < frames; at += 100) {
    std::vector<double> block(out.begin() + 2 * at, out.begin() + 2 * std::min(frames, at + 100));
    RunForm(form, f, block, 0, static_cast<int>(block.size() / 2));
    std::copy(block.begin(), block.end(), out.begin() + 2 * at);
  }
  return out;
}

double MaxDifference(const std::vector<double>& a, const std::vector<double>& b) {
  double m = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    m = std::max(m, std::fabs(a[i] - b[i]));
  }
  return m;
}

}  // namespace

TEST(DirectForms, PassThroughStagesLeaveTheSignal) {
  const std::vector<double> input = Noise(2000, 1.0);
  ScopedSse3 flag(false);
  ChebyIILowPass<6, 2> f;
  f.SetupOrder6(0.2, 9.0);
  f.ResetStages();
  std::vector<double> one = input;
  ProcessDirectFormI(f, 1000, one.data(), 0);
  EXPECT_EQ(one, input) << "Direct Form I is exact";

  std::vector<double> two = input;
  ProcessDirectFormII(f, 1000, two.data(), 0);
  EXPECT_LE(MaxDifference(two, input), 1e-24) << "Direct Form II only adds its 1e-25 per stage";
  std::vector<double> silence(20, 0.0);
  ProcessDirectFormII(f, 10, silence.data(), 0);
  EXPECT_NEAR(silence[18], 3e-25, 1e-39);
}

TEST(DirectForms, FormIAndFormIIAgree) {
  const std::vector<double> input = Noise(20000, 0.8);
  EXPECT_LE(MaxDifference(Filtered(Form::I, false, input), Filtered(Form::II, false, input)), 1e-12);
}

TEST(DirectForms, TwoChannelPathsAgreeWithTheScalarPaths) {
  const std::vector<double> input = Noise(20000, 0.8, 777);
  EXPECT_EQ(Filtered(Form::I, true, input), Filtered(Form::I, false, input)) << "same arithmetic, same bits";
  // Form II's two-channel path adds 1e-18 at its input; its first block already runs on the
  // designed coefficients.
  EXPECT_LE(MaxDifference(Filtered(Form::II, true, input), Filtered(Form::II, false, input)), 1e-12);
}

TEST(DirectForms, StrideSkipsValuesOnEveryPath) {
  const std::vector<double> packed = Noise(400, 0.5, 99);
  for (Form form : {Form::I, Form::II}) {
    std::vector<double> expected;
    {
      ScopedSse3 flag(false);
      ChebyIILowPass<6, 2> f;
      f.SetupOrder6(0.1, 9.0);
      expected = packed;
      RunForm(form, f, expected, 0, 200);
    }
    for (bool sse3 : {false, true}) {
      ScopedSse3 flag(sse3);
      ChebyIILowPass<6, 2> f;
      f.SetupOrder6(0.1, 9.0);
      std::vector<double> strided(600);
      for (int i = 0; i < 200; ++i) {
        strided[3 * i] = packed[2 * i];
        strided[3 * i + 1] = packed[2 * i + 1];
        strided[3 * i + 2] = 1000.0 + i;
      }
      RunForm(form, f, strided, 1, 200);
      for (int i = 0; i < 200; ++i) {
        ASSERT_NEAR(strided[3 * i], expected[2 * i], 1e-12) << i << " sse3 " << sse3;
        ASSERT_NEAR(strided[3 * i + 1], expected[2 * i + 1], 1e-12) << i;
        ASSERT_EQ(strided[3 * i + 2], 1000.0 + i) << "skipped value touched";
      }
    }
  }
}

TEST(DirectForms, OneChannelFilterNeverTakesTheTwoChannelPath) {
  const std::vector<double> input = Noise(300, 0.5, 5);
  std::vector<double> results[2];
  for (bool sse3 : {false, true}) {
    ScopedSse3 flag(sse3);
    ButterLowPass<1, 1> f;
    DesignParams p;
    p.cutoff = 0.1;
    f.Setup(p);
    std::vector<double> data = input;  // one channel, stride 1: every other value is skipped
    ProcessDirectFormI(f, 150, data.data(), 1);
    for (int i = 0; i < 150; ++i) {
      ASSERT_EQ(data[2 * i + 1], input[2 * i + 1]);
    }
    results[sse3] = data;
  }
  EXPECT_EQ(results[0], results[1]);
}

TEST(TwoChannelRamp, RedesignRampsLinearlyAndArrivesWithinTheBlock) {
  ScopedSse3 flag(true);
  ChebyIILowPass<6, 2> f;
  f.SetupOrder6(0.25, 9.0);
  std::vector<double> block(2 * 64, 0.25);
  ProcessDirectFormII(f, 64, block.data(), 0);
  const Stage old = f.GetStage(0);
  EXPECT_EQ(old.a1Work, old.a1) << "first block starts on the targets";

  f.SetupOrder6(0.125, 9.0);
  const Stage target = f.GetStage(0);
  ASSERT_NE(target.a1, old.a1);
  ProcessDirectFormII(f, 4, block.data(), 0);
  // Four frames: the working values advance before each frame and land on the targets at
  // the last one.
  const Stage& now = f.GetStage(0);
  EXPECT_EQ(now.a1Work, target.a1);
  EXPECT_EQ(now.b0Work, target.b0);
  EXPECT_EQ(now.b2Work, target.b2);

  // A change that leaves a1 alone still reaches the stage.
  f.GetStage(1).b1 *= 0.5;
  ProcessDirectFormII(f, 8, block.data(), 0);
  EXPECT_EQ(f.GetStage(1).b1Work, f.GetStage(1).b1);
}

TEST(FilterGuards, CleanSampleKeepsExactlyTheFiniteNonTinyValues) {
  for (double v : {kTinyLevel, -kTinyLevel, DBL_MAX, -DBL_MAX, 1.0, -0.37, 1e-100, 1e300}) {
    EXPECT_EQ(CleanSample(v), v) << v;
  }
  for (double v : {std::nextafter(kTinyLevel, 0.0), -std::nextafter(kTinyLevel, 0.0), 1e-300, DBL_MIN / 4, 0.0,
                   static_cast<double>(INFINITY), -static_cast<double>(INFINITY), static_cast<double>(NAN)}) {
    EXPECT_EQ(CleanSample(v), 0.0) << v;
  }
}

TEST(FilterGuards, NonFiniteInputIsSilenceAndLeavesNoTrace) {
  const std::vector<double> input = Noise(4000, 0.5, 31);
  for (Form form : {Form::I, Form::II}) {
    for (bool sse3 : {false, true}) {
      ScopedSse3 flag(sse3);
      std::vector<double> clean = input, dirty = input;
      clean[500] = 0.0;
      clean[901] = 0.0;
      dirty[500] = NAN;
      dirty[901] = INFINITY;
      ChebyIILowPass<6, 2> a, b;
      a.SetupOrder6(0.1, 9.0);
      b.SetupOrder6(0.1, 9.0);
      RunForm(form, a, clean, 0, 2000);
      RunForm(form, b, dirty, 0, 2000);
      EXPECT_EQ(dirty, clean) << "form " << (form == Form::I ? 1 : 2) << " sse3 " << sse3;
    }
  }
}

TEST(FilterGuards, DecayingStatesNeverTurnDenormal) {
  // A 20 Hz high-pass after an impulse decays by 0.997 a sample; left alone its state would
  // end in denormals (and stay there). It must reach exactly 0 instead.
  ButterHighPass<1, 1> f;
  DesignParams p;
  p.cutoff = 20.0 / 44100.0;
  f.Setup(p);
  double x = 1.0;
  int subnormal = 0;
  for (int i = 0; i < 300000; ++i) {
    const double y = ProcessSampleDirectFormI(f, 0, x);
    subnormal += std::fpclassify(y) == FP_SUBNORMAL;
    x = 0.0;
  }
  EXPECT_EQ(subnormal, 0);
  EXPECT_EQ(f.State(0, 0).y1, 0.0);
  EXPECT_EQ(f.State(0, 0).y2, 0.0);
}

TEST(CpuFeatures, DecodedFromCpuidLeafOne) {
  const CpuFeatureFlags none = DecodeCpuFeatures(0, 0xffffffffu, 0xffffffffu);
  EXPECT_FALSE(none.mmx || none.fxsr || none.sse || none.sse3 || none.ssse3 || none.sse41 || none.sse42)
      << "maximum leaf 0: no flags";
  const CpuFeatureFlags sse3Only = DecodeCpuFeatures(1, 1u, 0u);
  EXPECT_TRUE(sse3Only.sse3);
  EXPECT_FALSE(sse3Only.sse || sse3Only.ssse3);
  const CpuFeatureFlags f = DecodeCpuFeatures(13, (1u << 9) | (1u << 19) | (1u << 20), (1u << 23) | (1u << 24) | (1u << 25));
  EXPECT_TRUE(f.mmx && f.fxsr && f.sse && f.ssse3 && f.sse41 && f.sse42);
  EXPECT_FALSE(f.sse3);
}

TEST(CpuFeatures, DetectedAtLoad) {
  const CpuFeatureFlags loaded = gCpuFeatures;
  DetectCpuFeatures();
  EXPECT_EQ(gCpuFeatures.sse3, loaded.sse3) << "the flags were read before main";
#if defined(__x86_64__)
  EXPECT_TRUE(gCpuFeatures.sse) << "every x86-64 processor has SSE";
#endif
}
