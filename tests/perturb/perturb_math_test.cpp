// The perturbation build really reaches the runtime's functions: each wrapped function, called
// by its ordinary name, differs from the runtime's own result by one unit in the last place for
// about half of the arguments and never where every implementation is exact.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

extern "C" {
double __real_exp(double);
double __real_log(double);
double __real_log10(double);
double __real_sin(double);
double __real_cos(double);
double __real_tan(double);
double __real_sinh(double);
double __real_cosh(double);
double __real_tanh(double);
double __real_atan(double);
double __real_exp2(double);
double __real_log2(double);
double __real_expm1(double);
double __real_log1p(double);
double __real_acos(double);
double __real_acosh(double);
double __real_atan2(double, double);
double __real_pow(double, double);
}

namespace {

// A value the compiler cannot see, so that a call on it reaches the runtime instead of being
// folded into the compiler's own constant.
double AtRunTime(double value) {
  volatile double hidden = value;
  return hidden;
}
using Unary = double (*)(double);
using Binary = double (*)(double, double);

constexpr int kArguments = 1000;
// Half of kArguments flipped, within a margin that a fair hash misses far less than once in 1e9.
constexpr int kLeastFlipped = 400;
constexpr int kMostFlipped = 600;

std::int64_t UlpsApart(double a, double b) {
  std::int64_t ia, ib;
  std::memcpy(&ia, &a, sizeof ia);
  std::memcpy(&ib, &b, sizeof ib);
  return ia > ib ? ia - ib : ib - ia;
}

struct UnaryCase {
  const char* name;
  Unary wrapped;
  Unary real;
  double first, step;  // arguments first + i * step, inside the domain
  double exactAt;      // an argument where every implementation is exact
};

const UnaryCase kUnary[] = {
    {"exp", std::exp, __real_exp, -20.0, 0.0371, 0.0},
    {"log", std::log, __real_log, 0.001, 0.137, 1.0},
    {"log10", std::log10, __real_log10, 0.001, 0.137, 1.0},
    {"sin", std::sin, __real_sin, -3.0, 0.0071, 0.0},
    {"cos", std::cos, __real_cos, -3.0, 0.0071, 0.0},
    {"tan", std::tan, __real_tan, -1.5, 0.0029, 0.0},
    {"sinh", std::sinh, __real_sinh, -5.0, 0.0093, 0.0},
    {"cosh", std::cosh, __real_cosh, -5.0, 0.0093, 0.0},
    {"tanh", std::tanh, __real_tanh, -5.0, 0.0093, 0.0},
    {"atan", std::atan, __real_atan, -50.0, 0.097, 0.0},
    {"exp2", std::exp2, __real_exp2, -20.0, 0.0371, 0.0},
    {"log2", std::log2, __real_log2, 0.001, 0.137, 1.0},
    {"expm1", std::expm1, __real_expm1, -2.0, 0.0041, 0.0},
    {"log1p", std::log1p, __real_log1p, -0.9, 0.0137, 0.0},
    {"acos", std::acos, __real_acos, -0.999, 0.0019, 1.0},
    {"acosh", std::acosh, __real_acosh, 1.001, 0.0137, 1.0},
};

}  // namespace

TEST(PerturbedRuntimeMath, EachFunctionIsOneUlpOffForAboutHalfOfItsArguments) {
  for (const UnaryCase& c : kUnary) {
    int flipped = 0;
    for (int i = 0; i < kArguments; ++i) {
      const double x = AtRunTime(c.first + i * c.step);
      const double got = c.wrapped(x), real = c.real(x);
      ASSERT_LE(UlpsApart(got, real), 1) << c.name << "(" << x << ")";
      flipped += got != real;
    }
    EXPECT_GE(flipped, kLeastFlipped) << c.name;
    EXPECT_LE(flipped, kMostFlipped) << c.name;
  }
}

TEST(PerturbedRuntimeMath, ExactResultsAndZerosAreLeftAlone) {
  for (const UnaryCase& c : kUnary) {
    EXPECT_EQ(c.wrapped(AtRunTime(c.exactAt)), c.real(c.exactAt)) << c.name;
  }
  const Binary pow = std::pow;
  const double kBase = AtRunTime(1.7);
  EXPECT_EQ(pow(kBase, 0.0), 1.0);
  EXPECT_EQ(pow(kBase, 1.0), kBase);
  EXPECT_EQ(pow(kBase, 2.0), kBase * kBase);
  EXPECT_EQ(pow(AtRunTime(1.0), kBase), 1.0);
  EXPECT_EQ(pow(AtRunTime(0.0), kBase), 0.0);
  const Unary exp = std::exp;
  EXPECT_EQ(exp(AtRunTime(-1000.0)), 0.0);
  EXPECT_EQ(exp(AtRunTime(1000.0)), HUGE_VAL);
}

TEST(PerturbedRuntimeMath, TwoArgumentFunctionsAreOneUlpOffForAboutHalfOfTheirArguments) {
  const struct { const char* name; Binary wrapped, real; } kBinary[] = {
      {"pow", std::pow, __real_pow}, {"atan2", std::atan2, __real_atan2}};
  for (const auto& c : kBinary) {
    int flipped = 0;
    for (int i = 0; i < kArguments; ++i) {
      const double x = AtRunTime(0.01 + i * 0.0173), y = AtRunTime(-3.0 + i * 0.0077);
      const double got = c.wrapped(x, y), real = c.real(x, y);
      ASSERT_LE(UlpsApart(got, real), 1) << c.name << "(" << x << ", " << y << ")";
      flipped += got != real;
    }
    EXPECT_GE(flipped, kLeastFlipped) << c.name;
    EXPECT_LE(flipped, kMostFlipped) << c.name;
  }
}

TEST(PerturbedRuntimeMath, JoinedSinAndCosAreFlippedLikeTheSeparateCalls) {
  const Unary sin = std::sin, cos = std::cos;
  for (int i = 0; i < kArguments; ++i) {
    const double x = AtRunTime(-3.0 + i * 0.0071);
    double s, c;
    ::sincos(x, &s, &c);
    ASSERT_EQ(s, sin(x)) << x;
    ASSERT_EQ(c, cos(x)) << x;
  }
}
