#pragma once
// Helpers shared by the engine tests: a forced SSE3 flag, deterministic noise and an engine
// set up the way the plug-in's reset leaves it.
#include <cstdint>
#include <vector>

#include "dsp/Corvane.h"
#include "dsp/CpuFeatures.h"

namespace CorvaneTest {

// Forces the SSE3 flag for the lifetime of the object.
class ScopedSse3 {
 public:
  explicit ScopedSse3(bool on) : mSaved(Dsp::gCpuFeatures.sse3) { Dsp::gCpuFeatures.sse3 = on; }
  ~ScopedSse3() { Dsp::gCpuFeatures.sse3 = mSaved; }

 private:
  bool mSaved;
};

// Uniform noise in [-amplitude, amplitude), the same sequence on every platform.
inline std::vector<double> Noise(std::size_t count, double amplitude, std::uint32_t seed = 12345) {
  std::vector<double> v(count);
  std::uint32_t s = seed;
  for (double& x : v) {
    s = s * 1664525u + 1013904223u;
    x = amplitude * ((s >> 8) / 8388608.0 - 1.0);
  }
  return v;
}

// The calls the plug-in makes after a sample-rate change.
inline void ResetEngine(Corvane::Corvane& e, int rate) {
  e.SetSampleRate(rate);
  e.SetChannels(2);
  e.SetOversampling(1);
  e.Reset();
}

// Runs the engine one frame per call, as the block callback does, over interleaved main and
// side-chain frames; the output replaces the main frames.
inline void RunFrames(Corvane::Corvane& e, std::vector<double>& main, const std::vector<double>& side) {
  for (std::size_t i = 0; i + 1 < main.size(); i += 2) {
    e.sidechainFrames = side.empty() ? nullptr : &side[i];
    e.ProcessBlock(&main[i], 1);
  }
}

// Runs count frames of a constant main and side-chain frame; returns the last output frame.
inline std::vector<double> RunConstant(Corvane::Corvane& e, int count, double l, double r, double sl = 0.0,
                                       double sr = 0.0) {
  double frame[2] = {0.0, 0.0};
  const double side[2] = {sl, sr};
  e.sidechainFrames = side;
  for (int i = 0; i < count; ++i) {
    frame[0] = l;
    frame[1] = r;
    e.ProcessBlock(frame, 1);
  }
  return {frame[0], frame[1]};
}

}  // namespace CorvaneTest
