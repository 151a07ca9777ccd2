#include "iplug/aax/AAX_VProxies.h"

#include "iplug/aax/AAX_CChunkDataParser.h"

#include <cstdarg>
#include <cstdio>
#include <new>

const acfIID IID_IACFComponentFactory = {
    0x382B6A96, 0x7FD0, 0x11D6, {0xBC, 0xFE, 0x00, 0x30, 0x65, 0x42, 0xA0, 0x24}};
const acfIID IID_HostController = {
    0x9D5E3E3D, 0x52DC, 0x5EFB, {0x20, 0x18, 0xDE, 0x1D, 0xE2, 0xE6, 0x3F, 0x4E}};
const acfIID IID_HostController2 = {
    0x4C59AA0E, 0xD7C0, 0x4205, {0x8B, 0x6C, 0x32, 0x46, 0x8D, 0x42, 0xD2, 0x02}};
const acfIID IID_HostAutomation = {
    0x9D5E3D3D, 0x42DC, 0x5EFA, {0x22, 0x17, 0xEE, 0xE2, 0xE8, 0xE5, 0x3E, 0x2E}};
const acfIID IID_HostTransport = {
    0x5CEE4EF4, 0x6337, 0x4359, {0xB6, 0x3B, 0xFE, 0x58, 0xDC, 0x36, 0x54, 0x3A}};
const acfIID IID_HostTransport2 = {
    0x203CBD9F, 0x982C, 0x4FE6, {0xA8, 0x27, 0x07, 0x48, 0x02, 0x57, 0xAE, 0xC3}};
const acfIID IID_HostViewContainer = {
    0x22DA0BBC, 0xD550, 0x4D5E, {0x8C, 0xC6, 0x73, 0x44, 0x83, 0xB8, 0x83, 0x7F}};
const acfIID CLSID_HostServices = {
    0x88882C2D, 0xEBBC, 0x42EF, {0xC0, 0xAB, 0x89, 0x81, 0xB0, 0xBD, 0x0C, 0xCA}};
const acfIID IID_HostServices = {
    0x96D42C2D, 0xEBBC, 0x41EF, {0xB0, 0xAB, 0x99, 0x91, 0xA0, 0xED, 0x0C, 0xCA}};

void AAX_CreateHostComponent(IACFUnknown* hostContext, const acfIID& classId,
                             const acfIID& iid, void** out) {
  if (!hostContext) return;
  void* factoryOut = nullptr;
  if (hostContext->QueryInterface(IID_IACFComponentFactory, &factoryOut) != ACF_OK) return;
  auto* factory = static_cast<IACFComponentFactory*>(factoryOut);
  if (!factory) throw AAX_HostError{AAX_ERROR_NULL_FACTORY};
  // A refusal never leaves a pointer behind that nobody holds a reference for.
  if (factory->CreateComponent(classId, nullptr, iid, out) != ACF_OK) *out = nullptr;
  factory->Release();
}

// ---- controller

AAX_VController::AAX_VController(IACFUnknown* hostContext)
    : mMain(AAX_QueryHost<IACFHostController>(hostContext, IID_HostController)),
      mSecond(AAX_QueryHost<IACFHostController2>(hostContext, IID_HostController2)) {}

AAX_VController::~AAX_VController() {
  AAX_ReleaseHost(mSecond);
  AAX_ReleaseHost(mMain);
}

