// Registration proxies: each forwards to a fixed operation of its host object, answers -20004
// (-20009 for a later-version interface) when that object is missing, and owns the children
// it makes.

#include "iplug/aax/AAX_VRegistration.h"

#include <new>

const acfIID CLSID_HostCollection = {
    0x89882C2D, 0x77BC, 0x42EF, {0x70, 0x7B, 0x79, 0x81, 0xB7, 0xBD, 0x0C, 0xCA}};
const acfIID IID_HostCollection = {
    0x96D42C2D, 0xEBBC, 0x41DF, {0xB1, 0xAB, 0x99, 0x91, 0xA2, 0xEE, 0x0C, 0xCA}};
const acfIID CLSID_HostEffectDescriptor = {
    0x89872C2D, 0x75BC, 0x423F, {0x40, 0x1B, 0xF9, 0xA1, 0xBA, 0xAD, 0x0C, 0xCA}};
const acfIID IID_HostEffectDescriptor = {
    0x96D42C2D, 0xEBBC, 0x41EF, {0xD1, 0xCB, 0x49, 0x94, 0x42, 0xE4, 0x0F, 0xDA}};
const acfIID IID_HostEffectDescriptor2 = {
    0x41ECCC52, 0x416B, 0x4072, {0x84, 0xBD, 0x40, 0xB0, 0x52, 0x10, 0xA7, 0x4C}};
const acfIID CLSID_HostComponentDescriptor = {
    0x94872C3D, 0x95BC, 0x413D, {0xD0, 0xDB, 0xD9, 0xB1, 0x2A, 0xAD, 0x0C, 0xCA}};
const acfIID IID_HostComponentDescriptor = {
    0x96E42C2D, 0xE2BC, 0x51EF, {0x61, 0xC7, 0x48, 0x99, 0x4A, 0xEB, 0x0C, 0xDA}};
const acfIID IID_HostComponentDescriptor2 = {
    0x1895259E, 0xAAA9, 0x4F0F, {0xA9, 0x85, 0x14, 0x98, 0x37, 0xB7, 0x6F, 0x89}};
const acfIID CLSID_HostPropertyMap = {
    0xA587AD3D, 0xD53C, 0x4ADC, {0xD0, 0xDD, 0xD9, 0xD1, 0x2D, 0xDD, 0xDC, 0xDA}};
const acfIID IID_HostPropertyMap = {
    0x96EE2C2D, 0xEECC, 0x5EFF, {0xE2, 0xD7, 0xE8, 0x49, 0xE3, 0xE2, 0xEE, 0xEE}};
const acfIID IID_HostPropertyMap2 = {
    0x7177DF80, 0x7C9C, 0x11E2, {0xB9, 0x2A, 0x08, 0x00, 0x20, 0x0C, 0x9A, 0x66}};
const acfIID IID_HostPluginDefinition = {
    0x00EEF015, 0x7FD0, 0x11D6, {0x84, 0x85, 0x00, 0x30, 0x65, 0x42, 0xA0, 0x24}};

