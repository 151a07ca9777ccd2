// The VST3 process call as a host makes it: stereo main input, stereo side chain (active) and
// stereo output, 64-frame blocks, default parameters. For now on the adapter's test plug-in
// (its block callback is a plain gain and mix), so the figure is the adapter's own cost per
// block: parameter queues, binding, the float conversions both ways, the run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "tests/vst3/vst3_test_plug.h"

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

void Silent(const char*) {}

void BM_Vst3Process(benchmark::State& state) {
  const int32 sampleSize = static_cast<int32>(state.range(0));
  const int frames = static_cast<int>(state.range(1));
  SetPlugConsoleSink(Silent);  // the 32-bit input binder reports every channel

  auto* plug = new vst3test::TestPlug();
  IAudioProcessor* processor = plug;
  IComponent* component = plug->asComponent();
  component->initialize(nullptr);
  SpeakerArrangement ins[] = {SpeakerArr::kStereo, SpeakerArr::kStereo};
  SpeakerArrangement outs[] = {SpeakerArr::kStereo};
  processor->setBusArrangements(ins, 2, outs, 1);
  component->activateBus(kAudio, kInput, 0, true);
  component->activateBus(kAudio, kInput, 1, true);
  component->activateBus(kAudio, kOutput, 0, true);
  ProcessSetup setup{kRealtime, sampleSize, frames, 44100.0};
  processor->setupProcessing(setup);
  component->setActive(true);

  const bool is64 = sampleSize == kSample64;
  std::vector<std::vector<float>> f(6, std::vector<float>(static_cast<size_t>(frames)));
  std::vector<std::vector<double>> d(6, std::vector<double>(static_cast<size_t>(frames)));
  for (int c = 0; c < 4; ++c) {
    for (int i = 0; i < frames; ++i) {
      d[c][i] = 0.5 * std::sin(0.01 * (i + 1) * (c + 1));
      f[c][i] = static_cast<float>(d[c][i]);
    }
  }
  float* in32[2][2] = {{f[0].data(), f[1].data()}, {f[2].data(), f[3].data()}};
  float* out32[2] = {f[4].data(), f[5].data()};
  double* in64[2][2] = {{d[0].data(), d[1].data()}, {d[2].data(), d[3].data()}};
  double* out64[2] = {d[4].data(), d[5].data()};
  AudioBusBuffers inBuses[2] = {};
  AudioBusBuffers outBus = {};
  for (int b = 0; b < 2; ++b) {
    inBuses[b].numChannels = 2;
    if (is64) {
      inBuses[b].channelBuffers64 = in64[b];
    } else {
      inBuses[b].channelBuffers32 = in32[b];
    }
  }
  outBus.numChannels = 2;
  if (is64) {
    outBus.channelBuffers64 = out64;
  } else {
    outBus.channelBuffers32 = out32;
  }
  ProcessData data{};
  data.processMode = kRealtime;
  data.symbolicSampleSize = sampleSize;
  data.numSamples = frames;
  data.numInputs = 2;
  data.numOutputs = 1;
  data.inputs = inBuses;
  data.outputs = &outBus;

  for (auto _ : state) {
    processor->process(data);
    benchmark::DoNotOptimize(f[4][0]);
    benchmark::DoNotOptimize(d[4][0]);
  }
  if (plug->lastFrames != frames) state.SkipWithError("the block did not reach the plug-in");
  state.SetItemsProcessed(state.iterations() * frames);  // stereo frames
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * frames,
                                                  benchmark::Counter::kIsRate);

  component->setActive(false);
  component->terminate();
  processor->release();
  SetPlugConsoleSink(nullptr);
}
BENCHMARK(BM_Vst3Process)
    ->ArgNames({"size64", "frames"})
    ->Args({kSample32, 64})
    ->Args({kSample64, 64})
    ->Args({kSample32, 512});

}  // namespace
