#include "iplug/igraphicswin/IGraphicsWin.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "drawing/lice_png.h"
#include "iplug/igraphics/IControl.h"
#include "iplug/core/IPlugBase.h"
#include "iplug/core/IPlugParameter.h"

// ---------------------------------------------------------------------------------------------
// Records handed to Windows. The tool record is cut after lParam: that size is accepted by
// every version of the common controls, with or without a version-6 manifest.

namespace {

constexpr UINT kToolInfoSize = static_cast<UINT>(offsetof(TTTOOLINFOA, lParam) + sizeof(LPARAM));

#ifdef _WIN64
static_assert(kToolInfoSize == 64, "tool record");
static_assert(sizeof(OPENFILENAMEA) == 152, "file dialog record");
static_assert(sizeof(CHOOSECOLORA) == 72, "colour dialog record");
static_assert(sizeof(TRACKMOUSEEVENT) == 24, "mouse tracking record");
static_assert(sizeof(PAINTSTRUCT) == 72, "paint record");
#else
static_assert(kToolInfoSize == 44, "tool record");
static_assert(sizeof(OPENFILENAMEA) == 88, "file dialog record");
static_assert(sizeof(CHOOSECOLORA) == 36, "colour dialog record");
static_assert(sizeof(TRACKMOUSEEVENT) == 16, "mouse tracking record");
static_assert(sizeof(PAINTSTRUCT) == 64, "paint record");
#endif
static_assert(sizeof(INITCOMMONCONTROLSEX) == 8, "common controls record");

constexpr DWORD kTooltipStyle = WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX;  // 0x80000003
static_assert(kTooltipStyle == 2147483651u, "tooltip style");
constexpr DWORD kEntryStyle = WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL;
static_assert(kEntryStyle == 1342177412u, "entry box style");
constexpr DWORD kSaveFlags = OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
constexpr DWORD kOpenFlags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
static_assert(kSaveFlags == 2050 && kOpenFlags == 6144, "file dialog flags");
constexpr DWORD kColourFlags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK | CC_SOLIDCOLOR | CC_ANYCOLOR;
static_assert(kColourFlags == 403, "colour dialog flags");

constexpr int kTooltipAssertLine = 1257;

HINSTANCE gPlugModuleInstance = nullptr;

TTTOOLINFOA EditorTool(HWND hWnd, const char* text) {
  TTTOOLINFOA ti;
  std::memset(&ti, 0, sizeof ti);
  ti.cbSize = kToolInfoSize;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = hWnd;
  ti.uId = reinterpret_cast<UINT_PTR>(hWnd);
  ti.lpszText = const_cast<char*>(text);
  return ti;
}

IMouseMods MessageMods(WPARAM wParam) {
  return MouseModsFromKeyFlags(static_cast<unsigned>(LOWORD(wParam)), (GetKeyState(VK_MENU) & 0x8000) != 0);
}

int MessageX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int MessageY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

void TrackMouse(HWND hWnd, DWORD flags) {
  TRACKMOUSEEVENT tme;
  tme.cbSize = sizeof tme;
  tme.dwFlags = flags;
  tme.hwndTrack = hWnd;
  tme.dwHoverTime = HOVER_DEFAULT;
  TrackMouseEvent(&tme);
}

// Messages the editor handles whatever the entry box's state: closing and destruction, the
// box's colours, a lost mouse capture, and painting (the box's area is left out of it).
bool AlwaysHandled(UINT msg) {
  return msg == WM_CLOSE || msg == WM_NCDESTROY || msg == WM_CTLCOLOREDIT || msg == WM_CAPTURECHANGED ||
         msg == WM_PAINT;
}

}  // namespace

void SetPlugModuleInstance(HINSTANCE instance) { gPlugModuleInstance = instance; }
HINSTANCE GetPlugModuleInstance() { return gPlugModuleInstance; }

bool IsPlainChildWindow(HWND hWnd) {
  if (!hWnd) return false;
  const LONG style = GetWindowLongA(hWnd, GWL_STYLE);
  const LONG exStyle = GetWindowLongA(hWnd, GWL_EXSTYLE);
  return (style & WS_CHILD) != 0 && (exStyle & WS_EX_MDICHILD) == 0;
}

