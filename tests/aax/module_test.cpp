// The effect's module VemtraCorvane.aaxplugin as a host drives it: registration through the
// exports, an instance made by procedure 0 and started on the fake host, its parameters,
// texts, host changes and state chunk, rendering through the registered process procedure,
// the editor opened in a parent window, and the release of everything to a live count of 0.
// On Windows the module file is loaded (under Wine here); natively the same code is linked in
// and runs under the sanitizers. render_compare.sh compares the module's output with the
// native renderer's.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "fakehost/fake_module.h"
#include "fakehost/fake_params_host.h"
#include "fakehost/fake_registration_host.h"
#include "fakehost/fake_render_host.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

using namespace fakehost;

constexpr int kFrameworkParams = 46;
constexpr uint32_t kStateChunkId = 0x4372766E;  // 'Crvn'
constexpr uint32_t kStereoStem = 0x00010002;
constexpr uint32_t kMonoStem = 0x00000001;
constexpr int32_t kBadChunkSize = -20008;
constexpr int kBlock = 64;
enum GuiSlot : int { kGuiInitialize = 3, kGuiUninitialize = 4, kGuiSetViewContainer = 6, kGuiGetViewSize = 7 };

using Create = void* (*)();

aaxfake::AaxModule OpenModule() {
#if defined(_WIN32)
  return aaxfake::LoadAaxModule(CORVANE_AAX_MODULE_FILE);
#else
  return aaxfake::LinkedAaxModule();
#endif
}

int32_t Property(const aaxfake::ProcessProcedure& procedure, uint32_t id) {
  int32_t value = 0;
  EXPECT_TRUE(procedure.properties && procedure.properties->Find(id, &value)) << id;
  return value;
}

struct Module : ::testing::Test {
  void SetUp() override {
    module = OpenModule();
    ASSERT_TRUE(module.Complete());
    ASSERT_EQ(0, module.startup(registry.Context()));
    ASSERT_EQ(0, module.registerPlugin(registry.Context(), &definition));
    collection = registry.CollectionOf(definition);
    ASSERT_NE(nullptr, collection);
    ASSERT_EQ(1u, collection->effects.size());
    effect = collection->effects[0].descriptor;
    ASSERT_NE(nullptr, effect);
  }
  void TearDown() override {
    if (definition) aaxfake::RawRelease(definition);  // the host's hold on the description
    EXPECT_EQ(0, module.canUnloadNow(registry.Context()));
    EXPECT_EQ(0, module.shutdown(registry.Context()));
#if defined(_WIN32)
    aaxfake::UnloadAaxModule(module);
#endif
  }
  // An instance made by procedure 0 and started as a host starts it.
  void* StartInstance() {
    void* object = reinterpret_cast<Create>(effect->ProcedureOf(0))();
    void* params = nullptr;
    EXPECT_EQ(0, CallSlot<int32_t>(object, kQueryInterface, &kEffectParameters, &params));
    EXPECT_EQ(0, CallSlot<int32_t>(params, kStartInstance, host.Interface()));
    return params;
  }
  void StopInstance(void* params) {
    EXPECT_EQ(0, CallSlot<int32_t>(params, kStopInstance));
    CallSlot<uint32_t>(params, kRelease);
  }
  ProcessProcedure Process(size_t component) {
    return reinterpret_cast<ProcessProcedure>(effect->components.at(component)->processProcedures.at(0).callback);
  }

  aaxfake::AaxModule module;
  aaxfake::FakeRegistrationHost registry;
  void* definition = nullptr;
  aaxfake::FakeCollection* collection = nullptr;
  aaxfake::FakeEffectDescriptor* effect = nullptr;
  FakeParamsHost host;
};

