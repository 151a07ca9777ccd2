// The block callback allocates nothing: not in the first block after a reset, not on any road,
// not with an editor attached, in 64 and 32 bits.
#include <gtest/gtest.h>

#include <vector>

#include "dsp/allocation_hooks.h"
#include "effect_test_util.h"

using EffectTest::Effect;
using EffectTest::Noise;
using EffectTest::Signals;

namespace {

Signals Input(size_t n) {
  Signals s(n);
  for (int c = 0; c < 4; ++c) s.in[c] = Noise(n, c < 2 ? 0.05 : 0.5, 20 + c);
  return s;
}

void Silent(const char*) {}

}  // namespace

TEST(RealTime, TheCounterSeesAllocations) {
  AllocationHooks::Count count;
  std::vector<int> v(10);
  EXPECT_EQ(count.Made(), 1);
}

TEST(RealTime, DefaultBlocksWithSideChainAllocateNothing) {
  Effect plug(44100, 512);
  Signals s = Input(512 * 40);
  AllocationHooks::Count count;
  s.Run(plug, 512);
  EXPECT_EQ(count.Made(), 0);
  EXPECT_NE(plug.V(Processor1Gain), 0.0);  // the blocks did their work
}

TEST(RealTime, EveryRoadWithAnEditorAllocatesNothing) {
  for (int automation : {AutomationIgnore, AutomationRead, AutomationWrite}) {
    for (HostCode host : {kHostReaper, kHostCubase}) {
      Effect plug(48000, 256);
      plug.RecallPreset(3);  // "Mid-Side vocal"
      plug.SetParameterValue(Automation, automation, kSourceEditor);
      plug.SetHostCode(host);
      plug.AttachEditor()->calls.reserve(1 << 16);
      Signals s = Input(256 * 20);
      AllocationHooks::Count count;
      s.Run(plug, 256);
      EXPECT_EQ(count.Made(), 0) << automation << " " << host;
    }
  }
}

TEST(RealTime, FloatBlocksAllocateNothing) {
  Effect plug(44100, 512);
  const size_t n = 512;
  std::vector<float> in[4], out[2];
  for (auto& c : in) c.assign(n, 0.25f);
  for (auto& c : out) c.assign(n, 0.0f);
  float* ins[4] = {in[0].data(), in[1].data(), in[2].data(), in[3].data()};
  float* outs[2] = {out[0].data(), out[1].data()};
  SetPlugConsoleSink(Silent);
  AllocationHooks::Count count;
  for (int b = 0; b < 20; ++b) plug.ProcessBlockFloat(ins, 4, outs, static_cast<int>(n));
  const long made = count.Made();
  SetPlugConsoleSink(nullptr);
  EXPECT_EQ(made, 0);
}
