// The Windows editor window in a real host window: class registration, the child window, the
// redraw timer and painting (read back from the window), mouse, wheel and keys through real
// messages with the host calls recorded, the text-entry box, tooltips, resizing, the pointer,
// folders, the clipboard and the PNG resources compiled into this program.

#include <cstddef>
#include <cstring>
#include <string>

#include "drawing/lice_png.h"
#include "tests/igraphicswin/win_test_util.h"

#include <commctrl.h>

namespace wintest {
namespace {

using igtest::kFreq;
using igtest::kGain;
using igtest::kMode;
using igtest::kScaler;

bool ClassRegistered() {
  WNDCLASSA wc;
  return GetClassInfoA(GetModuleHandleA(nullptr), IGraphicsWin::kWindowClassName, &wc) != 0;
}

POINT ClientTopLeftIn(HWND child, HWND parent) {
  RECT r;
  GetWindowRect(child, &r);
  POINT p = {r.left, r.top};
  ScreenToClient(parent, &p);
  return p;
}

// ---- The window and its class -------------------------------------------------------------------

using WindowTest = WinEditorTest;

TEST_F(WindowTest, ClassIsSharedByTwoEditorsAndGoesWithTheLast) {
  EXPECT_FALSE(ClassRegistered());
  TestPlug otherPlug;
  IGraphicsWin* other = new IGraphicsWin(&otherPlug, 50, 40);
  other->SetHInstance(GetModuleHandleA(nullptr));
  otherPlug.BindGraphics(other);

  ASSERT_NE(Open(), nullptr);
  EXPECT_EQ(IGraphicsWin::ClassUseCount(), 1);
  EXPECT_TRUE(ClassRegistered());
  ASSERT_NE(other->OpenEditorWindow(host), nullptr);
  EXPECT_EQ(IGraphicsWin::ClassUseCount(), 2);

  g->CloseEditorWindow();
  EXPECT_EQ(g->GetWindowHandle(), nullptr);
  EXPECT_FALSE(g->IsWindowOpen());
  EXPECT_EQ(IGraphicsWin::ClassUseCount(), 1);
  EXPECT_TRUE(ClassRegistered());
  EXPECT_TRUE(other->IsWindowOpen());

  other->CloseEditorWindow();
  EXPECT_EQ(IGraphicsWin::ClassUseCount(), 0);
  EXPECT_FALSE(ClassRegistered());
  other->CloseEditorWindow();  // nothing open: nothing happens
  EXPECT_EQ(IGraphicsWin::ClassUseCount(), 0);
}

TEST_F(WindowTest, ChildWindowStyleSizeAndPlace) {
  HWND hWnd = Open();
  ASSERT_NE(hWnd, nullptr);
  EXPECT_TRUE(g->IsWindowOpen());
  EXPECT_STREQ(g->GetDrawingApiName(), "Windows GDI");
  EXPECT_EQ(g->GetHostMainWindow(), host);
  EXPECT_EQ(GetParent(hWnd), host);
  const LONG style = GetWindowLongA(hWnd, GWL_STYLE);
  EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | WS_POPUP | WS_CAPTION | WS_BORDER), WS_CHILD | WS_VISIBLE);
  EXPECT_EQ(GetWindowLongA(hWnd, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY, 0);
  char name[64], title[64];
  GetClassNameA(hWnd, name, sizeof name);
  GetWindowTextA(hWnd, title, sizeof title);
  EXPECT_STREQ(name, "IPlugWndClass");
  EXPECT_STREQ(title, "IPlug");
  WNDCLASSA wc;
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "IPlugWndClass", &wc));
  EXPECT_EQ(wc.style, static_cast<UINT>(CS_DBLCLKS));
  EXPECT_EQ(wc.hbrBackground, nullptr);
  RECT client;
  GetClientRect(hWnd, &client);
  EXPECT_EQ(client.right, kEditorWidth);
  EXPECT_EQ(client.bottom, kEditorHeight);
  const POINT at = ClientTopLeftIn(hWnd, host);
  EXPECT_EQ(at.x, 0);
  EXPECT_EQ(at.y, 0);
  EXPECT_TRUE(IsPlainChildWindow(hWnd));
  EXPECT_FALSE(IsPlainChildWindow(host));
}

TEST_F(WindowTest, ReopeningKeepsPlaceAndSize) {
  HWND first = Open();
  ASSERT_NE(first, nullptr);
  SetWindowPos(first, nullptr, 15, 25, 200, 100, SWP_NOZORDER | SWP_NOACTIVATE);
  HWND second = Open();
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(IGraphicsWin::ClassUseCount(), 1);
  // The host window has a caption and borders: the place is kept in its client coordinates.
  const POINT at = ClientTopLeftIn(second, host);
  EXPECT_EQ(at.x, 15);
  EXPECT_EQ(at.y, 25);
  RECT client;
  GetClientRect(second, &client);
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 100);
}

