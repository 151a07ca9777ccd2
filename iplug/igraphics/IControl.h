#pragma once
// The controls of the editor. A control is a rectangle in editor coordinates, usually bound to
// one parameter whose normalised value (0..1) it holds and shows; it draws itself into the
// editor's draw surface, reacts to the mouse and sends the values the user makes to the plug-in
// (IPlugBase::SetParameterFromGUI). The editor owns its controls.
//
// Values reach a control in two ways only: from the plug-in (ApplyPlugValue and
// ApplyAuxPlugValue, never sent back; ApplyPlugValue may run on the audio thread) and from the
// user (mouse, wheel, value entry: MarkChanged with notify, which sets the parameter). While the
// editor has captured a control for a mouse gesture, values from the plug-in do not move it: the
// gesture keeps its own accumulated value, and the control takes the parameter's value again
// when the capture ends.

#include "iplug/igraphics/IGraphicsStructs.h"
#include "iplug/core/IPlugGeometry.h"
#include "iplug/core/IPlugUtilities.h"

class IGraphics;
class IPlugBase;
class IPlugParameter;
class ITextControl;

// The smallest rectangle holding both; an empty rectangle adds nothing.
IRectangle UnionRect(const IRectangle& a, const IRectangle& b);

class IControl {
 public:
  enum Direction { kVertical = 0, kHorizontal = 1 };

  IControl(IPlugBase* plug, const IRectangle& rect, int paramIndex = -1, const IBlendSpec& blend = IBlendSpec());
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // ---- Virtual operations, in their table order -------------------------------------------
  virtual ~IControl();
  // With the right button: PromptValue.
  virtual void OnMouseDown(int x, int y, const IMouseMods& mods);
  virtual void OnMouseUp(int /*x*/, int /*y*/, const IMouseMods& /*mods*/) {}
  virtual void OnMouseDrag(int /*x*/, int /*y*/, int /*dx*/, int /*dy*/, const IMouseMods& /*mods*/) {}
  // Back to the default value, when there is one.
  virtual void OnMouseDoubleClick(int x, int y, const IMouseMods& mods);
  virtual void OnMouseWheel(int /*x*/, int /*y*/, const IMouseMods& /*mods*/, int /*notches*/) {}
  virtual bool OnKeyDown(int /*x*/, int /*y*/, int /*key*/) { return false; }
  virtual void OnMouseOver(int /*x*/, int /*y*/, const IMouseMods& /*mods*/) {}
  virtual void OnMouseOut() {}
  virtual bool Draw(IGraphics* graphics) = 0;
  // A value from the plug-in (may run on the audio thread). The first one also becomes the
  // default. Non-finite values are ignored, and so is everything while the control is captured.
  virtual void ApplyPlugValue(double value);
  virtual void TakeEnteredText(const char* /*text*/) {}
  virtual void SetHidden(bool hide);
  virtual void SetGrayed(bool gray);
  virtual bool HitTest(int x, int y);
  // Clamps the value into the clamp range and marks the control dirty; with notify, sends the
  // value to the plug-in and updates the linked text controls.
  virtual void MarkChanged(bool notify);
  virtual void MarkDrawn();
  virtual bool NeedsRedraw();
  virtual void OnIdle() {}
  virtual void ApplyAuxPlugValue(int auxIndex, double value);
  virtual void MoveTo(int x, int y);

  // Everything the control draws: its rectangle, and more for controls that draw outside it.
  // The editor redraws and repaints this area for the control.
  virtual IRectangle GetDrawArea() { return mRECT; }

  // ---- Value entry and user values ------------------------------------------------------------
  // Opens value entry for the bound parameter through the editor (nothing when the control has
  // no parameter or value entry is disabled).
  void PromptValue();
  // A value from value entry: when it differs, it becomes the value and goes to the plug-in.
  void ApplyUserValue(double value);

  // ---- Accessors ----------------------------------------------------------------------------
  IPlugBase* GetPlug() const { return mPlug; }
  // The editor the control's plug-in is bound to, or null.
  IGraphics* GetGUI() const;
  // The bound parameter, or null.
  IPlugParameter* GetParam() const;
  int ParamIdx() const { return mParamIdx; }
  double GetValue() const { return mValue.Load(); }
  double GetDefaultValue() const { return mDefaultValue.Load(); }
  const IRectangle& GetRECT() const { return mRECT; }
  const IRectangle& GetTargetRECT() const { return mTargetRECT; }
  void SetTargetArea(const IRectangle& rect) { mTargetRECT = rect; }
  bool IsHidden() const { return mHide.Load(); }
  bool IsGrayed() const { return mGrayed.Load(); }
  IBlendSpec GetBlend() const { return IBlendSpec(mBlendMethod, mBlendWeight.Load()); }
  ITextStyle* GetTextStyle() { return &mTextStyle; }
  void SetTextStyle(const ITextStyle& style) { mTextStyle = style; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int length) { mTextEntryLength = length; }

