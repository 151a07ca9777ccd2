#include "dsp/Corvane.h"

#include <algorithm>
#include <climits>

namespace Corvane {

namespace {

constexpr int kScratchArrays = 7;

// Follower states stay finite and, once they have left 0, never sink below the tiny level:
// a follower stuck in denormal numbers would slow every following sample down, and one that
// fell to exactly 0 would change the processors' silent-reference rule.
inline double HoldFollower(double v) {
  if (!(v <= DBL_MAX)) {
    return 0.0;
  }
  return (v > 0.0 && v < Dsp::kTinyLevel) ? Dsp::kTinyLevel : v;
}

inline double Mid(double l, double r) { return Dsp::CleanSample((l + r) * 0.5); }
inline double Side(double l, double r) { return Dsp::CleanSample((l - r) * 0.5); }

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

void RunDetector(LevelDetector& d, const double* source, double* envelope, int n) {
  d.blockMax = 0.0;
  for (int i = 0; i < n; ++i) {
    double x = source[i];
    if (d.gate > std::fabs(x)) {
      x = 0.0;
    }
    x = x * d.gain;
    if (!d.fixedSource) {
      x = Dsp::ProcessSampleDirectFormI(d.highPass, 0, x);
      x = Dsp::ProcessSampleDirectFormI(d.lowPass, 0, x);
    }
    const double e = std::fabs(x);
    const double c = e > d.envelope ? d.attackCoef : d.releaseCoef;
    d.envelope = HoldFollower(c * d.envelope + (1.0 - c) * e);
    if (d.envelope > d.blockMax) {
      d.blockMax = d.envelope;
    }
    envelope[i] = d.envelope;
  }
}

void RunProcessor(GainProcessor& p, const double* signal, const double* reference, int n) {
  p.blockGain = 0.0;
  for (int i = 0; i < n; ++i) {
    double s = signal[i];
    double r = reference[i];
    // A signal below -40 dB follows the reference, which holds the gain near 1 on silence.
    if (std::fabs(s) < 0.01) {
      s = r;
    }
    s = std::fabs(s);
    double c = s > p.level ? p.attackCoef : p.releaseCoef;
    p.level = HoldFollower(c * p.level + (1.0 - c) * s);
    // A silent reference gives the ratio 1.
    if (std::fabs(r) < 1.0e-5) {
      r = p.level;
    }
    const double d = p.level == 0.0 ? 1.0 : p.level;
    double ratio = r / d;
    if (p.mode == ProcessorModeRms) {
      ratio = std::fabs(ratio);
      c = ratio > p.rmsState ? p.rmsRiseCoef : p.rmsFallCoef;
      p.rmsState = Dsp::CleanSample(c * p.rmsState + (1.0 - c) * ratio);
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
}

void FillProcessorSignal(int route, const double* frames, double* signal, int n) {
  for (int i = 0; i < n; ++i) {
    const double l = frames[2 * i];
    const double r = frames[2 * i + 1];
    switch (route) {
      case RouteMid: signal[i] = Mid(l, r); break;
      case RouteSide: signal[i] = Side(l, r); break;
      case RouteLeft: signal[i] = l; break;
      case RouteRight: signal[i] = r; break;
      default: return;
    }
  }
}

// Processors raising the gain (>= 1) keep the larger gain so far, the others the smaller one;
// a value that is not a number gives way to the other.
inline double CombineGain(double blockGain, double combined) {
  return blockGain >= 1.0 ? std::fmax(blockGain, combined) : std::fmin(blockGain, combined);
}

}  // namespace

double SmoothingCoefficient(double samples) { return samples > 0.0 ? std::exp(-1.0 / samples) : 0.0; }

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

Corvane::Corvane() { ReserveScratch(PreparedFrameCount()); }

bool Corvane::ReserveScratch(int n) {
  return mScratch.Reserve(static_cast<std::size_t>(n > 0 ? n : 1) * kScratchArrays);
}

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
  ReserveScratch(PreparedFrameCount());
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

void Corvane::FillDetectorSource(int index, const double* frames, double* source, int n) {
  LevelDetector& d = detectors[index];
  d.fixedSource = false;
  const int code = detectorSource[index];
  if (code == SourceIntMid || code == SourceIntSide) {
    for (int i = 0; i < n; ++i) {
      const double l = frames[2 * i], r = frames[2 * i + 1];
      source[i] = code == SourceIntMid ? Mid(l, r) : Side(l, r);
    }
  } else if (code == SourceExtMid || code == SourceExtSide) {
    if (!sidechainFrames) {
      return;
    }
    // The side chain arrives at the base rate: each of its frames serves `hold` frames.
    const int hold = oversampling > 1 ? oversampling : 1;
    for (int i = 0, k = 0, held = 0; i < n; ++i) {
      const double l = Dsp::CleanSample(sidechainFrames[2 * k]);
      const double r = Dsp::CleanSample(sidechainFrames[2 * k + 1]);
      source[i] = code == SourceExtMid ? Mid(l, r) : Side(l, r);
      if (++held == hold) {
        held = 0;
        ++k;
      }
    }
  } else if (code == SourceIntFix) {
    std::fill(source, source + n, 0.5);
    d.fixedSource = true;
  }
}

void Corvane::ProcessFrames(double* frames, int n) {
  if (n < 0 || n > INT_MAX / kScratchArrays || (n > 0 && !frames)) {
    return;
  }
  if (!ReserveScratch(n)) {
    return;  // a block larger than ever before and no memory for it: left unprocessed
  }
  double* scratch = mScratch.Data();
  std::fill(scratch, scratch + static_cast<std::size_t>(n) * kScratchArrays, 0.0);
  double* source[2] = {scratch, scratch + n};
  double* envelope[2] = {scratch + 2 * n, scratch + 3 * n};
  double* signal[2] = {scratch + 4 * n, scratch + 5 * n};
  const double* silence = scratch + 6 * n;

  // Every frame is written back below, so the input can be cleaned in place.
  for (int i = 0; i < 2 * n; ++i) {
    frames[i] = Dsp::CleanSample(frames[i]);
  }

  for (int j = 0; j < 2; ++j) {
    FillDetectorSource(j, frames, source[j], n);
    if (detectorOn[j]) {
      RunDetector(detectors[j], source[j], envelope[j], n);
    }
  }

  double combined = 1.0;
  for (int j = 0; j < 2; ++j) {
    FillProcessorSignal(processorRoute[j], frames, signal[j], n);
    const int ref = processorReference[j];
    const double* reference = ref == ReferenceDetector1 ? envelope[0] : ref == ReferenceDetector2 ? envelope[1] : silence;
    RunProcessor(processors[j], signal[j], reference, n);
    combined = CombineGain(processors[j].blockGain, combined);
  }

  if (stereoLink) {
    processors[0].blockGain = combined;
    processors[1].blockGain = combined;
  }
  const double g1 = processors[0].blockGain;
  const double g2 = processors[1].blockGain;
  const bool midSide = processorRoute[0] == RouteMid && processorRoute[1] == RouteSide;
  const bool sideMid = processorRoute[0] == RouteSide && processorRoute[1] == RouteMid;
  for (int i = 0; i < n; ++i) {
    const double p1 = signal[0][i] * g1;
    const double p2 = signal[1][i] * g2;
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