TEST_F(WindowTest, WindowThatCannotBeCreatedLeavesTheEditorClosed) {
  // A child window needs a parent.
  EXPECT_EQ(g->OpenEditorWindow(nullptr), nullptr);
  EXPECT_FALSE(g->IsWindowOpen());
  EXPECT_EQ(IGraphicsWin::ClassUseCount(), 0);
  EXPECT_FALSE(ClassRegistered());
  EXPECT_NE(Open(), nullptr);  // and a later open works
}

TEST_F(WindowTest, CloseMessageAndAHostThatDestroysItsWindow) {
  HWND hWnd = Open();
  ASSERT_NE(hWnd, nullptr);
  SendMessageA(hWnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(hWnd));
  EXPECT_FALSE(g->IsWindowOpen());
  EXPECT_EQ(IGraphicsWin::ClassUseCount(), 0);

  // The host destroys its own window with the editor (and an entry box) inside.
  HWND frame = CreateChildFrame(host, 0, 0, 300, 200);
  hWnd = Open(frame);
  ASSERT_NE(hWnd, nullptr);
  Click(kGainCaption);
  ASSERT_NE(g->GetTextEntryWindow(), nullptr);
  const HFONT font = g->GetTextEntryFont();
  DestroyWindow(frame);
  EXPECT_FALSE(g->IsWindowOpen());
  EXPECT_EQ(g->GetTextEntryWindow(), nullptr);
  EXPECT_EQ(g->GetTextEntryControl(), nullptr);
  EXPECT_EQ(GetObjectType(font), 0u);
  EXPECT_EQ(IGraphicsWin::ClassUseCount(), 0);
  g->CloseEditorWindow();  // the adapter's close afterwards does nothing more
  EXPECT_EQ(IGraphicsWin::ClassUseCount(), 0);
  ASSERT_NE(Open(), nullptr);
  EXPECT_EQ(IGraphicsWin::ClassUseCount(), 1);
}

// ---- Timer and painting -------------------------------------------------------------------------

TEST_F(WindowTest, TimerRepaintsExactlyTheDirtyArea) {
  HWND hWnd = Open();
  ASSERT_NE(hWnd, nullptr);
  Settle();
  {
    // The first ticks painted the whole editor from the draw surface.
    const WindowPixels shown = ReadWindowPixels(hWnd);
    LICE_IBitmap* surface = g->GetDrawBitmap();
    int differing = 0;
    for (int y = 0; y < kEditorHeight; ++y)
      for (int x = 0; x < kEditorWidth; ++x)
        if (shown.At(x, y) != (surface->GetBits()[y * surface->GetRowSpan() + x] & 0xFFFFFF)) ++differing;
    EXPECT_EQ(differing, 0);
  }

  // Paint the window over behind the editor's back, then change the knob and the fader.
  const COLORREF sentinel = RGB(255, 0, 255);
  FillWindow(hWnd, sentinel);
  g->UpdateControlValue(kKnob, 0.8);
  g->UpdateControlValue(kFader, 0.3);
  IRectangle dirty;
  ASSERT_TRUE(g->CollectDirtyRect(&dirty));
  const IRectangle& knob = g->GetControl(kKnob)->GetRECT();
  const IRectangle& fader = g->GetControl(kFader)->GetRECT();
  EXPECT_EQ(dirty, IRectangle(knob.left, knob.top, fader.right, fader.bottom));
  Settle();

  const WindowPixels shown = ReadWindowPixels(hWnd);
  LICE_IBitmap* surface = g->GetDrawBitmap();
  int inside = 0, outside = 0, wrongInside = 0, wrongOutside = 0;
  for (int y = 0; y < kEditorHeight; ++y) {
    for (int x = 0; x < kEditorWidth; ++x) {
      const unsigned want = surface->GetBits()[y * surface->GetRowSpan() + x] & 0xFFFFFF;
      if (dirty.Contains(x, y)) {
        ++inside;
        if (shown.At(x, y) != want) ++wrongInside;
      } else {
        ++outside;
        if (shown.At(x, y) != 0xFF00FF) ++wrongOutside;
      }
    }
  }
  EXPECT_GT(inside, 0);
  EXPECT_GT(outside, 0);
  EXPECT_EQ(wrongInside, 0);
  EXPECT_EQ(wrongOutside, 0);
}

TEST_F(WindowTest, QuietTicksRunTheIdleStep) {
  ASSERT_NE(Open(), nullptr);
  Settle();
  const int before = plug->idleTicks;
  // 21 quiet ticks of 40 ms.
  EXPECT_TRUE(PumpUntil([&] { return plug->idleTicks > before; }, 4000));
}

