// Tests of update regions and WM_PAINT.
#include "tests/platform/window_fixture.h"

namespace {

class PaintTest : public WindowTest {
 protected:
  int paintsFor(HWND hwnd) {
    int count = 0;
    for (UINT message : messagesFor(hwnd)) count += message == WM_PAINT;
    return count;
  }
};

TEST_F(PaintTest, OnlyInvalidVisibleWindowsArePaintedAndOnlyUntilValidated) {
  HWND shown = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND hidden = makeWindow(WS_OVERLAPPEDWINDOW);
  HWND empty = makeWindow(WS_POPUP | WS_VISIBLE, nullptr, 0, 0, 0);
  InvalidateRect(hidden, nullptr, TRUE);
  InvalidateRect(empty, nullptr, TRUE);
  log.clear();
  pumpAll();  // DefWindowProcA validates on WM_PAINT
  EXPECT_EQ(paintsFor(shown), 1);
  EXPECT_EQ(paintsFor(hidden), 0);
  EXPECT_EQ(paintsFor(empty), 0);
  log.clear();
  EXPECT_EQ(pumpAll(), 0);
  RECT part{5, 5, 25, 15};
  InvalidateRect(shown, &part, FALSE);
  RECT update;
  ASSERT_TRUE(GetUpdateRect(shown, &update, FALSE));
  EXPECT_TRUE(EqualRect(&update, &part));
  ShowWindow(hidden, SW_SHOW);
  pumpAll();
  EXPECT_EQ(paintsFor(shown), 1);
  EXPECT_EQ(paintsFor(hidden), 1);
  EXPECT_FALSE(GetUpdateRect(shown, &update, FALSE));
}

TEST_F(PaintTest, PaintWaitsForPostedMessagesAndUpdateWindowPaintsAtOnce) {
  HWND a = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  PostMessageA(a, WM_USER, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_USER));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_PAINT));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));  // not dispatched: still invalid
  EXPECT_EQ(msg.message, UINT(WM_PAINT));
  log.clear();
  EXPECT_TRUE(UpdateWindow(a));
  EXPECT_EQ(messagesFor(a), (std::vector<UINT>{WM_PAINT}));
  EXPECT_TRUE(UpdateWindow(a));  // nothing left to paint: nothing sent
  EXPECT_EQ(paintsFor(a), 1);
}

TEST_F(PaintTest, InvalidationIsClippedToTheClientAndValidationShrinksWholeBands) {
  HWND a = makeWindow(WS_POPUP | WS_VISIBLE, nullptr, 0, 100, 80);
  ValidateRect(a, nullptr);
  RECT outside{150, 150, 200, 200};
  InvalidateRect(a, &outside, FALSE);
  RECT update;
  EXPECT_FALSE(GetUpdateRect(a, &update, FALSE));
  RECT overlapping{-10, 50, 40, 200};
  InvalidateRect(a, &overlapping, FALSE);
  ASSERT_TRUE(GetUpdateRect(a, &update, FALSE));
  EXPECT_EQ(update.left, 0);
  EXPECT_EQ(update.bottom, 80);
  RECT topBand{0, 0, 100, 60};
  ValidateRect(a, &topBand);
  ASSERT_TRUE(GetUpdateRect(a, &update, FALSE));
  EXPECT_EQ(update.top, 60);
  RECT middle{10, 62, 20, 70};
  ValidateRect(a, &middle);  // a hole cannot be kept in a box: the box stays
  ASSERT_TRUE(GetUpdateRect(a, &update, FALSE));
  EXPECT_EQ(update.top, 60);
}

TEST_F(PaintTest, ResizingInvalidatesTheWholeClientArea) {
  HWND a = makeWindow(WS_POPUP | WS_VISIBLE, nullptr, 0, 100, 80);
  ValidateRect(a, nullptr);
  MoveWindow(a, 0, 0, 100, 80, TRUE);  // same size: nothing to repaint
  RECT update;
  EXPECT_FALSE(GetUpdateRect(a, &update, FALSE));
  MoveWindow(a, 0, 0, 120, 90, TRUE);
  ASSERT_TRUE(GetUpdateRect(a, &update, FALSE));
  RECT whole{0, 0, 120, 90};
  EXPECT_TRUE(EqualRect(&update, &whole));
  EXPECT_TRUE(platform::takeEraseRequest(a));
  EXPECT_FALSE(platform::takeEraseRequest(a));
}

TEST_F(PaintTest, InvalidHandlesFail) {
  RECT update{1, 2, 3, 4};
  HWND bogus = reinterpret_cast<HWND>(intptr_t(0x1234));
  EXPECT_FALSE(InvalidateRect(bogus, nullptr, TRUE));
  EXPECT_FALSE(ValidateRect(bogus, nullptr));
  EXPECT_FALSE(GetUpdateRect(bogus, &update, FALSE));
  EXPECT_TRUE(IsRectEmpty(&update));
  EXPECT_FALSE(UpdateWindow(bogus));
  EXPECT_FALSE(platform::takeEraseRequest(bogus));
}

}  // namespace
