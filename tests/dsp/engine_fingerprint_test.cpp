// Long runs of the engine on its own, over the roads the plug-in never takes (dry/wet mix,
// oversampling, calls of many frames, uncommon route and source codes, no side chain), reduced to
// a 64-bit digest of the outputs and of the gains and levels after every call, and compared with
// the digests this code gave when it was the reference.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <vector>

#include "dsp/Decibels.h"
#include "dsp_test_util.h"
#include "render_fingerprint.h"

using CorvaneTest::Digest;
using Engine = Corvane::Corvane;

namespace {

constexpr std::size_t kFrames = 60000;

struct Road {
  const char* name;
  int framesPerCall;
  int oversampling;
  double mix;
  int source[2];
  int reference[2];
  int route[2];
  bool stereoLink;
  bool sideChain;
  std::uint64_t expected;
};

const Road kRoads[] = {
    {"OneFrameCallsHalfWet", 1, 1, 0.3, {2, 3}, {0, 1}, {2, 3}, false, true, 0x3b3253d479b5258d},
    {"BlocksOf64", 64, 1, 1.0, {2, 3}, {0, 1}, {5, 6}, true, true, 0x67a50de3fa9811a8},
    {"BlocksOf37MidSide", 37, 1, 1.0, {0, 1}, {1, 0}, {2, 3}, false, true, 0x284aa19bddc5b243},
    {"OversampledByTwo", 1, 2, 1.0, {2, 4}, {0, 1}, {5, 6}, true, true, 0xc67d00d139dc36c3},
    {"OversampledByThreeInBlocks", 16, 3, 0.8, {3, 0}, {1, 0}, {2, 3}, false, true, 0x16db2aa4bc28f406},
    {"SideThenMid", 1, 1, 1.0, {2, 3}, {0, 1}, {3, 2}, false, true, 0xfb36df4ac8c83f9d},
    {"MidSideLinked", 1, 1, 1.0, {2, 3}, {0, 1}, {2, 3}, true, true, 0x3a3d6568a7d2ae31},
    {"UnknownCodes", 1, 1, 1.0, {7, 1}, {5, 2}, {0, 9}, false, true, 0xb29a75137a7cf16e},
    {"SameRouteTwice", 5, 1, 1.0, {0, 2}, {0, 0}, {2, 2}, false, true, 0xc2df045310a1d6ff},
    {"NoSideChain", 1, 1, 1.0, {2, 3}, {0, 1}, {5, 6}, true, false, 0x1810f9987b48567b},
};

void Configure(Engine& e, const Road& road) {
  CorvaneTest::ResetEngine(e, 44100);
  e.SetOversampling(road.oversampling);
  e.SetMix(road.mix);
  for (int j = 0; j < 2; ++j) {
    e.detectorSource[j] = road.source[j];
    e.processorReference[j] = road.reference[j];
    e.processorRoute[j] = road.route[j];
    e.detectors[j].gate = Corvane::DbToGain(-50.0);
    e.detectors[j].gain = Corvane::DbToGain(j == 0 ? 6.0 : -3.0);
    e.SetDetectorAttack(j, 20.0 + 30.0 * j);
    e.SetDetectorRelease(j, 300.0);
    e.detectors[j].DesignHighPass(80.0);
    e.detectors[j].DesignLowPass(9000.0);
    e.SetProcessorAttack(j, 40.0);
    e.SetProcessorRelease(j, 250.0 + 100.0 * j);
    e.processors[j].mode = j == 0 ? Corvane::ProcessorModeRms : Corvane::ProcessorModePeak;
    e.processors[j].reverse = j == 1;
    e.processors[j].maxGain = Corvane::DbToGain(9.0);
    e.processors[j].minGain = Corvane::DbToGain(-15.0);
    e.processors[j].scaler = 0.7;
  }
  e.stereoLink = road.stereoLink;
}

std::uint64_t RunRoad(const Road& road) {
  std::vector<double> l, r, sl, sr;
  CorvaneTest::StereoSpeech(3, kFrames, l, r);
  CorvaneTest::StereoSpeech(11, kFrames, sl, sr);
  Engine e;
  Configure(e, road);
  Digest digest;
  std::vector<double> frames, side;
  for (std::size_t at = 0; at < kFrames; at += static_cast<std::size_t>(road.framesPerCall)) {
    const int n = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(road.framesPerCall), kFrames - at));
    frames.resize(2 * static_cast<std::size_t>(n));
    side.resize(2 * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
      frames[2 * i] = l[at + i];
      frames[2 * i + 1] = r[at + i];
      side[2 * i] = sl[at + i];
      side[2 * i + 1] = sr[at + i];
    }
    e.sidechainFrames = road.sideChain ? side.data() : nullptr;
    e.ProcessBlock(frames.data(), n);
    digest.Add(frames.data(), frames.size());
    for (int j = 0; j < 2; ++j) {
      digest.Add(e.processors[j].blockGain);
      digest.Add(e.detectors[j].blockMax);
    }
  }
  for (int j = 0; j < 2; ++j) {
    digest.Add(e.detectors[j].envelope);
    digest.Add(e.processors[j].level);
    digest.Add(e.processors[j].rmsState);
    digest.Add(e.processors[j].gain);
  }
  return digest.Value();
}

}  // namespace

TEST(EngineFingerprint, EveryRoadRunsBitForBitAsTheReferenceDid) {
  for (const Road& road : kRoads) {
    const std::uint64_t got = RunRoad(road);
    char text[32];
    std::snprintf(text, sizeof text, "0x%016" PRIx64, got);
    EXPECT_EQ(got, road.expected) << road.name << " runs " << text;
  }
}
