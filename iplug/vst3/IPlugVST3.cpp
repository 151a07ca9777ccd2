#include "iplug/vst3/IPlugVST3.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr int kStateReadPiece = 128;  // setState reads the stream in pieces of this size

// Speaker arrangement of a bus with n channels (1 to 6); 0 for other counts.
SpeakerArrangement ArrangementForChannels(int n) {
  switch (n) {
    case 1: return SpeakerArr::kMono;
    case 2: return SpeakerArr::kStereo;
    case 3: return SpeakerArr::k30Music;
    case 4: return SpeakerArr::kBFormat;
    case 5: return SpeakerArr::k50;
    case 6: return SpeakerArr::k51;
    default: return SpeakerArr::kEmpty;
  }
}

// A normalised value from a host: NaN is refused (false), the rest is taken into [0, 1].
bool ClampNormalized(double& value) {
  if (std::isnan(value)) return false;
  value = value < 0.0 ? 0.0 : (value > 1.0 ? 1.0 : value);
  return true;
}

// Runs a host-facing operation so that no exception reaches the host.
template <class F>
tresult Guarded(F&& operation, tresult onException = kInternalError) noexcept {
  try {
    return operation();
  } catch (...) {
    return onException;
  }
}

// The channel count of a host bus, 0 when it is missing.
int HostBusChannels(const AudioBusBuffers* buses, int32 count, int index) {
  if (!buses || index < 0 || index >= count) return 0;
  return std::max<int32>(buses[index].numChannels, 0);
}

template <class Sample>
Sample** HostBusBuffers(const AudioBusBuffers* buses, int32 count, int index);
template <>
float** HostBusBuffers<float>(const AudioBusBuffers* buses, int32 count, int index) {
  return HostBusChannels(buses, count, index) > 0 ? buses[index].channelBuffers32 : nullptr;
}
template <>
double** HostBusBuffers<double>(const AudioBusBuffers* buses, int32 count, int index) {
  return HostBusChannels(buses, count, index) > 0 ? buses[index].channelBuffers64 : nullptr;
}

