// Factory presets and the state reader: the stored presets decoded byte for byte and checked
// against their table, their recall, state round trips, short and damaged chunks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "dsp/Decibels.h"
#include "effect_test_util.h"

using EffectTest::Effect;

namespace {

const char* const kPresetNames[10] = {"Bass steady",   "Classic vocal",  "Mid-Side vocal",  "Peak enhancer",
                                      "Peak reducer",  "Pump sidechain", "Steady center",   "Stereo enhancer",
                                      "Stereo reducer", "Vocal steady"};

// Stored values, one row per parameter; columns in preset order.
const double kStored[kNumParams][10] = {
    {-0.046512820326660057, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // 0 Processor1Gain
    {-0.046512820326660057, 0, 0, 0, 0, 0, 0, 4.5930658552352925, -2.794077369123951, 0},  // 1 Processor2Gain
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // 2 Automation
    {1, 0, 2, 1, 1, 1, 2, 2, 2, 1},  // 3 CorvaneMode
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1},  // 4 EnableDetector1Graph
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1},  // 5 EnableDetector2Graph
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1},  // 6 EnableProcessor1Graph
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1},  // 7 EnableProcessor2Graph
    {5, 4, 2, 0, 0, 2, 4, 4, 4, 5},  // 8 Detector1Source
    {-60, -60, -60, -60, -60, -60, -60, -60, -60, -60},  // 9 Detector1Gate
    {-16, -3, -17.999999999999993, -6, -6, 10, -17.999999999999993, -18, -18, -17.999999999999993},  // 10 Detector1Gain
    {300, 500, 500, 0, 0, 100, 500, 300, 300, 600},  // 11 Detector1LinkAttRel
    {300, 500, 500, 1, 1, 100, 500, 300, 300, 600},  // 12 Detector1Attack
    {1, 0, 1, 100, 100, 1, 1, 0, 0, 1},  // 13 Detector1Release
    {20, 100, 100, 20, 20, 20, 100, 20, 20, 100},  // 14 Detector1HiPass
    {3000, 20000, 20000, 20000, 20000, 20000, 20000, 20000, 20000, 20000},  // 15 Detector1LowPass
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1},  // 16 Detector1On
    {3, 3, 3, 4, 4, 3, 4, 3, 3, 3},  // 17 Detector2Source
    {-60, -60, -60, -60, -60, -60, -60, -60, -60, -60},  // 18 Detector2Gate
    {0, 0, -18, 0, 0, 0, 0, -18, -18, 0},  // 19 Detector2Gain
    {500, 500, 500, 1, 1, 500, 500, 500, 500, 500},  // 20 Detector2LinkAttRel
    {500, 500, 500, 500, 500, 500, 500, 500, 500, 500},  // 21 Detector2Attack
    {1, 1, 1, 500, 500, 1, 1, 1, 1, 1},  // 22 Detector2Release
    {20, 20, 100, 20, 20, 20, 20, 100, 100, 20},  // 23 Detector2HiPass
    {20000, 20000, 20000, 20000, 20000, 20000, 20000, 20000, 20000, 20000},  // 24 Detector2LowPass
    {0, 0, 1, 0, 0, 0, 0, 0, 0, 0},  // 25 Detector2On
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // 26 Processor1Reference
    {300, 500, 500, 0, 0, 100, 500, 10, 10, 600},  // 27 Processor1LinkAttRel
    {300, 500, 500, 40, 40, 100, 500, 1000, 1000, 600},  // 28 Processor1Attack
    {1, 0, 1, 100, 100, 1, 1, 0, 0, 1},  // 29 Processor1Release
    {1, 1, 1, 0, 0, 0, 1, 1, 1, 1},  // 30 Processor1Mode
    {0, 0, 0, 0, 1, 1, 0, 0, 0, 0},  // 31 Processor1RevGain
    {6, 6, 12, 12, 12, 6, 12, 6, 6, 12},  // 32 Processor1MaxGain
    {-6, -6, -12, -12, -12, -6, -12, -6, -6, -12},  // 33 Processor1MinGain
    {1, 0, 1, 0, 0, 1, 1, 1, 1, 1},  // 34 Processor1LinkMinMaxGain
    {50, 50, 50, 100, 100, 40, 50, 0, 0, 40},  // 35 Processor1GainScaler
    {0, 0, 1, 0, 0, 0, 0, 0, 0, 0},  // 36 Processor2Reference
    {300, 500, 500, 0, 0, 100, 500, 300, 300, 600},  // 37 Processor2LinkAttRel
    {300, 500, 500, 40, 40, 100, 500, 300, 300, 600},  // 38 Processor2Attack
    {1, 0, 1, 100, 100, 1, 1, 0, 0, 1},  // 39 Processor2Release
    {1, 1, 1, 0, 0, 0, 1, 1, 1, 1},  // 40 Processor2Mode
    {0, 0, 0, 0, 1, 1, 0, 0, 1, 0},  // 41 Processor2RevGain
    {6, 6, 12, 12, 12, 6, 12, 6, 6, 12},  // 42 Processor2MaxGain
    {-6, -6, -12, -12, -12, -6, -12, -6, -6, -12},  // 43 Processor2MinGain
    {0, 0, 1, 0, 0, 0, 1, 1, 1, 0},  // 44 Processor2LinkMinMaxGain
    {50, 50, 50, 100, 100, 40, 0, 50, 50, 40},  // 45 Processor2GainScaler
};

