#pragma once
// An editor without a window, for builds without the Windows editor and for tests. It draws
// into the ordinary memory surface, records every area it would copy to the screen, runs the
// redraw timer when told to (Tick), reads bitmap resources as PNG files named by the resource
// name under a folder (or asks a resolver), takes its fonts from the drawing library's test
// rasteriser off Windows (GDI on Windows), and answers menus, entry boxes, message boxes and
// dialogs from a script that the caller fills in advance.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "iplug/igraphics/IGraphics.h"

class IGraphicsHeadless : public IGraphics {
 public:
  // Resolves a bitmap resource; return a new bitmap (the cache takes it) or null.
  using BitmapResolver = std::function<LICE_IBitmap*(int resourceId, const char* name)>;

  IGraphicsHeadless(IPlugBase* plug, int width, int height, int frameRate = 0);
  ~IGraphicsHeadless() override;

  // Resource names are read as files below this folder ("<root>/<name>"). The process-wide
  // default applies to editors made afterwards.
  void SetResourceRoot(const char* folder) { mResourceRoot = folder ? folder : ""; }
  static void SetDefaultResourceRoot(const char* folder);
  // A resolver replaces the folder.
  void SetBitmapResolver(BitmapResolver resolver) { mResolver = std::move(resolver); }
  int ResourceLoads() const { return mResourceLoads; }

  // ---- The window's side, as the Windows editor does it ------------------------------------
  // One tick of the redraw timer: a pending entry box is committed or cancelled (and the tick
  // ends there), otherwise the dirty area is drawn; every 21st quiet tick runs the idle step.
  // Returns the area drawn (empty when none).
  IRectangle Tick();
  // Mouse events as the window hands them on: a button pressed while an entry box is open
  // commits the box at the next tick and goes no further; the wheel cancels it; drags need the
  // capture and no box.
  void MouseDown(int x, int y, const IMouseMods& mods);
  void MouseUp(int x, int y, const IMouseMods& mods);
  void MouseDrag(int x, int y, const IMouseMods& mods);
  void MouseDoubleClick(int x, int y, const IMouseMods& mods);
  void MouseWheel(int x, int y, const IMouseMods& mods, int notches);

  // ---- Script -------------------------------------------------------------------------------
  // The next menu shown chooses this entry of the top list (subIndex >= 0: that entry of the
  // submenu held by entry index); -1 closes the menu without a choice. Without a scripted
  // answer a menu closes without a choice.
  void ScriptMenuChoice(int index, int subIndex = -1) { mMenuScript.push_back({index, subIndex}); }
  // The next entry box opened takes this text and is committed (or cancelled) at the next tick.
  // Without a scripted answer the box stays open until TypeIntoEntry or CancelTextEntry.
  void ScriptTextEntry(const char* text, bool commit = true) { mEntryScript.push_back({text ? text : "", commit}); }
  void ScriptFile(const char* path) { mFileScript.push_back(path ? path : ""); }
  void ScriptMessageAnswer(int answer) { mMessageScript.push_back(answer); }
  void SetClipboardText(const char* text) { mClipboard = text ? text : ""; }

  // ---- What was asked -----------------------------------------------------------------------
  struct ShownMenu {
    std::vector<std::string> texts;  // item texts as shown, numbering applied; "-" for separators
    std::vector<int> flags;
    IRectangle rect;
    bool chosen = false;
  };
  struct EntryBox {
    IControl* control = nullptr;
    IPlugParameter* param = nullptr;
    IRectangle rect;
    std::string text;
    int maxLength = 0;
  };
  const std::vector<IRectangle>& Painted() const { return mPainted; }
  void ClearPainted() { mPainted.clear(); }
  const std::vector<ShownMenu>& Menus() const { return mMenus; }
  const std::vector<EntryBox>& EntryBoxes() const { return mEntryBoxes; }
  bool EntryBoxOpen() const { return mEntryState != kEntryNone; }
  // Types into the open box; it is committed at the next tick.
  void TypeIntoEntry(const char* text);
  const std::vector<std::string>& Messages() const { return mMessages; }
  int IdleCalls() const { return mIdleCalls; }

  // ---- IGraphics ------------------------------------------------------------------------------
  bool PaintToScreen(const IRectangle& rect) override;
  void CancelTextEntry() override;
  const char* GetDrawingApiName() override { return "Headless"; }
  int ShowMessage(const char* text, const char* caption, int type) override;
  IMenuList* ShowPopupMenu(IMenuList* menu, const IRectangle& rect) override;
  void OpenTextEntry(IControl* control, const ITextStyle* style, const IRectangle& rect, const char* text,
                     IPlugParameter* param) override;
  void GetHostFolder(PlugString* out) override { out->Assign(""); }
  void GetPluginFolder(PlugString* out) override { out->Assign(""); }
  void GetDesktopFolder(PlugString* out) override { out->Assign(""); }
  void GetAppDataFolder(PlugString* out, bool /*shared*/) override { out->Assign(""); }
  void GetUserAppDataFolder(PlugString* out) override { out->Assign(""); }
  void AskForFile(PlugString* file, int action, PlugString* folder, const char* extensions) override;
  bool AskForColour(IArgbColour* /*colour*/, const char* /*prompt*/) override { return false; }
  bool OpenWebAddress(const char* /*address*/, const char* /*caption*/, const char* /*confirmText*/,
                      const char* /*failureText*/) override {
    return false;
  }
  IWindowHandle OpenEditorWindow(IWindowHandle parent) override;
  void CloseEditorWindow() override { mWindowOpen = false; }
  IWindowHandle GetWindowHandle() override { return mWindowOpen ? this : nullptr; }
  bool GetClipboardText(PlugString* out) override;
  void ReservedCall3() override {}
  void OnIdle() override;
  LICE_IBitmap* LoadResourceBitmap(int resourceId, const char* name) override;
  LICE_FontHandle CreateFontHandle(const ITextStyle& style) override;

 private:
  enum EntryState { kEntryNone, kEntryOpen, kEntryCancel, kEntryCommit };
  struct MenuAnswer {
    int index, subIndex;
  };
  struct EntryAnswer {
    std::string text;
    bool commit;
  };
  void RecordMenu(IMenuList* menu, const IRectangle& rect);

  std::string mResourceRoot;
  BitmapResolver mResolver;
  int mResourceLoads = 0;
  bool mWindowOpen = false;
  int mIdleCalls = 0;

  std::vector<IRectangle> mPainted;
  std::vector<ShownMenu> mMenus;
  std::vector<EntryBox> mEntryBoxes;
  std::vector<std::string> mMessages;
  std::deque<MenuAnswer> mMenuScript;
  std::deque<EntryAnswer> mEntryScript;
  std::deque<std::string> mFileScript;
  std::deque<int> mMessageScript;
  std::string mClipboard;

  EntryState mEntryState = kEntryNone;
  std::string mEntryText;
  IControl* mEntryControl = nullptr;
  IPlugParameter* mEntryParam = nullptr;
};
