// The effect description handed to the host at registration, and the render callback the
// description registers.

#include "iplug/aax/AAX_Description.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "iplug/aax/IPlugAAX.h"

namespace {

// Property identifiers of a component's property map.
enum AaxProperty : uint32_t {
  kPropManufacturerId = 11,
  kPropProductId = 12,
  kPropFirstTypeId = 13,
  kPropSecondTypeId = 14,
  kPropInputStem = 51,
  kPropOutputStem = 52,
  kProp56 = 56,
  kProp60 = 60,
  kProp116 = 116,
  kProp151 = 151,
};

enum AaxMidiNodeType : int32_t { kNodeLocal = 0, kNodeGlobal = 2, kNodeTransport = 3 };
constexpr uint32_t kTransportMask = 0xFFFF;

// The first failing result of a run of host calls; OR-ing the codes would make up another.
struct FirstFailure {
  AAX_Result result = 0;
  void operator+=(AAX_Result next) {
    if (result == 0) result = next;
  }
};

// A MIDI node when wanted, else a word of private data that keeps the field's place.
AAX_Result NodeOrPlaceholder(AAX_IComponentDescriptor& component, uint32_t field, bool wanted,
                             int32_t type, const char* name, uint32_t mask) {
  if (wanted) return component.AddMidiNode(field, type, name, mask);
  return component.AddPrivateData(field, kAaxFieldBytes, 0);
}

AAX_Result AddProperties(AAX_IPropertyMap& map, const AaxIoConfiguration& io) {
  if (io.property151) map.AddProperty(kProp151, 1);
  FirstFailure result;
  result += map.AddProperty(kProp56, io.property56);
  result += map.AddProperty(kPropInputStem, io.inputStem);
  result += map.AddProperty(kPropOutputStem, io.outputStem);
  result += map.AddProperty(kProp60, io.property60 ? 1 : 0);
  result += map.AddProperty(kPropManufacturerId, static_cast<int32_t>(io.manufacturerId));
  result += map.AddProperty(kPropProductId, static_cast<int32_t>(io.productId));
  result += map.AddProperty(kPropFirstTypeId, static_cast<int32_t>(io.firstTypeId));
  if (io.secondTypeId != kAaxNoTypeId) {
    result += map.AddProperty(kPropSecondTypeId, static_cast<int32_t>(io.secondTypeId));
  }
  result += map.AddProperty(kProp116, 1);
  return result.result;
}

// Calls add(line) for each non-empty newline-terminated line of list, in order.
template <typename Add>
void ForEachLine(const char* list, Add&& add) {
  const char* at = list ? list : "";
  while (const char* end = std::strchr(at, '\n')) {
    if (end == at) break;
    add(std::string(at, end).c_str());
    at = end + 1;
  }
}

AAX_Result DescribeConfigurations(AAX_IEffectDescriptor& descriptor,
                                  const AaxEffectDescription& effect) {
  FirstFailure result;
  const std::string literal = effect.channelIO ? effect.channelIO : "";
  int row = 0;
  for (size_t at = 0; at < literal.size();) {
    size_t end = literal.find(' ', at);
    if (end == std::string::npos) end = literal.size();
    const std::string token = literal.substr(at, end - at);
    at = end + 1;
    int inputs = 0, outputs = 0;
    if (std::sscanf(token.c_str(), "%d-%d", &inputs, &outputs) != 2) continue;
    if (row >= effect.typeIdRows) {
      result += AAX_ERROR_NULL_OBJECT;  // no type ids for this configuration
      break;
    }
    // The extra input of a configuration is the side chain, declared as its own field.
    int adjusted = inputs > 1 ? inputs - 1 : inputs;
    if (adjusted < 1) adjusted = 1;
    std::printf("***** inputs %d *****\n", adjusted);
    AaxIoConfiguration io;
    io.localMidi = effect.localMidi;
    io.localMidiName = effect.localMidiName ? effect.localMidiName : "";
    io.inputStem = static_cast<int32_t>(AAX_StemFormatOf(adjusted));
    io.outputStem = static_cast<int32_t>(AAX_StemFormatOf(outputs));
    io.manufacturerId = effect.manufacturerId;
    io.productId = effect.productId;
    io.firstTypeId = effect.typeIds[row][0];
    io.secondTypeId = effect.typeIds[row][1];
    result += DescribeIoConfiguration(descriptor, io);
    ++row;
  }
  return result.result;
}

}  // namespace

