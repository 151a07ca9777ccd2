// The effect's block callback: 64-bit host blocks of 512 frames through the framework's block
// calls, with the default settings and a side chain, as the VST3 host would drive it. Items are
// stereo frames.
#include <benchmark/benchmark.h>

#ifdef CORVANE_ADAPTER_HEADER  // the effect is part of the build

#include <cstdint>
#include <vector>

#include "effect/VemtraCorvane.h"

namespace {

std::vector<double> Noise(size_t count, double amplitude, uint32_t seed) {
  std::vector<double> v(count);
  for (double& x : v) {
    seed = seed * 1664525u + 1013904223u;
    x = amplitude * ((seed >> 8) / 8388608.0 - 1.0);
  }
  return v;
}

void RunBlocks(benchmark::State& state, int preset, int automation) {
  const int n = 512;
  VemtraCorvane plug;
  plug.Start();
  plug.Prepare(48000.0, n);
  plug.RecallPreset(preset);
  plug.SetParameterValue(Automation, automation, kSourceEditor);
  // A few seconds of input, played in a loop.
  const size_t frames = 48000 * 4;
  std::vector<double> in[4] = {Noise(frames, 0.3, 1), Noise(frames, 0.3, 2), Noise(frames, 0.5, 3),
                               Noise(frames, 0.5, 4)};
  std::vector<double> out[2] = {std::vector<double>(n), std::vector<double>(n)};
  double* outs[2] = {out[0].data(), out[1].data()};
  size_t at = 0;
  for (auto _ : state) {
    double* ins[4] = {in[0].data() + at, in[1].data() + at, in[2].data() + at, in[3].data() + at};
    plug.ProcessBlock(ins, 4, outs, n);
    benchmark::DoNotOptimize(out[0].data());
    at += n;
    if (at + n > frames) at = 0;
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void BM_EffectBlockDefaults(benchmark::State& state) { RunBlocks(state, 0, AutomationIgnore); }
BENCHMARK(BM_EffectBlockDefaults);

// Both detectors and Mid / Side routing.
void BM_EffectBlockMidSideVocal(benchmark::State& state) { RunBlocks(state, 3, AutomationIgnore); }
BENCHMARK(BM_EffectBlockMidSideVocal);

// The Read road: the gain parameters applied without the engine.
void BM_EffectBlockRead(benchmark::State& state) { RunBlocks(state, 0, AutomationRead); }
BENCHMARK(BM_EffectBlockRead);

}  // namespace

#endif
