// The effect-parameters base: instance start and stop, the per-parameter slots the host calls,
// gestures, host changes and the fixed answers of the slots this module does not serve.

#include "iplug/aax/AAX_CEffectParameters.h"

#include <cstring>
#include <new>
#include <string_view>
#include <vector>

#include "iplug/aax/AAX_IParameter.h"
#include "iplug/aax/AAX_VProxies.h"

const acfIID IID_IAAXEffectParameters = {
    0x964E333D, 0x334C, 0x533F, {0xC2, 0xC7, 0x38, 0x34, 0xC3, 0xC2, 0x3E, 0x3E}};
const acfIID IID_IAAXEffectParametersV2 = {
    0xF1F47D06, 0x308F, 0x4CC5, {0x9C, 0x7C, 0x50, 0xA8, 0x3F, 0x8A, 0xB8, 0x13}};

namespace {

constexpr uint32_t kMaxNameLength = 255;

// A host string gets at most what it says it can hold.
void SetHostText(AAX_IString* out, std::string_view text) {
  const size_t room = out->MaxLength();
  out->Set(std::string(text.substr(0, room < text.size() ? room : text.size())).c_str());
}

std::string_view ViewOf(const AAX_CString& text) { return {text.Get(), text.Length()}; }

// A host text is read no further than the length the host gives for it.
AAX_CString TextOfHost(const AAX_IString& text) {
  const char* chars = text.Get();
  if (!chars) return AAX_CString();
  return AAX_CString(std::string(chars, strnlen(chars, text.Length())).c_str());
}

double ClampUnit(double value, double fallback) {
  if (value != value) return fallback;  // a NaN delta leaves the value where it is
  return value < 0.0 ? 0.0 : (value > 1.0 ? 1.0 : value);
}

// The first longest line of the name that fits; else the name cut to the limit.
std::string_view ShortNameOf(std::string_view name, int32_t maxChars) {
  std::string_view best;
  bool found = false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('\n', start);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view line = name.substr(start, end - start);
    if (line.size() <= static_cast<size_t>(maxChars < 0 ? 0 : maxChars) &&
        (!found || line.size() > best.size())) {
      best = line;
      found = true;
    }
    start = end + 1;
  }
  if (found) return best;
  if (maxChars < 1) return {};
  return name.substr(0, static_cast<size_t>(maxChars));
}

// Runs body with the parameter named by id; an unknown identifier is -20001.
template <typename Body>
AAX_Result WithParameter(const ParameterManager& parameters, const char* id, Body&& body) {
  return AAX_GuardSlot([&]() -> AAX_Result {
    AAX_IParameter* parameter = parameters.FindParameter(id);
    if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
    return body(*parameter);
  });
}

}  // namespace

void (*AAX_CEffectParameters::sHostMisbehaviour)(const char*, const char*) = nullptr;

AAX_Result AAX_CEffectParameters::Refuse(const char* operation, const char* what,
                                         AAX_Result result) {
  if (sHostMisbehaviour) sHostMisbehaviour(operation, what);
  return result;
}

AAX_CEffectParameters::AAX_CEffectParameters() = default;

AAX_CEffectParameters::~AAX_CEffectParameters() { StopAndRelease(); }

ACFRESULT ACF_CALLTYPE AAX_CEffectParameters::QueryInterface(const acfIID& iid, void** out) {
  return OuterUnknown()->QueryInterface(iid, out);
}

uint32_t ACF_CALLTYPE AAX_CEffectParameters::AddRef() { return OuterUnknown()->AddRef(); }

uint32_t ACF_CALLTYPE AAX_CEffectParameters::Release() { return OuterUnknown()->Release(); }

ACFRESULT AAX_CEffectParameters::InnerQueryInterface(const acfIID& iid, void** out) {
  if (out && (iid == IID_IAAXEffectParameters || iid == IID_IAAXEffectParametersV2)) {
    AAX_IACFEffectParameters_V2* self = this;
    *out = self;
    self->AddRef();
    return ACF_OK;
  }
  return CACFUnknown::InnerQueryInterface(iid, out);
}

