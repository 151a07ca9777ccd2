// A probe plug-in built on the VST3 layer the way the adapter is: a SingleComponentEffect with
// IUnitInfo and IMidiMapping of its own, a CPluginView, the factory and the module entry. Its
// answers are chosen to be distinct per method, so that a host calling raw vtable slots can tell
// whether it reached the method it meant, and it calls every host interface it is given, so that
// the host can check our declarations of those too.
//
// On Windows it is the module vst3_probe.vst3; natively it is linked into the raw-host test.
#include <cstdio>
#include <cstring>

#include "iplug/vst3/layer/vst3.h"
#include "iplug/vst3/layer/vst3_module_entry.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr ParamID kGain = 1, kMode = 2, kBypass = 3, kPreset = 0x70727374, kTempoOut = 100;
const TUID kProbeClass = {'P', 'r', 'o', 'b', 'e', 'E', 'f', 'f', 'e', 'c', 't', '-', 'c', 'l', 's', 1};
const TUID kWideClass = {'P', 'r', 'o', 'b', 'e', 'W', 'i', 'd', 'e', '-', '-', '-', 'c', 'l', 's', 2};

class ProbeEffect;

class ProbeView : public CPluginView {
 public:
  explicit ProbeView(ProbeEffect* effect);
  ~ProbeView() override;

  tresult CORVANE_VST3_CALL isPlatformTypeSupported(FIDString type) override {
    return isSameIDString(type, kPlatformTypeHWND) ? kResultTrue : kResultFalse;
  }
  tresult CORVANE_VST3_CALL attached(void* parent, FIDString type) override;
  tresult CORVANE_VST3_CALL onWheel(float distance) override {
    return distance > 1.f ? kResultTrue : kResultFalse;
  }
  tresult CORVANE_VST3_CALL onKeyDown(char16 key, int16 keyCode, int16 modifiers) override {
    return key == u'a' && keyCode == 65 && modifiers == -1 ? kResultTrue : kResultFalse;
  }
  tresult CORVANE_VST3_CALL canResize() override { return kResultTrue; }
  tresult CORVANE_VST3_CALL checkSizeConstraint(ViewRect* rect) override {
    if (!rect) return kInvalidArgument;
    if (rect->getWidth() < 100) rect->right = rect->left + 100;
    return kResultTrue;
  }

 private:
  ProbeEffect* effect_;
};

class ProbeEffect : public SingleComponentEffect, public IUnitInfo, public IMidiMapping {
 public:
  tresult CORVANE_VST3_CALL queryInterface(const TUID iid, void** obj) override {
    if (queryAnswer<IUnitInfo>(iid, obj, this) || queryAnswer<IMidiMapping>(iid, obj, this))
      return kResultOk;
    return SingleComponentEffect::queryInterface(iid, obj);
  }
  CORVANE_VST3_REFCOUNT_METHODS(SingleComponentEffect)

  tresult CORVANE_VST3_CALL initialize(FUnknown* context) override {
    const tresult result = SingleComponentEffect::initialize(context);
    if (result != kResultOk) return result;
    if (auto app = queryAs<IHostApplication>(context)) app->getName(hostName_);
    addAudioInput(u"Main In", SpeakerArr::kStereo);
    addAudioInput(u"Side In", SpeakerArr::kMono, kAux, 0);
    addAudioOutput(u"Main Out", SpeakerArr::kStereo);
    addEventInput(u"Notes", 16);
    parameters.addParameter(new RangeParameter(u"Gain", kGain, u"x", 0., 2., 1.));
    auto* mode = new StringListParameter(u"Mode", kMode);
    for (const char16* text : {u"Soft", u"Hard", u"Off"}) mode->appendString(text);
    parameters.addParameter(mode);
    auto* bypass = new StringListParameter(
        u"Bypass", kBypass, nullptr,
        ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsBypass);
    bypass->appendString(u"off");
    bypass->appendString(u"on");
    parameters.addParameter(bypass);
    parameters.addParameter(
        new Parameter(u"Preset", kPreset, nullptr, 0., 4, ParameterInfo::kIsProgramChange));
    return kResultOk;
  }

  // Host requests, made as soon as a handler arrives so that a test host sees each of them.
  tresult CORVANE_VST3_CALL setComponentHandler(IComponentHandler* handler) override {
    SingleComponentEffect::setComponentHandler(handler);
    if (handler) {
      beginEdit(kGain);
      performEdit(kGain, 0.25);
      endEdit(kGain);
      if (IComponentHandler* h = getComponentHandler()) h->restartComponent(kLatencyChanged);
      startGroupEdit();
      setDirty(1);
      requestOpenEditor();
      finishGroupEdit();
    }
    return kResultTrue;
  }

  IPlugView* CORVANE_VST3_CALL createView(FIDString name) override {
    if (!isSameIDString(name, kEditor)) return nullptr;
    return new ProbeView(this);
  }

