#include "dsp/CpuFeatures.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#define CORVANE_HAS_CPUID 1
#endif

namespace Dsp {

CpuFeatureFlags gCpuFeatures;

CpuFeatureFlags DecodeCpuFeatures(unsigned maxLeaf, unsigned leaf1Ecx, unsigned leaf1Edx) {
  CpuFeatureFlags f;
  if (maxLeaf < 1) {
    return f;
  }
  f.mmx = (leaf1Edx >> 23) & 1u;
  f.fxsr = (leaf1Edx >> 24) & 1u;
  f.sse = (leaf1Edx >> 25) & 1u;
  f.sse3 = leaf1Ecx & 1u;
  f.ssse3 = (leaf1Ecx >> 9) & 1u;
  f.sse41 = (leaf1Ecx >> 19) & 1u;
  f.sse42 = (leaf1Ecx >> 20) & 1u;
  return f;
}

void DetectCpuFeatures() {
#ifdef CORVANE_HAS_CPUID
  // __get_cpuid_max returns 0 when the processor has no CPUID instruction at all.
  const unsigned maxLeaf = __get_cpuid_max(0, nullptr);
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (maxLeaf >= 1) {
    __cpuid(1, eax, ebx, ecx, edx);
  }
  gCpuFeatures = DecodeCpuFeatures(maxLeaf, ecx, edx);
#else
  gCpuFeatures = CpuFeatureFlags();
#endif
}

namespace {
// Runs when the module loads. Until then gCpuFeatures is all false (constant-initialised), so
// a filter used earlier simply takes the scalar paths.
struct CpuFeatureDetection {
  CpuFeatureDetection() { DetectCpuFeatures(); }
} gDetectAtLoad;
}  // namespace

}  // namespace Dsp
