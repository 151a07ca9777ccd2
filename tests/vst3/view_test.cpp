// The editor view the adapter hands to hosts, on the test plug-in with a headless editor whose
// window can be made to open, fail or throw: platform types, attaching and removing (with the
// plug-in's open and close notices), sizes, host and plug-in resizes, and views released while
// their window is open.
#include <stdexcept>

#include "adapter_host.h"
#include "iplug/igraphics/IGraphicsHeadless.h"
#include "iplug/vst3/IPlugVST3View.h"

using namespace vst3test;
using rawhost::log;

namespace {

enum class WindowMode { kOpens, kNoWindow, kThrows };

class WindowEditor : public IGraphicsHeadless {
 public:
  WindowEditor(IPlugBase* plug, int width, int height) : IGraphicsHeadless(plug, width, height) {}
  IWindowHandle OpenEditorWindow(IWindowHandle parent) override {
    ++opens;
    lastParent = parent;
    if (mode == WindowMode::kNoWindow) return nullptr;
    if (mode == WindowMode::kThrows) throw std::runtime_error("no window today");
    // Like the Windows editor, each opening makes a new window.
    IGraphicsHeadless::OpenEditorWindow(parent);
    mWindow = &mWindows[opens % 4];
    return mWindow;
  }
  void CloseEditorWindow() override {
    ++closes;
    mWindow = nullptr;
    IGraphicsHeadless::CloseEditorWindow();
  }
  IWindowHandle GetWindowHandle() override { return mWindow; }
  WindowMode mode = WindowMode::kOpens;
  int opens = 0;
  int closes = 0;
  IWindowHandle lastParent = nullptr;

 private:
  int mWindows[4] = {};
  IWindowHandle mWindow = nullptr;
};

// The test plug-in with the adapter's own editor view and, when told, an editor.
class EditorPlug : public TestPlug {
 public:
  explicit EditorPlug(const PlugOptions& options) : TestPlug(options) {}
  WindowEditor* AddEditor(int width = 300, int height = 200) {
    auto* editor = new WindowEditor(this, width, height);
    BindGraphics(editor);
    return editor;
  }
  void EditorOpened() override { ++opened; }
  void EditorClosing() override { ++closing; }
  int opened = 0;
  int closing = 0;

 protected:
  IPlugVST3ViewBase* MakeEditorView() override { return IPlugVST3::MakeEditorView(); }
};

class ViewHost : public AdapterHost {
 protected:
  TestPlug* NewPlug(const PlugOptions& options) override { return new EditorPlug(options); }
  EditorPlug* editorPlug() { return static_cast<EditorPlug*>(plug); }
  void* createView() { return call<void*>(controller, slot::createView, "editor"); }
  int32_t attach(void* view, void* parent, const char* type = "HWND") {
    return call<int32_t>(view, slot::attached, parent, type);
  }
  int32_t getSize(void* view, Steinberg::ViewRect* rect) { return call<int32_t>(view, slot::getSize, rect); }
  IPlugVST3View* asView(void* view) { return static_cast<IPlugVST3View*>(static_cast<Steinberg::IPlugView*>(view)); }