  tresult CORVANE_VST3_CALL openAboutBox(TBool onlyCheck) override {
    return onlyCheck ? kResultTrue : kResultFalse;
  }

  tresult CORVANE_VST3_CALL canProcessSampleSize(int32 size) override {
    return size == kSample32 || size == kSample64 ? kResultTrue : kResultFalse;
  }
  uint32 CORVANE_VST3_CALL getLatencySamples() override { return 17; }
  uint32 CORVANE_VST3_CALL getTailSamples() override { return 33; }
  tresult CORVANE_VST3_CALL setProcessing(TBool state) override {
    processing_ = state != 0;
    return kResultTrue;
  }

  tresult CORVANE_VST3_CALL process(ProcessData& data) override {
    if (IParameterChanges* changes = data.inputParameterChanges) {
      for (int32 i = 0, n = changes->getParameterCount(); i < n; ++i) {
        IParamValueQueue* queue = changes->getParameterData(i);
        int32 offset = 0;
        ParamValue value = 0.;
        if (!queue || queue->getPoint(queue->getPointCount() - 1, offset, value) != kResultTrue)
          continue;
        if (Parameter* p = getParameterObject(queue->getParameterId())) p->setNormalized(value);
      }
    }
    const Parameter* gainParameter = getParameterObject(kGain);
    const double gain = gainParameter->toPlain(gainParameter->getNormalized());
    if (IParameterChanges* out = data.outputParameterChanges) {
      report(out, kGain, gainParameter->getNormalized());
      if (data.processContext && (data.processContext->state & ProcessContext::kTempoValid))
        report(out, kTempoOut, data.processContext->tempo / 1000.);
    }
    if (data.inputEvents && data.outputEvents) {
      Event e{};
      for (int32 i = 0, n = data.inputEvents->getEventCount(); i < n; ++i) {
        if (data.inputEvents->getEvent(i, e) != kResultTrue || e.type != Event::kNoteOnEvent)
          continue;
        e.noteOn.pitch++;
        data.outputEvents->addEvent(e);
      }
    }
    if (data.numSamples <= 0 || data.numInputs < 1 || data.numOutputs < 1 || !data.inputs ||
        !data.outputs)
      return kResultOk;
    const AudioBusBuffers& in = data.inputs[0];
    const AudioBusBuffers& out = data.outputs[0];
    const int32 channels = in.numChannels < out.numChannels ? in.numChannels : out.numChannels;
    for (int32 c = 0; c < channels; ++c) {
      if (data.symbolicSampleSize == kSample64) {
        if (!in.channelBuffers64 || !out.channelBuffers64) break;
        for (int32 s = 0; s < data.numSamples; ++s)
          out.channelBuffers64[c][s] = in.channelBuffers64[c][s] * gain;
      } else {
        if (!in.channelBuffers32 || !out.channelBuffers32) break;
        for (int32 s = 0; s < data.numSamples; ++s)
          out.channelBuffers32[c][s] = static_cast<float>(in.channelBuffers32[c][s] * gain);
      }
    }
    return kResultOk;
  }

  // State: the gain (8 bytes) and the mode (4 bytes); short streams are refused.
  tresult CORVANE_VST3_CALL getState(IBStream* state) override {
    if (!state) return kInvalidArgument;
    unsigned char bytes[12];
    const double gain = getParamNormalized(kGain);
    const int32 mode = static_cast<int32>(getParameterObject(kMode)->toPlain(getParamNormalized(kMode)));
    std::memcpy(bytes, &gain, 8);
    std::memcpy(bytes + 8, &mode, 4);
    int32 written = 0;
    return state->write(bytes, 12, &written) == kResultOk && written == 12 ? kResultOk : kResultFalse;
  }
  tresult CORVANE_VST3_CALL setState(IBStream* state) override {
    if (!state) return kInvalidArgument;
    unsigned char bytes[12];
    int32 read = 0;
    if (state->read(bytes, 12, &read) != kResultOk || read != 12) return kResultFalse;
    double gain;
    int32 mode;
    std::memcpy(&gain, bytes, 8);
    std::memcpy(&mode, bytes + 8, 4);
    setParamNormalized(kGain, gain);
    setParamNormalized(kMode, getParameterObject(kMode)->toNormalized(mode));
    return kResultOk;
  }