UINT_PTR CALLBACK ChooseColourHookProc(HWND hDlg, UINT msg, WPARAM /*wParam*/, LPARAM lParam) {
  if (msg == WM_INITDIALOG && lParam) {
    const CHOOSECOLORA* cc = reinterpret_cast<const CHOOSECOLORA*>(lParam);
    const char* prompt = reinterpret_cast<const char*>(cc->lCustData);
    if (prompt && *prompt) SetWindowTextA(hDlg, prompt);
  }
  return 0;
}

int IGraphicsWin::sClassUseCount = 0;
double IGraphicsWin::sTimerFrameRate = 25.0;
HINSTANCE IGraphicsWin::sClassInstance = nullptr;

// ---------------------------------------------------------------------------------------------
// Construction, opening and closing

IGraphicsWin::IGraphicsWin(IPlugBase* plug, int width, int height, int frameRate)
    : IGraphics(plug, width, height, frameRate), mPID(GetCurrentProcessId()) {}

IGraphicsWin::~IGraphicsWin() {
  CloseEditor(false);
  RestorePointer();
  delete[] mCustomColors;
  mCustomColors = nullptr;
  mOwnerClassName.Release();
}

IWindowHandle IGraphicsWin::OpenEditorWindow(IWindowHandle parentHandle) {
  HWND parent = static_cast<HWND>(parentHandle);
  mMainWnd = parent;
  int x = 0, y = 0, w = mWidth, h = mHeight;
  if (mHWND) {
    // Reopened at its place and size: the position in the parent's client coordinates.
    RECT r;
    if (GetWindowRect(mHWND, &r)) {
      POINT topLeft = {r.left, r.top};
      if (parent) ScreenToClient(parent, &topLeft);
      x = topLeft.x;
      y = topLeft.y;
      w = r.right - r.left;
      h = r.bottom - r.top;
    }
    CloseEditorWindow();
  }

  if (sClassUseCount++ == 0) {
    WNDCLASSA wc;
    std::memset(&wc, 0, sizeof wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = mHInstance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = kWindowClassName;
    // A class left behind by a window that its host destroyed is still ours.
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      --sClassUseCount;
      return nullptr;
    }
    sClassInstance = mHInstance;
  }
  sTimerFrameRate = mFrameRate;

  HWND hWnd = CreateWindowExA(0, kWindowClassName, "IPlug", WS_CHILD | WS_VISIBLE, x, y, w, h, parent, nullptr,
                              mHInstance, this);
  if (!hWnd) {
    mHWND = nullptr;
    ForgetWindow();
    return nullptr;
  }
  mHWND = hWnd;
  for (int i = 0; i < NControls(); ++i) GetControl(i)->MarkChanged(false);
  if (mTooltips) CreateTooltips();
  return mHWND;
}

void IGraphicsWin::CloseEditorWindow() { CloseEditor(true); }

void IGraphicsWin::CloseEditor(bool plugAlive) {
  if (!mHWND) return;
  // An open entry box is cancelled: nothing of it outlives the window.
  EndTextEntry(false);
  DestroyTooltips();
  if (GetCapturedControl() >= 0) {
    if (plugAlive) ReleaseMouseCapture();  // ends the host gesture of a drag in progress
    else DropCapture(false);
  }
  if (plugAlive) RestorePointer();
  mClosing = true;
  DestroyWindow(mHWND);
  mClosing = false;
  mHWND = nullptr;
  ForgetWindow();
}

void IGraphicsWin::ForgetWindow() {
  if (sClassUseCount > 0 && --sClassUseCount == 0) UnregisterClassA(kWindowClassName, sClassInstance);
}

void IGraphicsWin::CreateTooltips() {
  INITCOMMONCONTROLSEX icc;
  icc.dwSize = sizeof icc;
  icc.dwICC = ICC_TAB_CLASSES;
  if (!InitCommonControlsEx(&icc)) {
    mTooltips = false;
    return;
  }
  mTooltipWnd = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, kTooltipStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, mHWND, nullptr, mHInstance, nullptr);
  if (!mTooltipWnd) {
    mTooltips = false;
    return;
  }
  SetWindowPos(mTooltipWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  TTTOOLINFOA ti = EditorTool(mHWND, nullptr);
  if (!SendMessageA(mTooltipWnd, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti))) {
    DestroyWindow(mTooltipWnd);
    mTooltipWnd = nullptr;
    mTooltips = false;
  }
}