TEST_F(WindowTest, EveryPaintRequestIsAnswered) {
  // An editor without controls draws nothing, yet its paint requests end.
  TestPlug emptyPlug;
  IGraphicsWin* empty = new IGraphicsWin(&emptyPlug, 60, 40);
  empty->SetHInstance(GetModuleHandleA(nullptr));
  emptyPlug.BindGraphics(empty);
  HWND hWnd = static_cast<HWND>(empty->OpenEditorWindow(host));
  ASSERT_NE(hWnd, nullptr);
  InvalidateRect(hWnd, nullptr, FALSE);
  UpdateWindow(hWnd);
  EXPECT_FALSE(GetUpdateRect(hWnd, nullptr, FALSE));
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, hWnd, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  empty->CloseEditorWindow();

  // With controls and nothing dirty, an uncovered area is painted from the draw surface.
  HWND editor = Open();
  Settle();
  FillWindow(editor, RGB(0, 255, 0));
  RECT area = {0, 0, 30, 20};
  InvalidateRect(editor, &area, FALSE);
  UpdateWindow(editor);
  EXPECT_FALSE(GetUpdateRect(editor, nullptr, FALSE));
  const WindowPixels shown = ReadWindowPixels(editor);
  EXPECT_EQ(shown.At(5, 5), kBackgroundColour & 0xFFFFFF);
  EXPECT_EQ(shown.At(100, 100), 0x00FF00u);  // outside the request: untouched
}

// ---- Mouse --------------------------------------------------------------------------------------

TEST_F(WindowTest, DragTurnsTheKnobWithOneGesture) {
  HWND hWnd = Open();
  ASSERT_NE(hWnd, nullptr);
  Settle();
  const double start = g->GetControl(kKnob)->GetValue();
  const POINT c = Centre(kKnob);
  Mouse(WM_LBUTTONDOWN, c.x, c.y, MK_LBUTTON);
  EXPECT_EQ(GetCapture(), hWnd);
  EXPECT_EQ(g->GetCapturedControl(), kKnob);
  Mouse(WM_MOUSEMOVE, c.x, c.y - 10, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, c.x, c.y - 20, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, c.x, c.y - 20, 0);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(g->GetCapturedControl(), -1);
  EXPECT_EQ(plug->HostSequence(), "B3 I3 I3 E3");
  const std::vector<double> sent = plug->InformedValues();
  ASSERT_EQ(sent.size(), 2u);
  // 40 pixels high, gearing 4: 1/160 per pixel.
  EXPECT_NEAR(sent[0], start + 10.0 / 160.0, 1e-9);
  EXPECT_NEAR(sent[1], start + 20.0 / 160.0, 1e-9);

  // A move with the button flag but without a capture is no drag.
  plug->hostCalls.clear();
  Mouse(WM_MOUSEMOVE, c.x, c.y - 30, MK_LBUTTON);
  EXPECT_EQ(plug->HostSequence(), "");
}

TEST_F(WindowTest, DoubleClickReturnsToTheDefault) {
  ASSERT_NE(Open(), nullptr);
  const POINT c = Centre(kKnob);
  const double initial = g->GetControl(kKnob)->GetDefaultValue();
  Mouse(WM_LBUTTONDOWN, c.x, c.y, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, c.x, c.y - 16, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, c.x, c.y - 16, 0);
  EXPECT_NE(g->GetControl(kKnob)->GetValue(), initial);
  plug->hostCalls.clear();
  Mouse(WM_LBUTTONDBLCLK, c.x, c.y, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, c.x, c.y, 0);
  EXPECT_EQ(plug->HostSequence(), "B3 I3 E3");
  EXPECT_DOUBLE_EQ(plug->InformedValues().at(0), initial);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(WindowTest, WheelNotchesWithScreenCoordinates) {
  HWND hWnd = Open();
  ASSERT_NE(hWnd, nullptr);
  POINT c = Centre(kKnob);
  ClientToScreen(hWnd, &c);
  const double start = g->GetControl(kKnob)->GetValue();
  PostMessageA(hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(c.x, c.y));
  PumpOnce();
  EXPECT_EQ(plug->HostSequence(), "B3 I3 E3");
  EXPECT_NEAR(g->GetControl(kKnob)->GetValue(), start + 0.01, 1e-9);
  // Half a notch moves nothing; shift turns ten times finer.
  PostMessageA(hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 60), MAKELPARAM(c.x, c.y));
  PumpOnce();
  EXPECT_NEAR(g->GetControl(kKnob)->GetValue(), start + 0.01, 1e-9);
  PostMessageA(hWnd, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, static_cast<WORD>(-240)), MAKELPARAM(c.x, c.y));
  PumpOnce();
  EXPECT_NEAR(g->GetControl(kKnob)->GetValue(), start + 0.01 - 0.002, 1e-9);
}

TEST_F(WindowTest, MiddleButtonLeavesNoCaptureOrGesture) {
  HWND hWnd = Open();
  ASSERT_NE(hWnd, nullptr);
  const POINT c = Centre(kKnob);
  Mouse(WM_MBUTTONDOWN, c.x, c.y, MK_MBUTTON);
  EXPECT_EQ(g->GetOpenGesture(), kFreq);
  Mouse(WM_MBUTTONUP, c.x, c.y, 0);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(g->GetCapturedControl(), -1);
  EXPECT_EQ(g->GetOpenGesture(), -1);
  EXPECT_EQ(plug->HostSequence(), "B3 E3");
}