// Writes all n bytes, however the stream splits them up; false when a write fails or stalls.
bool WriteAll(IBStream* stream, const void* bytes, int32 n) {
  auto* p = static_cast<const unsigned char*>(bytes);
  while (n > 0) {
    int32 written = 0;
    if (stream->write(const_cast<unsigned char*>(p), n, &written) != kResultOk) return false;
    if (written <= 0 || written > n) return false;
    p += written;
    n -= written;
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Views

IPlugVST3ViewBase::IPlugVST3ViewBase(IPlugVST3* plug) : CPluginView(nullptr), mPlug(plug) {
  if (mPlug) mPlug->addRef();
}

IPlugVST3ViewBase::~IPlugVST3ViewBase() {
  if (mPlug) {
    mPlug->RemoveView(this);
    mPlug->release();
  }
}

bool IPlugVST3ViewBase::isTypeOf(const char* name, bool askBaseClass) const {
  return classNameIs(name, "IPlugVST3ViewBase") || (askBaseClass && CPluginView::isTypeOf(name, true));
}

IPlugVST3ViewBase* IPlugVST3::GetView(int index) const {
  return index >= 0 && index < NViews() ? mViews[static_cast<size_t>(index)] : nullptr;
}

bool IPlugVST3::AddView(IPlugVST3ViewBase* view) {
  if (!view) return false;
  try {
    if (mViews.capacity() == mViews.size()) mViews.reserve(mViews.size() + 10);
    mViews.push_back(view);
  } catch (...) {
    return false;
  }
  return true;
}

void IPlugVST3::RemoveView(IPlugVST3ViewBase* view) {
  const auto it = std::find(mViews.begin(), mViews.end(), view);
  if (it != mViews.end()) mViews.erase(it);
}

IPlugView* CORVANE_VST3_CALL IPlugVST3::createView(FIDString name) {
  try {
    if (!isSameIDString(name, kEditor)) return nullptr;
    IPlugVST3ViewBase* view = MakeEditorView();
    if (view && !AddView(view)) {
      view->release();
      return nullptr;
    }
    return view;
  } catch (...) {
    return nullptr;
  }
}

// ---------------------------------------------------------------------------------------------
// Construction

IPlugVST3::IPlugVST3(int nParams, const char* channelIOString, int nPresets, const char* effectName,
                     const char* productName, const char* makerName, int version, int uniqueId,
                     int makerId, int latency, bool midiIn, bool stateChunks, bool instrument,
                     int nSideChainChannels)
    : IPlugBase(nParams, channelIOString, nPresets, effectName, productName, makerName, version, uniqueId,
                makerId, latency, midiIn, stateChunks, instrument, kApiVST3),
      mSideChainChannels(std::max(nSideChainChannels, 0)) {
  MarkInputsConnected(0, NInChannels(), true);
  MarkOutputsConnected(0, NOutChannels(), true);
  CreateLatencyDelay();  // only with inputs

  LabelInputBus(0, "Main Input");
  if (mSideChainChannels > 0) LabelInputBus(1, "Aux Input");
  if (IsInstrument()) {
    for (int pair = 0; pair < NOutChannels() / 2; ++pair) {
      char label[32];
      std::snprintf(label, sizeof label, "Output %i", pair + 1);
      LabelOutputBus(pair, label);
    }
  } else {
    LabelOutputBus(0, "Output");
  }
}

IPlugVST3::~IPlugVST3() = default;

tresult CORVANE_VST3_CALL IPlugVST3::queryInterface(const TUID iid, void** obj) {
  if (queryAnswer<IUnitInfo>(iid, obj, this) || queryAnswer<IMidiMapping>(iid, obj, this)) return kResultOk;
  return SingleComponentEffect::queryInterface(iid, obj);
}

bool IPlugVST3::isTypeOf(const char* name, bool askBaseClass) const {
  return classNameIs(name, "IPlugVST3") || (askBaseClass && SingleComponentEffect::isTypeOf(name, true));
}

// ---------------------------------------------------------------------------------------------
// IPluginBase

tresult CORVANE_VST3_CALL IPlugVST3::initialize(FUnknown* context) {
  return Guarded([&]() -> tresult {
    const tresult result = SingleComponentEffect::initialize(context);
    // A second initialize leaves everything (the loaded state too) as it is.
    if (result != kResultOk) return result;

    if (IPtr<IHostApplication> application = queryAs<IHostApplication>(context)) {
      String128 name16 = {};
      application->getName(name16);
      name16[127] = 0;
      char name[IPlugBase::kNameSize];
      narrowString(name, name16);
      SetHost(name, 0);
    }
    BuildBusesAndParameters();
    HostReady();
    RecallPreset(0);
    return result;
  });
}

tresult CORVANE_VST3_CALL IPlugVST3::terminate() {
  return Guarded([&]() -> tresult {
    mViews.clear();
    return SingleComponentEffect::terminate();
  });
}

void IPlugVST3::BuildBusesAndParameters() {
  // Main input: the channels ahead of the side chain.
  const SpeakerArrangement mainIn = ArrangementForChannels(MainInputChannels());
  if (mainIn != SpeakerArr::kEmpty) addAudioInput(String128Text(GetInputBusLabel(0)), mainIn);

  if (IsInstrument()) {
    for (int pair = 0; pair < NOutChannels() / 2; ++pair)
      addAudioOutput(String128Text(GetOutputBusLabel(pair)), SpeakerArr::kStereo);
  } else {
    addAudioOutput(String128Text(GetOutputBusLabel(0)), ArrangementForChannels(NOutChannels()));
  }

  if (mSideChainChannels > 0) {
    mSideChainChannels = std::min(mSideChainChannels, 2);
    addAudioInput(String128Text(GetInputBusLabel(1)),
                  mSideChainChannels == 1 ? SpeakerArr::kMono : SpeakerArr::kStereo, kAux, 0);
  }

  if (DoesMIDI()) addEventInput(String128Text("MIDI Input"), 1);

  if (NPresets() > 0) {
    parameters.addParameter(new Parameter(String128Text("Preset"), kPresetParamId, String128Text(""), 0.,
                                          NPresets(), ParameterInfo::kIsProgramChange));
  }
  if (!IsInstrument()) {
    auto* bypass = new StringListParameter(
        String128Text("Bypass"), kBypassParamId, nullptr,
        ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsBypass);
    parameters.addParameter(bypass);
    bypass->appendString(String128Text("off"));
    bypass->appendString(String128Text("on"));
  }
  for (int i = 0; i < NParams(); ++i) AddFrameworkParameter(i);
  if (DoesMIDI()) {
    for (int n = 0; n < kMidiControllers; ++n) {
      auto* controller = new RangeParameter(String128Text("MIDI CC"), static_cast<ParamID>(NParams() + n),
                                            String128Text(""), 0., 127., 0., 0, ParameterInfo::kCanAutomate);
      parameters.addParameter(controller);
      controller->setPrecision(1);
    }
  }
}

void IPlugVST3::AddFrameworkParameter(int index) {
  const IPlugParameter* param = GetParam(index);
  const String128Text title(param->GetName());
  const String128Text units(param->GetLabelText());
  const ParamID id = static_cast<ParamID>(index);
  const UnitID unit = UnitOfParam(index);

  if (param->Kind() == kParamBoolean || param->Kind() == kParamEnumeration) {
    // The host's list index is the parameter's value: entry v shows value v's text.
    const int32 flags = ParameterInfo::kIsList | (param->GetAutomatable() ? ParameterInfo::kCanAutomate : 0);
    auto* list = new StringListParameter(title, id, units, flags, unit);
    parameters.addParameter(list);
    for (int value = 0; value < param->CountDisplayTexts(); ++value)
      list->appendString(String128Text(param->FindDisplayText(value)));
    // The host's default is the framework default, not the first entry.
    const double defaultNormalized = param->ToNormalized(param->GetDefault());
    list->getInfo().defaultNormalizedValue = defaultNormalized;
    list->setNormalized(defaultNormalized);
  } else {
    const int32 flags = param->GetAutomatable() ? ParameterInfo::kCanAutomate : 0;
    auto* range = new RangeParameter(title, id, units, param->GetMin(), param->GetMax(), param->GetDefault(), 0,
                                     flags, unit);
    parameters.addParameter(range);
    range->setPrecision(param->GetPrecision());
  }
}

// ---------------------------------------------------------------------------------------------
// Units

const char* IPlugVST3::GroupOf(int index) const {
  const IPlugParameter* param = GetParam(index);
  return param ? param->GetGroup() : "";
}

bool IPlugVST3::IsFirstOfGroup(int index) const {
  const char* group = GroupOf(index);
  if (!group[0]) return false;
  for (int i = 0; i < index; ++i) {
    if (std::strcmp(GroupOf(i), group) == 0) return false;
  }
  return true;
}

int IPlugVST3::NGroups() const {
  int n = 0;
  for (int i = 0; i < NParams(); ++i) n += IsFirstOfGroup(i) ? 1 : 0;
  return n;
}

int IPlugVST3::UnitOfParam(int index) const {
  const char* group = GroupOf(index);
  if (!group[0]) return kRootUnitId;
  int unit = 0;
  for (int i = 0; i <= index; ++i) {
    if (!IsFirstOfGroup(i)) continue;
    ++unit;
    if (std::strcmp(GroupOf(i), group) == 0) return unit;
  }
  return kRootUnitId;
}

const char* IPlugVST3::GroupOfUnit(int unit) const {
  for (int i = 0, u = 0; i < NParams(); ++i) {
    if (IsFirstOfGroup(i) && ++u == unit) return GroupOf(i);
  }
  return nullptr;
}

int32 CORVANE_VST3_CALL IPlugVST3::getUnitCount() { return NGroups() + 1; }

tresult CORVANE_VST3_CALL IPlugVST3::getUnitInfo(int32 unitIndex, UnitInfo& info) {
  if (unitIndex == 0) {
    info.id = kRootUnitId;
    info.parentUnitId = kNoParentUnitId;
    widenString(info.name, "Root Unit");
    info.programListId = kNoProgramListId;
    return kResultOk;
  }
  const char* group = unitIndex > 0 ? GroupOfUnit(unitIndex) : nullptr;
  if (!group) return kResultFalse;
  info.id = unitIndex;
  info.parentUnitId = kRootUnitId;
  widenString(info.name, group);
  info.programListId = kNoProgramListId;
  return kResultOk;
}

int32 CORVANE_VST3_CALL IPlugVST3::getProgramListCount() { return 0; }

tresult CORVANE_VST3_CALL IPlugVST3::getProgramListInfo(int32 listIndex, ProgramListInfo& info) {
  if (listIndex != 0) return kResultFalse;
  info.id = static_cast<ProgramListID>(kPresetParamId);
  widenString(info.name, "Factory Presets");
  info.programCount = NPresets();
  return kResultOk;
}

tresult CORVANE_VST3_CALL IPlugVST3::getProgramName(ProgramListID listId, int32 programIndex, TChar* name) {
  if (listId != static_cast<ProgramListID>(kPresetParamId) || !name) return kResultFalse;
  widenString(name, 128, PresetNameAt(programIndex));
  return kResultOk;
}

tresult CORVANE_VST3_CALL IPlugVST3::getProgramInfo(ProgramListID, int32, CString, TChar*) {
  return kNotImplemented;
}
tresult CORVANE_VST3_CALL IPlugVST3::hasProgramPitchNames(ProgramListID, int32) { return kNotImplemented; }
tresult CORVANE_VST3_CALL IPlugVST3::getProgramPitchName(ProgramListID, int32, int16, TChar*) {
  return kNotImplemented;
}
UnitID CORVANE_VST3_CALL IPlugVST3::getSelectedUnit() { return kRootUnitId; }
tresult CORVANE_VST3_CALL IPlugVST3::selectUnit(UnitID) { return kNotImplemented; }
tresult CORVANE_VST3_CALL IPlugVST3::getUnitByBus(MediaType, BusDirection, int32, int32, UnitID&) {
  return kNotImplemented;
}
tresult CORVANE_VST3_CALL IPlugVST3::setUnitProgramData(int32, int32, IBStream*) { return kNotImplemented; }

// ---------------------------------------------------------------------------------------------
// IMidiMapping

tresult CORVANE_VST3_CALL IPlugVST3::getMidiControllerAssignment(int32, int16, CtrlNumber midiControllerNumber,
                                                                 ParamID& id) {
  if (!DoesMIDI() || midiControllerNumber < 0 || midiControllerNumber >= kMidiControllers) return kResultFalse;
  id = static_cast<ParamID>(NParams() + midiControllerNumber);
  return kResultOk;
}

// ---------------------------------------------------------------------------------------------
// IEditController

tresult CORVANE_VST3_CALL IPlugVST3::getParamStringByValue(ParamID id, ParamValue valueNormalized, TChar* string) {
  const IPlugParameter* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  if (!param || !string || !ClampNormalized(valueNormalized)) return kResultFalse;
  char text[kParamTextSize];
  param->FormatValueText(valueNormalized, true, text, true);
  widenString(string, 128, text);
  return kResultOk;
}

ParamValue CORVANE_VST3_CALL IPlugVST3::plainParamToNormalized(ParamID id, ParamValue plainValue) {
  const IPlugParameter* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  return param ? param->ToNormalized(plainValue) : plainValue;
}

ParamValue CORVANE_VST3_CALL IPlugVST3::getParamNormalized(ParamID id) {
  if (id == kBypassParamId) return IsBypassed() ? 1.0 : 0.0;
  const IPlugParameter* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  return param ? param->GetNormalizedValue() : 0.0;
}

tresult CORVANE_VST3_CALL IPlugVST3::setParamNormalized(ParamID id, ParamValue value) {
  // Component and controller are one object, so the bypass a host sets on the controller side
  // is the flag itself and reads back at once; processing still takes it from the queues.
  if (id == kBypassParamId && !IsInstrument()) {
    if (!ClampNormalized(value)) return kResultFalse;
    mIsBypassed.store(value > 0.5, std::memory_order_relaxed);
    return kResultOk;
  }
  IPlugParameter* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  if (!param || !ClampNormalized(value)) return kResultFalse;
  param->SetFromNormalized(value);
  return kResultOk;
}

// ---------------------------------------------------------------------------------------------
// IComponent

tresult CORVANE_VST3_CALL IPlugVST3::setActive(TBool state) {
  return Guarded([&]() -> tresult {
    ActivationChanged(state != 0);
    return kResultOk;
  });
}

// ---------------------------------------------------------------------------------------------
// IAudioProcessor: set-up

int IPlugVST3::FindAudioBus(const BusList& list, BusType type) {
  for (int32 i = 0; i < list.size(); ++i) {
    const Bus* bus = list.at(i);
    if (bus->getBusType() == type && list.audioBusAt(i)) return i;
  }
  return -1;
}

tresult CORVANE_VST3_CALL IPlugVST3::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                        SpeakerArrangement* outputs, int32 numOuts) {
  return Guarded([&]() -> tresult {
    // Nothing is read from arrays the host did not give.
    if (numIns < 0 || numOuts < 0 || (numIns > 0 && !inputs) || (numOuts > 0 && !outputs)) return kInvalidArgument;

    PlugLock lock(&mMutex);
    MarkInputsConnected(0, NInChannels(), false);
    MarkOutputsConnected(0, NOutChannels(), false);

    const int nIn = numIns > 0 ? SpeakerArr::getChannelCount(inputs[0]) : 0;
    const int nOut = numOuts > 0 ? SpeakerArr::getChannelCount(outputs[0]) : 0;
    if (!LegalIO(nIn, nOut)) return kResultFalse;

    // A replaced bus keeps the host's activation of the one it replaces.
    auto replace = [](BusList& list, int index, const char* name, SpeakerArrangement arr, BusType type,
                      int32 flags) {
      const bool active = list.at(index)->isActive();
      auto* bus = new AudioBus(String128Text(name), type, flags, arr);
      bus->setActive(active);
      list.replace(index, bus);
    };
    const int mainIn = FindAudioBus(audioInputs, kMain);
    if (mainIn >= 0 && audioInputs.audioBusAt(mainIn)->getChannelCount() != nIn)
      replace(audioInputs, mainIn, "Input", inputs[0], kMain, BusInfo::kDefaultActive);
    const int mainOut = FindAudioBus(audioOutputs, kMain);
    if (mainOut >= 0 && audioOutputs.audioBusAt(mainOut)->getChannelCount() != nOut)
      replace(audioOutputs, mainOut, "Output", outputs[0], kMain, BusInfo::kDefaultActive);

    if (mSideChainChannels <= 0) return numIns == 1 ? kResultOk : kResultFalse;
    if (numIns != 2) return kResultFalse;
    const int aux = FindAudioBus(audioInputs, kAux);
    if (aux >= 0 && audioInputs.audioBusAt(aux)->getChannelCount() != SpeakerArr::getChannelCount(inputs[1]))
      replace(audioInputs, aux, "Sidechain Input", inputs[1], kAux, 0);
    return kResultOk;
  });
}

tresult CORVANE_VST3_CALL IPlugVST3::canProcessSampleSize(int32 symbolicSampleSize) {
  return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultOk : kResultFalse;
}

uint32 CORVANE_VST3_CALL IPlugVST3::getLatencySamples() { return static_cast<uint32>(GetLatency()); }

uint32 CORVANE_VST3_CALL IPlugVST3::getTailSamples() { return static_cast<uint32>(GetTailSize()); }

tresult CORVANE_VST3_CALL IPlugVST3::setupProcessing(ProcessSetup& setup) {
  return Guarded([&]() -> tresult {
    if (canProcessSampleSize(setup.symbolicSampleSize) != kResultOk) return kResultFalse;
    if (setup.maxSamplesPerBlock < 0) return kResultFalse;
    PlugLock lock(&mMutex);
    if (!SetSampleRate(setup.sampleRate)) return kResultFalse;
    // The bypass flag stays: a host may have restored it with the state before setting up.
    // A maximum beyond the framework's largest block is taken as that; process runs the longer
    // blocks in pieces.
    SetMaxBlockSize(setup.maxSamplesPerBlock);
    ResetProcessing();
    processSetup = setup;
    return kResultOk;
  });
}

// ---------------------------------------------------------------------------------------------
// IAudioProcessor: process

void IPlugVST3::ApplyParameterValue(ParamID id, double value) {
  if (!ClampNormalized(value)) return;
  if (id == kBypassParamId) {
    mIsBypassed.store(value > 0.5, std::memory_order_relaxed);
  } else if (id == kPresetParamId) {
    // Round to the nearest step: a value sent as a float still finds its preset. 1 lies one
    // past the last preset, which the recall refuses.
    if (NPresets() > 0) RecallPreset(static_cast<int>(std::floor(value * NPresets() + 0.5)));
  } else if (id < static_cast<ParamID>(NParams())) {
    const int index = static_cast<int>(id);
    GetParam(index)->SetFromNormalized(value);
    if (IPlugEditor* editor = GetGUI()) editor->UpdateControlsOfParam(index, value, true);
    ParamValueChanged(index, kSourceHost);
  } else if (DoesMIDI() && id < static_cast<ParamID>(NParams() + kMidiControllers)) {
    IMidiEvent message;
    message.SetControlChange(static_cast<int>(id) - NParams(), value, 0);
    ProcessMidiEvent(&message);
  }
}

void IPlugVST3::ApplyParameterChanges(IParameterChanges* changes) {
  if (!changes) return;
  const int32 nQueues = changes->getParameterCount();
  for (int32 i = 0; i < nQueues; ++i) {
    IParamValueQueue* queue = changes->getParameterData(i);
    if (!queue) continue;
    const int32 nPoints = queue->getPointCount();
    int32 offset = 0;
    ParamValue value = 0.0;
    if (nPoints <= 0 || queue->getPoint(nPoints - 1, offset, value) != kResultOk) continue;
    ApplyParameterValue(queue->getParameterId(), value);
  }
}

void IPlugVST3::ApplyEvents(IEventList* events) {
  if (!events) return;
  const int32 n = events->getEventCount();
  for (int32 i = 0; i < n; ++i) {
    Event e{};
    if (events->getEvent(i, e) != kResultOk) continue;
    IMidiEvent message;
    if (e.type == Event::kNoteOnEvent) {
      message.SetNoteOn(e.noteOn.pitch, ClampToInt(e.noteOn.velocity * 127.0), e.sampleOffset, e.noteOn.channel);
    } else if (e.type == Event::kNoteOffEvent) {
      message.SetNoteOff(e.noteOff.pitch, e.sampleOffset, e.noteOff.channel);
    } else {
      continue;
    }
    ProcessMidiEvent(&message);
  }
}

// Input channels [0, main) are the main bus, [main, inputs) the side chain. A channel without a
// host buffer reads its scratch; whenever the set of connected channels changes, every scratch is
// cleared once, so a channel that loses its host buffer is silent rather than stale.
void IPlugVST3::ConnectInputs(int nMainConnected, int nSideConnected) {
  const int nIn = NInChannels();
  const int nMain = std::max(MainInputChannels(), 0);
  bool changed = false;
  for (int i = 0; i < nIn && !changed; ++i) {
    const bool wanted = i < nMain ? i < nMainConnected : i - nMain < nSideConnected;
    changed = IsInChannelConnected(i) != wanted;
  }
  mSideChainConnected = nSideConnected > 0 ? 1 : 0;
  if (!changed) return;
  ClearScratchBuffers();
  MarkInputsConnected(0, nMainConnected, true);
  MarkInputsConnected(nMainConnected, nMain - nMainConnected, false);
  MarkInputsConnected(nMain, nSideConnected, true);
  MarkInputsConnected(nMain + nSideConnected, nIn - nMain - nSideConnected, false);
}

void IPlugVST3::BindInputs(const ProcessData& data, bool is64, int nFrames, int offset) {
  const int nMain = std::max(MainInputChannels(), 0);
  const int nSide = NInChannels() - nMain;
  if (data.numInputs <= 0 || !data.inputs) {
    ConnectInputs(0, 0);
    return;
  }
  // Only as many channels as the host's bus really carries, and as our bus has.
  const int mainBus = FindAudioBus(audioInputs, kMain);
  int nMainConnected = std::min(HostBusChannels(data.inputs, data.numInputs, mainBus), nMain);
  if (mainBus >= 0) nMainConnected = std::min(nMainConnected, audioInputs.audioBusAt(mainBus)->getChannelCount());
  const int auxBus = mSideChainChannels > 0 ? FindAudioBus(audioInputs, kAux) : -1;
  int nSideConnected = 0;
  if (auxBus >= 0 && audioInputs.at(auxBus)->isActive()) {
    nSideConnected = std::min({HostBusChannels(data.inputs, data.numInputs, auxBus), nSide,
                               audioInputs.audioBusAt(auxBus)->getChannelCount()});
  }
  ConnectInputs(nMainConnected, nSideConnected);

  if (is64) {
    BindInputBuffers(0, nMain, HostBusBuffers<double>(data.inputs, data.numInputs, mainBus), offset);
    if (nSide > 0)
      BindInputBuffers(nMain, nSide, HostBusBuffers<double>(data.inputs, data.numInputs, auxBus), offset);
  } else {
    BindInputBuffersFloat(0, nMain, HostBusBuffers<float>(data.inputs, data.numInputs, mainBus), nFrames, offset);
    if (nSide > 0)
      BindInputBuffersFloat(nMain, nSide, HostBusBuffers<float>(data.inputs, data.numInputs, auxBus), nFrames,
                            offset);
  }
}

void IPlugVST3::BindOutputs(const ProcessData& data, bool is64, int offset) {
  const int nOut = NOutChannels();
  int c = 0;
  for (int32 j = 0; j < audioOutputs.size() && c < nOut; ++j) {
    const AudioBus* bus = audioOutputs.audioBusAt(j);
    if (!bus) continue;
    const int k = std::min({bus->getChannelCount(), HostBusChannels(data.outputs, data.numOutputs, j), nOut - c});
    MarkOutputsConnected(c, k, bus->isActive());
    MarkOutputsConnected(c + k, nOut - c - k, false);
    if (is64) {
      BindOutputBuffers(c, k, HostBusBuffers<double>(data.outputs, data.numOutputs, j), offset);
    } else {
      BindOutputBuffersFloat(c, k, HostBusBuffers<float>(data.outputs, data.numOutputs, j), offset);
    }
    c += k;
  }
  MarkOutputsConnected(c, nOut - c, false);
}

void IPlugVST3::SilenceOutputTails(const ProcessData& data, bool is64, int from, int to) {
  for (int32 j = 0; j < data.numOutputs; ++j) {
    const AudioBusBuffers& bus = data.outputs[j];
    for (int32 ch = 0; ch < bus.numChannels; ++ch) {
      if (is64 && bus.channelBuffers64 && bus.channelBuffers64[ch]) {
        std::fill(bus.channelBuffers64[ch] + from, bus.channelBuffers64[ch] + to, 0.0);
      } else if (!is64 && bus.channelBuffers32 && bus.channelBuffers32[ch]) {
        std::fill(bus.channelBuffers32[ch] + from, bus.channelBuffers32[ch] + to, 0.0f);
      }
    }
  }
}

tresult CORVANE_VST3_CALL IPlugVST3::process(ProcessData& data) {
  return Guarded([&]() -> tresult {
    PlugLock lock(&mMutex);
    if (data.processContext) std::memcpy(&mLastTransport, data.processContext, sizeof mLastTransport);
    ApplyParameterChanges(data.inputParameterChanges);
    if (DoesMIDI()) ApplyEvents(data.inputEvents);

    // A flush (no frames or no output buffers) only delivers parameters.
    const int nFrames = data.numSamples;
    if (nFrames <= 0 || data.numOutputs <= 0 || !data.outputs) return kResultOk;
    // The buffers are described by the call itself, whatever was announced at set-up.
    const bool is64 = data.symbolicSampleSize == kSample64;
    if (!is64 && data.symbolicSampleSize != kSample32) return kInvalidArgument;

    // A block longer than the scratch buffers (than announced, or than the framework's largest
    // block) runs in pieces of them: the audio thread does not allocate. Only a host that
    // processes before its set-up has them sized here; when even that fails, it gets silence.
    if (nFrames > processSetup.maxSamplesPerBlock) {
      TraceCall("IPlugVST3::process", "host misbehaving: %d frames, more than the %d announced", nFrames,
                processSetup.maxSamplesPerBlock);
    }
    const int frames = RunInPieces(nFrames, [&](int offset, int n) {
      BindInputs(data, is64, n, offset);
      BindOutputs(data, is64, offset);
      RunPiece(is64, n);
    });
    if (frames < nFrames) SilenceOutputTails(data, is64, frames, nFrames);
    return kResultOk;
  });
}

void IPlugVST3::RunPiece(bool is64, int nFrames) {
  if (IsBypassed() && is64) {
    RunPassThrough(nFrames);
  } else if (IsBypassed()) {
    RunPassThroughFloat(nFrames);
  } else if (is64) {
    RunProcess(nFrames);
  } else {
    RunProcessFloat(nFrames);
  }
}

// ---------------------------------------------------------------------------------------------
// State

tresult CORVANE_VST3_CALL IPlugVST3::getState(IBStream* state) {
  return Guarded([&] { return WriteState(state); });
}

tresult CORVANE_VST3_CALL IPlugVST3::setState(IBStream* state) {
  return Guarded([&] { return ReadState(state); });
}

tresult CORVANE_VST3_CALL IPlugVST3::setComponentState(IBStream* state) { return setState(state); }

tresult IPlugVST3::WriteState(IBStream* state) {
  if (!state) return kResultFalse;
  PlugLock lock(&mMutex);
  ByteBlock chunk;
  if (!SaveState(&chunk)) return kResultFalse;
  const int32 bypass = IsBypassed() ? 1 : 0;
  if (!WriteAll(state, chunk.GetBytes(), chunk.Size())) return kResultFalse;
  if (!WriteAll(state, &bypass, static_cast<int32>(sizeof bypass))) return kResultFalse;
  return kResultOk;
}

tresult IPlugVST3::ReadState(IBStream* state) {
  if (!state) return kResultFalse;
  PlugLock lock(&mMutex);

  // Everything the stream holds, from where it stands.
  ByteBlock chunk;
  for (;;) {
    unsigned char piece[kStateReadPiece];
    int32 read = 0;
    const tresult result = state->read(piece, kStateReadPiece, &read);
    if (read < 0 || read > kStateReadPiece) return kResultFalse;  // a broken stream: nothing used
    if (result != kResultOk && GetHostCode() != kHostWaveLab) break;
    if (read == 0) break;
    const int before = chunk.Size();
    if (chunk.Put(piece, read) != before + read) return kResultFalse;
  }

  // Nothing is loaded from a stream too short for a whole state chunk: the reader would fill
  // the missing parameters with zeros.
  ByteBlock current;
  if (!SaveState(&current) || chunk.Size() == 0 || chunk.Size() < current.Size()) return kResultFalse;

  const int pos = LoadState(&chunk, 0);
  if (pos < 0) return kResultFalse;
  PushParamsToGraphics();
  // The bypass flag follows the chunk; without it the parameters stay loaded and the answer
  // says that the state was incomplete.
  int32 bypass = 0;
  if (chunk.Get(&bypass, pos) < 0) return kResultFalse;
  mIsBypassed.store(bypass != 0, std::memory_order_relaxed);
  return kResultOk;
}

// ---------------------------------------------------------------------------------------------
// Requests of the framework to the host

void IPlugVST3::ShowHostParamMenu(int index, int x, int y) {
  try {
    IPlugVST3ViewBase* view = GetView(0);
    if (!getComponentHandler() || !view) return;
    IPtr<IComponentHandler3> handler = queryAs<IComponentHandler3>(getComponentHandler());
    if (!handler) return;
    const ParamID id = static_cast<ParamID>(index);
    if (IPtr<IContextMenu> menu = IPtr<IContextMenu>::adopt(handler->createContextMenu(view, &id)))
      menu->popup(x, y);
  } catch (...) {
  }
}

void IPlugVST3::BeginInformHostOfParamChange(int index) {
  TraceCall("IPlugVST3::BeginInformHostOfParamChange", "%d", index);
  beginEdit(static_cast<ParamID>(index));
}

void IPlugVST3::InformHostOfParamChange(int index, double normalized) {
  TraceCall("IPlugVST3::InformHostOfParamChange", "%d:%f", index, normalized);
  performEdit(static_cast<ParamID>(index), normalized);
}

void IPlugVST3::EndInformHostOfParamChange(int index) {
  TraceCall("IPlugVST3::EndInformHostOfParamChange", "%d", index);
  endEdit(static_cast<ParamID>(index));
}

bool IPlugVST3::IsProcessingOffline() { return processSetup.processMode == kOffline; }

int IPlugVST3::GetSongPositionSamples() { return static_cast<int>(mLastTransport.projectTimeSamples); }

double IPlugVST3::GetHostTempo() { return mLastTransport.tempo; }

void IPlugVST3::GetTimeSignature(int* numerator, int* denominator) {
  if (numerator) *numerator = mLastTransport.timeSigNumerator;
  if (denominator) *denominator = mLastTransport.timeSigDenominator;
}

void IPlugVST3::GetTransportInfo(TransportInfo* info) {
  if (!info) return;
  const ProcessContext& t = mLastTransport;
  info->mTempo = t.tempo;
  info->mSamplePos = static_cast<double>(t.projectTimeSamples);
  info->mPPQPos = t.projectTimeMusic;
  info->mLastBar = t.barPositionMusic;
  info->mCycleStart = t.cycleStartMusic;
  info->mCycleEnd = t.cycleEndMusic;
  info->mNumerator = t.timeSigNumerator;
  info->mDenominator = t.timeSigDenominator;
  info->mTransportIsRunning = (t.state & ProcessContext::kPlaying) != 0;
  info->mTransportLoopEnabled = (t.state & ProcessContext::kCycleActive) != 0;
}

void IPlugVST3::ResizeEditor(int width, int height) {
  IPlugVST3ViewBase* view = GetView(0);
  if (!GetGUI() || !view || !view->getFrame()) return;
  view->SetExpectingSize(true);
  ViewRect size{0, 0, width, height};
  view->getFrame()->resizeView(view, &size);
}

void IPlugVST3::SetLatencySamples(int samples) {
  IPlugBase::SetLatencySamples(samples);
  if (IComponentHandler* handler = getComponentHandler()) handler->restartComponent(kLatencyChanged);
}
