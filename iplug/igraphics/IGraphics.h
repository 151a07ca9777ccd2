#pragma once
// The editor of one plug-in instance: its controls, an off-screen draw surface of the editor's
// size, the draw pass over the controls that changed, value routing between the plug-in's
// parameters and the controls in both directions, and mouse and key dispatch. Bitmaps and fonts
// come from two process-wide caches shared by every editor of the process.
//
// IGraphics is abstract: a platform layer (the Windows editor window, or the headless editor
// used off Windows and by the tests) supplies the window, copying to the screen, text entry,
// menus, dialogs, folders and loading bitmap resources.
//
// Threads: everything runs on the host's user-interface thread except UpdateControlValue and
// MarkAllControlsChanged (the audio thread, without a lock) and UpdateControlsOfParam (also the
// audio thread, under the plug-in lock). The control list must not change while the audio
// thread can reach the editor.

#include "drawing/lice_bitmap.h"
#include "drawing/lice_text.h"
#include "iplug/igraphics/IGraphicsStructs.h"
#include "iplug/core/IPlugEditor.h"
#include "iplug/core/IPlugGeometry.h"
#include "iplug/core/IPlugMenu.h"
#include "iplug/core/IPlugUtilities.h"

class IControl;
class IPlugBase;
class IPlugParameter;

// A native window handle (HWND on Windows).
typedef void* IWindowHandle;

class IGraphics : public IPlugEditor {
 public:
  // Quiet timer ticks after which the idle step runs.
  static constexpr int kIdleTicks = 20;

  // A frame rate of 0 or less becomes 25 frames a second.
  IGraphics(IPlugBase* plug, int width, int height, int frameRate = 0);
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ---- Virtual operations, in their table order -------------------------------------------
  virtual bool PaintToScreen(const IRectangle& rect) = 0;
  // Turns rect into the box the text takes (see DrawTextInRect).
  virtual bool MeasureText(ITextStyle* style, const char* text, IRectangle* rect);
  virtual void CancelTextEntry() = 0;
  virtual void Resize(int width, int height);
  virtual bool IsWindowOpen();
  virtual const char* GetDrawingApiName();
  virtual int ShowMessage(const char* text, const char* caption, int type) = 0;
  // Shows the menu at the rectangle and returns the list that holds the chosen entry (its
  // chosen index set), or null. A platform releases the mouse capture first
  // (ReleaseMouseCapture): the button that opened the menu is not followed by a drag.
  virtual IMenuList* ShowPopupMenu(IMenuList* menu, const IRectangle& rect) = 0;
  // Opens a one-line entry box over rect holding text; the platform later hands the typed
  // text to CommitTextEntry (control, param, text). Nothing when a box is open already. The
  // mouse capture has been released before (PromptParamInput does it).
  virtual void OpenTextEntry(IControl* control, const ITextStyle* style, const IRectangle& rect,
                             const char* text, IPlugParameter* param) = 0;
  virtual void GetHostFolder(PlugString* out) = 0;
  virtual void GetPluginFolder(PlugString* out) = 0;
  virtual void GetDesktopFolder(PlugString* out) = 0;
  virtual void GetAppDataFolder(PlugString* out, bool shared) = 0;
  virtual void GetUserAppDataFolder(PlugString* out) = 0;
  // action 1 saves, anything else opens; extensions is a blank-separated list.
  virtual void AskForFile(PlugString* file, int action, PlugString* folder, const char* extensions) = 0;
  virtual bool AskForColour(IArgbColour* colour, const char* prompt) = 0;
  virtual bool OpenWebAddress(const char* address, const char* caption, const char* confirmText,
                              const char* failureText) = 0;
  virtual bool ReservedQuery() { return false; }
  virtual IWindowHandle OpenEditorWindow(IWindowHandle parent) = 0;
  virtual void ReservedCall1(void* /*argument*/) {}
  virtual void ReservedCall2() {}
  virtual void CloseEditorWindow() = 0;
  virtual IWindowHandle GetWindowHandle() = 0;
  virtual bool GetClipboardText(PlugString* out) = 0;
  // Deletes the key catcher, the controls from the last to the first and the draw surfaces.
  // It never calls the plug-in, which is being destroyed when it deletes its editor.
  ~IGraphics() override;
  virtual void HidePointer() {}
  virtual void RestorePointer() {}
  virtual void ReservedCall3() = 0;
  virtual void OnIdle();
  // Reads a bitmap resource; null when it cannot be had.
  virtual LICE_IBitmap* LoadResourceBitmap(int resourceId, const char* name) = 0;

  // Makes the native font for a style that is not in the font cache (null: no font). The base
  // asks GDI on Windows and has no fonts elsewhere; the cached font takes ownership.
  virtual LICE_FontHandle CreateFontHandle(const ITextStyle& style);

  // ---- The plug-in's view of its editor -----------------------------------------------------
  void UpdateControlsOfParam(int paramIndex, double value, bool normalized) override;
  void CreateDrawBitmaps() override;
  void GrayControlsOfParam(int paramIndex, bool gray) override;
  void HideControlsOfParam(int paramIndex, bool hide) override;
  void HideControl(int controlIndex, bool hide) override;
  void UpdateControlValue(int controlIndex, double value) override;
  void MarkAllControlsChanged() override;

  // ---- Controls and bitmaps -----------------------------------------------------------------
  // The editor owns the control from now on; returns its index.
  int AddControl(IControl* control);
  // A one-frame bitmap control of the bitmap's size at the front of the list (index 0).
  IControl* AddBackground(int resourceId, const char* name);
  IFrameBitmap LoadFrameBitmap(int resourceId, const char* name, int frames = 1, bool horizontal = false);
  static void RegisterCachedBitmap(LICE_IBitmap* bitmap, int resourceId);

