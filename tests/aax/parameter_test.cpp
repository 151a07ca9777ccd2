// Typed host parameters, the parameter list and the packet dispatcher, with the host's
// automation and controller reached through the real proxies over the fake host.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fakehost/fake_params_host.h"
#include "iplug/aax/AAX_CParameter.h"
#include "iplug/aax/AAX_ParameterManager.h"
#include "iplug/aax/AAX_VProxies.h"

namespace {

using Strings = std::vector<std::string>;

AAX_CParameter<int32_t>* IntParameter(const char* id, int32_t value = 0) {
  return new AAX_CParameter<int32_t>(id, "Steps", value,
                                     AAX_CLinearTaperDelegate<int32_t, 0>(-10, 10),
                                     AAX_CNumberDisplayDelegate<int32_t, 2, 0>(), true);
}

AAX_CParameter<double>* HzParameter(const char* id) {
  return new AAX_CParameter<double>(
      id, "Frequency", 765.0, AAX_CIPlugTaperDelegate<double>(20.0, 3000.0, 2.0),
      AAX_CUnitDisplayDelegateDecorator<double>(AAX_CNumberDisplayDelegate<double, 2, 0>(), "Hz"),
      true);
}

struct Automated : ::testing::Test {
  fakehost::FakeParamsHost host;
  AAX_VAutomationDelegate automation{static_cast<IACFUnknown*>(host.Interface())};
  ParameterManager parameters;
  Strings& calls = host.automation.calls;
  void SetUp() override { parameters.SetAutomationDelegate(&automation); }
};

TEST(AAXParameter, IdentifierOfFortyCharactersKeepsItsFirstThirtyOne) {
  const std::string forty(40, 'x');
  std::unique_ptr<AAX_CParameter<int32_t>> parameter(IntParameter(forty.c_str()));
  EXPECT_EQ(std::string(31, 'x'), parameter->GetIdentifier());
}

TEST(AAXParameter, FreshParameterHas128StepsTypeOneAndItsDefaultThroughTheTaper) {
  std::unique_ptr<AAX_CParameter<double>> parameter(HzParameter("1"));
  EXPECT_EQ(128u, parameter->GetStepCount());
  EXPECT_EQ(1, parameter->GetParamType());
  EXPECT_EQ(0, parameter->GetOrientation());
  EXPECT_DOUBLE_EQ(0.5, parameter->GetNormalized());
  EXPECT_DOUBLE_EQ(765.0, parameter->GetRealValue());
}

TEST(AAXParameter, StepIndexFollowsTheNormalizedPositionAndNeedsTwoSteps) {
  std::unique_ptr<AAX_CParameter<double>> parameter(HzParameter("1"));
  const std::pair<double, uint32_t> cases[] = {{0.0, 0}, {0.25, 32}, {0.5, 64}, {1.0, 127}};
  for (const auto& [normalized, step] : cases) {
    parameter->SetNormalized(normalized);
    EXPECT_EQ(step, parameter->GetStep()) << normalized;
  }
  parameter->SetStepCount(1);
  EXPECT_EQ(0u, parameter->GetStep());
  parameter->SetStep(0);
  EXPECT_DOUBLE_EQ(1.0, parameter->GetNormalized());
}

TEST(AAXParameter, ShortNameIsTheLongestThatFitsElseTheShortest) {
  std::unique_ptr<AAX_CParameter<double>> parameter(HzParameter("1"));
  parameter->SetName("Long frequency name");
  parameter->AddShortName("Freq");
  parameter->AddShortName("Frq!");  // same length: replaces
  parameter->AddShortName("Frequenc");
  const std::pair<int32_t, const char*> cases[] = {
      {3, "Frq!"}, {6, "Frq!"}, {8, "Frequenc"}, {9, "Frequenc"}, {-1, "Long frequency name"}};
  for (const auto& [limit, name] : cases)
    EXPECT_STREQ(name, parameter->GetShortName(limit).Get()) << limit;
}

TEST(AAXParameter, TypedAccessorsServeOnlyTheParametersOwnType) {
  std::unique_ptr<AAX_CParameter<int32_t>> parameter(IntParameter("2", 3));
  double d = -1;
  float f = -1;
  bool b = true;
  AAX_CString text;
  EXPECT_FALSE(parameter->WriteDouble(9.0));
  EXPECT_FALSE(parameter->WriteBool(false));
  EXPECT_FALSE(parameter->ReadDouble(d) || parameter->ReadFloat(f) || parameter->ReadBool(b) ||
               parameter->ReadText(text));
  EXPECT_EQ(-1, d);
  EXPECT_TRUE(parameter->WriteInt32(-4));
  int32_t i = 0;
  EXPECT_TRUE(parameter->ReadInt32(i));
  EXPECT_EQ(-4, i);
}

TEST(AAXParameter, TextAboveTheMaximumFailsButGivesTheClampedPosition) {
  std::unique_ptr<AAX_CParameter<double>> parameter(HzParameter("1"));
  double normalized = -1;
  EXPECT_FALSE(parameter->NormalizedFromText("5000Hz", normalized));
  EXPECT_DOUBLE_EQ(1.0, normalized);
  normalized = -1;
  EXPECT_FALSE(parameter->NormalizedFromText("Hz", normalized));
  EXPECT_EQ(-1, normalized);
  AAX_CString text;
  EXPECT_TRUE(parameter->GetValueText(2, text));
  EXPECT_STREQ("765.00Hz", text.Get());
}

TEST(AAXParameter, ReplacingTheTaperKeepsEitherTheValueOrThePosition) {
  std::unique_ptr<AAX_CParameter<double>> parameter(HzParameter("1"));
  parameter->ReplaceTaper(AAX_CIPlugTaperDelegate<double>(20.0, 3000.0, 1.0), true);
  EXPECT_DOUBLE_EQ(765.0, parameter->GetRealValue());
  parameter->ReplaceTaper(AAX_CIPlugTaperDelegate<double>(0.0, 100.0, 1.0), false);
  EXPECT_DOUBLE_EQ(0.25, parameter->GetNormalized());
  EXPECT_DOUBLE_EQ(25.0, parameter->GetRealValue());
  EXPECT_FALSE(parameter->ReplaceTaper(AAX_CBinaryTaperDelegate<bool>(), true));
}

TEST_F(Automated, SettingRequestsTheValueInsideAGestureAndLeavesItToTheHost) {
  parameters.AddParameter(IntParameter("2", 0));
  AAX_IParameter& parameter = *parameters.FindParameter("2");
  calls.clear();
  parameter.SetNormalized(1.0);
  EXPECT_EQ((Strings{"touch:2", "request:2=1", "release:2"}), calls);
  EXPECT_DOUBLE_EQ(0.5, parameter.GetNormalized());
}

TEST_F(Automated, TheSameAppliedValueIsReportedOnce) {
  parameters.AddParameter(IntParameter("2", 0));
  AAX_IParameter& parameter = *parameters.FindParameter("2");
  calls.clear();
  parameter.ApplyNormalized(0.75);
  parameter.ApplyNormalized(0.75);
  EXPECT_EQ((Strings{"report:2=0.75"}), calls);
  EXPECT_DOUBLE_EQ(0.75, parameter.GetNormalized());
}

TEST_F(Automated, DuplicateIdentifierIsRefusedAndFreedAndNeverAttached) {
  EXPECT_TRUE(parameters.AddParameter(IntParameter("2")));
  EXPECT_FALSE(parameters.AddParameter(IntParameter("2")));
  EXPECT_EQ(1, parameters.Count());
  EXPECT_EQ((Strings{"attach:2"}), calls);
}

TEST_F(Automated, LookupsOfNullOrMissingIdentifiersAndIndicesFail) {
  parameters.AddParameter(IntParameter("2"));
  EXPECT_EQ(-1, parameters.IndexOf(nullptr));
  EXPECT_EQ(nullptr, parameters.FindParameter(nullptr));
  EXPECT_EQ(nullptr, parameters.ParameterAt(-1));
  EXPECT_EQ(nullptr, parameters.ParameterAt(parameters.Count()));
  EXPECT_EQ(0, parameters.IndexOf("2"));
}

TEST_F(Automated, DelegateSetLaterDoesNotReachEarlierParameters) {
  parameters.SetAutomationDelegate(nullptr);
  parameters.AddParameter(IntParameter("2"));
  parameters.SetAutomationDelegate(&automation);
  parameters.FindParameter("2")->BeginTouch();
  EXPECT_TRUE(calls.empty());
}

TEST_F(Automated, RemovingAllDetachesEachParameterOnceAndCanRepeat) {
  parameters.AddParameter(IntParameter("2"));
  parameters.AddParameter(HzParameter("1"));
  calls.clear();
  parameters.RemoveAll();
  parameters.RemoveAll();
  EXPECT_EQ((Strings{"detach:2", "detach:1"}), calls);
  EXPECT_EQ(0, parameters.Count());
  EXPECT_EQ(nullptr, parameters.FindParameter("1"));
}

// Fills the packet with the identifier's first character; refuses when told to.
struct MarkHandler : AaxPacketHandler {
  explicit MarkHandler(PacketDispatcher* reenter = nullptr) : reenter(reenter) {}
  int32_t Handle(const char* id, AaxPacket& packet) override {
    if (reenter) reenter->SetDirty(id);  // the dispatching thread already holds the lock
    packet.data[0] = static_cast<unsigned char>(id[0]);
    return 0;
  }
  PacketDispatcher* reenter;
};

TEST(AAXPacketDispatcher, PostsEachDirtyPacketOnceAndKeepsTheFirstFailure) {
  fakehost::FakeParamsHost host;
  AAX_VController controller(static_cast<IACFUnknown*>(host.Interface()));
  PacketDispatcher dispatcher;
  dispatcher.SetTargets(&controller, nullptr);
  EXPECT_EQ(0, dispatcher.Dispatch());
  dispatcher.RegisterPacket("a", 7, 1, std::make_unique<MarkHandler>(&dispatcher));
  dispatcher.RegisterPacket("b", 8, 1, std::make_unique<MarkHandler>());
  dispatcher.SetDirty("a");
  dispatcher.SetDirty("b");
  host.controller.postResults = {-5, 0};
  EXPECT_EQ(-5, dispatcher.Dispatch());
  ASSERT_EQ(2u, host.controller.packets.size());
  EXPECT_EQ(7u, host.controller.packets[0].field);
  EXPECT_EQ('b', host.controller.packets[1].data[0]);
  EXPECT_EQ(0, dispatcher.Dispatch());
  EXPECT_EQ(2u, host.controller.packets.size());
}

}  // namespace
