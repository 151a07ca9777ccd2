#include "dsp/Corvane.h"

#include <algorithm>
#include <climits>

#include "dsp/Maths.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Corvane {

namespace {

// Follower states stay finite and, once they have left 0, never sink below the tiny level:
// a follower stuck in denormal numbers would slow every following sample down, and one that
// fell to exactly 0 would change the processors' silent-reference rule.
inline double HoldFollower(double v) {
  if (!(std::fabs(v) <= DBL_MAX)) {
    return 0.0;
  }
  return (v > 0.0 && v < Dsp::kTinyLevel) ? Dsp::kTinyLevel : v;
}

// x > y ? a : b without a branch (exactly that, NaN included): the followers' attack or release
// choice follows the signal and would mispredict on about every second noisy sample.
inline double IfGreater(double x, double y, double a, double b) {
#if defined(__SSE2__)
  const __m128d m = _mm_cmpgt_sd(_mm_set_sd(x), _mm_set_sd(y));
  return _mm_cvtsd_f64(_mm_or_pd(_mm_and_pd(m, _mm_set_sd(a)), _mm_andnot_pd(m, _mm_set_sd(b))));
#else
  return x > y ? a : b;
#endif
}

// One follower step: c = up when the input rises above the state, else down;
// state = c * state + (1 - c) * input. Both candidates are computed and one is kept, which
// leaves the state's dependency chain as short as the formula itself.
inline double Follow(double state, double input, double up, double down) {
  const double rising = up * state + (1.0 - up) * input;
  const double falling = down * state + (1.0 - down) * input;
  return IfGreater(input, state, rising, falling);
}

// Mid and side of clean samples. Only samples near the largest double can overflow them; the
// filters take such a value as silence and the followers recover from it.
inline double Mid(double l, double r) { return (l + r) * 0.5; }
inline double Side(double l, double r) { return (l - r) * 0.5; }

// Attack or release of a detector or processor; with link set the other one follows.
template <class Follower>
void SetTimeConstant(Follower& f, bool link, bool attack, double ms) {
  const double c = TimeConstantCoefficient(f.timeConstantRate, ms);
  if (attack || link) {
    f.attackMs = ms;
    f.attackCoef = c;
  }
  if (!attack || link) {
    f.releaseMs = ms;
    f.releaseCoef = c;
  }
}

// One detector sample: gate, gain, filters (unless the source is fixed), envelope follower.
inline double DetectorStep(LevelDetector& d, double x) {
  if (d.gate > std::fabs(x)) {
    x = 0.0;
  }
  x = x * d.gain;
  if (!d.fixedSource) {
    x = Dsp::ProcessSampleDirectFormI(d.highPass, 0, x);
    x = Dsp::ProcessSampleDirectFormI(d.lowPass, 0, x);
  }
  d.envelope = HoldFollower(Follow(d.envelope, std::fabs(x), d.attackCoef, d.releaseCoef));
  if (d.envelope > d.blockMax) {
    d.blockMax = d.envelope;
  }
  return d.envelope;
}

// The processor's signal sample of frame i by its route; unknown routes give 0.
inline double RouteSample(int route, const double* frames, int i) {
  const double l = frames[2 * i];
  const double r = frames[2 * i + 1];
  switch (route) {
    case RouteMid: return Mid(l, r);
    case RouteSide: return Side(l, r);
    case RouteLeft: return l;
    case RouteRight: return r;
    default: return 0.0;
  }
}

// One processor sample s against the reference sample r.
inline void ProcessorStep(GainProcessor& p, double s, double r) {
  // A signal below -40 dB follows the reference, which holds the gain near 1 on silence.
  if (std::fabs(s) < 0.01) {
    s = r;
  }
  p.level = HoldFollower(Follow(p.level, std::fabs(s), p.attackCoef, p.releaseCoef));
  // A silent reference gives the ratio 1.
  if (std::fabs(r) < 1.0e-5) {
    r = p.level;
  }
  const double d = p.level == 0.0 ? 1.0 : p.level;
  double ratio = r / d;
  if (p.mode == ProcessorModeRms) {
    p.rmsState = Dsp::CleanSample(Follow(p.rmsState, std::fabs(ratio), p.rmsRiseCoef, p.rmsFallCoef));
    ratio = p.rmsState;
  }
  double g = 1.0 - (1.0 - ratio) * p.scaler;
  if (p.reverse) {
    g = 1.0 / g;
  }
  if (g > p.maxGain) {
    g = p.maxGain;
  }
  if (g < p.minGain) {
    g = p.minGain;
  }
  p.gain = g;
  if (g > p.blockGain) {
    p.blockGain = g;
  }
}

// Processors raising the gain (>= 1) keep the larger gain so far, the others the smaller one;
// a value that is not a number gives way to the other.
inline double CombineGain(double blockGain, double combined) {
  if (std::isnan(blockGain)) {
    return combined;
  }
  if (std::isnan(combined)) {
    return blockGain;
  }
  if (blockGain >= 1.0) {
    return blockGain > combined ? blockGain : combined;
  }
  return blockGain < combined ? blockGain : combined;
}

}  // namespace

