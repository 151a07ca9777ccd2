// Base of a plug-in editor view: reference counting, the kept view rectangle, the parent
// window and the host's IPlugFrame, with the default answers hosts expect.
#pragma once

#include "vst3_object.h"

namespace Steinberg {

class CPluginView : public FObject, public IPlugView {
 public:
  // rect: the initial size (null: all zeros).
  explicit CPluginView(const ViewRect* rect = nullptr);
  ~CPluginView() override = default;

  tresult CORVANE_VST3_CALL isPlatformTypeSupported(FIDString type) override;  // kNotImplemented
  // Keeps the parent, calls attachedToParent; kResultOk.
  tresult CORVANE_VST3_CALL attached(void* parent, FIDString type) override;
  // Calls removedFromParent, clears the parent; kResultOk.
  tresult CORVANE_VST3_CALL removed() override;
  tresult CORVANE_VST3_CALL onWheel(float distance) override;                          // kResultFalse
  tresult CORVANE_VST3_CALL onKeyDown(char16 key, int16 keyCode, int16 modifiers) override;  // kResultFalse
  tresult CORVANE_VST3_CALL onKeyUp(char16 key, int16 keyCode, int16 modifiers) override;    // kResultFalse
  // Null: kInvalidArgument; else the kept rectangle, kResultTrue.
  tresult CORVANE_VST3_CALL getSize(ViewRect* size) override;
  // Keeps a copy of a non-null rectangle; kResultTrue.
  tresult CORVANE_VST3_CALL onSize(ViewRect* newSize) override;
  tresult CORVANE_VST3_CALL onFocus(TBool state) override;  // kResultFalse
  // Keeps the frame with a reference (released on the next setFrame and on destruction).
  tresult CORVANE_VST3_CALL setFrame(IPlugFrame* frame) override;
  tresult CORVANE_VST3_CALL canResize() override;                       // kResultFalse
  tresult CORVANE_VST3_CALL checkSizeConstraint(ViewRect* rect) override;  // kResultFalse

  tresult CORVANE_VST3_CALL queryInterface(const TUID iid, void** obj) override;
  CORVANE_VST3_REFCOUNT_METHODS(FObject)

  const ViewRect& getRect() const { return rect_; }
  void setRect(const ViewRect& rect) { rect_ = rect; }
  bool isAttached() const { return systemWindow_ != nullptr; }
  void* getSystemWindow() const { return systemWindow_; }
  // Borrowed (no reference added); null before setFrame.
  IPlugFrame* getFrame() const { return plugFrame_.get(); }

  const char* className() const override { return "CPluginView"; }
  bool isTypeOf(const char* name, bool askBaseClass = true) const override;

 protected:
  virtual void attachedToParent() {}
  virtual void removedFromParent() {}

 private:
  ViewRect rect_;
  void* systemWindow_ = nullptr;
  IPtr<IPlugFrame> plugFrame_;
};

}  // namespace Steinberg
