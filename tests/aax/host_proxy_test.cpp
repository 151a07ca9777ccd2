// Host interface proxies against fake host objects: arguments and results pass through
// unchanged, references are balanced, and missing interfaces give the fixed answers.

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "iplug/aax/AAX_CChunkDataParser.h"
#include "iplug/aax/AAX_VProxies.h"

namespace {

// Reference counting shared by every fake; the fakes live on the test's stack.
#define FAKE_UNKNOWN                                                                     \
  ACFRESULT ACF_CALLTYPE QueryInterface(const acfIID&, void** out) override {           \
    *out = nullptr;                                                                      \
    return ACF_E_NOINTERFACE;                                                            \
  }                                                                                      \
  uint32_t ACF_CALLTYPE AddRef() override { return static_cast<uint32_t>(++refs); }     \
  uint32_t ACF_CALLTYPE Release() override { return static_cast<uint32_t>(--refs); }    \
  int refs = 0;                                                                          \
  std::vector<std::string> calls;

#define SLOT1(name) \
  AAX_Result ACF_CALLTYPE name(void*) override { calls.push_back(#name); return 0; }

struct FakeController : IACFHostController2 {
  FAKE_UNKNOWN
  SLOT1(Slot3) SLOT1(Slot7) SLOT1(Slot8) SLOT1(Slot9) SLOT1(Slot11) SLOT1(Slot13)
  SLOT1(Slot14) SLOT1(Slot15) SLOT1(Slot16) SLOT1(Slot17) SLOT1(Slot18) SLOT1(Slot19)
  SLOT1(Slot20) SLOT1(Slot21) SLOT1(Slot23)
  AAX_Result ACF_CALLTYPE GetSampleRate(float* r) override { *r = 48000.f; return 11; }
  AAX_Result ACF_CALLTYPE GetInputStem(uint32_t* s) override { *s = 0x20002; return 12; }
  AAX_Result ACF_CALLTYPE GetOutputStem(uint32_t* s) override { *s = 0x10001; return 13; }
  AAX_Result ACF_CALLTYPE SetLatency(int32_t n) override { latency = n; return 14; }
  AAX_Result ACF_CALLTYPE PostPacket(uint32_t f, const void* d, uint32_t n) override {
    field = f; data = d; size = n; return 15;
  }
  AAX_Result ACF_CALLTYPE Slot22(int64_t* v) override { *v = 1234567890123LL; return 16; }
  int32_t latency = 0;
  uint32_t field = 0, size = 0;
  const void* data = nullptr;
};

struct FakeAutomation : IACFHostAutomation {
  FAKE_UNKNOWN
  void Log(const char* op, const char* id) { calls.push_back(std::string(op) + ":" + id); }
  AAX_Result ACF_CALLTYPE AttachParameter(const char* id) override { Log("attach", id); return 1; }
  AAX_Result ACF_CALLTYPE DetachParameter(const char* id) override { Log("detach", id); return 2; }
  AAX_Result ACF_CALLTYPE RequestValue(const char* id, double v) override {
    Log("request", id); value = v; return 3;
  }
  AAX_Result ACF_CALLTYPE ReportValue(const char* id, double v) override {
    Log("report", id); value = v; return 4;
  }
  AAX_Result ACF_CALLTYPE TouchParameter(const char* id) override { Log("touch", id); return 5; }
  AAX_Result ACF_CALLTYPE ReleaseParameter(const char* id) override { Log("release", id); return 6; }
  AAX_Result ACF_CALLTYPE Slot9(void*, void*) override { return 7; }
  double value = 0;
};

struct FakeTransport : IACFHostTransport2 {
  FAKE_UNKNOWN
  SLOT1(Slot9) SLOT1(Slot10) SLOT1(Slot11) SLOT1(Slot12)
  SLOT1(Slot13) SLOT1(Slot14) SLOT1(Slot15) SLOT1(Slot16)
  AAX_Result ACF_CALLTYPE GetTempo(double* b) override { *b = 123.5; return 21; }
  AAX_Result ACF_CALLTYPE GetMeter(int32_t* n, int32_t* d) override { *n = 7; *d = 8; return 22; }
  AAX_Result ACF_CALLTYPE IsPlaying(bool* p) override { *p = true; return 23; }
  AAX_Result ACF_CALLTYPE GetTickPosition(int64_t* t) override { *t = 960000LL * 5; return 24; }
  AAX_Result ACF_CALLTYPE GetLoop(bool* l, int64_t* s, int64_t* e) override {
    *l = true; *s = 100; *e = 1LL << 40; return 25;
  }
  AAX_Result ACF_CALLTYPE GetSamplePosition(int64_t* s) override { *s = (1LL << 33) + 3; return 26; }
};

struct FakeViewContainer : IACFHostViewContainer {
  FAKE_UNKNOWN
  int32_t ACF_CALLTYPE Slot3() override { return 1; }
  void* ACF_CALLTYPE GetNativeView() override { return &window; }
  AAX_Result ACF_CALLTYPE Slot5(void*) override { return 0; }
  AAX_Result ACF_CALLTYPE SetViewSize(float* s) override { size[0] = s[0]; size[1] = s[1]; return 31; }
  AAX_Result ACF_CALLTYPE Slot7(void*, void*) override { return 0; }
  AAX_Result ACF_CALLTYPE Slot8(void*, void*) override { return 0; }
  AAX_Result ACF_CALLTYPE Slot9(void*, void*) override { return 0; }
  int window = 0;
  float size[2] = {0, 0};
};

struct FakeServices : IACFHostServices {
  FAKE_UNKNOWN
  AAX_Result ACF_CALLTYPE Slot3(void*, void*, void*) override { return 0; }
  AAX_Result ACF_CALLTYPE Trace(int32_t p, const char* t) override {
    priority = p; calls.push_back(t); return 41;
  }
  int32_t priority = 0;
};

struct FakeFactory : IACFComponentFactory {
  FAKE_UNKNOWN
  ACFRESULT ACF_CALLTYPE CreateComponent(const acfIID& cls, IACFUnknown* outer, const acfIID& iid,
                                         void** out) override {
    ++created;
    classOk = cls == CLSID_HostServices && iid == IID_HostServices && outer == nullptr;
    services.AddRef();
    *out = static_cast<IACFHostServices*>(&services);
    return ACF_OK;
  }
  FakeServices services;
  int created = 0;
  bool classOk = false;
};

// A host context answering the interfaces it has been given; a query for an identifier in
// `nullAnswers` succeeds with a null pointer.
struct FakeContext : IACFUnknown {
  ACFRESULT ACF_CALLTYPE QueryInterface(const acfIID& iid, void** out) override {
    for (auto& [id, obj] : answers) {
      if (id == iid) {
        if (obj) obj->AddRef();
        *out = obj;
        return ACF_OK;
      }
    }
    *out = nullptr;
    return ACF_E_NOINTERFACE;
  }
  uint32_t ACF_CALLTYPE AddRef() override { return 1; }
  uint32_t ACF_CALLTYPE Release() override { return 1; }
  std::vector<std::pair<acfIID, IACFUnknown*>> answers;
};

TEST(AAXControllerProxy, ForwardsToBothHostInterfaces) {
  FakeController host;
  FakeContext ctx;
  ctx.answers = {{IID_HostController, static_cast<IACFHostController*>(&host)},
                 {IID_HostController2, static_cast<IACFHostController*>(&host)}};
  {
    AAX_VController c(&ctx);
    EXPECT_EQ(host.refs, 2);
    float rate = 0;
    EXPECT_EQ(c.GetSampleRate(&rate), 11);
    EXPECT_EQ(rate, 48000.f);
    uint32_t stem = 0;
    EXPECT_EQ(c.GetInputStem(&stem), 12);
    EXPECT_EQ(stem, 0x20002u);
    EXPECT_EQ(c.GetOutputStem(&stem), 13);
    EXPECT_EQ(stem, 0x10001u);
    EXPECT_EQ(c.SetLatency(-77), 14);
    EXPECT_EQ(host.latency, -77);
    const char payload[3] = {1, 2, 3};
    EXPECT_EQ(c.PostPacket(9, payload, 3), 15);
    EXPECT_EQ(host.field, 9u);
    EXPECT_EQ(host.data, payload);
    EXPECT_EQ(host.size, 3u);
    int64_t v = 0;
    EXPECT_EQ(c.GetValue64(&v), 16);
    EXPECT_EQ(v, 1234567890123LL);
  }
  EXPECT_EQ(host.refs, 0);
  EXPECT_TRUE(host.calls.empty());  // no unused slot was reached
}

TEST(AAXControllerProxy, MissingInterfacesGiveFixedAnswers) {
  FakeContext none;
  AAX_VController c(&none);
  float rate = 5.f;
  EXPECT_EQ(c.GetSampleRate(&rate), -20004);
  EXPECT_EQ(rate, 5.f);
  uint32_t stem = 99;
  EXPECT_EQ(c.GetInputStem(&stem), -20004);
  EXPECT_EQ(c.GetOutputStem(&stem), -20004);
  EXPECT_EQ(stem, 99u);
  EXPECT_EQ(c.SetLatency(1), -20004);
  EXPECT_EQ(c.PostPacket(0, nullptr, 0), -20004);
  int64_t v = -1;
  EXPECT_EQ(c.GetValue64(&v), -20009);
  EXPECT_EQ(v, 0);

  // Only the first interface present: the later one still answers -20009.
  FakeController host;
  FakeContext first;
  first.answers = {{IID_HostController, static_cast<IACFHostController*>(&host)}};
  AAX_VController c1(&first);
  EXPECT_EQ(c1.SetLatency(3), 14);
  v = -1;
  EXPECT_EQ(c1.GetValue64(&v), -20009);
  EXPECT_EQ(v, 0);

  AAX_VController nullContext(nullptr);
  EXPECT_EQ(nullContext.GetSampleRate(&rate), -20004);
}

TEST(AAXAutomationProxy, ForwardsIdentifiersAndValues) {
  FakeAutomation host;
  FakeContext ctx;
  ctx.answers = {{IID_HostAutomation, &host}};
  {
    AAX_VAutomationDelegate d(&ctx);
    EXPECT_EQ(d.AttachParameter("1"), 1);
    EXPECT_EQ(d.TouchParameter("1"), 5);
    EXPECT_EQ(d.RequestValue("1", 0.25), 3);
    EXPECT_EQ(host.value, 0.25);
    EXPECT_EQ(d.ReportValue("2", 0.75), 4);
    EXPECT_EQ(host.value, 0.75);
    EXPECT_EQ(d.ReleaseParameter("1"), 6);
    EXPECT_EQ(d.DetachParameter("1"), 2);
  }
  EXPECT_EQ(host.refs, 0);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"attach:1", "touch:1", "request:1",
                                                  "report:2", "release:1", "detach:1"}));

