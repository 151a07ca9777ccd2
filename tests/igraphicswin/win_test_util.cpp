#include "tests/igraphicswin/win_test_util.h"

#include <cstring>

namespace wintest {

// ---- Host windows -------------------------------------------------------------------------------

std::vector<HostKey>& HostKeys() {
  static std::vector<HostKey> keys;
  return keys;
}

namespace {

LRESULT CALLBACK HostProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KEYDOWN || msg == WM_KEYUP) HostKeys().push_back({msg, wParam});
  return DefWindowProcA(hWnd, msg, wParam, lParam);
}

void RegisterHostClass(const char* name) {
  WNDCLASSA wc;
  if (GetClassInfoA(GetModuleHandleA(nullptr), name, &wc)) return;
  std::memset(&wc, 0, sizeof wc);
  wc.lpfnWndProc = HostProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = name;
  RegisterClassA(&wc);
}

}  // namespace

HWND CreateHostWindow(int x, int y, int w, int h, const char* className) {
  const char* name = className ? className : "CorvaneTestHost";
  RegisterHostClass(name);
  HWND hWnd = CreateWindowExA(0, name, "Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, w, h, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ShowWindow(hWnd, SW_SHOWNORMAL);
  UpdateWindow(hWnd);
  SetForegroundWindow(hWnd);
  Pump(30);
  return hWnd;
}

HWND CreateChildFrame(HWND parent, int x, int y, int w, int h) {
  RegisterHostClass("CorvaneTestFrame");
  return CreateWindowExA(0, "CorvaneTestFrame", "", WS_CHILD | WS_VISIBLE, x, y, w, h, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

// ---- Reading pixels -----------------------------------------------------------------------------

WindowPixels ReadWindowPixels(HWND hWnd) {
  WindowPixels out;
  RECT rc;
  GetClientRect(hWnd, &rc);
  out.width = rc.right;
  out.height = rc.bottom;
  out.pixels.assign(static_cast<size_t>(out.width) * out.height, 0);
  HDC windowDC = GetDC(hWnd);
  HDC mem = CreateCompatibleDC(windowDC);
  BITMAPINFO bi;
  std::memset(&bi, 0, sizeof bi);
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = out.width;
  bi.bmiHeader.biHeight = -out.height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, dib);
  BitBlt(mem, 0, 0, out.width, out.height, windowDC, 0, 0, SRCCOPY);
  GdiFlush();
  const unsigned* p = static_cast<const unsigned*>(bits);
  for (size_t i = 0; i < out.pixels.size(); ++i) out.pixels[i] = p[i] & 0xFFFFFF;
  SelectObject(mem, old);
  DeleteObject(dib);
  DeleteDC(mem);
  ReleaseDC(hWnd, windowDC);
  return out;
}

void FillWindow(HWND hWnd, COLORREF colour) {
  RECT rc;
  GetClientRect(hWnd, &rc);
  HDC dc = GetDC(hWnd);
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &rc, brush);
  DeleteObject(brush);
  ReleaseDC(hWnd, dc);
  GdiFlush();
}

// ---- The test editor ----------------------------------------------------------------------------

namespace {

// One host window for the whole program: Wine takes a long time to destroy a top-level window
// when no window manager runs.
HWND SharedHost() {
  static HWND host = nullptr;
  if (!host || !IsWindow(host)) host = CreateHostWindow();
  return host;
}

BOOL CALLBACK CollectChild(HWND hWnd, LPARAM lParam) {
  reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
  return TRUE;
}

}  // namespace

void WinEditorTest::SetUp() {
  HostKeys().clear();
  host = SharedHost();
  SetWindowPos(host, nullptr, 40, 40, 420, 320, SWP_NOZORDER | SWP_NOACTIVATE);
  Make(kApiVST2);
}

void WinEditorTest::TearDown() {
  plug.reset();  // deletes the editor, which closes its window
  g = nullptr;
  // Frames a test made in the host window go.
  std::vector<HWND> children;
  EnumChildWindows(host, CollectChild, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children)
    if (IsWindow(child) && GetParent(child) == host) DestroyWindow(child);
  Pump(10);
  EXPECT_EQ(IGraphicsWin::ClassUseCount(), 0);
  WNDCLASSA wc;
  EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), IGraphicsWin::kWindowClassName, &wc));
}

