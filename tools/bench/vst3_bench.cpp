// The VST3 process call as a host makes it: stereo main input, stereo side chain (active) and
// stereo output, default parameters.
//  - BM_Vst3Process: the adapter's test plug-in (its block callback is a plain gain and mix), so
//    the figure is the adapter's own cost per block: parameter queues, binding, the float
//    conversions both ways, the run.
//  - BM_Vst3ModuleProcess: the effect itself in the module file VemtraCorvane.vst3, loaded and
//    driven as a host does (factory, createInstance, initialize, arrangement, set-up, process),
//    on a signal that keeps the ride moving. The module's 32-bit path reports each bound channel
//    on standard output, as it does in a host; that output goes to /dev/null while the blocks
//    are timed.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <vector>

#if defined(CORVANE_VST3_MODULE_FILE)
#include <dlfcn.h>

#include "tools/bench/module_bench.h"
#endif

#include "tests/vst3/vst3_test_plug.h"

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

void Silent(const char*) {}

// The host's side of one process call: a signal of `pieces` blocks per input channel (main
// left, right, side chain left, right) in both sample sizes, the output buffers and the
// process record, whose inputs Advance moves on to the next block of the signal.
class HostBlocks {
 public:
  HostBlocks(int32 sampleSize, int frames, int pieces, double (*signal)(int channel, size_t frame))
      : mIs64(sampleSize == kSample64), mFrames(static_cast<size_t>(frames)), mLength(mFrames * pieces) {
    for (int c = 0; c < 4; ++c) {
      mD[c].resize(mLength);
      mF[c].resize(mLength);
      for (size_t i = 0; i < mLength; ++i) {
        mD[c][i] = signal(c, i);
        mF[c][i] = static_cast<float>(mD[c][i]);
      }
    }
    mOutF.assign(2 * mFrames, 0.0f);
    mOutD.assign(2 * mFrames, 0.0);
    mOut32[0] = mOutF.data();
    mOut32[1] = mOutF.data() + mFrames;
    mOut64[0] = mOutD.data();
    mOut64[1] = mOutD.data() + mFrames;
    for (int b = 0; b < 2; ++b) {
      mInBuses[b].numChannels = 2;
      if (mIs64) {
        mInBuses[b].channelBuffers64 = mIn64[b];
      } else {
        mInBuses[b].channelBuffers32 = mIn32[b];
      }
    }
    mOutBus.numChannels = 2;
    if (mIs64) {
      mOutBus.channelBuffers64 = mOut64;
    } else {
      mOutBus.channelBuffers32 = mOut32;
    }
    data.processMode = kRealtime;
    data.symbolicSampleSize = sampleSize;
    data.numSamples = frames;
    data.numInputs = 2;
    data.numOutputs = 1;
    data.inputs = mInBuses;
    data.outputs = &mOutBus;
    Advance();
  }

  void Advance() {
    for (int c = 0; c < 4; ++c) {
      mIn32[c / 2][c % 2] = mF[c].data() + mAt;
      mIn64[c / 2][c % 2] = mD[c].data() + mAt;
    }
    mAt = (mAt + mFrames) % mLength;
  }
  void KeepOutput() {
    benchmark::DoNotOptimize(mOutF[0]);
    benchmark::DoNotOptimize(mOutD[0]);
  }

  ProcessData data{};

 private:
  bool mIs64;
  size_t mFrames, mLength, mAt = 0;
  std::vector<float> mF[4], mOutF;
  std::vector<double> mD[4], mOutD;
  float* mIn32[2][2] = {};
  double* mIn64[2][2] = {};
  float* mOut32[2] = {};
  double* mOut64[2] = {};
  AudioBusBuffers mInBuses[2] = {};
  AudioBusBuffers mOutBus = {};
};

// Arranged stereo with the side chain, buses active, set up and active.
void StartProcessing(IComponent* component, IAudioProcessor* processor, int32 sampleSize, int frames) {
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
  processor->setProcessing(true);
}

