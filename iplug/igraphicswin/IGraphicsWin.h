#pragma once
// The editor on Windows: an IGraphics that lives in a child window ("IPlugWndClass") of the
// host's parent window. It copies the draw surface to the screen, runs the redraw timer, turns
// window messages into the editor's mouse and key dispatch, and offers a one-line text-entry
// box, tooltips, message boxes, file and colour dialogs, well-known folders, the clipboard,
// opening a web address and popup menus built from IMenuList descriptions. Bitmaps are the
// module's resources of type "PNG".
//
// Use: the plug-in constructs it (plug, width, height, frame rate), hands it the module instance
// with SetHInstance (normally GetPlugModuleInstance(), which the module's library entry set), adds
// its controls and binds it (IPlugBase::BindGraphics). A host adapter then opens the window with
// OpenEditorWindow (parent HWND) and closes it with CloseEditorWindow, any number of times.
//
// Threads: only the host's user-interface thread calls into this class, except the value-routing
// operations of IGraphics that its header names. The window class and its use count are shared by
// every editor of the process.
//
// Failed checks are reported through the framework's assertion report (PlugAssertFailed) and the
// editor goes on in a defined state: a tooltip of 80 characters or more is reported and not
// shown.

#include <windows.h>

#include "iplug/igraphics/IGraphics.h"
#include "iplug/igraphicswin/IGraphicsWinLogic.h"

// The framework's module instance handle: the module (DLL) that holds the window class and the
// bitmap resources. The module's library entry sets it when the module loads; the plug-in hands it
// to its editor. Null until set.
void SetPlugModuleInstance(HINSTANCE instance);
HINSTANCE GetPlugModuleInstance();

// A child window that is not an MDI child.
bool IsPlainChildWindow(HWND hWnd);

// The colour dialog's hook: on WM_INITDIALOG the dialog's title becomes the prompt carried in
// the dialog record's custom data, when there is one.
UINT_PTR CALLBACK ChooseColourHookProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);

class IGraphicsWin : public IGraphics {
 public:
  static constexpr const char* kWindowClassName = "IPlugWndClass";
  static constexpr UINT_PTR kTimerId = 2;
  static constexpr int kTextEntryId = 99;
  static constexpr int kMaxTooltipLength = 79;

  // A frame rate of 0 or less becomes 25 frames a second.
  IGraphicsWin(IPlugBase* plug, int width, int height, int frameRate = 0);
  // Closes the window (and an open entry box) first.
  ~IGraphicsWin() override;

  // The module whose window class and "PNG" resources the editor uses; set it before opening
  // the window or loading bitmaps.
  void SetHInstance(HINSTANCE instance) { mHInstance = instance; }
  HINSTANCE GetHInstance() const { return mHInstance; }

  // ---- IGraphics ------------------------------------------------------------------------------
  bool PaintToScreen(const IRectangle& rect) override;
  void CancelTextEntry() override;
  void Resize(int width, int height) override;
  const char* GetDrawingApiName() override { return "Windows GDI"; }
  int ShowMessage(const char* text, const char* caption, int type) override;
  IMenuList* ShowPopupMenu(IMenuList* menu, const IRectangle& rect) override;
  void OpenTextEntry(IControl* control, const ITextStyle* style, const IRectangle& rect, const char* text,
                     IPlugParameter* param) override;
  void GetHostFolder(PlugString* out) override;
  void GetPluginFolder(PlugString* out) override;
  void GetDesktopFolder(PlugString* out) override;
  void GetAppDataFolder(PlugString* out, bool shared) override;
  void GetUserAppDataFolder(PlugString* out) override;
  void AskForFile(PlugString* file, int action, PlugString* folder, const char* extensions) override;
  bool AskForColour(IArgbColour* colour, const char* prompt) override;
  bool OpenWebAddress(const char* address, const char* caption, const char* confirmText,
                      const char* failureText) override;
  // Opens the editor as a child of parent (an HWND) and returns its window, or null. An open
  // window is closed and reopened at its place and size.
  IWindowHandle OpenEditorWindow(IWindowHandle parent) override;
  // Destroys the window; an open entry box is cancelled. Nothing when no window is open.
  void CloseEditorWindow() override;
  IWindowHandle GetWindowHandle() override { return mHWND; }
  bool GetClipboardText(PlugString* out) override;
  void HidePointer() override;
  void RestorePointer() override;
  void ReservedCall3() override {}
  // The resource of type "PNG" with the identifier in the module instance, decoded; null when
  // the name does not end in "png", the resource is missing or 7 bytes or fewer, or the data
  // is no PNG.
  LICE_IBitmap* LoadResourceBitmap(int resourceId, const char* name) override;