// The values after loading (the stored value clamped to the parameter's range).
const double kLoaded[kNumParams][10] = {
    {-0.046512820326660057, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // 0 Processor1Gain
    {-0.046512820326660057, 0, 0, 0, 0, 0, 0, 4.5930658552352925, -2.794077369123951, 0},  // 1 Processor2Gain
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // 2 Automation
    {1, 0, 2, 1, 1, 1, 2, 2, 2, 1},  // 3 CorvaneMode
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1},  // 4 EnableDetector1Graph
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1},  // 5 EnableDetector2Graph
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1},  // 6 EnableProcessor1Graph
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1},  // 7 EnableProcessor2Graph
    {4, 4, 2, 0, 0, 2, 4, 4, 4, 4},  // 8 Detector1Source
    {-60, -60, -60, -60, -60, -60, -60, -60, -60, -60},  // 9 Detector1Gate
    {-16, -3, -17.999999999999993, -6, -6, 10, -17.999999999999993, -18, -18, -17.999999999999993},  // 10 Detector1Gain
    {1, 1, 1, 0, 0, 1, 1, 1, 1, 1},  // 11 Detector1LinkAttRel
    {300, 500, 500, 1, 1, 100, 500, 300, 300, 600},  // 12 Detector1Attack
    {1, 1, 1, 100, 100, 1, 1, 1, 1, 1},  // 13 Detector1Release
    {20, 100, 100, 20, 20, 20, 100, 20, 20, 100},  // 14 Detector1HiPass
    {3000, 20000, 20000, 20000, 20000, 20000, 20000, 20000, 20000, 20000},  // 15 Detector1LowPass
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1},  // 16 Detector1On
    {3, 3, 3, 4, 4, 3, 4, 3, 3, 3},  // 17 Detector2Source
    {-60, -60, -60, -60, -60, -60, -60, -60, -60, -60},  // 18 Detector2Gate
    {0, 0, -18, 0, 0, 0, 0, -18, -18, 0},  // 19 Detector2Gain
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1},  // 20 Detector2LinkAttRel
    {500, 500, 500, 500, 500, 500, 500, 500, 500, 500},  // 21 Detector2Attack
    {1, 1, 1, 500, 500, 1, 1, 1, 1, 1},  // 22 Detector2Release
    {20, 20, 100, 20, 20, 20, 20, 100, 100, 20},  // 23 Detector2HiPass
    {20000, 20000, 20000, 20000, 20000, 20000, 20000, 20000, 20000, 20000},  // 24 Detector2LowPass
    {0, 0, 1, 0, 0, 0, 0, 0, 0, 0},  // 25 Detector2On
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // 26 Processor1Reference
    {1, 1, 1, 0, 0, 1, 1, 1, 1, 1},  // 27 Processor1LinkAttRel
    {300, 500, 500, 40, 40, 100, 500, 1000, 1000, 600},  // 28 Processor1Attack
    {1, 1, 1, 100, 100, 1, 1, 1, 1, 1},  // 29 Processor1Release
    {1, 1, 1, 0, 0, 0, 1, 1, 1, 1},  // 30 Processor1Mode
    {0, 0, 0, 0, 1, 1, 0, 0, 0, 0},  // 31 Processor1RevGain
    {6, 6, 12, 12, 12, 6, 12, 6, 6, 12},  // 32 Processor1MaxGain
    {-6, -6, -12, -12, -12, -6, -12, -6, -6, -12},  // 33 Processor1MinGain
    {1, 0, 1, 0, 0, 1, 1, 1, 1, 1},  // 34 Processor1LinkMinMaxGain
    {50, 50, 50, 100, 100, 40, 50, 0, 0, 40},  // 35 Processor1GainScaler
    {0, 0, 1, 0, 0, 0, 0, 0, 0, 0},  // 36 Processor2Reference
    {1, 1, 1, 0, 0, 1, 1, 1, 1, 1},  // 37 Processor2LinkAttRel
    {300, 500, 500, 40, 40, 100, 500, 300, 300, 600},  // 38 Processor2Attack
    {1, 1, 1, 100, 100, 1, 1, 1, 1, 1},  // 39 Processor2Release
    {1, 1, 1, 0, 0, 0, 1, 1, 1, 1},  // 40 Processor2Mode
    {0, 0, 0, 0, 1, 1, 0, 0, 1, 0},  // 41 Processor2RevGain
    {6, 6, 12, 12, 12, 6, 12, 6, 6, 12},  // 42 Processor2MaxGain
    {-6, -6, -12, -12, -12, -6, -12, -6, -6, -12},  // 43 Processor2MinGain
    {0, 0, 1, 0, 0, 0, 1, 1, 1, 0},  // 44 Processor2LinkMinMaxGain
    {50, 50, 50, 100, 100, 40, 0, 50, 50, 40},  // 45 Processor2GainScaler
};

