// The renderer as a user runs it: on small generated files, against the effect run directly,
// with presets, settings, state and program files and the CSV; and every input it must refuse,
// each with a message, a non-zero exit and no output file left behind.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "drawing/lice_png.h"
#include "effect_test_util.h"
#include "tools/render/RidePlot.h"

namespace fs = std::filesystem;
using EffectTest::Effect;
using EffectTest::Noise;

namespace {

constexpr int kRate = 44100;
constexpr int kFrames = 66150;  // 1.5 s
// Anti-aliased curves drawn over one another: the sum of the channel differences a curve's
// pixel may show (the four curves' colours lie hundreds apart).
constexpr int kColourTolerance = 60;

struct Wav {
  int channels = 0, rate = 0;
  std::vector<float> samples;  // interleaved
  size_t Frames() const { return channels ? samples.size() / channels : 0; }
};

bool WriteWav(const std::string& path, const Wav& w, int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT) {
  SF_INFO info{};
  info.samplerate = w.rate;
  info.channels = w.channels;
  info.format = format;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) return false;
  const sf_count_t n = static_cast<sf_count_t>(w.Frames());
  const bool ok = sf_writef_float(f, w.samples.data(), n) == n;
  return sf_close(f) == 0 && ok;
}

Wav ReadWav(const std::string& path) {
  Wav w;
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return w;
  w.channels = info.channels;
  w.rate = info.samplerate;
  w.samples.resize(static_cast<size_t>(info.frames) * info.channels);
  sf_readf_float(f, w.samples.data(), info.frames);
  sf_close(f);
  return w;
}

// Main voice-like noise whose level steps by 10 dB halfway, and a steady side chain.
Wav TestInput(int channels, int frames = kFrames, int rate = kRate) {
  Wav w;
  w.channels = channels;
  w.rate = rate;
  w.samples.resize(static_cast<size_t>(frames) * channels);
  const std::vector<double> l = Noise(frames, 0.1, 1), r = Noise(frames, 0.1, 2), sl = Noise(frames, 0.3, 3),
                            sr = Noise(frames, 0.3, 4);
  for (int i = 0; i < frames; ++i) {
    const double g = i < frames / 2 ? 1.0 : 3.16;
    const double v[4] = {l[i] * g, r[i] * g, sl[i], sr[i]};
    for (int c = 0; c < channels; ++c) w.samples[static_cast<size_t>(i) * channels + c] = static_cast<float>(v[c]);
  }
  return w;
}

Wav Channels(const Wav& w, int first, int count) {
  Wav out;
  out.channels = count;
  out.rate = w.rate;
  for (size_t i = 0; i < w.Frames(); ++i) {
    for (int c = 0; c < count; ++c) out.samples.push_back(w.samples[i * w.channels + first + c]);
  }
  return out;
}

// The effect run directly over a four-channel input, as the renderer runs it.
std::vector<double> Direct(const Wav& in, void (*setUp)(Effect&) = nullptr, double* lastGains = nullptr) {
  const int block = 512;
  Effect plug(in.rate, block);
  if (setUp) setUp(plug);
  const size_t n = in.Frames();
  std::vector<double> ch[4], out[2];
  for (int c = 0; c < 4; ++c) {
    ch[c].resize(n);
    for (size_t i = 0; i < n; ++i) ch[c][i] = in.samples[i * 4 + c];
  }
  for (auto& o : out) o.resize(n);
  for (size_t at = 0; at < n; at += block) {
    double* ins[4] = {ch[0].data() + at, ch[1].data() + at, ch[2].data() + at, ch[3].data() + at};
    double* outs[2] = {out[0].data() + at, out[1].data() + at};
    plug.ProcessBlock(ins, 4, outs, static_cast<int>(std::min<size_t>(block, n - at)));
  }
  if (lastGains) {
    lastGains[0] = plug.V(Processor1Gain);
    lastGains[1] = plug.V(Processor2Gain);
  }
  std::vector<double> interleaved(2 * n);
  for (size_t i = 0; i < n; ++i) {
    interleaved[2 * i] = out[0][i];
    interleaved[2 * i + 1] = out[1][i];
  }
  return interleaved;
}

void ExpectSameAudio(const Wav& rendered, const std::vector<double>& expected) {
  ASSERT_EQ(rendered.channels, 2);
  ASSERT_EQ(rendered.samples.size(), expected.size());
  size_t differing = 0;
  for (size_t i = 0; i < expected.size(); ++i) differing += rendered.samples[i] != static_cast<float>(expected[i]);
  EXPECT_EQ(differing, 0u);
}

