// The adapter's state stream: the framework chunk followed by the 32-bit bypass flag, through
// both interfaces, and every way a host stream can fail on the way in and out.
#include <cmath>
#include <cstring>

#include "adapter_host.h"
#include "tests/iplug/recording_plug.h"

using namespace vst3test;

namespace {

constexpr uint32_t kBypass = 0x62706173;
constexpr int kChunkSize = kNumParams * 8;

class AdapterState : public AdapterHost {
 protected:
  // A state as our getState writes it: the chunk of `values`, then the bypass flag.
  static std::vector<unsigned char> StateBytes(const std::vector<double>& values, int32_t bypass) {
    std::vector<unsigned char> bytes(values.size() * 8 + 4);
    for (std::size_t i = 0; i < values.size(); ++i) std::memcpy(&bytes[i * 8], &values[i], 8);
    std::memcpy(&bytes[values.size() * 8], &bypass, 4);
    return bytes;
  }
  static std::vector<double> SomeValues() { return {-7.5, 2.0, 0.0, 765.0, 42.0, 0.25}; }
  std::vector<double> Values() const {
    std::vector<double> v;
    for (int i = 0; i < kNumParams; ++i) v.push_back(value(i));
    return v;
  }
  void SetBypass(bool on) {
    rawhost::ChangesFace changes;
    addQueue(changes, kBypass, {{0, on ? 1.0 : 0.0}});
    ProcessData flush{};
    flush.inputParameterChanges = asChanges(changes);
    ASSERT_EQ(process(flush), kOk);
    ASSERT_EQ(plug->IsBypassed(), on);
  }
  // Loads `stream` and expects it to be refused with nothing changed.
  void ExpectRefusedUnchanged(void* stream) {
    const std::vector<double> before = Values();
    const bool bypass = plug->IsBypassed();
    plug->paramChanges.clear();
    EXPECT_EQ(setState(stream), kFalse);
    EXPECT_EQ(Values(), before);
    EXPECT_EQ(plug->IsBypassed(), bypass);
    EXPECT_TRUE(plug->paramChanges.empty());
  }
};

TEST_F(AdapterState, RoundTripOfEveryParameterAndTheBypassFlag) {
  Make();
  const std::vector<double> values = SomeValues();
  for (int i = 0; i < kNumParams; ++i) plug->GetParam(i)->Set(values[i]);
  SetBypass(true);
  rawhost::StreamFace stream;
  ASSERT_EQ(getState(&stream), kOk);
  EXPECT_EQ(stream.bytes, StateBytes(values, 1));  // little-endian doubles, then the flag

  Destroy();
  Make();
  auto* editor = new RecordingEditor();
  plug->BindGraphics(editor);
  editor->updates.clear();
  plug->paramChanges.clear();
  stream.pos = 0;
  ASSERT_EQ(setState(&stream), kOk);
  EXPECT_EQ(Values(), values);
  EXPECT_TRUE(plug->IsBypassed());
  EXPECT_EQ(getNormalized(kBypass), 1.0);
  ASSERT_EQ(plug->paramChanges.size(), static_cast<std::size_t>(kNumParams));
  for (const ChangeRecord& change : plug->paramChanges) EXPECT_EQ(change.source, kSourceRecall);
  // The editor was given the loaded values (plain).
  ASSERT_EQ(editor->updates.size(), static_cast<std::size_t>(kNumParams));
  EXPECT_EQ(editor->updates[kCutoff].value, 765.0);
  EXPECT_FALSE(editor->updates[kCutoff].normalized);

  // The flag off again, through the controller's slots this time.
  SetBypass(false);
  rawhost::StreamFace second;
  ASSERT_EQ(call<int32_t>(controller, slot::controllerGetState, static_cast<void*>(&second)), kOk);
  EXPECT_EQ(second.bytes, StateBytes(values, 0));
  stream.pos = 0;
  ASSERT_EQ(call<int32_t>(controller, slot::setComponentState, static_cast<void*>(&stream)), kOk);
  EXPECT_TRUE(plug->IsBypassed());
  second.pos = 0;
  ASSERT_EQ(call<int32_t>(controller, slot::controllerSetState, static_cast<void*>(&second)), kOk);
  EXPECT_FALSE(plug->IsBypassed());
}

TEST_F(AdapterState, BypassSetOnTheControllerReadsBackAndIsSavedInTheSameLayout) {
  Make();
  plug->paramChanges.clear();
  EXPECT_EQ(setNormalized(kBypass, 0.75), kOk);
  EXPECT_TRUE(plug->IsBypassed());
  EXPECT_EQ(getNormalized(kBypass), 1.0);
  EXPECT_EQ(setNormalized(kBypass, std::nan("")), kFalse);
  EXPECT_EQ(getNormalized(kBypass), 1.0);
  EXPECT_TRUE(plug->paramChanges.empty());  // no parameter of the plug-in moved
  rawhost::StreamFace stream;
  ASSERT_EQ(getState(&stream), kOk);
  EXPECT_EQ(stream.bytes, StateBytes(Values(), 1));

  Destroy();
  Make();
  stream.pos = 0;
  ASSERT_EQ(setState(&stream), kOk);
  EXPECT_EQ(getNormalized(kBypass), 1.0);
  EXPECT_EQ(setNormalized(kBypass, 0.5), kOk);  // not above one half: off
  EXPECT_EQ(getNormalized(kBypass), 0.0);
}

TEST_F(AdapterState, AChunkWithoutTheFlagLoadsTheParametersAndSaysSo) {
  Make();
  SetBypass(true);
  rawhost::StreamFace stream;
  stream.bytes = StateBytes(SomeValues(), 0);
  stream.bytes.resize(kChunkSize);
  EXPECT_EQ(setState(&stream), kFalse);
  EXPECT_EQ(Values(), SomeValues());
  EXPECT_TRUE(plug->IsBypassed());  // not taken from missing bytes

  // A flag cut short is as good as none.
  stream.bytes = StateBytes(SomeValues(), 0);
  stream.bytes.resize(kChunkSize + 3);
  stream.pos = 0;
  EXPECT_EQ(setState(&stream), kFalse);
  EXPECT_TRUE(plug->IsBypassed());
}

TEST_F(AdapterState, ShortEmptyAndBrokenStreamsChangeNothing) {
  Make();
  plug->GetParam(kDrive)->Set(33.0);

  rawhost::StreamFace empty;
  ExpectRefusedUnchanged(&empty);

  for (int size : {1, 8, kChunkSize - 1}) {
    rawhost::StreamFace shortStream;
    shortStream.bytes = StateBytes(SomeValues(), 1);
    shortStream.bytes.resize(static_cast<std::size_t>(size));
    ExpectRefusedUnchanged(&shortStream);
  }

  // A read that fails in the middle of the chunk (the bytes before it are too few).
  FaultyStream failing;
  failing.bytes = StateBytes(SomeValues(), 1);
  failing.failReadsFrom = 20;
  ExpectRefusedUnchanged(&failing);

  // Every read reports failure, although it delivers bytes.
  FaultyStream liar;
  liar.bytes = StateBytes(SomeValues(), 1);
  liar.failAllReads = true;
  ExpectRefusedUnchanged(&liar);

  // A stream that claims more bytes than it was asked for.
  FaultyStream bogus;
  bogus.bytes = StateBytes(SomeValues(), 1);
  bogus.bogusReadCount = 4096;
  ExpectRefusedUnchanged(&bogus);

  // No stream at all.
  ExpectRefusedUnchanged(nullptr);
  EXPECT_EQ(getState(nullptr), kFalse);
}

TEST_F(AdapterState, AReadFailureAfterTheStateKeepsWhatWasRead) {
  Make();
  FaultyStream stream;
  stream.bytes = StateBytes(SomeValues(), 1);
  stream.bytes.resize(stream.bytes.size() + 300, 0xEE);  // whatever follows in the host's stream
  stream.failReadsFrom = 200;  // in the second piece of 128 bytes
  EXPECT_EQ(setState(&stream), kOk);
  EXPECT_EQ(Values(), SomeValues());
  EXPECT_TRUE(plug->IsBypassed());
}

TEST_F(AdapterState, TheFlagIsReadWithoutSeekingTheStream) {
  Make();
  FaultyStream stream;
  stream.bytes = StateBytes(SomeValues(), 1);
  stream.seekable = false;
  EXPECT_EQ(setState(&stream), kOk);
  EXPECT_EQ(Values(), SomeValues());
  EXPECT_TRUE(plug->IsBypassed());
  EXPECT_EQ(stream.seeks, 0);
  EXPECT_EQ(stream.reads, (kChunkSize + 4) / 128 + 2);  // pieces of 128 bytes, then the empty read
}

TEST_F(AdapterState, WaveLabStreamsKeepReadingPastAReportedFailure) {
  application.name = u"WaveLab 8";
  Make();
  ASSERT_EQ(plug->GetHostCode(), kHostWaveLab);
  FaultyStream stream;
  stream.bytes = StateBytes(SomeValues(), 1);
  stream.failAllReads = true;
  EXPECT_EQ(setState(&stream), kOk);
  EXPECT_EQ(Values(), SomeValues());
  EXPECT_TRUE(plug->IsBypassed());
}

TEST_F(AdapterState, SetupProcessingKeepsTheBypassTheHostRestored) {
  Make();
  rawhost::StreamFace stream;
  stream.bytes = StateBytes(SomeValues(), 1);
  ASSERT_EQ(setState(&stream), kOk);
  StartStereo(0);
  EXPECT_TRUE(plug->IsBypassed());
  EXPECT_EQ(getNormalized(kBypass), 1.0);
  HostBlock block(false, 16, {2, 2}, {2});
  ASSERT_EQ(process(block.data()), kOk);
  EXPECT_EQ(plug->processCalls, 0);  // passed through, as the host shows
}

TEST_F(AdapterState, FailedWritesAreReported) {
  Make();
  SetBypass(true);
  FaultyStream failing;
  failing.failWritesFrom = 20;
  EXPECT_EQ(getState(&failing), kFalse);
  FaultyStream flagFails;
  flagFails.failWritesFrom = kChunkSize + 2;
  EXPECT_EQ(getState(&flagFails), kFalse);
  FaultyStream stalled;
  stalled.stallWrites = true;
  EXPECT_EQ(getState(&stalled), kFalse);

  // A stream that takes a few bytes per write still gets everything.
  FaultyStream piecewise;
  piecewise.writePiece = 7;
  EXPECT_EQ(getState(&piecewise), kOk);
  EXPECT_EQ(piecewise.bytes, StateBytes(Values(), 1));
}

TEST_F(AdapterState, StateCallsHoldThePlugLock) {
  Make();
  // One probe per hook call; each gets in only once the outer call has let go.
  std::vector<std::unique_ptr<LockProbe>> probes;
  std::vector<std::string> held;
  plug->hook = [&](const char* where) {
    probes.push_back(std::make_unique<LockProbe>());
    if (probes.back()->CallerHolds(plug->GetMutex())) held.push_back(where);
  };
  rawhost::StreamFace stream;
  ASSERT_EQ(getState(&stream), kOk);
  stream.pos = 0;
  ASSERT_EQ(setState(&stream), kOk);
  plug->hook = nullptr;
  EXPECT_EQ(held, (std::vector<std::string>{"save", "save", "load"}));
}

}  // namespace