// A base64 decoder of our own (the framework has one too; this one checks the text strictly).
std::vector<uint8_t> DecodeBase64(const std::string& text) {
  static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::vector<uint8_t> out;
  uint32_t bits = 0;
  int n = 0;
  for (char c : text) {
    if (c == '=') break;
    const size_t v = alphabet.find(c);
    EXPECT_NE(v, std::string::npos) << "character " << c;
    bits = (bits << 6) | static_cast<uint32_t>(v);
    n += 6;
    if (n >= 8) {
      n -= 8;
      out.push_back(static_cast<uint8_t>(bits >> n));
    }
  }
  return out;
}

double LittleEndianDouble(const uint8_t* bytes) {
  uint64_t bits = 0;
  for (int b = 7; b >= 0; --b) bits = (bits << 8) | bytes[b];
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

void PutDouble(ByteBlock& chunk, double v) { chunk.Put(&v); }

// The effect with its reaction replaced by a recorder: what the state reader itself stores.
struct InertEffect : VemtraCorvane {
  void ParamValueChanged(int index, ParamChangeSource source) override { hooks.push_back({index, source}); }
  std::vector<std::pair<int, ParamChangeSource>> hooks;
};

std::vector<double> Values(const IPlugBase& plug) {
  std::vector<double> v;
  for (int i = 0; i < plug.NParams(); ++i) v.push_back(plug.GetParam(i)->Value());
  return v;
}

}  // namespace

TEST(FactoryPresets, NamesAndOrder) {
  VemtraCorvane plug;
  ASSERT_EQ(plug.NPresets(), 11);
  EXPECT_STREQ(plug.PresetNameAt(0), "Default");
  for (int p = 0; p < 10; ++p) EXPECT_STREQ(plug.PresetNameAt(p + 1), kPresetNames[p]);
  for (int p = 0; p < 10; ++p) EXPECT_STREQ(kStoredPresets[p].name, kPresetNames[p]);
}

