// The adapter's audio side: set-up, bus arrangements, process in 32 and 64 bits with and
// without the side chain, mono buses, flushes, blocks longer than announced, parameter queues
// (values, bypass, presets, MIDI controllers), MIDI events and the transport.
#include <cmath>
#include <limits>

#include "adapter_host.h"
#include "tests/iplug/recording_plug.h"

using namespace vst3test;

namespace {

constexpr uint32_t kPreset = 0x70727374, kBypass = 0x62706173;
constexpr uint64_t kMono = 0x80000, kStereo = 0x3;

double MainL(int i) { return 0.5 * std::sin(0.05 * i); }
double MainR(int i) { return 0.25 * std::cos(0.03 * i) + 0.125; }
double SideL(int i) { return 0.01 * (i % 7); }
double SideR(int i) { return -0.02 * (i % 5); }

void FillStereo(HostBlock& block, bool withSide = true) {
  block.fill(0, 0, MainL);
  block.fill(0, 1, MainR);
  if (withSide) {
    block.fill(1, 0, SideL);
    block.fill(1, 1, SideR);
  }
}

// What the test plug-in makes of the block's own (already stored) input samples.
double Expected(const HostBlock& block, bool is64, int channel, int i, double gain, bool side) {
  const double v = block.in(0, channel, i) * gain + (side ? block.in(1, channel, i) : 0.0);
  return is64 ? v : static_cast<double>(static_cast<float>(v));
}

class AdapterProcess : public AdapterHost, public ::testing::WithParamInterface<int32_t> {
 protected:
  bool Is64() const { return GetParam() == 1; }
};

TEST_F(AdapterHost, SetupProcessingTakesBothSampleSizesAndRefusesBadSetups) {
  Make();
  EXPECT_EQ(call<int32_t>(processor, slot::canProcessSampleSize, int32_t(0)), kOk);
  EXPECT_EQ(call<int32_t>(processor, slot::canProcessSampleSize, int32_t(1)), kOk);
  EXPECT_EQ(call<int32_t>(processor, slot::canProcessSampleSize, int32_t(2)), kFalse);

  EXPECT_EQ(setup(2, 256), kFalse);
  EXPECT_EQ(setup(0, 256, 0.0), kFalse);
  EXPECT_EQ(setup(0, 256, std::nan("")), kFalse);
  EXPECT_EQ(setup(0, -1), kFalse);
  EXPECT_EQ(plug->resets, 0);
  EXPECT_EQ(plug->GetBlockSize(), 0);
  EXPECT_EQ(plug->GetSampleRate(), 44100.0);

  EXPECT_EQ(setup(1, 256, 96000.0, 2), kOk);
  EXPECT_EQ(plug->resets, 1);
  EXPECT_EQ(plug->GetBlockSize(), 256);
  EXPECT_EQ(plug->GetSampleRate(), 96000.0);
  EXPECT_EQ(plug->GetProcessSetup().symbolicSampleSize, 1);
  EXPECT_TRUE(plug->IsProcessingOffline());
  EXPECT_EQ(setup(0, 128, 44100.0, 1), kOk);
  EXPECT_FALSE(plug->IsProcessingOffline());
  EXPECT_EQ(call<int32_t>(component, slot::setActive, uint8_t(0)), kOk);
  EXPECT_EQ(plug->activations, std::vector<bool>{false});
}

TEST_F(AdapterHost, SampleRatesOutsideTheFrameworkRangeAreRefusedLeavingThePlugInAsItWas) {
  Make();
  ASSERT_EQ(setup(0, 256, 48000.0), kOk);
  const double kMin = IPlugBase::kMinSampleRate, kMax = IPlugBase::kMaxSampleRate;
  const double inf = std::numeric_limits<double>::infinity();
  for (double rate : {0.0, -44100.0, std::nan(""), inf, -inf, std::numeric_limits<double>::max(), 1e10,
                      std::nextafter(kMin, 0.0), std::nextafter(kMax, inf)}) {
    EXPECT_EQ(setup(1, 512, rate, 2), kFalse) << rate;
    EXPECT_EQ(plug->GetSampleRate(), 48000.0);
    EXPECT_EQ(plug->GetBlockSize(), 256);
    EXPECT_EQ(plug->GetProcessSetup().symbolicSampleSize, 0);
    EXPECT_EQ(plug->resets, 1);
  }
  EXPECT_EQ(setup(0, 256, kMin), kOk);
  EXPECT_EQ(plug->GetSampleRate(), kMin);
  EXPECT_EQ(setup(0, 256, kMax), kOk);
  EXPECT_EQ(plug->GetSampleRate(), kMax);
}

TEST_F(AdapterHost, BusArrangementsFollowTheLegalChannelPairs) {
  Make();
  EXPECT_EQ(arrange({kStereo, kStereo}, {kStereo}), kOk);
  EXPECT_EQ(arrange({kStereo}, {kStereo}), kFalse);                   // the side-chain bus is missing
  EXPECT_EQ(arrange({kStereo, kStereo, kStereo}, {kStereo}), kFalse);  // one too many
  EXPECT_EQ(arrange({0x7, kStereo}, {0x7}), kFalse);                  // 3-3 is no legal pair
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(plug->IsInChannelConnected(i));
  for (int i = 0; i < 2; ++i) EXPECT_FALSE(plug->IsOutChannelConnected(i));

  // Missing arrays or counts: refused without reading anything.
  uint64_t outs[] = {kStereo};
  EXPECT_EQ(call<int32_t>(processor, slot::setBusArrangements, static_cast<uint64_t*>(nullptr), int32_t(2), outs,
                          int32_t(1)),
            kInvalidArgument);
  EXPECT_EQ(call<int32_t>(processor, slot::setBusArrangements, outs, int32_t(1), static_cast<uint64_t*>(nullptr),
                          int32_t(1)),
            kInvalidArgument);
  EXPECT_EQ(call<int32_t>(processor, slot::setBusArrangements, outs, int32_t(-1), outs, int32_t(1)),
            kInvalidArgument);
  EXPECT_EQ(call<int32_t>(processor, slot::setBusArrangements, static_cast<uint64_t*>(nullptr), int32_t(0), outs,
                          int32_t(1)),
            kFalse);
  EXPECT_EQ(call<int32_t>(processor, slot::setBusArrangements, outs, int32_t(1), static_cast<uint64_t*>(nullptr),
                          int32_t(0)),
            kFalse);

  // Other channel counts replace the buses: main "Input", "Output", "Sidechain Input".
  EXPECT_EQ(arrange({kMono, kMono}, {kMono}), kOk);
  BusInfo in = busInfo(0, 0, 0), side = busInfo(0, 0, 1), out = busInfo(0, 1, 0);
  EXPECT_EQ(u16(in.name), u"Input");
  EXPECT_EQ(in.channelCount, 1);
  EXPECT_EQ(in.flags, 1u);
  EXPECT_EQ(u16(side.name), u"Sidechain Input");
  EXPECT_EQ(side.channelCount, 1);
  EXPECT_EQ(side.busType, 1);
  EXPECT_EQ(side.flags, 0u);
  EXPECT_EQ(u16(out.name), u"Output");
  EXPECT_EQ(out.channelCount, 1);
  EXPECT_EQ(busCount(0, 0), 2);
  // The same counts again keep the buses.
  EXPECT_EQ(arrange({kMono, kMono}, {kMono}), kOk);
  EXPECT_EQ(busCount(0, 0), 2);

  // Without side-chain channels exactly one input bus is asked for.
  Destroy();
  PlugOptions plain;
  plain.sideChain = 0;
  Make(plain);
  EXPECT_EQ(busCount(0, 0), 1);
  EXPECT_EQ(busInfo(0, 0, 0).channelCount, 4);  // every input channel is main
  EXPECT_EQ(arrange({kStereo}, {kStereo}), kOk);
  EXPECT_EQ(arrange({kStereo, kStereo}, {kStereo}), kFalse);
}

TEST_P(AdapterProcess, StereoWithSideChainAndTheSideChainSwitchedOff) {
  Make();
  StartStereo(GetParam());
  plug->GetParam(kGain)->Set(-6.0);
  const double gain = plug->GetParam(kGain)->DecibelsToGain();

  HostBlock block(Is64(), 64, {2, 2}, {2});
  FillStereo(block);
  ASSERT_EQ(process(block.data()), kOk);
  EXPECT_EQ(plug->processCalls, 1);
  EXPECT_EQ(plug->lastFrames, 64);
  EXPECT_TRUE(plug->IsSideChainConnected());
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < 64; ++i) ASSERT_EQ(block.out(0, c, i), Expected(block, Is64(), c, i, gain, true)) << c << ":" << i;

