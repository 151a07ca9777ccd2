// The plain engine: the steps of the description in their order, for a call of one frame.
#include "plain_engine.h"

#include <cmath>

namespace Bench {

namespace {

PlainFilter CopyFilter(const Dsp::CascadeFilter& f) {
  const Dsp::Stage& c = f.GetStage(0);
  const Dsp::StageState& s = f.State(0, 0);
  return PlainFilter{c.b0, c.b1, c.b2, c.a1, c.a2, s.x1, s.x2, s.y1, s.y2};
}

double Mid(double l, double r) { return (l + r) * 0.5; }
double Side(double l, double r) { return (l - r) * 0.5; }

double SourceSample(int source, const double* frame, const double* side, bool& fixed) {
  fixed = false;
  switch (source) {
    case Corvane::SourceIntMid: return Mid(frame[0], frame[1]);
    case Corvane::SourceIntSide: return Side(frame[0], frame[1]);
    case Corvane::SourceExtMid: return Mid(side[0], side[1]);
    case Corvane::SourceExtSide: return Side(side[0], side[1]);
    case Corvane::SourceIntFix: fixed = true; return 0.5;
    default: return 0.0;
  }
}

double RouteSample(int route, const double* frame) {
  switch (route) {
    case Corvane::RouteMid: return Mid(frame[0], frame[1]);
    case Corvane::RouteSide: return Side(frame[0], frame[1]);
    case Corvane::RouteLeft: return frame[0];
    case Corvane::RouteRight: return frame[1];
    default: return 0.0;
  }
}

double DetectorStep(PlainDetector& d, double x) {
  d.blockMax = 0.0;
  if (d.gate > std::fabs(x)) x = 0.0;
  x = x * d.gain;
  if (!d.fixedSource) {
    x = d.highPass.Process(x);
    x = d.lowPass.Process(x);
  }
  const double e = std::fabs(x);
  const double c = e > d.envelope ? d.attackCoef : d.releaseCoef;
  d.envelope = c * d.envelope + (1.0 - c) * e;
  if (d.envelope > d.blockMax) d.blockMax = d.envelope;
  return d.envelope;
}

void ProcessorStep(PlainProcessor& p, double s, double r) {
  p.blockGain = 0.0;
  if (std::fabs(s) < 0.01) s = r;
  s = std::fabs(s);
  double c = s > p.level ? p.attackCoef : p.releaseCoef;
  p.level = c * p.level + (1.0 - c) * s;
  if (std::fabs(r) < 1.0e-5) r = p.level;
  const double d = p.level == 0.0 ? 1.0 : p.level;
  double ratio = r / d;
  if (p.mode == Corvane::ProcessorModeRms) {
    ratio = std::fabs(ratio);
    c = ratio > p.rmsState ? p.rmsRiseCoef : p.rmsFallCoef;
    p.rmsState = c * p.rmsState + (1.0 - c) * ratio;
    ratio = p.rmsState;
  }
  double g = 1.0 - (1.0 - ratio) * p.scaler;
  if (p.reverse) g = 1.0 / g;
  if (g > p.maxGain) g = p.maxGain;
  if (g < p.minGain) g = p.minGain;
  p.gain = g;
  if (g > p.blockGain) p.blockGain = g;
}

double Combine(double blockGain, double b) {
  if (std::isnan(blockGain)) return b;
  if (std::isnan(b)) return blockGain;
  if (blockGain >= 1.0) return blockGain > b ? blockGain : b;
  return blockGain < b ? blockGain : b;
}

}  // namespace

double PlainFilter::Process(double x) {
  const double y = b0 * x + b1 * x1 + b2 * x2 + a1 * y1 + a2 * y2;
  x2 = x1;
  x1 = x;
  y2 = y1;
  y1 = y;
  return y;
}

PlainEngine::PlainEngine(const Corvane::Corvane& e) {
  for (int j = 0; j < 2; ++j) {
    const Corvane::LevelDetector& d = e.detectors[j];
    detectors[j] = PlainDetector{d.gate,     d.gain,        d.attackCoef,          d.releaseCoef,
                                 d.envelope, d.blockMax,    d.fixedSource,         CopyFilter(d.highPass),
                                 CopyFilter(d.lowPass)};
    const Corvane::GainProcessor& p = e.processors[j];
    processors[j] = PlainProcessor{p.mode,       p.reverse,    p.maxGain,  p.minGain,      p.scaler,
                                   p.gain,       p.blockGain,  p.level,    p.attackCoef,   p.releaseCoef,
                                   p.rmsState,   p.rmsRiseCoef, p.rmsFallCoef};
    detectorSource[j] = e.detectorSource[j];
    processorReference[j] = e.processorReference[j];
    processorRoute[j] = e.processorRoute[j];
    detectorOn[j] = e.detectorOn[j];
  }
  stereoLink = e.stereoLink;
}

void PlainEngine::ProcessFrame(double* frame, const double* side) {
  double envelope[2] = {0.0, 0.0};
  for (int j = 0; j < 2; ++j) {
    const double x = SourceSample(detectorSource[j], frame, side, detectors[j].fixedSource);
    if (detectorOn[j]) envelope[j] = DetectorStep(detectors[j], x);
  }
  double p[2];
  double b = 1.0;
  for (int j = 0; j < 2; ++j) {
    const int ref = processorReference[j];
    const double r = ref == Corvane::ReferenceDetector1   ? envelope[0]
                     : ref == Corvane::ReferenceDetector2 ? envelope[1]
                                                          : 0.0;
    p[j] = RouteSample(processorRoute[j], frame);
    ProcessorStep(processors[j], p[j], r);
    b = Combine(processors[j].blockGain, b);
  }
  if (stereoLink) processors[0].blockGain = processors[1].blockGain = b;
  const double p1 = p[0] * processors[0].blockGain;
  const double p2 = p[1] * processors[1].blockGain;
  if (processorRoute[0] == Corvane::RouteMid && processorRoute[1] == Corvane::RouteSide) {
    frame[0] = p1 + p2;
    frame[1] = p1 - p2;
  } else if (processorRoute[0] == Corvane::RouteSide && processorRoute[1] == Corvane::RouteMid) {
    frame[0] = p2 + p1;
    frame[1] = p2 - p1;
  } else {
    frame[0] = p1;
    frame[1] = p2;
  }
}

}  // namespace Bench