TEST(FactoryPresets, StoredTextsDecodeToTheTable) {
  for (int p = 0; p < 10; ++p) {
    SCOPED_TRACE(kPresetNames[p]);
    const std::string text = kStoredPresets[p].base64;
    EXPECT_EQ(text.size(), 492u);
    EXPECT_EQ(text.back(), '=');
    const std::vector<uint8_t> bytes = DecodeBase64(text);
    ASSERT_EQ(bytes.size(), 368u);
    for (int i = 0; i < kNumParams; ++i) {
      const double v = LittleEndianDouble(bytes.data() + 8 * i);
      EXPECT_EQ(std::memcmp(&v, &kStored[i][p], sizeof v), 0) << "parameter " << i << ": " << v << " vs " << kStored[i][p];
    }
  }
}

TEST(FactoryPresets, SlotsHoldTheChunkAndZeros) {
  // The framework's own decoder fills each stored slot: 368 bytes of chunk, then 124 zeros.
  struct Plug : VemtraCorvane {
    using VemtraCorvane::mPresets;
  } plug;
  for (int p = 1; p <= 10; ++p) {
    const ByteBlock& chunk = plug.mPresets.Get(p)->mChunk;
    ASSERT_EQ(chunk.Size(), 492);
    const std::vector<uint8_t> expected = DecodeBase64(kStoredPresets[p - 1].base64);
    EXPECT_EQ(std::memcmp(chunk.GetBytes(), expected.data(), 368), 0) << p;
    for (int b = 368; b < 492; ++b) ASSERT_EQ(chunk.GetBytes()[b], 0) << p;
  }
  // "Default" holds the defaults.
  const ByteBlock& def = plug.mPresets.Get(0)->mChunk;
  ASSERT_EQ(def.Size(), 368);
  for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(LittleEndianDouble(def.GetBytes() + 8 * i), plug.GetParam(i)->GetDefault());
}

TEST(FactoryPresets, RecallLoadsTheClampedValues) {
  InertEffect plug;
  for (int p = 0; p < 10; ++p) {
    SCOPED_TRACE(kPresetNames[p]);
    plug.hooks.clear();
    ASSERT_TRUE(plug.RecallPreset(p + 1));
    EXPECT_EQ(plug.GetCurrentPresetIdx(), p + 1);
    for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(plug.GetParam(i)->Value(), kLoaded[i][p]) << "parameter " << i;
    ASSERT_EQ(plug.hooks.size(), 46u);
    for (int i = 0; i < kNumParams; ++i) {
      EXPECT_EQ(plug.hooks[i].first, i);
      EXPECT_EQ(plug.hooks[i].second, kSourceRecall);
    }
  }
}

TEST(FactoryPresets, RecallWithTheReactions) {
  Effect plug;
  ASSERT_TRUE(plug.RecallPreset(4));  // "Peak enhancer": Stereo, detector 1 unlinked
  EXPECT_EQ(plug.V(Detector1LinkAttRel), 0.0);
  EXPECT_EQ(plug.V(Detector1Attack), 1.0);
  EXPECT_EQ(plug.V(Detector1Release), 100.0);
  EXPECT_EQ(plug.engine.detectors[0].attackCoef, Corvane::TimeConstantCoefficient(44100, 1.0));
  EXPECT_EQ(plug.engine.detectors[0].releaseCoef, Corvane::TimeConstantCoefficient(44100, 100.0));
  EXPECT_EQ(plug.engine.detectorSource[0], Corvane::SourceIntMid);
  EXPECT_EQ(plug.engine.processors[0].mode, Corvane::ProcessorModePeak);
  EXPECT_EQ(plug.engine.processors[0].scaler, 1.0);

  // "Bass steady": Stereo, detector 1 on the fixed level (stored 5), attack and release linked.
  // The link's reaction runs with the rest of the recall, so the release follows the attack.
  ASSERT_TRUE(plug.RecallPreset(1));
  EXPECT_EQ(plug.V(Detector1Source), 4.0);
  EXPECT_EQ(plug.engine.detectorSource[0], Corvane::SourceIntFix);
  EXPECT_EQ(plug.V(Detector1LinkAttRel), 1.0);
  EXPECT_EQ(plug.V(Detector1Attack), 300.0);
  EXPECT_EQ(plug.V(Detector1Release), 300.0);
  EXPECT_EQ(plug.engine.detectors[0].attackMs, 300.0);
  EXPECT_EQ(plug.engine.detectors[0].releaseMs, 300.0);
  EXPECT_EQ(plug.engine.detectors[0].gain, Corvane::DbToGain(-16.0));
  // Stereo: processor 2 mirrors processor 1.
  for (int k = Processor1Reference; k <= Processor1GainScaler; ++k) EXPECT_EQ(plug.V(k + 10), plug.V(k)) << k;
  EXPECT_EQ(plug.engine.processors[1].maxGain, plug.engine.processors[0].maxGain);

  // "Classic vocal": Classic's fixed values replace the stored ones.
  ASSERT_TRUE(plug.RecallPreset(2));
  EXPECT_EQ(plug.V(CorvaneMode), ModeClassic);
  EXPECT_EQ(plug.V(Detector1Source), 2.0);
  EXPECT_EQ(plug.V(Detector1HiPass), 100.0);
  EXPECT_EQ(plug.V(Processor1MaxGain), 6.0);
  EXPECT_EQ(plug.V(Processor2MinGain), -6.0);
  EXPECT_EQ(plug.V(Processor1Release), plug.V(Detector1Release));
  EXPECT_EQ(plug.V(Processor2Release), plug.V(Detector1Release));
  EXPECT_EQ(plug.V(Processor2GainScaler), plug.V(Processor1GainScaler));

  // "Default" brings the defaults back.
  ASSERT_TRUE(plug.RecallPreset(0));
  for (int i = 0; i < kNumParams; ++i) {
    if (i > Processor2Gain) {
      EXPECT_EQ(plug.V(i), plug.GetParam(i)->GetDefault()) << i;
    }
  }
  EXPECT_FALSE(plug.RecallPreset(11));
}

