// corvane_render: runs the effect over a WAV file as a host would, in host-sized blocks at the
// file's sample rate, and writes the ridden result.

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "effect/VemtraCorvane.h"
#include "tools/render/GainTap.h"
#include "tools/render/LevelMeter.h"
#include "tools/render/OutputFiles.h"
#include "tools/render/RenderSettings.h"
#include "tools/render/RidePlot.h"

namespace {

const char kUsage[] =
    "usage: corvane_render [options] INPUT.wav OUTPUT.wav\n"
    "Runs Vemtra Corvane over INPUT as a host would and writes the result to OUTPUT (a stereo WAV\n"
    "in the input's sample format when that is 16-, 24- or 32-bit PCM or float, else 32-bit float).\n"
    "INPUT is stereo, or stereo with the side chain in channels 3 and 4.\n"
    "\n"
    "  --sidechain FILE     the side chain as a second stereo WAV file (same rate and length)\n"
    "  --block N            host block size in frames, 1 to 65536 (default 512)\n"
    "  --preset NAME        a factory preset\n"
    "  --set NAME=VALUE     a parameter by name or index, as a number (\"12\", \"-6 dB\") or a\n"
    "                       display text (\"Corvane Mode=Mid / Side\"), as the editor would set\n"
    "                       it; may be repeated\n"
    "  --load-state FILE    a saved state (the 46 parameter values, 368 bytes)\n"
    "  --load-program FILE  a program file (.fxp)\n"
    "  --save-state FILE    the state the render runs with\n"
    "  --save-program FILE  the same as a program file\n"
    "  --csv FILE           the two published gains (dB) at each 10 ms update\n"
    "  --plot FILE.png      a picture of the ride: the input's and the output's short-term\n"
    "                       level and both gains over time\n"
    "  --quiet              no progress display\n"
    "  --list               the parameters and the factory presets\n"
    "  --help               this text\n"
    "\n"
    "Settings apply in this order: the preset, the state, the program, then each --set.\n"
    "Without a side chain the side-chain inputs are silent. Nothing is written unless the\n"
    "whole render succeeds.\n";

constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;
constexpr int kMaxBlock = IPlugBase::kMaxBlockSize;  // the plug-in runs no longer block whole
constexpr double kProgressAboveSeconds = 10.0;
constexpr long kMaxStateFileBytes = 1 << 20;

volatile std::sig_atomic_t gStop = 0;
void OnSignal(int) { gStop = 1; }

struct Options {
  std::string input, output, sidechain, preset, loadState, loadProgram, saveState, saveProgram, csv, plot;
  std::vector<std::string> settings;
  int block = 512;
  bool quiet = false;
  bool list = false;
  bool help = false;
};

void Complain(const std::string& message) { std::fprintf(stderr, "corvane_render: %s\n", message.c_str()); }

bool ParseOptions(int argc, char** argv, Options* o, std::string* error) {
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&](std::string* into) {
      if (i + 1 >= argc) {
        *error = a + " needs a value";
        return false;
      }
      *into = argv[++i];
      return true;
    };
    std::string value;
    if (a == "--help" || a == "-h") {
      o->help = true;
    } else if (a == "--list") {
      o->list = true;
    } else if (a == "--quiet") {
      o->quiet = true;
    } else if (a == "--sidechain") {
      if (!next(&o->sidechain)) return false;
    } else if (a == "--preset") {
      if (!next(&o->preset)) return false;
    } else if (a == "--set") {
      if (!next(&value)) return false;
      o->settings.push_back(value);
    } else if (a == "--load-state") {
      if (!next(&o->loadState)) return false;
    } else if (a == "--load-program") {
      if (!next(&o->loadProgram)) return false;
    } else if (a == "--save-state") {
      if (!next(&o->saveState)) return false;
    } else if (a == "--save-program") {
      if (!next(&o->saveProgram)) return false;
    } else if (a == "--csv") {
      if (!next(&o->csv)) return false;
    } else if (a == "--plot") {
      if (!next(&o->plot)) return false;
    } else if (a == "--block") {
      if (!next(&value)) return false;
      char* end = nullptr;
      const long n = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end || n < 1 || n > kMaxBlock) {
        *error = "bad block size \"" + value + "\" (1 to " + std::to_string(kMaxBlock) + ")";
        return false;
      }
      o->block = static_cast<int>(n);
    } else if (a.size() > 1 && a[0] == '-') {
      *error = "unknown option " + a;
      return false;
    } else {
      positional.push_back(a);
    }
  }
  if (o->help || o->list) return true;
  if (positional.size() != 2) {
    *error = "expected an input and an output file";
    return false;
  }
  o->input = positional[0];
  o->output = positional[1];
  return true;
}

