// The processing path after set-up allocates nothing, and failed allocations are reported
// without touching what was there.
#include <gtest/gtest.h>

#include <vector>

#include "allocation_hooks.h"
#include "dsp/Corvane.h"
#include "dsp/GainBuffer.h"
#include "dsp_test_util.h"

using Engine = Corvane::Corvane;
using namespace CorvaneTest;

namespace {

// The block callback's work for one host block: one engine call per frame and four pushes.
void HostBlock(Engine& e, std::vector<double>& main, const std::vector<double>& side, Corvane::GainBuffer* histories) {
  for (auto* h = histories; h != histories + 4; ++h) {
    h->Resize(441);
  }
  for (std::size_t i = 0; i + 1 < main.size(); i += 2) {
    e.sidechainFrames = &side[i];
    e.ProcessBlock(&main[i], 1);
    histories[0].Push(e.processors[0].blockGain);
    histories[1].Push(e.processors[1].blockGain);
    histories[2].Push(e.detectors[0].blockMax);
    histories[3].Push(e.detectors[1].blockMax);
  }
}

}  // namespace

TEST(RealTime, TheCounterSeesTheLibrarysAllocations) {
  Corvane::GainBuffer b;
  AllocationHooks::Count count;
  b.Resize(10);
  b.Resize(20);
  EXPECT_EQ(count.Made(), 2);
}

TEST(RealTime, RunningBlocksAllocatesNothing) {
  Engine e;
  ResetEngine(e, 48000);
  e.detectorSource[1] = Corvane::SourceIntSide;
  e.processorRoute[0] = Corvane::RouteMid;
  e.processorRoute[1] = Corvane::RouteSide;
  e.processors[0].maxGain = 4.0;
  e.processors[0].minGain = 0.25;
  Corvane::GainBuffer histories[4];
  std::vector<double> main = Noise(2 * 4096, 0.5), side = Noise(2 * 4096, 0.5, 2);
  HostBlock(e, main, side, histories);  // first block sizes the histories

  long made = 0;
  {
    AllocationHooks::Count count;
    for (int block = 0; block < 20; ++block) {
      HostBlock(e, main, side, histories);
      e.sidechainFrames = side.data();
      e.ProcessBlock(main.data(), 64);  // whole blocks up to the prepared size as well
      e.ProcessFrames(main.data(), 32);
    }
    made = count.Made();
  }
  EXPECT_EQ(made, 0);
}

TEST(RealTime, OversampledRoadAllocatesNothingAfterSetUp) {
  Engine e;
  ResetEngine(e, 44100);
  e.SetOversampling(4);
  std::vector<double> main = Noise(2 * 512, 0.5), side = Noise(2 * 512, 0.5, 2);
  long made = 0;
  {
    AllocationHooks::Count count;
    RunFrames(e, main, side);
    e.sidechainFrames = side.data();
    e.ProcessBlock(main.data(), 64);
    made = count.Made();
  }
  EXPECT_EQ(made, 0);
}

TEST(RealTime, FailedHistoryAllocationKeepsTheOldRing) {
  Corvane::GainBuffer b;
  ASSERT_TRUE(b.Resize(4));
  b.Push(1.5);
  double* items = b.items;
  bool resized = true;
  {
    AllocationHooks::Refuse refuse;
    resized = b.Resize(441);
  }
  EXPECT_FALSE(resized);
  EXPECT_EQ(b.items, items);
  EXPECT_EQ(b.length, 4);
  EXPECT_EQ(b.position, 1);
  EXPECT_EQ(b.items[0], 1.5);
}

TEST(RealTime, BlockWithoutWorkMemoryIsLeftUnprocessed) {
  Engine e;
  ResetEngine(e, 44100);
  e.SetMix(0.5);  // the dry share needs a copy of the block
  std::vector<double> big = Noise(2 * 10000, 0.5);
  const std::vector<double> before = big;
  bool processed = true;
  {
    AllocationHooks::Refuse refuse;
    processed = e.ProcessBlock(big.data(), 10000);
  }
  EXPECT_FALSE(processed);
  EXPECT_EQ(big, before);
  double frame[2] = {0.25, 0.25};
  EXPECT_TRUE(e.ProcessBlock(frame, 1)) << "prepared sizes still work";
  EXPECT_TRUE(e.ProcessBlock(big.data(), 10000)) << "and larger blocks once memory is there";
}
