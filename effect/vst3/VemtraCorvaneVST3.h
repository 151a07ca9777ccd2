#pragma once
// The VST3 module of the effect: the factory that GetPluginFactory hands to hosts, with its one
// class, and the create function behind it. The library entry, InitDll and ExitDll come from the
// layer's module entry (vst3_module_entry.h), which calls InitModule and DeinitModule here.
//
// Every entry catches what the effect's code may throw: a host sees a null factory or object,
// never an exception.

#include "iplug/vst3/layer/vst3.h"
#include "iplug/vst3/layer/vst3_module_entry.h"

namespace VemtraCorvaneVST3 {

// The class id: 0D E7 AE F2 4E 4F DE 00, then the maker code 'VmTr' and the product code 'Crvn'
// as little-endian 32-bit integers ("rTmVnvrC").
extern const Steinberg::TUID kClassId;

constexpr const char* kVendor = "Vemtra";
constexpr const char* kVendorUrl = "https://www.vemtra.com";
constexpr const char* kVendorEmail = "support@vemtra.com";
constexpr const char* kClassName = "VemtraCorvane";
constexpr const char* kSubCategories = "Fx|Tools";
constexpr const char* kClassVersion = "2.0.8";

}  // namespace VemtraCorvaneVST3

// A new VemtraCorvane (the context is ignored) as its IAudioProcessor, carrying one reference;
// null when none could be made. Constructions from several threads are serialised.
Steinberg::FUnknown* CreateVST3PlugObject(void* context);

// The module's factory: made on the first call and kept; every further call while it lives adds
// a reference to it. Null only when the factory cannot be made.
extern "C" CORVANE_VST3_EXPORT Steinberg::IPluginFactory* CORVANE_VST3_CALL GetPluginFactory();
