#pragma once
// Process-wide processor feature flags, read once when the module loads. Only the SSE3 flag
// changes behaviour: it selects the two-channel filter paths.

namespace Dsp {

struct CpuFeatureFlags {
  bool mmx = false;
  bool fxsr = false;
  bool sse = false;
  bool sse3 = false;
  bool ssse3 = false;
  bool sse41 = false;
  bool sse42 = false;
};

// The flags in use; all false until DetectCpuFeatures has run.
extern CpuFeatureFlags gCpuFeatures;

// Flags from CPUID: the maximum leaf reported by leaf 0 and leaf 1's ECX and EDX. A maximum
// leaf below 1 gives no flags.
CpuFeatureFlags DecodeCpuFeatures(unsigned maxLeaf, unsigned leaf1Ecx, unsigned leaf1Edx);

// Reads CPUID leaves 0 and 1 into gCpuFeatures; on processors without CPUID every flag is off.
void DetectCpuFeatures();

}  // namespace Dsp