void StopProcessing(IComponent* component, IAudioProcessor* processor) {
  processor->setProcessing(false);
  component->setActive(false);
  component->terminate();
}

void CountFrames(benchmark::State& state, int frames) {
  state.SetItemsProcessed(state.iterations() * frames);  // stereo frames
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * frames,
                                                  benchmark::Counter::kIsRate);
}

void BM_Vst3Process(benchmark::State& state) {
  const int32 sampleSize = static_cast<int32>(state.range(0));
  const int frames = static_cast<int>(state.range(1));
  SetPlugConsoleSink(Silent);  // the 32-bit input binder reports every channel

  auto* plug = new vst3test::TestPlug();
  IAudioProcessor* processor = plug;
  IComponent* component = plug->asComponent();
  StartProcessing(component, processor, sampleSize, frames);
  HostBlocks blocks(sampleSize, frames, 1,
                    [](int c, size_t i) { return 0.5 * std::sin(0.01 * static_cast<double>(i + 1) * (c + 1)); });
  for (auto _ : state) {
    processor->process(blocks.data);
    blocks.KeepOutput();
  }
  if (plug->lastFrames != frames) state.SkipWithError("the block did not reach the plug-in");
  CountFrames(state, frames);
  StopProcessing(component, processor);
  processor->release();
  SetPlugConsoleSink(nullptr);
}
BENCHMARK(BM_Vst3Process)
    ->ArgNames({"size64", "frames"})
    ->Args({kSample32, 64})
    ->Args({kSample64, 64})
    ->Args({kSample32, 512});

#if defined(CORVANE_VST3_MODULE_FILE)

void BM_Vst3ModuleProcess(benchmark::State& state) {
  const int32 sampleSize = static_cast<int32>(state.range(0));
  const int frames = static_cast<int>(state.range(1));
  void* library = dlopen(CORVANE_VST3_MODULE_FILE, RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    state.SkipWithError("the module cannot be loaded");
    return;
  }
  using GetFactory = IPluginFactory* (*)();
  using Hook = bool (*)();
  auto getFactory = reinterpret_cast<GetFactory>(dlsym(library, "GetPluginFactory"));
  auto initDll = reinterpret_cast<Hook>(dlsym(library, "InitDll"));
  auto exitDll = reinterpret_cast<Hook>(dlsym(library, "ExitDll"));
  IPluginFactory* factory = getFactory && initDll && exitDll && initDll() ? getFactory() : nullptr;
  PClassInfo info{};
  void* obj = nullptr;
  if (!factory || factory->getClassInfo(0, &info) != kResultOk ||
      factory->createInstance(info.cid, IComponent::iid, &obj) != kResultOk) {
    state.SkipWithError("the module made no effect");
    if (factory) factory->release();
    dlclose(library);
    return;
  }
  auto* component = static_cast<IComponent*>(obj);
  IAudioProcessor* processor = nullptr;
  component->queryInterface(IAudioProcessor::iid, reinterpret_cast<void**>(&processor));
  StartProcessing(component, processor, sampleSize, frames);
  HostBlocks blocks(sampleSize, frames, 1024, RidingSignal);

  int32 result = kResultOk;
  {
    QuietStdout quiet;
    for (auto _ : state) {
      blocks.Advance();
      result |= processor->process(blocks.data);
      blocks.KeepOutput();
    }
  }
  if (result != kResultOk) state.SkipWithError("a process call failed");
  CountFrames(state, frames);
  StopProcessing(component, processor);
  processor->release();
  component->release();
  factory->release();
  exitDll();
  dlclose(library);
}
BENCHMARK(BM_Vst3ModuleProcess)
    ->ArgNames({"size64", "frames"})
    ->Args({kSample32, 64})
    ->Args({kSample64, 64});

#endif

}  // namespace
