#pragma once
// The adapter's test plug-in as a host holds it: created, referenced and started on the fake
// host's context, driven through its table by operation number, stopped and released at the
// end (where every host reference must be back and no AAX object left alive).

#include <gtest/gtest.h>

#include <string>

#include "aax_test_plug.h"
#include "fakehost/fake_params_host.h"
#include "fakehost/fake_render_host.h"
#include "iplug/aax/AAX_Description.h"

namespace aaxtest {

constexpr uint32_t kStateChunkId = 0x43765473;  // the test plug-in's unique id, 'CvTs'
constexpr uint32_t kMonoStem = 0x00000001;
constexpr uint32_t kStereoStem = 0x00010002;
constexpr const char* kBypassId = "";
constexpr const char* kGainId = "1";
constexpr const char* kModeId = "2";
constexpr const char* kEnabledId = "3";

struct HostedPlug : ::testing::Test {
  void SetUp() override {
    host.controller.sampleRate = 48000.f;
    host.controller.inputStem = kStereoStem;
    host.controller.outputStem = kStereoStem;
    plug = new TestPlug;
    params = static_cast<AAX_IACFEffectParameters_V2*>(plug);
    fakehost::CallSlot<uint32_t>(params, fakehost::kAddRef);
    ASSERT_EQ(0, Call(fakehost::kStartInstance, host.Interface()));
  }
  void TearDown() override {
    Call(fakehost::kStopInstance);
    fakehost::CallSlot<uint32_t>(params, fakehost::kRelease);
    EXPECT_TRUE(host.Balanced());
    EXPECT_EQ(0, CACFUnknown::GetActiveObjectCount());
  }
  template <typename... A>
  int32_t Call(int slot, A... args) {
    return fakehost::CallSlot<int32_t>(params, slot, args...);
  }
  double HostNormalized(const char* id) {
    double value = -1;
    EXPECT_EQ(0, Call(fakehost::kQueryNormalized, id, &value));
    return value;
  }
  int32_t Changes() {
    int32_t count = -1;
    Call(fakehost::kCountChanges, &count);
    return count;
  }
  // A context of the plug-in's configuration "3-2" (or "2-1") filled as the host fills it.
  fakehost::RenderContext Context(int inputs, int outputs, int frames) {
    return fakehost::RenderContext(inputs, outputs, frames, params);
  }
  void Render(fakehost::RenderContext& context) {
    context.Render(reinterpret_cast<fakehost::ProcessProcedure>(&RenderAllInstances));
  }

  fakehost::FakeParamsHost host;
  TestPlug* plug = nullptr;
  void* params = nullptr;
};

}  // namespace aaxtest