  // Side chain off: silent from the next block on, although its buffers still hold samples.
  ASSERT_EQ(activateBus(0, 0, 1, false), kOk);
  block.fillOutputs(9.0);
  ASSERT_EQ(process(block.data()), kOk);
  EXPECT_FALSE(plug->IsSideChainConnected());
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < 64; ++i) ASSERT_EQ(block.out(0, c, i), Expected(block, Is64(), c, i, gain, false)) << c << ":" << i;

  // And back on.
  ASSERT_EQ(activateBus(0, 0, 1, true), kOk);
  ASSERT_EQ(process(block.data()), kOk);
  EXPECT_EQ(block.out(0, 1, 9), Expected(block, Is64(), 1, 9, gain, true));

  // A host that leaves the side-chain bus out of the block although it is active.
  HostBlock mainOnly(Is64(), 64, {2}, {2});
  FillStereo(mainOnly, false);
  ASSERT_EQ(process(mainOnly.data()), kOk);
  EXPECT_FALSE(plug->IsSideChainConnected());
  for (int i = 0; i < 64; ++i) ASSERT_EQ(mainOnly.out(0, 0, i), Expected(mainOnly, Is64(), 0, i, gain, false));
}

TEST_P(AdapterProcess, MonoBusesBindOnlyTheChannelsTheyHave) {
  Make();
  ASSERT_EQ(arrange({kMono, kStereo}, {kMono}), kOk);
  ASSERT_EQ(activateBus(0, 0, 0, true), kOk);
  ASSERT_EQ(activateBus(0, 0, 1, true), kOk);
  ASSERT_EQ(activateBus(0, 1, 0, true), kOk);
  ASSERT_EQ(setup(GetParam(), 32), kOk);

  HostBlock block(Is64(), 32, {1, 2}, {1});
  block.fill(0, 0, MainL);
  block.fill(1, 0, SideL);
  block.fill(1, 1, SideR);
  ASSERT_EQ(process(block.data()), kOk);
  for (int i = 0; i < 32; ++i) ASSERT_EQ(block.out(0, 0, i), Expected(block, Is64(), 0, i, 1.0, true));
  EXPECT_FALSE(plug->IsInChannelConnected(1));
  EXPECT_FALSE(plug->IsOutChannelConnected(1));

  // A mono side chain into the stereo main bus: the right side-chain channel is silent. The
  // bus that replaces the side-chain bus keeps the host's activation.
  ASSERT_EQ(arrange({kStereo, kMono}, {kStereo}), kOk);
  HostBlock mono(Is64(), 32, {2, 1}, {2});
  FillStereo(mono, false);
  mono.fill(1, 0, SideL);
  ASSERT_EQ(process(mono.data()), kOk);
  EXPECT_TRUE(plug->IsSideChainConnected());
  for (int i = 0; i < 32; ++i) {
    ASSERT_EQ(mono.out(0, 0, i), Expected(mono, Is64(), 0, i, 1.0, true));
    ASSERT_EQ(mono.out(0, 1, i), Expected(mono, Is64(), 1, i, 1.0, false));
  }
}

