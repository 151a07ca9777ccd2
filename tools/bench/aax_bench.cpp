// The AAX render callback as a host calls it: the effect itself in the module file
// VemtraCorvane.aaxplugin, loaded and driven as a host does (startup, registration, procedure 0,
// start on the host's context), then the registered process procedure over the instance's
// context, in 64-frame blocks, stereo with the side chain routed, default parameters, on a
// signal that keeps the ride moving. The fake AAX host of the tests plays the host.
#include <benchmark/benchmark.h>

#if defined(CORVANE_AAX_MODULE_FILE)
#include <dlfcn.h>

#include "fakehost/fake_params_host.h"
#include "fakehost/fake_registration_host.h"
#include "fakehost/fake_render_host.h"
#include "tools/bench/module_bench.h"

namespace {

using namespace fakehost;

constexpr uint32_t kStereoStem = 0x00010002;
constexpr int kStereoComponent = 1;  // "3-2"
constexpr int kPieces = 1024;

// The module's exports a host needs here.
struct Exports {
  using Entry = int32_t (*)(void*);
  using Register = int32_t (*)(void*, void**);
  void* library = dlopen(CORVANE_AAX_MODULE_FILE, RTLD_NOW | RTLD_LOCAL);
  Entry startup = library ? reinterpret_cast<Entry>(dlsym(library, "ACFStartup")) : nullptr;
  Entry shutdown = library ? reinterpret_cast<Entry>(dlsym(library, "ACFShutdown")) : nullptr;
  Register registerPlugin = library ? reinterpret_cast<Register>(dlsym(library, "ACFRegisterPlugin")) : nullptr;
  ~Exports() {
    if (library) dlclose(library);
  }
  bool Complete() const { return startup && shutdown && registerPlugin; }
};

void BM_AaxModuleRender(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  Exports module;
  aaxfake::FakeRegistrationHost registry;
  void* definition = nullptr;
  if (!module.Complete() || module.startup(registry.Context()) != 0 ||
      module.registerPlugin(registry.Context(), &definition) != 0) {
    state.SkipWithError("the module cannot be loaded or registered");
    return;
  }
  aaxfake::FakeEffectDescriptor* effect = registry.CollectionOf(definition)->effects.at(0).descriptor;
  auto process = reinterpret_cast<ProcessProcedure>(
      effect->components.at(kStereoComponent)->processProcedures.at(0).callback);
  FakeParamsHost host;
  host.controller.inputStem = host.controller.outputStem = kStereoStem;
  void* object = reinterpret_cast<void* (*)()>(effect->ProcedureOf(0))();
  void* params = nullptr;
  CallSlot<int32_t>(object, kQueryInterface, &kEffectParameters, &params);
  CallSlot<int32_t>(params, kStartInstance, host.Interface());

  RenderContext context(2, 2, frames, params);
  context.RouteSideChain(true);
  std::vector<float> signal[3];
  for (int c = 0; c < 3; ++c) {
    for (size_t i = 0; i < static_cast<size_t>(frames) * kPieces; ++i) signal[c].push_back(static_cast<float>(RidingSignal(c, i)));
  }
  {
    QuietStdout quiet;
    size_t piece = 0;
    for (auto _ : state) {
      const size_t at = (piece++ % kPieces) * static_cast<size_t>(frames);
      for (int c = 0; c < 3; ++c) std::copy(signal[c].begin() + at, signal[c].begin() + at + frames, context.in[c].begin());
      context.Render(process);
      benchmark::DoNotOptimize(context.out[0][0]);
    }
  }
  state.SetItemsProcessed(state.iterations() * frames);  // stereo frames
  CallSlot<int32_t>(params, kStopInstance);
  CallSlot<uint32_t>(params, kRelease);
  aaxfake::RawRelease(definition);
  module.shutdown(registry.Context());
}
BENCHMARK(BM_AaxModuleRender)->ArgNames({"frames"})->Arg(64);

}  // namespace
#endif