  int32 CORVANE_VST3_CALL getUnitCount() override { return 1; }
  tresult CORVANE_VST3_CALL getUnitInfo(int32 index, UnitInfo& info) override {
    if (index != 0) return kResultFalse;
    info.id = kRootUnitId;
    info.parentUnitId = kNoParentUnitId;
    copyString16(info.name, hostName_);
    info.programListId = kNoProgramListId;
    return kResultTrue;
  }
  int32 CORVANE_VST3_CALL getProgramListCount() override { return 2; }
  tresult CORVANE_VST3_CALL getProgramListInfo(int32 index, ProgramListInfo& info) override {
    if (index != 0) return kResultFalse;
    info.id = static_cast<ProgramListID>(kPreset);
    copyString16(info.name, u"Presets");
    info.programCount = 4;
    return kResultTrue;
  }
  tresult CORVANE_VST3_CALL getProgramName(ProgramListID list, int32 index, TChar* name) override {
    if (list != static_cast<ProgramListID>(kPreset) || index < 0 || index > 3 || !name)
      return kResultFalse;
    char text[16];
    std::snprintf(text, sizeof text, "Program %d", static_cast<int>(index));
    widenString(name, 128, text);
    return kResultTrue;
  }
  tresult CORVANE_VST3_CALL getProgramInfo(ProgramListID, int32, CString, TChar*) override {
    return kNotImplemented;
  }
  tresult CORVANE_VST3_CALL hasProgramPitchNames(ProgramListID, int32) override {
    return kResultFalse;
  }
  tresult CORVANE_VST3_CALL getProgramPitchName(ProgramListID, int32, int16 pitch,
                                                TChar* name) override {
    char text[16];
    std::snprintf(text, sizeof text, "Pitch %d", static_cast<int>(pitch));
    widenString(name, 128, text);
    return kResultTrue;
  }
  UnitID CORVANE_VST3_CALL getSelectedUnit() override { return 5; }
  tresult CORVANE_VST3_CALL selectUnit(UnitID id) override {
    return id == 5 ? kResultTrue : kInvalidArgument;
  }
  tresult CORVANE_VST3_CALL getUnitByBus(MediaType, BusDirection, int32 bus, int32 channel,
                                         UnitID& unit) override {
    unit = bus * 10 + channel;
    return kResultTrue;
  }
  tresult CORVANE_VST3_CALL setUnitProgramData(int32, int32, IBStream*) override {
    return kNotImplemented;
  }

  tresult CORVANE_VST3_CALL getMidiControllerAssignment(int32 bus, int16 channel, CtrlNumber cc,
                                                        ParamID& id) override {
    if (cc < 0) return kResultFalse;
    id = static_cast<ParamID>(1000 + bus * 10000 + cc * 16 + channel);
    return kResultTrue;
  }

 private:
  static void report(IParameterChanges* out, ParamID id, ParamValue value) {
    int32 index = -1;
    if (IParamValueQueue* queue = out->addParameterData(id, index)) queue->addPoint(0, value, index);
  }

  String128 hostName_ = {0};
  bool processing_ = false;
};

ProbeView::ProbeView(ProbeEffect* effect) : effect_(effect) {
  const ViewRect size{0, 0, 400, 300};
  setRect(size);
  effect_->addRef();
}

ProbeView::~ProbeView() { effect_->release(); }

// On attaching: ask the host frame for a new size and show the host's context menu for the gain.
tresult CORVANE_VST3_CALL ProbeView::attached(void* parent, FIDString type) {
  CPluginView::attached(parent, type);
  if (IPlugFrame* frame = getFrame()) {
    ViewRect wanted{0, 0, 300, 200};
    frame->resizeView(this, &wanted);
  }
  if (auto handler3 = queryAs<IComponentHandler3>(effect_->getComponentHandler())) {
    const ParamID id = kGain;
    if (IContextMenu* menu = handler3->createContextMenu(this, &id)) {
      IContextMenuItem item{};
      copyString16(item.name, u"Probe item");
      item.tag = 7;
      item.flags = IContextMenuItem::kIsChecked;
      menu->addItem(item, nullptr);
      menu->popup(10, 20);
      menu->release();
    }
  }
  return kResultOk;
}

FUnknown* createProbe(void*) { return static_cast<IAudioProcessor*>(new ProbeEffect); }
FUnknown* createNothing(void*) { return nullptr; }

CPluginFactory* buildFactory() {
  auto* factory = new CPluginFactory(
      makeFactoryInfo("Corvane Probe", "https://probe.example", "probe@probe.example"));
  const PClassInfo2 probe =
      makeClassInfo2(kProbeClass, PClassInfo::kManyInstances, kVstAudioEffectClass, "Probe Effect",
                     kSimpleModeSupported, "Fx|Tools", "Probe Vendor", "1.2.3", kVstVersionString);
  const PClassInfoW wide = makeClassInfoW(kWideClass, 1, kVstAudioEffectClass, u"Probe \u00DCnicode",
                                          0, "Fx", u"Wide Vendor", u"4.5.6", u"VST 3.5.2");
  if (!factory->registerClass(&probe, createProbe) || !factory->registerClass(&wide, createNothing)) {
    factory->release();
    return nullptr;
  }
  return factory;
}

}  // namespace

bool InitModule() { return true; }
bool DeinitModule() { return true; }

extern "C" CORVANE_VST3_EXPORT IPluginFactory* CORVANE_VST3_CALL GetPluginFactory() {
  return obtainPluginFactory(buildFactory);
}

// Test hook: the instance handle the library entry kept.
extern "C" CORVANE_VST3_EXPORT void* ProbeModuleHandle() { return getModuleHandle(); }