void AAX_CEffectParameters::StopAndRelease() noexcept {
  // The parameters detach themselves from the automation proxy, so it must still be there.
  mParameterManager.RemoveAll();
  mParameterManager.SetAutomationDelegate(nullptr);
  mPacketDispatcher.SetTargets(nullptr, nullptr);
  delete mController;
  delete mAutomation;
  delete mTransport;
  mController = nullptr;
  mAutomation = nullptr;
  mTransport = nullptr;
  mExcludedIds.clear();
  mDefaultChunkParameterCount = 0;
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::StartInstance(IACFUnknown* hostContext) {
  return AAX_GuardSlot([&] {
    StopAndRelease();
    mController = new (std::nothrow) AAX_VController(hostContext);
    mAutomation = new (std::nothrow) AAX_VAutomationDelegate(hostContext);
    mTransport = new (std::nothrow) AAX_VTransport(hostContext);
    mParameterManager.SetAutomationDelegate(mAutomation);
    mPacketDispatcher.SetTargets(mController, this);
    const AAX_Result built = BuildParameters();
    if (built != 0) return built;
    AAX_CString bypassId;
    QueryBypassIdentifier(&bypassId);
    mExcludedIds.insert(bypassId.Get());
    int32_t count = 0;
    for (int32_t i = 0; i < mParameterManager.Count(); ++i)
      if (!IsExcluded(*mParameterManager.ParameterAt(i))) ++count;
    mDefaultChunkParameterCount = count;
    return AAX_Result(0);
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::StopInstance() {
  StopAndRelease();
  return 0;
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::HandleNotification(AAX_CTypeID type,
                                                                  const void* data,
                                                                  uint32_t size) {
  return AAX_GuardSlot([&] {
    if (type != kAAXNotificationPreview || !data || size < sizeof(int32_t)) return AAX_Result(0);
    AAX_IParameter* preview = mParameterManager.FindParameter(kAAXPreviewId);
    if (!preview) return AAX_Result(0);
    int32_t on = 0;
    std::memcpy(&on, data, sizeof(on));
    preview->WriteBool(on != 0);
    return AAX_Result(0);
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::CountParameters(int32_t* count) const {
  if (!count) return RefuseNull("CountParameters");
  *count = mParameterManager.Count();
  return 0;
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::QueryBypassIdentifier(AAX_IString* id) const {
  return AAX_GuardSlot([&] {
    if (!id) return RefuseNoString("QueryBypassIdentifier");
    const bool present = mParameterManager.FindParameter(kAAXMasterBypassId) != nullptr;
    SetHostText(id, present ? kAAXMasterBypassId : "");
    return AAX_Result(0);
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::QueryAutomatable(const char* id, bool* out) const {
  if (!out) return RefuseNull("QueryAutomatable");
  *out = false;
  return WithParameter(mParameterManager, id, [&](AAX_IParameter& parameter) {
    *out = parameter.IsAutomatable();
    return AAX_Result(0);
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::QueryStepCount(const char* id, int32_t* out) const {
  if (!out) return RefuseNull("QueryStepCount");
  return WithParameter(mParameterManager, id, [&](AAX_IParameter& parameter) {
    *out = static_cast<int32_t>(parameter.GetStepCount());
    return *out < 0 ? AAX_ERROR_NEGATIVE_STEP_COUNT : AAX_Result(0);
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::QueryName(const char* id, AAX_IString* out) const {
  return AAX_GuardSlot([&] {
    if (!out) return RefuseNoString("QueryName");
    const AAX_IParameter* parameter = mParameterManager.FindParameter(id);
    SetHostText(out, parameter ? ViewOf(parameter->GetName()) : std::string_view());
    return AAX_Result(0);
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::QueryShortName(const char* id, AAX_IString* out,
                                                              int32_t maxChars) const {
  return AAX_GuardSlot([&] {
    if (!out) return RefuseNoString("QueryShortName");
    const AAX_IParameter* parameter = mParameterManager.FindParameter(id);
    if (!parameter) {
      SetHostText(out, "");
      return AAX_Result(0);
    }
    const AAX_CString& name = parameter->GetName();
    const std::string_view full(name.Get(), name.Length() < kMaxNameLength ? name.Length()
                                                                           : kMaxNameLength);
    SetHostText(out, ShortNameOf(full, maxChars));
    return AAX_Result(0);
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::QueryDefaultNormalized(const char* id,
                                                                      double* out) const {
  if (!out) return RefuseNull("QueryDefaultNormalized");
  return WithParameter(mParameterManager, id, [&](AAX_IParameter& parameter) {
    *out = parameter.GetNormalizedDefault();
    return AAX_Result(0);
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::ChangeDefaultNormalized(const char* id,
                                                                       double value) {
  return WithParameter(mParameterManager, id, [&](AAX_IParameter& parameter) {
    parameter.SetNormalizedDefault(value);
    return AAX_Result(0);
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::QueryParamType(const char* id, int32_t* out) const {
  if (!out) return RefuseNull("QueryParamType");
  return WithParameter(mParameterManager, id, [&](AAX_IParameter& parameter) {
    *out = parameter.GetParamType();
    return AAX_Result(0);
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::QueryOrientation(const char* id,
                                                                int32_t* out) const {
  if (!out) return RefuseNull("QueryOrientation");
  return WithParameter(mParameterManager, id, [&](AAX_IParameter& parameter) {
    *out = parameter.GetOrientation();
    return AAX_Result(0);
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::LookUpParameter(const char* id,
                                                               AAX_IParameter** out) const {
  if (!out) return RefuseNull("LookUpParameter");
  *out = mParameterManager.FindParameter(id);
  return *out ? 0 : AAX_ERROR_INVALID_PARAMETER_ID;
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::LookUpIndex(const char* id, int32_t* out) const {
  if (!out) return RefuseNull("LookUpIndex");
  *out = mParameterManager.IndexOf(id);
  return *out < 0 ? AAX_ERROR_INVALID_PARAMETER_ID : 0;
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::LookUpIdentifier(int32_t index,
                                                                AAX_IString* out) const {
  return AAX_GuardSlot([&] {
    if (!out) return RefuseNoString("LookUpIdentifier");
    const AAX_IParameter* parameter = mParameterManager.ParameterAt(index);
    SetHostText(out, parameter ? AAX_IdentifierView(parameter->GetIdentifier()) : "");
    return parameter ? AAX_Result(0) : AAX_ERROR_INVALID_PARAMETER_ID;
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::Reserved19(const char*, int32_t,
                                                          int32_t* out) const {
  if (out) *out = 0;
  return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::TextToNormalized(const char* id, double* out,
                                                                const AAX_IString* text) const {
  if (!out || !text) return RefuseNoString("TextToNormalized");
  return WithParameter(mParameterManager, id, [&](AAX_IParameter& parameter) {
    return parameter.NormalizedFromText(TextOfHost(*text), *out)
               ? AAX_Result(0)
               : AAX_ERROR_INVALID_STRING_CONVERSION;
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::NormalizedToText(const char* id, double normalized,
                                                                AAX_IString* out,
                                                                int32_t maxChars) const {
  if (!out) return RefuseNoString("NormalizedToText");
  return WithParameter(mParameterManager, id, [&](AAX_IParameter& parameter) {
    AAX_CString text;
    const bool converted = parameter.TextFromNormalized(normalized, maxChars, text);
    SetHostText(out, ViewOf(text));
    return converted ? AAX_Result(0) : AAX_ERROR_INVALID_STRING_CONVERSION;
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::QueryValueText(const char* id, AAX_IString* out,
                                                              int32_t maxChars) const {
  if (!out) return RefuseNoString("QueryValueText");
  return WithParameter(mParameterManager, id, [&](AAX_IParameter& parameter) {
    AAX_CString text;
    const bool converted = parameter.GetValueText(maxChars, text);
    SetHostText(out, ViewOf(text));
    return converted ? AAX_Result(0) : AAX_ERROR_INVALID_STRING_CONVERSION;
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::QueryNormalized(const char* id, double* out) const {
  if (!out) return RefuseNull("QueryNormalized");
  return WithParameter(mParameterManager, id, [&](AAX_IParameter& parameter) {
    *out = parameter.GetNormalized();
    return AAX_Result(0);
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::PostNormalized(const char* id, double value) {
  return WithParameter(mParameterManager, id, [&](AAX_IParameter& parameter) {
    parameter.SetNormalized(value);
    return AAX_Result(0);
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::PostNormalizedDelta(const char* id, double delta) {
  return AAX_GuardSlot([&] {
    double current = 0;
    const AAX_Result queried = QueryNormalized(id, &current);
    if (queried != 0) return queried;
    return PostNormalized(id, ClampUnit(current + delta, current));
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::BeginGesture(const char* id) {
  return WithParameter(mParameterManager, id, [&](AAX_IParameter& parameter) {
    parameter.BeginTouch();
    return AAX_Result(0);
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::EndGesture(const char* id) {
  return WithParameter(mParameterManager, id, [&](AAX_IParameter& parameter) {
    parameter.EndTouch();
    return AAX_Result(0);
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::Reserved28(const void*, const void*) { return 0; }

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::ApplyHostValue(const char* id, double value,
                                                              int32_t) {
  return WithParameter(mParameterManager, id, [&](AAX_IParameter& parameter) {
    parameter.ApplyNormalized(value);
    const AAX_Result dirty = mPacketDispatcher.SetDirty(id);
    IncrementChangeCount();
    return dirty;
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::ApplyHostDelta(const char* id, double delta) {
  return AAX_GuardSlot([&] {
    double current = 0;
    const AAX_Result queried = QueryNormalized(id, &current);
    if (queried != 0) return queried;
    return ApplyHostValue(id, ClampUnit(current + delta, current), 0);
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::DispatchPackets() {
  return AAX_GuardSlot([&] { return mPacketDispatcher.Dispatch(); });
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::GetInstanceField(int32_t, void* out,
                                                                uint32_t size) const {
  if (size && !out) return RefuseNull("GetInstanceField");
  if (size) std::memset(out, 0, size);
  return 0;
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::CountChunks(int32_t* count) const {
  if (!count) return RefuseNull("CountChunks");
  *count = 1;
  return 0;
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::ChunkIdAt(int32_t index, AAX_CTypeID* id) const {
  if (!id) return RefuseNull("ChunkIdAt");
  *id = index == 0 ? kAAXDefaultChunkId : 0;
  return index == 0 ? 0 : AAX_ERROR_INVALID_CHUNK_INDEX;
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::CountChanges(int32_t* count) const {
  if (!count) return RefuseNull("CountChanges");
  if (mChangeCount >= 0) *count = mChangeCount;
  return 0;
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::Reserved40() { return 0; }
AAX_Result ACF_CALLTYPE AAX_CEffectParameters::Reserved41(const void*, const void*, const void*,
                                                          const void*) {
  return AAX_ERROR_UNIMPLEMENTED;
}
AAX_Result ACF_CALLTYPE AAX_CEffectParameters::Reserved42(const void*, const void*, const void*,
                                                          int32_t* out) {
  if (out) *out = 0;
  return 0;
}
AAX_Result ACF_CALLTYPE AAX_CEffectParameters::Reserved43(const void*, const void*, const void*) {
  return 0;
}
AAX_Result ACF_CALLTYPE AAX_CEffectParameters::Reserved44() { return 0; }
AAX_Result ACF_CALLTYPE AAX_CEffectParameters::Reserved45(const void*) {
  return AAX_ERROR_UNIMPLEMENTED;
}
AAX_Result ACF_CALLTYPE AAX_CEffectParameters::Reserved46(const void*, const void*) { return 0; }
AAX_Result ACF_CALLTYPE AAX_CEffectParameters::Reserved47(const void*, const void*) { return 0; }

AAX_Result AAX_CEffectParameters::BuildParameters() { return 0; }