void IGraphicsWin::DestroyTooltips() {
  if (mTooltipWnd && IsWindow(mTooltipWnd)) DestroyWindow(mTooltipWnd);
  mTooltipWnd = nullptr;
  mShowingTooltip = false;
  mTooltipIdx = -1;
}

void IGraphicsWin::UpdateTooltipText(const char* text) {
  if (!mTooltipWnd || !mHWND) return;
  TTTOOLINFOA ti = EditorTool(mHWND, text);
  SendMessageA(mTooltipWnd, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
  if (!text) mShowingTooltip = false;
}

// ---------------------------------------------------------------------------------------------
// The window procedure

LRESULT CALLBACK IGraphicsWin::WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATE) {
    const CREATESTRUCTA* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    IGraphicsWin* g = static_cast<IGraphicsWin*>(cs->lpCreateParams);
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(g));
    if (g) g->mHWND = hWnd;
    SetTimer(hWnd, kTimerId, static_cast<UINT>(TimerPeriodMs(sTimerFrameRate)), nullptr);
    SetFocus(hWnd);
    return 0;
  }
  IGraphicsWin* g = reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
  if (!g) return DefWindowProcA(hWnd, msg, wParam, lParam);
  return g->HandleMessage(hWnd, msg, wParam, lParam);
}

LRESULT IGraphicsWin::HandleMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (mParamEditWnd && !AlwaysHandled(msg) && !EditorHandlesMessageDuringEntry(mParamEditMsg, msg)) {
    return DefWindowProcA(hWnd, msg, wParam, lParam);
  }
  switch (msg) {
    case WM_TIMER:
      if (wParam == kTimerId) OnTimerTick();
      return 0;

    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      OnButtonDown(hWnd, msg, wParam, lParam);
      return 0;

    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      OnButtonUp(wParam, lParam);
      return 0;

    case WM_LBUTTONDBLCLK:
      if (mParamEditWnd) {
        // A press like any other while a box is open.
        OnButtonDown(hWnd, WM_LBUTTONDOWN, wParam, lParam);
        return 0;
      }
      if (OnMouseDoubleClick(MessageX(lParam), MessageY(lParam), MessageMods(wParam))) SetCapture(hWnd);
      return 0;

    case WM_MOUSEMOVE:
      OnMouseMove(hWnd, wParam, lParam);
      return 0;

    case WM_MOUSEWHEEL: {
      if (mParamEditWnd) {
        mParamEditMsg = NextTextEntryState(mParamEditMsg, kEntryWheel);
        return 0;
      }
      RECT r;
      GetWindowRect(hWnd, &r);
      OnMouseWheel(MessageX(lParam) - r.left, MessageY(lParam) - r.top, MessageMods(wParam),
                   WheelNotches(static_cast<unsigned long long>(wParam)));
      return 0;
    }

    case WM_MOUSEHOVER: {
      IControl* control = GetControl(mTooltipIdx);
      const char* tooltip = control ? control->GetTooltip() : nullptr;
      if (tooltip) {
        if (std::strlen(tooltip) > static_cast<size_t>(kMaxTooltipLength)) {
          // Reported, and the tip is not shown: the editor goes on.
          PlugAssertFailed("strlen(tooltip) < 80", "igraphicswin", kTooltipAssertLine);
          return 0;
        }
        UpdateTooltipText(tooltip);
        mShowingTooltip = true;
      }
      return 0;
    }

    case WM_MOUSELEAVE:
      if (mShowingTooltip) UpdateTooltipText(nullptr);
      OnMouseOut();
      return 0;

    case WM_CAPTURECHANGED:
      // Another window took the mouse: the editor's capture and its host gesture end.
      if (!mReleasingCapture && reinterpret_cast<HWND>(lParam) != hWnd && GetCapturedControl() >= 0) {
        ReleaseMouseCapture();
      }
      return 0;

    case WM_KEYDOWN: {
      const int key = KeyCodeForVirtualKey(static_cast<int>(wParam));
      bool taken = false;
      if (key >= 0) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hWnd, &p);
        taken = OnKeyDown(p.x, p.y, key);
      }
      if (taken) return 0;
      ForwardKeyToRoot(hWnd, msg, wParam, lParam);
      return DefWindowProcA(hWnd, msg, wParam, lParam);
    }

    case WM_KEYUP:
      ForwardKeyToRoot(hWnd, msg, wParam, lParam);
      return DefWindowProcA(hWnd, msg, wParam, lParam);

    case WM_PAINT: {
      RECT r;
      if (GetUpdateRect(hWnd, &r, FALSE)) Draw(IRectangle(r.left, r.top, r.right, r.bottom));
      // Whatever the draw pass did (an editor without controls paints nothing), the paint
      // request is answered: no WM_PAINT comes back for it.
      if (GetUpdateRect(hWnd, nullptr, FALSE)) ValidateRect(hWnd, nullptr);
      return 0;
    }

    case WM_CTLCOLOREDIT: {
      if (!mEdControl) return 0;
      const ITextStyle* style = mEdControl->GetTextStyle();
      HDC dc = reinterpret_cast<HDC>(wParam);
      const COLORREF background = static_cast<COLORREF>(style->entryBackground.Win32());
      SetBkColor(dc, background);
      SetTextColor(dc, static_cast<COLORREF>(style->entryText.Win32()));
      SetBkMode(dc, OPAQUE);
      SetDCBrushColor(dc, background);
      return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
    }

    case WM_SETFOCUS:
    case WM_KILLFOCUS: return 0;

    case WM_CLOSE:
      CloseEditorWindow();
      return 0;

    case WM_NCDESTROY:
      SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
      if (!mClosing && hWnd == mHWND) {
        // The host destroyed its window with the editor inside: the box and the tooltip
        // window went with it; the editor forgets them and its window.
        EndTextEntry(false);
        DestroyTooltips();
        if (GetCapturedControl() >= 0) ReleaseMouseCapture();
        mHWND = nullptr;
        ForgetWindow();
      }
      return DefWindowProcA(hWnd, msg, wParam, lParam);

    default: return DefWindowProcA(hWnd, msg, wParam, lParam);
  }
}

