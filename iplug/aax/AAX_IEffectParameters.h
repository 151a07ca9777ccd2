#pragma once
// The effect-parameters interface as the host calls it: operations 0 to 47 in the host's slot
// order (our own declarations, no virtual destructor, the ACF calling convention), and the
// module-side interface that joins it to reference counting and adds the parameter-building
// hook at slot 48.

#include <cstdint>
#include <type_traits>

#include "iplug/aax/AAX_CChunkDataParser.h"
#include "iplug/aax/AAX_HostInterfaces.h"

class AAX_IParameter;
class AAX_IString;

typedef uint32_t AAX_CTypeID;

// {964E333D-334C-533F-C2C7-3834C3C23E3E}
extern const acfIID IID_IAAXEffectParameters;
// {F1F47D06-308F-4CC5-9C7C-50A83F8AB813}
extern const acfIID IID_IAAXEffectParametersV2;

constexpr AAX_Result AAX_ERROR_INVALID_PARAMETER_ID = -20001;
constexpr AAX_Result AAX_ERROR_INVALID_STRING_CONVERSION = -20002;
constexpr AAX_Result AAX_ERROR_INVALID_CHUNK_INDEX = -20006;
constexpr AAX_Result AAX_ERROR_INVALID_CHUNK_ID = -20007;
constexpr AAX_Result AAX_ERROR_INCORRECT_CHUNK_SIZE = -20008;
constexpr AAX_Result AAX_ERROR_NEGATIVE_STEP_COUNT = -20033;
// What the host gets instead of an exception.
constexpr AAX_Result AAX_RESULT_EXCEPTION = static_cast<AAX_Result>(0x8000FFFFu);

// Runs a slot's body so that no exception reaches the host.
template <typename Body>
AAX_Result AAX_GuardSlot(Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return AAX_RESULT_EXCEPTION;
  }
}

class AAX_IACFEffectParameters : public IACFUnknown {
 public:
  virtual AAX_Result ACF_CALLTYPE StartInstance(IACFUnknown* hostContext) = 0;            // 3
  virtual AAX_Result ACF_CALLTYPE StopInstance() = 0;                                     // 4
  virtual AAX_Result ACF_CALLTYPE HandleNotification(AAX_CTypeID type, const void* data,
                                                     uint32_t size) = 0;                  // 5
  virtual AAX_Result ACF_CALLTYPE CountParameters(int32_t* count) const = 0;              // 6
  virtual AAX_Result ACF_CALLTYPE QueryBypassIdentifier(AAX_IString* id) const = 0;       // 7
  virtual AAX_Result ACF_CALLTYPE QueryAutomatable(const char* id, bool* out) const = 0;  // 8
  virtual AAX_Result ACF_CALLTYPE QueryStepCount(const char* id, int32_t* out) const = 0;  // 9
  virtual AAX_Result ACF_CALLTYPE QueryName(const char* id, AAX_IString* out) const = 0;  // 10
  virtual AAX_Result ACF_CALLTYPE QueryShortName(const char* id, AAX_IString* out,
                                                 int32_t maxChars) const = 0;             // 11
  virtual AAX_Result ACF_CALLTYPE QueryDefaultNormalized(const char* id,
                                                         double* out) const = 0;          // 12
  virtual AAX_Result ACF_CALLTYPE ChangeDefaultNormalized(const char* id, double value) = 0;  // 13
  virtual AAX_Result ACF_CALLTYPE QueryParamType(const char* id, int32_t* out) const = 0;   // 14
  virtual AAX_Result ACF_CALLTYPE QueryOrientation(const char* id, int32_t* out) const = 0;  // 15
  virtual AAX_Result ACF_CALLTYPE LookUpParameter(const char* id,
                                                  AAX_IParameter** out) const = 0;        // 16
  virtual AAX_Result ACF_CALLTYPE LookUpIndex(const char* id, int32_t* out) const = 0;     // 17
  virtual AAX_Result ACF_CALLTYPE LookUpIdentifier(int32_t index, AAX_IString* out) const = 0;  // 18
  virtual AAX_Result ACF_CALLTYPE Reserved19(const char* id, int32_t selector,
                                             int32_t* out) const = 0;                     // 19
  virtual AAX_Result ACF_CALLTYPE TextToNormalized(const char* id, double* out,
                                                   const AAX_IString* text) const = 0;    // 20
  virtual AAX_Result ACF_CALLTYPE NormalizedToText(const char* id, double normalized,
                                                   AAX_IString* out,
                                                   int32_t maxChars) const = 0;           // 21
  virtual AAX_Result ACF_CALLTYPE QueryValueText(const char* id, AAX_IString* out,
                                                 int32_t maxChars) const = 0;             // 22
  virtual AAX_Result ACF_CALLTYPE QueryNormalized(const char* id, double* out) const = 0;  // 23
  virtual AAX_Result ACF_CALLTYPE PostNormalized(const char* id, double value) = 0;        // 24
  virtual AAX_Result ACF_CALLTYPE PostNormalizedDelta(const char* id, double delta) = 0;   // 25
  virtual AAX_Result ACF_CALLTYPE BeginGesture(const char* id) = 0;                       // 26
  virtual AAX_Result ACF_CALLTYPE EndGesture(const char* id) = 0;                         // 27
  virtual AAX_Result ACF_CALLTYPE Reserved28(const void* a, const void* b) = 0;           // 28
  virtual AAX_Result ACF_CALLTYPE ApplyHostValue(const char* id, double value,
                                                 int32_t source) = 0;                     // 29
  virtual AAX_Result ACF_CALLTYPE ApplyHostDelta(const char* id, double delta) = 0;       // 30
  virtual AAX_Result ACF_CALLTYPE DispatchPackets() = 0;                                  // 31
  virtual AAX_Result ACF_CALLTYPE GetInstanceField(int32_t fieldIndex, void* out,
                                                   uint32_t size) const = 0;              // 32
  virtual AAX_Result ACF_CALLTYPE CountChunks(int32_t* count) const = 0;                  // 33
  virtual AAX_Result ACF_CALLTYPE ChunkIdAt(int32_t index, AAX_CTypeID* id) const = 0;    // 34
  virtual AAX_Result ACF_CALLTYPE MeasureChunk(AAX_CTypeID id, uint32_t* size) = 0;       // 35
  virtual AAX_Result ACF_CALLTYPE WriteChunk(AAX_CTypeID id, AAX_SPlugInChunk* chunk) = 0;  // 36
  virtual AAX_Result ACF_CALLTYPE ReadChunk(AAX_CTypeID id, const AAX_SPlugInChunk* chunk) = 0;  // 37
  virtual AAX_Result ACF_CALLTYPE CompareChunk(const AAX_SPlugInChunk* chunk, bool* equal) = 0;  // 38
  virtual AAX_Result ACF_CALLTYPE CountChanges(int32_t* count) const = 0;                 // 39

