// The seven exports of an AAX module driven by the fake host: on Windows the probe module file
// through its exported names, natively the same code linked in under the sanitizers. The host
// knows only the published identifiers and operation numbers, so a wrong slot or identifier in
// the module's declarations shows up as a call that lands elsewhere.
#include <gtest/gtest.h>

#include <string>

#include "aax/probe_description.h"
#include "fake_module.h"

#if defined(_WIN32)
#include <windows.h>
#endif

using namespace aaxfake;

namespace {

constexpr Result kNullObject = -20004;
constexpr Result kUnimplemented = -20009;
constexpr Result kUnexpected = static_cast<Result>(0x8000FFFFu);
void* const kUntouched = reinterpret_cast<void*>(0x5EED);

// Calls a module must never make: an operation nobody uses (a slot it reached by mistake) or a
// release of a reference it did not hold.
std::vector<std::string> Misuses(const FakeRegistrationHost& host) {
  std::vector<std::string> misuses;
  for (const std::string& call : host.calls)
    if (call.find(".slot") != std::string::npos || call.find("over-release") != std::string::npos)
      misuses.push_back(call);
  return misuses;
}

class AAXModuleEntry : public ::testing::Test {
 protected:
  void SetUp() override {
#if defined(_WIN32)
    module = LoadAaxModule(BesideProgram("aax_probe.aaxplugin"));
#else
    module = LinkedAaxModule();
#endif
    ASSERT_TRUE(module.Complete());
  }
  void TearDown() override {
    if (module.shutdown) module.shutdown(nullptr);
#if defined(_WIN32)
    UnloadAaxModule(module);
#endif
  }

  // The definition the module hands over; the test releases it.
  void* Register(FakeRegistrationHost& on, Result expected = kOk) {
    void* definition = kUntouched;
    EXPECT_EQ(module.registerPlugin(on.Context(), &definition), expected);
    return definition;
  }

  // Hosts outlive TearDown, which still gives back the host services of one of them.
  FakeRegistrationHost host;
  FakeRegistrationHost other;
  AaxModule module;
};

TEST_F(AAXModuleEntry, RegistrationHandsTheHostTheCollectionWithTheDescribedEffect) {
  void* definition = Register(host);
  FakeCollection* collection = host.CollectionOf(definition);
  ASSERT_NE(collection, nullptr);
  EXPECT_EQ(collection->manufacturerNames, std::vector<std::string>{probe::kMaker});
  EXPECT_EQ(collection->packageNames, std::vector<std::string>{probe::kEffectName});
  EXPECT_EQ(collection->packageVersions, std::vector<uint32_t>{probe::kPackageVersion});
  ASSERT_EQ(collection->effects.size(), 1u);
  EXPECT_EQ(collection->effects[0].id, probe::kEffectId);

  const FakeEffectDescriptor* effect = collection->effects[0].descriptor;
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->names, std::vector<std::string>{probe::kEffectName});
  EXPECT_EQ(effect->descriptorValues, std::vector<uint32_t>{probe::kDescriptorValue});
  ASSERT_EQ(effect->procedures.size(), 1u);
  EXPECT_EQ(effect->procedures[0].id, probe::kCreateProcedure);
  ASSERT_EQ(effect->components.size(), 1u);

  const FakeComponentDescriptor* component = effect->components[0];
  using F = ComponentField;
  const std::vector<std::pair<F::Kind, uint32_t>> expected = {
      {F::AudioIn, probe::kAudioInField},          {F::AudioOut, probe::kAudioOutField},
      {F::SideChainIn, probe::kSideChainField},    {F::BufferLength, probe::kBufferLengthField},
      {F::MidiNode, probe::kTransportField},       {F::Meters, probe::kMetersField},
      {F::ExtraOutputStem, probe::kAudioOutField}, {F::PrivateData, probe::kInstanceField}};
  ASSERT_EQ(component->fields.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(component->fields[i].kind, expected[i].first) << "field " << i;
    EXPECT_EQ(component->fields[i].index, expected[i].second) << "field " << i;
  }
  const ComponentField& transport = component->fields[4];
  EXPECT_EQ(transport.nodeType, probe::kTransportNodeType);
  EXPECT_EQ(transport.name, probe::kTransportName);
  EXPECT_EQ(transport.channelMask, probe::kTransportMask);
  EXPECT_EQ(component->fields[5].meterIds,
            std::vector<uint32_t>(probe::kMeterIds, probe::kMeterIds + 2));
  EXPECT_EQ(component->fields[6].stemFormat, probe::kExtraStem);
  EXPECT_EQ(component->fields[6].name, probe::kExtraName);
  EXPECT_EQ(component->fields[7].byteSize, static_cast<int32_t>(sizeof(void*)));

  // The duplicated map: properties 10 to 351 of the original, in ascending order.
  ASSERT_EQ(component->processProcedures.size(), 1u);
  const ProcessProcedure& process = component->processProcedures[0];
  EXPECT_NE(process.callback, nullptr);
  EXPECT_EQ(process.extra[0], nullptr);
  ASSERT_NE(process.properties, nullptr);
  const std::vector<std::pair<uint32_t, int32_t>> copied = {
      {10, -3}, {11, 0x50726F62}, {51, 0x00010002}, {351, 5}};
  EXPECT_EQ(process.properties->properties, copied);

