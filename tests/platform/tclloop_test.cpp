// Tests of the Tcl event source and the watched file descriptors.
#include <tcl.h>
#include <unistd.h>

#include <chrono>

#include "platform/tclloop.h"
#include "tests/platform/window_fixture.h"

namespace {

class TclLoopTest : public WindowTest {
 protected:
  static void SetUpTestSuite() { Tcl_FindExecutable(nullptr); }
  void TearDown() override {
    platform::removeTclEventSource();
    WindowTest::TearDown();
  }
};

TEST_F(TclLoopTest, DoOneEventDispatchesPostedMessagesOneAtATime) {
  HWND hwnd = makeWindow();
  ValidateRect(hwnd, nullptr);
  platform::installTclEventSource();
  platform::installTclEventSource();  // twice does nothing
  PostMessageA(hwnd, WM_USER + 1, 0, 0);
  PostMessageA(hwnd, WM_USER + 2, 0, 0);
  log.clear();
  EXPECT_EQ(Tcl_DoOneEvent(TCL_WINDOW_EVENTS | TCL_DONT_WAIT), 1);
  EXPECT_EQ(messagesFor(hwnd), (std::vector<UINT>{WM_USER + 1}));
  EXPECT_EQ(Tcl_DoOneEvent(TCL_TIMER_EVENTS | TCL_DONT_WAIT), 0);  // not a window event
  EXPECT_EQ(Tcl_DoOneEvent(TCL_ALL_EVENTS | TCL_DONT_WAIT), 1);
  EXPECT_EQ(messagesFor(hwnd), (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
  EXPECT_EQ(Tcl_DoOneEvent(TCL_ALL_EVENTS | TCL_DONT_WAIT), 0);
}

TEST_F(TclLoopTest, TimersAndPaintsComeThroughTclAndQuitWaitsForGetMessage) {
  HWND hwnd = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  platform::installTclEventSource();
  SetTimer(hwnd, 4, 20, nullptr);
  PostQuitMessage(3);
  log.clear();
  while (Tcl_DoOneEvent(TCL_ALL_EVENTS | TCL_DONT_WAIT)) {
  }
  EXPECT_EQ(messagesFor(hwnd), (std::vector<UINT>{WM_PAINT}));
  platform::advanceClock(20);
  while (Tcl_DoOneEvent(TCL_ALL_EVENTS | TCL_DONT_WAIT)) {
  }
  EXPECT_EQ(messagesFor(hwnd), (std::vector<UINT>{WM_PAINT, WM_TIMER}));
  int code = 0;
  EXPECT_TRUE(platform::quitMessagePending(&code));
  EXPECT_EQ(code, 3);
  platform::removeTclEventSource();
  MSG msg;
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_FALSE(platform::quitMessagePending());
}

struct Pipe {
  int ends[2] = {-1, -1};
  Pipe() { EXPECT_EQ(pipe(ends), 0); }
  ~Pipe() {
    close(ends[0]);
    close(ends[1]);
  }
};

TEST_F(TclLoopTest, AWatchedFdWakesGetMessageAndTclAlike) {
  HWND hwnd = makeWindow();
  ValidateRect(hwnd, nullptr);
  Pipe wake;
  int calls = 0;
  // The callback posts, as a socket notice does.
  ASSERT_TRUE(platform::watchFd(wake.ends[0], [&](int fd, unsigned ready) {
    char byte;
    EXPECT_EQ(read(fd, &byte, 1), 1);
    EXPECT_EQ(ready, unsigned(platform::kFdReadable));
    ++calls;
    PostMessageA(hwnd, WM_USER + byte, 0, 0);
  }));
  EXPECT_TRUE(platform::isFdWatched(wake.ends[0]));
  ASSERT_EQ(write(wake.ends[1], "\x05", 1), 1);
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));  // blocks in the fd wait until the byte
  EXPECT_EQ(msg.message, UINT(WM_USER + 5));
  EXPECT_EQ(calls, 1);

  platform::installTclEventSource();
  ASSERT_EQ(write(wake.ends[1], "\x06", 1), 1);
  log.clear();
  for (int round = 0; round < 10 && log.empty(); ++round) Tcl_DoOneEvent(TCL_DONT_WAIT);
  EXPECT_EQ(messagesFor(hwnd), (std::vector<UINT>{WM_USER + 6}));
  EXPECT_EQ(calls, 2);

  EXPECT_TRUE(platform::unwatchFd(wake.ends[0]));
  EXPECT_FALSE(platform::unwatchFd(wake.ends[0]));
  EXPECT_FALSE(platform::watchFd(-1, [](int, unsigned) {}));
  EXPECT_FALSE(platform::watchFd(wake.ends[0], nullptr));
  ASSERT_EQ(write(wake.ends[1], "\x07", 1), 1);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(calls, 2);
}

TEST_F(TclLoopTest, ACallbackMayUnwatchItselfAndOthers) {
  Pipe first, second;
  int calls = 0;
  auto once = [&](int fd, unsigned) {
    ++calls;
    platform::unwatchFd(first.ends[0]);
    platform::unwatchFd(second.ends[0]);
    (void)fd;
  };
  platform::watchFd(first.ends[0], once);
  platform::watchFd(second.ends[0], once);
  ASSERT_EQ(write(first.ends[1], "a", 1), 1);
  ASSERT_EQ(write(second.ends[1], "b", 1), 1);
  EXPECT_TRUE(platform::serviceWatchedFds(0));
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(platform::hasWatchedFds());
}

HWND postedFromHook = nullptr;
void postFromHook() { PostMessageA(postedFromHook, WM_USER + 9, 0, 0); }

TEST_F(TclLoopTest, AMessagePostedBeforeTheWaitEndsItAtOnce) {
  postedFromHook = makeWindow();
  ValidateRect(postedFromHook, nullptr);
  Pipe silent;
  platform::watchFd(silent.ends[0], [](int, unsigned) {});
  platform::setBeforeWaitHook(postFromHook);
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(platform::serviceWatchedFds(3000));
  auto waited = std::chrono::steady_clock::now() - start;
  platform::setBeforeWaitHook(nullptr);
  platform::unwatchFd(silent.ends[0]);
  EXPECT_LT(waited, std::chrono::milliseconds(1000));
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_USER + 9));
}

}  // namespace
