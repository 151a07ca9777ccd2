// The AAX plug-in object: construction, the host parameters built from the framework's, the
// parameter bridge in both directions, and the framework's requests to the host (latency,
// editor size, state changes).

#include "iplug/aax/IPlugAAX.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>

#include "iplug/aax/AAX_CEffectGUI.h"
#include "iplug/aax/AAX_CParameter.h"
#include "iplug/aax/AAX_DisplayDelegates.h"
#include "iplug/aax/AAX_Tapers.h"
#include "iplug/aax/AAX_VProxies.h"
#include "iplug/core/IPlugEditor.h"

namespace {

constexpr int kIdentifierLength = 32;
constexpr uint32_t kContinuousSteps = 128;
constexpr int32_t kParamTypeBypass = 0;
constexpr int32_t kParamTypeContinuous = 1;

// The framework index named by a host identifier: its leading decimal digits, minus one; -1
// for a text without digits (the bypass parameter's empty identifier among them).
int FrameworkIndexOf(const char* id) {
  if (!id || !std::isdigit(static_cast<unsigned char>(id[0]))) return -1;
  long long number = 0;
  for (const char* c = id; std::isdigit(static_cast<unsigned char>(*c)) && number <= INT_MAX; ++c) {
    number = number * 10 + (*c - '0');
  }
  return number > INT_MAX ? -1 : static_cast<int>(number) - 1;
}

// A range the tapers can map: the maximum above the minimum, a positive finite shape.
struct TaperRange {
  double min, max, shape;
};

TaperRange RangeOf(const IPlugParameter& param) {
  TaperRange r{param.GetMin(), param.GetMax(), param.GetShape()};
  if (!std::isfinite(r.min)) r.min = 0.0;
  if (!(r.max > r.min) || !std::isfinite(r.max)) r.max = r.min + 1.0;
  if (!(r.shape > 0.0) || !std::isfinite(r.shape)) r.shape = 1.0;
  return r;
}

int32_t ToInt32(double value) {
  if (!(value > INT_MIN)) return INT_MIN;
  return value < INT_MAX ? static_cast<int32_t>(value) : INT_MAX;
}

// The instances alive in this module, by the interface the host hands around: a GUI object
// reaches its plug-in only through an interface found here.
struct LiveInstances {
  std::mutex lock;
  std::set<const AAX_IACFEffectParameters_V2*> interfaces;
};

LiveInstances& Instances() {
  static LiveInstances* instances = new LiveInstances;  // outlives every static instance
  return *instances;
}

// What the effect-parameters base refuses because a host broke the rules goes where the
// framework's own reports go.
void TraceHostMisbehaviour(const char* operation, const char* what) {
  IPlugBase::TraceCall(operation, "host misbehaving: %s", what);
}

}  // namespace

IPlugAAX* AAX_PlugOfEffectParameters(AAX_IACFEffectParameters_V2* parameters) {
  if (!parameters) return nullptr;
  LiveInstances& live = Instances();
  std::lock_guard<std::mutex> guard(live.lock);
  if (!live.interfaces.count(parameters)) return nullptr;
  return static_cast<IPlugAAX*>(parameters);
}

IACFUnknown* AAX_CreateParametersInstance(IPlugAAX* (*create)()) {
  try {
    static PlugMutex creationLock;
    PlugLock guard(&creationLock);
    IPlugAAX* plug = create ? create() : nullptr;
    return plug ? static_cast<AAX_IACFEffectParameters_V2*>(plug) : nullptr;
  } catch (...) {
    return nullptr;
  }
}

// ---- Effect-parameters object -----------------------------------------------------------------

AAX_Result ACF_CALLTYPE AAX_CIPlugParameters::GetInstanceField(int32_t fieldIndex, void* out,
                                                               uint32_t size) const {
  if (fieldIndex != static_cast<int32_t>(kAaxFieldInstance)) {
    return AAX_CEffectParameters::GetInstanceField(fieldIndex, out, size);
  }
  if (!out) return AAX_ERROR_NULL_OBJECT;
  if (size < sizeof(void*)) {
    // A truncated pointer would send the render callback anywhere.
    IPlugBase::TraceCall("AAX_CIPlugParameters::GetInstanceField",
                         "host misbehaving: %u bytes for the instance pointer", size);
    std::memset(out, 0, size);
    return AAX_ERROR_NULL_OBJECT;
  }
  std::memset(out, 0, size);
  const AAX_CIPlugParameters* self = this;
  std::memcpy(out, &self, sizeof(self));
  return 0;
}

