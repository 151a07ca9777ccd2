// A host that knows only the published facts (identifier bytes, slot numbers, record offsets)
// drives the probe plug-in: on Windows the module file through LoadLibrary, natively the same
// code linked in. A wrong identifier, slot order, calling convention or record layout in the
// layer makes these calls land in the wrong place.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "class_records.h"
#include "raw_host.h"

#if defined(_WIN32)
#include <windows.h>
#endif

using namespace published;
using namespace rawhost;

namespace {

// ---------------------------------------------------------------------------------------------
// The module

struct Module {
  using GetFactory = void*(PUBLISHED_API*)();
  using Hook = bool (*)();
  using Handle = void* (*)();
  GetFactory getFactory = nullptr;
  Hook initDll = nullptr;
  Hook exitDll = nullptr;
  Handle moduleHandle = nullptr;
  void* library = nullptr;
};

#if defined(_WIN32)
template <class F>
F procAddress(HMODULE library, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

Module loadModule() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring file(path, n);
  file = file.substr(0, file.find_last_of(L"\\/") + 1) + L"vst3_probe.vst3";
  Module m;
  HMODULE library = LoadLibraryW(file.c_str());
  if (!library) return m;
  m.library = library;
  m.getFactory = procAddress<Module::GetFactory>(library, "GetPluginFactory");
  m.initDll = procAddress<Module::Hook>(library, "InitDll");
  m.exitDll = procAddress<Module::Hook>(library, "ExitDll");
  m.moduleHandle = procAddress<Module::Handle>(library, "ProbeModuleHandle");
  return m;
}
void unloadModule(Module& m) {
  if (m.library) FreeLibrary(static_cast<HMODULE>(m.library));
  m = Module();
}
#else
extern "C" void* GetPluginFactory();
extern "C" bool InitDll();
extern "C" bool ExitDll();
extern "C" void* ProbeModuleHandle();
Module loadModule() {
  Module m;
  m.getFactory = &GetPluginFactory;
  m.initDll = &InitDll;
  m.exitDll = &ExitDll;
  m.moduleHandle = &ProbeModuleHandle;
  return m;
}
void unloadModule(Module& m) { m = Module(); }
#endif

const unsigned char kProbeClass[16] = {'P', 'r', 'o', 'b', 'e', 'E', 'f', 'f',
                                       'e', 'c', 't', '-', 'c', 'l', 's', 1};
const unsigned char kWideClass[16] = {'P', 'r', 'o', 'b', 'e', 'W', 'i', 'd',
                                      'e', '-', '-', '-', 'c', 'l', 's', 2};
constexpr uint32_t kGain = 1, kMode = 2, kBypass = 3, kPreset = 0x70727374, kTempoOut = 100;

class RawHost : public ::testing::Test {
 protected:
  void SetUp() override {
    log().clear();
    module = loadModule();
    ASSERT_NE(module.getFactory, nullptr) << "module or GetPluginFactory missing";
    ASSERT_NE(module.initDll, nullptr);
    ASSERT_NE(module.exitDll, nullptr);
    ASSERT_TRUE(module.initDll());
    factory = module.getFactory();
    ASSERT_NE(factory, nullptr);
  }
  void TearDown() override {
    if (factory) {
      EXPECT_EQ(release(factory), 0u);
    }
    if (module.exitDll) {
      EXPECT_TRUE(module.exitDll());
    }
    unloadModule(module);
  }

  // Creates the probe through IComponent and initialises it with the host context.
  void* createComponent() {
    void* obj = reinterpret_cast<void*>(1);
    EXPECT_EQ(call<int32_t>(factory, slot::createInstance, reinterpret_cast<const char*>(kProbeClass),
                            reinterpret_cast<const char*>(kIComponent), &obj),
              kOk);
    if (!obj) return nullptr;
    EXPECT_EQ(call<int32_t>(obj, slot::initialize, static_cast<void*>(&host.application)), kOk);
    return obj;
  }
  void destroy(void* component) {
    EXPECT_EQ(call<int32_t>(component, slot::terminate), kOk);
    EXPECT_EQ(release(component), 0u);
    EXPECT_EQ(host.application.refs, 1);
    EXPECT_EQ(host.handler.refs, 1);
    EXPECT_EQ(host.handler2.refs, 1);
    EXPECT_EQ(host.handler3.refs, 1);
    EXPECT_EQ(host.menu.refs, 1);
    EXPECT_EQ(host.frame.refs, 1);
  }