  int NControls() const { return mControls.GetSize(); }
  IControl* GetControl(int index) const { return mControls.Get(index); }
  IPlugBase* GetPlug() const { return mPlug; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FrameRate() const { return mFrameRate; }
  LICE_SysBitmap* GetDrawBitmap() const { return mDrawBitmap; }
  const IRectangle& GetDrawClip() const { return mDrawRECT; }

  // ---- Value entry --------------------------------------------------------------------------
  // A menu of the display texts for enumerations (and booleans with display texts), else an
  // entry box holding the value. Nothing when an argument is missing.
  void PromptParamInput(IControl* control, IPlugParameter* param, const IRectangle* rect);
  // Applies the text typed for control: a display text for booleans and enumerations (0 when
  // none matches); a decimal number for other kinds, where anything that is not a finite
  // number keeps the old value. Without a parameter the control takes the text itself.
  void CommitTextEntry(IControl* control, IPlugParameter* param, const char* text);

  // ---- Drawing ------------------------------------------------------------------------------
  // Draws the controls that overlap rect (or, in the other mode, the dirty ones) into the draw
  // surface, then PaintToScreen (rect) gives the result. No controls: nothing, true.
  bool Draw(const IRectangle& rect);
  // The area covering every control that needs redrawing; false when none does.
  bool CollectDirtyRect(IRectangle* out);
  // One timer tick of the platform's redraw timer: the dirty area, or false after counting a
  // quiet tick (every kIdleTicks + 1 quiet ticks run OnIdle).
  bool TickDirtyRect(IRectangle* out);

  bool DrawBitmapRect(const IFrameBitmap* bitmap, const IRectangle& dest, int srcX, int srcY,
                      const IBlendSpec* blend = nullptr);
  // Frames count from 1.
  bool DrawBitmapFrame(const IFrameBitmap* bitmap, const IRectangle& rect, int frame,
                       const IBlendSpec* blend = nullptr);
  bool DrawLineF(const IArgbColour& colour, float x1, float y1, float x2, float y2,
                 const IBlendSpec* blend = nullptr, bool antialias = false);
  bool DrawRectOutline(const IRectangle& rect);
  // One line of text in rect. measure: nothing is drawn; rect becomes the text's box (aligned
  // as the style says, top kept). False when no font can be had.
  bool DrawTextInRect(ITextStyle* style, const char* text, IRectangle* rect, bool measure = false);
  LICE_CachedFont* GetCachedFont(ITextStyle* style);

  // ---- Input, in client coordinates -----------------------------------------------------------
  int FindControlAt(int x, int y);
  void OnMouseDown(int x, int y, const IMouseMods& mods);
  void OnMouseUp(int x, int y, const IMouseMods& mods);
  void OnMouseDrag(int x, int y, const IMouseMods& mods);
  // True: the window must take the mouse capture.
  bool OnMouseDoubleClick(int x, int y, const IMouseMods& mods);
  void OnMouseWheel(int x, int y, const IMouseMods& mods, int notches);
  bool OnMouseOver(int x, int y, const IMouseMods& mods);
  void OnMouseOut();
  // True when the key was taken.
  bool OnKeyDown(int x, int y, int key);
  // Ends the capture: the captured control takes its parameter's value again, and a host
  // gesture still open is closed. Platforms call it when the capture is lost.
  void ReleaseMouseCapture();

  int GetCapturedControl() const { return mCapturedControl; }
  int GetMouseOverControl() const { return mMouseOverControl; }
  void GetLastMousePosition(int* x, int* y) const {
    *x = mMouseX;
    *y = mMouseY;
  }
  // The parameter of the host gesture in progress, or -1.
  int GetOpenGesture() const { return mGestureParam; }

  // ---- Editor flags and the key catcher -----------------------------------------------------
  void HandleMouseOver(bool handle) { mHandleMouseOver = handle; }
  void SetDrawAllInRect(bool all) { mDrawAllInRect = all; }
  void EnableTooltips(bool enable) { mTooltips = enable; }
  bool TooltipsEnabled() const { return mTooltips; }
  void ShowControlBounds(bool show) { mShowControlBounds = show; }
  // The editor owns the key catcher; a previous one is deleted.
  void SetKeyCatcher(IControl* control);

 protected:
  // Host gestures: a begin for paramIndex unless that gesture is open already; true when this
  // call opened it. Every opened gesture is ended exactly once.
  bool BeginGesture(int paramIndex);
  void EndGesture();
  // Drops the capture; with resync the captured control takes its parameter's value again.
  void DropCapture(bool resync);
  void DeleteDrawBitmaps();

  PointerList<IControl> mControls{4096};
  IPlugBase* mPlug;
  IRectangle mDrawRECT;
  bool mPointerHidden = false;
  int mHiddenPointerX = -1, mHiddenPointerY = -1;
  LICE_SysBitmap* mDrawBitmap = nullptr;
  LICE_MemBitmap* mScratchBitmap = nullptr;
  int mWidth, mHeight;
  int mFrameRate;
  int mIdleTicks = 0;
  int mCapturedControl = -1;
  int mMouseOverControl = -1;
  int mMouseX = 0, mMouseY = 0;
  bool mHandleMouseOver = false;
  bool mDrawAllInRect = true;
  bool mTooltips = false;
  bool mShowControlBounds = false;
  IControl* mKeyCatcher = nullptr;
  int mGestureParam = -1;
};