void IGraphicsWin::OnButtonDown(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (mShowingTooltip) UpdateTooltipText(nullptr);
  if (mParamEditWnd) {
    mParamEditMsg = NextTextEntryState(mParamEditMsg, msg == WM_MBUTTONDOWN ? kEntryEditorMiddle : kEntryEditorLeftOrRight);
    return;
  }
  SetFocus(hWnd);
  SetCapture(hWnd);
  OnMouseDown(MessageX(lParam), MessageY(lParam), MessageMods(wParam));
}

void IGraphicsWin::OnButtonUp(WPARAM wParam, LPARAM lParam) {
  mReleasingCapture = true;
  ReleaseCapture();
  mReleasingCapture = false;
  OnMouseUp(MessageX(lParam), MessageY(lParam), MessageMods(wParam));
}

void IGraphicsWin::OnMouseMove(HWND hWnd, WPARAM wParam, LPARAM lParam) {
  const int x = MessageX(lParam), y = MessageY(lParam);
  const IMouseMods mods = MessageMods(wParam);
  if (wParam & (MK_LBUTTON | MK_RBUTTON)) {
    if (GetCapture() == hWnd && !mParamEditWnd) OnMouseDrag(x, y, mods);
    return;
  }
  if (OnMouseOver(x, y, mods)) TrackMouse(hWnd, TME_LEAVE);
  if (mTooltips && mTooltipWnd && GetMouseOverControl() != mTooltipIdx) {
    mTooltipIdx = GetMouseOverControl();
    if (mTooltipIdx >= 0) TrackMouse(hWnd, TME_HOVER | TME_LEAVE);
    if (mShowingTooltip) UpdateTooltipText(nullptr);
  }
}

