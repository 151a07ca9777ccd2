// aax_render_host: renders a WAV file through an AAX module file as a host does, with the fake
// AAX host, for the comparison with the native offline renderer (render_compare.sh).
//   aax_render_host make-input OUTPUT.wav
//       the test host's deterministic signal with a mono side chain: channel 4 repeats channel
//       3, so a renderer with a stereo side chain hears what the AAX effect's one channel says
//   aax_render_host render MODULE INPUT.wav OUTPUT.wav
//       INPUT (stereo, the side chain in channel 3) through the module's "3-2" configuration in
//       64-frame blocks, default parameters; OUTPUT is stereo in INPUT's format
#include <algorithm>
#include <cstdio>
#include <string>

#include "fakehost/fake_module.h"
#include "fakehost/fake_params_host.h"
#include "fakehost/fake_registration_host.h"
#include "fakehost/fake_render_host.h"
#include "tools/vst3host/Vst3Host.h"
#include "tools/vst3host/WavFile.h"

namespace {

using namespace fakehost;

constexpr int kBlock = 64;
constexpr uint32_t kStereoStem = 0x00010002;
constexpr size_t kStereoComponent = 1;
constexpr int kSideChainChannel = 2;

int Fail(const std::string& error) {
  std::fprintf(stderr, "aax_render_host: %s\n", error.c_str());
  return 1;
}

int MakeInput(const std::string& path) {
  vst3host::Wav wav = vst3host::MakeTestSignal(44100, 2.0);
  for (long long i = 0; i < wav.Frames(); ++i) wav.samples[static_cast<size_t>(i * 4 + 3)] = wav.At(i, 2);
  std::string error;
  return vst3host::WriteWavFile(path, wav, &error) ? 0 : Fail(error);
}

// Renders input through a started instance; the output in input's rate and format.
vst3host::Wav RenderThrough(void* params, ProcessProcedure process, const vst3host::Wav& input) {
  vst3host::Wav output;
  output.sampleRate = input.sampleRate;
  output.format = input.format;
  output.channels = 2;
  RenderContext context(2, 2, kBlock, params);
  context.RouteSideChain(input.channels > kSideChainChannel);
  for (long long at = 0; at < input.Frames(); at += kBlock) {
    const int n = static_cast<int>(std::min<long long>(kBlock, input.Frames() - at));
    context.SetFrames(n);
    for (int c = 0; c < 3; ++c)
      for (int i = 0; i < n; ++i)
        context.in[c][i] = c < input.channels ? static_cast<float>(input.At(at + i, c)) : 0.f;
    context.Render(process);
    for (int i = 0; i < n; ++i)
      for (int c = 0; c < 2; ++c) output.samples.push_back(context.out[c][i]);
  }
  return output;
}

int Render(const std::string& modulePath, const std::string& inPath, const std::string& outPath) {
  vst3host::Wav input;
  std::string error;
  if (!vst3host::ReadWavFile(inPath, &input, &error)) return Fail(error);
  aaxfake::AaxModule module = aaxfake::LoadAaxModule(modulePath);
  if (!module.Complete()) return Fail("the module cannot be loaded");
  aaxfake::FakeRegistrationHost registry;
  void* definition = nullptr;
  if (module.startup(registry.Context()) != 0 || module.registerPlugin(registry.Context(), &definition) != 0)
    return Fail("the module did not register");
  aaxfake::FakeEffectDescriptor* effect = registry.CollectionOf(definition)->effects.at(0).descriptor;
  FakeParamsHost host;
  host.controller.sampleRate = static_cast<float>(input.sampleRate);
  host.controller.inputStem = host.controller.outputStem = kStereoStem;
  void* object = reinterpret_cast<void* (*)()>(effect->ProcedureOf(0))();
  void* params = nullptr;
  if (!object || CallSlot<int32_t>(object, kQueryInterface, &kEffectParameters, &params) != 0 ||
      CallSlot<int32_t>(params, kStartInstance, host.Interface()) != 0)
    return Fail("no instance");
  auto process = reinterpret_cast<ProcessProcedure>(
      effect->components.at(kStereoComponent)->processProcedures.at(0).callback);
  const vst3host::Wav output = RenderThrough(params, process, input);
  CallSlot<int32_t>(params, kStopInstance);
  CallSlot<uint32_t>(params, kRelease);
  aaxfake::RawRelease(definition);
  module.shutdown(registry.Context());
  return vst3host::WriteWavFile(outPath, output, &error) ? 0 : Fail(error);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "make-input" && argc == 3) return MakeInput(argv[2]);
  if (command == "render" && argc == 5) return Render(argv[2], argv[3], argv[4]);
  std::fputs("usage: aax_render_host make-input OUTPUT.wav\n"
             "       aax_render_host render MODULE INPUT.wav OUTPUT.wav\n", stderr);
  return 2;
}
