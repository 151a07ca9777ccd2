// The adapter as a host's controller sees it: identity, initialisation, buses, the host
// parameter list, units and the program list, MIDI mapping, and the requests the plug-in makes
// of the host (gestures, automation, restart, context menu, editor views and resizing).
#include <cmath>

#include "adapter_host.h"
#include "tests/iplug/recording_plug.h"

using namespace vst3test;
using rawhost::log;

namespace {

constexpr uint32_t kPreset = 0x70727374, kBypass = 0x62706173;

TEST_F(AdapterHost, OneIdentityForEveryInterfaceAndOneCount) {
  Make();
  void* identity = query(processor, kFUnknown);
  ASSERT_NE(identity, nullptr);
  for (const Iid* iid : {&kIPluginBase, &kIComponent, &kIAudioProcessor, &kIEditController, &kIEditController2,
                         &kIUnitInfo, &kIMidiMapping}) {
    void* face = query(processor, *iid);
    ASSERT_NE(face, nullptr);
    void* same = query(face, kFUnknown);
    EXPECT_EQ(same, identity);
    // Any interface leads to any other.
    void* unit = query(face, kIUnitInfo);
    EXPECT_EQ(unit, unitInfo);
    release(unit);
    release(same);
    release(face);
  }
  release(identity);
  EXPECT_EQ(query(processor, kIConnectionPoint), nullptr);
  EXPECT_EQ(query(unitInfo, kIPlugView), nullptr);
  // Host count: the create reference plus the five interfaces the fixture holds.
  EXPECT_EQ(addRef(midiMapping), 7u);
  EXPECT_EQ(release(unitInfo), 6u);

  EXPECT_STREQ(plug->className(), "IPlugVST3");
  for (const char* name : {"IPlugVST3", "SingleComponentEffect", "EditController", "ComponentBase", "FObject"})
    EXPECT_TRUE(plug->isTypeOf(name)) << name;
  EXPECT_FALSE(plug->isTypeOf("SingleComponentEffect", false));
  EXPECT_FALSE(plug->isTypeOf("CPluginView"));
  EXPECT_EQ(plug->GetPluginApi(), kApiVST3);
}

TEST_F(AdapterHost, InitializeNamesTheHostBuildsBusesAndRecallsTheFirstPreset) {
  application.name = u"Steinberg Cubase 7";
  Make(PlugOptions(), false);
  plug->GetParam(kGain)->Set(-12.0);
  EXPECT_EQ(plug->GetHostCode(), kHostUninit);
  ASSERT_EQ(call<int32_t>(component, slot::initialize, static_cast<void*>(&application)), kOk);
  EXPECT_EQ(plug->GetHostCode(), kHostCubase);
  EXPECT_EQ(plug->hostReadyCalls, 1);
  EXPECT_EQ(value(kGain), 0.0);  // preset 0 ("Default")
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 0);

  ASSERT_EQ(busCount(0, 0), 2);
  ASSERT_EQ(busCount(0, 1), 1);
  EXPECT_EQ(busCount(1, 0), 0);  // no MIDI
  EXPECT_EQ(busCount(1, 1), 0);
  BusInfo main = busInfo(0, 0, 0);
  EXPECT_EQ(main.channelCount, 2);
  EXPECT_EQ(u16(main.name), u"Main Input");
  EXPECT_EQ(main.busType, 0);
  EXPECT_EQ(main.flags, 1u);
  BusInfo aux = busInfo(0, 0, 1);
  EXPECT_EQ(aux.channelCount, 2);
  EXPECT_EQ(u16(aux.name), u"Aux Input");
  EXPECT_EQ(aux.busType, 1);
  EXPECT_EQ(aux.flags, 0u);
  BusInfo out = busInfo(0, 1, 0);
  EXPECT_EQ(out.channelCount, 2);
  EXPECT_EQ(u16(out.name), u"Output");
  EXPECT_EQ(out.flags, 1u);
  uint64_t arr = 0;
  EXPECT_EQ(call<int32_t>(processor, slot::getBusArrangement, int32_t(0), int32_t(1), &arr), kOk);
  EXPECT_EQ(arr, 0x3u);
}

