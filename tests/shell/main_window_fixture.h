// tests/shell/main_window_fixture.h -- a headless stand-in for the main
// window, on the virtual clock, for the tests of what the shell draws and
// places in it.
//
// Owns: the stand-in class (a plain window procedure; the tests call the
// layout, lamp and location functions as the real procedure would), the
// window made from it as the registered main window, and the clean-up of
// windows, queue and registered handles afterwards. It does not own the
// layout's program-wide values: each test sets those it relies on.
#ifndef LUMENFOLD_TESTS_SHELL_MAIN_WINDOW_FIXTURE_H
#define LUMENFOLD_TESTS_SHELL_MAIN_WINDOW_FIXTURE_H

#include <gtest/gtest.h>

#include <vector>

#include "core/apphandles.h"
#include "platform/clock.h"
#include "platform/presenter.h"
#include "platform/wingdi.h"
#include "platform/winuser.h"

class MainWindowTest : public ::testing::Test {
 public:
  static constexpr const char* kClassName = "LfShellTestMain";
  static constexpr DWORD kMainStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

  HWND main = nullptr;

  static LRESULT CALLBACK mainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }

  void SetUp() override {
    platform::useVirtualClock(true, startClockMs());
    WNDCLASSA wc{};
    wc.lpfnWndProc = mainProc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kClassName;
    ASSERT_NE(RegisterClassA(&wc), 0);
    main = CreateWindowExA(0, kClassName, "main", kMainStyle, 0, 0, 600, 500, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(main, nullptr);
    zmSetMainHwnd(main);
  }

  void TearDown() override {
    DestroyWindow(main);
    zmSetMainHwnd(nullptr);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_TRUE(UnregisterClassA(kClassName, nullptr));
    platform::useVirtualClock(false);
  }

  // Where the virtual clock starts; a test may start it elsewhere.
  virtual uint64_t startClockMs() const { return 1000; }

  // The main window's client pixels as they stand.
  platform::WindowPixels mainPixels() const {
    platform::WindowPixels pixels;
    EXPECT_TRUE(platform::readWindowPixels(main, &pixels));
    return pixels;
  }

  // The rectangle of a child window in its parent's client coordinates.
  static RECT childRect(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    ScreenToClient(GetParent(child), &corners[0]);
    ScreenToClient(GetParent(child), &corners[1]);
    return RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  }
};

#endif
