// Tests of the message queue: order, filters, sends, nested pumps, quit,
// translation and message times.
#include <string>

#include "tests/platform/window_fixture.h"

namespace {

constexpr UINT kFirst = WM_USER + 1;
constexpr UINT kSecond = WM_USER + 2;
constexpr UINT kThird = WM_USER + 3;

class QueueTest : public WindowTest {};

TEST_F(QueueTest, PostedMessagesComeOutInPostingOrderAndSendsRunAtOnce) {
  HWND a = makeWindow();
  HWND b = makeWindow();
  ValidateRect(a, nullptr);
  ValidateRect(b, nullptr);
  log.clear();
  ASSERT_TRUE(PostMessageA(a, kFirst, 1, 10));
  ASSERT_TRUE(PostMessageA(b, kSecond, 2, 20));
  ASSERT_TRUE(PostMessageA(a, kThird, 3, 30));
  handlers[kFirst] = [&](HWND, WPARAM, LPARAM, LRESULT* result) {
    *result = SendMessageA(b, kThird, 99, 0) + 1;  // runs before kSecond is taken
    return true;
  };
  handlers[kThird] = [](HWND, WPARAM wParam, LPARAM, LRESULT* result) {
    *result = LRESULT(wParam) * 2;
    return true;
  };
  EXPECT_EQ(SendMessageA(b, kThird, 21, 0), 42);
  log.clear();
  EXPECT_EQ(pumpAll(), 3);
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].message, kFirst);
  EXPECT_EQ(log[1].hwnd, b);
  EXPECT_EQ(log[1].wParam, 99u);  // the send inside the first handler
  EXPECT_EQ(log[2].message, kSecond);
  EXPECT_EQ(log[2].lParam, 20);
  EXPECT_EQ(log[3].hwnd, a);
  EXPECT_EQ(log[3].message, kThird);
}

TEST_F(QueueTest, FiltersSelectByWindowAndRangeAndNoRemoveLeavesTheMessage) {
  HWND a = makeWindow();
  HWND b = makeWindow();
  ValidateRect(a, nullptr);
  ValidateRect(b, nullptr);
  PostMessageA(a, kFirst, 0, 0);
  PostMessageA(b, kSecond, 0, 0);
  PostMessageA(nullptr, kThird, 0, 0);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, b, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, kSecond);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, kSecond, kThird, PM_REMOVE));
  EXPECT_EQ(msg.message, kSecond);  // still there after the look, and first in its range
  ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(intptr_t(-1)), 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kThird);  // messages for no window only
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_FALSE(PeekMessageA(&msg, b, 0, 0, PM_REMOVE));
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, kFirst);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(QueueTest, QuitComesAfterPostedMessagesAndEndsGetMessage) {
  HWND a = makeWindow();
  ValidateRect(a, nullptr);
  PostQuitMessage(7);
  PostMessageA(a, kFirst, 0, 0);
  MSG msg{};
  EXPECT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, kFirst);
  EXPECT_FALSE(PeekMessageA(&msg, a, 0, 0, PM_NOREMOVE));  // a window filter never takes WM_QUIT
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, UINT(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(QueueTest, HandlerCanPumpTheQueueAgainAndDestroyItsOwnWindow) {
  HWND a = makeWindow();
  ValidateRect(a, nullptr);
  std::vector<UINT> nestedOrder;
  handlers[kFirst] = [&](HWND hwnd, WPARAM, LPARAM, LRESULT*) {
    PostMessageA(hwnd, kThird, 0, 0);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      nestedOrder.push_back(msg.message);
      DispatchMessageA(&msg);
    }
    return true;
  };
  handlers[kThird] = [](HWND hwnd, WPARAM, LPARAM, LRESULT*) {
    PostMessageA(hwnd, kSecond, 1, 0);  // discarded with the window
    DestroyWindow(hwnd);  // inside its own handler, inside a nested pump
    SetWindowTextA(hwnd, "gone");
    return true;
  };
  PostMessageA(a, kFirst, 0, 0);
  PostMessageA(a, kSecond, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  DispatchMessageA(&msg);
  EXPECT_EQ(nestedOrder, (std::vector<UINT>{kSecond, kThird}));
  EXPECT_FALSE(IsWindow(a));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  std::vector<UINT> seen = messagesFor(a);
  EXPECT_EQ(seen.back(), UINT(WM_NCDESTROY));
}

TEST_F(QueueTest, MessagesForADestroyedWindowAreRefusedOrDropped) {
  HWND a = makeWindow();
  PostMessageA(a, kFirst, 0, 0);
  DestroyWindow(a);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PostMessageA(a, kFirst, 0, 0));
  EXPECT_EQ(SendMessageA(a, WM_GETTEXTLENGTH, 0, 0), 0);
  EXPECT_FALSE(PeekMessageA(&msg, a, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetMessageA(&msg, a, 0, 0), -1);
  EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
  EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(DispatchMessageA(nullptr), 0);
  msg = MSG{a, kFirst, 0, 0, 0, {0, 0}};
  EXPECT_EQ(DispatchMessageA(&msg), 0);
}

TEST_F(QueueTest, TranslateTypesTheCharacterBeforeLaterMessages) {
  HWND a = makeWindow();
  ValidateRect(a, nullptr);
  struct Case {
    UINT key;
    bool shift;
    WPARAM typed;
  };
  const Case cases[] = {{'A', false, 'a'}, {'A', true, 'A'}, {'7', true, '&'},
                        {VK_RETURN, false, '\r'}, {0xBD, false, '-'}};
  for (const Case& c : cases) {
    platform::setKeyDown(VK_SHIFT, c.shift);
    PostMessageA(a, WM_KEYDOWN, c.key, 1);
    PostMessageA(a, WM_KEYUP, c.key, 1);
    log.clear();
    pumpAll();
    ASSERT_EQ(messagesFor(a), (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_KEYUP})) << c.key;
    EXPECT_EQ(log[1].wParam, c.typed) << c.key;
  }
  platform::setKeyDown(VK_SHIFT, false);
  PostMessageA(a, WM_KEYDOWN, VK_LEFT, 1);
  log.clear();
  pumpAll();
  EXPECT_EQ(messagesFor(a), (std::vector<UINT>{WM_KEYDOWN}));  // arrows type nothing
}

