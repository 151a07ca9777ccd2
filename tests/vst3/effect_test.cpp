// The single-component effect base: reference counting, queryInterface, buses, the
// controller's defaults and the host objects it keeps.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "iplug/vst3/layer/vst3.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

struct TestEffect : SingleComponentEffect {
  explicit TestEffect(bool* destroyed = nullptr) : destroyed_(destroyed) {}
  ~TestEffect() override {
    if (destroyed_) *destroyed_ = true;
  }
  using SingleComponentEffect::audioInputs;
  using SingleComponentEffect::parameters;
  using SingleComponentEffect::processSetup;
  bool* destroyed_;
};

// A component handler that logs what it is asked; optionally also an IComponentHandler2.
struct FakeHandler : FObject, IComponentHandler, IComponentHandler2 {
  explicit FakeHandler(bool offersHandler2) : offers2(offersHandler2) {}
  tresult CORVANE_VST3_CALL queryInterface(const TUID iid, void** obj) override {
    if (queryAnswer<IComponentHandler>(iid, obj, this)) return kResultOk;
    if (offers2 && queryAnswer<IComponentHandler2>(iid, obj, this)) return kResultOk;
    return FObject::queryInterface(iid, obj);
  }
  CORVANE_VST3_REFCOUNT_METHODS(FObject)
  tresult CORVANE_VST3_CALL beginEdit(ParamID id) override { return log("begin", id); }
  tresult CORVANE_VST3_CALL performEdit(ParamID id, ParamValue v) override {
    return log("perform", id, v);
  }
  tresult CORVANE_VST3_CALL endEdit(ParamID id) override { return log("end", id); }
  tresult CORVANE_VST3_CALL restartComponent(int32 flags) override { return log("restart", flags); }
  tresult CORVANE_VST3_CALL setDirty(TBool state) override { return log("dirty", state); }
  tresult CORVANE_VST3_CALL requestOpenEditor(FIDString name) override {
    calls.push_back(std::string("open ") + name);
    return kResultOk;
  }
  tresult CORVANE_VST3_CALL startGroupEdit() override { return log("startGroup", 0); }
  tresult CORVANE_VST3_CALL finishGroupEdit() override { return log("finishGroup", 0); }

  tresult log(const char* what, long long a, double b = 0.) {
    calls.push_back(std::string(what) + " " + std::to_string(a) +
                    (b != 0. ? " " + std::to_string(b) : std::string()));
    return kResultOk;
  }
  bool offers2;
  std::vector<std::string> calls;
};

struct FakePeer : FObject, IConnectionPoint {
  tresult CORVANE_VST3_CALL queryInterface(const TUID iid, void** obj) override {
    if (queryAnswer<IConnectionPoint>(iid, obj, this)) return kResultOk;
    return FObject::queryInterface(iid, obj);
  }
  CORVANE_VST3_REFCOUNT_METHODS(FObject)
  tresult CORVANE_VST3_CALL connect(IConnectionPoint*) override { return kResultOk; }
  tresult CORVANE_VST3_CALL disconnect(IConnectionPoint* other) override {
    disconnectedFrom = other;
    return kResultOk;
  }
  tresult CORVANE_VST3_CALL notify(IMessage*) override { return kResultOk; }
  IConnectionPoint* disconnectedFrom = nullptr;
};

template <class I>
I* ask(FUnknown* unknown) {
  void* obj = nullptr;
  return unknown->queryInterface(I::iid, &obj) == kResultOk ? static_cast<I*>(obj) : nullptr;
}

}  // namespace

TEST(Vst3Effect, OneCountServesEveryInterfaceAndTheLastReleaseDestroys) {
  bool destroyed = false;
  auto* effect = new TestEffect(&destroyed);
  EXPECT_EQ(effect->getRefCount(), 1);
  IComponent* component = ask<IComponent>(effect->unknownCast());
  ASSERT_EQ(component, static_cast<IComponent*>(effect));
  IAudioProcessor* processor = ask<IAudioProcessor>(component);
  ASSERT_EQ(processor, static_cast<IAudioProcessor*>(effect));
  EXPECT_EQ(effect->getRefCount(), 3);
  EXPECT_EQ(processor->addRef(), 4u);
  EXPECT_EQ(component->release(), 3u);
  EXPECT_EQ(processor->release(), 2u);
  EXPECT_EQ(processor->release(), 1u);
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(effect->asEditController()->release(), 0u);
  EXPECT_TRUE(destroyed);
}

