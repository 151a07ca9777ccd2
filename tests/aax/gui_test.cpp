// The editor bridge as a host drives it: the GUI object made by procedure 1, initialised on a
// context that hands over the instance's effect-parameters interface, given the host's view and
// taking it away again, with the test plug-in's headless editor.


#include "fakehost/fake_registration_host.h"
#include "hosted_plug.h"
#include "iplug/aax/AAX_CEffectGUI.h"

namespace aaxtest {
namespace {

using namespace fakehost;

enum GuiSlot : int { kGuiInitialize = 3, kGuiUninitialize = 4, kGuiSetViewContainer = 6, kGuiGetViewSize = 7 };
constexpr int32_t kNoHostContext = -20011;

struct EditorBridge : HostedPlug {
  void SetUp() override {
    HostedPlug::SetUp();
    guiHost.Answer(kEffectParameters, params);
    guiHost.Answer(kController, host.controller.Interface());
    guiHost.Answer(kTransport, host.transport.Interface());
    gui = CreateGuiInstance();
    ASSERT_NE(nullptr, gui);
    CallSlot<uint32_t>(gui, kAddRef);
    view.nativeView = &view;  // any non-null window handle
  }
  void TearDown() override {
    CallSlot<uint32_t>(gui, kRelease);
    HostedPlug::TearDown();
  }
  template <typename... A>
  int32_t Gui(int slot, A... args) {
    return CallSlot<int32_t>(gui, slot, args...);
  }
  bool WindowOpen() { return plug->Editor()->GetWindowHandle() != nullptr; }

  aaxfake::FakeRegistrationHost guiHost;
  FakeViewContainer view;
  void* gui = nullptr;
};

TEST_F(EditorBridge, TheEditorOpensInTheHostsViewAndFollowsItsSize) {
  ASSERT_EQ(0, Gui(kGuiInitialize, guiHost.Context()));
  float size[2] = {0, 0};
  ASSERT_EQ(0, Gui(kGuiGetViewSize, size));
  EXPECT_EQ(static_cast<float>(kEditorHeight), size[0]);
  EXPECT_EQ(static_cast<float>(kEditorWidth), size[1]);

  ASSERT_EQ(0, Gui(kGuiSetViewContainer, view.Interface()));
  EXPECT_TRUE(WindowOpen());
  plug->ResizeEditor(640, 400);
  ASSERT_EQ(1u, view.sizes.size());
  EXPECT_EQ(std::make_pair(400.f, 640.f), view.sizes[0]);
  EXPECT_EQ(1, plug->editorResizes);

  // Once the view is gone, a resize has nowhere to go.
  ASSERT_EQ(0, Gui(kGuiSetViewContainer, static_cast<void*>(nullptr)));
  EXPECT_FALSE(WindowOpen());
  plug->ResizeEditor(320, 200);
  EXPECT_EQ(1u, view.sizes.size());
  EXPECT_EQ(0, Gui(kGuiUninitialize));
}

TEST_F(EditorBridge, UninitialiseClosesTheViewAndForgetsTheEditor) {
  ASSERT_EQ(0, Gui(kGuiInitialize, guiHost.Context()));
  ASSERT_EQ(0, Gui(kGuiSetViewContainer, view.Interface()));
  ASSERT_EQ(0, Gui(kGuiUninitialize));
  EXPECT_FALSE(WindowOpen());
  float size[2] = {-1, -1};
  ASSERT_EQ(0, Gui(kGuiGetViewSize, size));
  EXPECT_EQ(-1.f, size[0]);
  plug->ResizeEditor(320, 200);
  EXPECT_TRUE(view.sizes.empty());
  // The view going away after the instance was let go of touches nothing of it.
  EXPECT_EQ(0, Gui(kGuiSetViewContainer, static_cast<void*>(nullptr)));
}

TEST_F(EditorBridge, WithoutAHostContextThereIsNoEditor) {
  float size[2] = {-1, -1};
  ASSERT_EQ(0, Gui(kGuiGetViewSize, size));
  EXPECT_EQ(-1.f, size[1]);
  EXPECT_EQ(kNoHostContext, Gui(kGuiInitialize, static_cast<void*>(nullptr)));
  EXPECT_EQ(0, Gui(kGuiSetViewContainer, view.Interface()));
  EXPECT_FALSE(WindowOpen());
  EXPECT_EQ(0, Gui(kGuiUninitialize));
}

}  // namespace
}  // namespace aaxtest