  Module module;
  void* factory = nullptr;
  HostObjects host;
};

}  // namespace

TEST_F(RawHost, ModuleEntryAndFactoryReferences) {
#if defined(_WIN32)
  ASSERT_NE(module.moduleHandle, nullptr);
  EXPECT_EQ(module.moduleHandle(), module.library);  // kept by the library entry
#endif
  void* again = module.getFactory();
  EXPECT_EQ(again, factory);
  EXPECT_EQ(addRef(factory), 3u);
  EXPECT_EQ(release(factory), 2u);
  EXPECT_EQ(release(again), 1u);
  EXPECT_EQ(release(factory), 0u);
  factory = module.getFactory();  // a new factory after the last release
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(addRef(factory), 2u);
  EXPECT_EQ(release(factory), 1u);
  for (const Iid* iid : {&kIPluginFactory, &kIPluginFactory2, &kIPluginFactory3, &kFUnknown}) {
    void* f = query(factory, *iid);
    EXPECT_EQ(f, factory);
    if (f) release(f);
  }
  EXPECT_EQ(query(factory, kIComponent), nullptr);
}

TEST_F(RawHost, FactoryInfoInAllThreeForms) {
  Record info(452);
  ASSERT_EQ(call<int32_t>(factory, slot::getFactoryInfo, info.data()), kOk);
  EXPECT_EQ(text8(info.data(), 0), "Corvane Probe");
  EXPECT_EQ(text8(info.data(), 64), "https://probe.example");
  EXPECT_EQ(text8(info.data(), 320), "probe@probe.example");
  EXPECT_EQ(field<int32_t>(info.data(), 448), 16);
  EXPECT_TRUE(info.guardIntact());
  EXPECT_EQ(call<int32_t>(factory, slot::countClasses), 2);

  expectClassRecords(factory, 0,
                     {kProbeClass, 0x7FFFFFFF, "Audio Module Class", u"Probe Effect", 2, "Fx|Tools",
                      u"Probe Vendor", u"1.2.3", u"VST 3.5.2"});
  Record unicodeOnly(116);
  EXPECT_EQ(call<int32_t>(factory, slot::getClassInfo, int32_t(1), unicodeOnly.data()), kFalse);
  EXPECT_EQ(call<int32_t>(factory, slot::getClassInfo, int32_t(2), unicodeOnly.data()), kInvalidArgument);

  void* factory3 = query(factory, kIPluginFactory3);
  ASSERT_NE(factory3, nullptr);
  Record w(696);
  ASSERT_EQ(call<int32_t>(factory3, slot::getClassInfoUnicode, int32_t(1), w.data()), kOk);
  EXPECT_EQ(std::memcmp(w.data(), kWideClass, 16), 0);
  EXPECT_EQ(u16at(w.data(), 52), u"Probe \u00DCnicode");
  EXPECT_EQ(u16at(w.data(), 440), u"4.5.6");
  EXPECT_EQ(call<int32_t>(factory3, slot::setHostContext, static_cast<void*>(&host.application)),
            kNotImplemented);
  release(factory3);

  // The Unicode-only class makes no object.
  void* obj = reinterpret_cast<void*>(1);
  EXPECT_EQ(call<int32_t>(factory, slot::createInstance, reinterpret_cast<const char*>(kWideClass),
                          reinterpret_cast<const char*>(kIComponent), &obj),
            kNoInterface);
  EXPECT_EQ(obj, nullptr);
}

TEST_F(RawHost, EveryInterfaceOfTheComponentWithOneIdentity) {
  void* component = createComponent();
  ASSERT_NE(component, nullptr);
  EXPECT_EQ(log(), std::vector<std::string>{"getName"});
  void* identity = query(component, kFUnknown);
  ASSERT_NE(identity, nullptr);
  for (const Iid* iid : {&kIPluginBase, &kIComponent, &kIAudioProcessor, &kIEditController,
                         &kIEditController2, &kIUnitInfo, &kIMidiMapping}) {
    void* face = query(component, *iid);
    ASSERT_NE(face, nullptr);
    void* same = query(face, kFUnknown);
    EXPECT_EQ(same, identity);
    release(same);
    release(face);
  }
  release(identity);
  EXPECT_EQ(query(component, kIConnectionPoint), nullptr);
  EXPECT_EQ(query(component, kIPlugView), nullptr);
  EXPECT_EQ(query(component, kIPluginFactory), nullptr);

  void* controller = query(component, kIEditController);
  EXPECT_EQ(call<int32_t>(controller, slot::initialize, static_cast<void*>(&host.application)), kFalse);
  release(controller);
  destroy(component);
}

