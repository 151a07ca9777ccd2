// corvane_vst2host: a VST2 test host. It renders a WAV file through a module file as a host
// does (the test signal and the comparison of two files are corvane_vst3host's commands).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/vst2host/Vst2Host.h"

namespace {

const char kUsage[] =
    "usage: corvane_vst2host render [--block N] [--32] [--preset NAME] MODULE INPUT.wav OUTPUT.wav\n"
    "\n"
    "render  runs INPUT (stereo, or stereo with the side chain in channels 3 and 4) through the\n"
    "        module's plug-in in blocks of N frames (default 512) through its replacing double\n"
    "        callback (--32: the float one), after choosing the program NAME; OUTPUT is stereo in\n"
    "        INPUT's format\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int Fail(const std::string& error) {
  std::fprintf(stderr, "corvane_vst2host: %s\n", error.c_str());
  return 1;
}

// Options before the three file names; false for anything else.
bool ParseRender(int argc, char** argv, vst2host::RenderOptions* options, std::string files[3]) {
  int nFiles = 0;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--32") {
      options->sample64 = false;
    } else if (a == "--preset" && i + 1 < argc) {
      options->preset = argv[++i];
    } else if (a == "--block" && i + 1 < argc) {
      char* end = nullptr;
      const long n = std::strtol(argv[++i], &end, 10);
      if (*end || n < 1 || n > 65536) return false;
      options->blockSize = static_cast<int>(n);
    } else if (a.compare(0, 2, "--") == 0 || nFiles == 3) {
      return false;
    } else {
      files[nFiles++] = a;
    }
  }
  return nFiles == 3;
}

}  // namespace

int main(int argc, char** argv) {
  vst2host::RenderOptions options;
  std::string files[3];
  if (argc < 2 || std::string(argv[1]) != "render" || !ParseRender(argc, argv, &options, files)) return Usage();
  std::string error;
  vst3host::Wav in, out;
  if (!vst3host::ReadWavFile(files[1], &in, &error)) return Fail(error);
  vst2host::Module module;
  if (!vst2host::LoadModule(files[0], &module, &error)) return Fail(error);
  const bool ok = vst2host::RenderThroughEntry(module.entry, in, &out, options, &error);
  vst2host::UnloadModule(&module);
  if (!ok) return Fail(error);
  if (!vst3host::WriteWavFile(files[2], out, &error)) return Fail(error);
  std::printf("rendered %lld frames at %d Hz (%s, blocks of %d, %s callback)\n", out.Frames(), out.sampleRate,
              vst3host::WavFormatName(out.format), options.blockSize, options.sample64 ? "double" : "float");
  return 0;
}
