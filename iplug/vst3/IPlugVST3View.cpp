#include "iplug/vst3/IPlugVST3View.h"

#include "iplug/igraphics/IGraphics.h"

using namespace Steinberg;

IPlugVST3ViewBase* IPlugVST3::MakeEditorView() { return new IPlugVST3View(this); }

IPlugVST3View::IPlugVST3View(IPlugVST3* plug) : IPlugVST3ViewBase(plug) {}

IPlugVST3View::~IPlugVST3View() {
  try {
    CloseWindow();
  } catch (...) {
  }
}

bool IPlugVST3View::isTypeOf(const char* name, bool askBaseClass) const {
  return classNameIs(name, "IPlugVST3View") || (askBaseClass && IPlugVST3ViewBase::isTypeOf(name, true));
}

IGraphics* IPlugVST3View::GetGraphics() const {
  IPlugVST3* plug = GetPlug();
  return plug ? dynamic_cast<IGraphics*>(plug->GetGUI()) : nullptr;
}

void IPlugVST3View::CloseWindow() {
  if (!mWindow) return;
  void* window = mWindow;
  mWindow = nullptr;
  GetPlug()->EditorClosing();
  // A later view of the same editor may have taken the window over; that one stays open.
  IGraphics* graphics = GetGraphics();
  if (graphics && graphics->GetWindowHandle() == window) graphics->CloseEditorWindow();
}

tresult CORVANE_VST3_CALL IPlugVST3View::isPlatformTypeSupported(FIDString type) {
  try {
    return GetGraphics() && isSameIDString(type, kPlatformTypeHWND) ? kResultOk : kResultFalse;
  } catch (...) {
    return kResultFalse;
  }
}

tresult CORVANE_VST3_CALL IPlugVST3View::attached(void* parent, FIDString type) {
  try {
    IGraphics* graphics = GetGraphics();
    if (!graphics || !parent || !isSameIDString(type, kPlatformTypeHWND)) return kResultFalse;
    CloseWindow();  // attached again without removed: the old window goes first
    void* window = graphics->OpenEditorWindow(parent);
    if (!window) return kResultFalse;
    mWindow = window;
    CPluginView::attached(parent, type);
    GetPlug()->EditorOpened();
    return kResultOk;
  } catch (...) {
    return kResultFalse;
  }
}

tresult CORVANE_VST3_CALL IPlugVST3View::removed() {
  try {
    CloseWindow();
    return CPluginView::removed();
  } catch (...) {
    return kResultFalse;
  }
}

tresult CORVANE_VST3_CALL IPlugVST3View::getSize(ViewRect* size) {
  if (!size) return kInvalidArgument;
  try {
    IGraphics* graphics = GetGraphics();
    if (!graphics) return kResultFalse;
    *size = ViewRect{0, 0, graphics->Width(), graphics->Height()};
    return kResultOk;
  } catch (...) {
    return kResultFalse;
  }
}

tresult CORVANE_VST3_CALL IPlugVST3View::onSize(ViewRect* newSize) {
  if (!newSize) return kResultOk;
  try {
    setRect(*newSize);
    if (IsExpectingSize()) {
      SetExpectingSize(false);
      if (IPlugEditor* editor = GetPlug()->GetGUI()) GetPlug()->EditorResized(editor);
    }
    return kResultOk;
  } catch (...) {
    return kResultFalse;
  }
}
