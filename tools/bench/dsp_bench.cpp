// Engine throughput in stereo frames with a side chain: frame by frame over host blocks as the
// block callback runs it, side by side with the plain version (the ratio is printed), and for
// comparison one engine call per frame and one call per host block.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "dsp/Corvane.h"
#include "dsp/Decibels.h"
#include "dsp/render_fingerprint.h"
#include "plain_engine.h"

namespace {

using Engine = Corvane::Corvane;

std::vector<double> Noise(std::size_t count, double amplitude, std::uint32_t seed) {
  std::vector<double> v(count);
  for (double& x : v) {
    seed = seed * 1664525u + 1013904223u;
    x = amplitude * ((seed >> 8) / 8388608.0 - 1.0);
  }
  return v;
}

// The engine as the plug-in's reset and its default parameters leave it ("Stereo" mode).
void ConfigureDefaults(Engine& e) {
  e.SetSampleRate(44100);
  e.SetChannels(2);
  e.SetOversampling(1);
  e.Reset();
  for (int j = 0; j < 2; ++j) {
    e.detectorSource[j] = Corvane::SourceExtMid;
    e.detectors[j].gate = Corvane::DbToGain(-100.0);
    e.detectors[j].gain = Corvane::DbToGain(0.0);
    e.SetDetectorAttack(j, 500.0);
    e.SetDetectorRelease(j, 500.0);
    e.detectors[j].DesignHighPass(20.0);
    e.detectors[j].DesignLowPass(20000.0);
    e.processorReference[j] = Corvane::ReferenceDetector1;
    e.SetProcessorAttack(j, 500.0);
    e.SetProcessorRelease(j, 500.0);
    e.processors[j].mode = Corvane::ProcessorModeRms;
    e.processors[j].maxGain = Corvane::DbToGain(12.0);
    e.processors[j].minGain = Corvane::DbToGain(-12.0);
    e.processors[j].scaler = 0.5;
  }
  e.detectorOn[0] = true;
  e.detectorOn[1] = false;
  e.processorRoute[0] = Corvane::RouteLeft;
  e.processorRoute[1] = Corvane::RouteRight;
  e.stereoLink = true;
}

void ConfigureMidSide(Engine& e) {
  ConfigureDefaults(e);
  e.detectorOn[1] = true;
  e.detectorSource[1] = Corvane::SourceExtSide;
  e.processorReference[1] = Corvane::ReferenceDetector2;
  e.processorRoute[0] = Corvane::RouteMid;
  e.processorRoute[1] = Corvane::RouteSide;
  e.stereoLink = false;
}

// One host block, one engine call per frame: input and output buffers stay apart so that
// every iteration sees the same signal.
void RunPerFrame(Engine& e, const std::vector<double>& in, const std::vector<double>& side, std::vector<double>& out) {
  const std::size_t n = in.size();
  for (std::size_t i = 0; i < n; i += 2) {
    double frame[2] = {in[i], in[i + 1]};
    e.sidechainFrames = &side[i];
    e.ProcessBlock(frame, 1);
    out[i] = frame[0];
    out[i + 1] = frame[1];
  }
}

enum Scenario { kDefaults, kMidSide, kSilenceAfterLoud };

// An engine that has heard one second of loud noise and then enough silence for every
// follower and filter state to have decayed as far as it ever will.
Engine& SilentEngine() {
  static std::unique_ptr<Engine> engine = [] {
    auto e = std::make_unique<Engine>();
    ConfigureDefaults(*e);
    std::vector<double> loud = Noise(2 * 44100, 0.9, 7), side = Noise(2 * 44100, 0.9, 8), out(2 * 44100);
    RunPerFrame(*e, loud, side, out);
    std::vector<double> silence(2 * 44100, 0.0);
    for (int second = 0; second < 300; ++second) {
      RunPerFrame(*e, silence, silence, out);
    }
    return e;
  }();
  return *engine;
}

void RunCorvane(benchmark::State& state, Scenario scenario, bool perFrame) {
  const int block = static_cast<int>(state.range(0));
  std::unique_ptr<Engine> own;
  Engine* e = nullptr;
  std::vector<double> in, side;
  if (scenario == kSilenceAfterLoud) {
    e = &SilentEngine();
    in.assign(2 * block, 0.0);
    side.assign(2 * block, 0.0);
  } else {
    own = std::make_unique<Engine>();
    e = own.get();
    scenario == kDefaults ? ConfigureDefaults(*e) : ConfigureMidSide(*e);
    in = Noise(2 * block, 0.5, 1);
    side = Noise(2 * block, 0.5, 2);
  }
  std::vector<double> out(2 * block);
  for (auto _ : state) {
    if (perFrame) {
      RunPerFrame(*e, in, side, out);
    } else {
      out = in;
      e->sidechainFrames = side.data();
      e->ProcessBlock(out.data(), block);
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  const double frames = static_cast<double>(state.iterations()) * block;
  state.SetItemsProcessed(static_cast<int64_t>(frames));
  state.counters["per_frame"] = benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Corvane(benchmark::State& state, Scenario scenario) { RunCorvane(state, scenario, true); }
void BM_CorvaneWholeBlock(benchmark::State& state, Scenario scenario) { RunCorvane(state, scenario, false); }

// Ten seconds of speech with a side chain at 44.1 kHz, in the block callback's layout (one array
// per channel) and as interleaved frames for the plain version.
struct Speech {
  static constexpr std::size_t kFrames = 441000;
  std::vector<double> l, r, sl, sr, frames, side;
  Speech() {
    CorvaneTest::StereoSpeech(5, kFrames, l, r);
    CorvaneTest::StereoSpeech(9, kFrames, sl, sr);
    frames.resize(2 * kFrames);
    side.resize(2 * kFrames);
    for (std::size_t i = 0; i < kFrames; ++i) {
      frames[2 * i] = l[i];
      frames[2 * i + 1] = r[i];
      side[2 * i] = sl[i];
      side[2 * i + 1] = sr[i];
    }
  }
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The engine frame by frame over host blocks of 512, against the plain version over the same
// ten seconds, alternately; the best pass of each counts (the machine may be busy). Items are
// the engine's stereo frames. Both must give the same output.
void BM_CorvaneAgainstPlain(benchmark::State& state, Scenario scenario) {
  static const Speech speech;
  constexpr int kBlock = 512;
  const std::size_t n = Speech::kFrames;
  std::vector<double> outL(n), outR(n), plainOut(2 * n), trace(4 * kBlock);
  const Corvane::FrameTrace into{trace.data(), trace.data() + kBlock, trace.data() + 2 * kBlock,
                                 trace.data() + 3 * kBlock};
  double bestEngine = 1e300, bestPlain = 1e300;
  for (auto _ : state) {
    auto e = std::make_unique<Engine>();
    scenario == kDefaults ? ConfigureDefaults(*e) : ConfigureMidSide(*e);
    Bench::PlainEngine plain(*e);
    auto start = std::chrono::steady_clock::now();
    for (std::size_t at = 0; at < n; at += kBlock) {
      const int count = static_cast<int>(std::min<std::size_t>(kBlock, n - at));
      e->ProcessEachFrame({&speech.l[at], &speech.r[at], &speech.sl[at], &speech.sr[at], &outL[at], &outR[at]},
                          count, into);
    }
    bestEngine = std::min(bestEngine, Seconds(start));
    plainOut = speech.frames;
    start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < n; ++i) {
      plain.ProcessFrame(&plainOut[2 * i], &speech.side[2 * i]);
    }
    bestPlain = std::min(bestPlain, Seconds(start));
    benchmark::DoNotOptimize(outL.data());
    benchmark::DoNotOptimize(plainOut.data());
  }
  // The same values (the engine turns a -0 input into +0, as it cleans every sample).
  for (std::size_t i = 0; i < n; ++i) {
    if (outL[i] != plainOut[2 * i] || outR[i] != plainOut[2 * i + 1]) {
      state.SkipWithError("the engine and the plain version differ");
      return;
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
  state.counters["engine_Mfps"] = n / bestEngine / 1e6;
  state.counters["plain_Mfps"] = n / bestPlain / 1e6;
  state.counters["ratio"] = bestPlain / bestEngine;
}

}  // namespace

BENCHMARK_CAPTURE(BM_CorvaneAgainstPlain, defaults_sidechain, kDefaults)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CorvaneAgainstPlain, midside_two_detectors, kMidSide)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Corvane, defaults_sidechain, kDefaults)->Arg(256);
BENCHMARK_CAPTURE(BM_Corvane, silence_after_loud, kSilenceAfterLoud)->Arg(32)->Arg(256)->Arg(4096);
BENCHMARK_CAPTURE(BM_CorvaneWholeBlock, defaults, kDefaults)->Arg(32)->Arg(256)->Arg(4096);
BENCHMARK_CAPTURE(BM_CorvaneWholeBlock, silence_after_loud, kSilenceAfterLoud)->Arg(32)->Arg(256)->Arg(4096);