  bool IsPromptDisabled() const { return mDisablePrompt; }
  void DisablePrompt(bool disable) { mDisablePrompt = disable; }
  bool GetDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetDblAsSingleClick(bool single) { mDblAsSingleClick = single; }
  bool GetMOWhenGrayed() const { return mMOWhenGrayed; }
  void SetMOWhenGrayed(bool allow) { mMOWhenGrayed = allow; }
  void SetClampRange(double lo, double hi) {
    mClampLo = lo;
    mClampHi = hi;
  }
  // The tooltip text is not copied; it must stay shorter than 80 characters.
  const char* GetTooltip() const { return mTooltip; }
  void SetTooltip(const char* tooltip) { mTooltip = tooltip; }
  // Linked text controls (not owned): the bound parameter's value text and its name.
  void SetValueTextControl(ITextControl* control) { mValueTextControl = control; }
  void SetNameControl(ITextControl* control) { mNameControl = control; }

  // Further parameter bindings, each with its own value.
  void AddAuxParam(int paramIndex);
  int NAuxParams() const;
  int AuxParamIdx(int auxIndex) const;  // -1 outside the list
  double AuxValue(int auxIndex) const;  // 0 outside the list

  // Set by the editor while the control owns the mouse.
  void SetCaptured(bool captured) { mCaptured = captured; }
  bool IsCaptured() const { return mCaptured.Load(); }
  // Forces a redraw at the next pass and at the pass after it.
  void SetRedraw() { mRedraw = true; }
  // Called by the draw pass before it draws the control: marks made from now on (by any
  // thread) keep the control dirty through MarkDrawn.
  void SnapshotMarks() { mMarksAtDraw = mMarks.Load(); }

 protected:
  struct AuxParam {
    double mValue;  // read and written atomically
    int mParamIdx;
  };
  AuxParam* AuxEntry(int auxIndex) const;

  // value += notches x 0.01 (0.001 with shift or ctrl), sent to the plug-in.
  void WheelStep(const IMouseMods& mods, int notches);
  // Writes the bound parameter's value text (with display texts) into out (kParamTextSize
  // bytes), plus a blank and the unit label with withLabel; "" without a parameter. Returns
  // false when the value text itself is empty.
  bool ParamValueText(PlugString* out, bool withLabel) const;

  int mTextEntryLength = 7;
  ITextStyle mTextStyle;
  IPlugBase* mPlug;
  IRectangle mRECT;
  IRectangle mTargetRECT;
  int mParamIdx;
  HeapBuffer mAuxParams{4096};
  SharedValue<double> mValue{0.0};
  SharedValue<double> mDefaultValue{-1.0};
  double mClampLo = 0.0, mClampHi = 1.0;
  SharedValue<bool> mDirty{true};
  SharedValue<bool> mHide{false};
  SharedValue<bool> mGrayed{false};
  SharedValue<bool> mRedraw{false};
  bool mDisablePrompt = true;
  bool mDblAsSingleClick = false;
  bool mMOWhenGrayed = false;
  int mBlendMethod;
  SharedValue<float> mBlendWeight;
  ITextControl* mValueTextControl = nullptr;
  ITextControl* mNameControl = nullptr;
  const char* mTooltip = nullptr;
  SharedValue<bool> mCaptured{false};
  SharedValue<unsigned> mMarks{0};  // counts MarkChanged calls
  unsigned mMarksAtDraw = 0;
};

// One frame of a strip chosen by the value: int((n - 1) x value + 0.5) + 1, within [1, n].
int FrameForValue(double value, int frames);

// A bitmap strip whose frame follows the value.
class IBitmapControl : public IControl {
 public:
  // Rectangle {x, y, x + bitmap width, y + bitmap height / frames}.
  IBitmapControl(IPlugBase* plug, int x, int y, int paramIndex, const IFrameBitmap& bitmap,
                 int blendMethod = IBlendSpec::kBlendAlpha);
  bool Draw(IGraphics* graphics) override;
  const IFrameBitmap& GetBitmap() const { return mBitmap; }

 protected:
  IFrameBitmap mBitmap;
};

// Steps through its frames on each click and wraps back to the first; a right click opens value
// entry.
class ISwitchControl : public IBitmapControl {
 public:
  ISwitchControl(IPlugBase* plug, int x, int y, int paramIndex, const IFrameBitmap& bitmap,
                 int blendMethod = IBlendSpec::kBlendAlpha)
      : IBitmapControl(plug, x, y, paramIndex, bitmap, blendMethod) {}
  void OnMouseDown(int x, int y, const IMouseMods& mods) override;
  void OnMouseDoubleClick(int x, int y, const IMouseMods& mods) override { OnMouseDown(x, y, mods); }
};

