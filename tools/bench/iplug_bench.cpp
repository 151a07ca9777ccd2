// Framework core: sample conversion, the 32-bit audio path, the bypass delay, state chunks and
// host identification.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "tests/iplug/recording_plug.h"

namespace {

void Silent(const char*) {}

void BM_ConvertDoublesToFloats(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<double> in(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) in[static_cast<size_t>(i)] = std::sin(i * 0.01);
  std::vector<float> out(static_cast<size_t>(n));
  for (auto _ : state) {
    ConvertDoublesToFloats(out.data(), in.data(), n);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ConvertDoublesToFloats)->Arg(64)->Arg(512)->Arg(4096);

// One 32-bit block through bind, block callback (a copy) and conversion back, 4 in / 2 out.
void BM_FloatBlock(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  RecordingPlug plug(46);
  plug.SetMaxBlockSize(n);
  plug.MarkInputsConnected(0, 4, true);
  plug.MarkOutputsConnected(0, 2, true);
  std::vector<float> a(static_cast<size_t>(n), 0.25f), b(static_cast<size_t>(n), -0.5f), l(static_cast<size_t>(n)),
      r(static_cast<size_t>(n));
  float* ins[] = {a.data(), b.data(), a.data(), b.data()};
  float* outs[] = {l.data(), r.data()};
  SetPlugConsoleSink(Silent);
  for (auto _ : state) {
    plug.BindInputBuffersFloat(0, 4, ins, n);
    plug.BindOutputBuffersFloat(0, 2, outs);
    plug.RunProcessFloat(n);
    benchmark::DoNotOptimize(l.data());
  }
  SetPlugConsoleSink(nullptr);
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_FloatBlock)->Arg(64)->Arg(512);

void BM_PassThroughWithLatency(benchmark::State& state) {
  const int n = 512;
  RecordingPlug plug(1, "2-2", 0, false, static_cast<int>(state.range(0)));
  plug.CreateLatencyDelay();
  plug.SetMaxBlockSize(n);
  plug.MarkInputsConnected(0, 2, true);
  plug.MarkOutputsConnected(0, 2, true);
  std::vector<double> in(n, 0.5), l(n), r(n);
  double* ins[] = {in.data(), in.data()};
  double* outs[] = {l.data(), r.data()};
  for (auto _ : state) {
    plug.BindInputBuffers(0, 2, ins);
    plug.BindOutputBuffers(0, 2, outs);
    plug.RunPassThrough(n);
    benchmark::DoNotOptimize(l.data());
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_PassThroughWithLatency)->Arg(64)->Arg(4096);

void BM_StateRoundTrip(benchmark::State& state) {
  RecordingPlug plug(46);
  ByteBlock chunk;
  for (auto _ : state) {
    chunk.Clear();
    plug.SaveState(&chunk);
    plug.paramChanges.clear();
    benchmark::DoNotOptimize(plug.LoadState(&chunk, 0));
  }
}
BENCHMARK(BM_StateRoundTrip);

void BM_IdentifyHost(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(IdentifyHost("Steinberg WaveLab Pro 11 (x64)"));
}
BENCHMARK(BM_IdentifyHost);

}  // namespace
