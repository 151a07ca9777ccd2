#pragma once
// The editor view a VST3 host gets from createView ("editor"). It opens the plug-in's editor
// window inside the host's parent window (platform type "HWND"), reports the editor's size and
// hands the sizes the plug-in asked the host for back to the framework (EditorResized).
//
// The editor is the plug-in's IGraphics; a plug-in without one gets a view that refuses every
// platform type, attachment and size query. All methods run on the host's user-interface thread
// and take no lock; none lets an exception reach the host.

#include "iplug/vst3/IPlugVST3.h"

class IGraphics;

class IPlugVST3View : public IPlugVST3ViewBase {
 public:
  explicit IPlugVST3View(IPlugVST3* plug);
  // A window the host left open (released without removed) is closed here.
  ~IPlugVST3View() override;

  // "HWND" with an editor: kResultOk; anything else kResultFalse.
  Steinberg::tresult CORVANE_VST3_CALL isPlatformTypeSupported(Steinberg::FIDString type) override;
  // Opens the editor window in the parent ("HWND" only), then IPlugBase::EditorOpened;
  // kResultOk. No editor, another type, a null parent or a window that could not be made:
  // kResultFalse, and the plug-in hears nothing. A window this view still has open is closed
  // first (with IPlugBase::EditorClosing).
  Steinberg::tresult CORVANE_VST3_CALL attached(void* parent, Steinberg::FIDString type) override;
  // IPlugBase::EditorClosing and the window closed, when this view opened one; kResultOk.
  Steinberg::tresult CORVANE_VST3_CALL removed() override;
  // {0, 0, editor width, editor height}; no editor kResultFalse, null kInvalidArgument.
  Steinberg::tresult CORVANE_VST3_CALL getSize(Steinberg::ViewRect* size) override;
  // Keeps the rectangle; when the plug-in had asked for a size (IPlugVST3::ResizeEditor),
  // IPlugBase::EditorResized. Null: nothing, kResultOk.
  Steinberg::tresult CORVANE_VST3_CALL onSize(Steinberg::ViewRect* newSize) override;

  const char* className() const override { return "IPlugVST3View"; }
  bool isTypeOf(const char* name, bool askBaseClass = true) const override;

  // Whether this view's window is open.
  bool IsWindowOpen() const { return mWindow != nullptr; }

 private:
  // The plug-in's editor, or null when it has none.
  IGraphics* GetGraphics() const;
  void CloseWindow();

  void* mWindow = nullptr;  // the window this view opened, while open
};