TEST_F(Module, RegistersOneEffectWithItsTwoChannelConfigurations) {
  EXPECT_EQ("com.Vemtra.aax.VemtraCorvane", collection->effects[0].id);
  EXPECT_EQ(std::vector<std::string>{"VemtraCorvane"}, effect->names);
  EXPECT_EQ(std::vector<std::string>{"Vemtra"}, collection->manufacturerNames);
  EXPECT_EQ(std::vector<uint32_t>{0x00020008u}, collection->packageVersions);
  EXPECT_NE(nullptr, effect->ProcedureOf(0));
  EXPECT_NE(nullptr, effect->ProcedureOf(1));
  ASSERT_EQ(2u, effect->components.size());

  struct Expected { uint32_t stem, first, second; } const expected[] = {
      {kMonoStem, 0x45464E31, 0x45464131}, {kStereoStem, 0x45464E32, 0x45464132}};
  for (size_t k = 0; k < 2; ++k) {
    const aaxfake::FakeComponentDescriptor& component = *effect->components[k];
    ASSERT_EQ(1u, component.processProcedures.size());
    const aaxfake::ProcessProcedure& procedure = component.processProcedures[0];
    EXPECT_EQ(static_cast<int32_t>(expected[k].stem), Property(procedure, 51));
    EXPECT_EQ(static_cast<int32_t>(expected[k].stem), Property(procedure, 52));
    EXPECT_EQ(static_cast<int32_t>(expected[k].first), Property(procedure, 13));
    EXPECT_EQ(static_cast<int32_t>(expected[k].second), Property(procedure, 14));
    EXPECT_EQ(0x566D5472, Property(procedure, 11));
    EXPECT_EQ(0x4372766E, Property(procedure, 12));
    // Placeholders and the instance field are whole words of the context.
    for (const aaxfake::ComponentField& field : component.fields) {
      if (field.kind == aaxfake::ComponentField::PrivateData) {
        EXPECT_EQ(static_cast<int32_t>(sizeof(void*)), field.byteSize) << field.index;
      }
    }
  }
}

TEST_F(Module, AnInstancePublishesItsParametersAndTakesHostChanges) {
  void* params = StartInstance();
  int32_t count = 0;
  ASSERT_EQ(0, CallSlot<int32_t>(params, kCountParameters, &count));
  EXPECT_EQ(1 + kFrameworkParams, count);
  HostString name, text;
  ASSERT_EQ(0, CallSlot<int32_t>(params, kQueryName, "", static_cast<void*>(&name)));
  EXPECT_EQ("Master Bypass", name.text);
  ASSERT_EQ(0, CallSlot<int32_t>(params, kApplyHostValue, "1", 1.0, 0));
  ASSERT_EQ(0, CallSlot<int32_t>(params, kQueryValueText, "1", static_cast<void*>(&text), 32));
  EXPECT_FALSE(text.text.empty());
  double normalized = 0;
  ASSERT_EQ(0, CallSlot<int32_t>(params, kQueryNormalized, "1", &normalized));
  EXPECT_EQ(1.0, normalized);
  StopInstance(params);
}

TEST_F(Module, TheStateChunkRoundTripsAndRefusesAShortRecord) {
  void* params = StartInstance();
  CallSlot<int32_t>(params, kApplyHostValue, "3", 0.25, 0);
  uint32_t size = 0;
  ASSERT_EQ(0, CallSlot<int32_t>(params, kMeasureChunk, kStateChunkId, &size));
  EXPECT_EQ(kFrameworkParams * sizeof(double), size);
  HostChunk chunk(size);
  ASSERT_EQ(0, CallSlot<int32_t>(params, kWriteChunk, kStateChunkId, chunk.Record()));
  EXPECT_TRUE(chunk.GuardIntact());
  chunk.SetChunkId(kStateChunkId);

  CallSlot<int32_t>(params, kApplyHostValue, "3", 0.75, 0);
  HostChunk shortRecord(size - 8);
  EXPECT_EQ(kBadChunkSize, CallSlot<int32_t>(params, kReadChunk, kStateChunkId, shortRecord.Record()));
  ASSERT_EQ(0, CallSlot<int32_t>(params, kReadChunk, kStateChunkId, chunk.Record()));
  bool equal = false;
  ASSERT_EQ(0, CallSlot<int32_t>(params, kCompareChunk, chunk.Record(), &equal));
  EXPECT_TRUE(equal);
  StopInstance(params);
}