TEST(StateChunk, RoundTripBitForBit) {
  Effect a;
  a.RecallPreset(8);  // "Stereo enhancer": Mid / Side with fractional gains
  a.SetFromEditor(Detector2Gain, -7.3);
  a.GetParam(Processor1Gain)->Set(-0.046512820326660057);
  ByteBlock chunk;
  ASSERT_TRUE(a.SerializeParams(&chunk));
  ASSERT_EQ(chunk.Size(), 368);

  Effect b;
  EXPECT_EQ(b.LoadState(&chunk, 0), 368);
  const std::vector<double> va = Values(a), vb = Values(b);
  EXPECT_EQ(std::memcmp(va.data(), vb.data(), sizeof(double) * va.size()), 0);

  ByteBlock again;
  ASSERT_TRUE(b.SerializeParams(&again));
  EXPECT_EQ(std::memcmp(chunk.GetBytes(), again.GetBytes(), 368), 0);
}

TEST(StateChunk, ShortAndEmptyChunks) {
  InertEffect plug;
  ByteBlock full;
  for (int i = 0; i < kNumParams; ++i) PutDouble(full, plug.GetParam(i)->GetDefault());

  ByteBlock shortChunk;
  shortChunk.Put(full.GetBytes(), 367);
  plug.GetParam(Processor2GainScaler)->Set(77.0);
  EXPECT_EQ(plug.LoadState(&shortChunk, 0), -1);
  EXPECT_EQ(plug.GetParam(Processor2GainScaler)->Value(), 0.0);  // 0 is its minimum
  EXPECT_EQ(plug.hooks.size(), 46u);

  // Running short at the attack: it takes 0 clamped (1 ms); the parameters after it stay.
  ByteBlock upToAttack;
  upToAttack.Put(full.GetBytes(), 8 * Detector1Attack + 3);
  plug.GetParam(Detector1Release)->Set(1234.0);
  plug.hooks.clear();
  EXPECT_EQ(plug.LoadState(&upToAttack, 0), -1);
  EXPECT_EQ(plug.GetParam(Detector1Attack)->Value(), 1.0);
  EXPECT_EQ(plug.GetParam(Detector1Release)->Value(), 1234.0);
  EXPECT_EQ(plug.hooks.size(), 46u);

  ByteBlock empty;
  plug.GetParam(Processor1Gain)->Set(5.0);
  plug.hooks.clear();
  EXPECT_EQ(plug.LoadState(&empty, 0), -1);
  EXPECT_EQ(plug.GetParam(Processor1Gain)->Value(), 0.0);
  EXPECT_EQ(plug.hooks.size(), 46u);

  // A chunk read from a later position (as adapters with a header do).
  ByteBlock prefixed;
  const int32_t header = 7;
  prefixed.Put(&header);
  prefixed.Put(full.GetBytes(), 368);
  EXPECT_EQ(plug.LoadState(&prefixed, 4), 372);
  EXPECT_EQ(plug.LoadState(nullptr, 0), -1);
}