// The family of knobs.
class IKnobControl : public IControl {
 public:
  IKnobControl(IPlugBase* plug, const IRectangle& rect, int paramIndex, const IBlendSpec& blend = IBlendSpec())
      : IControl(plug, rect, paramIndex, blend) {}
};

// A knob drawn as one frame of a bitmap strip, turned by dragging and by the wheel.
class IKnobMultiControl : public IKnobControl {
 public:
  // Rectangle {x, y, x + bitmap width, y + bitmap height / frames}.
  IKnobMultiControl(IPlugBase* plug, int x, int y, int paramIndex, const IFrameBitmap& bitmap,
                    int direction = kVertical, double gearing = 4.0);
  // Up (or right) raises the value by the pixels moved / the control's size / gearing; shift or
  // ctrl makes it ten times finer.
  void OnMouseDrag(int x, int y, int dx, int dy, const IMouseMods& mods) override;
  void OnMouseWheel(int x, int y, const IMouseMods& mods, int notches) override;
  bool Draw(IGraphics* graphics) override;

  int GetDirection() const { return mDirection; }
  double GetGearing() const { return mGearing; }
  const IFrameBitmap& GetBitmap() const { return mBitmap; }

 protected:
  int mDirection;
  double mGearing;
  IFrameBitmap mBitmap;
};

// A knob with its parameter's value text next to it. A click on the text opens value entry;
// a click elsewhere sends the current value.
class IKnobMultiControlText : public IKnobMultiControl {
 public:
  enum Layout {
    kTextBelow = 0,
    kTextAbove = 1,
    kTextOnKnob = 2,
    kTextLeft = 3,
    kTextRight = 4,
    kTextRightBottom = 5
  };
  IKnobMultiControlText(IPlugBase* plug, int x, int y, int paramIndex, const IFrameBitmap& bitmap,
                        const ITextStyle* style, bool showLabel, int layout, int textOffset = 0);
  void OnMouseDown(int x, int y, const IMouseMods& mods) override;
  bool Draw(IGraphics* graphics) override;
  // The knob, the text area of the layout and the box of the text drawn last.
  IRectangle GetDrawArea() override;

  const IRectangle& GetTextRECT() const { return mTextRECT; }
  const IRectangle& GetKnobRECT() const { return mKnobRECT; }
  const char* GetValueText() const { return mValueText.Get(); }

 protected:
  IRectangle mTextRECT;
  IRectangle mKnobRECT;
  PlugString mValueText;
  bool mShowLabel;
  IRectangle mLayoutTextRECT;  // the text rectangle the layout gave, before any measuring
};

// A handle bitmap moving along a track; a click jumps the handle to the pointer.
class IFaderControl : public IControl {
 public:
  // Horizontal: rectangle {x, y, x + track length, y + bitmap height}; vertical: {x, y,
  // x + bitmap width, y + track length}. The top (or right) end of the track is the maximum.
  IFaderControl(IPlugBase* plug, int x, int y, int trackLength, int paramIndex, const IFrameBitmap& bitmap,
                int direction = kVertical, bool onlyHandle = false);
  void OnMouseDown(int x, int y, const IMouseMods& mods) override;
  void OnMouseDrag(int x, int y, int dx, int dy, const IMouseMods& mods) override;
  void OnMouseWheel(int x, int y, const IMouseMods& mods, int notches) override;
  bool Draw(IGraphics* graphics) override;
  bool HitTest(int x, int y) override;
  virtual void MoveHandleToPoint(int x, int y);

  // Where the handle is drawn for the current value.
  IRectangle GetHandleRECT() const;
  int GetLength() const { return mLen; }
  int GetHandleLength() const { return mHandleHeadroom; }

 protected:
  int mLen;
  int mHandleHeadroom;
  IFrameBitmap mBitmap;
  int mDirection;
  bool mOnlyHandle;
};

// One line of text.
class ITextControl : public IControl {
 public:
  ITextControl(IPlugBase* plug, const IRectangle& rect, const ITextStyle* style, const char* text = "");
  ~ITextControl() override;
  // A different text marks the control changed and replaces the text; an equal one does nothing.
  void SetText(const char* text);
  const char* GetText() const { return mStr.Get(); }
  bool Draw(IGraphics* graphics) override;

 protected:
  PlugString mStr;
};

// The value text of a parameter, optionally with its unit label; a click opens value entry.
class ICaptionControl : public ITextControl {
 public:
  ICaptionControl(IPlugBase* plug, const IRectangle& rect, int paramIndex, const ITextStyle* style,
                  bool showLabel = true);
  void OnMouseDown(int x, int y, const IMouseMods& mods) override;
  void OnMouseDoubleClick(int x, int y, const IMouseMods& mods) override;
  bool Draw(IGraphics* graphics) override;

 protected:
  bool mShowLabel;
};