TEST_F(AdapterHost, AHostNameIsCutToFitAndAContextWithoutApplicationLeavesTheHostUnknown) {
  // 128 units without a terminator; the keyword ends at unit 128, past what is read.
  application.name = std::u16string(121, u'x') + u"wavelab";
  Make();
  EXPECT_EQ(plug->GetHostCode(), kHostUnknown);
  Destroy();
  application.name = std::u16string(120, u'x') + u"wavelab";
  Make();
  EXPECT_EQ(plug->GetHostCode(), kHostWaveLab);
  Destroy();

  Make(PlugOptions(), false);
  ASSERT_EQ(call<int32_t>(component, slot::initialize, static_cast<void*>(&host.frame)), kOk);
  EXPECT_EQ(plug->GetHostCode(), kHostUninit);
  EXPECT_EQ(paramCount(), 2 + kNumParams);  // built all the same
}

TEST_F(AdapterHost, ASecondInitializeIsRefusedAndKeepsTheLoadedState) {
  Make();
  rawhost::StreamFace stream;
  plug->GetParam(kGain)->Set(-42.0);
  ASSERT_EQ(getState(&stream), kOk);
  stream.pos = 0;
  plug->GetParam(kGain)->Set(3.0);
  ASSERT_EQ(setState(&stream), kOk);
  plug->paramChanges.clear();

  // Through the controller interface, as some hosts do after initialising the component.
  EXPECT_EQ(call<int32_t>(controller, slot::initialize, static_cast<void*>(&application)), kFalse);
  EXPECT_EQ(value(kGain), -42.0);
  EXPECT_TRUE(plug->paramChanges.empty());
  EXPECT_EQ(plug->hostReadyCalls, 1);
  EXPECT_EQ(paramCount(), 2 + kNumParams);  // nothing added twice
  EXPECT_EQ(busCount(0, 0), 2);

  // After terminate the object may be initialised again.
  EXPECT_EQ(call<int32_t>(component, slot::terminate), kOk);
  EXPECT_EQ(paramCount(), 0);
  EXPECT_EQ(busCount(0, 0), 0);
  EXPECT_EQ(call<int32_t>(component, slot::initialize, static_cast<void*>(&application)), kOk);
  EXPECT_EQ(paramCount(), 2 + kNumParams);
  EXPECT_EQ(value(kGain), 0.0);
}

TEST_F(AdapterHost, HostParameterListWithFlagsStepsDefaultsAndUnits) {
  Make();
  ASSERT_EQ(paramCount(), 2 + kNumParams);
  struct Expected {
    uint32_t id;
    std::u16string title, units;
    int32_t steps;
    double defaultValue;
    int32_t unit, flags;
  };
  const Expected expected[] = {
      {kPreset, u"Preset", u"", 3, 0.0, 0, 0x8000},
      {kBypass, u"Bypass", u"", 1, 0.0, 0, 0x10009},
      {kGain, u"Gain", u"dB", 0, 60.0 / 72.0, 0, 1},
      {kMode, u"Mode", u"", 2, 0.5, 0, 9},
      {kEnabled, u"Enabled", u"", 1, 1.0, 0, 9},
      {kCutoff, u"Cutoff", u"Hz", 0, 0.0, 1, 1},
      {kDrive, u"Drive", u"%", 0, 0.1, 1, 1},
      {kHidden, u"Hidden", u"", 0, 0.0, 2, 0},
  };
  for (int32_t i = 0; i < paramCount(); ++i) {
    const ParameterInfo info = paramInfo(i);
    const Expected& e = expected[i];
    EXPECT_EQ(info.id, e.id) << i;
    EXPECT_EQ(u16(info.title), e.title) << i;
    EXPECT_EQ(u16(info.shortTitle), u"") << i;
    EXPECT_EQ(u16(info.units), e.units) << i;
    EXPECT_EQ(info.stepCount, e.steps) << i;
    EXPECT_NEAR(info.defaultNormalizedValue, e.defaultValue, 1e-12) << i;
    EXPECT_EQ(info.unitId, e.unit) << i;
    EXPECT_EQ(info.flags, e.flags) << i;
  }
  ParameterInfo info{};
  EXPECT_EQ(call<int32_t>(controller, slot::getParameterInfo, int32_t(2 + kNumParams), &info), kFalse);

  // List parameters: the host's list index is the value; each entry is that value's text.
  double v = -1;
  EXPECT_EQ(call<int32_t>(controller, slot::getParamValueByString, uint32_t(kMode), u"Hard", &v), kOk);
  EXPECT_EQ(v, 1.0);
  EXPECT_EQ(call<int32_t>(controller, slot::getParamValueByString, kBypass, u"on", &v), kOk);
  EXPECT_EQ(v, 1.0);
  EXPECT_EQ(call<double>(controller, slot::normalizedParamToPlain, uint32_t(kGain), 0.5), -24.0);
}