double MaxDifference(const Wav& a, const Wav& b) {
  double d = a.samples.size() == b.samples.size() ? 0.0 : std::numeric_limits<double>::infinity();
  for (size_t i = 0; i < std::min(a.samples.size(), b.samples.size()); ++i) d = std::max(d, std::fabs(double(a.samples[i]) - b.samples[i]));
  return d;
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The CSV's rows of numbers, after checking its header.
std::vector<std::vector<double>> ReadGainCsv(const std::string& path) {
  std::ifstream csv(path);
  std::string line;
  std::getline(csv, line);
  EXPECT_EQ(line, "time_s,frame,processor1_gain_db,processor2_gain_db");
  std::vector<std::vector<double>> rows;
  while (std::getline(csv, line)) {
    std::vector<double> row;
    std::stringstream s(line);
    std::string cell;
    while (std::getline(s, cell, ',')) row.push_back(std::stod(cell));
    EXPECT_EQ(row.size(), 4u) << line;
    if (row.size() == 4) rows.push_back(row);
  }
  return rows;
}

// The level of a whole file in dBFS, as a short-term level of a file shorter than its window.
double WholeLevelDb(const Wav& w) {
  double sum = 0.0;
  for (size_t i = 0; i < w.Frames(); ++i) {
    sum += double(w.samples[i * w.channels]) * w.samples[i * w.channels] +
           double(w.samples[i * w.channels + 1]) * w.samples[i * w.channels + 1];
  }
  return 10.0 * std::log10(sum / (2.0 * w.Frames()));
}

// True when a pixel of the colour lies in column x within `reach` rows of y.
bool ColourNear(LICE_IBitmap& bm, int x, double y, int reach, LICE_pixel colour) {
  const int centre = static_cast<int>(std::lround(y));
  for (int row = std::max(centre - reach, 0); row <= std::min(centre + reach, bm.GetHeight() - 1); ++row) {
    const LICE_pixel p = bm.GetBits()[row * bm.GetRowSpan() + x];
    if (std::abs(LICE_GETR(p) - LICE_GETR(colour)) + std::abs(LICE_GETG(p) - LICE_GETG(colour)) +
            std::abs(LICE_GETB(p) - LICE_GETB(colour)) <= kColourTolerance) {
      return true;
    }
  }
  return false;
}

// A scratch folder per test, with the renderer run inside it.
class RenderCli : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    mDir = fs::temp_directory_path() / ("corvane-render-" + std::to_string(getpid()) + "-" + info->name());
    fs::remove_all(mDir);
    fs::create_directories(mDir);
  }
  void TearDown() override { fs::remove_all(mDir); }

  std::string P(const std::string& name) const { return (mDir / name).string(); }

  struct Result {
    int code;
    std::string out, err;
  };
  Result Run(const std::vector<std::string>& args) {
    std::string command = Quote(CORVANE_RENDER);
    for (const auto& a : args) command += " " + Quote(a);
    command += " >" + Quote(P("stdout.txt")) + " 2>" + Quote(P("stderr.txt")) + " </dev/null";
    const int status = std::system(command.c_str());
    Result r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(P("stdout.txt")), Slurp(P("stderr.txt"))};
    fs::remove(P("stdout.txt"));
    fs::remove(P("stderr.txt"));
    return r;
  }
  std::set<std::string> Files() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(mDir)) names.insert(e.path().filename().string());
    return names;
  }

  fs::path mDir;
};

}  // namespace

// ---- Rendering ------------------------------------------------------------------------------

