// The VST2 replacing float callback as a host makes it: the effect in the module file
// VemtraCorvane.so, loaded and driven through the published record (entry, open, rate, block
// size, resume), with default parameters, four inputs (main and side chain) and two outputs, in
// 64-frame blocks on a signal that keeps the ride moving. The figure includes everything the
// module does per block: binding, the float conversions both ways and the effect's block work.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <vector>

#include "tools/bench/module_bench.h"
#include "tools/vst2host/Vst2Host.h"

namespace {

using namespace vst2pub;

void BM_Vst2ModuleReplacingFloat(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  const std::size_t pieces = 1024;
  void* library = dlopen(CORVANE_VST2_MODULE_FILE, RTLD_NOW | RTLD_LOCAL);
  auto entry = library ? reinterpret_cast<EntryPoint>(dlsym(library, "VSTPluginMain")) : nullptr;
  vst2host::Host host;
  void* effect = entry ? host.Create(entry) : nullptr;
  if (!effect) {
    state.SkipWithError("the module made no plug-in");
    if (library) dlclose(library);
    return;
  }
  dispatch(effect, op::open);
  dispatch(effect, op::setSampleRate, 0, 0, nullptr, 44100.0f);
  dispatch(effect, op::setBlockSize, 0, frames);
  dispatch(effect, op::mainsChanged, 0, 1);

  const std::size_t length = static_cast<std::size_t>(frames) * pieces;
  std::vector<float> signal[4], out[2];
  for (int c = 0; c < 4; ++c) {
    signal[c].resize(length);
    for (std::size_t i = 0; i < length; ++i) signal[c][i] = static_cast<float>(RidingSignal(c, i));
  }
  for (auto& o : out) o.assign(static_cast<std::size_t>(frames), 0.0f);
  float* inputs[4] = {};
  float* outputs[2] = {out[0].data(), out[1].data()};
  std::size_t at = 0;
  {
    QuietStdout quiet;
    for (auto _ : state) {
      for (int c = 0; c < 4; ++c) inputs[c] = signal[c].data() + at;
      at = (at + static_cast<std::size_t>(frames)) % length;
      process<float>(effect, record::processReplacing, inputs, outputs, frames);
      benchmark::DoNotOptimize(out[0][0]);
    }
  }
  state.SetItemsProcessed(state.iterations() * frames);  // stereo frames
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * frames, benchmark::Counter::kIsRate);
  dispatch(effect, op::mainsChanged, 0, 0);
  dispatch(effect, op::close);
  dlclose(library);
}
BENCHMARK(BM_Vst2ModuleReplacingFloat)->ArgNames({"frames"})->Arg(64);

}  // namespace
