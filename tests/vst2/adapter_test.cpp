// The VST2 adapter (IPlugVST) under a small plug-in of its own, for what the effect cannot show:
// MIDI in and out, the channel limit for hosts that feed two channels, the host's identity and
// time record, gestures and automation, negated text entry, latency, and exceptions stopping at
// the host boundary. Driven through the published offsets and opcodes by the test host.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "iplug/vst2/IPlugVST.h"
#include "tools/vst2host/Vst2Host.h"

using namespace vst2pub;
using vst2host::Host;

namespace {

struct Options {
  bool midi = false;
  bool throwInReset = false;
};
Options gOptions;

class TestPlug : public IPlugVST {
 public:
  TestPlug()
      : IPlugVST(PendingHostCallback(), 2, "2-2 4-2", 1, "Test", "TestProduct", "TestMaker", 0x00010203,
                 0x43765432 /* 'CvT2' */, 0x54734D6B /* 'TsMk' */, 0, gOptions.midi, false, false, 2) {
    GetParam(0)->InitNumber("Level", 0.0, -20.0, 20.0, 0.5, "dB");
    GetParam(0)->SetNegateDisplay(true);
    GetParam(1)->InitNumber("Drive", 0.0, 0.0, 10.0, 0.5);
    MakePresetFromParamPairs("Default", 0);
  }
  void ResetProcessing() override {
    if (gOptions.throwInReset) throw std::runtime_error("reset");
  }
  void ProcessSysExEvent(SysExEvent* event) override { sysExSizes.push_back(event->mSize); }
  std::vector<int> sysExSizes;
};

void* PUBLISHED_VST2_CALL CreateTestPlug(HostCallback callback) {
  IPlugVST::CreationScope scope(reinterpret_cast<Vst2HostCallback>(callback));
  return (new TestPlug)->GetRecord();
}

class Adapter : public ::testing::Test {
 protected:
  void Make(const Options& options = Options()) {
    gOptions = options;
    effect = host.Create(&CreateTestPlug);
    plug = static_cast<TestPlug*>(IPlugVST::FromRecord(static_cast<Vst2EffectRecord*>(effect)));
    ASSERT_NE(plug, nullptr);
  }
  void TearDown() override {
    if (effect) dispatch(effect, op::close);
    gOptions = Options();
  }