 protected:
  ~AAX_IACFEffectParameters() = default;
};

// The later interface: eight operations the host may call, none of which this module serves.
class AAX_IACFEffectParameters_V2 : public AAX_IACFEffectParameters {
 public:
  virtual AAX_Result ACF_CALLTYPE Reserved40() = 0;
  virtual AAX_Result ACF_CALLTYPE Reserved41(const void* a, const void* b, const void* c,
                                             const void* d) = 0;
  virtual AAX_Result ACF_CALLTYPE Reserved42(const void* a, const void* b, const void* c,
                                             int32_t* out) = 0;
  virtual AAX_Result ACF_CALLTYPE Reserved43(const void* a, const void* b, const void* c) = 0;
  virtual AAX_Result ACF_CALLTYPE Reserved44() = 0;
  virtual AAX_Result ACF_CALLTYPE Reserved45(const void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE Reserved46(const void* a, const void* b) = 0;
  virtual AAX_Result ACF_CALLTYPE Reserved47(const void* a, const void* b) = 0;

 protected:
  ~AAX_IACFEffectParameters_V2() = default;
};

// The host-facing table comes first in the object; reference counting second. Slot 48 is the
// module's own hook, called only from StartInstance.
class AAX_IEffectParameters : public AAX_IACFEffectParameters_V2, public CACFUnknown {
 public:
  virtual AAX_Result BuildParameters() = 0;  // 48
};

// What a host sees: a bare table pointer, and no destructor entry in the table.
static_assert(sizeof(AAX_IACFEffectParameters_V2) == sizeof(void*), "interface is a table only");
static_assert(!std::has_virtual_destructor_v<AAX_IACFEffectParameters_V2>,
              "a virtual destructor would shift the host's slots");
static_assert(!std::has_virtual_destructor_v<IACFUnknown>, "IACFUnknown has no destructor slot");
static_assert(sizeof(bool) == 1, "host booleans are one byte");
