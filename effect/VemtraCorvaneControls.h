#pragma once
// The editor controls that belong to the effect itself: the scrolling graph of one meter
// signal, the preset field with its menu (presets and program files), and the invisible faders
// that hand the processor gains to the host from the editor's thread.

#include <atomic>

#include "iplug/igraphics/IControl.h"
#include "iplug/core/IPlugMutex.h"

// A line graph of the values the audio thread hands it (through IGraphics::UpdateControlValue).
// It takes one value in eleven; the graph grows from the left edge with the newest value on the
// right until it is as wide as the control, then scrolls to the right with the newest value at
// the left edge. Values 0..1 span the control's height; values beyond are drawn at the edges.
// Bound to no parameter.
class IOscilloscopeControl : public IControl {
 public:
  static constexpr int kHistorySize = 1024;
  // Values skipped between two values taken.
  static constexpr int kDivider = 10;

  // A graph over rect in colour; null when the rectangle is wider than the history holds, or
  // has no width or height.
  static IOscilloscopeControl* Create(IPlugBase* plug, const IRectangle& rect, const IArgbColour& colour);
  ~IOscilloscopeControl() override;

  // Audio thread, no lock: one meter value. Values that are not finite are taken as 0, values
  // outside 0..1 as the nearer end (which is where they are drawn).
  void ApplyPlugValue(double value) override;
  bool Draw(IGraphics* graphics) override;

  int Count() const { return mCount.load(std::memory_order_acquire); }
  double HistoryValue(int index) const;  // 0 outside the values held
  const IArgbColour& GetColour() const { return mColour; }

 private:
  IOscilloscopeControl(IPlugBase* plug, const IRectangle& rect, const IArgbColour& colour);
  int Width() const { return mRECT.right - mRECT.left; }

  IArgbColour mColour;
  // Written by the audio thread while the editor's thread draws; a torn frame shows at most
  // one wrong point for one frame.
  std::atomic<double> mHistory[kHistorySize];
  std::atomic<int> mCount{0};
  int mDivider = kDivider;  // audio thread only
};

// The preset name field. A left click opens the preset menu: the presets, a separator,
// "Save Program..." and "Load Program...". A preset chosen is recalled; saving and loading go
// through the editor's file dialog and the program files, and only a save or load that
// succeeds re-stores the current preset under the file's name. Bound to no parameter.
class PresetFunctionsMenu : public ITextControl {
 public:
  static constexpr const char* kSaveText = "Save Program...";
  static constexpr const char* kLoadText = "Load Program...";
  static constexpr const char* kExtension = "fxp";

  PresetFunctionsMenu(IPlugBase* plug, const IRectangle& rect, const ITextStyle* style, const char* text = "");
  ~PresetFunctionsMenu() override;

  void OnMouseDown(int x, int y, const IMouseMods& mods) override;
  // Shows the name of the preset last chosen in the menu ("" when there is none).
  bool Draw(IGraphics* graphics) override;
  // Shows the menu at the control and carries out the choice. Editor thread.
  void ShowPopup();

  int GetShownItem() const { return mShownItem; }
  // The folder the file dialog starts in and last ended in.
  const char* GetDirectory() const { return mDirectory.Get(); }

 private:
  // Save (true) or load a program file through the file dialog; true when it succeeded.
  bool TransferProgramFile(bool save);

  PlugString mDirectory;
  PlugMutex mMutex;
  int mShownItem = 0;
};

// An invisible fader of one of the two gain parameters. The block callback moves it to the
// processor gain; drawing it, in automation Write mode, passes the parameter's value to the
// host from the editor's thread (for every host that does not take the audio thread's
// automation: codes 21 and 1). It never reacts to the mouse.
class VemtraCorvaneIVolume : public IFaderControl {
 public:
  VemtraCorvaneIVolume(IPlugBase* plug, int x, int y, int trackLength, int paramIndex, const IFrameBitmap& handle,
                       int direction = kVertical, bool onlyHandle = false)
      : IFaderControl(plug, x, y, trackLength, paramIndex, handle, direction, onlyHandle) {}

  bool Draw(IGraphics* graphics) override;
  bool HitTest(int /*x*/, int /*y*/) override { return false; }
};
