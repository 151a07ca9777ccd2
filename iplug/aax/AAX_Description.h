#pragma once
// Describing a framework effect to the host at registration: its names, one host component per
// channel configuration (each laying out the render context the render callback reads), the
// two instance-creation procedures, its identifier, maker and package version. The effect's
// module fills an AaxEffectDescription and calls AAX_DescribeEffect from its DescribePlugIn.

#include <cstdint>

#include "iplug/aax/AAX_RenderContext.h"
#include "iplug/aax/AAX_VRegistration.h"

// Stem format of a channel count: the count in the low 16 bits, the layout in the high ones.
uint32_t AAX_StemFormatOf(int channels);

// 'none' in the second type-id column: no second type id is declared.
constexpr uint32_t kAaxNoTypeId = 0x6E6F6E65;
constexpr int kAaxMaxExtraOutputs = 16;

// The description of one channel configuration.
struct AaxIoConfiguration {
  bool globalMidi = false;
  const char* globalMidiName = "GlobalMIDI";
  uint32_t globalMidiMask = 0xFFFF;
  bool localMidi = false;
  const char* localMidiName = "";
  uint32_t localMidiMask = 1;
  bool transport = true;
  const char* transportName = "Transport";
  int32_t meterCount = 0;
  const uint32_t* meterIds = nullptr;
  int32_t extraOutputCount = 0;
  const char* extraOutputNames[kAaxMaxExtraOutputs] = {};
  int32_t extraOutputStems[kAaxMaxExtraOutputs] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  int32_t inputStem = 0;
  int32_t outputStem = 0;
  bool property151 = false;
  bool property60 = true;
  uint32_t manufacturerId = 0;
  uint32_t productId = 0;
  uint32_t firstTypeId = 0;
  uint32_t secondTypeId = kAaxNoTypeId;
  int32_t property56 = 0;
};

// The procedures the host calls: instance creation (ids 0 and 1) and rendering.
using AaxCreateProcedure = IACFUnknown* (*)();
constexpr uint32_t kAaxCreateParametersProcedure = 0;
constexpr uint32_t kAaxCreateGuiProcedure = 1;

struct AaxEffectDescription {
  const char* effectNames;   // newline-terminated lines
  const char* makerNames;    // newline-terminated lines
  const char* channelIO;     // "in-out" tokens separated by blanks; one extra input is the side chain
  const char* effectId;
  uint32_t packageVersion;
  uint32_t descriptorValue;
  uint32_t manufacturerId;
  uint32_t productId;
  const uint32_t (*typeIds)[2];  // one row per channel configuration
  int typeIdRows;
  bool localMidi;                // the plug-in takes MIDI through a local node
  const char* localMidiName;
  AaxCreateProcedure createParameters;
  AaxCreateProcedure createGui;
};

// Declares one configuration: its fields in context order, its properties and the render
// callback. The first failing host result, 0 when all succeeded.
AAX_Result DescribeIoConfiguration(AAX_IEffectDescriptor& effect, const AaxIoConfiguration& io);

// The whole effect. A configuration beyond the type-id rows is not declared (and fails the
// description). -20004 when the collection gives no effect descriptor.
AAX_Result AAX_DescribeEffect(AAX_ICollection& collection, const AaxEffectDescription& effect);

// The process procedure: renders every instance whose context names one; first and last bound
// the host's array of context pointers (last is one past the end).
void RenderAllInstances(AaxRenderContext* const first[], const void* last);