double SmoothingCoefficient(double samples) { return samples > 0.0 ? Dsp::Exp(-1.0 / samples) : 0.0; }

double TimeConstantCoefficient(int rate, double ms) { return SmoothingCoefficient(rate * ms / 1000.0); }

// ---------------------------------------------------------------------------------------------

LevelDetector::LevelDetector()
    : sampleRate(44100),
      gate(0.0),
      gain(1.0),
      attackMs(100.0),
      releaseMs(100.0),
      fixedSource(false),
      blockMax(0.0),
      envelope(0.0),
      timeConstantRate(44100),
      attackCoef(TimeConstantCoefficient(44100, 100.0)),
      releaseCoef(TimeConstantCoefficient(44100, 100.0)) {
  DesignHighPass(20.0);
  DesignLowPass(20000.0);
}

double LevelDetector::CutoffFraction(double hz) const {
  const double f = hz / sampleRate;
  if (!(f >= kMinCutoffFraction)) {
    return kMinCutoffFraction;
  }
  return f > kMaxCutoffFraction ? kMaxCutoffFraction : f;
}

namespace {
template <class Filter>
void DesignOrder1(Filter& filter, double fraction) {
  Dsp::DesignParams p;
  p.order = 1;
  p.sampleRate = 1.0;
  p.cutoff = fraction;
  filter.Setup(p);
}
}  // namespace

void LevelDetector::DesignHighPass(double hz) { DesignOrder1(highPass, CutoffFraction(hz)); }

void LevelDetector::DesignLowPass(double hz) { DesignOrder1(lowPass, CutoffFraction(hz)); }

GainProcessor::GainProcessor()
    : sampleRate(44100),
      mode(ProcessorModePeak),
      maxGain(1.0),
      minGain(1.0),
      scaler(1.0),
      reverse(false),
      gain(1.0),
      attackMs(100.0),
      releaseMs(100.0),
      blockGain(0.0),
      level(0.0),
      timeConstantRate(44100),
      attackCoef(TimeConstantCoefficient(44100, 100.0)),
      releaseCoef(TimeConstantCoefficient(44100, 100.0)),
      rmsState(0.0),
      rmsRate(44100),
      rmsRiseCoef(SmoothingCoefficient(44100 * 0.5)),
      rmsFallCoef(SmoothingCoefficient(44100 * 0.5)) {}

// ---------------------------------------------------------------------------------------------

Corvane::Corvane() = default;

void Corvane::Init() {
  const long long product = static_cast<long long>(sampleRate) * (oversampling > 1 ? oversampling : 1);
  const int r = static_cast<int>(std::min<long long>(std::max<long long>(product, INT_MIN), INT_MAX));
  for (LevelDetector& d : detectors) {
    d.sampleRate = r;
    d.timeConstantRate = r;
    d.envelope = 0.0;
  }
  for (GainProcessor& p : processors) {
    p.sampleRate = r;
    p.timeConstantRate = r;
    p.level = 0.0;
    p.rmsRate = r;
    p.rmsState = 0.0;
    p.rmsRiseCoef = p.rmsFallCoef = SmoothingCoefficient(r * 0.5);
  }
}