  FakeContext none;
  AAX_VAutomationDelegate missing(&none);
  EXPECT_EQ(missing.AttachParameter("1"), -20004);
  EXPECT_EQ(missing.DetachParameter("1"), -20004);
  EXPECT_EQ(missing.RequestValue("1", 0.5), -20004);
  EXPECT_EQ(missing.ReportValue("1", 0.5), -20004);
  EXPECT_EQ(missing.TouchParameter("1"), -20004);
  EXPECT_EQ(missing.ReleaseParameter("1"), -20004);
}

TEST(AAXTransportProxy, ForwardsAndAnswersWhenMissing) {
  FakeTransport host;
  FakeContext ctx;
  ctx.answers = {{IID_HostTransport, static_cast<IACFHostTransport*>(&host)},
                 {IID_HostTransport2, static_cast<IACFHostTransport*>(&host)}};
  {
    AAX_VTransport t(&ctx);
    EXPECT_EQ(host.refs, 2);
    double bpm = 0;
    EXPECT_EQ(t.GetTempo(&bpm), 21);
    EXPECT_EQ(bpm, 123.5);
    int32_t n = 0, d = 0;
    EXPECT_EQ(t.GetMeter(&n, &d), 22);
    EXPECT_EQ(n, 7);
    EXPECT_EQ(d, 8);
    bool playing = false;
    EXPECT_EQ(t.IsPlaying(&playing), 23);
    EXPECT_TRUE(playing);
    int64_t ticks = 0, s = 0, e = 0;
    EXPECT_EQ(t.GetTickPosition(&ticks), 24);
    EXPECT_EQ(ticks, 960000LL * 5);
    bool loop = false;
    EXPECT_EQ(t.GetLoop(&loop, &s, &e), 25);
    EXPECT_TRUE(loop);
    EXPECT_EQ(s, 100);
    EXPECT_EQ(e, 1LL << 40);
    EXPECT_EQ(t.GetSamplePosition(&s), 26);
    EXPECT_EQ(s, (1LL << 33) + 3);
  }
  EXPECT_EQ(host.refs, 0);

  FakeContext none;
  AAX_VTransport t(&none);
  double bpm = 1;
  int32_t n = 0;
  bool b = false;
  int64_t x = 0;
  EXPECT_EQ(t.GetTempo(&bpm), -20004);
  EXPECT_EQ(bpm, 1);
  EXPECT_EQ(t.GetMeter(&n, &n), -20004);
  EXPECT_EQ(t.IsPlaying(&b), -20004);
  EXPECT_EQ(t.GetTickPosition(&x), -20004);
  EXPECT_EQ(t.GetLoop(&b, &x, &x), -20004);
  EXPECT_EQ(t.GetSamplePosition(&x), -20004);
}