TEST(Vst3Effect, QueryInterfaceAnswersTheEffectInterfacesWithOneIdentity) {
  IPtr<TestEffect> effect = IPtr<TestEffect>::adopt(new TestEffect);
  FUnknown* identity = ask<FUnknown>(effect->asComponent());
  ASSERT_NE(identity, nullptr);
  identity->release();
  FUnknown* via[] = {effect->asComponent(), effect->asAudioProcessor(), effect->asEditController(),
                     static_cast<IEditController2*>(effect.get())};
  for (FUnknown* entry : via) {
    EXPECT_EQ(IPtr<FUnknown>::adopt(ask<FUnknown>(entry)).get(), identity);
    EXPECT_NE(IPtr<IEditController>::adopt(ask<IEditController>(entry)).get(), nullptr);
    EXPECT_NE(IPtr<IEditController2>::adopt(ask<IEditController2>(entry)).get(), nullptr);
    EXPECT_NE(IPtr<IPluginBase>::adopt(ask<IPluginBase>(entry)).get(), nullptr);
    EXPECT_NE(IPtr<IDependent>::adopt(ask<IDependent>(entry)).get(), nullptr);
  }
  EXPECT_EQ(effect->getRefCount(), 1);

  // Hidden or not offered: *obj is null and the result kNoInterface.
  void* obj = effect.get();
  EXPECT_EQ(effect->asComponent()->queryInterface(IConnectionPoint::iid, &obj), kNoInterface);
  EXPECT_EQ(obj, nullptr);
  for (const char* iid : {IUnitInfo::iid, IMidiMapping::iid, IPlugView::iid}) {
    obj = effect.get();
    EXPECT_EQ(effect->asComponent()->queryInterface(iid, &obj), kNoInterface);
    EXPECT_EQ(obj, nullptr);
  }
  EXPECT_EQ(effect->asComponent()->queryInterface(IComponent::iid, nullptr), kInvalidArgument);
  EXPECT_EQ(effect->getRefCount(), 1);
}

TEST(Vst3Effect, TypeNamesFollowTheClassChain) {
  IPtr<TestEffect> effect = IPtr<TestEffect>::adopt(new TestEffect);
  EXPECT_STREQ(effect->className(), "SingleComponentEffect");
  for (const char* name : {"SingleComponentEffect", "EditController", "ComponentBase", "FObject"})
    EXPECT_TRUE(effect->isTypeOf(name)) << name;
  EXPECT_FALSE(effect->isTypeOf("EditController", false));
  EXPECT_FALSE(effect->isTypeOf("CPluginView"));
}

TEST(Vst3Effect, InitializeOnceKeepsTheContextUntilTerminate) {
  IPtr<TestEffect> effect = IPtr<TestEffect>::adopt(new TestEffect);
  IPtr<FObject> context = IPtr<FObject>::adopt(new FObject);
  EXPECT_EQ(effect->asComponent()->initialize(context->unknownCast()), kResultOk);
  EXPECT_EQ(context->getRefCount(), 2);
  EXPECT_EQ(effect->getHostContext(), context->unknownCast());
  IPtr<FObject> other = IPtr<FObject>::adopt(new FObject);
  EXPECT_EQ(effect->asEditController()->initialize(other->unknownCast()), kResultFalse);
  EXPECT_EQ(effect->getHostContext(), context->unknownCast());
  EXPECT_EQ(other->getRefCount(), 1);
  effect->addAudioInput(u"In", SpeakerArr::kStereo);
  effect->parameters.addParameter(u"P");
  EXPECT_EQ(effect->asComponent()->terminate(), kResultOk);
  EXPECT_EQ(context->getRefCount(), 1);
  EXPECT_EQ(effect->getBusCount(kAudio, kInput), 0);
  EXPECT_EQ(effect->getParameterCount(), 0);
}