TEST(StateChunk, OutOfRangeValuesAreClampedNotRefused) {
  InertEffect plug;
  ByteBlock chunk;
  for (int i = 0; i < kNumParams; ++i) PutDouble(chunk, i == Detector1Gate ? 50.0 : i == Detector1Attack ? -8.0 : 0.0);
  EXPECT_EQ(plug.LoadState(&chunk, 0), 368);
  EXPECT_EQ(plug.GetParam(Detector1Gate)->Value(), 0.0);
  EXPECT_EQ(plug.GetParam(Detector1Attack)->Value(), 1.0);
  EXPECT_EQ(plug.GetParam(Detector1HiPass)->Value(), 20.0);
}

TEST(StateChunk, ReaderHoldsThePlugInLock) {
  struct Probe : VemtraCorvane {
    void ParamValueChanged(int index, ParamChangeSource source) override {
      if (index == 0) held = probe.CallerHolds(GetMutex());
    }
    LockProbe probe;
    bool held = false;
  } plug;
  ByteBlock chunk;
  plug.SerializeParams(&chunk);
  plug.LoadState(&chunk, 0);
  plug.probe.Join();
  EXPECT_TRUE(plug.held);
}


namespace {

// What recalling a stored preset changes beyond clamping: the reactions' links, Stereo's mirror
// and Classic's fixed values and follow-ups.
struct Recalled {
  int preset;
  std::vector<std::pair<int, double>> changed;
};
const Recalled kRecalledChanges[] = {
    {1, {{Detector1Release, 300}, {Detector2Release, 500}, {Processor1Release, 300}, {Processor2Release, 300},
          {Processor2LinkMinMaxGain, 1}}},
    {2, {{Detector1Source, 2}, {Detector1LinkAttRel, 0}, {Detector1Release, 500}, {Detector2Release, 500},
          {Processor1LinkAttRel, 0}, {Processor1Release, 500}, {Processor2LinkAttRel, 0}, {Processor2Release, 500}}},
    {3, {{Detector1Release, 500}, {Detector2Release, 500}, {Processor1Release, 500}, {Processor2Release, 500}}},
    {4, {}},
    {5, {}},
    {6, {{Detector1Release, 100}, {Detector2Release, 500}, {Processor1Release, 100}, {Processor2Release, 100},
          {Processor2LinkMinMaxGain, 1}}},
    {7, {{Detector1Release, 500}, {Detector2Release, 500}, {Processor1Release, 500}, {Processor2Release, 500}}},
    {8, {{Detector1Release, 300}, {Detector2Release, 500}, {Processor1Release, 1000}, {Processor2Release, 300}}},
    {9, {{Detector1Release, 300}, {Detector2Release, 500}, {Processor1Release, 1000}, {Processor2Release, 300}}},
    {10, {{Detector1Release, 600}, {Detector2Release, 500}, {Processor1Release, 600}, {Processor2Release, 600},
          {Processor2LinkMinMaxGain, 1}}},
};

// Every setting of the engine that the parameters decide (not its running state).
void ExpectSameEngineSettings(const Corvane::Corvane& a, const Corvane::Corvane& b) {
  for (int j = 0; j < 2; ++j) {
    SCOPED_TRACE(j);
    const Corvane::LevelDetector &d = a.detectors[j], &e = b.detectors[j];
    EXPECT_EQ(d.gate, e.gate);
    EXPECT_EQ(d.gain, e.gain);
    EXPECT_EQ(d.attackCoef, e.attackCoef);
    EXPECT_EQ(d.releaseCoef, e.releaseCoef);
    EXPECT_TRUE(EffectTest::SameStage(d.highPass, e.highPass));
    EXPECT_TRUE(EffectTest::SameStage(d.lowPass, e.lowPass));
    EffectTest::ExpectSameProcessorSettings(a.processors[j], b.processors[j]);
    EXPECT_EQ(a.detectorLink[j], b.detectorLink[j]);
    EXPECT_EQ(a.processorLink[j], b.processorLink[j]);
    EXPECT_EQ(a.detectorSource[j], b.detectorSource[j]);
    EXPECT_EQ(a.processorReference[j], b.processorReference[j]);
    EXPECT_EQ(a.processorRoute[j], b.processorRoute[j]);
    EXPECT_EQ(a.detectorOn[j], b.detectorOn[j]);
  }
  EXPECT_EQ(a.stereoLink, b.stereoLink);
}

// A random value a host or the editor could set: a step of the range, now and then any value in
// it.
double RandomValue(const IPlugParameter& param, std::mt19937& random) {
  const double lo = param.GetMin(), hi = param.GetMax();
  if (param.Kind() != kParamNumber || random() % 4 != 0) {
    return lo + static_cast<double>(random() % static_cast<unsigned>(hi - lo + 1.0));
  }
  return lo + (hi - lo) * std::uniform_real_distribution<double>(0.0, 1.0)(random);
}

// The parameters whose changes interact: the mode, the links, the times they tie, the limits,
// and Classic's fixed and following values; any other parameter now and then.
constexpr int kEntangled[] = {CorvaneMode,          CorvaneMode,         Detector1LinkAttRel, Detector1Attack,
                              Detector1Release,     Detector2LinkAttRel, Detector2Attack,     Detector2Release,
                              Detector1HiPass,      Detector1Source,     Detector1On,         Detector2On,
                              Processor1Reference,  Processor2Reference, Processor1LinkAttRel, Processor1Attack,
                              Processor1Release,    Processor2LinkAttRel, Processor2Attack,   Processor2Release,
                              Processor1MaxGain,    Processor1MinGain,   Processor1LinkMinMaxGain, Processor2MaxGain,
                              Processor2MinGain,    Processor2LinkMinMaxGain, Processor1GainScaler, Processor2GainScaler,
                              Processor1Mode,       Detector1Gate};

// 25 random host, editor and preset changes; returns the road taken, for the failure message.
std::string RandomChanges(Effect& live, std::mt19937& random) {
  std::string road;
  for (int step = 0; step < 25; ++step) {
    const unsigned pick = random() % 20;
    if (pick == 0) {
      const int preset = static_cast<int>(random() % 11);
      live.RecallPreset(preset);
      road += " preset " + std::to_string(preset);
      continue;
    }
    const int param = pick < 15 ? kEntangled[random() % (sizeof kEntangled / sizeof kEntangled[0])]
                                : static_cast<int>(random() % kNumParams);
    const double value = RandomValue(*live.GetParam(param), random);
    const ParamChangeSource source = random() % 2 ? kSourceHost : kSourceEditor;
    live.SetParameterValue(param, value, source);
    road += " " + std::to_string(param) + (source == kSourceHost ? "=h" : "=e") + std::to_string(value);
  }
  return road;
}

// Sends parameter `index` the value it has, by one of four roads: its value from the host or
// from the editor, its normalized value from the host or from the editor.
void SendOwnValue(Effect& plug, int index, unsigned road) {
  const IPlugParameter& param = *plug.GetParam(index);
  switch (road % 4) {
    case 0: plug.SetParameterValue(index, param.Value(), kSourceHost); break;
    case 1: plug.SetParameterValue(index, param.Value(), kSourceEditor); break;
    case 2: plug.SetParameterFromHost(index, param.GetNormalizedValue()); break;
    default: plug.SetParameterFromGUI(index, param.GetNormalizedValue()); break;
  }
}

// Whether `plug` saves `saved` and has the engine settings of `engine`.
void ExpectSavesWithSettings(Effect& plug, const ByteBlock& saved, const Corvane::Corvane& engine) {
  ByteBlock now;
  ASSERT_TRUE(plug.SerializeParams(&now));
  ASSERT_EQ(now.Size(), saved.Size());
  for (int i = 0; i < kNumParams; ++i) {
    EXPECT_EQ(std::memcmp(saved.GetBytes() + 8 * i, now.GetBytes() + 8 * i, 8), 0)
        << "parameter " << i << " was " << LittleEndianDouble(saved.GetBytes() + 8 * i) << ", is "
        << LittleEndianDouble(now.GetBytes() + 8 * i);
  }
  ExpectSameEngineSettings(plug.engine, engine);
}

// Whether `plug` still saves `saved` and has the engine settings of that state read back.
void ExpectStillTheState(Effect& plug, ByteBlock& saved) {
  Effect reopened;
  ASSERT_EQ(reopened.LoadState(&saved, 0), saved.Size());
  ExpectSavesWithSettings(plug, saved, reopened.engine);
}

}  // namespace

