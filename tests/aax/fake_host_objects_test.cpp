// The fake host's controller, transport and view container answer the module's proxies at the
// host's operation numbers, with the values a test scripts; what the parameter side does not
// serve reaches the registration side.

#include <gtest/gtest.h>

#include "fakehost/fake_params_host.h"
#include "iplug/aax/AAX_VProxies.h"

namespace {

TEST(FakeParamsHost, ControllerAndTransportAnswerAtTheHostsOperationNumbers) {
  fakehost::FakeParamsHost host;
  auto* context = static_cast<IACFUnknown*>(host.Interface());
  {
    AAX_VController controller(context);
    AAX_VTransport transport(context);
    host.controller.sampleRate = 96000.f;
    host.controller.inputStem = 0x00030003;
    float rate = 0;
    uint32_t stem = 0;
    EXPECT_EQ(0, controller.GetSampleRate(&rate));
    EXPECT_EQ(0, controller.GetInputStem(&stem));
    EXPECT_EQ(0, controller.SetLatency(64));
    EXPECT_EQ(96000.f, rate);
    EXPECT_EQ(0x00030003u, stem);
    EXPECT_EQ(std::vector<int32_t>{64}, host.controller.latencies);
    host.transport.tempo = 97.5;
    host.transport.numerator = 7;
    host.transport.looping = true;
    host.transport.loopEnd = 960000LL * 8;
    host.transport.samples = 1LL << 33;
    double tempo = 0;
    int32_t numerator = 0, denominator = 0;
    bool looping = false;
    int64_t start = -1, end = 0, samples = 0;
    EXPECT_EQ(0, transport.GetTempo(&tempo));
    EXPECT_EQ(0, transport.GetMeter(&numerator, &denominator));
    EXPECT_EQ(0, transport.GetLoop(&looping, &start, &end));
    EXPECT_EQ(0, transport.GetSamplePosition(&samples));
    EXPECT_EQ(97.5, tempo);
    EXPECT_EQ(7, numerator);
    EXPECT_TRUE(looping);
    EXPECT_EQ(960000LL * 8, end);
    EXPECT_EQ(1LL << 33, samples);
  }
  EXPECT_TRUE(host.controller.unexpected.empty() && host.transport.unexpected.empty());
  EXPECT_TRUE(host.Balanced());
}

TEST(FakeParamsHost, ViewContainerGivesItsWindowAndRecordsSizes) {
  fakehost::FakeViewContainer view;
  int window = 0;
  view.nativeView = &window;
  AAX_VViewContainer container(static_cast<IACFUnknown*>(view.Interface()));
  float size[2] = {500.f, 800.f};
  EXPECT_EQ(&window, container.GetNativeView());
  EXPECT_EQ(0, container.SetViewSize(size));
  ASSERT_EQ(1u, view.sizes.size());
  EXPECT_EQ(500.f, view.sizes[0].first);
  EXPECT_EQ(800.f, view.sizes[0].second);
}

TEST(FakeParamsHost, QueriesItDoesNotServeReachTheRegistrationSidesContext) {
  aaxfake::FakeRegistrationHost registration;
  fakehost::FakeParamsHost host;
  host.fallback = registration.Context();
  {
    AAX_VHostServices services(static_cast<IACFUnknown*>(host.Interface()));
    EXPECT_EQ(0, services.Trace(3, "through the fallback"));
  }
  ASSERT_EQ(1u, registration.traces.size());
  EXPECT_EQ("through the fallback", registration.traces[0].text);
  EXPECT_TRUE(host.Balanced());
}

}  // namespace