TEST_F(AdapterHost, ValueTextsConversionsAndControllerValues) {
  Make();
  EXPECT_EQ(paramText(kMode, 0.5), u"Normal");
  EXPECT_EQ(paramText(kMode, 1.0), u"Hard");
  EXPECT_EQ(paramText(kEnabled, 0.0), u"off");
  EXPECT_EQ(paramText(kGain, 0.5), u"-24.0");
  EXPECT_EQ(paramText(kCutoff, 0.5), u"765");  // shape 2: 20 + 2980 x 0.25
  EXPECT_EQ(paramText(kGain, 7.0), u"12.0");   // outside [0, 1]: taken to the end
  EXPECT_EQ(paramText(kGain, -3.0), u"-60.0");
  int32_t r = 0;
  EXPECT_EQ(paramText(kGain, std::nan(""), &r), u"#");
  EXPECT_EQ(r, kFalse);
  for (uint32_t id : {kBypass, kPreset, uint32_t(kNumParams)}) {
    EXPECT_EQ(paramText(id, 0.5, &r), u"#");
    EXPECT_EQ(r, kFalse);
  }

  EXPECT_NEAR(call<double>(controller, slot::plainParamToNormalized, uint32_t(kCutoff), 765.0), 0.5, 1e-12);
  EXPECT_EQ(call<double>(controller, slot::plainParamToNormalized, uint32_t(kGain), 100.0), 1.0);
  EXPECT_EQ(call<double>(controller, slot::plainParamToNormalized, kBypass, 0.7), 0.7);

  // setParamNormalized sets the value and nothing else.
  plug->paramChanges.clear();
  EXPECT_EQ(setNormalized(kGain, 0.75), kOk);
  EXPECT_EQ(value(kGain), -6.0);
  EXPECT_NEAR(getNormalized(kGain), 0.75, 1e-12);
  EXPECT_EQ(setNormalized(kGain, std::nan("")), kFalse);
  EXPECT_EQ(value(kGain), -6.0);
  EXPECT_EQ(setNormalized(kCutoff, -0.5), kOk);  // would be 765 Hz unclamped (shape 2)
  EXPECT_EQ(value(kCutoff), 20.0);
  EXPECT_EQ(setNormalized(kDrive, 4.0), kOk);
  EXPECT_EQ(value(kDrive), 100.0);
  EXPECT_EQ(setNormalized(kPreset, 1.0), kFalse);
  EXPECT_TRUE(plug->paramChanges.empty());

  EXPECT_EQ(getNormalized(kPreset), 0.0);
  EXPECT_EQ(getNormalized(4711), 0.0);
  EXPECT_EQ(getNormalized(kEnabled), 1.0);
}

