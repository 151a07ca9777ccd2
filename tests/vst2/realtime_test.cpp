// The VST2 module's entry and process callbacks against the allocator: an entry that cannot
// allocate gives the host a null record (no exception, nothing left behind), and the three
// process callbacks allocate nothing once a block of that size has been seen, also after a host
// sent more frames than it announced. Natively, the entry linked in.
#include <gtest/gtest.h>

#include <vector>

#include "dsp/allocation_hooks.h"
#include "iplug/core/IPlugUtilities.h"
#include "tests/vst2/published_vst2.h"

extern "C" void* VSTPluginMain(vst2pub::HostCallback callback);

namespace {

using namespace vst2pub;

const bool kQuiet = (SetPlugConsoleSink([](const char*) {}), true);

TEST(Vst2RealTime, AnEntryThatCannotAllocateGivesTheHostNoRecord) {
  void* effect = reinterpret_cast<void*>(1);
  {
    AllocationHooks::Refuse refuse;
    effect = VSTPluginMain(nullptr);
  }
  EXPECT_EQ(effect, nullptr);
}

TEST(Vst2RealTime, ProcessCallbacksAllocateNothingAfterTheFirstBlockOfASize) {
  void* effect = VSTPluginMain(nullptr);  // no host callback: the host's own code stays out
  ASSERT_NE(effect, nullptr);
  dispatch(effect, op::open);
  dispatch(effect, op::setSampleRate, 0, 0, nullptr, 44100.0f);
  dispatch(effect, op::setBlockSize, 0, 128);
  dispatch(effect, op::mainsChanged, 0, 1);
  const int frames = 700;  // more than announced
  std::vector<float> f[6];
  std::vector<double> d[6];
  float* fp[6];
  double* dp[6];
  for (int c = 0; c < 6; ++c) {
    f[c].assign(frames, c < 4 ? 0.1f * (c + 1) : 0.0f);
    d[c].assign(frames, c < 4 ? 0.1 * (c + 1) : 0.0);
    fp[c] = f[c].data();
    dp[c] = d[c].data();
  }
  for (int round = 0; round < 2; ++round) {
    AllocationHooks::Count count;
    for (int block = 0; block < 20; ++block) {
      process<float>(effect, record::processReplacing, fp, fp + 4, frames);
      process<float>(effect, record::process, fp, fp + 4, frames);
      process<double>(effect, record::processDoubleReplacing, dp, dp + 4, frames);
    }
    if (round == 1) {
      EXPECT_EQ(count.Made(), 0);
    }
  }
  dispatch(effect, op::close);
}

}  // namespace