TEST_P(AdapterProcess, FlushesApplyParametersAndSkipTheAudio) {
  Make();
  StartStereo(GetParam());
  rawhost::ChangesFace changes;
  addQueue(changes, kGain, {{0, 0.25}});
  ProcessData flush{};
  flush.symbolicSampleSize = GetParam();
  flush.inputParameterChanges = asChanges(changes);
  ASSERT_EQ(process(flush), kOk);
  EXPECT_EQ(value(kGain), -42.0);
  EXPECT_EQ(plug->processCalls, 0);

  // Frames but no output buses.
  HostBlock inputsOnly(Is64(), 16, {2, 2}, {});
  addQueue(changes, kGain, {{0, 0.5}});
  inputsOnly.data().inputParameterChanges = asChanges(changes);
  ASSERT_EQ(process(inputsOnly.data()), kOk);
  EXPECT_EQ(value(kGain), -24.0);
  EXPECT_EQ(plug->processCalls, 0);

  // Output buses without buffers and input buses without buffers: processed on silence.
  HostBlock bare(Is64(), 16, {2, 2}, {2});
  bare.data().inputs[0].channelBuffers32 = nullptr;
  bare.data().outputs[0].channelBuffers32 = nullptr;
  ASSERT_EQ(process(bare.data()), kOk);
  EXPECT_EQ(plug->processCalls, 1);

  // A sample size the adapter does not know: refused, nothing run.
  HostBlock block(Is64(), 16, {2, 2}, {2});
  block.data().symbolicSampleSize = 7;
  EXPECT_EQ(process(block.data()), kInvalidArgument);
  EXPECT_EQ(plug->processCalls, 1);
}

