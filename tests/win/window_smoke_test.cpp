// Proves the test run can open a real window on its display and read a pixel back.
#include <windows.h>
#include <gtest/gtest.h>

namespace {
LRESULT CALLBACK SmokeProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    HBRUSH b = CreateSolidBrush(RGB(10, 200, 30));
    RECT r = {0, 0, 64, 64};
    FillRect(dc, &r, b);
    DeleteObject(b);
    EndPaint(w, &ps);
    return 0;
  }
  return DefWindowProcA(w, msg, wp, lp);
}
}  // namespace

TEST(WindowSmoke, OpensAWindowPaintsAndReadsBack) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = SmokeProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "CorvaneSmoke";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND w = CreateWindowA("CorvaneSmoke", "smoke", WS_POPUP | WS_VISIBLE, 10, 10, 64, 64, nullptr,
                         nullptr, wc.hInstance, nullptr);
  ASSERT_NE(w, nullptr);
  UpdateWindow(w);
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);

  HDC dc = GetDC(w);
  COLORREF c = GetPixel(dc, 5, 5);
  ReleaseDC(w, dc);
  EXPECT_EQ(GetRValue(c), 10);
  EXPECT_EQ(GetGValue(c), 200);
  EXPECT_EQ(GetBValue(c), 30);
  DestroyWindow(w);
  UnregisterClassA("CorvaneSmoke", wc.hInstance);
}
