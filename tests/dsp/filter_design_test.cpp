// Filter designs against analytic responses.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/DspFilters.h"

using namespace Dsp;

namespace {

double Magnitude(const Cascade& c, double w) { return Abs(c.ResponseAt(w)); }

template <class Filter>
void DesignFraction(Filter& f, int order, double fraction, double stopDb = 0.0) {
  DesignParams p;
  p.order = order;
  p.sampleRate = 1.0;
  p.cutoff = fraction;
  p.stopBandDb = stopDb;
  ASSERT_TRUE(f.Setup(p));
}

// Chebyshev polynomial of the first kind for any real argument.
double ChebyshevT(int n, double x) {
  if (std::fabs(x) <= 1.0) {
    return std::cos(n * std::acos(x));
  }
  const double c = std::cosh(n * std::acosh(std::fabs(x)));
  return (x < 0 && n % 2) ? -c : c;
}

// The bilinear transform maps w to the analog frequency tan(w / 2) / k.
double AnalogFrequency(double w, double fraction) { return std::tan(w / 2.0) / std::tan(kPi * fraction); }

}  // namespace

TEST(ButterworthDesign, Order1LowPassMatchesTheAnalyticResponse) {
  ButterLowPass<1, 1> lp;
  const double fraction = 20000.0 / 44100.0;
  DesignFraction(lp, 1, fraction);
  ASSERT_EQ(lp.GetStageCount(), 1);
  const Stage& s = lp.GetStage(0);
  const double k = std::tan(kPi * fraction);
  EXPECT_NEAR(s.a1, (1 - k) / (1 + k), 1e-14) << "pole";
  EXPECT_EQ(s.a2, 0.0);
  EXPECT_NEAR(s.b1 / s.b0, 1.0, 1e-14) << "zero at -1";
  EXPECT_EQ(s.b2, 0.0);

  EXPECT_NEAR(Magnitude(lp, 0.0), 1.0, 1e-12);
  EXPECT_NEAR(Magnitude(lp, kPi), 0.0, 1e-12);
  EXPECT_NEAR(Magnitude(lp, 2 * kPi * fraction), std::sqrt(0.5), 1e-12) << "-3 dB at the cutoff";
  for (double w = 0.05; w < kPi; w += 0.1) {
    const double omega = AnalogFrequency(w, fraction);
    EXPECT_NEAR(Magnitude(lp, w), 1.0 / std::sqrt(1.0 + omega * omega), 1e-12) << w;
  }
}

TEST(ButterworthDesign, Order1HighPassMatchesTheAnalyticResponse) {
  ButterHighPass<1, 1> hp;
  const double fraction = 20.0 / 44100.0;
  DesignFraction(hp, 1, fraction);
  const Stage& s = hp.GetStage(0);
  const double k = std::tan(kPi * fraction);
  EXPECT_NEAR(s.a1, (1 - k) / (1 + k), 1e-14) << "same pole as the low-pass";
  EXPECT_NEAR(s.b1 / s.b0, -1.0, 1e-14) << "zero at +1";

  EXPECT_NEAR(Magnitude(hp, kPi), 1.0, 1e-12);
  EXPECT_NEAR(Magnitude(hp, 0.0), 0.0, 1e-12);
  EXPECT_NEAR(Magnitude(hp, 2 * kPi * fraction), std::sqrt(0.5), 1e-9);
  for (double w = 0.001; w < kPi; w *= 1.7) {
    const double omega = AnalogFrequency(w, fraction);
    EXPECT_NEAR(Magnitude(hp, w), 1.0 / std::sqrt(1.0 + 1.0 / (omega * omega)), 1e-9) << w;
  }
}

TEST(ButterworthDesign, HigherOrdersPairRealAndComplexPolesIntoStages) {
  // Order 3: one real pole and a conjugate pair; order 4 high-pass: two pairs.
  PoleFilterSpace<Butter, LowPass, 3, 1> lp3;
  DesignFraction(lp3, 3, 0.1);
  EXPECT_EQ(lp3.GetStageCount(), 2);
  PoleFilterSpace<Butter, HighPass, 4, 1> hp4;
  DesignFraction(hp4, 4, 0.2);
  EXPECT_EQ(hp4.GetStageCount(), 2);
  for (double w = 0.02; w < kPi; w += 0.13) {
    const double o3 = AnalogFrequency(w, 0.1);
    EXPECT_NEAR(Magnitude(lp3, w), 1.0 / std::sqrt(1.0 + std::pow(o3, 6)), 1e-9) << w;
    const double o4 = AnalogFrequency(w, 0.2);
    EXPECT_NEAR(Magnitude(hp4, w), 1.0 / std::sqrt(1.0 + std::pow(1.0 / o4, 8)), 1e-9) << w;
  }
}

TEST(ChebyIIDesign, Order6HasThreeStagesWithZerosOnTheUnitCircle) {
  ChebyIILowPass<6, 2> f;
  ASSERT_TRUE(f.SetupOrder6(0.25, 9.0));
  ASSERT_EQ(f.GetStageCount(), 3);
  EXPECT_NEAR(Magnitude(f, 0.0), 1.0, 1e-12);
  for (int i = 0; i < 3; ++i) {
    const Stage& s = f.GetStage(i);
    // Conjugate pole pair inside the unit circle: 1 - a1/z - a2/z^2 has complex roots of
    // squared magnitude -a2.
    EXPECT_LT(s.a1 * s.a1 + 4 * s.a2, 0.0) << i;
    EXPECT_LT(-s.a2, 1.0) << i;
    // Conjugate zero pair on the unit circle: b0 z^2 + b1 z + b2 has roots of squared
    // magnitude b2 / b0.
    EXPECT_LT(s.b1 * s.b1, 4 * s.b0 * s.b2) << i;
    EXPECT_NEAR(s.b2 / s.b0, 1.0, 1e-12) << i;
  }
}

