// The portable elementary functions: accuracy against the C library's extended-precision ones,
// the special values, and a digest of many results that every build must reproduce bit for
// bit, which is what the functions are for.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <limits>

#include "dsp/Maths.h"
#include "render_fingerprint.h"

namespace {

struct Function {
  const char* name;
  double (*portable)(double);
  long double (*reference)(long double);
  double from, to;   // arguments tested, evenly spread
  double allowedUlps;
};

const Function kFunctions[] = {
    {"Exp", Dsp::Exp, expl, -745.0, 709.7, 1.0},  {"Exp near 0", Dsp::Exp, expl, -1.0, 1.0, 1.0},
    {"Log", Dsp::Log, logl, 1e-3, 1e3, 1.0},      {"Log near 1", Dsp::Log, logl, 0.5, 2.0, 1.0},
    {"Sin", Dsp::Sin, sinl, -20.0, 20.0, 1.0},    {"Cos", Dsp::Cos, cosl, -20.0, 20.0, 1.0},
    {"Tan", Dsp::Tan, tanl, -1.57, 1.57, 2.5},    {"Sin far out", Dsp::Sin, sinl, -1e6, 1e6, 1.0},
    {"Sinh", Dsp::Sinh, sinhl, -5.0, 5.0, 2.0},   {"Cosh", Dsp::Cosh, coshl, -5.0, 5.0, 2.0},
    {"Sinh wide", Dsp::Sinh, sinhl, -700.0, 700.0, 2.0},
};
constexpr int kSamples = 40000;

// The distance of a result from the extended-precision reference, in units of the last place
// of the reference rounded to double.
double UlpsOff(double got, long double reference) {
  const double r = static_cast<double>(reference);
  const long double ulp = std::nextafter(std::fabs(r), std::numeric_limits<double>::infinity()) - std::fabs(r);
  return static_cast<double>(std::fabs(static_cast<long double>(got) - reference) / ulp);
}

double Argument(const Function& f, int i) { return f.from + (f.to - f.from) * (i + 0.5) / kSamples; }

}  // namespace

TEST(Maths, ResultsLieWithinTheirBoundOfTheExactValue) {
#if defined(_WIN32)
  // The Windows runtime's extended-precision sine reduces its argument with a short pi and is
  // no reference near its multiples. Every build computes the same bits (the digest below), so
  // the accuracy measured against the Linux runtime holds for all of them.
  GTEST_SKIP();
#endif
  for (const Function& f : kFunctions) {
    double worst = 0.0, at = 0.0;
    for (int i = 0; i < kSamples; ++i) {
      const double x = Argument(f, i);
      const double off = UlpsOff(f.portable(x), f.reference(x));
      if (off > worst) worst = off, at = x;
    }
    EXPECT_LE(worst, f.allowedUlps) << f.name << " at " << at;
  }
}

TEST(Maths, SpecialValues) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(Dsp::Exp(0.0), 1.0);
  EXPECT_EQ(Dsp::Exp(-inf), 0.0);
  EXPECT_EQ(Dsp::Exp(710.0), inf);
  EXPECT_EQ(Dsp::Exp(-746.0), 0.0);
  EXPECT_GT(Dsp::Exp(-740.0), 0.0);  // a subnormal result
  EXPECT_EQ(Dsp::Log(1.0), 0.0);
  EXPECT_EQ(Dsp::Log(0.0), -inf);
  EXPECT_EQ(Dsp::Log(inf), inf);
  EXPECT_TRUE(std::isnan(Dsp::Log(-1.0)));
  EXPECT_NEAR(Dsp::Log(std::numeric_limits<double>::denorm_min()), -744.4400719213812, 1e-12);
  EXPECT_EQ(Dsp::Cos(0.0), 1.0);
  EXPECT_EQ(Dsp::Cosh(0.0), 1.0);
  for (double (*odd)(double) : {Dsp::Sin, Dsp::Tan, Dsp::Sinh}) {
    EXPECT_TRUE(std::signbit(odd(-0.0)));
    EXPECT_EQ(odd(1e-300), 1e-300);
  }
  for (double (*f)(double) : {Dsp::Exp, Dsp::Log, Dsp::Sin, Dsp::Cos, Dsp::Tan, Dsp::Sinh, Dsp::Cosh}) {
    EXPECT_TRUE(std::isnan(f(nan)));
  }
  EXPECT_TRUE(std::isnan(Dsp::Sin(inf)));
  EXPECT_TRUE(std::isnan(Dsp::Cos(-inf)));
  EXPECT_EQ(Dsp::Cosh(800.0), inf);
  EXPECT_EQ(Dsp::Sinh(-800.0), -inf);
}

TEST(Maths, EveryBuildComputesTheSameBits) {
  CorvaneTest::Digest digest;
  for (const Function& f : kFunctions) {
    for (int i = 0; i < kSamples; ++i) digest.Add(f.portable(Argument(f, i)));
  }
  char text[32];
  std::snprintf(text, sizeof text, "0x%016" PRIx64, digest.Value());
  EXPECT_EQ(digest.Value(), 0x7eaab38236e0bec5ull) << "the functions give " << text;
}
