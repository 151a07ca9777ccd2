#pragma once
// The gain-riding engine: two level detectors follow detector signals, two gain processors
// compare their own signals with a detector level and compute the gains that ride them.
#include "dsp/AudioProcessor.h"
#include "dsp/DspFilters.h"

namespace Corvane {

// Engine settings; the values are stored as int in the engine's fields.
enum DetectorSource {
  SourceIntMid = 0,   // mid of the main frame
  SourceIntSide = 1,  // side of the main frame
  SourceExtMid = 2,   // mid of the side-chain frame
  SourceExtSide = 3,  // side of the side-chain frame
  SourceIntFix = 4    // the constant 0.5, filters bypassed
};

enum ProcessorReference { ReferenceDetector1 = 0, ReferenceDetector2 = 1, ReferenceNone = 2 };

// Any other code gives a processor signal of zeros.
enum ProcessorRoute { RouteMid = 2, RouteSide = 3, RouteLeft = 5, RouteRight = 6 };

enum ProcessorModeKind { ProcessorModePeak = 0, ProcessorModeRms = 1 };

// One-pole smoothing coefficient exp(-1 / samples); 0 (no smoothing) when samples is not a
// positive number.
double SmoothingCoefficient(double samples);
// Coefficient for a time constant of ms milliseconds at rate Hz: exp(-1 / (rate * ms / 1000)).
double TimeConstantCoefficient(int rate, double ms);

class LevelDetector {
 public:
  // Cutoff fractions of the detector filters are kept in this range, so that a cutoff at or
  // above half the rate (or at 0 Hz) cannot give an unstable or degenerate design.
  static constexpr double kMinCutoffFraction = 1e-7;
  static constexpr double kMaxCutoffFraction = 0.49;

  // 44100 Hz, unity gain, no gate, 100 ms attack and release, filters at 20 Hz and 20 kHz.
  LevelDetector();

  // cutoff in Hz / sampleRate, limited to [kMinCutoffFraction, kMaxCutoffFraction].
  double CutoffFraction(double hz) const;
  // Redesign highPass or lowPass: order 1 at CutoffFraction(hz). The filter's state is kept.
  void DesignHighPass(double hz);
  void DesignLowPass(double hz);

  int sampleRate;         // processing rate, Hz (base rate x oversampling)
  double gate;            // linear amplitude below which the source counts as 0
  double gain;            // linear input gain
  double attackMs;
  double releaseMs;
  bool fixedSource;       // source is SourceIntFix: both filters bypassed
  double blockMax;        // largest envelope value of the last call
  double envelope;        // follower state
  int timeConstantRate;   // rate the time constants are computed for
  double attackCoef;
  double releaseCoef;
  Dsp::ButterHighPass<1, 1> highPass;
  Dsp::ButterLowPass<1, 1> lowPass;
};

class GainProcessor {
 public:
  // 44100 Hz, Peak mode, limits at unity, full scaler, 100 ms attack and release.
  GainProcessor();

  int sampleRate;
  int mode;               // ProcessorModeKind
  double maxGain;         // linear
  double minGain;         // linear
  double scaler;          // share of the full correction, 0..1
  bool reverse;           // apply the reciprocal gain
  double gain;            // gain of the last processed frame
  double attackMs;
  double releaseMs;
  double blockGain;       // gain applied to the last call
  double level;           // follower state of the processor signal
  int timeConstantRate;
  double attackCoef;
  double releaseCoef;
  double rmsState;        // ratio smoother of ProcessorModeRms
  int rmsRate;
  double rmsRiseCoef;
  double rmsFallCoef;
};

// A run of frames with one array per channel. An output may be the very array of an input
// (frame i is read whole before output i is written) but must not overlap one otherwise; a null
// side-chain channel reads as silence.
struct PlanarFrames {
  const double* left;
  const double* right;
  const double* sideLeft;
  const double* sideRight;
  double* outLeft;
  double* outRight;
};

// Where ProcessEachFrame leaves every frame's block gains of processors 1 and 2 and block
// maxima of detectors 1 and 2: arrays of one value per frame that overlap no frames.
struct FrameTrace {
  double* gain1;
  double* gain2;
  double* level1;
  double* level2;
};

class Corvane : public AudioProcessor {
 public:
  Corvane();

  // Processes n interleaved (L, R) frames in place. sidechainFrames must hold one (L, R)
  // frame per base-rate frame when a detector uses SourceExtMid or SourceExtSide; at an
  // oversampling factor f each side-chain frame serves f processed frames. A null
  // sidechainFrames reads as silence. Non-finite samples count as silence.
  void ProcessFrames(double* frames, int n) override;
  // Rates of detectors and processors = sampleRate x oversampling; clears the followers.
  // Attack and release coefficients are left as they are.
  void Init() override;

  // Runs n frames one at a time: every frame gives exactly what its own one-frame
  // ProcessBlock call with its side-chain frame would give, outputs, fields and gain (which
  // changes every frame) alike, and its block gains and maxima go to trace. The side-chain
  // pointer is left as it was.
  void ProcessEachFrame(const PlanarFrames& io, int n, const FrameTrace& trace);

  void SetDetectorAttack(int index, double ms);
  void SetDetectorRelease(int index, double ms);
  void SetProcessorAttack(int index, double ms);
  void SetProcessorRelease(int index, double ms);

  LevelDetector detectors[2];
  GainProcessor processors[2];
  bool detectorLink[2] = {false, false};
  bool processorLink[2] = {false, false};
  int detectorSource[2] = {SourceExtMid, SourceExtMid};
  int processorReference[2] = {ReferenceDetector1, ReferenceDetector1};
  int processorRoute[2] = {RouteLeft, RouteRight};
  const double* sidechainFrames = nullptr;  // not owned
  bool detectorOn[2] = {true, true};
  bool stereoLink = false;

 private:
  // ProcessEachFrame by one-frame ProcessBlock calls: for every road the fast one leaves out.
  void ProcessEachFrameByCalls(const PlanarFrames& io, int n, const FrameTrace& trace);

  // Source sample of detector index for frame i; side is the side-chain frame serving it.
  double DetectorSample(int index, const double* frames, int i, const double* side) const;
};

}  // namespace Corvane