TEST(ChebyIIDesign, ResponseFollowsTheInverseChebyshevMagnitude) {
  // |H|^2 = T6(1/W)^2 / (eps^2 + T6(1/W)^2), eps^2 = 10^(dB/10) - 1: unit gain at DC, the
  // stop-band level from the cutoff on, and zeros where T6(1/W) = 0.
  for (double fraction : {0.25, 0.125, 0.05}) {
    ChebyIILowPass<6, 2> f;
    ASSERT_TRUE(f.SetupOrder6(fraction, 9.0));
    const double eps2 = std::pow(10.0, 0.9) - 1.0;
    EXPECT_NEAR(Magnitude(f, 2 * kPi * fraction), std::pow(10.0, -9.0 / 20.0), 1e-9) << "cutoff";
    for (double w = 0.01; w < kPi; w += 0.0371) {
      const double t = ChebyshevT(6, 1.0 / AnalogFrequency(w, fraction));
      EXPECT_NEAR(Magnitude(f, w), std::sqrt(t * t / (eps2 + t * t)), 1e-9) << fraction << " " << w;
    }
  }
}

TEST(CascadeBuild, RealPolesAndZerosFillStagesFromTheEnd) {
  // Four real poles and zeros: the first pair moves into the last stage, the second pair
  // stays in stage 0; the response is the product of the factors.
  PoleFilterSpace<Butter, LowPass, 4, 1> f;
  LayoutSpace<4> layout;
  const double poles[4] = {0.5, -0.3, 0.2, 0.1};
  const double zeros[4] = {-1.0, -1.0, 0.9, -0.4};
  for (int i = 0; i < 4; ++i) {
    layout.mPoles.mValues[i] = Complex{poles[i], 0.0};
    layout.mZeros.mValues[i] = Complex{zeros[i], 0.0};
  }
  layout.mPoles.mCount = layout.mZeros.mCount = 4;
  layout.mNormalW = 0.7;
  layout.mNormalGain = 2.0;
  f.BuildStages(layout);
  ASSERT_EQ(f.GetStageCount(), 2);
  EXPECT_NEAR(f.GetStage(1).a1, 0.2, 1e-15);
  EXPECT_NEAR(f.GetStage(1).a2, 0.15, 1e-15);
  EXPECT_NEAR(f.GetStage(0).a1, 0.3, 1e-15);
  EXPECT_NEAR(f.GetStage(0).a2, -0.02, 1e-15);

  auto direct = [&](double w) {
    const Complex z1{std::cos(w), -std::sin(w)};
    Complex num{1, 0}, den{1, 0};
    for (int i = 0; i < 4; ++i) {
      num = Mul(num, Sub(Complex{1, 0}, Mul(Complex{zeros[i], 0}, z1)));
      den = Mul(den, Sub(Complex{1, 0}, Mul(Complex{poles[i], 0}, z1)));
    }
    return Abs(Div(num, den));
  };
  const double scale = 2.0 / direct(0.7);
  EXPECT_NEAR(Magnitude(f, 0.7), 2.0, 1e-12);
  for (double w = 0.1; w < kPi; w += 0.3) {
    EXPECT_NEAR(Magnitude(f, w), scale * direct(w), 1e-12) << w;
  }
}

TEST(CascadeBuild, SetupRefusesAnOrderBeyondItsStorage) {
  ButterLowPass<1, 1> f;
  DesignFraction(f, 1, 0.1);
  const Stage before = f.GetStage(0);
  DesignParams p;
  p.order = 2;
  p.cutoff = 0.2;
  EXPECT_FALSE(f.Setup(p));
  p.order = 0;
  EXPECT_FALSE(f.Setup(p));
  EXPECT_EQ(f.GetStage(0).a1, before.a1);
  EXPECT_EQ(f.GetStage(0).b0, before.b0);
}

TEST(ComplexDivision, ScalesByTheLargerPartAndRefusesNonNumbers) {
  const Complex big = Div(Complex{1e300, 1e300}, Complex{1e300, 1e300});
  EXPECT_DOUBLE_EQ(big.re, 1.0);
  EXPECT_DOUBLE_EQ(big.im, 0.0);
  const Complex q = Div(Complex{1, 2}, Complex{3, -4});  // (1 + 2i) / (3 - 4i) = (-5 + 10i) / 25
  EXPECT_DOUBLE_EQ(q.re, -0.2);
  EXPECT_DOUBLE_EQ(q.im, 0.4);
  const Complex i = Div(Complex{2, 0}, Complex{0, 2});
  EXPECT_DOUBLE_EQ(i.re, 0.0);
  EXPECT_DOUBLE_EQ(i.im, -1.0);
  const Complex n = Div(Complex{1, NAN}, Complex{1, 1});
  EXPECT_TRUE(std::isnan(n.re) && std::isnan(n.im));
  const Complex m = Div(Complex{1, 1}, Complex{NAN, 0});
  EXPECT_TRUE(std::isnan(m.re) && std::isnan(m.im));
}
