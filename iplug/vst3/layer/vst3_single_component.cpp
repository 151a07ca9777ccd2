#include "vst3_single_component.h"

#include "vst3_strings.h"

namespace Steinberg {
namespace Vst {

// ---------------------------------------------------------------------------------------------
// ComponentBase

tresult CORVANE_VST3_CALL ComponentBase::initialize(FUnknown* context) {
  if (initialized_) return kResultFalse;
  hostContext_ = IPtr<FUnknown>::share(context);
  initialized_ = true;
  return kResultOk;
}

tresult CORVANE_VST3_CALL ComponentBase::terminate() {
  hostContext_.reset();
  if (IPtr<IConnectionPoint> peer = std::move(peerConnection_)) peer->disconnect(this);
  initialized_ = false;
  return kResultOk;
}

tresult CORVANE_VST3_CALL ComponentBase::connect(IConnectionPoint* other) {
  if (!other) return kInvalidArgument;
  if (peerConnection_) return kResultFalse;
  peerConnection_ = IPtr<IConnectionPoint>::share(other);
  return kResultOk;
}

tresult CORVANE_VST3_CALL ComponentBase::disconnect(IConnectionPoint* other) {
  if (!peerConnection_ || peerConnection_.get() != other) return kResultFalse;
  peerConnection_.reset();
  return kResultOk;
}

tresult CORVANE_VST3_CALL ComponentBase::notify(IMessage* message) {
  return message ? kResultFalse : kInvalidArgument;
}

tresult CORVANE_VST3_CALL ComponentBase::queryInterface(const TUID iid, void** obj) {
  if (queryAnswer<IPluginBase>(iid, obj, this) || queryAnswer<IConnectionPoint>(iid, obj, this))
    return kResultOk;
  return FObject::queryInterface(iid, obj);
}

bool ComponentBase::isTypeOf(const char* name, bool askBaseClass) const {
  return classNameIs(name, "ComponentBase") || (askBaseClass && FObject::isTypeOf(name, true));
}

// ---------------------------------------------------------------------------------------------
// EditController

KnobMode EditController::hostKnobMode_ = kCircularMode;

tresult CORVANE_VST3_CALL EditController::initialize(FUnknown* context) {
  return ComponentBase::initialize(context);
}

tresult CORVANE_VST3_CALL EditController::terminate() {
  parameters.removeAll();
  componentHandler_.reset();
  componentHandler2_.reset();
  return ComponentBase::terminate();
}

tresult CORVANE_VST3_CALL EditController::setComponentState(IBStream*) { return kNotImplemented; }
tresult CORVANE_VST3_CALL EditController::setState(IBStream*) { return kNotImplemented; }
tresult CORVANE_VST3_CALL EditController::getState(IBStream*) { return kNotImplemented; }

int32 CORVANE_VST3_CALL EditController::getParameterCount() {
  return parameters.getParameterCount();
}

tresult CORVANE_VST3_CALL EditController::getParameterInfo(int32 paramIndex, ParameterInfo& info) {
  const Parameter* parameter = parameters.getParameterByIndex(paramIndex);
  if (!parameter) return kResultFalse;
  info = parameter->getInfo();
  return kResultTrue;
}

tresult CORVANE_VST3_CALL EditController::getParamStringByValue(ParamID id,
                                                                ParamValue valueNormalized,
                                                                TChar* string) {
  if (!string) return kInvalidArgument;
  const Parameter* parameter = getParameterObject(id);
  if (!parameter) return kResultFalse;
  parameter->toString(valueNormalized, string);
  return kResultTrue;
}

tresult CORVANE_VST3_CALL EditController::getParamValueByString(ParamID id, TChar* string,
                                                                ParamValue& valueNormalized) {
  if (!string) return kInvalidArgument;
  const Parameter* parameter = getParameterObject(id);
  if (!parameter) return kResultFalse;
  return parameter->fromString(string, valueNormalized) ? kResultTrue : kResultFalse;
}

ParamValue CORVANE_VST3_CALL EditController::normalizedParamToPlain(ParamID id,
                                                                   ParamValue valueNormalized) {
  const Parameter* parameter = getParameterObject(id);
  return parameter ? parameter->toPlain(valueNormalized) : valueNormalized;
}

ParamValue CORVANE_VST3_CALL EditController::plainParamToNormalized(ParamID id,
                                                                   ParamValue plainValue) {
  const Parameter* parameter = getParameterObject(id);
  return parameter ? parameter->toNormalized(plainValue) : plainValue;
}

ParamValue CORVANE_VST3_CALL EditController::getParamNormalized(ParamID id) {
  const Parameter* parameter = getParameterObject(id);
  return parameter ? parameter->getNormalized() : 0.;
}

tresult CORVANE_VST3_CALL EditController::setParamNormalized(ParamID id, ParamValue value) {
  Parameter* parameter = getParameterObject(id);
  if (!parameter) return kResultFalse;
  parameter->setNormalized(value);
  return kResultTrue;
}

tresult CORVANE_VST3_CALL EditController::setComponentHandler(IComponentHandler* handler) {
  if (handler == componentHandler_.get()) return kResultTrue;
  componentHandler_ = IPtr<IComponentHandler>::share(handler);
  componentHandler2_ = queryAs<IComponentHandler2>(handler);
  return kResultTrue;
}

IPlugView* CORVANE_VST3_CALL EditController::createView(FIDString) { return nullptr; }

tresult CORVANE_VST3_CALL EditController::setKnobMode(KnobMode mode) {
  hostKnobMode_ = mode;
  return kResultTrue;
}

tresult CORVANE_VST3_CALL EditController::openHelp(TBool) { return kResultFalse; }
tresult CORVANE_VST3_CALL EditController::openAboutBox(TBool) { return kResultFalse; }

tresult CORVANE_VST3_CALL EditController::queryInterface(const TUID iid, void** obj) {
  if (queryAnswer<IEditController>(iid, obj, this) ||
      queryAnswer<IEditController2>(iid, obj, this))
    return kResultOk;
  return ComponentBase::queryInterface(iid, obj);
}

tresult EditController::beginEdit(ParamID id) {
  return componentHandler_ ? componentHandler_->beginEdit(id) : kResultFalse;
}

tresult EditController::performEdit(ParamID id, ParamValue valueNormalized) {
  return componentHandler_ ? componentHandler_->performEdit(id, valueNormalized) : kResultFalse;
}

tresult EditController::endEdit(ParamID id) {
  return componentHandler_ ? componentHandler_->endEdit(id) : kResultFalse;
}

tresult EditController::startGroupEdit() {
  return componentHandler2_ ? componentHandler2_->startGroupEdit() : kNotImplemented;
}

tresult EditController::finishGroupEdit() {
  return componentHandler2_ ? componentHandler2_->finishGroupEdit() : kNotImplemented;
}

tresult EditController::setDirty(TBool state) {
  return componentHandler2_ ? componentHandler2_->setDirty(state) : kNotImplemented;
}

tresult EditController::requestOpenEditor(FIDString name) {
  return componentHandler2_ ? componentHandler2_->requestOpenEditor(name) : kNotImplemented;
}

bool EditController::isTypeOf(const char* name, bool askBaseClass) const {
  return classNameIs(name, "EditController") ||
         (askBaseClass && ComponentBase::isTypeOf(name, true));
}

// ---------------------------------------------------------------------------------------------
// SingleComponentEffect

SingleComponentEffect::SingleComponentEffect() : processSetup{kRealtime, kSample32, 1024, 44100.} {}

tresult CORVANE_VST3_CALL SingleComponentEffect::initialize(FUnknown* context) {
  return EditController::initialize(context);
}

tresult CORVANE_VST3_CALL SingleComponentEffect::terminate() {
  parameters.removeAll();
  removeAllBusses();
  return EditController::terminate();
}

tresult CORVANE_VST3_CALL SingleComponentEffect::getControllerClassId(TUID) {
  return kNotImplemented;
}

tresult CORVANE_VST3_CALL SingleComponentEffect::setIoMode(IoMode) { return kNotImplemented; }

BusList* SingleComponentEffect::getBusList(MediaType type, BusDirection dir) {
  const bool in = dir == kInput;
  if (type == kAudio) return in ? &audioInputs : &audioOutputs;
  if (type == kEvent) return in ? &eventInputs : &eventOutputs;
  return nullptr;
}

int32 CORVANE_VST3_CALL SingleComponentEffect::getBusCount(MediaType type, BusDirection dir) {
  const BusList* list = getBusList(type, dir);
  return list ? list->size() : 0;
}

tresult CORVANE_VST3_CALL SingleComponentEffect::getBusInfo(MediaType type, BusDirection dir,
                                                            int32 index, BusInfo& info) {
  const BusList* list = getBusList(type, dir);
  const Bus* bus = list ? list->at(index) : nullptr;
  if (!bus) return kInvalidArgument;
  info.mediaType = type;
  info.direction = dir;
  bus->getInfo(info);
  return kResultTrue;
}

tresult CORVANE_VST3_CALL SingleComponentEffect::getRoutingInfo(RoutingInfo&, RoutingInfo&) {
  return kNotImplemented;
}

tresult CORVANE_VST3_CALL SingleComponentEffect::activateBus(MediaType type, BusDirection dir,
                                                             int32 index, TBool state) {
  const BusList* list = getBusList(type, dir);
  Bus* bus = list ? list->at(index) : nullptr;
  if (!bus) return kInvalidArgument;
  bus->setActive(state);
  return kResultTrue;
}

tresult CORVANE_VST3_CALL SingleComponentEffect::setActive(TBool) { return kResultOk; }
tresult CORVANE_VST3_CALL SingleComponentEffect::setState(IBStream*) { return kNotImplemented; }
tresult CORVANE_VST3_CALL SingleComponentEffect::getState(IBStream*) { return kNotImplemented; }

tresult CORVANE_VST3_CALL SingleComponentEffect::setBusArrangements(SpeakerArrangement* inputs,
                                                                    int32 numIns,
                                                                    SpeakerArrangement* outputs,
                                                                    int32 numOuts) {
  if (numIns < 0 || numOuts < 0 || (numIns > 0 && !inputs) || (numOuts > 0 && !outputs))
    return kInvalidArgument;
  if (numIns > audioInputs.size() || numOuts > audioOutputs.size()) return kResultFalse;
  for (int32 i = 0; i < numIns; ++i) {
    if (AudioBus* bus = audioInputs.audioBusAt(i)) bus->setArrangement(inputs[i]);
  }
  for (int32 i = 0; i < numOuts; ++i) {
    if (AudioBus* bus = audioOutputs.audioBusAt(i)) bus->setArrangement(outputs[i]);
  }
  return kResultTrue;
}

tresult CORVANE_VST3_CALL SingleComponentEffect::getBusArrangement(BusDirection dir, int32 index,
                                                                   SpeakerArrangement& arr) {
  const BusList* list = getBusList(kAudio, dir);
  if (!list->at(index)) return kInvalidArgument;
  const AudioBus* bus = list->audioBusAt(index);
  if (!bus) return kResultFalse;
  arr = bus->getArrangement();
  return kResultTrue;
}

tresult CORVANE_VST3_CALL SingleComponentEffect::canProcessSampleSize(int32 symbolicSampleSize) {
  return symbolicSampleSize == kSample32 ? kResultTrue : kResultFalse;
}

uint32 CORVANE_VST3_CALL SingleComponentEffect::getLatencySamples() { return 0; }

tresult CORVANE_VST3_CALL SingleComponentEffect::setupProcessing(ProcessSetup& setup) {
  if (canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue) return kResultFalse;
  processSetup = setup;
  return kResultOk;
}

tresult CORVANE_VST3_CALL SingleComponentEffect::setProcessing(TBool) { return kNotImplemented; }
tresult CORVANE_VST3_CALL SingleComponentEffect::process(ProcessData&) { return kNotImplemented; }
uint32 CORVANE_VST3_CALL SingleComponentEffect::getTailSamples() { return kNoTail; }

tresult CORVANE_VST3_CALL SingleComponentEffect::queryInterface(const TUID iid, void** obj) {
  if (obj && iidEqual(iid, IConnectionPoint::iid)) {
    *obj = nullptr;
    return kNoInterface;
  }
  if (queryAnswer<IComponent>(iid, obj, this) || queryAnswer<IAudioProcessor>(iid, obj, this))
    return kResultOk;
  return EditController::queryInterface(iid, obj);
}

AudioBus* SingleComponentEffect::addAudioInput(const TChar* name, SpeakerArrangement arr,
                                               BusType busType, int32 flags) {
  auto* bus = new AudioBus(name, busType, flags, arr);
  audioInputs.append(bus);
  return bus;
}

AudioBus* SingleComponentEffect::addAudioOutput(const TChar* name, SpeakerArrangement arr,
                                                BusType busType, int32 flags) {
  auto* bus = new AudioBus(name, busType, flags, arr);
  audioOutputs.append(bus);
  return bus;
}

EventBus* SingleComponentEffect::addEventInput(const TChar* name, int32 channels, BusType busType,
                                               int32 flags) {
  auto* bus = new EventBus(name, busType, flags, channels);
  eventInputs.append(bus);
  return bus;
}

EventBus* SingleComponentEffect::addEventOutput(const TChar* name, int32 channels, BusType busType,
                                                int32 flags) {
  auto* bus = new EventBus(name, busType, flags, channels);
  eventOutputs.append(bus);
  return bus;
}

void SingleComponentEffect::removeAudioBusses() {
  audioInputs.clear();
  audioOutputs.clear();
}

void SingleComponentEffect::removeEventBusses() {
  eventInputs.clear();
  eventOutputs.clear();
}

void SingleComponentEffect::removeAllBusses() {
  removeAudioBusses();
  removeEventBusses();
}

bool SingleComponentEffect::isTypeOf(const char* name, bool askBaseClass) const {
  return classNameIs(name, "SingleComponentEffect") ||
         (askBaseClass && EditController::isTypeOf(name, true));
}

}  // namespace Vst
}  // namespace Steinberg