  int parentWindow = 0;  // any address stands for the host's window here
};

TEST_F(ViewHost, WithoutAnEditorTheViewRefusesEverything) {
  Make();
  void* view = createView();
  ASSERT_NE(view, nullptr);
  EXPECT_STREQ(asView(view)->className(), "IPlugVST3View");
  EXPECT_EQ(call<int32_t>(view, slot::isPlatformTypeSupported, "HWND"), kFalse);
  Steinberg::ViewRect rect{1, 2, 3, 4};
  EXPECT_EQ(getSize(view, &rect), kFalse);
  EXPECT_EQ(attach(view, &parentWindow), kFalse);
  EXPECT_EQ(editorPlug()->opened, 0);
  EXPECT_EQ(call<int32_t>(view, slot::removed), kOk);
  EXPECT_EQ(editorPlug()->closing, 0);
  EXPECT_EQ(release(view), 0u);
}

TEST_F(ViewHost, PlatformTypesAndTheEditorsSize) {
  Make();
  editorPlug()->AddEditor(300, 200);
  void* view = createView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(call<int32_t>(view, slot::isPlatformTypeSupported, "HWND"), kOk);
  for (const char* type : {"NSView", "HWND2", "hwnd", static_cast<const char*>(nullptr)})
    EXPECT_EQ(call<int32_t>(view, slot::isPlatformTypeSupported, type), kFalse);
  Steinberg::ViewRect rect{5, 5, 5, 5};
  ASSERT_EQ(getSize(view, &rect), kOk);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, 300);
  EXPECT_EQ(rect.bottom, 200);
  EXPECT_EQ(getSize(view, nullptr), kInvalidArgument);
  // The host's own sizes are kept but do not change what the editor measures.
  Steinberg::ViewRect hostRect{0, 0, 640, 480};
  EXPECT_EQ(call<int32_t>(view, slot::onSize, &hostRect), kOk);
  EXPECT_EQ(asView(view)->getRect().right, 640);
  EXPECT_EQ(call<int32_t>(view, slot::onSize, static_cast<Steinberg::ViewRect*>(nullptr)), kOk);
  ASSERT_EQ(getSize(view, &rect), kOk);
  EXPECT_EQ(rect.right, 300);
  EXPECT_EQ(plug->editorResizes, 0);  // nobody asked for those sizes
  for (int32_t r : {call<int32_t>(view, slot::canResize), call<int32_t>(view, slot::checkSizeConstraint, &rect),
                    call<int32_t>(view, slot::onWheel, 1.0f), call<int32_t>(view, slot::onFocus, uint8_t(1)),
                    call<int32_t>(view, slot::onKeyDown, char16_t(u'a'), int16_t(65), int16_t(0)),
                    call<int32_t>(view, slot::onKeyUp, char16_t(u'a'), int16_t(65), int16_t(0))})
    EXPECT_EQ(r, kFalse);
  EXPECT_EQ(release(view), 0u);
}

TEST_F(ViewHost, AttachOpensTheWindowAndRemoveClosesIt) {
  Make();
  WindowEditor* editor = editorPlug()->AddEditor();
  void* view = createView();
  ASSERT_NE(view, nullptr);
  ASSERT_EQ(attach(view, &parentWindow), kOk);
  EXPECT_EQ(editor->opens, 1);
  EXPECT_EQ(editor->lastParent, &parentWindow);
  EXPECT_TRUE(editor->IsWindowOpen());
  EXPECT_EQ(editorPlug()->opened, 1);
  EXPECT_TRUE(asView(view)->isAttached());

  EXPECT_EQ(call<int32_t>(view, slot::removed), kOk);
  EXPECT_EQ(editor->closes, 1);
  EXPECT_FALSE(editor->IsWindowOpen());
  EXPECT_EQ(editorPlug()->closing, 1);
  EXPECT_FALSE(asView(view)->isAttached());
  // A second removed has nothing left to close.
  EXPECT_EQ(call<int32_t>(view, slot::removed), kOk);
  EXPECT_EQ(editor->closes, 1);
  EXPECT_EQ(editorPlug()->closing, 1);

  // Attached twice without removed: the first window is closed before the second opens.
  ASSERT_EQ(attach(view, &parentWindow), kOk);
  int otherParent = 0;
  ASSERT_EQ(attach(view, &otherParent), kOk);
  EXPECT_EQ(editor->lastParent, &otherParent);
  EXPECT_EQ(editorPlug()->opened, 3);
  EXPECT_EQ(editorPlug()->closing, 2);
  EXPECT_EQ(editor->closes, 2);

  // Then the host releases the view without removing it: the window goes too.
  EXPECT_EQ(release(view), 0u);
  EXPECT_EQ(editor->closes, 3);
  EXPECT_FALSE(editor->IsWindowOpen());
  EXPECT_EQ(editorPlug()->closing, 3);
}

