// The module VemtraCorvane.vst3 as a host meets it, through the published identifiers, slots
// and record layouts only (tools/vst3host): on Windows the module file loaded with LoadLibrary,
// natively the same code linked in and run under the sanitizers. Entry points and the kept
// factory, the class information in its three forms, creation through every interface, buses
// and arrangements, the parameter list against the effect's own table, units and the program
// list, processing in both sample sizes with and without the side chain, bypass, presets and
// parameter queues from the host, the state stream (also through failing streams) and the
// editor view in a parent window.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "effect/VemtraCorvaneParams.h"
#include "effect/VemtraCorvanePresets.h"
#include "tests/vst3/class_records.h"
#include "tools/vst3host/Vst3Host.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include "iplug/core/IPlugUtilities.h"
#endif

using namespace published;
using rawhost::log;
using rawhost::Record;
using rawhost::text8;
using vst3host::Instance;
using vst3host::Module;
using vst3host::ProcessBlock;

namespace {

const unsigned char kClassId[16] = {0x0D, 0xE7, 0xAE, 0xF2, 0x4E, 0x4F, 0xDE, 0x00,
                                    'r',  'T',  'm',  'V',  'n',  'v',  'r',  'C'};
constexpr uint32_t kPreset = 0x70727374, kBypass = 0x62706173;
constexpr int kHostParams = kNumParams + 2;  // "Preset", "Bypass", then the effect's
constexpr int kChunkBytes = kNumParams * 8;
constexpr double kRate = 44100.0;

// ---------------------------------------------------------------------------------------------
// The module

#if defined(_WIN32)
std::string ModuleFile() {
  if (const char* file = std::getenv("CORVANE_VST3_MODULE")) return file;
  const std::string built = CORVANE_VST3_MODULE_FILE;
  return built.empty() || built[0] != '/' ? built : "Z:" + built;  // Wine's drive for "/"
}
bool OpenModule(Module* module, std::string* error) { return vst3host::LoadModule(ModuleFile(), module, error); }
#else
extern "C" void* GetPluginFactory();
extern "C" bool InitDll();
extern "C" bool ExitDll();
// Linked in, the framework's 32-bit path would report every channel of every block here.
const bool kQuiet = (SetPlugConsoleSink([](const char*) {}), true);
bool OpenModule(Module* module, std::string*) {
  module->getPluginFactory = &GetPluginFactory;
  module->initDll = &InitDll;
  module->exitDll = &ExitDll;
  return true;
}
#endif

std::string Narrow(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

std::vector<unsigned char> Base64(const char* text) {
  std::vector<unsigned char> out;
  unsigned int bits = 0;
  int count = 0;
  for (const char* p = text; *p; ++p) {
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const char* at = std::strchr(alphabet, *p);
    if (!at || *p == 0) continue;
    bits = (bits << 6) | static_cast<unsigned int>(at - alphabet);
    if ((count += 6) >= 8) {
      count -= 8;
      out.push_back(static_cast<unsigned char>(bits >> count));
    }
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// The host

class ModuleHost : public ::testing::Test {
 protected:
  void SetUp() override {
    log().clear();
    std::string error;
    ASSERT_TRUE(OpenModule(&module, &error)) << error;
    ASSERT_NE(module.initDll, nullptr);
    ASSERT_NE(module.exitDll, nullptr);
    ASSERT_TRUE(module.initDll());
    factory = module.getPluginFactory();
    ASSERT_NE(factory, nullptr);
  }
  void TearDown() override {
    for (Instance* instance : {&plug, &other}) Destroy(*instance);
    if (factory) {
      EXPECT_EQ(release(factory), 0u) << "the host's release must end the factory";
    }
    if (module.exitDll) {
      EXPECT_TRUE(module.exitDll());
    }
    vst3host::UnloadModule(&module);
    for (rawhost::Face* face : {&host.application, &host.handler, &host.handler2,
                                static_cast<rawhost::Face*>(&host.handler3), &host.menu, &host.frame})
      EXPECT_EQ(face->refs, 1) << "a host object kept a reference";
  }

  // Creates the effect and initialises it with the host context.
  void Make(Instance& instance) {
    ASSERT_EQ(instance.Create(factory, kClassId), kOk);
    ASSERT_TRUE(instance.component && instance.processor && instance.controller && instance.controller2 &&
                instance.unitInfo && instance.midiMapping);
    ASSERT_EQ(call<int32_t>(instance.component, slot::initialize, static_cast<void*>(&host.application)), kOk);
  }
  // Deactivates, terminates and releases; the last release destroys the object.
  void Destroy(Instance& instance) {
    if (!instance.component) return;
    call<int32_t>(instance.processor, slot::setProcessing, uint8_t(0));
    EXPECT_EQ(call<int32_t>(instance.component, slot::setActive, uint8_t(0)), kOk);
    EXPECT_EQ(call<int32_t>(instance.component, slot::terminate), kOk);
    EXPECT_EQ(instance.Release(), 0) << "the host's last release must destroy the effect";
  }
  // Stereo in, stereo side chain (active or not), stereo out, set up and active.
  void Start(Instance& instance, int32_t sampleSize, int32_t maxBlock, bool sideChain) {
    uint64_t ins[] = {0x3, 0x3};
    uint64_t outs[] = {0x3};
    ASSERT_EQ(call<int32_t>(instance.processor, slot::setBusArrangements, ins, int32_t(2), outs, int32_t(1)), kOk);
    // Buses start inactive; a host activates those the plug-in marks default-active.
    ASSERT_EQ(call<int32_t>(instance.component, slot::activateBus, int32_t(0), int32_t(0), int32_t(0), uint8_t(1)), kOk);
    ASSERT_EQ(call<int32_t>(instance.component, slot::activateBus, int32_t(0), int32_t(0), int32_t(1),
                            uint8_t(sideChain)),
              kOk);
    ASSERT_EQ(call<int32_t>(instance.component, slot::activateBus, int32_t(0), int32_t(1), int32_t(0), uint8_t(1)), kOk);
    const std::vector<unsigned char> setup = vst3host::ProcessSetupRecord(0, sampleSize, maxBlock, kRate);
    ASSERT_EQ(call<int32_t>(instance.processor, slot::setupProcessing, static_cast<const void*>(setup.data())), kOk);
    ASSERT_EQ(call<int32_t>(instance.component, slot::setActive, uint8_t(1)), kOk);
    call<int32_t>(instance.processor, slot::setProcessing, uint8_t(1));
  }
  // One block of the test signal from frame `at`; the side chain gets `side` times its noise.
  void Fill(ProcessBlock& block, long long at, double side = 1.0) {
    for (int i = 0; i < block.MaxFrames(); ++i) {
      const double t = static_cast<double>(at + i) / kRate;
      const double level = (at + i) / 4410 % 2 ? 0.3 : 0.05;
      block.SetInput(0, 0, i, level * std::sin(2 * 3.14159265358979 * 220 * t));
      block.SetInput(0, 1, i, level * std::cos(2 * 3.14159265358979 * 330 * t));
      block.SetInput(1, 0, i, side * 0.2 * std::sin(2 * 3.14159265358979 * 55 * t));
      block.SetInput(1, 1, i, side * 0.2 * std::sin(2 * 3.14159265358979 * 77 * t));
    }
  }
  // Runs `blocks` blocks and returns the outputs (left, right interleaved).
  std::vector<double> Run(Instance& instance, ProcessBlock& block, int blocks, double side = 1.0,
                          void* changes = nullptr) {
    std::vector<double> out;
    for (int b = 0; b < blocks; ++b) {
      Fill(block, static_cast<long long>(b) * block.MaxFrames(), side);
      block.SetHostObjects(b == 0 ? changes : nullptr, nullptr, nullptr, nullptr, nullptr);
      EXPECT_EQ(call<int32_t>(instance.processor, slot::process, block.Data()), kOk);
      for (int i = 0; i < block.MaxFrames(); ++i) {
        out.push_back(block.Output(0, 0, i));
        out.push_back(block.Output(0, 1, i));
      }
    }
    return out;
  }
  void Flush(Instance& instance, rawhost::ChangesFace& changes) {
    ProcessBlock flush(false, 0, {}, {});
    flush.SetFlush();
    flush.SetHostObjects(&changes, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(call<int32_t>(instance.processor, slot::process, flush.Data()), kOk);
  }
  double Normalized(Instance& instance, uint32_t id) {
    return call<double>(instance.controller, slot::getParamNormalized, id);
  }
  std::u16string ValueText(Instance& instance, uint32_t id, double normalized, int32_t* result = nullptr) {
    char16_t text[128] = {u'#', 0};
    const int32_t r = call<int32_t>(instance.controller, slot::getParamStringByValue, id, normalized, text);
    if (result) *result = r;
    return text;
  }
  std::vector<unsigned char> State(Instance& instance) {
    rawhost::StreamFace stream;
    EXPECT_EQ(call<int32_t>(instance.component, slot::componentGetState, static_cast<void*>(&stream)), kOk);
    return stream.bytes;
  }

  Module module;
  void* factory = nullptr;
  rawhost::HostObjects host;
  Instance plug, other;
};

// ---------------------------------------------------------------------------------------------
// Module entry and factory

TEST_F(ModuleHost, TwoCallsGiveOneFactoryAndItsLastReleaseEndsIt) {
  void* again = module.getPluginFactory();
  EXPECT_EQ(again, factory);
  EXPECT_EQ(addRef(factory), 3u);  // the second call added one
  EXPECT_EQ(release(factory), 2u);
  EXPECT_EQ(release(again), 1u);
  for (const Iid* iid : {&kIPluginFactory, &kIPluginFactory2, &kIPluginFactory3, &kFUnknown}) {
    void* face = query(factory, *iid);
    EXPECT_EQ(face, factory);
    if (face) release(face);
  }
  EXPECT_EQ(query(factory, kIComponent), nullptr);

  // The last release ends the factory and the module forgets it: the next call makes a new one
  // that works (a kept pointer to the old one would be used after it was freed).
  EXPECT_EQ(release(factory), 0u);
  factory = module.getPluginFactory();
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(call<int32_t>(factory, slot::countClasses), 1);
  EXPECT_EQ(addRef(factory), 2u);
  EXPECT_EQ(release(factory), 1u);
}

TEST_F(ModuleHost, FactoryAndClassInformationInAllThreeForms) {
  Record info(452);
  ASSERT_EQ(call<int32_t>(factory, slot::getFactoryInfo, info.data()), kOk);
  EXPECT_EQ(text8(info.data(), 0), "Vemtra");
  EXPECT_EQ(text8(info.data(), 64), "https://www.vemtra.com");
  EXPECT_EQ(text8(info.data(), 320), "support@vemtra.com");
  EXPECT_EQ(field<int32_t>(info.data(), 448), 16);  // Unicode
  EXPECT_TRUE(info.guardIntact());
  ASSERT_EQ(call<int32_t>(factory, slot::countClasses), 1);

  rawhost::expectClassRecords(factory, 0,
                              {kClassId, 0x7FFFFFFF, "Audio Module Class", u"VemtraCorvane", 2, "Fx|Tools",
                               u"Vemtra", u"2.0.8", u"VST 3.5.2"});
  Record c1(116);
  EXPECT_EQ(call<int32_t>(factory, slot::getClassInfo, int32_t(1), c1.data()), kInvalidArgument);
  EXPECT_EQ(call<int32_t>(factory, slot::getClassInfo, int32_t(0), static_cast<void*>(nullptr)), kInvalidArgument);
  void* factory3 = query(factory, kIPluginFactory3);
  ASSERT_NE(factory3, nullptr);
  EXPECT_EQ(call<int32_t>(factory3, slot::setHostContext, static_cast<void*>(&host.application)), kNotImplemented);
  release(factory3);
}

TEST_F(ModuleHost, TheEffectIsMadeThroughEachOfItsInterfacesAndOnlyForItsClass) {
  for (const Iid* iid : {&kIComponent, &kIAudioProcessor, &kIEditController, &kIUnitInfo, &kFUnknown}) {
    void* obj = reinterpret_cast<void*>(1);
    ASSERT_EQ(call<int32_t>(factory, slot::createInstance, reinterpret_cast<const char*>(kClassId),
                            reinterpret_cast<const char*>(*iid), &obj),
              kOk);
    ASSERT_NE(obj, nullptr);
    void* processor = query(obj, kIAudioProcessor);
    EXPECT_NE(processor, nullptr);
    if (processor) release(processor);
    EXPECT_EQ(release(obj), 0u);  // the factory kept no reference of its own
  }
  unsigned char otherClass[16];
  std::memcpy(otherClass, kClassId, 16);
  otherClass[15] ^= 1;
  for (const unsigned char* cid : {static_cast<const unsigned char*>(otherClass), kClassId}) {
    void* obj = reinterpret_cast<void*>(1);
    const Iid& iid = cid == kClassId ? kIPlugView : kIComponent;  // no view object; no such class
    EXPECT_EQ(call<int32_t>(factory, slot::createInstance, reinterpret_cast<const char*>(cid),
                            reinterpret_cast<const char*>(iid), &obj),
              kNoInterface);
    EXPECT_EQ(obj, nullptr);
  }
}

TEST_F(ModuleHost, InstancesMadeFromSeveralThreadsAtOnce) {
  constexpr int kThreads = 4, kEach = 3;
  std::atomic<int> made{0}, destroyed{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kEach; ++i) {
        Instance instance;
        if (instance.Create(factory, kClassId) != kOk) continue;
        // No host context: the host objects of this test are not made for several threads.
        if (call<int32_t>(instance.component, slot::initialize, static_cast<void*>(nullptr)) == kOk) ++made;
        call<int32_t>(instance.component, slot::terminate);
        if (instance.Release() == 0) ++destroyed;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(made.load(), kThreads * kEach);
  EXPECT_EQ(destroyed.load(), kThreads * kEach);
}

// ---------------------------------------------------------------------------------------------
// The component and controller

TEST_F(ModuleHost, OneObjectAnswersEveryInterfaceAndIsInitialisedOnce) {
  Make(plug);
  EXPECT_EQ(log(), std::vector<std::string>{"getName"});  // the host context was asked
  void* identity = query(plug.component, kFUnknown);
  ASSERT_NE(identity, nullptr);
  for (void* face : {plug.component, plug.processor, plug.controller, plug.controller2, plug.unitInfo,
                     plug.midiMapping}) {
    void* same = query(face, kFUnknown);
    EXPECT_EQ(same, identity);
    release(same);
    void* base = query(face, kIPluginBase);
    EXPECT_NE(base, nullptr);
    if (base) release(base);
  }
  release(identity);
  EXPECT_EQ(query(plug.component, kIConnectionPoint), nullptr);
  EXPECT_EQ(query(plug.component, kIPlugView), nullptr);
  EXPECT_EQ(query(plug.component, kIPluginFactory), nullptr);

  // A host that initialises the controller again is refused; nothing is recalled over a state.
  rawhost::ChangesFace changes;
  changes.queues.emplace_back(uint32_t(Automation));
  changes.queues.back().points = {{0, 1.0}};
  Flush(plug, changes);
  EXPECT_EQ(call<int32_t>(plug.controller, slot::initialize, static_cast<void*>(&host.application)), kFalse);
  EXPECT_EQ(Normalized(plug, Automation), 1.0);

  char classId[16];
  EXPECT_EQ(call<int32_t>(plug.component, slot::getControllerClassId, classId), kNotImplemented);
  EXPECT_EQ(call<int32_t>(plug.component, slot::setIoMode, int32_t(1)), kNotImplemented);
}

TEST_F(ModuleHost, BusesAndTheArrangementsTheEffectTakes) {
  Make(plug);
  ASSERT_EQ(call<int32_t>(plug.component, slot::getBusCount, int32_t(0), int32_t(0)), 2);
  ASSERT_EQ(call<int32_t>(plug.component, slot::getBusCount, int32_t(0), int32_t(1)), 1);
  EXPECT_EQ(call<int32_t>(plug.component, slot::getBusCount, int32_t(1), int32_t(0)), 0);  // no MIDI
  EXPECT_EQ(call<int32_t>(plug.component, slot::getBusCount, int32_t(1), int32_t(1)), 0);
  struct Expected {
    int32_t dir, index;
    std::u16string name;
    int32_t type, flags;
  } buses[] = {{0, 0, u"Main Input", 0, 1}, {0, 1, u"Aux Input", 1, 0}, {1, 0, u"Output", 0, 1}};
  for (const Expected& e : buses) {
    Record bus(276);
    ASSERT_EQ(call<int32_t>(plug.component, slot::getBusInfo, int32_t(0), e.dir, e.index, bus.data()), kOk);
    EXPECT_EQ(field<int32_t>(bus.data(), 0), 0);  // audio
    EXPECT_EQ(field<int32_t>(bus.data(), 4), e.dir);
    EXPECT_EQ(field<int32_t>(bus.data(), 8), 2);
    EXPECT_EQ(rawhost::u16at(bus.data(), 12), e.name);
    EXPECT_EQ(field<int32_t>(bus.data(), 268), e.type);
    EXPECT_EQ(field<uint32_t>(bus.data(), 272), static_cast<uint32_t>(e.flags));
    EXPECT_TRUE(bus.guardIntact());
  }
  Record bus(276);
  EXPECT_EQ(call<int32_t>(plug.component, slot::getBusInfo, int32_t(0), int32_t(0), int32_t(2), bus.data()),
            kInvalidArgument);

  auto arrange = [&](std::vector<uint64_t> ins, std::vector<uint64_t> outs) {
    return call<int32_t>(plug.processor, slot::setBusArrangements, ins.empty() ? nullptr : ins.data(),
                         static_cast<int32_t>(ins.size()), outs.empty() ? nullptr : outs.data(),
                         static_cast<int32_t>(outs.size()));
  };
  uint64_t arrangement = 0;
  EXPECT_EQ(arrange({0x3, 0x3}, {0x80000}), kOk);  // "4-1" is not listed, but main 2 in, 1 out is
  EXPECT_EQ(call<int32_t>(plug.processor, slot::getBusArrangement, int32_t(1), int32_t(0), &arrangement), kOk);
  EXPECT_EQ(arrangement, 0x80000u);
  EXPECT_EQ(arrange({0x80000, 0x3}, {0x80000}), kOk);  // mono in, mono out
  EXPECT_EQ(arrange({0x80000, 0x3}, {0x3}), kFalse);    // 1 in, 2 out is no legal pair
  EXPECT_EQ(arrange({0x3F, 0x3}, {0x3}), kFalse);       // 5.1 in
  EXPECT_EQ(arrange({0x3}, {0x3}), kFalse);             // the side-chain bus is missing
  EXPECT_EQ(arrange({}, {}), kFalse);                   // nothing at all is refused unread
  EXPECT_NE(call<int32_t>(plug.processor, slot::setBusArrangements, static_cast<uint64_t*>(nullptr), int32_t(2),
                          static_cast<uint64_t*>(nullptr), int32_t(1)),
            kOk);
  EXPECT_EQ(arrange({0x3, 0x3}, {0x3}), kOk);
  EXPECT_EQ(call<int32_t>(plug.processor, slot::getBusArrangement, int32_t(0), int32_t(0), &arrangement), kOk);
  EXPECT_EQ(arrangement, 0x3u);
  for (int32_t size : {0, 1}) EXPECT_EQ(call<int32_t>(plug.processor, slot::canProcessSampleSize, size), kOk);
  EXPECT_EQ(call<int32_t>(plug.processor, slot::canProcessSampleSize, int32_t(2)), kFalse);
  EXPECT_EQ(call<uint32_t>(plug.processor, slot::getLatencySamples), 0u);
  EXPECT_EQ(call<uint32_t>(plug.processor, slot::getTailSamples), 0u);
}

TEST_F(ModuleHost, HostParametersFollowTheEffectsTable) {
  Make(plug);
  ASSERT_EQ(call<int32_t>(plug.controller, slot::getParameterCount), kHostParams);
  for (int32_t i = 0; i < kHostParams; ++i) {
    SCOPED_TRACE("parameter " + std::to_string(i));
    Record info(792);
    ASSERT_EQ(call<int32_t>(plug.controller, slot::getParameterInfo, i, info.data()), kOk);
    EXPECT_TRUE(info.guardIntact());
    const uint32_t id = field<uint32_t>(info.data(), 0);
    const std::u16string title = rawhost::u16at(info.data(), 4);
    const int32_t steps = field<int32_t>(info.data(), 772);
    const double defaultValue = field<double>(info.data(), 776);
    const int32_t flags = field<int32_t>(info.data(), 788);
    EXPECT_EQ(field<int32_t>(info.data(), 784), 0);  // the root unit: the effect has no groups
    if (i == 0) {
      EXPECT_EQ(id, kPreset);
      EXPECT_EQ(title, u"Preset");
      EXPECT_EQ(steps, kNumPresets);
      EXPECT_EQ(flags, 0x8000);
      continue;
    }
    if (i == 1) {
      EXPECT_EQ(id, kBypass);
      EXPECT_EQ(title, u"Bypass");
      EXPECT_EQ(steps, 1);
      EXPECT_EQ(flags, 0x10009);
      continue;
    }
    ASSERT_EQ(id, static_cast<uint32_t>(i - 2));
    const EffectParamSpec* spec = EffectParamSpecAt(static_cast<int>(id));
    ASSERT_NE(spec, nullptr);
    EXPECT_EQ(Narrow(title), spec->name);
    // The host's default is the table's, and it is what preset 0 left.
    EXPECT_NEAR(defaultValue, call<double>(plug.controller, slot::plainParamToNormalized, id, spec->defaultValue),
                1e-12);
    EXPECT_NEAR(Normalized(plug, id), defaultValue, 1e-12);
    if (spec->kind == kParamEnumeration) {
      EXPECT_EQ(flags, 0x9);
      ASSERT_EQ(steps, spec->nTexts - 1);
      for (int v = 0; v < spec->nTexts; ++v)
        EXPECT_EQ(Narrow(ValueText(plug, id, static_cast<double>(v) / steps)), spec->texts[v]);
    } else if (spec->kind == kParamBoolean) {
      EXPECT_EQ(flags, 0x9);
      EXPECT_GE(steps, 1) << "a list parameter needs at least two entries";
    } else {
      EXPECT_EQ(flags, 0x1);
      EXPECT_EQ(steps, 0);
      EXPECT_EQ(Narrow(rawhost::u16at(info.data(), 516)), spec->label);
      for (double x : {0.0, 0.3, 1.0}) {
        const double plain = call<double>(plug.controller, slot::normalizedParamToPlain, id, x);
        EXPECT_GE(plain, spec->minValue);
        EXPECT_LE(plain, spec->maxValue);
        int32_t result = kFalse;
        EXPECT_FALSE(ValueText(plug, id, x, &result).empty());
        EXPECT_EQ(result, kOk);
      }
    }
  }
  Record info(792);
  EXPECT_EQ(call<int32_t>(plug.controller, slot::getParameterInfo, int32_t(kHostParams), info.data()), kFalse);
  EXPECT_EQ(ValueText(plug, Automation, 0.5), u"Read");
  int32_t result = kOk;
  ValueText(plug, 4711, 0.5, &result);
  EXPECT_EQ(result, kFalse);
}

TEST_F(ModuleHost, UnitsProgramListAndMidiMapping) {
  Make(plug);
  EXPECT_EQ(call<int32_t>(plug.unitInfo, slot::getUnitCount), 1);
  Record unit(268);
  ASSERT_EQ(call<int32_t>(plug.unitInfo, slot::getUnitInfo, int32_t(0), unit.data()), kOk);
  EXPECT_EQ(field<int32_t>(unit.data(), 0), 0);
  EXPECT_EQ(field<int32_t>(unit.data(), 4), -1);
  EXPECT_EQ(rawhost::u16at(unit.data(), 8), u"Root Unit");
  EXPECT_EQ(field<int32_t>(unit.data(), 264), -1);
  EXPECT_TRUE(unit.guardIntact());
  EXPECT_EQ(call<int32_t>(plug.unitInfo, slot::getUnitInfo, int32_t(1), unit.data()), kFalse);

  Record list(264);
  ASSERT_EQ(call<int32_t>(plug.unitInfo, slot::getProgramListInfo, int32_t(0), list.data()), kOk);
  EXPECT_EQ(field<uint32_t>(list.data(), 0), kPreset);
  EXPECT_EQ(rawhost::u16at(list.data(), 4), u"Factory Presets");
  EXPECT_EQ(field<int32_t>(list.data(), 260), kNumPresets);
  EXPECT_TRUE(list.guardIntact());
  EXPECT_EQ(call<int32_t>(plug.unitInfo, slot::getProgramListInfo, int32_t(1), list.data()), kFalse);
  for (int32_t p = 0; p <= kNumPresets; ++p) {
    char16_t name[128] = {u'#', 0};
    ASSERT_EQ(call<int32_t>(plug.unitInfo, slot::getProgramName, int32_t(kPreset), p, name), kOk);
    const std::string expected = p == 0 ? kDefaultPresetName : p <= kNumStoredPresets ? kStoredPresets[p - 1].name : "";
    EXPECT_EQ(Narrow(name), expected);
  }
  char16_t name[128];
  EXPECT_EQ(call<int32_t>(plug.unitInfo, slot::getProgramName, int32_t(1), int32_t(0), name), kFalse);
  EXPECT_EQ(call<int32_t>(plug.unitInfo, slot::getSelectedUnit), 0);

  for (int16_t controllerNumber : {0, 7, 127}) {
    uint32_t id = 12345;
    EXPECT_EQ(call<int32_t>(plug.midiMapping, slot::getMidiControllerAssignment, int32_t(0), int16_t(0),
                            controllerNumber, &id),
              kFalse);  // the effect takes no MIDI
  }
}

// ---------------------------------------------------------------------------------------------
// Processing

TEST_F(ModuleHost, ProcessingIn32And64BitsGivesTheSameRide) {
  constexpr int kFrames = 64, kBlocks = 200;
  Make(plug);
  Make(other);
  Start(plug, 0, kFrames, true);
  Start(other, 1, kFrames, true);
  ProcessBlock block32(false, kFrames, {2, 2}, {2});
  ProcessBlock block64(true, kFrames, {2, 2}, {2});
  const std::vector<double> out32 = Run(plug, block32, kBlocks);
  const std::vector<double> out64 = Run(other, block64, kBlocks);
  ASSERT_EQ(out32.size(), out64.size());
  double energy = 0.0, worst = 0.0;
  for (std::size_t i = 0; i < out32.size(); ++i) {
    ASSERT_TRUE(std::isfinite(out64[i]));
    energy += out64[i] * out64[i];
    worst = std::max(worst, std::fabs(out32[i] - out64[i]));
  }
  EXPECT_GT(energy, 1.0);
  EXPECT_LT(worst, 1e-5);  // the float conversions only
}

TEST_F(ModuleHost, TheSideChainCountsOnlyWhileItsBusIsActive) {
  // The default detectors follow the side chain ("Ext. Mid").
  constexpr int kFrames = 128, kBlocks = 100;
  auto run = [&](bool active, double side) {
    Instance instance;
    Make(instance);
    Start(instance, 1, kFrames, active);
    ProcessBlock block(true, kFrames, {2, 2}, {2});
    std::vector<double> out = Run(instance, block, kBlocks, side);
    Destroy(instance);
    return out;
  };
  const std::vector<double> loud = run(true, 1.0), quiet = run(true, 0.1);
  const std::vector<double> inactiveLoud = run(false, 1.0), inactiveQuiet = run(false, 0.1);
  EXPECT_NE(loud, quiet);
  EXPECT_EQ(inactiveLoud, inactiveQuiet);  // an inactive bus is not read
  EXPECT_NE(inactiveLoud, loud);

  // Switching the bus off while running silences the side chain from the next block on.
  Make(plug);
  Start(plug, 1, kFrames, true);
  ProcessBlock block(true, kFrames, {2, 2}, {2});
  Run(plug, block, 10);
  ASSERT_EQ(call<int32_t>(plug.component, slot::activateBus, int32_t(0), int32_t(0), int32_t(1), uint8_t(0)), kOk);
  const std::vector<double> a = Run(plug, block, 5, 1.0);
  Make(other);
  Start(other, 1, kFrames, true);
  Run(other, block, 10);
  ASSERT_EQ(call<int32_t>(other.component, slot::activateBus, int32_t(0), int32_t(0), int32_t(1), uint8_t(0)), kOk);
  EXPECT_EQ(Run(other, block, 5, 0.1), a);
}

TEST_F(ModuleHost, BypassPresetsAndParameterQueuesFromTheHost) {
  constexpr int kFrames = 64;
  Make(plug);
  Start(plug, 1, kFrames, true);
  ProcessBlock block(true, kFrames, {2, 2}, {2});

  // Bypass: the input comes through untouched, and the controller shows it.
  rawhost::ChangesFace bypassOn;
  bypassOn.queues.emplace_back(kBypass);
  bypassOn.queues.back().points = {{0, 0.0}, {10, 1.0}};  // the last point counts
  Run(plug, block, 1, 1.0, &bypassOn);
  for (int i = 0; i < kFrames; ++i) {
    EXPECT_EQ(block.Output(0, 0, i), block.Input(0, 0, i));
    EXPECT_EQ(block.Output(0, 1, i), block.Input(0, 1, i));
  }
  EXPECT_EQ(Normalized(plug, kBypass), 1.0);
  rawhost::ChangesFace bypassOff;
  bypassOff.queues.emplace_back(kBypass);
  bypassOff.queues.back().points = {{0, 0.2}};
  Run(plug, block, 40, 1.0, &bypassOff);
  EXPECT_EQ(Normalized(plug, kBypass), 0.0);
  bool ridden = false;
  for (int i = 0; i < kFrames; ++i) ridden |= block.Output(0, 0, i) != block.Input(0, 0, i);
  EXPECT_TRUE(ridden);

  // A preset from the host: k / 11 recalls preset k, as loading its stored chunk would. A value
  // a little under k / 11 (a float from the host) still means k.
  const std::vector<unsigned char> defaults = State(plug);
  for (int k : {3, 7}) {
    rawhost::ChangesFace preset;
    preset.queues.emplace_back(kPreset);
    preset.queues.back().points = {{0, (k == 7 ? 1.0 - 1e-7 : 1.0) * k / kNumPresets}};
    Flush(plug, preset);
    Destroy(other);
    Make(other);
    rawhost::StreamFace stored;
    stored.bytes = Base64(kStoredPresets[k - 1].base64);
    ASSERT_GE(stored.bytes.size(), static_cast<std::size_t>(kChunkBytes));
    stored.bytes.resize(kChunkBytes + 4, 0);  // the chunk, then bypass off
    ASSERT_EQ(call<int32_t>(other.component, slot::componentSetState, static_cast<void*>(&stored)), kOk);
    EXPECT_EQ(State(plug), State(other)) << "preset " << k;
    EXPECT_NE(State(plug), defaults);
  }
  const std::vector<unsigned char> before = State(plug);
  rawhost::ChangesFace pastTheEnd;
  pastTheEnd.queues.emplace_back(kPreset);
  pastTheEnd.queues.back().points = {{0, 1.0}};
  Flush(plug, pastTheEnd);
  EXPECT_EQ(State(plug), before);

  // Values outside [0, 1] are taken to the nearest end; NaN is ignored.
  rawhost::ChangesFace wild;
  wild.queues.emplace_back(uint32_t(CorvaneMode));
  wild.queues.back().points = {{0, 7.0}};
  wild.queues.emplace_back(uint32_t(Processor1GainScaler));
  wild.queues.back().points = {{0, -3.0}};
  wild.queues.emplace_back(uint32_t(Detector1Gain));
  wild.queues.back().points = {{0, std::nan("")}};
  const double gainBefore = Normalized(plug, Detector1Gain);
  Flush(plug, wild);
  EXPECT_EQ(Normalized(plug, CorvaneMode), 1.0);
  EXPECT_EQ(ValueText(plug, CorvaneMode, Normalized(plug, CorvaneMode)), u"Mid / Side");
  EXPECT_EQ(Normalized(plug, Processor1GainScaler), 0.0);
  EXPECT_EQ(Normalized(plug, Detector1Gain), gainBefore);

  // Audio goes on after all of it.
  const std::vector<double> out = Run(plug, block, 4);
  for (double v : out) ASSERT_TRUE(std::isfinite(v));
}

// ---------------------------------------------------------------------------------------------
// State

TEST_F(ModuleHost, StateRoundTripAndStreamsThatFail) {
  Make(plug);
  rawhost::ChangesFace changes;
  for (auto [id, value] : {std::pair<uint32_t, double>{CorvaneMode, 1.0}, {Detector1Gain, 0.25}, {kBypass, 1.0}}) {
    changes.queues.emplace_back(id);
    changes.queues.back().points = {{0, value}};
  }
  Flush(plug, changes);
  const std::vector<unsigned char> saved = State(plug);
  ASSERT_EQ(saved.size(), static_cast<std::size_t>(kChunkBytes + 4));
  EXPECT_EQ(field<double>(saved.data(), 8 * CorvaneMode), 2.0);  // "Mid / Side"
  EXPECT_EQ(field<double>(saved.data(), 8 * Detector1Gain), -15.0);
  EXPECT_EQ(field<int32_t>(saved.data(), kChunkBytes), 1);
  rawhost::StreamFace throughController;
  ASSERT_EQ(call<int32_t>(plug.controller, slot::controllerGetState, static_cast<void*>(&throughController)), kOk);
  EXPECT_EQ(throughController.bytes, saved);

  // Into a fresh instance, through either interface.
  Make(other);
  const std::vector<unsigned char> fresh = State(other);
  ASSERT_NE(fresh, saved);
  rawhost::StreamFace stream;
  stream.bytes = saved;
  ASSERT_EQ(call<int32_t>(other.component, slot::componentSetState, static_cast<void*>(&stream)), kOk);
  EXPECT_EQ(State(other), saved);
  EXPECT_EQ(Normalized(other, kBypass), 1.0);
  // setupProcessing keeps what the state said.
  Start(other, 0, 64, true);
  EXPECT_EQ(Normalized(other, kBypass), 1.0);

  // Streams that fail: nothing changes.
  Destroy(other);
  Make(other);
  for (int kind = 0; kind < 5; ++kind) {
    SCOPED_TRACE("stream " + std::to_string(kind));
    rawhost::FaultyStream faulty;
    faulty.bytes = saved;
    switch (kind) {
      case 0: faulty.bytes.clear(); break;                           // empty
      case 1: faulty.bytes.resize(100); break;                       // short
      case 2: faulty.failReadsFrom = 200; break;                     // a read fails part-way
      case 3: faulty.bogusReadCount = 1 << 20; break;                // reports more than it read
      case 4: faulty.failAllReads = true; faulty.seekable = false; break;
    }
    const std::vector<unsigned char> before = State(other);
    EXPECT_EQ(call<int32_t>(other.component, slot::componentSetState, static_cast<void*>(&faulty)), kFalse);
    EXPECT_EQ(State(other), before);
  }
  // An unseekable stream that reads fine is enough; the chunk alone loads and says it is short.
  rawhost::FaultyStream unseekable;
  unseekable.bytes = saved;
  unseekable.seekable = false;
  EXPECT_EQ(call<int32_t>(other.controller, slot::controllerSetState, static_cast<void*>(&unseekable)), kOk);
  EXPECT_EQ(State(other), saved);
  Destroy(other);
  Make(other);
  rawhost::StreamFace chunkOnly;
  chunkOnly.bytes.assign(saved.begin(), saved.begin() + kChunkBytes);
  EXPECT_EQ(call<int32_t>(other.component, slot::componentSetState, static_cast<void*>(&chunkOnly)), kFalse);
  const std::vector<unsigned char> loaded = State(other);
  EXPECT_TRUE(std::equal(loaded.begin(), loaded.begin() + kChunkBytes, saved.begin()));
  EXPECT_EQ(Normalized(other, kBypass), 0.0);

  // A write that fails is reported.
  rawhost::FaultyStream full;
  full.failWritesFrom = 100;
  EXPECT_EQ(call<int32_t>(plug.component, slot::componentGetState, static_cast<void*>(&full)), kFalse);
}

// ---------------------------------------------------------------------------------------------
// The editor view

#if defined(_WIN32)
// A top-level window of the host's, for the editor to live in.
struct ParentWindow {
  ParentWindow() {
    window = CreateWindowExA(0, "STATIC", "Corvane host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1000, 700, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~ParentWindow() {
    if (window) DestroyWindow(window);
  }
  HWND Editor() const { return FindWindowExA(window, nullptr, "IPlugWndClass", nullptr); }
  void Pump(int milliseconds) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    while (static_cast<int>(end - GetTickCount()) > 0) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      Sleep(5);
    }
  }
  HWND window = nullptr;
};
#else
struct ParentWindow {
  void* window = this;  // the headless editor takes any parent
  void Pump(int) {}
};
#endif

TEST_F(ModuleHost, TheEditorViewOpensInAParentWindowResizesAndCloses) {
  Make(plug);
  ASSERT_EQ(call<int32_t>(plug.controller, slot::setComponentHandler, static_cast<void*>(&host.handler)), kOk);
  EXPECT_EQ(call<void*>(plug.controller, slot::createView, "editor2"), nullptr);
  void* view = call<void*>(plug.controller, slot::createView, "editor");
  ASSERT_NE(view, nullptr);
  void* same = query(view, kIPlugView);
  EXPECT_EQ(same, view);
  if (same) release(same);
  EXPECT_EQ(call<int32_t>(view, slot::isPlatformTypeSupported, "HWND"), kOk);
  EXPECT_EQ(call<int32_t>(view, slot::isPlatformTypeSupported, "NSView"), kFalse);
  std::vector<unsigned char> rect(16, 0);
  ASSERT_EQ(call<int32_t>(view, slot::getSize, static_cast<void*>(rect.data())), kOk);
  EXPECT_EQ(field<int32_t>(rect.data(), 0), 0);
  EXPECT_EQ(field<int32_t>(rect.data(), 4), 0);
  EXPECT_EQ(field<int32_t>(rect.data(), 8), 800);
  EXPECT_EQ(field<int32_t>(rect.data(), 12), 500);
  EXPECT_EQ(call<int32_t>(view, slot::getSize, static_cast<void*>(nullptr)), kInvalidArgument);
  EXPECT_EQ(call<int32_t>(view, slot::setFrame, static_cast<void*>(&host.frame)), kOk);

  ParentWindow parent;
  ASSERT_NE(parent.window, nullptr);
  EXPECT_EQ(call<int32_t>(view, slot::attached, static_cast<void*>(nullptr), "HWND"), kFalse);
  EXPECT_EQ(call<int32_t>(view, slot::attached, static_cast<void*>(parent.window), "NSView"), kFalse);
  ASSERT_EQ(call<int32_t>(view, slot::attached, static_cast<void*>(parent.window), "HWND"), kOk);
#if defined(_WIN32)
  HWND editor = parent.Editor();
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(IsWindowVisible(editor));
  RECT client{};
  GetClientRect(editor, &client);
  EXPECT_EQ(client.right - client.left, 800);
  EXPECT_EQ(client.bottom - client.top, 500);
  // The window class and the bitmaps belong to the module.
  EXPECT_EQ(reinterpret_cast<HMODULE>(GetClassLongPtrA(editor, GCLP_HMODULE)), static_cast<HMODULE>(module.library));
#endif
  parent.Pump(300);  // the editor's timer draws

  // The host resizes its window and tells the view.
  std::vector<unsigned char> hostRect(16, 0);
  setField<int32_t>(hostRect.data(), 8, 640);
  setField<int32_t>(hostRect.data(), 12, 480);
  EXPECT_EQ(call<int32_t>(view, slot::onSize, static_cast<void*>(hostRect.data())), kOk);
  EXPECT_EQ(call<int32_t>(view, slot::onSize, static_cast<void*>(nullptr)), kOk);
  ASSERT_EQ(call<int32_t>(view, slot::getSize, static_cast<void*>(rect.data())), kOk);
  EXPECT_EQ(field<int32_t>(rect.data(), 8), 800);
  parent.Pump(100);

  EXPECT_EQ(call<int32_t>(view, slot::removed), kOk);
#if defined(_WIN32)
  EXPECT_EQ(parent.Editor(), nullptr);
  WNDCLASSA windowClass;
  EXPECT_FALSE(GetClassInfoA(static_cast<HINSTANCE>(module.library), "IPlugWndClass", &windowClass));
#endif
  // Opened again after being removed, then released while open.
  ASSERT_EQ(call<int32_t>(view, slot::attached, static_cast<void*>(parent.window), "HWND"), kOk);
  parent.Pump(100);
  EXPECT_EQ(call<int32_t>(view, slot::setFrame, static_cast<void*>(nullptr)), kOk);
  EXPECT_EQ(release(view), 0u);
#if defined(_WIN32)
  EXPECT_EQ(parent.Editor(), nullptr);
#endif
  ASSERT_EQ(call<int32_t>(plug.controller, slot::setComponentHandler, static_cast<void*>(nullptr)), kOk);
}

}  // namespace

#if defined(_WIN32)
// A host that never calls InitDll: the library entry alone tells the editor its module.
TEST(ModuleWithoutInitDll, TheEditorStillFindsItsModule) {
  Module module;
  std::string error;
  ASSERT_TRUE(OpenModule(&module, &error)) << error;
  void* factory = module.getPluginFactory();
  ASSERT_NE(factory, nullptr);
  rawhost::HostObjects host;
  {
    Instance plug;
    ASSERT_EQ(plug.Create(factory, kClassId), kOk);
    ASSERT_EQ(call<int32_t>(plug.component, slot::initialize, static_cast<void*>(&host.application)), kOk);
    void* view = call<void*>(plug.controller, slot::createView, "editor");
    ASSERT_NE(view, nullptr);
    ParentWindow parent;
    ASSERT_EQ(call<int32_t>(view, slot::attached, static_cast<void*>(parent.window), "HWND"), kOk);
    HWND editor = parent.Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(reinterpret_cast<HMODULE>(GetClassLongPtrA(editor, GCLP_HMODULE)), static_cast<HMODULE>(module.library));
    parent.Pump(100);
    EXPECT_EQ(call<int32_t>(view, slot::removed), kOk);
    EXPECT_EQ(release(view), 0u);
    EXPECT_EQ(call<int32_t>(plug.component, slot::terminate), kOk);
    EXPECT_EQ(plug.Release(), 0);
  }
  EXPECT_EQ(release(factory), 0u);
  vst3host::UnloadModule(&module);
}
#endif