TEST_P(AdapterProcess, LongerBlocksThanAnnouncedAreProcessedWhole) {
  constexpr int kAnnounced = 64, kDelivered = 200;
  Make();
  StartStereo(GetParam(), kAnnounced);
  HostBlock block(Is64(), kDelivered, {2, 2}, {2});
  FillStereo(block);
  ASSERT_EQ(process(block.data()), kOk);
  // In pieces of the announced size: the scratch buffers do not grow on the audio thread.
  EXPECT_EQ(plug->processCalls, (kDelivered + kAnnounced - 1) / kAnnounced);
  EXPECT_EQ(plug->lastFrames, kDelivered % kAnnounced);
  EXPECT_EQ(plug->GetBlockSize(), kAnnounced);
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < kDelivered; ++i) ASSERT_EQ(block.out(0, c, i), Expected(block, Is64(), c, i, 1.0, true));

  // Also before any set-up (no block size announced at all).
  Destroy();
  Make();
  ASSERT_EQ(arrange({kStereo, kStereo}, {kStereo}), kOk);
  ASSERT_EQ(activateBus(0, 1, 0, true), kOk);
  HostBlock early(Is64(), 48, {2, 2}, {2});
  FillStereo(early);
  ASSERT_EQ(process(early.data()), kOk);
  EXPECT_EQ(plug->lastFrames, 48);
  EXPECT_EQ(early.out(0, 1, 47), Expected(early, Is64(), 1, 47, 1.0, false));  // side chain not activated
}

