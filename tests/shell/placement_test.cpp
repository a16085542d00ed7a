// tests/shell/placement_test.cpp -- windows placed beside the main window:
// the choice of side and the screen's edges, and the Messages window put
// below its owner when it first shows.
#include <gtest/gtest.h>

#include "platform/display.h"
#include "platform/windows.h"
#include "shell/logview.h"
#include "shell/notify.h"
#include "shell/placement.h"
#include "tests/shell/window_fixture.h"

namespace {

bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(PlaceBesideTest, ThePreferredSideThenAnyThatFitsThenTheScreen) {
  const RECT screen{0, 0, 1280, 1024};
  const RECT main{40, 40, 496, 440};
  struct Case {
    const char* name;
    RECT anchor;
    int width, height;
    ZmSide side;
    RECT expected;
  };
  const Case cases[] = {
      {"below, left edges aligned", main, 480, 280, ZmSide::Below, {40, 440, 520, 720}},
      {"right, top edges aligned", main, 480, 400, ZmSide::Right, {496, 40, 976, 440}},
      {"below, slid left off the right edge", {900, 40, 1260, 440}, 480, 280, ZmSide::Below, {800, 440, 1280, 720}},
      {"right, slid up off the bottom", {40, 800, 496, 1000}, 480, 400, ZmSide::Right, {496, 624, 976, 1024}},
      {"no room below: right instead", {40, 600, 496, 1000}, 480, 280, ZmSide::Below, {496, 600, 976, 880}},
      {"no room right: below instead", {700, 40, 1156, 440}, 480, 400, ZmSide::Right, {700, 440, 1180, 840}},
      {"no room below or right: left", {700, 600, 1156, 1000}, 480, 300, ZmSide::Below, {220, 600, 700, 900}},
      {"no room on any side: on the screen, over the anchor", {0, 0, 1280, 1024}, 480, 280, ZmSide::Below,
       {0, 744, 480, 1024}},
      {"larger than the screen: its top-left corner shows", main, 1500, 1100, ZmSide::Right, {0, 0, 1500, 1100}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RECT place = zmPlaceBeside(c.anchor, c.width, c.height, c.side, screen);
    EXPECT_TRUE(place == c.expected) << place.left << "," << place.top << "," << place.right << "," << place.bottom;
  }
}

class MessagesPlacementTest : public ShellWindowTest {
 protected:
  void SetUp() override {
    ShellWindowTest::SetUp();
    platform::setDisplaySize(1280, 1024);
    ASSERT_EQ(zmRegisterLogViewClass(nullptr), 0);
  }
  void TearDown() override {
    zmNotifyExit();
    ShellWindowTest::TearDown();
    platform::setDisplaySize(1024, 768);
  }
};

TEST_F(MessagesPlacementTest, FirstShownBelowItsOwnerThenLeftWhereTheUserPutsIt) {
  HWND owner = makeFrame(456, 400);
  MoveWindow(owner, 40, 40, 456, 400, TRUE);
  ASSERT_EQ(zmNotifyInit(nullptr, owner), 0);
  HWND notify = zmGetNotifyHwnd();
  ASSERT_EQ(zmNotifyMessage("a reader's error"), 0);
  RECT placed{};
  GetWindowRect(notify, &placed);
  EXPECT_EQ(placed.left, 40);
  EXPECT_EQ(placed.top, 440);

  ShowWindow(notify, SW_HIDE);
  MoveWindow(notify, 700, 100, placed.right - placed.left, placed.bottom - placed.top, TRUE);
  ASSERT_EQ(zmNotifyMessage("another"), 0);
  RECT kept{};
  GetWindowRect(notify, &kept);
  EXPECT_EQ(kept.left, 700);
  EXPECT_EQ(kept.top, 100);
}

}  // namespace