// ---- Construction -----------------------------------------------------------------------------

IPlugAAX::IPlugAAX(void* /*instanceInfo*/, int nParams, const char* channelIOString, int nPresets,
                   const char* effectName, const char* productName, const char* makerName,
                   int version, int uniqueId, int makerId, int latency, bool midiIn,
                   bool stateChunks, bool instrument, int sideChainChannels)
    : IPlugBase(nParams, channelIOString, nPresets, effectName, productName, makerName, version,
                uniqueId, makerId, latency, midiIn, stateChunks, instrument, kApiAAX),
      mSideChainChannels(sideChainChannels > 0 ? sideChainChannels : 0) {
  TraceCall("IPlugAAX::IPlugAAX");
  sHostMisbehaviour = &TraceHostMisbehaviour;
  MarkInputsConnected(0, NInChannels(), true);
  MarkOutputsConnected(0, NOutChannels(), true);
  CreateLatencyDelay();  // only with inputs
  // Sized once for the largest block: the host tells no block size ahead of its blocks, and the
  // render must not allocate.
  SetMaxBlockSize(kMaxBlockSize);
  SetHost("ProTools", version);
  LiveInstances& live = Instances();
  std::lock_guard<std::mutex> guard(live.lock);
  live.interfaces.insert(this);
}

IPlugAAX::~IPlugAAX() {
  LiveInstances& live = Instances();
  std::lock_guard<std::mutex> guard(live.lock);
  live.interfaces.erase(this);
}

// ---- Instance start and stop ------------------------------------------------------------------

AAX_Result ACF_CALLTYPE IPlugAAX::StartInstance(IACFUnknown* hostContext) {
  return AAX_GuardSlot([&] {
    PlugLock lock(GetMutex());
    mBypassParameter = nullptr;  // the base's restart deletes the parameters
    mTransport = nullptr;
    return AAX_CIPlugParameters::StartInstance(hostContext);
  });
}

AAX_Result ACF_CALLTYPE IPlugAAX::StopInstance() {
  return AAX_GuardSlot([&] {
    PlugLock lock(GetMutex());
    mBypassParameter = nullptr;
    mTransport = nullptr;
    return AAX_CIPlugParameters::StopInstance();
  });
}

// ---- Host parameters --------------------------------------------------------------------------

AAX_IParameter* IPlugAAX::MakeHostParameter(const IPlugParameter& param, const char* id) const {
  const AAX_CString name(param.GetName());
  const AAX_CString label(param.GetLabelText());
  const TaperRange range = RangeOf(param);
  AAX_IParameter* host = nullptr;
  uint32_t steps = kContinuousSteps;
  switch (param.Kind()) {
    case kParamInteger: {
      const AAX_CLinearTaperDelegate<int32_t, 0> taper(ToInt32(range.min),
                                                       ToInt32(range.min) < ToInt32(range.max)
                                                           ? ToInt32(range.max)
                                                           : ToInt32(range.min) + 1);
      const AAX_CUnitDisplayDelegateDecorator<int32_t> display(
          AAX_CNumberDisplayDelegate<int32_t, 2, 0>(), label);
      host = new AAX_CParameter<int32_t>(id, name, ToInt32(param.GetDefault()), taper, display,
                                         param.GetAutomatable());
      break;
    }
    case kParamBoolean:
    case kParamEnumeration:
      steps = static_cast<uint32_t>(param.CountDisplayTexts() > 0 ? param.CountDisplayTexts() : 0);
      [[fallthrough]];
    case kParamNumber: {
      const AAX_CIPlugTaperDelegate<double> taper(range.min, range.max, range.shape);
      const AAX_CUnitDisplayDelegateDecorator<double> display(
          AAX_CNumberDisplayDelegate<double, 2, 0>(), label);
      host = new AAX_CParameter<double>(id, name, param.GetDefault(), taper, display,
                                        param.GetAutomatable());
      break;
    }
    default:
      return nullptr;
  }
  host->SetStepCount(steps);
  host->SetParamType(kParamTypeContinuous);
  return host;
}