TEST_F(QueueTest, KeyStateFollowsTheMessagesTakenOffTheQueue) {
  HWND a = makeWindow();
  ValidateRect(a, nullptr);
  SHORT during = 0;
  handlers[WM_KEYDOWN] = [&](HWND, WPARAM, LPARAM, LRESULT*) {
    during = GetKeyState(VK_SHIFT);
    return true;
  };
  platform::setKeyDown(VK_SHIFT, false);
  int toggleBefore = GetKeyState(VK_SHIFT) & 1;
  PostMessageA(a, WM_KEYDOWN, VK_SHIFT, 0);
  EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);  // not yet taken
  pumpAll();
  EXPECT_NE(during & 0x8000, 0);
  PostMessageA(a, WM_KEYUP, VK_SHIFT, 0);
  pumpAll();
  EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
  EXPECT_EQ(GetKeyState(VK_SHIFT) & 1, 1 - toggleBefore);  // toggled once by the press
  EXPECT_EQ(GetKeyState(-1), 0);
  EXPECT_EQ(GetKeyState(0x1000), 0);
}

TEST_F(QueueTest, MessageTimeAndPositionAreThoseOfThePosting) {
  HWND a = makeWindow();
  ValidateRect(a, nullptr);
  SetCursorPos(30, 40);
  PostMessageA(a, kFirst, 0, 0);
  platform::advanceClock(250);
  SetCursorPos(5, 6);
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.time, 1000u);
  EXPECT_EQ(GetMessageTime(), 1000);
  EXPECT_EQ(GetMessagePos(), DWORD(MAKELONG(30, 40)));
  EXPECT_EQ(GetTickCount(), 1250u);
  EXPECT_EQ(timeGetTime(), 1250u);
}

// Under the virtual clock nothing can ever arrive: waiting would hang.
TEST_F(QueueTest, WaitingWithNothingThatCanFillTheQueueStops) {
  MSG msg;
  EXPECT_DEATH(GetMessageA(&msg, nullptr, 0, 0), "^GetMessageA: the queue is empty and nothing can fill it");
}

}  // namespace
