#include "iplug/igraphics/IControl.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "iplug/igraphics/IGraphics.h"
#include "iplug/core/IPlugBase.h"
#include "iplug/core/IPlugParameter.h"

IRectangle UnionRect(const IRectangle& a, const IRectangle& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return IRectangle(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                    std::max(a.bottom, b.bottom));
}

int FrameForValue(double value, int frames) {
  if (frames < 2) return 1;
  const int frame = ClampToInt((frames - 1) * value + 0.5) + 1;
  return std::min(std::max(frame, 1), frames);
}

// ---------------------------------------------------------------------------------------------
// IControl

IControl::IControl(IPlugBase* plug, const IRectangle& rect, int paramIndex, const IBlendSpec& blend)
    : mPlug(plug),
      mRECT(rect),
      mTargetRECT(rect),
      mParamIdx(paramIndex),
      mBlendMethod(blend.method),
      mBlendWeight(blend.weight) {}

IControl::~IControl() = default;

IGraphics* IControl::GetGUI() const { return mPlug ? static_cast<IGraphics*>(mPlug->GetGUI()) : nullptr; }

IPlugParameter* IControl::GetParam() const { return mPlug ? mPlug->GetParam(mParamIdx) : nullptr; }

void IControl::OnMouseDown(int /*x*/, int /*y*/, const IMouseMods& mods) {
  if (mods.right) PromptValue();
}

void IControl::OnMouseDoubleClick(int /*x*/, int /*y*/, const IMouseMods& /*mods*/) {
  const double defaultValue = mDefaultValue.Load();
  if (defaultValue >= 0.0) {
    mValue = defaultValue;
    MarkChanged(true);
  }
}

void IControl::ApplyPlugValue(double value) {
  if (!std::isfinite(value) || mCaptured.Load()) return;
  if (mDefaultValue.Load() < 0.0) {
    // The first value also becomes the default. A control without a parameter may get it only
    // after it was drawn: it is marked, so that the value is shown.
    mValue = value;
    mDefaultValue = value;
    mRedraw = true;
    mDirty = true;
    return;
  }
  double old = mValue.Load();
  if (value == old) return;
  // A user value written meanwhile (a drag that just began) wins over this one.
  if (!mValue.CompareExchange(old, value)) return;
  // The redraw request goes before the dirty mark: MarkDrawn relies on that order.
  mRedraw = true;
  MarkChanged(false);
}

void IControl::ApplyUserValue(double value) {
  if (value == mValue.Load()) return;
  mValue = value;
  MarkChanged(true);
  mRedraw = true;
}

void IControl::SetHidden(bool hide) {
  mHide = hide;
  mRedraw = true;
  mBlendWeight = hide ? 0.0f : 1.0f;
  MarkChanged(false);
}

void IControl::SetGrayed(bool gray) {
  mGrayed = gray;
  mBlendWeight = gray ? 0.25f : 1.0f;
  MarkChanged(false);
}

bool IControl::HitTest(int x, int y) { return mTargetRECT.Contains(x, y); }

void IControl::MarkChanged(bool notify) {
  double value = mValue.Load();
  const double clamped = value < mClampLo ? mClampLo : std::min(mClampHi, value);
  // Only a value outside the range is written back, and only when no one wrote meanwhile.
  if (clamped != value) mValue.CompareExchange(value, clamped);
  mMarks.FetchAdd(1);
  mDirty = true;
  if (!notify || !mPlug || mParamIdx < 0) return;

  mPlug->SetParameterFromGUI(mParamIdx, mValue.Load());
  IPlugParameter* param = GetParam();
  if (!param) return;
  if (mValueTextControl) {
    char text[kParamTextSize];
    param->FormatValueText(param->Value(), false, text, true);
    if (std::strcmp(text, mValueTextControl->GetText()) != 0) mValueTextControl->SetText(text);
  }
  if (mNameControl) mNameControl->SetText(param->GetName());
}

void IControl::MarkDrawn() {
  // dirty = redraw request, request cleared. The audio thread may request or mark meanwhile;
  // it always sets the request or counts the mark before it sets the dirty flag, so a request
  // or a mark found after the flag was cleared puts the flag back: nothing made after the draw
  // began is lost.
  const bool again = mRedraw.Exchange(false);
  mDirty = again;
  if (!again && (mRedraw.Load() || mMarks.Load() != mMarksAtDraw)) mDirty = true;
}

bool IControl::NeedsRedraw() { return mDirty.Load(); }

void IControl::MoveTo(int x, int y) {
  mRECT = IRectangle(x, y, x + (mRECT.right - mRECT.left), y + (mRECT.bottom - mRECT.top));
  mTargetRECT = mRECT;
}