  Host host;
  void* effect = nullptr;
  TestPlug* plug = nullptr;
};

// An event list of up to two events, as a host lays it out.
struct EventList {
  explicit EventList(std::vector<unsigned char*> list) : bytes(events::entries + 2 * sizeof(void*), 0) {
    setField<int32_t>(bytes.data(), events::numEvents, static_cast<int32_t>(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i) setField(bytes.data(), events::entries + i * sizeof(void*), list[i]);
  }
  std::vector<unsigned char> bytes;
};

TEST_F(Adapter, MidiFromTheHostGoesBackOutAsOneEventAndSysExReachesThePlugIn) {
  Make({true, false});
  EXPECT_EQ(dispatch(effect, op::canDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")), 1);
  unsigned char note[event::kSize] = {};
  setField<int32_t>(note, event::type, event::kMidi);
  setField<int32_t>(note, event::byteSize, event::kSize);
  setField<int32_t>(note, event::deltaFrames, 17);
  const unsigned char noteOn[] = {0x90, 60, 100};
  std::memcpy(note + event::midiData, noteOn, sizeof(noteOn));
  unsigned char sysex[event::kSysExSize] = {};
  unsigned char dump[] = {0xF0, 0x7E, 0xF7};
  setField<int32_t>(sysex, event::type, event::kSysEx);
  setField<int32_t>(sysex, event::dumpBytes, 3);
  setField<unsigned char*>(sysex, event::sysexDump, dump);
  EventList list({note, sysex});
  EXPECT_EQ(dispatch(effect, op::processEvents, 0, 0, list.bytes.data()), 1);

  const auto out = host.Calls(host::processEvents);
  ASSERT_EQ(out.size(), 1u);
  ASSERT_EQ(out[0].event.size(), event::kSize);
  EXPECT_EQ(field<int32_t>(out[0].event.data(), event::type), event::kMidi);
  EXPECT_EQ(field<int32_t>(out[0].event.data(), event::byteSize), 32);
  EXPECT_EQ(field<int32_t>(out[0].event.data(), event::deltaFrames), 17);
  EXPECT_EQ(std::vector<unsigned char>(out[0].event.begin() + event::midiData, out[0].event.end()),
            (std::vector<unsigned char>{0x90, 60, 100, 0, 0, 0, 0, 0}));
  EXPECT_EQ(plug->sysExSizes, std::vector<int>{3});

  // A plug-in that takes MIDI asks for it on every process call.
  float* none[4] = {};
  process<float>(effect, record::processReplacing, none, none, 0);
  EXPECT_EQ(host.Calls(host::wantMidi).size(), 1u);
}

TEST_F(Adapter, HostsThatFeedTwoChannelsHaveTheSideChainDisconnectedAtOpen) {
  host.product = "Adobe Audition CS6";
  Make();
  dispatch(effect, op::open);
  EXPECT_TRUE(plug->IsInChannelConnected(1));
  EXPECT_FALSE(plug->IsInChannelConnected(2));
  EXPECT_FALSE(plug->IsInChannelConnected(3));
  EXPECT_EQ(plug->GetHostCode(), kHostAudition);
  EXPECT_EQ(plug->GetHostVersion(), 0x010203) << "10203 read as 1.2.3";
  EXPECT_EQ(field<int32_t>(effect, record::numInputs), 4);
}

TEST_F(Adapter, AnEmptyProductStringIdentifiesNoHostAndAsksNoVersion) {
  host.product = "";
  Make();
  EXPECT_EQ(plug->GetHostCode(), kHostUnknown);
  EXPECT_TRUE(host.Calls(host::getVendorVersion).empty());
  EXPECT_EQ(plug->GetHostVersion(), 0);
}

TEST_F(Adapter, TransportComesFromTheHostsTimeRecordOnlyWhereItIsValid) {
  Make();
  setField<double>(host.time.data(), timeinfo::samplePos, 1234.4);
  setField<double>(host.time.data(), timeinfo::ppqPos, 8.5);
  setField<double>(host.time.data(), timeinfo::tempo, 128.0);
  setField<int32_t>(host.time.data(), timeinfo::timeSigNumerator, 7);
  setField<int32_t>(host.time.data(), timeinfo::timeSigDenominator, 8);
  setField<int32_t>(host.time.data(), timeinfo::flags,
                    timeinfo::kPlaying | timeinfo::kTempoValid | timeinfo::kTimeSigValid);
  TransportInfo info;
  info.mPPQPos = -1.0;
  plug->GetTransportInfo(&info);
  EXPECT_EQ(info.mSamplePos, 1234.4);
  EXPECT_EQ(info.mPPQPos, -1.0) << "quarter notes not marked valid";
  EXPECT_EQ(info.mTempo, 128.0);
  EXPECT_EQ(info.mNumerator, 7);
  EXPECT_EQ(info.mDenominator, 8);
  EXPECT_TRUE(info.mTransportIsRunning);
  EXPECT_FALSE(info.mTransportLoopEnabled);
  EXPECT_EQ(plug->GetSongPositionSamples(), 1234);
  EXPECT_EQ(plug->GetHostTempo(), 128.0);
  EXPECT_EQ(host.Calls(host::getTime).back().value, timeinfo::kTempoValid) << "the tempo was asked for";

  host.giveTime = false;
  TransportInfo untouched;
  untouched.mTempo = 99.0;
  plug->GetTransportInfo(&untouched);
  EXPECT_EQ(untouched.mTempo, 99.0);
  int numerator = 3, denominator = 3;
  plug->GetTimeSignature(&numerator, &denominator);
  EXPECT_EQ(numerator + denominator, 0);
  EXPECT_EQ(plug->GetSongPositionSamples(), 0);
  EXPECT_EQ(plug->GetHostTempo(), 0.0);
}

TEST_F(Adapter, WithoutAHostCallbackEveryRequestHasItsEmptyAnswer) {
  TestPlug lone;  // made outside any creation scope
  TransportInfo info;
  lone.GetTransportInfo(&info);
  lone.BeginInformHostOfParamChange(0);
  lone.InformHostOfParamChange(0, 0.5);
  lone.EndInformHostOfParamChange(0);
  lone.InformHostOfDisplayChange();
  IMidiEvent note;
  EXPECT_FALSE(lone.SendMidiEventToHost(&note));
  EXPECT_FALSE(lone.IsProcessingOffline());
  EXPECT_EQ(lone.GetHostTempo(), 0.0);
  EXPECT_EQ(lone.GetHostCode(), kHostUnknown);
}

TEST_F(Adapter, GesturesAutomationAndDisplayChangesReachTheHost) {
  Make();
  plug->BeginInformHostOfParamChange(1);
  plug->InformHostOfParamChange(1, 0.25);
  plug->EndInformHostOfParamChange(1);
  plug->InformHostOfDisplayChange();
  std::vector<int32_t> opcodes;
  for (const auto& call : host.Calls()) opcodes.push_back(call.opcode);
  EXPECT_EQ(opcodes, (std::vector<int32_t>{host::beginEdit, host::automate, host::endEdit, host::updateDisplay}));
  EXPECT_EQ(host.Calls(host::automate)[0].index, 1);
  EXPECT_EQ(host.Calls(host::automate)[0].opt, 0.25f);
  host.processLevel = 4;
  EXPECT_TRUE(plug->IsProcessingOffline());
}

TEST_F(Adapter, TextEntryOnANegatedParameterStoresTheNegatedNumber) {
  Make();
  EXPECT_EQ(dispatch(effect, op::string2Parameter, 0, 0, const_cast<char*>("-6")), 1);
  EXPECT_EQ(plug->GetParam(0)->Value(), 6.0);
  EXPECT_EQ(dispatch(effect, op::string2Parameter, 0, 0, const_cast<char*>("-60")), 1);
  EXPECT_EQ(plug->GetParam(0)->Value(), 20.0) << "clamped into the range";
  EXPECT_EQ(dispatch(effect, op::string2Parameter, 0, 0, const_cast<char*>("1e999")), 0) << "not a finite number";
  EXPECT_EQ(plug->GetParam(0)->Value(), 20.0);
}

TEST_F(Adapter, LatencyAndBlockSizeReachTheRecordAndTheScratchBuffers) {
  Make();
  plug->SetLatencySamples(100);
  EXPECT_EQ(field<int32_t>(effect, record::initialDelay), 100);
  EXPECT_EQ(plug->GetBlockSize(), 1024) << "before any block size";
  dispatch(effect, op::setBlockSize, 0, 0);
  dispatch(effect, op::setBlockSize, 0, -8);
  EXPECT_EQ(plug->GetBlockSize(), 1024);
  dispatch(effect, op::setBlockSize, 0, 256);
  EXPECT_EQ(plug->GetBlockSize(), 256);
}

TEST_F(Adapter, ACallLongerThanTheLargestBlockRunsInPiecesOverTheConnectedChannels) {
  Make();
  unsigned char two[arrangement::kSize] = {};
  setField<int32_t>(two, arrangement::numChannels, 2);
  dispatch(effect, op::setSpeakerArrangement, 0, reinterpret_cast<IntPtr>(two), two);
  dispatch(effect, op::setBlockSize, 0, IPlugBase::kMaxBlockSize);
  const int frames = IPlugBase::kMaxBlockSize + 1000;
  std::vector<float> in[2], out[2];
  for (int c = 0; c < 2; ++c) {
    in[c].resize(frames);
    for (int i = 0; i < frames; ++i) in[c][static_cast<size_t>(i)] = static_cast<float>(i % 1000) + c;
    out[c].assign(frames, -1.0f);
  }
  float* inputs[2] = {in[0].data(), in[1].data()};  // as many pointers as connected channels
  float* outputs[2] = {out[0].data(), out[1].data()};
  process<float>(effect, record::processReplacing, inputs, outputs, frames);
  EXPECT_EQ(out[0], in[0]);  // the plug-in passes its inputs through
  EXPECT_EQ(out[1], in[1]);
}

TEST_F(Adapter, AnExceptionInThePlugInStopsAtTheHostBoundary) {
  Make({false, true});
  EXPECT_EQ(dispatch(effect, op::setSampleRate, 0, 0, nullptr, 48000.0f), 0);
  EXPECT_EQ(dispatch(effect, op::mainsChanged, 0, 0), 0);
  EXPECT_EQ(dispatch(effect, op::getVstVersion), 2400) << "the plug-in answers on";
}

TEST_F(Adapter, MidiKeyNamesAreClearedWhenThePlugInNamesNone) {
  Make();
  unsigned char key[keyname::kSize];
  std::fill(key, key + keyname::kSize, 'x');
  setField<int32_t>(key, keyname::keyNumber, 60);
  EXPECT_EQ(dispatch(effect, op::getMidiKeyName, 0, 0, key), 0);
  EXPECT_EQ(key[keyname::keyName], 0);
  EXPECT_EQ(dispatch(effect, op::getMidiKeyName), 0);
}

}  // namespace
