// ComponentBase, EditController and SingleComponentEffect: one object that is both the audio
// processor and the edit controller of a plug-in, with the default answers hosts expect.
#pragma once

#include "vst3_bus.h"
#include "vst3_parameters.h"

namespace Steinberg {
namespace Vst {

// Host context and connection peer of a component or controller.
class ComponentBase : public FObject, public IPluginBase, public IConnectionPoint {
 public:
  ComponentBase() = default;
  ~ComponentBase() override = default;

  // Keeps the context (with a reference; null is accepted). A second initialize before
  // terminate is refused with kResultFalse and changes nothing.
  tresult CORVANE_VST3_CALL initialize(FUnknown* context) override;
  // Releases the context and disconnects and releases a connected peer; kResultOk.
  tresult CORVANE_VST3_CALL terminate() override;

  tresult CORVANE_VST3_CALL connect(IConnectionPoint* other) override;
  tresult CORVANE_VST3_CALL disconnect(IConnectionPoint* other) override;
  // No messages are understood: kInvalidArgument for null, else kResultFalse.
  tresult CORVANE_VST3_CALL notify(IMessage* message) override;

  tresult CORVANE_VST3_CALL queryInterface(const TUID iid, void** obj) override;
  CORVANE_VST3_REFCOUNT_METHODS(FObject)

  bool isInitialized() const { return initialized_; }
  // Borrowed pointers (no reference added).
  FUnknown* getHostContext() const { return hostContext_.get(); }
  IConnectionPoint* getPeer() const { return peerConnection_.get(); }

  const char* className() const override { return "ComponentBase"; }
  bool isTypeOf(const char* name, bool askBaseClass = true) const override;

 private:
  IPtr<FUnknown> hostContext_;
  IPtr<IConnectionPoint> peerConnection_;
  bool initialized_ = false;
};

// Parameters and the host's component handler.
class EditController : public ComponentBase, public IEditController, public IEditController2 {
 public:
  EditController() = default;
  ~EditController() override = default;

  tresult CORVANE_VST3_CALL initialize(FUnknown* context) override;
  // Removes all parameters, releases the component handlers, then ComponentBase::terminate.
  tresult CORVANE_VST3_CALL terminate() override;

  tresult CORVANE_VST3_CALL setComponentState(IBStream* state) override;  // kNotImplemented
  tresult CORVANE_VST3_CALL setState(IBStream* state) override;           // kNotImplemented
  tresult CORVANE_VST3_CALL getState(IBStream* state) override;           // kNotImplemented
  int32 CORVANE_VST3_CALL getParameterCount() override;
  // kResultFalse for an index outside the container.
  tresult CORVANE_VST3_CALL getParameterInfo(int32 paramIndex, ParameterInfo& info) override;
  // Unknown id: kResultFalse, text untouched; null text: kInvalidArgument.
  tresult CORVANE_VST3_CALL getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                  TChar* string) override;
  tresult CORVANE_VST3_CALL getParamValueByString(ParamID id, TChar* string,
                                                  ParamValue& valueNormalized) override;
  // Unknown ids give the value back unchanged.
  ParamValue CORVANE_VST3_CALL normalizedParamToPlain(ParamID id, ParamValue valueNormalized) override;
  ParamValue CORVANE_VST3_CALL plainParamToNormalized(ParamID id, ParamValue plainValue) override;
  // Unknown id: 0.
  ParamValue CORVANE_VST3_CALL getParamNormalized(ParamID id) override;
  // Clamped to 0 ... 1 (NaN ignored); unknown id: kResultFalse.
  tresult CORVANE_VST3_CALL setParamNormalized(ParamID id, ParamValue value) override;
  // Keeps the handler (with a reference) and the IComponentHandler2 it offers; kResultTrue.
  tresult CORVANE_VST3_CALL setComponentHandler(IComponentHandler* handler) override;
  IPlugView* CORVANE_VST3_CALL createView(FIDString name) override;  // null

  tresult CORVANE_VST3_CALL setKnobMode(KnobMode mode) override;  // kept for all instances
  tresult CORVANE_VST3_CALL openHelp(TBool onlyCheck) override;      // kResultFalse
  tresult CORVANE_VST3_CALL openAboutBox(TBool onlyCheck) override;  // kResultFalse

  tresult CORVANE_VST3_CALL queryInterface(const TUID iid, void** obj) override;
  CORVANE_VST3_REFCOUNT_METHODS(ComponentBase)

  // Requests to the host: forwarded to the component handler; kResultFalse without one.
  tresult beginEdit(ParamID id);
  tresult performEdit(ParamID id, ParamValue valueNormalized);
  tresult endEdit(ParamID id);
  // Forwarded to IComponentHandler2; kNotImplemented when the host offers none.
  tresult startGroupEdit();
  tresult finishGroupEdit();
  tresult setDirty(TBool state);
  tresult requestOpenEditor(FIDString name = kEditor);

  // Borrowed (no reference added); null without a handler.
  IComponentHandler* getComponentHandler() const { return componentHandler_.get(); }
  virtual Parameter* getParameterObject(ParamID id) { return parameters.getParameter(id); }
  static KnobMode getHostKnobMode() { return hostKnobMode_; }

