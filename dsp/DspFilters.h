#pragma once
// Pole/zero filter design: analog prototypes (Butterworth, inverse Chebyshev), the bilinear
// low-pass and high-pass transforms, cascades of second-order stages, and Direct Form I and II
// processing of interleaved double frames with a two-channel vector path.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace Dsp {

constexpr double kPi = 3.14159265358979323846;

// Samples and filter states smaller than this (about -4000 dB) are taken as silence: keeping
// them out of the recursions keeps the arithmetic out of denormal numbers.
constexpr double kTinyLevel = 1e-200;

// A sample that is not a number, infinite or tiny becomes 0; every other value is kept.
// (One range test on the magnitude's bit pattern: finite positive doubles order like their
// bits, and NaN and infinity lie above the largest finite value.)
inline double CleanSample(double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  constexpr std::uint64_t kLow = 0x16687e92154ef7acull;   // bits of kTinyLevel
  constexpr std::uint64_t kHigh = 0x7fefffffffffffffull;  // bits of DBL_MAX
  return ((bits & 0x7fffffffffffffffull) - kLow <= kHigh - kLow) ? v : 0.0;
}

// ---------------------------------------------------------------------------------------------
// Complex numbers. The point at infinity is stored as (+inf, 0).

struct Complex {
  double re;
  double im;
};

