#include "iplug/igraphics/IGraphicsHeadless.h"

#include <cctype>
#include <cstdio>

#include "drawing/lice_png.h"
#include "drawing/lice_text.h"
#include "iplug/igraphics/IControl.h"
#include "iplug/core/IPlugParameter.h"

namespace {

std::string& DefaultResourceRoot() {
  static std::string root;
  return root;
}

// What the Windows entry box lets through: at most maxLength characters; for booleans,
// integers and enumerations only digits, "+" and "-", for numbers also ".".
std::string FilterTyped(const char* text, const IPlugParameter* param, int maxLength) {
  std::string out;
  for (const char* p = text; *p && static_cast<int>(out.size()) < maxLength; ++p) {
    const char c = *p;
    if (param) {
      const ParamKind kind = param->Kind();
      const bool numeric = std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-';
      if ((kind == kParamBoolean || kind == kParamInteger || kind == kParamEnumeration) && !numeric) continue;
      if (kind == kParamNumber && !numeric && c != '.') continue;
    }
    out += c;
  }
  return out;
}

}  // namespace

void IGraphicsHeadless::SetDefaultResourceRoot(const char* folder) { DefaultResourceRoot() = folder ? folder : ""; }

IGraphicsHeadless::IGraphicsHeadless(IPlugBase* plug, int width, int height, int frameRate)
    : IGraphics(plug, width, height, frameRate), mResourceRoot(DefaultResourceRoot()) {}

IGraphicsHeadless::~IGraphicsHeadless() = default;

// ---------------------------------------------------------------------------------------------
// The window's side

IRectangle IGraphicsHeadless::Tick() {
  if (mEntryState == kEntryCommit || mEntryState == kEntryCancel) {
    IControl* control = mEntryControl;
    IPlugParameter* param = mEntryParam;
    const std::string text = mEntryText;
    const bool commit = mEntryState == kEntryCommit;
    mEntryState = kEntryNone;
    mEntryControl = nullptr;
    mEntryParam = nullptr;
    mEntryText.clear();
    if (commit) CommitTextEntry(control, param, text.c_str());
    return IRectangle();
  }
  IRectangle dirty;
  if (!TickDirtyRect(&dirty)) return IRectangle();
  Draw(dirty);
  return dirty;
}

void IGraphicsHeadless::MouseDown(int x, int y, const IMouseMods& mods) {
  if (mEntryState != kEntryNone) {
    // The box has the keyboard focus: a click in the editor cancels it.
    if (mEntryState == kEntryOpen) mEntryState = kEntryCancel;
    return;
  }
  OnMouseDown(x, y, mods);
}

void IGraphicsHeadless::MouseUp(int x, int y, const IMouseMods& mods) {
  if (mEntryState == kEntryNone) OnMouseUp(x, y, mods);
}

void IGraphicsHeadless::MouseDrag(int x, int y, const IMouseMods& mods) {
  if (mEntryState == kEntryNone && GetCapturedControl() >= 0) OnMouseDrag(x, y, mods);
}

void IGraphicsHeadless::MouseDoubleClick(int x, int y, const IMouseMods& mods) {
  if (mEntryState == kEntryNone) OnMouseDoubleClick(x, y, mods);
}

void IGraphicsHeadless::MouseWheel(int x, int y, const IMouseMods& mods, int notches) {
  if (mEntryState != kEntryNone) {
    mEntryState = kEntryCancel;
    return;
  }
  OnMouseWheel(x, y, mods, notches);
}

void IGraphicsHeadless::TypeIntoEntry(const char* text) {
  if (mEntryState == kEntryNone || !mEntryControl) return;
  mEntryText = FilterTyped(text ? text : "", mEntryParam, mEntryControl->GetTextEntryLength());
  mEntryState = kEntryCommit;
}

// ---------------------------------------------------------------------------------------------
// IGraphics

bool IGraphicsHeadless::PaintToScreen(const IRectangle& rect) {
  mPainted.push_back(rect);
  return true;
}

void IGraphicsHeadless::CancelTextEntry() {
  if (mEntryState != kEntryNone) mEntryState = kEntryCancel;
}

int IGraphicsHeadless::ShowMessage(const char* text, const char* caption, int /*type*/) {
  mMessages.push_back(std::string(caption ? caption : "") + ": " + (text ? text : ""));
  if (mMessageScript.empty()) return 1;
  const int answer = mMessageScript.front();
  mMessageScript.pop_front();
  return answer;
}