TEST_P(AdapterProcess, AHugeAnnouncedBlockIsTakenAsTheLargestAndLongerBlocksRunWholeInItsPieces) {
  constexpr int32_t kHugeBlock = 200000000;  // 1.6 GB per channel, were it taken as announced
  constexpr int kLargest = IPlugBase::kMaxBlockSize, kTail = 123;
  constexpr int kFrames = 2 * kLargest + kTail;
  Make();
  StartStereo(GetParam(), kHugeBlock);  // answered kResultOk
  EXPECT_EQ(plug->GetBlockSize(), kLargest);
  HostBlock block(Is64(), kFrames, {2, 2}, {2});
  FillStereo(block);
  ASSERT_EQ(process(block.data()), kOk);
  EXPECT_EQ(plug->processCalls, 3);
  EXPECT_EQ(plug->lastFrames, kTail);
  EXPECT_EQ(plug->GetBlockSize(), kLargest);
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < kFrames; ++i) ASSERT_EQ(block.out(0, c, i), Expected(block, Is64(), c, i, 1.0, true)) << i;
}

TEST_P(AdapterProcess, BypassFromTheHostPassesTheInputThrough) {
  PlugOptions delayed;
  delayed.latency = 3;
  Make(delayed);
  StartStereo(GetParam());
  EXPECT_EQ(call<uint32_t>(processor, slot::getLatencySamples), 3u);
  rawhost::ChangesFace changes;
  addQueue(changes, kBypass, {{0, 0.0}, {5, 1.0}});
  HostBlock block(Is64(), 32, {2, 2}, {2});
  FillStereo(block);
  block.data().inputParameterChanges = asChanges(changes);
  ASSERT_EQ(process(block.data()), kOk);
  EXPECT_TRUE(plug->IsBypassed());
  EXPECT_EQ(getNormalized(kBypass), 1.0);
  EXPECT_EQ(plug->processCalls, 0);
  for (int c = 0; c < 2; ++c) {
    for (int i = 0; i < 32; ++i) {
      const double expected = i < 3 ? 0.0 : block.in(0, c, i - 3);  // through the latency delay
      ASSERT_EQ(block.out(0, c, i), expected) << c << ":" << i;
    }
  }
  // NaN leaves the switch as it is; 0.4 turns it off.
  changes.queues.clear();
  addQueue(changes, kBypass, {{0, std::nan("")}});
  ASSERT_EQ(process(block.data()), kOk);
  EXPECT_TRUE(plug->IsBypassed());
  changes.queues.clear();
  addQueue(changes, kBypass, {{0, 0.4}});
  ASSERT_EQ(process(block.data()), kOk);
  EXPECT_FALSE(plug->IsBypassed());
  EXPECT_EQ(plug->processCalls, 1);
}

TEST_P(AdapterProcess, ParameterQueuesDeliverTheirLastValueToTheEffectAndTheEditor) {
  Make();
  auto* editor = new RecordingEditor();
  plug->BindGraphics(editor);
  editor->updates.clear();
  StartStereo(GetParam());
  plug->paramChanges.clear();

  rawhost::ChangesFace changes;
  addQueue(changes, kGain, {{0, 0.1}, {10, 0.5}});
  addQueue(changes, kDrive, {{3, 1.5}});          // taken to 1
  addQueue(changes, kCutoff, {{0, -0.25}});       // taken to 0
  addQueue(changes, kMode, {{0, std::nan("")}});  // ignored
  addQueue(changes, kEnabled, {});                // no points
  addQueue(changes, kHidden, {{0, 1.0}}).vtable = kBrokenQueueTable;  // unreadable
  addQueue(changes, 4711, {{0, 1.0}});                                 // unknown
  addQueue(changes, kNumParams + 3, {{0, 1.0}});                       // a controller, without MIDI
  HostBlock block(Is64(), 16, {2, 2}, {2});
  block.data().inputParameterChanges = asChanges(changes);
  ASSERT_EQ(process(block.data()), kOk);

  EXPECT_EQ(value(kGain), -24.0);
  EXPECT_EQ(value(kDrive), 100.0);
  EXPECT_EQ(value(kCutoff), 20.0);
  EXPECT_EQ(value(kMode), 1.0);
  EXPECT_EQ(value(kEnabled), 1.0);
  EXPECT_EQ(value(kHidden), 0.0);
  ASSERT_EQ(plug->paramChanges.size(), 3u);
  const int changed[] = {kGain, kDrive, kCutoff};
  const double normalized[] = {0.5, 1.0, 0.0};
  ASSERT_EQ(editor->updates.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(plug->paramChanges[k].index, changed[k]);
    EXPECT_EQ(plug->paramChanges[k].source, kSourceHost);
    EXPECT_EQ(editor->updates[k].param, changed[k]);
    EXPECT_EQ(editor->updates[k].value, normalized[k]);
    EXPECT_TRUE(editor->updates[k].normalized);
  }
  EXPECT_TRUE(plug->midiEvents.empty());
  EXPECT_EQ(plug->processCalls, 1);
}