TEST_F(RawHost, ComponentBusesAndArrangements) {
  void* component = createComponent();
  ASSERT_NE(component, nullptr);
  char classId[16];
  EXPECT_EQ(call<int32_t>(component, slot::getControllerClassId, classId), kNotImplemented);
  EXPECT_EQ(call<int32_t>(component, slot::setIoMode, int32_t(1)), kNotImplemented);
  EXPECT_EQ(call<int32_t>(component, slot::getBusCount, int32_t(0), int32_t(0)), 2);
  EXPECT_EQ(call<int32_t>(component, slot::getBusCount, int32_t(0), int32_t(1)), 1);
  EXPECT_EQ(call<int32_t>(component, slot::getBusCount, int32_t(1), int32_t(0)), 1);
  EXPECT_EQ(call<int32_t>(component, slot::getBusCount, int32_t(1), int32_t(1)), 0);

  Record bus(276);
  ASSERT_EQ(call<int32_t>(component, slot::getBusInfo, int32_t(0), int32_t(0), int32_t(1), bus.data()), kOk);
  EXPECT_EQ(field<int32_t>(bus.data(), 0), 0);
  EXPECT_EQ(field<int32_t>(bus.data(), 4), 0);
  EXPECT_EQ(field<int32_t>(bus.data(), 8), 1);
  EXPECT_EQ(u16at(bus.data(), 12), u"Side In");
  EXPECT_EQ(field<int32_t>(bus.data(), 268), 1);  // aux
  EXPECT_EQ(field<uint32_t>(bus.data(), 272), 0u);
  EXPECT_TRUE(bus.guardIntact());
  ASSERT_EQ(call<int32_t>(component, slot::getBusInfo, int32_t(1), int32_t(0), int32_t(0), bus.data()), kOk);
  EXPECT_EQ(field<int32_t>(bus.data(), 0), 1);
  EXPECT_EQ(field<int32_t>(bus.data(), 8), 16);
  EXPECT_EQ(u16at(bus.data(), 12), u"Notes");
  EXPECT_EQ(field<uint32_t>(bus.data(), 272), 1u);
  EXPECT_EQ(call<int32_t>(component, slot::getBusInfo, int32_t(0), int32_t(0), int32_t(5), bus.data()),
            kInvalidArgument);
  EXPECT_EQ(call<int32_t>(component, slot::getRoutingInfo, bus.data(), bus.data()), kNotImplemented);
  EXPECT_EQ(call<int32_t>(component, slot::activateBus, int32_t(0), int32_t(0), int32_t(1), uint8_t(1)), kOk);
  EXPECT_EQ(call<int32_t>(component, slot::activateBus, int32_t(0), int32_t(0), int32_t(7), uint8_t(1)),
            kInvalidArgument);
  EXPECT_EQ(call<int32_t>(component, slot::setActive, uint8_t(1)), kOk);

  void* processor = query(component, kIAudioProcessor);
  ASSERT_NE(processor, nullptr);
  uint64_t ins[] = {0x3, 0x80000, 0x3};
  uint64_t outs[] = {0x3};
  EXPECT_EQ(call<int32_t>(processor, slot::setBusArrangements, ins, int32_t(2), outs, int32_t(1)), kOk);
  EXPECT_EQ(call<int32_t>(processor, slot::setBusArrangements, ins, int32_t(3), outs, int32_t(1)), kFalse);
  EXPECT_EQ(call<int32_t>(processor, slot::setBusArrangements, static_cast<uint64_t*>(nullptr), int32_t(2),
                          outs, int32_t(1)),
            kInvalidArgument);
  uint64_t arr = 0;
  EXPECT_EQ(call<int32_t>(processor, slot::getBusArrangement, int32_t(0), int32_t(1), &arr), kOk);
  EXPECT_EQ(arr, 0x80000u);
  EXPECT_EQ(call<int32_t>(processor, slot::getBusArrangement, int32_t(1), int32_t(3), &arr), kInvalidArgument);
  EXPECT_EQ(call<int32_t>(processor, slot::canProcessSampleSize, int32_t(0)), kOk);
  EXPECT_EQ(call<int32_t>(processor, slot::canProcessSampleSize, int32_t(1)), kOk);
  EXPECT_EQ(call<int32_t>(processor, slot::canProcessSampleSize, int32_t(2)), kFalse);
  EXPECT_EQ(call<uint32_t>(processor, slot::getLatencySamples), 17u);
  EXPECT_EQ(call<uint32_t>(processor, slot::getTailSamples), 33u);
  EXPECT_EQ(call<int32_t>(processor, slot::setProcessing, uint8_t(1)), kOk);
  release(processor);
  destroy(component);
}

