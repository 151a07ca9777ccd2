// The module entry of an AAX plug-in. Every export catches whatever its body throws (a host
// error raised by a proxy, memory running out) and answers 0x8000FFFF: nothing unwinds into
// the host.

#include "iplug/aax/AAX_Exports.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

void* sModuleInstance = nullptr;

// Hands the host the collection's plug-in definition; -20004 when there is nowhere to write
// it or the host's collection does not give one.
ACFRESULT HandOverDefinition(const AAX_VCollection& collection, IACFUnknown** definition) {
  if (!definition) return AAX_ERROR_NULL_OBJECT;
  *definition = nullptr;
  IACFUnknown* hostCollection = collection.GetIUnknown();
  void* out = nullptr;
  if (!hostCollection || hostCollection->QueryInterface(IID_HostPluginDefinition, &out) != ACF_OK)
    return AAX_ERROR_NULL_OBJECT;
  *definition = static_cast<IACFUnknown*>(out);
  return ACF_OK;
}

template <typename Body>
ACFRESULT Guarded(Body body) {
  try {
    return body();
  } catch (...) {
    return ACF_E_UNEXPECTED;
  }
}

}  // namespace

#if defined(_WIN32)
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
  sModuleInstance = instance;
  return TRUE;
}
#endif

void* AAX_GetModuleInstance() { return sModuleInstance; }

extern "C" {

ACFRESULT ACF_CALLTYPE ACFStartup(IACFUnknown* host) {
  return Guarded([&] {
    SetHostServices(host);
    return ACF_OK;
  });
}

ACFRESULT ACF_CALLTYPE ACFShutdown(IACFUnknown*) {
  return Guarded([] {
    SetHostServices(nullptr);
    return ACF_OK;
  });
}

ACFRESULT ACF_CALLTYPE ACFRegisterPlugin(IACFUnknown* host, IACFUnknown** definition) {
  return Guarded([&] {
    AAX_VCollection collection(host);
    const AAX_Result described = DescribePlugIn(collection);
    if (described != 0) return described;
    return HandOverDefinition(collection, definition);
  });
}

ACFRESULT ACF_CALLTYPE ACFRegisterComponent(IACFUnknown*, uint32_t, IACFUnknown** component) {
  if (component) *component = nullptr;
  return ACF_OK;
}

ACFRESULT ACF_CALLTYPE ACFGetClassFactory(IACFUnknown*, const acfIID&, const acfIID&,
                                          void** factory) {
  if (factory) *factory = nullptr;
  return AAX_ERROR_UNIMPLEMENTED;
}

ACFRESULT ACF_CALLTYPE ACFCanUnloadNow(IACFUnknown*) {
  return CACFUnknown::GetActiveObjectCount();
}

ACFRESULT ACF_CALLTYPE ACFGetSDKVersion(uint64_t* version) {
  if (!version) return AAX_ERROR_NULL_OBJECT;
  *version = AAX_SDK_VERSION;
  return ACF_OK;
}

}  // extern "C"