TEST_P(AdapterProcess, PresetsFromTheHostRoundToTheNearestStep) {
  Make();
  StartStereo(GetParam());
  const double gains[] = {0.0, 6.0, -30.0};
  rawhost::ChangesFace changes;
  HostBlock block(Is64(), 16, {2, 2}, {2});
  block.data().inputParameterChanges = asChanges(changes);
  auto send = [&](double v) {
    changes.queues.clear();
    addQueue(changes, kPreset, {{0, v}});
    ASSERT_EQ(process(block.data()), kOk);
  };
  for (int k : {2, 0, 1}) {
    send(k / 3.0);
    EXPECT_EQ(plug->GetCurrentPresetIdx(), k);
    EXPECT_EQ(value(kGain), gains[k]);
  }
  // A host that computes k / 3 in single precision may land just below the step.
  for (int k : {2, 1}) {
    send(0.0);
    send(static_cast<double>(std::nextafter(static_cast<float>(k / 3.0), 0.0f)));
    EXPECT_EQ(plug->GetCurrentPresetIdx(), k);
    EXPECT_EQ(value(kGain), gains[k]);
  }
  // 1 (and anything taken to it) lies one past the last preset: nothing changes.
  plug->GetParam(kGain)->Set(-1.5);
  for (double v : {1.0, 3.5}) {
    send(v);
    EXPECT_EQ(plug->GetCurrentPresetIdx(), 1);
    EXPECT_EQ(value(kGain), -1.5);
  }
}

TEST_P(AdapterProcess, MidiEventsAndControllersWithMidiInput) {
  PlugOptions midi;
  midi.midi = true;
  Make(midi);
  StartStereo(GetParam());
  rawhost::EventsFace events;
  auto add = [&](uint16_t type, int32_t offset, int16_t channel, int16_t pitch, float velocity) {
    Steinberg::Vst::Event e{};
    e.type = type;
    e.sampleOffset = offset;
    if (type == 0) {
      e.noteOn.channel = channel;
      e.noteOn.pitch = pitch;
      e.noteOn.velocity = velocity;
    } else {
      e.noteOff.channel = channel;
      e.noteOff.pitch = pitch;
      e.noteOff.velocity = velocity;
    }
    auto* bytes = reinterpret_cast<unsigned char*>(&e);
    events.events.emplace_back(bytes, bytes + sizeof e);
  };
  add(0, 5, 2, 60, 0.5f);
  add(1, 7, 1, 61, 0.3f);
  add(3, 8, 0, 62, 1.0f);  // poly pressure: not passed on
  add(0, 9, 0, 64, std::nanf(""));
  rawhost::ChangesFace changes;
  addQueue(changes, kNumParams + 7, {{0, 1.0}});
  addQueue(changes, kNumParams + 128, {{0, 1.0}});  // past the controllers
  HostBlock block(Is64(), 16, {2, 2}, {2});
  block.data().inputEvents = asEvents(events);
  block.data().inputParameterChanges = asChanges(changes);
  ASSERT_EQ(process(block.data()), kOk);

  struct Message {
    int offset, status, data1, data2;
  };
  const Message expected[] = {{0, 0xB0, 7, 127}, {5, 0x92, 60, 63}, {7, 0x81, 61, 0}, {9, 0x90, 64, 0}};
  ASSERT_EQ(plug->midiEvents.size(), 4u);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(plug->midiEvents[k].mOffset, expected[k].offset) << k;
    EXPECT_EQ(plug->midiEvents[k].mStatus, expected[k].status) << k;
    EXPECT_EQ(plug->midiEvents[k].mData1, expected[k].data1) << k;
    EXPECT_EQ(plug->midiEvents[k].mData2, expected[k].data2) << k;
  }
  Destroy();

  // Without MIDI input the events are not looked at.
  Make();
  StartStereo(GetParam());
  ASSERT_EQ(process(block.data()), kOk);
  EXPECT_TRUE(plug->midiEvents.empty());
}

