// Tests of timers on the virtual clock, and of the clock itself.
#include "tests/platform/window_fixture.h"

namespace {

class TimerTest : public WindowTest {
 protected:
  // The (window, id) of every WM_TIMER dispatched while pumping.
  std::vector<UINT_PTR> firedIds() {
    std::vector<UINT_PTR> ids;
    for (const LoggedMessage& entry : log) {
      if (entry.message == WM_TIMER) ids.push_back(entry.wParam);
    }
    return ids;
  }
};

std::vector<std::pair<UINT_PTR, DWORD>> procCalls;

void CALLBACK recordTimerProc(HWND, UINT, UINT_PTR id, DWORD time) {
  procCalls.emplace_back(id, time);
}

TEST_F(TimerTest, DueTimersFireInDueOrderAndOnlyWhenDue) {
  HWND a = makeWindow();
  ValidateRect(a, nullptr);
  ASSERT_EQ(SetTimer(a, 1, 30, nullptr), 1u);
  ASSERT_EQ(SetTimer(a, 2, 10, nullptr), 2u);
  ASSERT_EQ(SetTimer(a, 3, 20, nullptr), 3u);
  log.clear();
  EXPECT_EQ(pumpAll(), 0);
  platform::advanceClock(9);
  EXPECT_EQ(pumpAll(), 0);
  platform::advanceClock(25);  // t = 34: all three are due
  pumpAll();
  EXPECT_EQ(firedIds(), (std::vector<UINT_PTR>{2, 3, 1}));
  log.clear();
  platform::advanceClock(10);  // t = 44: each restarted at 34, so only id 2 (due 44)
  pumpAll();
  EXPECT_EQ(firedIds(), (std::vector<UINT_PTR>{2}));
}

TEST_F(TimerTest, ALateTimerFiresOnceNotOncePerMissedInterval) {
  HWND a = makeWindow();
  ValidateRect(a, nullptr);
  SetTimer(a, 5, 20, nullptr);
  platform::advanceClock(1000);
  log.clear();
  pumpAll();
  EXPECT_EQ(firedIds().size(), 1u);
}

TEST_F(TimerTest, KillTimerStopsItAndDestroyingTheWindowKillsItsTimers) {
  HWND a = makeWindow();
  HWND b = makeWindow();
  ValidateRect(a, nullptr);
  ValidateRect(b, nullptr);
  SetTimer(a, 1, 10, nullptr);
  SetTimer(b, 1, 10, nullptr);
  EXPECT_TRUE(KillTimer(a, 1));
  EXPECT_FALSE(KillTimer(a, 1));
  EXPECT_FALSE(KillTimer(b, 2));
  platform::advanceClock(50);
  log.clear();
  pumpAll();
  ASSERT_EQ(firedIds().size(), 1u);
  EXPECT_EQ(log[0].hwnd, b);
  DestroyWindow(b);
  platform::advanceClock(50);
  EXPECT_EQ(pumpAll(), 0);
  EXPECT_FALSE(KillTimer(b, 1));
  EXPECT_EQ(SetTimer(b, 1, 10, nullptr), 0u);  // no timers for a dead window
}

TEST_F(TimerTest, SetTimerAgainRestartsTheInterval) {
  HWND a = makeWindow();
  ValidateRect(a, nullptr);
  SetTimer(a, 1, 100, nullptr);
  platform::advanceClock(80);
  SetTimer(a, 1, 100, nullptr);
  platform::advanceClock(80);
  log.clear();
  EXPECT_EQ(pumpAll(), 0);
  platform::advanceClock(20);
  pumpAll();
  EXPECT_EQ(firedIds().size(), 1u);
}

TEST_F(TimerTest, TimerProcIsCalledInPlaceOfTheWindowProcedure) {
  procCalls.clear();
  UINT_PTR windowless = SetTimer(nullptr, 0, 40, recordTimerProc);
  ASSERT_NE(windowless, 0u);
  EXPECT_NE(SetTimer(nullptr, 0, 40, recordTimerProc), windowless);  // a fresh id each time
  KillTimer(nullptr, windowless + 1);
  HWND a = makeWindow();
  ValidateRect(a, nullptr);
  SetTimer(a, 9, 40, recordTimerProc);
  platform::advanceClock(40);
  log.clear();
  pumpAll();
  ASSERT_EQ(procCalls.size(), 2u);
  EXPECT_EQ(procCalls[0], std::make_pair(windowless, DWORD(1040)));
  EXPECT_EQ(procCalls[1].first, 9u);
  EXPECT_TRUE(firedIds().empty());
  EXPECT_TRUE(KillTimer(nullptr, windowless));
  // A forged WM_TIMER naming a proc that no timer has is not called.
  MSG forged{a, WM_TIMER, 77, reinterpret_cast<LPARAM>(recordTimerProc), 0, {0, 0}};
  DispatchMessageA(&forged);
  EXPECT_EQ(procCalls.size(), 2u);
}

TEST_F(TimerTest, GetMessageWaitsByMovingTheVirtualClockToTheNextTimer) {
  HWND a = makeWindow();
  ValidateRect(a, nullptr);
  SetTimer(a, 1, 500, nullptr);
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, UINT(WM_TIMER));
  EXPECT_EQ(GetTickCount(), 1500u);
  EXPECT_EQ(GetMessageTime(), 1500);
  Sleep(30);  // the virtual clock moves on without waiting
  EXPECT_EQ(timeGetTime(), 1530u);
}

TEST(ClockTest, RealClockIsMonotonicAndSleepWaits) {
  platform::useVirtualClock(false);
  DWORD before = GetTickCount();
  Sleep(20);
  DWORD after = timeGetTime();
  EXPECT_GE(after - before, 20u);
  EXPECT_LT(after - before, 2000u);
}

TEST(ClockTest, TheVirtualClockWrapsLikeTheOriginal) {
  platform::useVirtualClock(true, 0xFFFFFFF0u);
  platform::advanceClock(0x20);
  EXPECT_EQ(GetTickCount(), 0x10u);
  EXPECT_EQ(platform::clockMs(), 0x100000010u);
  platform::useVirtualClock(false);
}

}  // namespace