TEST(FactoryPresets, RecallGivesTheStoredValuesAsTheReactionsLeaveThem) {
  Effect plug;
  for (const Recalled& r : kRecalledChanges) {
    SCOPED_TRACE(kPresetNames[r.preset - 1]);
    ASSERT_TRUE(plug.RecallPreset(r.preset));
    std::vector<double> expected(kNumParams);
    for (int i = 0; i < kNumParams; ++i) expected[i] = kLoaded[i][r.preset - 1];
    for (const auto& [param, value] : r.changed) expected[param] = value;
    for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(plug.V(i), expected[i]) << "parameter " << i;
  }
}

TEST(StateChunk, EverySavedStateReadsBackToItselfWhateverLedToIt) {
  std::mt19937 random(2024);
  for (int sequence = 0; sequence < 200; ++sequence) {
    Effect live;
    if (sequence % 2) live.AttachEditor();
    const std::string road = RandomChanges(live, random);
    ByteBlock saved;
    ASSERT_TRUE(live.SerializeParams(&saved));

    Effect reopened;
    ASSERT_EQ(reopened.LoadState(&saved, 0), saved.Size());
    SCOPED_TRACE("after" + road);
    ExpectSavesWithSettings(reopened, saved, live.engine);
    if (HasFailure()) return;  // one failing road tells all
  }
}