TEST_P(AdapterProcess, TransportComesFromTheLastBlockThatCarriedIt) {
  Make();
  StartStereo(GetParam());
  ProcessContext context{};
  context.state = ProcessContext::kPlaying | ProcessContext::kCycleActive | ProcessContext::kTempoValid;
  context.sampleRate = 48000.0;
  context.projectTimeSamples = 96000;
  context.projectTimeMusic = 6.5;
  context.barPositionMusic = 4.0;
  context.cycleStartMusic = 8.0;
  context.cycleEndMusic = 16.0;
  context.tempo = 128.0;
  context.timeSigNumerator = 7;
  context.timeSigDenominator = 8;
  HostBlock block(Is64(), 16, {2, 2}, {2});
  block.data().processContext = &context;
  ASSERT_EQ(process(block.data()), kOk);
  block.data().processContext = nullptr;
  ASSERT_EQ(process(block.data()), kOk);  // keeps what it had

  TransportInfo info;
  plug->GetTransportInfo(&info);
  EXPECT_EQ(info.mTempo, 128.0);
  EXPECT_EQ(info.mSamplePos, 96000.0);
  EXPECT_EQ(info.mPPQPos, 6.5);
  EXPECT_EQ(info.mLastBar, 4.0);
  EXPECT_EQ(info.mCycleStart, 8.0);
  EXPECT_EQ(info.mCycleEnd, 16.0);
  EXPECT_EQ(info.mNumerator, 7);
  EXPECT_EQ(info.mDenominator, 8);
  EXPECT_TRUE(info.mTransportIsRunning);
  EXPECT_TRUE(info.mTransportLoopEnabled);
  EXPECT_EQ(plug->GetHostTempo(), 128.0);
  EXPECT_EQ(plug->GetSongPositionSamples(), 96000);
  int numerator = 0, denominator = 0;
  plug->GetTimeSignature(&numerator, &denominator);
  EXPECT_EQ(numerator, 7);
  EXPECT_EQ(denominator, 8);

  context.state = 0;
  block.data().processContext = &context;
  ASSERT_EQ(process(block.data()), kOk);
  plug->GetTransportInfo(&info);
  EXPECT_FALSE(info.mTransportIsRunning);
  EXPECT_FALSE(info.mTransportLoopEnabled);
}

TEST_F(AdapterHost, TheBlockRunsUnderThePlugLock) {
  Make();
  StartStereo(0);
  LockProbe probe;
  bool held = false;
  plug->hook = [&](const char* where) {
    if (std::string(where) == "process") held = probe.CallerHolds(plug->GetMutex());
  };
  HostBlock block(false, 16, {2, 2}, {2});
  ASSERT_EQ(process(block.data()), kOk);
  probe.Join();
  EXPECT_TRUE(held);
  plug->hook = nullptr;
}

INSTANTIATE_TEST_SUITE_P(SampleSizes, AdapterProcess, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int32_t>& info) {
                           return info.param == 1 ? std::string("Sample64") : std::string("Sample32");
                         });

}  // namespace
