#pragma once
// Proxies for the host objects the module fills while it describes itself: the plug-in
// collection, effect descriptors, component descriptors and property maps. Each is created
// through the host context's component factory; a proxy whose host object could not be made
// answers every operation with the fixed result for a missing interface. A proxy owns the child
// proxies it hands out and deletes them with itself, so a description never frees anything.

#include <cstdint>
#include <memory>
#include <vector>

#include "iplug/aax/AAX_VProxies.h"

extern const acfIID CLSID_HostCollection;
extern const acfIID IID_HostCollection;
extern const acfIID CLSID_HostEffectDescriptor;
extern const acfIID IID_HostEffectDescriptor;
extern const acfIID IID_HostEffectDescriptor2;
extern const acfIID CLSID_HostComponentDescriptor;
extern const acfIID IID_HostComponentDescriptor;
extern const acfIID IID_HostComponentDescriptor2;
extern const acfIID CLSID_HostPropertyMap;
extern const acfIID IID_HostPropertyMap;
extern const acfIID IID_HostPropertyMap2;
// What registration hands back to the host: the collection's plug-in definition.
extern const acfIID IID_HostPluginDefinition;

// Property identifiers a duplicated map carries over.
constexpr uint32_t AAX_FIRST_COPIED_PROPERTY = 10;
constexpr uint32_t AAX_LAST_COPIED_PROPERTY = 351;

// A procedure as the host stores it: the plain address of a module function.
template <typename F>
void* AAX_ProcAddress(F* procedure) {
  return reinterpret_cast<void*>(procedure);
}

// The result of a run of host calls, as a description reports it: the first failing code.
// OR-ing the codes together would hand the host a code none of the calls gave.
struct AAX_FirstFailure {
  AAX_Result result = 0;
  AAX_FirstFailure& operator+=(AAX_Result next) {
    if (result == 0) result = next;
    return *this;
  }
};

class AAX_IPropertyMap {
 public:
  virtual ~AAX_IPropertyMap() = default;
  virtual bool GetProperty(uint32_t id, int32_t* value) const = 0;
  virtual AAX_Result AddProperty(uint32_t id, int32_t value) = 0;
  // The host object behind the map, handed to the host where an operation takes a map.
  virtual IACFUnknown* GetIUnknown() const = 0;
};

class AAX_VPropertyMap : public AAX_IPropertyMap {
 public:
  // Throws AAX_HostError{AAX_ERROR_NULL_FACTORY} when the factory query succeeds without one.
  explicit AAX_VPropertyMap(IACFUnknown* hostContext);
  ~AAX_VPropertyMap() override;
  AAX_VPropertyMap(const AAX_VPropertyMap&) = delete;
  AAX_VPropertyMap& operator=(const AAX_VPropertyMap&) = delete;

  bool GetProperty(uint32_t id, int32_t* value) const override;
  AAX_Result AddProperty(uint32_t id, int32_t value) override;
  IACFUnknown* GetIUnknown() const override;

 private:
  IACFHostPropertyMap* mMain = nullptr;
  IACFHostPropertyMap2* mSecond = nullptr;
};

class AAX_IComponentDescriptor {
 public:
  virtual ~AAX_IComponentDescriptor() = default;
  virtual AAX_Result AddAudioIn(uint32_t field) = 0;
  virtual AAX_Result AddAudioOut(uint32_t field) = 0;
  virtual AAX_Result AddBufferLength(uint32_t field) = 0;
  virtual AAX_Result AddSideChainIn(uint32_t field) = 0;
  virtual AAX_Result AddExtraOutputStem(uint32_t field, uint32_t stemFormat, const char* name) = 0;
  virtual AAX_Result AddPrivateData(uint32_t field, int32_t byteSize, uint32_t options) = 0;
  virtual AAX_Result AddMeters(uint32_t field, const uint32_t* meterIds, uint32_t count) = 0;
  virtual AAX_Result AddMidiNode(uint32_t field, int32_t nodeType, const char* name,
                                 uint32_t channelMask) = 0;
  // Made maps belong to the descriptor; null when memory runs out.
  virtual AAX_IPropertyMap* NewPropertyMap() = 0;
  virtual AAX_IPropertyMap* DuplicatePropertyMap(const AAX_IPropertyMap* source) = 0;
  // The three further values go to the host unchanged.
  virtual AAX_Result AddProcessProcedure(void* callback, AAX_IPropertyMap* properties, void* a,
                                         void* b, void* c) = 0;
  virtual IACFUnknown* GetIUnknown() const = 0;
};

class AAX_VComponentDescriptor : public AAX_IComponentDescriptor {
 public:
  explicit AAX_VComponentDescriptor(IACFUnknown* hostContext);
  ~AAX_VComponentDescriptor() override;
  AAX_VComponentDescriptor(const AAX_VComponentDescriptor&) = delete;
  AAX_VComponentDescriptor& operator=(const AAX_VComponentDescriptor&) = delete;