namespace {

template <typename T>
T* CreateHost(IACFUnknown* hostContext, const acfIID& classId, const acfIID& iid) {
  void* out = nullptr;
  AAX_CreateHostComponent(hostContext, classId, iid, &out);
  return static_cast<T*>(out);
}

// A child proxy on the host context, kept in its owner's list; null when memory runs out. The
// error a host raises while the child is made still reaches the export that is running.
template <typename T>
T* MakeChild(std::vector<std::unique_ptr<T>>& list, IACFUnknown* hostContext) {
  try {
    list.reserve(list.size() + 1);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  T* child = new (std::nothrow) T(hostContext);
  if (child) list.emplace_back(child);
  return child;
}

IACFUnknown* Keep(IACFUnknown* hostContext) {
  if (hostContext) hostContext->AddRef();
  return hostContext;
}

IACFUnknown* HostObjectOf(const AAX_IPropertyMap* map) { return map ? map->GetIUnknown() : nullptr; }

}  // namespace

// ---- property map

AAX_VPropertyMap::AAX_VPropertyMap(IACFUnknown* hostContext)
    : mMain(CreateHost<IACFHostPropertyMap>(hostContext, CLSID_HostPropertyMap, IID_HostPropertyMap)),
      mSecond(AAX_QueryHost<IACFHostPropertyMap2>(mMain, IID_HostPropertyMap2)) {}

AAX_VPropertyMap::~AAX_VPropertyMap() {
  AAX_ReleaseHost(mSecond);
  AAX_ReleaseHost(mMain);
}

bool AAX_VPropertyMap::GetProperty(uint32_t id, int32_t* value) const {
  return mMain ? mMain->GetProperty(id, value) : false;
}
AAX_Result AAX_VPropertyMap::AddProperty(uint32_t id, int32_t value) {
  return mMain ? mMain->AddProperty(id, value) : AAX_ERROR_NULL_OBJECT;
}
IACFUnknown* AAX_VPropertyMap::GetIUnknown() const { return mMain; }

// ---- component descriptor

AAX_VComponentDescriptor::AAX_VComponentDescriptor(IACFUnknown* hostContext)
    : mMain(CreateHost<IACFHostComponentDescriptor>(hostContext, CLSID_HostComponentDescriptor,
                                                    IID_HostComponentDescriptor)),
      mSecond(AAX_QueryHost<IACFHostComponentDescriptor2>(mMain, IID_HostComponentDescriptor2)) {
  // Taken last: a host error while creating leaves nothing to give back.
  mHostContext = Keep(hostContext);
}

AAX_VComponentDescriptor::~AAX_VComponentDescriptor() {
  mPropertyMaps.clear();
  AAX_ReleaseHost(mSecond);
  AAX_ReleaseHost(mMain);
  AAX_ReleaseHost(mHostContext);
}

AAX_Result AAX_VComponentDescriptor::AddAudioIn(uint32_t field) {
  return mMain ? mMain->AddAudioIn(field) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VComponentDescriptor::AddAudioOut(uint32_t field) {
  return mMain ? mMain->AddAudioOut(field) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VComponentDescriptor::AddBufferLength(uint32_t field) {
  return mMain ? mMain->AddBufferLength(field) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VComponentDescriptor::AddSideChainIn(uint32_t field) {
  return mMain ? mMain->AddSideChainIn(field) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VComponentDescriptor::AddExtraOutputStem(uint32_t field, uint32_t stemFormat,
                                                        const char* name) {
  return mMain ? mMain->AddExtraOutputStem(field, stemFormat, name) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VComponentDescriptor::AddPrivateData(uint32_t field, int32_t byteSize,
                                                    uint32_t options) {
  return mMain ? mMain->AddPrivateData(field, byteSize, options) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VComponentDescriptor::AddMeters(uint32_t field, const uint32_t* meterIds,
                                               uint32_t count) {
  return mMain ? mMain->AddMeters(field, meterIds, count) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VComponentDescriptor::AddMidiNode(uint32_t field, int32_t nodeType,
                                                 const char* name, uint32_t channelMask) {
  return mMain ? mMain->AddMidiNode(field, nodeType, name, channelMask) : AAX_ERROR_NULL_OBJECT;
}

AAX_IPropertyMap* AAX_VComponentDescriptor::NewPropertyMap() {
  return MakeChild(mPropertyMaps, mHostContext);
}

AAX_IPropertyMap* AAX_VComponentDescriptor::DuplicatePropertyMap(const AAX_IPropertyMap* source) {
  AAX_IPropertyMap* copy = NewPropertyMap();
  if (!copy || !source) return copy;
  for (uint32_t id = AAX_FIRST_COPIED_PROPERTY; id <= AAX_LAST_COPIED_PROPERTY; ++id) {
    int32_t value = 0;
    if (source->GetProperty(id, &value)) copy->AddProperty(id, value);
  }
  return copy;
}

AAX_Result AAX_VComponentDescriptor::AddProcessProcedure(void* callback,
                                                         AAX_IPropertyMap* properties, void* a,
                                                         void* b, void* c) {
  if (!mMain) return AAX_ERROR_NULL_OBJECT;
  return mMain->AddProcessProcedure(callback, HostObjectOf(properties), a, b, c);
}

IACFUnknown* AAX_VComponentDescriptor::GetIUnknown() const { return mMain; }

// ---- effect descriptor

AAX_VEffectDescriptor::AAX_VEffectDescriptor(IACFUnknown* hostContext)
    : mMain(CreateHost<IACFHostEffectDescriptor>(hostContext, CLSID_HostEffectDescriptor,
                                                 IID_HostEffectDescriptor)),
      mSecond(AAX_QueryHost<IACFHostEffectDescriptor2>(mMain, IID_HostEffectDescriptor2)) {
  mHostContext = Keep(hostContext);
}

AAX_VEffectDescriptor::~AAX_VEffectDescriptor() {
  mComponents.clear();
  mPropertyMaps.clear();
  AAX_ReleaseHost(mSecond);
  AAX_ReleaseHost(mMain);
  AAX_ReleaseHost(mHostContext);
}

AAX_IComponentDescriptor* AAX_VEffectDescriptor::NewComponentDescriptor() {
  return MakeChild(mComponents, mHostContext);
}

AAX_Result AAX_VEffectDescriptor::AddComponent(AAX_IComponentDescriptor* component) {
  if (!mMain) return AAX_ERROR_NULL_OBJECT;
  return mMain->AddComponent(component ? component->GetIUnknown() : nullptr);
}
AAX_Result AAX_VEffectDescriptor::AddName(const char* name) {
  return mMain ? mMain->AddName(name) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VEffectDescriptor::AddDescriptorValue(uint32_t value) {
  return mMain ? mMain->AddDescriptorValue(value) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VEffectDescriptor::AddProcedure(void* procedure, uint32_t id) {
  return mMain ? mMain->AddProcedure(procedure, id) : AAX_ERROR_NULL_OBJECT;
}
AAX_IPropertyMap* AAX_VEffectDescriptor::NewPropertyMap() {
  return MakeChild(mPropertyMaps, mHostContext);
}
IACFUnknown* AAX_VEffectDescriptor::GetIUnknown() const { return mMain; }

// ---- collection

AAX_VCollection::AAX_VCollection(IACFUnknown* hostContext)
    : mMain(CreateHost<IACFHostCollection>(hostContext, CLSID_HostCollection, IID_HostCollection)) {
  mHostContext = Keep(hostContext);
}

AAX_VCollection::~AAX_VCollection() {
  mDescriptors.clear();
  mPropertyMaps.clear();
  AAX_ReleaseHost(mMain);
  AAX_ReleaseHost(mHostContext);
}

AAX_IEffectDescriptor* AAX_VCollection::NewDescriptor() {
  return MakeChild(mDescriptors, mHostContext);
}

AAX_Result AAX_VCollection::AddEffect(const char* effectId, AAX_IEffectDescriptor* descriptor) {
  if (!mMain || !descriptor) return AAX_ERROR_NULL_OBJECT;
  return mMain->AddEffect(effectId, descriptor->GetIUnknown());
}
AAX_Result AAX_VCollection::SetManufacturerName(const char* name) {
  return mMain ? mMain->SetManufacturerName(name) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VCollection::AddPackageName(const char* name) {
  return mMain ? mMain->AddPackageName(name) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VCollection::SetPackageVersion(uint32_t version) {
  return mMain ? mMain->SetPackageVersion(version) : AAX_ERROR_NULL_OBJECT;
}
AAX_IPropertyMap* AAX_VCollection::NewPropertyMap() {
  return MakeChild(mPropertyMaps, mHostContext);
}
IACFUnknown* AAX_VCollection::GetIUnknown() const { return mMain; }