AAX_Result AAX_VController::GetSampleRate(float* rate) const {
  return mMain ? mMain->GetSampleRate(rate) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VController::GetInputStem(uint32_t* stem) const {
  return mMain ? mMain->GetInputStem(stem) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VController::GetOutputStem(uint32_t* stem) const {
  return mMain ? mMain->GetOutputStem(stem) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VController::SetLatency(int32_t samples) {
  return mMain ? mMain->SetLatency(samples) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VController::PostPacket(uint32_t fieldIndex, const void* data, uint32_t byteSize) {
  return mMain ? mMain->PostPacket(fieldIndex, data, byteSize) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VController::GetValue64(int64_t* value) const {
  if (mSecond) return mSecond->Slot22(value);
  if (value) *value = 0;
  return AAX_ERROR_UNIMPLEMENTED;
}

// ---- automation delegate

AAX_VAutomationDelegate::AAX_VAutomationDelegate(IACFUnknown* hostContext)
    : mMain(AAX_QueryHost<IACFHostAutomation>(hostContext, IID_HostAutomation)) {}

AAX_VAutomationDelegate::~AAX_VAutomationDelegate() { AAX_ReleaseHost(mMain); }

AAX_Result AAX_VAutomationDelegate::AttachParameter(const char* id) {
  return mMain ? mMain->AttachParameter(id) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VAutomationDelegate::DetachParameter(const char* id) {
  return mMain ? mMain->DetachParameter(id) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VAutomationDelegate::RequestValue(const char* id, double normalized) {
  return mMain ? mMain->RequestValue(id, normalized) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VAutomationDelegate::ReportValue(const char* id, double normalized) {
  return mMain ? mMain->ReportValue(id, normalized) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VAutomationDelegate::TouchParameter(const char* id) {
  return mMain ? mMain->TouchParameter(id) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VAutomationDelegate::ReleaseParameter(const char* id) {
  return mMain ? mMain->ReleaseParameter(id) : AAX_ERROR_NULL_OBJECT;
}

// ---- transport

AAX_VTransport::AAX_VTransport(IACFUnknown* hostContext)
    : mMain(AAX_QueryHost<IACFHostTransport>(hostContext, IID_HostTransport)),
      mSecond(AAX_QueryHost<IACFHostTransport2>(hostContext, IID_HostTransport2)) {}

AAX_VTransport::~AAX_VTransport() {
  AAX_ReleaseHost(mSecond);
  AAX_ReleaseHost(mMain);
}

AAX_Result AAX_VTransport::GetTempo(double* bpm) const {
  return mMain ? mMain->GetTempo(bpm) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VTransport::GetMeter(int32_t* numerator, int32_t* denominator) const {
  return mMain ? mMain->GetMeter(numerator, denominator) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VTransport::IsPlaying(bool* playing) const {
  return mMain ? mMain->IsPlaying(playing) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VTransport::GetTickPosition(int64_t* ticks) const {
  return mMain ? mMain->GetTickPosition(ticks) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VTransport::GetLoop(bool* looping, int64_t* startTick, int64_t* endTick) const {
  return mMain ? mMain->GetLoop(looping, startTick, endTick) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VTransport::GetSamplePosition(int64_t* samples) const {
  return mMain ? mMain->GetSamplePosition(samples) : AAX_ERROR_NULL_OBJECT;
}

// ---- view container

AAX_VViewContainer::AAX_VViewContainer(IACFUnknown* viewContainer)
    : mMain(AAX_QueryHost<IACFHostViewContainer>(viewContainer, IID_HostViewContainer)) {}

void* AAX_VViewContainer::GetNativeView() const {
  return mMain ? mMain->GetNativeView() : nullptr;
}
AAX_Result AAX_VViewContainer::SetViewSize(float* size) {
  return mMain ? mMain->SetViewSize(size) : 0;
}

// ---- host services and trace

AAX_VHostServices::AAX_VHostServices(IACFUnknown* hostContext) {
  void* out = nullptr;
  AAX_CreateHostComponent(hostContext, CLSID_HostServices, IID_HostServices, &out);
  mMain = static_cast<IACFHostServices*>(out);
}

AAX_VHostServices::~AAX_VHostServices() { AAX_ReleaseHost(mMain); }

AAX_Result AAX_VHostServices::Trace(int32_t priority, const char* text) {
  return mMain ? mMain->Trace(priority, text) : AAX_ERROR_NULL_OBJECT;
}

AAX_VHostServices* sHostServices = nullptr;

void SetHostServices(IACFUnknown* hostContext) {
  AAX_CChunkDataParser::sTrace = &AAX_Trace;
  if (hostContext && !sHostServices) {
    sHostServices = new (std::nothrow) AAX_VHostServices(hostContext);
  } else if (!hostContext && sHostServices) {
    delete sHostServices;
    sHostServices = nullptr;
  }
}

int32_t AAX_Trace(int32_t priority, const char* format, ...) {
  if (!sHostServices) return 0;
  char text[512];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(text, sizeof text, format ? format : "", args);
  va_end(args);
  if (n < 0) text[0] = '\0';
  return sHostServices->Trace(priority, text);
}