TEST(SentAgain, EachModeSentItsOwnValueKeepsTheSettingsOfItsOwn) {
  struct Case {
    int mode;
    std::vector<std::pair<int, double>> settings;
  };
  const Case cases[] = {
      {ModeStereo, {{Detector2On, 1}, {Processor1Reference, 1}, {Processor1Attack, 40}, {Processor1LinkMinMaxGain, 1}}},
      {ModeStereo, {{Processor1Reference, 2}, {Detector2On, 1}, {Detector2LinkAttRel, 1}}},
      {ModeClassic, {{Detector1Release, 700}, {Processor1GainScaler, 30}, {Detector1Gain, 4.5}}},
      {ModeMidSide, {{Detector2On, 1}, {Processor1Reference, 2}, {Processor2Reference, 1}, {Processor2MaxGain, 20},
                     {Processor1LinkAttRel, 1}, {Processor1Release, 90}}},
  };
  for (const Case& c : cases) {
    for (unsigned road = 0; road < 4; ++road) {
      SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", road " << road);
      Effect plug;
      plug.SetFromEditor(CorvaneMode, c.mode);
      for (const auto& [param, value] : c.settings) plug.SetFromEditor(param, value);
      ByteBlock saved;
      ASSERT_TRUE(plug.SerializeParams(&saved));
      SendOwnValue(plug, CorvaneMode, road);
      ExpectStillTheState(plug, saved);
      for (const auto& [param, value] : c.settings) EXPECT_EQ(plug.V(param), value) << param;
    }
  }
}

TEST(SentAgain, EveryParameterSentItsOwnValueChangesNothing) {
  std::mt19937 random(77);
  for (int sequence = 0; sequence < 100; ++sequence) {
    Effect live;
    if (sequence % 2) live.AttachEditor();
    const std::string road = RandomChanges(live, random);
    ByteBlock saved;
    ASSERT_TRUE(live.SerializeParams(&saved));
    for (int i = kNumParams - 1; i >= 0; --i) SendOwnValue(live, i, random());
    SCOPED_TRACE("after" + road);
    ExpectStillTheState(live, saved);
    if (HasFailure()) return;  // one failing road tells all
  }
}
