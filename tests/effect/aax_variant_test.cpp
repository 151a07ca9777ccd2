// The AAX module's variant of the plug-in class: its channel configurations and its one
// side-chain channel feeding both sides.
#include <gtest/gtest.h>

#include "effect_test_util.h"

using EffectTest::Effect;
using EffectTest::Noise;

TEST(AaxVariant, ChannelsAndSideChain) {
  Effect plug;
  EXPECT_EQ(plug.NChannelIO(), 2);
  EXPECT_TRUE(plug.LegalIO(2, 1));
  EXPECT_TRUE(plug.LegalIO(3, 2));
  EXPECT_FALSE(plug.LegalIO(4, 2));
  EXPECT_EQ(plug.NInChannels(), 3);
  EXPECT_EQ(plug.SideChainChannels(), 1);

  // Detector 1 on the side of the side chain: with the one channel on both sides it is silent,
  // whatever the main inputs do; its mid carries the level.
  for (int source : {Corvane::SourceExtSide, Corvane::SourceExtMid}) {
    Effect p;
    p.SetParameterValue(Detector1Source, source, kSourceEditor);
    const size_t n = 4096;
    std::vector<double> l = Noise(n, 0.3, 1), r = Noise(n, 0.3, 2), side = Noise(n, 0.5, 3), o0(n), o1(n);
    for (size_t at = 0; at < n; at += 512) {
      double* ins[3] = {l.data() + at, r.data() + at, side.data() + at};
      double* outs[2] = {o0.data() + at, o1.data() + at};
      p.ProcessBlock(ins, 3, outs, 512);
    }
    if (source == Corvane::SourceExtSide) {
      EXPECT_EQ(p.engine.detectors[0].envelope, 0.0);
    } else {
      EXPECT_GT(p.engine.detectors[0].envelope, 0.01);
    }
  }
}