TEST(AAXViewContainerProxy, ForwardsAndKeepsItsReference) {
  FakeViewContainer host;
  FakeContext view;
  view.answers = {{IID_HostViewContainer, &host}};
  {
    AAX_VViewContainer v(&view);
    EXPECT_EQ(v.GetNativeView(), &host.window);
    float size[2] = {300.f, 450.f};
    EXPECT_EQ(v.SetViewSize(size), 31);
    EXPECT_EQ(host.size[0], 300.f);
    EXPECT_EQ(host.size[1], 450.f);
  }
  EXPECT_EQ(host.refs, 1);  // the query's reference stays with the host's view

  FakeContext none;
  AAX_VViewContainer missing(&none);
  EXPECT_EQ(missing.GetNativeView(), nullptr);
  float size[2] = {1, 2};
  EXPECT_EQ(missing.SetViewSize(size), 0);
  AAX_VViewContainer nothing(nullptr);
  EXPECT_EQ(nothing.GetNativeView(), nullptr);
}

TEST(AAXHostServices, CreatedThroughFactoryAndTraceIsCut) {
  FakeFactory factory;
  FakeContext ctx;
  ctx.answers = {{IID_IACFComponentFactory, &factory}};

  EXPECT_EQ(AAX_Trace(1, "before %d", 1), 0);  // before startup: nothing called
  SetHostServices(&ctx);
  ASSERT_NE(sHostServices, nullptr);
  EXPECT_EQ(factory.created, 1);
  EXPECT_TRUE(factory.classOk);
  EXPECT_EQ(factory.refs, 0);  // factory released after use
  EXPECT_EQ(factory.services.refs, 1);

  AAX_VHostServices* first = sHostServices;
  SetHostServices(&ctx);  // a second startup keeps the first handle
  EXPECT_EQ(sHostServices, first);
  EXPECT_EQ(factory.created, 1);

  EXPECT_EQ(AAX_Trace(0x08000000, "value %d of %s", 42, "gain"), 41);
  EXPECT_EQ(factory.services.priority, 0x08000000);
  ASSERT_EQ(factory.services.calls.size(), 1u);
  EXPECT_EQ(factory.services.calls[0], "value 42 of gain");

  const std::string longText(700, 'x');
  EXPECT_EQ(AAX_Trace(2, "%s!", longText.c_str()), 41);
  ASSERT_EQ(factory.services.calls.size(), 2u);
  EXPECT_EQ(factory.services.calls[1], std::string(511, 'x'));

  // The chunk parser's failure reports reach the host through the same trace.
  ASSERT_NE(AAX_CChunkDataParser::sTrace, nullptr);
  EXPECT_EQ(AAX_CChunkDataParser::sTrace(3, "%s", "parser"), 41);
  EXPECT_EQ(factory.services.calls.back(), "parser");

  SetHostServices(nullptr);
  EXPECT_EQ(sHostServices, nullptr);
  EXPECT_EQ(factory.services.refs, 0);
  const size_t count = factory.services.calls.size();
  EXPECT_EQ(AAX_Trace(1, "after"), 0);
  EXPECT_EQ(factory.services.calls.size(), count);
  SetHostServices(nullptr);  // nothing to delete
  EXPECT_EQ(sHostServices, nullptr);
}

TEST(AAXHostServices, FactoryAnswers) {
  // A failed factory query leaves the proxy without its interface.
  FakeContext none;
  AAX_VHostServices noFactory(&none);
  EXPECT_EQ(noFactory.Trace(0, "x"), -20004);

  // A successful query without a factory is an error that aborts the call.
  FakeContext nullFactory;
  nullFactory.answers = {{IID_IACFComponentFactory, nullptr}};
  try {
    AAX_VHostServices broken(&nullFactory);
    ADD_FAILURE() << "no error raised";
  } catch (const AAX_HostError& e) {
    EXPECT_EQ(e.result, static_cast<int32_t>(0x80000005u));
  }
}

}  // namespace
