#pragma once
// The gain-riding engine written plainly from its description: double arithmetic, one call per
// frame, the states in the objects, no vector code and no specialised loops. It is the yardstick
// the engine's speed is measured against, and on clean input it computes the same values.
#include "dsp/Corvane.h"

namespace Bench {

struct PlainFilter {
  double b0, b1, b2, a1, a2;
  double x1, x2, y1, y2;
  double Process(double x);  // Direct Form I
};

struct PlainDetector {
  double gate, gain, attackCoef, releaseCoef, envelope, blockMax;
  bool fixedSource;
  PlainFilter highPass, lowPass;
};

struct PlainProcessor {
  int mode;
  bool reverse;
  double maxGain, minGain, scaler, gain, blockGain;
  double level, attackCoef, releaseCoef;
  double rmsState, rmsRiseCoef, rmsFallCoef;
};

class PlainEngine {
 public:
  // Settings, coefficients and states as the engine has them.
  explicit PlainEngine(const Corvane::Corvane& engine);

  // One (L, R) frame in place, with its side-chain frame.
  void ProcessFrame(double* frame, const double* side);

  PlainDetector detectors[2];
  PlainProcessor processors[2];
  int detectorSource[2], processorReference[2], processorRoute[2];
  bool detectorOn[2], stereoLink;
};

}  // namespace Bench