// An audio file opened for reading, closed with the object.
class SoundIn {
 public:
  ~SoundIn() {
    if (mFile) sf_close(mFile);
  }
  bool Open(const std::string& path, const char* role, std::string* error) {
    mPath = path;
    std::memset(&mInfo, 0, sizeof mInfo);
    mFile = sf_open(path.c_str(), SFM_READ, &mInfo);
    if (!mFile) {
      *error = std::string("cannot read the ") + role + " \"" + path + "\": " + sf_strerror(nullptr);
      return false;
    }
    const int major = mInfo.format & SF_FORMAT_TYPEMASK;
    if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX && major != SF_FORMAT_RF64 && major != SF_FORMAT_W64) {
      *error = std::string("the ") + role + " \"" + path + "\" is not a WAV file";
      return false;
    }
    if (mInfo.frames <= 0 || mInfo.samplerate <= 0) {
      *error = std::string("the ") + role + " \"" + path + "\" holds no audio";
      return false;
    }
    return true;
  }
  // Reads n frames into `frames` (n x channels values); false at a read error or early end.
  bool Read(double* frames, int n, std::string* error) {
    if (sf_readf_double(mFile, frames, n) != n) {
      *error = "cannot read \"" + mPath + "\": " + (sf_error(mFile) ? sf_strerror(mFile) : "the file ends early");
      return false;
    }
    return true;
  }
  const SF_INFO& Info() const { return mInfo; }

 private:
  std::string mPath;
  SNDFILE* mFile = nullptr;
  SF_INFO mInfo;
};

int OutputSubtype(int inputFormat) {
  const int subtype = inputFormat & SF_FORMAT_SUBMASK;
  switch (subtype) {
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
      return subtype;
    default:
      return SF_FORMAT_FLOAT;
  }
}

const char* SubtypeName(int subtype) {
  switch (subtype) {
    case SF_FORMAT_PCM_16: return "16-bit PCM";
    case SF_FORMAT_PCM_24: return "24-bit PCM";
    case SF_FORMAT_PCM_32: return "32-bit PCM";
    default: return "32-bit float";
  }
}

bool ReadSmallFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    *error = "cannot read the state \"" + path + "\": " + std::strerror(errno);
    return false;
  }
  bytes->clear();
  uint8_t chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0 && bytes->size() <= static_cast<size_t>(kMaxStateFileBytes)) {
    bytes->insert(bytes->end(), chunk, chunk + n);
  }
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) *error = "cannot read the state \"" + path + "\"";
  return !failed;
}

// The settings in their order. False with the reason when one is refused.
bool ApplySettings(VemtraCorvane& plug, const Options& o, std::string* error) {
  if (!o.preset.empty()) {
    const int preset = Render::FindPreset(plug, o.preset, error);
    if (preset < 0) return false;
    if (!plug.RecallPreset(preset)) {
      *error = "the preset \"" + o.preset + "\" does not load";
      return false;
    }
  }
  if (!o.loadState.empty()) {
    std::vector<uint8_t> bytes;
    if (!ReadSmallFile(o.loadState, &bytes, error)) return false;
    const size_t expected = sizeof(double) * kNumParams;
    if (bytes.size() != expected) {
      *error = "the state \"" + o.loadState + "\" is damaged: " + std::to_string(bytes.size()) + " bytes, expected " +
               std::to_string(expected);
      return false;
    }
    for (int i = 0; i < kNumParams; ++i) {
      double v;
      std::memcpy(&v, bytes.data() + sizeof(double) * i, sizeof v);
      if (!std::isfinite(v)) {
        *error = "the state \"" + o.loadState + "\" is damaged: the value of \"" + plug.GetParam(i)->GetName() +
                 "\" is not a number";
        return false;
      }
    }
    ByteBlock chunk;
    chunk.Put(bytes.data(), static_cast<int>(bytes.size()));
    if (plug.LoadState(&chunk, 0) != static_cast<int>(expected)) {
      *error = "the state \"" + o.loadState + "\" does not load";
      return false;
    }
  }
  if (!o.loadProgram.empty()) {
    PlugString path(o.loadProgram.c_str());
    if (!plug.ReadPresetFile(&path)) {
      *error = "the program file \"" + o.loadProgram + "\" is unreadable, damaged or not one of this effect's";
      return false;
    }
  }
  for (const std::string& setting : o.settings) {
    int index = -1;
    double value = 0.0;
    if (!Render::ParseSetting(plug, setting, &index, &value, error)) return false;
    plug.SetParameterValue(index, value, kSourceEditor);
  }
  return true;
}