void WinEditorTest::Make(PluginApi api) {
  plug.reset();
  plug.reset(new TestPlug(api));
  IPlugBase* p = plug.get();
  g = new IGraphicsWin(p, kEditorWidth, kEditorHeight);
  g->SetHInstance(GetModuleHandleA(nullptr));

  // A plain background put into the bitmap cache under an identifier of its own.
  const int backgroundId = igtest::FreshResourceId();
  LICE_MemBitmap* background = new LICE_MemBitmap(kEditorWidth, kEditorHeight);
  LICE_FillRectangle(background, 0, 0, kEditorWidth, kEditorHeight, kBackgroundColour, 1.0f, LICE_BLIT_MODE_COPY);
  IGraphics::RegisterCachedBitmap(background, backgroundId);
  g->AddBackground(backgroundId, "bkg.png");

  // The real bitmaps, from the module's resources.
  const IFrameBitmap knob = g->LoadFrameBitmap(101, "knob.png", 101);
  g->AddControl(new IKnobMultiControl(p, 10, 10, igtest::kFreq, knob));
  const IFrameBitmap dots = g->LoadFrameBitmap(102, "dot-switch.png", 2);
  ISwitchControl* sw = new ISwitchControl(p, 60, 20, igtest::kOn, dots);
  sw->DisablePrompt(false);
  g->AddControl(sw);
  ITextStyle style(12, BlackColour);
  style.entryBackground = kEntryBackground;
  style.entryText = kEntryText;
  g->AddControl(new ICaptionControl(p, IRectangle(90, 10, 170, 30), igtest::kGain, &style));
  g->AddControl(new ICaptionControl(p, IRectangle(90, 40, 170, 60), igtest::kMode, &style));
  const IFrameBitmap handle = g->LoadFrameBitmap(104, "lock.png", 2);
  g->AddControl(new IFaderControl(p, 200, 10, 110, igtest::kScaler, handle));
  keyTaker = new KeyTakerControl(p, IRectangle(10, 80, 60, 130));
  g->AddControl(keyTaker);

  plug->BindGraphics(g);
  plug->hostCalls.clear();
  plug->paramChanges.clear();
}

HWND WinEditorTest::Open(HWND parent) { return static_cast<HWND>(g->OpenEditorWindow(parent ? parent : host)); }

POINT WinEditorTest::Centre(int control) const {
  const IRectangle& r = g->GetControl(control)->GetRECT();
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void WinEditorTest::Mouse(UINT msg, int x, int y, WPARAM keyFlags) {
  PostMessageA(Editor(), msg, keyFlags, MAKELPARAM(x, y));
  PumpOnce();
}

void WinEditorTest::Click(int control, bool right) {
  const POINT c = Centre(control);
  Mouse(right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, c.x, c.y, right ? MK_RBUTTON : MK_LBUTTON);
  Mouse(right ? WM_RBUTTONUP : WM_LBUTTONUP, c.x, c.y, 0);
}

bool WinEditorTest::PointerTo(int control) {
  POINT p = Centre(control);
  ClientToScreen(Editor(), &p);
  SetCursorPos(p.x, p.y);
  PumpOnce();
  POINT now;
  GetCursorPos(&now);
  return now.x == p.x && now.y == p.y;
}

void WinEditorTest::Settle() {
  PumpUntil(
      [&] {
        IRectangle r;
        return !g->CollectDirtyRect(&r) && !GetUpdateRect(Editor(), nullptr, FALSE);
      },
      3000);
}

// ---- Driving modal loops ------------------------------------------------------------------------

namespace {

ModalDriver* gDriver = nullptr;

struct ClassSearch {
  const char* name;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectOfClass(HWND hWnd, LPARAM lParam) {
  ClassSearch* search = reinterpret_cast<ClassSearch*>(lParam);
  char name[64] = "";
  GetClassNameA(hWnd, name, sizeof name);
  if (std::strcmp(name, search->name) == 0 && IsWindowVisible(hWnd)) search->found.push_back(hWnd);
  return TRUE;
}

BOOL CALLBACK CollectText(HWND hWnd, LPARAM lParam) {
  char text[256] = "";
  GetWindowTextA(hWnd, text, sizeof text);
  std::string* out = reinterpret_cast<std::string*>(lParam);
  *out += "|";
  *out += text;
  return TRUE;
}

}  // namespace

std::vector<HWND> ThreadWindowsOfClass(const char* className) {
  ClassSearch search{className, {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectOfClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string DialogTexts(HWND dlg) {
  char title[256] = "";
  GetWindowTextA(dlg, title, sizeof title);
  std::string out = title;
  EnumChildWindows(dlg, CollectText, reinterpret_cast<LPARAM>(&out));
  return out;
}

ModalDriver::ModalDriver(std::function<bool()> step, int timeoutMs)
    : mStep(std::move(step)), mDeadline(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)) {
  gDriver = this;
  mTimer = SetTimer(nullptr, 0, 20, Tick);
}

ModalDriver::~ModalDriver() {
  if (mTimer) KillTimer(nullptr, mTimer);
  gDriver = nullptr;
}

void CALLBACK ModalDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (gDriver) gDriver->OnTick();
}

void ModalDriver::OnTick() {
  if (!mActed) mActed = mStep();
  if (std::chrono::steady_clock::now() < mDeadline) return;
  // Too late: whatever is open is closed, and the test fails on timedOut.
  mTimedOut = true;
  EndMenu();
  for (HWND dlg : ThreadWindowsOfClass("#32770")) {
    PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(dlg, WM_COMMAND, IDNO, 0);
    PostMessageA(dlg, WM_COMMAND, IDOK, 0);
  }
}

bool PostKeysToMenu(const std::vector<WPARAM>& keys) {
  const std::vector<HWND> menus = ThreadWindowsOfClass("#32768");
  if (menus.empty()) return false;
  for (WPARAM key : keys) PostMessageA(menus.front(), WM_KEYDOWN, key, 0);
  return true;
}

}  // namespace wintest