TEST_F(RawHost, ControllerParametersAndHostRequests) {
  void* component = createComponent();
  ASSERT_NE(component, nullptr);
  void* controller = query(component, kIEditController);
  ASSERT_NE(controller, nullptr);
  EXPECT_EQ(call<int32_t>(controller, slot::setComponentState, static_cast<void*>(nullptr)), kNotImplemented);
  ASSERT_EQ(call<int32_t>(controller, slot::getParameterCount), 4);

  struct Expected {
    uint32_t id;
    std::u16string title, units;
    int32_t steps;
    double defaultValue;
    int32_t flags;
  } expected[] = {{kGain, u"Gain", u"x", 0, 0.5, 0x1},
                  {kMode, u"Mode", u"", 2, 0.0, 0x9},
                  {kBypass, u"Bypass", u"", 1, 0.0, 0x10009},
                  {kPreset, u"Preset", u"", 4, 0.0, 0x8000}};
  for (int32_t i = 0; i < 4; ++i) {
    Record info(792);
    ASSERT_EQ(call<int32_t>(controller, slot::getParameterInfo, i, info.data()), kOk);
    EXPECT_EQ(field<uint32_t>(info.data(), 0), expected[i].id);
    EXPECT_EQ(u16at(info.data(), 4), expected[i].title);
    EXPECT_EQ(u16at(info.data(), 260), u"");
    EXPECT_EQ(u16at(info.data(), 516), expected[i].units);
    EXPECT_EQ(field<int32_t>(info.data(), 772), expected[i].steps);
    EXPECT_EQ(field<double>(info.data(), 776), expected[i].defaultValue);
    EXPECT_EQ(field<int32_t>(info.data(), 784), 0);
    EXPECT_EQ(field<int32_t>(info.data(), 788), expected[i].flags);
    EXPECT_TRUE(info.guardIntact());
  }
  Record info(792);
  EXPECT_EQ(call<int32_t>(controller, slot::getParameterInfo, int32_t(4), info.data()), kFalse);

  char16_t text[128];
  ASSERT_EQ(call<int32_t>(controller, slot::getParamStringByValue, kGain, 0.25, text), kOk);
  EXPECT_EQ(std::u16string(text), u"0.5000");
  ASSERT_EQ(call<int32_t>(controller, slot::getParamStringByValue, kMode, 0.5, text), kOk);
  EXPECT_EQ(std::u16string(text), u"Hard");
  ASSERT_EQ(call<int32_t>(controller, slot::getParamStringByValue, kBypass, 1.0, text), kOk);
  EXPECT_EQ(std::u16string(text), u"on");
  char16_t off[] = u"Off";
  double value = -1.;
  ASSERT_EQ(call<int32_t>(controller, slot::getParamValueByString, kMode, off, &value), kOk);
  EXPECT_EQ(value, 1.0);
  EXPECT_EQ(call<double>(controller, slot::normalizedParamToPlain, kGain, 0.75), 1.5);
  EXPECT_EQ(call<double>(controller, slot::plainParamToNormalized, kGain, 0.5), 0.25);
  EXPECT_EQ(call<double>(controller, slot::getParamNormalized, kGain), 0.5);
  EXPECT_EQ(call<int32_t>(controller, slot::setParamNormalized, kGain, 0.8), kOk);
  EXPECT_EQ(call<double>(controller, slot::getParamNormalized, kGain), 0.8);
  EXPECT_EQ(call<int32_t>(controller, slot::setParamNormalized, uint32_t(77), 0.8), kFalse);

  log().clear();
  EXPECT_EQ(call<int32_t>(controller, slot::setComponentHandler, static_cast<void*>(&host.handler)), kOk);
  EXPECT_EQ(log(), (std::vector<std::string>{"beginEdit 1", "performEdit 1 0.250000", "endEdit 1",
                                             "restartComponent 8", "startGroupEdit", "setDirty 1",
                                             "requestOpenEditor editor", "finishGroupEdit"}));
  EXPECT_EQ(host.handler.refs, 2);
  EXPECT_EQ(host.handler2.refs, 2);

  void* controller2 = query(component, kIEditController2);
  ASSERT_NE(controller2, nullptr);
  EXPECT_EQ(call<int32_t>(controller2, slot::setKnobMode, int32_t(2)), kOk);
  EXPECT_EQ(call<int32_t>(controller2, slot::openHelp, uint8_t(1)), kFalse);
  EXPECT_EQ(call<int32_t>(controller2, slot::openAboutBox, uint8_t(1)), kOk);
  EXPECT_EQ(call<int32_t>(controller2, slot::openAboutBox, uint8_t(0)), kFalse);
  call<int32_t>(controller2, slot::setKnobMode, int32_t(0));
  release(controller2);
  release(controller);
  destroy(component);
}

