#pragma once
// The base of every effect-parameters object the host talks to: it owns the host parameters,
// the packet dispatcher, the host proxies of one instance and the change counter, and serves
// the default state chunk 'elck' with every parameter's value. Subclasses add their
// parameters in BuildParameters and override the slots they serve themselves; an override
// runs its body through AAX_GuardSlot so that no exception reaches the host.

#include <cstdint>
#include <set>
#include <string>

#include "iplug/aax/AAX_CChunkDataParser.h"
#include "iplug/aax/AAX_IEffectParameters.h"
#include "iplug/aax/AAX_ParameterManager.h"
#include "iplug/aax/AAX_VProxies.h"

// 'elck'
constexpr AAX_CTypeID kAAXDefaultChunkId = 0x656C636Bu;
constexpr const char* kAAXDefaultChunkName = "Complete Controls State";
constexpr const char* kAAXMasterBypassId = "MasterBypassID";
constexpr const char* kAAXPreviewId = "PreviewID";
// 'ASPv'
constexpr AAX_CTypeID kAAXNotificationPreview = 0x41535076u;

class AAX_CEffectParameters : public AAX_IEffectParameters {
 public:
  AAX_CEffectParameters();

  ACFRESULT ACF_CALLTYPE QueryInterface(const acfIID& iid, void** out) override;
  uint32_t ACF_CALLTYPE AddRef() override;
  uint32_t ACF_CALLTYPE Release() override;

  // A second start first stops the running instance, so nothing of it leaks or doubles.
  AAX_Result ACF_CALLTYPE StartInstance(IACFUnknown* hostContext) override;
  AAX_Result ACF_CALLTYPE StopInstance() override;
  AAX_Result ACF_CALLTYPE HandleNotification(AAX_CTypeID type, const void* data,
                                             uint32_t size) override;
  AAX_Result ACF_CALLTYPE CountParameters(int32_t* count) const override;
  AAX_Result ACF_CALLTYPE QueryBypassIdentifier(AAX_IString* id) const override;
  AAX_Result ACF_CALLTYPE QueryAutomatable(const char* id, bool* out) const override;
  AAX_Result ACF_CALLTYPE QueryStepCount(const char* id, int32_t* out) const override;
  AAX_Result ACF_CALLTYPE QueryName(const char* id, AAX_IString* out) const override;
  AAX_Result ACF_CALLTYPE QueryShortName(const char* id, AAX_IString* out,
                                         int32_t maxChars) const override;
  AAX_Result ACF_CALLTYPE QueryDefaultNormalized(const char* id, double* out) const override;
  AAX_Result ACF_CALLTYPE ChangeDefaultNormalized(const char* id, double value) override;
  AAX_Result ACF_CALLTYPE QueryParamType(const char* id, int32_t* out) const override;
  AAX_Result ACF_CALLTYPE QueryOrientation(const char* id, int32_t* out) const override;
  AAX_Result ACF_CALLTYPE LookUpParameter(const char* id, AAX_IParameter** out) const override;
  AAX_Result ACF_CALLTYPE LookUpIndex(const char* id, int32_t* out) const override;
  AAX_Result ACF_CALLTYPE LookUpIdentifier(int32_t index, AAX_IString* out) const override;
  AAX_Result ACF_CALLTYPE Reserved19(const char* id, int32_t selector,
                                     int32_t* out) const override;
  AAX_Result ACF_CALLTYPE TextToNormalized(const char* id, double* out,
                                           const AAX_IString* text) const override;
  AAX_Result ACF_CALLTYPE NormalizedToText(const char* id, double normalized, AAX_IString* out,
                                           int32_t maxChars) const override;
  AAX_Result ACF_CALLTYPE QueryValueText(const char* id, AAX_IString* out,
                                         int32_t maxChars) const override;
  AAX_Result ACF_CALLTYPE QueryNormalized(const char* id, double* out) const override;
  AAX_Result ACF_CALLTYPE PostNormalized(const char* id, double value) override;
  AAX_Result ACF_CALLTYPE PostNormalizedDelta(const char* id, double delta) override;
  AAX_Result ACF_CALLTYPE BeginGesture(const char* id) override;
  AAX_Result ACF_CALLTYPE EndGesture(const char* id) override;
  AAX_Result ACF_CALLTYPE Reserved28(const void* a, const void* b) override;
  AAX_Result ACF_CALLTYPE ApplyHostValue(const char* id, double value, int32_t source) override;
  AAX_Result ACF_CALLTYPE ApplyHostDelta(const char* id, double delta) override;
  AAX_Result ACF_CALLTYPE DispatchPackets() override;
  AAX_Result ACF_CALLTYPE GetInstanceField(int32_t fieldIndex, void* out,
                                           uint32_t size) const override;
  AAX_Result ACF_CALLTYPE CountChunks(int32_t* count) const override;
  AAX_Result ACF_CALLTYPE ChunkIdAt(int32_t index, AAX_CTypeID* id) const override;
  AAX_Result ACF_CALLTYPE MeasureChunk(AAX_CTypeID id, uint32_t* size) override;
  AAX_Result ACF_CALLTYPE WriteChunk(AAX_CTypeID id, AAX_SPlugInChunk* chunk) override;
  AAX_Result ACF_CALLTYPE ReadChunk(AAX_CTypeID id, const AAX_SPlugInChunk* chunk) override;
  AAX_Result ACF_CALLTYPE CompareChunk(const AAX_SPlugInChunk* chunk, bool* equal) override;
  AAX_Result ACF_CALLTYPE CountChanges(int32_t* count) const override;
  AAX_Result ACF_CALLTYPE Reserved40() override;
  AAX_Result ACF_CALLTYPE Reserved41(const void* a, const void* b, const void* c,
                                     const void* d) override;
  AAX_Result ACF_CALLTYPE Reserved42(const void* a, const void* b, const void* c,
                                     int32_t* out) override;
  AAX_Result ACF_CALLTYPE Reserved43(const void* a, const void* b, const void* c) override;
  AAX_Result ACF_CALLTYPE Reserved44() override;
  AAX_Result ACF_CALLTYPE Reserved45(const void* a) override;
  AAX_Result ACF_CALLTYPE Reserved46(const void* a, const void* b) override;
  AAX_Result ACF_CALLTYPE Reserved47(const void* a, const void* b) override;
  AAX_Result BuildParameters() override;