  // ---- Windows helpers --------------------------------------------------------------------------
  static LRESULT CALLBACK WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK TextEntryProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static BOOL CALLBACK FindHostWindowProc(HWND hWnd, LPARAM lParam);
  // Sets the tooltip of the editor window; null hides it.
  void UpdateTooltipText(const char* text);
  // The folder of a module's file (the host executable for null), with the final backslash.
  static void GetModuleFolder(HMODULE module, PlugString* out);
  // The class name of a window, at most 127 characters.
  static void GetWindowClassName(HWND hWnd, PlugString* out);
  // Builds the Win32 menu of a list; *running is the next command identifier.
  static HMENU BuildPopupMenu(IMenuList* menu, int* running, int depth = 0);

  // ---- Process-wide values ------------------------------------------------------------------
  static int ClassUseCount() { return sClassUseCount; }
  static double TimerFrameRate() { return sTimerFrameRate; }

  // ---- State, for the adapters and tests -----------------------------------------------------
  HWND GetTextEntryWindow() const { return mParamEditWnd; }
  HFONT GetTextEntryFont() const { return mEditFont; }
  IControl* GetTextEntryControl() const { return mEdControl; }
  IPlugParameter* GetTextEntryParam() const { return mEdParam; }
  TextEntryState GetTextEntryState() const { return mParamEditMsg; }
  HWND GetTooltipWindow() const { return mTooltipWnd; }
  bool TooltipShown() const { return mShowingTooltip; }
  HWND GetHostMainWindow() const { return mMainWnd; }
  HWND GetMessageOwner() const { return mMsgOwner; }

 private:
  LRESULT HandleMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleTextEntryMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void OnTimerTick();
  void OnButtonDown(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void OnButtonUp(WPARAM wParam, LPARAM lParam);
  void OnMouseMove(HWND hWnd, WPARAM wParam, LPARAM lParam);
  void ForwardKeyToRoot(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // Removes the entry box (commit: its text goes to CommitTextEntry first) and deletes its font.
  void EndTextEntry(bool commit);
  // Closes the window; plugAlive false (the destructor) makes no call on the plug-in.
  void CloseEditor(bool plugAlive);
  void CreateTooltips();
  void DestroyTooltips();
  // The window is gone: the class use count drops, unregistering the class with the last.
  void ForgetWindow();
  // The box's rectangle in the editor window's client coordinates (empty without a box).
  bool TextEntryClientRect(RECT* out) const;
  HWND FindMessageOwner();

  HINSTANCE mHInstance = nullptr;
  HWND mHWND = nullptr;
  HWND mParamEditWnd = nullptr;
  HWND mTooltipWnd = nullptr;
  IControl* mEdControl = nullptr;
  IPlugParameter* mEdParam = nullptr;
  WNDPROC mDefEditProc = nullptr;
  TextEntryState mParamEditMsg = kTextEntryNone;
  bool mShowingTooltip = false;
  int mTooltipIdx = -1;
  COLORREF* mCustomColors = nullptr;
  DWORD mPID = 0;
  HWND mMainWnd = nullptr;
  HWND mMsgOwner = nullptr;
  PlugString mOwnerClassName;
  HFONT mEditFont = nullptr;
  bool mReleasingCapture = false;  // our own ReleaseCapture: the capture change is expected
  bool mClosing = false;           // CloseEditorWindow is destroying the window

  static int sClassUseCount;
  static double sTimerFrameRate;
  static HINSTANCE sClassInstance;  // the module the class was registered with
};