AAX_Result IPlugAAX::BuildHostParameters() {
  AAX_CString bypassId;
  QueryBypassIdentifier(&bypassId);
  auto bypass = std::make_unique<AAX_CParameter<bool>>(
      bypassId.Get(), AAX_CString(kBypassName), false, AAX_CBinaryTaperDelegate<bool>(),
      AAX_CBinaryDisplayDelegate<bool>("bypass", "on"), true);
  bypass->SetStepCount(2);
  bypass->SetParamType(kParamTypeBypass);
  AAX_CParameter<bool>* bypassParameter = bypass.get();
  if (Parameters().AddParameter(bypass.release())) mBypassParameter = bypassParameter;

  mParamIds.DeleteAll();
  for (int i = 0; i < NParams(); ++i) {
    auto id = std::make_unique<PlugString>();
    id->Format(kIdentifierLength, "%i", i + 1);
    if (!mParamIds.Add(id.get())) return AAX_ERROR_NULL_OBJECT;
    PlugString* kept = id.release();
    Parameters().AddParameter(MakeHostParameter(*GetParam(i), kept->Get()));
  }

  // As every other adapter starts a plug-in: the host is there, and the reactions of every
  // parameter have set the processing up from the parameters' values (preset 0).
  HostReady();
  if (!RecallPreset(0)) NotifyAllParamsChanged(kSourceRecall);

  // A host that cannot tell its rate, or tells one the framework does not run at, leaves the
  // last one in place.
  float rate = 0.f;
  AAX_VController* controller = ControllerProxy();
  const bool told = controller && controller->GetSampleRate(&rate) == 0;
  if (!told || !IsSupportedSampleRate(rate) || !SetSampleRate(rate)) {
    TraceCall("IPlugAAX::BuildHostParameters", "host misbehaving: sample rate %g", rate);
  }
  ResetProcessing();
  return 0;
}

const char* IPlugAAX::HostParameterId(int index) const {
  const PlugString* id = mParamIds.Get(index);
  return id ? id->Get() : "";
}

AAX_Result ACF_CALLTYPE IPlugAAX::ApplyHostValue(const char* id, double value, int32_t /*source*/) {
  return AAX_GuardSlot([&] { return ApplyHostParameterValue(id, value); });
}

AAX_Result IPlugAAX::ApplyHostParameterValue(const char* id, double normalized) {
  AAX_IParameter* parameter = Parameters().FindParameter(id);
  if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
  parameter->ApplyNormalized(normalized);

  const int index = FrameworkIndexOf(id);
  if (index >= 0 && index < NParams()) {
    PlugLock lock(GetMutex());
    GetParam(index)->SetFromNormalized(normalized);
    if (IPlugEditor* editor = GetGUI()) editor->UpdateControlsOfParam(index, normalized, true);
    ParamValueChanged(index, kSourceHost);
  }
  const AAX_Result result = Packets().SetDirty(id);
  IncrementChangeCount();
  return result;
}

// ---- Requests of the framework to the host ----------------------------------------------------

// An index outside the framework parameters names no host parameter; the empty text would
// name the master bypass.
void IPlugAAX::BeginInformHostOfParamChange(int index) {
  if (mParamIds.Get(index)) BeginGesture(HostParameterId(index));
}

void IPlugAAX::InformHostOfParamChange(int index, double normalized) {
  if (mParamIds.Get(index)) PostNormalized(HostParameterId(index), normalized);
}

void IPlugAAX::EndInformHostOfParamChange(int index) {
  if (mParamIds.Get(index)) EndGesture(HostParameterId(index));
}

void IPlugAAX::ResizeEditor(int width, int height) {
  IPlugEditor* editor = GetGUI();
  if (!editor || !mEditorViewContainer) return;
  float size[2] = {static_cast<float>(height), static_cast<float>(width)};  // vertical first
  mEditorViewContainer->SetViewSize(size);
  EditorResized(editor);
}

void IPlugAAX::SetLatencySamples(int samples) {
  if (AAX_VController* controller = ControllerProxy()) controller->SetLatency(samples);
  IPlugBase::SetLatencySamples(samples);
}
