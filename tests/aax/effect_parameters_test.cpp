// The effect-parameters base as a host drives it: every call goes through the object's table
// by operation number, with host-made strings and chunk records, over the fake host.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "fakehost/fake_params_host.h"
#include "iplug/aax/AAX_CEffectParameters.h"
#include "iplug/aax/AAX_CParameter.h"

namespace {

using namespace fakehost;
using Strings = std::vector<std::string>;

constexpr int32_t kUnknownId = -20001;
constexpr int32_t kConversionFailed = -20002;
constexpr int32_t kBadChunkIndex = -20006;
constexpr int32_t kBadChunkId = -20007;
constexpr int32_t kChunkSizeUnknown = -20008;
constexpr int32_t kUnsupported = -20009;
constexpr uint32_t kElck = 0x656C636B;

// A bypass under the identifier the base reports, then a shaped double "1", an integer "2"
// and a two-line-named switch "3".
class TestEffectParameters : public AAX_CEffectParameters {
 public:
  AAX_Result BuildParameters() override {
    if (throwOnBuild) throw std::runtime_error("no parameters");
    AAX_CString bypassId;
    QueryBypassIdentifier(&bypassId);
    auto* bypass = new AAX_CParameter<bool>(bypassId.Get(), "Master Bypass", false,
                                            AAX_CBinaryTaperDelegate<bool>(),
                                            AAX_CBinaryDisplayDelegate<bool>("bypass", "on"), true);
    bypass->SetStepCount(2);
    bypass->SetParamType(0);
    Parameters().AddParameter(bypass);
    Parameters().AddParameter(new AAX_CParameter<double>(
        "1", "Frequency", 765.0, AAX_CIPlugTaperDelegate<double>(20.0, 3000.0, 2.0),
        AAX_CUnitDisplayDelegateDecorator<double>(AAX_CNumberDisplayDelegate<double, 2, 0>(),
                                                  "Hz"),
        true));
    Parameters().AddParameter(new AAX_CParameter<int32_t>(
        "2", "Steps", 0, AAX_CLinearTaperDelegate<int32_t, 0>(-10, 10),
        AAX_CNumberDisplayDelegate<int32_t, 2, 0>(), true));
    Parameters().AddParameter(new AAX_CParameter<bool>(
        withPreview ? kAAXPreviewId : "3", "ABCD\nE", false, AAX_CBinaryTaperDelegate<bool>(),
        AAX_CBinaryDisplayDelegate<bool>("off", "on"), true));
    return 0;
  }
  bool throwOnBuild = false;
  bool withPreview = false;
};

struct HostedInstance : ::testing::Test {
  void SetUp() override {
    ASSERT_EQ(0, CallSlot<int32_t>(static_cast<AAX_IACFEffectParameters_V2*>(object),
                                   kQueryInterface, &kEffectParameters, &params));
    host.automation.echoInto = params;
    ASSERT_EQ(0, Call(kStartInstance, host.Interface()));
  }
  void TearDown() override {
    Call(kStopInstance);
    CallSlot<uint32_t>(params, kRelease);
    EXPECT_TRUE(host.Balanced());
  }
  template <typename... A>
  int32_t Call(int slot, A... args) {
    return CallSlot<int32_t>(params, slot, args...);
  }
  double Normalized(const char* id) {
    double value = -1;
    EXPECT_EQ(0, Call(kQueryNormalized, id, &value));
    return value;
  }