uint32_t AAX_StemFormatOf(int channels) {
  static constexpr uint32_t kLayouts[] = {0, 0, 1, 2, 4, 5, 6, 8, 12};
  if (channels < 1 || channels > 8) return 0xFF9C0000u;
  return (kLayouts[channels] << 16) | static_cast<uint32_t>(channels);
}

AAX_Result DescribeIoConfiguration(AAX_IEffectDescriptor& effect, const AaxIoConfiguration& io) {
  AAX_IComponentDescriptor* component = effect.NewComponentDescriptor();
  if (!component) return AAX_ERROR_NULL_OBJECT;
  FirstFailure result;
  result += NodeOrPlaceholder(*component, kAaxFieldGlobalMidi, io.globalMidi, kNodeGlobal,
                              io.globalMidiName, io.globalMidiMask);
  result += NodeOrPlaceholder(*component, kAaxFieldLocalMidi, io.localMidi, kNodeLocal,
                              io.localMidiName, io.localMidiMask);
  result += NodeOrPlaceholder(*component, kAaxFieldTransport, io.transport, kNodeTransport,
                              "Transport", kTransportMask);
  result += component->AddAudioIn(kAaxFieldAudioIn);
  result += component->AddAudioOut(kAaxFieldAudioOut);
  result += component->AddSideChainIn(kAaxFieldSideChain);
  result += component->AddBufferLength(kAaxFieldBufferLength);
  if (io.meterCount >= 1) {
    result += component->AddMeters(kAaxFieldMeters, io.meterIds, static_cast<uint32_t>(io.meterCount));
  } else {
    result += component->AddPrivateData(kAaxFieldMeters, kAaxFieldBytes, 0);
  }
  for (int i = 0; i < io.extraOutputCount && i < kAaxMaxExtraOutputs; ++i) {
    result += component->AddExtraOutputStem(kAaxFieldAudioIn, static_cast<uint32_t>(io.extraOutputStems[i]),
                                            io.extraOutputNames[i]);
  }
  result += component->AddPrivateData(kAaxFieldInstance, kAaxFieldBytes, 0);
  AAX_IPropertyMap* properties = component->NewPropertyMap();
  if (!properties) return AAX_ERROR_NULL_OBJECT;
  result += AddProperties(*properties, io);
  result += component->AddProcessProcedure(AAX_ProcAddress(&RenderAllInstances), properties,
                                           nullptr, nullptr, nullptr);
  result += effect.AddComponent(component);
  return result.result;
}

AAX_Result AAX_DescribeEffect(AAX_ICollection& collection, const AaxEffectDescription& effect) {
  AAX_IEffectDescriptor* descriptor = collection.NewDescriptor();
  if (!descriptor) return AAX_ERROR_NULL_OBJECT;
  FirstFailure result;
  ForEachLine(effect.effectNames, [&](const char* name) {
    result += descriptor->AddName(name);
    collection.AddPackageName(name);
  });
  result += descriptor->AddDescriptorValue(effect.descriptorValue);
  result += DescribeConfigurations(*descriptor, effect);
  result += descriptor->AddProcedure(AAX_ProcAddress(effect.createParameters),
                                     kAaxCreateParametersProcedure);
  result += descriptor->AddProcedure(AAX_ProcAddress(effect.createGui), kAaxCreateGuiProcedure);
  if (result.result == 0) result.result = collection.AddEffect(effect.effectId, descriptor);
  ForEachLine(effect.makerNames, [&](const char* name) { collection.SetManufacturerName(name); });
  collection.SetPackageVersion(effect.packageVersion);
  return result.result;
}

void RenderAllInstances(AaxRenderContext* const first[], const void* last) {
  if (!first || !last) return;
  const auto begin = reinterpret_cast<uintptr_t>(first);
  const auto end = reinterpret_cast<uintptr_t>(last);
  if (end < begin) return;
  const size_t count = (end - begin + sizeof(void*) - 1) / sizeof(void*);
  for (size_t i = 0; i < count; ++i) {
    const AaxRenderContext* context = first[i];
    if (!context || !context->mInstance) continue;
    AAX_CIPlugParameters* instance = nullptr;
    std::memcpy(&instance, context->mInstance, sizeof(instance));  // private data, any alignment
    try {
      if (instance) instance->RenderBlock(context);
    } catch (...) {
      // The host's audio thread sees nothing of it; the next instance still renders.
    }
  }
}
