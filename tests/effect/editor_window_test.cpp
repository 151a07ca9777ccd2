// The complete effect with its Windows editor, opened in a real parent window: the first paint
// read back from the window and compared pixel for pixel with the editor's draw surface, a real
// drag on a knob and a real choice in the preset menu, both through the system's input queue.
// The first paint is also saved as editor_screenshot.png in the working directory, for a person
// to look at.
#include <gtest/gtest.h>
#include <png.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "editor_test_util.h"
#include "iplug/igraphicswin/IGraphicsWin.h"

using EffectTest::Effect;
using Call = IPlugOffline::HostCall;

namespace {

LRESULT CALLBACK ParentProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hWnd, msg, wParam, lParam);
}

// A top-level window whose client area holds the editor exactly.
class ParentWindow {
 public:
  ParentWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = "CorvaneEditorHost";
    RegisterClassA(&wc);
    RECT r = {0, 0, kEditorWidth, kEditorHeight};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    mHWND = CreateWindowExA(0, "CorvaneEditorHost", "Vemtra Corvane", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                            r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
    if (mHWND) {
      SetForegroundWindow(mHWND);
      UpdateWindow(mHWND);
    }
  }
  ~ParentWindow() {
    if (mHWND) DestroyWindow(mHWND);
    UnregisterClassA("CorvaneEditorHost", GetModuleHandleA(nullptr));
  }
  HWND Get() const { return mHWND; }

 private:
  HWND mHWND = nullptr;
};

// Dispatches messages until done() or the time runs out; true when done() came true.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < end) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done()) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return done();
}

void Pump(int ms) {
  PumpUntil([] { return false; }, ms);
}

// The window's client area as 0x00RRGGBB words, top row first.
std::vector<DWORD> ReadBack(HWND hWnd, int width, int height) {
  std::vector<DWORD> pixels(static_cast<size_t>(width) * height, 0);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  HDC window = GetDC(hWnd);
  HDC memory = CreateCompatibleDC(window);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(window, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, width, height, window, 0, 0, SRCCOPY);
  GdiFlush();
  const DWORD* p = static_cast<const DWORD*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = p[i] & 0xFFFFFF;
  SelectObject(memory, old);
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(hWnd, window);
  return pixels;
}

bool WritePng(const char* path, const std::vector<DWORD>& pixels, int width, int height) {
  std::vector<unsigned char> rgb;
  rgb.reserve(pixels.size() * 3);
  for (DWORD p : pixels) {
    rgb.push_back(static_cast<unsigned char>(p >> 16));
    rgb.push_back(static_cast<unsigned char>(p >> 8));
    rgb.push_back(static_cast<unsigned char>(p));
  }
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&image, path, 0, rgb.data(), width * 3, nullptr) != 0;
}

void SendMouse(DWORD flags) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof in);
}

void SendKey(WORD key) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = key;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof in[0]);
}

// Moves the pointer to a point of the editor.
void PointerTo(HWND editor, int x, int y) {
  POINT p = {x, y};
  ClientToScreen(editor, &p);
  SetCursorPos(p.x, p.y);
  Pump(30);
}

}  // namespace

TEST(EditorWindow, OpensPaintsAndTakesTheMouseAndMenus) {
  ParentWindow parent;
  ASSERT_NE(parent.Get(), nullptr);
  Effect plug;
  ASSERT_TRUE(VemtraCorvane::kWindowsEditor);
  auto* gui = dynamic_cast<IGraphicsWin*>(static_cast<IGraphics*>(plug.GetGUI()));
  ASSERT_NE(gui, nullptr);
  EXPECT_EQ(gui->NControls(), 57);

  HWND editor = static_cast<HWND>(gui->OpenEditorWindow(parent.Get()));
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(GetParent(editor), parent.Get());
  char className[64] = {};
  GetClassNameA(editor, className, sizeof className);
  EXPECT_STREQ(className, "IPlugWndClass");
  RECT client;
  GetClientRect(editor, &client);
  EXPECT_EQ(client.right, 800);
  EXPECT_EQ(client.bottom, 500);

  // The first timer tick repaints everything: the window then shows the draw surface.
  ASSERT_TRUE(PumpUntil([&] { return !gui->GetControl(0)->NeedsRedraw(); }));
  const std::vector<DWORD> shown = ReadBack(editor, 800, 500);
  LICE_IBitmap* surface = gui->GetDrawBitmap();
  ASSERT_NE(surface, nullptr);
  int differing = 0;
  for (int y = 0; y < 500; ++y) {
    for (int x = 0; x < 800; ++x) {
      const DWORD drawn = surface->GetBits()[y * surface->GetRowSpan() + x] & 0xFFFFFF;
      if (shown[static_cast<size_t>(y) * 800 + x] != drawn && differing++ < 5) {
        ADD_FAILURE() << "pixel " << x << "," << y << ": window " << std::hex << shown[y * 800 + x] << ", surface "
                      << drawn;
      }
    }
  }
  EXPECT_EQ(differing, 0);
  // Not a blank window: the background's panels and the controls are there.
  int distinct = 0;
  for (size_t i = 1; i < shown.size(); ++i) distinct += shown[i] != shown[i - 1];
  EXPECT_GT(distinct, 10000);
  EXPECT_TRUE(WritePng("editor_screenshot.png", shown, 800, 500));
  std::printf("editor screenshot: editor_screenshot.png in the working directory\n");

  // A real drag: press on the gate knob, move 16 pixels up, release.
  plug.ClearHostCalls();
  PointerTo(editor, 35, 374);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  Pump(50);
  for (int y = 370; y >= 358; y -= 4) {
    PointerTo(editor, 35, y);
  }
  SendMouse(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return gui->GetCapturedControl() < 0 && !plug.HostCalls().empty() &&
                                     plug.HostCalls().back().kind == Call::kEnd; }));
  EXPECT_NEAR(plug.GetParam(Detector1Gate)->Value(), -90.0, 1e-9);
  EXPECT_EQ(plug.HostCalls().front().kind, Call::kBegin);
  EXPECT_EQ(plug.HostCalls().front().index, Detector1Gate);
  auto* knob = dynamic_cast<IKnobMultiControlText*>(gui->GetControl(1));
  ASSERT_NE(knob, nullptr);
  PumpUntil([&] { return std::strcmp(knob->GetValueText(), "-90 dB") == 0; });  // the editor's timer
  EXPECT_STREQ(knob->GetValueText(), "-90 dB");

  // A real menu choice: click on the preset field, then Down, Down, Enter in the menu: the
  // second entry, "Bass steady".
  PointerTo(editor, 400, 20);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  SendMouse(MOUSEEVENTF_LEFTUP);
  SendKey(VK_DOWN);
  SendKey(VK_DOWN);
  SendKey(VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return plug.GetCurrentPresetIdx() == 1; }));
  EXPECT_EQ(plug.GetParam(Detector1Gate)->Value(), -60.0);
  EXPECT_EQ(plug.GetParam(Detector1Source)->Value(), 4.0);
  auto* field = dynamic_cast<PresetFunctionsMenu*>(gui->GetControl(53));
  ASSERT_NE(field, nullptr);
  PumpUntil([&] {
    return std::strcmp(field->GetText(), "Bass steady") == 0 && std::strcmp(knob->GetValueText(), "-60 dB") == 0;
  });
  EXPECT_STREQ(field->GetText(), "Bass steady");
  EXPECT_STREQ(knob->GetValueText(), "-60 dB");

  gui->CloseEditorWindow();
  EXPECT_FALSE(IsWindow(editor));
  EXPECT_EQ(IGraphicsWin::ClassUseCount(), 0);
}
