#include "vst3_plugview.h"

namespace Steinberg {

CPluginView::CPluginView(const ViewRect* rect) : rect_(rect ? *rect : ViewRect{0, 0, 0, 0}) {}

tresult CORVANE_VST3_CALL CPluginView::isPlatformTypeSupported(FIDString) {
  return kNotImplemented;
}

tresult CORVANE_VST3_CALL CPluginView::attached(void* parent, FIDString) {
  systemWindow_ = parent;
  attachedToParent();
  return kResultOk;
}

tresult CORVANE_VST3_CALL CPluginView::removed() {
  removedFromParent();
  systemWindow_ = nullptr;
  return kResultOk;
}

tresult CORVANE_VST3_CALL CPluginView::onWheel(float) { return kResultFalse; }
tresult CORVANE_VST3_CALL CPluginView::onKeyDown(char16, int16, int16) { return kResultFalse; }
tresult CORVANE_VST3_CALL CPluginView::onKeyUp(char16, int16, int16) { return kResultFalse; }

tresult CORVANE_VST3_CALL CPluginView::getSize(ViewRect* size) {
  if (!size) return kInvalidArgument;
  *size = rect_;
  return kResultTrue;
}

tresult CORVANE_VST3_CALL CPluginView::onSize(ViewRect* newSize) {
  if (newSize) rect_ = *newSize;
  return kResultTrue;
}

tresult CORVANE_VST3_CALL CPluginView::onFocus(TBool) { return kResultFalse; }

tresult CORVANE_VST3_CALL CPluginView::setFrame(IPlugFrame* frame) {
  plugFrame_ = IPtr<IPlugFrame>::share(frame);
  return kResultTrue;
}

tresult CORVANE_VST3_CALL CPluginView::canResize() { return kResultFalse; }
tresult CORVANE_VST3_CALL CPluginView::checkSizeConstraint(ViewRect*) { return kResultFalse; }

tresult CORVANE_VST3_CALL CPluginView::queryInterface(const TUID iid, void** obj) {
  if (queryAnswer<IPlugView>(iid, obj, this)) return kResultOk;
  return FObject::queryInterface(iid, obj);
}

bool CPluginView::isTypeOf(const char* name, bool askBaseClass) const {
  return classNameIs(name, "CPluginView") || (askBaseClass && FObject::isTypeOf(name, true));
}

}  // namespace Steinberg
