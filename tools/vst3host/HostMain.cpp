// corvane_vst3host: a VST3 test host. It renders a WAV file through a module file as a host
// does, writes the deterministic test signal, and compares two WAV files.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/vst3host/Vst3Host.h"

namespace {

const char kUsage[] =
    "usage: corvane_vst3host render [--block N] [--32] [--preset NAME] MODULE INPUT.wav OUTPUT.wav\n"
    "       corvane_vst3host make-input [--seconds S] [--rate R] OUTPUT.wav\n"
    "       corvane_vst3host compare [--tolerance T] A.wav B.wav\n"
    "\n"
    "render      runs INPUT (stereo, or stereo with the side chain in channels 3 and 4) through the\n"
    "            module's effect in blocks of N frames (default 512), in 64-bit samples (--32:\n"
    "            32-bit), after recalling the program NAME; OUTPUT is stereo in INPUT's format\n"
    "make-input  the deterministic test signal (4 channels, 32-bit PCM; default 2 s at 44100 Hz)\n"
    "compare     the largest sample difference; fails above T (default 0)\n";

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int Usage() {
  std::fputs(kUsage, stderr);
  return kExitUsage;
}

int Fail(const std::string& error) {
  std::fprintf(stderr, "corvane_vst3host: %s\n", error.c_str());
  return kExitFailed;
}

bool ParseNumber(const char* text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text, &end);
  return end != text && *end == 0;
}

// Options (given before the file names) and the file names.
struct Arguments {
  std::vector<std::pair<std::string, std::string>> options;
  std::vector<std::string> files;
};

// Options that take a value are listed in `valued`; false for an unknown option.
bool Split(int argc, char** argv, const std::vector<std::string>& valued, const std::vector<std::string>& flags,
           Arguments* out) {
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      bool known = false;
      for (const std::string& v : valued) {
        if (a == v && i + 1 < argc) {
          out->options.emplace_back(a, argv[++i]);
          known = true;
        }
      }
      for (const std::string& f : flags) {
        if (a == f) {
          out->options.emplace_back(a, "");
          known = true;
        }
      }
      if (!known) return false;
    } else {
      out->files.push_back(a);
    }
  }
  return true;
}

int Render(const Arguments& args) {
  vst3host::RenderOptions options;
  for (const auto& [name, value] : args.options) {
    double n = 0;
    if (name == "--block") {
      if (!ParseNumber(value.c_str(), &n) || n < 1 || n > 65536 || n != static_cast<int>(n)) return Usage();
      options.blockSize = static_cast<int>(n);
    } else if (name == "--32") {
      options.sample64 = false;
    } else if (name == "--preset") {
      options.preset = value;
    }
  }
  if (args.files.size() != 3) return Usage();
  std::string error;
  vst3host::Wav in, out;
  if (!vst3host::ReadWavFile(args.files[1], &in, &error)) return Fail(error);

  vst3host::Module module;
  if (!vst3host::LoadModule(args.files[0], &module, &error)) return Fail(error);
  bool ok = !module.initDll || module.initDll();
  if (!ok) error = "InitDll refused";
  void* factory = ok ? module.getPluginFactory() : nullptr;
  if (ok && !factory) {
    error = "GetPluginFactory gave no factory";
    ok = false;
  }
  if (ok) ok = vst3host::RenderThroughFactory(factory, in, &out, options, &error);
  if (factory) published::release(factory);
  if (module.exitDll) module.exitDll();
  vst3host::UnloadModule(&module);
  if (!ok) return Fail(error);
  if (!vst3host::WriteWavFile(args.files[2], out, &error)) return Fail(error);
  std::printf("rendered %lld frames at %d Hz (%s, blocks of %d, %s samples)\n", out.Frames(), out.sampleRate,
              vst3host::WavFormatName(out.format), options.blockSize, options.sample64 ? "64-bit" : "32-bit");
  return 0;
}

int MakeInput(const Arguments& args) {
  double seconds = 2.0, rate = 44100.0;
  for (const auto& [name, value] : args.options) {
    double* target = name == "--seconds" ? &seconds : &rate;
    if (!ParseNumber(value.c_str(), target)) return Usage();
  }
  if (args.files.size() != 1 || seconds <= 0 || seconds > 3600 || rate < 1 || rate > 768000 ||
      rate != static_cast<int>(rate))
    return Usage();
  std::string error;
  if (!vst3host::WriteWavFile(args.files[0], vst3host::MakeTestSignal(static_cast<int>(rate), seconds), &error))
    return Fail(error);
  return 0;
}

int Compare(const Arguments& args) {
  double tolerance = 0.0;
  for (const auto& option : args.options) {
    if (!ParseNumber(option.second.c_str(), &tolerance) || tolerance < 0) return Usage();
  }
  if (args.files.size() != 2) return Usage();
  std::string error;
  vst3host::Wav a, b;
  if (!vst3host::ReadWavFile(args.files[0], &a, &error) || !vst3host::ReadWavFile(args.files[1], &b, &error))
    return Fail(error);
  double worst = 0.0;
  long long frame = 0;
  if (!vst3host::CompareWav(a, b, &worst, &frame, &error)) return Fail(error);
  std::printf("%lld frames, largest difference %.3g (frame %lld), tolerance %.3g\n", a.Frames(), worst, frame,
              tolerance);
  return worst <= tolerance ? 0 : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  Arguments args;
  if (command == "render") {
    if (!Split(argc, argv, {"--block", "--preset"}, {"--32"}, &args)) return Usage();
    return Render(args);
  }
  if (command == "make-input") {
    if (!Split(argc, argv, {"--seconds", "--rate"}, {}, &args)) return Usage();
    return MakeInput(args);
  }
  if (command == "compare") {
    if (!Split(argc, argv, {"--tolerance"}, {}, &args)) return Usage();
    return Compare(args);
  }
  return Usage();
}