  AAX_Result AddAudioIn(uint32_t field) override;
  AAX_Result AddAudioOut(uint32_t field) override;
  AAX_Result AddBufferLength(uint32_t field) override;
  AAX_Result AddSideChainIn(uint32_t field) override;
  AAX_Result AddExtraOutputStem(uint32_t field, uint32_t stemFormat, const char* name) override;
  AAX_Result AddPrivateData(uint32_t field, int32_t byteSize, uint32_t options) override;
  AAX_Result AddMeters(uint32_t field, const uint32_t* meterIds, uint32_t count) override;
  AAX_Result AddMidiNode(uint32_t field, int32_t nodeType, const char* name,
                         uint32_t channelMask) override;
  AAX_IPropertyMap* NewPropertyMap() override;
  // Every property from 10 to 351 that the source has, in ascending order; a null source
  // gives an empty map.
  AAX_IPropertyMap* DuplicatePropertyMap(const AAX_IPropertyMap* source) override;
  AAX_Result AddProcessProcedure(void* callback, AAX_IPropertyMap* properties, void* a, void* b,
                                 void* c) override;
  IACFUnknown* GetIUnknown() const override;

 private:
  IACFUnknown* mHostContext = nullptr;
  IACFHostComponentDescriptor* mMain = nullptr;
  IACFHostComponentDescriptor2* mSecond = nullptr;
  std::vector<std::unique_ptr<AAX_VPropertyMap>> mPropertyMaps;
};

class AAX_IEffectDescriptor {
 public:
  virtual ~AAX_IEffectDescriptor() = default;
  // Made descriptors belong to the effect descriptor; null when memory runs out.
  virtual AAX_IComponentDescriptor* NewComponentDescriptor() = 0;
  virtual AAX_Result AddComponent(AAX_IComponentDescriptor* component) = 0;
  virtual AAX_Result AddName(const char* name) = 0;
  virtual AAX_Result AddDescriptorValue(uint32_t value) = 0;
  virtual AAX_Result AddProcedure(void* procedure, uint32_t id) = 0;
  virtual AAX_IPropertyMap* NewPropertyMap() = 0;
  virtual IACFUnknown* GetIUnknown() const = 0;
};

class AAX_VEffectDescriptor : public AAX_IEffectDescriptor {
 public:
  explicit AAX_VEffectDescriptor(IACFUnknown* hostContext);
  ~AAX_VEffectDescriptor() override;
  AAX_VEffectDescriptor(const AAX_VEffectDescriptor&) = delete;
  AAX_VEffectDescriptor& operator=(const AAX_VEffectDescriptor&) = delete;

  AAX_IComponentDescriptor* NewComponentDescriptor() override;
  AAX_Result AddComponent(AAX_IComponentDescriptor* component) override;
  AAX_Result AddName(const char* name) override;
  AAX_Result AddDescriptorValue(uint32_t value) override;
  AAX_Result AddProcedure(void* procedure, uint32_t id) override;
  AAX_IPropertyMap* NewPropertyMap() override;
  IACFUnknown* GetIUnknown() const override;

 private:
  IACFUnknown* mHostContext = nullptr;
  IACFHostEffectDescriptor* mMain = nullptr;
  IACFHostEffectDescriptor2* mSecond = nullptr;
  std::vector<std::unique_ptr<AAX_VComponentDescriptor>> mComponents;
  std::vector<std::unique_ptr<AAX_VPropertyMap>> mPropertyMaps;
};

class AAX_ICollection {
 public:
  virtual ~AAX_ICollection() = default;
  // Made descriptors belong to the collection; null when memory runs out.
  virtual AAX_IEffectDescriptor* NewDescriptor() = 0;
  // -20004 without calling the host when the descriptor is null.
  virtual AAX_Result AddEffect(const char* effectId, AAX_IEffectDescriptor* descriptor) = 0;
  virtual AAX_Result SetManufacturerName(const char* name) = 0;
  virtual AAX_Result AddPackageName(const char* name) = 0;
  virtual AAX_Result SetPackageVersion(uint32_t version) = 0;
  virtual AAX_IPropertyMap* NewPropertyMap() = 0;
  virtual IACFUnknown* GetIUnknown() const = 0;
};

class AAX_VCollection : public AAX_ICollection {
 public:
  explicit AAX_VCollection(IACFUnknown* hostContext);
  ~AAX_VCollection() override;
  AAX_VCollection(const AAX_VCollection&) = delete;
  AAX_VCollection& operator=(const AAX_VCollection&) = delete;

  AAX_IEffectDescriptor* NewDescriptor() override;
  AAX_Result AddEffect(const char* effectId, AAX_IEffectDescriptor* descriptor) override;
  AAX_Result SetManufacturerName(const char* name) override;
  AAX_Result AddPackageName(const char* name) override;
  AAX_Result SetPackageVersion(uint32_t version) override;
  AAX_IPropertyMap* NewPropertyMap() override;
  IACFUnknown* GetIUnknown() const override;

 private:
  IACFUnknown* mHostContext = nullptr;
  IACFHostCollection* mMain = nullptr;
  std::vector<std::unique_ptr<AAX_VEffectDescriptor>> mDescriptors;
  std::vector<std::unique_ptr<AAX_VPropertyMap>> mPropertyMaps;
};