TEST_F(WindowTest, LostCaptureEndsTheGesture) {
  HWND hWnd = Open();
  ASSERT_NE(hWnd, nullptr);
  const POINT c = Centre(kFader);
  Mouse(WM_LBUTTONDOWN, c.x, c.y, MK_LBUTTON);
  ASSERT_EQ(g->GetOpenGesture(), kScaler);
  SetCapture(host);  // another window takes the mouse
  PumpOnce();
  EXPECT_EQ(g->GetCapturedControl(), -1);
  EXPECT_EQ(g->GetOpenGesture(), -1);
  ReleaseCapture();
  EXPECT_EQ(plug->HostSequence(), "B4 I4 E4");

  // Closing the editor in the middle of a drag ends it too.
  plug->hostCalls.clear();
  Mouse(WM_LBUTTONDOWN, c.x, c.y, MK_LBUTTON);
  g->CloseEditorWindow();
  EXPECT_EQ(g->GetOpenGesture(), -1);
  EXPECT_EQ(plug->HostSequence(), "B4 I4 E4");
}

// ---- Keys ---------------------------------------------------------------------------------------

TEST_F(WindowTest, KeysGoToTheControlUnderThePointerOrToTheRootWindow) {
  HWND hWnd = Open();
  ASSERT_NE(hWnd, nullptr);
  auto forwarded = [](UINT msg, WPARAM key) {
    for (const HostKey& k : HostKeys())
      if (k.msg == msg && k.key == key) return true;
    return false;
  };

  ASSERT_TRUE(PointerTo(kKeyTaker));
  PostMessageA(hWnd, WM_KEYDOWN, 'K', 0);
  PumpOnce();
  EXPECT_EQ(keyTaker->keys, 1);
  EXPECT_FALSE(forwarded(WM_KEYDOWN, 'K'));
  // A key the control does not take, and one that maps to no key code, go on to the root.
  PostMessageA(hWnd, WM_KEYDOWN, 'J', 0);
  PostMessageA(hWnd, WM_KEYDOWN, VK_F5, 0);
  PumpOnce();
  EXPECT_TRUE(forwarded(WM_KEYDOWN, 'J'));
  EXPECT_TRUE(forwarded(WM_KEYDOWN, VK_F5));
  // Key-up messages always go on.
  PostMessageA(hWnd, WM_KEYUP, 'K', 0);
  PumpOnce();
  EXPECT_TRUE(forwarded(WM_KEYUP, 'K'));

  // Over a knob, which takes no keys, a letter goes on to the root window.
  ASSERT_TRUE(PointerTo(kKnob));
  PostMessageA(hWnd, WM_KEYDOWN, 'K', 0);
  PumpOnce();
  EXPECT_EQ(keyTaker->keys, 1);
  EXPECT_TRUE(forwarded(WM_KEYDOWN, 'K'));
}

// ---- The text-entry box ---------------------------------------------------------------------------

class TextEntryTest : public WinEditorTest {
 protected:
  void SetUp() override {
    WinEditorTest::SetUp();
    ASSERT_NE(Open(), nullptr);
    Settle();
  }
  HWND OpenGainBox() {
    Click(kGainCaption);
    plug->hostCalls.clear();
    return g->GetTextEntryWindow();
  }
  void Type(HWND box, const char* text) {
    for (const char* p = text; *p; ++p) SendMessageA(box, WM_CHAR, static_cast<unsigned char>(*p), 1);
  }
  std::string BoxText(HWND box) {
    char text[64] = "";
    GetWindowTextA(box, text, sizeof text);
    return text;
  }
  bool WaitForBoxToGo() {
    return PumpUntil([&] { return g->GetTextEntryWindow() == nullptr; }, 2000);
  }
};