  // Parameters go before the proxies they call into, also when the host never stopped us.
  ~AAX_CEffectParameters() override;
  ACFRESULT InnerQueryInterface(const acfIID& iid, void** out) override;

  AAX_VController* ControllerProxy() const { return mController; }
  AAX_VTransport* TransportProxy() const { return mTransport; }
  AAX_VAutomationDelegate* AutomationProxy() const { return mAutomation; }
  ParameterManager& Parameters() { return mParameterManager; }
  const ParameterManager& Parameters() const { return mParameterManager; }
  PacketDispatcher& Packets() { return mPacketDispatcher; }
  // Tells the host that the state changed. After the largest count it starts again at 0, so a
  // long automated session neither overflows nor stops reporting changes.
  void IncrementChangeCount() { mChangeCount = mChangeCount == INT32_MAX ? 0 : mChangeCount + 1; }
  int32_t DefaultChunkParameterCount() const { return mDefaultChunkParameterCount; }

  // Where refusals caused by a host breaking the interface's rules are reported (operation,
  // what the host did); null, the default, reports nothing, as a shipped module should. The
  // plug-in object can point it at the framework's trace hook.
  static void (*sHostMisbehaviour)(const char* operation, const char* what);

 protected:
  static AAX_Result Refuse(const char* operation, const char* what, AAX_Result result);
  static AAX_Result RefuseNull(const char* operation) {
    return Refuse(operation, "null pointer", AAX_ERROR_NULL_OBJECT);
  }
  static AAX_Result RefuseNoString(const char* operation) {
    return Refuse(operation, "no out string", AAX_ERROR_INVALID_STRING_CONVERSION);
  }

 private:
  void StopAndRelease() noexcept;
  bool IsExcluded(const AAX_IParameter& parameter) const;
  void BuildDefaultChunk();
  void ReadParameterFromChunk(AAX_IParameter& parameter);
  bool ChunkMatchesParameter(AAX_IParameter& parameter);

  int32_t mChangeCount = 0;
  int32_t mLastDefaultChunkSize = 0;
  AAX_CChunkDataParser mChunkParser;
  int32_t mDefaultChunkParameterCount = 0;
  PacketDispatcher mPacketDispatcher;
  ParameterManager mParameterManager;
  std::set<std::string, std::less<>> mExcludedIds;
  AAX_VController* mController = nullptr;
  AAX_VTransport* mTransport = nullptr;
  AAX_VAutomationDelegate* mAutomation = nullptr;
};