TEST_F(AdapterHost, UnitsFromParameterGroupsAndTheFactoryProgramList) {
  Make();
  EXPECT_EQ(call<int32_t>(unitInfo, slot::getUnitCount), 3);
  struct Unit {
    int32_t id, parent;
    std::u16string name;
  };
  const Unit units[] = {{0, -1, u"Root Unit"}, {1, 0, u"Filter"}, {2, 0, u"Output"}};
  for (int32_t i = 0; i < 3; ++i) {
    Steinberg::Vst::UnitInfo info{};
    ASSERT_EQ(call<int32_t>(unitInfo, slot::getUnitInfo, i, &info), kOk);
    EXPECT_EQ(info.id, units[i].id);
    EXPECT_EQ(info.parentUnitId, units[i].parent);
    EXPECT_EQ(u16(info.name), units[i].name);
    EXPECT_EQ(info.programListId, -1);
  }
  Steinberg::Vst::UnitInfo none{};
  EXPECT_EQ(call<int32_t>(unitInfo, slot::getUnitInfo, int32_t(3), &none), kFalse);
  EXPECT_EQ(call<int32_t>(unitInfo, slot::getUnitInfo, int32_t(-1), &none), kFalse);
  EXPECT_EQ(call<int32_t>(unitInfo, slot::getSelectedUnit), 0);

  EXPECT_EQ(call<int32_t>(unitInfo, slot::getProgramListCount), 0);
  Steinberg::Vst::ProgramListInfo list{};
  ASSERT_EQ(call<int32_t>(unitInfo, slot::getProgramListInfo, int32_t(0), &list), kOk);
  EXPECT_EQ(static_cast<uint32_t>(list.id), kPreset);
  EXPECT_EQ(u16(list.name), u"Factory Presets");
  EXPECT_EQ(list.programCount, 3);
  EXPECT_EQ(call<int32_t>(unitInfo, slot::getProgramListInfo, int32_t(1), &list), kFalse);

  char16_t name[128];
  const char16_t* names[] = {u"Default", u"Loud", u"Quiet"};
  for (int32_t i = 0; i < 3; ++i) {
    ASSERT_EQ(call<int32_t>(unitInfo, slot::getProgramName, static_cast<int32_t>(kPreset), i, name), kOk);
    EXPECT_EQ(u16(name), names[i]);
  }
  ASSERT_EQ(call<int32_t>(unitInfo, slot::getProgramName, static_cast<int32_t>(kPreset), int32_t(3), name), kOk);
  EXPECT_EQ(u16(name), u"");
  EXPECT_EQ(call<int32_t>(unitInfo, slot::getProgramName, int32_t(7), int32_t(0), name), kFalse);

  // A preset name of 255 characters is cut to the 127 units of the field.
  const std::string longName(255, 'p');
  plug->ModifyCurrentPreset(longName.c_str());
  std::vector<char16_t> guarded(128 + 8, u'#');
  ASSERT_EQ(call<int32_t>(unitInfo, slot::getProgramName, static_cast<int32_t>(kPreset), int32_t(0), guarded.data()),
            kOk);
  EXPECT_EQ(u16(guarded.data()), std::u16string(127, u'p'));
  for (std::size_t i = 128; i < guarded.size(); ++i) EXPECT_EQ(guarded[i], u'#');
}

TEST_F(AdapterHost, MidiMappingOnlyWithMidiInput) {
  Make();
  uint32_t id = 4711;
  EXPECT_EQ(call<int32_t>(midiMapping, slot::getMidiControllerAssignment, int32_t(0), int16_t(0), int16_t(7), &id),
            kFalse);
  EXPECT_EQ(id, 4711u);
  Destroy();

  PlugOptions midi;
  midi.midi = true;
  Make(midi);
  EXPECT_EQ(call<int32_t>(midiMapping, slot::getMidiControllerAssignment, int32_t(0), int16_t(3), int16_t(7), &id),
            kOk);
  EXPECT_EQ(id, uint32_t(kNumParams + 7));
  for (int16_t number : {int16_t(-1), int16_t(128), int16_t(129)}) {
    id = 4711;
    EXPECT_EQ(call<int32_t>(midiMapping, slot::getMidiControllerAssignment, int32_t(0), int16_t(0), number, &id),
              kFalse);
    EXPECT_EQ(id, 4711u);
  }
  // The event input and the 128 controller parameters after the framework parameters.
  ASSERT_EQ(busCount(1, 0), 1);
  BusInfo events = busInfo(1, 0, 0);
  EXPECT_EQ(u16(events.name), u"MIDI Input");
  EXPECT_EQ(events.channelCount, 1);
  EXPECT_EQ(events.flags, 1u);
  ASSERT_EQ(paramCount(), 2 + kNumParams + 128);
  for (int32_t n : {0, 127}) {
    const ParameterInfo info = paramInfo(2 + kNumParams + n);
    EXPECT_EQ(info.id, uint32_t(kNumParams + n));
    EXPECT_EQ(u16(info.title), u"MIDI CC");
    EXPECT_EQ(info.flags, 1);
    EXPECT_EQ(info.stepCount, 0);
    EXPECT_EQ(info.defaultNormalizedValue, 0.0);
  }
  EXPECT_EQ(call<double>(controller, slot::normalizedParamToPlain, uint32_t(kNumParams + 1), 1.0), 127.0);
}

