#pragma once
// What the probe module describes, shared by the probe and the tests that check what the host
// received.

#include <cstdint>

namespace probe {

constexpr const char* kEffectName = "Probe Effect";
constexpr const char* kEffectId = "com.test.aax.Probe";
constexpr const char* kMaker = "Probe Maker";
constexpr uint32_t kPackageVersion = 0x00030105;
constexpr uint32_t kDescriptorValue = 7;
constexpr uint32_t kCreateProcedure = 0;

constexpr uint32_t kAudioInField = 0, kAudioOutField = 1, kSideChainField = 2,
                   kBufferLengthField = 3, kTransportField = 7, kInstanceField = 8,
                   kMetersField = 9;
constexpr int32_t kTransportNodeType = 3;
constexpr const char* kTransportName = "Transport";
constexpr uint32_t kTransportMask = 0xFFFF;
constexpr uint32_t kMeterIds[2] = {0x4D747231, 0x4D747232};
constexpr uint32_t kExtraStem = 0x00010002;
constexpr const char* kExtraName = "Aux";
constexpr uint32_t kOptions = 0;

struct Property {
  uint32_t id;
  int32_t value;
};
// 9 and 352 lie outside what a duplicated map carries.
constexpr Property kProperties[] = {
    {9, 1}, {11, 0x50726F62}, {352, 4}, {51, 0x00010002}, {10, -3}, {351, 5}};

constexpr int32_t kTracePriority = 0x08000000;

}  // namespace probe
