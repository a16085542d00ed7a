// tests/shell/window_fixture.h -- plain top-level windows for the shell's
// window tests, and a clean window table after each test.
//
// Owns: the test's frame class, the windows a test makes with it and every
// top-level window left at the end of a test (destroyed, with the queue
// emptied). It does not own the shell's classes nor their windows' records.
#ifndef LUMENFOLD_TESTS_SHELL_WINDOW_FIXTURE_H
#define LUMENFOLD_TESTS_SHELL_WINDOW_FIXTURE_H

#include <gtest/gtest.h>

#include <vector>

#include "platform/winuser.h"

class ShellWindowTest : public ::testing::Test {
 protected:
  static constexpr const char* kFrameClass = "LfShellTestFrame";

  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = kFrameClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
  }

  void TearDown() override {
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND hwnd, LPARAM list) {
          reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    for (HWND hwnd : windows) DestroyWindow(hwnd);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_TRUE(UnregisterClassA(kFrameClass, nullptr));
  }

  // A visible top-level frame window.
  HWND makeFrame(int width, int height) {
    return CreateWindowExA(0, kFrameClass, "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, width, height, nullptr,
                           nullptr, nullptr, nullptr);
  }
};

#endif