void IGraphicsHeadless::RecordMenu(IMenuList* menu, const IRectangle& rect) {
  static const char* const kFormats[] = {"%s", "%1d: %s", "%02d: %s", "%03d: %s"};
  const int numbering = menu->GetNumbering();
  const char* format = kFormats[numbering >= 0 && numbering <= 3 ? numbering : 0];
  ShownMenu shown;
  shown.rect = rect;
  for (int i = 0; i < menu->NItems(); ++i) {
    const IMenuEntry* entry = menu->GetItem(i);
    shown.flags.push_back(entry->GetFlags());
    if (entry->GetFlags() & IMenuEntry::kSeparator) {
      shown.texts.push_back("-");
      continue;
    }
    char text[512];
    if (numbering >= 1 && numbering <= 3) {
      std::snprintf(text, sizeof text, format, i + 1, entry->GetText());
    } else {
      std::snprintf(text, sizeof text, "%s", entry->GetText());
    }
    shown.texts.push_back(text);
  }
  mMenus.push_back(shown);
}

IMenuList* IGraphicsHeadless::ShowPopupMenu(IMenuList* menu, const IRectangle& rect) {
  ReleaseMouseCapture();  // the button that opened the menu is not followed by a drag
  if (!menu) return nullptr;
  RecordMenu(menu, rect);
  if (mMenuScript.empty()) return nullptr;
  const MenuAnswer answer = mMenuScript.front();
  mMenuScript.pop_front();

  const IMenuEntry* entry = menu->GetItem(answer.index);
  if (!entry) return nullptr;
  IMenuList* list = menu;
  int index = answer.index;
  if (answer.subIndex >= 0) {
    list = entry->GetSubmenu();
    entry = list ? list->GetItem(answer.subIndex) : nullptr;
    index = answer.subIndex;
    if (!entry) return nullptr;
  }
  // Separators, submenu holders and greyed or disabled items send no command.
  if (entry->GetSubmenu() ||
      (entry->GetFlags() & (IMenuEntry::kSeparator | IMenuEntry::kGrayed | IMenuEntry::kDisabled))) {
    return nullptr;
  }
  list->SetChosenIndex(index);
  mMenus.back().chosen = true;
  return list;
}

void IGraphicsHeadless::OpenTextEntry(IControl* control, const ITextStyle* /*style*/, const IRectangle& rect,
                                      const char* text, IPlugParameter* param) {
  if (!control || mEntryState != kEntryNone) return;
  EntryBox box;
  box.control = control;
  box.param = param;
  box.rect = rect;
  box.text = text ? text : "";
  box.maxLength = control->GetTextEntryLength();
  mEntryBoxes.push_back(box);
  mEntryControl = control;
  mEntryParam = param;
  mEntryText = box.text;
  mEntryState = kEntryOpen;
  if (!mEntryScript.empty()) {
    const EntryAnswer answer = mEntryScript.front();
    mEntryScript.pop_front();
    TypeIntoEntry(answer.text.c_str());
    if (!answer.commit) mEntryState = kEntryCancel;
  }
}

void IGraphicsHeadless::AskForFile(PlugString* file, int /*action*/, PlugString* /*folder*/,
                                   const char* /*extensions*/) {
  if (!file) return;
  if (mFileScript.empty()) {
    file->Assign("");
    return;
  }
  file->Assign(mFileScript.front().c_str());
  mFileScript.pop_front();
}

IWindowHandle IGraphicsHeadless::OpenEditorWindow(IWindowHandle /*parent*/) {
  mWindowOpen = true;
  for (int i = 0; i < NControls(); ++i) GetControl(i)->MarkChanged(false);
  return GetWindowHandle();
}

bool IGraphicsHeadless::GetClipboardText(PlugString* out) {
  out->Assign(mClipboard.c_str());
  return !mClipboard.empty();
}

void IGraphicsHeadless::OnIdle() {
  ++mIdleCalls;
  IGraphics::OnIdle();
}

LICE_IBitmap* IGraphicsHeadless::LoadResourceBitmap(int resourceId, const char* name) {
  ++mResourceLoads;
  if (mResolver) return mResolver(resourceId, name);
  if (!name || mResourceRoot.empty()) return nullptr;
  return LICE_ReadPngFile((mResourceRoot + "/" + name).c_str());
}

LICE_FontHandle IGraphicsHeadless::CreateFontHandle(const ITextStyle& style) {
#ifdef _WIN32
  return IGraphics::CreateFontHandle(style);
#else
  return new LICE_TestGlyphSource(style.size);
#endif
}