TEST_F(TextEntryTest, TypedNumberIsCommittedAfterEnter) {
  HWND box = OpenGainBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(GetParent(box), Editor());
  EXPECT_EQ(GetDlgCtrlID(box), IGraphicsWin::kTextEntryId);
  EXPECT_EQ(g->GetTextEntryControl(), g->GetControl(kGainCaption));
  EXPECT_EQ(g->GetTextEntryParam(), plug->GetParam(kGain));
  EXPECT_EQ(BoxText(box), "0.0");
  const LONG style = GetWindowLongA(box, GWL_STYLE);
  EXPECT_EQ(static_cast<DWORD>(style) & 0xFFFF00FFu, 1342177412u | ES_CENTER);
  // The box takes the rectangle of value entry, 40 x 16 around the caption's centre, plus one.
  RECT r;
  GetWindowRect(box, &r);
  MapWindowPoints(nullptr, Editor(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 110);
  EXPECT_EQ(r.top, 12);
  EXPECT_EQ(r.right - r.left, 41);
  EXPECT_EQ(r.bottom - r.top, 17);

  Type(box, "12a.5");  // replaces the selected text; the letter is refused
  EXPECT_EQ(BoxText(box), "12.5");
  SendMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(g->GetTextEntryState(), kTextEntryCommit);
  EXPECT_EQ(BoxText(box), "12.5");  // Enter is no character of the box
  ASSERT_TRUE(WaitForBoxToGo());
  EXPECT_FALSE(IsWindow(box));
  EXPECT_DOUBLE_EQ(plug->GetParam(kGain)->Value(), 12.5);
  EXPECT_EQ(plug->HostSequence(), "B0 I0 E0");
  EXPECT_EQ(g->GetTextEntryState(), kTextEntryNone);
  EXPECT_EQ(g->GetTextEntryControl(), nullptr);
  EXPECT_EQ(g->GetTextEntryParam(), nullptr);
}

TEST_F(TextEntryTest, CharacterFilterPerParameterKindAndLength) {
  // An enumeration (like booleans and integers) takes digits and signs only.
  IControl* caption = g->GetControl(kModeCaption);
  g->OpenTextEntry(caption, caption->GetTextStyle(), IRectangle(90, 40, 170, 60), "", plug->GetParam(kMode));
  HWND box = g->GetTextEntryWindow();
  ASSERT_NE(box, nullptr);
  Type(box, "-1.5x+");
  EXPECT_EQ(BoxText(box), "-15+");
  g->CancelTextEntry();
  ASSERT_TRUE(WaitForBoxToGo());
  EXPECT_EQ(plug->HostSequence(), "");

  // The box holds at most the control's entry length (7).
  box = OpenGainBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(SendMessageA(box, EM_GETLIMITTEXT, 0, 0), 7);
  Type(box, "-12345.678");
  const std::string typed = BoxText(box);
  EXPECT_LE(typed.size(), 7u);
  EXPECT_EQ(typed.substr(0, 6), "-12345");
  SendMessageA(box, WM_CHAR, 8, 1);  // backspace passes
  EXPECT_EQ(BoxText(box), typed.substr(0, typed.size() - 1));
  SendMessageA(box, WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(WaitForBoxToGo());

  // Without a parameter every character is taken.
  IControl* knob = g->GetControl(kKnob);
  g->OpenTextEntry(knob, knob->GetTextStyle(), IRectangle(10, 10, 60, 30), "", nullptr);
  box = g->GetTextEntryWindow();
  ASSERT_NE(box, nullptr);
  Type(box, "a.b-1");
  EXPECT_EQ(BoxText(box), "a.b-1");
  g->CancelTextEntry();
  ASSERT_TRUE(WaitForBoxToGo());
}

TEST_F(TextEntryTest, EscapeDiscardsTheText) {
  HWND box = OpenGainBox();
  ASSERT_NE(box, nullptr);
  const HFONT font = g->GetTextEntryFont();
  ASSERT_NE(font, nullptr);
  Type(box, "7");
  SendMessageA(box, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(g->GetTextEntryState(), kTextEntryCancel);
  ASSERT_TRUE(WaitForBoxToGo());
  EXPECT_DOUBLE_EQ(plug->GetParam(kGain)->Value(), 0.0);
  EXPECT_EQ(plug->HostSequence(), "");
  EXPECT_EQ(GetObjectType(font), 0u);  // the box's font went with it
}

TEST_F(TextEntryTest, ClickOutsideCommitsOrCancelsByFocus) {
  // The box's first focus arrives before it is subclassed: a click in the editor commits.
  HWND box = OpenGainBox();
  ASSERT_NE(box, nullptr);
  EXPECT_NE(g->GetTextEntryState(), kTextEntryFocused);
  Type(box, "-3");
  const POINT knob = Centre(kKnob);
  Mouse(WM_LBUTTONDOWN, knob.x, knob.y, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, knob.x, knob.y, 0);
  EXPECT_EQ(g->GetCapturedControl(), -1);  // the click went no further
  ASSERT_TRUE(WaitForBoxToGo());
  EXPECT_DOUBLE_EQ(plug->GetParam(kGain)->Value(), -3.0);
  EXPECT_EQ(plug->HostSequence(), "B0 I0 E0");

  // With the focus on the box, a click in the editor cancels.
  box = OpenGainBox();
  ASSERT_NE(box, nullptr);
  SendMessageA(box, WM_SETFOCUS, 0, 0);
  EXPECT_EQ(g->GetTextEntryState(), kTextEntryFocused);
  Type(box, "9");
  Pump(100);  // no tick is handled while the box has the focus
  EXPECT_EQ(g->GetTextEntryWindow(), box);
  Mouse(WM_RBUTTONDOWN, knob.x, knob.y, MK_RBUTTON);
  EXPECT_EQ(g->GetTextEntryState(), kTextEntryCancel);
  ASSERT_TRUE(WaitForBoxToGo());
  EXPECT_DOUBLE_EQ(plug->GetParam(kGain)->Value(), -3.0);
  EXPECT_EQ(plug->HostSequence(), "");
}

TEST_F(TextEntryTest, LosingTheFocusCommitsAndTheWheelCancels) {
  HWND box = OpenGainBox();
  ASSERT_NE(box, nullptr);
  Type(box, "4");
  SendMessageA(box, WM_KILLFOCUS, 0, 0);
  EXPECT_EQ(g->GetTextEntryState(), kTextEntryCommit);
  ASSERT_TRUE(WaitForBoxToGo());
  EXPECT_DOUBLE_EQ(plug->GetParam(kGain)->Value(), 4.0);

  box = OpenGainBox();
  ASSERT_NE(box, nullptr);
  Type(box, "5");
  POINT p = Centre(kKnob);
  ClientToScreen(Editor(), &p);
  PostMessageA(Editor(), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(p.x, p.y));
  PumpOnce();
  ASSERT_TRUE(WaitForBoxToGo());
  EXPECT_DOUBLE_EQ(plug->GetParam(kGain)->Value(), 4.0);
  EXPECT_EQ(plug->HostSequence(), "");  // the wheel turned nothing either
}

TEST_F(TextEntryTest, ClosingTheWindowCancelsTheEntry) {
  HWND box = OpenGainBox();
  ASSERT_NE(box, nullptr);
  const HFONT font = g->GetTextEntryFont();
  Type(box, "8");
  g->CloseEditorWindow();
  EXPECT_FALSE(IsWindow(box));
  EXPECT_EQ(g->GetTextEntryWindow(), nullptr);
  EXPECT_EQ(g->GetTextEntryControl(), nullptr);
  EXPECT_EQ(g->GetTextEntryParam(), nullptr);
  EXPECT_EQ(g->GetTextEntryState(), kTextEntryNone);
  EXPECT_EQ(GetObjectType(font), 0u);
  EXPECT_DOUBLE_EQ(plug->GetParam(kGain)->Value(), 0.0);
  EXPECT_EQ(plug->HostSequence(), "");

  // Reopened, the editor opens a new box and commits it normally.
  ASSERT_NE(Open(), nullptr);
  Settle();
  box = OpenGainBox();
  ASSERT_NE(box, nullptr);
  Type(box, "2");
  SendMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(WaitForBoxToGo());
  EXPECT_DOUBLE_EQ(plug->GetParam(kGain)->Value(), 2.0);
}

TEST_F(TextEntryTest, RepaintsLeaveTheBoxAlone) {
  HWND box = OpenGainBox();
  ASSERT_NE(box, nullptr);
  UpdateWindow(box);
  RECT r;
  GetWindowRect(box, &r);
  MapWindowPoints(nullptr, Editor(), reinterpret_cast<POINT*>(&r), 2);
  const unsigned entryColour = static_cast<unsigned>(RGB(kEntryBackground.blue, kEntryBackground.green, kEntryBackground.red));
  auto boxCorner = [&] { return ReadWindowPixels(Editor()).At(r.left + 1, r.bottom - 2); };
  ASSERT_EQ(boxCorner(), entryColour);

  // Timer repaints of everything, and a paint request of the whole window.
  g->MarkAllControlsChanged();
  Pump(200);
  ASSERT_EQ(g->GetTextEntryWindow(), box);
  EXPECT_EQ(boxCorner(), entryColour);
  // The editor's own paint, read back before the box paints itself again.
  InvalidateRect(Editor(), nullptr, FALSE);
  SendMessageA(Editor(), WM_PAINT, 0, 0);
  EXPECT_EQ(boxCorner(), entryColour);
  UpdateWindow(Editor());
  // Around the box the editor is painted.
  EXPECT_EQ(ReadWindowPixels(Editor()).At(r.left - 3, r.bottom + 3), kBackgroundColour & 0xFFFFFF);
  g->CancelTextEntry();
  ASSERT_TRUE(WaitForBoxToGo());
}

TEST_F(TextEntryTest, ResizingCancelsTheEntry) {
  HWND box = OpenGainBox();
  ASSERT_NE(box, nullptr);
  g->Resize(kEditorWidth + 10, kEditorHeight);
  EXPECT_FALSE(IsWindow(box));
  EXPECT_EQ(g->GetTextEntryControl(), nullptr);
  EXPECT_EQ(g->NControls(), 0);
  Pump(100);  // ticks find no box and no controls
  EXPECT_EQ(plug->HostSequence(), "");
}

// ---- Tooltips -----------------------------------------------------------------------------------

TEST_F(WindowTest, TooltipOfTheControlUnderThePointer) {
  g->HandleMouseOver(true);
  g->EnableTooltips(true);
  g->GetControl(kKnob)->SetTooltip("Frequency");
  HWND hWnd = Open();
  ASSERT_NE(hWnd, nullptr);
  HWND tip = g->GetTooltipWindow();
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(GetWindow(tip, GW_OWNER), host);  // a popup is owned by the editor's top-level window
  EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 1);

  ASSERT_TRUE(PointerTo(kKnob));  // leave tracking looks at the real pointer
  const POINT c = Centre(kKnob);
  Mouse(WM_MOUSEMOVE, c.x, c.y, 0);
  EXPECT_EQ(g->GetMouseOverControl(), kKnob);
  SendMessageA(hWnd, WM_MOUSEHOVER, 0, MAKELPARAM(c.x, c.y));
  EXPECT_TRUE(g->TooltipShown());
  char text[80] = "";
  TTTOOLINFOA ti;
  std::memset(&ti, 0, sizeof ti);
  ti.cbSize = static_cast<UINT>(offsetof(TTTOOLINFOA, lParam) + sizeof(LPARAM));
  ti.hwnd = hWnd;
  ti.uId = reinterpret_cast<UINT_PTR>(hWnd);
  ti.lpszText = text;
  SendMessageA(tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&ti));
  EXPECT_STREQ(text, "Frequency");

  // A button press hides it; leaving the window ends the mouse-over.
  Mouse(WM_LBUTTONDOWN, c.x, c.y, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, c.x, c.y, 0);
  EXPECT_FALSE(g->TooltipShown());
  SendMessageA(hWnd, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(g->GetMouseOverControl(), -1);

  g->CloseEditorWindow();
  EXPECT_FALSE(IsWindow(tip));
  EXPECT_EQ(g->GetTooltipWindow(), nullptr);
}

TEST_F(WindowTest, TooLongTooltipIsReportedAndNotShown) {
  g->HandleMouseOver(true);
  g->EnableTooltips(true);
  const std::string tooLong(80, 't');
  g->GetControl(kKnob)->SetTooltip(tooLong.c_str());
  HWND hWnd = Open();
  ASSERT_NE(hWnd, nullptr);
  AssertCapture reports;
  ASSERT_TRUE(PointerTo(kKnob));
  const POINT c = Centre(kKnob);
  Mouse(WM_MOUSEMOVE, c.x, c.y, 0);
  SendMessageA(hWnd, WM_MOUSEHOVER, 0, MAKELPARAM(c.x, c.y));
  ASSERT_EQ(AssertCapture::Reports().size(), 1u);
  EXPECT_EQ(AssertCapture::Reports()[0].expression, "strlen(tooltip) < 80");
  EXPECT_EQ(AssertCapture::Reports()[0].source, "igraphicswin");
  EXPECT_EQ(AssertCapture::Reports()[0].line, 1257);
  EXPECT_FALSE(g->TooltipShown());
  // The editor goes on.
  g->UpdateControlValue(kKnob, 0.5);
  Settle();
  IRectangle dirty;
  EXPECT_FALSE(g->CollectDirtyRect(&dirty));
}

// ---- Resizing and the pointer --------------------------------------------------------------------

TEST_F(WindowTest, ResizeGrowsTheWindowItsParentAndGrandparent) {
  // host > outer frame > inner frame > editor: the inner frame (the parent) grows because the
  // editor is a plain child, the outer frame (the grandparent) because the parent is one.
  HWND outer = CreateChildFrame(host, 5, 5, 380, 280);
  HWND inner = CreateChildFrame(outer, 5, 5, 300, 200);
  HWND hWnd = Open(inner);
  ASSERT_NE(hWnd, nullptr);
  RECT hostBefore;
  GetWindowRect(host, &hostBefore);
  g->Resize(kEditorWidth + 20, kEditorHeight + 10);
  EXPECT_EQ(g->Width(), kEditorWidth + 20);
  EXPECT_EQ(g->NControls(), 0);
  EXPECT_EQ(g->GetDrawBitmap()->GetWidth(), kEditorWidth + 20);
  RECT r;
  GetClientRect(hWnd, &r);
  EXPECT_EQ(r.right, kEditorWidth + 20);
  EXPECT_EQ(r.bottom, kEditorHeight + 10);
  GetClientRect(inner, &r);
  EXPECT_EQ(r.right, 320);
  EXPECT_EQ(r.bottom, 210);
  GetClientRect(outer, &r);
  EXPECT_EQ(r.right, 400);
  EXPECT_EQ(r.bottom, 290);
  RECT hostAfter;
  GetWindowRect(host, &hostAfter);
  EXPECT_EQ(hostAfter.right - hostAfter.left, hostBefore.right - hostBefore.left);
  g->Resize(kEditorWidth + 20, kEditorHeight + 10);  // the same size: nothing
  GetClientRect(inner, &r);
  EXPECT_EQ(r.right, 320);
}

TEST_F(WindowTest, ResizeUnderVst3LeavesTheParentsToTheHost) {
  Make(kApiVST3);
  HWND frame = CreateChildFrame(host, 5, 5, 300, 200);
  HWND hWnd = Open(frame);
  ASSERT_NE(hWnd, nullptr);
  g->Resize(kEditorWidth - 40, kEditorHeight);
  RECT r;
  GetClientRect(hWnd, &r);
  EXPECT_EQ(r.right, kEditorWidth - 40);
  GetClientRect(frame, &r);
  EXPECT_EQ(r.right, 300);
}

TEST_F(WindowTest, HiddenPointerComesBackWhereItWas) {
  ASSERT_NE(Open(), nullptr);
  auto displayCount = [] {
    const int count = ShowCursor(FALSE) + 1;
    ShowCursor(TRUE);
    return count;
  };
  const int shown = displayCount();
  SetCursorPos(120, 130);
  g->HidePointer();
  g->HidePointer();  // once only
  EXPECT_EQ(displayCount(), shown - 1);
  SetCursorPos(300, 310);
  g->RestorePointer();
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 120);
  EXPECT_EQ(p.y, 130);
  EXPECT_EQ(displayCount(), shown);
  g->RestorePointer();  // not hidden: nothing
  EXPECT_EQ(displayCount(), shown);
}

// ---- Resources, folders, clipboard ----------------------------------------------------------------

TEST_F(WindowTest, PngResourcesOfTheModule) {
  std::unique_ptr<LICE_IBitmap> knob(g->LoadResourceBitmap(101, "knob.png"));
  ASSERT_NE(knob, nullptr);
  EXPECT_EQ(knob->GetWidth(), 40);
  EXPECT_EQ(knob->GetHeight(), 4040);
  std::unique_ptr<LICE_MemBitmap> file(LICE_ReadPngFile(CORVANE_SOURCE_DIR "/resources/img/knob.png"));
  ASSERT_NE(file, nullptr);
  int differing = 0;
  for (int y = 0; y < 4040; ++y)
    for (int x = 0; x < 40; ++x)
      if (knob->GetBits()[y * knob->GetRowSpan() + x] != file->GetBits()[y * file->GetRowSpan() + x]) ++differing;
  EXPECT_EQ(differing, 0);

  std::unique_ptr<LICE_IBitmap> upper(g->LoadResourceBitmap(100, "BKG.PNG"));
  ASSERT_NE(upper, nullptr);
  EXPECT_EQ(upper->GetWidth(), 800);
  EXPECT_EQ(g->LoadResourceBitmap(101, "knob.bmp"), nullptr);  // not a PNG name
  EXPECT_EQ(g->LoadResourceBitmap(999, "none.png"), nullptr);  // no such resource
  EXPECT_EQ(g->LoadResourceBitmap(200, "tiny.png"), nullptr);  // 5 bytes
  EXPECT_EQ(g->LoadResourceBitmap(201, "text.png"), nullptr);  // no PNG data

  // Another module has none of them.
  IGraphicsWin other(nullptr, 10, 10);
  other.SetHInstance(GetModuleHandleA("kernel32.dll"));
  EXPECT_EQ(other.LoadResourceBitmap(101, "knob.png"), nullptr);
}

TEST_F(WindowTest, FoldersEndWithABackslash) {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string folder = exe;
  folder.erase(folder.rfind('\\') + 1);
  PlugString out;
  g->GetHostFolder(&out);
  EXPECT_EQ(std::string(out.Get()), folder);
  g->GetPluginFolder(&out);  // the module instance is this program
  EXPECT_EQ(std::string(out.Get()), folder);
  IGraphicsWin::GetModuleFolder(GetModuleHandleA("kernel32.dll"), &out);
  EXPECT_EQ(out.Get()[out.GetLength() - 1], '\\');
  g->GetDesktopFolder(&out);
  EXPECT_GT(out.GetLength(), 3);
  g->GetAppDataFolder(&out, true);
  EXPECT_GT(out.GetLength(), 3);
  PlugString local;
  g->GetUserAppDataFolder(&local);
  g->GetAppDataFolder(&out, false);
  EXPECT_STREQ(local.Get(), out.Get());
  EXPECT_GT(local.GetLength(), 3);
}

TEST_F(WindowTest, ClipboardTextRoundTrip) {
  ASSERT_NE(Open(), nullptr);
  const wchar_t text[] = L"Gr\u00fc\u00dfe 12.5 \u20ac";
  ASSERT_TRUE(OpenClipboard(host));
  EmptyClipboard();
  HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
  std::memcpy(GlobalLock(data), text, sizeof text);
  GlobalUnlock(data);
  ASSERT_NE(SetClipboardData(CF_UNICODETEXT, data), nullptr);
  CloseClipboard();

  PlugString out;
  EXPECT_TRUE(g->GetClipboardText(&out));
  EXPECT_STREQ(out.Get(), "Gr\xC3\xBC\xC3\x9F" "e 12.5 \xE2\x82\xAC");
  // The clipboard was closed again: another window can open it.
  ASSERT_TRUE(OpenClipboard(host));
  EmptyClipboard();
  CloseClipboard();
  out.Assign("stale");
  EXPECT_FALSE(g->GetClipboardText(&out));
  EXPECT_STREQ(out.Get(), "");
}

}  // namespace
}  // namespace wintest