TEST_F(AdapterHost, InstrumentHasAnOutputBusPerPairAndNoBypass) {
  PlugOptions instrument;
  instrument.channelIO = "0-4";
  instrument.instrument = true;
  instrument.sideChain = 0;
  Make(instrument);
  EXPECT_EQ(busCount(0, 0), 0);
  ASSERT_EQ(busCount(0, 1), 2);
  EXPECT_EQ(u16(busInfo(0, 1, 0).name), u"Output 1");
  EXPECT_EQ(u16(busInfo(0, 1, 1).name), u"Output 2");
  EXPECT_EQ(busInfo(0, 1, 1).channelCount, 2);
  ASSERT_EQ(paramCount(), 1 + kNumParams);
  EXPECT_EQ(paramInfo(0).id, kPreset);
  EXPECT_EQ(paramInfo(1).id, uint32_t(kGain));
}

TEST_F(AdapterHost, GesturesAutomationAndLatencyGoToTheComponentHandler) {
  Make();
  // Without a handler the requests go nowhere.
  plug->BeginInformHostOfParamChange(kGain);
  plug->SetLatencySamples(5);
  EXPECT_TRUE(log().empty());

  ASSERT_EQ(setHandler(&host.handler), kOk);
  plug->BeginInformHostOfParamChange(kDrive);
  plug->InformHostOfParamChange(kDrive, 0.25);
  plug->EndInformHostOfParamChange(kDrive);
  plug->SetParameterFromGUI(kGain, 0.5);  // the editor's road
  plug->SetLatencySamples(64);
  EXPECT_EQ(log(), (std::vector<std::string>{"beginEdit 4", "performEdit 4 0.250000", "endEdit 4",
                                             "performEdit 0 0.500000", "restartComponent 8"}));
  EXPECT_EQ(call<uint32_t>(processor, slot::getLatencySamples), 64u);
  EXPECT_EQ(call<uint32_t>(processor, slot::getTailSamples), 0u);
  EXPECT_EQ(value(kGain), -24.0);
  EXPECT_FALSE(plug->SendMidiEventToHost(nullptr));
  ASSERT_EQ(setHandler(nullptr), kOk);
}

TEST_F(AdapterHost, ViewsAreMadeForTheEditorNameOnlyAndLeaveTheListWhenReleased) {
  Make();
  EXPECT_EQ(call<void*>(controller, slot::createView, "editor"), nullptr);  // no editor view offered
  plug->offersViews = true;
  for (const char* name : {"editorx", "edito", "Editor", static_cast<const char*>(nullptr)})
    EXPECT_EQ(call<void*>(controller, slot::createView, name), nullptr);
  EXPECT_EQ(plug->NViews(), 0);

  void* first = call<void*>(controller, slot::createView, "editor");
  void* second = call<void*>(controller, slot::createView, "editor");
  ASSERT_TRUE(first && second);
  EXPECT_EQ(plug->NViews(), 2);
  EXPECT_EQ(static_cast<Steinberg::IPlugView*>(plug->GetView(0)), first);
  void* view = query(first, kIPlugView);
  EXPECT_EQ(view, first);
  release(view);
  // Each view holds the plug-in.
  EXPECT_EQ(addRef(processor), 9u);
  release(processor);

  EXPECT_EQ(release(first), 0u);
  EXPECT_EQ(plug->NViews(), 1);
  EXPECT_EQ(static_cast<Steinberg::IPlugView*>(plug->GetView(0)), second);
  // terminate empties the list; the view still goes away cleanly afterwards.
  EXPECT_EQ(call<int32_t>(component, slot::terminate), kOk);
  EXPECT_EQ(plug->NViews(), 0);
  EXPECT_EQ(release(second), 0u);
}

