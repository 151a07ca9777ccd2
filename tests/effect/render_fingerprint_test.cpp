// Long renders of the block callback on speech with a side chain, through every mode, routing,
// detector source, reference, automation road and host block pattern, reduced to a 64-bit
// digest of everything they produce (output samples, published gains after each block, editor
// and host updates, final follower states) and compared with the digests this code gave when
// its per-frame road was the reference. Any change in the value or the order of a single
// floating-point operation shows.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <limits>
#include <vector>

#include "dsp/render_fingerprint.h"
#include "effect_test_util.h"

using CorvaneTest::Digest;
using EffectTest::Effect;

namespace {

#if defined(CORVANE_EFFECT_AAX) && CORVANE_EFFECT_AAX
constexpr int kVariant = 1;  // one side-chain channel
#else
constexpr int kVariant = 0;
#endif

constexpr size_t kFrames = 100000;  // 2.3 s at 44.1 kHz
constexpr int kMaxBlock = 4096;

// Host block patterns, each repeated until the render is done.
const std::vector<int> kPatterns[] = {{512}, {64}, {1, 3, 64, 441, 500, 2048, 17, 4096, 128}};

struct Change {
  size_t atFrame;  // applied at the first block boundary at or after this frame
  int param;
  double value;
};

enum Input { kSpeech, kMonoStretches, kHostileSamples, kNoSideChain };

struct Scenario {
  const char* name;
  int preset;
  std::vector<Change> changes;
  Input input = kSpeech;
  HostCode host = kHostUnknown;
  bool editor = true;
  double rate = 44100.0;
  bool prepared = true;  // false: no reset before the render (one-frame histories)
};

constexpr size_t kStep = 13000;  // frames between scripted changes

const Scenario kScenarios[] = {
    {"StereoDefaults", 0, {}},
    {"Classic", 2, {{kStep, Detector1Gain, 12.0}, {3 * kStep, Processor1GainScaler, 90.0}}},
    {"MidSideVocal", 3, {}},
    {"MidSideSourcesAndReferences",
     3,
     {{kStep, Detector1Source, 0},
      {kStep, Detector2Source, 1},
      {2 * kStep, Processor1Reference, 1},
      {2 * kStep, Processor2Reference, 0},
      {3 * kStep, Detector1Source, 4},
      {3 * kStep, Detector2Source, 3},
      {4 * kStep, Processor2Reference, 2},
      {5 * kStep, Detector1Source, 3},
      {5 * kStep, Detector2Source, 2},
      {6 * kStep, Processor1Reference, 2}}},
    {"StereoPeakReverseAndLimits",
     0,
     {{0, Processor1Mode, 0},
      {0, Processor1RevGain, 1},
      {kStep, Processor1GainScaler, 100.0},
      {kStep, Detector1Gate, -30.0},
      {2 * kStep, Processor1MaxGain, 3.0},
      {2 * kStep, Processor1MinGain, -1.0},
      {3 * kStep, Processor1LinkMinMaxGain, 1},
      {3 * kStep, Processor1MaxGain, 0.0},
      {4 * kStep, Detector1HiPass, 800.0},
      {4 * kStep, Detector1LowPass, 3000.0},
      {5 * kStep, Detector1LinkAttRel, 1},
      {5 * kStep, Detector1Attack, 5.0},
      {6 * kStep, Processor1LinkAttRel, 1},
      {6 * kStep, Processor1Release, 2.0}}},
    {"MidSideMixedModesAndGains",
     3,
     {{0, Processor2Mode, 0},
      {0, Processor2RevGain, 1},
      {kStep, Detector2Gain, -20.0},
      {kStep, Detector2Gate, -40.0},
      {2 * kStep, Processor1GainScaler, 0.0},
      {3 * kStep, Processor2MinGain, -60.0},
      {3 * kStep, Processor2MaxGain, 40.0},
      {4 * kStep, Processor1Attack, 1.0},
      {4 * kStep, Processor2Release, 3000.0}}},
    {"DetectorsSwitchedOff",
     3,
     {{kStep, Detector2On, 0}, {2 * kStep, Detector1On, 0}, {3 * kStep, Detector2On, 1}, {4 * kStep, Detector1On, 1}}},
    {"ModeChangesWhileRunning",
     0,
     {{kStep, CorvaneMode, ModeMidSide},
      {2 * kStep, Detector2On, 1},
      {3 * kStep, CorvaneMode, ModeClassic},
      {4 * kStep, CorvaneMode, ModeStereo},
      {5 * kStep, CorvaneMode, ModeMidSide}}},
    {"ReadRoad",
     3,
     {{0, Automation, AutomationRead},
      {0, Processor1Gain, 4.5},
      {0, Processor2Gain, -7.0},
      {2 * kStep, CorvaneMode, ModeStereo},
      {3 * kStep, Automation, AutomationIgnore},
      {5 * kStep, Automation, AutomationRead}}},
    {"WriteRoadFromTheAudioThread", 3, {{0, Automation, AutomationWrite}}, kSpeech, kHostReaper},
    {"IgnoreWithReaper", 3, {}, kSpeech, kHostReaper},
    {"MonoMainStretches", 6, {}, kMonoStretches},
    {"HostileSamples", 3, {{4 * kStep, CorvaneMode, ModeStereo}}, kHostileSamples},
    {"NoSideChainNoEditor", 0, {{3 * kStep, CorvaneMode, ModeMidSide}}, kNoSideChain, kHostUnknown, false},
    {"At48kHz", 4, {}, kSpeech, kHostUnknown, true, 48000.0},
    {"BeforeTheFirstReset", 0, {}, kSpeech, kHostLogic, true, 44100.0, false},
};

// Digests of the renders, by scenario: {offline, AAX}. They were recorded with the engine run
// frame by frame through its one-frame calls, and the fast road gave the same; every build
// (Linux, Windows, x86-64, x86) must give them, as the engine's arithmetic is the same.
const std::uint64_t kExpected[][2] = {
    {0xb8f50564318ce5c4, 0x2c42cfb50e9b3a55},  // StereoDefaults
    {0x00ed8bac81ca5041, 0x024895d37f7f3d68},  // Classic
    {0x933e184311520635, 0x1fe73b9c1c6c7621},  // MidSideVocal
    {0xc2cbd07694d9aec7, 0xb981dbb1faf6ded0},  // MidSideSourcesAndReferences
    {0x273a29682359e64e, 0x39862b152902c691},  // StereoPeakReverseAndLimits
    {0x76c9b4fb612db9bd, 0x632a949857a3503e},  // MidSideMixedModesAndGains
    {0x8db38b501fd818e9, 0xe184a0908cf668dd},  // DetectorsSwitchedOff
    {0x29b5ed5a0dec3edc, 0x33aea001d8638ddf},  // ModeChangesWhileRunning
    {0x9ceb45a571cccfbd, 0x201b56135920b449},  // ReadRoad
    {0xbf16528b7222f755, 0x37d63a98cce66ac2},  // WriteRoadFromTheAudioThread
    {0xbb55471b159abe41, 0x80317be131236d7c},  // IgnoreWithReaper
    {0x3bcb4d6aff45335a, 0xaa00d2c051ac0a7f},  // MonoMainStretches
    {0xbdf39e4429e5c04c, 0xcbb194ed8ef16bd6},  // HostileSamples
    {0xc5bb8c1af6ce55b0, 0xc5bb8c1af6ce55b0},  // NoSideChainNoEditor
    {0x96b00dd0e9bd927f, 0x96b00dd0e9bd927f},  // At48kHz
    {0x2b82265ede4d084a, 0x2dd87e401708db11},  // BeforeTheFirstReset
};
static_assert(sizeof kExpected / sizeof kExpected[0] == sizeof kScenarios / sizeof kScenarios[0],
              "one digest row per scenario");

// The four input channels of a scenario.
EffectTest::Signals MakeInput(Input input) {
  EffectTest::Signals s(kFrames);
  CorvaneTest::StereoSpeech(7, kFrames, s.in[0], s.in[1]);
  CorvaneTest::StereoSpeech(31, kFrames, s.in[2], s.in[3]);
  if (input == kMonoStretches) {
    // Every other stretch of 3000 frames has the same samples on both main channels.
    for (size_t i = 0; i < kFrames; ++i) {
      if (i / 3000 % 2 == 1) s.in[1][i] = s.in[0][i];
    }
  } else if (input == kHostileSamples) {
    const double odd[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(), 1e-310, -1e-305, 1e300, -1.7e308, 4.0};
    int k = 0;
    for (size_t i = 777; i < kFrames; i += 1709) {
      s.in[k % 4][i] = odd[k % 8];
      ++k;
    }
    // A stretch of digital silence on everything, long enough for the followers to sink.
    for (int c = 0; c < 4; ++c) std::fill(s.in[c].begin() + 40000, s.in[c].begin() + 70000, 0.0);
  }
  return s;
}

std::uint64_t Render(const Scenario& sc) {
  const EffectTest::Signals input = MakeInput(sc.input);
  Digest digest;
  for (const std::vector<int>& pattern : kPatterns) {
    VemtraCorvane plug;
    plug.SetHostCode(sc.host);
    plug.SetHostCallCapacity(1 << 16);
    plug.Start();
    if (sc.prepared) {
      plug.Prepare(sc.rate, kMaxBlock);
    } else {
      plug.SetMaxBlockSize(kMaxBlock);
    }
    RecordingEditor* editor = nullptr;
    if (sc.editor) {
      editor = new RecordingEditor();
      plug.BindGraphics(editor);
    }
    plug.RecallPreset(sc.preset);
    if (editor) editor->calls.clear();

    EffectTest::Signals s = input;
    const int nInputs = sc.input == kNoSideChain ? 2 : 2 + plug.SideChainChannels();
    size_t next = 0, at = 0;
    for (size_t b = 0; at < kFrames; ++b) {
      while (next < sc.changes.size() && sc.changes[next].atFrame <= at) {
        plug.SetParameterValue(sc.changes[next].param, sc.changes[next].value, kSourceEditor);
        ++next;
      }
      const int n = static_cast<int>(std::min<size_t>(pattern[b % pattern.size()], kFrames - at));
      s.Block(plug, at, n, nInputs);
      digest.Add(s.out[0].data() + at, static_cast<size_t>(n));
      digest.Add(s.out[1].data() + at, static_cast<size_t>(n));
      digest.Add(plug.GetParam(Processor1Gain)->Value());
      digest.Add(plug.GetParam(Processor2Gain)->Value());
      at += static_cast<size_t>(n);
    }
    if (editor) {
      for (const RecordingEditor::Call& c : editor->calls) {
        if (c.kind != 'v') continue;
        digest.Add(c.index);
        digest.Add(c.value);
      }
    }
    for (const IPlugOffline::HostCall& c : plug.HostCalls()) {
      digest.Add(static_cast<int>(c.kind));
      digest.Add(c.index);
      digest.Add(c.value);
    }
    for (int j = 0; j < 2; ++j) {
      digest.Add(plug.engine.detectors[j].envelope);
      digest.Add(plug.engine.detectors[j].blockMax);
      digest.Add(plug.engine.processors[j].level);
      digest.Add(plug.engine.processors[j].rmsState);
      digest.Add(plug.engine.processors[j].gain);
      digest.Add(plug.engine.processors[j].blockGain);
    }
  }
  return digest.Value();
}

}  // namespace

TEST(RenderFingerprint, EveryRoadRendersBitForBitAsTheReferenceDid) {
  for (size_t k = 0; k < sizeof kScenarios / sizeof kScenarios[0]; ++k) {
    const std::uint64_t got = Render(kScenarios[k]);
    char text[32];
    std::snprintf(text, sizeof text, "0x%016" PRIx64, got);
    EXPECT_EQ(got, kExpected[k][kVariant]) << kScenarios[k].name << " renders " << text;
  }
}
