// The AAX plug-in object as the host sees it: its host parameters, the parameter bridge both
// ways, the instance field and the state chunk, all through its table by operation number.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "hosted_plug.h"

namespace aaxtest {
namespace {

using namespace fakehost;

constexpr int32_t kUnknownId = -20001;
constexpr int32_t kNullObject = -20004;
constexpr int32_t kBadChunkIndex = -20006;
constexpr int32_t kBadChunkId = -20007;
constexpr int32_t kBadChunkSize = -20008;
constexpr int32_t kContinuousSteps = 128;

using PlugObject = HostedPlug;

TEST_F(PlugObject, PublishesTheBypassThenOneHostParameterPerFrameworkParameter) {
  int32_t count = 0;
  ASSERT_EQ(0, Call(kCountParameters, &count));
  EXPECT_EQ(1 + kNumParams, count);
  HostString first, name;
  ASSERT_EQ(0, Call(kLookUpIdentifier, 0, static_cast<void*>(&first)));
  EXPECT_EQ(kBypassId, first.text);
  Call(kQueryName, kBypassId, static_cast<void*>(&name));
  EXPECT_EQ("Master Bypass", name.text);

  struct Expected { const char* id; int32_t steps, type; } const expected[] = {
      {kBypassId, 2, 0}, {kGainId, kContinuousSteps, 1}, {kModeId, 3, 1}, {kEnabledId, 2, 1}};
  for (const Expected& e : expected) {
    int32_t steps = -1, type = -1;
    EXPECT_EQ(0, Call(kQueryStepCount, e.id, &steps));
    EXPECT_EQ(0, Call(kQueryParamType, e.id, &type));
    EXPECT_EQ(e.steps, steps) << e.id;
    EXPECT_EQ(e.type, type) << e.id;
  }
  EXPECT_EQ(48000.0, plug->GetSampleRate());
}

TEST_F(PlugObject, AFailedOrAbsurdSampleRateKeepsTheRateItHad) {
  for (float rate : {48000.f, 0.f, NAN, 1e7f}) {
    Call(kStopInstance);
    ASSERT_TRUE(plug->SetSampleRate(96000.0));
    host.controller.sampleRate = rate;
    host.controller.sampleRateResult = rate == 48000.f ? -20004 : 0;
    ASSERT_EQ(0, Call(kStartInstance, host.Interface()));
    EXPECT_EQ(96000.0, plug->GetSampleRate()) << rate;
  }
}

TEST_F(PlugObject, AHostValueReachesTheFrameworkParameterWithTheHostAsSource) {
  plug->changes.clear();
  ASSERT_EQ(0, Call(kApplyHostValue, kGainId, 0.5, 0));
  EXPECT_DOUBLE_EQ(0.5, plug->GetParam(kGain)->GetNormalizedValue());
  ASSERT_EQ(1u, plug->changes.size());
  EXPECT_EQ(kGain, plug->changes[0].index);
  EXPECT_EQ(kSourceHost, plug->changes[0].source);
  EXPECT_DOUBLE_EQ(0.5, HostNormalized(kGainId));
  EXPECT_EQ(1, Changes());

  // The bypass and numbers beyond the framework change only the host side.
  ASSERT_EQ(0, Call(kApplyHostValue, kBypassId, 1.0, 0));
  EXPECT_EQ(1u, plug->changes.size());
  EXPECT_EQ(kUnknownId, Call(kApplyHostValue, "4", 0.5, 0));
  EXPECT_EQ(kUnknownId, Call(kApplyHostValue, "1x", 0.5, 0));
  EXPECT_EQ(2, Changes());
}

TEST_F(PlugObject, FrameworkGesturesAndValuesReachTheHostsAutomation) {
  host.automation.calls.clear();
  plug->BeginInformHostOfParamChange(kMode);
  plug->InformHostOfParamChange(kMode, 1.0);
  plug->EndInformHostOfParamChange(kMode);
  // The post is a gesture of its own inside the framework's.
  const std::vector<std::string> expected = {"touch:2", "touch:2", "request:2=1", "release:2",
                                             "release:2"};
  EXPECT_EQ(expected, host.automation.calls);
  // No framework index outside the parameters reaches the bypass's empty identifier.
  plug->InformHostOfParamChange(kNumParams, 1.0);
  plug->BeginInformHostOfParamChange(-1);
  EXPECT_EQ(expected, host.automation.calls);
  plug->MarkStateModified();
  EXPECT_EQ(1, Changes());
}

TEST_F(PlugObject, TheInstanceFieldIsTheWholeObjectPointerOrNothing) {
  void* slot[2] = {nullptr, reinterpret_cast<void*>(1)};
  ASSERT_EQ(0, Call(kGetInstanceField, int32_t{kFieldInstance}, static_cast<void*>(slot),
                    uint32_t{sizeof(void*)}));
  EXPECT_EQ(params, slot[0]);
  EXPECT_EQ(reinterpret_cast<void*>(1), slot[1]);  // nothing beyond the field
  // A field too small for a pointer gets no part of one.
  unsigned char small[sizeof(void*) - 1];
  std::memset(small, 0xAB, sizeof small);
  EXPECT_EQ(kNullObject, Call(kGetInstanceField, int32_t{kFieldInstance}, static_cast<void*>(small),
                              uint32_t{sizeof small}));
  for (unsigned char byte : small) EXPECT_EQ(0, byte);
}

TEST_F(PlugObject, LatencyGoesToTheHostAndTheBypassDelay) {
  plug->SetLatencySamples(64);
  ASSERT_EQ(1u, host.controller.latencies.size());
  EXPECT_EQ(64, host.controller.latencies[0]);
  EXPECT_EQ(64, plug->GetLatency());
}

// ---- State chunk -------------------------------------------------------------------------------

TEST_F(PlugObject, TheStateChunkRoundTripsAndThePostsFollowIt) {
  uint32_t id = 0;
  EXPECT_EQ(kBadChunkIndex, Call(kChunkIdAt, 1, &id));
  EXPECT_EQ(0u, id);
  ASSERT_EQ(0, Call(kChunkIdAt, 0, &id));
  EXPECT_EQ(kStateChunkId, id);

  Call(kApplyHostValue, kGainId, 0.25, 0);
  uint32_t size = 0;
  ASSERT_EQ(0, Call(kMeasureChunk, kStateChunkId, &size));
  EXPECT_EQ(kNumParams * sizeof(double), size);
  HostChunk chunk(size);
  ASSERT_EQ(0, Call(kWriteChunk, kStateChunkId, chunk.Record()));
  EXPECT_TRUE(chunk.GuardIntact());
  chunk.SetChunkId(kStateChunkId);
  bool equal = false;
  ASSERT_EQ(0, Call(kCompareChunk, chunk.Record(), &equal));
  EXPECT_TRUE(equal);

  Call(kApplyHostValue, kGainId, 0.75, 0);
  ASSERT_EQ(0, Call(kCompareChunk, chunk.Record(), &equal));
  EXPECT_FALSE(equal);
  const int32_t before = Changes();
  host.automation.calls.clear();
  ASSERT_EQ(0, Call(kReadChunk, kStateChunkId, chunk.Record()));
  EXPECT_NEAR(0.25, plug->GetParam(kGain)->GetNormalizedValue(), 1e-12);
  EXPECT_EQ(before + 1, Changes());
  const std::vector<std::string>& calls = host.automation.calls;
  EXPECT_EQ(kNumParams, std::count_if(calls.begin(), calls.end(), [](const std::string& call) {
              return call.rfind("request:", 0) == 0;
            }));
  EXPECT_NE(calls.end(), std::find(calls.begin(), calls.end(), "request:1=0.25"));
}

TEST_F(PlugObject, AShortOrNegativeRecordLoadsNothingAndFails) {
  Call(kApplyHostValue, kGainId, 0.75, 0);
  const int32_t before = Changes();
  for (int32_t size : {int32_t{kNumParams * 8 - 1}, int32_t{-8}}) {
    HostChunk chunk(kNumParams * 8);
    std::memcpy(chunk.Record(), &size, sizeof size);
    EXPECT_EQ(kBadChunkSize, Call(kReadChunk, kStateChunkId, chunk.Record())) << size;
  }
  EXPECT_DOUBLE_EQ(0.75, plug->GetParam(kGain)->GetNormalizedValue());
  EXPECT_EQ(before, Changes());
}

TEST_F(PlugObject, ComparingAShortOrForeignRecordReadsNothingOfIt) {
  HostChunk shortRecord(8);
  shortRecord.SetChunkId(kStateChunkId);
  bool equal = true;
  ASSERT_EQ(0, Call(kCompareChunk, shortRecord.Record(), &equal));
  EXPECT_FALSE(equal);  // ASan: the record's 8 bytes, not the 24 of a state
  HostChunk foreign(0);
  foreign.SetChunkId(0x656C636B);
  equal = false;
  ASSERT_EQ(0, Call(kCompareChunk, foreign.Record(), &equal));
  EXPECT_TRUE(equal);
}

TEST_F(PlugObject, AWriteNeedsASizeQueryAndAFailedSaveIsAnError) {
  HostChunk chunk(kNumParams * 8);
  EXPECT_EQ(kBadChunkSize, Call(kWriteChunk, kStateChunkId, chunk.Record()));
  EXPECT_EQ(kBadChunkId, Call(kWriteChunk, 0x656C636Bu, chunk.Record()));
  plug->failSave = true;
  uint32_t size = 1234;
  EXPECT_EQ(kBadChunkId, Call(kMeasureChunk, kStateChunkId, &size));
  EXPECT_EQ(1234u, size);
  EXPECT_EQ(kBadChunkId, Call(kWriteChunk, kStateChunkId, chunk.Record()));
}

}  // namespace
}  // namespace aaxtest
