#pragma once
// Helpers of the effect tests: the effect on the offline adapter, an editor that records what
// the effect hands it, deterministic signals and a host-like block runner.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "effect/VemtraCorvane.h"
#include "iplug/recording_plug.h"

namespace EffectTest {

// Uniform noise in [-amplitude, amplitude), the same on every platform.
inline std::vector<double> Noise(size_t count, double amplitude, uint32_t seed = 12345) {
  std::vector<double> v(count);
  for (double& x : v) {
    seed = seed * 1664525u + 1013904223u;
    x = amplitude * ((seed >> 8) / 8388608.0 - 1.0);
  }
  return v;
}

inline std::vector<double> Sine(size_t count, double amplitude, double cyclesPerSample, double phase = 0.0) {
  std::vector<double> v(count);
  for (size_t i = 0; i < count; ++i) v[i] = amplitude * std::sin(6.283185307179586 * cyclesPerSample * i + phase);
  return v;
}

// Whether two detector filters have the same design (coefficients of their one stage).
template <class Filter>
bool SameStage(const Filter& actual, const Filter& expected) {
  const Dsp::Stage& a = actual.GetStage(0);
  const Dsp::Stage& e = expected.GetStage(0);
  return a.a0 == e.a0 && a.a1 == e.a1 && a.a2 == e.a2 && a.b0 == e.b0 && a.b1 == e.b1 && a.b2 == e.b2;
}

// Whether two processors have the same settings (not the same running state).
inline void ExpectSameProcessorSettings(const Corvane::GainProcessor& p, const Corvane::GainProcessor& q) {
  EXPECT_EQ(p.maxGain, q.maxGain);
  EXPECT_EQ(p.minGain, q.minGain);
  EXPECT_EQ(p.attackCoef, q.attackCoef);
  EXPECT_EQ(p.releaseCoef, q.releaseCoef);
  EXPECT_EQ(p.scaler, q.scaler);
  EXPECT_EQ(p.reverse, q.reverse);
  EXPECT_EQ(p.mode, q.mode);
}

// The effect as a host has it after start-up (preset 0) and set-up.
struct Effect : VemtraCorvane {
  explicit Effect(double rate = 44100.0, int block = 512) {
    Start();
    Prepare(rate, block);
  }
  // Attaches a recording editor and returns it (the effect owns it).
  RecordingEditor* AttachEditor() {
    auto* editor = new RecordingEditor();
    BindGraphics(editor);
    editor->updates.clear();
    editor->calls.clear();
    return editor;
  }
  double V(int index) const { return GetParam(index)->Value(); }
  void SetFromEditor(int index, double value) { SetParameterValue(index, value, kSourceEditor); }
};

// Four input channels (main left and right, side chain left and right) and two outputs, run
// through the adapter in host blocks.
struct Signals {
  std::vector<double> in[4];
  std::vector<double> out[2];

  explicit Signals(size_t n) {
    for (auto& c : in) c.assign(n, 0.0);
    for (auto& c : out) c.assign(n, 0.0);
  }
  size_t Frames() const { return in[0].size(); }

  // Runs frames [from, from + n) as one block; nInputs channels are connected (2: no side chain).
  void Block(IPlugOffline& plug, size_t from, int n, int nInputs = 4) {
    double* ins[4];
    for (int c = 0; c < 4; ++c) ins[c] = in[c].data() + from;
    double* outs[2] = {out[0].data() + from, out[1].data() + from};
    plug.ProcessBlock(ins, nInputs, outs, n);
  }
  // Everything in blocks of `block` frames (the last one shorter).
  void Run(IPlugOffline& plug, int block, int nInputs = 4) {
    for (size_t at = 0; at < Frames(); at += block) {
      const int n = static_cast<int>(std::min<size_t>(block, Frames() - at));
      Block(plug, at, n, nInputs);
    }
  }
};

}  // namespace EffectTest