TEST_F(RenderCli, RendersAsTheEffectDoesWithEitherSideChain) {
  const Wav in = TestInput(4);
  ASSERT_TRUE(WriteWav(P("in.wav"), in));
  ASSERT_TRUE(WriteWav(P("main.wav"), Channels(in, 0, 2)));
  ASSERT_TRUE(WriteWav(P("side.wav"), Channels(in, 2, 2)));

  const Result r = Run({P("in.wav"), P("out.wav")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");  // no progress display without a terminal
  EXPECT_NE(r.out.find("side chain in channels 3-4"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("level    input"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("gain     processor 1"), std::string::npos) << r.out;
  const Wav out = ReadWav(P("out.wav"));
  EXPECT_EQ(out.rate, kRate);
  ExpectSameAudio(out, Direct(in));

  const Result second = Run({"--sidechain", P("side.wav"), P("main.wav"), P("out2.wav")});
  ASSERT_EQ(second.code, 0) << second.err;
  EXPECT_EQ(MaxDifference(ReadWav(P("out2.wav")), out), 0.0);

  // Without a side chain the reference is silent: another result.
  ASSERT_EQ(Run({P("main.wav"), P("out3.wav")}).code, 0);
  EXPECT_GT(MaxDifference(ReadWav(P("out3.wav")), out), 1e-3);
}

TEST_F(RenderCli, BlockSizeAndFormat) {
  Wav in = TestInput(4);
  ASSERT_TRUE(WriteWav(P("in16.wav"), in, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
  const Result r = Run({"--block", "64", P("in16.wav"), P("out.wav")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("16-bit PCM, blocks of 64 frames"), std::string::npos) << r.out;
  SF_INFO info{};
  SNDFILE* f = sf_open(P("out.wav").c_str(), SFM_READ, &info);
  ASSERT_NE(f, nullptr);
  sf_close(f);
  EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  EXPECT_EQ(info.frames, kFrames);
}

TEST_F(RenderCli, PresetAndSettingsApplyAsInTheEditor) {
  const Wav in = TestInput(4);
  ASSERT_TRUE(WriteWav(P("in.wav"), in));
  const Result r = Run({"--preset", "mid-side vocal", "--set", "Processor 1 max gain=9", "--set", "35=80 %",
                        "--set", "Detector 1 source=Ext. Mid", P("in.wav"), P("out.wav")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("preset \"Mid-Side vocal\", 3 parameter(s) set"), std::string::npos) << r.out;
  ExpectSameAudio(ReadWav(P("out.wav")), Direct(in, [](Effect& p) {
                    p.RecallPreset(3);
                    p.SetFromEditor(Processor1MaxGain, 9);
                    p.SetFromEditor(Processor1GainScaler, 80);
                    p.SetFromEditor(Detector1Source, 2);
                  }));
}

TEST_F(RenderCli, CsvHoldsTheGainsEveryTenMilliseconds) {
  const Wav in = TestInput(4);
  ASSERT_TRUE(WriteWav(P("in.wav"), in));
  const Result r = Run({"--csv", P("gains.csv"), P("in.wav"), P("out.wav")});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::vector<std::vector<double>> rows = ReadGainCsv(P("gains.csv"));
  ASSERT_EQ(rows.size(), static_cast<size_t>(kFrames / 441));
  for (size_t k = 0; k < rows.size(); ++k) {
    EXPECT_EQ(rows[k][1], 441.0 * k + 440.0);
    EXPECT_NEAR(rows[k][0], (441.0 * k + 440.0) / kRate, 1e-6);
  }
  // The last step holds what the effect publishes at the end.
  double last[2];
  Direct(in, nullptr, last);
  EXPECT_EQ(rows.back()[2], last[0]);
  EXPECT_EQ(rows.back()[3], last[1]);
  EXPECT_NE(r.out.find("csv      " + P("gains.csv") + ": 150 rows"), std::string::npos) << r.out;
  EXPECT_LT(rows.back()[2], rows[rows.size() / 2 - 5][2]);  // the louder half is turned down
}

TEST_F(RenderCli, PlotDrawsEachCurveWhereTheCsvAndTheLevelsPutIt) {
  const Wav in = TestInput(4);
  ASSERT_TRUE(WriteWav(P("in.wav"), in));
  // Processors that ride differently.
  const Result r = Run({"--set", "Corvane Mode=Mid / Side", "--set", "Processor 2 reference=None", "--csv", P("gains.csv"),
                        "--plot", P("ride.png"), P("in.wav"), P("out.wav")});
  ASSERT_EQ(r.code, 0) << r.err;
  std::unique_ptr<LICE_MemBitmap> picture(LICE_ReadPngFile(P("ride.png").c_str()));
  ASSERT_NE(picture, nullptr);
  ASSERT_EQ(picture->GetWidth(), Render::kRidePlotWidth);
  ASSERT_EQ(picture->GetHeight(), Render::kRidePlotHeight);

  Render::Ride ride;
  ride.sampleRate = kRate;
  ride.frames = kFrames;
  const std::vector<std::vector<double>> rows = ReadGainCsv(P("gains.csv"));
  for (const auto& row : rows) ride.gains.push_back({static_cast<long long>(row[1]), row[2], row[3]});
  const double inputDb = WholeLevelDb(in), outputDb = WholeLevelDb(ReadWav(P("out.wav")));
  ride.inputLevel = {{0.75, inputDb}};
  ride.outputLevel = {{0.75, outputDb}};
  const Render::RidePlotLayout layout = Render::LayOutRidePlot(ride);
  // Higher values higher up, every gain inside its panel.
  double lowest = 0.0, highest = 0.0;
  for (const auto& row : rows) {
    lowest = std::min({lowest, row[2], row[3]});
    highest = std::max({highest, row[2], row[3]});
  }
  EXPECT_LT(layout.gains.Y(highest), layout.gains.Y(lowest));
  EXPECT_GE(layout.gains.Y(highest), layout.gains.area.top);
  EXPECT_LT(layout.gains.Y(lowest), layout.gains.area.bottom);

  // Processor 1 is drawn wide under processor 2: both show where they coincide.
  ASSERT_GE(rows.size(), 100u);
  for (size_t k = 5; k + 5 < rows.size(); k += rows.size() / 9) {  // inside the frame
    SCOPED_TRACE(rows[k][0]);
    const int x = static_cast<int>(std::lround(layout.gains.X(rows[k][0])));
    EXPECT_TRUE(ColourNear(*picture, x, layout.gains.Y(rows[k][2]), 3, Render::kProcessor1Colour));
    EXPECT_TRUE(ColourNear(*picture, x, layout.gains.Y(rows[k][3]), 2, Render::kProcessor2Colour));
  }
  for (double seconds : {0.1, 0.7, 1.4}) {
    const int x = static_cast<int>(std::lround(layout.levels.X(seconds)));
    EXPECT_TRUE(ColourNear(*picture, x, layout.levels.Y(inputDb), 2, Render::kInputLevelColour));
    EXPECT_TRUE(ColourNear(*picture, x, layout.levels.Y(outputDb), 2, Render::kOutputLevelColour));
  }
  // Away from its place a curve's colour is absent.
  const int x = static_cast<int>(std::lround(layout.levels.X(0.7)));
  EXPECT_FALSE(ColourNear(*picture, x, layout.levels.Y(inputDb) + 20, 2, Render::kInputLevelColour));
  const std::vector<double>& mid = rows[rows.size() / 2];
  EXPECT_FALSE(ColourNear(*picture, static_cast<int>(std::lround(layout.gains.X(mid[0]))), layout.gains.Y(mid[2]) - 20, 2,
                          Render::kProcessor1Colour));
}

TEST_F(RenderCli, StateAndProgramFilesRoundTrip) {
  const Wav in = TestInput(4);
  ASSERT_TRUE(WriteWav(P("in.wav"), in));
  const Result saved = Run({"--preset", "Bass steady", "--set", "Detector 1 gain=-10", "--save-state", P("s.bin"),
                            "--save-program", P("p.fxp"), P("in.wav"), P("a.wav")});
  ASSERT_EQ(saved.code, 0) << saved.err;
  EXPECT_EQ(fs::file_size(P("s.bin")), 368u);
  EXPECT_EQ(fs::file_size(P("p.fxp")), 56u + 4u * 46u);

  ASSERT_EQ(Run({"--load-state", P("s.bin"), P("in.wav"), P("b.wav")}).code, 0);
  EXPECT_EQ(MaxDifference(ReadWav(P("b.wav")), ReadWav(P("a.wav"))), 0.0);
  // A program file holds normalised values in single precision: the same settings up to that.
  const Result program = Run({"--load-program", P("p.fxp"), P("in.wav"), P("c.wav")});
  ASSERT_EQ(program.code, 0) << program.err;
  EXPECT_LT(MaxDifference(ReadWav(P("c.wav")), ReadWav(P("a.wav"))), 1e-4);
  EXPECT_NE(program.out.find("preset \"Bass steady\""), std::string::npos) << program.out;  // the program's name
}

// ---- Refusals -------------------------------------------------------------------------------

TEST_F(RenderCli, RefusesBadInputLeavingNothingBehind) {
  ASSERT_TRUE(WriteWav(P("in.wav"), TestInput(4)));
  ASSERT_TRUE(WriteWav(P("stereo.wav"), TestInput(2)));
  ASSERT_TRUE(WriteWav(P("mono.wav"), TestInput(1)));
  ASSERT_TRUE(WriteWav(P("three.wav"), TestInput(3)));
  ASSERT_TRUE(WriteWav(P("side48k.wav"), TestInput(2, kFrames, 48000)));
  ASSERT_TRUE(WriteWav(P("sideshort.wav"), TestInput(2, kFrames - 1)));
  ASSERT_TRUE(WriteWav(P("sidemono.wav"), TestInput(1)));
  ASSERT_TRUE(WriteWav(P("slow.wav"), TestInput(2, 1000, 500)));
  {
    std::ofstream(P("text.wav")) << "not audio at all";
    std::vector<char> state(367, 0);
    std::ofstream(P("short.bin"), std::ios::binary).write(state.data(), 367);
    std::vector<double> nan(46, 0.0);
    nan[12] = std::numeric_limits<double>::quiet_NaN();
    std::ofstream(P("nan.bin"), std::ios::binary).write(reinterpret_cast<const char*>(nan.data()), 368);
    std::ofstream(P("bad.fxp"), std::ios::binary) << "CcnK but nothing like a program";
  }
  SF_INFO aiffInfo{};
  aiffInfo.samplerate = kRate;
  aiffInfo.channels = 2;
  aiffInfo.format = SF_FORMAT_AIFF | SF_FORMAT_PCM_16;
  SNDFILE* aiff = sf_open(P("in.aiff").c_str(), SFM_WRITE, &aiffInfo);
  ASSERT_NE(aiff, nullptr);
  const std::vector<short> zeros(200, 0);
  sf_writef_short(aiff, zeros.data(), 100);
  sf_close(aiff);

  const std::string in = P("in.wav"), out = P("out.wav");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--preset", "Loud", in, out}, "unknown preset \"Loud\""},
      {{"--set", "Detector 3 gain=2", in, out}, "unknown parameter \"Detector 3 gain\""},
      {{"--set", "Corvane Mode=Surround", in, out}, "bad value \"Surround\" for \"Corvane Mode\""},
      {{"--set", "Detector 1 attack=5000", in, out}, "outside 1 .. 3000 ms"},
      {{"--set", "Detector 1 attack", in, out}, "expected NAME=VALUE"},
      {{P("missing.wav"), out}, "cannot read the input"},
      {{P("text.wav"), out}, "cannot read the input"},
      {{P("in.aiff"), out}, "is not a WAV file"},
      {{P("mono.wav"), out}, "has 1 channels"},
      {{P("three.wav"), out}, "has 3 channels"},
      {{P("slow.wav"), out}, "the input runs at 500 Hz; the effect takes 1000 to 1536000 Hz"},
      {{"--sidechain", P("side48k.wav"), P("stereo.wav"), out}, "the side chain runs at 48000 Hz"},
      {{"--sidechain", P("sideshort.wav"), P("stereo.wav"), out}, "the side chain has 66149 frames"},
      {{"--sidechain", P("sidemono.wav"), P("stereo.wav"), out}, "it must be stereo"},
      {{"--sidechain", P("stereo.wav"), in, out}, "already carries a side chain"},
      {{"--load-state", P("short.bin"), in, out}, "is damaged: 367 bytes"},
      {{"--load-state", P("nan.bin"), in, out}, "\"Detector 1 attack\" is not a number"},
      {{"--load-state", P("none.bin"), in, out}, "cannot read the state"},
      {{"--load-program", P("bad.fxp"), in, out}, "program file"},
      {{"--load-program", P("short.bin"), in, out}, "program file"},
      {{in, in}, "is also an input"},
      {{"--csv", in, in, out}, "is also an input"},
      {{"--plot", in, in, out}, "is also an input"},
      {{"--plot", out, in, out}, "the plot file \"" + out + "\" is also the output file"},
      {{"--plot", P("no/such/folder/ride.png"), in, out}, "cannot write \"" + P("no/such/folder/ride.png")},
      {{in, P("no/such/folder/out.wav")}, "cannot write"},
  };
  const std::set<std::string> before = Files();
  for (const auto& [args, message] : cases) {
    SCOPED_TRACE(message);
    std::vector<std::string> withOutputs = args;
    withOutputs.insert(withOutputs.begin(), {"--csv", P("gains.csv"), "--save-state", P("s.bin")});
    if (args[0] == "--csv") withOutputs = args;
    const Result r = Run(withOutputs);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Files(), before);
  }
}

TEST_F(RenderCli, UsageErrors) {
  ASSERT_TRUE(WriteWav(P("in.wav"), TestInput(4)));
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {P("in.wav")}, {"--block", "0", P("in.wav"), P("o.wav")}, {"--block", "x", P("in.wav"), P("o.wav")},
           {"--frobnicate", P("in.wav"), P("o.wav")}, {P("in.wav"), P("o.wav"), "--preset"}}) {
    const Result r = Run(args);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("usage: corvane_render"), std::string::npos);
  }
  EXPECT_FALSE(fs::exists(P("o.wav")));
  const Result help = Run({"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("--csv FILE"), std::string::npos);
  const Result list = Run({"--list"});
  EXPECT_EQ(list.code, 0);
  EXPECT_NE(list.out.find("45  \"Processro 2 gain scaler\": 0 .. 100 %; 50"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("\"Vocal steady\""), std::string::npos);
}