inline Complex InfinityPoint() { return Complex{HUGE_VAL, 0.0}; }
inline bool IsInfinityPoint(const Complex& c) { return c.re == HUGE_VAL; }
inline Complex Add(const Complex& a, const Complex& b) { return Complex{a.re + b.re, a.im + b.im}; }
inline Complex Sub(const Complex& a, const Complex& b) { return Complex{a.re - b.re, a.im - b.im}; }
inline Complex Mul(const Complex& a, const Complex& b) {
  return Complex{a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
inline double Abs(const Complex& a) { return std::sqrt(a.re * a.re + a.im * a.im); }
// Scaled division (the larger part of the denominator divides first); (NaN, NaN) when a part
// of either operand is not a number.
Complex Div(const Complex& a, const Complex& b);

// ---------------------------------------------------------------------------------------------
// Layouts: poles and zeros, produced in pairs by every design.

struct PoleZeroList {
  int mCapacity = 0;
  Complex* mValues = nullptr;
  int mCount = 0;
};

struct Layout {
  PoleZeroList mPoles;
  PoleZeroList mZeros;
  double mNormalW = 0.0;     // radians per sample (0 in an analog layout)
  double mNormalGain = 1.0;  // gain of the cascade at mNormalW
};

template <int N>
struct LayoutSpace : Layout {
  LayoutSpace() {
    mPoles = PoleZeroList{N, mPoleStorage, 0};
    mZeros = PoleZeroList{N, mZeroStorage, 0};
  }
  LayoutSpace(const LayoutSpace&) = delete;
  LayoutSpace& operator=(const LayoutSpace&) = delete;

  Complex mPoleStorage[N] = {};
  Complex mZeroStorage[N] = {};
};

// ---------------------------------------------------------------------------------------------
// Stages and cascades.

// y = b0*x + b1*x1 + b2*x2 + a1*y1 + a2*y2; the transfer function is
// (b0 + b1/z + b2/z^2) / (1 - a1/z - a2/z^2). The *Work copies are the coefficients that the
// two-channel Direct Form II path is currently using while it ramps toward the targets.
struct Stage {
  double a0, a1, a2, b0, b1, b2;
  double a0Work, a1Work, a2Work, b0Work, b1Work, b2Work;
};

// Direct Form I keeps (x1, x2, y1, y2); Direct Form II uses x1 and x2 as w1 and w2.
struct StageState {
  double x1, x2, y1, y2;
};

struct DesignParams {
  int order = 1;
  double sampleRate = 1.0;
  double cutoff = 0.25;      // in the units of sampleRate
  double stopBandDb = 0.0;   // inverse Chebyshev only
};

class Cascade {
 public:
  int GetStageCount() const { return mStageCount; }
  int GetStageCapacity() const { return mStageCapacity; }
  const Stage& GetStage(int i) const { return mStages[i]; }
  Stage& GetStage(int i) { return mStages[i]; }

  // Every stage passes its input unchanged (a1 = a2 = b1 = b2 = 0, b0 = 1); working copies
  // and states are left as they are.
  void ResetStages();
  // Complex response of the whole cascade at w radians per sample.
  Complex ResponseAt(double w) const;
  // Replaces the stages' target coefficients by the design in a digital layout, normalised to
  // the layout's gain at its normal frequency. Channel states are not touched.
  void BuildStages(const Layout& digital);

  // The two-channel Direct Form II path ramps its working coefficients toward the targets; its
  // very first block starts from the targets themselves.
  bool IsRampStarted() const { return mRampStarted; }
  void StartRamp();

 protected:
  Cascade(Stage* stages, int capacity);
  Cascade(const Cascade&) = delete;
  Cascade& operator=(const Cascade&) = delete;

 private:
  void MultiplyZeroFactor(const Complex& zero, int& filled);
  void AddPoleFactor(const Complex& pole, int& filled);

  int mStageCount;
  Stage* mStages;
  int mStageCapacity;
  bool mRampStarted = false;
};

class CascadeFilter : public Cascade {
 public:
  int GetChannels() const { return mChannels; }
  StageState& State(int channel, int stage) { return mStates[channel * GetStageCapacity() + stage]; }
  const StageState& State(int channel, int stage) const {
    return mStates[channel * GetStageCapacity() + stage];
  }

 protected:
  CascadeFilter(Stage* stages, int capacity, int channels, StageState* states)
      : Cascade(stages, capacity), mChannels(channels), mStates(states) {}

 private:
  int mChannels;
  StageState* mStates;
};

class PoleFilter : public CascadeFilter {
 public:
  virtual ~PoleFilter() = default;
  // Prototype, band transform and stages. Refused (false, nothing changed) when the order
  // does not fit the filter's storage.
  virtual bool Setup(const DesignParams& params) = 0;

  Layout& AnalogLayout() { return *mAnalog; }
  Layout& DigitalLayout() { return *mDigital; }

 protected:
  PoleFilter(Layout* analog, Layout* digital, Stage* stages, int capacity, int channels,
             StageState* states)
      : CascadeFilter(stages, capacity, channels, states), mAnalog(analog), mDigital(digital) {}

 private:
  Layout* mAnalog;
  Layout* mDigital;
};

// ---------------------------------------------------------------------------------------------
// Prototypes and band transforms.

struct Butter {
  static void DesignPrototype(Layout& analog, int order);
  static void DesignPrototype(Layout& analog, const DesignParams& p) { DesignPrototype(analog, p.order); }
};

struct ChebyII {
  static void DesignPrototype(Layout& analog, int order, double stopBandDb);
  static void DesignPrototype(Layout& analog, const DesignParams& p) {
    DesignPrototype(analog, p.order, p.stopBandDb);
  }
};

// k = tan(pi * cutoff / sampleRate).
void TransformLowPass(double k, const Layout& analog, Layout& digital);
void TransformHighPass(double k, const Layout& analog, Layout& digital);
void DesignLowPass(const Layout& analog, Layout& digital, double sampleRate, double cutoff);
void DesignHighPass(const Layout& analog, Layout& digital, double sampleRate, double cutoff);

struct LowPass {
  static void Design(const Layout& analog, Layout& digital, const DesignParams& p) {
    DesignLowPass(analog, digital, p.sampleRate, p.cutoff);
  }
};

struct HighPass {
  static void Design(const Layout& analog, Layout& digital, const DesignParams& p) {
    DesignHighPass(analog, digital, p.sampleRate, p.cutoff);
  }
};

template <class Family, class Band, int N, int Channels>
class PoleFilterSpace : public PoleFilter {
 public:
  static constexpr int kStages = (N + 1) / 2;

  // Empty layouts, zeroed stages and states.
  PoleFilterSpace()
      : PoleFilter(&mAnalogSpace, &mDigitalSpace, mStageSpace, kStages, Channels, mStateSpace) {}

  bool Setup(const DesignParams& params) override {
    if (params.order < 1 || params.order > N) {
      return false;
    }
    Family::DesignPrototype(mAnalogSpace, params);
    Band::Design(mAnalogSpace, mDigitalSpace, params);
    BuildStages(mDigitalSpace);
    return true;
  }

 private:
  LayoutSpace<N> mAnalogSpace;
  LayoutSpace<N> mDigitalSpace;
  Stage mStageSpace[kStages] = {};
  StageState mStateSpace[kStages * Channels] = {};
};

template <int N, int Channels>
class ButterHighPass : public PoleFilterSpace<Butter, HighPass, N, Channels> {};

template <int N, int Channels>
class ButterLowPass : public PoleFilterSpace<Butter, LowPass, N, Channels> {};

template <int N, int Channels>
class ChebyIILowPass : public PoleFilterSpace<ChebyII, LowPass, N, Channels> {
 public:
  // Order 6 at a sample rate of 1: cutoff is a fraction of the rate.
  bool SetupOrder6(double cutoff, double stopBandDb) {
    DesignParams p;
    p.order = 6;
    p.sampleRate = 1.0;
    p.cutoff = cutoff;
    p.stopBandDb = stopBandDb;
    return this->Setup(p);
  }
};

// ---------------------------------------------------------------------------------------------
// Processing. count frames are processed in place; a frame is one double per channel followed
// by stride doubles that are skipped. Non-finite input is taken as silence, and no state ever
// keeps a non-finite or tiny value.

void ProcessDirectFormI(CascadeFilter& filter, int count, double* frames, int stride);
void ProcessDirectFormII(CascadeFilter& filter, int count, double* frames, int stride);

// One stage of a two-channel filter over a block, Direct Form II, with the working
// coefficients moving linearly from where they are to the stage's targets over the block.
// states points to the two channels' states of this stage.
void ProcessStageStereoRamped(int count, double* frames, Stage& stage, StageState& left,
                              StageState& right, int stride);

// Direct Form I through all stages for one channel's sample (the scalar recursion).
inline double ProcessSampleDirectFormI(CascadeFilter& filter, int channel, double x) {
  x = CleanSample(x);
  const int stages = filter.GetStageCount();
  for (int s = 0; s < stages; ++s) {
    const Stage& c = filter.GetStage(s);
    StageState& st = filter.State(channel, s);
    const double y = CleanSample(c.b0 * x + c.b1 * st.x1 + c.b2 * st.x2 + c.a1 * st.y1 + c.a2 * st.y2);
    st.x2 = st.x1;
    st.x1 = x;
    st.y2 = st.y1;
    st.y1 = y;
    x = y;
  }
  return x;
}

}  // namespace Dsp