bool WriteAll(int fd, const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  while (size > 0) {
    const ssize_t n = write(fd, p, size);
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

class Progress {
 public:
  Progress(bool show, long long total, double rate) : mShow(show), mTotal(total), mRate(rate) {}
  void Update(long long done) {
    if (!mShow) return;
    const int percent = static_cast<int>(100 * done / mTotal);
    if (percent == mPercent) return;
    mPercent = percent;
    std::fprintf(stderr, "\rrendering %3d%%  %.1f of %.1f s", percent, done / mRate, mTotal / mRate);
    std::fflush(stderr);
  }
  void Done() {
    if (mShow) std::fprintf(stderr, "\r%60s\r", "");
  }

 private:
  bool mShow;
  long long mTotal;
  double mRate;
  int mPercent = -1;
};

std::string Db(double v, bool sign = false) {
  char text[32];
  std::snprintf(text, sizeof text, sign ? "%+.1f" : "%.1f", v);
  return text;
}

std::string LevelLine(const Render::LevelMeter& m) {
  if (!m.HasLevel()) return "silent";
  return Db(m.MinDb()) + " .. " + Db(m.MaxDb()) + " dBFS, range " + Db(m.RangeDb()) + " dB";
}

// The outputs must not overwrite what is read, nor one another.
bool CheckOutputs(const Options& o, std::string* error) {
  const std::vector<std::pair<const std::string*, const char*>> outputs = {
      {&o.output, "output"}, {&o.csv, "CSV"}, {&o.plot, "plot"}, {&o.saveState, "state"}, {&o.saveProgram, "program"}};
  for (size_t i = 0; i < outputs.size(); ++i) {
    const auto& [path, role] = outputs[i];
    if (path->empty()) continue;
    for (const std::string* read : {&o.input, &o.sidechain, &o.loadState, &o.loadProgram}) {
      if (!read->empty() && Render::SameFile(*path, *read)) {
        *error = std::string("the ") + role + " file \"" + *path + "\" is also an input";
        return false;
      }
    }
    for (size_t j = 0; j < i; ++j) {
      if (!outputs[j].first->empty() && Render::SameDestination(*path, *outputs[j].first)) {
        *error = std::string("the ") + role + " file \"" + *path + "\" is also the " + outputs[j].second + " file";
        return false;
      }
    }
  }
  return true;
}

int Run(const Options& o) {
  std::string error;
  auto refuse = [&](const std::string& message) {
    Complain(message);
    return kExitRefused;
  };

  SoundIn input, side;
  if (!input.Open(o.input, "input", &error)) return refuse(error);
  const SF_INFO& in = input.Info();
  if (in.channels != 2 && in.channels != 4) {
    return refuse("the input \"" + o.input + "\" has " + std::to_string(in.channels) +
                  " channels; it must be stereo, or stereo with the side chain in channels 3 and 4");
  }
  const bool sideFile = !o.sidechain.empty();
  if (sideFile) {
    if (in.channels == 4) return refuse("the input already carries a side chain in channels 3 and 4; drop --sidechain");
    if (!side.Open(o.sidechain, "side chain", &error)) return refuse(error);
    const SF_INFO& s = side.Info();
    if (s.channels != 2) {
      return refuse("the side chain \"" + o.sidechain + "\" has " + std::to_string(s.channels) + " channels; it must be stereo");
    }
    if (s.samplerate != in.samplerate) {
      return refuse("the side chain runs at " + std::to_string(s.samplerate) + " Hz, the input at " +
                    std::to_string(in.samplerate) + " Hz");
    }
    if (s.frames != in.frames) {
      return refuse("the side chain has " + std::to_string(s.frames) + " frames, the input " + std::to_string(in.frames));
    }
  }
  const bool withSideChain = sideFile || in.channels == 4;

  if (!CheckOutputs(o, &error)) return refuse(error);

  auto plug = std::make_unique<VemtraCorvane>();
  plug->Start();
  if (!plug->Prepare(in.samplerate, o.block)) {
    return refuse("the input runs at " + std::to_string(in.samplerate) + " Hz; the effect takes " +
                  std::to_string(static_cast<long long>(IPlugBase::kMinSampleRate)) + " to " +
                  std::to_string(static_cast<long long>(IPlugBase::kMaxSampleRate)) + " Hz");
  }
  if (!ApplySettings(*plug, o, &error)) return refuse(error);
  auto* tap = new Render::GainTap(plug.get());
  plug->BindGraphics(tap);

  Render::OutputFiles files;
  std::string temporary;
  if (!o.saveState.empty()) {
    ByteBlock chunk;
    const int fd = files.Create(o.saveState, &temporary, &error);
    if (fd < 0) return refuse(error);
    const bool ok = plug->SerializeParams(&chunk) && WriteAll(fd, chunk.GetBytes(), static_cast<size_t>(chunk.Size()));
    if (close(fd) != 0 || !ok) return refuse("cannot write \"" + o.saveState + "\"");
  }
  if (!o.saveProgram.empty()) {
    const int fd = files.Create(o.saveProgram, &temporary, &error);
    if (fd < 0) return refuse(error);
    close(fd);
    PlugString path(temporary.c_str());
    if (!plug->WritePresetFile(&path)) return refuse("cannot write \"" + o.saveProgram + "\"");
  }
  std::string plotTemporary;
  if (!o.plot.empty()) {
    const int fd = files.Create(o.plot, &plotTemporary, &error);
    if (fd < 0) return refuse(error);
    close(fd);
  }
  std::string csvTemporary;
  int csvFd = -1;
  if (!o.csv.empty()) {
    csvFd = files.Create(o.csv, &csvTemporary, &error);
    if (csvFd < 0) return refuse(error);
  }

  const int outFd = files.Create(o.output, &temporary, &error);
  if (outFd < 0) {
    if (csvFd >= 0) close(csvFd);
    return refuse(error);
  }
  SF_INFO outInfo;
  std::memset(&outInfo, 0, sizeof outInfo);
  outInfo.samplerate = in.samplerate;
  outInfo.channels = 2;
  outInfo.format = SF_FORMAT_WAV | OutputSubtype(in.format);
  SNDFILE* out = sf_open_fd(outFd, SFM_WRITE, &outInfo, SF_TRUE);
  if (!out) {
    if (csvFd >= 0) close(csvFd);
    return refuse("cannot write \"" + o.output + "\": " + sf_strerror(nullptr));
  }
  const bool pcm = (outInfo.format & SF_FORMAT_SUBMASK) != SF_FORMAT_FLOAT;
  sf_command(out, SFC_SET_CLIPPING, nullptr, SF_TRUE);

  // The render.
  const int block = o.block;
  const int inChannels = in.channels;
  std::vector<double> inFrames(static_cast<size_t>(block) * inChannels), sideFrames(static_cast<size_t>(block) * 2);
  std::vector<double> channels[4], outChannels[2], outFrames(static_cast<size_t>(block) * 2);
  for (auto& c : channels) c.assign(static_cast<size_t>(block), 0.0);
  for (auto& c : outChannels) c.assign(static_cast<size_t>(block), 0.0);
  double* ins[4] = {channels[0].data(), channels[1].data(), channels[2].data(), channels[3].data()};
  double* outs[2] = {outChannels[0].data(), outChannels[1].data()};
  Render::LevelMeter inLevel(in.samplerate), outLevel(in.samplerate);
  Progress progress(!o.quiet && isatty(STDERR_FILENO) && in.frames > kProgressAboveSeconds * in.samplerate, in.frames,
                    in.samplerate);
  long long clipped = 0;
  bool ok = true;
  for (long long at = 0; at < in.frames && ok; at += block) {
    if (gStop) {
      error = "interrupted";
      ok = false;
      break;
    }
    const int n = static_cast<int>(std::min<long long>(block, in.frames - at));
    if (!input.Read(inFrames.data(), n, &error) || (sideFile && !side.Read(sideFrames.data(), n, &error))) {
      ok = false;
      break;
    }
    for (int i = 0; i < n; ++i) {
      for (int c = 0; c < inChannels; ++c) channels[c][static_cast<size_t>(i)] = inFrames[static_cast<size_t>(i) * inChannels + c];
      if (sideFile) {
        channels[2][static_cast<size_t>(i)] = sideFrames[2 * static_cast<size_t>(i)];
        channels[3][static_cast<size_t>(i)] = sideFrames[2 * static_cast<size_t>(i) + 1];
      }
      inLevel.Add(channels[0][static_cast<size_t>(i)], channels[1][static_cast<size_t>(i)]);
    }
    tap->BeginBlock(at);
    plug->ProcessBlock(ins, withSideChain ? 4 : 2, outs, n);
    for (int i = 0; i < n; ++i) {
      const double l = outChannels[0][static_cast<size_t>(i)], r = outChannels[1][static_cast<size_t>(i)];
      outFrames[2 * static_cast<size_t>(i)] = l;
      outFrames[2 * static_cast<size_t>(i) + 1] = r;
      outLevel.Add(l, r);
      clipped += (std::fabs(l) > 1.0) + (std::fabs(r) > 1.0);
    }
    if (sf_writef_double(out, outFrames.data(), n) != n) {
      error = "cannot write \"" + o.output + "\": " + sf_strerror(out);
      ok = false;
    }
    progress.Update(at + n);
  }
  progress.Done();
  if (sf_close(out) != 0 && ok) {
    error = "cannot write \"" + o.output + "\"";
    ok = false;
  }
  inLevel.Finish();
  outLevel.Finish();

  const std::vector<Render::GainUpdate> steps = tap->Steps();
  if (csvFd >= 0) {
    FILE* csv = fdopen(csvFd, "w");
    bool written = csv != nullptr;
    if (written) {
      std::fprintf(csv, "time_s,frame,processor1_gain_db,processor2_gain_db\n");
      for (const Render::GainUpdate& u : steps) {
        std::fprintf(csv, "%.6f,%lld,%.17g,%.17g\n", static_cast<double>(u.frame) / in.samplerate, u.frame,
                     u.processor1Db, u.processor2Db);
      }
      written = std::fclose(csv) == 0;
    } else {
      close(csvFd);
    }
    if (!written && ok) {
      error = "cannot write \"" + o.csv + "\"";
      ok = false;
    }
  }
  if (ok && !o.plot.empty()) {
    const Render::Ride ride{static_cast<double>(in.samplerate), in.frames, inLevel.Series(), outLevel.Series(), steps};
    std::string why;
    if (!Render::WriteRidePlot(plotTemporary, ride, &why)) {
      error = "cannot write \"" + o.plot + "\": " + why;
      ok = false;
    }
  }
  if (!ok) return refuse(error);
  if (!files.Commit(&error)) return refuse(error);

  // Summary.
  double g1Min = 0.0, g1Max = 0.0, g2Min = 0.0, g2Max = 0.0;
  for (size_t k = 0; k < steps.size(); ++k) {
    const auto& u = steps[k];
    g1Min = k ? std::min(g1Min, u.processor1Db) : u.processor1Db;
    g1Max = k ? std::max(g1Max, u.processor1Db) : u.processor1Db;
    g2Min = k ? std::min(g2Min, u.processor2Db) : u.processor2Db;
    g2Max = k ? std::max(g2Max, u.processor2Db) : u.processor2Db;
  }
  const char* sideText = sideFile ? ", side chain from the second file" : in.channels == 4 ? ", side chain in channels 3-4" : ", no side chain";
  std::printf("input    %s: %d Hz, %.1f s%s\n", o.input.c_str(), in.samplerate,
              static_cast<double>(in.frames) / in.samplerate, sideText);
  std::string settings = std::string("preset \"") + plug->PresetNameAt(plug->GetCurrentPresetIdx()) + "\"";
  if (!o.loadState.empty()) settings += ", state " + o.loadState;
  if (!o.loadProgram.empty()) settings += ", program " + o.loadProgram;
  if (!o.settings.empty()) settings += ", " + std::to_string(o.settings.size()) + " parameter(s) set";
  std::printf("settings %s\n", settings.c_str());
  std::printf("output   %s: %s, blocks of %d frames\n", o.output.c_str(), SubtypeName(outInfo.format & SF_FORMAT_SUBMASK),
              block);
  std::printf("level    input  %s\n", LevelLine(inLevel).c_str());
  std::printf("         output %s\n", LevelLine(outLevel).c_str());
  std::printf("         (short-term levels over 3 s; range from the 10th to the 95th percentile)\n");
  if (steps.empty()) {
    std::printf("gain     no update (shorter than 10 ms)\n");
  } else {
    std::printf("gain     processor 1 %s .. %s dB, processor 2 %s .. %s dB\n", Db(g1Min, true).c_str(),
                Db(g1Max, true).c_str(), Db(g2Min, true).c_str(), Db(g2Max, true).c_str());
  }
  if (pcm && clipped > 0) std::printf("warning  %lld output samples clipped at full scale\n", clipped);
  if (!o.csv.empty()) std::printf("csv      %s: %zu rows\n", o.csv.c_str(), steps.size());
  if (!o.plot.empty()) std::printf("plot     %s: %d x %d pixels\n", o.plot.c_str(), Render::kRidePlotWidth, Render::kRidePlotHeight);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, &options, &error)) {
    Complain(error);
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (options.list) {
    VemtraCorvane plug;
    std::fputs(Render::DescribeParameters(plug).c_str(), stdout);
    return 0;
  }
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  return Run(options);
}