TEST(Vst3Effect, SecondInitializeIsRefusedEvenAfterANullContext) {
  IPtr<TestEffect> effect = IPtr<TestEffect>::adopt(new TestEffect);
  EXPECT_EQ(effect->asComponent()->initialize(nullptr), kResultOk);
  EXPECT_EQ(effect->asComponent()->initialize(nullptr), kResultFalse);
  effect->asComponent()->terminate();
  EXPECT_EQ(effect->asComponent()->initialize(nullptr), kResultOk);
}

TEST(Vst3Effect, BusesAreListedInOrderWithTheirInfo) {
  IPtr<TestEffect> effect = IPtr<TestEffect>::adopt(new TestEffect);
  AudioBus* main = effect->addAudioInput(u"Main Input", SpeakerArr::kStereo);
  const std::u16string longName(140, u'n');
  AudioBus* aux = effect->addAudioInput(longName.c_str(), SpeakerArr::kMono, kAux, 0);
  effect->addAudioOutput(u"Output", SpeakerArr::k51);
  effect->addEventInput(u"MIDI Input", 1);
  EXPECT_FALSE(main->isActive());
  EXPECT_EQ(effect->getBusCount(kAudio, kInput), 2);
  EXPECT_EQ(effect->getBusCount(kAudio, kOutput), 1);
  EXPECT_EQ(effect->getBusCount(kEvent, kInput), 1);
  EXPECT_EQ(effect->getBusCount(kEvent, kOutput), 0);
  EXPECT_EQ(effect->getBusCount(7, kInput), 0);

  BusInfo info;
  std::memset(&info, 0xFF, sizeof info);
  ASSERT_EQ(effect->getBusInfo(kAudio, kInput, 1, info), kResultTrue);
  EXPECT_EQ(info.mediaType, kAudio);
  EXPECT_EQ(info.direction, kInput);
  EXPECT_EQ(info.channelCount, 1);
  EXPECT_EQ(std::u16string(info.name), std::u16string(127, u'n'));
  EXPECT_EQ(info.busType, kAux);
  EXPECT_EQ(info.flags, 0u);
  ASSERT_EQ(effect->getBusInfo(kAudio, kOutput, 0, info), kResultTrue);
  EXPECT_EQ(info.channelCount, 6);
  EXPECT_EQ(std::u16string(info.name), u"Output");
  EXPECT_EQ(info.name[7], 0);  // the rest of the field is cleared
  EXPECT_EQ(info.flags, BusInfo::kDefaultActive);
  ASSERT_EQ(effect->getBusInfo(kEvent, kInput, 0, info), kResultTrue);
  EXPECT_EQ(info.channelCount, 1);
  EXPECT_EQ(info.mediaType, kEvent);

  EXPECT_EQ(effect->getBusInfo(kAudio, kInput, 2, info), kInvalidArgument);
  EXPECT_EQ(effect->getBusInfo(kAudio, kInput, -1, info), kInvalidArgument);
  EXPECT_EQ(effect->getBusInfo(3, kInput, 0, info), kInvalidArgument);

  EXPECT_EQ(effect->activateBus(kAudio, kInput, 1, 1), kResultTrue);
  EXPECT_TRUE(aux->isActive());
  EXPECT_EQ(effect->activateBus(kAudio, kInput, 1, 0), kResultTrue);
  EXPECT_FALSE(aux->isActive());
  EXPECT_EQ(effect->activateBus(kAudio, kInput, 2, 1), kInvalidArgument);
  EXPECT_EQ(effect->activateBus(kAudio, kInput, -1, 1), kInvalidArgument);
  EXPECT_EQ(effect->activateBus(9, kInput, 0, 1), kInvalidArgument);
}

