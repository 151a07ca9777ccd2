#include "dsp/DspFilters.h"

#include "dsp/CpuFeatures.h"
#include "dsp/DspTwoChannel.h"
#include "dsp/Maths.h"

namespace Dsp {

Complex Div(const Complex& a, const Complex& b) {
  if (std::isnan(a.re) || std::isnan(a.im) || std::isnan(b.re) || std::isnan(b.im)) {
    return Complex{NAN, NAN};
  }
  if (std::fabs(b.re) >= std::fabs(b.im)) {
    const double r = b.im / b.re;
    const double d = b.re + b.im * r;
    return Complex{(a.re + a.im * r) / d, (a.im - a.re * r) / d};
  }
  const double r = b.re / b.im;
  const double d = b.re * r + b.im;
  return Complex{(a.re * r + a.im) / d, (a.im * r - a.re) / d};
}

// ---------------------------------------------------------------------------------------------

Cascade::Cascade(Stage* stages, int capacity)
    : mStageCount(capacity), mStages(stages), mStageCapacity(capacity) {}

void Cascade::ResetStages() {
  for (int i = 0; i < mStageCount; ++i) {
    Stage& s = mStages[i];
    s.a1 = 0.0;
    s.a2 = 0.0;
    s.b0 = 1.0;
    s.b1 = 0.0;
    s.b2 = 0.0;
  }
}

void Cascade::StartRamp() {
  for (int i = 0; i < mStageCount; ++i) {
    Stage& s = mStages[i];
    s.a0Work = s.a0;
    s.a1Work = s.a1;
    s.a2Work = s.a2;
    s.b0Work = s.b0;
    s.b1Work = s.b1;
    s.b2Work = s.b2;
  }
  mRampStarted = true;
}

Complex Cascade::ResponseAt(double w) const {
  const Complex z1{Dsp::Cos(w), -Dsp::Sin(w)};
  const Complex z2{Dsp::Cos(2.0 * w), -Dsp::Sin(2.0 * w)};
  Complex num{1.0, 0.0};
  Complex den{1.0, 0.0};
  for (int i = 0; i < mStageCount; ++i) {
    const Stage& s = mStages[i];
    const Complex n = Add(Add(Complex{s.b0, 0.0}, Mul(Complex{s.b1, 0.0}, z1)), Mul(Complex{s.b2, 0.0}, z2));
    const Complex d = Sub(Sub(Complex{1.0, 0.0}, Mul(Complex{s.a1, 0.0}, z1)), Mul(Complex{s.a2, 0.0}, z2));
    num = Mul(num, n);
    den = Mul(den, d);
  }
  return Div(num, den);
}

void Cascade::AddPoleFactor(const Complex& pole, int& filled) {
  Stage& first = mStages[0];
  if (std::fabs(pole.im) < 1e-6) {
    const double oldA1 = first.a1;
    first.a1 = oldA1 + pole.re;
    first.a2 = -(oldA1 * pole.re);
    const int target = mStageCount - filled - 1;
    if (first.a2 != 0.0 && target > 0) {
      mStages[target].a1 = first.a1;
      mStages[target].a2 = first.a2;
      first.a1 = 0.0;
      first.a2 = 0.0;
      ++filled;
    }
  } else if (pole.im > 0.0) {
    const int target = mStageCount - filled - 1;
    if (target >= 0) {
      mStages[target].a1 = 2.0 * pole.re;
      mStages[target].a2 = -(pole.re * pole.re + pole.im * pole.im);
      ++filled;
    }
  }
}

void Cascade::MultiplyZeroFactor(const Complex& zero, int& filled) {
  Stage& first = mStages[0];
  if (std::fabs(zero.im) < 1e-6) {
    const double oldB0 = first.b0;
    const double oldB1 = first.b1;
    first.b0 = oldB0 * (-zero.re);
    first.b1 = oldB0 + oldB1 * (-zero.re);
    first.b2 = oldB1;
    const int target = mStageCount - filled - 1;
    if (first.b2 != 0.0 && target > 0) {
      mStages[target].b0 = first.b0;
      mStages[target].b1 = first.b1;
      mStages[target].b2 = first.b2;
      first.b0 = 1.0;
      first.b1 = 0.0;
      first.b2 = 0.0;
      ++filled;
    }
  } else if (zero.im > 0.0) {
    const int target = mStageCount - filled - 1;
    if (target >= 0) {
      mStages[target].b0 = zero.re * zero.re + zero.im * zero.im;
      mStages[target].b1 = -2.0 * zero.re;
      mStages[target].b2 = 1.0;
      ++filled;
    }
  }
}

void Cascade::BuildStages(const Layout& digital) {
  int count = (digital.mPoles.mCount + 1) / 2;
  const int zeroStages = (digital.mZeros.mCount + 1) / 2;
  if (zeroStages > count) {
    count = zeroStages;
  }
  if (count > mStageCapacity) {
    count = mStageCapacity;
  }
  if (count < 1) {
    count = 1;
  }
  mStageCount = count;
  ResetStages();

  int filled = 0;
  for (int i = 0; i < digital.mPoles.mCount; ++i) {
    AddPoleFactor(digital.mPoles.mValues[i], filled);
  }
  filled = 0;
  for (int i = 0; i < digital.mZeros.mCount; ++i) {
    MultiplyZeroFactor(digital.mZeros.mValues[i], filled);
  }

  const double scale = digital.mNormalGain / Abs(ResponseAt(digital.mNormalW));
  mStages[0].b0 *= scale;
  mStages[0].b1 *= scale;
  mStages[0].b2 *= scale;
}

// ---------------------------------------------------------------------------------------------

void Butter::DesignPrototype(Layout& analog, int order) {
  const int n = order < analog.mPoles.mCapacity ? order : analog.mPoles.mCapacity;
  const double r = Dsp::Tan(kPi / 4.0);
  for (int k = 0; k < n; ++k) {
    const double theta = (2 * k + 1) * kPi / (2 * n) + kPi / 2.0;
    analog.mPoles.mValues[k] = Complex{Dsp::Cos(theta) * r, Dsp::Sin(theta) * r};
    analog.mZeros.mValues[k] = InfinityPoint();
  }
  analog.mPoles.mCount = n;
  analog.mZeros.mCount = n;
  analog.mNormalW = 0.0;
  analog.mNormalGain = 1.0;
}

void ChebyII::DesignPrototype(Layout& analog, int order, double stopBandDb) {
  const int n = order < analog.mPoles.mCapacity ? order : analog.mPoles.mCapacity;
  const double eps = std::sqrt(Dsp::Exp(stopBandDb * 0.1 * Dsp::Log(10.0)) - 1.0);
  const double v = Dsp::Log(eps + std::sqrt(eps * eps + 1.0)) / n;
  const double sinhV = Dsp::Sinh(v);
  const double coshV = Dsp::Cosh(v);
  for (int k = 0; k < n; ++k) {
    const double phi = (1 - n + 2 * k) * kPi / (2 * n);
    const double b = -Dsp::Cos(phi) * sinhV;
    const double c = Dsp::Sin(phi) * coshV;
    const double d = b * b + c * c;
    analog.mPoles.mValues[k] = Complex{b / d, c / d};
    analog.mZeros.mValues[k] = Complex{0.0, 1.0 / Dsp::Cos((3 - 2 * n + 4 * k) * kPi / (2 * n))};
  }
  analog.mPoles.mCount = n;
  analog.mZeros.mCount = n;
  analog.mNormalW = 0.0;
  analog.mNormalGain = 1.0;
}

namespace {

Complex BilinearLowPass(double k, const Complex& s) {
  if (IsInfinityPoint(s)) {
    return Complex{-1.0, 0.0};
  }
  return Div(Complex{1.0 + k * s.re, k * s.im}, Complex{1.0 - k * s.re, -(k * s.im)});
}

Complex BilinearHighPass(double k, const Complex& s) {
  if (IsInfinityPoint(s)) {
    return Complex{1.0, 0.0};
  }
  const Complex q = Div(s, Complex{k, 0.0});
  const Complex z = Div(Complex{1.0 + q.re, q.im}, Complex{1.0 - q.re, -q.im});
  return Complex{-z.re, -z.im};
}

template <class Map>
void TransformLayout(const Layout& analog, Layout& digital, Map map) {
  const int poles = analog.mPoles.mCount < digital.mPoles.mCapacity ? analog.mPoles.mCount
                                                                     : digital.mPoles.mCapacity;
  const int zeros = analog.mZeros.mCount < digital.mZeros.mCapacity ? analog.mZeros.mCount
                                                                     : digital.mZeros.mCapacity;
  for (int i = 0; i < poles; ++i) {
    digital.mPoles.mValues[i] = map(analog.mPoles.mValues[i]);
  }
  for (int i = 0; i < zeros; ++i) {
    digital.mZeros.mValues[i] = map(analog.mZeros.mValues[i]);
  }
  digital.mPoles.mCount = poles;
  digital.mZeros.mCount = zeros;
  digital.mNormalGain = analog.mNormalGain;
}

}  // namespace

void TransformLowPass(double k, const Layout& analog, Layout& digital) {
  TransformLayout(analog, digital, [k](const Complex& s) { return BilinearLowPass(k, s); });
  digital.mNormalW = analog.mNormalW;
}

void TransformHighPass(double k, const Layout& analog, Layout& digital) {
  TransformLayout(analog, digital, [k](const Complex& s) { return BilinearHighPass(k, s); });
  digital.mNormalW = kPi - analog.mNormalW;
}

void DesignLowPass(const Layout& analog, Layout& digital, double sampleRate, double cutoff) {
  TransformLowPass(Dsp::Tan(kPi * cutoff / sampleRate), analog, digital);
}

void DesignHighPass(const Layout& analog, Layout& digital, double sampleRate, double cutoff) {
  TransformHighPass(Dsp::Tan(kPi * cutoff / sampleRate), analog, digital);
}

// ---------------------------------------------------------------------------------------------

void ProcessDirectFormI(CascadeFilter& filter, int count, double* frames, int stride) {
  const int channels = filter.GetChannels();
  if (channels == 2 && gCpuFeatures.sse3) {
    ProcessDirectFormITwoChannel(filter, count, frames, stride);
    return;
  }
  for (int i = 0; i < count; ++i) {
    for (int ch = 0; ch < channels; ++ch) {
      frames[ch] = ProcessSampleDirectFormI(filter, ch, frames[ch]);
    }
    frames += channels + stride;
  }
}

void ProcessDirectFormII(CascadeFilter& filter, int count, double* frames, int stride) {
  const int channels = filter.GetChannels();
  const int stages = filter.GetStageCount();
  if (channels == 2 && gCpuFeatures.sse3) {
    if (!filter.IsRampStarted()) {
      filter.StartRamp();
    }
    for (int s = 0; s < stages; ++s) {
      ProcessStageStereoRamped(count, frames, filter.GetStage(s), filter.State(0, s), filter.State(1, s),
                               stride);
    }
    return;
  }
  for (int i = 0; i < count; ++i) {
    for (int ch = 0; ch < channels; ++ch) {
      double x = CleanSample(frames[ch]);
      for (int s = 0; s < stages; ++s) {
        const Stage& c = filter.GetStage(s);
        StageState& st = filter.State(ch, s);
        const double w = CleanSample(x + c.a1 * st.x1 + c.a2 * st.x2 + 1e-25);
        const double y = CleanSample(c.b0 * w + c.b1 * st.x1 + c.b2 * st.x2);
        st.x2 = st.x1;
        st.x1 = w;
        x = y;
      }
      frames[ch] = x;
    }
    frames += channels + stride;
  }
}

}  // namespace Dsp