TEST_F(RawHost, UnitsProgramListAndMidiMapping) {
  void* component = createComponent();
  ASSERT_NE(component, nullptr);
  void* units = query(component, kIUnitInfo);
  ASSERT_NE(units, nullptr);
  EXPECT_EQ(call<int32_t>(units, slot::getUnitCount), 1);
  Record unit(268);
  ASSERT_EQ(call<int32_t>(units, slot::getUnitInfo, int32_t(0), unit.data()), kOk);
  EXPECT_EQ(field<int32_t>(unit.data(), 0), 0);
  EXPECT_EQ(field<int32_t>(unit.data(), 4), -1);
  EXPECT_EQ(u16at(unit.data(), 8), u"Raw Host");  // the name the host application gave
  EXPECT_EQ(field<int32_t>(unit.data(), 264), -1);
  EXPECT_TRUE(unit.guardIntact());
  EXPECT_EQ(call<int32_t>(units, slot::getProgramListCount), 2);
  Record list(264);
  ASSERT_EQ(call<int32_t>(units, slot::getProgramListInfo, int32_t(0), list.data()), kOk);
  EXPECT_EQ(field<uint32_t>(list.data(), 0), kPreset);
  EXPECT_EQ(u16at(list.data(), 4), u"Presets");
  EXPECT_EQ(field<int32_t>(list.data(), 260), 4);
  EXPECT_TRUE(list.guardIntact());
  char16_t name[128];
  ASSERT_EQ(call<int32_t>(units, slot::getProgramName, int32_t(kPreset), int32_t(2), name), kOk);
  EXPECT_EQ(std::u16string(name), u"Program 2");
  EXPECT_EQ(call<int32_t>(units, slot::getProgramInfo, int32_t(kPreset), int32_t(0), "name", name),
            kNotImplemented);
  EXPECT_EQ(call<int32_t>(units, slot::hasProgramPitchNames, int32_t(kPreset), int32_t(0)), kFalse);
  ASSERT_EQ(call<int32_t>(units, slot::getProgramPitchName, int32_t(kPreset), int32_t(0), int16_t(-3), name), kOk);
  EXPECT_EQ(std::u16string(name), u"Pitch -3");
  EXPECT_EQ(call<int32_t>(units, slot::getSelectedUnit), 5);
  EXPECT_EQ(call<int32_t>(units, slot::selectUnit, int32_t(5)), kOk);
  int32_t unitId = 0;
  EXPECT_EQ(call<int32_t>(units, slot::getUnitByBus, int32_t(0), int32_t(0), int32_t(3), int32_t(4), &unitId), kOk);
  EXPECT_EQ(unitId, 34);
  EXPECT_EQ(call<int32_t>(units, slot::setUnitProgramData, int32_t(0), int32_t(0), static_cast<void*>(nullptr)),
            kNotImplemented);
  release(units);

  void* midi = query(component, kIMidiMapping);
  ASSERT_NE(midi, nullptr);
  uint32_t id = 0;
  EXPECT_EQ(call<int32_t>(midi, slot::getMidiControllerAssignment, int32_t(1), int16_t(3), int16_t(7), &id), kOk);
  EXPECT_EQ(id, 1000u + 10000u + 7u * 16u + 3u);
  EXPECT_EQ(call<int32_t>(midi, slot::getMidiControllerAssignment, int32_t(0), int16_t(0), int16_t(-1), &id),
            kFalse);
  release(midi);
  destroy(component);
}