void IGraphicsWin::ForwardKeyToRoot(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND root = GetAncestor(hWnd, GA_ROOT);
  if (root && root != hWnd) SendMessageA(root, msg, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------
// The redraw timer and painting

void IGraphicsWin::OnTimerTick() {
  switch (TimerStepFor(mParamEditWnd != nullptr, mParamEditMsg)) {
    case kTimerCommitEntry: EndTextEntry(true); return;
    case kTimerCancelEntry: EndTextEntry(false); return;
    case kTimerEntryRepainted: mParamEditMsg = NextTextEntryState(mParamEditMsg, kEntryTick); return;
    case kTimerNotHandled: return;
    case kTimerRedraw: break;
  }
  IRectangle dirty;
  if (!TickDirtyRect(&dirty)) return;
  RECT r = {dirty.left, dirty.top, dirty.right, dirty.bottom};
  InvalidateRect(mHWND, &r, FALSE);
  if (mParamEditWnd) {
    RECT box;
    if (TextEntryClientRect(&box)) ValidateRect(mHWND, &box);
    UpdateWindow(mHWND);
    mParamEditMsg = NextTextEntryState(mParamEditMsg, kEntryRepaintAround);
  } else {
    UpdateWindow(mHWND);
  }
}

bool IGraphicsWin::PaintToScreen(const IRectangle& rect) {
  if (!mHWND) return false;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(mHWND, &ps);
  bool painted = false;
  if (dc) {
    RECT box;
    if (TextEntryClientRect(&box)) ExcludeClipRect(dc, box.left, box.top, box.right, box.bottom);
    HDC source = mDrawBitmap ? mDrawBitmap->GetDC() : nullptr;
    if (source) {
      painted = BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source, rect.left,
                       rect.top, SRCCOPY) != 0;
    }
    EndPaint(mHWND, &ps);
  }
  return painted;
}

bool IGraphicsWin::TextEntryClientRect(RECT* out) const {
  if (!mParamEditWnd || !mHWND || !GetWindowRect(mParamEditWnd, out)) return false;
  MapWindowPoints(nullptr, mHWND, reinterpret_cast<POINT*>(out), 2);
  return true;
}

void IGraphicsWin::Resize(int width, int height) {
  if (width == mWidth && height == mHeight) return;
  const int dw = width - mWidth, dh = height - mHeight;
  // The controls go: a box must not keep one of them.
  EndTextEntry(false);
  mTooltipIdx = -1;
  IGraphics::Resize(width, height);
  if (!mHWND) return;

  auto grow = [dw, dh](HWND hWnd, const RECT& r) {
    SetWindowPos(hWnd, nullptr, 0, 0, r.right - r.left + dw, r.bottom - r.top + dh,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  };
  RECT self, parentRect, grandRect;
  GetWindowRect(mHWND, &self);
  HWND parent = nullptr, grand = nullptr;
  if (IsPlainChildWindow(mHWND)) {
    parent = GetParent(mHWND);
    if (parent && GetWindowRect(parent, &parentRect)) {
      if (IsPlainChildWindow(parent)) {
        grand = GetParent(parent);
        if (grand && !GetWindowRect(grand, &grandRect)) grand = nullptr;
      }
    } else {
      parent = nullptr;
    }
  }
  grow(mHWND, self);
  const PluginApi api = mPlug ? mPlug->GetPluginApi() : kApiVST2;
  if (api != kApiVST3 && api != 3) {
    if (parent) grow(parent, parentRect);
    if (grand) grow(grand, grandRect);
  }
  RECT all = {0, 0, mWidth, mHeight};
  InvalidateRect(mHWND, &all, FALSE);
}

// ---------------------------------------------------------------------------------------------
// The text-entry box

void IGraphicsWin::OpenTextEntry(IControl* control, const ITextStyle* style, const IRectangle& rect,
                                 const char* text, IPlugParameter* param) {
  if (!control || mParamEditWnd || !mHWND) return;
  if (!style) style = control->GetTextStyle();
  const DWORD windowStyle = WS_CHILD | WS_VISIBLE | static_cast<DWORD>(TextEntryAlignmentStyle(style->align));
  HWND box = CreateWindowExA(0, "EDIT", text ? text : "", windowStyle, rect.left, rect.top,
                             rect.right - rect.left + 1, rect.bottom - rect.top + 1, mHWND,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextEntryId)), mHInstance, nullptr);
  if (!box) return;
  mParamEditWnd = box;
  mEditFont = CreateFontA(style->size, 0, 0, 0, style->style == ITextStyle::kStyleBold ? FW_BOLD : 0,
                          style->style == ITextStyle::kStyleItalic, 0, 0, 0, 0, 0, 0, 0, style->face);
  SendMessageA(box, EM_LIMITTEXT, static_cast<WPARAM>(control->GetTextEntryLength()), 0);
  SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(mEditFont), 0);
  SendMessageA(box, EM_SETSEL, 0, -1);
  SetFocus(box);
  mDefEditProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TextEntryProc)));
  mEdControl = control;
  mEdParam = param;
}

