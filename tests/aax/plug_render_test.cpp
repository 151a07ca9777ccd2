// The render callback through the registered process procedure, over contexts the fake host
// builds, and the transport getters during and before a block.

#include <cmath>

#include "hosted_plug.h"

namespace aaxtest {
namespace {

using namespace fakehost;

using PlugRender = HostedPlug;

void Fill(RenderContext& context, const std::vector<float>& levels) {
  for (size_t c = 0; c < levels.size(); ++c)
    for (int i = 0; i < context.frames; ++i) context.in[c][i] = levels[c] * (1.0f + i % 7);
}

TEST_F(PlugRender, AStereoBlockRidesOnTheHostsSideChainBuffer) {
  RenderContext context = Context(2, 2, 64);
  Fill(context, {1.0f, 2.0f, 0.5f});
  context.RouteSideChain(true);
  Render(context);
  EXPECT_FLOAT_EQ(1.5f, context.out[0][0]);
  EXPECT_FLOAT_EQ(2.5f, context.out[1][0]);
  EXPECT_FLOAT_EQ(7 * 1.5f, context.out[0][6]);

  context.RouteSideChain(false);
  Render(context);
  EXPECT_FLOAT_EQ(1.0f, context.out[0][0]);
  // An index beyond the main channels would read past the host's array (ASan): not bound.
  context.SetSideChainIndex(7);
  Render(context);
  EXPECT_FLOAT_EQ(2.0f, context.out[1][0]);
}

TEST_F(PlugRender, TheMonoConfigurationBindsOneChannelEachWayWhateverTheStemsSayLater) {
  host.controller.inputStem = kMonoStem;
  host.controller.outputStem = kMonoStem;
  RenderContext context = Context(1, 1, 64);
  Fill(context, {1.0f, 0.25f});
  context.RouteSideChain(true);
  Render(context);
  EXPECT_FLOAT_EQ(1.25f, context.out[0][0]);
  // The host now claims more than the configuration it was given, or cannot tell: the last
  // answer holds, and ASan sees no read past the one-buffer arrays.
  host.controller.inputStem = host.controller.outputStem = 0x0000FFFF;
  Render(context);
  host.controller.stemResult = -20004;
  Render(context);
  EXPECT_FLOAT_EQ(1.25f, context.out[0][0]);
}

TEST_F(PlugRender, BypassPassesTheAudioThroughWithoutProcessing) {
  ASSERT_EQ(0, Call(kApplyHostValue, kBypassId, 1.0, 0));
  RenderContext context = Context(2, 2, 64);
  Fill(context, {1.0f, 2.0f, 0.5f});
  context.RouteSideChain(true);
  Render(context);
  EXPECT_EQ(0, plug->processCalls);
  EXPECT_FLOAT_EQ(1.0f, context.out[0][0]);
  EXPECT_FLOAT_EQ(2.0f, context.out[1][0]);
}

TEST_F(PlugRender, ABlockBeyondTheLargestRunsWholeInPiecesWithoutResizingOrResetting) {
  constexpr int kLargest = IPlugBase::kMaxBlockSize, kTail = 100;
  constexpr int kFrames = 2 * kLargest + kTail;  // kLargest is no multiple of Fill's period 7
  const int resets = plug->resets, calls = plug->processCalls;
  EXPECT_EQ(kLargest, plug->GetBlockSize()) << "sized for the largest block before any block";
  RenderContext context = Context(2, 2, kFrames);
  Fill(context, {1.0f, 2.0f, 0.5f});
  context.RouteSideChain(true);
  Render(context);
  EXPECT_EQ(calls + 3, plug->processCalls);
  EXPECT_EQ(kTail, plug->lastFrames);
  EXPECT_EQ(kLargest, plug->GetBlockSize());
  for (int c = 0; c < 2; ++c) {
    for (int i = 0; i < kFrames; ++i) {
      const double expected = static_cast<double>(context.in[c][i]) + context.in.back()[i];  // the side chain
      ASSERT_EQ(static_cast<float>(expected), context.out[c][i]) << c << ":" << i;
    }
  }
  context.SetFrames(kTail);  // a short block at a loop end keeps the processing's state
  Render(context);
  EXPECT_EQ(resets, plug->resets);
}

TEST_F(PlugRender, ABlockOfNoFramesIsRefused) {
  RenderContext context = Context(2, 2, 64);
  for (int frames : {0, -64}) {
    context.SetFrames(frames);
    context.out[0][0] = 9.0f;
    Render(context);
    EXPECT_EQ(9.0f, context.out[0][0]);
  }
  EXPECT_EQ(0, plug->processCalls);
}

TEST_F(PlugRender, OutsideAStartedInstanceTheAudioPassesThrough) {
  RenderContext context = Context(2, 2, 64);
  Fill(context, {1.0f, 2.0f, 0.5f});
  context.RouteSideChain(true);
  ASSERT_EQ(0, Call(kStopInstance));
  Render(context);
  EXPECT_EQ(0, plug->processCalls);
  EXPECT_FLOAT_EQ(1.0f, context.out[0][0]);
  ASSERT_EQ(0, Call(kStartInstance, host.Interface()));
}

TEST_F(PlugRender, TheTransportGettersReadTheTransportOfTheBlock) {
  TransportInfo before;
  before.mTempo = -1.0;
  plug->GetTransportInfo(&before);  // no block yet: nothing to read
  EXPECT_EQ(-1.0, before.mTempo);
  EXPECT_EQ(0.0, plug->GetHostTempo());

  RenderContext context = Context(2, 2, 64);
  FakeTransport& t = context.transportNode.values;
  t.tempo = 90.0;
  t.numerator = 7;
  t.denominator = 8;
  t.playing = true;
  t.ticks = 2 * 960000;
  t.looping = true;
  t.loopStart = 0;
  t.loopEnd = 4 * 960000;
  t.samples = 44100;
  Render(context);
  TransportInfo info;
  plug->GetTransportInfo(&info);
  EXPECT_EQ(90.0, info.mTempo);
  EXPECT_EQ(2.0, info.mPPQPos);
  EXPECT_EQ(0.0, info.mCycleStart);
  EXPECT_EQ(4.0, info.mCycleEnd);
  EXPECT_TRUE(info.mTransportIsRunning && info.mTransportLoopEnabled);
  EXPECT_EQ(7, info.mNumerator);
  EXPECT_EQ(8, info.mDenominator);
  EXPECT_EQ(44100.0, info.mSamplePos);
  EXPECT_EQ(44100, plug->GetSongPositionSamples());

  // A host that cannot answer leaves what the caller had.
  t.result = -20004;
  TransportInfo untouched;
  untouched.mTempo = -1.0;
  plug->GetTransportInfo(&untouched);
  EXPECT_EQ(-1.0, untouched.mTempo);
}

}  // namespace
}  // namespace aaxtest
