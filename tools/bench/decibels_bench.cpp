#include "dsp/Decibels.h"
#include <benchmark/benchmark.h>

static void BM_DbToGain(benchmark::State& state) {
  double db = -60.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Corvane::DbToGain(db));
    db += 0.001;
  }
}
BENCHMARK(BM_DbToGain);
