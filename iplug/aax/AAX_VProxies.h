#pragma once
// Proxies for the host's interfaces. Each holds the host interfaces it forwards to (null when
// the host did not supply one) and answers with a fixed result when an interface is missing:
// -20004 for a missing interface, -20009 for a missing later-version interface.

#include <cstdint>

#include "iplug/aax/AAX_HostInterfaces.h"

constexpr AAX_Result AAX_ERROR_NULL_OBJECT = -20004;
constexpr AAX_Result AAX_ERROR_UNIMPLEMENTED = -20009;

// Raised when the host answers the component factory query with success but no factory.
constexpr int32_t AAX_ERROR_NULL_FACTORY = static_cast<int32_t>(0x80000005u);
struct AAX_HostError {
  int32_t result;
};

extern const acfIID IID_IACFComponentFactory;
extern const acfIID IID_HostController;
extern const acfIID IID_HostController2;
extern const acfIID IID_HostAutomation;
extern const acfIID IID_HostTransport;
extern const acfIID IID_HostTransport2;
extern const acfIID IID_HostViewContainer;
extern const acfIID CLSID_HostServices;
extern const acfIID IID_HostServices;

class AAX_IController {
 public:
  virtual ~AAX_IController() = default;
  virtual AAX_Result GetSampleRate(float* rate) const = 0;
  virtual AAX_Result GetInputStem(uint32_t* stem) const = 0;
  virtual AAX_Result GetOutputStem(uint32_t* stem) const = 0;
  virtual AAX_Result SetLatency(int32_t samples) = 0;
  virtual AAX_Result PostPacket(uint32_t fieldIndex, const void* data, uint32_t byteSize) = 0;
  // The later interface's 64-bit value; zero when the host lacks that interface.
  virtual AAX_Result GetValue64(int64_t* value) const = 0;
};

class AAX_VController : public AAX_IController {
 public:
  explicit AAX_VController(IACFUnknown* hostContext);
  ~AAX_VController() override;
  AAX_VController(const AAX_VController&) = delete;
  AAX_VController& operator=(const AAX_VController&) = delete;

  AAX_Result GetSampleRate(float* rate) const override;
  AAX_Result GetInputStem(uint32_t* stem) const override;
  AAX_Result GetOutputStem(uint32_t* stem) const override;
  AAX_Result SetLatency(int32_t samples) override;
  AAX_Result PostPacket(uint32_t fieldIndex, const void* data, uint32_t byteSize) override;
  AAX_Result GetValue64(int64_t* value) const override;

 private:
  IACFHostController* mMain = nullptr;
  IACFHostController2* mSecond = nullptr;
};

class AAX_IAutomationDelegate {
 public:
  virtual ~AAX_IAutomationDelegate() = default;
  virtual AAX_Result AttachParameter(const char* id) = 0;
  virtual AAX_Result DetachParameter(const char* id) = 0;
  virtual AAX_Result RequestValue(const char* id, double normalized) = 0;
  virtual AAX_Result ReportValue(const char* id, double normalized) = 0;
  virtual AAX_Result TouchParameter(const char* id) = 0;
  virtual AAX_Result ReleaseParameter(const char* id) = 0;
};

class AAX_VAutomationDelegate : public AAX_IAutomationDelegate {
 public:
  explicit AAX_VAutomationDelegate(IACFUnknown* hostContext);
  ~AAX_VAutomationDelegate() override;
  AAX_VAutomationDelegate(const AAX_VAutomationDelegate&) = delete;
  AAX_VAutomationDelegate& operator=(const AAX_VAutomationDelegate&) = delete;

  AAX_Result AttachParameter(const char* id) override;
  AAX_Result DetachParameter(const char* id) override;
  AAX_Result RequestValue(const char* id, double normalized) override;
  AAX_Result ReportValue(const char* id, double normalized) override;
  AAX_Result TouchParameter(const char* id) override;
  AAX_Result ReleaseParameter(const char* id) override;

 private:
  IACFHostAutomation* mMain = nullptr;
};