TEST(Vst3Effect, BusArrangementsAreCheckedBeforeAnythingIsRead) {
  IPtr<TestEffect> effect = IPtr<TestEffect>::adopt(new TestEffect);
  effect->addAudioInput(u"Main", SpeakerArr::kStereo);
  effect->addAudioInput(u"Side", SpeakerArr::kStereo, kAux, 0);
  effect->addAudioOutput(u"Out", SpeakerArr::kStereo);

  SpeakerArrangement outs[] = {SpeakerArr::kMono};
  EXPECT_EQ(effect->setBusArrangements(nullptr, 2, outs, 1), kInvalidArgument);
  EXPECT_EQ(effect->setBusArrangements(nullptr, -1, outs, 1), kInvalidArgument);
  SpeakerArrangement ins[] = {SpeakerArr::kMono, SpeakerArr::kMono, SpeakerArr::kMono};
  EXPECT_EQ(effect->setBusArrangements(ins, 1, nullptr, 1), kInvalidArgument);
  EXPECT_EQ(effect->setBusArrangements(ins, 3, outs, 1), kResultFalse);
  SpeakerArrangement arr = 0;
  EXPECT_EQ(effect->getBusArrangement(kInput, 0, arr), kResultTrue);
  EXPECT_EQ(arr, SpeakerArr::kStereo);  // nothing changed by the refused calls

  EXPECT_EQ(effect->setBusArrangements(ins, 1, outs, 1), kResultTrue);
  EXPECT_EQ(effect->getBusArrangement(kInput, 0, arr), kResultTrue);
  EXPECT_EQ(arr, SpeakerArr::kMono);
  EXPECT_EQ(effect->getBusArrangement(kInput, 1, arr), kResultTrue);
  EXPECT_EQ(arr, SpeakerArr::kStereo);  // beyond the given count: kept
  BusInfo info{};
  effect->getBusInfo(kAudio, kOutput, 0, info);
  EXPECT_EQ(info.channelCount, 1);
  EXPECT_EQ(effect->setBusArrangements(nullptr, 0, nullptr, 0), kResultTrue);
  EXPECT_EQ(effect->getBusArrangement(kOutput, 1, arr), kInvalidArgument);
  EXPECT_EQ(effect->getBusArrangement(kInput, -1, arr), kInvalidArgument);
}

TEST(Vst3Effect, BusListReplacesInPlace) {
  IPtr<TestEffect> effect = IPtr<TestEffect>::adopt(new TestEffect);
  effect->addAudioInput(u"Main", SpeakerArr::kStereo);
  effect->addAudioInput(u"Side", SpeakerArr::kStereo, kAux, 0);
  IPtr<Bus> old = IPtr<Bus>::share(effect->audioInputs.at(0));
  EXPECT_TRUE(effect->audioInputs.replace(0, new AudioBus(u"Input", kMain, 1, SpeakerArr::kMono)));
  EXPECT_EQ(old->getRefCount(), 1);  // the list let go of the old bus
  EXPECT_EQ(std::u16string(effect->audioInputs.at(0)->getName()), u"Input");
  EXPECT_EQ(effect->audioInputs.audioBusAt(0)->getChannelCount(), 1);
  EXPECT_FALSE(effect->audioInputs.replace(2, new AudioBus(u"X", kMain, 1, 0)));
  EXPECT_EQ(effect->audioInputs.size(), 2);
  EXPECT_EQ(effect->audioInputs.audioBusAt(5), nullptr);
}