void IGraphicsWin::CancelTextEntry() {
  if (mParamEditWnd) mParamEditMsg = NextTextEntryState(mParamEditMsg, kEntryCancelCall);
}

void IGraphicsWin::EndTextEntry(bool commit) {
  HWND box = mParamEditWnd;
  IControl* control = mEdControl;
  IPlugParameter* param = mEdParam;
  char text[32] = "";
  if (commit && box) SendMessageA(box, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  mParamEditWnd = nullptr;
  mEdControl = nullptr;
  mEdParam = nullptr;
  mParamEditMsg = kTextEntryNone;
  if (box && IsWindow(box)) {
    if (mDefEditProc) SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mDefEditProc));
    DestroyWindow(box);
  }
  mDefEditProc = nullptr;
  if (mEditFont) {
    DeleteObject(mEditFont);
    mEditFont = nullptr;
  }
  if (commit && control) CommitTextEntry(control, param, text);
}

LRESULT CALLBACK IGraphicsWin::TextEntryProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND parent = GetParent(hWnd);
  IGraphicsWin* g = parent ? reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(parent, GWLP_USERDATA)) : nullptr;
  if (!g || hWnd != g->mParamEditWnd || !g->mDefEditProc) return DefWindowProcA(hWnd, msg, wParam, lParam);
  return g->HandleTextEntryMessage(hWnd, msg, wParam, lParam);
}

LRESULT IGraphicsWin::HandleTextEntryMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (mShowingTooltip) UpdateTooltipText(nullptr);
  const WNDPROC previous = mDefEditProc;
  switch (msg) {
    case WM_SETFOCUS: mParamEditMsg = NextTextEntryState(mParamEditMsg, kEntryFocusGained); break;
    case WM_KILLFOCUS: mParamEditMsg = NextTextEntryState(mParamEditMsg, kEntryFocusLost); break;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        mParamEditMsg = NextTextEntryState(mParamEditMsg, kEntryEnterKey);
        return 0;
      }
      if (wParam == VK_ESCAPE) {
        mParamEditMsg = NextTextEntryState(mParamEditMsg, kEntryEscapeKey);
        return 0;
      }
      break;
    case WM_CHAR:
      // The box holds one line: the characters of Enter and Escape (handled as keys) never
      // become text.
      if (wParam == '\r' || wParam == '\n' || wParam == 27) return 0;
      if (mEdParam && !TextEntryAcceptsChar(mEdParam->Kind(), static_cast<unsigned>(wParam))) return 0;
      break;
    case WM_GETDLGCODE:
      if (!mEdParam) {
        LRESULT code = CallWindowProcA(previous, hWnd, msg, wParam, lParam);
        const MSG* query = reinterpret_cast<const MSG*>(lParam);
        if (query && query->message == WM_KEYDOWN && wParam == VK_RETURN) code |= DLGC_WANTALLKEYS;
        return code;
      }
      break;
    case WM_COMMAND:
      if (HIWORD(wParam) == 1) {
        mParamEditMsg = NextTextEntryState(mParamEditMsg, kEntryAccelerator);
        return 0;
      }
      break;
    default: break;
  }
  return CallWindowProcA(previous, hWnd, msg, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------
// Bitmaps and the pointer

LICE_IBitmap* IGraphicsWin::LoadResourceBitmap(int resourceId, const char* name) {
  if (!IsPngResourceName(name)) return nullptr;
  HRSRC resource = FindResourceA(mHInstance, MAKEINTRESOURCEA(resourceId), "PNG");
  if (!resource) return nullptr;
  const DWORD size = SizeofResource(mHInstance, resource);
  if (size <= 7 || size > 0x7FFFFFFF) return nullptr;
  HGLOBAL handle = LoadResource(mHInstance, resource);
  const void* data = handle ? LockResource(handle) : nullptr;
  if (!data) return nullptr;
  return LICE_ReadPngMemory(data, static_cast<int>(size));
}

void IGraphicsWin::HidePointer() {
  if (mPointerHidden) return;
  POINT p;
  if (GetCursorPos(&p)) {
    mHiddenPointerX = p.x;
    mHiddenPointerY = p.y;
  }
  ShowCursor(FALSE);
  mPointerHidden = true;
}

void IGraphicsWin::RestorePointer() {
  if (!mPointerHidden) return;
  SetCursorPos(mHiddenPointerX, mHiddenPointerY);
  ShowCursor(TRUE);
  mPointerHidden = false;
}

// ---------------------------------------------------------------------------------------------
// Message boxes

void IGraphicsWin::GetWindowClassName(HWND hWnd, PlugString* out) {
  char name[128] = "";
  if (!hWnd || GetClassNameA(hWnd, name, sizeof name) <= 0) name[0] = 0;
  out->Assign(name);
}

BOOL CALLBACK IGraphicsWin::FindHostWindowProc(HWND hWnd, LPARAM lParam) {
  IGraphicsWin* g = reinterpret_cast<IGraphicsWin*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hWnd, &pid);
  if (pid != g->mPID) return TRUE;
  PlugString name;
  GetWindowClassName(hWnd, &name);
  if (std::strcmp(name.Get(), g->mOwnerClassName.Get()) != 0) return TRUE;
  g->mMsgOwner = hWnd;
  return FALSE;
}

