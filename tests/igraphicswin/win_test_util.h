#pragma once
// Shared pieces of the Windows editor tests: a top-level host window that records the keys it
// receives, a message pump with deadlines, a small editor of real controls in that window,
// window pixels read back through GDI, and a driver for modal loops (menus, dialogs, message
// boxes) armed as a thread timer before the modal call: it finds the modal window, acts once,
// and closes whatever is still open after its timeout, which then fails the test.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drawing/lice.h"
#include "iplug/igraphics/IControl.h"
#include "iplug/igraphicswin/IGraphicsWin.h"
#include "tests/igraphics/igraphics_test_util.h"

namespace wintest {

using igtest::TestPlug;

// ---- Message pumping ----------------------------------------------------------------------------

inline void PumpOnce() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Pumps messages for ms milliseconds.
inline void Pump(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    PumpOnce();
    const auto now = std::chrono::steady_clock::now();
    if (now >= end) break;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left > 10 ? 10 : left), QS_ALLINPUT);
  }
}

// Pumps until done() holds or timeoutMs passed; the result is done().
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return done();
    PumpOnce();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

// ---- Host windows -------------------------------------------------------------------------------

// Keys that reached a host window (message, virtual key).
struct HostKey {
  UINT msg;
  WPARAM key;
};
std::vector<HostKey>& HostKeys();

// A visible top-level window of class "CorvaneTestHost" (or a child frame of another window).
HWND CreateHostWindow(int x = 40, int y = 40, int w = 420, int h = 320, const char* className = nullptr);
HWND CreateChildFrame(HWND parent, int x, int y, int w, int h);

// ---- Reading pixels -----------------------------------------------------------------------------

// The client pixels of a window as 0x00RRGGBB words, row by row.
struct WindowPixels {
  int width = 0, height = 0;
  std::vector<unsigned> pixels;
  unsigned At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
WindowPixels ReadWindowPixels(HWND hWnd);
// Fills the window's client area with a colour straight through GDI (not through the editor).
void FillWindow(HWND hWnd, COLORREF colour);

// ---- The test editor ----------------------------------------------------------------------------

// A control without a parameter that takes the key 'K' (letter 10) and counts it.
class KeyTakerControl : public IControl {
 public:
  KeyTakerControl(IPlugBase* plug, const IRectangle& rect) : IControl(plug, rect) {}
  bool Draw(IGraphics*) override { return true; }
  bool OnKeyDown(int, int, int key) override {
    if (key != kKeyLetterA + ('K' - 'A')) return false;
    ++keys;
    return true;
  }
  int keys = 0;
};

// Control indices of the editor below.
enum EditorControl {
  kBackground = 0,
  kKnob = 1,        // knob.png (resource 101), parameter Freq
  kSwitch = 2,      // dot-switch.png (resource 102), parameter On; right click opens its menu
  kGainCaption = 3, // caption of Gain (a number): a click opens the entry box
  kModeCaption = 4, // caption of Mode (an enumeration): a click opens the menu
  kFader = 5,       // vertical fader of Scaler with lock.png (resource 104) as handle
  kKeyTaker = 6,
  kNumControls
};

constexpr int kEditorWidth = 240, kEditorHeight = 140;
constexpr LICE_pixel kBackgroundColour = 0xFF204060;
// Entry box colours of the captions.
const IArgbColour kEntryBackground(255, 250, 230, 20);
const IArgbColour kEntryText(255, 10, 10, 120);

// A plug-in (TestPlug) with an IGraphicsWin of real controls, bound, and a host window.
class WinEditorTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Builds plug and editor again (for another plug-in API); before Open only.
  void Make(PluginApi api);
  HWND Open(HWND parent = nullptr);
  // The editor's window.
  HWND Editor() const { return static_cast<HWND>(g->GetWindowHandle()); }
  // Client position of a control's centre.
  POINT Centre(int control) const;
  // Posts a mouse message at client (x, y) and pumps it.
  void Mouse(UINT msg, int x, int y, WPARAM keyFlags);
  void Click(int control, bool right = false);
  // Moves the real pointer over a control's centre; false when it did not get there.
  bool PointerTo(int control);
  // Pumps until nothing is dirty and the window has been painted (the first full paint).
  void Settle();

  std::unique_ptr<TestPlug> plug;
  IGraphicsWin* g = nullptr;  // owned by plug once bound
  HWND host = nullptr;
  KeyTakerControl* keyTaker = nullptr;
};

// ---- Driving modal loops ------------------------------------------------------------------------

// Windows of the calling thread with a class name ("#32768" menus, "#32770" dialogs), visible.
std::vector<HWND> ThreadWindowsOfClass(const char* className);
// The texts of a dialog's children (and its title), joined with "|".
std::string DialogTexts(HWND dlg);

class ModalDriver {
 public:
  // step runs on every tick (20 ms) until it returns true. After timeoutMs the driver closes
  // every menu and dialog of the thread on each tick and reports timedOut.
  explicit ModalDriver(std::function<bool()> step, int timeoutMs = 8000);
  ~ModalDriver();
  ModalDriver(const ModalDriver&) = delete;
  ModalDriver& operator=(const ModalDriver&) = delete;

  bool acted() const { return mActed; }
  bool timedOut() const { return mTimedOut; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void OnTick();

  std::function<bool()> mStep;
  UINT_PTR mTimer = 0;
  std::chrono::steady_clock::time_point mDeadline;
  bool mActed = false;
  bool mTimedOut = false;
};

// When a popup menu of the thread is shown, posts the keys to it (its modal loop reads them
// from the thread's queue) and answers true; false while no menu is shown.
bool PostKeysToMenu(const std::vector<WPARAM>& keys);

}  // namespace wintest