TEST(Vst3Effect, ProcessingDefaults) {
  IPtr<TestEffect> effect = IPtr<TestEffect>::adopt(new TestEffect);
  EXPECT_EQ(effect->processSetup.maxSamplesPerBlock, 1024);
  EXPECT_EQ(effect->processSetup.sampleRate, 44100.);
  EXPECT_EQ(effect->canProcessSampleSize(kSample32), kResultTrue);
  EXPECT_EQ(effect->canProcessSampleSize(kSample64), kResultFalse);
  ProcessSetup setup{kOffline, kSample64, 512, 96000.};
  EXPECT_EQ(effect->setupProcessing(setup), kResultFalse);
  EXPECT_EQ(effect->processSetup.sampleRate, 44100.);
  setup.symbolicSampleSize = kSample32;
  EXPECT_EQ(effect->setupProcessing(setup), kResultOk);
  EXPECT_EQ(effect->processSetup.processMode, kOffline);
  EXPECT_EQ(effect->processSetup.maxSamplesPerBlock, 512);
  EXPECT_EQ(effect->getLatencySamples(), 0u);
  EXPECT_EQ(effect->getTailSamples(), kNoTail);
  ProcessData data{};
  EXPECT_EQ(effect->process(data), kNotImplemented);
  EXPECT_EQ(effect->setProcessing(1), kNotImplemented);
  EXPECT_EQ(effect->setActive(1), kResultOk);
  TUID cid;
  EXPECT_EQ(effect->getControllerClassId(cid), kNotImplemented);
  EXPECT_EQ(effect->setIoMode(kAdvanced), kNotImplemented);
  // Both interfaces' state slots reach the one default.
  EXPECT_EQ(effect->asComponent()->setState(nullptr), kNotImplemented);
  EXPECT_EQ(effect->asEditController()->setState(nullptr), kNotImplemented);
  EXPECT_EQ(effect->asEditController()->getState(nullptr), kNotImplemented);
  EXPECT_EQ(effect->asEditController()->setComponentState(nullptr), kNotImplemented);
}

TEST(Vst3Controller, ParameterCallsGoThroughTheContainer) {
  IPtr<TestEffect> effect = IPtr<TestEffect>::adopt(new TestEffect);
  auto* mode = new StringListParameter(u"Mode", 5);
  mode->appendString(u"Classic");
  mode->appendString(u"Stereo");
  mode->appendString(u"Mid / Side");
  effect->parameters.addParameter(mode);
  effect->parameters.addParameter(new RangeParameter(u"Gain", 6, u"dB", -24., 24., 0.));
  IEditController* controller = effect->asEditController();

  EXPECT_EQ(controller->getParameterCount(), 2);
  ParameterInfo info{};
  EXPECT_EQ(controller->getParameterInfo(0, info), kResultTrue);
  EXPECT_EQ(info.id, 5u);
  EXPECT_EQ(info.stepCount, 2);
  EXPECT_EQ(controller->getParameterInfo(2, info), kResultFalse);
  EXPECT_EQ(controller->getParameterInfo(-1, info), kResultFalse);

  String128 text;
  text[0] = u'#';
  EXPECT_EQ(controller->getParamStringByValue(99, 0.5, text), kResultFalse);
  EXPECT_EQ(text[0], u'#');
  EXPECT_EQ(controller->getParamStringByValue(5, 1.0, nullptr), kInvalidArgument);
  EXPECT_EQ(controller->getParamStringByValue(5, 1.0, text), kResultTrue);
  EXPECT_EQ(std::u16string(text), u"Mid / Side");

  ParamValue v = -1.;
  char16 stereo[] = u"Stereo";
  EXPECT_EQ(controller->getParamValueByString(5, stereo, v), kResultTrue);
  EXPECT_EQ(v, 0.5);
  char16 nonsense[] = u"Mono";
  EXPECT_EQ(controller->getParamValueByString(5, nonsense, v), kResultFalse);
  EXPECT_EQ(controller->getParamValueByString(99, stereo, v), kResultFalse);
  EXPECT_EQ(controller->getParamValueByString(5, nullptr, v), kInvalidArgument);

  EXPECT_EQ(controller->normalizedParamToPlain(6, 0.75), 12.);
  EXPECT_EQ(controller->plainParamToNormalized(6, -12.), 0.25);
  EXPECT_EQ(controller->normalizedParamToPlain(99, 0.75), 0.75);
  EXPECT_EQ(controller->plainParamToNormalized(99, 3.), 3.);

  EXPECT_EQ(controller->getParamNormalized(6), 0.5);
  EXPECT_EQ(controller->setParamNormalized(6, 1.7), kResultTrue);
  EXPECT_EQ(controller->getParamNormalized(6), 1.0);
  EXPECT_EQ(controller->setParamNormalized(6, std::numeric_limits<double>::quiet_NaN()), kResultTrue);
  EXPECT_EQ(controller->getParamNormalized(6), 1.0);
  EXPECT_EQ(controller->setParamNormalized(99, 0.5), kResultFalse);
  EXPECT_EQ(controller->getParamNormalized(99), 0.);
  EXPECT_EQ(controller->createView(kEditor), nullptr);

  auto* controller2 = static_cast<IEditController2*>(effect.get());
  EXPECT_EQ(controller2->setKnobMode(kLinearMode), kResultTrue);
  EXPECT_EQ(EditController::getHostKnobMode(), kLinearMode);
  EXPECT_EQ(controller2->openHelp(0), kResultFalse);
  EXPECT_EQ(controller2->openAboutBox(1), kResultFalse);
  controller2->setKnobMode(kCircularMode);
}