  RawRelease(definition);
  EXPECT_TRUE(Misuses(host).empty());
}

TEST_F(AAXModuleEntry, ReleasingTheDefinitionLeavesNoHostObjectAndNoContextReference) {
  void* definition = Register(host);
  EXPECT_GT(host.Live(), 0);
  RawRelease(definition);
  EXPECT_EQ(host.Live(), 0);
  EXPECT_EQ(host.ContextReferences(), 0);
  EXPECT_EQ(host.Made("property map"), 2);  // the original and the copy
  EXPECT_TRUE(Misuses(host).empty());
}

TEST_F(AAXModuleEntry, AFailingDescriptionReturnsItsFirstFailureAndLeavesTheOutPointer) {
  host.answers["effect descriptor.AddName"] = -20011;
  host.answers["component descriptor.AddAudioOut"] = -20099;
  EXPECT_EQ(Register(host, -20011), kUntouched);
  for (const std::string& call : host.calls) EXPECT_NE(call, "collection.AddEffect");
  EXPECT_EQ(host.Live(), 0);
}

TEST_F(AAXModuleEntry, ACollectionWithoutAPluginDefinitionFailsWithNullObject) {
  host.offersDefinition = false;
  EXPECT_EQ(Register(host, kNullObject), nullptr);
  EXPECT_EQ(host.Live(), 0);
}

TEST_F(AAXModuleEntry, AHostErrorDuringRegistrationIsAnsweredAsUnexpectedWithNothingHeld) {
  host.nullFactory = true;
  EXPECT_EQ(Register(host, kUnexpected), kUntouched);
  EXPECT_EQ(host.ContextReferences(), 0);
}

TEST_F(AAXModuleEntry, StartupKeepsTheFirstHostServicesUntilShutdown) {
  ASSERT_EQ(module.startup(host.Context()), kOk);
  ASSERT_EQ(module.startup(other.Context()), kOk);
  RawRelease(Register(other));
  ASSERT_EQ(host.traces.size(), 1u);
  EXPECT_EQ(host.traces[0].priority, probe::kTracePriority);
  EXPECT_EQ(host.traces[0].text, std::string(probe::kEffectName) + " describes itself");
  EXPECT_TRUE(other.traces.empty());

  ASSERT_EQ(module.shutdown(nullptr), kOk);
  EXPECT_EQ(host.Live(), 0);  // the host services went with the shutdown
  EXPECT_TRUE(Misuses(host).empty());
  ASSERT_EQ(module.startup(other.Context()), kOk);
  RawRelease(Register(other));
  EXPECT_EQ(other.traces.size(), 1u);
  EXPECT_EQ(host.traces.size(), 1u);
}

TEST_F(AAXModuleEntry, CanUnloadNowCountsAnObjectMadeThroughARegisteredProcedure) {
  void* definition = Register(host);
  const FakeEffectDescriptor* effect = host.CollectionOf(definition)->effects[0].descriptor;
  auto create = reinterpret_cast<void* (*)()>(effect->ProcedureOf(probe::kCreateProcedure));
  ASSERT_NE(create, nullptr);
  EXPECT_EQ(module.canUnloadNow(host.Context()), 0);

  void* object = create();
  ASSERT_NE(object, nullptr);
  RawAddRef(object);
  EXPECT_EQ(module.canUnloadNow(host.Context()), 1);
  void* unknown = nullptr;
  ASSERT_EQ(RawQuery(object, kUnknownIid, &unknown), kOk);
  EXPECT_EQ(RawRelease(unknown), 1u);
  EXPECT_EQ(RawRelease(object), 0u);
  EXPECT_EQ(module.canUnloadNow(host.Context()), 0);
  RawRelease(definition);
}

TEST_F(AAXModuleEntry, TheFixedAnswersHoldAndMissingOutPointersAreRefused) {
  uint64_t version = 0;
  EXPECT_EQ(module.getSdkVersion(&version), kOk);
  EXPECT_EQ(static_cast<uint32_t>(version), 0x007756BFu);
  EXPECT_EQ(static_cast<uint32_t>(version >> 32), 0x00000201u);
  EXPECT_EQ(module.getSdkVersion(nullptr), kNullObject);

  void* out = kUntouched;
  EXPECT_EQ(module.getClassFactory(host.Context(), &kCollectionClass, &kUnknownIid, &out),
            kUnimplemented);
  EXPECT_EQ(out, nullptr);
  out = kUntouched;
  EXPECT_EQ(module.registerComponent(host.Context(), 3, &out), kOk);
  EXPECT_EQ(out, nullptr);

  EXPECT_EQ(module.registerPlugin(host.Context(), nullptr), kNullObject);
  EXPECT_EQ(host.Live(), 0);
}

#if defined(_WIN32)
TEST_F(AAXModuleEntry, TheLibraryEntryKeepsTheModulesInstanceHandle) {
  auto instance = reinterpret_cast<void* (*)()>(reinterpret_cast<void*>(
      GetProcAddress(static_cast<HMODULE>(module.library), "ProbeModuleInstance")));
  ASSERT_NE(instance, nullptr);
  EXPECT_EQ(instance(), module.library);
}
#endif

}  // namespace
