#pragma once
// The host-side interfaces the module calls through its proxies. Only their table layout is
// relied upon: operations 0-2 are IACFUnknown's, the own operations follow in slot order.
// Slots nothing in the module calls carry generic pointer arguments.

#include <cstdint>
#include <type_traits>

#include "iplug/aax/CACFUnknown.h"

// Host operation results are 32-bit AAX result codes (0 for success).
typedef int32_t AAX_Result;

// The host's component factory, asked for on a host context.
class IACFComponentFactory : public IACFUnknown {
 public:
  virtual ACFRESULT ACF_CALLTYPE CreateComponent(const acfIID& classId, IACFUnknown* outer,
                                                 const acfIID& iid, void** out) = 0;  // 3
 protected:
  ~IACFComponentFactory() = default;
};

class IACFHostController : public IACFUnknown {
 public:
  virtual AAX_Result ACF_CALLTYPE Slot3(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE GetSampleRate(float* rate) = 0;          // 4
  virtual AAX_Result ACF_CALLTYPE GetInputStem(uint32_t* stem) = 0;        // 5
  virtual AAX_Result ACF_CALLTYPE GetOutputStem(uint32_t* stem) = 0;       // 6
  virtual AAX_Result ACF_CALLTYPE Slot7(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot8(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot9(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE SetLatency(int32_t samples) = 0;         // 10
  virtual AAX_Result ACF_CALLTYPE Slot11(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE PostPacket(uint32_t fieldIndex, const void* data,
                                             uint32_t byteSize) = 0;       // 12
  virtual AAX_Result ACF_CALLTYPE Slot13(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot14(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot15(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot16(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot17(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot18(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot19(void* a) = 0;
 protected:
  ~IACFHostController() = default;
};

// The later controller interface: the first one's table followed by four more operations.
class IACFHostController2 : public IACFHostController {
 public:
  virtual AAX_Result ACF_CALLTYPE Slot20(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot21(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot22(int64_t* value) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot23(void* a) = 0;
 protected:
  ~IACFHostController2() = default;
};

class IACFHostAutomation : public IACFUnknown {
 public:
  virtual AAX_Result ACF_CALLTYPE AttachParameter(const char* id) = 0;               // 3
  virtual AAX_Result ACF_CALLTYPE DetachParameter(const char* id) = 0;               // 4
  virtual AAX_Result ACF_CALLTYPE RequestValue(const char* id, double normalized) = 0;  // 5
  virtual AAX_Result ACF_CALLTYPE ReportValue(const char* id, double normalized) = 0;   // 6
  virtual AAX_Result ACF_CALLTYPE TouchParameter(const char* id) = 0;                // 7
  virtual AAX_Result ACF_CALLTYPE ReleaseParameter(const char* id) = 0;              // 8
  virtual AAX_Result ACF_CALLTYPE Slot9(void* a, void* b) = 0;
 protected:
  ~IACFHostAutomation() = default;
};

class IACFHostTransport : public IACFUnknown {
 public:
  virtual AAX_Result ACF_CALLTYPE GetTempo(double* bpm) = 0;                          // 3
  virtual AAX_Result ACF_CALLTYPE GetMeter(int32_t* numerator, int32_t* denominator) = 0;  // 4
  virtual AAX_Result ACF_CALLTYPE IsPlaying(bool* playing) = 0;                       // 5
  virtual AAX_Result ACF_CALLTYPE GetTickPosition(int64_t* ticks) = 0;                // 6
  virtual AAX_Result ACF_CALLTYPE GetLoop(bool* looping, int64_t* startTick,
                                          int64_t* endTick) = 0;                      // 7
  virtual AAX_Result ACF_CALLTYPE GetSamplePosition(int64_t* samples) = 0;            // 8
  virtual AAX_Result ACF_CALLTYPE Slot9(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot10(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot11(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot12(void* a) = 0;
 protected:
  ~IACFHostTransport() = default;
};

class IACFHostTransport2 : public IACFHostTransport {
 public:
  virtual AAX_Result ACF_CALLTYPE Slot13(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot14(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot15(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot16(void* a) = 0;
 protected:
  ~IACFHostTransport2() = default;
};

class IACFHostViewContainer : public IACFUnknown {
 public:
  virtual int32_t ACF_CALLTYPE Slot3() = 0;
  virtual void* ACF_CALLTYPE GetNativeView() = 0;                  // 4
  virtual AAX_Result ACF_CALLTYPE Slot5(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE SetViewSize(float* size) = 0;    // 6: {vertical, horizontal}
  virtual AAX_Result ACF_CALLTYPE Slot7(void* a, void* b) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot8(void* a, void* b) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot9(void* a, void* b) = 0;
 protected:
  ~IACFHostViewContainer() = default;
};

class IACFHostServices : public IACFUnknown {
 public:
  virtual AAX_Result ACF_CALLTYPE Slot3(void* a, void* b, void* c) = 0;
  virtual AAX_Result ACF_CALLTYPE Trace(int32_t priority, const char* text) = 0;  // 4
 protected:
  ~IACFHostServices() = default;
};

// ---- registration: the collection, effect and component descriptors and property maps the
// module fills when the host asks it to describe itself. Procedures cross as plain addresses.

class IACFHostCollection : public IACFUnknown {
 public:
  virtual AAX_Result ACF_CALLTYPE Slot3() = 0;
  virtual AAX_Result ACF_CALLTYPE Slot4() = 0;
  virtual AAX_Result ACF_CALLTYPE Slot5() = 0;
  virtual AAX_Result ACF_CALLTYPE Slot6() = 0;
  virtual AAX_Result ACF_CALLTYPE AddEffect(const char* effectId, IACFUnknown* descriptor) = 0;  // 7
  virtual AAX_Result ACF_CALLTYPE SetManufacturerName(const char* name) = 0;                  // 8
  virtual AAX_Result ACF_CALLTYPE AddPackageName(const char* name) = 0;                       // 9
  virtual AAX_Result ACF_CALLTYPE SetPackageVersion(uint32_t version) = 0;                    // 10
  virtual AAX_Result ACF_CALLTYPE Slot11(IACFUnknown* propertyMap) = 0;
 protected:
  ~IACFHostCollection() = default;
};

class IACFHostEffectDescriptor : public IACFUnknown {
 public:
  virtual AAX_Result ACF_CALLTYPE AddComponent(IACFUnknown* component) = 0;          // 3
  virtual AAX_Result ACF_CALLTYPE AddName(const char* name) = 0;                     // 4
  virtual AAX_Result ACF_CALLTYPE AddDescriptorValue(uint32_t value) = 0;            // 5
  virtual AAX_Result ACF_CALLTYPE Slot6(void* a, void* b) = 0;
  virtual AAX_Result ACF_CALLTYPE AddProcedure(void* procedure, uint32_t id) = 0;    // 7
  virtual AAX_Result ACF_CALLTYPE Slot8(IACFUnknown* propertyMap) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot9(void* a, void* b) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot10(void* a, void* b, IACFUnknown* propertyMap) = 0;
 protected:
  ~IACFHostEffectDescriptor() = default;
};

class IACFHostEffectDescriptor2 : public IACFHostEffectDescriptor {
 public:
  virtual AAX_Result ACF_CALLTYPE Slot11(void* a, void* b, void* c, void* d) = 0;
 protected:
  ~IACFHostEffectDescriptor2() = default;
};

class IACFHostComponentDescriptor : public IACFUnknown {
 public:
  virtual AAX_Result ACF_CALLTYPE Slot3() = 0;
  virtual AAX_Result ACF_CALLTYPE Slot4(void* a, void* b) = 0;
  virtual AAX_Result ACF_CALLTYPE AddAudioIn(uint32_t field) = 0;                     // 5
  virtual AAX_Result ACF_CALLTYPE AddAudioOut(uint32_t field) = 0;                    // 6
  virtual AAX_Result ACF_CALLTYPE AddBufferLength(uint32_t field) = 0;                // 7
  virtual AAX_Result ACF_CALLTYPE Slot8(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE Slot9(void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE AddSideChainIn(uint32_t field) = 0;                 // 10
  virtual AAX_Result ACF_CALLTYPE Slot11(void* a, void* b, void* c) = 0;
  virtual AAX_Result ACF_CALLTYPE AddExtraOutputStem(uint32_t field, uint32_t stemFormat,
                                                     const char* name) = 0;           // 12
  virtual AAX_Result ACF_CALLTYPE AddPrivateData(uint32_t field, int32_t byteSize,
                                                 uint32_t options) = 0;               // 13
  virtual AAX_Result ACF_CALLTYPE Slot14(void* a, void* b) = 0;
  virtual AAX_Result ACF_CALLTYPE AddMidiNode(uint32_t field, int32_t nodeType, const char* name,
                                              uint32_t channelMask) = 0;              // 15
  virtual AAX_Result ACF_CALLTYPE AddProcessProcedure(void* callback, IACFUnknown* propertyMap,
                                                      void* a, void* b, void* c) = 0;  // 16
  virtual AAX_Result ACF_CALLTYPE Slot17(void* a, void* b, IACFUnknown* propertyMap, void* d,
                                         void* e, void* f) = 0;
  virtual AAX_Result ACF_CALLTYPE AddMeters(uint32_t field, const uint32_t* meterIds,
                                            uint32_t count) = 0;                      // 18
 protected:
  ~IACFHostComponentDescriptor() = default;
};

class IACFHostComponentDescriptor2 : public IACFHostComponentDescriptor {
 public:
  virtual AAX_Result ACF_CALLTYPE Slot19(void* a, void* b) = 0;
 protected:
  ~IACFHostComponentDescriptor2() = default;
};

class IACFHostPropertyMap : public IACFUnknown {
 public:
  virtual bool ACF_CALLTYPE GetProperty(uint32_t id, int32_t* value) = 0;   // 3
  virtual AAX_Result ACF_CALLTYPE AddProperty(uint32_t id, int32_t value) = 0;  // 4
  virtual AAX_Result ACF_CALLTYPE Slot5(void* a) = 0;
 protected:
  ~IACFHostPropertyMap() = default;
};

class IACFHostPropertyMap2 : public IACFHostPropertyMap {
 public:
  virtual AAX_Result ACF_CALLTYPE Slot6(void* a, void* b, void* c) = 0;
  virtual bool ACF_CALLTYPE Slot7(void* a, void* b, void* c) = 0;
 protected:
  ~IACFHostPropertyMap2() = default;
};

// What a host object is to us: one table pointer and nothing else, and no virtual destructor
// (GCC would give it two slots where the host's compiler gives it one, moving every later slot).
#define AAX_HOST_INTERFACE_SHAPE(I)                                                  \
  static_assert(sizeof(I) == sizeof(void*), #I " is a bare table pointer");         \
  static_assert(!std::has_virtual_destructor<I>::value, #I " has no virtual destructor")
AAX_HOST_INTERFACE_SHAPE(IACFComponentFactory);
AAX_HOST_INTERFACE_SHAPE(IACFHostController2);
AAX_HOST_INTERFACE_SHAPE(IACFHostAutomation);
AAX_HOST_INTERFACE_SHAPE(IACFHostTransport2);
AAX_HOST_INTERFACE_SHAPE(IACFHostViewContainer);
AAX_HOST_INTERFACE_SHAPE(IACFHostServices);
AAX_HOST_INTERFACE_SHAPE(IACFHostCollection);
AAX_HOST_INTERFACE_SHAPE(IACFHostEffectDescriptor2);
AAX_HOST_INTERFACE_SHAPE(IACFHostComponentDescriptor2);
AAX_HOST_INTERFACE_SHAPE(IACFHostPropertyMap2);
#undef AAX_HOST_INTERFACE_SHAPE
