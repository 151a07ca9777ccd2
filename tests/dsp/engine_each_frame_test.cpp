// The engine's run over many frames against one one-frame call per frame, on random settings
// of every field the run decides on (sources, routes, references, modes, link, limits, times,
// on switches, filters) and on signals with silence, tiny, huge and non-finite samples: outputs,
// per-frame gains and maxima, and every state afterwards agree bit for bit.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "dsp_test_util.h"

using Engine = Corvane::Corvane;

namespace {

class Random {
 public:
  explicit Random(std::uint32_t seed) : mSeed(seed) {}
  double Unit() {
    mSeed = mSeed * 1664525u + 1013904223u;
    return (mSeed >> 8) / 16777216.0;
  }
  int Below(int n) { return static_cast<int>(Unit() * n); }
  bool Coin() { return Unit() < 0.5; }

 private:
  std::uint32_t mSeed;
};

void RandomSettings(Engine& e, Random& rnd) {
  CorvaneTest::ResetEngine(e, 44100);
  for (int j = 0; j < 2; ++j) {
    e.detectorSource[j] = rnd.Below(7) - 1;  // -1 and 5 are unknown codes
    e.detectorOn[j] = rnd.Below(4) != 0;
    e.detectorLink[j] = rnd.Coin();
    e.detectors[j].gate = rnd.Coin() ? 0.0 : 0.2 * rnd.Unit();
    e.detectors[j].gain = 0.1 + 3.0 * rnd.Unit();
    e.SetDetectorAttack(j, 1.0 + 50.0 * rnd.Unit());
    e.SetDetectorRelease(j, rnd.Coin() ? e.detectors[j].attackMs : 1.0 + 80.0 * rnd.Unit());
    e.detectors[j].DesignHighPass(20.0 + 500.0 * rnd.Unit());
    e.detectors[j].DesignLowPass(2000.0 + 18000.0 * rnd.Unit());
    e.processorReference[j] = rnd.Below(4);  // 3 is an unknown code
    e.processorRoute[j] = rnd.Below(8);      // 2, 3, 5, 6 are routes
    e.processorLink[j] = rnd.Coin();
    e.SetProcessorAttack(j, 1.0 + 30.0 * rnd.Unit());
    e.SetProcessorRelease(j, rnd.Coin() ? e.processors[j].attackMs : 1.0 + 60.0 * rnd.Unit());
    Corvane::GainProcessor& p = e.processors[j];
    p.mode = rnd.Below(3);  // 2 is neither Peak nor RMS
    p.reverse = rnd.Coin();
    p.maxGain = 0.5 + 4.0 * rnd.Unit();
    p.minGain = 0.05 + 1.5 * rnd.Unit();  // may lie above maxGain
    p.scaler = rnd.Unit();
    if (rnd.Below(6) == 0) p.rmsFallCoef = 0.5 * p.rmsFallCoef;  // rise and fall apart
  }
  // The usual settings of the plug-in's modes now and then, so their own loops run too.
  if (rnd.Coin()) {
    const bool stereo = rnd.Coin();
    e.processorRoute[0] = stereo ? Corvane::RouteLeft : Corvane::RouteMid;
    e.processorRoute[1] = stereo ? Corvane::RouteRight : Corvane::RouteSide;
    e.stereoLink = stereo;
    e.detectorSource[0] = Corvane::SourceExtMid;
    e.detectorSource[1] = Corvane::SourceExtSide;
    e.detectorOn[0] = true;
    e.processorReference[0] = Corvane::ReferenceDetector1;
    e.processorReference[1] = stereo ? Corvane::ReferenceDetector1 : Corvane::ReferenceDetector2;
    e.detectorOn[1] = !stereo;
  } else {
    e.stereoLink = rnd.Coin();
  }
}

std::vector<double> Signal(Random& rnd, std::size_t n) {
  const double odd[] = {0.0, -0.0, 1e-310, 1e-201, 1e300, -1.7e308, std::numeric_limits<double>::infinity(),
                        std::numeric_limits<double>::quiet_NaN()};
  std::vector<double> v(n);
  const double level = rnd.Coin() ? 0.8 : 0.003;
  for (double& x : v) {
    const int pick = rnd.Below(200);
    x = pick < 8 ? odd[pick] : pick < 40 ? 0.0 : level * (2.0 * rnd.Unit() - 1.0);
  }
  return v;
}

bool Same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool SameState(const Dsp::StageState& s, const Dsp::StageState& t) {
  return Same(s.x1, t.x1) && Same(s.x2, t.x2) && Same(s.y1, t.y1) && Same(s.y2, t.y2);
}

void ExpectSameStates(const Engine& a, const Engine& b) {
  for (int j = 0; j < 2; ++j) {
    const Corvane::LevelDetector& da = a.detectors[j];
    const Corvane::LevelDetector& db = b.detectors[j];
    EXPECT_TRUE(Same(da.envelope, db.envelope) && Same(da.blockMax, db.blockMax)) << j;
    EXPECT_EQ(da.fixedSource, db.fixedSource) << j;
    EXPECT_TRUE(SameState(da.highPass.State(0, 0), db.highPass.State(0, 0))) << j;
    EXPECT_TRUE(SameState(da.lowPass.State(0, 0), db.lowPass.State(0, 0))) << j;
    const Corvane::GainProcessor& pa = a.processors[j];
    const Corvane::GainProcessor& pb = b.processors[j];
    EXPECT_TRUE(Same(pa.level, pb.level) && Same(pa.rmsState, pb.rmsState) && Same(pa.gain, pb.gain) &&
                Same(pa.blockGain, pb.blockGain))
        << j;
  }
}

}  // namespace

TEST(EngineEachFrame, ARunGivesWhatOneCallPerFrameGivesOnEverySetting) {
  Random rnd(2024);
  for (int trial = 0; trial < 300; ++trial) {
    Engine byCalls, byRun;
    const std::uint32_t again = static_cast<std::uint32_t>(trial) * 7919u;
    Random copy(again), same(again);
    RandomSettings(byCalls, copy);
    RandomSettings(byRun, same);
    const std::size_t n = 1 + static_cast<std::size_t>(rnd.Below(300));
    const std::vector<double> l = Signal(rnd, n), r = Signal(rnd, n), sl = Signal(rnd, n), sr = Signal(rnd, n);
    const bool side = rnd.Below(5) != 0;

    std::vector<double> outL(n), outR(n), trace(4 * n);
    const Corvane::FrameTrace into{trace.data(), trace.data() + n, trace.data() + 2 * n, trace.data() + 3 * n};
    byRun.ProcessEachFrame({l.data(), r.data(), side ? sl.data() : nullptr, side ? sr.data() : nullptr, outL.data(),
                            outR.data()},
                           static_cast<int>(n), into);
    for (std::size_t i = 0; i < n; ++i) {
      double frame[2] = {l[i], r[i]};
      const double sideFrame[2] = {sl[i], sr[i]};
      byCalls.sidechainFrames = side ? sideFrame : nullptr;
      byCalls.ProcessBlock(frame, 1);
      ASSERT_TRUE(Same(frame[0], outL[i]) && Same(frame[1], outR[i])) << "trial " << trial << " frame " << i;
      ASSERT_TRUE(Same(byCalls.processors[0].blockGain, into.gain1[i]) &&
                  Same(byCalls.processors[1].blockGain, into.gain2[i]) &&
                  Same(byCalls.detectors[0].blockMax, into.level1[i]) &&
                  Same(byCalls.detectors[1].blockMax, into.level2[i]))
          << "trial " << trial << " frame " << i;
    }
    ExpectSameStates(byCalls, byRun);
  }
}