HWND IGraphicsWin::FindMessageOwner() {
  // An owner that is gone is searched for again (a message box with a dead owner never shows).
  if (mMsgOwner && !IsWindow(mMsgOwner)) mMsgOwner = nullptr;
  if (mMsgOwner) return mMsgOwner;
  if (mMainWnd && IsWindow(mMainWnd)) {
    HWND top = mMainWnd;
    for (HWND up = GetParent(top); up; up = GetParent(up)) top = up;
    mMsgOwner = top;
    GetWindowClassName(top, &mOwnerClassName);
  } else if (mOwnerClassName.GetLength() > 0) {
    EnumWindows(FindHostWindowProc, reinterpret_cast<LPARAM>(this));
  }
  return mMsgOwner;
}

int IGraphicsWin::ShowMessage(const char* text, const char* caption, int type) {
  return MessageBoxA(FindMessageOwner(), text, caption, static_cast<UINT>(type));
}

// ---------------------------------------------------------------------------------------------
// Folders

void IGraphicsWin::GetModuleFolder(HMODULE module, PlugString* out) {
  char path[257] = "";
  const DWORD n = GetModuleFileNameA(module, path, 256);
  if (n == 0 || n >= 256) {  // failed, or cut short
    out->Assign("");
    return;
  }
  path[n] = 0;
  ModuleFolderFromPath(path, out);
}

void IGraphicsWin::GetHostFolder(PlugString* out) { GetModuleFolder(nullptr, out); }

void IGraphicsWin::GetPluginFolder(PlugString* out) { GetModuleFolder(mHInstance, out); }

void IGraphicsWin::GetDesktopFolder(PlugString* out) {
  char path[MAX_PATH] = "";
  out->Assign(SHGetSpecialFolderPathA(nullptr, path, CSIDL_DESKTOP, FALSE) ? path : "");
}

