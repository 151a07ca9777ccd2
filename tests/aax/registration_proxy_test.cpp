// Registration proxies on the fake host, directly: the answers when the host could not make an
// object, and the arguments that reach the host only in forms the probe description never uses.
#include <gtest/gtest.h>

#include "fake_registration_host.h"
#include "iplug/aax/AAX_VRegistration.h"

using namespace aaxfake;

namespace {

IACFUnknown* ContextOf(FakeRegistrationHost& host) {
  return static_cast<IACFUnknown*>(host.Context());
}

void ProcessNothing() {}

TEST(AAXRegistrationProxies, AnObjectTheHostDidNotMakeAnswersTheMissingResultsWithoutCalls) {
  FakeRegistrationHost host;
  host.refusedKinds = {"collection", "effect descriptor", "component descriptor", "property map"};
  {
    AAX_VCollection collection(ContextOf(host));
    AAX_IEffectDescriptor* effect = collection.NewDescriptor();
    AAX_IComponentDescriptor* component = effect->NewComponentDescriptor();
    AAX_IPropertyMap* map = component->NewPropertyMap();
    host.calls.clear();

    EXPECT_EQ(collection.AddEffect("id", effect), -20004);
    EXPECT_EQ(collection.SetManufacturerName("maker"), -20004);
    EXPECT_EQ(collection.AddPackageName("name"), -20004);
    EXPECT_EQ(collection.SetPackageVersion(1), -20004);
    EXPECT_EQ(effect->AddName("name"), -20004);
    EXPECT_EQ(effect->AddDescriptorValue(0), -20004);
    EXPECT_EQ(effect->AddProcedure(nullptr, 0), -20004);
    EXPECT_EQ(effect->AddComponent(component), -20004);
    EXPECT_EQ(component->AddAudioIn(0), -20004);
    EXPECT_EQ(component->AddPrivateData(8, 4, 0), -20004);
    EXPECT_EQ(component->AddMidiNode(7, 3, "Transport", 0xFFFF), -20004);
    EXPECT_EQ(component->AddProcessProcedure(nullptr, map, nullptr, nullptr, nullptr), -20004);
    int32_t value = 42;
    EXPECT_FALSE(map->GetProperty(11, &value));
    EXPECT_EQ(value, 42);
    EXPECT_EQ(map->AddProperty(11, 1), -20004);
    EXPECT_NE(component->DuplicatePropertyMap(map), nullptr);
    EXPECT_TRUE(host.calls.size() == 1 && host.calls[0] == "factory.CreateComponent");
  }
  EXPECT_EQ(host.ContextReferences(), 0);
}

TEST(AAXRegistrationProxies, ARefusedCreationLeavesNoHostPointerBehind) {
  FakeRegistrationHost host;
  host.refusedKinds = {"collection"};
  host.refusalLeavesJunk = true;
  AAX_VCollection collection(ContextOf(host));
  EXPECT_EQ(collection.GetIUnknown(), nullptr);
  EXPECT_EQ(collection.SetPackageVersion(1), -20004);
}

TEST(AAXRegistrationProxies, AnEffectWithoutADescriptorIsRefusedBeforeTheHost) {
  FakeRegistrationHost host;
  AAX_VCollection collection(ContextOf(host));
  host.calls.clear();
  EXPECT_EQ(collection.AddEffect("id", nullptr), -20004);
  EXPECT_TRUE(host.calls.empty());
}

TEST(AAXRegistrationProxies, AProcessProcedureReachesTheHostWithItsValuesAndNoMapForNone) {
  FakeRegistrationHost host;
  host.offersLaterInterfaces = false;  // the first interfaces alone carry every operation
  AAX_VCollection collection(ContextOf(host));
  AAX_IComponentDescriptor* component = collection.NewDescriptor()->NewComponentDescriptor();
  int a = 0, b = 0, c = 0;
  ASSERT_EQ(component->AddProcessProcedure(AAX_ProcAddress(&ProcessNothing), nullptr, &a, &b, &c),
            0);
  auto* held = static_cast<FakeComponentDescriptor*>(
      OwnerOf(component->GetIUnknown(), FakeComponentDescriptor::Table()));
  ASSERT_NE(held, nullptr);
  ASSERT_EQ(held->processProcedures.size(), 1u);
  const ProcessProcedure& procedure = held->processProcedures[0];
  EXPECT_EQ(procedure.callback, AAX_ProcAddress(&ProcessNothing));
  EXPECT_EQ(procedure.properties, nullptr);
  EXPECT_EQ(procedure.extra[0], &a);
  EXPECT_EQ(procedure.extra[1], &b);
  EXPECT_EQ(procedure.extra[2], &c);
}

}  // namespace
