// tests/platform/window_fixture.h -- a test window class whose procedure
// logs every message and lets a test answer any of them, on the virtual
// clock, with the window table, queue and recorder left clean afterwards.
//
// Owns: the test class registration, the message log and the handlers, and
// every window left at the end of a test. It does not own DCs or other GDI
// objects (gdi_fixture.h).
#ifndef LUMENFOLD_TESTS_PLATFORM_WINDOW_FIXTURE_H
#define LUMENFOLD_TESTS_PLATFORM_WINDOW_FIXTURE_H

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "platform/clock.h"
#include "platform/recorder.h"
#include "platform/winuser.h"

struct LoggedMessage {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

class WindowTest : public ::testing::Test {
 public:
  static constexpr const char* kClassName = "LfTestWindow";
  static constexpr int kExtraBytes = 16;  // four words

  // A handler answers a message for the window (returning true) or lets the
  // default procedure have it.
  using Handler = std::function<bool(HWND, WPARAM, LPARAM, LRESULT*)>;

  static inline WindowTest* current = nullptr;
  std::vector<LoggedMessage> log;
  std::map<UINT, Handler> handlers;

  static LRESULT CALLBACK testProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    current->log.push_back(LoggedMessage{hwnd, msg, wParam, lParam});
    auto found = current->handlers.find(msg);
    LRESULT result = 0;
    if (found != current->handlers.end()) {
      Handler handler = found->second;  // the handler may replace itself
      if (handler(hwnd, wParam, lParam, &result)) return result;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }

  void SetUp() override {
    current = this;
    platform::useVirtualClock(true, 1000);
    platform::clearRecordedEvents();
    platform::clearMessageBoxAnswers();
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = testProc;
    wc.cbWndExtra = kExtraBytes;
    wc.lpszClassName = kClassName;
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
    handlers.clear();
    for (HWND hwnd : windows) DestroyWindow(hwnd);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_TRUE(UnregisterClassA(kClassName, nullptr));
    platform::useVirtualClock(false);
    current = nullptr;
  }

  HWND makeWindow(DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr, int id = 0,
                  int width = 200, int height = 150, LPVOID param = nullptr) {
    return CreateWindowExA(0, kClassName, "test", style, 10, 20, width, height, parent,
                           reinterpret_cast<HMENU>(intptr_t(id)), nullptr, param);
  }

  std::vector<UINT> messagesFor(HWND hwnd) const {
    std::vector<UINT> messages;
    for (const LoggedMessage& entry : log) {
      if (entry.hwnd == hwnd) messages.push_back(entry.message);
    }
    return messages;
  }

  // Dispatches everything the queue gives without waiting.
  int pumpAll() {
    int count = 0;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      ++count;
    }
    return count;
  }
};

#endif
