// Entry points of a VST3 module besides GetPluginFactory: the library entry (which keeps the
// module's instance handle) and the exports InitDll / ExitDll, which forward every call to the
// module's hooks InitModule / DeinitModule.
//
// Built as the object library corvane_vst3entry, which corvane_vst3_module() links into a
// module, so that the entry points are always present. The module defines the two hooks and
// its GetPluginFactory:
//   extern "C" CORVANE_VST3_EXPORT Steinberg::IPluginFactory* CORVANE_VST3_CALL GetPluginFactory ();
#pragma once

#include "vst3_types.h"

// Supplied by the module: called by every InitDll / ExitDll; the result is passed on.
bool InitModule();
bool DeinitModule();

extern "C" {
CORVANE_VST3_EXPORT bool InitDll();
CORVANE_VST3_EXPORT bool ExitDll();
}

namespace Steinberg {

// The module's instance handle (an HINSTANCE on Windows), kept by the library entry when the
// module is loaded, so it is known even to a host that never calls InitDll. Null elsewhere.
void* getModuleHandle();

}  // namespace Steinberg