void Corvane::SetDetectorAttack(int index, double ms) {
  if (index == 0 || index == 1) {
    SetTimeConstant(detectors[index], detectorLink[index], true, ms);
  }
}

void Corvane::SetDetectorRelease(int index, double ms) {
  if (index == 0 || index == 1) {
    SetTimeConstant(detectors[index], detectorLink[index], false, ms);
  }
}

void Corvane::SetProcessorAttack(int index, double ms) {
  if (index == 0 || index == 1) {
    SetTimeConstant(processors[index], processorLink[index], true, ms);
  }
}

void Corvane::SetProcessorRelease(int index, double ms) {
  if (index == 0 || index == 1) {
    SetTimeConstant(processors[index], processorLink[index], false, ms);
  }
}

double Corvane::DetectorSample(int index, const double* frames, int i, const double* side) const {
  switch (detectorSource[index]) {
    case SourceIntMid: return Mid(frames[2 * i], frames[2 * i + 1]);
    case SourceIntSide: return Side(frames[2 * i], frames[2 * i + 1]);
    case SourceExtMid: return side ? Mid(Dsp::CleanSample(side[0]), Dsp::CleanSample(side[1])) : 0.0;
    case SourceExtSide: return side ? Side(Dsp::CleanSample(side[0]), Dsp::CleanSample(side[1])) : 0.0;
    case SourceIntFix: return 0.5;
    default: return 0.0;
  }
}

void Corvane::ProcessFrames(double* frames, int n) {
  if (n < 0 || n > INT_MAX / 2 || (n > 0 && !frames)) {
    return;
  }
  // The detectors and processors keep no state in common, and a processor needs only the
  // current frame's envelopes: running them frame by frame gives the same values as running
  // each over the whole call in turn, without arrays.
  for (int j = 0; j < 2; ++j) {
    detectors[j].fixedSource = detectorSource[j] == SourceIntFix;
    if (detectorOn[j]) {
      detectors[j].blockMax = 0.0;
    }
    processors[j].blockGain = 0.0;
  }
  // The side chain arrives at the base rate: each of its frames serves `hold` frames.
  const int hold = oversampling > 1 ? oversampling : 1;
  const double* side = sidechainFrames;
  int held = 0;
  for (int i = 0; i < n; ++i) {
    // Every frame is written back below, so the input can be cleaned in place.
    frames[2 * i] = Dsp::CleanSample(frames[2 * i]);
    frames[2 * i + 1] = Dsp::CleanSample(frames[2 * i + 1]);
    double envelope[2] = {0.0, 0.0};
    for (int j = 0; j < 2; ++j) {
      if (detectorOn[j]) {
        envelope[j] = DetectorStep(detectors[j], DetectorSample(j, frames, i, side));
      }
    }
    for (int j = 0; j < 2; ++j) {
      const int ref = processorReference[j];
      const double r = ref == ReferenceDetector1 ? envelope[0] : ref == ReferenceDetector2 ? envelope[1] : 0.0;
      ProcessorStep(processors[j], RouteSample(processorRoute[j], frames, i), r);
    }
    if (side && ++held == hold) {
      held = 0;
      side += 2;
    }
  }

  const double combined = CombineGain(processors[1].blockGain, CombineGain(processors[0].blockGain, 1.0));
  if (stereoLink) {
    processors[0].blockGain = combined;
    processors[1].blockGain = combined;
  }
  const double g1 = processors[0].blockGain;
  const double g2 = processors[1].blockGain;
  const int route1 = processorRoute[0];
  const int route2 = processorRoute[1];
  const bool midSide = route1 == RouteMid && route2 == RouteSide;
  const bool sideMid = route1 == RouteSide && route2 == RouteMid;
  for (int i = 0; i < n; ++i) {
    const double p1 = RouteSample(route1, frames, i) * g1;
    const double p2 = RouteSample(route2, frames, i) * g2;
    if (midSide) {
      frames[2 * i] = p1 + p2;
      frames[2 * i + 1] = p1 - p2;
    } else if (sideMid) {
      frames[2 * i] = p2 + p1;
      frames[2 * i + 1] = p2 - p1;
    } else {
      frames[2 * i] = p1;
      frames[2 * i + 1] = p2;
    }
  }
}

}  // namespace Corvane