class AAX_ITransport {
 public:
  virtual ~AAX_ITransport() = default;
  virtual AAX_Result GetTempo(double* bpm) const = 0;
  virtual AAX_Result GetMeter(int32_t* numerator, int32_t* denominator) const = 0;
  virtual AAX_Result IsPlaying(bool* playing) const = 0;
  virtual AAX_Result GetTickPosition(int64_t* ticks) const = 0;  // 960000 per quarter note
  virtual AAX_Result GetLoop(bool* looping, int64_t* startTick, int64_t* endTick) const = 0;
  virtual AAX_Result GetSamplePosition(int64_t* samples) const = 0;
};

class AAX_VTransport : public AAX_ITransport {
 public:
  explicit AAX_VTransport(IACFUnknown* hostContext);
  ~AAX_VTransport() override;
  AAX_VTransport(const AAX_VTransport&) = delete;
  AAX_VTransport& operator=(const AAX_VTransport&) = delete;

  AAX_Result GetTempo(double* bpm) const override;
  AAX_Result GetMeter(int32_t* numerator, int32_t* denominator) const override;
  AAX_Result IsPlaying(bool* playing) const override;
  AAX_Result GetTickPosition(int64_t* ticks) const override;
  AAX_Result GetLoop(bool* looping, int64_t* startTick, int64_t* endTick) const override;
  AAX_Result GetSamplePosition(int64_t* samples) const override;

 private:
  IACFHostTransport* mMain = nullptr;
  IACFHostTransport2* mSecond = nullptr;
};

class AAX_IViewContainer {
 public:
  virtual ~AAX_IViewContainer() = default;
  virtual void* GetNativeView() const = 0;
  virtual AAX_Result SetViewSize(float* size) = 0;  // {vertical, horizontal}
};

// The reference taken by the query is kept for the host's view container; the destructor
// releases nothing.
class AAX_VViewContainer : public AAX_IViewContainer {
 public:
  explicit AAX_VViewContainer(IACFUnknown* viewContainer);
  AAX_VViewContainer(const AAX_VViewContainer&) = delete;
  AAX_VViewContainer& operator=(const AAX_VViewContainer&) = delete;

  void* GetNativeView() const override;
  AAX_Result SetViewSize(float* size) override;

 private:
  IACFHostViewContainer* mMain = nullptr;
};

class AAX_IHostServices {
 public:
  virtual ~AAX_IHostServices() = default;
  virtual AAX_Result Trace(int32_t priority, const char* text) = 0;
};

class AAX_VHostServices : public AAX_IHostServices {
 public:
  // Throws AAX_HostError{AAX_ERROR_NULL_FACTORY} when the factory query succeeds without one.
  explicit AAX_VHostServices(IACFUnknown* hostContext);
  ~AAX_VHostServices() override;
  AAX_VHostServices(const AAX_VHostServices&) = delete;
  AAX_VHostServices& operator=(const AAX_VHostServices&) = delete;

  AAX_Result Trace(int32_t priority, const char* text) override;

 private:
  IACFHostServices* mMain = nullptr;
};

// The host interface iid of unknown, with the reference the query gave; null when unknown is
// null or the query fails.
template <typename T>
T* AAX_QueryHost(IACFUnknown* unknown, const acfIID& iid) {
  if (!unknown) return nullptr;
  void* out = nullptr;
  if (unknown->QueryInterface(iid, &out) != ACF_OK) return nullptr;
  return static_cast<T*>(out);
}

// Gives back the reference a proxy holds and forgets the interface.
template <typename T>
void AAX_ReleaseHost(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

// Creates the host component classId with interface iid through the host context's component
// factory into *out. A failed factory query leaves *out untouched; a refused creation leaves it
// null.
void AAX_CreateHostComponent(IACFUnknown* hostContext, const acfIID& classId,
                             const acfIID& iid, void** out);

// Process-wide host services, set between module startup and shutdown.
extern AAX_VHostServices* sHostServices;
void SetHostServices(IACFUnknown* hostContext);

// printf-style trace to the host, cut to 511 characters; 0 without host services.
int32_t AAX_Trace(int32_t priority, const char* format, ...);
