// Identifiers, result codes and constants of the layer against the published values.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "iplug/vst3/layer/vst3.h"
#include "published_abi.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

std::string hex(const void* bytes) {
  std::string text;
  char two[4];
  for (int i = 0; i < 16; ++i) {
    std::snprintf(two, sizeof two, "%02X ", static_cast<const unsigned char*>(bytes)[i]);
    text += two;
  }
  return text;
}

template <class I>
::testing::AssertionResult hasIid(const char* name, const published::Iid& expected) {
  if (std::memcmp(I::iid, expected, 16) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << name << ": " << hex(I::iid) << "instead of "
                                       << hex(expected);
}

#define EXPECT_IID(I) EXPECT_TRUE(hasIid<I>(#I, published::k##I))

}  // namespace

TEST(Vst3Identifiers, EveryInterfaceHasThePublishedIid) {
  EXPECT_IID(FUnknown);
  EXPECT_IID(IPluginBase);
  EXPECT_IID(IComponent);
  EXPECT_IID(IAudioProcessor);
  EXPECT_IID(IEditController);
  EXPECT_IID(IEditController2);
  EXPECT_IID(IConnectionPoint);
  EXPECT_IID(IUnitInfo);
  EXPECT_IID(IMidiMapping);
  EXPECT_IID(IPlugView);
  EXPECT_IID(IPluginFactory);
  EXPECT_IID(IPluginFactory2);
  EXPECT_IID(IPluginFactory3);
  EXPECT_IID(IDependent);
  EXPECT_IID(IContextMenuTarget);
  EXPECT_IID(IHostApplication);
  EXPECT_IID(IComponentHandler);
  EXPECT_IID(IComponentHandler2);
  EXPECT_IID(IComponentHandler3);
  EXPECT_IID(IContextMenu);
  EXPECT_IID(IPlugFrame);
  EXPECT_IID(IBStream);
  EXPECT_IID(ISizeableStream);
  EXPECT_IID(IParameterChanges);
  EXPECT_IID(IParamValueQueue);
  EXPECT_IID(IEventList);
  EXPECT_IID(IMessage);
  EXPECT_IID(IAttributeList);
  EXPECT_IID(IUnitHandler);
}

TEST(Vst3Identifiers, ComparisonUsesAllSixteenBytes) {
  published::Iid almost;
  std::memcpy(almost, published::kIComponent, 16);
  EXPECT_TRUE(iidEqual(IComponent::iid, almost));
  almost[15] ^= 1;
  EXPECT_FALSE(iidEqual(IComponent::iid, almost));
  EXPECT_FALSE(iidEqual(IComponent::iid, nullptr));
}

TEST(Vst3Constants, ResultCodesHaveTheirWindowsValues) {
  EXPECT_EQ(kResultOk, published::kOk);
  EXPECT_EQ(kResultTrue, published::kOk);
  EXPECT_EQ(kResultFalse, published::kFalse);
  EXPECT_EQ(kNoInterface, published::kNoInterface);
  EXPECT_EQ(kNotImplemented, published::kNotImplemented);
  EXPECT_EQ(kInvalidArgument, published::kInvalidArgument);
  EXPECT_EQ(static_cast<uint32>(kInternalError), 0x80004005u);
  EXPECT_EQ(static_cast<uint32>(kNotInitialized), 0x8000FFFFu);
  EXPECT_EQ(static_cast<uint32>(kOutOfMemory), 0x8007000Eu);
}

TEST(Vst3Constants, FlagsAndEnumerationsHaveThePublishedValues) {
  const struct {
    const char* name;
    long long value, published;
  } table[] = {
      {"kCanAutomate", ParameterInfo::kCanAutomate, 0x1},
      {"kIsReadOnly", ParameterInfo::kIsReadOnly, 0x2},
      {"kIsWrapAround", ParameterInfo::kIsWrapAround, 0x4},
      {"kIsList", ParameterInfo::kIsList, 0x8},
      {"kIsProgramChange", ParameterInfo::kIsProgramChange, 0x8000},
      {"kIsBypass", ParameterInfo::kIsBypass, 0x10000},
      {"kDefaultActive", BusInfo::kDefaultActive, 1},
      {"kLatencyChanged", kLatencyChanged, 0x8},
      {"kParamValuesChanged", kParamValuesChanged, 0x4},
      {"kIoChanged", kIoChanged, 0x2},
      {"kIoTitlesChanged", kIoTitlesChanged, 0x80},
      {"kPlaying", ProcessContext::kPlaying, 0x2},
      {"kCycleActive", ProcessContext::kCycleActive, 0x4},
      {"kTempoValid", ProcessContext::kTempoValid, 0x400},
      {"kTimeSigValid", ProcessContext::kTimeSigValid, 0x2000},
      {"kProjectTimeMusicValid", ProcessContext::kProjectTimeMusicValid, 0x200},
      {"kBarPositionValid", ProcessContext::kBarPositionValid, 0x800},
      {"kCycleValid", ProcessContext::kCycleValid, 0x1000},
      {"kContTimeValid", ProcessContext::kContTimeValid, 0x20000},
      {"kChordValid", ProcessContext::kChordValid, 0x40000},
      {"kSample64", kSample64, 1},
      {"kOffline", kOffline, 2},
      {"kAux", kAux, 1},
      {"kEvent", kEvent, 1},
      {"kOutput", kOutput, 1},
      {"kManyInstances", PClassInfo::kManyInstances, 0x7FFFFFFF},
      {"kUnicode", PFactoryInfo::kUnicode, 16},
      {"kSimpleModeSupported", kSimpleModeSupported, 2},
      {"kMono", static_cast<long long>(SpeakerArr::kMono), 0x80000},
      {"k30Music", static_cast<long long>(SpeakerArr::k30Music), 0x103},
      {"kBFormat", static_cast<long long>(SpeakerArr::kBFormat), 0xF00000},
      {"k50", static_cast<long long>(SpeakerArr::k50), 0x37},
      {"k51", static_cast<long long>(SpeakerArr::k51), 0x3F},
      {"kIBSeekEnd", kIBSeekEnd, 2},
      {"kIsGroupStart", IContextMenuItem::kIsGroupStart, 0xA},
      {"kIsGroupEnd", IContextMenuItem::kIsGroupEnd, 0x11},
  };
  for (const auto& row : table) EXPECT_EQ(row.value, row.published) << row.name;
  EXPECT_STREQ(kVstVersionString, "VST 3.5.2");
  EXPECT_STREQ(kVstAudioEffectClass, "Audio Module Class");
}

TEST(Vst3Constants, ChannelCountIsTheNumberOfSpeakers) {
  EXPECT_EQ(SpeakerArr::getChannelCount(SpeakerArr::kEmpty), 0);
  EXPECT_EQ(SpeakerArr::getChannelCount(SpeakerArr::kMono), 1);
  EXPECT_EQ(SpeakerArr::getChannelCount(SpeakerArr::kStereo), 2);
  EXPECT_EQ(SpeakerArr::getChannelCount(SpeakerArr::k30Music), 3);
  EXPECT_EQ(SpeakerArr::getChannelCount(SpeakerArr::kBFormat), 4);
  EXPECT_EQ(SpeakerArr::getChannelCount(SpeakerArr::k51), 6);
  EXPECT_EQ(SpeakerArr::getChannelCount(~0ull), 64);
}
