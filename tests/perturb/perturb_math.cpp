// Runtime-maths perturbation for the test programs (CORVANE_PERTURB_RUNTIME_MATH).
//
// The C runtimes' transcendental functions are not correctly rounded: mingw-w64's x87 code and
// msvcrt round their last bit differently on Intel and AMD processors, and glibc picks a
// different variant with and without FMA. A test that compares such a value bit for bit passes
// on one machine and fails on another. Linked in with `--wrap=<function>`, these wrappers stand
// for that other machine: each result has its last mantissa bit flipped for about half of the
// arguments, chosen by a hash of the argument bits (so every run and every process agrees), and
// left alone where every implementation is exact or the result is zero or not finite.
// A comparison of a single value escapes one run with probability one half: the environment
// variable CORVANE_PERTURB_SALT (an integer, default 0) picks another half for another run.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

std::uint64_t BitsOf(double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return bits;
}

// splitmix64's finaliser: every argument bit reaches the bit that decides.
std::uint64_t Mix(std::uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::uint64_t RunSalt() {
  static const std::uint64_t salt = [] {
    const char* text = std::getenv("CORVANE_PERTURB_SALT");
    return text ? Mix(std::strtoull(text, nullptr, 10)) : 0u;
  }();
  return salt;
}

// A different salt per function, so that f(x) and g(x) are flipped independently.
std::uint64_t Key(unsigned function, double a, double b = 0.0) {
  return Mix(BitsOf(a) ^ Mix(BitsOf(b) + function * 0x9E3779B97F4A7C15ull + RunSalt()));
}

double Perturbed(double result, std::uint64_t key) {
  if (!std::isfinite(result) || result == 0.0 || (key & 1) == 0) return result;
  const std::uint64_t bits = BitsOf(result) ^ 1u;
  double flipped;
  std::memcpy(&flipped, &bits, sizeof flipped);
  return flipped;
}

// Results at the edge of a bounded function's range stay there: no implementation leaves it.
double PerturbedWithin(double result, double bound, std::uint64_t key) {
  return std::fabs(result) == bound ? result : Perturbed(result, key);
}

}  // namespace

// One-argument functions: `exact` says where every implementation gives the same bits.
#define CORVANE_PERTURB1(id, name, exact, perturb)                      \
  extern "C" double __real_##name(double);                              \
  extern "C" double __wrap_##name(double x) {                           \
    const double r = __real_##name(x);                                  \
    if (exact) return r;                                                \
    const std::uint64_t key = Key(id, x);                               \
    return perturb;                                                     \
  }

CORVANE_PERTURB1(1, exp, x == 0.0, Perturbed(r, key))
CORVANE_PERTURB1(2, log, x == 1.0, Perturbed(r, key))
CORVANE_PERTURB1(3, log10, x == 1.0, Perturbed(r, key))
CORVANE_PERTURB1(4, sin, x == 0.0, PerturbedWithin(r, 1.0, key))
CORVANE_PERTURB1(5, cos, x == 0.0, PerturbedWithin(r, 1.0, key))
CORVANE_PERTURB1(6, tan, x == 0.0, Perturbed(r, key))
CORVANE_PERTURB1(7, sinh, x == 0.0, Perturbed(r, key))
CORVANE_PERTURB1(8, cosh, x == 0.0, Perturbed(r, key))
CORVANE_PERTURB1(9, tanh, x == 0.0, PerturbedWithin(r, 1.0, key))
CORVANE_PERTURB1(10, atan, x == 0.0, Perturbed(r, key))
CORVANE_PERTURB1(11, exp2, x == 0.0, Perturbed(r, key))
CORVANE_PERTURB1(12, log2, x == 1.0, Perturbed(r, key))
CORVANE_PERTURB1(13, expm1, x == 0.0, Perturbed(r, key))
CORVANE_PERTURB1(14, log1p, x == 0.0, Perturbed(r, key))
CORVANE_PERTURB1(15, acos, x == 1.0, Perturbed(r, key))
CORVANE_PERTURB1(16, acosh, x == 1.0, Perturbed(r, key))

extern "C" double __real_atan2(double, double);
extern "C" double __wrap_atan2(double y, double x) {
  return Perturbed(__real_atan2(y, x), Key(17, y, x));
}

extern "C" double __real_pow(double, double);
extern "C" double __wrap_pow(double x, double y) {
  const double r = __real_pow(x, y);
  if (y == 0.0 || y == 1.0 || y == 2.0 || x == 1.0) return r;  // 1, x, x * x rounded, 1
  return Perturbed(r, Key(18, x, y));
}

// The compiler joins sin(x) and cos(x) of one argument into one sincos call: the same flips as
// the separate calls.
extern "C" void __real_sincos(double, double*, double*);
extern "C" void __wrap_sincos(double x, double* s, double* c) {
  __real_sincos(x, s, c);
  if (x == 0.0) return;
  *s = PerturbedWithin(*s, 1.0, Key(4, x));
  *c = PerturbedWithin(*c, 1.0, Key(5, x));
}