  FakeParamsHost host;
  TestEffectParameters* object = new TestEffectParameters;  // freed by the last release
  void* params = nullptr;
};

TEST_F(HostedInstance, HostFindsTheParametersByIdentifierIndexAndName) {
  void* second = nullptr;
  EXPECT_EQ(0, Call(kQueryInterface, &kEffectParameters2, &second));
  EXPECT_EQ(params, second);
  CallSlot<uint32_t>(second, kRelease);
  int32_t count = 0, index = -1, steps = 0, type = -1;
  EXPECT_EQ(0, Call(kCountParameters, &count));
  EXPECT_EQ(4, count);
  EXPECT_EQ(0, Call(kLookUpIndex, "2", &index));
  EXPECT_EQ(2, index);
  HostString id, bypass("x"), name("x");
  EXPECT_EQ(0, Call(kLookUpIdentifier, int32_t{1}, id.Interface()));
  EXPECT_EQ("1", id.text);
  EXPECT_EQ(kUnknownId, Call(kLookUpIdentifier, int32_t{4}, id.Interface()));
  EXPECT_EQ("", id.text);
  EXPECT_EQ(0, Call(kQueryBypassIdentifier, bypass.Interface()));
  EXPECT_EQ("", bypass.text);
  EXPECT_EQ(0, Call(kQueryStepCount, "", &steps));
  EXPECT_EQ(0, Call(kQueryParamType, "", &type));
  EXPECT_EQ(2, steps);
  EXPECT_EQ(0, type);
  EXPECT_EQ(0, Call(kQueryName, "9", name.Interface()));
  EXPECT_EQ("", name.text);
  double value = 0;
  EXPECT_EQ(kUnknownId, Call(kQueryNormalized, "9", &value));
}

TEST_F(HostedInstance, UnterminatedHostIdentifierIsReadNoFurtherThanAnIdentifierReaches) {
  std::vector<char> id(32, '1');  // no terminator: the next byte is outside the buffer
  double value = 0;
  int32_t index = 0;
  EXPECT_EQ(kUnknownId, Call(kQueryNormalized, static_cast<const char*>(id.data()), &value));
  EXPECT_EQ(kUnknownId, Call(kLookUpIndex, static_cast<const char*>(id.data()), &index));
}

TEST_F(HostedInstance, ShortNameIsTheLongestLineThatFitsAndNoTextPassesTheHostsLimit) {
  const std::pair<int32_t, const char*> cases[] = {{4, "ABCD"}, {3, "E"}, {2, "E"}, {0, ""}};
  for (const auto& [limit, expected] : cases) {
    HostString name("x");
    EXPECT_EQ(0, Call(kQueryShortName, "3", name.Interface(), limit));
    EXPECT_EQ(expected, name.text) << limit;
  }
  HostString narrow("", 3);
  EXPECT_EQ(0, Call(kQueryName, "1", narrow.Interface()));
  EXPECT_EQ(0, Call(kQueryValueText, "1", narrow.Interface(), int32_t{20}));
  EXPECT_EQ(2, narrow.sets);
  EXPECT_EQ("765", narrow.text);
  EXPECT_FALSE(narrow.destructorCalled);
}

TEST_F(HostedInstance, TextConvertsBothWaysAndUnparsableTextFails) {
  double normalized = -1;
  HostString text("765Hz"), junk("Hz"), out;
  EXPECT_EQ(0, Call(kTextToNormalized, "1", &normalized, static_cast<const void*>(&text)));
  EXPECT_DOUBLE_EQ(0.5, normalized);
  EXPECT_EQ(kConversionFailed,
            Call(kTextToNormalized, "1", &normalized, static_cast<const void*>(&junk)));
  EXPECT_EQ(0, Call(kNormalizedToText, "1", 1.0, out.Interface(), int32_t{8}));
  EXPECT_EQ("3000.00", out.text);  // the unit only when it fits whole
  EXPECT_EQ(kUnknownId, Call(kNormalizedToText, "7", 1.0, out.Interface(), int32_t{8}));
}

TEST_F(HostedInstance, PostingGoesThroughTheHostAndADeltaPastOneGivesExactlyOne) {
  EXPECT_EQ(0, Call(kPostNormalized, "2", 0.9));
  host.automation.calls.clear();
  EXPECT_EQ(0, Call(kPostNormalizedDelta, "2", 0.5));
  EXPECT_EQ((Strings{"touch:2", "request:2=1", "report:2=1", "release:2"}), host.automation.calls);
  EXPECT_EQ(1.0, Normalized("2"));
}

TEST_F(HostedInstance, EveryAppliedHostChangeIsCountedAndUnknownOnesAreNot) {
  EXPECT_EQ(0, Call(kApplyHostValue, "1", 0.25, int32_t{0}));
  EXPECT_EQ(0, Call(kApplyHostValue, "2", 0.25, int32_t{0}));
  EXPECT_EQ(0, Call(kApplyHostDelta, "1", 0.5));
  EXPECT_EQ(kUnknownId, Call(kApplyHostValue, "9", 0.25, int32_t{0}));
  int32_t changes = -1;
  EXPECT_EQ(0, Call(kCountChanges, &changes));
  EXPECT_EQ(3, changes);
  EXPECT_DOUBLE_EQ(0.75, Normalized("1"));
}

TEST_F(HostedInstance, ReservedAndFixedSlotsGiveTheirAnswers) {
  int32_t out = 7;
  EXPECT_EQ(kUnsupported, Call(kReserved19, "1", int32_t{0}, &out));
  EXPECT_EQ(0, out);
  out = 7;
  EXPECT_EQ(0, Call(kReserved42, nullptr, nullptr, nullptr, &out));
  EXPECT_EQ(0, out);
  EXPECT_EQ(0, Call(kReserved28, nullptr, nullptr));
  EXPECT_EQ(0, Call(kReserved40));
  EXPECT_EQ(kUnsupported, Call(kReserved41, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(0, Call(kReserved43, nullptr, nullptr, nullptr));
  EXPECT_EQ(0, Call(kReserved44));
  EXPECT_EQ(kUnsupported, Call(kReserved45, nullptr));
  EXPECT_EQ(0, Call(kReserved46, nullptr, nullptr));
  EXPECT_EQ(0, Call(kReserved47, nullptr, nullptr));
  EXPECT_EQ(0, Call(kDispatchPackets));
  unsigned char field[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(0, Call(kGetInstanceField, int32_t{3}, static_cast<void*>(field), uint32_t{8}));
  EXPECT_EQ(std::vector<unsigned char>(8, 0), std::vector<unsigned char>(field, field + 8));
  uint32_t chunkId = 1;
  EXPECT_EQ(0, Call(kCountChunks, &out));
  EXPECT_EQ(1, out);
  EXPECT_EQ(0, Call(kChunkIdAt, int32_t{0}, &chunkId));
  EXPECT_EQ(kElck, chunkId);
  EXPECT_EQ(kBadChunkIndex, Call(kChunkIdAt, int32_t{1}, &chunkId));
  EXPECT_EQ(0u, chunkId);
}

std::vector<std::string> gMisbehaviour;

TEST_F(HostedInstance, DefaultChunkHoldsEveryParameterButTheBypassAndRestoresThem) {
  AAX_CEffectParameters::sHostMisbehaviour = [](const char* operation, const char*) {
    gMisbehaviour.push_back(operation);
  };
  HostChunk early(64);
  EXPECT_EQ(kChunkSizeUnknown, Call(kWriteChunk, kElck, early.Record()));
  AAX_CEffectParameters::sHostMisbehaviour = nullptr;
  EXPECT_EQ(Strings{"WriteChunk"}, gMisbehaviour);
  uint32_t size = 0;
  EXPECT_EQ(0, Call(kMeasureChunk, kElck, &size));
  EXPECT_EQ(32u, size);  // header, "1" as a double, "2" and "3" as int32; no bypass
  HostChunk chunk(size);
  chunk.SetChunkId(kElck);
  ASSERT_EQ(0, Call(kWriteChunk, kElck, chunk.Record()));
  EXPECT_EQ("Complete Controls State", chunk.Name());
  EXPECT_TRUE(chunk.GuardIntact());

  for (const char* id : {"", "1", "2", "3"}) Call(kApplyHostValue, id, 1.0, int32_t{0});
  bool equal = true;
  EXPECT_EQ(0, Call(kCompareChunk, chunk.Record(), &equal));
  EXPECT_FALSE(equal);
  EXPECT_EQ(kBadChunkId, Call(kReadChunk, uint32_t{1}, chunk.Record()));
  EXPECT_EQ(0, Call(kReadChunk, kElck, chunk.Record()));
  EXPECT_DOUBLE_EQ(0.5, Normalized("1"));
  EXPECT_DOUBLE_EQ(0.5, Normalized("2"));
  EXPECT_DOUBLE_EQ(0.0, Normalized("3"));
  EXPECT_DOUBLE_EQ(1.0, Normalized(""));
  EXPECT_EQ(0, Call(kCompareChunk, chunk.Record(), &equal));
  EXPECT_TRUE(equal);
  chunk.SetChunkId(1);
  Call(kApplyHostValue, "1", 0.0, int32_t{0});
  EXPECT_EQ(0, Call(kCompareChunk, chunk.Record(), &equal));
  EXPECT_TRUE(equal);
}

TEST_F(HostedInstance, SecondStartReplacesTheFirstInstanceAndPreviewFollowsItsNotification) {
  const int32_t on = 1;
  EXPECT_EQ(0, Call(kHandleNotification, kAAXNotificationPreview, &on, uint32_t{4}));
  EXPECT_DOUBLE_EQ(0.0, Normalized("3"));
  object->withPreview = true;
  ASSERT_EQ(0, Call(kStartInstance, host.Interface()));
  int32_t count = 0;
  EXPECT_EQ(0, Call(kCountParameters, &count));
  EXPECT_EQ(4, count);
  EXPECT_EQ(2, host.controller.refs);  // main and later interface, once
  EXPECT_EQ(1, host.automation.refs);
  EXPECT_EQ(0, Call(kHandleNotification, kAAXNotificationPreview, &on, uint32_t{4}));
  EXPECT_DOUBLE_EQ(1.0, Normalized(kAAXPreviewId));
}

TEST(EffectParametersLifetime, ReleaseWithoutStopDetachesParametersBeforeTheProxiesGo) {
  FakeParamsHost host;
  auto* object = new TestEffectParameters;
  void* params = static_cast<AAX_IACFEffectParameters_V2*>(object);
  CallSlot<uint32_t>(params, kAddRef);
  ASSERT_EQ(0, CallSlot<int32_t>(params, kStartInstance, host.Interface()));
  host.automation.calls.clear();
  EXPECT_EQ(0u, CallSlot<uint32_t>(params, kRelease));
  EXPECT_EQ((Strings{"detach:", "detach:1", "detach:2", "detach:3"}), host.automation.calls);
  EXPECT_TRUE(host.Balanced());
}

TEST(EffectParametersLifetime, ExceptionInBuildingReachesTheHostAsAFailureCode) {
  FakeParamsHost host;
  auto* object = new TestEffectParameters;
  object->throwOnBuild = true;
  void* params = static_cast<AAX_IACFEffectParameters_V2*>(object);
  CallSlot<uint32_t>(params, kAddRef);
  EXPECT_EQ(static_cast<int32_t>(0x8000FFFFu),
            CallSlot<int32_t>(params, kStartInstance, host.Interface()));
  CallSlot<uint32_t>(params, kRelease);
  EXPECT_TRUE(host.Balanced());
}

}  // namespace