namespace {

// A process call assembled from the published record layout.
struct RawProcess {
  RawProcess(int32_t sampleSize, int32_t frames) : data(kProcessDataSize, 0) {
    setField<int32_t>(data.data(), 4, sampleSize);
    setField<int32_t>(data.data(), 8, frames);
  }
  void setBuses(void* inputs, int32_t numIns, void* outputs, int32_t numOuts) {
    setField<int32_t>(data.data(), 12, numIns);
    setField<int32_t>(data.data(), 16, numOuts);
    setField<void*>(data.data(), k64 ? 24 : 20, inputs);
    setField<void*>(data.data(), k64 ? 32 : 24, outputs);
  }
  void setHostObjects(void* inChanges, void* outChanges, void* inEvents, void* outEvents, void* context) {
    const std::size_t p = sizeof(void*);
    const std::size_t first = k64 ? 40 : 28;
    setField<void*>(data.data(), first, inChanges);
    setField<void*>(data.data(), first + p, outChanges);
    setField<void*>(data.data(), first + 2 * p, inEvents);
    setField<void*>(data.data(), first + 3 * p, outEvents);
    setField<void*>(data.data(), first + 4 * p, context);
  }
  std::vector<unsigned char> data;
};

// AudioBusBuffers: numChannels @0, silenceFlags @8, channel pointer array @16; 24 bytes.
std::vector<unsigned char> busBuffers(int32_t channels, void* pointers) {
  std::vector<unsigned char> bus(24, 0);
  setField<int32_t>(bus.data(), 0, channels);
  setField<void*>(bus.data(), 16, pointers);
  return bus;
}

}  // namespace