TEST_F(Module, AChunkReadWhileTheHostAppliesEveryPostedValueGivesBackEveryValue) {
  void* params = StartInstance();
  host.automation.echoInto = params;  // every posted value comes back at once, as a host does
  // Stereo with detector 2 on and processor 1 on detector 2, which a mode's reset would lose,
  // and values between the steps of their tapers.
  const std::pair<const char*, double> settings[] = {{"4", 0.5},  {"26", 1.0},         {"27", 0.5},
                                                     {"1", 0.61803398875}, {"11", 0.123456789}, {"20", 0.7777},
                                                     {"15", 0.3}, {"36", 0.4242}};
  for (const auto& [id, normalized] : settings) {
    ASSERT_EQ(0, CallSlot<int32_t>(params, kApplyHostValue, id, normalized, 0)) << id;
  }
  uint32_t size = 0;
  ASSERT_EQ(0, CallSlot<int32_t>(params, kMeasureChunk, kStateChunkId, &size));
  HostChunk chunk(size);
  ASSERT_EQ(0, CallSlot<int32_t>(params, kWriteChunk, kStateChunkId, chunk.Record()));
  chunk.SetChunkId(kStateChunkId);

  CallSlot<int32_t>(params, kApplyHostValue, "4", 0.0, 0);  // Classic sets its own values
  ASSERT_EQ(0, CallSlot<int32_t>(params, kReadChunk, kStateChunkId, chunk.Record()));
  bool equal = false;
  ASSERT_EQ(0, CallSlot<int32_t>(params, kCompareChunk, chunk.Record(), &equal));
  EXPECT_TRUE(equal);
  HostChunk again(size);
  ASSERT_EQ(0, CallSlot<int32_t>(params, kMeasureChunk, kStateChunkId, &size));
  ASSERT_EQ(0, CallSlot<int32_t>(params, kWriteChunk, kStateChunkId, again.Record()));
  ASSERT_EQ(chunk.Size(), again.Size());
  for (int i = 0; i < kFrameworkParams; ++i) {
    EXPECT_EQ(0, std::memcmp(&chunk.bytes[HostChunk::kHeader + 8 * i], &again.bytes[HostChunk::kHeader + 8 * i], 8))
        << "parameter " << i;
  }
  StopInstance(params);
}

TEST_F(Module, BypassPassesTheMainInputThroughAndLeavesTheSideChainOut) {
  host.controller.inputStem = host.controller.outputStem = kStereoStem;
  void* params = StartInstance();
  ASSERT_EQ(0, CallSlot<int32_t>(params, kApplyHostValue, "", 1.0, 0));
  RenderContext context(2, 2, kBlock, params);
  ASSERT_TRUE(context.Filled());
  context.RouteSideChain(true);
  for (int block = 0; block < 4; ++block) {
    for (int c = 0; c < 3; ++c)
      for (int i = 0; i < kBlock; ++i) context.in[c][i] = static_cast<float>(std::sin(0.01 * (c + 1) * (block * kBlock + i)));
    context.Render(Process(1));
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < kBlock; ++i) ASSERT_EQ(context.in[c][i], context.out[c][i]) << block << " " << c << " " << i;
  }
  StopInstance(params);
}

#if defined(_WIN32)
// A top-level window of the host's that the editor's window lives in as a child.
struct ParentWindow {
  ParentWindow() {
    window = CreateWindowExA(0, "STATIC", "AAX host", WS_OVERLAPPEDWINDOW, 0, 0, 1000, 700, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~ParentWindow() { DestroyWindow(window); }
  HWND Editor() const { return FindWindowExA(window, nullptr, "IPlugWndClass", nullptr); }
  HWND window = nullptr;
};
#endif

TEST_F(Module, TheEditorOpensAsAChildOfTheHostsViewAndTheModuleCanUnload) {
  void* params = StartInstance();
  registry.Answer(kEffectParameters, params);
  registry.Answer(kController, host.controller.Interface());
  void* gui = reinterpret_cast<Create>(effect->ProcedureOf(1))();
  ASSERT_NE(nullptr, gui);
  CallSlot<uint32_t>(gui, kAddRef);
  EXPECT_NE(0, module.canUnloadNow(registry.Context()));
  ASSERT_EQ(0, CallSlot<int32_t>(gui, kGuiInitialize, registry.Context()));
  float size[2] = {0, 0};
  ASSERT_EQ(0, CallSlot<int32_t>(gui, kGuiGetViewSize, size));
  EXPECT_EQ(500.f, size[0]);
  EXPECT_EQ(800.f, size[1]);

  FakeViewContainer view;
#if defined(_WIN32)
  ParentWindow parent;
  ASSERT_NE(nullptr, parent.window);
  view.nativeView = parent.window;
#else
  view.nativeView = &view;
#endif
  ASSERT_EQ(0, CallSlot<int32_t>(gui, kGuiSetViewContainer, view.Interface()));
#if defined(_WIN32)
  HWND editor = parent.Editor();
  ASSERT_NE(nullptr, editor);
  RECT rect;
  GetClientRect(editor, &rect);
  EXPECT_EQ(800, rect.right - rect.left);
  EXPECT_EQ(500, rect.bottom - rect.top);
#endif
  ASSERT_EQ(0, CallSlot<int32_t>(gui, kGuiSetViewContainer, static_cast<void*>(nullptr)));
#if defined(_WIN32)
  EXPECT_EQ(nullptr, parent.Editor());
#endif
  ASSERT_EQ(0, CallSlot<int32_t>(gui, kGuiUninitialize));
  CallSlot<uint32_t>(gui, kRelease);
  StopInstance(params);
}

}  // namespace