TEST_F(AdapterHost, ResizeGoesToTheFirstViewsFrameWhenThereIsAnEditor) {
  Make();
  plug->offersViews = true;
  void* first = call<void*>(controller, slot::createView, "editor");
  void* second = call<void*>(controller, slot::createView, "editor");
  ASSERT_TRUE(first && second);
  auto* view = static_cast<TestPlug::TestView*>(plug->GetView(0));

  plug->ResizeEditor(300, 200);  // no editor yet
  plug->BindGraphics(new RecordingEditor());
  plug->ResizeEditor(300, 200);  // no frame yet
  EXPECT_TRUE(log().empty());
  EXPECT_FALSE(view->IsExpectingSize());

  ASSERT_EQ(call<int32_t>(second, slot::setFrame, static_cast<void*>(&host.frame)), kOk);
  plug->ResizeEditor(300, 200);  // the second view's frame is not asked
  EXPECT_TRUE(log().empty());

  ASSERT_EQ(call<int32_t>(first, slot::setFrame, static_cast<void*>(&host.frame)), kOk);
  plug->ResizeEditor(300, 200);
  EXPECT_EQ(log(), std::vector<std::string>{"resizeView 300x200"});
  ASSERT_EQ(view->sizes.size(), 1u);  // the host answered with onSize
  EXPECT_TRUE(view->expected[0]);
  EXPECT_EQ(view->sizes[0].right, 300);
  EXPECT_EQ(view->sizes[0].bottom, 200);
  EXPECT_FALSE(view->IsExpectingSize());

  // A host-initiated onSize finds no size expected.
  Steinberg::ViewRect rect{0, 0, 640, 480};
  EXPECT_EQ(call<int32_t>(first, slot::onSize, &rect), kOk);
  EXPECT_FALSE(view->expected[1]);

  ASSERT_EQ(call<int32_t>(first, slot::setFrame, static_cast<void*>(nullptr)), kOk);
  ASSERT_EQ(call<int32_t>(second, slot::setFrame, static_cast<void*>(nullptr)), kOk);
  EXPECT_EQ(release(first), 0u);
  EXPECT_EQ(release(second), 0u);
}

TEST_F(AdapterHost, ContextMenuOfAParameterThroughTheThirdHandlerInterface) {
  Make();
  plug->ShowHostParamMenu(kDrive, 10, 20);  // no handler, no view
  ASSERT_EQ(setHandler(&host.handler), kOk);
  plug->ShowHostParamMenu(kDrive, 10, 20);  // no view
  EXPECT_TRUE(log().empty());

  plug->offersViews = true;
  void* view = call<void*>(controller, slot::createView, "editor");
  ASSERT_NE(view, nullptr);
  host.handler3.expectedView = view;
  plug->ShowHostParamMenu(kDrive, 10, 20);
  EXPECT_EQ(log(), (std::vector<std::string>{"createContextMenu 4 view", "popup 10 20"}));
  EXPECT_EQ(host.menu.refs, 1);  // the menu was released
  EXPECT_EQ(host.handler3.refs, 1);

  // A handler without the third interface: no menu.
  log().clear();
  rawhost::Face plainHandler(rawhost::kHandlerTable, kIComponentHandler);
  ASSERT_EQ(setHandler(&plainHandler), kOk);
  plug->ShowHostParamMenu(kDrive, 10, 20);
  EXPECT_TRUE(log().empty());
  ASSERT_EQ(setHandler(nullptr), kOk);
  EXPECT_EQ(plainHandler.refs, 1);
  EXPECT_EQ(release(view), 0u);
}

TEST_F(AdapterHost, NoExceptionReachesTheHost) {
  Make(PlugOptions(), false);
  plug->throwIn = ThrowIn::kHostReady;
  EXPECT_EQ(call<int32_t>(component, slot::initialize, static_cast<void*>(&application)),
            static_cast<int32_t>(0x80004005u));
  plug->throwIn = ThrowIn::kActivation;
  EXPECT_EQ(call<int32_t>(component, slot::setActive, uint8_t(1)), static_cast<int32_t>(0x80004005u));
  plug->throwIn = ThrowIn::kReset;
  EXPECT_EQ(setup(0, 64), static_cast<int32_t>(0x80004005u));
  plug->throwIn = ThrowIn::kSaveState;
  rawhost::StreamFace stream;
  EXPECT_EQ(getState(&stream), static_cast<int32_t>(0x80004005u));
  EXPECT_TRUE(stream.bytes.empty());
  plug->throwIn = ThrowIn::kNowhere;
  plug->GetParam(kGain)->Set(-7.0);
  ASSERT_EQ(getState(&stream), kOk);
  stream.pos = 0;
  plug->throwIn = ThrowIn::kLoadState;
  EXPECT_EQ(setState(&stream), static_cast<int32_t>(0x80004005u));

  plug->throwIn = ThrowIn::kProcess;
  HostBlock block(false, 16, {2, 2}, {2});
  EXPECT_EQ(process(block.data()), static_cast<int32_t>(0x80004005u));
  // The plug lock was given back on the way out.
  plug->throwIn = ThrowIn::kNowhere;
  LockProbe probe;
  EXPECT_FALSE(probe.CallerHolds(plug->GetMutex()));
}

}  // namespace