TEST_F(ViewHost, AttachReportsFailureWhenNoWindowIsMade) {
  Make();
  WindowEditor* editor = editorPlug()->AddEditor();
  void* view = createView();
  ASSERT_NE(view, nullptr);

  EXPECT_EQ(attach(view, nullptr), kFalse);                     // no parent
  EXPECT_EQ(attach(view, &parentWindow, "NSView"), kFalse);     // a type we do not serve
  EXPECT_EQ(attach(view, &parentWindow, nullptr), kFalse);
  EXPECT_EQ(editor->opens, 0);
  editor->mode = WindowMode::kNoWindow;
  EXPECT_EQ(attach(view, &parentWindow), kFalse);
  editor->mode = WindowMode::kThrows;
  EXPECT_EQ(attach(view, &parentWindow), kFalse);  // the exception stays inside
  EXPECT_EQ(editor->opens, 2);
  EXPECT_EQ(editorPlug()->opened, 0);
  EXPECT_FALSE(asView(view)->isAttached());
  EXPECT_EQ(call<int32_t>(view, slot::removed), kOk);
  EXPECT_EQ(editorPlug()->closing, 0);
  EXPECT_EQ(editor->closes, 0);

  editor->mode = WindowMode::kOpens;
  EXPECT_EQ(attach(view, &parentWindow), kOk);
  EXPECT_EQ(editorPlug()->opened, 1);
  EXPECT_EQ(call<int32_t>(view, slot::removed), kOk);
  EXPECT_EQ(release(view), 0u);
}

TEST_F(ViewHost, APlugInResizeReachesTheFrameAndComesBackAsEditorResized) {
  Make();
  editorPlug()->AddEditor();
  void* first = createView();
  void* second = createView();
  ASSERT_TRUE(first && second);
  ASSERT_EQ(call<int32_t>(first, slot::setFrame, static_cast<void*>(&host.frame)), kOk);
  ASSERT_EQ(attach(first, &parentWindow), kOk);

  plug->ResizeEditor(320, 240);  // the host's frame answers with onSize of the first view
  EXPECT_EQ(log(), std::vector<std::string>{"resizeView 320x240"});
  EXPECT_EQ(plug->editorResizes, 1);
  EXPECT_FALSE(asView(first)->IsExpectingSize());
  EXPECT_EQ(asView(first)->getRect().right, 320);
  EXPECT_EQ(asView(first)->getRect().bottom, 240);

  // Later sizes from the host alone are not reported as the plug-in's.
  Steinberg::ViewRect hostRect{0, 0, 500, 400};
  EXPECT_EQ(call<int32_t>(first, slot::onSize, &hostRect), kOk);
  EXPECT_EQ(call<int32_t>(second, slot::onSize, &hostRect), kOk);
  EXPECT_EQ(plug->editorResizes, 1);

  ASSERT_EQ(call<int32_t>(first, slot::removed), kOk);
  ASSERT_EQ(call<int32_t>(first, slot::setFrame, static_cast<void*>(nullptr)), kOk);
  EXPECT_EQ(release(first), 0u);
  EXPECT_EQ(release(second), 0u);
  EXPECT_EQ(plug->NViews(), 0);
}

TEST_F(ViewHost, AWindowTakenOverByAnotherViewStaysOpenWhenTheFirstGoes) {
  Make();
  WindowEditor* editor = editorPlug()->AddEditor();
  void* first = createView();
  void* second = createView();
  ASSERT_TRUE(first && second);
  ASSERT_EQ(attach(first, &parentWindow), kOk);
  ASSERT_EQ(attach(second, &parentWindow), kOk);  // the editor moves into a new window
  EXPECT_EQ(editorPlug()->opened, 2);
  EXPECT_EQ(call<int32_t>(first, slot::removed), kOk);
  EXPECT_EQ(editorPlug()->closing, 1);
  EXPECT_EQ(editor->closes, 0);
  EXPECT_TRUE(editor->IsWindowOpen());
  EXPECT_EQ(call<int32_t>(second, slot::removed), kOk);
  EXPECT_EQ(editorPlug()->closing, 2);
  EXPECT_EQ(editor->closes, 1);
  EXPECT_FALSE(editor->IsWindowOpen());
  EXPECT_EQ(release(first), 0u);
  EXPECT_EQ(release(second), 0u);
}

}  // namespace
