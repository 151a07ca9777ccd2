// A probe AAX module: a small description that reaches every registration operation a
// description uses, with values chosen to be told apart, and one procedure that makes a
// reference-counted object, so that a host can see the module's live count move.
//
// On Windows it is the module aax_probe.aaxplugin; natively it is linked into the test.
#include "iplug/aax/AAX_Exports.h"
#include "probe_description.h"

namespace {

// What procedure 0 makes: an object the host holds through its IACFUnknown.
class ProbeObject : public IACFUnknown, public CACFUnknown {
 public:
  ACFRESULT ACF_CALLTYPE QueryInterface(const acfIID& iid, void** out) override {
    return OuterUnknown()->QueryInterface(iid, out);
  }
  uint32_t ACF_CALLTYPE AddRef() override { return OuterUnknown()->AddRef(); }
  uint32_t ACF_CALLTYPE Release() override { return OuterUnknown()->Release(); }
};

IACFUnknown* CreateProbeObject() { return new ProbeObject; }

void RenderProbe(void* const*, void* const*) {}

AAX_Result DescribeComponent(AAX_IEffectDescriptor& effect) {
  AAX_IComponentDescriptor* component = effect.NewComponentDescriptor();
  if (!component) return AAX_ERROR_NULL_OBJECT;
  AAX_FirstFailure result;
  result += component->AddAudioIn(probe::kAudioInField);
  result += component->AddAudioOut(probe::kAudioOutField);
  result += component->AddSideChainIn(probe::kSideChainField);
  result += component->AddBufferLength(probe::kBufferLengthField);
  result += component->AddMidiNode(probe::kTransportField, probe::kTransportNodeType,
                                   probe::kTransportName, probe::kTransportMask);
  result += component->AddMeters(probe::kMetersField, probe::kMeterIds, 2);
  result += component->AddExtraOutputStem(probe::kAudioOutField, probe::kExtraStem,
                                          probe::kExtraName);
  result += component->AddPrivateData(probe::kInstanceField, sizeof(void*), probe::kOptions);
  AAX_IPropertyMap* properties = component->NewPropertyMap();
  if (!properties) return AAX_ERROR_NULL_OBJECT;
  for (const auto& property : probe::kProperties)
    result += properties->AddProperty(property.id, property.value);
  // The host is given a copy: only properties 10 to 351 survive it.
  result += component->AddProcessProcedure(AAX_ProcAddress(&RenderProbe),
                                           component->DuplicatePropertyMap(properties), nullptr,
                                           nullptr, nullptr);
  result += effect.AddComponent(component);
  return result.result;
}

}  // namespace

// What the library entry kept, for the host to compare with the module it loaded.
extern "C" AAX_EXPORT void* ProbeModuleInstance() { return AAX_GetModuleInstance(); }

AAX_Result DescribePlugIn(AAX_ICollection& collection) {
  AAX_IEffectDescriptor* effect = collection.NewDescriptor();
  if (!effect) return AAX_ERROR_NULL_OBJECT;
  AAX_Trace(probe::kTracePriority, "%s describes itself", probe::kEffectName);
  AAX_FirstFailure result;
  result += effect->AddName(probe::kEffectName);
  collection.AddPackageName(probe::kEffectName);
  result += effect->AddDescriptorValue(probe::kDescriptorValue);
  result += DescribeComponent(*effect);
  result += effect->AddProcedure(AAX_ProcAddress(&CreateProbeObject), probe::kCreateProcedure);
  if (result.result == 0) result += collection.AddEffect(probe::kEffectId, effect);
  collection.SetManufacturerName(probe::kMaker);
  collection.SetPackageVersion(probe::kPackageVersion);
  return result.result;
}