  const char* className() const override { return "EditController"; }
  bool isTypeOf(const char* name, bool askBaseClass = true) const override;

 protected:
  ParameterContainer parameters;

 private:
  IPtr<IComponentHandler> componentHandler_;
  IPtr<IComponentHandler2> componentHandler2_;
  static KnobMode hostKnobMode_;
};

// Component and controller in one object, with one reference count for every interface.
// queryInterface answers IComponent, IAudioProcessor, IEditController, IEditController2,
// IPluginBase, FUnknown and IDependent; it hides IConnectionPoint (a host must not connect the
// object to itself). Both interfaces' setState/getState slots reach the one pair of methods
// below (kNotImplemented until a plug-in overrides them).
class SingleComponentEffect : public EditController, public IComponent, public IAudioProcessor {
 public:
  SingleComponentEffect();
  ~SingleComponentEffect() override = default;

  tresult CORVANE_VST3_CALL initialize(FUnknown* context) override;
  // Removes all parameters and buses, then EditController::terminate.
  tresult CORVANE_VST3_CALL terminate() override;

  tresult CORVANE_VST3_CALL getControllerClassId(TUID classId) override;  // kNotImplemented
  tresult CORVANE_VST3_CALL setIoMode(IoMode mode) override;              // kNotImplemented
  int32 CORVANE_VST3_CALL getBusCount(MediaType type, BusDirection dir) override;
  // Unknown type or index outside the list: kInvalidArgument.
  tresult CORVANE_VST3_CALL getBusInfo(MediaType type, BusDirection dir, int32 index,
                                       BusInfo& bus) override;
  tresult CORVANE_VST3_CALL getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) override;
  // Unknown type or index outside the list: kInvalidArgument.
  tresult CORVANE_VST3_CALL activateBus(MediaType type, BusDirection dir, int32 index,
                                        TBool state) override;
  tresult CORVANE_VST3_CALL setActive(TBool state) override;  // kResultOk
  tresult CORVANE_VST3_CALL setState(IBStream* state) override;
  tresult CORVANE_VST3_CALL getState(IBStream* state) override;

  // Negative counts or missing arrays: kInvalidArgument; more arrangements than buses:
  // kResultFalse; else the first buses take the given arrangements: kResultTrue.
  tresult CORVANE_VST3_CALL setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                               SpeakerArrangement* outputs, int32 numOuts) override;
  tresult CORVANE_VST3_CALL getBusArrangement(BusDirection dir, int32 index,
                                              SpeakerArrangement& arr) override;
  tresult CORVANE_VST3_CALL canProcessSampleSize(int32 symbolicSampleSize) override;  // 32-bit
  uint32 CORVANE_VST3_CALL getLatencySamples() override;                              // 0
  // Keeps the setup when canProcessSampleSize accepts its sample size, else kResultFalse.
  tresult CORVANE_VST3_CALL setupProcessing(ProcessSetup& setup) override;
  tresult CORVANE_VST3_CALL setProcessing(TBool state) override;  // kNotImplemented
  tresult CORVANE_VST3_CALL process(ProcessData& data) override;  // kNotImplemented
  uint32 CORVANE_VST3_CALL getTailSamples() override;             // kNoTail

  tresult CORVANE_VST3_CALL queryInterface(const TUID iid, void** obj) override;
  CORVANE_VST3_REFCOUNT_METHODS(EditController)

  // Bus helpers: each appends a new bus to the end of its list and returns it.
  AudioBus* addAudioInput(const TChar* name, SpeakerArrangement arr, BusType busType = kMain,
                          int32 flags = BusInfo::kDefaultActive);
  AudioBus* addAudioOutput(const TChar* name, SpeakerArrangement arr, BusType busType = kMain,
                           int32 flags = BusInfo::kDefaultActive);
  EventBus* addEventInput(const TChar* name, int32 channels = 16, BusType busType = kMain,
                          int32 flags = BusInfo::kDefaultActive);
  EventBus* addEventOutput(const TChar* name, int32 channels = 16, BusType busType = kMain,
                           int32 flags = BusInfo::kDefaultActive);
  void removeAudioBusses();
  void removeEventBusses();
  void removeAllBusses();
  // The list of a media type and direction (a direction other than kInput is output); null for
  // an unknown media type.
  BusList* getBusList(MediaType type, BusDirection dir);

  // The interface sub-objects, e.g. for create functions and views.
  IComponent* asComponent() { return this; }
  IAudioProcessor* asAudioProcessor() { return this; }
  IEditController* asEditController() { return this; }

  const char* className() const override { return "SingleComponentEffect"; }
  bool isTypeOf(const char* name, bool askBaseClass = true) const override;

 protected:
  ProcessSetup processSetup;
  BusList audioInputs{kAudio, kInput};
  BusList audioOutputs{kAudio, kOutput};
  BusList eventInputs{kEvent, kInput};
  BusList eventOutputs{kEvent, kOutput};
};

}  // namespace Vst
}  // namespace Steinberg