void IGraphicsWin::GetAppDataFolder(PlugString* out, bool shared) {
  char path[MAX_PATH] = "";
  const int folder = shared ? CSIDL_COMMON_APPDATA : CSIDL_LOCAL_APPDATA;
  out->Assign(SUCCEEDED(SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : "");
}

void IGraphicsWin::GetUserAppDataFolder(PlugString* out) { GetAppDataFolder(out, false); }

// ---------------------------------------------------------------------------------------------
// Dialogs, the web address and the clipboard

void IGraphicsWin::AskForFile(PlugString* file, int action, PlugString* folder, const char* extensions) {
  if (!file) return;
  if (!mHWND) {
    file->Assign("");
    return;
  }
  char fileBuffer[256];
  CopyTextField(fileBuffer, sizeof fileBuffer, file->Get());
  if (folder && folder->GetLength() == 0) GetDesktopFolder(folder);
  char folderBuffer[256];
  CopyTextField(folderBuffer, sizeof folderBuffer, folder ? folder->Get() : "");

  std::string pattern, defaultExtension;
  FileDialogPattern(extensions, &pattern, &defaultExtension);
  std::string filter = pattern;  // description, pattern, end of list
  filter.push_back('\0');
  filter += pattern;
  filter.push_back('\0');
  filter.push_back('\0');

  OPENFILENAMEA ofn;
  std::memset(&ofn, 0, sizeof ofn);
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = mHWND;
  ofn.lpstrFilter = pattern.empty() ? nullptr : filter.c_str();
  ofn.lpstrFile = fileBuffer;
  ofn.nMaxFile = sizeof fileBuffer - 1;
  ofn.lpstrInitialDir = folderBuffer;
  ofn.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
  const bool save = action == 1;
  ofn.Flags = save ? kSaveFlags : kOpenFlags;
  const BOOL chosen = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  if (!chosen) {
    file->Assign("");
    return;
  }
  fileBuffer[sizeof fileBuffer - 1] = 0;
  char drive[_MAX_DRIVE] = "", dir[_MAX_DIR] = "";
  _splitpath(fileBuffer, drive, dir, nullptr, nullptr);
  if (folder) folder->Format(256, "%s%s", drive, dir);
  file->Assign(fileBuffer);
}

bool IGraphicsWin::AskForColour(IArgbColour* colour, const char* prompt) {
  if (!mHWND || !colour) return false;
  if (!mCustomColors) mCustomColors = new COLORREF[16]();
  CHOOSECOLORA cc;
  std::memset(&cc, 0, sizeof cc);
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = mHWND;
  cc.rgbResult = RGB(colour->red & 0xFF, colour->green & 0xFF, colour->blue & 0xFF);
  cc.lpCustColors = mCustomColors;
  cc.Flags = kColourFlags;
  cc.lCustData = reinterpret_cast<LPARAM>(prompt);
  cc.lpfnHook = ChooseColourHookProc;
  if (!ChooseColorA(&cc)) return false;
  colour->red = GetRValue(cc.rgbResult);
  colour->green = GetGValue(cc.rgbResult);
  colour->blue = GetBValue(cc.rgbResult);
  return true;
}

bool IGraphicsWin::OpenWebAddress(const char* address, const char* caption, const char* confirmText,
                                  const char* failureText) {
  if (confirmText && MessageBoxA(mHWND, confirmText, caption, MB_YESNO) != IDYES) return false;
  DWORD state = 0;
  if (address && InternetGetConnectedState(&state, 0)) {
    const INT_PTR result =
        reinterpret_cast<INT_PTR>(ShellExecuteA(mHWND, "open", address, nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return true;
  }
  if (failureText) MessageBoxA(mHWND, failureText, caption, MB_OK);
  return false;
}

bool IGraphicsWin::GetClipboardText(PlugString* out) {
  out->Assign("");
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(mHWND)) return false;
  bool ok = false;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    const SIZE_T bytes = GlobalSize(data);
    if (const wchar_t* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      // The text ends at its zero or at the end of the block, whichever comes first.
      const size_t limit = bytes / sizeof(wchar_t);
      const size_t length = wcsnlen(wide, limit);
      if (length <= 0x3FFFFFFF) {
        const int n = static_cast<int>(length);
        const int size = n ? WideCharToMultiByte(CP_UTF8, 0, wide, n, nullptr, 0, nullptr, nullptr) : 0;
        if (n == 0 || size > 0) {
          std::string utf8(static_cast<size_t>(size), '\0');
          if (size) WideCharToMultiByte(CP_UTF8, 0, wide, n, &utf8[0], size, nullptr, nullptr);
          out->Assign(utf8.c_str());
          ok = true;
        }
      }
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return ok;
}
