// tests/platform/frame_drag_test.cpp -- our own frame under the mouse: what
// lies where (caption, boxes, sizing borders and corners), a caption drag
// that moves the window, border drags that size it within its tracking
// sizes, Escape that puts it back, and the maximise and minimise boxes.
#include <gtest/gtest.h>

#include "platform/devinput.h"
#include "platform/dialogs.h"
#include "platform/windows.h"
#include "tests/platform/window_fixture.h"

namespace {

using Kind = platform::InputEvent::Kind;

class FrameDragTest : public WindowTest {
 protected:
  // A drag with the left button from the window point `from` by dx, dy, in
  // three steps, run through the message loop.
  void drag(HWND hwnd, POINT from, int dx, int dy, bool escape = false) {
    RECT rect;
    GetWindowRect(hwnd, &rect);
    POINT at{rect.left + from.x, rect.top + from.y};
    queue(Kind::MouseMove, at);
    queue(Kind::ButtonDown, at);
    for (int step = 1; step <= 3; ++step) queue(Kind::MouseMove, POINT{at.x + dx * step / 3, at.y + dy * step / 3});
    if (escape) platform::queueKey(VK_ESCAPE);
    queue(Kind::ButtonUp, POINT{at.x + dx, at.y + dy});
    while (platform::inputQueued() || pumpAll() > 0) pumpAll();
  }
  void queue(Kind kind, POINT screen) {
    platform::InputEvent event;
    event.kind = kind;
    event.button = 1;
    event.screen = screen;
    platform::queueInput(event);
  }
  static RECT rectOf(HWND hwnd) {
    RECT rect;
    GetWindowRect(hwnd, &rect);
    return rect;
  }
  static bool same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }
};

// The window is 200 x 150 at (10, 20): a 4-pixel sizing frame, a 19-pixel
// caption whose boxes (close, maximise, minimise) sit 18 and 16 pixels apart
// from the right.
TEST_F(FrameDragTest, WhatLiesUnderTheMouse) {
  HWND hwnd = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  struct Case {
    int x, y;
    LRESULT hit;
  } cases[] = {
      {100, 12, HTCAPTION},     {186, 12, HTCLOSE},     {168, 12, HTMAXBUTTON}, {152, 12, HTMINBUTTON},
      {1, 75, HTLEFT},          {198, 75, HTRIGHT},     {100, 1, HTTOP},        {100, 148, HTBOTTOM},
      {1, 1, HTTOPLEFT},        {198, 148, HTBOTTOMRIGHT}, {185, 148, HTBOTTOMRIGHT},  // near the corner
      {198, 140, HTBOTTOMRIGHT}, {1, 148, HTBOTTOMLEFT}, {198, 2, HTTOPRIGHT}, {100, 75, HTCLIENT},
  };
  for (const Case& c : cases) {
    LRESULT hit = SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(10 + c.x, 20 + c.y));
    EXPECT_EQ(hit, c.hit) << c.x << "," << c.y;
  }
  // A dialog frame does not size; a window without boxes has none.
  HWND dialog = makeWindow(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
  EXPECT_EQ(SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(10 + 1, 20 + 75)), HTBORDER);
  EXPECT_EQ(SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(10 + 168, 20 + 12)), HTCAPTION);
}

TEST_F(FrameDragTest, TheCaptionMovesAndTheBordersSizeWithinTheTrackingSizes) {
  HWND hwnd = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  handlers[WM_GETMINMAXINFO] = [](HWND, WPARAM, LPARAM lParam, LRESULT*) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize = {150, 100};
    info->ptMaxTrackSize = {400, 300};
    return true;
  };
  drag(hwnd, POINT{100, 12}, 30, 40);
  EXPECT_TRUE(same(rectOf(hwnd), RECT{40, 60, 240, 210}));
  drag(hwnd, POINT{198, 148}, 50, 20);  // the lower right corner
  EXPECT_TRUE(same(rectOf(hwnd), RECT{40, 60, 290, 230}));
  drag(hwnd, POINT{1, 75}, 200, 0);  // the left border, held at the smallest width
  EXPECT_TRUE(same(rectOf(hwnd), RECT{140, 60, 290, 230}));
  drag(hwnd, POINT{148, 75}, 500, 0);  // the right border, held at the largest width
  EXPECT_TRUE(same(rectOf(hwnd), RECT{140, 60, 540, 230}));
  drag(hwnd, POINT{75, 1}, 0, -30);  // the top border
  EXPECT_TRUE(same(rectOf(hwnd), RECT{140, 30, 540, 230}));
  RECT before = rectOf(hwnd);
  drag(hwnd, POINT{75, 12}, 100, 100, true);  // Escape puts it back
  EXPECT_TRUE(same(rectOf(hwnd), before));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(FrameDragTest, TheMaximiseAndMinimiseBoxesAndTheirRestore) {
  HWND hwnd = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  const RECT normal = rectOf(hwnd);
  auto click = [&](int x, int y) {
    RECT rect = rectOf(hwnd);
    platform::queueClick(POINT{rect.left + x, rect.top + y});
    while (platform::inputQueued() || pumpAll() > 0) pumpAll();
  };
  click(rectOf(hwnd).right - rectOf(hwnd).left - 32, 12);  // maximise
  EXPECT_TRUE(IsZoomed(hwnd));
  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, GetSystemMetrics(SM_CXSCREEN));
  click(rectOf(hwnd).right - rectOf(hwnd).left - 32, 12);  // restore
  EXPECT_FALSE(IsZoomed(hwnd));
  EXPECT_TRUE(same(rectOf(hwnd), normal));

  click(200 - 48, 12);  // minimise: the caption alone, at the screen's lower left
  EXPECT_TRUE(IsIconic(hwnd));
  RECT strip = rectOf(hwnd);
  EXPECT_EQ(strip.left, 0);
  EXPECT_EQ(strip.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_LT(strip.bottom - strip.top, 40);
  click(strip.right - strip.left - 32, 12);  // its restore box
  EXPECT_FALSE(IsIconic(hwnd));
  EXPECT_TRUE(same(rectOf(hwnd), normal));
}

// A dialog opens at its place in the owner's client area, moved onto the
// screen where that place would put it off.
TEST_F(FrameDragTest, DialogsOpenInsideTheirOwnerAndOnTheScreen) {
  platform::DialogTemplate dialog;
  dialog.title = "Placed";
  dialog.x = 20;
  dialog.y = 10;
  dialog.width = 300;
  dialog.height = 120;
  platform::registerDialogResource("PLACED", dialog);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  struct Case {
    const char* name;
    POINT owner;
    bool atItsPlace;
  } cases[] = {{"inside", {100, 100}, true},
               {"owner off the lower right", {screenWidth - 100, screenHeight - 50}, false},
               {"owner off the upper left", {-150, -120}, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND owner = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    MoveWindow(owner, c.owner.x, c.owner.y, 400, 300, TRUE);
    HWND placed = CreateDialogParamA(nullptr, "PLACED", owner, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    ASSERT_NE(placed, nullptr);
    RECT rect = rectOf(placed);
    POINT wanted{20, 10};
    ClientToScreen(owner, &wanted);
    EXPECT_GE(rect.left, 0);
    EXPECT_GE(rect.top, 0);
    EXPECT_LE(rect.right, screenWidth);
    EXPECT_LE(rect.bottom, screenHeight);
    EXPECT_EQ(rect.left == wanted.x && rect.top == wanted.y, c.atItsPlace);
    DestroyWindow(placed);
    DestroyWindow(owner);
  }
}

}  // namespace
