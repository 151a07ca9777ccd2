#pragma once
// The AAX module of the effect: what it tells the host at registration (names, the two channel
// configurations with their type ids, maker, version) and the instance-creation procedures
// behind it. The seven exports and the library entry come from the binding's module entry
// (iplug/aax/AAX_Exports.h), which calls DescribePlugIn here.

#include <cstdint>

#include "iplug/aax/AAX_Exports.h"

class IPlugAAX;

namespace VemtraCorvaneAAX {

constexpr const char* kEffectNames = "VemtraCorvane\n";
constexpr const char* kMakerNames = "Vemtra\n";
constexpr const char* kEffectId = "com.Vemtra.aax.VemtraCorvane";
constexpr const char* kLocalMidiName = "VemtraCorvane Midi";
constexpr uint32_t kPackageVersion = 0x00020008;
constexpr uint32_t kDescriptorValue = 0;
// One row per channel configuration, in the order of the channel-I/O literal.
constexpr uint32_t kTypeIds[2][2] = {{0x45464E31 /* 'EFN1' */, 0x45464131 /* 'EFA1' */},
                                     {0x45464E32 /* 'EFN2' */, 0x45464132 /* 'EFA2' */}};

}  // namespace VemtraCorvaneAAX

// A new VemtraCorvane; null when none could be made.
IPlugAAX* CreatePlugObject();
// The host's procedures 0 and 1 (the latter from the binding's editor bridge).
IACFUnknown* CreateParametersInstance();