void IControl::PromptValue() {
  if (mParamIdx < 0 || mDisablePrompt) return;
  IPlugParameter* param = GetParam();
  IGraphics* graphics = GetGUI();
  if (!param || !graphics) return;
  IRectangle rect = mRECT;
  if (param->CountDisplayTexts() == 0) {
    const int cx = ClampToInt((mRECT.left + mRECT.right) * 0.5);
    const int cy = ClampToInt((mRECT.top + mRECT.bottom) * 0.5);
    rect = IRectangle(cx - 20, cy - 8, cx + 20, cy + 8);
  }
  graphics->PromptParamInput(this, param, &rect);
  mRedraw = true;
}

void IControl::WheelStep(const IMouseMods& mods, int notches) {
  mValue += notches * ((mods.shift || mods.ctrl) ? 0.001 : 0.01);
  MarkChanged(true);
}

bool IControl::ParamValueText(PlugString* out, bool withLabel) const {
  IPlugParameter* param = GetParam();
  if (!param) {
    out->Assign("");
    return false;
  }
  char text[kParamTextSize];
  param->FormatValueText(param->Value(), false, text, true);
  if (!text[0]) {
    out->Assign("");
    return false;
  }
  out->Assign(text);
  if (withLabel) {
    const char* label = param->GetLabelText();
    const int length = out->GetLength();
    out->WriteAt(length, " ", 1);
    out->WriteAt(length + 1, label, static_cast<int>(std::strlen(label)));
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Aux bindings. Their values may be written by the audio thread (under the plug-in lock) while
// the user-interface thread reads them, so each access is atomic.

void IControl::AddAuxParam(int paramIndex) {
  const int n = NAuxParams();
  const int bytes = (n + 1) * static_cast<int>(sizeof(AuxParam));
  mAuxParams.Resize(bytes, false);
  if (mAuxParams.GetSize() != bytes) return;
  AuxParam* entry = AuxEntry(n);
  entry->mValue = 0.0;
  entry->mParamIdx = paramIndex;
}

int IControl::NAuxParams() const { return mAuxParams.GetSize() / static_cast<int>(sizeof(AuxParam)); }

IControl::AuxParam* IControl::AuxEntry(int auxIndex) const {
  if (auxIndex < 0 || auxIndex >= NAuxParams()) return nullptr;
  return static_cast<AuxParam*>(mAuxParams.Get()) + auxIndex;
}

int IControl::AuxParamIdx(int auxIndex) const {
  const AuxParam* entry = AuxEntry(auxIndex);
  return entry ? entry->mParamIdx : -1;
}

double IControl::AuxValue(int auxIndex) const {
  AuxParam* entry = AuxEntry(auxIndex);
  if (!entry) return 0.0;
  double value;
  __atomic_load(&entry->mValue, &value, __ATOMIC_SEQ_CST);
  return value;
}

void IControl::ApplyAuxPlugValue(int auxIndex, double value) {
  AuxParam* entry = AuxEntry(auxIndex);
  if (!entry) {
    PlugAssertFailed("idx > -1 && idx < mAuxParams.GetSize()", "icontrol", 156);
    return;
  }
  double old;
  __atomic_load(&entry->mValue, &old, __ATOMIC_SEQ_CST);
  if (old == value) return;
  __atomic_store(&entry->mValue, &value, __ATOMIC_SEQ_CST);
  mRedraw = true;
  MarkChanged(false);
}

// ---------------------------------------------------------------------------------------------
// Bitmap and switch

namespace {
IRectangle FrameRect(int x, int y, const IFrameBitmap& bitmap) {
  return IRectangle(x, y, x + bitmap.width, y + bitmap.height / std::max(1, bitmap.frames));
}
}  // namespace

IBitmapControl::IBitmapControl(IPlugBase* plug, int x, int y, int paramIndex, const IFrameBitmap& bitmap,
                               int blendMethod)
    : IControl(plug, FrameRect(x, y, bitmap), paramIndex, IBlendSpec(blendMethod)), mBitmap(bitmap) {}

bool IBitmapControl::Draw(IGraphics* graphics) {
  const IBlendSpec blend = GetBlend();
  return graphics->DrawBitmapFrame(&mBitmap, mRECT, FrameForValue(mValue, mBitmap.frames), &blend);
}

void ISwitchControl::OnMouseDown(int /*x*/, int /*y*/, const IMouseMods& mods) {
  if (mods.right) {
    PromptValue();
  } else {
    mValue += mBitmap.frames >= 2 ? 1.0 / (mBitmap.frames - 1) : 1.0;
  }
  if (mValue > 1.001) mValue = 0.0;
  MarkChanged(true);
}

// ---------------------------------------------------------------------------------------------
// Knobs

IKnobMultiControl::IKnobMultiControl(IPlugBase* plug, int x, int y, int paramIndex, const IFrameBitmap& bitmap,
                                     int direction, double gearing)
    : IKnobControl(plug, FrameRect(x, y, bitmap), paramIndex),
      mDirection(direction),
      mGearing(gearing),
      mBitmap(bitmap) {}

void IKnobMultiControl::OnMouseDrag(int /*x*/, int /*y*/, int dx, int dy, const IMouseMods& mods) {
  double gearing = mGearing;
  if (mods.shift || mods.ctrl) gearing *= 10.0;
  if (mDirection == kVertical) {
    mValue += static_cast<double>(dy) / (mRECT.top - mRECT.bottom) / gearing;
  } else {
    mValue += static_cast<double>(dx) / (mRECT.right - mRECT.left) / gearing;
  }
  MarkChanged(true);
}

void IKnobMultiControl::OnMouseWheel(int /*x*/, int /*y*/, const IMouseMods& mods, int notches) {
  WheelStep(mods, notches);
}

bool IKnobMultiControl::Draw(IGraphics* graphics) {
  const IBlendSpec blend = GetBlend();
  return graphics->DrawBitmapFrame(&mBitmap, mRECT, FrameForValue(mValue, mBitmap.frames), &blend);
}

IKnobMultiControlText::IKnobMultiControlText(IPlugBase* plug, int x, int y, int paramIndex,
                                             const IFrameBitmap& bitmap, const ITextStyle* style,
                                             bool showLabel, int layout, int textOffset)
    : IKnobMultiControl(plug, x, y, paramIndex, bitmap, kVertical, 4.0), mShowLabel(showLabel) {
  mBlendMethod = IBlendSpec::kBlendAlpha;
  mBlendWeight = 1.0f;
  if (style) mTextStyle = *style;
  mDisablePrompt = false;
  mKnobRECT = mRECT;
  const IRectangle& k = mKnobRECT;
  const int t = mTextStyle.size;
  const int v = t + 4;
  const int d = textOffset;
  const int m = k.top + (k.bottom - k.top) / 2 - v / 2 + d + 2;
  switch (layout) {
    case kTextBelow:
      mTextRECT = IRectangle(k.left, k.bottom + d + 4, k.right, k.bottom + v + d + 4);
      mTargetRECT.bottom = mTextRECT.bottom;
      break;
    case kTextAbove:
      mTextRECT = IRectangle(k.left, k.top - v - 4, k.right, k.top);
      mTargetRECT.top = mTextRECT.top;
      break;
    case kTextOnKnob:
      mTextRECT = IRectangle(k.left, m, k.right, m + v);
      break;
    case kTextLeft:
      mTextRECT = IRectangle(2 * k.left - k.right, m, k.left, m + v);
      mTargetRECT.left = mTextRECT.left;
      break;
    case kTextRight:
      mTextRECT = IRectangle(k.right + 2, m, k.left + 6 * t + 2, m + v);
      mTargetRECT.right = mTextRECT.right;
      break;
    case kTextRightBottom:
      mTextRECT = IRectangle(k.right - 4, k.bottom - v, k.left + 6 * t - 4, k.bottom);
      mTargetRECT.right = mTextRECT.right;
      break;
    default:
      break;
  }
  mLayoutTextRECT = mTextRECT;
}

void IKnobMultiControlText::OnMouseDown(int x, int y, const IMouseMods& mods) {
  if (mTextRECT.Contains(x, y)) {
    IPlugParameter* param = GetParam();
    IGraphics* graphics = GetGUI();
    if (param && graphics && !mDisablePrompt) {
      graphics->PromptParamInput(this, param, &mTextRECT);
      mRedraw = true;
    }
    return;
  }
  OnMouseDrag(x, y, 0, 0, mods);
}

bool IKnobMultiControlText::Draw(IGraphics* graphics) {
  IKnobMultiControl::Draw(graphics);
  if (!ParamValueText(&mValueText, mShowLabel)) return true;
  graphics->MeasureText(&mTextStyle, mValueText.Get(), &mTextRECT);
  mTextRECT.bottom = mTextRECT.top + mTextStyle.size + 4;
  IRectangle box = mTextRECT;
  graphics->DrawTextInRect(&mTextStyle, mValueText.Get(), &box);
  return true;
}

IRectangle IKnobMultiControlText::GetDrawArea() {
  return UnionRect(UnionRect(mRECT, mLayoutTextRECT), mTextRECT);
}

// ---------------------------------------------------------------------------------------------
// Fader

IFaderControl::IFaderControl(IPlugBase* plug, int x, int y, int trackLength, int paramIndex,
                             const IFrameBitmap& bitmap, int direction, bool onlyHandle)
    : IControl(plug, IRectangle(), paramIndex, IBlendSpec(IBlendSpec::kBlendAlpha)),
      mLen(trackLength),
      mBitmap(bitmap),
      mDirection(direction),
      mOnlyHandle(onlyHandle) {
  if (direction == kHorizontal) {
    mHandleHeadroom = bitmap.width;
    mRECT = IRectangle(x, y, x + trackLength, y + bitmap.height);
  } else {
    mHandleHeadroom = bitmap.height;
    mRECT = IRectangle(x, y, x + bitmap.width, y + trackLength);
  }
  mTargetRECT = mRECT;
}

IRectangle IFaderControl::GetHandleRECT() const {
  IRectangle r(mRECT.left, mRECT.top, mRECT.left + mBitmap.width, mRECT.top + mBitmap.height);
  const double travel = mLen - mHandleHeadroom;
  const double value = mValue.Load();
  if (mDirection == kHorizontal) {
    const int offset = ClampToInt(travel * value);
    r.left += offset;
    r.right += offset;
  } else {
    const int offset = ClampToInt((1.0 - value) * travel);
    r.top += offset;
    r.bottom += offset;
  }
  return r;
}

void IFaderControl::MoveHandleToPoint(int x, int y) {
  const int travel = mLen - mHandleHeadroom;
  if (travel <= 0) return;  // no room to move: the value stays
  const int halfHandle = mHandleHeadroom / 2;
  if (mDirection == kHorizontal) {
    mValue = static_cast<double>(x - mRECT.left - halfHandle) / travel;
  } else {
    mValue = 1.0 - static_cast<double>(y - mRECT.top - halfHandle) / travel;
  }
  MarkChanged(true);
}

void IFaderControl::OnMouseDown(int x, int y, const IMouseMods& mods) {
  if (mods.right) {
    PromptValue();
    return;
  }
  MoveHandleToPoint(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int /*dx*/, int /*dy*/, const IMouseMods& /*mods*/) {
  MoveHandleToPoint(x, y);
}

void IFaderControl::OnMouseWheel(int /*x*/, int /*y*/, const IMouseMods& mods, int notches) {
  WheelStep(mods, notches);
}

bool IFaderControl::Draw(IGraphics* graphics) {
  const IBlendSpec blend = GetBlend();
  return graphics->DrawBitmapRect(&mBitmap, GetHandleRECT(), 0, 0, &blend);
}

bool IFaderControl::HitTest(int x, int y) {
  if (!mOnlyHandle) return IControl::HitTest(x, y);
  return GetHandleRECT().Contains(x, y);
}

// ---------------------------------------------------------------------------------------------
// Text and caption

ITextControl::ITextControl(IPlugBase* plug, const IRectangle& rect, const ITextStyle* style, const char* text)
    : IControl(plug, rect, -1, IBlendSpec(IBlendSpec::kBlendAlpha)), mStr(text) {
  if (style) mTextStyle = *style;
}

ITextControl::~ITextControl() = default;

void ITextControl::SetText(const char* text) {
  if (!text) text = "";
  if (std::strcmp(text, mStr.Get()) == 0) return;
  MarkChanged(false);
  mStr.Assign(text);
}

bool ITextControl::Draw(IGraphics* graphics) {
  if (mStr.GetLength() > 0) {
    IRectangle box = mRECT;
    graphics->DrawTextInRect(&mTextStyle, mStr.Get(), &box);
  }
  return true;
}

ICaptionControl::ICaptionControl(IPlugBase* plug, const IRectangle& rect, int paramIndex, const ITextStyle* style,
                                 bool showLabel)
    : ITextControl(plug, rect, style, ""), mShowLabel(showLabel) {
  mParamIdx = paramIndex;
  mDisablePrompt = false;
}

void ICaptionControl::OnMouseDown(int /*x*/, int /*y*/, const IMouseMods& mods) {
  if (mods.left || mods.right) PromptValue();
}

void ICaptionControl::OnMouseDoubleClick(int /*x*/, int /*y*/, const IMouseMods& /*mods*/) { PromptValue(); }

bool ICaptionControl::Draw(IGraphics* graphics) {
  ParamValueText(&mStr, mShowLabel);
  return ITextControl::Draw(graphics);
}