TEST_F(RawHost, ProcessingIn32And64BitsWithHostObjects) {
  void* component = createComponent();
  ASSERT_NE(component, nullptr);
  void* processor = query(component, kIAudioProcessor);
  void* controller = query(component, kIEditController);
  ASSERT_NE(processor, nullptr);
  ASSERT_NE(controller, nullptr);

  for (int32_t sampleSize : {0, 1}) {
    SCOPED_TRACE(sampleSize == 0 ? "32-bit" : "64-bit");
    std::vector<unsigned char> setup(24, 0);
    setField<int32_t>(setup.data(), 4, sampleSize);
    setField<int32_t>(setup.data(), 8, 64);
    setField<double>(setup.data(), 16, 48000.);
    ASSERT_EQ(call<int32_t>(processor, slot::setupProcessing, static_cast<void*>(setup.data())), kOk);
    call<int32_t>(controller, slot::setParamNormalized, kGain, 0.5);

    constexpr int32_t kFrames = 64;
    std::vector<float> in32[2], out32[2];
    std::vector<double> in64[2], out64[2];
    void* inPtrs[2];
    void* outPtrs[2];
    for (int c = 0; c < 2; ++c) {
      in32[c].assign(kFrames, c == 0 ? 1.f : -0.5f);
      out32[c].assign(kFrames, 0.f);
      in64[c].assign(kFrames, c == 0 ? 1. : -0.5);
      out64[c].assign(kFrames, 0.);
      inPtrs[c] = sampleSize ? static_cast<void*>(in64[c].data()) : in32[c].data();
      outPtrs[c] = sampleSize ? static_cast<void*>(out64[c].data()) : out32[c].data();
    }
    std::vector<unsigned char> inputs = busBuffers(2, inPtrs);
    std::vector<unsigned char> outputs = busBuffers(2, outPtrs);

    ChangesFace inChanges, outChanges;
    inChanges.queues.emplace_back(kGain);
    inChanges.queues.back().points = {{0, 0.1}, {32, 0.75}};  // the last point counts: gain 1.5
    inChanges.queues.emplace_back(kMode);  // a queue without points is skipped
    EventsFace inEvents, outEvents;
    std::vector<unsigned char> note(kEventSize, 0);
    setField<int32_t>(note.data(), 4, 12);       // sampleOffset
    setField<double>(note.data(), 8, 4.5);       // ppqPosition
    setField<uint16_t>(note.data(), 18, 0);      // note on
    setField<int16_t>(note.data(), kEventBody + 0, 2);      // channel
    setField<int16_t>(note.data(), kEventBody + 2, 60);     // pitch
    setField<float>(note.data(), kEventBody + 8, 0.75f);    // velocity
    setField<int32_t>(note.data(), kEventBody + 16, 1234);  // noteId
    inEvents.events.push_back(note);
    std::vector<unsigned char> noteOff = note;
    setField<uint16_t>(noteOff.data(), 18, 1);
    inEvents.events.push_back(noteOff);
    std::vector<unsigned char> context(112, 0);
    setField<uint32_t>(context.data(), 0, 0x400 | 0x2);  // tempo valid, playing
    setField<double>(context.data(), 72, 120.);

    RawProcess process(sampleSize, kFrames);
    process.setBuses(inputs.data(), 1, outputs.data(), 1);
    process.setHostObjects(&inChanges, &outChanges, &inEvents, &outEvents, context.data());
    ASSERT_EQ(call<int32_t>(processor, slot::process, static_cast<void*>(process.data.data())), kOk);

    for (int c = 0; c < 2; ++c) {
      const double expectedOut = (c == 0 ? 1. : -0.5) * 1.5;
      for (int s = 0; s < kFrames; s += 21) {
        EXPECT_EQ(sampleSize ? out64[c][s] : out32[c][s], expectedOut) << c << ":" << s;
      }
    }
    EXPECT_EQ(call<double>(controller, slot::getParamNormalized, kGain), 0.75);
    ASSERT_EQ(outChanges.queues.size(), 2u);
    EXPECT_EQ(outChanges.queues[0].id, kGain);
    ASSERT_EQ(outChanges.queues[0].points.size(), 1u);
    EXPECT_EQ(outChanges.queues[0].points[0].second, 0.75);
    EXPECT_EQ(outChanges.queues[1].id, kTempoOut);
    EXPECT_EQ(outChanges.queues[1].points[0].second, 0.12);
    ASSERT_EQ(outEvents.events.size(), 1u);  // the note-on, raised by one
    const unsigned char* e = outEvents.events[0].data();
    EXPECT_EQ(field<int32_t>(e, 4), 12);
    EXPECT_EQ(field<double>(e, 8), 4.5);
    EXPECT_EQ(field<int16_t>(e, kEventBody + 0), 2);
    EXPECT_EQ(field<int16_t>(e, kEventBody + 2), 61);
    EXPECT_EQ(field<float>(e, kEventBody + 8), 0.75f);
    EXPECT_EQ(field<int32_t>(e, kEventBody + 16), 1234);

    // A flush: no samples, no buffers, only a parameter change.
    ChangesFace flush;
    flush.queues.emplace_back(kGain);
    flush.queues.back().points = {{0, 0.25}};
    RawProcess empty(sampleSize, 0);
    empty.setHostObjects(&flush, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(call<int32_t>(processor, slot::process, static_cast<void*>(empty.data.data())), kOk);
    EXPECT_EQ(call<double>(controller, slot::getParamNormalized, kGain), 0.25);
  }
  release(controller);
  release(processor);
  destroy(component);
}

TEST_F(RawHost, StateRoundTripThroughBothInterfaces) {
  void* component = createComponent();
  ASSERT_NE(component, nullptr);
  void* controller = query(component, kIEditController);
  ASSERT_NE(controller, nullptr);
  call<int32_t>(controller, slot::setParamNormalized, kGain, 0.625);
  call<int32_t>(controller, slot::setParamNormalized, kMode, 1.0);

  StreamFace saved;
  ASSERT_EQ(call<int32_t>(component, slot::componentGetState, static_cast<void*>(&saved)), kOk);
  ASSERT_EQ(saved.bytes.size(), 12u);
  EXPECT_EQ(field<double>(saved.bytes.data(), 0), 0.625);
  EXPECT_EQ(field<int32_t>(saved.bytes.data(), 8), 2);

  StreamFace fromController;
  ASSERT_EQ(call<int32_t>(controller, slot::controllerGetState, static_cast<void*>(&fromController)), kOk);
  EXPECT_EQ(fromController.bytes, saved.bytes);  // one state for both interfaces

  call<int32_t>(controller, slot::setParamNormalized, kGain, 0.0);
  call<int32_t>(controller, slot::setParamNormalized, kMode, 0.0);
  saved.pos = 0;
  ASSERT_EQ(call<int32_t>(controller, slot::controllerSetState, static_cast<void*>(&saved)), kOk);
  EXPECT_EQ(call<double>(controller, slot::getParamNormalized, kGain), 0.625);
  EXPECT_EQ(call<double>(controller, slot::getParamNormalized, kMode), 1.0);

  StreamFace shortStream;
  shortStream.bytes.assign(saved.bytes.begin(), saved.bytes.begin() + 8);
  EXPECT_EQ(call<int32_t>(component, slot::componentSetState, static_cast<void*>(&shortStream)), kFalse);
  EXPECT_EQ(call<double>(controller, slot::getParamNormalized, kGain), 0.625);
  EXPECT_EQ(saved.refs, 1);
  release(controller);
  destroy(component);
}

TEST_F(RawHost, EditorViewSlotsAndTheHostObjectsItUses) {
  void* component = createComponent();
  ASSERT_NE(component, nullptr);
  void* controller = query(component, kIEditController);
  ASSERT_NE(controller, nullptr);
  call<int32_t>(controller, slot::setComponentHandler, static_cast<void*>(&host.handler));
  EXPECT_EQ(call<void*>(controller, slot::createView, "editor2"), nullptr);
  EXPECT_EQ(call<void*>(controller, slot::createView, static_cast<const char*>(nullptr)), nullptr);
  void* view = call<void*>(controller, slot::createView, "editor");
  ASSERT_NE(view, nullptr);
  void* viewAgain = query(view, kIPlugView);
  EXPECT_EQ(viewAgain, view);
  release(viewAgain);
  host.handler3.expectedView = view;

  EXPECT_EQ(call<int32_t>(view, slot::isPlatformTypeSupported, "HWND"), kOk);
  EXPECT_EQ(call<int32_t>(view, slot::isPlatformTypeSupported, "NSView"), kFalse);
  std::vector<unsigned char> rect(16, 0);
  ASSERT_EQ(call<int32_t>(view, slot::getSize, static_cast<void*>(rect.data())), kOk);
  EXPECT_EQ(field<int32_t>(rect.data(), 8), 400);
  EXPECT_EQ(field<int32_t>(rect.data(), 12), 300);
  EXPECT_EQ(call<int32_t>(view, slot::getSize, static_cast<void*>(nullptr)), kInvalidArgument);
  EXPECT_EQ(call<int32_t>(view, slot::setFrame, static_cast<void*>(&host.frame)), kOk);
  EXPECT_EQ(host.frame.refs, 2);

  log().clear();
  int parentWindow = 0;
  ASSERT_EQ(call<int32_t>(view, slot::attached, static_cast<void*>(&parentWindow), "HWND"), kOk);
  EXPECT_EQ(log(), (std::vector<std::string>{"resizeView 300x200", "createContextMenu 1 view",
                                             "addItem Probe item 7 4", "popup 10 20"}));
  EXPECT_EQ(host.menu.refs, 1);  // the plug-in released the menu after the popup
  ASSERT_EQ(call<int32_t>(view, slot::getSize, static_cast<void*>(rect.data())), kOk);
  EXPECT_EQ(field<int32_t>(rect.data(), 8), 300);  // the host's onSize reached the view

  EXPECT_EQ(call<int32_t>(view, slot::onWheel, 1.5f), kOk);
  EXPECT_EQ(call<int32_t>(view, slot::onWheel, 0.5f), kFalse);
  EXPECT_EQ(call<int32_t>(view, slot::onKeyDown, char16_t(u'a'), int16_t(65), int16_t(-1)), kOk);
  EXPECT_EQ(call<int32_t>(view, slot::onKeyDown, char16_t(u'a'), int16_t(65), int16_t(0)), kFalse);
  EXPECT_EQ(call<int32_t>(view, slot::onKeyUp, char16_t(u'a'), int16_t(65), int16_t(-1)), kFalse);
  EXPECT_EQ(call<int32_t>(view, slot::onFocus, uint8_t(1)), kFalse);
  EXPECT_EQ(call<int32_t>(view, slot::canResize), kOk);
  std::vector<unsigned char> narrow(16, 0);
  setField<int32_t>(narrow.data(), 8, 50);
  EXPECT_EQ(call<int32_t>(view, slot::checkSizeConstraint, static_cast<void*>(narrow.data())), kOk);
  EXPECT_EQ(field<int32_t>(narrow.data(), 8), 100);
  setField<int32_t>(narrow.data(), 8, 640);
  setField<int32_t>(narrow.data(), 12, 480);
  EXPECT_EQ(call<int32_t>(view, slot::onSize, static_cast<void*>(narrow.data())), kOk);
  ASSERT_EQ(call<int32_t>(view, slot::getSize, static_cast<void*>(rect.data())), kOk);
  EXPECT_EQ(field<int32_t>(rect.data(), 12), 480);
  EXPECT_EQ(call<int32_t>(view, slot::removed), kOk);
  EXPECT_EQ(release(view), 0u);
  EXPECT_EQ(host.frame.refs, 1);

  release(controller);
  destroy(component);
}