TEST(Vst3Controller, ComponentHandlerIsKeptAndReachedThroughTheHelpers) {
  IPtr<TestEffect> effect = IPtr<TestEffect>::adopt(new TestEffect);
  EXPECT_EQ(effect->beginEdit(1), kResultFalse);
  EXPECT_EQ(effect->startGroupEdit(), kNotImplemented);

  IPtr<FakeHandler> plain = IPtr<FakeHandler>::adopt(new FakeHandler(false));
  EXPECT_EQ(effect->setComponentHandler(plain.get()), kResultTrue);
  EXPECT_EQ(plain->getRefCount(), 2);
  EXPECT_EQ(effect->setComponentHandler(plain.get()), kResultTrue);
  EXPECT_EQ(plain->getRefCount(), 2);
  EXPECT_EQ(effect->beginEdit(3), kResultOk);
  EXPECT_EQ(effect->performEdit(3, 0.5), kResultOk);
  EXPECT_EQ(effect->endEdit(3), kResultOk);
  EXPECT_EQ(effect->setDirty(1), kNotImplemented);  // no IComponentHandler2 on this host
  EXPECT_EQ(plain->calls, (std::vector<std::string>{"begin 3", "perform 3 0.500000", "end 3"}));
  EXPECT_EQ(effect->getComponentHandler(), static_cast<IComponentHandler*>(plain.get()));

  IPtr<FakeHandler> full = IPtr<FakeHandler>::adopt(new FakeHandler(true));
  EXPECT_EQ(effect->setComponentHandler(full.get()), kResultTrue);
  EXPECT_EQ(plain->getRefCount(), 1);
  EXPECT_EQ(full->getRefCount(), 3);  // as handler and as handler 2
  effect->startGroupEdit();
  effect->setDirty(1);
  effect->requestOpenEditor();
  effect->finishGroupEdit();
  EXPECT_EQ(full->calls,
            (std::vector<std::string>{"startGroup 0", "dirty 1", "open editor", "finishGroup 0"}));

  effect->asComponent()->terminate();
  EXPECT_EQ(full->getRefCount(), 1);
  EXPECT_EQ(effect->getComponentHandler(), nullptr);
}

TEST(Vst3Controller, ConnectionPointKeepsOnePeerAndLetsGoOnTerminate) {
  IPtr<EditController> controller = IPtr<EditController>::adopt(new EditController);
  IPtr<FakePeer> peer = IPtr<FakePeer>::adopt(new FakePeer);
  IPtr<FakePeer> other = IPtr<FakePeer>::adopt(new FakePeer);
  auto* point = static_cast<IConnectionPoint*>(controller.get());
  EXPECT_EQ(point->connect(nullptr), kInvalidArgument);
  EXPECT_EQ(point->connect(peer.get()), kResultOk);
  EXPECT_EQ(point->connect(other.get()), kResultFalse);
  EXPECT_EQ(point->disconnect(other.get()), kResultFalse);
  EXPECT_EQ(peer->getRefCount(), 2);
  EXPECT_EQ(point->notify(nullptr), kInvalidArgument);
  EXPECT_EQ(point->disconnect(peer.get()), kResultOk);
  EXPECT_EQ(peer->getRefCount(), 1);

  EXPECT_EQ(point->connect(peer.get()), kResultOk);
  controller->initialize(nullptr);
  controller->terminate();
  EXPECT_EQ(peer->disconnectedFrom, point);
  EXPECT_EQ(peer->getRefCount(), 1);
  EXPECT_EQ(controller->getPeer(), nullptr);
}
