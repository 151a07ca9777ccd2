#pragma once
// The module entry of an AAX plug-in: the library entry, which keeps the module's instance
// handle, and the seven exports through which the host starts the module, has it describe
// itself, and asks whether it may be unloaded.
//
// Built as the object library corvane_aaxentry, which corvane_aax_module() links into a
// module, so that the exports are always present. The module supplies DescribePlugIn. On x86
// the exports are stdcall and keep the names the linker decorates (ACFStartup@4, ...).

#include <cstdint>

#include "iplug/aax/AAX_VRegistration.h"

#if defined(_WIN32)
#define AAX_EXPORT __declspec(dllexport)
#else
#define AAX_EXPORT __attribute__((visibility("default")))
#endif

// Supplied by the module: describes its effects into the collection; 0 on success. Called once
// per registration.
AAX_Result DescribePlugIn(AAX_ICollection& collection);

// What an export answers when an exception leaves its body.
constexpr ACFRESULT ACF_E_UNEXPECTED = static_cast<ACFRESULT>(0x8000FFFFu);
// ACFGetSDKVersion: high word 0x00000201, low word 0x007756BF.
constexpr uint64_t AAX_SDK_VERSION = 0x00000201007756BFull;

extern "C" {
AAX_EXPORT ACFRESULT ACF_CALLTYPE ACFStartup(IACFUnknown* host);
AAX_EXPORT ACFRESULT ACF_CALLTYPE ACFShutdown(IACFUnknown* host);
AAX_EXPORT ACFRESULT ACF_CALLTYPE ACFRegisterPlugin(IACFUnknown* host, IACFUnknown** definition);
AAX_EXPORT ACFRESULT ACF_CALLTYPE ACFRegisterComponent(IACFUnknown* host, uint32_t index,
                                                       IACFUnknown** component);
AAX_EXPORT ACFRESULT ACF_CALLTYPE ACFGetClassFactory(IACFUnknown* host, const acfIID& classId,
                                                     const acfIID& iid, void** factory);
AAX_EXPORT ACFRESULT ACF_CALLTYPE ACFCanUnloadNow(IACFUnknown* host);
AAX_EXPORT ACFRESULT ACF_CALLTYPE ACFGetSDKVersion(uint64_t* version);
}

// The module's instance handle (an HINSTANCE), kept by the library entry on every call; null
// outside Windows.
void* AAX_GetModuleInstance();
